// The codes of the key queue. A typed character is its own byte; a mouse press and a few keys
// come as control codes; an extended key comes as 0 followed by its classic PC scan code.
#pragma once
#include <cstdint>

namespace graphics::keys {

// Control codes, and the codes the mouse buttons give (left: blank, right: Enter, middle: 'B').
inline constexpr std::uint8_t kExtended = 0;
inline constexpr std::uint8_t kCtrlA = 1, kCtrlB = 2, kCtrlD = 4, kCtrlE = 5, kBackspace = 8,
                              kTab = 9, kCtrlK = 11, kEnter = 13, kCtrlN = 14, kCtrlQ = 17,
                              kCtrlR = 18, kCtrlV = 22, kCtrlZ = 26, kEsc = 27, kBlank = 32;
inline constexpr std::uint8_t kLeftButton = kBlank, kRightButton = kEnter, kMiddleButton = 66;

// Second bytes of the extended keys.
inline constexpr std::uint8_t kF1 = 59, kHome = 71, kUp = 72, kPgUp = 73, kLeft = 75,
                              kRight = 77, kEnd = 79, kDown = 80, kPgDn = 81, kDelete = 83;
inline constexpr std::uint8_t kCtrlLeft = 115, kCtrlRight = 116, kCtrlEnd = 117, kCtrlHome = 119,
                              kCtrlUp = 141, kCtrlDown = 145;
inline constexpr std::uint8_t kShiftUp = 152, kShiftLeft = 155, kShiftRight = 157,
                              kShiftDown = 160;

}  // namespace graphics::keys
