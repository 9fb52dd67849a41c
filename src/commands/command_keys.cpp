#include "commands/command_keys.h"

#include <string>
#include <string_view>

#include "commands/grid_step.h"
#include "dialogs/key_guide.h"
#include "dialogs/menu_panel.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/text.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace commands {

using namespace graphics::keys;

namespace {

void PlaceholderDraw() { ReportUndefinedProcedure("WID_RIS"); }
void PlaceholderExtents(float&, float&, float&, float&) { ReportUndefinedProcedure("WID_GRAN"); }
void Nothing() {}

// While a command of the key reader runs its own dialogue, a repaint must not put the menu
// panel over it; the panel is drawn again when the command is done.
class PanelRepaintPaused {
 public:
  PanelRepaintPaused() : saved_(view::MenuRedrawProc) { view::MenuRedrawProc = Nothing; }
  ~PanelRepaintPaused() { view::MenuRedrawProc = saved_; }
  PanelRepaintPaused(const PanelRepaintPaused&) = delete;
  PanelRepaintPaused& operator=(const PanelRepaintPaused&) = delete;

 private:
  platform::Hook<void()> saved_;
};

// In float, so that a pan far out saturates to infinity instead of overflowing a conversion.
void PanU(float sign) {
  view::ViewCentreU += sign * static_cast<float>(view::PanStepX) * view::UnitsPerPixelX;
}
void PanV(float sign) {
  view::ViewCentreV += sign * static_cast<float>(view::PanStepY) * view::UnitsPerPixelY;
}
void Turn(int axis, bool positive) {
  view::TurnView(axis, positive ? view::TurnSin : -view::TurnSin, view::TurnCos);
}

// The arrows and Ctrl+arrows: one of the two sets pans, the other turns.
void ArrowKey(int code) {
  const bool plain = code == kUp || code == kDown || code == kLeft || code == kRight;
  const bool pan = plain == (view::StepByAngle == 0);
  switch (code) {
    case kUp:
    case kCtrlUp:
      pan ? PanV(-1.0f) : Turn(1, false);
      break;
    case kDown:
    case kCtrlDown:
      pan ? PanV(1.0f) : Turn(1, true);
      break;
    case kLeft:
    case kCtrlLeft:
      pan ? PanU(1.0f) : Turn(2, true);
      break;
    case kRight:
    case kCtrlRight:
      pan ? PanU(-1.0f) : Turn(2, false);
      break;
    default:
      break;
  }
}

void ExtendedKey(int code) {
  switch (code) {
    case kPgUp:
      view::ZoomIn();
      break;
    case kPgDn:
      view::ZoomOut();
      break;
    case kShiftUp:
    case kShiftLeft:
      Turn(3, true);
      break;
    case kShiftRight:
    case kShiftDown:
      Turn(3, false);
      break;
    default:
      ArrowKey(code);
      break;
  }
  // Stored first: in the split layouts the redraw recalls the viewport's view.
  view::StoreView(view::ViewTable::kViewport, view::ActiveViewport);
  view::Redraw();
}

}  // namespace

constinit CommandKeysState CommandKeysVars;

void defaults::PlaceholderDeleteLast() { ReportUndefinedProcedure("WID_DELLAST"); }

void CommandKeysStartUp() {
  CommandKeysVars = {};
  view::TurnSin = view::kSin15;
  view::TurnCos = view::kCos15;
  view::ActiveViewport = 1;
  view::MoveToWorldProc = view::MoveToWorld;
  view::LineToWorldProc = view::LineToWorld;
  graphics::ViewStartProc = view::InitView;
  view::CursorMarkerProc = view::DrawCursorMarker;
  view::OverlayProc = view::DrawOverlays;
  drawing::DrawProc = PlaceholderDraw;
  drawing::ExtentsProc = PlaceholderExtents;
  view::CtrlZProc = Nothing;
  dialogs::MenuKeyProc = ReadMenuKey;
}

void ReadMenuKey(std::uint8_t& key) {
  graphics::ShowMouse();
  key = graphics::ReadCommandKey();
  std::uint8_t ext = 0;
  dialogs::MapClickToKey(key, ext);
  graphics::HideMouse();
  if (key == kExtended) {
    const std::uint8_t code = ext != 0 ? ext : graphics::ReadRawKey();
    if (code == kF1) {
      dialogs::ShowKeyGuide();
    } else {
      ExtendedKey(code);
    }
    key = 0;
    return;
  }
  if (view::IsViewCommandKey(key, view::ViewKeys::kMenu)) {
    {
      PanelRepaintPaused paused;
      view::ViewCommand(key);
    }
    if (key != kCtrlZ) key = '0';
  } else if (key == 'X' || key == 'x') {
    {
      PanelRepaintPaused paused;
      GridStepCommand();
    }
    key = '0';
  }
}

}  // namespace commands
