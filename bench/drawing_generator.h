// The drawing every benchmark reads: 1,000,000 new-variant records as 50-point random walks
// (steps up to 1 % of a 1000 x 700 box, pens 1..15, 2 decimals), laid out as the UGF writer
// lays out its records.
#pragma once
#include <string>

namespace bench {

inline constexpr long kBenchRecords = 1'000'000;
inline constexpr int kWalkPoints = 50;

// The whole file: label line, records, terminator, CR LF line ends.
std::string MakeBenchDrawing(long records = kBenchRecords, unsigned seed = 1);

// A temporary file holding MakeBenchDrawing(), written on the first call and removed at exit.
const std::string& BenchDrawingFile();

// A fresh temporary current directory for the life of the object, so outputs and the
// element store's scratch files stay out of the caller's; removed with its contents.
struct TempCwd {
  TempCwd();
  ~TempCwd();
  TempCwd(const TempCwd&) = delete;
  TempCwd& operator=(const TempCwd&) = delete;
  std::string old, dir;
};

}  // namespace bench
