// The key guide on F1: a page of the keys over the drawing area until the next key, which
// stays queued for its reader; the picture under it comes back pixel for pixel.
#pragma once
#include <cstdint>

namespace dialogs {

// The extended key code F1 gives (after 0).
inline constexpr std::uint8_t kKeyGuideCode = 59;

void ShowKeyGuide();

}  // namespace dialogs
