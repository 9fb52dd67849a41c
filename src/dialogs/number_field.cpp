#include "dialogs/number_field.h"

#include <algorithm>
#include <cstdio>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/rounding.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace dialogs {

namespace keys = graphics::keys;

constinit NumberFieldState NumberFieldVars;

namespace {

// Typed characters sit on a grid one pixel wider than the text cell.
int ColumnX(int column) {
  return static_cast<int>(std::min<long long>(static_cast<long long>(column) * (CharWidth + 1), 1 << 30));
}

// A repaint inside a key read may leave another viewport set: every draw of the field
// names the text area again.
void DrawInTextArea(std::string_view text, int x, int colour) {
  SetTextAreaViewport();
  graphics::SetDrawColor(colour);
  DrawTextRun(text, x, RowPitch, CharHeight, CharWidth);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The field that waits for keys, as a repaint draws it again: its first line, the column
// before the first typed character, and what has been typed.
struct FieldRows {
  std::string line;
  int c0 = 0;
  const std::string* typed = nullptr;
};
FieldRows g_field;

void DrawField() {
  ClearTextArea();
  DrawInTextArea(g_field.line, 5, TextColour);
  for (std::size_t i = 0; g_field.typed && i < g_field.typed->size(); ++i)
    DrawInTextArea(g_field.typed->substr(i, 1), ColumnX(g_field.c0 + static_cast<int>(i) + 1), TextColour);
  SetInnerDrawViewport();
}

}  // namespace

void NumberFieldStartUp() { NumberFieldVars = {}; }

std::string FormatNumber(float x, int width, int decimals) {
  // Fixed limits keep a caller's odd width from asking for a huge buffer.
  width = std::clamp(width, 0, 255);
  decimals = std::min(decimals, 60);
  char buf[512];
  if (decimals > 0) {
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, static_cast<double>(x));
  } else {
    std::snprintf(buf, sizeof buf, "%*d", width, platform::RoundInt(x));
  }
  return buf;
}

bool ParseNumberText(std::string_view text, float& value) {
  if (text.empty()) return false;
  std::size_t i = 0;
  const std::size_t n = text.size();
  float v = 0.0f;
  float f = 1.0f;
  float sign = 1.0f;
  while (i < n && (text[i] == ' ' || text[i] == ',')) ++i;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') sign = -1.0f;
    ++i;
  }
  if (i < n && text[i] >= 'A' && text[i] <= 'Z') {
    v = LetterVariables[static_cast<std::size_t>(text[i] - 'A')];
  } else {
    // Every step is rounded to single precision, as the stored number is a single; separate
    // statements keep a compiler from fusing a multiply and add.
    while (i < n && IsDigit(text[i])) {
      const float scaled = v * 10.0f;
      v = scaled + static_cast<float>(text[i] - '0');
      ++i;
    }
    if (i < n && (text[i] == '.' || text[i] == ',')) {
      ++i;
      while (i < n && IsDigit(text[i])) {
        f = f / 10.0f;
        const float part = static_cast<float>(text[i] - '0') * f;
        v = v + part;
        ++i;
      }
    }
  }
  value = v * sign;
  return true;
}

void EditReal(std::string_view prompt, float& value, int& result) {
  const std::string p = SelectLanguageText(prompt);
  const int c0 = static_cast<int>(std::min<std::size_t>(p.size(), 1000)) + 19;

  std::string typed;
  g_field = {p + ' ' + FormatNumber(value, 12, 6) + " = ", c0, &typed};
  DrawField();
  const view::TextRowsOnRepaint repaint(DrawField);
  int n = 0;
  for (;;) {
    const std::uint8_t key = graphics::ReadWholeKey();
    if (key == keys::kExtended) {
      // taken whole: nothing to type
    } else if (key == keys::kBackspace) {
      --n;
      if (n < 0) {
        n = 0;
        typed.clear();
      } else {
        const std::string last(1, typed.back());
        typed.pop_back();
        graphics::SetXorMode(0);
        DrawInTextArea(last, ColumnX(c0 + n + 1), TextBackColour);
        graphics::SetDrawColor(TextColour);
      }
    } else if (key == keys::kEnter || key == ']' || key == keys::kBlank) {
      DrawInTextArea(typed, ColumnX(c0 + n + 3), TextColour);
      graphics::WaitMilliseconds(100);
      float v = 0.0f;
      if (!ParseNumberText(typed, v)) {
        result = 0;
      } else {
        result = 1;
        value = v;
        DrawInTextArea(FormatNumber(value, 10, 3), ColumnX(c0 + n + 8), TextColour);
        graphics::WaitMilliseconds(300);
      }
      break;
    } else if (key == keys::kEsc || key == '[') {
      result = -1;
      break;
    } else {
      ++n;
      typed.push_back(static_cast<char>(key));
      DrawInTextArea(typed.substr(typed.size() - 1), ColumnX(c0 + n), TextColour);
    }
  }
  SetInnerDrawViewport();
}

bool RefuseUnlessPositive(float value, float max, std::string_view message) {
  if (value > 0.0f && value <= max) return false;
  ShowMessage(0, message);
  const view::TextRowsOnRepaint repaint(ShowMessagesAgain);
  graphics::ReadWholeKey();
  return true;
}

void EditInteger(std::string_view prompt, int& value, int& result) {
  float copy = static_cast<float>(value);
  EditReal(prompt, copy, result);
  value = platform::RoundInt(copy);
}

}  // namespace dialogs
