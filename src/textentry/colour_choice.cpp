#include "textentry/colour_choice.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace textentry {

namespace keys = graphics::keys;

namespace {

constexpr int kSwatchLeft = 84;
constexpr int kSwatchPitch = 35;

int SwatchX(int colour) { return kSwatchLeft + kSwatchPitch * colour; }

// Every draw names the text area again: a repaint inside a key read may have moved the
// viewport.
void DrawText(std::string_view text, int x, int y, int colour) {
  dialogs::SetTextAreaViewport();
  graphics::SetDrawColor(colour);
  dialogs::DrawTextRun(text, x, y, 7, 7);
}

std::string ValuesRow(const std::array<std::int32_t, 16>& values) {
  std::string row;
  char field[16];
  for (const std::int32_t v : values) {
    std::snprintf(field, sizeof field, "%5d", static_cast<int>(v));
    row += field;
  }
  return row;
}

void DrawDialog(std::string_view title) {
  dialogs::ClearTextArea();
  dialogs::SetTextAreaViewport();
  for (int i = 0; i < 16; ++i) {
    const int x0 = SwatchX(i);
    graphics::SetDrawColor(i);
    for (int y = 2; y <= 16; ++y) graphics::DrawLine(x0 + 2, y, x0 + 33, y);
    graphics::SetDrawColor(dialogs::TextColour);
    graphics::MoveToPoint(x0 + 2, 2);
    graphics::LineToPoint(x0 + 2, 16);
    graphics::LineToPoint(x0 + 33, 16);
    graphics::LineToPoint(x0 + 33, 2);
    graphics::LineToPoint(x0 + 2, 2);
    char number[8];
    std::snprintf(number, sizeof number, "%2d", i);
    DrawText(number, x0 + 8, 25, dialogs::TextColour);
  }
  DrawText(platform::Cp866(" Цвет"), 1, 25, dialogs::TextColour);
  DrawText(title, 1, 39, dialogs::TextColour);
}

// The dialogue that waits for keys, as a repaint draws it again: swatches and title, the
// values row as last drawn, and the marker under the chosen swatch while it is shown.
struct ChoiceRows {
  std::string title;
  const std::string* row = nullptr;
  const int* marker_x = nullptr;  // 0: no marker
};
ChoiceRows g_choice;

void DrawChoice() {
  DrawDialog(g_choice.title);
  if (!g_choice.row->empty()) DrawText(*g_choice.row, 70, 39, dialogs::TextColour);
  if (*g_choice.marker_x != 0) DrawText("=====", *g_choice.marker_x, 32, dialogs::TextColour);
  dialogs::SetInnerDrawViewport();
}

std::int32_t Step(std::int32_t v, int by) {
  // Saturates instead of overflowing: the keys set no limits of their own.
  const std::int64_t r = std::int64_t{v} + by;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(r, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void ChooseColour(std::string_view title, std::int32_t show_values, std::int32_t& colour,
                  std::array<std::int32_t, 16>& values) {
  const bool shown = show_values != 0;
  const std::string marker = "=====";
  // An entry colour outside the swatches would index past the values.
  int c = std::clamp<std::int32_t>(colour, 0, 15);
  DrawDialog(title);
  std::string row;
  int marker_x = 0;
  g_choice = {std::string(title), &row, &marker_x};
  const view::TextRowsOnRepaint repaint(DrawChoice);
  for (;;) {
    // The row is erased with the text it was drawn with, not with values changed since.
    row.clear();
    if (shown) {
      row = ValuesRow(values);
      DrawText(row, 70, 39, dialogs::TextColour);
    }
    marker_x = SwatchX(c) + 2;
    DrawText(marker, marker_x, 32, dialogs::TextColour);
    const std::uint8_t key = graphics::ReadCommandKey();
    DrawText(marker, marker_x, 32, dialogs::TextBackColour);
    marker_x = 0;
    if (key == keys::kExtended) {
      switch (graphics::ReadRawKey()) {
        case keys::kLeft:
          if (c > 0) --c;
          break;
        case keys::kRight:
          if (c < 15) ++c;
          break;
        case keys::kUp:
          values[c] = Step(values[c], 1);
          break;
        case keys::kDown:
          values[c] = Step(values[c], -1);
          break;
        default:
          break;
      }
    } else if (key == keys::kBlank && shown) {
      float v = static_cast<float>(values[c]);
      int result = 0;
      dialogs::EditReal(std::string(title) + " = ", v, result);
      // Only a typed number replaces the value: the float copy cannot hold every integer.
      if (result == 1) values[c] = platform::RoundInt(v);
      DrawDialog(title);
      continue;
    }
    if (shown) DrawText(row, 70, 39, dialogs::TextBackColour);
    if (key == keys::kEnter || key == ']' || key == keys::kBlank) {
      colour = c;
      break;
    }
    if (key == keys::kEsc || key == '[') {
      colour = -1;
      break;
    }
  }
  graphics::SetDrawColor(dialogs::TextColour);
  dialogs::SetInnerDrawViewport();
}

}  // namespace textentry
