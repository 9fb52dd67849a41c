#include <cmath>
#include <cstring>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "platform/rounding.h"
#include "textentry/line_editor.h"
#include "view/view_state.h"

namespace view {

namespace {

using defaults::kIdentity;

// Segments are clipped to this many pixels around the screen centre before the driver sees
// them: far enough out to be invisible, near enough that rounding keeps their direction.
constexpr double kClipLimit = 16777216.0;  // 2^24

// The last point of MoveToWorld, LineToWorld or DrawPointMarker, and whether the driver's
// current point is known to be its pixel. When it is not (the point was beyond the clip box,
// not a number, or a segment was cut short), the next drawn segment moves there first.
struct TransformsLocal {
  PenPos pen{0.0, 0.0, 0.0};
  bool pen_placed = false;
};
constinit TransformsLocal g;
constexpr PenPos& g_pen = g.pen;
constexpr bool& g_pen_placed = g.pen_placed;

// The helpers of the per-point path are inlined into it, so that a point's offsets stay in
// registers from the projection to the rounding.

// Window mapping of a view-plane point, before rounding.
[[gnu::always_inline]] inline double OffsetX(double u) {
  return (u - ViewCentreU) / static_cast<double>(UnitsPerPixelX);
}
[[gnu::always_inline]] inline double OffsetY(double v) {
  return (v - ViewCentreV) / static_cast<double>(UnitsPerPixelY);
}

[[gnu::always_inline]] inline int PixelX(double offset_x) {
  return platform::RoundInt(offset_x) + ScreenCentreX;
}
[[gnu::always_inline]] inline int PixelY(double offset_y) {
  return ScreenCentreY - platform::RoundInt(offset_y);
}
[[gnu::always_inline]] inline int DepthStep(double w) { return platform::RoundInt(w) + DepthOrigin; }

[[gnu::always_inline]] inline void WorldToOffset(double x, double y, double z, double& ox, double& oy) {
  const Matrix3& p = Projection;
  ox = OffsetX(p[1][1] * x + p[1][2] * y + p[1][3] * z);
  oy = OffsetY(p[2][1] * x + p[2][2] * y + p[2][3] * z);
}

[[gnu::always_inline]] inline PenPos PenOf(float x, float y, float z) {
  return view::PenOf(Projection, ViewCentreU, ViewCentreV, UnitsPerPixelX, UnitsPerPixelY,
                     DepthCentre, DepthScale, x, y, z);
}

[[gnu::always_inline]] inline bool InClipBox(const PenPos& p) {
  return std::fabs(p.x) <= kClipLimit && std::fabs(p.y) <= kClipLimit;
}

void MovePen(const PenPos& p) {
  graphics::MoveToPointDepth(PixelX(p.x), PixelY(p.y), DepthStep(p.w));
}

// Which sides of the clip box a point lies beyond: 1 left, 2 right, 4 below, 8 above.
int Outside(const PenPos& p) {
  return (p.x < -kClipLimit ? 1 : 0) | (p.x > kClipLimit ? 2 : 0) | (p.y < -kClipLimit ? 4 : 0) |
         (p.y > kClipLimit ? 8 : 0);
}

// Moves p along the line p–q onto the box side it lies beyond. Interpolates from the end
// nearer to that side: from a far end the cancellation would cost the direction.
void ToBoxSide(PenPos& p, const PenPos& q, int side) {
  const bool along_x = side & 3;
  const double edge = (side & 5) ? -kClipLimit : kClipLimit;
  const double pa = along_x ? p.x : p.y, qa = along_x ? q.x : q.y;
  const double pb = along_x ? p.y : p.x, qb = along_x ? q.y : q.x;
  const double span = qa - pa;  // not zero: q is on the inner side of the edge
  const bool from_q = std::fabs(qa - edge) < std::fabs(pa - edge);
  const double da = edge - (from_q ? qa : pa);
  const double b = (from_q ? qb : pb) + da * ((qb - pb) / span);
  p.w = (from_q ? q.w : p.w) + da * ((q.w - p.w) / span);
  if (along_x) {
    p.x = edge;
    p.y = b;
  } else {
    p.y = edge;
    p.x = b;
  }
}

// Cuts a → b to the clip box. False when nothing of it is inside. An end inside comes back
// unchanged, with its flag false.
bool ClipSegment(PenPos a, PenPos b, PenPos& start, PenPos& end, bool& start_cut, bool& end_cut) {
  // An infinite offset comes only with a zero zoom or an infinite world coordinate, and
  // then the other coordinate is infinite or not a number too: no direction to draw in.
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
    return false;
  start_cut = end_cut = false;
  // A segment that meets the box needs two cuts per end at most; more means the line passes
  // outside a corner.
  for (int round = 0; round < 5; ++round) {
    const int oa = Outside(a), ob = Outside(b);
    if (oa == 0 && ob == 0) {
      start = a;
      end = b;
      return true;
    }
    if ((oa & ob) != 0) return false;
    const bool cut_a = oa != 0;
    PenPos& p = cut_a ? a : b;
    const int o = cut_a ? oa : ob;
    ToBoxSide(p, cut_a ? b : a, o & -o);
    (cut_a ? start_cut : end_cut) = true;
  }
  return false;
}

}  // namespace

constinit ViewState ViewVars;

void defaults::NoPoint(float, float, float) {}

Matrix3 IdentityMatrix() { return kIdentity; }

void TransformsStartUp() {
  ViewVars = {};
  g = {};
}

void ProjectToView(float x, float y, float z, float& u, float& v) {
  ProjectToView(Projection, x, y, z, u, v);
}

void WorldToPixel(float x, float y, float z, int& px, int& py) {
  double ox = 0.0, oy = 0.0;
  WorldToOffset(x, y, z, ox, oy);
  px = PixelX(ox);
  py = PixelY(oy);
}

namespace {
// The plane's axes scaled by the plane coordinates, plus its origin; kept in double so
// PlaneToPixel does not round through single.
void PlaneToWorldExact(double x, double y, double z, double& X, double& Y, double& Z) {
  const Matrix3& r = PlaneAxes;
  X = r[1][1] * x + r[2][1] * y + r[3][1] * z + PlaneOrigin[1];
  Y = r[1][2] * x + r[2][2] * y + r[3][2] * z + PlaneOrigin[2];
  Z = r[1][3] * x + r[2][3] * y + r[3][3] * z + PlaneOrigin[3];
}
}  // namespace

void PlaneToWorld(float x, float y, float z, float& X, float& Y, float& Z) {
  double wx = 0, wy = 0, wz = 0;
  PlaneToWorldExact(x, y, z, wx, wy, wz);
  X = static_cast<float>(wx);
  Y = static_cast<float>(wy);
  Z = static_cast<float>(wz);
}

void WorldToPlane(float X, float Y, float Z, float& x, float& y, float& z) {
  const Matrix3& r = PlaneAxes;
  const double d1 = static_cast<double>(X) - PlaneOrigin[1];
  const double d2 = static_cast<double>(Y) - PlaneOrigin[2];
  const double d3 = static_cast<double>(Z) - PlaneOrigin[3];
  x = static_cast<float>(r[1][1] * d1 + r[1][2] * d2 + r[1][3] * d3);
  y = static_cast<float>(r[2][1] * d1 + r[2][2] * d2 + r[2][3] * d3);
  z = static_cast<float>(r[3][1] * d1 + r[3][2] * d2 + r[3][3] * d3);
}

void PlaneToPixel(float x, float y, float z, int& px, int& py) {
  double wx = 0, wy = 0, wz = 0;
  PlaneToWorldExact(x, y, z, wx, wy, wz);
  double ox = 0.0, oy = 0.0;
  WorldToOffset(wx, wy, wz, ox, oy);
  px = PixelX(ox);
  py = PixelY(oy);
}

void ViewToWorld(float u, float v, float w, float& X, float& Y, float& Z) {
  const Matrix3& p = ViewMatrix;
  const double a = u, b = v, c = w;
  X = static_cast<float>(p[1][1] * a + p[2][1] * b + p[3][1] * c);
  Y = static_cast<float>(p[1][2] * a + p[2][2] * b + p[3][2] * c);
  Z = static_cast<float>(p[1][3] * a + p[2][3] * b + p[3][3] * c);
}

void ViewToPixel(float u, float v, int& px, int& py) {
  px = PixelX(OffsetX(u));
  py = PixelY(OffsetY(v));
}

PointTransform CurrentPointTransform() {
  return {Projection, ViewCentreU, ViewCentreV, UnitsPerPixelX, UnitsPerPixelY, DepthCentre, DepthScale};
}

bool SamePointTransform(const PointTransform& a, const PointTransform& b) {
  static_assert(sizeof(PointTransform) == sizeof(Matrix3) + 6 * sizeof(float), "no padding");
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void MoveToPen(const PenPos& p) {
  g_pen = p;
  // A point beyond the clip box (or not a number) is reached only by the next segment's clip.
  g_pen_placed = InClipBox(g_pen);
  if (g_pen_placed) MovePen(g_pen);
}

void LineToPen(const PenPos& p) {
  const PenPos from = g_pen;
  g_pen = p;
  if (InClipBox(from) && InClipBox(g_pen)) [[likely]] {
    // Nothing to cut (so also nothing infinite or not a number).
    if (!g_pen_placed) MovePen(from);
    graphics::LineToPointDepth(PixelX(g_pen.x), PixelY(g_pen.y), DepthStep(g_pen.w));
    g_pen_placed = true;
    return;
  }
  PenPos start{}, end{};
  bool start_cut = false, end_cut = false;
  if (!ClipSegment(from, g_pen, start, end, start_cut, end_cut)) {
    g_pen_placed = false;
    return;
  }
  if (start_cut || !g_pen_placed) MovePen(start);
  graphics::LineToPointDepth(PixelX(end.x), PixelY(end.y), DepthStep(end.w));
  g_pen_placed = !end_cut;
}

void MoveToWorld(float x, float y, float z) { MoveToPen(PenOf(x, y, z)); }

void LineToWorld(float x, float y, float z) { LineToPen(PenOf(x, y, z)); }

void DrawPointMarker(int kind, float x, float y, float z) {
  g_pen = PenOf(x, y, z);
  if (std::isnan(g_pen.x) || std::isnan(g_pen.y)) {
    g_pen_placed = false;
    return;
  }
  // Saturated pixels stay 2^30 + 3 at most: no overflow, and the driver clips them away.
  const int px = PixelX(g_pen.x), py = PixelY(g_pen.y);
  constexpr int r = 3;
  if (kind == 2) {
    graphics::MoveToPoint(px - r, py - r);
    graphics::LineToPoint(px + r, py - r);
    graphics::LineToPoint(px + r, py + r);
    graphics::LineToPoint(px - r, py + r);
    graphics::LineToPoint(px - r, py - r);
  } else if (kind == 1) {
    graphics::MoveToPoint(px - r, py - r);
    graphics::LineToPoint(px + r, py + r);
    graphics::MoveToPoint(px - r, py + r);
    graphics::LineToPoint(px + r, py - r);
  } else {
    graphics::MoveToPoint(px - r, py);
    graphics::LineToPoint(px, py - r);
    graphics::LineToPoint(px + r, py);
    graphics::LineToPoint(px, py + r);
    graphics::LineToPoint(px - r, py);
  }
  graphics::MoveToPoint(px, py);
  g_pen_placed = InClipBox(g_pen);
}

void PixelToView(int px, int py, float& u, float& v) {
  // In double: a pixel far out must not overflow the int subtraction.
  u = static_cast<float>((static_cast<double>(px) - ScreenCentreX) * UnitsPerPixelX + ViewCentreU);
  v = static_cast<float>(ViewCentreV - (static_cast<double>(py) - ScreenCentreY) * UnitsPerPixelY);
}

void PixelToPlane(int px, int py, float& x, float& y, float& z) {
  const double zc = z;
  float u = 0.0f, v = 0.0f;
  PixelToView(px, py, u, v);
  const Matrix3& m = ViewMatrix;
  const Matrix3& r = PlaneAxes;
  double q[4] = {0.0, 0.0, 0.0, 0.0};
  for (int i = 1; i <= 3; ++i) q[i] = m[1][i] * u + m[2][i] * v;
  double den = 0.0, nq = 0.0, eq = 0.0, eo = 0.0;
  for (int i = 1; i <= 3; ++i) {
    den += r[3][i] * m[3][i];
    nq += r[3][i] * q[i];
    eq += m[3][i] * q[i];
    eo += m[3][i] * PlaneOrigin[i];
  }
  double world[4] = {0.0, 0.0, 0.0, 0.0};
  if (std::fabs(den) > 0.01) {
    const double t = (PlaneDepth + zc - nq) / den;
    for (int i = 1; i <= 3; ++i) world[i] = q[i] + t * m[3][i];
  } else {
    // Edge-on: the point of the ray at the depth of the plane's origin.
    const double w = eo - eq;
    for (int i = 1; i <= 3; ++i) world[i] = m[1][i] * u + m[2][i] * v + m[3][i] * w;
  }
  WorldToPlane(static_cast<float>(world[1]), static_cast<float>(world[2]),
               static_cast<float>(world[3]), x, y, z);
}

void ProjectOntoPlane(float& x, float& y, float& z) {
  const Matrix3& r = PlaneAxes;
  const double d = (static_cast<double>(x) - PlaneOrigin[1]) * r[3][1] +
                   (static_cast<double>(y) - PlaneOrigin[2]) * r[3][2] +
                   (static_cast<double>(z) - PlaneOrigin[3]) * r[3][3];
  x = static_cast<float>(x - r[3][1] * d);
  y = static_cast<float>(y - r[3][2] * d);
  z = static_cast<float>(z - r[3][3] * d);
}

void StartBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2) {
  float u = 0.0f, v = 0.0f;
  ProjectToView(x, y, z, u, v);
  u1 = u2 = u;
  v1 = v2 = v;
}

void ExtendBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2) {
  float u = 0.0f, v = 0.0f;
  ProjectToView(x, y, z, u, v);
  if (u < u1) {
    u1 = u;
  } else if (u > u2) {
    u2 = u;
  }
  if (v < v1) {
    v1 = v;
  } else if (v > v2) {
    v2 = v;
  }
}

void FitWindow(float u1, float v1, float u2, float v2) {
  // A viewport of 7 pixels or less would divide by zero or flip the picture.
  const double inner_w = ViewportWidth - 7 > 0 ? ViewportWidth - 7 : 1;
  const double inner_h = ViewportHeight - 7 > 0 ? ViewportHeight - 7 : 1;
  UnitsPerPixelX = static_cast<float>((static_cast<double>(u2) - u1) / inner_w);
  UnitsPerPixelY = static_cast<float>((static_cast<double>(v2) - v1) / inner_h);
  if (static_cast<double>(PixelAspect) * UnitsPerPixelY < UnitsPerPixelX)
    UnitsPerPixelY = static_cast<float>(static_cast<double>(UnitsPerPixelX) / PixelAspect);
  if (UnitsPerPixelY == 0.0f) UnitsPerPixelY = 1.0f;
  UnitsPerPixelX = static_cast<float>(static_cast<double>(UnitsPerPixelY) * PixelAspect);
  ViewCentreU = static_cast<float>((static_cast<double>(u1) + u2) / 2.0);
  ViewCentreV = static_cast<float>((static_cast<double>(v1) + v2) / 2.0);
  DepthScale = UnitsPerPixelX;
}

void ApplyView() {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) Projection[i][j] = ViewMatrix[i][j];
}

void ResetViewWindow() {
  graphics::OpenGraphics();
  dialogs::ComputeTextMetrics();
  ClientWidth = graphics::GetMaxX();
  ClientHeight = graphics::GetMaxY();
  DrawAreaHeight = ClientHeight - dialogs::TextAreaHeight;
  ViewportWidth = ClientWidth;
  ViewportHeight = DrawAreaHeight;
  ViewportLeft = ViewportTop = 0;
  ScreenCentreX = ViewportWidth / 2 - ViewMargin;
  ScreenCentreY = ViewportHeight / 2 - ViewMargin;
  DepthOrigin = 0;
  PixelAspect = 1.0f;
  dialogs::LayoutScreen();
  ViewCentreU = ViewCentreV = 0.0f;
  UnitsPerPixelX = UnitsPerPixelY = 1.0f;
  DepthCentre = 0.0f;
  DepthScale = 1.0f;
  dialogs::MarkColour = graphics::colours::kWhite;
  dialogs::MarkNumber = 0;
  textentry::KeyboardLayout = 0;
}

}  // namespace view
