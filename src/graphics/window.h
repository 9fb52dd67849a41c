// The window, its events, the key queue and the quit question. The window procedure is
// the same for every backend; backends only turn their events into platform::Events.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/headless.h"

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

namespace defaults {
void EmptyPaint();
}  // namespace defaults

// The window layer's state with its start values; WindowStartUp puts them all back.
struct WindowState {
  const platform::WindowBackend* Backend = &platform::HeadlessBackend;
  bool WindowCreated = false;
  std::array<std::uint8_t, kKeyQueueSize> KeyQueue{};
  std::int32_t KeyCount = 0;
  MouseStateRec MouseState;
  std::int32_t MouseButton = 0;
  std::string WindowTitle;  // code page 1251; set by WindowStartUp
  int ShowState = 3;        // maximised
  platform::Hook<void()> PaintHook = defaults::EmptyPaint;

  // Counters the cursor loop and the tests read.
  std::uint64_t RepaintCount = 0;  // PaintHook calls
  std::uint64_t PressCount = 0;    // left and right presses
  std::uint64_t FrameCount = 0;    // shows of the framebuffer

  // Pointer model: screen position of the last mouse move or SetMousePos, whichever came later.
  int PointerScreenX = 0;
  int PointerScreenY = 0;

  // Set by every drawing operation; a waiting key read shows the framebuffer only then.
  bool FrameDirty = true;

  // Repaints wait while a hold is up: a repaint replays the drawing, and one run from a key
  // test inside a replay would replay it again into the same element store and output mode.
  // Every replay (and every picture built in steps that test for keys) holds them; the one
  // that waits runs at the first pump after the outermost hold ends.
  int RepaintHoldDepth = 0;
};
extern WindowState WindowVars;

inline constexpr auto& Backend = WindowVars.Backend;
inline constexpr auto& WindowCreated = WindowVars.WindowCreated;
inline constexpr auto& KeyQueue = WindowVars.KeyQueue;
inline constexpr auto& KeyCount = WindowVars.KeyCount;
inline constexpr auto& MouseState = WindowVars.MouseState;
inline constexpr auto& MouseButton = WindowVars.MouseButton;
inline constexpr auto& WindowTitle = WindowVars.WindowTitle;
inline constexpr auto& ShowState = WindowVars.ShowState;
inline constexpr auto& PaintHook = WindowVars.PaintHook;
inline constexpr auto& RepaintCount = WindowVars.RepaintCount;
inline constexpr auto& PressCount = WindowVars.PressCount;
inline constexpr auto& FrameCount = WindowVars.FrameCount;
inline constexpr auto& PointerScreenX = WindowVars.PointerScreenX;
inline constexpr auto& PointerScreenY = WindowVars.PointerScreenY;
inline constexpr auto& FrameDirty = WindowVars.FrameDirty;
inline constexpr auto& RepaintHoldDepth = WindowVars.RepaintHoldDepth;

struct RepaintHold {
  RepaintHold() { ++RepaintHoldDepth; }
  ~RepaintHold() { --RepaintHoldDepth; }
  RepaintHold(const RepaintHold&) = delete;
  RepaintHold& operator=(const RepaintHold&) = delete;
};

void WindowStartUp();
void SelectBackend(const platform::WindowBackend* backend);
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
