// Millimetres per inch: resolutions come in dots per inch, pages in points of 1/72 inch.
#pragma once

namespace platform {

inline constexpr double kMmPerInch = 25.4;

}  // namespace platform
