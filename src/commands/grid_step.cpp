#include "commands/grid_step.h"

#include "dialogs/number_field.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "platform/text.h"
#include "view/redraw.h"

namespace commands {

void GridStepCommand() {
  float step = view::GridStep;
  int result = 0;
  dialogs::EditReal(platform::Cp866("Шаг сетки"), step, result);
  if (result == -1) return;
  dialogs::ShowMessage(0, "SETKA");
  // The grid is drawn in XOR: drawing it again with the old step removes it.
  view::DrawGrid(graphics::colours::kWhite);
  dialogs::ShowMessage(1, "SETKA 0");
  view::SetGridStep(step);
  view::GridVisible = 1;
  dialogs::ShowMessage(2, "SETKA 0");
  view::DrawGrid(graphics::colours::kWhite);
}

}  // namespace commands
