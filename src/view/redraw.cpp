#include "view/redraw.h"

#include <algorithm>
#include <cstdint>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/rounding.h"
#include "view/cursor.h"
#include "view/view_state.h"
#include "view/views.h"

namespace view {

namespace colours = graphics::colours;

namespace {

using platform::Single;

struct RedrawLocal {
  bool view_started = false;
};
constinit RedrawLocal g;
constexpr bool& g_view_started = g.view_started;

// Pixel sums of the axes symbol in 64 bits, kept in the range the transforms saturate to:
// a view panned far away must not overflow them.
int AddPixels(int a, int b, int c, int d) {
  constexpr std::int64_t kMax = std::int64_t{1} << 30;
  const std::int64_t s = std::int64_t{a} - b + c + d;
  return static_cast<int>(std::clamp(s, -kMax, kMax));
}

}  // namespace

constinit RedrawState RedrawVars;

void defaults::NoMenu() {}

void RedrawStartUp() {
  RedrawVars = {};
  g = {};
}

void InitView() {
  if (g_view_started) return;
  g_view_started = true;
  ResetViewWindow();
  EmptyStoredViews();
  LoadStandardView(4, ViewMatrix);
  ApplyView();
  StoreView(ViewTable::kViewport, 7);
  ViewMatrix = IdentityMatrix();
  PlaneAxes = IdentityMatrix();
  ApplyView();
  PanStepX = ViewportWidth / 4;
  PanStepY = ViewportHeight / 4;
  PlaneOrigin = {0.0f, 0.0f, 0.0f, 0.0f};
  PlaneDepth = 0.0f;
  CursorWorld = {0.0f, 0.0f, 0.0f};
  SetGridStep(10.0f);
  StepByAngle = 1;
  WorldAxesVisible = 1;
  GridVisible = 1;
  GridMinSpacing = 8;
  graphics::SetBackgroundScheme(dialogs::ScreenScheme);
}

void Redraw() {
  // The replay and the overlays over it are one picture: a repaint waits until both are done.
  const graphics::RepaintHold hold;
  graphics::HideMouse();
  drawing::DrawProc();
  DrawOverlays();
  graphics::ShowMouse();
}

void PrepareDrawArea() {
  graphics::EnablePixelOutput();
  ViewportLeft = ViewportTop = 0;
  ClientWidth = graphics::GetMaxX();
  ClientHeight = graphics::GetMaxY();
  dialogs::ComputeTextMetrics();
  DrawAreaHeight = ClientHeight - dialogs::TextAreaHeight;
  ViewportWidth = ClientWidth;
  ViewportHeight = DrawAreaHeight;
  SelectViewport(ActiveViewport);
  dialogs::SetDrawViewport();
  graphics::ClearViewport();
  graphics::ClearDepth();
  graphics::SetDrawColor(dialogs::FrameColour);
  graphics::SetLineStyle(0, 0, 3);
  graphics::MoveToPoint(1, 1);
  graphics::LineToPoint(ViewportWidth - 1, 1);
  graphics::LineToPoint(ViewportWidth - 1, ViewportHeight - 2);
  graphics::LineToPoint(1, ViewportHeight - 2);
  graphics::LineToPoint(1, 1);
  graphics::SetLineStyle(0, 0, 1);
  dialogs::SetInnerDrawViewport();
  dialogs::DrawCornerMark();
}

void DrawOverlays() {
  DrawWorldAxes();
  DrawGrid(colours::kWhite);
  if (PlaneAxesVisible > 0) DrawPlaneAxes();
}

void DrawWorldAxes() {
  if (WorldAxesVisible <= 0) return;
  graphics::SetDrawColor(colours::kWhite);
  DrawAxesSymbol(50, ViewportHeight - 50, 40, AxesKind::kWorld);
  graphics::SetXorMode(0);
}

void DrawPlaneAxes() {
  graphics::SetXorMode(1);
  int px = 0, py = 0;
  PlaneToPixel(0.0f, 0.0f, 0.0f, px, py);
  graphics::PutPixel(px, py, colours::kWhite);
  DrawAxesSymbol(px, py, 20, AxesKind::kPlane);
  graphics::SetXorMode(0);
}

void DrawAxesSymbol(int px, int py, int size, AxesKind axes) {
  static constexpr int kColours[4] = {0, colours::kCyan, colours::kGreen, colours::kYellow};
  static constexpr const char* kWorldLabels[4] = {"", "X", "Y", "Z"};
  static constexpr const char* kPlaneLabels[4] = {"", "Xr", "Yr", "Zr"};
  const double arm = static_cast<double>(size) * UnitsPerPixelX;
  // Each arm is the pixel offset of a world vector, taken in double from the projection: the
  // difference of two saturated pixel positions would shrink it to nothing far from the
  // origin or deep in a zoom.
  const auto to_pixels = [](double length, const double (&a)[4], int& dx, int& dy) {
    const Matrix3& p = Projection;
    dx = platform::RoundInt((p[1][1] * a[1] + p[1][2] * a[2] + p[1][3] * a[3]) * length /
                            static_cast<double>(UnitsPerPixelX));
    dy = platform::RoundInt((p[2][1] * a[1] + p[2][2] * a[2] + p[2][3] * a[3]) * length /
                            static_cast<double>(UnitsPerPixelY));
  };
  for (int i = 1; i <= 3; ++i) {
    graphics::SetDrawColor(kColours[i]);
    double a[4] = {0.0, 0.0, 0.0, 0.0};
    if (axes == AxesKind::kWorld) {
      a[i] = 1.0;
    } else {
      for (int j = 1; j <= 3; ++j) a[j] = PlaneAxes[i][j];
    }
    int dx = 0, dy = 0;
    to_pixels(arm, a, dx, dy);
    graphics::MoveToPoint(px, py);
    graphics::LineToPoint(AddPixels(dx, 0, px, 0), AddPixels(-dy, 0, py, 0));
    to_pixels(1.25 * arm, a, dx, dy);
    dialogs::DrawTextRun(axes == AxesKind::kWorld ? kWorldLabels[i] : kPlaneLabels[i],
                         AddPixels(dx, 0, px, -2), AddPixels(-dy, 0, py, 3), 7, 7);
  }
  graphics::SetDrawColor(colours::kWhite);
}

void DrawGrid(int colour) {
  // XOR: a repaint between two columns would leave the rest toggling the new picture.
  const graphics::RepaintHold hold;
  graphics::SetXorMode(1);
  if (GridVisible != 0 && GridStep > 2.0f * UnitsPerPixelX) {
    float cx = 0.0f, cy = 0.0f, cz = 0.0f;
    PixelToPlane(ViewportWidth / 2, ViewportHeight / 2, cx, cy, cz);
    const double step = GridStep;
    const int nx = platform::RoundInt(1.2 * UnitsPerPixelX * ViewportWidth / step);
    const int ny = platform::RoundInt(1.2 * UnitsPerPixelY * ViewportHeight / step);
    if (!(static_cast<double>(ViewportWidth) / GridMinSpacing < nx)) {
      const double x0 = (static_cast<double>(platform::RoundInt(cx / step)) - nx / 2) * step;
      const double y0 = (static_cast<double>(platform::RoundInt(cy / step)) - ny / 2) * step;
      for (int i = 1; i <= nx; ++i) {
        const float x = Single(x0 + i * step);
        for (int j = 1; j <= ny; ++j) {
          int px = 0, py = 0;
          PlaneToPixel(x, Single(y0 + j * step), 0.0f, px, py);
          graphics::PutPixel(px, py, colour);
        }
        // A waiting key ends the grid and is left for its reader.
        if (graphics::KeyAvailable()) break;
      }
    }
  }
  graphics::SetXorMode(0);
}

void FitAllAndRedraw() {
  float u1 = 0.0f, v1 = 0.0f, u2 = 0.0f, v2 = 0.0f;
  drawing::ExtentsProc(u1, v1, u2, v2);
  FitWindow(u1, v1, u2, v2);
  StoreView(ViewTable::kViewport, ActiveViewport);
  Redraw();
}

void RepaintAll() {
  // The text rows follow the window's size whichever variant draws: the old one keeps the
  // metrics it finds.
  dialogs::ComputeTextMetrics();
  Redraw();
  MenuRedrawProc();
}

void SetGridStep(float step) {
  GridStep = step;
  SetCursorStep(step);
}

}  // namespace view
