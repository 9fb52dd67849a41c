// Any bytes as a drawing file, read by the plain reader and by the fast one: in one large
// block, in small blocks, many records at a time, and ahead in a second thread. Every read
// must give the same records (bit for bit) and the same error (code, line, message).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "drawing/record_stream.h"
#include "drawing/ugf_reader.h"
#include "drawing/ugf_reader_reference.h"
#include "input_file.h"
#include "platform/errors.h"

namespace {

struct Result {
  std::vector<drawing::UgfRecord> records;
  int code = 0;
  long line = 0;
  std::string what;

  bool operator==(const Result& o) const {
    return records.size() == o.records.size() &&
           std::equal(records.begin(), records.end(), o.records.begin(),
                      [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; }) &&
           code == o.code && line == o.line && what == o.what;
  }
};

// `batch` 0: one record at a time through Next.
template <class Reader>
Result ReadAll(Reader& reader, std::size_t batch = 0) {
  Result r;
  try {
    reader.Open(fuzz::g_input_path, "FUZZ.UGF");
    std::vector<drawing::UgfRecord> got(std::max<std::size_t>(batch, 1));
    for (;;) {
      std::size_t n = 0;
      if constexpr (requires { reader.Read(got.data(), batch); }) {
        if (batch > 0) n = reader.Read(got.data(), batch);
      }
      if (batch == 0) n = reader.Next(got[0]) ? 1 : 0;
      r.records.insert(r.records.end(), got.begin(), got.begin() + static_cast<long>(n));
      if (n == 0 || r.records.back().pen < 0) break;
    }
  } catch (const platform::RunTimeFailure& f) {
    r.code = f.code();
    r.line = f.line();
    r.what = f.what();
  }
  reader.Close();
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteInput(data, size);
  // Kept across inputs, as reopening reuses their buffers; a thread per input all the same.
  static drawing::ReferenceUgfReader reference;
  static drawing::UgfReader fast;
  static drawing::RecordStream ahead;
  drawing::UgfReader small(1 + size / 64);
  const Result want = ReadAll(reference);
  if (!(ReadAll(fast) == want)) std::abort();
  if (!(ReadAll(small) == want)) std::abort();
  if (!(ReadAll(fast, 1 + size % 4096) == want)) std::abort();
  if (!(ReadAll(ahead) == want)) std::abort();
  if (drawing::ReadAheadThreads() != 0) std::abort();
  return 0;
}
