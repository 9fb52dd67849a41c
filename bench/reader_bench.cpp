// Reader alone: every record of the shared benchmark drawing into a counter. Reports the
// bytes of the file read per second.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include "drawing/ugf_reader.h"
#include "drawing_generator.h"

namespace {

void ReaderAlone(benchmark::State& state) {
  const std::string& path = bench::BenchDrawingFile();
  struct stat st {};
  stat(path.c_str(), &st);
  long records = 0;
  for (auto _ : state) {
    drawing::UgfReader reader;
    reader.Open(path, "BENCH.UGF");
    drawing::UgfRecord r;
    long n = 0;
    while (reader.Next(r) && r.pen >= 0) ++n;
    benchmark::DoNotOptimize(n);
    records = n;
  }
  if (records != bench::kBenchRecords) state.SkipWithError("wrong record count");
  const double bytes = static_cast<double>(st.st_size) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(records) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(ReaderAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
