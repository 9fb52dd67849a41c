// Palette indices the program draws with by meaning (the first 16 entries of the palette).
#pragma once

namespace graphics::colours {

inline constexpr int kBlack = 0;
inline constexpr int kGrey = 7;     // 128, 128, 128
inline constexpr int kSilver = 8;   // 192, 192, 192
inline constexpr int kBlue = 9;     // 0, 0, 255
inline constexpr int kGreen = 10;   // 0, 255, 0
inline constexpr int kCyan = 11;    // 0, 255, 255
inline constexpr int kYellow = 14;  // 255, 255, 0
inline constexpr int kWhite = 15;

}  // namespace graphics::colours
