// One-page vector files (PDF, SVG) drawn with cairo in millimetres from the page's top-left
// corner, written through an OutputFile: a temporary file renamed over the target at the end.
#pragma once
#include <cstdint>
#include <string>

#include "platform/units.h"

namespace platform {

enum class PageFormat { kPdf, kSvg };

// A page side larger than this (PDF's limit of 14400 points, 200 inches) is not made.
inline constexpr double kMaxPageSideMm = 14400.0 * kMmPerInch / 72.0;

// False where the build has no cairo (Windows): the calls below then end the run.
bool VectorPagesAvailable();

// Starts the page, white, with a black pen `line_mm` wide, round at its ends and corners.
// A file that cannot be created ends the run with the run-time error report naming `display`.
void BeginVectorPage(PageFormat format, const std::string& path, const std::string& display,
                     const std::string& title, double width_mm, double height_mm, double line_mm);
void VectorPenColour(std::uint32_t rgb);  // 0x00RRGGBB
void VectorMoveTo(double x_mm, double y_mm);
void VectorLineTo(double x_mm, double y_mm);
// Finishes the page and puts the file in place; a failed write ends the run (101).
void EndVectorPage();
// Drops an unfinished page and its temporary file.
void CancelVectorPage();

}  // namespace platform
