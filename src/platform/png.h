// PNG files of the framebuffer, written with zlib alone (no libpng, so every build has it).
#pragma once
#include <cstdint>
#include <string>

namespace platform {
// Writes 0x00RRGGBB pixels as a PNG, not interlaced: 8-bit indexed colour when the picture has
// at most 256 colours, else 8-bit RGB; both decode to the same pixels. False on failure.
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height);
// The same file's bytes, into `out`. False when the size is not positive or zlib fails.
bool EncodePng(const std::uint32_t* pixels, int width, int height, std::string& out);
}  // namespace platform
