// The print command: settings dialog, tiling of the picture over sheets, and the print run
// that replays the drawing once per sheet through PrinterPoint.
#pragma once
#include <cstdint>
#include <string>

namespace print {

// Printer settings; they keep their values from one print command to the next.
extern std::string PrinterDevice;  // the printer's name (CUPS destination or folder)
extern std::string PrinterDriver;
extern std::string PrinterPort;
extern std::int32_t PrinterDpiX, PrinterDpiY;
extern float MmPerDotX, MmPerDotY;
extern std::int32_t PrintableWidthDots, PrintableHeightDots;
extern float SheetWidth;   // mm, along the printer's width
extern float SheetLength;  // mm, along the paper feed
extern std::int32_t AxisAlongLength;

// Print job state.
extern float PrintOriginX, PrintOriginY;
extern float PrintScale, PrintShiftX, PrintShiftY;
extern std::int32_t SheetsX, SheetsY, SheetCount;
extern std::int32_t SheetColumn, SheetRow;
extern float SheetOffsetX, SheetOffsetY;
// Sheets whose job could not be written or sent in the last run.
extern std::int32_t FailedSheets;

// Sheet fields take no value below this (mm).
inline constexpr float kMinSheetSize = 1.0f;
// Each sheet count is limited to this.
inline constexpr std::int32_t kMaxSheetsPerAxis = 9999;
// A print of more sheets than this is refused (each sheet is a job of its own).
inline constexpr std::int32_t kMaxBatchSheets = 100;

void PrintStartUp();

void PrintCommand(std::uint8_t& key);
void PrintCommand();
void PrintDialog(float& x1, float& y1, float& x2, float& y2, float& scale, float& shift_x, float& shift_y,
                 std::uint8_t& key);
void FindPrinter();
void ComputeTiling(float x1, float y1, float x2, float y2, float scale, float shift_x, float shift_y);
void StartSheet();
void EndSheet();
void PrinterPoint(float u, float v, std::int32_t pen);

// `ugfview --print`: the dialog's start values with the given scale, no dialog. Returns the
// exit status: 0 printed, 1 no printer or a job failed, 2 too many sheets (each with one
// line on stderr).
int PrintBatch(float scale);

}  // namespace print
