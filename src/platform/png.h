#pragma once
#include <cstdint>
#include <string>

namespace platform {
// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG, not interlaced. False on failure.
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height);
}  // namespace platform
