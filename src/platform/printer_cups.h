// The CUPS side of the Linux printer: the default destination and the submission of a job's
// PDF (printer_cups.cpp).
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/printer.h"

namespace platform {

struct CupsDestination {
  PrinterInfo info;
  // The PDF page, and where dot (0, 0) sits on it, in points.
  double page_width_pt = 0, page_height_pt = 0;
  double area_left_pt = 0, area_top_pt = 0;
  // The destination's own options (lpoptions), sent with every job as lp does.
  std::vector<std::pair<std::string, std::string>> options;
};

// The default destination of libcups; false when there is none or it has no printable area.
bool CupsDefaultDestination(CupsDestination& dest);

// Sends a PDF file to the destination with print-scaling=none. False with `error` set.
bool CupsSubmitPdf(const CupsDestination& dest, const std::string& path, std::string_view title,
                   std::string& error);

}  // namespace platform
