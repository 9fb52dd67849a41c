// The main program's run and its menu: start-up, the drawing from the command line or the
// file selector, the variant, the fit, and the main menu until Esc.
#pragma once
#include <cstdint>
#include <string>

namespace app {

struct MainMenuState {
  std::int32_t ArgCount = 0;
  std::int32_t HeaderPen = 0;
  std::uint8_t MenuKey = 0;
  std::string TargetName;  // CP866
};
extern MainMenuState MainMenuVars;

inline constexpr auto& ArgCount = MainMenuVars.ArgCount;
inline constexpr auto& HeaderPen = MainMenuVars.HeaderPen;
inline constexpr auto& MenuKey = MainMenuVars.MenuKey;
inline constexpr auto& TargetName = MainMenuVars.TargetName;

void MainMenuStartUp();
// TEK.DAT line 2 names the working directory; errors are ignored.
void ReadStartDirectory();
void DetectVariant();
void MainMenu(std::uint8_t& key);
void ShowTitle();
// Binds the drawing procedure of the current variant.
void BindVariant();
// A drawing just chosen: the measuring hook, the paint hook, pan mode, fit and picture.
void ShowDrawing();

// The output items of the menu ('2' to '6').
void OutputItem(std::uint8_t item);

// A CP866 name typed by the user as a file path (UTF-8).
std::string NameToPath(const std::string& cp866);

// The whole interactive run after the graphics are opened; ends the program. `drawing` is a
// drawing, a folder (its drawings in the file selector) or empty (TEK.DAT's folder);
// `shown` is how messages name it (empty: as `drawing`).
[[noreturn]] void RunMainProgram(const std::string& drawing, const std::string& shown = {});

}  // namespace app
