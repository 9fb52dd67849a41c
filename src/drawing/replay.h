// Replaying a drawing: the readers collect each polyline in the element store and hand it to
// OutputElement, which sends it where OutputMode says. Nothing of a drawing is kept.
#pragma once
#include <cstdint>
#include <string>

#include "platform/hook.h"

namespace drawing {

// Program-wide drawing state (the main program sets it).
extern std::string SourceName;   // base name, CP866, without folder and extension
extern std::string SourceFile;   // the path the readers open
// How error reports name the drawing: as given (its folder as typed, the name as found);
// empty for the base name of SourceFile.
extern std::string SourceShown;
// The name error reports give `file`: SourceShown for the drawing, else the base name.
std::string ShownName(const std::string& file);
// The name error reports give an output: `display` (as given), else its file name.
std::string TargetName(const std::string& path, const std::string& display);
extern std::int32_t DrawingVariant;  // 0 new, 1 old
extern std::int32_t RotateFlag;      // 1: every read point turned by 90 degrees

extern platform::Hook<void()> DrawProc;
extern platform::Hook<void(float& xmin, float& ymin, float& xmax, float& ymax)> ExtentsProc;
extern std::int32_t OutputMode;  // 0 screen, 1 extents, 2 screen plus file or printer
extern platform::Hook<void(float u, float v, std::int32_t pen)> PointProc;
extern std::int32_t CurrentPen;
extern std::int32_t FirstExtentsPoint;
extern float ExtentsXMin, ExtentsYMin, ExtentsXMax, ExtentsYMax;
// The element output of mode 2 (the export fills it in); does nothing until then.
extern platform::Hook<void()> ElementOutputProc;

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
