#include "platform/backend.h"

#include "platform/headless.h"

namespace platform {

const WindowBackend* FindWindowBackend(std::string_view name) {
  const WindowBackend* const backends[] = {SystemWindowBackend(), &HeadlessBackend};
  if (name.empty()) return backends[0];
  for (const WindowBackend* b : backends)
    if (name == b->name) return b;
  return nullptr;
}

}  // namespace platform
