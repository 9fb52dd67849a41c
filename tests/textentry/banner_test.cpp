#include "textentry/banner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/file_selector.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using platform::Cp866;

std::vector<int> g_waits;
int g_key_on_wait = 0;  // push a key during this wait (1-based), 0: never
void RecordWait(int ms) {
  g_waits.push_back(ms);
  if (static_cast<int>(g_waits.size()) == g_key_on_wait) graphics::PushKey('x');
}

using testing_support::Frame;
using testing_support::SameFrame;

class BannerTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    g_waits.clear();
    g_key_on_wait = 0;
  }
  // The picture the banner must give: every row from the viewport's cell size.
  static Frame Reference(const std::string& subtitle_row) {
    dialogs::LayoutScreen();
    graphics::SetDrawColor(15);
    const int w = platform::RoundInt((view::ViewportWidth - 20) / 80.0);
    const int h = platform::RoundInt(view::ViewportHeight / 50.0);
    auto text = [&](int n, const std::string& s) { dialogs::DrawTextRun(s, 1, 2 * n * h, h, w); };
    for (int r = 0; r < 9; ++r) {
      const int y = 2 * (6 + r) * h;
      const std::string_view row = textentry::BannerBlockRows[r];
      for (std::size_t k = 0; k < row.size(); ++k) {
        if (row[k] != 'O') continue;
        for (int yy = y + 1; yy <= y + 2 * h; ++yy) {
          graphics::MoveToPoint(static_cast<int>(k) * w, yy);
          graphics::LineToPoint(static_cast<int>(k) * w + w, yy);
        }
      }
    }
    text(17, std::string(20, ' ') + Cp866("СИСТЕМА АВТОМАТИЗИРОВАННОГО ПРОЕКТИРОВАНИЯ"));
    text(18, subtitle_row);
    text(19, std::string(34, ' ') + Cp866("Версия 2.2"));
    text(21, std::string(33, ' ') + Cp866("Москва 2004г."));
    return graphics::Screen.pixels;
  }
};

TEST_F(BannerTest, RowsFollowTheViewportCellSizeAndTheSubtitleIsCentred) {
  const std::string subtitle = Cp866("Просмотр и печать графического файла");
  ASSERT_EQ(subtitle.size(), 36u);
  const std::string long_subtitle(60, 'S');
  for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 1024}}) {
    OpenHeadless(width, height);
    graphics::WaitMilliseconds = RecordWait;
    textentry::ShowBanner(subtitle, 2.2f, 2004);
    const auto shown = graphics::Screen.pixels;
    // 36 characters: pad 9, so 22 blanks in all before the subtitle.
    EXPECT_TRUE(SameFrame(shown, Reference(std::string(22, ' ') + subtitle))) << width;
    // Longer than 55: the pad is negative and adds nothing.
    textentry::ShowBanner(long_subtitle, 2.2f, 2004);
    const auto shown_long = graphics::Screen.pixels;
    EXPECT_TRUE(SameFrame(shown_long, Reference(std::string(13, ' ') + long_subtitle))) << width;
  }
  // The block letters are whole cells within the 79 columns of the banner.
  for (const std::string_view row : textentry::BannerBlockRows) {
    EXPECT_LE(row.size(), 79u);
    EXPECT_EQ(row.find_first_not_of(" O"), std::string_view::npos) << row;
  }
}

TEST_F(BannerTest, AKeyEndsTheWaitAndIsLeftForTheNextDialogue) {
  OpenHeadless(640, 480);
  graphics::WaitMilliseconds = RecordWait;
  textentry::ShowBanner("x", 2.2f, 2004);
  EXPECT_EQ(g_waits, std::vector<int>(9, 10));

  g_waits.clear();
  g_key_on_wait = 3;
  textentry::ShowBanner("x", 2.2f, 2004);
  EXPECT_EQ(g_waits.size(), 3u);
  EXPECT_EQ(graphics::ReadCommandKey(), 'x');

  // Typed before the window opened: no wait at all, and the file selector takes the key.
  std::FILE* f = std::fopen("A.UGF", "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  OpenHeadless(640, 480, "{+}\r");
  graphics::WaitMilliseconds = RecordWait;
  g_waits.clear();
  g_key_on_wait = 0;
  textentry::ShowBanner("x", 2.2f, 2004);
  EXPECT_TRUE(g_waits.empty());
  std::string name;
  dialogs::SelectFile(1, "*.UGF", name);
  EXPECT_EQ(name, "A");
}

}  // namespace
