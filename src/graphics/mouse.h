// The mouse as the graphic cursor's input device: pointer position, warping, hiding.
#pragma once

namespace graphics {

// Display count of the pointer: shown while it is 0 or more (hide and show nest).
struct MouseUnitState {
  int PointerDisplayCount = 0;
};
extern MouseUnitState MouseVars;

inline constexpr auto& PointerDisplayCount = MouseVars.PointerDisplayCount;

void MouseStartUp();
void MouseGetClientOrigin(int width, int height, int& x, int& y);
void MouseSetPos(int x, int y);
void MouseGetScreen(int& x, int& y, int& button);
void MouseGetClient(int& x, int& y, int& button);
void MouseShow();
void MouseHide();
bool MouseIdleImpl();
void MouseResetImpl();

}  // namespace graphics
