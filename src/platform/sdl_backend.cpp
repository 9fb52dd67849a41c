#include "platform/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/text.h"

// Last: with the X11 driver it brings in Xlib and its macros.
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <poll.h>
#endif

namespace platform {
namespace {

SDL_Window* g_window = nullptr;
SDL_Cursor* g_cursor = nullptr;
EventSink g_sink = nullptr;
// Modifiers and buttons as of the last event translated. SDL_GetModState and
// SDL_GetMouseState already count events still waiting in the queue, so a quick middle click
// would read as released, and a letter typed ahead of a Ctrl press would be taken for Ctrl+key.
Uint16 g_mods = 0;
Uint32 g_buttons = 0;
#if defined(SDL_VIDEO_DRIVER_X11)
// The connection WaitInput waits on itself; null under other drivers.
Display* g_x11_display = nullptr;
#endif

// The keypad's navigation keys, which they are while NumLock is off.
SDL_Keycode KeypadNavigation(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_KP_4: return SDLK_LEFT;
    case SDL_SCANCODE_KP_6: return SDLK_RIGHT;
    case SDL_SCANCODE_KP_8: return SDLK_UP;
    case SDL_SCANCODE_KP_2: return SDLK_DOWN;
    case SDL_SCANCODE_KP_9: return SDLK_PAGEUP;
    case SDL_SCANCODE_KP_3: return SDLK_PAGEDOWN;
    case SDL_SCANCODE_KP_7: return SDLK_HOME;
    case SDL_SCANCODE_KP_1: return SDLK_END;
    case SDL_SCANCODE_KP_0: return SDLK_INSERT;
    case SDL_SCANCODE_KP_PERIOD: return SDLK_DELETE;
    default: return SDLK_UNKNOWN;
  }
}

// The control code (1..26) of Ctrl+letter, 0 for other keys: the layout's own Latin letter;
// a key whose letter is not Latin (a Cyrillic layout) counts as the Latin letter of its
// position, as Windows gives it.
int ControlLetter(const SDL_Keysym& key) {
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return key.sym - SDLK_a + 1;
  if (key.sym > 0x7F && key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
    return key.scancode - SDL_SCANCODE_A + 1;
  return 0;
}

int VirtualKey(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_LEFT: return kVkLeft;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_UP: return kVkUp;
    case SDLK_DOWN: return kVkDown;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_HOME: return kVkHome;
    case SDLK_END: return kVkEnd;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    default: break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return kVkF1 + (sym - SDLK_F1);
  return 0;
}

void Send(const Event& e) {
  if (g_sink) g_sink(e);
}

void SendChar(unsigned char c) {
  Event e;
  e.kind = EventKind::kChar;
  e.ch = c;
  Send(e);
}

Uint32 ButtonBit(Uint8 button) {
  return button >= 1 && button <= 31 ? SDL_BUTTON(button) : 0;
}

int ButtonFlags() {
  int flags = 0;
  if (g_buttons & SDL_BUTTON_LMASK) flags |= kMkLButton;
  if (g_buttons & SDL_BUTTON_RMASK) flags |= kMkRButton;
  if (g_buttons & SDL_BUTTON_MMASK) flags |= kMkMButton;
  if (g_mods & KMOD_SHIFT) flags |= kMkShift;
  if (g_mods & KMOD_CTRL) flags |= kMkControl;
  return flags;
}

void Translate(const SDL_Event& ev) {
  switch (ev.type) {
    case SDL_KEYUP:
      g_mods = ev.key.keysym.mod;
      return;
    case SDL_KEYDOWN: {
      SDL_Keycode sym = ev.key.keysym.sym;
      const Uint16 mod = ev.key.keysym.mod;
      g_mods = mod;
      // Alt and the Windows key make system shortcuts, which a Windows program never sees.
      if (mod & (KMOD_ALT | KMOD_GUI)) return;
      if (!(mod & KMOD_NUM)) {
        if (const SDL_Keycode nav = KeypadNavigation(ev.key.keysym.scancode)) sym = nav;
      }
      if (const int vk = VirtualKey(sym)) {
        Event e;
        e.kind = EventKind::kKeyDown;
        e.vk = vk;
        e.ctrl = (mod & KMOD_CTRL) != 0;
        e.shift = (mod & KMOD_SHIFT) != 0;
        Send(e);
        return;
      }
      // Keys whose character is a control code: SDL gives no text for them.
      switch (sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: SendChar(13); return;
        case SDLK_ESCAPE: SendChar(27); return;
        case SDLK_TAB: SendChar(9); return;
        case SDLK_BACKSPACE: SendChar(8); return;
        default: break;
      }
      if (mod & KMOD_CTRL) {
        if (const int code = ControlLetter(ev.key.keysym)) SendChar(static_cast<unsigned char>(code));
      }
      return;
    }
    case SDL_TEXTINPUT: {
      // Alt+letter and Windows key+letter are shortcuts, not text; Ctrl+letter was sent above.
      if (g_mods & (KMOD_ALT | KMOD_CTRL | KMOD_GUI)) return;
      for (const char c : Utf8ToCp1251(ev.text.text)) SendChar(static_cast<unsigned char>(c));
      return;
    }
    case SDL_MOUSEMOTION: {
      Event e;
      e.kind = EventKind::kMouseMove;
      e.x = ev.motion.x;
      e.y = ev.motion.y;
      Send(e);
      return;
    }
    case SDL_MOUSEBUTTONUP:
      g_buttons &= ~ButtonBit(ev.button.button);
      return;
    case SDL_MOUSEBUTTONDOWN: {
      g_buttons |= ButtonBit(ev.button.button);
      Event e;
      e.x = ev.button.x;
      e.y = ev.button.y;
      e.buttons = ButtonFlags();
      if (ev.button.button == SDL_BUTTON_LEFT) e.kind = EventKind::kLeftDown;
      else if (ev.button.button == SDL_BUTTON_RIGHT) e.kind = EventKind::kRightDown;
      else if (ev.button.button == SDL_BUTTON_MIDDLE) e.kind = EventKind::kMiddleDown;
      else return;
      Send(e);
      return;
    }
    case SDL_MOUSEWHEEL: {
      int y = ev.wheel.y;
      if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
      for (int i = 0; i < std::min(std::abs(y), 100); ++i) {
        Event e;
        e.kind = EventKind::kWheel;
        e.delta = y > 0 ? 120 : -120;
        Send(e);
      }
      return;
    }
    case SDL_WINDOWEVENT: {
      Event e;
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          e.kind = EventKind::kSize;
          e.w = ev.window.data1;
          e.h = ev.window.data2;
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          e.kind = EventKind::kExpose;
          break;
        case SDL_WINDOWEVENT_CLOSE:
          e.kind = EventKind::kClose;
          break;
        default:
          return;
      }
      Send(e);
      return;
    }
    default:
      return;
  }
}

bool Open(const std::string& title, EventSink sink, int* width, int* height) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Plain window surface: the OpenGL one makes X11 replace the window on the first frame, so
  // the window id others found at start (a test's xdotool) goes stale, and it starts Mesa threads.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0 ||
      std::strcmp(driver, "offscreen") == 0) {
    SDL_Quit();
    return false;
  }
  g_window = SDL_CreateWindow(title.c_str(), 0, 0, 639, 479,
                              SDL_WINDOW_RESIZABLE | SDL_WINDOW_MAXIMIZED);
  if (g_window == nullptr) {
    SDL_Quit();
    return false;
  }
  SDL_SetWindowMinimumSize(g_window, 320, 240);
  // Maximised also where no window manager does it: take the usable bounds ourselves.
  SDL_Rect bounds;
  const int display = std::max(SDL_GetWindowDisplayIndex(g_window), 0);
  if (SDL_GetDisplayUsableBounds(display, &bounds) == 0 && bounds.w >= 320 && bounds.h >= 240) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(g_window, &top, &left, &bottom, &right) != 0)
      top = left = bottom = right = 0;
    SDL_SetWindowPosition(g_window, bounds.x + left, bounds.y + top);
    SDL_SetWindowSize(g_window, std::max(bounds.w - left - right, 320),
                      std::max(bounds.h - top - bottom, 240));
  }
  g_cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
  if (g_cursor) SDL_SetCursor(g_cursor);
  SDL_StartTextInput();
  SDL_PumpEvents();
  // Size changes that arrived while the window came up are already in the size read here.
  SDL_FlushEvent(SDL_WINDOWEVENT);
  SDL_GetWindowSize(g_window, width, height);
  g_mods = static_cast<Uint16>(SDL_GetModState());
  g_buttons = SDL_GetMouseState(nullptr, nullptr);
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(g_window, &info) && info.subsystem == SDL_SYSWM_X11)
    g_x11_display = info.info.x11.display;
#endif
  g_sink = sink;
  return true;
}

void Close() {
  g_sink = nullptr;
#if defined(SDL_VIDEO_DRIVER_X11)
  g_x11_display = nullptr;
#endif
  if (g_cursor) SDL_FreeCursor(g_cursor);
  g_cursor = nullptr;
  if (g_window) SDL_DestroyWindow(g_window);
  g_window = nullptr;
  SDL_Quit();
}

void Poll() {
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) Translate(ev);
}

#if defined(SDL_VIDEO_DRIVER_X11)
// Under X11 the wait is done here, not in SDL_WaitEventTimeout: that one is woken by an event
// SDL sends to the window over a second connection. The wake-up sent for the key that ends the
// program can reach the server after the window is destroyed, and SDL_Quit then takes the
// BadWindow to Xlib's default handler, which exits with status 1.
bool WaitX11(int ms, SDL_Event* ev) {
  const Uint64 end = SDL_GetTicks64() + static_cast<Uint64>(ms);
  for (;;) {
    const Uint64 now = SDL_GetTicks64();
    // Events Xlib has already read would not wake poll().
    if (QLength(g_x11_display) == 0) {
      pollfd p{ConnectionNumber(g_x11_display), POLLIN, 0};
      poll(&p, 1, now >= end ? 0 : static_cast<int>(std::min<Uint64>(end - now, 1000)));
    }
    if (SDL_PollEvent(ev)) return true;
    if (SDL_GetTicks64() >= end) return false;
  }
}
#endif

void WaitInput(int ms) {
  SDL_Event ev;
  bool got = SDL_PollEvent(&ev) != 0;
  if (!got && ms > 0) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_x11_display != nullptr) got = WaitX11(ms, &ev);
    else
#endif
      got = SDL_WaitEventTimeout(&ev, ms) != 0;
  }
  if (got) {
    Translate(ev);
    Poll();
  }
}

void Present(const std::uint32_t* pixels, int width, int height) {
  if (!g_window) return;
  SDL_Surface* s = SDL_GetWindowSurface(g_window);
  if (!s) return;
  const int w = std::min(width, s->w), h = std::min(height, s->h);
  if (w > 0 && h > 0) {
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, pixels, width * 4, s->format->format,
                      s->pixels, s->pitch);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  }
  SDL_UpdateWindowSurface(g_window);
}

void ClientOrigin(int* x, int* y) {
  *x = 0;
  *y = 0;
  if (g_window) SDL_GetWindowPosition(g_window, x, y);
}

void WarpPointer(int x, int y) { SDL_WarpMouseGlobal(x, y); }

void ShowPointer(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

bool AskQuit(const std::string& caption, const std::string& text) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION;
  data.window = g_window;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = 2;
  data.buttons = buttons;
  int pressed = -1;
  // An answer other than No (the box failing included) quits, as on the original system.
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return true;
  return pressed != 0;
}

void Sleep(int ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

std::uint64_t NowMs() { return SDL_GetTicks64(); }

}  // namespace

const WindowBackend SdlBackend = {"sdl",   Open,         Close,       Poll,    WaitInput, Present,
                                  ClientOrigin, WarpPointer, ShowPointer, AskQuit, Sleep,     NowMs};

const WindowBackend* SystemWindowBackend() { return &SdlBackend; }

}  // namespace platform
