// The print command: settings dialog, tiling of the picture over sheets, and the print run
// that replays the drawing once per sheet through PrinterPoint.
#pragma once
#include <cstdint>
#include <string>

#include "platform/printer.h"
#include "platform/units.h"

namespace print {

// Without a printer: the folder printer's resolution and sheet.
inline constexpr float kNoPrinterMmPerDot = static_cast<float>(platform::kMmPerInch) / platform::kFolderDpi;
inline constexpr float kNoPrinterSheetWidth = static_cast<float>(platform::kFolderWidthMm);
inline constexpr float kNoPrinterSheetLength = static_cast<float>(platform::kFolderLengthMm);

struct PrintState {
  // Printer settings; they keep their values from one print command to the next.
  std::string PrinterDevice;  // the printer's name (CUPS destination or folder)
  std::string PrinterDriver;
  std::string PrinterPort;
  std::int32_t PrinterDpiX = platform::kFolderDpi;
  std::int32_t PrinterDpiY = platform::kFolderDpi;
  float MmPerDotX = kNoPrinterMmPerDot;
  float MmPerDotY = kNoPrinterMmPerDot;
  std::int32_t PrintableWidthDots = 0;
  std::int32_t PrintableHeightDots = 0;
  float SheetWidth = kNoPrinterSheetWidth;    // mm, along the printer's width
  float SheetLength = kNoPrinterSheetLength;  // mm, along the paper feed
  std::int32_t AxisAlongLength = 0;
  // Print job state.
  float PrintOriginX = 0;
  float PrintOriginY = 0;
  float PrintScale = 1;
  float PrintShiftX = 0;
  float PrintShiftY = 0;
  std::int32_t SheetsX = 1;
  std::int32_t SheetsY = 1;
  std::int32_t SheetCount = 1;
  std::int32_t SheetColumn = 1;
  std::int32_t SheetRow = 1;
  float SheetOffsetX = 0;
  float SheetOffsetY = 0;
  // Sheets whose job could not be written or sent in the last run.
  std::int32_t FailedSheets = 0;
};
extern PrintState PrintVars;

inline constexpr auto& PrinterDevice = PrintVars.PrinterDevice;
inline constexpr auto& PrinterDriver = PrintVars.PrinterDriver;
inline constexpr auto& PrinterPort = PrintVars.PrinterPort;
inline constexpr auto& PrinterDpiX = PrintVars.PrinterDpiX;
inline constexpr auto& PrinterDpiY = PrintVars.PrinterDpiY;
inline constexpr auto& MmPerDotX = PrintVars.MmPerDotX;
inline constexpr auto& MmPerDotY = PrintVars.MmPerDotY;
inline constexpr auto& PrintableWidthDots = PrintVars.PrintableWidthDots;
inline constexpr auto& PrintableHeightDots = PrintVars.PrintableHeightDots;
inline constexpr auto& SheetWidth = PrintVars.SheetWidth;
inline constexpr auto& SheetLength = PrintVars.SheetLength;
inline constexpr auto& AxisAlongLength = PrintVars.AxisAlongLength;

inline constexpr auto& PrintOriginX = PrintVars.PrintOriginX;
inline constexpr auto& PrintOriginY = PrintVars.PrintOriginY;
inline constexpr auto& PrintScale = PrintVars.PrintScale;
inline constexpr auto& PrintShiftX = PrintVars.PrintShiftX;
inline constexpr auto& PrintShiftY = PrintVars.PrintShiftY;
inline constexpr auto& SheetsX = PrintVars.SheetsX;
inline constexpr auto& SheetsY = PrintVars.SheetsY;
inline constexpr auto& SheetCount = PrintVars.SheetCount;
inline constexpr auto& SheetColumn = PrintVars.SheetColumn;
inline constexpr auto& SheetRow = PrintVars.SheetRow;
inline constexpr auto& SheetOffsetX = PrintVars.SheetOffsetX;
inline constexpr auto& SheetOffsetY = PrintVars.SheetOffsetY;
inline constexpr auto& FailedSheets = PrintVars.FailedSheets;

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
