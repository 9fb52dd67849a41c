// Any bytes as a drawing file. The run-time error report is a valid outcome; a crash, a hang
// or a sanitizer report is not. Each input is read in one large block and in small blocks,
// and the two reads must agree, so that block ends cannot change what a file says.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "drawing/ugf_reader.h"
#include "input_file.h"
#include "platform/errors.h"

namespace {

struct Result {
  std::vector<drawing::UgfRecord> records;
  int code = 0;
  long line = 0;
  std::string what;
};

Result ReadAll(drawing::UgfReader& reader) {
  Result r;
  try {
    reader.Open(fuzz::g_input_path, "FUZZ.UGF");
    drawing::UgfRecord rec;
    while (reader.Next(rec)) {
      r.records.push_back(rec);
      if (rec.pen < 0) break;
    }
  } catch (const platform::RunTimeFailure& f) {
    r.code = f.code();
    r.line = f.line();
    r.what = f.what();
  }
  reader.Close();
  return r;
}

bool Same(const Result& a, const Result& b) {
  if (a.code != b.code || a.line != b.line || a.what != b.what) return false;
  if (a.records.size() != b.records.size()) return false;
  for (std::size_t i = 0; i < a.records.size(); ++i) {
    const auto& p = a.records[i];
    const auto& q = b.records[i];
    if (std::memcmp(&p.x, &q.x, sizeof p.x) != 0 || std::memcmp(&p.y, &q.y, sizeof p.y) != 0 ||
        p.pen != q.pen) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteInput(data, size);

  // The large reader is kept across inputs (reopening reuses its buffer). The small blocks
  // put about a hundred block ends in every input, one byte apart for the smallest.
  static drawing::UgfReader large;
  drawing::UgfReader small(1 + size / 128);
  const Result a = ReadAll(large);
  const Result b = ReadAll(small);
  if (!Same(a, b)) std::abort();
  if (a.code != 0 && a.code != platform::kReadPastEnd && a.code != platform::kBadNumber) std::abort();
  return 0;
}
