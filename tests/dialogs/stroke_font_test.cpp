#include "dialogs/stroke_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/glyph_table.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "support/fixture.h"

namespace {

using dialogs::GlyphAdvance;
using dialogs::GlyphFirstStroke;
using dialogs::GlyphStrokeCount;

struct Pt {
  float x, y;
  int up;
  bool operator==(const Pt&) const = default;
};
std::vector<Pt> g_points;
void Collect(float x, float y, float, int up) { g_points.push_back({x, y, up}); }

// Strokes of a glyph as "M10,0 L40,70 ...".
std::string Strokes(int slot) {
  std::string s;
  for (int k = 0; k < GlyphStrokeCount[slot]; ++k) {
    const int i = GlyphFirstStroke[slot] + k;
    if (!s.empty()) s += ' ';
    s += (dialogs::StrokePenUp[i] ? "M" : "L") + std::to_string(dialogs::StrokeX[i]) + "," +
         std::to_string(dialogs::StrokeY[i]);
  }
  return s;
}

// Font units of the points a text draws with an identity frame (1 unit per font unit).
std::vector<Pt> Trace(const std::string& text) {
  g_points.clear();
  dialogs::StrokeSink = Collect;
  const float n = static_cast<float>(text.size());
  dialogs::DrawStrokeText(text, {0, 0, 0}, {70 * n, 0, 0}, {0, 70, 0}, 0);
  return g_points;
}

class StrokeFontTest : public testing_support::ProgramTest {};

TEST_F(StrokeFontTest, TableLoadsWithTheGivenGlyphsAndSetOneAsACopy) {
  int pairs = 0, glyphs = 0;
  for (std::size_t i = 0; i + 1 < dialogs::GlyphTable.size() && dialogs::GlyphTable[i] != 255; i += 2)
    (dialogs::GlyphTable[i + 1] == 255 ? glyphs : pairs)++;
  EXPECT_EQ(glyphs, 158);
  EXPECT_EQ(dialogs::StrokeCount, pairs);
  EXPECT_EQ(dialogs::GlyphTable[dialogs::GlyphTableSize - 2], 255);
  EXPECT_EQ(dialogs::GlyphTable[dialogs::GlyphTableSize - 1], 255);
  EXPECT_EQ(Strokes('-'), "M10,40 L50,40");
  EXPECT_EQ(Strokes('.'), "M30,0 L30,10 L40,10 L40,0 L30,0");
  EXPECT_EQ(Strokes('0'), "M10,10 L10,60 L20,70 L40,70 L50,60 L50,10 L40,0 L20,0 L10,10");
  EXPECT_EQ(Strokes('A'), "M10,0 L40,70 L50,0 M20,20 L50,20");
  EXPECT_EQ(Strokes(128), Strokes('A'));
  EXPECT_EQ(Strokes(137), "M10,70 L10,0 L50,70 L50,0 M20,80 L40,80");
  EXPECT_EQ(Strokes(166), "M10,0 L23,33 M37,33 L50,0 M10,50 L30,25 L50,50 M30,50 L30,0");
  EXPECT_EQ(Strokes('_'), "M20,30 L50,30 M20,45 L50,45 M30,20 L40,55");
  EXPECT_EQ(Strokes('&'), "M2,0 L30,-70 L70,70");
  EXPECT_EQ(Strokes('^'), "M10,80 L50,127 L110,20");
  EXPECT_EQ(GlyphStrokeCount[' '], 0);
  EXPECT_EQ(GlyphAdvance[' '], 70);
  for (int c = 0; c < 256; ++c) {
    const bool covered = (c >= 32 && c <= 122) || c == 124 || (c >= 128 && c <= 175) || (c >= 224 && c <= 241);
    EXPECT_EQ(GlyphAdvance[c], covered ? 70 : 0) << c;
    if (covered && c != ' ') {
      ASSERT_GT(GlyphStrokeCount[c], 0) << c;
      EXPECT_EQ(dialogs::StrokePenUp[GlyphFirstStroke[c]], 1) << "glyph " << c << " starts with a move";
    }
    EXPECT_EQ(GlyphAdvance[256 + c], GlyphAdvance[c]);
    EXPECT_EQ(GlyphStrokeCount[256 + c], GlyphStrokeCount[c]);
    EXPECT_EQ(GlyphFirstStroke[256 + c], GlyphFirstStroke[c]);
  }
  // Loading again adds nothing new: the first definition of a code wins.
  int count = dialogs::StrokeCount;
  dialogs::LoadStrokeFont(0, count);
  EXPECT_EQ(count, dialogs::StrokeCount);
}

TEST_F(StrokeFontTest, CodesWithoutGlyphTakeNoRoomAndBlanksAdvance) {
  EXPECT_EQ(Trace("a{b"), Trace("ab"));
  const auto blank = Trace(" -");
  ASSERT_EQ(blank.size(), 2u);
  EXPECT_EQ(blank[0], (Pt{80, 40, 1}));  // '-' one cell to the right
  EXPECT_TRUE(Trace("").empty());
  EXPECT_TRUE(Trace("\xB0\xFF{}").empty());
}

TEST_F(StrokeFontTest, ScriptSwitchesRaiseShrinkAndReturn) {
  // '-' is M10,40 L50,40: at 70 % size, 52.5 up, after the 70-unit x.
  const auto p = Trace("x|-|-");
  ASSERT_GE(p.size(), 4u);
  const std::size_t nx = Trace("x").size();
  const auto q = Trace("x|-|-");
  EXPECT_FLOAT_EQ(q[nx].x, 70 + 7);
  EXPECT_FLOAT_EQ(q[nx].y, 52.5f + 28);
  EXPECT_FLOAT_EQ(q[nx + 2].x, 70 + 49 + 10);  // back to normal after a 49-unit script cell
  EXPECT_FLOAT_EQ(q[nx + 2].y, 40);
  const auto low = Trace("\\-");
  EXPECT_FLOAT_EQ(low[0].y, -17.5f + 28);
  // With escape mode 2 the bars are characters.
  dialogs::SetTextEscapeMode(2);
  const auto bars = Trace("x|2|y");
  const std::size_t bar = Trace("|").size();
  dialogs::SetTextEscapeMode(0);
  ASSERT_GT(bar, 0u);
  EXPECT_EQ(bars.size(), Trace("x").size() + 2 * bar + Trace("2").size() + Trace("y").size());
  // A switch left open at the end draws nothing more.
  EXPECT_EQ(Trace("ab|"), Trace("ab"));
}

TEST_F(StrokeFontTest, TildeMarks) {
  const auto l = Trace("~l");
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[0], (Pt{20, 20, 1}));
  EXPECT_EQ(l[1], (Pt{40, 40, 0}));
  EXPECT_EQ(l.size(), 2 + Trace("l").size());
  const auto q = Trace("~q");
  EXPECT_EQ(q[0], (Pt{0, 0, 1}));
  EXPECT_EQ(q[1], (Pt{50, 70, 0}));
  const auto end = Trace("~");
  ASSERT_EQ(end.size(), 2u);
  EXPECT_EQ(end[1], (Pt{50, 70, 0}));
  // The mark keeps font units inside a script run.
  const auto s = Trace("|~A");
  EXPECT_EQ(s[0], (Pt{20, 0, 1}));
}

TEST_F(StrokeFontTest, RunsAndFittedRunsOnTheScreen) {
  OpenHeadless(200, 100);
  graphics::SetViewport(0, 0, 200, 100);
  graphics::SetDrawColor(0);
  graphics::ClearViewport();
  graphics::EnablePixelOutput();
  graphics::SetDrawColor(15);
  dialogs::DrawTextRun("", 10, 50, 10, 10);
  for (std::uint32_t p : graphics::Screen.pixels) ASSERT_EQ(p, 0u);
  // '-' at height 70 / width 70 lands on pixels 10..50 of row 60 - 40.
  dialogs::DrawTextRun("-", 0, 60, 70, 70);
  EXPECT_EQ(graphics::PixelAt(10, 20), 0xFFFFFFu);
  EXPECT_EQ(graphics::PixelAt(50, 20), 0xFFFFFFu);
  EXPECT_EQ(graphics::PixelAt(51, 20), 0u);
  // Ten cells of 10 squeezed into 50: five pixels apart.
  g_points.clear();
  dialogs::DrawTextFitted("----------", 0, 90, 7, 10, 50);
  dialogs::StrokeSink = Collect;
  g_points.clear();
  dialogs::DrawStrokeText("----------", {0, 90, 0}, {50, 90, 0}, {0, 83, 0}, 0);
  ASSERT_EQ(g_points.size(), 20u);
  EXPECT_FLOAT_EQ(g_points[2].x - g_points[0].x, 5);
  EXPECT_EQ(graphics::PixelAt(46, 86), 0xFFFFFFu);  // last dash: 45 + 50/7 .. ends near 49
  EXPECT_EQ(graphics::PixelAt(52, 86), 0u);
}

TEST_F(StrokeFontTest, LanguagePartsAndMetrics) {
  dialogs::LanguageIndex = 1;
  EXPECT_EQ(dialogs::SelectLanguageText(platform::Cp866("Русский;")), platform::Cp866("Русский"));
  EXPECT_EQ(dialogs::SelectLanguageText("Scale"), "Scale");
  EXPECT_EQ(dialogs::SelectLanguageText(platform::Cp866("Масштаб;Scale")), "Scale");
  dialogs::LanguageIndex = 3;
  EXPECT_EQ(dialogs::SelectLanguageText("a;b"), "a");
  dialogs::LanguageIndex = 0;
  EXPECT_EQ(dialogs::SelectLanguageText(platform::Cp866("Масштаб;Scale")), platform::Cp866("Масштаб"));
  EXPECT_EQ(dialogs::SelectLanguageText(std::string(200, 'x') + ";y"), std::string(120, 'x'));

  OpenHeadless(1024, 600);
  dialogs::ComputeTextMetrics();
  EXPECT_EQ(dialogs::CharHeight, 10);
  EXPECT_EQ(dialogs::RowPitch, 19);
  EXPECT_EQ(dialogs::TextAreaHeight, 80);
  EXPECT_EQ(dialogs::CharWidth, 12);
  EXPECT_EQ(dialogs::PanelColumnWidth, (1024 - 80) / 3);
  OpenHeadless(320, 240);
  dialogs::ComputeTextMetrics();
  EXPECT_EQ(dialogs::CharHeight, 7);
  EXPECT_EQ(dialogs::CharWidth, 7);
}

}  // namespace
