#include "dialogs/text_area.h"

#include <gtest/gtest.h>

#include <array>

#include "dialogs/stroke_font.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

class TextAreaTest : public testing_support::ProgramTest {
 protected:
  // Lit pixels in client rows [y0, y1) of the text area.
  static int LitRows(int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < graphics::Screen.width; ++x) n += graphics::PixelAt(x, y) != 0;
    return n;
  }
  static void ExpectInnerViewport() {
    EXPECT_EQ(graphics::Viewport.left, view::ViewportLeft + 1);
    EXPECT_EQ(graphics::Viewport.top, view::ViewportTop + 1);
    EXPECT_EQ(graphics::Viewport.right, view::ViewportLeft + view::ViewportWidth - 1);
    EXPECT_EQ(graphics::Viewport.bottom, view::ViewportTop + view::ViewportHeight - 1);
  }
};

TEST_F(TextAreaTest, LayoutOfAWindowSixHundredHigh) {
  OpenHeadless(800, 600);
  EXPECT_EQ(dialogs::CharHeight, 10);
  EXPECT_EQ(dialogs::TextAreaHeight, 80);
  EXPECT_EQ(view::DrawAreaHeight, 520);
  EXPECT_EQ(dialogs::RowBaseline(0), 19);
  EXPECT_EQ(dialogs::RowBaseline(1) - dialogs::RowBaseline(0), 20);
  ExpectInnerViewport();
  // The frame is drawn in the frame colour, inside a cleared drawing area.
  EXPECT_EQ(graphics::PixelAt(0, 0), graphics::Palette[9]);
  EXPECT_EQ(graphics::PixelAt(798, 300), graphics::Palette[9]);
  EXPECT_EQ(graphics::PixelAt(400, 517), graphics::Palette[9]);
  EXPECT_EQ(graphics::PixelAt(400, 300), 0u);
  // Corner mark: a swatch in the mark colour beside a black strip.
  EXPECT_EQ(graphics::PixelAt(3, 3), graphics::Palette[15]);
  EXPECT_EQ(graphics::PixelAt(9, 10), graphics::Palette[15]);
  EXPECT_EQ(graphics::PixelAt(10, 3), 0u);
}

TEST_F(TextAreaTest, MessagesGoToTheirRowsAndLeaveTheInnerViewport) {
  OpenHeadless(800, 600);
  const int top = view::DrawAreaHeight;
  dialogs::ShowMessage(0, "-----");
  // A dash sits 4/7 of a capital above the baseline of row 0: y = 19 - 40·10/70.
  EXPECT_EQ(graphics::PixelAt(1 + 3, top + 19 - 6), graphics::Palette[15]);
  ExpectInnerViewport();
  dialogs::ShowMessage(1, "-----");
  EXPECT_GT(LitRows(top + 20, top + 40), 0);
  // Row 1 again without row 0: drawn over the old text, nothing cleared.
  dialogs::ShowMessage(1, "|||||");
  EXPECT_GT(LitRows(top + 30, top + 34), 0);  // the old dashes are still there
  ExpectInnerViewport();
  // Row 0 clears the whole area first.
  dialogs::ShowMessage(0, "");
  EXPECT_EQ(LitRows(top, 600), 0);
  // Drawing after a message stays in the drawing area.
  graphics::SetDrawColor(15);
  graphics::DrawLine(0, 0, 0, 5000);
  EXPECT_EQ(LitRows(top, 600), 0);
}

TEST_F(TextAreaTest, BilingualMessagesShowOneLanguage) {
  OpenHeadless(800, 600);
  const int top = view::DrawAreaHeight;
  dialogs::ShowMessage(0, platform::Cp866("----------;-"));
  const int russian = LitRows(top, top + 20);
  dialogs::LanguageIndex = 1;
  dialogs::ShowMessage(0, platform::Cp866("----------;-"));
  const int english = LitRows(top, top + 20);
  EXPECT_GT(russian, 5 * english);
  EXPECT_GT(english, 0);
}

TEST_F(TextAreaTest, FillRectBlanksInTheTextBackground) {
  OpenHeadless(800, 600);
  graphics::SetViewport(0, 0, 800, 600);
  graphics::SetDrawColor(12);
  const std::array<graphics::PolyPoint, 5> all = {{{0, 0}, {799, 0}, {799, 599}, {0, 599}, {0, 0}}};
  graphics::FillPolygon(4, all.data());
  ASSERT_EQ(graphics::PixelAt(30, 30), 0xFF0000u);
  dialogs::TextBackColour = 1;
  dialogs::FillRect(10, 10, 50, 50);
  EXPECT_EQ(graphics::PixelAt(30, 30), 0u);  // the background brush, not colour 1's
  EXPECT_EQ(graphics::GetDrawColor(), dialogs::TextColour);
}

}  // namespace
