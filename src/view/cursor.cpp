#include "view/cursor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "dialogs/key_guide.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "graphics/window.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace view {

using namespace graphics::keys;
namespace colours = graphics::colours;

namespace {

struct CursorLocal {
  // Width of the coordinate box last drawn.
  int coordinate_box = 0;
};
constinit CursorLocal g;
constexpr int& g_coordinate_box = g.coordinate_box;

constexpr float kAngleStep = 0.26179939f;  // 15°
constexpr float kAngleFine = 0.017453293f;  // 1°

using platform::Single;

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
        key = kBlank;
        if (button == 2) key = kEnter;
        if (button == 4) key = 'C';
        graphics::SetMousePos(mx, my);
        // The press has also queued its code; the click is taken here, once.
        if (button == 1) graphics::RemoveQueuedKey(kLeftButton);
        if (button == 2) graphics::RemoveQueuedKey(kRightButton);
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
    if (key == kExtended) {
      const std::uint8_t code = graphics::ReadRawKey();
      if (code == kF1) {
        dialogs::ShowKeyGuide();
        continue;
      }
      if (code == kUp || code == kDown || code == kLeft || code == kRight || code == kShiftUp ||
          code == kShiftDown || code == kEnd) {
        marker.Erase();
        float nx = x, ny = y, nz = z;
        switch (code) {
          case kUp: ny = StepAlong(y, 1); break;
          case kDown: ny = StepAlong(y, -1); break;
          case kLeft: nx = StepAlong(x, -1); break;
          case kRight: nx = StepAlong(x, 1); break;
          case kShiftUp: nz = StepAlong(z, 1); break;
          case kShiftDown: nz = StepAlong(z, -1); break;
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
        case kPgUp: ZoomIn(); break;
        case kPgDn: ZoomOut(); break;
        case kCtrlLeft: ViewCentreU = Single(ViewCentreU + double{UnitsPerPixelX} * PanStepX); break;
        case kCtrlRight: ViewCentreU = Single(ViewCentreU - double{UnitsPerPixelX} * PanStepX); break;
        case kCtrlUp: ViewCentreV = Single(ViewCentreV - double{UnitsPerPixelY} * PanStepY); break;
        case kCtrlDown: ViewCentreV = Single(ViewCentreV + double{UnitsPerPixelY} * PanStepY); break;
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
    if (IsViewCommandKey(key, ViewKeys::kCursor)) {
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
  graphics::SetDrawColor(colours::kSilver);
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
  graphics::SetDrawColor(colours::kWhite);
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
