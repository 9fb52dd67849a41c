// The graphic cursor: a cross-hair moved with keys and mouse over the work plane.
#pragma once
#include <array>
#include <cstdint>

#include "platform/hook.h"

namespace view {

extern std::array<float, 3> CursorWorld;  // the last point returned, world coordinates
extern float CursorStep;
extern float ArrowStep;
extern float MarkerAngle;  // radians
extern double MarkerSin, MarkerCos;

// Draws and erases the loop's marker (plane coordinates); the zoom window puts its own here.
extern platform::Hook<void(float x, float y, float z)> CursorMarkerProc;

void CursorStartUp();
void SetCursorStep(float s);
// Returns the chosen point (world coordinates) and the key that ended the loop.
void GraphicCursor(float& x, float& y, float& z, std::uint8_t& key);
void DrawCursorMarker(float x, float y, float z);
void ShowCoordinates(float x, float y, float z);

}  // namespace view
