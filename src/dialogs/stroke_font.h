// The built-in stroke font: every character on the screen is drawn as straight strokes.
// Also the text-row metrics, the bilingual texts and the pen colour setter.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/colours.h"
#include "platform/hook.h"

namespace dialogs {

inline constexpr int kStrokeCapacity = 7001;
inline constexpr int kGlyphSlots = 512;

namespace defaults {
void NoSink(float, float, float, int);
}  // namespace defaults

struct StrokeFontState {
  std::array<std::int8_t, kStrokeCapacity> StrokeX{};
  std::array<std::int8_t, kStrokeCapacity> StrokeY{};
  std::array<std::uint8_t, kStrokeCapacity> StrokePenUp{};
  std::array<std::int32_t, kGlyphSlots> GlyphFirstStroke{};
  std::array<std::uint8_t, kGlyphSlots> GlyphStrokeCount{};
  std::array<std::uint8_t, kGlyphSlots> GlyphAdvance{};
  int StrokeCount = 0;  // strokes loaded
  platform::Hook<void(float x, float y, float z, int pen_up)> StrokeSink = defaults::NoSink;
  int TextEscapeMode = 0;
  int LanguageIndex = 0;
  std::int16_t TextColour = graphics::colours::kWhite;
  std::int16_t TextBackColour = graphics::colours::kBlack;
  int CharHeight = 7;
  int RowPitch = 13;
  int TextAreaHeight = 56;
  int PanelColumnWidth = 0;
  int CharWidth = 7;
};
extern StrokeFontState StrokeFontVars;

inline constexpr auto& StrokeX = StrokeFontVars.StrokeX;
inline constexpr auto& StrokeY = StrokeFontVars.StrokeY;
inline constexpr auto& StrokePenUp = StrokeFontVars.StrokePenUp;
inline constexpr auto& GlyphFirstStroke = StrokeFontVars.GlyphFirstStroke;
inline constexpr auto& GlyphStrokeCount = StrokeFontVars.GlyphStrokeCount;
inline constexpr auto& GlyphAdvance = StrokeFontVars.GlyphAdvance;
inline constexpr auto& StrokeCount = StrokeFontVars.StrokeCount;

// Receives every transformed stroke point.
inline constexpr auto& StrokeSink = StrokeFontVars.StrokeSink;
inline constexpr auto& TextEscapeMode = StrokeFontVars.TextEscapeMode;
inline constexpr auto& LanguageIndex = StrokeFontVars.LanguageIndex;
inline constexpr auto& TextColour = StrokeFontVars.TextColour;
inline constexpr auto& TextBackColour = StrokeFontVars.TextBackColour;

// Text-row metrics (ComputeTextMetrics).
inline constexpr auto& CharHeight = StrokeFontVars.CharHeight;
inline constexpr auto& RowPitch = StrokeFontVars.RowPitch;
inline constexpr auto& TextAreaHeight = StrokeFontVars.TextAreaHeight;
inline constexpr auto& PanelColumnWidth = StrokeFontVars.PanelColumnWidth;
inline constexpr auto& CharWidth = StrokeFontVars.CharWidth;

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
