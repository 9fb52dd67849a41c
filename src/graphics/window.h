// The window, its events, the key queue and the quit question. The window procedure is
// the same for every backend; backends only turn their events into platform::Events.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/backend.h"

#include "platform/hook.h"

namespace graphics {

struct ExtendedKeyRow {
  std::uint8_t vk;
  std::uint8_t ctrl;
  std::uint8_t shift;
  std::uint8_t code;
};
extern const std::array<ExtendedKeyRow, 19> ExtendedKeyTable;

inline constexpr int kKeyQueueSize = 64;

struct MouseStateRec {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

extern const platform::WindowBackend* Backend;
extern bool WindowCreated;
extern std::array<std::uint8_t, kKeyQueueSize> KeyQueue;
extern std::int32_t KeyCount;
extern MouseStateRec MouseState;
extern std::int32_t MouseButton;
extern std::string WindowTitle;  // code page 1251
extern int ShowState;
extern platform::Hook<void()> PaintHook;

// Counters the cursor loop and the tests read.
extern std::uint64_t RepaintCount;  // PaintHook calls
extern std::uint64_t PressCount;    // left and right presses
extern std::uint64_t FrameCount;    // shows of the framebuffer

// Pointer model: screen position of the last mouse move or SetMousePos, whichever came later.
extern int PointerScreenX;
extern int PointerScreenY;

// Set by every drawing operation; a waiting key read shows the framebuffer only then.
extern bool FrameDirty;

// Repaints wait while a hold is up: a repaint replays the drawing, and one run from a key
// test inside a replay would replay it again into the same element store and output mode.
// Every replay (and every picture built in steps that test for keys) holds them; the one
// that waits runs at the first pump after the outermost hold ends.
extern int RepaintHoldDepth;
struct RepaintHold {
  RepaintHold() { ++RepaintHoldDepth; }
  ~RepaintHold() { --RepaintHoldDepth; }
  RepaintHold(const RepaintHold&) = delete;
  RepaintHold& operator=(const RepaintHold&) = delete;
};

void WindowStartUp();
void SelectBackend(const platform::WindowBackend* backend);
void RegisterWindowClass();
// Creates the window once. False when the backend cannot open one.
bool CreateMainWindow();
[[noreturn]] void CloseMainWindow();

void PushKey(std::uint8_t code);
// Removes the newest queued entry equal to `code` (a click the cursor loop took itself).
bool RemoveQueuedKey(std::uint8_t code);
std::uint8_t PopKey();

void WindowProc(const platform::Event& event);
bool PumpMessages();
// KeyAvailable's implementation: cheap when called in a tight loop.
bool WindowKeyAvailable();
std::uint8_t WindowReadRawKey();
// Waits as a key read does (repaints run, the picture is shown) until a key is queued, and
// leaves it queued.
void WaitForKey();
std::uint8_t WindowReadCommandKey();
std::uint8_t TranslateCommandKey(std::uint8_t code);
bool YieldTick();

// Shows the framebuffer now / only when 16 ms have passed since the last show.
void ShowFramebuffer();
void ShowFramebufferThrottled();
// Runs a size change's repaint if one is waiting and no hold is up.
void RunPendingRepaint();

void KeyLog(const std::string& line);
// True when UGFVIEW_KEYLOG names a log (callers skip building lines otherwise).
bool KeyLogging();

}  // namespace graphics
