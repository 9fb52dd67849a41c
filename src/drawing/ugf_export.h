// The UGF export and the element output of mode 2: every element of a replay becomes output
// polylines handed to PointProc, projected onto the view plane, pens 7 and below broken into
// dashes, pens with a thickness repeated as parallel copies, single points as diamonds. The
// printer uses the same output with its own PointProc.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/output_file.h"

namespace drawing {

inline constexpr int kRunPoints = 2000;
// Pass counts above this are taken as this: each pass writes two more copies of every run.
inline constexpr std::int32_t kMaxPenPasses = 1000;
// Cuts of the dash pattern per contour; the rest of a longer contour keeps the state it had
// (an absurdly long line would otherwise write without end).
inline constexpr std::int64_t kMaxDashCuts = 1 << 20;
// From this magnitude on the spacing of singles (4) exceeds the pattern's gap (2): a segment
// with an end this far out is written solid, not as dashes that all fall on the same points.
inline constexpr double kDashLimit = 33554432.0;  // 2^25

struct UgfExportState {
  std::array<std::int32_t, 16> PenPasses{};  // extra parallel pairs per pen 0..15
  float PassOffset = 0.25f;                        // distance between successive copies
  float MarkerSize = 0.0f;                        // half-diagonal of a one-point diamond
  // The file WriteAndDrawPoint writes to; set only while an export runs.
  platform::OutputFile* UgfOutFile = nullptr;
};
extern UgfExportState UgfExportVars;

inline constexpr auto& PenPasses = UgfExportVars.PenPasses;
inline constexpr auto& PassOffset = UgfExportVars.PassOffset;
inline constexpr auto& MarkerSize = UgfExportVars.MarkerSize;
inline constexpr auto& UgfOutFile = UgfExportVars.UgfOutFile;

enum class ExportResult { kWritten, kCancelled, kSameFile };

void UgfExportStartUp();

// Edits PenPasses and PassOffset; code: 1 a number entered, 0 empty entry, -1 cancelled.
void ThicknessDialog(std::int32_t& code);

// The export sequence: thickness dialog, label line, replay in output mode 2 through
// DrawProc, terminator. Nothing is written when the dialog is cancelled or the target is the
// drawing itself. `display_name` names the file in error reports; `lines`, when given, gets
// the lines written.
ExportResult ExportUgf(const std::string& target_path, const std::string& display_name,
                       std::int64_t* lines = nullptr);
// The same without the dialog, with the current thickness settings (the batch run).
ExportResult ExportUgfBatch(const std::string& target_path, const std::string& display_name,
                            std::int64_t* lines = nullptr);

// One record in the written layout, to UgfOutFile (error 103 when no export runs).
void WriteUgfRecord(float u, float v, std::int32_t pen);

// The element output of mode 2 (bound to ElementOutputProc): each contour of the element in
// the store, in the pen CurrentPen, through PointProc.
void ElementToOutput();
// The diamond of a single point at (u, v), MarkerSize from it, through PointProc.
void PointDiamond(float u, float v, std::int32_t pen);
// Parallel copy of the polyline x/y at signed distance d (positive: left of the direction of
// travel). Writes `count` points (at most x.size()) into x2/y2, which must be as long as x.
void OffsetPolyline(std::span<const float> x, std::span<const float> y, float d, int& count,
                    std::span<float> x2, std::span<float> y2);
// The line a·x − b·y + h = 0 through the two points, (a, b) a unit vector; for two equal
// points a and b are 0 and h is left as it was.
void LineThrough(double x1, double y1, double x2, double y2, double& a, double& b, double& h,
                 double& length);

}  // namespace drawing
