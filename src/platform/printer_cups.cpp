// The CUPS side of the printer backend: the default destination and its capabilities, and
// the submission of a job's PDF.
#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/printer_cups.h"
#include "platform/rounding.h"

namespace platform {

namespace {

struct Dests {
  int count = 0;
  cups_dest_t* dests = nullptr;
  ~Dests() { cupsFreeDests(count, dests); }
};

struct DestInfoDeleter {
  void operator()(cups_dinfo_t* d) const { cupsFreeDestInfo(d); }
};

// "600dpi", "600x1200dpi", "236dpcm": false when the text is none of these.
bool ParseResolution(const char* text, int& x, int& y) {
  if (text == nullptr) return false;
  int a = 0, b = 0;
  char unit[16] = {};
  if (std::sscanf(text, "%dx%d%15s", &a, &b, unit) != 3) {
    if (std::sscanf(text, "%d%15s", &a, unit) != 2) return false;
    b = a;
  }
  if (a <= 0 || b <= 0) return false;
  if (std::strcmp(unit, "dpcm") == 0) {
    a = RoundInt(a * 2.54);
    b = RoundInt(b * 2.54);
  } else if (std::strcmp(unit, "dpi") != 0) {
    return false;
  }
  x = a;
  y = b;
  return true;
}

// The default choice of the PPD's Resolution option, for queues that do not say it in IPP.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
bool PpdResolution(const char* dest_name, int& x, int& y) {
  const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, dest_name);
  if (file == nullptr) return false;
  const std::string path = file;
  bool found = false;
  if (ppd_file_t* ppd = ppdOpenFile(path.c_str())) {
    ppdMarkDefaults(ppd);
    if (ppd_choice_t* c = ppdFindMarkedChoice(ppd, "Resolution")) found = ParseResolution(c->choice, x, y);
    if (!found) {
      if (ppd_attr_t* a = ppdFindAttr(ppd, "DefaultResolution", nullptr)) found = ParseResolution(a->value, x, y);
    }
    ppdClose(ppd);
  }
  unlink(path.c_str());
  return found;
}
#pragma GCC diagnostic pop

}  // namespace

bool CupsDefaultDestination(CupsDestination& dest_out) {
  // CUPS_SERVER is read again: it may have changed since the last look.
  cupsSetServer(nullptr);
  Dests d;
  d.count = cupsGetDests2(CUPS_HTTP_DEFAULT, &d.dests);
  cups_dest_t* dest = cupsGetDest(nullptr, nullptr, d.count, d.dests);
  if (dest == nullptr) return false;
  dest_out = CupsDestination{};
  PrinterInfo& info = dest_out.info;
  info.name = dest->name;
  info.driver = "CUPS";
  for (int i = 0; i < dest->num_options; ++i)
    dest_out.options.emplace_back(dest->options[i].name, dest->options[i].value);

  int dpi_x = 0, dpi_y = 0;
  cups_size_t size{};
  bool have_size = false;
  std::unique_ptr<cups_dinfo_t, DestInfoDeleter> dinfo(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest));
  if (dinfo) {
    if (ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, dinfo.get(), "printer-resolution")) {
      ipp_res_t units = IPP_RES_PER_INCH;
      int y = 0;
      int x = ippGetResolution(a, 0, &y, &units);
      if (units == IPP_RES_PER_CM) {
        x = RoundInt(x * 2.54);
        y = RoundInt(y * 2.54);
      }
      if (x > 0 && y > 0) {
        dpi_x = x;
        dpi_y = y;
      }
    }
    // cupsGetDestMediaDefault answers Letter for an A4 queue: take the queue's media-default.
    if (ipp_attribute_t* m = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, dinfo.get(), "media")) {
      const char* media = ippGetString(m, 0, nullptr);
      if (media != nullptr)
        have_size = cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, dinfo.get(), media,
                                           CUPS_MEDIA_FLAGS_DEFAULT, &size) != 0;
    }
    if (!have_size)
      have_size = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, dinfo.get(), CUPS_MEDIA_FLAGS_DEFAULT, &size) != 0;
  }
  if (dpi_x <= 0 && !PpdResolution(dest->name, dpi_x, dpi_y)) dpi_x = dpi_y = 600;
  if (!have_size || size.width <= 0 || size.length <= 0) {
    // A4 with the folder printer's printable area in its middle.
    size.width = 21000;
    size.length = 29700;
    size.left = size.right = (21000 - 20320) / 2;
    size.bottom = size.top = (29700 - 27810) / 2;
  }
  // Margins that leave nothing printable are ignored.
  if (size.left < 0 || size.right < 0 || size.left + size.right >= size.width) size.left = size.right = 0;
  if (size.top < 0 || size.bottom < 0 || size.top + size.bottom >= size.length) size.top = size.bottom = 0;
  info.dpi_x = dpi_x;
  info.dpi_y = dpi_y;
  // Hundredths of a millimetre to dots and points.
  info.width_dots = RoundInt((size.width - size.left - size.right) / 2540.0 * dpi_x);
  info.height_dots = RoundInt((size.length - size.top - size.bottom) / 2540.0 * dpi_y);
  dest_out.page_width_pt = size.width / 2540.0 * 72.0;
  dest_out.page_height_pt = size.length / 2540.0 * 72.0;
  dest_out.area_left_pt = size.left / 2540.0 * 72.0;
  dest_out.area_top_pt = size.top / 2540.0 * 72.0;
  return info.width_dots > 0 && info.height_dots > 0;
}

bool CupsSubmitPdf(const CupsDestination& printer, const std::string& path, std::string_view title,
                   std::string& error) {
  int count = 0;
  cups_option_t* options = nullptr;
  // 1 mm of the picture at scale 1 stays 1 mm on paper.
  count = cupsAddOption("print-scaling", "none", count, &options);
  for (const auto& [name, value] : printer.options) {
    if (cupsGetOption(name.c_str(), count, options) == nullptr)
      count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
  }
  const std::string t(title);
  const int id = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.info.name.c_str(), path.c_str(), t.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (id == 0) {
    const char* why = cupsLastErrorString();
    error = printer.info.name + ": " + (why != nullptr ? why : "the job was not accepted");
    return false;
  }
  return true;
}

}  // namespace platform
