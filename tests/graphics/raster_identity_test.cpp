// The rasteriser against a plain model of the line rules: exact clipping, then one division
// per pixel. Random lines of every kind (inside, crossing edges, far away, huge), random
// viewports, all four modes; any pixel that differs fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/driver.h"
#include "support/fixture.h"

namespace {

using i64 = std::int64_t;
using i128 = __int128;

// The model: a framebuffer and the graph state it needs.
struct Model {
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;
  i64 left = 0, top = 0, right = 0, bottom = 0;  // bounds tests include right and bottom
  bool xor_mode = false, dotted = false;
  std::uint32_t colour = 0;

  // Visible: inside the viewport without its right column and bottom row, and on screen.
  bool Visible(i128 x, i128 y) const {
    return x >= left && x < right && y >= top && y < bottom && x >= 0 && y >= 0 && x < width &&
           y < height;
  }
  void Put(i128 x, i128 y) {
    if (!Visible(x, y)) return;
    std::uint32_t& p = px[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(x)];
    p = xor_mode ? p ^ colour : colour;
  }
  // Interior pixel number k (from 1) of a line in the current style.
  void PutStyled(i128 x, i128 y, i128 k) {
    if (dotted && !xor_mode && k % 7 == 0) return;
    if (dotted && xor_mode && k % 4 != 0) return;
    Put(x, y);
  }

  static i128 Div(i128 n, i128 d) { return n / (d == 0 ? 1 : d); }  // truncates
  // Far results of a degenerate clip are held where later products cannot overflow.
  static i128 Clamp(i128 v) {
    constexpr i128 kFar = i128{1} << 62;
    return std::clamp(v, -kFar, kFar);
  }

  void Line(i128 x1, i128 y1, i128 x2, i128 y2) {
    if ((x1 < left && x2 < left) || (x1 > right && x2 > right) || (y1 < top && y2 < top) ||
        (y1 > bottom && y2 > bottom))
      return;
    // Start onto left / right, then the end with the new dx; then the same in y.
    i128 d = x2 - x1;
    if (x1 < left) y1 += Div((left - x1) * (y2 - y1), d), x1 = left;
    if (x1 > right) y1 += Div((right - x1) * (y2 - y1), d), x1 = right;
    d = x2 - x1;
    if (x2 < left) y2 += Div((left - x2) * (y2 - y1), d), x2 = left;
    if (x2 > right) y2 += Div((right - x2) * (y2 - y1), d), x2 = right;
    y1 = Clamp(y1), y2 = Clamp(y2);
    d = y2 - y1;
    if (y1 < top) x1 += Div((top - y1) * (x2 - x1), d), y1 = top;
    if (y1 > bottom) x1 += Div((bottom - y1) * (x2 - x1), d), y1 = bottom;
    x1 = Clamp(x1);
    d = y2 - y1;
    if (y2 < top) x2 += Div((top - y2) * (x2 - x1), d), y2 = top;
    if (y2 > bottom) x2 += Div((bottom - y2) * (x2 - x1), d), y2 = bottom;
    x2 = Clamp(x2);
    const i128 dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) {
      Put(x1, y1);
      return;
    }
    const bool xmajor = (dy < 0 ? -dy : dy) <= (dx < 0 ? -dx : dx);
    i128 a1 = xmajor ? x1 : y1, b1 = xmajor ? y1 : x1;
    i128 a2 = xmajor ? x2 : y2, b2 = xmajor ? y2 : x2;
    if (a1 > a2) std::swap(a1, a2), std::swap(b1, b2);
    // Only the stretch of the major axis that can be on screen; k still counts from a1.
    const i128 lo = std::max<i128>(a1 + 1, 0), hi = std::min<i128>(a2 - 1, xmajor ? width : height);
    for (i128 a = lo; a <= hi; ++a) {
      const i128 b = b1 + (a - a1) * (b2 - b1) / (a2 - a1);
      if (xmajor) PutStyled(a, b, a - a1);
      else PutStyled(b, a, a - a1);
    }
  }
};

class RasterIdentityTest : public testing_support::ProgramTest {
 protected:
  std::mt19937_64 rng{20240611};
  Model model;

  i64 Uniform(i64 lo, i64 hi) { return std::uniform_int_distribution<i64>(lo, hi)(rng); }

  void Open(int width, int height) {
    OpenHeadless(width, height);
    graphics::EnablePixelOutput();
    model.width = width;
    model.height = height;
    // A background of many colours, so that XOR and overwrites both show.
    for (auto& p : graphics::Screen.pixels) p = static_cast<std::uint32_t>(rng()) & 0xFFFFFF;
    model.px = graphics::Screen.pixels;
  }
  void SetViewport(int l, int t, int r, int b) {
    graphics::SetViewport(l, t, r, b);
    model.left = l, model.top = t, model.right = r, model.bottom = b;
  }
  void SetMode(bool xor_mode, bool dotted) {
    graphics::SetXorMode(xor_mode ? 1 : 0);
    graphics::SetLineStyle(dotted ? 1 : 0, 0, 1);
    model.xor_mode = xor_mode;
    model.dotted = dotted;
  }
  void SetColour(int index) {
    graphics::SetDrawColor(index);
    model.colour = graphics::DrawColorRGB;
  }
  // Both draw the line (relative to the viewport origin).
  void Line(i64 x1, i64 y1, i64 x2, i64 y2) {
    graphics::DrawLine(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                       static_cast<int>(y2));
    model.Line(x1 + model.left, y1 + model.top, x2 + model.left, y2 + model.top);
  }
  // First differing pixel, or "" when the screens agree.
  std::string Difference() const {
    const auto& got = graphics::Screen.pixels;
    if (got == model.px) return "";
    const auto at = std::mismatch(got.begin(), got.end(), model.px.begin()).first - got.begin();
    std::ostringstream s;
    s << "pixel (" << at % model.width << ", " << at / model.width << ") is " << std::hex
      << got[static_cast<std::size_t>(at)] << ", expected " << model.px[static_cast<std::size_t>(at)];
    return s.str();
  }
  static std::string Describe(i64 x1, i64 y1, i64 x2, i64 y2, const Model& m) {
    std::ostringstream s;
    s << "line (" << x1 << ", " << y1 << ") - (" << x2 << ", " << y2 << ") in viewport " << m.left
      << ' ' << m.top << ' ' << m.right << ' ' << m.bottom << (m.xor_mode ? " xor" : "")
      << (m.dotted ? " dotted" : "");
    return s.str();
  }

  // `lines` random lines per mode from `pick`, checked after every line.
  template <class Pick>
  void CheckEachLine(int lines, Pick pick) {
    for (int mode = 0; mode < 4; ++mode) {
      SetMode(mode & 1, mode & 2);
      for (int i = 0; i < lines; ++i) {
        i64 x1, y1, x2, y2;
        pick(x1, y1, x2, y2);
        SetColour(static_cast<int>(Uniform(1, 527)));
        Line(x1, y1, x2, y2);
        const std::string diff = Difference();
        ASSERT_EQ(diff, "") << Describe(x1, y1, x2, y2, model);
      }
    }
  }
};

TEST_F(RasterIdentityTest, ShortAndClippedLinesInSmallViewports) {
  Open(72, 50);
  for (int round = 0; round < 100; ++round) {
    // Viewports inside, across the screen's edges, one pixel, empty and inverted.
    const int l = static_cast<int>(Uniform(-10, 60)), t = static_cast<int>(Uniform(-10, 40));
    const int r = l + static_cast<int>(Uniform(-3, 70)), b = t + static_cast<int>(Uniform(-3, 50));
    SetViewport(l, t, r, b);
    ASSERT_NO_FATAL_FAILURE(CheckEachLine(200, [&](i64& x1, i64& y1, i64& x2, i64& y2) {
      x1 = Uniform(-40, 110), y1 = Uniform(-40, 90);
      if (Uniform(0, 3) == 0) {  // short ones near the first end, any slope
        x2 = x1 + Uniform(-6, 6), y2 = y1 + Uniform(-6, 6);
      } else {
        x2 = Uniform(-40, 110), y2 = Uniform(-40, 90);
      }
    }));
  }
}

TEST_F(RasterIdentityTest, HugeAndFarCoordinates) {
  Open(64, 48);
  constexpr i64 kMin = INT32_MIN / 2, kMax = INT32_MAX / 2;  // plus the origin stays in 32 bits
  for (int round = 0; round < 50; ++round) {
    const int l = static_cast<int>(Uniform(-20, 50)), t = static_cast<int>(Uniform(-20, 40));
    SetViewport(l, t, l + static_cast<int>(Uniform(-2, 60)), t + static_cast<int>(Uniform(-2, 45)));
    ASSERT_NO_FATAL_FAILURE(CheckEachLine(200, [&](i64& x1, i64& y1, i64& x2, i64& y2) {
      switch (Uniform(0, 3)) {
        case 0:  // both ends anywhere
          x1 = Uniform(kMin, kMax), y1 = Uniform(kMin, kMax);
          x2 = Uniform(kMin, kMax), y2 = Uniform(kMin, kMax);
          break;
        case 1:  // one end on screen, the other far away
          x1 = Uniform(-5, 70), y1 = Uniform(-5, 50);
          x2 = Uniform(kMin, kMax), y2 = Uniform(kMin, kMax);
          break;
        case 2: {  // long and nearly straight, through the screen
          const i64 far = Uniform(1'000, kMax);
          x1 = -far, y1 = Uniform(-30, 80), x2 = far, y2 = Uniform(-30, 80);
          if (Uniform(0, 1)) std::swap(x1, y1), std::swap(x2, y2);
          break;
        }
        default:  // through the screen at a random steep or shallow slope
          x1 = Uniform(-1'000'000, 1'000'000), y1 = Uniform(-1'000'000, 1'000'000);
          x2 = 2 * Uniform(0, 60) - x1, y2 = 2 * Uniform(0, 45) - y1;
          break;
      }
    }));
  }
}

TEST_F(RasterIdentityTest, ViewportsFarLargerThanTheScreen) {
  // Clipping to such a viewport leaves lines of a billion pixels across the screen.
  Open(64, 48);
  constexpr i64 kFar = 1'000'000'000;
  for (int round = 0; round < 50; ++round) {
    const int l = static_cast<int>(-Uniform(0, kFar)), t = static_cast<int>(-Uniform(0, kFar));
    SetViewport(l, t, static_cast<int>(Uniform(30, kFar)), static_cast<int>(Uniform(20, kFar)));
    ASSERT_NO_FATAL_FAILURE(CheckEachLine(100, [&](i64& x1, i64& y1, i64& x2, i64& y2) {
      // Client coordinates through a point on screen, then relative to the origin.
      const i64 cx = Uniform(-2, 66), cy = Uniform(-2, 50);
      const i64 dx = Uniform(-kFar, kFar), dy = Uniform(-kFar, kFar);
      const i64 f1 = Uniform(0, 16), f2 = Uniform(0, 16);
      x1 = cx - dx * f1 / 16 - l, y1 = cy - dy * f1 / 16 - t;
      x2 = cx + dx * f2 / 16 - l, y2 = cy + dy * f2 / 16 - t;
    }));
  }
}

TEST_F(RasterIdentityTest, LongLinesAndPolylinesOnAFullScreen) {
  Open(1280, 720);
  SetViewport(0, 0, 1280, 700);
  for (int mode = 0; mode < 4; ++mode) {
    SetMode(mode & 1, mode & 2);
    // Polylines through the ordinary path, ends plotted by MoveTo and LineTo.
    for (int batch = 0; batch < 40; ++batch) {
      SetColour(static_cast<int>(Uniform(1, 15)));
      i64 x = Uniform(-50, 1330), y = Uniform(-50, 750);
      graphics::MoveToPoint(static_cast<int>(x), static_cast<int>(y));
      model.Put(x, y);
      for (int i = 0; i < 40; ++i) {
        const i64 len = Uniform(0, 3) == 0 ? 1000 : 40;
        const i64 nx = x + Uniform(-len, len), ny = y + Uniform(-len, len);
        graphics::LineToPoint(static_cast<int>(nx), static_cast<int>(ny));
        model.Line(x, y, nx, ny);
        model.Put(nx, ny);
        x = nx, y = ny;
      }
      ASSERT_EQ(Difference(), "") << "mode " << mode << ", polyline " << batch;
    }
  }
  // A viewport whose origin is not the screen's.
  SetViewport(300, 200, 1000, 650);
  for (int mode = 0; mode < 4; ++mode) {
    SetMode(mode & 1, mode & 2);
    for (int batch = 0; batch < 40; ++batch) {
      for (int i = 0; i < 25; ++i) {
        SetColour(static_cast<int>(Uniform(1, 15)));
        Line(Uniform(-400, 1100), Uniform(-300, 750), Uniform(-400, 1100), Uniform(-300, 750));
      }
      ASSERT_EQ(Difference(), "") << "mode " << mode << ", batch " << batch;
    }
  }
}

}  // namespace
