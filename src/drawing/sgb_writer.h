// The SGB polyline file: each polyline of the drawing as one record of one value per line,
// read straight from the drawing file; only RotateFlag applied, every move and draw echoed
// on the screen.
#pragma once
#include <cstdint>
#include <string>

namespace drawing {

// Reads `source` by DrawingVariant and RotateFlag and writes `target_path` (CR LF lines).
// A polyline longer than the run buffer goes out as several records, each starting at the
// last point of the one before.
// `display` names the output in error reports (empty: its base name). Returns the lines written.
std::int64_t WriteSgb(const std::string& source, const std::string& target_path, const std::string& display = {});

}  // namespace drawing
