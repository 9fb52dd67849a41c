// The command-key unit: the key reader under every menu, which keeps the drawing live
// (pan, zoom, turn, view commands), and the start-up that binds the view, cursor and
// drawing hooks, some to placeholders for procedures this station does not have.
#pragma once
#include <cstdint>
#include <string_view>

#include "dialogs/text_area.h"
#include "platform/hook.h"

namespace commands {

namespace defaults {
void PlaceholderDeleteLast();
}  // namespace defaults

struct CommandKeysState {
  // The delete-last hook of Ctrl+D: a placeholder here.
  platform::Hook<void()> DeleteLastProc = defaults::PlaceholderDeleteLast;
};
extern CommandKeysState CommandKeysVars;

inline constexpr auto& DeleteLastProc = CommandKeysVars.DeleteLastProc;

// Its own start values, and binds the hooks and sets the turn step; run at program start.
void CommandKeysStartUp();
// One key for a menu: 0 after an extended key it handled itself, '0' after a view key.
void ReadMenuKey(std::uint8_t& key);
using dialogs::ReportUndefinedProcedure;

}  // namespace commands
