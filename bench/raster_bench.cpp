// The software rasteriser: 1,000,000 random lines of 1..200 pixels in a 1920 × 1080
// framebuffer, solid and XOR, and a textbook Bresenham over the same lines as the machine's
// reference. Reports plotted pixels per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "app/program.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"

namespace {

struct Line {
  int x1, y1, x2, y2;
  long pixels;
};

const std::vector<Line>& Lines() {
  static const std::vector<Line> lines = [] {
    std::vector<Line> v;
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> px(0, 1919), py(0, 1079), len(1, 200);
    std::uniform_real_distribution<double> ang(0, 2 * M_PI);
    while (v.size() < 1'000'000) {
      const int x1 = px(rng), y1 = py(rng), n = len(rng);
      const double a = ang(rng);
      const int x2 = x1 + static_cast<int>(std::lround(n * std::cos(a)));
      const int y2 = y1 + static_cast<int>(std::lround(n * std::sin(a)));
      if (x2 < 0 || x2 > 1919 || y2 < 0 || y2 > 1079) continue;
      const long interior = std::max(std::abs(x2 - x1), std::abs(y2 - y1)) - 1;
      v.push_back({x1, y1, x2, y2, std::max(interior, 0L) + 1});  // + the end LineTo plots
    }
    return v;
  }();
  return lines;
}

void Open() {
  app::StartProgram();
  platform::ConfigureHeadless(1920, 1080, {});
  graphics::SelectBackend(&platform::HeadlessBackend);
  graphics::InitGraphics();
  graphics::EnablePixelOutput();
  graphics::SetDrawColor(14);
}

void Run(benchmark::State& state, bool xor_mode) {
  Open();
  graphics::SetXorMode(xor_mode ? 1 : 0);
  const auto& lines = Lines();
  long pixels = 0;
  for (auto _ : state) {
    for (const Line& l : lines) {
      graphics::MoveToPoint(l.x1, l.y1);
      graphics::LineToPoint(l.x2, l.y2);
      pixels += l.pixels + 1;
    }
    benchmark::DoNotOptimize(graphics::Screen.pixels.data());
  }
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * lines.size(),
                                                 benchmark::Counter::kIsRate);
}

void BM_LinesSolid(benchmark::State& state) { Run(state, false); }
void BM_LinesXor(benchmark::State& state) { Run(state, true); }
BENCHMARK(BM_LinesSolid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesXor)->Unit(benchmark::kMillisecond);

// Reference for this machine: the same lines, ends included, with a textbook Bresenham
// straight into a buffer (no viewport, no clipping, no line style).
void BM_PlainBresenham(benchmark::State& state) {
  constexpr int kW = 1920, kH = 1080;
  std::vector<std::uint32_t> fb(static_cast<std::size_t>(kW) * kH, 0);
  const auto& lines = Lines();
  const std::uint32_t c = 0xFFFF00;
  long pixels = 0;
  for (auto _ : state) {
    for (const Line& l : lines) {
      int x = l.x1, y = l.y1;
      const int dx = std::abs(l.x2 - x), sx = x < l.x2 ? 1 : -1;
      const int dy = -std::abs(l.y2 - y), sy = y < l.y2 ? 1 : -1;
      int err = dx + dy;
      for (;;) {
        fb[static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)] = c;
        if (x == l.x2 && y == l.y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
          err += dy;
          x += sx;
        }
        if (e2 <= dx) {
          err += dx;
          y += sy;
        }
      }
      pixels += l.pixels + 1;
    }
    benchmark::DoNotOptimize(fb.data());
    benchmark::ClobberMemory();
  }
  state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * lines.size(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainBresenham)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
