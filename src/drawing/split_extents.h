// The extents pass of a large drawing on both cores: the two halves of the file are read at
// once, each giving the box of its points, and the boxes are joined as the one pass meets
// the points. Only where that is exactly the one pass's result: the first record starts a
// line, the halves meet between two records, no line outgrows the element store's memory
// (the one pass would use its scratch file) and nothing fails. Otherwise the caller makes
// the one pass, which gives every report.
#pragma once
#include <cstdint>
#include <string>

namespace drawing {

// The box of a pass that starts it at the first point, the pen of the last record that
// selects one (above 0; -1 when none does) and the records read.
struct SplitExtents {
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  std::int32_t last_pen = -1;
  long records = 0;
};

// Drawings smaller than this take the one pass: a thread would cost more than it saves.
inline constexpr std::int64_t kSplitBytes = std::int64_t{4} << 20;

// True when `box` holds the result. Reads the file as the replay of `new_variant` would, each
// point turned when `rotate`, at depth z.
bool ExtentsInHalves(const std::string& file, const std::string& shown, float z, bool rotate,
                     bool new_variant, SplitExtents& box);

}  // namespace drawing
