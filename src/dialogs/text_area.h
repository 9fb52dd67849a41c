// The text area (four rows at the bottom of the window), messages and the screen layout.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "graphics/colours.h"

namespace dialogs {

using MessageRows = std::array<std::string, 4>;

struct TextAreaState {
  int ScreenScheme = 0;  // background scheme chosen by the user, 0..4
  int MarkColour = graphics::colours::kWhite;
  int MarkNumber = 0;
  // Colour of the drawing area's frame.
  int FrameColour = graphics::colours::kBlue;
  // The texts ShowMessage has put in rows 0..3 since the text area was last cleared.
  MessageRows ShownMessages;
};
extern TextAreaState TextAreaVars;

inline constexpr auto& ScreenScheme = TextAreaVars.ScreenScheme;
inline constexpr auto& MarkColour = TextAreaVars.MarkColour;
inline constexpr auto& MarkNumber = TextAreaVars.MarkNumber;
inline constexpr auto& FrameColour = TextAreaVars.FrameColour;

inline constexpr auto& ShownMessages = TextAreaVars.ShownMessages;

void TextAreaStartUp();
void ShowMessage(int row, std::string_view text);
// "Не определена процедура NAME" on row 0, then one key.
void ReportUndefinedProcedure(std::string_view name);
// The key log's line "text ROW TEXT" (UTF-8, the current language's part) for a text shown in
// a row, so that tests and real-window runs can read the rows back.
void LogText(int row, std::string_view text);
// The text area cleared and the rows shown again (after a repaint).
void ShowMessages(const MessageRows& rows);
// ShowMessages(ShownMessages), as a repaint's text-row procedure.
void ShowMessagesAgain();
void ClearTextArea();
void FillRect(int x1, int y1, int x2, int y2);
// The four text rows below the drawing area as the viewport.
void SetTextAreaViewport();
void SetDrawViewport();
void SetInnerDrawViewport();
void LayoutScreen();
void DrawCornerMark();
// The whole mark drawn again in black, number included, before a viewport changes.
void EraseCornerMark();

// Baseline of text row r (0..3), from the top of the text area.
int RowBaseline(int row);

}  // namespace dialogs
