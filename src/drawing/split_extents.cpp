#include "drawing/split_extents.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "drawing/element_store.h"
#include "drawing/record_stream.h"
#include "drawing/ugf_reader.h"
#include "graphics/driver.h"
#include "platform/files.h"
#include "platform/system.h"
#include "view/view_state.h"

namespace drawing {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// What one half gives. Lines are counted in points: `lead` before the half's first record
// that starts a line, `longest` of the lines that start and end inside it, `run` since its
// last start.
struct Half {
  std::int64_t begin = 0, end = -1;
  bool ok = false;
  bool first_starts = false;
  bool seen_start = false;
  long lead = 0, longest = 0, run = 0;
  // The box, each side on its own: the first half's from its first point, as the one pass
  // starts it (view::ExtendBox's "else" changes nothing while u1 <= u2), the second's from
  // nothing. A side moves only on a strictly smaller or larger value, as in the one pass.
  float u1 = kInf, v1 = kInf, u2 = -kInf, v2 = -kInf;
  std::int32_t last_pen = -1;
  long records = 0;
  std::exception_ptr window_error;
};

void ReadHalf(const std::string& file, const std::string& shown, const view::Matrix3& p, float z,
              bool rotate, bool new_variant, bool first, const std::atomic<bool>& stop, Half& h) {
  try {
    UgfReader reader;
    reader.TellNoProgress();
    reader.OpenRange(file, shown, h.begin, h.end);
    constexpr std::size_t kBlock = RecordStream::kBlockRecords;
    const auto records = std::make_unique_for_overwrite<UgfRecord[]>(kBlock);
    bool any = false;
    bool ended = false;  // a negative pen: the data ends inside this half
    std::size_t n = 0;
    while (!ended && !stop.load(std::memory_order_relaxed) && (n = reader.Read(records.get(), kBlock)) > 0) {
      // The program's thread keeps the window answering, as the one pass does (a key waits);
      // what that throws is the window's, not the drawing's, and goes on after the join.
      if (first) {
        try {
          graphics::KeyAvailable();
        } catch (...) {
          h.window_error = std::current_exception();
          return;
        }
      }
      for (std::size_t i = 0; i < n; ++i) {
        const UgfRecord& r = records[i];
        if (r.pen < 0) {
          ended = true;
          break;
        }
        const float x = rotate ? -r.y : r.x;
        const float y = rotate ? r.x : r.y;
        const bool starts = new_variant ? r.pen > 0 : r.pen == 0;
        if (starts) {
          if (h.seen_start) h.longest = std::max(h.longest, h.run);
          else h.lead = h.run;
          h.seen_start = true;
          h.run = 0;
        }
        ++h.run;
        if (r.pen > 0) h.last_pen = r.pen;
        float u = 0, v = 0;
        view::ProjectToView(p, x, y, z, u, v);
        if (!any) {
          any = true;
          h.first_starts = starts;
          if (first) {  // the box starts at the first point
            h.u1 = h.u2 = u;
            h.v1 = h.v2 = v;
          }
        }
        if (u < h.u1) h.u1 = u;
        if (u > h.u2) h.u2 = u;
        if (v < h.v1) h.v1 = v;
        if (v > h.v2) h.v2 = v;
      }
    }
    if (stop.load()) return;
    h.records = reader.records();
    // The first half must end where the second begins, between two records; the second may
    // end any way the data ends, but a negative pen must be its last record.
    h.ok = first ? !ended && reader.EndedAtRangeEnd() && h.first_starts : true;
  } catch (...) {
    h.ok = false;  // the one pass gives the report
  }
}

// Where the second half begins: after the first line end from the middle of the file on.
std::int64_t SplitPoint(const std::string& file, std::int64_t& size) {
  platform::SysFile f;
  int err = platform::OpenForReading(file, f, true);
  if (err == ENOENT) err = platform::OpenForReading(platform::FindExisting(file), f, true);  // as the reader finds it
  if (err != 0 || !platform::IsPlainFile(f)) return -1;
  size = platform::FileSize(f);
  if (size < kSplitBytes) return -1;
  std::vector<char> buf(std::size_t{1} << 16);
  const std::int64_t mid = size / 2;
  const long long n = platform::ReadAt(f, buf.data(), buf.size(), mid, err);
  if (n <= 0) return -1;
  const void* nl = std::memchr(buf.data(), '\n', static_cast<std::size_t>(n));
  if (nl == nullptr) return -1;
  return mid + (static_cast<const char*>(nl) - buf.data()) + 1;
}

}  // namespace

bool ExtentsInHalves(const std::string& file, const std::string& shown, float z, bool rotate,
                     bool new_variant, SplitExtents& box) {
  if (!ReadAheadAllowed()) return false;
  std::int64_t size = 0;
  const std::int64_t split = SplitPoint(file, size);
  if (split <= 0 || split >= size) return false;
  Half a, b;
  a.end = split;
  b.begin = split;
  std::atomic<bool> stop{false};
  // Copied before the second thread starts: the program's thread keeps the window answering.
  const view::Matrix3 projection = view::Projection;
  std::thread second;
  try {
    second = std::thread([&] { ReadHalf(file, shown, projection, z, rotate, new_variant, false, stop, b); });
  } catch (const std::system_error&) {
    return false;
  }
  CountReadingThread(1);
  ReadHalf(file, shown, projection, z, rotate, new_variant, true, stop, a);
  if (!a.ok) stop = true;  // no need of the second half
  second.join();
  CountReadingThread(-1);
  if (a.window_error) std::rethrow_exception(a.window_error);
  if (!a.ok || !b.ok) return false;
  // A line longer than the memory points goes through the scratch file in the one pass.
  const long across = a.run + (b.seen_start ? b.lead : b.run);
  if (std::max({a.longest, across, b.longest, b.seen_start ? b.run : 0L}) > kMemoryPoints) return false;
  box.u1 = b.u1 < a.u1 ? b.u1 : a.u1;
  box.v1 = b.v1 < a.v1 ? b.v1 : a.v1;
  box.u2 = b.u2 > a.u2 ? b.u2 : a.u2;
  box.v2 = b.v2 > a.v2 ? b.v2 : a.v2;
  box.last_pen = b.last_pen > 0 ? b.last_pen : a.last_pen;
  box.records = a.records + b.records;
  return true;
}

}  // namespace drawing
