// Printer backends: tables of functions, like the window backends, chosen at start-up. A
// printer offers its capabilities and one-page jobs drawn with a one-dot black pen. On Linux
// every job is a PDF drawn with cairo: the CUPS backend sends it to the default destination,
// the folder backend (UGFVIEW_PRINT_DIR) keeps it as job-NNNN.pdf. On Windows the jobs are
// drawn with GDI on the default printer, or into enhanced metafiles job-NNNN.emf in the folder.
#pragma once
#include <string>
#include <string_view>

namespace platform {

struct PrinterInfo {
  std::string name;    // the device: the CUPS destination, the Windows printer, or the folder
  std::string driver;  // what drives it ("CUPS", "PDF folder", the Windows driver)
  std::string port;    // the Windows port; empty elsewhere
  int width_dots = 0, height_dots = 0;  // the printable area
  int dpi_x = 0, dpi_y = 0;
};

struct PrinterBackend {
  const char* name;
  // Its jobs are kept as files in a folder rather than sent to a printer.
  bool keeps_files;
  // The printer as it is now (it may have changed since the last look). False, with `info`
  // left empty, when there is none.
  bool (*Find)(PrinterInfo& info);
  // Why the last Find found none, for a line on stderr.
  std::string (*WhyNone)();
  // One job of one page on the printer of the last Find; the pen draws only inside
  // (0, 0)..(clip_width, clip_height) dots. False (PrintError set) when no job could be
  // started; drawing and ending then do nothing.
  bool (*StartJob)(std::string_view title, int clip_width, int clip_height);
  void (*MoveTo)(int x, int y);
  void (*LineTo)(int x, int y);
  // Ends the page and sends or stores the job. False (with PrintError set) when that failed.
  bool (*EndJob)();
  // Drops an open job: nothing is sent, its temporary file goes.
  void (*CancelJob)();
  bool (*JobOpen)();
};

// The folder printer's fixed capabilities.
inline constexpr int kFolderDpi = 600;
inline constexpr double kFolderWidthMm = 203.2;
inline constexpr double kFolderLengthMm = 278.1;

// Drops any job and chooses the printer: the folder one when UGFVIEW_PRINT_DIR is set (made
// absolute against the current directory), else the system's printer.
void PrinterStartUp();
const PrinterBackend& Printer();
const std::string& PrintError();

}  // namespace platform
