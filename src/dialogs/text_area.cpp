#include "dialogs/text_area.h"

#include <array>
#include <string>

#include "dialogs/stroke_font.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/text.h"
#include "view/view_state.h"

namespace dialogs {

namespace colours = graphics::colours;

constinit TextAreaState TextAreaVars;

void TextAreaStartUp() {
  TextAreaVars = {};
}

int RowBaseline(int row) { return (RowPitch + 1) * row + RowPitch; }

void FillRect(int x1, int y1, int x2, int y2) {
  const std::array<graphics::PolyPoint, 5> p = {{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}}};
  graphics::SetDrawColor(TextBackColour);
  graphics::FillPolygon(-4, p.data());
  graphics::SetDrawColor(TextColour);
}

void SetTextAreaViewport() {
  graphics::SetViewport(0, view::DrawAreaHeight, view::ClientWidth, view::ClientHeight);
}

void ClearTextArea() {
  SetTextAreaViewport();
  graphics::ClearViewport();
  FillRect(0, 0, view::ClientWidth, view::ClientHeight - view::DrawAreaHeight);
  ShownMessages = {};
}

void LogText(int row, std::string_view text) {
  if (graphics::KeyLogging())
    graphics::KeyLog("text " + std::to_string(row) + " " + platform::Cp866ToUtf8(SelectLanguageText(text)));
}

void ShowMessage(int row, std::string_view text) {
  const std::string t = SelectLanguageText(text);
  LogText(row, text);
  if (row == 0) ClearTextArea();
  SetTextAreaViewport();
  graphics::SetDrawColor(TextColour);
  DrawTextRun(t, 1, RowBaseline(row), CharHeight, CharWidth);
  SetInnerDrawViewport();
  if (row >= 0 && row < 4) ShownMessages[static_cast<std::size_t>(row)] = text;
}

void ReportUndefinedProcedure(std::string_view name) {
  ShowMessage(0, platform::Cp866("Не определена процедура ") + std::string(name));
  graphics::ReadWholeKey();
}

void ShowMessages(const MessageRows& rows) {
  const MessageRows copy = rows;  // ClearTextArea empties ShownMessages
  ClearTextArea();
  for (int r = 0; r < 4; ++r)
    if (!copy[static_cast<std::size_t>(r)].empty()) ShowMessage(r, copy[static_cast<std::size_t>(r)]);
  SetInnerDrawViewport();
}

void ShowMessagesAgain() { ShowMessages(ShownMessages); }

void SetDrawViewport() {
  graphics::SetViewport(view::ViewportLeft, view::ViewportTop, view::ViewportLeft + view::ViewportWidth,
                        view::ViewportTop + view::ViewportHeight - 1);
}

void SetInnerDrawViewport() {
  const int m = view::ViewMargin;
  graphics::SetViewport(view::ViewportLeft + m, view::ViewportTop + m,
                        view::ViewportLeft + view::ViewportWidth - m,
                        view::ViewportTop + view::ViewportHeight - m);
}

void LayoutScreen() {
  graphics::EnablePixelOutput();
  view::ClientWidth = graphics::GetMaxX();
  view::ClientHeight = graphics::GetMaxY();
  view::DrawAreaHeight = view::ClientHeight - TextAreaHeight;
  view::ViewportLeft = view::ViewportTop = 0;
  view::ViewportWidth = view::ClientWidth;
  view::ViewportHeight = view::DrawAreaHeight;
  view::ScreenCentreX = view::ViewportWidth / 2 - view::ViewMargin;
  view::ScreenCentreY = view::ViewportHeight / 2 - view::ViewMargin;
  SetDrawViewport();
  graphics::SetBackgroundScheme(ScreenScheme);
  graphics::ClearViewport();
  graphics::ClearDepth();
  graphics::SetDrawColor(FrameColour);
  graphics::SetLineStyle(0, 0, 3);
  graphics::MoveToPoint(0, 0);
  graphics::LineToPoint(view::ViewportWidth - 2, 0);
  graphics::LineToPoint(view::ViewportWidth - 2, view::ViewportHeight - 3);
  graphics::LineToPoint(0, view::ViewportHeight - 3);
  graphics::LineToPoint(0, 0);
  graphics::SetLineStyle(0, 0, 1);
  SetInnerDrawViewport();
  DrawCornerMark();
}

void EraseCornerMark() {
  const int m = view::ViewMargin;
  SetInnerDrawViewport();
  graphics::SetDrawColor(colours::kBlack);
  for (int y = m + 1; y <= m + 9; ++y) {
    graphics::MoveToPoint(m + 1, y);
    graphics::LineToPoint(m + 24, y);
  }
  DrawTextRun(std::to_string(MarkNumber), m + CharHeight + 1, m + CharHeight + 1, CharHeight, CharHeight);
}

void DrawCornerMark() {
  const int m = view::ViewMargin;
  // Both ends of each line belong to the strip.
  auto strip = [](int x0, int x1, int y) {
    graphics::MoveToPoint(x0, y);
    graphics::LineToPoint(x1, y);
  };
  graphics::SetDrawColor(colours::kBlack);
  for (int y = m + 1; y <= m + 9; ++y) strip(m + 1, m + 24, y);
  graphics::SetDrawColor(MarkColour);
  for (int y = m + 1; y <= m + 8; ++y) strip(m + 1, m + 7, y);
  graphics::SetDrawColor(colours::kWhite);
  DrawTextRun(std::to_string(MarkNumber), m + CharHeight + 1, m + CharHeight + 1, CharHeight, CharHeight);
}

}  // namespace dialogs
