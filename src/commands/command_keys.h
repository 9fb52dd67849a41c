// The command-key unit: the key reader under every menu, which keeps the drawing live
// (pan, zoom, turn, view commands), and the start-up that binds the view, cursor and
// drawing hooks, some to placeholders for procedures this station does not have.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/hook.h"

namespace commands {

// The delete-last hook of Ctrl+D: a placeholder here.
extern platform::Hook<void()> DeleteLastProc;

// Binds the hooks and sets the turn step; run once at program start.
void CommandKeysStartUp();
// One key for a menu: 0 after an extended key it handled itself, '0' after a view key.
void ReadMenuKey(std::uint8_t& key);
// "Не определена процедура NAME" on row 0, then one key.
void ReportUndefinedProcedure(std::string_view name);

}  // namespace commands
