// The command-key unit: placeholders for procedures this station does not have.
#pragma once
#include <string_view>

namespace commands {

// "Не определена процедура NAME" on row 0, then one key.
void ReportUndefinedProcedure(std::string_view name);

}  // namespace commands
