// The grid step command (X in any menu).
#pragma once

namespace commands {
void GridStepCommand();
}  // namespace commands
