// The SDL2 window backend: the real window (X11 or Wayland).
#pragma once
#include "platform/backend.h"

namespace platform {
extern const WindowBackend SdlBackend;
}  // namespace platform
