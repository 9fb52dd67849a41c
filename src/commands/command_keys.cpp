#include "commands/command_keys.h"

#include <string>

#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/text.h"

namespace commands {

void ReportUndefinedProcedure(std::string_view name) {
  dialogs::ShowMessage(0, platform::Cp866("Не определена процедура ") + std::string(name));
  graphics::ReadCommandKey();
}

}  // namespace commands
