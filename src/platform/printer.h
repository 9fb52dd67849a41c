// Printer backends: the default printer and its capabilities, one-page jobs drawn with a
// one-dot black pen. On Linux every job is a PDF drawn with cairo; the CUPS backend sends it to
// the default destination, the folder backend (UGFVIEW_PRINT_DIR) keeps it as job-NNNN.pdf.
// On Windows the jobs are drawn with GDI on the default printer, or into enhanced metafiles
// job-NNNN.emf in the folder.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class PrinterKind { kNone, kFolder, kCups, kGdi };

struct PrinterInfo {
  PrinterKind kind = PrinterKind::kNone;
  std::string name;    // the device: the CUPS destination, the Windows printer, or the folder
  std::string driver;  // what drives it ("CUPS", "PDF folder", the Windows driver)
  std::string port;    // the Windows port; empty elsewhere
  int width_dots = 0, height_dots = 0;  // the printable area
  int dpi_x = 0, dpi_y = 0;
  // The PDF page, and where dot (0, 0) sits on it, in points.
  double page_width_pt = 0, page_height_pt = 0;
  double area_left_pt = 0, area_top_pt = 0;
  // The destination's own options (lpoptions), sent with every job as lp does.
  std::vector<std::pair<std::string, std::string>> options;
};

// The folder printer's fixed capabilities.
inline constexpr int kFolderDpi = 600;
inline constexpr double kFolderWidthMm = 203.2;
inline constexpr double kFolderLengthMm = 278.1;

// Takes UGFVIEW_PRINT_DIR (made absolute against the current directory) and drops any job.
void PrinterStartUp();
const std::string& PrintFolder();
// Why there is no printer when no folder is set, and what to do about it.
const char* NoDefaultPrinterText();

// The default printer: the folder when UGFVIEW_PRINT_DIR names one, else the default CUPS
// destination; kind kNone when there is none.
PrinterInfo FindDefaultPrinter();
bool CupsDefaultPrinter(PrinterInfo& info);

// One job of one page; the pen draws only inside (0, 0)..(clip_width, clip_height) dots.
// False when no job could be started; drawing and ending then do nothing.
bool StartPrintJob(const PrinterInfo& printer, std::string_view title, int clip_width, int clip_height);
void PrintMoveTo(int x, int y);
void PrintLineTo(int x, int y);
// Ends the page and sends or stores the job. False (with PrintError set) when that failed.
bool EndPrintJob();
// Drops an open job: nothing is sent, its temporary file goes.
void CancelPrintJob();
bool PrintJobOpen();
const std::string& PrintError();

// Sends a PDF file to a CUPS destination with print-scaling=none. False with `error` set.
bool CupsSubmitPdf(const PrinterInfo& printer, const std::string& path, std::string_view title,
                   std::string& error);

}  // namespace platform
