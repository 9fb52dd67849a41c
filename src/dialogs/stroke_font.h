// The built-in stroke font: every character on the screen is drawn as straight strokes.
// Also the text-row metrics, the bilingual texts and the pen colour setter.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hook.h"

namespace dialogs {

inline constexpr int kStrokeCapacity = 7001;
inline constexpr int kGlyphSlots = 512;

extern std::array<std::int8_t, kStrokeCapacity> StrokeX;
extern std::array<std::int8_t, kStrokeCapacity> StrokeY;
extern std::array<std::uint8_t, kStrokeCapacity> StrokePenUp;
extern std::array<std::int32_t, kGlyphSlots> GlyphFirstStroke;
extern std::array<std::uint8_t, kGlyphSlots> GlyphStrokeCount;
extern std::array<std::uint8_t, kGlyphSlots> GlyphAdvance;
extern int StrokeCount;  // strokes loaded

// Receives every transformed stroke point.
extern platform::Hook<void(float x, float y, float z, int pen_up)> StrokeSink;
extern int TextEscapeMode;
extern int LanguageIndex;
extern std::int16_t TextColour;
extern std::int16_t TextBackColour;

// Text-row metrics (ComputeTextMetrics).
extern int CharHeight;
extern int RowPitch;
extern int TextAreaHeight;
extern int PanelColumnWidth;
extern int CharWidth;

struct Vec3 {
  float x, y, z;
};

// The stroke store cleared, set 1 copied from set 0 after loading, defaults set.
void StrokeFontStartUp();
void LoadStrokeFont(int set, int& stroke_count);
void SetTextEscapeMode(int mode);
void DrawStrokeText(std::string_view text, Vec3 origin, Vec3 along, Vec3 up, int set);
void DrawTextFrame(std::string_view text, int x0, int y0, int x1, int y1, int x2, int y2, int set);
void DrawTextRun(std::string_view text, int x, int y, int height, int width);
void DrawTextFitted(std::string_view text, int x, int y, int height, int width, int max_width);
void ScreenStrokeSink(float x, float y, float z, int pen_up);
void ComputeTextMetrics();
std::string SelectLanguageText(std::string_view text);
void SetPenColour(int colour);

}  // namespace dialogs
