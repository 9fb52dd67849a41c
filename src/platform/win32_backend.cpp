// The Win32 window backend. The window is a Unicode window: its title, its characters and the
// quit question do not depend on the ANSI code page of the machine, and typed characters are
// turned into the CP1251 bytes an ANSI window on a Russian Windows would give.
//
// The window procedure only collects Events; they are handed to the sink after
// DispatchMessage has returned, so nothing the sink throws (the end of the program) ever
// unwinds through the system's frames.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <deque>

#include "platform/backend.h"
#include "platform/text.h"
#include "platform/text_win32.h"

namespace platform {
namespace {

HWND g_window = nullptr;
EventSink g_sink = nullptr;
std::deque<Event> g_pending;
bool g_class_registered = false;

constexpr wchar_t kClassName[] = L"TPWinCrt";

void Queue(const Event& e) { g_pending.push_back(e); }

void QueueMouse(EventKind kind, WPARAM wp, LPARAM lp) {
  Event e;
  e.kind = kind;
  e.x = GET_X_LPARAM(lp);
  e.y = GET_Y_LPARAM(lp);
  e.buttons = static_cast<int>(wp & 0xFFFF);
  Queue(e);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      Event e;
      e.kind = EventKind::kExpose;
      Queue(e);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the framebuffer covers the whole client area
    case WM_CLOSE: {
      Event e;
      e.kind = EventKind::kClose;
      Queue(e);
      return 0;
    }
    case WM_KEYDOWN: {
      Event e;
      e.kind = EventKind::kKeyDown;
      e.vk = static_cast<int>(wp & 0xFF);
      e.ctrl = GetKeyState(VK_CONTROL) < 0;
      e.shift = GetKeyState(VK_SHIFT) < 0;
      Queue(e);
      return 0;
    }
    case WM_CHAR: {
      // UTF-16 from a Unicode window; characters CP1251 lacks are dropped, as typed text is.
      const int b = UnicodeToCp1251(static_cast<char32_t>(wp & 0xFFFF));
      if (b >= 0) {
        Event e;
        e.kind = EventKind::kChar;
        e.ch = static_cast<std::uint8_t>(b);
        Queue(e);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      QueueMouse(EventKind::kMouseMove, wp, lp);
      return 0;
    case WM_LBUTTONDOWN:
      QueueMouse(EventKind::kLeftDown, wp, lp);
      return 0;
    case WM_RBUTTONDOWN:
      QueueMouse(EventKind::kRightDown, wp, lp);
      return 0;
    case WM_MBUTTONDOWN:
      QueueMouse(EventKind::kMiddleDown, wp, lp);
      return 0;
    case WM_MOUSEWHEEL: {
      Event e;
      e.kind = EventKind::kWheel;
      e.delta = GET_WHEEL_DELTA_WPARAM(wp);
      Queue(e);
      return 0;
    }
    case WM_SIZE: {
      const int w = LOWORD(lp), h = HIWORD(lp);
      if (wp != SIZE_MINIMIZED && w > 0 && h > 0) {
        Event e;
        e.kind = EventKind::kSize;
        e.w = w;
        e.h = h;
        Queue(e);
      }
      return 0;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, 320);
      info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, 240);
      return 0;
    }
    default:
      // WM_SYSKEYDOWN (Alt+key, Alt+F4 among them) and the rest take their usual way.
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

// Hands the collected events to the sink; a sink may pump again (the quit question's box),
// which adds to the same queue.
void Deliver() {
  while (!g_pending.empty()) {
    const Event e = g_pending.front();
    g_pending.pop_front();
    if (g_sink) g_sink(e);
  }
}

bool PumpSystem() {
  bool any = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    any = true;
  }
  return any || !g_pending.empty();
}

bool Open(const std::string& title, EventSink sink, int* width, int* height) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!g_class_registered) {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return false;
    g_class_registered = true;
  }
  g_pending.clear();
  g_window = CreateWindowExW(0, kClassName, Utf8ToWide(title).c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                             639, 479, nullptr, nullptr, instance, nullptr);
  if (g_window == nullptr) return false;
  ShowWindow(g_window, SW_MAXIMIZE);
  UpdateWindow(g_window);
  PumpSystem();
  // The sizes of the window's coming up are in the size read here; the first show is the
  // opening's own.
  std::erase_if(g_pending, [](const Event& e) { return e.kind == EventKind::kSize || e.kind == EventKind::kExpose; });
  RECT rc{};
  GetClientRect(g_window, &rc);
  *width = std::max<int>(rc.right - rc.left, 1);
  *height = std::max<int>(rc.bottom - rc.top, 1);
  g_sink = sink;
  return true;
}

void Close() {
  g_sink = nullptr;
  g_pending.clear();
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
  // Messages the destruction left behind go now, not to a later window.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  g_pending.clear();
}

void Poll() {
  PumpSystem();
  Deliver();
}

// The pump of a waiting key read: one pass, then Sleep(1) between passes, until something
// came or the time is up.
void WaitInput(int ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0));
  while (!PumpSystem()) {
    if (GetTickCount64() >= end) return;
    Sleep(1);
  }
  Deliver();
}

void Present(const std::uint32_t* pixels, int width, int height) {
  if (!g_window || width <= 0 || height <= 0) return;
  const HDC dc = GetDC(g_window);
  if (!dc) return;
  // 0x00RRGGBB words are the bytes B, G, R, 0 of a 32-bit DIB; a negative height is top-down.
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                    static_cast<UINT>(height), pixels, &bmi, DIB_RGB_COLORS);
  ReleaseDC(g_window, dc);
}

void ClientOrigin(int* x, int* y) {
  POINT p{0, 0};
  if (g_window) ClientToScreen(g_window, &p);
  *x = p.x;
  *y = p.y;
}

void WarpPointer(int x, int y) { SetCursorPos(x, y); }

void ShowPointer(bool visible) { ShowCursor(visible ? TRUE : FALSE); }

bool AskQuit(const std::string& caption, const std::string& text) {
  // An answer other than No (the box failing included) quits.
  return MessageBoxW(g_window, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_YESNO) != IDNO;
}

void SleepFor(int ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

std::uint64_t NowMs() { return GetTickCount64(); }

}  // namespace

extern const WindowBackend Win32Backend;
const WindowBackend Win32Backend = {"win32", Open,        Close,       Poll,    WaitInput, Present,
                                    ClientOrigin, WarpPointer, ShowPointer, AskQuit, SleepFor,  NowMs};

const WindowBackend* SystemWindowBackend() { return &Win32Backend; }

}  // namespace platform
