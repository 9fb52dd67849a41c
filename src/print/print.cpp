#include "print/print.h"

#include <algorithm>
#include <cstdio>

#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "dialogs/text_area.h"
#include "drawing/hpgl_writer.h"
#include "drawing/replay.h"
#include "drawing/ugf_export.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/printer.h"
#include "platform/rounding.h"
#include "platform/text.h"
#include "platform/units.h"
#include "view/redraw.h"
#include "view/view_commands.h"

namespace print {

namespace {
constexpr float kMmPerInch = static_cast<float>(platform::kMmPerInch);
}  // namespace

constinit PrintState PrintVars;

namespace {

constexpr const char* kPrintMessage = " Вывод чертежа на принтер;Print";

struct PrintLocal {
  bool printer_found = false;  // the last FindPrinter found one
  std::string failure;         // why the last failed sheet failed
};
constinit PrintLocal g;
constexpr bool& g_printer_found = g.printer_found;
constexpr std::string& g_failure = g.failure;

std::int32_t SheetsFor(float extent, float scale, float sheet) {
  const float n = extent * scale / sheet + 0.49f;
  return std::clamp(platform::RoundInt(n), 1, kMaxSheetsPerAxis);
}

// The printer as it is now; an empty record and false when there is none.
bool FindDefault(platform::PrinterInfo& p) { return platform::Printer().Find(p); }

void ReadSettings(const platform::PrinterInfo& p) {
  PrinterDevice = p.name;
  PrinterDriver = p.driver;
  PrinterPort = p.port;
  PrintableWidthDots = p.width_dots;
  PrintableHeightDots = p.height_dots;
  PrinterDpiX = std::max(p.dpi_x, 1);
  PrinterDpiY = std::max(p.dpi_y, 1);
  MmPerDotX = kMmPerInch / static_cast<float>(PrinterDpiX);
  MmPerDotY = kMmPerInch / static_cast<float>(PrinterDpiY);
}

// A repaint meanwhile shows the message again.
void WaitKey(std::uint8_t& key) {
  const view::TextRowsOnRepaint repaint(dialogs::ShowMessagesAgain);
  key = graphics::ReadWholeKey();
}

void AssumeNoPrinterArea() {
  PrinterDpiX = PrinterDpiY = platform::kFolderDpi;
  MmPerDotX = MmPerDotY = kNoPrinterMmPerDot;
  PrintableWidthDots = platform::RoundInt(203.0f / MmPerDotX);
  PrintableHeightDots = platform::RoundInt(278.0f / MmPerDotY);
}

// Sheet sizes above the printable area become the area's.
void LimitSheets(float max_width, float max_length) {
  if (SheetWidth > max_width) SheetWidth = max_width;
  if (SheetLength > max_length) SheetLength = max_length;
}

// Edits a sheet size: at most `max`, and nothing below kMinSheetSize (the tiling divides by
// it and the sheet's clip would be empty).
void EditSheetSize(const std::string& prompt, float& size, float max) {
  float value = size;
  int result = 0;
  dialogs::EditReal(prompt, value, result);
  if (result != 1) return;
  if (!(value >= kMinSheetSize)) {
    dialogs::ShowMessage(0, platform::Cp866(" Размер листа меньше 1 мм не принят;Sheet size below 1 mm refused"));
    std::uint8_t key = 0;
    WaitKey(key);
    return;
  }
  size = std::min(value, max);
}

void RunSheets(float x1, float y1, float x2, float y2, float scale, float shift_x, float shift_y) {
  // A repaint between or inside sheets would replay the drawing into a sheet a second time.
  const graphics::RepaintHold hold;
  struct Restore {
    ~Restore() {
      platform::Printer().CancelJob();
      drawing::PointProc = drawing::WriteAndDrawPoint;
      drawing::OutputMode = 0;
    }
  } restore;
  dialogs::ShowMessage(0, platform::Cp866(kPrintMessage));
  drawing::PointProc = PrinterPoint;
  drawing::OutputMode = 2;
  ComputeTiling(x1, y1, x2, y2, scale, shift_x, shift_y);
  dialogs::ShowMessage(1, platform::Cp866(kPrintMessage));
  FailedSheets = 0;
  g_failure.clear();
  for (std::int64_t sheet = 1; sheet <= SheetCount; ++sheet) {
    StartSheet();
    view::Redraw();
    EndSheet();
  }
}

void AfterRun() { graphics::RunPendingRepaint(); }

// The menu's note after a print: how many sheets went where.
void NoteSheetsSent(bool had_printer) {
  using platform::Cp866;
  if (!had_printer) {
    dialogs::SetMenuNote(Cp866(" Принтер не найден, ничего не напечатано;No printer, nothing printed"));
    return;
  }
  const std::string sent = std::to_string(SheetCount - FailedSheets);
  const std::string of = FailedSheets > 0 ? Cp866(" из ") + std::to_string(SheetCount) : "";
  const std::string of_en = FailedSheets > 0 ? " of " + std::to_string(SheetCount) : "";
  const std::string where = Cp866(PrinterDevice);
  // The count first: a long folder name is squeezed to fit the row.
  if (platform::Printer().keeps_files) {
    dialogs::SetMenuNote(Cp866(" Листов: ") + sent + of + Cp866(", записаны в каталог ") + where + ";Sheets: " + sent +
                         of_en + ", written to folder " + where);
  } else {
    dialogs::SetMenuNote(Cp866(" Листов: ") + sent + of + Cp866(", отправлены на принтер ") + where + ";Sheets: " +
                         sent + of_en + ", sent to printer " + where);
  }
}

}  // namespace

void PrintStartUp() {
  PrintVars = {};
  g = {};
  platform::PrinterStartUp();
}

void FindPrinter() {
  platform::PrinterInfo p;
  g_printer_found = FindDefault(p);
  ReadSettings(p);
}

void ComputeTiling(float x1, float y1, float x2, float y2, float scale, float shift_x, float shift_y) {
  if (AxisAlongLength == 1) {
    const float a = x1, b = x2;
    x1 = -y1;
    y1 = a;
    x2 = -y2;
    y2 = b;
  }
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  SheetsX = SheetsFor(x2 - x1, scale, SheetWidth);
  SheetsY = SheetsFor(y2 - y1, scale, SheetLength);
  SheetCount = SheetsX * SheetsY;
  PrintOriginX = x1;
  PrintOriginY = y2;
  PrintScale = scale;
  PrintShiftX = shift_x;
  PrintShiftY = shift_y;
  SheetColumn = SheetRow = 1;
  SheetOffsetX = SheetOffsetY = 0;
  MmPerDotX = kMmPerInch / static_cast<float>(std::max(PrinterDpiX, 1));
  MmPerDotY = kMmPerInch / static_cast<float>(std::max(PrinterDpiY, 1));
}

void StartSheet() {
  platform::PrinterInfo p;
  FindDefault(p);
  ReadSettings(p);
  const int clip_w = platform::RoundInt(SheetWidth / MmPerDotX);
  const int clip_h = platform::RoundInt(SheetLength / MmPerDotY);
  if (!platform::Printer().StartJob("Tamrix", clip_w, clip_h)) {
    ++FailedSheets;
    g_failure = platform::PrintError();
  }
}

void EndSheet() {
  if (platform::Printer().JobOpen() && !platform::Printer().EndJob()) {
    ++FailedSheets;
    g_failure = platform::PrintError();
  }
  ++SheetColumn;
  if (SheetColumn > SheetsX) {
    SheetColumn = 1;
    ++SheetRow;
  }
  SheetOffsetX = SheetWidth * static_cast<float>(SheetColumn - 1);
  SheetOffsetY = SheetLength * static_cast<float>(SheetRow - 1);
}

void PrinterPoint(float u, float v, std::int32_t pen) {
  if (AxisAlongLength == 1) {
    const float t = u;
    u = -v;
    v = t;
  }
  const int px = platform::RoundInt(((u - PrintOriginX) * PrintScale + PrintShiftX - SheetOffsetX) / MmPerDotX);
  const int py = platform::RoundInt(((PrintOriginY - v) * PrintScale + PrintShiftY - SheetOffsetY) / MmPerDotY);
  if (pen > 0) {
    platform::Printer().MoveTo(px, py);
  } else {
    platform::Printer().LineTo(px, py);
  }
}

void PrintDialog(float& x1, float& y1, float& x2, float& y2, float& scale, float& shift_x, float& shift_y,
                 std::uint8_t& key) {
  using platform::Cp866;
  for (;;) {
    view::FaceMode = 0;
    ComputeTiling(x1, y1, x2, y2, scale, shift_x, shift_y);
    FindPrinter();
    if (PrinterDpiX < 2) {
      dialogs::ShowMessage(0, Cp866(" *** Принтер не найден;*** Printer not found"));
      WaitKey(key);
      AssumeNoPrinterArea();
    }
    const float max_width = MmPerDotX * static_cast<float>(PrintableWidthDots);
    const float max_length = MmPerDotY * static_cast<float>(PrintableHeightDots);
    const std::string width_text = dialogs::FormatNumber(max_width, 6, 1);
    const std::string length_text = dialogs::FormatNumber(max_length, 6, 1);
    const float old_width = SheetWidth, old_length = SheetLength;
    LimitSheets(max_width, max_length);
    // The counts shown are those of the sheets as they now are.
    if (SheetWidth != old_width || SheetLength != old_length)
      ComputeTiling(x1, y1, x2, y2, scale, shift_x, shift_y);

    dialogs::SetMenuItemValue(0, Cp866(" Вывод чертежа на принтер. Разрешение принтера;Printer. DPI="),
                              static_cast<float>(PrinterDpiX), 4, 0);
    dialogs::SetMenuNumber(1, Cp866("Размер по X;X dimension"), (x2 - x1) * scale, 4, 1);
    dialogs::SetMenuNumber(2, Cp866("Размер по Y;Y dimension"), (y2 - y1) * scale, 4, 1);
    dialogs::SetMenuNumber(3, Cp866("Масштаб;Scale"), scale, 4, 3);
    dialogs::SetMenuNumber(4, Cp866("Смещение по ширине принтера вправо ;X shift"), shift_x, 4, 0);
    dialogs::SetMenuNumber(5, Cp866("Смещение по длине листа вниз       ;Y shift"), shift_y, 4, 0);
    dialogs::SetMenuItem(6, Cp866(AxisAlongLength == 0 ? "Ось X - по ширине принтера ;Axis X to printer width"
                                                       : "Ось X - по длине листа ;Axis X to sheet length"));
    dialogs::SetMenuItemValue(7, Cp866("Листов по X;Sheets in X"), static_cast<float>(SheetsX), 6, 0);
    dialogs::SetMenuItemValue(8, Cp866("Листов по Y;Sheets in Y"), static_cast<float>(SheetsY), 6, 0);
    dialogs::SetMenuItem(9, Cp866("Выводить;Output"));
    dialogs::RunMenu(9, key);

    // A size or scale of 0 or below would print blank sheets or a picture turned inside out.
    const auto set_scale = [&scale](float value) {
      if (!dialogs::RefuseUnlessPositive(value, drawing::kMaxPlotScale,
                                         Cp866(" Масштаб вне пределов 0..1000000 не принят;"
                                               "Scale outside 0..1000000 refused")))
        scale = value;
    };
    switch (key) {
      case '1':
        if (x2 != x1) set_scale(dialogs::GetMenuNumber(1) / (x2 - x1));
        break;
      case '2':
        if (y2 != y1) set_scale(dialogs::GetMenuNumber(2) / (y2 - y1));
        break;
      case '3':
        set_scale(dialogs::GetMenuNumber(3));
        break;
      case '4':
        shift_x = dialogs::GetMenuNumber(4);
        break;
      case '5':
        shift_y = dialogs::GetMenuNumber(5);
        break;
      case '6':
        AxisAlongLength = 1 - AxisAlongLength;
        break;
      case '7':
        EditSheetSize(Cp866("Ширина листа (max ") + width_text + Cp866(");Sheet width (max ") + width_text + ")",
                      SheetWidth, max_width);
        break;
      case '8':
        EditSheetSize(Cp866("Длина листа (max ") + length_text + Cp866(");Sheet length (max ") + length_text + ")",
                      SheetLength, max_length);
        break;
      case '9': {
        if (SheetCount > kMaxBatchSheets) {
          dialogs::ShowMessage(0, Cp866(" Листов ") + std::to_string(SheetCount) + Cp866(", можно не больше ") +
                                      std::to_string(kMaxBatchSheets) + Cp866(";Sheets: ") +
                                      std::to_string(SheetCount) + ", at most " + std::to_string(kMaxBatchSheets));
          WaitKey(key);
          break;
        }
        view::FaceMode = 0;
        drawing::PassOffset = kMmPerInch / static_cast<float>(PrinterDpiX);
        std::int32_t code = 0;
        drawing::ThicknessDialog(code);
        if (code < 0) break;
        const bool had_printer = g_printer_found;
        RunSheets(x1, y1, x2, y2, scale, shift_x, shift_y);
        AfterRun();
        if (had_printer && FailedSheets > 0) {
          dialogs::ShowMessage(0, Cp866(" Ошибка печати;Printing failed: ") + Cp866(g_failure));
          std::uint8_t ignored = 0;
          WaitKey(ignored);
        }
        NoteSheetsSent(had_printer);
        return;
      }
      default:
        return;
    }
  }
}

void PrintCommand(std::uint8_t& key) {
  view::FaceMode = 0;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  drawing::ExtentsProc(x1, y1, x2, y2);
  view::Redraw();
  PrinterDpiX = PrinterDpiY = platform::kFolderDpi;
  float scale = 1.0f, shift_x = 0.0f, shift_y = 0.0f;
  PrintDialog(x1, y1, x2, y2, scale, shift_x, shift_y, key);
}

void PrintCommand() {
  std::uint8_t key = 0;
  PrintCommand(key);
}

int PrintBatch(float scale) {
  view::FaceMode = 0;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  drawing::ExtentsProc(x1, y1, x2, y2);
  FindPrinter();
  if (!g_printer_found) {
    std::fprintf(stderr, "ugfview: no printer: %s\n", platform::Printer().WhyNone().c_str());
    return 1;
  }
  LimitSheets(MmPerDotX * static_cast<float>(PrintableWidthDots), MmPerDotY * static_cast<float>(PrintableHeightDots));
  ComputeTiling(x1, y1, x2, y2, scale, 0.0f, 0.0f);
  if (SheetCount > kMaxBatchSheets) {
    std::fprintf(stderr, "ugfview: refusing to print %d sheets (%d x %d; at most %d)\n", static_cast<int>(SheetCount),
                 static_cast<int>(SheetsX), static_cast<int>(SheetsY), static_cast<int>(kMaxBatchSheets));
    return 2;
  }
  // What the thickness dialog leaves when it is only confirmed.
  drawing::PassOffset = kMmPerInch / static_cast<float>(PrinterDpiX);
  drawing::MarkerSize = 1.0f;
  drawing::CurrentPen = graphics::colours::kWhite;
  RunSheets(x1, y1, x2, y2, scale, 0.0f, 0.0f);
  AfterRun();
  if (FailedSheets > 0) {
    std::fprintf(stderr, "ugfview: %d of %d sheets not printed: %s\n", static_cast<int>(FailedSheets),
                 static_cast<int>(SheetCount), g_failure.c_str());
    return 1;
  }
  return 0;
}

}  // namespace print
