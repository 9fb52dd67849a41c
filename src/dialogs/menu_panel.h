// The menu panel in the text area: title, numbered items, letter buttons and an arrow pad.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/colours.h"
#include "platform/hook.h"

namespace dialogs {

struct MenuItem {
  std::string name;       // at most 50 characters
  std::string valueText;  // at most 50 characters
  int kind = 0;           // 0 plain, 1 number
  float value = 0;
};

struct PanelZone {
  int x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // client pixels, x1 <= x < x2, y1 <= y < y2
  std::uint8_t key = 0;
  std::uint8_t extKey = 0;
  std::string label;  // at most 2 characters
};

namespace defaults {
void ReadPlainMenuKey(std::uint8_t& key);
}  // namespace defaults

struct MenuPanelState {
  std::array<MenuItem, 10> MenuItems;  // 0 is the title
  int MenuItemCount = 0;
  std::array<PanelZone, 33> PanelZones;
  int ZoneCount = -1;  // index of the last zone, -1 when empty
  // Said after an output (the file written, the sheets sent): shown in the title row in place
  // of the title until the next key; CP866, bilingual with ';'. It waits for no key.
  std::string MenuNote;
  int PanelTopLeftColour = graphics::colours::kBlue;
  int PanelBottomRightColour = graphics::colours::kBlue;
  // The menu's key reader; the command-key unit binds its reader, which keeps the drawing
  // live under the menu.
  platform::Hook<void(std::uint8_t& key)> MenuKeyProc = defaults::ReadPlainMenuKey;
};
extern MenuPanelState MenuPanelVars;

inline constexpr auto& MenuItems = MenuPanelVars.MenuItems;
inline constexpr auto& MenuItemCount = MenuPanelVars.MenuItemCount;
inline constexpr auto& PanelZones = MenuPanelVars.PanelZones;
inline constexpr auto& ZoneCount = MenuPanelVars.ZoneCount;
inline constexpr auto& MenuNote = MenuPanelVars.MenuNote;
inline constexpr auto& PanelTopLeftColour = MenuPanelVars.PanelTopLeftColour;
inline constexpr auto& PanelBottomRightColour = MenuPanelVars.PanelBottomRightColour;
inline constexpr auto& MenuKeyProc = MenuPanelVars.MenuKeyProc;

void MenuPanelStartUp();
void SetMenuNote(std::string_view text);
void SetMenuItem(int i, std::string_view text);
void SetMenuItemValue(int i, std::string_view text, float value, int width, int decimals);
void SetMenuNumber(int i, std::string_view text, float value, int width, int decimals);
float GetMenuNumber(int i);
void RunMenu(int count, std::uint8_t& key);
void BuildPanelZones();
void DrawMenuPanel();
void MapClickToKey(std::uint8_t& key, std::uint8_t& extKey);

}  // namespace dialogs
