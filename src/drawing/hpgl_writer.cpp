#include "drawing/hpgl_writer.h"

#include <charconv>
#include <cmath>
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

// Millimetres per plotter step, held in extended precision like every step computation, so
// that a value lying next to a whole step truncates as it always has.
constexpr long double kPlotterUnit = 0.02488L;

// Plotter steps from the low edge of the extents, toward zero. Coordinates near the float
// limit at a large scale are far beyond any int: they saturate at ±2^30 as TruncInt does,
// but are tested in long double, before anything narrows them.
int PlotterSteps(float v, float low, float scale) {
  const long double steps = (static_cast<long double>(v) - low) / kPlotterUnit * scale;
  if (!(steps == steps)) return 0;
  if (steps >= platform::kIntLimit) return 1 << 30;
  if (steps <= -platform::kIntLimit) return -(1 << 30);
  // Truncated while still long double: narrowing first could round 4019.99999… up to 4020.
  return platform::TruncInt(static_cast<double>(std::trunc(steps)));
}

// Pens above 6 fold onto the plotter's: 7 and 8 stay, 9 and above cycle through 3..8.
std::int32_t PlotterPen(std::int32_t pen) {
  if (pen > 6) pen -= 6 * platform::TruncInt(pen / 6.0 - 0.5);
  return pen;
}

// Appends decimal digits of `v` to `p`.
char* Put(char* p, std::int64_t v) { return std::to_chars(p, p + 24, v).ptr; }

char* Put(char* p, std::string_view s) {
  for (const char c : s) *p++ = c;
  return p;
}

void WriteUntil(platform::OutputFile& out, const char* begin, const char* end) {
  out.Write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

}  // namespace

std::int64_t WritePlt(const std::string& source, const std::string& target_path, float scale,
                      const std::string& display) {
  const graphics::RepaintHold hold;  // a replay with its echo on the screen
  const std::string source_name = ShownName(source);
  UgfRecord r;

  // Pass 1: extents of every record before the terminator, pen-up records included.
  float min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  {
    RecordStream reader;
    reader.Open(source, source_name);
    if (reader.Next(r)) {
      RotatePoint(r.x, r.y);
      min_x = max_x = r.x;
      min_y = max_y = r.y;
      while (r.pen >= 0) {
        if (r.x < min_x) {
          min_x = r.x;
        } else if (r.x > max_x) {
          max_x = r.x;
        }
        if (r.y < min_y) {
          min_y = r.y;
        } else if (r.y > max_y) {
          max_y = r.y;
        }
        if (!reader.Next(r)) break;  // no terminator: the file's end ends the data
        RotatePoint(r.x, r.y);
      }
    }
  }

  dialogs::SetPenColour(graphics::colours::kWhite);
  platform::OutputFile out;
  out.Open(target_path, TargetName(target_path, display));

  char line[128];
  const int w = PlotterSteps(max_x, min_x, scale);
  const int h = PlotterSteps(max_y, min_y, scale);
  char* p = Put(line, "IN;IW0,0,");
  p = Put(p, w);
  p = Put(p, ",");
  p = Put(p, h);
  p = Put(p, ";IP0,0,");
  p = Put(p, w);
  p = Put(p, ",");
  p = Put(p, h);
  p = Put(p, ";SP1;\r\n");
  WriteUntil(out, line, p);
  std::int32_t last_pen = 0;

  // Pass 2: pen commands.
  {
    RecordStream reader;
    reader.Open(source, source_name);
    while (reader.Next(r) && r.pen >= 0) {
      RotatePoint(r.x, r.y);
      const std::int32_t pen = PlotterPen(r.pen);
      p = line;
      if (pen != last_pen && pen != 0) {
        p = Put(p, "SP");
        p = Put(p, pen);
        p = Put(p, ";\r\n");
      }
      if (pen != 0) last_pen = pen;
      const int x = PlotterSteps(r.x, min_x, scale);
      const int y = PlotterSteps(r.y, min_y, scale);
      if (pen > 0) dialogs::SetPenColour(pen);
      const bool starts = (pen > 0 && DrawingVariant == 0) || (pen == 0 && DrawingVariant == 1);
      if (starts) view::MoveToWorld(r.x, r.y, 0);
      p = Put(p, starts ? "PU " : "PD ");
      p = Put(p, x);
      p = Put(p, ",");
      p = Put(p, y);
      p = Put(p, ";\r\n");
      WriteUntil(out, line, p);
      if (!starts) view::LineToWorld(r.x, r.y, 0);
    }
  }

  out.Write("PU0,0;SP0;\r\n");
  const std::int64_t lines = out.Commit();
  dialogs::SetPenColour(graphics::colours::kWhite);
  return lines;
}

}  // namespace drawing
