// The graphic cursor: a cross-hair moved with keys and mouse over the work plane.
#pragma once
#include <array>
#include <cstdint>

#include "platform/hook.h"

namespace view {

namespace defaults {
void NoMarker(float, float, float);
}  // namespace defaults

struct CursorState {
  std::array<float, 3> CursorWorld{0, 0, 0};  // the last point returned, world coordinates
  float CursorStep = 10;
  float ArrowStep = 10;
  float MarkerAngle = 0;  // radians
  double MarkerSin = 0.0;
  double MarkerCos = 1.0;
  // Draws and erases the loop's marker (plane coordinates); the zoom window puts its own here.
  platform::Hook<void(float x, float y, float z)> CursorMarkerProc = defaults::NoMarker;
};
extern CursorState CursorVars;

inline constexpr auto& CursorWorld = CursorVars.CursorWorld;
inline constexpr auto& CursorStep = CursorVars.CursorStep;
inline constexpr auto& ArrowStep = CursorVars.ArrowStep;
inline constexpr auto& MarkerAngle = CursorVars.MarkerAngle;
inline constexpr auto& MarkerSin = CursorVars.MarkerSin;
inline constexpr auto& MarkerCos = CursorVars.MarkerCos;

inline constexpr auto& CursorMarkerProc = CursorVars.CursorMarkerProc;

void CursorStartUp();
void SetCursorStep(float s);
// Returns the chosen point (world coordinates) and the key that ended the loop.
void GraphicCursor(float& x, float& y, float& z, std::uint8_t& key);
void DrawCursorMarker(float x, float y, float z);
void ShowCoordinates(float x, float y, float z);

}  // namespace view
