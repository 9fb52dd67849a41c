// `ugfview --png`: the drawing alone (no text rows, panel or overlays), fitted into a
// picture on the screen's background in its pen colours, written as a PNG file.
#pragma once
#include <string>

namespace app {

// Smallest and largest side of the picture.
inline constexpr int kMinPngSide = 16;
inline constexpr int kMaxPngSide = 8192;

// `longer_side`: only the longer side is given (width); the other follows the drawing's
// shape. The file is written to a temporary name and renamed at the end; a failure ends the
// run with the run-time error report naming `display`.
void ExportPng(const std::string& path, const std::string& display, int width, int height, bool longer_side);

}  // namespace app
