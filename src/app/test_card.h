// A screen that exercises the graph driver, shown until the main program exists.
#pragma once

namespace app {
void DrawTestCard();
// Reads keys until Esc (or a confirmed quit) ends the program.
[[noreturn]] void RunTestCard();
}  // namespace app
