#include "print/vector_export.h"

#include <cstdio>

#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "drawing/ugf_export.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "view/view_commands.h"
#include "view/view_state.h"

namespace print {

namespace {

// The background scheme whose brush is white.
constexpr int kWhiteScheme = 4;

// Where the drawing's top-left extents corner lands, and the mapping's scale.
double g_origin_u = 0, g_origin_v = 0, g_scale = 1;
bool g_colour = false;

void VectorPoint(float u, float v, std::int32_t pen) {
  const double x = kPageMarginMm + (u - g_origin_u) * g_scale;
  const double y = kPageMarginMm + (g_origin_v - v) * g_scale;
  if (pen > 0) {
    if (g_colour) {
      const int c = graphics::ValidColourIndex(graphics::SchemeSubstitute(kWhiteScheme, pen));
      platform::VectorPenColour(graphics::Palette[static_cast<std::size_t>(c)]);
    }
    platform::VectorMoveTo(x, y);
  } else {
    platform::VectorLineTo(x, y);
  }
}

// An element whose points all coincide stands for that point: its diamond, since a line of
// no length shows nothing.
void VectorElement() {
  bool same = drawing::PointCount > 1;
  float x = 0, y = 0, z = 0;
  if (same) drawing::GetPoint(1, x, y, z);
  for (std::int32_t i = 2; same && i <= drawing::PointCount; ++i) {
    float xi = 0, yi = 0, zi = 0;
    drawing::GetPoint(i, xi, yi, zi);
    same = xi == x && yi == y && zi == z;
  }
  if (!same) {
    drawing::ElementToOutput();
    return;
  }
  float u = 0, v = 0;
  view::ProjectToView(x, y, z, u, v);
  drawing::PointDiamond(u, v, drawing::CurrentPen);
}

}  // namespace

int ExportVector(platform::PageFormat format, const std::string& path, const std::string& display,
                 float scale, bool colour) {
  view::FaceMode = 0;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  drawing::ExtentsProc(x1, y1, x2, y2);
  // No point at all: a page of the margins alone.
  if (drawing::FirstExtentsPoint != 0) x1 = y1 = x2 = y2 = 0;
  const double width = (static_cast<double>(x2) - x1) * scale + 2 * kPageMarginMm;
  const double height = (static_cast<double>(y2) - y1) * scale + 2 * kPageMarginMm;
  if (!(width <= platform::kMaxPageSideMm && height <= platform::kMaxPageSideMm)) {
    std::fprintf(stderr,
                 "ugfview: refusing a page of %.0f x %.0f mm: a side may be at most %.0f mm (PDF's "
                 "limit); give a smaller --scale\n",
                 width, height, platform::kMaxPageSideMm);
    return 2;
  }
  g_origin_u = x1;
  g_origin_v = y2;
  g_scale = scale;
  g_colour = colour;
  struct Restore {
    ~Restore() {
      platform::CancelVectorPage();
      drawing::PointProc = drawing::WriteAndDrawPoint;
      drawing::ElementOutputProc = drawing::ElementToOutput;
      drawing::OutputMode = 0;
    }
  } restore;
  // The title is the drawing's name as shown, in UTF-8 (a name's bad bytes are '?' there).
  platform::BeginVectorPage(format, path, display, platform::Cp866ToUtf8(drawing::SourceName), width,
                            height, kVectorLineMm);
  // What the thickness dialog leaves when it is only confirmed.
  drawing::MarkerSize = 1.0f;
  drawing::CurrentPen = graphics::colours::kWhite;
  drawing::PointProc = VectorPoint;
  drawing::ElementOutputProc = VectorElement;
  drawing::OutputMode = 2;
  drawing::DrawProc();
  platform::EndVectorPage();
  return 0;
}

}  // namespace print
