// Reader alone: every record of the shared benchmark drawing into a counter. Reports the
// bytes of the file read per second, beside its anchors in the same run: a plain read()
// loop over the file (the page cache) and the plain reader the fast one replaced.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "drawing/record_stream.h"
#include "drawing/ugf_reader.h"
#include "drawing/ugf_reader_reference.h"
#include "drawing_generator.h"

namespace {

void SetCounters(benchmark::State& state, long records) {
  struct stat st {};
  stat(bench::BenchDrawingFile().c_str(), &st);
  if (records != bench::kBenchRecords) state.SkipWithError("wrong record count");
  const double bytes = static_cast<double>(st.st_size) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(records) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

// One record at a time, as the replay takes them.
template <class Reader>
void ReadRecords(benchmark::State& state) {
  const std::string& path = bench::BenchDrawingFile();
  long records = 0;
  for (auto _ : state) {
    Reader reader;
    reader.Open(path, "BENCH.UGF");
    drawing::UgfRecord r;
    long n = 0;
    while (reader.Next(r) && r.pen >= 0) ++n;
    benchmark::DoNotOptimize(n);
    records = n;
  }
  SetCounters(state, records);
}

// The fast reader (records one by one), the plain one, and the fast one ahead in a second
// thread (wall time: the replay's thread only takes the records).
void ReaderAlone(benchmark::State& state) { ReadRecords<drawing::UgfReader>(state); }
void PlainReader(benchmark::State& state) { ReadRecords<drawing::ReferenceUgfReader>(state); }
void ReadAhead(benchmark::State& state) { ReadRecords<drawing::RecordStream>(state); }

// Blocks of records, as the reading thread takes them.
void ReaderBlocks(benchmark::State& state) {
  const std::string& path = bench::BenchDrawingFile();
  std::vector<drawing::UgfRecord> block(drawing::RecordStream::kBlockRecords);
  long records = 0;
  for (auto _ : state) {
    drawing::UgfReader reader;
    reader.Open(path, "BENCH.UGF");
    long n = 0;
    while (const std::size_t k = reader.Read(block.data(), block.size())) {
      n += static_cast<long>(k);
      if (block[k - 1].pen < 0) --n;
    }
    benchmark::DoNotOptimize(n);
    records = n;
  }
  SetCounters(state, records);
}

// The file through read() in 1 MiB blocks, nothing parsed.
void ReadLoop(benchmark::State& state) {
  const std::string& path = bench::BenchDrawingFile();
  const auto buf = std::make_unique<char[]>(std::size_t{1} << 20);
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY);
    long long total = 0;
    for (ssize_t n; (n = read(fd, buf.get(), std::size_t{1} << 20)) > 0;) total += n;
    close(fd);
    benchmark::DoNotOptimize(total);
  }
  SetCounters(state, bench::kBenchRecords);
}

BENCHMARK(ReadLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainReader)->Unit(benchmark::kMillisecond);
BENCHMARK(ReaderAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(ReaderBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAhead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
