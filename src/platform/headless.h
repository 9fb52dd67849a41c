// The headless window backend: no window system; input comes from a key script and time
// from a virtual clock, so tests and batch runs are exact and fast.
#pragma once
#include "platform/backend.h"
#include "platform/key_script.h"

namespace platform {

extern const WindowBackend HeadlessBackend;

// The backend's start: client size and script for the next Open; clock, quit answer and
// the rest back to their start values.
void ConfigureHeadless(int width, int height, KeyScript script);

// Answer of the quit question when a close request carries none (tests pushing events).
void SetHeadlessQuitAnswer(bool yes);

// Screen position of the headless client's pixel (0, 0).
inline constexpr int kHeadlessOriginX = 100;
inline constexpr int kHeadlessOriginY = 50;

}  // namespace platform
