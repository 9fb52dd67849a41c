// The start-up banner: the product name in block letters, the system line, the subtitle,
// the version and the year, drawn in the drawing area before a drawing is loaded.
#pragma once
#include <array>
#include <string_view>

namespace textentry {

// The nine block rows: each 'O' is one filled cell.
extern const std::array<std::string_view, 9> BannerBlockRows;

// Lays out the screen, draws the banner and waits up to 90 ms; a key ends the wait and
// stays queued for the next dialogue.
void ShowBanner(std::string_view title, float version, int year);

}  // namespace textentry
