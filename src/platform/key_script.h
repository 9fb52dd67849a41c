// Key scripts: the input of the headless backend (see README, "Key scripts").
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/backend.h"

namespace platform {

// Events that arrive in the same wait. A trailing group may hold only {shot} and {resize}.
struct ScriptGroup {
  std::vector<Event> events;
};

struct KeyScript {
  std::vector<ScriptGroup> groups;
  bool type_ahead = false;  // the first group arrives when the window opens
};

// Parses `text` (UTF-8). On a malformed script returns false with `error` naming the problem.
bool ParseKeyScript(std::string_view text, KeyScript& script, std::string& error);

}  // namespace platform
