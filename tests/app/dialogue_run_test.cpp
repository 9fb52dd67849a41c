// Whole runs of the program: the dialogues after a resize, the graphic cursor in the divided
// screen, and texts that fit their boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadPng;
using testing_support::RunUgfview;

const std::string kPart = testing_support::Sample("PART.UGF");

struct Picture {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  std::uint32_t at(int x, int y) const {
    return x < w ? px[static_cast<std::size_t>(y) * w + x] : 0;  // beyond the right edge: black
  }
};

class DialogueRun : public testing_support::ProgramTest {
 protected:
  // A run of PART.UGF at `size` on `keys`.
  void Run(const std::string& size, const std::string& keys, const std::vector<std::string>& env = {}) {
    const auto r = RunUgfview({"--size", size, "--keys", keys, kPart}, dir(), env);
    EXPECT_EQ(r.status, 0) << keys << "\n" << r.err;
  }
  Picture Shot(const std::string& name) {
    Picture p;
    EXPECT_TRUE(ReadPng(dir() + "/" + name, p.px, p.w, p.h)) << name;
    return p;
  }
};

// A resize while a dialogue waits gives the screen it shows when the window had the new size
// before it began: the picture of the view (fitted to the old size in both), and the
// dialogue's own rows where the new size puts them. The move after the resize is input that
// is no key, so the repaint is complete.
TEST_F(DialogueRun, ARepaintDrawsTheDialogueThatIsUpAgain) {
  const std::string resize = "{resize 760 560}{move 300 200}";
  // The graphic cursor, the zoom window, the name field, the colour choice, the number field,
  // a message waiting for a key, the file selector.
  for (const std::string keys : {"6", "Z", "3", "2N\\r\\r", "2N\\r\\r\\r", "3\\e", "1"}) {
    Run("800x600", keys + resize + "{shot a.png}");
    Run("800x600", resize + keys + "{move 300 200}{shot b.png}");
    const Picture during = Shot("a.png");
    EXPECT_EQ(during.w, 760);
    EXPECT_TRUE(during.px == Shot("b.png").px) << keys;
  }
}

// The cross-hair follows the pointer in every viewport of the divided screen: what the cursor
// changes in the drawing area lies on the pointer's row and column.
TEST_F(DialogueRun, TheCrossHairIsUnderThePointerInEveryViewport) {
  const struct {
    const char* layout;
    int x, y;  // a client pixel inside the layout's active viewport
  } cases[] = {{"!E", 300, 200},     {"@\\tE", 600, 300},       {"$\\tE", 600, 120},
               {"$\\t\\tE", 200, 400}, {"$\\t\\t\\tE", 600, 400}};  // E: the work plane faces the view
  for (const auto& c : cases) {
    Run("800x600", std::string(c.layout) + "{shot a.png}6{move " + std::to_string(c.x) + " " +
                       std::to_string(c.y) + "}{shot b.png}");
    const Picture a = Shot("a.png"), b = Shot("b.png");
    int on_row = 0, on_column = 0, elsewhere = 0;
    for (int y = 0; y < 520; ++y)  // the drawing area of an 800 × 600 window
      for (int x = 0; x < 800; ++x) {
        if (a.at(x, y) == b.at(x, y)) continue;
        // The cross-hair's centre is one pixel right and down of the pointer (the viewport's
        // margin), as in the single viewport.
        const bool row = y == c.y + 1, column = x == c.x + 1;
        on_row += row && !column;
        on_column += column && !row;
        elsewhere += !row && !column;
      }
    EXPECT_GT(on_row, 40) << c.layout;
    EXPECT_GT(on_column, 20) << c.layout;
    EXPECT_EQ(elsewhere, 0) << c.layout;
  }
}

TEST_F(DialogueRun, TextsFitTheirBoxes) {
  // The coordinate box at 1920 × 1080 (16-pixel cells): its rows read "Xr   0.0000 X   0.0000"
  // at the cursor's start, so the second number is the first one again, 11 cells further on,
  // when the row is whole.
  Run("1920x1080", "6{shot c.png}");
  const Picture c = Shot("c.png");
  const int cell = 16, left = 1920 - (22 * cell + 2) + 1;
  int text = 0, differ = 0;
  for (int y = 1080 - 8 * (1080 / 50 - 2); y < 1080; ++y)  // the text area
    for (int dx = 0; dx < 9 * cell; ++dx) {
      const std::uint32_t first = c.at(left + 2 * cell + dx, y), second = c.at(left + 13 * cell + dx, y);
      text += first != 0;
      differ += first != second;
    }
  EXPECT_GT(text, 100);
  EXPECT_EQ(differ, 0);

  // The print dialogue's title at 1024 × 768 stays before the letter buttons (x = 612): it
  // and the main menu's title are all that differs in the title row.
  Run("1024x768", "{shot m.png}4{shot p.png}", {"UGFVIEW_PRINT_DIR=" + dir()});
  const Picture menu = Shot("m.png"), print = Shot("p.png");
  int title = 0, beyond = 0;
  for (int y = 768 - 104; y < 768 - 104 + 25; ++y)  // the title row
    for (int x = 0; x < 1024; ++x)
      if (menu.at(x, y) != print.at(x, y)) ++(x < 612 ? title : beyond);
  EXPECT_GT(title, 100);
  EXPECT_EQ(beyond, 0);
}

}  // namespace
