// Replaying a drawing: the readers collect each polyline in the element store and hand it to
// OutputElement, which sends it where OutputMode says. Nothing of a drawing is kept.
#pragma once
#include <cstdint>
#include <string>

#include "graphics/colours.h"
#include "platform/hook.h"

namespace drawing {

void WriteAndDrawPoint(float u, float v, std::int32_t pen);
namespace defaults {
void PlaceholderDraw();
void PlaceholderExtents(float&, float&, float&, float&);
void NoElementOutput();
}  // namespace defaults

struct ReplayState {
  // Program-wide drawing state (the main program sets it).
  std::string SourceName;   // base name, CP866, without folder and extension
  std::string SourceFile;   // the path the readers open
  // How error reports name the drawing: as given (its folder as typed, the name as found);
  // empty for the base name of SourceFile.
  std::string SourceShown;
  std::int32_t DrawingVariant = 0;  // 0 new, 1 old
  std::int32_t RotateFlag = 0;      // 1: every read point turned by 90 degrees
  platform::Hook<void()> DrawProc = defaults::PlaceholderDraw;
  platform::Hook<void(float& xmin, float& ymin, float& xmax, float& ymax)> ExtentsProc = defaults::PlaceholderExtents;
  std::int32_t OutputMode = 0;  // 0 screen, 1 extents, 2 screen plus file or printer
  platform::Hook<void(float u, float v, std::int32_t pen)> PointProc = WriteAndDrawPoint;
  std::int32_t CurrentPen = graphics::colours::kWhite;
  std::int32_t FirstExtentsPoint = 0;
  float ExtentsXMin = 0;
  float ExtentsYMin = 0;
  float ExtentsXMax = 0;
  float ExtentsYMax = 0;
  // The element output of mode 2 (the export fills it in); does nothing until then.
  platform::Hook<void()> ElementOutputProc = defaults::NoElementOutput;
};
extern ReplayState ReplayVars;

inline constexpr auto& SourceName = ReplayVars.SourceName;
inline constexpr auto& SourceFile = ReplayVars.SourceFile;
inline constexpr auto& SourceShown = ReplayVars.SourceShown;
// The name error reports give `file`: SourceShown for the drawing, else the base name.
std::string ShownName(const std::string& file);
// The name error reports give an output: `display` (as given), else its file name.
std::string TargetName(const std::string& path, const std::string& display);
inline constexpr auto& DrawingVariant = ReplayVars.DrawingVariant;
inline constexpr auto& RotateFlag = ReplayVars.RotateFlag;

inline constexpr auto& DrawProc = ReplayVars.DrawProc;
inline constexpr auto& ExtentsProc = ReplayVars.ExtentsProc;
inline constexpr auto& OutputMode = ReplayVars.OutputMode;
inline constexpr auto& PointProc = ReplayVars.PointProc;
inline constexpr auto& CurrentPen = ReplayVars.CurrentPen;
inline constexpr auto& FirstExtentsPoint = ReplayVars.FirstExtentsPoint;
inline constexpr auto& ExtentsXMin = ReplayVars.ExtentsXMin;
inline constexpr auto& ExtentsYMin = ReplayVars.ExtentsYMin;
inline constexpr auto& ExtentsXMax = ReplayVars.ExtentsXMax;
inline constexpr auto& ExtentsYMax = ReplayVars.ExtentsYMax;
inline constexpr auto& ElementOutputProc = ReplayVars.ElementOutputProc;

void ReplayStartUp();
void DrawNewVariant();
void DrawOldVariant();
void ReadNewVariant(const std::string& file, float z);
void ReadOldVariant(const std::string& file, float z);
void RotatePoint(float& x, float& y);
void OutputElement();
void ScreenElement();
void ExtentsOfDrawing(float& xmin, float& ymin, float& xmax, float& ymax);
void WriteAndDrawPoint(float u, float v, std::int32_t pen);

// The pen of a drawing's first record, which decides its variant (above 0: new).
std::int32_t ReadHeaderPen(const std::string& file);

}  // namespace drawing
