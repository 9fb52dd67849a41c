#include "graphics/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "platform/text.h"

namespace graphics {

const std::array<ExtendedKeyRow, 19> ExtendedKeyTable = [] {
  using namespace platform;  // the virtual key numbers
  using namespace keys;
  return std::array<ExtendedKeyRow, 19>{{
    {kVkLeft, 0, 0, kLeft},        {kVkRight, 0, 0, kRight},      {kVkUp, 0, 0, kUp},
    {kVkDown, 0, 0, kDown},        {kVkLeft, 1, 0, kCtrlLeft},    {kVkRight, 1, 0, kCtrlRight},
    {kVkUp, 1, 0, kCtrlUp},        {kVkDown, 1, 0, kCtrlDown},    {kVkLeft, 0, 1, kShiftLeft},
    {kVkRight, 0, 1, kShiftRight}, {kVkUp, 0, 1, kShiftUp},       {kVkDown, 0, 1, kShiftDown},
    {kVkPrior, 0, 0, kPgUp},       {kVkNext, 0, 0, kPgDn},        {kVkHome, 0, 0, kHome},
    {kVkEnd, 0, 0, kEnd},          {kVkHome, 1, 0, kCtrlHome},    {kVkEnd, 1, 0, kCtrlEnd},
    {kVkF1, 0, 0, kF1},  // the key guide
  }};
}();

constinit WindowState WindowVars;

void defaults::EmptyPaint() {}

namespace {

struct WindowLocal {
  bool repaint_pending = false;
  unsigned poll_calls = 0;
  std::uint64_t last_pump_ms = 0;
  std::uint64_t last_show_ms = 0;
  FILE* keylog = nullptr;
  bool keylog_checked = false;
};
constinit WindowLocal g;
constexpr bool& g_repaint_pending = g.repaint_pending;
constexpr unsigned& g_poll_calls = g.poll_calls;
constexpr std::uint64_t& g_last_pump_ms = g.last_pump_ms;
constexpr std::uint64_t& g_last_show_ms = g.last_show_ms;
constexpr FILE*& g_keylog = g.keylog;
constexpr bool& g_keylog_checked = g.keylog_checked;

// Cyrillic letter (CP866, upper or lower case) to the Latin key on the same key cap.
constexpr std::uint8_t kRussianKeyCap[32] = {
    // А    Б    В    Г    Д    Е    Ж    З    И    Й    К    Л    М    Н    О    П
    'F', 0, 'D', 'U', 'L', 'T', 0, 'P', 'B', 'Q', 'R', 'K', 'V', 'Y', 'J', 'G',
    // Р    С    Т    У    Ф    Х    Ц    Ч    Ш    Щ    Ъ    Ы    Ь    Э    Ю    Я
    'H', 'C', 'N', 'E', 'A', '[', 'W', 'X', 'I', 'O', ']', 'S', 'M', 0, 0, 'Z'};

}  // namespace

bool KeyLogging() {
  if (!g_keylog_checked) {
    g_keylog_checked = true;
    if (const std::string path = platform::GetEnv("UGFVIEW_KEYLOG"); !path.empty())
      g_keylog = platform::OpenStream(path, "ab");
  }
  return g_keylog != nullptr;
}

void KeyLog(const std::string& line) {
  if (KeyLogging()) {
    std::fputs(line.c_str(), g_keylog);
    std::fputc('\n', g_keylog);
    std::fflush(g_keylog);
  }
}

void WindowStartUp() {
  // A later start reads UGFVIEW_KEYLOG again.
  if (g_keylog) std::fclose(g_keylog);
  WindowVars = {};
  g = {};
  WindowTitle = platform::Utf8ToCp1251("САПР ");
}

void SelectBackend(const platform::WindowBackend* backend) { Backend = backend; }

bool CreateMainWindow() {
  if (WindowCreated) return true;
  int w = 0, h = 0;
  if (!Backend->Open(platform::Cp1251ToUtf8(WindowTitle), WindowProc, &w, &h)) return false;
  ResizeFramebuffer(w, h);
  WindowCreated = true;
  return true;
}

void CloseMainWindow() {
  if (WindowCreated) {
    WindowCreated = false;
    Backend->Close();
  }
  throw platform::ProgramEnd{0};
}

void PushKey(std::uint8_t code) {
  if (KeyCount < kKeyQueueSize) {
    KeyQueue[KeyCount++] = code;
  } else {
    // Full: the oldest entry gives way, never the new one.
    for (int i = 1; i < kKeyQueueSize; ++i) KeyQueue[i - 1] = KeyQueue[i];
    KeyQueue[kKeyQueueSize - 1] = code;
  }
  KeyLog("queued " + std::to_string(code));
}

bool RemoveQueuedKey(std::uint8_t code) {
  for (int i = KeyCount - 1; i >= 0; --i) {
    if (KeyQueue[i] == code) {
      for (int j = i + 1; j < KeyCount; ++j) KeyQueue[j - 1] = KeyQueue[j];
      --KeyCount;
      return true;
    }
  }
  return false;
}

std::uint8_t PopKey() {
  const std::uint8_t code = KeyQueue[0];
  for (int i = 1; i < KeyCount; ++i) KeyQueue[i - 1] = KeyQueue[i];
  --KeyCount;
  return code;
}

namespace {

void SetMouseFromEvent(const platform::Event& e) {
  // The position word carries each coordinate as an unsigned 16-bit value.
  MouseState.x = e.x & 0xFFFF;
  MouseState.y = e.y & 0xFFFF;
  int ox = 0, oy = 0;
  Backend->ClientOrigin(&ox, &oy);
  PointerScreenX = ox + e.x;
  PointerScreenY = oy + e.y;
}

void LogMouse() {
  KeyLog("mouse " + std::to_string(MouseState.x) + " " + std::to_string(MouseState.y) + " " +
         std::to_string(MouseButton));
}

void AskToQuit() {
  const std::string text = std::string(18, ' ') + "Закончить работу?";
  const bool yes = Backend->AskQuit("Exit", text);
  KeyLog(yes ? "close yes" : "close no");
  if (yes) CloseMainWindow();
}

}  // namespace

void WindowProc(const platform::Event& e) {
  using platform::EventKind;
  switch (e.kind) {
    case EventKind::kKeyDown: {
      const int vk = e.vk & 0xFF;
      const int ctrl = e.ctrl ? 1 : 0;
      const int shift = e.shift ? 1 : 0;
      for (const auto& row : ExtendedKeyTable) {
        if (row.vk == vk && row.ctrl == ctrl && row.shift == shift) {
          PushKey(keys::kExtended);
          PushKey(row.code);
          break;
        }
      }
      break;
    }
    case EventKind::kChar:
      PushKey(e.ch);
      break;
    case EventKind::kMouseMove:
      SetMouseFromEvent(e);
      MouseButton = 0;
      LogMouse();
      break;
    case EventKind::kLeftDown:
    case EventKind::kRightDown: {
      const bool left = e.kind == EventKind::kLeftDown;
      SetMouseFromEvent(e);
      MouseButton = left ? 1 : 2;
      ++PressCount;
      LogMouse();
      PushKey(left ? keys::kLeftButton : keys::kRightButton);
      break;
    }
    case EventKind::kMiddleDown:
      // Only the middle button alone: no other button and no modifier held.
      if ((e.buttons & 0xFFFF) == platform::kMkMButton) PushKey(keys::kMiddleButton);
      break;
    case EventKind::kWheel:
      if (e.delta > 0) {
        PushKey(keys::kExtended);
        PushKey(keys::kPgDn);
      } else if (e.delta < 0) {
        PushKey(keys::kExtended);
        PushKey(keys::kPgUp);
      }
      break;
    case EventKind::kSize:
      if (e.w > 0 && e.h > 0) {
        ResizeFramebuffer(e.w, e.h);
        KeyLog("size " + std::to_string(e.w) + " " + std::to_string(e.h));
        g_repaint_pending = true;
      }
      break;
    case EventKind::kClose:
      AskToQuit();
      break;
    case EventKind::kExpose:
      ShowFramebuffer();
      break;
    case EventKind::kShot:
      WriteScreenshot(e.text);
      break;
  }
}

void RunPendingRepaint() {
  if (!g_repaint_pending || RepaintHoldDepth > 0) return;
  g_repaint_pending = false;
  ++RepaintCount;
  // The old picture was kept only to be shown until now; the repaint starts from an empty
  // client, as in a new window, so no strip it does not draw keeps a piece of the old one.
  std::fill(Screen.pixels.begin(), Screen.pixels.end(), 0u);
  FrameDirty = true;
  PaintHook();
}

void ShowFramebuffer() {
  FrameDirty = false;
  Backend->Present(Screen.pixels.data(), Screen.width, Screen.height);
  g_last_show_ms = Backend->NowMs();
  ++FrameCount;
  KeyLog("frame " + std::to_string(FrameCount));
}

void ShowFramebufferThrottled() {
  if (FrameDirty && Backend->NowMs() - g_last_show_ms >= 16) ShowFramebuffer();
}

bool PumpMessages() {
  Backend->Poll();
  g_last_pump_ms = Backend->NowMs();
  RunPendingRepaint();
  ShowFramebufferThrottled();
  return KeyCount > 0;
}

bool WindowKeyAvailable() {
  if (KeyCount > 0) return true;
  // Reading the clock costs more than a replay step: look at it only now and then.
  if ((++g_poll_calls & 255u) != 0) return false;
  if (Backend->NowMs() - g_last_pump_ms < 2) return false;
  return PumpMessages();
}

void WaitForKey() {
  if (PumpMessages()) return;
  ShowFramebuffer();
  while (KeyCount == 0) {
    Backend->WaitInput(10);
    RunPendingRepaint();
    if (KeyCount == 0) ShowFramebufferThrottled();
  }
}

std::uint8_t WindowReadRawKey() {
  WaitForKey();
  const std::uint8_t code = PopKey();
  KeyLog("read " + std::to_string(code));
  return code;
}

std::uint8_t TranslateCommandKey(std::uint8_t b) {
  // Code page 1251 to 866 (Ё and ё stay as they are). Only the bytes converted here are
  // letters; CP1251 symbols (Ё at 0xA8, „ at 0x84, ...) must not be read as the CP866
  // letters that share their codes, or the Ё key would act as 'B'.
  if (b < 0xC0) return b;
  b = static_cast<std::uint8_t>(b >= 0xF0 ? b - 0x10 : b - 0x40);
  // Russian letter to the Latin letter on the same key.
  int letter = -1;
  if (b >= 0x80 && b <= 0x9F) letter = b - 0x80;       // А..Я
  else if (b >= 0xA0 && b <= 0xAF) letter = b - 0xA0;  // а..п
  else if (b >= 0xE0 && b <= 0xEF) letter = b - 0xE0 + 16;  // р..я
  if (letter >= 0 && kRussianKeyCap[letter] != 0) return kRussianKeyCap[letter];
  return b;
}

std::uint8_t WindowReadCommandKey() { return TranslateCommandKey(WindowReadRawKey()); }

bool YieldTick() {
  Backend->Sleep(1);
  return true;
}

}  // namespace graphics
