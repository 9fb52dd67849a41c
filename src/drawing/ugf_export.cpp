#include "drawing/ugf_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "graphics/colours.h"
#include "platform/errors.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "textentry/colour_choice.h"
#include "view/view_state.h"

namespace drawing {

constinit UgfExportState UgfExportVars;

namespace {

struct Run {
  std::array<float, kRunPoints> x{};
  std::array<float, kRunPoints> y{};
  int count = 0;
};

// ProjectedRun: the contour's points on the view plane (one chunk of a longer contour).
// OutputRun: the polyline being assembled (a dash, or the whole contour). OffsetRun: a
// parallel copy of OutputRun.
struct Runs {
  Run ProjectedRun;
  Run OutputRun;
  Run OffsetRun;
};
constinit Runs g_runs;
constexpr Run& ProjectedRun = g_runs.ProjectedRun;
constexpr Run& OutputRun = g_runs.OutputRun;
constexpr Run& OffsetRun = g_runs.OffsetRun;

// Dash pattern: a dash, then a gap, in view-plane units; the count is kept as the single it is.
constexpr float kPatternCount = 2.0f;
constexpr std::array<float, 3> kPattern = {0.0f, 4.0f, 2.0f};  // [1] dash, [2] gap

// The walk along one contour; it carries over from one chunk of ProjectedRun to the next.
struct Walk {
  std::int32_t pen = 0;
  double cur_x = 0, cur_y = 0;  // the point the next cut moves from
  double acc = 0;               // length up to cur
  double total = 0;             // length up to the end of the segment in hand
  double boundary = 0;          // length at which the next cut falls
  int j = 1;                    // pattern entry that ends at boundary
  bool drawing = true;
  bool flag = false;  // a dash started at a cut and nothing has happened since
  std::int64_t cuts = 0;
};
constinit Walk W;

void SetRun(Run& r, double x, double y) {
  r.x[0] = static_cast<float>(x);
  r.y[0] = static_cast<float>(y);
  r.count = 1;
}

void EmitRun(const Run& r, std::int32_t pen) {
  if (r.count <= 0) return;
  PointProc(r.x[0], r.y[0], pen);
  for (int i = 1; i < r.count; ++i) PointProc(r.x[i], r.y[i], 0);
}

std::int32_t PassesOf(std::int32_t pen) {
  if (pen < 0 || pen > 15) return 0;
  return std::min(PenPasses[static_cast<std::size_t>(pen)], kMaxPenPasses);
}

void FlushRun(std::int32_t pen) {
  if (!W.drawing) return;
  EmitRun(OutputRun, pen);
  if (OutputRun.count <= 0) return;
  const std::span<const float> x(OutputRun.x.data(), static_cast<std::size_t>(OutputRun.count));
  const std::span<const float> y(OutputRun.y.data(), static_cast<std::size_t>(OutputRun.count));
  float offset = 0.0f;
  for (std::int32_t pass = 1; pass <= PassesOf(pen); ++pass) {
    offset = offset + PassOffset;
    float d = offset;
    for (int side = 0; side < 2; ++side) {
      OffsetPolyline(x, y, d, OffsetRun.count, OffsetRun.x, OffsetRun.y);
      EmitRun(OffsetRun, pen);
      d = -d;
    }
  }
}

// A full run is written and the next one starts at its last point, so the line goes on
// unbroken.
void Append(double x, double y) {
  if (OutputRun.count >= kRunPoints) {
    FlushRun(W.pen);
    OutputRun.x[0] = OutputRun.x[kRunPoints - 1];
    OutputRun.y[0] = OutputRun.y[kRunPoints - 1];
    OutputRun.count = 1;
  }
  OutputRun.x[OutputRun.count] = static_cast<float>(x);
  OutputRun.y[OutputRun.count] = static_cast<float>(y);
  ++OutputRun.count;
}

void BeginContourOut(std::int32_t pen) {
  dialogs::SetPenColour(pen);
  W = Walk{};
  W.pen = pen;
  W.cur_x = ProjectedRun.x[0];
  W.cur_y = ProjectedRun.y[0];
  // The line starts in the middle of a dash.
  W.boundary = static_cast<double>(kPattern[1]) / static_cast<double>(kPatternCount);
  SetRun(OutputRun, W.cur_x, W.cur_y);
}

void Cut(double cos, double sin) {
  W.flag = false;
  const double step = W.boundary - W.acc;
  W.cur_x += step * cos;
  W.cur_y += step * sin;
  W.acc = W.boundary;
  if (W.drawing) {
    Append(W.cur_x, W.cur_y);
    FlushRun(W.pen);
  } else {
    SetRun(OutputRun, W.cur_x, W.cur_y);
    W.flag = true;
  }
  W.drawing = !W.drawing;
  W.j = W.j % platform::TruncInt(kPatternCount) + 1;
  W.boundary += kPattern[static_cast<std::size_t>(W.j)];
  ++W.cuts;
}

// The segments of ProjectedRun, point 0 being where the walk stands.
void WalkSegments() {
  for (int i = 1; i < ProjectedRun.count; ++i) {
    const double x = ProjectedRun.x[i], y = ProjectedRun.y[i];
    if (W.pen > 7) {
      Append(x, y);
      continue;
    }
    if (std::max({std::fabs(x), std::fabs(y), std::fabs(W.cur_x), std::fabs(W.cur_y)}) >= kDashLimit) {
      // Solid, and the pattern starts afresh with a whole dash after it.
      if (!W.drawing) SetRun(OutputRun, W.cur_x, W.cur_y);
      Append(x, y);
      W.drawing = true;
      W.flag = false;
      W.cur_x = x;
      W.cur_y = y;
      W.acc = W.total = 0;
      W.j = 1;
      W.boundary = kPattern[1];
      continue;
    }
    double a = 0, b = 0, h = 0, len = 0;
    LineThrough(ProjectedRun.x[i - 1], ProjectedRun.y[i - 1], x, y, a, b, h, len);
    W.total += len;
    // The first test of a segment is strict, those after a cut are not.
    if (W.boundary >= W.total || W.cuts >= kMaxDashCuts) {
      W.flag = false;
    } else {
      do {
        Cut(b, a);
      } while (W.total >= W.boundary && W.cuts < kMaxDashCuts);
    }
    W.cur_x = x;
    W.cur_y = y;
    W.acc = W.total;
    if (W.drawing) Append(x, y);
  }
}

void EndContourOut() {
  // A dash begun by a cut in the last segment ends with its point twice.
  if (W.drawing && W.flag) Append(W.cur_x, W.cur_y);
  FlushRun(W.pen);
}

void ContourOut(std::int32_t pen) {
  BeginContourOut(pen);
  WalkSegments();
  EndContourOut();
}

void Project(std::int64_t i, float& u, float& v) {
  float x = 0, y = 0, z = 0;
  GetPoint(static_cast<std::int32_t>(i), x, y, z);
  view::ProjectToView(x, y, z, u, v);
}

void PolylineContour(std::int32_t first, std::int32_t last, std::int32_t pen) {
  ProjectedRun.count = 0;
  bool started = false;
  for (std::int64_t i = first; i <= last; ++i) {
    if (ProjectedRun.count == kRunPoints) {
      // A contour longer than the run goes on from the run's last point.
      if (!started) BeginContourOut(pen);
      started = true;
      WalkSegments();
      ProjectedRun.x[0] = ProjectedRun.x[kRunPoints - 1];
      ProjectedRun.y[0] = ProjectedRun.y[kRunPoints - 1];
      ProjectedRun.count = 1;
    }
    const auto n = static_cast<std::size_t>(ProjectedRun.count);
    Project(i, ProjectedRun.x[n], ProjectedRun.y[n]);
    ++ProjectedRun.count;
  }
  if (started) {
    WalkSegments();
    EndContourOut();
  } else if (ProjectedRun.count > 1) {
    ContourOut(pen);
  } else if (ProjectedRun.count == 1) {
    PointDiamond(ProjectedRun.x[0], ProjectedRun.y[0], pen);
  }
}

std::int64_t WriteExport(const std::string& target_path, const std::string& display_name) {
  platform::OutputFile file;
  struct Restore {
    ~Restore() {
      OutputMode = 0;
      UgfOutFile = nullptr;
    }
  } restore;
  OutputMode = 2;
  file.Open(target_path, display_name);
  UgfOutFile = &file;
  file.Write(" X   Y   PenNo (0-continue,-1-stop)\r\n");
  DrawProc();
  file.Write(" 0 0 -1\r\n");
  return file.Commit();
}

}  // namespace

void UgfExportStartUp() {
  UgfExportVars = {};
  g_runs = {};
  W = {};
  // Binds the replay's element output.
  ElementOutputProc = ElementToOutput;
}

void ThicknessDialog(std::int32_t& code) {
  std::int32_t colour = graphics::colours::kWhite;
  textentry::ChooseColour(platform::Cp866("Толщина"), 1, colour, PenPasses);
  int result = 0;
  float offset = PassOffset;
  dialogs::EditReal(platform::Cp866("Смещение на один проход для толстых линий"), offset, result);
  // At 0 the copies of a thick line fall on the line itself.
  if (result == 1 &&
      !dialogs::RefuseUnlessPositive(offset, std::numeric_limits<float>::infinity(),
                                     platform::Cp866(" Смещение 0 и меньше не принято;Offset of 0 or below refused")))
    PassOffset = offset;
  code = result;
  MarkerSize = 1.0f;
  CurrentPen = graphics::colours::kWhite;
}

ExportResult ExportUgf(const std::string& target_path, const std::string& display_name, std::int64_t* lines) {
  if (platform::SameFile(target_path, SourceFile)) return ExportResult::kSameFile;
  std::int32_t code = 0;
  ThicknessDialog(code);
  if (code < 0) return ExportResult::kCancelled;
  const std::int64_t written = WriteExport(target_path, display_name);
  if (lines != nullptr) *lines = written;
  return ExportResult::kWritten;
}

ExportResult ExportUgfBatch(const std::string& target_path, const std::string& display_name,
                            std::int64_t* lines) {
  if (platform::SameFile(target_path, SourceFile)) return ExportResult::kSameFile;
  MarkerSize = 1.0f;
  CurrentPen = graphics::colours::kWhite;
  const std::int64_t written = WriteExport(target_path, display_name);
  if (lines != nullptr) *lines = written;
  return ExportResult::kWritten;
}

void WriteUgfRecord(float u, float v, std::int32_t pen) {
  if (UgfOutFile == nullptr) platform::RunTimeError(platform::kFileNotOpen, "UGF output: file not open");
  char line[160];
  const int n = std::snprintf(line, sizeof line, "%5.2f %5.2f %d\r\n", static_cast<double>(platform::FiniteSingle(u)),
                              static_cast<double>(platform::FiniteSingle(v)), static_cast<int>(pen));
  UgfOutFile->Write(std::string_view(line, static_cast<std::size_t>(std::clamp(n, 0, 159))));
}

void PointDiamond(float u, float v, std::int32_t pen) {
  const float r = MarkerSize;
  PointProc(u - r, v, pen);
  PointProc(u, v - r, 0);
  PointProc(u + r, v, 0);
  PointProc(u, v + r, 0);
  PointProc(u - r, v, 0);
}

void ElementToOutput() {
  for (std::int32_t k = 1; k <= ClosedContourCount; ++k) {
    const std::int32_t pen = CurrentPen;
    std::int32_t first = 0, last = 0, kind = 0, colour = 0;
    ContourRange(k, first, last, kind, colour);
    if (first > 0) {
      PolylineContour(first, last, pen);
    } else if (first < 0) {
      // Segment contours: the points two at a time.
      for (std::int64_t i = -std::int64_t{first}; i + 1 <= last; i += 2) {
        Project(i, ProjectedRun.x[0], ProjectedRun.y[0]);
        Project(i + 1, ProjectedRun.x[1], ProjectedRun.y[1]);
        ProjectedRun.count = 2;
        ContourOut(pen);
      }
    }
  }
}

void LineThrough(double x1, double y1, double x2, double y2, double& a, double& b, double& h,
                 double& length) {
  a = y2 - y1;
  b = x2 - x1;
  length = a * a + b * b;
  if (length > 0) {
    length = std::sqrt(length);
    a = a / length;
    b = b / length;
    h = -x1 * a + y1 * b;
  }
}

void OffsetPolyline(std::span<const float> x, std::span<const float> y, float d, int& count,
                    std::span<float> x2, std::span<float> y2) {
  count = 0;
  const std::size_t n = std::min(x.size(), y.size());
  const std::size_t room = std::min(x2.size(), y2.size());
  auto emit = [&](double px, double py) {
    if (static_cast<std::size_t>(count) >= room) return;
    x2[static_cast<std::size_t>(count)] = static_cast<float>(px);
    y2[static_cast<std::size_t>(count)] = static_cast<float>(py);
    ++count;
  };
  if (n < 2) return;
  const double dd = d;
  double a = 0, b = 0, h = 0, len = 0;
  const bool closed = std::fabs(double{x[0]} - x[n - 1]) < 0.0001 && std::fabs(double{y[0]} - y[n - 1]) < 0.0001;
  std::size_t j = 0;
  if (closed) {
    // The line into the first point: the last one of some length before the closing point.
    for (std::size_t i = n - 1; i-- > 0;) {
      LineThrough(x[i], y[i], x[0], y[0], a, b, h, len);
      if (len > 0) break;
    }
    h += dd;
    j = 1;
  } else {
    LineThrough(x[0], y[0], x[1], y[1], a, b, h, len);
    h += dd;
    emit(x[0] - dd * a, y[0] + dd * b);
    j = 2;
  }
  for (; j < n; ++j) {
    const double a1 = a, b1 = b, h1 = h;
    LineThrough(x[j - 1], y[j - 1], x[j], y[j], a, b, h, len);
    h += dd;
    const double det = a1 * b - a * b1;
    if (det != 0) {
      emit((h * b1 - h1 * b) / det, (a1 * h - a * h1) / det);
    } else if (a1 != 0 || b1 != 0) {
      // Parallel: the joint moved along the previous normal.
      emit(x[j - 1] - dd * a1, y[j - 1] + dd * b1);
    }
  }
  if (closed) {
    if (count > 0) emit(x2[0], y2[0]);
  } else {
    emit(x[n - 1] - dd * a, y[n - 1] + dd * b);
  }
}

}  // namespace drawing
