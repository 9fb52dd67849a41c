#include "dialogs/number_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using testing_support::Diff;
using testing_support::Frame;
using testing_support::SameFrame;
using Box = testing_support::PixelBox;

// The framebuffer as it is each time the field asks for a key, and the pauses it makes.
std::vector<Frame> g_frames;
std::vector<int> g_waits;
void Snapshot() { g_frames.push_back(graphics::Screen.pixels); }
void RecordWait(int ms) { g_waits.push_back(ms); }

class NumberFieldTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    dialogs::NumberFieldStartUp();
    g_frames.clear();
    g_waits.clear();
  }
  void Open(const std::string& script) {
    OpenHeadless(640, 480, script);
    reads_.Start(Snapshot);
    graphics::WaitMilliseconds = RecordWait;
  }
  struct Real {
    float value;
    int result;
  };
  static Real EditReal(float start, const char* prompt = "Step") {
    Real r{start, 99};
    dialogs::EditReal(platform::Cp866(prompt), r.value, r.result);
    return r;
  }
  // Left x of input column k.
  static int Column(int k) { return k * (dialogs::CharWidth + 1); }
  // Top of the text area, client y.
  static int Top() { return view::DrawAreaHeight; }
  // Draws on the text area as the field would, for reference pictures.
  static void DrawAt(const std::string& text, int x) {
    graphics::SetViewport(0, view::DrawAreaHeight, view::ClientWidth, view::ClientHeight);
    graphics::SetDrawColor(dialogs::TextColour);
    dialogs::DrawTextRun(text, x, dialogs::RowPitch, dialogs::CharHeight, dialogs::CharWidth);
  }
  testing_support::KeyReads reads_;
};

TEST_F(NumberFieldTest, PointOrCommaStoreTheNumberEmptyKeepsItEscAndBracketCancel) {
  Open(R"(2.5\r2,5\r\r\e[4]-7{Left}1\r)");
  Real r = EditReal(7);
  EXPECT_EQ(r.value, 2.5f);
  EXPECT_EQ(r.result, 1);
  r = EditReal(7);
  EXPECT_EQ(r.value, 2.5f);
  EXPECT_EQ(r.result, 1);
  r = EditReal(7);
  EXPECT_EQ(r.value, 7.0f);
  EXPECT_EQ(r.result, 0);
  r = EditReal(7);
  EXPECT_EQ(r.value, 7.0f);
  EXPECT_EQ(r.result, -1);
  r = EditReal(7);
  EXPECT_EQ(r.value, 7.0f);
  EXPECT_EQ(r.result, -1);
  r = EditReal(7);  // ']' confirms like Enter
  EXPECT_EQ(r.value, 4.0f);
  EXPECT_EQ(r.result, 1);
  r = EditReal(7);  // an extended key (0, 75) adds nothing to the text
  EXPECT_EQ(r.value, -71.0f);
  EXPECT_EQ(r.result, 1);
}

TEST_F(NumberFieldTest, TypedSignsLettersAndTrailingCharacters) {
  Open(R"(12abc\rabc\rA\rB\r-B\r- )");
  dialogs::LetterVariables[1] = 4.5f;  // B
  Real r = EditReal(7);
  EXPECT_EQ(r.value, 12.0f);
  r = EditReal(7);
  EXPECT_EQ(r.value, 0.0f);
  EXPECT_EQ(r.result, 1);
  r = EditReal(7);
  EXPECT_EQ(r.value, 0.0f);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(EditReal(7).value, 4.5f);
  EXPECT_EQ(EditReal(7).value, -4.5f);
  // The blank after the sign ends the entry: the sign is kept on a zero.
  r = EditReal(7);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.value, 0.0f);
  EXPECT_TRUE(std::signbit(r.value));
}

TEST_F(NumberFieldTest, ParserFollowsTheSignDigitAndFractionRules) {
  dialogs::LetterVariables[2] = 2.5f;  // C
  struct Case {
    const char* text;
    float value;
  };
  const Case cases[] = {
      {" -3", -3.0f},   {"- 3", -0.0f},   {"12abc", 12.0f}, {"abc", 0.0f},    {"A", 0.0f},
      {"+5", 5.0f},     {",, 7", 7.0f},   {"1,5", 1.5f},    {".5", 0.5f},     {"3.", 3.0f},
      {"1.2.3", 1.2f},  {"--3", -0.0f},   {"-+3", -0.0f},   {"C", 2.5f},      {"-C", -2.5f},
      {"C7", 2.5f},     {"c", 0.0f},      {"-", -0.0f},     {"007", 7.0f},    {"2x.5", 2.0f},
      {"  ,-0.25", -0.25f},
  };
  for (const Case& c : cases) {
    float v = 99.0f;
    ASSERT_TRUE(dialogs::ParseNumberText(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
    EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.text;
  }
  float v = 99.0f;
  EXPECT_FALSE(dialogs::ParseNumberText("", v));
  EXPECT_EQ(v, 99.0f);
}

TEST_F(NumberFieldTest, EveryParserStepRoundsToSinglePrecision) {
  // Exact or double arithmetic would give the correctly rounded singles instead.
  float v = 0.0f;
  dialogs::ParseNumberText("0.05", v);
  EXPECT_EQ(v, 0x1.999998p-5f);
  EXPECT_NE(v, 0.05f);
  dialogs::ParseNumberText("167772170", v);
  EXPECT_EQ(v, 0x1.4p+27f);
  dialogs::ParseNumberText("3.14159", v);
  EXPECT_EQ(v, 0x1.921f9cp+1f);
  dialogs::ParseNumberText("100000021", v);  // v · 10 rounded before the digit is added
  EXPECT_EQ(v, 0x1.7d7844p+26f);
  dialogs::ParseNumberText("0.45", v);  // digit · f rounded before it is added
  EXPECT_EQ(v, 0x1.ccccccp-2f);
  dialogs::ParseNumberText("0.9", v);  // f itself a single: 9 · 0.1f, not 0.9f
  EXPECT_EQ(v, 0x1.cccccep-1f);
}

TEST_F(NumberFieldTest, AbsurdlyLongNumbersStayDefined) {
  const std::string nines(80, '9');
  float v = 0.0f;
  ASSERT_TRUE(dialogs::ParseNumberText(nines, v));
  EXPECT_EQ(v, std::numeric_limits<float>::infinity());
  ASSERT_TRUE(dialogs::ParseNumberText("-" + nines, v));
  EXPECT_EQ(v, -std::numeric_limits<float>::infinity());
  // The fraction weight underflows to 0; the sum must stay a finite number near 1.
  ASSERT_TRUE(dialogs::ParseNumberText("0." + nines, v));
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(v, 1.0f, 1e-6f);

  Open(std::string(60, '9') + R"(\r-)" + std::string(60, '9') + R"(\r)");
  reads_.Stop();  // no pictures needed here
  int i = 3, result = 0;
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(i, 1 << 30);
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, -(1 << 30));
}

TEST_F(NumberFieldTest, IntegerFieldRoundsHalvesToEvenAndKeepsTheValueOnCancel) {
  Open(R"(2.5\r3.5\r-2.5\r2.7\r\e\r)");
  int i = 9, result = 0;
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(result, 1);
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, 4);
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, -2);
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, 3);
  i = 9;
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, 9);
  EXPECT_EQ(result, -1);
  dialogs::EditInteger("N", i, result);
  EXPECT_EQ(i, 9);
  EXPECT_EQ(result, 0);
}

TEST_F(NumberFieldTest, LeftClickConfirmsTheEntry) {
  Open(R"(7{click 10 10}{click 10 10})");
  Real r = EditReal(1);
  EXPECT_EQ(r.value, 7.0f);
  EXPECT_EQ(r.result, 1);
  r = EditReal(1);  // a click on an empty field is an empty entry
  EXPECT_EQ(r.value, 1.0f);
  EXPECT_EQ(r.result, 0);
}

TEST_F(NumberFieldTest, PromptRowShowsTheLanguagePartTheValueAndEquals) {
  Open(R"(\e)");
  dialogs::LanguageIndex = 1;
  float value = 1.5f;
  int result = 0;
  dialogs::EditReal(platform::Cp866("Масштаб;Scale"), value, result);
  ASSERT_EQ(g_frames.size(), 1u);

  dialogs::ClearTextArea();
  DrawAt("Scale     1.500000 = ", 5);
  EXPECT_TRUE(SameFrame(graphics::Screen.pixels, g_frames[0]));
}

TEST_F(NumberFieldTest, TypedCharactersSitInTheirColumns) {
  Open(R"(12\r)");
  EditReal(0, "Step");
  ASSERT_GE(g_frames.size(), 3u);
  const int c0 = 4 + 19;
  const int row_top = Top() + dialogs::RowPitch - dialogs::CharHeight - 1;
  const int row_bottom = Top() + dialogs::RowPitch + dialogs::CharHeight / 2;
  for (int k = 1; k <= 2; ++k) {
    const Box b = Diff(g_frames[k - 1], g_frames[k]);
    ASSERT_FALSE(b.empty()) << k;
    EXPECT_GE(b.x1, Column(c0 + k)) << k;
    EXPECT_LE(b.x2, Column(c0 + k) + dialogs::CharWidth) << k;
    EXPECT_GE(b.y1, row_top) << k;
    EXPECT_LE(b.y2, row_bottom) << k;
  }
}

TEST_F(NumberFieldTest, BackspaceErasesTheLastCharacterAndStopsAtEmpty) {
  Open(R"(12\b\r\b\b5\r)");
  Real r = EditReal(0);
  EXPECT_EQ(r.value, 1.0f);
  EXPECT_EQ(r.result, 1);
  // Frames before '1', '2', Backspace, Enter: the 2 was drawn, then erased to the
  // background, leaving the screen as it was with "1" alone.
  ASSERT_EQ(g_frames.size(), 4u);
  const Box drawn = Diff(g_frames[1], g_frames[2]);
  ASSERT_FALSE(drawn.empty());
  const std::uint32_t background = graphics::Palette[dialogs::TextBackColour];
  for (int y = drawn.y1; y <= drawn.y2; ++y)
    for (int x = drawn.x1; x <= drawn.x2; ++x)
      EXPECT_EQ(g_frames[3][static_cast<std::size_t>(y) * graphics::Screen.width + x], background);
  EXPECT_TRUE(SameFrame(g_frames[3], g_frames[1]));

  g_frames.clear();
  r = EditReal(0);
  EXPECT_EQ(r.value, 5.0f);
  // Backspace on the empty field changes nothing; the next character takes column 1.
  ASSERT_EQ(g_frames.size(), 4u);
  EXPECT_TRUE(SameFrame(g_frames[2], g_frames[0]));
  const Box five = Diff(g_frames[2], g_frames[3]);
  EXPECT_GE(five.x1, Column(4 + 19 + 1));
  EXPECT_LE(five.x2, Column(4 + 19 + 1) + dialogs::CharWidth);
}

TEST_F(NumberFieldTest, ConfirmEchoesTextAndValueThenPauses) {
  Open(R"(25\r\r\e)");
  EditReal(0);
  EXPECT_EQ(g_waits, (std::vector<int>{100, 300}));
  ASSERT_EQ(g_frames.size(), 3u);
  const Frame after = graphics::Screen.pixels;
  const int c0 = 4 + 19, n = 2;
  graphics::Screen.pixels = g_frames[2];
  DrawAt("25", Column(c0 + n + 3));
  DrawAt("    25.000", Column(c0 + n + 8));
  EXPECT_TRUE(SameFrame(graphics::Screen.pixels, after));

  g_waits.clear();
  EditReal(0);  // empty: the echo's pause only
  EXPECT_EQ(g_waits, (std::vector<int>{100}));
  g_waits.clear();
  EditReal(0);
  EXPECT_TRUE(g_waits.empty());
}

TEST_F(NumberFieldTest, FieldEndsInTheInnerDrawingViewport) {
  Open(R"(1\r)");
  EditReal(0);
  const graphics::ViewportRec after = graphics::Viewport;
  graphics::SetViewport(0, 0, 10, 10);
  dialogs::SetInnerDrawViewport();
  EXPECT_EQ(after.left, graphics::Viewport.left);
  EXPECT_EQ(after.top, graphics::Viewport.top);
  EXPECT_EQ(after.right, graphics::Viewport.right);
  EXPECT_EQ(after.bottom, graphics::Viewport.bottom);
  EXPECT_EQ(after.left, view::ViewMargin);
}

TEST(FormatNumber, FixedPointOrRoundedIntegerRightAligned) {
  EXPECT_EQ(dialogs::FormatNumber(2.5f, 12, 6), "    2.500000");
  EXPECT_EQ(dialogs::FormatNumber(-1.25f, 8, 3), "  -1.250");
  EXPECT_EQ(dialogs::FormatNumber(2.5f, 4, 0), "   2");
  EXPECT_EQ(dialogs::FormatNumber(3.5f, 4, -1), "   4");
  EXPECT_EQ(dialogs::FormatNumber(123456.0f, 3, 1), "123456.0");  // never cut
  EXPECT_EQ(dialogs::FormatNumber(7.0f, 0, 0), "7");
  EXPECT_EQ(dialogs::FormatNumber(std::numeric_limits<float>::infinity(), 3, 0), "1073741824");
}

}  // namespace
