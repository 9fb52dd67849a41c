#include "app/test_card.h"

#include <algorithm>
#include <array>
#include <string>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/text.h"
#include "view/view_state.h"

namespace app {

namespace {

using graphics::PolyPoint;

void FilledRect(int x0, int y0, int x1, int y1) {
  const std::array<PolyPoint, 5> p = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}};
  graphics::FillPolygon(4, p.data());
}

std::string AllGlyphs() {
  std::string all;
  for (int c = 33; c < 256; ++c) {
    const bool covered = c <= 122 || c == 124 || (c >= 128 && c <= 175) || (c >= 224 && c <= 241);
    if (covered) all += static_cast<char>(c);
  }
  return all;
}

}  // namespace

void DrawTestCard() {
  // The screen as the view set-up lays it out: frame, corner mark, four text rows.
  graphics::OpenGraphics();
  dialogs::ComputeTextMetrics();
  dialogs::LayoutScreen();

  const int w = view::ViewportWidth - 2 * view::ViewMargin;
  const int h = view::ViewportHeight - 2 * view::ViewMargin;
  const int m = std::max(w / 64, 4);

  // The sixteen base colours.
  const int sw = (w - 2 * m) / 16;
  const int top = 3 * m, bottom = top + std::max(h / 10, 8);
  for (int i = 0; i < 16; ++i) {
    graphics::SetDrawColor(i);
    FilledRect(m + i * sw + 2, top, m + (i + 1) * sw - 2, bottom);
  }

  // Every glyph at the text-row size, 14 and 28 pixels, wrapped to the area's width.
  graphics::SetDrawColor(dialogs::TextColour);
  dialogs::SetTextEscapeMode(2);
  const std::string all = AllGlyphs();
  int y = bottom + m;
  for (const int size : {dialogs::CharHeight, 14, 28}) {
    const int cell = size == dialogs::CharHeight ? dialogs::CharWidth : size;
    const int per_row = std::max((w - 2 * m) / cell, 1);
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(per_row)) {
      y += size * 3 / 2 + 2;
      if (y > h - 2) break;
      dialogs::DrawTextRun(all.substr(i, static_cast<std::size_t>(per_row)), m, y, size, cell);
    }
    y += size / 2;
  }
  dialogs::SetTextEscapeMode(0);

  dialogs::ShowMessage(0, platform::Cp866(" Просмотр и печать графического файла"));
  dialogs::ShowMessage(1, platform::Cp866(" Вывод чертежа на принтер; Print the drawing"));
  dialogs::ShowMessage(2, platform::Cp866(" ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789"));
  dialogs::ShowMessage(3, platform::Cp866(" L - язык, Esc - выход; L - language, Esc - exit"));
}

void RunTestCard() {
  for (;;) {
    const std::uint8_t key = graphics::ReadWholeKey();
    if (key == graphics::keys::kEsc) graphics::CloseGraphics();
    if (key == 'L' || key == 'l') {
      dialogs::LanguageIndex = 1 - dialogs::LanguageIndex;
      DrawTestCard();
    }
  }
}

}  // namespace app
