#include "drawing/replay.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/element_store.h"
#include "drawing/ugf_export.h"
#include "drawing/record_stream.h"
#include "drawing/split_extents.h"
#include "drawing/ugf_reader.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace drawing {

constinit ReplayState ReplayVars;

namespace defaults {
void PlaceholderDraw() { dialogs::ReportUndefinedProcedure("WID_RIS"); }
void PlaceholderExtents(float&, float&, float&, float&) {
  dialogs::ReportUndefinedProcedure("WID_GRAN");
}
void NoElementOutput() {}
}  // namespace defaults

std::string TargetName(const std::string& path, const std::string& display) {
  return display.empty() ? platform::FileNameOf(path) : display;
}

std::string ShownName(const std::string& file) {
  if (file == SourceFile && !SourceShown.empty()) return SourceShown;
  return platform::FileNameOf(file);
}

namespace {
// A waiting key ends a picture early, but never a measurement or an output, which would be
// cut short (a wrong fit, a file or sheet without its end); the key then waits for its reader.
// The window is kept answering in every case.
bool KeyStopsReplay() { return graphics::KeyAvailable() && OutputMode == 0; }

// The places of the collected points in memory (1..kMemoryPoints), when the reading thread
// worked them out for a picture, and the transform it used.
struct ReplayLocal {
  std::array<view::PenPos, kMemoryPoints + 1> pens{};
  bool placed = false;
  view::PointTransform transform{};
};
constinit ReplayLocal g;

bool ViewOwnWorldProcs() {
  return view::MoveToWorldProc == view::MoveToWorld && view::LineToWorldProc == view::LineToWorld;
}

// The places of the element's points, or null when its points are to go through the hooks.
const view::PenPos* PlacedPens() {
  if (!g.placed || !ViewOwnWorldProcs()) return nullptr;
  if (!view::SamePointTransform(g.transform, view::CurrentPointTransform())) return nullptr;
  return g.pens.data();
}
}  // namespace

void ReplayStartUp() {
  ReplayVars = {};
  g = {};
}

void RotatePoint(float& x, float& y) {
  if (RotateFlag != 0) {
    const float t = x;
    x = -y;
    y = t;
  }
}

void DrawNewVariant() {
  view::PrepareDrawArea();
  ReadNewVariant(SourceFile, 0.0f);
}

void DrawOldVariant() {
  dialogs::LayoutScreen();
  ReadOldVariant(SourceFile, 0.0f);
}

namespace {

void SelectPen(std::int32_t pen) {
  dialogs::SetPenColour(pen);
  CurrentPen = pen;
}

// The extents pass of a large drawing on both cores, leaving what the one pass leaves: the
// box, the first-point mark used and the last pen selected (but not the last line in the
// element store, which every pass starts afresh). False when the one pass must run.
bool ExtentsOnBothCores(const std::string& file, float z, bool new_variant) {
  if (OutputMode != 1 || FirstExtentsPoint == 0) return false;
  SplitExtents e;
  if (!ExtentsInHalves(file, ShownName(file), z, RotateFlag != 0, new_variant, e)) return false;
  ExtentsXMin = e.u1;
  ExtentsYMin = e.v1;
  ExtentsXMax = e.u2;
  ExtentsYMax = e.v2;
  FirstExtentsPoint = 0;
  if (e.last_pen > 0) SelectPen(e.last_pen);
  ReadProgressProc(e.records);
  return true;
}

// The replay of both variants. A line starts at a record with a pen in the new variant, which
// outputs nothing before its first line; in the old one at a record with pen 0, and every
// other record names the pen of its point.
template <bool kNewVariant>
void ReadVariant(const std::string& file, float z) {
  const graphics::RepaintHold hold;
  if (ExtentsOnBothCores(file, z, kNewVariant)) return;
  RecordStream reader;
  // A picture through the view's own transforms: the reading thread places the points.
  const bool place = OutputMode != 1 && ViewOwnWorldProcs();
  if (place) {
    g.transform = view::CurrentPointTransform();
    reader.PlaceAhead(g.transform, RotateFlag != 0, z);
  }
  reader.Open(file, ShownName(file));
  struct Placing {
    bool saved = g.placed;
    ~Placing() { g.placed = saved; }
  } placing;
  g.placed = place;
  UgfRecord r;
  view::PenPos pen{};
  const auto next = [&] { return place ? reader.Next(r, pen) : reader.Next(r); };
  if (!next()) return;
  BeginElement();
  bool started = false;
  bool complete = true;
  for (;;) {
    if (r.pen < 0) break;
    RotatePoint(r.x, r.y);
    if (KeyStopsReplay()) {
      complete = false;  // the key stays queued for whoever reads next
      break;
    }
    if (kNewVariant ? r.pen > 0 : r.pen == 0) {
      CloseElement();
      if (started || !kNewVariant) OutputElement();
      started = true;
      if (kNewVariant) SelectPen(r.pen);
      BeginElement();
      BeginContour();
    } else if (!kNewVariant) {
      SelectPen(r.pen);
    }
    AddPoint(r.x, r.y, z);
    if (place && PointCount <= kMemoryPoints) g.pens[static_cast<std::size_t>(PointCount)] = pen;
    if (!next()) break;  // the end of the file ends the data
  }
  if (complete) {
    CloseElement();
    OutputElement();
  }
}

}  // namespace

void ReadNewVariant(const std::string& file, float z) { ReadVariant<true>(file, z); }
void ReadOldVariant(const std::string& file, float z) { ReadVariant<false>(file, z); }

void OutputElement() {
  switch (OutputMode) {
    case 0:
      ScreenElement();
      break;
    case 1: {
      if (FirstExtentsPoint != 0 && ClosedContourCount > 0 && PointCount > 0) {
        float x, y, z;
        GetPoint(1, x, y, z);
        view::StartBox(x, y, z, ExtentsXMin, ExtentsYMin, ExtentsXMax, ExtentsYMax);
        FirstExtentsPoint = 0;
      }
      for (std::int32_t i = 1; i <= PointCount; ++i) {
        float x, y, z;
        GetPoint(i, x, y, z);
        view::ExtendBox(x, y, z, ExtentsXMin, ExtentsYMin, ExtentsXMax, ExtentsYMax);
      }
      break;
    }
    case 2:
      ScreenElement();
      // CurrentPen stays the pen as read: the driver's colour is the scheme's substitute
      // (scheme 4 would write pen 0, a continuation).
      ElementOutputProc();
      break;
    default:
      break;
  }
}

void ScreenElement() {
  const view::PenPos* const pens = PlacedPens();
  for (std::int32_t k = 1; k <= ClosedContourCount; ++k) {
    if (graphics::KeyAvailable()) break;
    std::int32_t first = 0, last = 0, kind = 0, colour = 0;
    ContourRange(k, first, last, kind, colour);
    const std::int32_t start = first < 0 ? -first : first;
    float x, y, z;
    if (start == last) {
      GetPoint(start, x, y, z);
      view::DrawPointMarker(0, x, y, z);
    } else if (first > 0 && kind <= 1 && pens != nullptr && last <= kMemoryPoints) {
      view::MoveToPen(pens[start]);
      for (std::int32_t i = start + 1; i <= last; ++i) view::LineToPen(pens[i]);
    } else if (first > 0 && kind <= 1) {
      GetPoint(start, x, y, z);
      view::MoveToWorldProc(x, y, z);
      for (std::int32_t i = start + 1; i <= last; ++i) {
        GetPoint(i, x, y, z);
        view::LineToWorldProc(x, y, z);
      }
    } else {
      for (std::int32_t i = start; i + 1 <= last; i += 2) {
        GetPoint(i, x, y, z);
        view::MoveToWorldProc(x, y, z);
        GetPoint(i + 1, x, y, z);
        view::LineToWorldProc(x, y, z);
      }
    }
  }
  graphics::SetLineStyle(0, 0, 1);
}

void ExtentsOfDrawing(float& xmin, float& ymin, float& xmax, float& ymax) {
  FirstExtentsPoint = 1;
  OutputMode = 1;
  DrawProc();
  OutputMode = 0;
  xmin = ExtentsXMin;
  ymin = ExtentsYMin;
  xmax = ExtentsXMax;
  ymax = ExtentsYMax;
}

void WriteAndDrawPoint(float u, float v, std::int32_t pen) {
  WriteUgfRecord(u, v, pen);
  int px = 0, py = 0;
  view::ViewToPixel(u, v, px, py);
  if (pen > 0) {
    graphics::MoveToPoint(px, py);
  } else {
    graphics::LineToPoint(px, py);
  }
}

std::int32_t ReadHeaderPen(const std::string& file) {
  UgfReader reader;
  reader.Open(file, ShownName(file));
  UgfRecord r;
  reader.Next(r);  // no first record: the reader ends the run with code 100
  return r.pen;
}

}  // namespace drawing
