// Window backends: a table of function pointers chosen at start-up. Each turns the events of
// its window system into Events for the window procedure of the graphics layer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class EventKind : std::uint8_t {
  kKeyDown,     // vk, ctrl, shift
  kChar,        // ch: one CP1251 byte
  kMouseMove,   // x, y (client)
  kLeftDown,    // x, y, buttons
  kRightDown,   // x, y, buttons
  kMiddleDown,  // x, y, buttons
  kWheel,       // delta: > 0 away from the user
  kSize,        // w, h (client)
  kClose,       // close request
  kExpose,      // show the framebuffer again
  kShot,        // key scripts only: write a PNG of the framebuffer to `text`
};

// Button and modifier flags of mouse presses, as the Windows wParam carries them.
inline constexpr int kMkLButton = 0x0001;
inline constexpr int kMkRButton = 0x0002;
inline constexpr int kMkShift = 0x0004;
inline constexpr int kMkControl = 0x0008;
inline constexpr int kMkMButton = 0x0010;

// Windows virtual key numbers the backends deliver.
inline constexpr int kVkPrior = 33, kVkNext = 34, kVkEnd = 35, kVkHome = 36;
inline constexpr int kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40;
inline constexpr int kVkInsert = 45, kVkDelete = 46, kVkF1 = 112;

struct Event {
  EventKind kind = EventKind::kExpose;
  int vk = 0;
  bool ctrl = false;
  bool shift = false;
  std::uint8_t ch = 0;
  int x = 0, y = 0;
  int buttons = 0;
  int delta = 0;
  int w = 0, h = 0;
  int quit_answer = 0;  // close requests from a script: 1 yes, 2 no
  std::string text;
};

using EventSink = void (*)(const Event&);

struct WindowBackend {
  const char* name;
  // Creates the window with the given UTF-8 title; fills the client size. False: no window.
  bool (*Open)(const std::string& title, EventSink sink, int* width, int* height);
  void (*Close)();
  // Delivers what is pending, without waiting.
  void (*Poll)();
  // A blocking read waits here: up to `ms` for the window system; the headless backend
  // delivers the next group of its script instead, and ends the run when it is used up.
  void (*WaitInput)(int ms);
  void (*Present)(const std::uint32_t* pixels, int width, int height);
  // Screen position of client pixel (0, 0).
  void (*ClientOrigin)(int* x, int* y);
  void (*WarpPointer)(int screen_x, int screen_y);
  void (*ShowPointer)(bool visible);
  // The quit question; true for Yes.
  bool (*AskQuit)(const std::string& caption, const std::string& text);
  void (*Sleep)(int ms);
  std::uint64_t (*NowMs)();
};

// The backend of the system's own window: SDL2 on Linux, Win32 on Windows.
const WindowBackend* SystemWindowBackend();

inline constexpr std::string_view kHeadlessName = "headless";
// The window backends of this build by name: the system's own window ("sdl" or "win32"; an
// empty name stands for it) and "headless". Null for a name this build does not have.
const WindowBackend* FindWindowBackend(std::string_view name);

}  // namespace platform
