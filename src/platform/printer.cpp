// The Linux printers: each job is one PDF page drawn with cairo into a temporary file, then
// sent to the default CUPS destination or kept in the folder of UGFVIEW_PRINT_DIR.
#include "platform/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/printer_cups.h"
#include "platform/rounding.h"
#include "platform/segment_clip.h"
#include "platform/system.h"
#include "platform/units.h"

namespace platform {

namespace {

struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};

// Segments per stroke: a sheet may receive millions, cairo should not hold them all.
constexpr int kSegmentsPerStroke = 4096;

// The PDF page of a job, and where dot (0, 0) sits on it, in points.
struct PdfPage {
  double width_pt = 0, height_pt = 0;
  double area_left_pt = 0, area_top_pt = 0;
};

struct Job;
// Sends or keeps a job's finished file; false with g_error set.
using HandOver = bool (*)(Job& job);

struct Job {
  std::string title;
  std::string temp_path;
  HandOver hand_over = nullptr;
  std::unique_ptr<cairo_surface_t, CairoDeleter> surface;
  std::unique_ptr<cairo_t, CairoDeleter> cr;
  ClipBox box;  // segments are cut to this
  bool empty_clip = false;
  int cur_x = 0, cur_y = 0;          // the pen's position in dots
  bool path_at_cur = false;          // the cairo path ends at (cur_x, cur_y)
  int pending = 0;                   // segments not stroked yet
  ~Job() {
    cr.reset();
    surface.reset();
    if (!temp_path.empty()) unlink(temp_path.c_str());
  }
};

// The printer's state with its start values; PrinterStartUp puts it back whole.
struct PrinterLocal {
  std::unique_ptr<Job> job;
  std::string error;
  std::string folder;          // UGFVIEW_PRINT_DIR, absolute
  bool folder_found = false;   // the last look found it a folder
  CupsDestination cups;        // the destination of the last look
  bool cups_found = false;
};
PrinterLocal g;
std::unique_ptr<Job>& g_job = g.job;
std::string& g_error = g.error;
std::string& g_folder = g.folder;
bool& g_folder_found = g.folder_found;
CupsDestination& g_cups = g.cups;
bool& g_cups_found = g.cups_found;

// A fresh empty file from the template; empty on failure. A file that becomes a job in the
// folder gets the permissions of every other output (mkstemps gives 0600).
std::string MakeTemp(std::string templ, int suffix_len, bool output) {
  const int fd = mkstemps(templ.data(), suffix_len);
  if (fd < 0) return "";
  if (output) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  close(fd);
  return templ;
}

void Stroke(Job& j) {
  if (j.pending > 0) cairo_stroke(j.cr.get());
  j.pending = 0;
  j.path_at_cur = false;
}

// A job on `printer` (none when not `found`) whose page goes to a file made from `templ`.
bool StartPdfJob(bool found, const PrinterInfo& printer, const PdfPage& page, const std::string& templ,
                 bool output, HandOver hand_over, std::string_view title, int clip_width, int clip_height) {
  g_job.reset();
  g_error.clear();
  if (!found || printer.dpi_x < 1 || printer.dpi_y < 1) {
    g_error = "no printer";
    return false;
  }
  auto job = std::make_unique<Job>();
  job->title = std::string(title);
  job->hand_over = hand_over;
  job->temp_path = MakeTemp(templ, 4, output);
  if (job->temp_path.empty()) {
    g_error = "cannot create a temporary file: " + std::string(std::strerror(errno));
    return false;
  }
  job->surface.reset(cairo_pdf_surface_create(job->temp_path.c_str(), page.width_pt, page.height_pt));
  if (cairo_surface_status(job->surface.get()) != CAIRO_STATUS_SUCCESS) {
    g_error = cairo_status_to_string(cairo_surface_status(job->surface.get()));
    return false;
  }
  cairo_pdf_surface_set_metadata(job->surface.get(), CAIRO_PDF_METADATA_TITLE, job->title.c_str());
  cairo_pdf_surface_set_metadata(job->surface.get(), CAIRO_PDF_METADATA_CREATOR, "ugfview");
  job->cr.reset(cairo_create(job->surface.get()));
  cairo_t* cr = job->cr.get();
  // Dot units with dot (0, 0) at the printable area's corner.
  cairo_translate(cr, page.area_left_pt, page.area_top_pt);
  cairo_scale(cr, 72.0 / printer.dpi_x, 72.0 / printer.dpi_y);
  const int w = std::min(clip_width, printer.width_dots);
  const int h = std::min(clip_height, printer.height_dots);
  job->empty_clip = w <= 0 || h <= 0;
  cairo_rectangle(cr, 0, 0, std::max(w, 0), std::max(h, 0));
  cairo_clip(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.0);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  // Cut segments a little beyond the clip, so cairo's fixed-point range is never exceeded
  // and the pieces of other sheets never reach the file.
  job->box = {-4, -4, w + 4.0, h + 4.0};
  g_job = std::move(job);
  return true;
}

void PdfMoveTo(int x, int y) {
  if (!g_job) return;
  g_job->cur_x = x;
  g_job->cur_y = y;
  g_job->path_at_cur = false;
}

void PdfLineTo(int x, int y) {
  if (!g_job) return;
  Job& j = *g_job;
  const double old_x = j.cur_x, old_y = j.cur_y;
  double x0 = old_x, y0 = old_y, x1 = x, y1 = y;
  const bool continues = j.path_at_cur;
  j.cur_x = x;
  j.cur_y = y;
  j.path_at_cur = false;
  if (j.empty_clip || !ClipSegment(j.box, x0, y0, x1, y1)) return;
  cairo_t* cr = j.cr.get();
  // A polyline stays one sub-path while its points are inside the box.
  if (!continues || x0 != old_x || y0 != old_y) cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  ++j.pending;
  j.path_at_cur = x1 == x && y1 == y;
  if (j.pending >= kSegmentsPerStroke) Stroke(j);
}

bool EndPdfJob() {
  if (!g_job) return false;
  std::unique_ptr<Job> job = std::move(g_job);
  Stroke(*job);
  cairo_show_page(job->cr.get());
  job->cr.reset();
  cairo_surface_finish(job->surface.get());
  const cairo_status_t status = cairo_surface_status(job->surface.get());
  job->surface.reset();
  if (status != CAIRO_STATUS_SUCCESS) {
    g_error = std::string("cannot write the page: ") + cairo_status_to_string(status);
    return false;
  }
  return job->hand_over(*job);
}

void CancelPdfJob() { g_job.reset(); }
bool PdfJobOpen() { return g_job != nullptr; }

// The folder of PDF files.

bool FolderFind(PrinterInfo& info) {
  info = PrinterInfo{};
  struct stat st {};
  // A folder that is not there is no printer: its jobs would be lost.
  g_folder_found = stat(g_folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  if (!g_folder_found) return false;
  info.name = g_folder;
  info.driver = "PDF folder";
  info.dpi_x = info.dpi_y = kFolderDpi;
  info.width_dots = RoundInt(kFolderWidthMm / kMmPerInch * kFolderDpi);
  info.height_dots = RoundInt(kFolderLengthMm / kMmPerInch * kFolderDpi);
  return true;
}

std::string FolderWhyNone() { return "UGFVIEW_PRINT_DIR " + g_folder + " is not a folder"; }

bool KeepInFolder(Job& job) {
  // The next free number: an earlier run's jobs are never overwritten.
  for (int n = 1; n < 1000000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "/job-%04d.pdf", n);
    const std::string target = g_folder + name;
    // The destructor removes the temporary name.
    if (link(job.temp_path.c_str(), target.c_str()) == 0) return true;
    if (errno != EEXIST) {
      g_error = target + ": " + std::strerror(errno);
      return false;
    }
  }
  g_error = "no free job number in " + g_folder;
  return false;
}

bool FolderStartJob(std::string_view title, int clip_width, int clip_height) {
  PrinterInfo info;
  if (g_folder_found) FolderFind(info);
  const PdfPage page{info.width_dots * 72.0 / kFolderDpi, info.height_dots * 72.0 / kFolderDpi};
  return StartPdfJob(g_folder_found, info, page, g_folder + "/.job-XXXXXX.pdf", true, KeepInFolder, title,
                     clip_width, clip_height);
}

// The default CUPS destination.

bool CupsFind(PrinterInfo& info) {
  g_cups_found = CupsDefaultDestination(g_cups);
  info = g_cups_found ? g_cups.info : PrinterInfo{};
  return g_cups_found;
}

std::string CupsWhyNone() { return "no default CUPS destination (set UGFVIEW_PRINT_DIR to print to PDF files)"; }

bool SendToCups(Job& job) { return CupsSubmitPdf(g_cups, job.temp_path, job.title, g_error); }

bool CupsStartJob(std::string_view title, int clip_width, int clip_height) {
  const PdfPage page{g_cups.page_width_pt, g_cups.page_height_pt, g_cups.area_left_pt, g_cups.area_top_pt};
  return StartPdfJob(g_cups_found, g_cups.info, page, TempFolder() + "/ugfview-print-XXXXXX.pdf", false, SendToCups,
                     title, clip_width, clip_height);
}

constexpr PrinterBackend kCupsPrinter = {"cups",     false,      CupsFind,    CupsWhyNone, CupsStartJob, PdfMoveTo,
                                         PdfLineTo,  EndPdfJob,  CancelPdfJob, PdfJobOpen};
constexpr PrinterBackend kFolderPrinter = {"pdf-folder", true,       FolderFind,   FolderWhyNone, FolderStartJob,
                                           PdfMoveTo,    PdfLineTo,  EndPdfJob,    CancelPdfJob,  PdfJobOpen};

constinit const PrinterBackend* g_printer = &kCupsPrinter;

}  // namespace

void PrinterStartUp() {
  g = {};
  g_folder = AbsolutePath(GetEnv("UGFVIEW_PRINT_DIR"));
  g_printer = g_folder.empty() ? &kCupsPrinter : &kFolderPrinter;
}

const PrinterBackend& Printer() { return *g_printer; }
const std::string& PrintError() { return g_error; }

}  // namespace platform
