#include "dialogs/stroke_font.h"

#include <algorithm>

#include "dialogs/glyph_table.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "platform/rounding.h"

namespace dialogs {

namespace colours = graphics::colours;

constinit StrokeFontState StrokeFontVars;

void defaults::NoSink(float, float, float, int) {}

void StrokeFontStartUp() {
  StrokeFontVars = {};
  LoadStrokeFont(0, StrokeCount);
  // Set 1 starts as a copy of set 0.
  for (int i = 0; i < 256; ++i) {
    GlyphAdvance[256 + i] = GlyphAdvance[i];
    GlyphStrokeCount[256 + i] = GlyphStrokeCount[i];
    GlyphFirstStroke[256 + i] = GlyphFirstStroke[i];
  }
}

void LoadStrokeFont(int set, int& stroke_count) {
  const int base = set == 1 ? 256 : 0;
  int open_slot = -1;  // the glyph whose strokes are being read; -1 while skipping
  for (std::size_t i = 0; i + 1 < GlyphTable.size(); i += 2) {
    const int b1 = GlyphTable[i], b2 = GlyphTable[i + 1];
    if (b1 == 255) break;
    if (b2 == 255) {
      const int slot = base + b1;
      if (set == 0) GlyphAdvance[slot] = 70;
      if (GlyphStrokeCount[slot] == 0) {
        GlyphFirstStroke[slot] = stroke_count;
        open_slot = slot;
      } else {
        open_slot = -1;  // the first definition of a code wins
      }
      continue;
    }
    if (open_slot < 0 || stroke_count >= kStrokeCapacity || GlyphStrokeCount[open_slot] == 255)
      continue;
    const bool move = b1 >= 128;
    StrokeX[stroke_count] = static_cast<std::int8_t>(move ? 256 - b1 : b1);
    StrokeY[stroke_count] = static_cast<std::int8_t>(b2 <= 128 ? b2 : b2 - 256);
    StrokePenUp[stroke_count] = move ? 1 : 0;
    ++stroke_count;
    ++GlyphStrokeCount[open_slot];
  }
}

void SetTextEscapeMode(int mode) { TextEscapeMode = mode; }

namespace {

struct Mark {
  int n;
  int pts[3][2];
};

// Diacritical marks of '~' by the letter that follows.
Mark MarkFor(unsigned char d) {
  switch (d) {
    case 'A': case 'E': case 'a': case 'e':
      return {3, {{20, 0}, {20, -20}, {30, -20}}};
    case 'c': case 'n': case 'o': case 's':
      return {2, {{20, 55}, {30, 70}, {0, 0}}};
    case 'C': case 'N': case 'O': case 'S':
      return {2, {{20, 75}, {30, 90}, {0, 0}}};
    case 'L': case 'l':
      return {2, {{20, 20}, {40, 40}, {0, 0}}};
    case 'z':
      return {2, {{20, 70}, {20, 71}, {0, 0}}};
    case 'Z':
      return {2, {{30, 75}, {30, 76}, {0, 0}}};
    default:
      return {2, {{0, 0}, {50, 70}, {0, 0}}};
  }
}

}  // namespace

void DrawStrokeText(std::string_view text, Vec3 origin, Vec3 along, Vec3 up, int set) {
  const double n = static_cast<double>(text.size());
  const double div = text.empty() ? 70.0 : 70.0 * n;
  const double ax = (along.x - origin.x) / div, ay = (along.y - origin.y) / div,
               az = (along.z - origin.z) / div;
  const double ux = (up.x - origin.x) / 70.0, uy = (up.y - origin.y) / 70.0, uz = (up.z - origin.z) / 70.0;
  double pen_x = 0, offset = 0, scale = 70;
  auto emit = [&](double u, double v, int pen_up) {
    const double a = pen_x + u, b = offset + v;
    StrokeSink(static_cast<float>(origin.x + a * ax + b * ux), static_cast<float>(origin.y + a * ay + b * uy),
               static_cast<float>(origin.z + a * az + b * uz), pen_up);
  };
  const int slot_base = set == 1 ? 256 : 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '~') {
      // The mark sits at the pen position in font units, whatever the script size.
      const unsigned char d = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
      const Mark m = MarkFor(d);
      const double save = offset;
      offset = 0;
      for (int k = 0; k < m.n; ++k) emit(m.pts[k][0], m.pts[k][1], k == 0 ? 1 : 0);
      offset = save;
      continue;
    }
    if ((c == '\\' || c == '|') && TextEscapeMode != 2) {
      if (scale == 70) {
        scale = 100;
        offset = c == '\\' ? -17.5 : 52.5;
      } else {
        scale = 70;
        offset = 0;
      }
      continue;
    }
    const int slot = slot_base + c;
    const int first = GlyphFirstStroke[slot];
    const int count = GlyphStrokeCount[slot];
    for (int k = 0; k < count; ++k) {
      const int s = first + k;
      if (s < 0 || s >= kStrokeCapacity) break;
      emit(StrokeX[s] * 70.0 / scale, StrokeY[s] * 70.0 / scale, StrokePenUp[s] ? 1 : 0);
    }
    pen_x += GlyphAdvance[slot] * 70.0 / scale;
  }
}

void DrawTextFrame(std::string_view text, int x0, int y0, int x1, int y1, int x2, int y2, int set) {
  StrokeSink = ScreenStrokeSink;
  DrawStrokeText(text, {static_cast<float>(x0), static_cast<float>(y0), 0},
                 {static_cast<float>(x1), static_cast<float>(y1), 0},
                 {static_cast<float>(x2), static_cast<float>(y2), 0}, set);
}

void DrawTextRun(std::string_view text, int x, int y, int height, int width) {
  if (text.empty()) return;
  const long long n = static_cast<long long>(text.size());
  const long long end = static_cast<long long>(x) + n * width;
  DrawTextFrame(text, x, y, static_cast<int>(std::min<long long>(end, 1 << 30)), y, x, y - height, 0);
}

void DrawTextFitted(std::string_view text, int x, int y, int height, int width, int max_width) {
  if (text.empty()) return;
  const long long n = static_cast<long long>(text.size());
  const long long end = n * width > max_width ? static_cast<long long>(x) + max_width
                                               : static_cast<long long>(x) + n * width;
  DrawTextFrame(text, x, y, static_cast<int>(std::min<long long>(end, 1 << 30)), y, x, y - height, 0);
}

void ScreenStrokeSink(float x, float y, float, int pen_up) {
  const int px = platform::RoundInt(x), py = platform::RoundInt(y);
  if (pen_up > 0) {
    graphics::MoveToPoint(px, py);
  } else {
    graphics::LineToPoint(px, py);
  }
}

void ComputeTextMetrics() {
  const int max_x = graphics::GetMaxX(), max_y = graphics::GetMaxY();
  CharHeight = std::max(max_y / 50 - 2, 7);
  RowPitch = 2 * CharHeight - 1;
  TextAreaHeight = 4 * (RowPitch + 1);
  PanelColumnWidth = (max_x - TextAreaHeight) / 3;
  CharWidth = max_x > 1500 ? 16 : max_x > 1200 ? 14 : max_x > 1000 ? 12 : max_x > 800 ? 10 : 7;
}

std::string SelectLanguageText(std::string_view text) {
  if (text.find(';') == std::string_view::npos) return std::string(text);
  std::string chosen;
  std::size_t start = 0;
  std::string first;
  int index = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ';') {
      std::string p(text.substr(start, std::min<std::size_t>(i - start, 120)));
      if (index == 0) first = p;
      if (index == LanguageIndex) chosen = p;
      ++index;
      start = i + 1;
    }
  }
  if (LanguageIndex < 0 || LanguageIndex >= index || chosen.empty()) return first;
  return chosen;
}

void SetPenColour(int colour) { graphics::SetDrawColor(colour); }

}  // namespace dialogs
