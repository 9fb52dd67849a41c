#include "graphics/driver.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "graphics/colours.h"
#include "graphics/keys.h"
#include "graphics/mouse.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/png.h"

namespace graphics {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b) {
  return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

constexpr std::array<std::uint32_t, kPaletteSize> BuildPalette() {
  std::array<std::uint32_t, kPaletteSize> p{};
  constexpr std::uint32_t base[16] = {
      Rgb(0, 0, 0),     Rgb(0, 0, 128),   Rgb(0, 128, 0),   Rgb(0, 128, 128),
      Rgb(128, 0, 0),   Rgb(128, 0, 128), Rgb(128, 128, 0), Rgb(128, 128, 128),
      Rgb(192, 192, 192), Rgb(0, 0, 255), Rgb(0, 255, 0),   Rgb(0, 255, 255),
      Rgb(255, 0, 0),   Rgb(255, 0, 255), Rgb(255, 255, 0), Rgb(255, 255, 255)};
  for (int i = 0; i < 16; ++i) p[i] = base[i];
  for (int k = 0; k < 8; ++k) {
    for (int i = 0; i < 64; ++i) {
      const int v = 3 * i + 63;
      int r = v, g = v, b = v;
      switch (k) {
        case 1: r = 63; g = 63; break;
        case 2: r = 63; b = 63; break;
        case 3: r = 63; break;
        case 4: g = 63; b = 63; break;
        case 5: g = 63; break;
        case 6: b = 63; break;
        default: break;  // 0 and 7: grey ramps
      }
      p[16 + 64 * k + i] = Rgb(r, g, b);
    }
  }
  return p;
}

}  // namespace

const std::array<std::uint32_t, kPaletteSize> Palette = BuildPalette();

constinit DriverState DriverVars;

int ValidColourIndex(int index) {
  if (index < 0) return colours::kWhite;
  if (index < kPaletteSize) return index;
  return 16 + (index - 16) % (kPaletteSize - 16);
}

int SchemeSubstitute(int scheme, int index) {
  using namespace colours;
  switch (scheme) {
    case 2:
      return index == kBlack ? kGrey : (index == kGrey || index == kWhite) ? kBlack : index;
    case 3:
      return index == kBlack ? kSilver : (index == kSilver || index == kWhite) ? kBlack : index;
    case 4:
      return index == kBlack ? kWhite : index == kWhite ? kBlack : index;
    default:
      return index;
  }
}

std::uint32_t SchemeBrushColour(int scheme) {
  switch (scheme) {
    case 1: return Rgb(64, 64, 64);
    case 2: return Rgb(128, 128, 128);
    case 3: return Rgb(192, 192, 192);
    case 4: return Rgb(255, 255, 255);
    default: return Rgb(0, 0, 0);
  }
}

// ---------------------------------------------------------------------------------------
// Defaults: harmless values until the graphics are opened.
namespace defaults {

void NoOp() {}
void NoOpInt(int) {}
void NoOp4(int, int, int, int) {}
void NoOp2(int, int) {}
void NoOp3(int, int, int) {}
void NoOp5(int, int, int, int, int) {}
void NoOpXor(std::int16_t) {}
std::uint8_t ReturnBlank() { return ' '; }
bool ReturnFalse() { return false; }
std::int16_t ReturnZero16() { return 0; }
int ReturnZero() { return 0; }
void NoOpOrigin(int, int, int&, int&) {}
void NoOpMouse(int&, int&, int&) {}
void NoOpPoly(int, const PolyPoint*) {}

// "none": these are not called before the graphics are opened.
[[noreturn]] void Unset(const char* what) {
  throw std::logic_error(std::string("graph driver operation used before the graphics were opened: ") +
                         what);
}
std::uint8_t UnsetReadRawKey() { Unset("ReadRawKey"); }
void UnsetCloseGraphics() { Unset("CloseGraphics"); }
void UnsetPutPixel(int, int, int) { Unset("PutPixel"); }
void UnsetClearDepth() { Unset("ClearDepth"); }
void UnsetDrawLineDepth(int, int, int, int, int, int) { Unset("DrawLineDepth"); }
void UnsetPointDepth(int, int, int) { Unset("MoveToPointDepth/LineToPointDepth"); }
void UnsetPutPixelDepth(int, int, int, int) { Unset("PutPixelDepth"); }
bool UnsetFindFirst(int, const std::string&, platform::DirEntry&) { Unset("FindFirstEntry"); }
bool UnsetFindNext(platform::DirEntry&) { Unset("FindNextEntry"); }

void DefaultViewStart() {
  OpenGraphics();
  GetMaxX();
  GetMaxY();
  ClearViewport();
}
void DefaultRedraw() {}

}  // namespace defaults

// ---------------------------------------------------------------------------------------
// The software rasteriser.
namespace {

// Visible part of the viewport in client pixels: [x0, x1) × [y0, y1). The bounds tests of
// the driver include right and bottom, the clipping of the window excludes them.
struct ClipBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
struct DriverLocal {
  ClipBox clip;
  // Colour of the window's selected pen, which outlines cleared areas and blanking polygons.
  // A viewport change takes a fresh context whose pen is the default black one; the next
  // SetDrawColor selects the drawing colour's pen again.
  std::uint32_t pen_rgb = 0;
};
constinit DriverLocal g;
constexpr ClipBox& g_clip = g.clip;
constexpr std::uint32_t& g_pen_rgb = g.pen_rgb;

void UpdateClip() {
  g_clip.x0 = std::max(Viewport.left, 0);
  g_clip.y0 = std::max(Viewport.top, 0);
  g_clip.x1 = std::min(Viewport.right, Screen.width);
  g_clip.y1 = std::min(Viewport.bottom, Screen.height);
  if (g_clip.x1 < g_clip.x0) g_clip.x1 = g_clip.x0;
  if (g_clip.y1 < g_clip.y0) g_clip.y1 = g_clip.y0;
}

inline bool InClip(std::int64_t x, std::int64_t y) {
  return x >= g_clip.x0 && x < g_clip.x1 && y >= g_clip.y0 && y < g_clip.y1;
}

inline std::uint32_t& At(std::int64_t x, std::int64_t y) {
  return Screen.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Screen.width) +
                       static_cast<std::size_t>(x)];
}

// One pixel in the current mode (client coordinates).
inline void Plot(std::int64_t x, std::int64_t y, std::uint32_t colour) {
  if (!PixelOutputEnabled || !InClip(x, y)) return;
  if (XorMode != 0) {
    At(x, y) ^= colour;
  } else {
    At(x, y) = colour;
  }
}

// The pen of lines and points. An XOR figure toggles with the value that shows it, on the
// plain background, in the colour the scheme gives its index: the substitutes keep that
// colour apart from the background, so the figure shows in every scheme (toggling with the
// substitute itself would toggle with 0 where it is black), and drawing it again takes it off.
inline std::uint32_t PenValue() {
  return XorMode != 0 ? DrawColorRGB ^ SchemeBrushColour(BackgroundScheme) : DrawColorRGB;
}

// Pixel writers, chosen once per line. `k` counts the interior pixels from 1.
// A store that misses the cache waits in the store buffer for its line, and a steep line
// fills the buffer with such stores; a prefetch of the same pixel asks for the line at once
// and retires at once (as the XOR writer's load does), so the misses overlap.
struct SolidWriter {
  std::uint32_t c;
  void operator()(std::uint32_t& p, std::int64_t) const {
    __builtin_prefetch(&p, 1);
    p = c;
  }
};
struct XorWriter {
  std::uint32_t c;
  void operator()(std::uint32_t& p, std::int64_t) const { p ^= c; }
};
struct DottedWriter {  // six drawn, one gap
  std::uint32_t c;
  void operator()(std::uint32_t& p, std::int64_t k) const {
    __builtin_prefetch(&p, 1);
    if (k % 7 != 0) p = c;
  }
};
struct DottedXorWriter {  // one in four
  std::uint32_t c;
  void operator()(std::uint32_t& p, std::int64_t k) const {
    if (k % 4 == 0) p ^= c;
  }
};

using i64 = std::int64_t;
using u64 = std::uint64_t;
using i128 = __int128;

constexpr i64 kLimit = i64{1} << 62;

i64 Saturate(i128 v) {
  if (v > kLimit) return kLimit;
  if (v < -kLimit) return -kLimit;
  return static_cast<i64>(v);
}

i128 NonZero(i128 d) { return d == 0 ? 1 : d; }

// Fixed-point walk for lines shorter than kFixedLimit along the major axis. With
// m = ceil(ad·2^kFixedBits/d), k·m/2^kFixedBits exceeds k·ad/d by less than k/2^kFixedBits,
// which is below 1/d while k < d < 2^20; k·ad/d lies at least 1/d below the next integer,
// so floor(k·m/2^kFixedBits) = floor(k·ad/d) exactly, and k·m stays below 2^60. Each
// pixel's minor offset is then an add and a shift, with no chain from pixel to pixel.
constexpr int kFixedBits = 40;
constexpr u64 kFixedLimit = u64{1} << 20;

// For the short lines most pictures are made of, m' = ad·ceil(2^kFixedBits/d) from a table
// takes the place of m, without a division: m' exceeds ad·2^kFixedBits/d by less than ad <= d,
// so k·m' exceeds k·ad·2^kFixedBits/d by less than k·d < d², which stays below 2^kFixedBits/d
// while d³ < 2^kFixedBits: the same floors as with m, and k·m' < 2^61.
constexpr u64 kShortLine = 1024;
constexpr std::array<u64, kShortLine> kReciprocal = [] {
  std::array<u64, kShortLine> r{};
  for (u64 d = 1; d < kShortLine; ++d) r[d] = ((u64{1} << kFixedBits) + d - 1) / d;
  return r;
}();
static_assert(kShortLine * kShortLine * kShortLine < (u64{1} << kFixedBits));

// Interior pixels of a line between ordered ends along the major axis. (a1, b1) and
// (a2, b2) are (major, minor) coordinates with a1 < a2 and |b2 - b1| <= a2 - a1; the
// pixel at major coordinate a has minor b1 + trunc((a - a1)·(b2 - b1)/(a2 - a1)).
// `xmajor` tells which axis a is.
template <class Writer>
void Interior(i64 a1, i64 b1, i64 a2, i64 b2, bool xmajor, const Writer& write) {
  const i64 lo = xmajor ? g_clip.x0 : g_clip.y0;
  const i64 hi = xmajor ? g_clip.x1 - 1 : g_clip.y1 - 1;
  const i64 minor_lo = xmajor ? g_clip.y0 : g_clip.x0;
  const i64 minor_hi = xmajor ? g_clip.y1 - 1 : g_clip.x1 - 1;
  const i64 start = std::max(a1 + 1, lo);
  const i64 end = std::min(a2 - 1, hi);
  if (start > end || minor_hi < minor_lo) return;
  const u64 d = static_cast<u64>(a2 - a1);
  const i64 s = b2 < b1 ? -1 : 1;
  const u64 ad = b2 < b1 ? static_cast<u64>(b1 - b2) : static_cast<u64>(b2 - b1);
  i64 k = start - a1;
  const i64 stride = Screen.width;
  const i64 major_step = xmajor ? 1 : stride;
  const i64 minor_step = xmajor ? s * stride : s;
  const u64 span = static_cast<u64>(minor_hi - minor_lo);
  std::uint32_t* const base = Screen.pixels.data();
  // The minor coordinate moves monotonically from b1 to b2: when both lie inside the clip
  // box, so does every pixel, and the test can go.
  const bool inside = static_cast<u64>(b1 - minor_lo) <= span && static_cast<u64>(b2 - minor_lo) <= span;
  const Writer w = write;  // a local copy keeps the colour in a register
  if (d < kFixedLimit) {
    const u64 m = d < kShortLine ? ad * kReciprocal[d] : ((ad << kFixedBits) + d - 1) / d;
    u64 acc = static_cast<u64>(k) * m;
    const i64 count = end - start + 1;
    if (inside) {
      // Index of (start, b1); pixel n of the walk is n major steps and q minor steps on.
      i64 idx = xmajor ? b1 * stride + start : start * stride + b1;
      for (i64 n = 0; n < count; ++n) {
        w(base[idx + static_cast<i64>(acc >> kFixedBits) * minor_step], k + n);
        acc += m;
        idx += major_step;
      }
      return;
    }
    // Index of (start, minor_lo); pixels whose minor coordinate leaves the box are skipped.
    i64 idx = xmajor ? minor_lo * stride + start : start * stride + minor_lo;
    const i64 unit = xmajor ? stride : 1;
    const i64 off = b1 - minor_lo;
    for (i64 n = 0; n < count; ++n) {
      const i64 b = off + s * static_cast<i64>(acc >> kFixedBits);
      if (static_cast<u64>(b) <= span) w(base[idx + b * unit], k + n);
      acc += m;
      idx += major_step;
    }
    return;
  }
  // Longer lines (only in viewports far larger than the screen): quotient and remainder
  // of k·ad/d where the walk starts, then one remainder step per pixel.
  u64 q, r;
  if (static_cast<u64>(k) < (u64{1} << 31) && ad < (u64{1} << 32)) {
    const u64 n = static_cast<u64>(k) * ad;
    q = n / d;
    r = n % d;
  } else {
    const unsigned __int128 n = static_cast<unsigned __int128>(k) * ad;
    q = static_cast<u64>(n / d);
    r = static_cast<u64>(n % d);
  }
  i64 b = b1 + s * static_cast<i64>(q);
  // Index of (a, b), modulo 2^64 while b lies far outside; only used once it is inside.
  u64 idx = xmajor ? static_cast<u64>(b) * static_cast<u64>(stride) + static_cast<u64>(start)
                   : static_cast<u64>(start) * static_cast<u64>(stride) + static_cast<u64>(b);
  for (i64 a = start; a <= end; ++a, ++k) {
    if (static_cast<u64>(b - minor_lo) <= span) w(base[static_cast<i64>(idx)], k);
    idx += static_cast<u64>(major_step);
    // Branch-free step: the carry is as good as random for lines of any slope.
    r += ad;
    const i64 carry = -static_cast<i64>(r >= d);
    r -= d & static_cast<u64>(carry);
    b += s & carry;
    idx += static_cast<u64>(minor_step & carry);
  }
}

template <class Writer>
void RasterLine(i64 x1, i64 y1, i64 x2, i64 y2, const Writer& write) {
  const i64 dx = x2 - x1;
  const i64 dy = y2 - y1;
  const u64 adx = dx < 0 ? static_cast<u64>(-dx) : static_cast<u64>(dx);
  const u64 ady = dy < 0 ? static_cast<u64>(-dy) : static_cast<u64>(dy);
  if (ady <= adx) {
    if (x1 > x2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    Interior(x1, y1, x2, y2, true, write);
  } else {
    if (y1 > y2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    Interior(y1, x1, y2, x2, false, write);
  }
}

// A line of the solid pen whose ends both lie in the visible box, which is most of a
// picture: nothing to clip, and every pixel in between is inside too (the box is convex).
// The same pixels as RasterClipped and the end's Plot draw, in one pass. The direction is
// chosen by selections rather than branches: the lines of a picture point every way, and a
// branch on their direction would be mispredicted half the time.
inline i64 Select(bool c, i64 a, i64 b) {
  const i64 m = -static_cast<i64>(c);
  return (a & m) | (b & ~m);
}
inline u64 Magnitude(i64 v) {
  const i64 sign = v >> 63;
  return static_cast<u64>((v ^ sign) - sign);
}

void SolidLineInside(i64 x1, i64 y1, i64 x2, i64 y2, std::uint32_t c) {
  std::uint32_t* const base = Screen.pixels.data();
  const i64 stride = Screen.width;
  const bool xmajor = Magnitude(y2 - y1) <= Magnitude(x2 - x1);
  const i64 p1 = Select(xmajor, x1, y1), q1 = Select(xmajor, y1, x1);
  const i64 p2 = Select(xmajor, x2, y2), q2 = Select(xmajor, y2, x2);
  const bool back = p2 < p1;
  const i64 a1 = Select(back, p2, p1), b1 = Select(back, q2, q1);
  const i64 a2 = Select(back, p1, p2), b2 = Select(back, q1, q2);
  // As Interior with start = a1 + 1 (k = 1) and end = a2 - 1; d < kFixedLimit on any screen.
  const i64 d = a2 - a1;
  if (d >= 2) {
    const u64 ad = Magnitude(b2 - b1);
    const u64 m = static_cast<u64>(d) < kShortLine
                      ? ad * kReciprocal[static_cast<std::size_t>(d)]
                      : ((ad << kFixedBits) + static_cast<u64>(d) - 1) / static_cast<u64>(d);
    const i64 major_step = Select(xmajor, 1, stride);
    const i64 minor_step = Select(xmajor, stride, 1) * Select(b2 < b1, -1, 1);
    i64 idx = Select(xmajor, b1, a1 + 1) * stride + Select(xmajor, a1 + 1, b1);
    u64 acc = m;
    const SolidWriter w{c};
    for (i64 n = 1; n < d; ++n) {
      w(base[idx + static_cast<i64>(acc >> kFixedBits) * minor_step], n);
      acc += m;
      idx += major_step;
    }
  }
  base[y2 * stride + x2] = c;
}

// A line whose clipped ends are known: the single point, or the interior pixels in the
// current mode and style.
void RasterClipped(i64 x1, i64 y1, i64 x2, i64 y2) {
  if (!PixelOutputEnabled) return;
  if (x1 == x2 && y1 == y2) {
    Plot(x1, y1, PenValue());
    return;
  }
  const std::uint32_t c = PenValue();
  if (XorMode != 0) {
    if (LineStyle != 0) RasterLine(x1, y1, x2, y2, DottedXorWriter{c});
    else RasterLine(x1, y1, x2, y2, XorWriter{c});
  } else {
    if (LineStyle != 0) RasterLine(x1, y1, x2, y2, DottedWriter{c});
    else RasterLine(x1, y1, x2, y2, SolidWriter{c});
  }
}

void DrawLineClient(i64 x1, i64 y1, i64 x2, i64 y2) {
  const i64 left = Viewport.left, right = Viewport.right;
  const i64 top = Viewport.top, bottom = Viewport.bottom;
  // Both ends within the bounds: the clipping would change nothing.
  if (x1 >= left && x1 <= right && x2 >= left && x2 <= right && y1 >= top && y1 <= bottom &&
      y2 >= top && y2 <= bottom) {
    RasterClipped(x1, y1, x2, y2);
    return;
  }
  if ((x1 < left && x2 < left) || (x1 > right && x2 > right) || (y1 < top && y2 < top) ||
      (y1 > bottom && y2 > bottom))
    return;
  // Clipping in the order of the classic driver, truncating; its exact arithmetic decides
  // which pixels a clipped line shows.
  i128 X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
  i128 d = NonZero(X2 - X1);
  if (X1 < left) {
    Y1 += (left - X1) * (Y2 - Y1) / d;
    X1 = left;
  }
  if (X1 > right) {
    Y1 += (right - X1) * (Y2 - Y1) / d;
    X1 = right;
  }
  d = NonZero(X2 - X1);
  if (X2 < left) {
    Y2 += (left - X2) * (Y2 - Y1) / d;
    X2 = left;
  }
  if (X2 > right) {
    Y2 += (right - X2) * (Y2 - Y1) / d;
    X2 = right;
  }
  Y1 = Saturate(Y1);
  Y2 = Saturate(Y2);
  d = NonZero(Y2 - Y1);
  if (Y1 < top) {
    X1 += (top - Y1) * (X2 - X1) / d;
    Y1 = top;
  }
  if (Y1 > bottom) {
    X1 += (bottom - Y1) * (X2 - X1) / d;
    Y1 = bottom;
  }
  X1 = Saturate(X1);
  d = NonZero(Y2 - Y1);
  if (Y2 < top) {
    X2 += (top - Y2) * (X2 - X1) / d;
    Y2 = top;
  }
  if (Y2 > bottom) {
    X2 += (bottom - Y2) * (X2 - X1) / d;
    Y2 = bottom;
  }
  RasterClipped(Saturate(X1), Saturate(Y1), Saturate(X2), Saturate(Y2));
}

// --- window implementations -------------------------------------------------------------

void WinWaitMilliseconds(int ms) {
  ShowFramebuffer();
  if (ms > 0) Backend->Sleep(ms);
}
void WinEnablePixelOutput() { PixelOutputEnabled = true; }
void WinDisablePixelOutput() { PixelOutputEnabled = false; }
std::int16_t WinGetDrawColor() { return DrawColorIndex; }

int WinGetMaxX() {
  ClientRight = static_cast<std::int16_t>(std::max(Screen.width, 1));
  return ClientRight;
}
int WinGetMaxY() {
  ClientBottom = static_cast<std::int16_t>(std::max(Screen.height, 1));
  return ClientBottom;
}

void FillRectClient(i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t colour) {
  // [x0, x1) × [y0, y1), limited to the clip box.
  x0 = std::max<i64>(x0, g_clip.x0);
  y0 = std::max<i64>(y0, g_clip.y0);
  x1 = std::min<i64>(x1, g_clip.x1);
  y1 = std::min<i64>(y1, g_clip.y1);
  for (i64 y = y0; y < y1; ++y) std::fill(&At(x0, y), &At(x0, y) + (x1 - x0 > 0 ? x1 - x0 : 0), colour);
}

void WinClearViewport() {
  FrameDirty = true;
  const i64 l = Viewport.left, t = Viewport.top, r = Viewport.right, b = Viewport.bottom;
  if (r <= l || b <= t) return;
  FillRectClient(l, t, r, b, SchemeBrushColour(BackgroundScheme));
  // The rectangle's border is drawn with the selected pen.
  const std::uint32_t c = g_pen_rgb;
  FillRectClient(l, t, r, t + 1, c);
  FillRectClient(l, b - 1, r, b, c);
  FillRectClient(l, t, l + 1, b, c);
  FillRectClient(r - 1, t, r, b, c);
}

void WinSetViewport(int left, int top, int right, int bottom) {
  Viewport.left = left;
  Viewport.top = top;
  Viewport.right = right;
  Viewport.bottom = bottom;
  Viewport.origin_x = left;
  Viewport.origin_y = top;
  UpdateClip();
  g_pen_rgb = 0;
}

void WinSetDrawOrigin(int x, int y) {
  Viewport.origin_x = x;
  Viewport.origin_y = y;
}

void WinOpenGraphics() {
  WinSetViewport(0, 0, Screen.width, Screen.height);
  WinGetMaxX();
  WinGetMaxY();
}

void WinCloseGraphics() { CloseMainWindow(); }

void WinSetDrawColor(int index) {
  const int c = ValidColourIndex(SchemeSubstitute(BackgroundScheme, index));
  DrawColorIndex = static_cast<std::int16_t>(c);
  DrawColorRGB = Palette[static_cast<std::size_t>(c)];
  g_pen_rgb = DrawColorRGB;
}

void WinSetBackgroundScheme(int scheme) { BackgroundScheme = std::clamp(scheme, 0, 4); }
void WinSetXorMode(std::int16_t flag) { XorMode = flag; }
void WinSetLineStyle(int style, int, int) { LineStyle = static_cast<std::int16_t>(style); }

void WinDrawLine(int x1, int y1, int x2, int y2) {
  FrameDirty = true;
  const i64 ox = Viewport.origin_x, oy = Viewport.origin_y;
  DrawLineClient(x1 + ox, y1 + oy, x2 + ox, y2 + oy);
}

void WinMoveToPoint(int x, int y) {
  FrameDirty = true;
  Plot(i64{x} + Viewport.origin_x, i64{y} + Viewport.origin_y, PenValue());
  CurrentPoint = {x, y};
}

void WinLineToPoint(int x, int y) {
  FrameDirty = true;
  const i64 ox = Viewport.origin_x, oy = Viewport.origin_y;
  const i64 x1 = CurrentPoint.x + ox, y1 = CurrentPoint.y + oy;
  const i64 x2 = x + ox, y2 = y + oy;
  CurrentPoint = {x, y};
  if (PixelOutputEnabled && XorMode == 0 && LineStyle == 0 && InClip(x1, y1) && InClip(x2, y2)) {
    SolidLineInside(x1, y1, x2, y2, DrawColorRGB);
    return;
  }
  DrawLineClient(x1, y1, x2, y2);
  Plot(x2, y2, PenValue());
}

void WinPutPixel(int x, int y, int index) {
  FrameDirty = true;
  Plot(i64{x} + Viewport.origin_x, i64{y} + Viewport.origin_y,
       Palette[static_cast<std::size_t>(ValidColourIndex(index))]);
}

void WinSetPaletteEntry(int, int, int, int, int) {}
void WinClearDepth() {}
void WinDrawLineDepth(int x1, int y1, int, int x2, int y2, int) { WinDrawLine(x1, y1, x2, y2); }
void WinMoveToPointDepth(int x, int y, int) { WinMoveToPoint(x, y); }
void WinLineToPointDepth(int x, int y, int) { WinLineToPoint(x, y); }
void WinPutPixelDepth(int x, int y, int, int index) { WinPutPixel(x, y, index); }

// Outline pixels of a closed polygon, ends included.
void OutlineSegment(i64 x1, i64 y1, i64 x2, i64 y2, std::uint32_t c) {
  const i64 dx = x2 - x1, dy = y2 - y1;
  const i64 n = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
  if (n == 0) {
    if (InClip(x1, y1)) At(x1, y1) = c;
    return;
  }
  if (n > 1'000'000) return;  // far outside any screen
  for (i64 i = 0; i <= n; ++i) {
    const i64 x = x1 + (dx * i + (dx >= 0 ? n / 2 : -(n / 2))) / n;
    const i64 y = y1 + (dy * i + (dy >= 0 ? n / 2 : -(n / 2))) / n;
    if (InClip(x, y)) At(x, y) = c;
  }
}

// Area fill of a blanking polygon: even-odd rule at pixel centres, then its outline.
void FillBlankPolygon(int n, const PolyPoint* pts) {
  int index = DrawColorIndex;
  const std::uint32_t brush = index == colours::kGrey     ? Rgb(128, 128, 128)
                              : index == colours::kSilver ? Rgb(64, 64, 64)
                                           : SchemeBrushColour(BackgroundScheme);
  const i64 ox = Viewport.origin_x, oy = Viewport.origin_y;
  std::array<std::pair<i64, i64>, 100> p{};
  i64 ymin = INT64_MAX, ymax = INT64_MIN;
  for (int i = 0; i < n; ++i) {
    p[i] = {pts[i].x + ox, pts[i].y + oy};
    ymin = std::min(ymin, p[i].second);
    ymax = std::max(ymax, p[i].second);
  }
  const i64 ys = std::max<i64>(ymin, g_clip.y0), ye = std::min<i64>(ymax, g_clip.y1 - 1);
  std::array<double, 100> xs{};
  for (i64 y = ys; y <= ye; ++y) {
    const double yc = static_cast<double>(y) + 0.5;
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const auto [xa, ya] = p[i];
      const auto [xb, yb] = p[(i + 1) % n];
      if ((ya <= yc) != (yb <= yc)) {
        xs[m++] = static_cast<double>(xa) + (yc - static_cast<double>(ya)) *
                                                static_cast<double>(xb - xa) /
                                                static_cast<double>(yb - ya);
      }
    }
    std::sort(xs.begin(), xs.begin() + m);
    for (int i = 0; i + 1 < m; i += 2) {
      const double a = std::max(xs[i], -1e12), b = std::min(xs[i + 1], 1e12);
      const i64 x0 = static_cast<i64>(std::ceil(a - 0.5));
      const i64 x1 = static_cast<i64>(std::ceil(b - 0.5));  // exclusive
      FillRectClient(x0, y, x1, y + 1, brush);
    }
  }
  for (int i = 0; i < n; ++i) {
    const auto [xa, ya] = p[i];
    const auto [xb, yb] = p[(i + 1) % n];
    OutlineSegment(xa, ya, xb, yb, g_pen_rgb);
  }
}

// Scan fill: edges join point i to i + 1 for i = 1..count.
void ScanFill(int count, const PolyPoint* pts) {
  const i64 ox = Viewport.origin_x, oy = Viewport.origin_y;
  i64 ymin = INT64_MAX, ymax = INT64_MIN;
  for (int i = 0; i < count; ++i) {
    ymin = std::min<i64>(ymin, pts[i].y + oy);
    ymax = std::max<i64>(ymax, pts[i].y + oy);
  }
  ymin = std::max<i64>({ymin, Viewport.top, g_clip.y0});
  ymax = std::min<i64>({ymax, Viewport.bottom, g_clip.y1 - 1});
  std::array<i64, 50> xs{};
  const std::uint32_t c = DrawColorRGB;
  for (i64 y = ymin; y <= ymax; ++y) {
    int m = 0;
    for (int i = 0; i < count && m < 50; ++i) {
      const i64 xi = pts[i].x + ox, yi = pts[i].y + oy;
      const i64 xj = pts[i + 1].x + ox, yj = pts[i + 1].y + oy;
      if (yi == yj) continue;
      const bool between = (y > std::min(yi, yj) && y < std::max(yi, yj));
      const bool at_top_end = (y == yi && yj > y) || (y == yj && yi > y);
      if (!between && !at_top_end) continue;
      xs[m++] = xi + static_cast<i64>(static_cast<i128>(y - yi) * (xj - xi) / (yj - yi));
    }
    std::sort(xs.begin(), xs.begin() + m);
    for (int i = 0; i + 1 < m; i += 2) {
      const i64 a = std::max<i64>(xs[i], Viewport.left);
      const i64 b = std::min<i64>(xs[i + 1], Viewport.right);
      if (a <= b) FillRectClient(a, y, b + 1, y + 1, c);
    }
  }
}

void WinFillPolygon(int count, const PolyPoint* points) {
  FrameDirty = true;
  if (count == 0 || points == nullptr) return;
  if (count < 0) {
    FillBlankPolygon(std::min(-count, 100), points);
  } else {
    ScanFill(count, points);
  }
}

bool WinFindFirstEntry(int kind, const std::string& pattern, platform::DirEntry& entry) {
  return platform::FindFirst(kind, pattern, entry);
}
bool WinFindNextEntry(platform::DirEntry& entry) { return platform::FindNext(entry); }

}  // namespace

void DriverStartUp() {
  DriverVars = {};
  g = {};
}

void InstallDriver() {
#define INSTALL_HOOK(name, fallback, window, ...) name = window;
  GRAPH_DRIVER_HOOKS(INSTALL_HOOK)
#undef INSTALL_HOOK
}

void InitGraphics() {
  InstallDriver();
  if (!CreateMainWindow()) throw platform::NoWindow{"the window system gave no window"};
  ViewStartProc();
  ++RepaintCount;
  PaintHook();
  PaintHook = RedrawProc;
}

std::uint8_t ReadWholeKey() {
  const std::uint8_t key = ReadCommandKey();
  if (key == keys::kExtended) ReadRawKey();
  return key;
}

DrawState SaveDrawState() {
  return {Viewport, DrawColorIndex, DrawColorRGB, g_pen_rgb, XorMode, LineStyle, CurrentPoint};
}

void RestoreDrawState(const DrawState& s) {
  Viewport = s.viewport;
  UpdateClip();
  DrawColorIndex = s.colour_index;
  DrawColorRGB = s.colour_rgb;
  g_pen_rgb = s.pen_rgb;
  XorMode = s.xor_mode;
  LineStyle = s.line_style;
  CurrentPoint = s.current;
}

void ResizeFramebuffer(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == Screen.width && height == Screen.height) return;
  std::vector<std::uint32_t> next(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                  0);
  const int w = std::min(width, Screen.width), h = std::min(height, Screen.height);
  for (int y = 0; y < h; ++y)
    std::copy_n(Screen.pixels.begin() + static_cast<std::ptrdiff_t>(y) * Screen.width, w,
                next.begin() + static_cast<std::ptrdiff_t>(y) * width);
  Screen.pixels = std::move(next);
  FrameDirty = true;
  Screen.width = width;
  Screen.height = height;
  UpdateClip();
}

bool WriteScreenshot(const std::string& path) {
  return platform::WritePng(path, Screen.pixels.data(), Screen.width, Screen.height);
}

std::uint32_t PixelAt(int x, int y) {
  if (x < 0 || y < 0 || x >= Screen.width || y >= Screen.height) return 0;
  return At(x, y);
}

}  // namespace graphics
