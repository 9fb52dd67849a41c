// The graph driver: every drawing, key and mouse operation of the program goes through
// these procedure variables. They hold harmless defaults until InitGraphics installs the
// window implementations, which draw into a software framebuffer of the client size.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/colours.h"
#include "platform/files.h"

#include "platform/hook.h"

namespace graphics {

// One 0x00RRGGBB word per pixel of the client area.
struct Framebuffer {
  std::vector<std::uint32_t> pixels;
  int width = 0;
  int height = 0;
};

struct ViewportRec {
  int left = 0, top = 0, right = 0, bottom = 0;  // client coordinates
  int origin_x = 0, origin_y = 0;
};

struct PolyPoint {
  std::int32_t x;
  std::int32_t y;
};

inline constexpr int kPaletteSize = 528;
extern const std::array<std::uint32_t, kPaletteSize> Palette;

// The driver's harmless defaults (driver.cpp).
namespace defaults {
void NoOp();
void NoOpInt(int);
void NoOp2(int, int);
void NoOp3(int, int, int);
void NoOp4(int, int, int, int);
void NoOp5(int, int, int, int, int);
void NoOpXor(std::int16_t);
std::uint8_t ReturnBlank();
bool ReturnFalse();
std::int16_t ReturnZero16();
int ReturnZero();
void NoOpOrigin(int, int, int&, int&);
void NoOpMouse(int&, int&, int&);
void NoOpPoly(int, const PolyPoint*);
std::uint8_t UnsetReadRawKey();
void UnsetCloseGraphics();
void UnsetPutPixel(int, int, int);
void UnsetClearDepth();
void UnsetDrawLineDepth(int, int, int, int, int, int);
void UnsetPointDepth(int, int, int);
void UnsetPutPixelDepth(int, int, int, int);
bool UnsetFindFirst(int, const std::string&, platform::DirEntry&);
bool UnsetFindNext(platform::DirEntry&);
void DefaultViewStart();
void DefaultRedraw();
}  // namespace defaults

// Every hook of the driver: its name, its harmless default (in defaults::), the window
// implementation InitGraphics installs, and its type. The driver's state, the names below
// and InstallDriver are made from this one list.
#define GRAPH_DRIVER_HOOKS(X) \
  X(WaitMilliseconds, NoOpInt, WinWaitMilliseconds, void(int)) \
  X(ReadCommandKey, ReturnBlank, WindowReadCommandKey, std::uint8_t()) \
  X(ReadRawKey, UnsetReadRawKey, WindowReadRawKey, std::uint8_t()) \
  X(KeyAvailable, ReturnFalse, WindowKeyAvailable, bool()) \
  X(EnablePixelOutput, NoOp, WinEnablePixelOutput, void()) \
  X(DisablePixelOutput, NoOp, WinDisablePixelOutput, void()) \
  X(GetDrawColor, ReturnZero16, WinGetDrawColor, std::int16_t()) \
  X(GetMaxX, ReturnZero, WinGetMaxX, int()) \
  X(GetMaxY, ReturnZero, WinGetMaxY, int()) \
  X(ClearViewport, NoOp, WinClearViewport, void()) \
  X(SetViewport, NoOp4, WinSetViewport, void(int, int, int, int)) \
  X(SetDrawOrigin, NoOp2, WinSetDrawOrigin, void(int, int)) \
  X(OpenGraphics, NoOp, WinOpenGraphics, void()) \
  X(CloseGraphics, UnsetCloseGraphics, WinCloseGraphics, void()) \
  X(SetDrawColor, NoOpInt, WinSetDrawColor, void(int)) \
  X(SetBackgroundScheme, NoOpInt, WinSetBackgroundScheme, void(int)) \
  X(SetXorMode, NoOpXor, WinSetXorMode, void(std::int16_t)) \
  X(SetLineStyle, NoOp3, WinSetLineStyle, void(int, int, int)) \
  X(DrawLine, NoOp4, WinDrawLine, void(int, int, int, int)) \
  X(MoveToPoint, NoOp2, WinMoveToPoint, void(int, int)) \
  X(LineToPoint, NoOp2, WinLineToPoint, void(int, int)) \
  X(PutPixel, UnsetPutPixel, WinPutPixel, void(int, int, int)) \
  X(SetPaletteEntry, NoOp5, WinSetPaletteEntry, void(int, int, int, int, int)) \
  X(ClearDepth, UnsetClearDepth, WinClearDepth, void()) \
  X(DrawLineDepth, UnsetDrawLineDepth, WinDrawLineDepth, void(int, int, int, int, int, int)) \
  X(MoveToPointDepth, UnsetPointDepth, WinMoveToPointDepth, void(int, int, int)) \
  X(LineToPointDepth, UnsetPointDepth, WinLineToPointDepth, void(int, int, int)) \
  X(PutPixelDepth, UnsetPutPixelDepth, WinPutPixelDepth, void(int, int, int, int)) \
  X(GetClientOrigin, NoOpOrigin, MouseGetClientOrigin, void(int, int, int&, int&)) \
  X(MouseReset, NoOp, MouseResetImpl, void()) \
  X(MouseIdle, ReturnFalse, MouseIdleImpl, bool()) \
  X(SetMousePos, NoOp2, MouseSetPos, void(int, int)) \
  X(GetMouseScreen, NoOpMouse, MouseGetScreen, void(int&, int&, int&)) \
  X(GetMouseClient, NoOpMouse, MouseGetClient, void(int&, int&, int&)) \
  X(ShowMouse, NoOp, MouseShow, void()) \
  X(HideMouse, NoOp, MouseHide, void()) \
  X(FillPolygon, NoOpPoly, WinFillPolygon, void(int, const PolyPoint*)) \
  X(FindFirstEntry, UnsetFindFirst, WinFindFirstEntry, bool(int, const std::string&, platform::DirEntry&)) \
  X(FindNextEntry, UnsetFindNext, WinFindNextEntry, bool(platform::DirEntry&))

// The driver's state with its start values: the graph state, and every operation's harmless
// default until InitGraphics installs the window implementations. DriverStartUp puts them back.
struct DriverState {
  Framebuffer Screen;
  ViewportRec Viewport;
  PolyPoint CurrentPoint{0, 0};
  std::int16_t DrawColorIndex = colours::kWhite;
  std::uint32_t DrawColorRGB = 0x00FFFFFF;  // Palette[DrawColorIndex]
  int BackgroundScheme = 0;
  std::int16_t XorMode = 0;
  std::int16_t LineStyle = 0;
  bool PixelOutputEnabled = false;  // false: the writer that does nothing
  std::int16_t ClientRight = 639;
  std::int16_t ClientBottom = 479;

#define GRAPH_DRIVER_HOOK_MEMBER(name, fallback, window, ...) \
  platform::Hook<__VA_ARGS__> name = defaults::fallback;
  GRAPH_DRIVER_HOOKS(GRAPH_DRIVER_HOOK_MEMBER)
#undef GRAPH_DRIVER_HOOK_MEMBER
  platform::Hook<void()> ViewStartProc = defaults::DefaultViewStart;
  platform::Hook<void()> RedrawProc = defaults::DefaultRedraw;
};
extern DriverState DriverVars;

inline constexpr auto& Screen = DriverVars.Screen;
inline constexpr auto& Viewport = DriverVars.Viewport;
inline constexpr auto& CurrentPoint = DriverVars.CurrentPoint;
inline constexpr auto& DrawColorIndex = DriverVars.DrawColorIndex;
inline constexpr auto& DrawColorRGB = DriverVars.DrawColorRGB;
inline constexpr auto& BackgroundScheme = DriverVars.BackgroundScheme;
inline constexpr auto& XorMode = DriverVars.XorMode;
inline constexpr auto& LineStyle = DriverVars.LineStyle;
inline constexpr auto& PixelOutputEnabled = DriverVars.PixelOutputEnabled;
inline constexpr auto& ClientRight = DriverVars.ClientRight;
inline constexpr auto& ClientBottom = DriverVars.ClientBottom;

// A valid palette index for any requested index: indices above 527 cycle through the
// shade ramps (16..527), negative ones give white.
int ValidColourIndex(int index);
// Background-scheme substitution of a requested colour index.
int SchemeSubstitute(int scheme, int index);
std::uint32_t SchemeBrushColour(int scheme);

// The driver.
// A key for a reader that only waits for one: an extended key is taken whole, so that its
// second byte cannot reach the next reader as a letter (0 for such a key).
std::uint8_t ReadWholeKey();
#define GRAPH_DRIVER_HOOK_NAME(name, fallback, window, ...) inline constexpr auto& name = DriverVars.name;
GRAPH_DRIVER_HOOKS(GRAPH_DRIVER_HOOK_NAME)
#undef GRAPH_DRIVER_HOOK_NAME

// The view set-up that the graphics opening runs (it must call OpenGraphics), and the
// redraw that becomes the paint hook afterwards. Later modules bind them.
inline constexpr auto& ViewStartProc = DriverVars.ViewStartProc;
inline constexpr auto& RedrawProc = DriverVars.RedrawProc;

// Every driver variable back to its default, and the graph state to its start values.
void DriverStartUp();
// Installs the window implementations in the table's order.
void InstallDriver();
// The graphics opening: driver, window, view set-up, one paint, then the redraw as paint
// hook. Throws platform::NoWindow when no window can be opened.
void InitGraphics();

// The drawing state (viewport, colour and pen, mode, style, current point), taken and put
// back around a picture drawn over another one (the key guide).
struct DrawState {
  ViewportRec viewport;
  std::int16_t colour_index = 0;
  std::uint32_t colour_rgb = 0, pen_rgb = 0;
  std::int16_t xor_mode = 0, line_style = 0;
  PolyPoint current{0, 0};
};
DrawState SaveDrawState();
void RestoreDrawState(const DrawState& state);

// Framebuffer of the client size; the overlap is kept.
void ResizeFramebuffer(int width, int height);
bool WriteScreenshot(const std::string& path);
std::uint32_t PixelAt(int x, int y);  // client coordinates; 0 outside

}  // namespace graphics
