// The graph driver: every drawing, key and mouse operation of the program goes through
// these procedure variables. They hold harmless defaults until InitGraphics installs the
// window implementations, which draw into a software framebuffer of the client size.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// The driver's state with its start values: the graph state, and every operation's harmless
// default until InitGraphics installs the window implementations. DriverStartUp puts them back.
struct DriverState {
  Framebuffer Screen;
  ViewportRec Viewport;
  PolyPoint CurrentPoint{0, 0};
  std::int16_t DrawColorIndex = 15;
  std::uint32_t DrawColorRGB = 0x00FFFFFF;  // Palette[DrawColorIndex]
  int BackgroundScheme = 0;
  std::int16_t XorMode = 0;
  std::int16_t LineStyle = 0;
  bool PixelOutputEnabled = false;  // false: the writer that does nothing
  std::int16_t ClientRight = 639;
  std::int16_t ClientBottom = 479;

  platform::Hook<void(int ms)> WaitMilliseconds = defaults::NoOpInt;
  platform::Hook<std::uint8_t()> ReadCommandKey = defaults::ReturnBlank;
  platform::Hook<std::uint8_t()> ReadRawKey = defaults::UnsetReadRawKey;
  platform::Hook<bool()> KeyAvailable = defaults::ReturnFalse;
  platform::Hook<void()> EnablePixelOutput = defaults::NoOp;
  platform::Hook<void()> DisablePixelOutput = defaults::NoOp;
  platform::Hook<std::int16_t()> GetDrawColor = defaults::ReturnZero16;
  platform::Hook<int()> GetMaxX = defaults::ReturnZero;
  platform::Hook<int()> GetMaxY = defaults::ReturnZero;
  platform::Hook<void()> ClearViewport = defaults::NoOp;
  platform::Hook<void(int left, int top, int right, int bottom)> SetViewport = defaults::NoOp4;
  platform::Hook<void(int x, int y)> SetDrawOrigin = defaults::NoOp2;
  platform::Hook<void()> OpenGraphics = defaults::NoOp;
  platform::Hook<void()> CloseGraphics = defaults::UnsetCloseGraphics;
  platform::Hook<void(int index)> SetDrawColor = defaults::NoOpInt;
  platform::Hook<void(int scheme)> SetBackgroundScheme = defaults::NoOpInt;
  platform::Hook<void(std::int16_t flag)> SetXorMode = defaults::NoOpXor;
  platform::Hook<void(int style, int pattern, int thickness)> SetLineStyle = defaults::NoOp3;
  platform::Hook<void(int x1, int y1, int x2, int y2)> DrawLine = defaults::NoOp4;
  platform::Hook<void(int x, int y)> MoveToPoint = defaults::NoOp2;
  platform::Hook<void(int x, int y)> LineToPoint = defaults::NoOp2;
  platform::Hook<void(int x, int y, int index)> PutPixel = defaults::UnsetPutPixel;
  platform::Hook<void(int index, int second, int red, int green, int blue)> SetPaletteEntry = defaults::NoOp5;
  platform::Hook<void()> ClearDepth = defaults::UnsetClearDepth;
  platform::Hook<void(int x1, int y1, int z1, int x2, int y2, int z2)> DrawLineDepth = defaults::UnsetDrawLineDepth;
  platform::Hook<void(int x, int y, int z)> MoveToPointDepth = defaults::UnsetPointDepth;
  platform::Hook<void(int x, int y, int z)> LineToPointDepth = defaults::UnsetPointDepth;
  platform::Hook<void(int x, int y, int z, int index)> PutPixelDepth = defaults::UnsetPutPixelDepth;
  platform::Hook<void(int width, int height, int& x, int& y)> GetClientOrigin = defaults::NoOpOrigin;
  platform::Hook<void()> MouseReset = defaults::NoOp;
  platform::Hook<bool()> MouseIdle = defaults::ReturnFalse;
  platform::Hook<void(int x, int y)> SetMousePos = defaults::NoOp2;
  platform::Hook<void(int& x, int& y, int& button)> GetMouseScreen = defaults::NoOpMouse;
  platform::Hook<void(int& x, int& y, int& button)> GetMouseClient = defaults::NoOpMouse;
  platform::Hook<void()> ShowMouse = defaults::NoOp;
  platform::Hook<void()> HideMouse = defaults::NoOp;
  platform::Hook<void(int count, const PolyPoint* points)> FillPolygon = defaults::NoOpPoly;
  platform::Hook<bool(int kind, const std::string& pattern, platform::DirEntry& entry)> FindFirstEntry = defaults::UnsetFindFirst;
  platform::Hook<bool(platform::DirEntry& entry)> FindNextEntry = defaults::UnsetFindNext;
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
inline constexpr auto& WaitMilliseconds = DriverVars.WaitMilliseconds;
inline constexpr auto& ReadCommandKey = DriverVars.ReadCommandKey;
inline constexpr auto& ReadRawKey = DriverVars.ReadRawKey;
inline constexpr auto& KeyAvailable = DriverVars.KeyAvailable;
inline constexpr auto& EnablePixelOutput = DriverVars.EnablePixelOutput;
inline constexpr auto& DisablePixelOutput = DriverVars.DisablePixelOutput;
inline constexpr auto& GetDrawColor = DriverVars.GetDrawColor;
inline constexpr auto& GetMaxX = DriverVars.GetMaxX;
inline constexpr auto& GetMaxY = DriverVars.GetMaxY;
inline constexpr auto& ClearViewport = DriverVars.ClearViewport;
inline constexpr auto& SetViewport = DriverVars.SetViewport;
inline constexpr auto& SetDrawOrigin = DriverVars.SetDrawOrigin;
inline constexpr auto& OpenGraphics = DriverVars.OpenGraphics;
inline constexpr auto& CloseGraphics = DriverVars.CloseGraphics;
inline constexpr auto& SetDrawColor = DriverVars.SetDrawColor;
inline constexpr auto& SetBackgroundScheme = DriverVars.SetBackgroundScheme;
inline constexpr auto& SetXorMode = DriverVars.SetXorMode;
inline constexpr auto& SetLineStyle = DriverVars.SetLineStyle;
inline constexpr auto& DrawLine = DriverVars.DrawLine;
inline constexpr auto& MoveToPoint = DriverVars.MoveToPoint;
inline constexpr auto& LineToPoint = DriverVars.LineToPoint;
inline constexpr auto& PutPixel = DriverVars.PutPixel;
inline constexpr auto& SetPaletteEntry = DriverVars.SetPaletteEntry;
inline constexpr auto& ClearDepth = DriverVars.ClearDepth;
inline constexpr auto& DrawLineDepth = DriverVars.DrawLineDepth;
inline constexpr auto& MoveToPointDepth = DriverVars.MoveToPointDepth;
inline constexpr auto& LineToPointDepth = DriverVars.LineToPointDepth;
inline constexpr auto& PutPixelDepth = DriverVars.PutPixelDepth;
inline constexpr auto& GetClientOrigin = DriverVars.GetClientOrigin;
inline constexpr auto& MouseReset = DriverVars.MouseReset;
inline constexpr auto& MouseIdle = DriverVars.MouseIdle;
inline constexpr auto& SetMousePos = DriverVars.SetMousePos;
inline constexpr auto& GetMouseScreen = DriverVars.GetMouseScreen;
inline constexpr auto& GetMouseClient = DriverVars.GetMouseClient;
inline constexpr auto& ShowMouse = DriverVars.ShowMouse;
inline constexpr auto& HideMouse = DriverVars.HideMouse;
inline constexpr auto& FillPolygon = DriverVars.FillPolygon;
inline constexpr auto& FindFirstEntry = DriverVars.FindFirstEntry;
inline constexpr auto& FindNextEntry = DriverVars.FindNextEntry;

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
