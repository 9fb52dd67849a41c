#include "app/program.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/png_export.h"
#include "app/test_card.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "graphics/window.h"
#include "app/main_menu.h"
#include "commands/command_keys.h"
#include "drawing/hpgl_writer.h"
#include "drawing/sgb_writer.h"
#include "drawing/ugf_export.h"
#include "print/print.h"
#include "platform/vector_page.h"
#include "print/vector_export.h"
#include "platform/errors.h"
#include "platform/output_file.h"
#include "commands/zoom_window.h"
#include "dialogs/file_selector.h"
#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "drawing/element_store.h"
#include "textentry/line_editor.h"
#include "view/view_commands.h"
#include "drawing/replay.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/cursor.h"
#include "view/views.h"
#include "view/view_state.h"

namespace app {

namespace {

// "WxH" with both in min..max; with `single` allowed, also one number (w, and h = 0).
bool ParseSize(std::string_view s, int min, bool single, int& w, int& h) {
  auto num = [&](std::string_view t, int& v) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() && !t.empty() && v >= min && v <= 8192;
  };
  const auto x = s.find('x');
  if (x == std::string_view::npos) {
    h = 0;
    return single && num(s, w);
  }
  return num(s.substr(0, x), w) && num(s.substr(x + 1), h);
}

// The batch run an option names, or empty.
std::string_view BatchOf(std::string_view a) {
  for (const std::string_view b : {"plt", "sgb", "ugf", "pdf", "svg", "png"})
    if (a.size() == b.size() + 2 && a.substr(0, 2) == "--" && a.substr(2) == b) return b;
  return {};
}

constexpr const char* kOnlyOneBatch = "only one of --plt, --sgb, --ugf, --pdf, --svg, --png, --print";

void WriteScreenshot(const std::string& path) {
  if (path.empty() || graphics::Screen.width <= 0) return;
  if (!graphics::WriteScreenshot(path))
    std::fprintf(stderr, "ugfview: cannot write screenshot %s\n", path.c_str());
}

void Report(const platform::RunTimeFailure& failure) {
  std::fprintf(stderr, "%s\n", failure.ReportLine().c_str());
  std::fprintf(stderr, "%s\n", failure.DetailLine().c_str());
}

// The run-time error of an exception that is none of the program's own.
platform::RunTimeFailure InternalFailure(int code, const std::string& what) {
  return {code, "", 0, "internal error: " + what, platform::Crc32("internal error")};
}

}  // namespace

std::string UsageText() {
  return "usage: ugfview [options] [DRAWING | FOLDER]\n"
         "  --headless          no window system (implied by --keys and --size)\n"
         "  --size WxH          client size for the headless backend (320..8192 each; default "
         "1024x768)\n"
         "  --keys SCRIPT       input for the headless backend\n"
         "  --screenshot FILE   write the framebuffer as PNG when the run ends\n"
         "  --plt FILE | --sgb FILE | --ugf FILE | --print\n"
         "                      convert or print DRAWING without the menu; with a folder\n"
         "                      (FOLDER/) each of several DRAWINGs (or folders of them)\n"
         "                      goes there as FOLDER/NAME.PLT, .SGB, .UGF, .pdf, .svg, .png\n"
         "  --pdf FILE | --svg FILE\n"
         "                      DRAWING as one vector page, as printed, 10 mm around it\n"
         "  --png FILE          DRAWING alone as a picture in its screen colours; --size WxH\n"
         "                      (16..8192 each; default 1024x768) or N, the longer side\n"
         "  --scale S           mm per drawing unit of --plt, --pdf, --svg and --print (default 1)\n"
         "  --colour            --pdf and --svg draw each pen in its colour (default black)\n"
         "  --rotate            turn the drawing by 90 degrees first\n"
         "  --test-card         the graphics test screen instead of the program\n"
         "  --help, --version\n";
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
  std::string size;  // checked at the end: its range depends on --png
  bool size_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = "missing value after " + std::string(a);
        return false;
      }
      out = argv[++i];
      return true;
    };
    if (a == "--headless") {
      o.window = platform::kHeadlessName;
    } else if (a == "--size") {
      if (!value(size)) return false;
      size_given = true;
    } else if (a == "--keys") {
      if (!value(o.keys)) return false;
      o.keys_given = true;
      o.window = platform::kHeadlessName;
    } else if (a == "--screenshot") {
      if (!value(o.screenshot)) return false;
      if (o.screenshot.empty()) {
        error = "--screenshot needs a file name";
        return false;
      }
    } else if (!BatchOf(a).empty()) {
      if (!o.batch.empty()) {
        error = kOnlyOneBatch;
        return false;
      }
      o.batch = std::string(BatchOf(a));
      if (!value(o.output)) return false;
      if (o.output.empty()) {
        error = std::string(a) + " needs a file name";
        return false;
      }
    } else if (a == "--print") {
      if (!o.batch.empty()) {
        error = kOnlyOneBatch;
        return false;
      }
      o.batch = "print";
    } else if (a == "--scale") {
      std::string v;
      if (!value(v)) return false;
      auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), o.scale);
      if (ec != std::errc() || p != v.data() + v.size() || !(o.scale > 0) || o.scale > 1e6f) {
        error = "bad --scale '" + v + "': needs a number above 0";
        return false;
      }
    } else if (a == "--rotate") {
      o.rotate = true;
    } else if (a == "--colour") {
      o.colour = true;
    } else if (a == "--test-card") {
      o.test_card = true;
    } else if (a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + std::string(a);
      return false;
    } else {
      o.drawings.emplace_back(a);
    }
  }
  if (!o.drawings.empty()) o.drawing = o.drawings.front();
  o.output_given = o.output;
  o.output_folder = !o.output.empty() && (o.output.back() == '/' || platform::IsFolder(o.output));
  if (o.drawings.size() > 1 && !o.output_folder) {
    error = o.batch.empty() || o.batch == "print"
                ? "more than one drawing given: " + o.drawings[0] + ", " + o.drawings[1]
                : "several drawings need an output folder (an existing one, or a name ending in /)";
    return false;
  }
  if (!o.batch.empty() && !o.output_folder && !o.drawings.empty() && platform::IsFolder(o.drawings[0])) {
    error = o.drawings[0] + (o.batch == "print" ? " is a folder: --print takes one drawing"
                                                : " is a folder: its drawings need an output folder (a name ending in /)");
    return false;
  }
  if ((o.batch == "pdf" || o.batch == "svg") && !platform::VectorPagesAvailable()) {
    error = "--" + o.batch + " is not available in this build (it needs cairo)";
    return false;
  }
  if (o.colour && o.batch != "pdf" && o.batch != "svg") {
    error = "--colour needs --pdf or --svg";
    return false;
  }
  if (!size_given) return true;
  if (o.batch == "png") {
    if (!ParseSize(size, kMinPngSide, true, o.picture_width, o.picture_height)) {
      error = "bad --size '" + size + "': needs WxH or N with 16..8192 each";
      return false;
    }
    o.longer_side = o.picture_height == 0;
    return true;
  }
  if (!ParseSize(size, 320, false, o.width, o.height)) {
    error = "bad --size '" + size + "': needs WxH with 320..8192 each";
    return false;
  }
  o.window = platform::kHeadlessName;
  return true;
}

void StartProgram() {
  graphics::WindowStartUp();
  graphics::DriverStartUp();
  graphics::MouseStartUp();
  dialogs::StrokeFontStartUp();
  dialogs::TextAreaStartUp();
  dialogs::MenuPanelStartUp();
  dialogs::NumberFieldStartUp();
  textentry::LineEditorStartUp();
  view::TransformsStartUp();
  view::ViewsStartUp();
  view::RedrawStartUp();
  view::CursorStartUp();
  view::ViewCommandsStartUp();
  commands::ZoomWindowStartUp();
  // Binds the view, cursor and drawing hooks: after the modules whose start-ups reset them.
  commands::CommandKeysStartUp();
  drawing::ReplayStartUp();
  drawing::ElementStoreStartUp();
  drawing::UgfExportStartUp();
  print::PrintStartUp();
  dialogs::FileSelectorStartUp();
  MainMenuStartUp();
  // The replay's start-up put the placeholders back; the unit's are the same ones.
  graphics::RedrawProc = view::Redraw;
}

std::string ResolveDrawing(const std::string& given) {
  std::string path = platform::FindExisting(given);
  if (!path.empty()) return path;
  // As the folder plus the base name plus ".UGF".
  path = platform::FindExisting(platform::FolderOf(given) + BaseNameOf(given) + ".UGF");
  return path.empty() ? given : path;
}

std::string BaseNameOf(const std::string& path) {
  std::string base = platform::FileNameOf(path);
  const auto dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
  return base;
}

void OpenDrawing(const std::string& given, const std::string& shown, bool show) {
  const std::string path = ResolveDrawing(given);
  drawing::SourceFile = path;
  drawing::SourceShown = ShownDrawingName(shown.empty() ? given : shown, path);
  // The name of the file found, in the case it has on disk.
  drawing::SourceName = platform::Cp866(BaseNameOf(path));
  DetectVariant();
  if (show) ShowDrawing();
}

void RunProgram(const Options& options) {
  if (options.test_card) {
    graphics::RedrawProc = DrawTestCard;
    graphics::PaintHook = DrawTestCard;
    graphics::InitGraphics();
    RunTestCard();
  }
  graphics::InitGraphics();
  RunMainProgram(options.drawing, options.drawings.empty() ? options.drawing : options.drawings[0]);
}

std::string ShownDrawingName(const std::string& given, const std::string& path) {
  if (path == given) return given;
  return platform::FolderOf(given) + platform::FileNameOf(path);
}

int ConvertDrawing(const Options& options, const std::string& drawing, const std::string& shown,
                   const std::string& output, const std::string& output_shown) {
  graphics::InitGraphics();
  drawing::RotateFlag = options.rotate ? 1 : 0;
  // The picture is made at its own size; every other run works on the fitted view.
  OpenDrawing(drawing, shown, options.batch != "png");
  const std::string& display = output_shown;
  if (options.batch != "print" && platform::SameFile(output, drawing::SourceFile))
    platform::RunTimeError(platform::kAccessDenied, display, 0, "refusing to overwrite the drawing itself");
  if (options.batch == "plt") {
    drawing::WritePlt(drawing::SourceFile, output, options.scale, display);
  } else if (options.batch == "sgb") {
    drawing::WriteSgb(drawing::SourceFile, output, display);
  } else if (options.batch == "ugf") {
    if (drawing::ExportUgfBatch(output, display) == drawing::ExportResult::kSameFile)
      platform::RunTimeError(platform::kAccessDenied, display, 0, "refusing to overwrite the drawing itself");
  } else if (options.batch == "pdf" || options.batch == "svg") {
    return print::ExportVector(options.batch == "pdf" ? platform::PageFormat::kPdf : platform::PageFormat::kSvg,
                               output, display, options.scale, options.colour);
  } else if (options.batch == "png") {
    ExportPng(output, display, options.picture_width, options.picture_height, options.longer_side);
  } else {
    return print::PrintBatch(options.scale);
  }
  return 0;
}

int RunToEnd(const Options& options, const platform::WindowBackend& backend) {
  int status = 0;
  try {
    StartProgram();
    graphics::SelectBackend(&backend);
    if (options.batch.empty()) {
      RunProgram(options);
    } else {
      RunBatch(options);
    }
  } catch (const platform::ProgramEnd& end) {
    status = end.status;
  } catch (const platform::RunTimeFailure& failure) {
    Report(failure);
    status = failure.code();
    // A user who started it from a desktop sees no terminal: the window shows the report.
    if (options.batch.empty()) ShowRunTimeError(failure);
  } catch (const platform::NoWindow& no) {
    drawing::RemoveScratchFiles();
    std::fprintf(stderr,
                 "ugfview: cannot open a window (%s); set DISPLAY or WAYLAND_DISPLAY, or run "
                 "headless: ugfview --headless --keys SCRIPT --screenshot FILE.png\n",
                 no.reason.c_str());
    return 1;
  } catch (const std::bad_alloc&) {
    status = platform::kHeapOverflow;
    Report(InternalFailure(status, "out of memory"));
  } catch (const std::exception& e) {
    status = platform::kUnhandledException;
    Report(InternalFailure(status, e.what()));
  } catch (...) {
    status = platform::kUnhandledException;
    Report(InternalFailure(status, "unknown exception"));
  }
  drawing::RemoveScratchFiles();
  if (options.batch.empty()) WriteScreenshot(options.screenshot);
  return status;
}

}  // namespace app
