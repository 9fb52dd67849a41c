// PNG encoding of the busy frame: the shared benchmark drawing opened headless at
// 1920 × 1080 (text rows, panel and drawing as a screenshot shows them), then written as a
// PNG file by the program's encoder (RGB as a screenshot writes it, and the smallest form, indexed,
// as --png writes it) and, beside it, by the libpng writer it replaced.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "drawing_generator.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"
#include "platform/png.h"

namespace {

// The writer before: libpng with its default settings, 8-bit RGB, row by row.
bool OldWritePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<png_byte>(src[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fflush(f.get()) == 0;
}

// The frame, rendered once for all benchmarks.
const graphics::Framebuffer& BusyFrame() {
  static const graphics::Framebuffer frame = [] {
    const std::string path = std::filesystem::absolute(bench::BenchDrawingFile()).string();
    bench::TempCwd cwd;
    app::StartProgram();
    platform::ConfigureHeadless(1920, 1080, {});
    graphics::SelectBackend(&platform::HeadlessBackend);
    graphics::InitGraphics();
    app::OpenDrawing(path);
    return graphics::Screen;
  }();
  return frame;
}

bool WriteRgb(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  return platform::WritePng(path, pixels, width, height, platform::PngForm::kRgb);
}
bool WriteSmallest(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  return platform::WritePng(path, pixels, width, height, platform::PngForm::kSmallest);
}

template <bool (*Write)(const std::string&, const std::uint32_t*, int, int)>
void EncodeFrame(benchmark::State& state) {
  const graphics::Framebuffer& f = BusyFrame();
  bench::TempCwd cwd;
  const std::string out = cwd.dir + "/frame.png";
  for (auto _ : state) {
    if (!Write(out, f.pixels.data(), f.width, f.height)) state.SkipWithError("write failed");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}

void BM_EncodeFrameRgb(benchmark::State& state) { EncodeFrame<WriteRgb>(state); }
void BM_EncodeFrameIndexed(benchmark::State& state) { EncodeFrame<WriteSmallest>(state); }
void BM_EncodeFrameLibpng(benchmark::State& state) { EncodeFrame<OldWritePng>(state); }

BENCHMARK(BM_EncodeFrameRgb)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncodeFrameIndexed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncodeFrameLibpng)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
