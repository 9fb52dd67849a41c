// The printer backend on Windows: GDI on the default printer of the profile, one document of
// one page per job; or, with UGFVIEW_PRINT_DIR, each job an enhanced metafile of the folder
// printer's page drawn with the same GDI calls. Names go through the wide calls, so a printer
// with Cyrillic letters in its name is found on any Windows.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/printer.h"
#include "platform/rounding.h"
#include "platform/segment_clip.h"
#include "platform/system.h"
#include "platform/text_win32.h"
#include "platform/units.h"

namespace platform {

namespace {

struct Job {
  std::string printer;  // its name, for messages
  HDC dc = nullptr;
  HPEN pen = nullptr;
  HGDIOBJ old_pen = nullptr;
  bool metafile = false;
  bool page_open = false;
  std::string temp_path;  // the metafile until it gets its job number
  ClipBox box;
  bool empty_clip = false;
  int cur_x = 0, cur_y = 0;  // the pen's position in dots
  bool gdi_at_cur = false;   // GDI's current position is (cur_x, cur_y)

  // Ends the drawing; false when the printing system refused the document.
  bool Finish(bool keep) {
    if (!dc) return false;
    if (old_pen) SelectObject(dc, old_pen);
    old_pen = nullptr;
    bool ok = true;
    if (metafile) {
      const HENHMETAFILE emf = CloseEnhMetaFile(dc);
      ok = emf != nullptr;
      if (emf) DeleteEnhMetaFile(emf);  // the file stays; only the handle goes
    } else if (keep) {
      ok = EndPage(dc) > 0;
      ok = EndDoc(dc) > 0 && ok;
      DeleteDC(dc);
    } else {
      if (page_open) AbortDoc(dc);
      DeleteDC(dc);
    }
    dc = nullptr;
    if (pen) DeleteObject(pen);
    pen = nullptr;
    return ok;
  }

  ~Job() {
    Finish(false);
    if (!temp_path.empty()) RemoveFile(temp_path);
  }
};

// The printer's state with its start values; PrinterStartUp puts it back whole.
struct PrinterLocal {
  std::unique_ptr<Job> job;
  std::string folder;  // UGFVIEW_PRINT_DIR, absolute
  std::string error;
  PrinterInfo found;   // the printer of the last look
  bool was_found = false;
};
PrinterLocal g;
std::unique_ptr<Job>& g_job = g.job;
std::string& g_folder = g.folder;
std::string& g_error = g.error;
PrinterInfo& g_found = g.found;
bool& g_was_found = g.was_found;

struct DefaultPrinter {
  std::wstring device, driver, port;
};

// "device,driver,port" of the profile's "windows" section; false when there is none.
bool ProfilePrinter(DefaultPrinter& p) {
  // Asking the spooler first brings the profile up to date with the printers it knows (wine
  // fills it from CUPS only then).
  wchar_t name[512];
  DWORD size = static_cast<DWORD>(std::size(name));
  GetDefaultPrinterW(name, &size);
  wchar_t buf[1024] = {};
  GetProfileStringW(L"windows", L"device", L",,", buf, static_cast<DWORD>(std::size(buf)));
  std::wstring parts[3];
  int i = 0;
  for (const wchar_t* c = buf; *c != L'\0'; ++c) {
    if (*c == L',' && i < 2) ++i;
    else parts[i] += *c;
  }
  p = {parts[0], parts[1], parts[2]};
  return !p.device.empty();
}

HDC CreatePrinterDc(const DefaultPrinter& p) {
  return CreateDCW(p.driver.empty() ? nullptr : p.driver.c_str(), p.device.c_str(),
                   p.port.empty() ? nullptr : p.port.c_str(), nullptr);
}

bool FolderFind(PrinterInfo& info) {
  info = PrinterInfo{};
  // A folder that is not there is no printer: its jobs would be lost.
  g_was_found = KindOf(g_folder) == PathKind::kFolder;
  if (!g_was_found) return false;
  info.name = g_folder;
  info.driver = "EMF folder";
  info.dpi_x = info.dpi_y = kFolderDpi;
  info.width_dots = RoundInt(kFolderWidthMm / kMmPerInch * kFolderDpi);
  info.height_dots = RoundInt(kFolderLengthMm / kMmPerInch * kFolderDpi);
  g_found = info;
  return true;
}

std::string FolderWhyNone() { return "UGFVIEW_PRINT_DIR " + g_folder + " is not a folder"; }

bool GdiFind(PrinterInfo& info) {
  info = PrinterInfo{};
  g_was_found = false;
  DefaultPrinter p;
  if (!ProfilePrinter(p)) return false;
  const HDC dc = CreatePrinterDc(p);
  if (!dc) return false;
  const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
  const int dx = GetDeviceCaps(dc, LOGPIXELSX), dy = GetDeviceCaps(dc, LOGPIXELSY);
  DeleteDC(dc);
  if (w <= 0 || h <= 0 || dx < 2 || dy < 2) return false;
  info.name = Utf8FromWide(p.device);
  info.driver = Utf8FromWide(p.driver);
  info.port = Utf8FromWide(p.port);
  info.width_dots = w;
  info.height_dots = h;
  info.dpi_x = dx;
  info.dpi_y = dy;
  g_found = info;
  g_was_found = true;
  return true;
}

std::string GdiWhyNone() { return "no default printer (set UGFVIEW_PRINT_DIR to print to EMF files)"; }

// A job on the printer of the last look: a metafile in the folder, or a document of the printer.
bool StartJob(bool metafile, std::string_view title, int clip_width, int clip_height) {
  g_job.reset();
  g_error.clear();
  const PrinterInfo& printer = g_found;
  if (!g_was_found || printer.dpi_x < 1 || printer.dpi_y < 1) {
    g_error = "no printer";
    return false;
  }
  auto job = std::make_unique<Job>();
  job->printer = printer.name;
  const std::wstring wide_title = Utf8ToWide(title);
  if (metafile) {
    job->metafile = true;
    SysFile placeholder;
    if (const int err = CreateUniqueFile(printer.name + "/.job-", ".emf", placeholder, job->temp_path)) {
      g_error = "cannot create a temporary file: " + std::string(std::strerror(err));
      return false;
    }
    placeholder.Close();
    // The page in hundredths of a millimetre; one logical unit is one dot of 600 dpi.
    const RECT frame{0, 0, RoundInt(kFolderWidthMm * 100), RoundInt(kFolderLengthMm * 100)};
    const HDC screen = GetDC(nullptr);
    job->dc = CreateEnhMetaFileW(screen, WidePath(job->temp_path).c_str(), &frame, L"ugfview\0Tamrix\0");
    if (!job->dc) {
      if (screen) ReleaseDC(nullptr, screen);
      g_error = "cannot create the metafile " + job->temp_path;
      return false;
    }
    // Logical units of 1/600 inch over the reference device's pixels, as exact ratios.
    const int res_x = GetDeviceCaps(screen, HORZRES), size_x = GetDeviceCaps(screen, HORZSIZE);
    const int res_y = GetDeviceCaps(screen, VERTRES), size_y = GetDeviceCaps(screen, VERTSIZE);
    if (screen) ReleaseDC(nullptr, screen);
    SetMapMode(job->dc, MM_ANISOTROPIC);
    SetWindowExtEx(job->dc, printer.dpi_x * 10 * std::max(size_x, 1), printer.dpi_y * 10 * std::max(size_y, 1), nullptr);
    SetViewportExtEx(job->dc, std::max(res_x, 1) * 254, std::max(res_y, 1) * 254, nullptr);
  } else {
    DefaultPrinter p{Utf8ToWide(printer.name), Utf8ToWide(printer.driver), Utf8ToWide(printer.port)};
    job->dc = CreatePrinterDc(p);
    if (!job->dc) {
      g_error = printer.name + ": the printer cannot be opened";
      return false;
    }
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = wide_title.c_str();
    if (StartDocW(job->dc, &doc) <= 0) {
      g_error = printer.name + ": the job was not accepted";
      return false;
    }
    job->page_open = true;
    StartPage(job->dc);
  }
  job->pen = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
  job->old_pen = SelectObject(job->dc, job->pen);
  const int w = std::min(clip_width, printer.width_dots);
  const int h = std::min(clip_height, printer.height_dots);
  job->empty_clip = w <= 0 || h <= 0;
  IntersectClipRect(job->dc, 0, 0, std::max(w, 0), std::max(h, 0));
  // Segments are cut a little beyond the clip: GDI's coordinates are narrower than ours.
  job->box = {-4, -4, w + 4.0, h + 4.0};
  g_job = std::move(job);
  return true;
}

bool FolderStartJob(std::string_view title, int clip_width, int clip_height) {
  return StartJob(true, title, clip_width, clip_height);
}
bool GdiStartJob(std::string_view title, int clip_width, int clip_height) {
  return StartJob(false, title, clip_width, clip_height);
}

void JobMoveTo(int x, int y) {
  if (!g_job) return;
  g_job->cur_x = x;
  g_job->cur_y = y;
  g_job->gdi_at_cur = false;
}

void JobLineTo(int x, int y) {
  if (!g_job) return;
  Job& j = *g_job;
  const double old_x = j.cur_x, old_y = j.cur_y;
  double x0 = old_x, y0 = old_y, x1 = x, y1 = y;
  const bool continues = j.gdi_at_cur;
  j.cur_x = x;
  j.cur_y = y;
  j.gdi_at_cur = false;
  if (j.empty_clip || !ClipSegment(j.box, x0, y0, x1, y1)) return;
  // A polyline stays one run of LineTo while its points are inside the box.
  if (!continues || x0 != old_x || y0 != old_y) MoveToEx(j.dc, RoundInt(x0), RoundInt(y0), nullptr);
  LineTo(j.dc, RoundInt(x1), RoundInt(y1));
  j.gdi_at_cur = x1 == x && y1 == y;
}

bool EndJob() {
  if (!g_job) return false;
  std::unique_ptr<Job> job = std::move(g_job);
  if (!job->Finish(true)) {
    g_error = job->metafile ? "cannot write the metafile " + job->temp_path
                            : job->printer + ": the job was not accepted";
    return false;
  }
  if (!job->metafile) return true;
  // The next free number: an earlier run's jobs are never overwritten.
  for (int n = 1; n < 1000000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "/job-%04d.emf", n);
    const std::string target = job->printer + name;
    const int err = MoveNoReplace(job->temp_path, target);
    if (err == 0) {
      job->temp_path.clear();
      return true;
    }
    if (err != EEXIST) {
      g_error = target + ": " + std::strerror(err);
      return false;
    }
  }
  g_error = "no free job number in " + job->printer;
  return false;
}

void CancelJob() { g_job.reset(); }
bool JobOpen() { return g_job != nullptr; }

constexpr PrinterBackend kGdiPrinter = {"gdi",  false,   GdiFind,   GdiWhyNone, GdiStartJob,
                                        JobMoveTo, JobLineTo, EndJob,    CancelJob,  JobOpen};
constexpr PrinterBackend kFolderPrinter = {"emf-folder", true,   FolderFind, FolderWhyNone, FolderStartJob,
                                           JobMoveTo,    JobLineTo, EndJob,     CancelJob,     JobOpen};

constinit const PrinterBackend* g_printer = &kGdiPrinter;

}  // namespace

void PrinterStartUp() {
  g = {};
  g_folder = AbsolutePath(GetEnv("UGFVIEW_PRINT_DIR"));
  g_printer = g_folder.empty() ? &kGdiPrinter : &kFolderPrinter;
}

const PrinterBackend& Printer() { return *g_printer; }
const std::string& PrintError() { return g_error; }

}  // namespace platform
