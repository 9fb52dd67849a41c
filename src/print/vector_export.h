// The drawing as a vector file (PDF or SVG) drawn as the printer draws it: the plan view,
// line patterns and single points by the UGF export's element output, at a scale in mm per
// drawing unit, on one page of the drawing's extents plus a margin on every side.
#pragma once
#include <string>

#include "platform/vector_page.h"

namespace print {

inline constexpr double kPageMarginMm = 10.0;
inline constexpr double kVectorLineMm = 0.25;

// `ugfview --pdf` and `--svg`: black on white, or with `colour` each pen in its palette colour
// under the white background's substitution. Returns the exit status: 0 written, 2 the page
// would be too large (one line on stderr, nothing written). A file that cannot be written
// ends the run with the run-time error report.
int ExportVector(platform::PageFormat format, const std::string& path, const std::string& display,
                 float scale, bool colour);

}  // namespace print
