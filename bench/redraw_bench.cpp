// The whole picture path on the shared benchmark drawing, headless at 1920 × 1080: a full
// redraw (read, transform, rasterise), the extents pass, and fit-all with its redraw.
//
// `redraw_bench --rss N [RUNS]` instead writes a drawing of N million records (streamed to a
// temporary file by a child process), opens it and redraws it RUNS times (default once),
// and prints the times, their medians and the peak resident set size: the drawing is never
// held in memory, so it must not grow with N.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "commands/command_keys.h"
#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "drawing_generator.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"
#include "view/redraw.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

void OpenProgram() {
  app::StartProgram();
  platform::ConfigureHeadless(kWidth, kHeight, {});
  graphics::SelectBackend(&platform::HeadlessBackend);
  graphics::InitGraphics();
}

long LitPixels() {
  long n = 0;
  for (const std::uint32_t p : graphics::Screen.pixels) n += p != 0;
  return n;
}

// The drawing as absolute path; opened (detect, fit, draw) on a fresh program state.
const std::string& OpenBenchDrawing() {
  static const std::string path = std::filesystem::absolute(bench::BenchDrawingFile()).string();
  OpenProgram();
  app::OpenDrawing(path);
  return path;
}

void SetRecordCounters(benchmark::State& state) {
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(bench::kBenchRecords) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_Redraw(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  for (auto _ : state) {
    view::Redraw();
    benchmark::DoNotOptimize(graphics::Screen.pixels.data());
  }
  // A redraw that stopped early (a key seen, output off) would look fast.
  state.counters["lit_pixels"] = static_cast<double>(LitPixels());
  SetRecordCounters(state);
}

void BM_Extents(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  float xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  for (auto _ : state) {
    drawing::ExtentsOfDrawing(xmin, ymin, xmax, ymax);
    benchmark::DoNotOptimize(xmax);
  }
  state.counters["width"] = xmax - xmin;
  state.counters["height"] = ymax - ymin;
  SetRecordCounters(state);
}

void BM_FitAllAndRedraw(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  for (auto _ : state) {
    view::FitAllAndRedraw();
    benchmark::DoNotOptimize(graphics::Screen.pixels.data());
  }
  state.counters["lit_pixels"] = static_cast<double>(LitPixels());
  SetRecordCounters(state);
}

// From a PgUp key (as the menu reader gets it) to the end of its redraw; PgUp and PgDn
// alternate so the zoom stays where it was.
void BM_PgUpToRedraw(benchmark::State& state) {
  bench::TempCwd cwd;
  OpenBenchDrawing();
  bool up = true;
  for (auto _ : state) {
    graphics::PushKey(0);
    graphics::PushKey(up ? 73 : 81);
    std::uint8_t key = 0;
    commands::ReadMenuKey(key);
    up = !up;
    benchmark::DoNotOptimize(graphics::Screen.pixels.data());
  }
  SetRecordCounters(state);
}

// Wall time: the drawing is read ahead in a second thread.
BENCHMARK(BM_Redraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PgUpToRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Extents)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FitAllAndRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// --- peak memory ------------------------------------------------------------------------

long MaxRssKiB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

// The benchmark drawing's records in chunks of fresh walks, so that neither the file nor
// more than one chunk is ever in memory.
bool StreamDrawing(const std::string& path, long records) {
  constexpr long kChunk = 100'000;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  auto put = [fd](std::string_view s) {
    while (!s.empty()) {
      const ssize_t n = write(fd, s.data(), s.size());
      if (n <= 0) return false;
      s.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  };
  static constexpr std::string_view kTerminator = " 0 0 -1\r\n";
  bool ok = true;
  for (long done = 0, i = 0; ok && done < records; done += kChunk, ++i) {
    const std::string text = bench::MakeBenchDrawing(std::min(kChunk, records - done),
                                                     static_cast<unsigned>(i + 1));
    std::string_view body = text;
    body.remove_suffix(kTerminator.size());  // the last chunk's is written below
    if (i > 0) body.remove_prefix(body.find('\n') + 1);  // one label line only
    ok = put(body);
  }
  ok = ok && put(kTerminator);
  return close(fd) == 0 && ok;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int RssMode(double millions, int runs) {
  const long records = static_cast<long>(millions * 1e6);
  if (records < 1 || runs < 1) {
    std::fprintf(stderr, "redraw_bench: --rss needs a positive number of millions and of runs\n");
    return 2;
  }
  bench::TempCwd cwd;
  const std::string path = cwd.dir + "/RSS.UGF";
  // A child writes the file, so the generator's memory never counts towards ours.
  const pid_t pid = fork();
  if (pid == 0) _exit(StreamDrawing(path, records) ? 0 : 1);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "redraw_bench: cannot write %s\n", path.c_str());
    return 1;
  }
  struct stat st {};
  stat(path.c_str(), &st);

  OpenProgram();
  const long rss_open = MaxRssKiB();
  auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
  std::vector<double> opens, redraws;
  for (int run = 0; run < runs; ++run) {
    const auto t0 = std::chrono::steady_clock::now();
    app::OpenDrawing(path);  // extents pass, fit, one redraw
    const auto t1 = std::chrono::steady_clock::now();
    view::Redraw();
    const auto t2 = std::chrono::steady_clock::now();
    opens.push_back(ms(t0, t1));
    redraws.push_back(ms(t1, t2));
    std::printf("run %d: open %.0f ms, redraw %.0f ms\n", run + 1, opens.back(), redraws.back());
  }
  const long rss_end = MaxRssKiB();
  unlink(path.c_str());

  std::printf("records            %ld\n", records);
  std::printf("file size          %.1f MB\n", static_cast<double>(st.st_size) / 1e6);
  std::printf("open (fit + draw)  %.0f ms (median of %d)\n", Median(opens), runs);
  std::printf("redraw             %.0f ms (median of %d)\n", Median(redraws), runs);
  std::printf("lit pixels         %ld\n", LitPixels());
  std::printf("peak RSS before the drawing  %ld KiB\n", rss_open);
  std::printf("peak RSS after redraw        %ld KiB\n", rss_end);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--rss") == 0) {
    if (argc != 3 && argc != 4) {
      std::fprintf(stderr, "usage: redraw_bench --rss MILLIONS [RUNS]\n");
      return 2;
    }
    return RssMode(std::atof(argv[2]), argc == 4 ? std::atoi(argv[3]) : 1);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
