// PNG files of the framebuffer, written with zlib alone (no libpng, so every build has it).
#pragma once
#include <cstdint>
#include <string>

namespace platform {
// kRgb: 8-bit RGB, the screenshots' form. kSmallest: 8-bit indexed colour when the picture has
// at most 256 colours, else RGB. Both decode to the same pixels; neither is interlaced.
enum class PngForm { kRgb, kSmallest };
// Writes 0x00RRGGBB pixels as a PNG file. False on failure.
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              PngForm form = PngForm::kRgb);
// The same file's bytes, into `out`. False when the size is not positive or zlib fails.
bool EncodePng(const std::uint32_t* pixels, int width, int height, std::string& out,
               PngForm form = PngForm::kRgb);
}  // namespace platform
