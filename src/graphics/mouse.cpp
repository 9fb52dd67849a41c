#include "graphics/mouse.h"

#include "graphics/window.h"

namespace graphics {

constinit MouseUnitState MouseVars;

namespace {
struct MouseLocal {
  // Set by MouseIdle: the next GetMouseScreen is where a polling loop waits for input.
  bool after_idle = false;
};
constinit MouseLocal g;
constexpr bool& g_after_idle = g.after_idle;
}  // namespace

void MouseStartUp() {
  MouseVars = {};
  g = {};
}

void MouseGetClientOrigin(int, int, int& x, int& y) { Backend->ClientOrigin(&x, &y); }

void MouseSetPos(int x, int y) {
  PointerScreenX = x;
  PointerScreenY = y;
  Backend->WarpPointer(x, y);
}

void MouseGetScreen(int& x, int& y, int& button) {
  if (g_after_idle) {
    g_after_idle = false;
    ShowFramebufferThrottled();
    Backend->WaitInput(0);
  } else {
    Backend->Poll();
  }
  RunPendingRepaint();
  x = PointerScreenX;
  y = PointerScreenY;
  button = MouseButton;
}

void MouseGetClient(int& x, int& y, int& button) {
  x = MouseState.x;
  y = MouseState.y;
  button = MouseButton;
}

void MouseShow() {
  ++PointerDisplayCount;
  if (PointerDisplayCount == 0) Backend->ShowPointer(true);
}

void MouseHide() {
  if (PointerDisplayCount == 0) Backend->ShowPointer(false);
  --PointerDisplayCount;
}

bool MouseIdleImpl() {
  g_after_idle = true;
  Backend->Sleep(1);
  return true;
}

void MouseResetImpl() {}

}  // namespace graphics
