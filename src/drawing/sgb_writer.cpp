#include "drawing/sgb_writer.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "dialogs/stroke_font.h"
#include "drawing/replay.h"
#include "drawing/record_stream.h"
#include "graphics/colours.h"
#include "graphics/window.h"
#include "platform/output_file.h"
#include "platform/rounding.h"
#include "view/view_state.h"

namespace drawing {

namespace {

constexpr int kSgbRunPoints = 300;

struct Run {
  std::array<float, kSgbRunPoints> x{};
  std::array<float, kSgbRunPoints> y{};
  int n = 0;
  std::int32_t pen = 0;  // also the pen of the leading empty record: none has been read yet
};

class SgbLines {
 public:
  explicit SgbLines(platform::OutputFile& out) : out_(out) {}

  void Integer(std::int64_t v) {
    char buf[32];
    char* p = std::to_chars(buf, buf + sizeof buf, v).ptr;
    *p++ = '\r';
    *p++ = '\n';
    Put(buf, p);
  }

  // Three decimals, right-aligned in 10 characters; wider values keep every digit.
  void Coordinate(float v) {
    char digits[64];
    char* end = std::to_chars(digits, digits + sizeof digits, static_cast<double>(platform::FiniteSingle(v)),
                              std::chars_format::fixed, 3)
                    .ptr;
    const char* begin = digits;
    // -0 (a rotated 0) and tiny negatives would read "-0.000".
    if (std::string_view(digits, static_cast<std::size_t>(end - digits)) == "-0.000") ++begin;
    char buf[80];
    const auto len = end - begin;
    char* p = buf;
    for (auto pad = 10 - len; pad > 0; --pad) *p++ = ' ';
    for (const char* q = begin; q != end; ++q) *p++ = *q;
    *p++ = '\r';
    *p++ = '\n';
    Put(buf, p);
  }

  void Raw(std::string_view s) { out_.Write(s); }

 private:
  void Put(const char* begin, const char* end) {
    out_.Write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
  }
  platform::OutputFile& out_;
};

// Type 1 a point, 2 a segment, 4 a polyline with its count (also an empty one).
void WriteRun(SgbLines& lines, const Run& run) {
  const int type = run.n == 1 ? 1 : run.n == 2 ? 2 : 4;
  lines.Integer(type);
  lines.Integer(1);
  lines.Integer(1);
  lines.Integer(run.pen);
  if (type == 4) lines.Integer(run.n);
  for (int i = 0; i < run.n; ++i) {
    lines.Coordinate(run.x[static_cast<std::size_t>(i)]);
    lines.Coordinate(run.y[static_cast<std::size_t>(i)]);
  }
}

}  // namespace

std::int64_t WriteSgb(const std::string& source, const std::string& target_path, const std::string& display) {
  const graphics::RepaintHold hold;  // a replay with its echo on the screen
  dialogs::SetPenColour(graphics::colours::kWhite);
  platform::OutputFile out;
  out.Open(target_path, TargetName(target_path, display));
  SgbLines lines(out);
  RecordStream reader;
  reader.Open(source, ShownName(source));

  Run run;
  UgfRecord r;
  while (reader.Next(r) && r.pen >= 0) {
    RotatePoint(r.x, r.y);
    if (r.pen > 0) dialogs::SetPenColour(r.pen);
    if ((r.pen > 0 && DrawingVariant == 0) || (r.pen == 0 && DrawingVariant == 1)) {
      view::MoveToWorld(r.x, r.y, 0);
      WriteRun(lines, run);
      run.n = 0;
    } else {
      view::LineToWorld(r.x, r.y, 0);
      if (run.n == kSgbRunPoints) {
        // A full buffer goes out; the next record starts at its last point, so the line
        // continues unbroken.
        WriteRun(lines, run);
        run.x[0] = run.x[kSgbRunPoints - 1];
        run.y[0] = run.y[kSgbRunPoints - 1];
        run.n = 1;
      }
    }
    run.x[static_cast<std::size_t>(run.n)] = r.x;
    run.y[static_cast<std::size_t>(run.n)] = r.y;
    ++run.n;
    if (r.pen > 0) run.pen = r.pen;
  }
  reader.Close();
  WriteRun(lines, run);
  lines.Raw(" -1\r\n");
  const std::int64_t written = out.Commit();
  dialogs::SetPenColour(graphics::colours::kWhite);
  return written;
}

}  // namespace drawing
