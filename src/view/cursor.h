// The graphic cursor: a cross-hair moved with keys and mouse over the work plane.
#pragma once
#include <array>

namespace view {

extern std::array<float, 3> CursorWorld;  // the last point returned, world coordinates
extern float CursorStep;
extern float ArrowStep;
extern float MarkerAngle;

void CursorStartUp();
void SetCursorStep(float s);

}  // namespace view
