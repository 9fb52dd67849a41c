// The HP-GL plotter file: the drawing read straight from its file in two passes (extents,
// then pen commands), only RotateFlag applied, every move and draw echoed on the screen.
#pragma once
#include <cstdint>
#include <string>

namespace drawing {

// Reads `source` by DrawingVariant and RotateFlag and writes `target_path` (CR LF lines);
// one drawing unit is one millimetre times `scale`.
// Scales a plot takes: above 0 (at 0 or below every point falls on one corner or outside the
// plotter's window) and at most this.
inline constexpr float kMaxPlotScale = 1e6f;

// `display` names the output in error reports (empty: its base name). Returns the lines written.
std::int64_t WritePlt(const std::string& source, const std::string& target_path, float scale,
                      const std::string& display = {});

}  // namespace drawing
