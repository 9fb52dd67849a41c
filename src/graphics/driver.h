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
extern Framebuffer Screen;

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

extern ViewportRec Viewport;
extern PolyPoint CurrentPoint;
extern std::int16_t DrawColorIndex;
extern std::uint32_t DrawColorRGB;
extern int BackgroundScheme;
extern std::int16_t XorMode;
extern std::int16_t LineStyle;
extern bool PixelOutputEnabled;  // false: the writer that does nothing
extern std::int16_t ClientRight;
extern std::int16_t ClientBottom;

// A valid palette index for any requested index: indices above 527 cycle through the
// shade ramps (16..527), negative ones give white.
int ValidColourIndex(int index);
// Background-scheme substitution of a requested colour index.
int SchemeSubstitute(int scheme, int index);
std::uint32_t SchemeBrushColour(int scheme);

// The driver.
extern platform::Hook<void(int ms)> WaitMilliseconds;
extern platform::Hook<std::uint8_t()> ReadCommandKey;
extern platform::Hook<std::uint8_t()> ReadRawKey;
// A key for a reader that only waits for one: an extended key is taken whole, so that its
// second byte cannot reach the next reader as a letter (0 for such a key).
std::uint8_t ReadWholeKey();
extern platform::Hook<bool()> KeyAvailable;
extern platform::Hook<void()> EnablePixelOutput;
extern platform::Hook<void()> DisablePixelOutput;
extern platform::Hook<std::int16_t()> GetDrawColor;
extern platform::Hook<int()> GetMaxX;
extern platform::Hook<int()> GetMaxY;
extern platform::Hook<void()> ClearViewport;
extern platform::Hook<void(int left, int top, int right, int bottom)> SetViewport;
extern platform::Hook<void(int x, int y)> SetDrawOrigin;
extern platform::Hook<void()> OpenGraphics;
extern platform::Hook<void()> CloseGraphics;
extern platform::Hook<void(int index)> SetDrawColor;
extern platform::Hook<void(int scheme)> SetBackgroundScheme;
extern platform::Hook<void(std::int16_t flag)> SetXorMode;
extern platform::Hook<void(int style, int pattern, int thickness)> SetLineStyle;
extern platform::Hook<void(int x1, int y1, int x2, int y2)> DrawLine;
extern platform::Hook<void(int x, int y)> MoveToPoint;
extern platform::Hook<void(int x, int y)> LineToPoint;
extern platform::Hook<void(int x, int y, int index)> PutPixel;
extern platform::Hook<void(int index, int second, int red, int green, int blue)> SetPaletteEntry;
extern platform::Hook<void()> ClearDepth;
extern platform::Hook<void(int x1, int y1, int z1, int x2, int y2, int z2)> DrawLineDepth;
extern platform::Hook<void(int x, int y, int z)> MoveToPointDepth;
extern platform::Hook<void(int x, int y, int z)> LineToPointDepth;
extern platform::Hook<void(int x, int y, int z, int index)> PutPixelDepth;
extern platform::Hook<void(int width, int height, int& x, int& y)> GetClientOrigin;
extern platform::Hook<void()> MouseReset;
extern platform::Hook<bool()> MouseIdle;
extern platform::Hook<void(int x, int y)> SetMousePos;
extern platform::Hook<void(int& x, int& y, int& button)> GetMouseScreen;
extern platform::Hook<void(int& x, int& y, int& button)> GetMouseClient;
extern platform::Hook<void()> ShowMouse;
extern platform::Hook<void()> HideMouse;
// count > 0: the closed outline points[0..count] filled in the draw colour; it reads
// count + 1 points, the last repeating the first. count < 0: a blanking polygon of the
// first -count points (at most 100, closed from the last back to the first) in the
// background brush, outlined in the pen.
extern platform::Hook<void(int count, const PolyPoint* points)> FillPolygon;
extern platform::Hook<bool(int kind, const std::string& pattern,
                                        platform::DirEntry& entry)> FindFirstEntry;
extern platform::Hook<bool(platform::DirEntry& entry)> FindNextEntry;

// The view set-up that the graphics opening runs (it must call OpenGraphics), and the
// redraw that becomes the paint hook afterwards. Later modules bind them.
extern platform::Hook<void()> ViewStartProc;
extern platform::Hook<void()> RedrawProc;

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
