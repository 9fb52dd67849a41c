#include "textentry/line_editor.h"

#include <algorithm>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace textentry {

namespace keys = graphics::keys;

constinit LineEditorState LineEditorVars;

namespace {

// The Russian typewriter arrangement on a Latin keyboard, as CP866 codes.
constexpr std::array<std::uint8_t, 95> BuildRussianLayout() {
  std::array<std::uint8_t, 95> t{};
  for (int c = 32; c <= 126; ++c) t[c - 32] = static_cast<std::uint8_t>(c);
  // А..Я are 0x80..0x9F; а..п 0xA0..0xAF; р..я 0xE0..0xEF.
  constexpr std::uint8_t kCapitals[26] = {
      0x94, 0x88, 0x91, 0x82, 0x93, 0x80, 0x8F, 0x90, 0x98, 0x8E, 0x8B, 0x84, 0x9C,  // A..M
      0x92, 0x99, 0x87, 0x89, 0x8A, 0x9B, 0x85, 0x83, 0x8C, 0x96, 0x97, 0x8D, 0x9F,  // N..Z
  };
  constexpr std::uint8_t kSmall[26] = {
      0xE4, 0xA8, 0xE1, 0xA2, 0xE3, 0xA0, 0xAF, 0xE0, 0xE8, 0xAE, 0xAB, 0xA4, 0xEC,  // a..m
      0xE2, 0xE9, 0xA7, 0xA9, 0xAA, 0xEB, 0xA5, 0xA3, 0xAC, 0xE6, 0xE7, 0xAD, 0xEF,  // n..z
  };
  for (int i = 0; i < 26; ++i) {
    t['A' + i - 32] = kCapitals[i];
    t['a' + i - 32] = kSmall[i];
  }
  constexpr std::uint8_t kOthers[][2] = {
      {'"', 0x9D}, {'#', 'N'},  {'$', ';'},  {'&', '?'},  {'\'', 0xED}, {',', 0xA1},
      {'.', 0xEE}, {'/', '.'},  {':', 0x86}, {';', 0xA6}, {'<', 0x81},  {'>', 0x9E},
      {'?', ','},  {'@', '"'},  {'[', 0xE5}, {']', 0xEA}, {'^', ':'},   {'`', 0xF1},
      {'{', 0x95}, {'|', '/'},  {'}', 0x9A}, {'~', 0xF0},
  };
  for (const auto& p : kOthers) t[p[0] - 32] = p[1];
  return t;
}

struct Editor {
  std::string& text;
  int prompt_length;
  int pos;  // 1..length + 1; the cursor stands before character pos
};

int CellX(long long cells) {
  return static_cast<int>(std::clamp(cells * dialogs::CharWidth, -(1LL << 30), 1LL << 30));
}

// Every draw names the text area again: a repaint inside a key read may have moved the
// viewport.
void Draw(std::string_view s, int x, int y, int colour) {
  dialogs::SetTextAreaViewport();
  graphics::SetDrawColor(colour);
  dialogs::DrawTextRun(s, x, y, dialogs::CharHeight, dialogs::CharWidth);
}

void DrawText(const Editor& e, int colour) {
  Draw(e.text, CellX(e.prompt_length + 6LL), dialogs::RowPitch, colour);
}

void DrawCursor(const Editor& e, int colour) {
  Draw("-", CellX(static_cast<long long>(e.prompt_length) + 5 + e.pos), 2 * dialogs::RowPitch + 1,
       colour);
}

void DrawHelp(int colour) {
  const bool russian = KeyboardLayout > 0;
  const int p = dialogs::RowPitch;
  const int right = 40 * dialogs::CharWidth + 5;
  Draw(platform::Cp866(russian ? "Русский шрифт." : "Латинский шрифт."), 5, 3 * p + 1, colour);
  Draw(platform::Cp866("Переключение - Ctrl-A."), 5, 4 * p + 1, colour);
  Draw(platform::Cp866(russian ? "Знаки ! \" № ; % : ? * ( )" : "Знаки ! @ # $ % ^ & * ( )"), right,
       3 * p + 1, colour);
  Draw("Shift 1 2 3 4 5 6 7 8 9 0", right, 4 * p + 1, colour);
}

// The editor that waits for keys and its prompt, as a repaint draws them again.
const Editor* g_editor = nullptr;
const std::string* g_prompt = nullptr;

void DrawEditor() {
  if (g_editor == nullptr) return;
  const int fore = dialogs::TextColour;
  dialogs::ClearTextArea();
  Draw(*g_prompt + "    :", 5, dialogs::RowPitch, fore);
  DrawText(*g_editor, fore);
  DrawCursor(*g_editor, fore);
  DrawHelp(fore);
  dialogs::SetInnerDrawViewport();
}

// Typed bytes above 127 are code page 1251; the text is CP866. 0 when CP866 lacks the
// character, which would otherwise show and name a file as some other letter.
std::uint8_t TypedToCp866(std::uint8_t b) {
  const char32_t u = platform::Cp1251ToUnicode(b);
  if (u == 0) return 0;
  const int c = platform::UnicodeToCp866(u);
  return c > 0 ? static_cast<std::uint8_t>(c) : 0;
}

}  // namespace

const std::array<std::uint8_t, 95> RussianLayoutTable = BuildRussianLayout();

void LineEditorStartUp() { LineEditorVars = {}; }

void EditLine(std::string_view prompt, std::string& text) {
  dialogs::TextEscapeMode = 1;
  const std::int16_t saved_colour = graphics::GetDrawColor();
  dialogs::ClearTextArea();

  const std::string p = dialogs::SelectLanguageText(prompt);
  Editor e{text, static_cast<int>(std::min<std::size_t>(p.size(), 1 << 20)), 0};
  e.pos = static_cast<int>(std::min<std::size_t>(text.size(), 1 << 28)) + 1;
  const int fore = dialogs::TextColour, back = dialogs::TextBackColour;

  Draw(p + "    :", 5, dialogs::RowPitch, fore);
  DrawText(e, fore);
  DrawCursor(e, fore);
  DrawHelp(fore);
  g_editor = &e;
  g_prompt = &p;
  const view::TextRowsOnRepaint repaint(DrawEditor);

  auto length = [&] { return static_cast<int>(text.size()); };
  for (;;) {
    const std::uint8_t key = graphics::ReadRawKey();
    if (key == keys::kExtended) {
      const std::uint8_t ext = graphics::ReadRawKey();
      if (ext == keys::kLeft && e.pos > 1) {
        DrawCursor(e, back);
        --e.pos;
        DrawCursor(e, fore);
      } else if (ext == keys::kRight && e.pos <= length()) {
        DrawCursor(e, back);
        ++e.pos;
        DrawCursor(e, fore);
      } else if (ext == keys::kDelete && e.pos <= length()) {
        DrawText(e, back);
        text.erase(static_cast<std::size_t>(e.pos - 1), 1);
        DrawText(e, fore);
        DrawCursor(e, fore);
      }
    } else if (key == keys::kBackspace) {
      if (e.pos > 1) {
        DrawText(e, back);
        DrawCursor(e, back);
        text.erase(static_cast<std::size_t>(e.pos - 2), 1);
        --e.pos;
        DrawText(e, fore);
        DrawCursor(e, fore);
      }
    } else if (key == keys::kEnter) {
      Draw(text, CellX(static_cast<long long>(e.prompt_length) + 5 + e.pos + 3), dialogs::RowPitch,
           fore);
      graphics::WaitMilliseconds(100);
      break;
    } else if (key == keys::kEsc) {
      text.clear();
      break;
    } else if (key == keys::kCtrlA) {
      DrawHelp(back);
      KeyboardLayout = 1 - KeyboardLayout;
      DrawHelp(fore);
    } else {
      std::uint8_t c = key;
      if (KeyboardLayout > 0 && c >= 32 && c <= 126) {
        c = RussianLayoutTable[c - 32];
      } else if (c >= 0x80) {
        c = TypedToCp866(c);
        if (c == 0) continue;
      }
      DrawText(e, back);
      DrawCursor(e, back);
      text.insert(static_cast<std::size_t>(e.pos - 1), 1, static_cast<char>(c));
      ++e.pos;
      DrawText(e, fore);
      DrawCursor(e, fore);
    }
  }

  graphics::SetDrawColor(saved_colour);
  dialogs::TextEscapeMode = 0;
  dialogs::SetInnerDrawViewport();
}

}  // namespace textentry
