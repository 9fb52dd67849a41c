// The single-key view commands, the turning of the view, and the work-plane commands.
#pragma once
#include <cstdint>

#include "platform/hook.h"

namespace view {

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
void AlignPlaneWithView();
void DepthPrompt();
void NextColourScheme();

}  // namespace view
