#include "textentry/banner.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "view/view_state.h"

namespace textentry {

// "Миртавел": the capital stands two rows above the small letters, the tail of "р" two
// rows below them.
constinit const std::array<std::string_view, 9> BannerBlockRows = {
    "   OO     OO",
    "   OOO   OOO",
    "   OO O O OO  OO   OO  OOOOOO   OOOOOOOO   OOOOO   OOOOOO    OOOOO     OOOOO",
    "   OO  O  OO  OO  OOO  OO   OO     OO          OO  OO   OO  OO   OO   OO  OO",
    "   OO     OO  OO O OO  OO   OO     OO      OOOOOO  OOOOOO   OOOOOOO   OO  OO",
    "   OO     OO  OOO  OO  OOOOOO      OO     OO   OO  OO   OO  OO        OO  OO",
    "   OO     OO  OO   OO  OO          OO      OOOOOO  OOOOOO    OOOOOO  OO   OO",
    "                       OO",
    "                       OO",
};

namespace {

// Rows are counted from 1 within one banner; each row takes the cell size of the viewport
// as it is when the row is drawn.
struct RowCursor {
  int n = 0;

  void Next(int& y, int& w, int& h) {
    ++n;
    w = platform::RoundInt((view::ViewportWidth - 20) / 80.0);
    h = platform::RoundInt(view::ViewportHeight / 50.0);
    y = 2 * n * h;
  }

  void Text(std::string_view text) {
    int y, w, h;
    Next(y, w, h);
    dialogs::DrawTextRun(text, 1, y, h, w);
  }

  void Blocks(std::string_view row) {
    int y, w, h;
    Next(y, w, h);
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (row[k] == ' ') continue;
      const int x = static_cast<int>(k) * w;
      for (int line = y + 1; line <= y + 2 * h; ++line) {
        graphics::MoveToPoint(x, line);
        graphics::LineToPoint(x + w, line);
      }
    }
  }
};

std::string Blanks(int n) { return std::string(n > 0 ? static_cast<std::size_t>(n) : 0, ' '); }

}  // namespace

void ShowBanner(std::string_view title, float version, int year) {
  dialogs::LayoutScreen();
  graphics::SetDrawColor(graphics::colours::kWhite);
  const int pad = (55 - static_cast<int>(std::min<std::size_t>(title.size(), 1000))) / 2;

  char version_text[64];
  std::snprintf(version_text, sizeof version_text, "%3.1f", static_cast<double>(version));
  char year_text[16];
  std::snprintf(year_text, sizeof year_text, "%4d", year);

  RowCursor rows;
  for (int i = 0; i < 5; ++i) rows.Text(" ");
  for (const std::string_view row : BannerBlockRows) rows.Blocks(row);
  for (int i = 0; i < 2; ++i) rows.Text(" ");
  rows.Text(Blanks(20) + platform::Cp866("СИСТЕМА АВТОМАТИЗИРОВАННОГО ПРОЕКТИРОВАНИЯ"));
  rows.Text(Blanks(13) + Blanks(pad) + std::string(title));
  rows.Text(Blanks(34) + platform::Cp866("Версия ") + version_text + Blanks(33));
  rows.Text(" ");
  rows.Text(Blanks(33) + platform::Cp866("Москва ") + year_text + platform::Cp866("г.") + Blanks(31));
  for (int i = 0; i < 2; ++i) rows.Text(" ");

  for (int i = 0; i < 9 && !graphics::KeyAvailable(); ++i) graphics::WaitMilliseconds(10);
}

}  // namespace textentry
