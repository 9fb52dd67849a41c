// The single-key view commands, the turning of the view, and the work-plane commands.
#pragma once
#include <cstdint>

#include "platform/hook.h"

namespace view {

extern int FaceMode;
extern double TurnSin, TurnCos;
// StepByAngle lives with the redraw state (view/redraw.h).

// The overlay procedure that Ctrl+N and Ctrl+Q call before their redraw (the command-key
// unit binds it to DrawOverlays), and the Ctrl+Z procedure; both do nothing until bound.
extern platform::Hook<void()> OverlayProc;
extern platform::Hook<void()> CtrlZProc;

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
