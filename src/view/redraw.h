// Redraw, overlays and fitting: a picture of the drawing in the active viewport.
#pragma once
#include <cstdint>

#include "platform/hook.h"

namespace view {

namespace defaults {
void NoMenu();
}  // namespace defaults

struct RedrawState {
  int GridVisible = 1;
  float GridStep = 10.0f;
  int GridMinSpacing = 8;
  int WorldAxesVisible = 1;
  int PlaneAxesVisible = 1;
  int PanStepX = 0;
  int PanStepY = 0;
  int StepByAngle = 0;  // 0: plain arrows pan, 1: they turn
  // The menu panel's redraw, run after the picture by RepaintAll; does nothing until the
  // menu panel binds it.
  platform::Hook<void()> MenuRedrawProc = defaults::NoMenu;
};
extern RedrawState RedrawVars;

inline constexpr auto& GridVisible = RedrawVars.GridVisible;
inline constexpr auto& GridStep = RedrawVars.GridStep;
inline constexpr auto& GridMinSpacing = RedrawVars.GridMinSpacing;
inline constexpr auto& WorldAxesVisible = RedrawVars.WorldAxesVisible;
inline constexpr auto& PlaneAxesVisible = RedrawVars.PlaneAxesVisible;
inline constexpr auto& PanStepX = RedrawVars.PanStepX;
inline constexpr auto& PanStepY = RedrawVars.PanStepY;
inline constexpr auto& StepByAngle = RedrawVars.StepByAngle;

inline constexpr auto& MenuRedrawProc = RedrawVars.MenuRedrawProc;

// For a dialogue's life: a repaint draws the dialogue's rows again with `redraw` (in place of
// the menu panel), so they follow a new window size at once; the old procedure comes back.
class TextRowsOnRepaint {
 public:
  explicit TextRowsOnRepaint(platform::Hook<void()> redraw) : saved_(MenuRedrawProc) {
    MenuRedrawProc = redraw;
  }
  ~TextRowsOnRepaint() { MenuRedrawProc = saved_; }
  TextRowsOnRepaint(const TextRowsOnRepaint&) = delete;
  TextRowsOnRepaint& operator=(const TextRowsOnRepaint&) = delete;

 private:
  platform::Hook<void()> saved_;
};

enum class AxesKind { kWorld, kPlane };

void RedrawStartUp();
void InitView();
void Redraw();
void PrepareDrawArea();
void DrawOverlays();
void DrawWorldAxes();
void DrawPlaneAxes();
void DrawAxesSymbol(int px, int py, int size, AxesKind axes);
void DrawGrid(int colour);
void FitAllAndRedraw();
void RepaintAll();
void SetGridStep(float step);

}  // namespace view
