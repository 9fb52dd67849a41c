// The single-key view commands, the turning of the view, and the work-plane commands.
#pragma once
#include <cstdint>

#include "platform/hook.h"

namespace view {

// The turn step of 15 degrees the view starts with.
inline constexpr double kSin15 = 0.25881904736704425, kCos15 = 0.965925825682291;

namespace defaults {
void Nothing();
}  // namespace defaults

struct ViewCommandsState {
  int FaceMode = 0;
  double TurnSin = kSin15;
  double TurnCos = kCos15;
  // The overlay procedure that Ctrl+N and Ctrl+Q call before their redraw (the command-key
  // unit binds it to DrawOverlays), and the Ctrl+Z procedure; both do nothing until bound.
  platform::Hook<void()> OverlayProc = defaults::Nothing;
  platform::Hook<void()> CtrlZProc = defaults::Nothing;
};
extern ViewCommandsState ViewCommandsVars;

inline constexpr auto& FaceMode = ViewCommandsVars.FaceMode;
inline constexpr auto& TurnSin = ViewCommandsVars.TurnSin;
inline constexpr auto& TurnCos = ViewCommandsVars.TurnCos;
// StepByAngle lives with the redraw state (view/redraw.h).

inline constexpr auto& OverlayProc = ViewCommandsVars.OverlayProc;
inline constexpr auto& CtrlZProc = ViewCommandsVars.CtrlZProc;

void ViewCommandsStartUp();
void TurnView(int axis, double s, double c);
enum class StripTable { kStandard, kUser };
void ShowViewStrip(StripTable table);
void RecallViewPrompt();
void StoreViewPrompt();
// Keys without a command do nothing.
void ViewCommand(std::uint8_t key);
// The keys each caller hands to ViewCommand. The menu's key reader hands on the step keys
// , . < > ; and E, G, and Ctrl+Z (which it then returns to its menu); Ctrl+E is not one of
// its keys, as the menu panel reads it as a click. The graphic cursor keeps , . < > for its
// marker's angle and ends on Ctrl+Z, ';', E and G, so that its caller gets them.
enum class ViewKeys { kMenu, kCursor };
bool IsViewCommandKey(std::uint8_t key, ViewKeys caller);
// PgUp and PgDn: the scale by 1.5 (in, until 0.00001 units per pixel), depth with it.
void ZoomIn();
void ZoomOut();
void AlignPlaneWithView();
void DepthPrompt();
void NextColourScheme();

}  // namespace view
