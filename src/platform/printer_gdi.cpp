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
  PrinterInfo printer;
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

std::unique_ptr<Job> g_job;
std::string g_folder;
std::string g_error;

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

}  // namespace

void PrinterStartUp() {
  g_job.reset();
  g_error.clear();
  g_folder.clear();
  const std::string dir = GetEnv("UGFVIEW_PRINT_DIR");
  if (!dir.empty()) g_folder = AbsolutePath(dir);
}

const std::string& PrintFolder() { return g_folder; }
const std::string& PrintError() { return g_error; }
bool PrintJobOpen() { return g_job != nullptr; }
const char* NoDefaultPrinterText() {
  return "no default printer (set UGFVIEW_PRINT_DIR to print to EMF files)";
}

PrinterInfo FindDefaultPrinter() {
  PrinterInfo info;
  if (!g_folder.empty()) {
    // A folder that is not there is no printer: its jobs would be lost.
    if (KindOf(g_folder) != PathKind::kFolder) return info;
    info.kind = PrinterKind::kFolder;
    info.name = g_folder;
    info.driver = "EMF folder";
    info.dpi_x = info.dpi_y = kFolderDpi;
    info.width_dots = RoundInt(kFolderWidthMm / kMmPerInch * kFolderDpi);
    info.height_dots = RoundInt(kFolderLengthMm / kMmPerInch * kFolderDpi);
    return info;
  }
  DefaultPrinter p;
  if (!ProfilePrinter(p)) return info;
  const HDC dc = CreatePrinterDc(p);
  if (!dc) return info;
  const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
  const int dx = GetDeviceCaps(dc, LOGPIXELSX), dy = GetDeviceCaps(dc, LOGPIXELSY);
  DeleteDC(dc);
  if (w <= 0 || h <= 0 || dx < 2 || dy < 2) return info;
  info.kind = PrinterKind::kGdi;
  info.name = Utf8FromWide(p.device);
  info.driver = Utf8FromWide(p.driver);
  info.port = Utf8FromWide(p.port);
  info.width_dots = w;
  info.height_dots = h;
  info.dpi_x = dx;
  info.dpi_y = dy;
  return info;
}

bool StartPrintJob(const PrinterInfo& printer, std::string_view title, int clip_width, int clip_height) {
  g_job.reset();
  g_error.clear();
  if (printer.kind == PrinterKind::kNone || printer.dpi_x < 1 || printer.dpi_y < 1) {
    g_error = "no printer";
    return false;
  }
  auto job = std::make_unique<Job>();
  job->printer = printer;
  const std::wstring wide_title = Utf8ToWide(title);
  if (printer.kind == PrinterKind::kFolder) {
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

void PrintMoveTo(int x, int y) {
  if (!g_job) return;
  g_job->cur_x = x;
  g_job->cur_y = y;
  g_job->gdi_at_cur = false;
}

void PrintLineTo(int x, int y) {
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

bool EndPrintJob() {
  if (!g_job) return false;
  std::unique_ptr<Job> job = std::move(g_job);
  if (!job->Finish(true)) {
    g_error = job->metafile ? "cannot write the metafile " + job->temp_path
                            : job->printer.name + ": the job was not accepted";
    return false;
  }
  if (!job->metafile) return true;
  // The next free number: an earlier run's jobs are never overwritten.
  for (int n = 1; n < 1000000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "/job-%04d.emf", n);
    const std::string target = job->printer.name + name;
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
  g_error = "no free job number in " + job->printer.name;
  return false;
}

void CancelPrintJob() { g_job.reset(); }

}  // namespace platform
