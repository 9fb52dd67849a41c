#include "view/cursor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "dialogs/key_guide.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace view {

namespace {

struct CursorLocal {
  // Width of the coordinate box last drawn.
  int coordinate_box = 0;
};
constinit CursorLocal g;
constexpr int& g_coordinate_box = g.coordinate_box;

constexpr float kAngleStep = 0.26179939f;  // 15°
constexpr float kAngleFine = 0.017453293f;  // 1°

// A double as a single; beyond the single range an infinity rather than an undefined
// conversion. The callers reject positions that are not finite.
float Single(double d) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (d > kMax) return std::numeric_limits<float>::infinity();
  if (d < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(d);
}

// The screen position the viewport's pixels count from: the client's origin plus the
// viewport's place in the client, so that the pointer follows the cross-hair in every
// layout. Taken anew each time: a repaint may move the viewport.
void ViewportOrigin(int& x, int& y) {
  graphics::GetClientOrigin(ViewportWidth, ViewportHeight, x, y);
  x += ViewportLeft;
  y += ViewportTop;
}

bool InsideViewport(int px, int py) {
  return px >= 0 && px <= ViewportWidth && py >= 0 && py <= ViewportHeight;
}

// A plane position the cursor may stand on: finite and shown inside the viewport.
bool Showable(float x, float y, float z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
  int px = 0, py = 0;
  PlaneToPixel(x, y, z, px, py);
  return InsideViewport(px, py);
}

void UpdateMarkerTrig() {
  MarkerSin = std::sin(static_cast<double>(MarkerAngle));
  MarkerCos = std::cos(static_cast<double>(MarkerAngle));
}

// One arrow step up (+1) or down (-1) an axis, landing on a whole multiple of the step.
float StepAlong(float value, int direction) {
  const double s = ArrowStep;
  return Single(static_cast<double>(platform::RoundInt((value + direction * s) / s)) * s);
}

bool IsViewCommandKey(std::uint8_t key) {
  switch (key) {
    case 2: case 4: case 5: case 9: case 11: case 14: case 17: case 18: case 22:
    case '!': case '$': case '@':
    case 'B': case 'b': case 'R': case 'r': case 'V': case 'v': case 'Z': case 'z':
      return true;
    default:
      return false;
  }
}

// The loop's marker as it stands on the screen. A repaint wipes it; drawing it "off" again
// would then put it back, so after a repaint it is drawn anew and not erased.
struct Marker {
  bool shown = false;
  std::uint64_t repaints = 0;
  float x = 0, y = 0, z = 0;

  void Draw(float nx, float ny, float nz) {
    x = nx;
    y = ny;
    z = nz;
    CursorMarkerProc(x, y, z);
    shown = true;
    repaints = graphics::RepaintCount;
  }
  void Erase() {
    if (shown && repaints == graphics::RepaintCount) CursorMarkerProc(x, y, z);
    shown = false;
  }
  bool Wiped() const { return shown && repaints != graphics::RepaintCount; }
};

}  // namespace

constinit CursorState CursorVars;

void defaults::NoMarker(float, float, float) {}

void CursorStartUp() {
  CursorVars = {};
  g = {};
}

void SetCursorStep(float s) {
  if (s > 0) CursorStep = ArrowStep = s;
}

void GraphicCursor(float& out_x, float& out_y, float& out_z, std::uint8_t& key) {
  UpdateMarkerTrig();
  if (CursorStep == 0) SetCursorStep(10.0f);

  float x = 0, y = 0, z = 0;
  WorldToPlane(CursorWorld[0], CursorWorld[1], CursorWorld[2], x, y, z);
  if (!Showable(x, y, z)) {
    if (!std::isfinite(z)) z = 0;
    PixelToPlane(ViewportWidth / 2, ViewportHeight / 2, x, y, z);
  }

  int ox = 0, oy = 0;
  // A button value left from a press before the loop, or from one a dialogue run from the
  // loop has taken, is not a click for it.
  std::uint64_t presses = graphics::PressCount;
  // The prompt the caller gave: a repaint draws over the text rows (and may move them).
  const dialogs::MessageRows prompt = dialogs::ShownMessages;
  std::uint64_t prompt_repaints = graphics::RepaintCount;
  graphics::HideMouse();
  Marker marker;
  marker.Draw(x, y, z);

  for (;;) {
    // Loop top: the pointer under the cross-hair, the prompt and the coordinates shown.
    if (prompt_repaints != graphics::RepaintCount) {
      dialogs::ShowMessages(prompt);
      prompt_repaints = graphics::RepaintCount;
    }
    if (marker.Wiped()) marker.Draw(x, y, z);
    ViewportOrigin(ox, oy);
    int px = 0, py = 0;
    PlaneToPixel(x, y, z, px, py);
    const int last_x = px + ox, last_y = py + oy;
    if (InsideViewport(px, py) && graphics::MouseIdle()) graphics::SetMousePos(last_x, last_y);
    ShowCoordinates(x, y, z);

    bool read_key = false;
    bool moved = false;
    for (;;) {
      if (graphics::KeyAvailable() || !graphics::MouseIdle()) {
        read_key = true;
        break;
      }
      int mx = 0, my = 0, button = 0;
      graphics::GetMouseScreen(mx, my, button);
      if (button != 0 && graphics::PressCount != presses) {
        key = ' ';
        if (button == 2) key = 13;
        if (button == 4) key = 'C';
        graphics::SetMousePos(mx, my);
        // The press has also queued its code; the click is taken here, once.
        if (button == 1) graphics::RemoveQueuedKey(32);
        if (button == 2) graphics::RemoveQueuedKey(13);
        break;
      }
      if (mx != last_x || my != last_y) {
        marker.Erase();
        graphics::GetMouseScreen(mx, my, button);
        ViewportOrigin(ox, oy);
        int rx = mx - ox, ry = my - oy;
        if (rx < 1) rx = 1;
        if (rx > ViewportWidth) rx = ViewportWidth;
        if (ry < 1) ry = 1;
        if (ry > ViewportHeight) ry = ViewportHeight;
        PixelToPlane(rx, ry, x, y, z);
        marker.Draw(x, y, z);
        moved = true;
        break;
      }
      if (marker.Wiped()) {
        moved = true;  // back to the top, which draws it again
        break;
      }
    }
    if (moved) continue;
    if (!read_key) break;  // a click ended the loop

    key = graphics::ReadCommandKey();
    if (key == 0) {
      const std::uint8_t code = graphics::ReadRawKey();
      if (code == dialogs::kKeyGuideCode) {
        dialogs::ShowKeyGuide();
        continue;
      }
      if (code == 72 || code == 80 || code == 75 || code == 77 || code == 152 || code == 160 ||
          code == 79) {
        marker.Erase();
        float nx = x, ny = y, nz = z;
        switch (code) {
          case 72: ny = StepAlong(y, 1); break;
          case 80: ny = StepAlong(y, -1); break;
          case 75: nx = StepAlong(x, -1); break;
          case 77: nx = StepAlong(x, 1); break;
          case 152: nz = StepAlong(z, 1); break;
          case 160: nz = StepAlong(z, -1); break;
          default: nz = 0; break;  // End
        }
        if (Showable(nx, ny, nz)) {
          x = nx;
          y = ny;
          z = nz;
        }
        marker.Draw(x, y, z);
        continue;
      }
      switch (code) {
        case 73:
          if (UnitsPerPixelX > 0.00001f) {
            UnitsPerPixelX /= 1.5f;
            UnitsPerPixelY /= 1.5f;
            DepthScale /= 1.5f;
          }
          break;
        case 81:
          UnitsPerPixelX *= 1.5f;
          UnitsPerPixelY *= 1.5f;
          DepthScale *= 1.5f;
          break;
        case 115: ViewCentreU = Single(ViewCentreU + double{UnitsPerPixelX} * PanStepX); break;
        case 116: ViewCentreU = Single(ViewCentreU - double{UnitsPerPixelX} * PanStepX); break;
        case 141: ViewCentreV = Single(ViewCentreV - double{UnitsPerPixelY} * PanStepY); break;
        case 145: ViewCentreV = Single(ViewCentreV + double{UnitsPerPixelY} * PanStepY); break;
        default: break;
      }
      // The redraw of a divided screen recalls the viewport's view: keep the change there.
      if (ActiveViewport != 1) StoreView(ViewTable::kViewport, ActiveViewport);
      Redraw();
      marker.Draw(x, y, z);
      continue;
    }

    if (key == ',' || key == '.' || key == '<' || key == '>') {
      marker.Erase();
      if (key == ',') MarkerAngle += kAngleStep;
      if (key == '.') MarkerAngle -= kAngleStep;
      if (key == '<') MarkerAngle += kAngleFine;
      if (key == '>') MarkerAngle -= kAngleFine;
      UpdateMarkerTrig();
      marker.Draw(x, y, z);
      continue;
    }
    if (key == '+' || key == '=') {
      CursorStep *= 4.0f;
      ArrowStep *= 4.0f;
      continue;
    }
    if (key == '-' || key == '_') {
      CursorStep /= 4.0f;
      ArrowStep /= 4.0f;
      continue;
    }
    if (key == 'X' || key == 'x') {
      int result = 0;
      dialogs::EditReal(platform::Cp866("Шаг курсора"), CursorStep, result);
      presses = graphics::PressCount;
      SetCursorStep(CursorStep);
      continue;
    }
    if (IsViewCommandKey(key)) {
      marker.Erase();
      ViewCommand(key);
      presses = graphics::PressCount;
      marker.Draw(x, y, z);
      continue;
    }
    break;
  }

  marker.Erase();
  PlaneToWorld(x, y, z, CursorWorld[0], CursorWorld[1], CursorWorld[2]);
  out_x = CursorWorld[0];
  out_y = CursorWorld[1];
  out_z = CursorWorld[2];
  graphics::SetXorMode(0);
  graphics::SetLineStyle(0, 0, 1);
  graphics::ShowMouse();
}

void DrawCursorMarker(float x, float y, float z) {
  dialogs::SetInnerDrawViewport();
  graphics::SetDrawColor(8);
  graphics::SetXorMode(1);
  graphics::SetLineStyle(4, 0x7777, 1);
  int ax = 0, ay = 0, bx = 0, by = 0;
  PlaneToPixel(x, y, 0.0f, ax, ay);
  PlaneToPixel(x, y, z, bx, by);
  if (ax != bx || ay != by) graphics::DrawLine(ax, ay, bx, by);
  // Arms one viewport width long each way: they always cross the whole viewport.
  const double arm = static_cast<double>(UnitsPerPixelX) * ViewportWidth;
  const double c = arm * MarkerCos, s = arm * MarkerSin;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  PlaneToPixel(Single(x - c), Single(y - s), z, x1, y1);
  PlaneToPixel(Single(x + c), Single(y + s), z, x2, y2);
  graphics::DrawLine(x1, y1, x2, y2);
  PlaneToPixel(Single(x + s), Single(y - c), z, x1, y1);
  PlaneToPixel(Single(x - s), Single(y + c), z, x2, y2);
  graphics::DrawLine(x1, y1, x2, y2);
  graphics::SetLineStyle(0, 0, 1);
  graphics::SetXorMode(0);
  graphics::SetDrawColor(15);
}

void ShowCoordinates(float x, float y, float z) {
  float wx = 0, wy = 0, wz = 0;
  PlaneToWorld(x, y, z, wx, wy, wz);
  const float plane[3] = {x, y, z};
  const float world[3] = {wx, wy, wz};
  static constexpr const char* kPlaneLabel[3] = {"Xr", "Yr", "Zr"};
  static constexpr const char* kWorldLabel[3] = {" X", " Y", " Z"};
  std::string rows[3];
  std::size_t longest = 0;
  for (int r = 0; r < 3; ++r) {
    rows[r] = std::string(kPlaneLabel[r]) + dialogs::FormatNumber(plane[r], 9, 4) + kWorldLabel[r] +
              dialogs::FormatNumber(world[r], 9, 4);
    longest = std::max(longest, rows[r].size());
  }
  // The box holds its longest row (22 characters unless a number is long) from x = 1, and
  // one pixel more; a wider box drawn before is blanked whole.
  const long long fit = static_cast<long long>(longest) * dialogs::CharWidth + 2;
  const int w = static_cast<int>(std::min<long long>(fit, ClientWidth));
  const int blank = std::clamp(g_coordinate_box, w, std::max(ClientWidth, w));
  g_coordinate_box = w;
  graphics::SetViewport(ClientWidth - blank, DrawAreaHeight, ClientWidth, ClientHeight);
  dialogs::FillRect(0, 0, blank, ClientHeight - DrawAreaHeight);
  for (int r = 1; r <= 3; ++r)
    dialogs::DrawTextRun(rows[r - 1], 1 + blank - w, r * (dialogs::RowPitch + 1) - 1, dialogs::CharHeight,
                         dialogs::CharWidth);
  dialogs::SetInnerDrawViewport();
}

}  // namespace view
