#include "platform/vector_page.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/output_file.h"
#include "platform/units.h"

namespace platform {

bool VectorPagesAvailable() { return true; }

namespace {

// Segments per stroke: a drawing may have millions, cairo should not hold them all.
constexpr int kSegmentsPerStroke = 4096;

struct Page {
  OutputFile file;
  std::string display;
  bool svg = false;
  std::string svg_text;  // an SVG is written whole, once its ids are made the same in every run
  // A failure of the file while cairo writes; thrown again once cairo is out of the way.
  std::exception_ptr failure;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  std::uint32_t colour = 0;
  int pending = 0;  // segments not stroked yet
  ~Page() {
    if (cr != nullptr) cairo_destroy(cr);
    if (surface != nullptr) cairo_surface_destroy(surface);
  }
};

std::unique_ptr<Page> g_page;

// Never lets an exception through cairo.
cairo_status_t WriteBytes(void* closure, const unsigned char* data, unsigned int length) {
  Page& page = *static_cast<Page*>(closure);
  if (page.failure) return CAIRO_STATUS_WRITE_ERROR;
  try {
    const std::string_view bytes(reinterpret_cast<const char*>(data), length);
    if (page.svg) {
      page.svg_text.append(bytes);
    } else {
      page.file.Write(bytes);
    }
  } catch (...) {
    page.failure = std::current_exception();
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

// cairo names an SVG's surfaces by a count of every surface the process has made: renumbered
// from 1 in order of appearance, a page is the same bytes whatever pages came before it.
std::string RenumberSurfaces(const std::string& svg) {
  static constexpr std::string_view kName = "surface";
  std::vector<std::string> seen;
  std::string out;
  out.reserve(svg.size());
  std::size_t from = 0;
  for (std::size_t at = svg.find(kName); at != std::string::npos; at = svg.find(kName, at + 1)) {
    std::size_t end = at + kName.size();
    while (end < svg.size() && svg[end] >= '0' && svg[end] <= '9') ++end;
    const bool id = at > 0 && (svg[at - 1] == '"' || svg[at - 1] == '#') && end > at + kName.size() &&
                    end < svg.size() && svg[end] == '"';
    if (!id) continue;
    const std::string number = svg.substr(at + kName.size(), end - at - kName.size());
    auto it = std::find(seen.begin(), seen.end(), number);
    if (it == seen.end()) it = seen.insert(seen.end(), number);
    out.append(svg, from, at + kName.size() - from);
    out += std::to_string(it - seen.begin() + 1);
    from = end;
  }
  out.append(svg, from, std::string::npos);
  return out;
}

void Stroke(Page& page) {
  if (page.pending > 0) cairo_stroke(page.cr);
  page.pending = 0;
}

}  // namespace

void BeginVectorPage(PageFormat format, const std::string& path, const std::string& display,
                     const std::string& title, double width_mm, double height_mm, double line_mm) {
  g_page.reset();
  auto page = std::make_unique<Page>();
  page->display = display;
  page->file.Open(path, display);
  constexpr double kPointsPerMm = 72.0 / kMmPerInch;
  if (format == PageFormat::kPdf) {
    page->surface = cairo_pdf_surface_create_for_stream(WriteBytes, page.get(), width_mm * kPointsPerMm,
                                                        height_mm * kPointsPerMm);
    cairo_pdf_surface_set_metadata(page->surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(page->surface, CAIRO_PDF_METADATA_CREATOR, "ugfview");
  } else {
    // Width and height in mm, the viewBox in the same units.
    page->svg = true;
    page->surface = cairo_svg_surface_create_for_stream(WriteBytes, page.get(), width_mm, height_mm);
    cairo_svg_surface_set_document_unit(page->surface, CAIRO_SVG_UNIT_MM);
  }
  page->cr = cairo_create(page->surface);
  cairo_t* cr = page->cr;
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    RunTimeError(kWriteFailed, display, 0, std::string("cannot make the page: ") + cairo_status_to_string(cairo_status(cr)));
  if (format == PageFormat::kPdf) {
    cairo_scale(cr, kPointsPerMm, kPointsPerMm);
  } else {
    // A PDF page is white; an SVG without a background shows whatever is behind it.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, line_mm);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  g_page = std::move(page);
}

void VectorPenColour(std::uint32_t rgb) {
  if (!g_page || rgb == g_page->colour) return;
  Stroke(*g_page);
  g_page->colour = rgb;
  cairo_set_source_rgb(g_page->cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0);
}

void VectorMoveTo(double x_mm, double y_mm) {
  if (g_page) cairo_move_to(g_page->cr, x_mm, y_mm);
}

void VectorLineTo(double x_mm, double y_mm) {
  if (!g_page) return;
  Page& page = *g_page;
  cairo_line_to(page.cr, x_mm, y_mm);
  if (++page.pending < kSegmentsPerStroke) return;
  // The stroke drops the path: the line goes on from where it stands.
  Stroke(page);
  cairo_move_to(page.cr, x_mm, y_mm);
}

void EndVectorPage() {
  if (!g_page) return;
  const std::unique_ptr<Page> page = std::move(g_page);
  Stroke(*page);
  cairo_show_page(page->cr);
  cairo_destroy(page->cr);
  page->cr = nullptr;
  cairo_surface_finish(page->surface);
  const cairo_status_t status = cairo_surface_status(page->surface);
  cairo_surface_destroy(page->surface);
  page->surface = nullptr;
  if (page->failure) std::rethrow_exception(page->failure);
  if (status != CAIRO_STATUS_SUCCESS)
    RunTimeError(kWriteFailed, page->display, 0, std::string("cannot write the page: ") + cairo_status_to_string(status));
  if (page->svg) page->file.Write(RenumberSurfaces(page->svg_text));
  page->file.Commit();
}

void CancelVectorPage() { g_page.reset(); }

}  // namespace platform
