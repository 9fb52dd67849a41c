#include "view/cursor.h"

namespace view {

std::array<float, 3> CursorWorld{0, 0, 0};
float CursorStep = 10;
float ArrowStep = 10;
float MarkerAngle = 0;

void CursorStartUp() {
  CursorWorld = {0, 0, 0};
  CursorStep = 10;
  ArrowStep = 10;
  MarkerAngle = 0;
}

void SetCursorStep(float s) {
  if (s > 0) CursorStep = ArrowStep = s;
}

}  // namespace view
