#include "app/main_menu.h"

#include <fstream>
#include <string_view>

#include "app/program.h"
#include "commands/command_keys.h"
#include "dialogs/file_selector.h"
#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/hpgl_writer.h"
#include "drawing/replay.h"
#include "drawing/sgb_writer.h"
#include "drawing/ugf_export.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/folders.h"
#include "platform/output_file.h"
#include "platform/system.h"
#include "platform/text.h"
#include "print/print.h"
#include "textentry/banner.h"
#include "textentry/line_editor.h"
#include "view/cursor.h"
#include "view/redraw.h"

namespace app {

namespace keys = graphics::keys;

constinit MainMenuState MainMenuVars;

void MainMenuStartUp() {
  MainMenuVars = {};
}

std::string NameToPath(const std::string& cp866) { return platform::Cp866ToUtf8(cp866); }

namespace {
// The selector may have changed the folder; a repaint replays the drawing from anywhere.
std::string AbsoluteSelected() {
  return platform::AbsolutePath(dialogs::SelectedPath);
}
}  // namespace

void ReadStartDirectory() {
  // Found in any letter case, as every existing file; only a regular file is read (a FIFO
  // would hold the start up).
  const std::string tek = platform::FindExisting("TEK.DAT");
  if (tek.empty() || platform::KindOf(tek) != platform::PathKind::kFile) return;
  std::ifstream f(tek, std::ios::binary);
  if (!f) return;
  std::string line1, dir;
  std::getline(f, line1);
  if (!std::getline(f, dir)) return;
  if (!dir.empty() && dir.back() == '\r') dir.pop_back();
  // Lines 3 to 7 are not used.
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/') && dir.size() > 1) dir.pop_back();
  if (dir.empty()) return;
  dir = platform::FolderFromDosPath(dir);
  // Failure is ignored, as is a missing or unreadable TEK.DAT.
  if (!dir.empty()) platform::ChangeFolder(dir);
}

void BindVariant() {
  drawing::DrawProc = drawing::DrawingVariant == 0 ? drawing::DrawNewVariant : drawing::DrawOldVariant;
}

void DetectVariant() {
  HeaderPen = drawing::ReadHeaderPen(drawing::SourceFile);
  drawing::DrawingVariant = HeaderPen > 0 ? 0 : 1;
  BindVariant();
}

void ShowDrawing() {
  drawing::ExtentsProc = drawing::ExtentsOfDrawing;
  graphics::PaintHook = view::RepaintAll;
  view::StepByAngle = 0;
  view::FitAllAndRedraw();
}

void ShowTitle() {
  textentry::ShowBanner(platform::Cp866("Просмотр и печать графического файла"), 2.2f, 2004);
}

namespace {
// The title screen as a repaint draws it, with the text rows of the dialogue that is up.
void RepaintTitle() {
  dialogs::ComputeTextMetrics();
  ShowTitle();
  view::MenuRedrawProc();
}
}  // namespace

namespace {

std::string Cut50(std::string s) {
  if (s.size() > 50) s.resize(50);
  return s;
}

// Waits for one key, taking an extended key whole; a repaint meanwhile shows the message again.
void WaitKey() {
  const view::TextRowsOnRepaint repaint(dialogs::ShowMessagesAgain);
  graphics::ReadWholeKey();
}

void ShowCancelled() {
  dialogs::ShowMessage(0, platform::Cp866(" Имя файла не задано, вывод отменён;No file name, nothing written"));
  WaitKey();
}

// An empty name cancels the item; nothing is written.
bool Cancelled(const std::string& name) {
  if (!name.empty()) return false;
  ShowCancelled();
  return true;
}

// A drawing opened under another extension (X.PLT) must not be replaced by its own export.
bool RefuseDrawingItself(const std::string& path) {
  const std::string existing = platform::FindExisting(path);
  if (!existing.empty() && platform::SameFile(existing, drawing::SourceFile)) {
    dialogs::ShowMessage(0, platform::Cp866(" Задайте другое имя файла"));
    WaitKey();
    return true;
  }
  return false;
}

// The panel's note after an output: the file (CP866) and its lines.
void NoteWritten(const std::string& name, std::int64_t lines) {
  const std::string n = std::to_string(lines);
  dialogs::SetMenuNote(platform::Cp866(" Записан файл ") + name + platform::Cp866(", строк: ") + n +
                       ";Written " + name + ", lines: " + n);
}

// The path of an output item writing `ext`, typed over the drawing's name; empty when the name
// is cancelled or names the drawing itself.
std::string AskOutputPath(const std::string& ext) {
  TargetName = drawing::SourceName;
  textentry::EditLine(platform::Cp866(" Файл") + drawing::SourceName + platform::Cp866(" Вывод в файл (") + ext + ") : ",
                      TargetName);
  if (Cancelled(TargetName)) return {};
  const std::string path = NameToPath(TargetName) + ext;
  if (RefuseDrawingItself(path)) return {};
  return path;
}

}  // namespace

void OutputItem(std::uint8_t item) {
  switch (item) {
    case '2': {
      TargetName.clear();
      textentry::EditLine(platform::Cp866(" Файл") + TargetName + platform::Cp866(" Вывод в файл (.UGF) : "),
                          TargetName);
      if (Cancelled(TargetName)) break;
      const std::string path = NameToPath(TargetName) + ".UGF";
      // The drawing being viewed is never overwritten, whatever the spelling of its name.
      const std::string existing = platform::FindExisting(path);
      if (TargetName == drawing::SourceName || platform::SameFile(path, drawing::SourceFile) ||
          (!existing.empty() && platform::SameFile(existing, drawing::SourceFile))) {
        dialogs::ShowMessage(0, platform::Cp866(" Задайте другое имя файла"));
        WaitKey();
        break;
      }
      // The answer is taken and the output stays the new variant.
      int answer = 1, result = 0;
      dialogs::EditInteger(platform::Cp866(" 1 - Вывод в новом формате, 0 - В старом формате : "), answer, result);
      std::int64_t lines = 0;
      const drawing::ExportResult done = drawing::ExportUgf(path, path, &lines);
      if (done == drawing::ExportResult::kWritten) {
        NoteWritten(TargetName + ".UGF", lines);
      } else if (done == drawing::ExportResult::kSameFile) {
        dialogs::ShowMessage(0, platform::Cp866(" Задайте другое имя файла"));
        WaitKey();
      } else if (done == drawing::ExportResult::kCancelled) {
        ShowCancelled();  // Esc in the offset field: say that nothing was written
      }
      break;
    }
    case '3': {
      const std::string path = AskOutputPath(".SGB");
      if (path.empty()) break;
      NoteWritten(TargetName + ".SGB", drawing::WriteSgb(drawing::SourceFile, path, path));
      break;
    }
    case '4':
      print::PrintCommand();
      break;
    case '5': {
      const std::string path = AskOutputPath(".PLT");
      if (path.empty()) break;
      float scale = 1.0f;
      int result = 0;
      dialogs::EditReal(platform::Cp866("Масштаб"), scale, result);
      if (dialogs::RefuseUnlessPositive(scale, drawing::kMaxPlotScale,
                                        platform::Cp866(" Масштаб вне пределов 0..1000000, вывод отменён;"
                                                        "Scale outside 0..1000000, nothing written")))
        break;
      NoteWritten(TargetName + ".PLT", drawing::WritePlt(drawing::SourceFile, path, scale, path));
      break;
    }
    case '6': {
      dialogs::ShowMessage(0, platform::Cp866(" Укажите точку"));
      float x = 0, y = 0, z = 0;
      std::uint8_t key = 0;
      view::GraphicCursor(x, y, z, key);
      break;
    }
    default:
      break;
  }
}

void MainMenu(std::uint8_t& key) {
  for (;;) {
    dialogs::SetMenuItem(0, Cut50(platform::Cp866("     М И Р Т А В Е Л  Файл ") + drawing::SourceName + ".UGF"));
    const char* items[7] = {"Ввод из файла", "Вывод в файл", "Вывод в файл .SGB", "Вывод на принтер",
                            "Вывод в файл .PLT", "Данные ", "Повернуть "};
    for (int i = 0; i < 7; ++i) dialogs::SetMenuItem(i + 1, Cut50(platform::Cp866(items[i])));
    dialogs::SetMenuItem(8, platform::Cp866(drawing::DrawingVariant == 0 ? "Новый формат " : "Старый формат "));
    dialogs::RunMenu(8, key);
    switch (key) {
      case keys::kEnter:
      case keys::kEsc:
      case '[':
      case ']':
        return;
      case '1': {
        std::string name;
        dialogs::SelectFile(1, "*.UGF", name);
        drawing::SourceName = name;
        if (name.empty()) return;
        drawing::SourceFile = AbsoluteSelected();
        drawing::SourceShown = dialogs::SelectedPath;
        DetectVariant();
        graphics::PaintHook = view::RepaintAll;
        view::FitAllAndRedraw();
        key = ']';
        break;
      }
      case '7':
        drawing::RotateFlag = 1 - drawing::RotateFlag;
        view::FitAllAndRedraw();
        break;
      case '8':
        drawing::DrawingVariant = 1 - drawing::DrawingVariant;
        BindVariant();
        graphics::PaintHook = view::RepaintAll;
        drawing::DrawProc();
        key = ']';
        break;
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
        OutputItem(key);
        key = ']';
        break;
      default:
        break;
    }
  }
}

void RunMainProgram(const std::string& given, const std::string& shown) {
  const bool folder = platform::IsFolder(given);
  ArgCount = given.empty() || folder ? 0 : 1;
  dialogs::SelectorExtension = ".UGF";
  if (ArgCount > 0) drawing::SourceName = platform::Cp866(BaseNameOf(given));
  view::InitView();
  graphics::PaintHook = RepaintTitle;
  ShowTitle();
  if (ArgCount > 0) {
    OpenDrawing(given, shown);
  } else {
    // A folder on the command line is where the selector starts, instead of TEK.DAT's.
    std::string reason;
    if (!folder) {
      ReadStartDirectory();
    } else if (!platform::ChangeFolder(given, reason)) {
      platform::RunTimeError(platform::kAccessDenied, shown.empty() ? given : shown, 0,
                             "cannot open the folder: " + reason);
    }
    std::string name;
    dialogs::SelectFile(1, "*.UGF", name);
    drawing::SourceName = name;
    if (name.empty()) graphics::CloseGraphics();
    drawing::SourceFile = AbsoluteSelected();
    drawing::SourceShown = dialogs::SelectedPath;
    DetectVariant();
    ShowDrawing();
  }
  do {
    MainMenu(MenuKey);
  } while (MenuKey != keys::kEsc);
  graphics::CloseGraphics();
  throw platform::ProgramEnd{0};  // CloseGraphics ends the program; this says so to the compiler
}

}  // namespace app
