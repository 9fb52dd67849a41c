#include "dialogs/menu_panel.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/hook.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace dialogs {

namespace colours = graphics::colours;

namespace keys = graphics::keys;

namespace {

constexpr std::size_t kTextLimit = 50;
constexpr int kLastZone = 32;
constexpr char kLetterButtons[] = "FPLAMSNTWQJ;";

bool ValidItem(int i) { return i >= 0 && i <= 9; }

// The language part of a bilingual text, each part cut to the item's limit.
std::string LanguagePart(std::string_view text) {
  std::string first, chosen;
  int index = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != ';') continue;
    std::string part(text.substr(start, std::min(i - start, kTextLimit)));
    if (index == 0) first = part;
    if (index == LanguageIndex) chosen = part;
    ++index;
    start = i + 1;
  }
  return chosen.empty() ? first : chosen;
}

// y given within the text area, stored in client coordinates.
void AddZone(int x1, int x2, int y1, int y2, std::uint8_t key, std::uint8_t ext_key,
             std::string label) {
  if (ZoneCount >= kLastZone) return;
  PanelZone& z = PanelZones[static_cast<std::size_t>(++ZoneCount)];
  z.x1 = x1;
  z.x2 = x2;
  z.y1 = y1 + view::DrawAreaHeight;
  z.y2 = y2 + view::DrawAreaHeight;
  z.key = key;
  z.extKey = ext_key;
  z.label = std::move(label);
}

void Line(int x1, int y1, int x2, int y2, int x3, int y3) {
  graphics::MoveToPoint(x1, y1);
  graphics::LineToPoint(x2, y2);
  graphics::LineToPoint(x3, y3);
}

// Run by the window's repaint, after the picture, while a menu waits.
void RedrawPanel() { DrawMenuPanel(); }

// Puts the menu's repaint hook back however RunMenu is left.
class RepaintHookSaved {
 public:
  RepaintHookSaved() : saved_(view::MenuRedrawProc) {}
  ~RepaintHookSaved() { view::MenuRedrawProc = saved_; }
  RepaintHookSaved(const RepaintHookSaved&) = delete;
  RepaintHookSaved& operator=(const RepaintHookSaved&) = delete;
  platform::Hook<void()> saved() const { return saved_; }

 private:
  platform::Hook<void()> saved_;
};

}  // namespace

constinit MenuPanelState MenuPanelVars;

void defaults::ReadPlainMenuKey(std::uint8_t& key) { key = graphics::ReadCommandKey(); }

void MenuPanelStartUp() {
  MenuPanelVars = {};
}

void SetMenuNote(std::string_view text) {
  MenuNote = text;
  LogText(0, text);
}

void SetMenuItem(int i, std::string_view text) {
  if (!ValidItem(i)) return;
  MenuItem& item = MenuItems[static_cast<std::size_t>(i)];
  item.name = LanguagePart(text);
  item.valueText.clear();
  item.kind = 0;
}

void SetMenuItemValue(int i, std::string_view text, float value, int width, int decimals) {
  if (!ValidItem(i)) return;
  SetMenuItem(i, text);
  if (width <= 0) return;
  MenuItem& item = MenuItems[static_cast<std::size_t>(i)];
  const std::string s = FormatNumber(value, width, decimals);
  const int columns = PanelColumnWidth / std::max(CharWidth, 1);
  const int pad =
      i == 0 ? 1 : columns - static_cast<int>(item.name.size()) - static_cast<int>(s.size()) - 3;
  // The number thus ends near the right edge of the item's column.
  item.valueText = std::string(static_cast<std::size_t>(std::max(pad, 0)), ' ') + s;
  if (item.valueText.size() > kTextLimit) item.valueText.resize(kTextLimit);
}

void SetMenuNumber(int i, std::string_view text, float value, int width, int decimals) {
  if (!ValidItem(i)) return;
  SetMenuItemValue(i, text, value, width, decimals);
  MenuItem& item = MenuItems[static_cast<std::size_t>(i)];
  item.value = value;
  item.kind = 1;
}

float GetMenuNumber(int i) {
  return ValidItem(i) ? MenuItems[static_cast<std::size_t>(i)].value : 0.0f;
}

void BuildPanelZones() {
  const int r0 = RowPitch;
  const int r[4] = {r0, 2 * (RowPitch + 1) - 1, 3 * (RowPitch + 1) - 1, 4 * (RowPitch + 1) - 1};
  const int c1 = PanelColumnWidth, c2 = 2 * c1, c3 = 3 * c1;
  const int lw = 2 * (c1 / 24);
  const int h = TextAreaHeight / 3;
  ZoneCount = -1;
  AddZone(0, c2, -1, r0, keys::kEnter, 0, "");
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 3; ++row)
      AddZone(column * c1, (column + 1) * c1, r[row], r[row + 1],
              static_cast<std::uint8_t>('1' + 3 * column + row), 0, "");
  for (int k = 0; k < 12; ++k)
    AddZone(c2 + k * lw, c2 + (k + 1) * lw, -1, r0, static_cast<std::uint8_t>(kLetterButtons[k]), 0,
            std::string(1, kLetterButtons[k]));
  AddZone(c3, c3 + h, 0, h, 'B', 0, "B");
  AddZone(c3 + h, c3 + 2 * h, 0, h, 0, keys::kUp, "");
  AddZone(c3 + 2 * h, c3 + 3 * h, 0, h, 0, keys::kPgUp, "Up");
  AddZone(c3, c3 + h, h, 2 * h, 0, keys::kLeft, "");
  AddZone(c3 + h, c3 + 2 * h, h, 2 * h, 'R', 0, "R");
  AddZone(c3 + 2 * h, c3 + 3 * h, h, 2 * h, 0, keys::kRight, "");
  AddZone(c3, c3 + h, 2 * h, 3 * h, 'Z', 0, "Z");
  AddZone(c3 + h, c3 + 2 * h, 2 * h, 3 * h, 0, keys::kDown, "");
  AddZone(c3 + 2 * h, c3 + 3 * h, 2 * h, 3 * h, 0, keys::kPgDn, "Dn");
}

void DrawMenuPanel() {
  BuildPanelZones();
  ClearTextArea();
  FillRect(0, 0, view::ClientWidth, TextAreaHeight);

  const int d = ScreenScheme > 1 ? 1 : 0;
  const int top = view::DrawAreaHeight;
  for (int i = 0; i <= ZoneCount; ++i) {
    const PanelZone& z = PanelZones[static_cast<std::size_t>(i)];
    const int x1 = z.x1, x2 = z.x2, y1 = z.y1 - top, y2 = z.y2 - top;
    graphics::SetDrawColor(PanelTopLeftColour);
    Line(x1 + d, y2 - d, x1 + d, y1 + d, x2 - d, y1 + d);
    graphics::SetDrawColor(PanelBottomRightColour);
    Line(x2 - d, y1 + d, x2 - d, y2 - d, x1 + d, y2 - d);
    graphics::SetDrawColor(TextColour);
    DrawTextRun(z.label, x1 + 4, y2 - 4, CharHeight, CharWidth);
  }

  const int h = TextAreaHeight / 3, q = h / 4;
  const int x0 = 3 * PanelColumnWidth, x1 = x0 + h, x2 = x0 + 2 * h, x3 = x0 + 3 * h;
  const int y1 = h, y2 = 2 * h, y3 = TextAreaHeight;
  graphics::SetDrawColor(TextColour);
  Line(x1 - q, y1 + q, x0 + q, y1 + 2 * q, x1 - q, y2 - q);  // left
  Line(x2 + q, y1 + q, x3 - q, y1 + 2 * q, x2 + q, y2 - q);  // right
  Line(x1 + q, y1 - q, x1 + 2 * q, q, x2 - q, y1 - q);       // up
  Line(x1 + q, y2 + q, x1 + 2 * q, y3 - q, x2 - q, y2 + q);  // down

  // The title fits the space before the letter buttons, squeezed when it is longer.
  DrawTextFitted(MenuNote.empty() ? MenuItems[0].name + MenuItems[0].valueText : SelectLanguageText(MenuNote), 70,
                 RowPitch - 3, CharHeight, CharWidth, 2 * PanelColumnWidth - 70 - 2);
  const int count = std::clamp(MenuItemCount, 0, std::min(9, ZoneCount));
  for (int i = 1; i <= count; ++i) {
    const MenuItem& item = MenuItems[static_cast<std::size_t>(i)];
    const PanelZone& z = PanelZones[static_cast<std::size_t>(i)];
    const std::string text =
        std::string(" ") + static_cast<char>('0' + i) + ' ' + item.name + item.valueText;
    DrawTextFitted(text, z.x1 + 1, z.y2 - top - 5, CharHeight, CharWidth,
                   PanelColumnWidth - CharWidth);
  }

  SetInnerDrawViewport();
  graphics::SetDrawColor(colours::kWhite);
}

void MapClickToKey(std::uint8_t& key, std::uint8_t& extKey) {
  extKey = 0;
  if (key != keys::kLeftButton && key != keys::kCtrlE) return;
  int x = 0, y = 0, button = 0;
  graphics::GetMouseClient(x, y, button);
  // Zone 0, the title row, is not a button.
  for (int i = 1; i <= ZoneCount; ++i) {
    const PanelZone& z = PanelZones[static_cast<std::size_t>(i)];
    if (x >= z.x1 && x < z.x2 && y >= z.y1 && y < z.y2) {
      key = z.key;
      extKey = z.extKey;
    }
  }
}

void RunMenu(int count, std::uint8_t& key) {
  count = std::clamp(count, 0, 9);
  MenuItemCount = count;
  RepaintHookSaved hook;
  for (;;) {
    view::MenuRedrawProc = RedrawPanel;
    BuildPanelZones();
    DrawMenuPanel();
    do {
      MenuKeyProc(key);
      // A note lasts until the next key; after a view key the panel is drawn again anyway.
      if (!MenuNote.empty()) {
        MenuNote.clear();
        if (key == keys::kExtended) DrawMenuPanel();
      }
    } while (key == keys::kExtended);
    const int d = key - '0';
    if (d == 0) continue;               // a view key was handled, or the digit 0
    if (d > count && d <= 9) continue;  // a digit without item
    if (d >= 1 && d <= count && MenuItems[static_cast<std::size_t>(d)].kind == 1) {
      MenuItem& item = MenuItems[static_cast<std::size_t>(d)];
      int result = 0;
      // The field owns the text area while it runs.
      view::MenuRedrawProc = hook.saved();
      EditReal(item.name, item.value, result);
      if (result == -1) continue;
    }
    break;
  }
  graphics::SetDrawColor(colours::kWhite);
}

}  // namespace dialogs
