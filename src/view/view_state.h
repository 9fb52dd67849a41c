// View state and transforms: how a three-dimensional drawing point appears in the window.
// World coordinates (as stored), the work plane, the view plane (u, v, depth w) and pixels
// of the active viewport (relative to its inner top-left corner).
#pragma once
#include <array>

#include "platform/hook.h"

namespace view {

// 3×3 matrices indexed 1..3 (element [0] of each row and row [0] unused).
using Matrix3 = std::array<std::array<double, 4>, 4>;

extern Matrix3 ViewMatrix;   // rows: u axis, v axis, depth axis, in world coordinates
extern Matrix3 Projection;   // the copy every transform reads (ApplyView)
extern float ViewCentreU, ViewCentreV;
extern float UnitsPerPixelX, UnitsPerPixelY;
extern float DepthScale;
extern float DepthCentre;
extern int DepthOrigin;
extern float PixelAspect;
extern int ScreenCentreX, ScreenCentreY;
extern int ViewportLeft, ViewportTop, ViewportWidth, ViewportHeight;
extern int ClientWidth, ClientHeight;
extern int DrawAreaHeight;
inline constexpr int ViewMargin = 1;

extern Matrix3 PlaneAxes;               // rows: the plane's axes in world coordinates
extern std::array<float, 4> PlaneOrigin;  // [1..3]
extern float PlaneDepth;

Matrix3 IdentityMatrix();

void ProjectToView(float x, float y, float z, float& u, float& v);
void WorldToPixel(float x, float y, float z, int& px, int& py);
void PlaneToWorld(float x, float y, float z, float& X, float& Y, float& Z);
void WorldToPlane(float X, float Y, float Z, float& x, float& y, float& z);
void PlaneToPixel(float x, float y, float z, int& px, int& py);
void ViewToWorld(float u, float v, float w, float& X, float& Y, float& Z);
void ViewToPixel(float u, float v, int& px, int& py);
void MoveToWorld(float x, float y, float z);
void LineToWorld(float x, float y, float z);
void DrawPointMarker(int kind, float x, float y, float z);
void PixelToView(int px, int py, float& u, float& v);
void PixelToPlane(int px, int py, float& x, float& y, float& z);
void ProjectOntoPlane(float& x, float& y, float& z);
void StartBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2);
void ExtendBox(float x, float y, float z, float& u1, float& v1, float& u2, float& v2);
void FitWindow(float u1, float v1, float u2, float v2);
void ApplyView();
void ResetViewWindow();

// The element drawing goes through these; the command-key unit binds them to
// MoveToWorld and LineToWorld.
extern platform::Hook<void(float, float, float)> MoveToWorldProc;
extern platform::Hook<void(float, float, float)> LineToWorldProc;

// Program-start values of every variable above.
void TransformsStartUp();

}  // namespace view
