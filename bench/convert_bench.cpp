// HP-GL and SGB conversion of the shared benchmark drawing, as a batch run does it: headless
// at 1024 × 768, the drawing opened and fitted, the screen echo on. Beside them hp2xx reads
// the .PLT that ugfview wrote into a 75 dpi PNG; "hp2xx_over_ugfview" is hp2xx's time over
// that of the HP-GL conversion (at least 1 is the goal).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/program.h"
#include "drawing/element_store.h"
#include "drawing/hpgl_writer.h"
#include "drawing/replay.h"
#include "drawing/sgb_writer.h"
#include "drawing_generator.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"

namespace {

void OpenBenchDrawing() {
  static const std::string path = std::filesystem::absolute(bench::BenchDrawingFile()).string();
  app::StartProgram();
  platform::ConfigureHeadless(1024, 768, {});
  graphics::SelectBackend(&platform::HeadlessBackend);
  graphics::InitGraphics();
  app::OpenDrawing(path);
}

double FileBytes(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0;
}

void SetCounters(benchmark::State& state, double output_bytes) {
  const auto n = static_cast<double>(state.iterations());
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(bench::kBenchRecords) * n,
                                                   benchmark::Counter::kIsRate);
  state.counters["out_MB/s"] =
      benchmark::Counter(output_bytes * n / 1e6, benchmark::Counter::kIsRate);
  state.counters["out_MB"] = output_bytes / 1e6;
}

void BM_WritePlt(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  for (auto _ : state) drawing::WritePlt(drawing::SourceFile, "BENCH.PLT", 1);
  SetCounters(state, FileBytes("BENCH.PLT"));
}

void BM_WriteSgb(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  for (auto _ : state) drawing::WriteSgb(drawing::SourceFile, "BENCH.SGB");
  SetCounters(state, FileBytes("BENCH.SGB"));
}

void BM_Hp2xxReadsPlt(benchmark::State& state) {
  if (std::system("command -v hp2xx >/dev/null") != 0) {
    state.SkipWithError("hp2xx not installed (tools/deps.sh)");
    return;
  }
  bench::TempCwd cwd;
  OpenBenchDrawing();
  // The conversion itself, best of three, for the ratio.
  double convert = 1e30;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    drawing::WritePlt(drawing::SourceFile, "BENCH.PLT", 1);
    convert = std::min(
        convert, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  double read = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const int status =
        std::system("hp2xx -m png -d 75 -f BENCH.png BENCH.PLT </dev/null >/dev/null 2>&1");
    read += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("hp2xx failed");
      return;
    }
  }
  const auto n = static_cast<double>(state.iterations());
  const double bytes = FileBytes("BENCH.PLT");
  state.counters["in_MB/s"] = benchmark::Counter(bytes * n / 1e6, benchmark::Counter::kIsRate);
  state.counters["png_bytes"] = FileBytes("BENCH.png");
  state.counters["ugfview_plt_ms"] = convert * 1e3;
  state.counters["hp2xx_over_ugfview"] = read / n / convert;
}

BENCHMARK(BM_WritePlt)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteSgb)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// hp2xx runs in a child process: wall time.
BENCHMARK(BM_Hp2xxReadsPlt)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
