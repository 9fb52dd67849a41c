#include "textentry/colour_choice.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/stroke_font.h"
#include "graphics/driver.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using Values = std::array<std::int32_t, 16>;

// The framebuffer as it is each time the dialog asks for a key.
std::vector<std::vector<std::uint32_t>> g_frames;
void Snapshot() { g_frames.push_back(graphics::Screen.pixels); }

class ColourChoiceTest : public testing_support::ProgramTest {
 protected:
  void Open(const std::string& script) {
    OpenHeadless(800, 480, script);
    g_frames.clear();
    reads_.Start(Snapshot);
  }
  static std::int32_t Choose(std::int32_t colour, Values& values, std::int32_t shown = 1) {
    textentry::ChooseColour("T", shown, colour, values);
    return colour;
  }
  static std::uint32_t Colour(int index) {
    return graphics::Palette[graphics::SchemeSubstitute(graphics::BackgroundScheme, index)];
  }
  // Pixels of the text colour in a box of the text area (x, y relative to its corner).
  static int TextPixels(const std::vector<std::uint32_t>& frame, int x1, int y1, int x2, int y2) {
    int n = 0;
    const int w = graphics::Screen.width;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x)
        n += frame[static_cast<std::size_t>((view::DrawAreaHeight + y) * w + x)] == Colour(dialogs::TextColour);
    return n;
  }
  testing_support::KeyReads reads_;
};

TEST_F(ColourChoiceTest, ArrowsStopAtTheEndsAndTheEndKeysGiveTheColourOrMinusOne) {
  Open(R"({Left}\r{Right}\r\r{Right}{Right}]{Left}[{Right} {Up}{Down}{Down}\r)");
  Values v{};
  EXPECT_EQ(Choose(0, v), 0);
  EXPECT_EQ(Choose(15, v), 15);
  EXPECT_EQ(Choose(7, v), 7);
  EXPECT_EQ(Choose(7, v), 9);
  EXPECT_EQ(Choose(3, v), -1);
  EXPECT_EQ(Choose(5, v, 0), 6);  // without values a blank chooses
  EXPECT_EQ(Choose(2, v), 2);
  EXPECT_EQ(v[2], -1);
  v[2] = 0;
  EXPECT_EQ(v, Values{});
}

TEST_F(ColourChoiceTest, ValuesChangedBeforeEscStayAndTypedValuesRoundHalvesToEven) {
  Open(R"({Up}{Up}{Up}\e 2.5\r{Right} 3.5\r\r 7\e\r)");
  Values v{};
  v[4] = 10;
  EXPECT_EQ(Choose(4, v), -1);
  EXPECT_EQ(v[4], 13);
  EXPECT_EQ(Choose(8, v), 9);
  EXPECT_EQ(v[8], 2);
  EXPECT_EQ(v[9], 4);
  EXPECT_EQ(Choose(1, v), 1);  // Esc in the field keeps the value
  EXPECT_EQ(v[1], 0);
}

TEST_F(ColourChoiceTest, SwatchesMarkerAndValuesRowAreDrawnAndErased) {
  Open(R"({Up}{Right}\r)");
  Values v{};
  Choose(3, v);
  ASSERT_EQ(g_frames.size(), 3u);
  const std::vector<std::uint32_t>& first = g_frames[0];
  const int w = graphics::Screen.width;
  for (int i = 1; i < 16; ++i) {
    const int x0 = 84 + 35 * i;
    EXPECT_EQ(first[static_cast<std::size_t>((view::DrawAreaHeight + 9) * w + x0 + 17)], Colour(i)) << i;
    // The frame in the text colour on both sides.
    EXPECT_EQ(first[static_cast<std::size_t>((view::DrawAreaHeight + 9) * w + x0 + 2)], Colour(dialogs::TextColour));
    EXPECT_EQ(first[static_cast<std::size_t>((view::DrawAreaHeight + 9) * w + x0 + 33)], Colour(dialogs::TextColour));
  }
  // The marker under swatch 3, then (after Up) still there, then under swatch 4.
  const auto marker = [&](const std::vector<std::uint32_t>& f, int c) {
    return TextPixels(f, 84 + 35 * c + 2, 26, 84 + 35 * c + 36, 31);
  };
  EXPECT_GT(marker(g_frames[0], 3), 0);
  EXPECT_EQ(marker(g_frames[0], 4), 0);
  EXPECT_GT(marker(g_frames[1], 3), 0);
  EXPECT_EQ(marker(g_frames[2], 3), 0);
  EXPECT_GT(marker(g_frames[2], 4), 0);
  // The values row shows a 1 after Up; at the end the row and the marker are gone without a
  // trace, although the row was drawn with the value before the change.
  EXPECT_NE(TextPixels(g_frames[1], 70, 32, 799, 39), TextPixels(g_frames[0], 70, 32, 799, 39));
  EXPECT_EQ(TextPixels(graphics::Screen.pixels, 70, 26, 799, 40), 0);
}

}  // namespace
