// View state and transforms: how a three-dimensional drawing point appears in the window.
// World coordinates (as stored), the work plane, the view plane (u, v, depth w) and pixels
// of the active viewport (relative to its inner top-left corner).
#pragma once
#include <array>

#include "platform/hook.h"

namespace view {

// 3×3 matrices indexed 1..3 (element [0] of each row and row [0] unused).
using Matrix3 = std::array<std::array<double, 4>, 4>;

namespace defaults {
inline constexpr Matrix3 kIdentity = {{{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
void NoPoint(float, float, float);
}  // namespace defaults

struct ViewState {
  // rows: u axis, v axis, depth axis, in world coordinates
  Matrix3 ViewMatrix = defaults::kIdentity;
  Matrix3 Projection = defaults::kIdentity;  // the copy every transform reads (ApplyView)
  float ViewCentreU = 0.0f, ViewCentreV = 0.0f;
  float UnitsPerPixelX = 1.0f, UnitsPerPixelY = 1.0f;
  float DepthScale = 1.0f;
  float DepthCentre = 0.0f;
  int DepthOrigin = 0;
  float PixelAspect = 1.0f;
  int ScreenCentreX = 0, ScreenCentreY = 0;
  int ViewportLeft = 0, ViewportTop = 0, ViewportWidth = 0, ViewportHeight = 0;
  int ClientWidth = 0, ClientHeight = 0;
  int DrawAreaHeight = 0;

  Matrix3 PlaneAxes = defaults::kIdentity;  // rows: the plane's axes in world coordinates
  std::array<float, 4> PlaneOrigin = {0.0f, 0.0f, 0.0f, 0.0f};  // [1..3]
  float PlaneDepth = 0.0f;

  // The element drawing goes through these; the command-key unit binds them to
  // MoveToWorld and LineToWorld.
  platform::Hook<void(float, float, float)> MoveToWorldProc = defaults::NoPoint;
  platform::Hook<void(float, float, float)> LineToWorldProc = defaults::NoPoint;
};
extern ViewState ViewVars;

inline constexpr auto& ViewMatrix = ViewVars.ViewMatrix;
inline constexpr auto& Projection = ViewVars.Projection;
inline constexpr auto& ViewCentreU = ViewVars.ViewCentreU;
inline constexpr auto& ViewCentreV = ViewVars.ViewCentreV;
inline constexpr auto& UnitsPerPixelX = ViewVars.UnitsPerPixelX;
inline constexpr auto& UnitsPerPixelY = ViewVars.UnitsPerPixelY;
inline constexpr auto& DepthScale = ViewVars.DepthScale;
inline constexpr auto& DepthCentre = ViewVars.DepthCentre;
inline constexpr auto& DepthOrigin = ViewVars.DepthOrigin;
inline constexpr auto& PixelAspect = ViewVars.PixelAspect;
inline constexpr auto& ScreenCentreX = ViewVars.ScreenCentreX;
inline constexpr auto& ScreenCentreY = ViewVars.ScreenCentreY;
inline constexpr auto& ViewportLeft = ViewVars.ViewportLeft;
inline constexpr auto& ViewportTop = ViewVars.ViewportTop;
inline constexpr auto& ViewportWidth = ViewVars.ViewportWidth;
inline constexpr auto& ViewportHeight = ViewVars.ViewportHeight;
inline constexpr auto& ClientWidth = ViewVars.ClientWidth;
inline constexpr auto& ClientHeight = ViewVars.ClientHeight;
inline constexpr auto& DrawAreaHeight = ViewVars.DrawAreaHeight;
inline constexpr int ViewMargin = 1;
inline constexpr auto& PlaneAxes = ViewVars.PlaneAxes;
inline constexpr auto& PlaneOrigin = ViewVars.PlaneOrigin;
inline constexpr auto& PlaneDepth = ViewVars.PlaneDepth;
inline constexpr auto& MoveToWorldProc = ViewVars.MoveToWorldProc;
inline constexpr auto& LineToWorldProc = ViewVars.LineToWorldProc;

Matrix3 IdentityMatrix();

// Where a point falls: its offset in pixels from the screen centre (x right, y up, not yet
// rounded) and its depth in depth steps from DepthOrigin.
struct PenPos {
  double x, y, w;
};

// What the transform of a drawn point reads of the view, copied so that the reading thread of
// a replay can place the points ahead of it (the view does not change while it draws).
struct PointTransform {
  Matrix3 projection;
  float centre_u, centre_v, units_x, units_y, depth_centre, depth_scale;
};
PointTransform CurrentPointTransform();
// The same bits (a zero's sign or a NaN's payload could change a place).
bool SamePointTransform(const PointTransform& a, const PointTransform& b);

// The place of a world point under a projection, a view centre, units per pixel and a depth
// centre and scale. MoveToWorld and LineToWorld place points by this with the view's own
// values, so PenOf(CurrentPointTransform(), ...) is where they put a point, to the last bit.
[[gnu::always_inline]] inline PenPos PenOf(const Matrix3& p, float centre_u, float centre_v,
                                           float units_x, float units_y, float depth_centre,
                                           float depth_scale, float x, float y, float z) {
  const double u = p[1][1] * x + p[1][2] * y + p[1][3] * z;
  const double v = p[2][1] * x + p[2][2] * y + p[2][3] * z;
  const double w = p[3][1] * x + p[3][2] * y + p[3][3] * z;
  return {(u - centre_u) / static_cast<double>(units_x), (v - centre_v) / static_cast<double>(units_y),
          (w - depth_centre) / static_cast<double>(depth_scale)};
}
[[gnu::always_inline]] inline PenPos PenOf(const PointTransform& t, float x, float y, float z) {
  return PenOf(t.projection, t.centre_u, t.centre_v, t.units_x, t.units_y, t.depth_centre,
               t.depth_scale, x, y, z);
}

void ProjectToView(float x, float y, float z, float& u, float& v);
// As ProjectToView under the projection `p`.
inline void ProjectToView(const Matrix3& p, float x, float y, float z, float& u, float& v) {
  u = static_cast<float>(p[1][1] * x + p[1][2] * y + p[1][3] * z);
  v = static_cast<float>(p[2][1] * x + p[2][2] * y + p[2][3] * z);
}
void WorldToPixel(float x, float y, float z, int& px, int& py);
void PlaneToWorld(float x, float y, float z, float& X, float& Y, float& Z);
void WorldToPlane(float X, float Y, float Z, float& x, float& y, float& z);
void PlaneToPixel(float x, float y, float z, int& px, int& py);
void ViewToWorld(float u, float v, float w, float& X, float& Y, float& Z);
void ViewToPixel(float u, float v, int& px, int& py);
void MoveToWorld(float x, float y, float z);
void LineToWorld(float x, float y, float z);
// MoveToWorld and LineToWorld of a point already placed by PenOf.
void MoveToPen(const PenPos& p);
void LineToPen(const PenPos& p);
void DrawPointMarker(int kind, float x, float y, float z);
void PixelToView(int px, int py, float& u, float& v);
void PixelToPlane(int px, int py, float& x, float& y, float& z);
void ProjectOntoPlane(float& x, float& y, float& z);
void StartBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2);
void ExtendBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2);
void FitWindow(float u1, float v1, float u2, float v2);
void ApplyView();
void ResetViewWindow();

// Program-start values of every variable above.
void TransformsStartUp();

}  // namespace view
