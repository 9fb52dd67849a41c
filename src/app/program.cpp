#include "app/program.h"

#include <charconv>
#include <cstring>

#include "app/test_card.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "graphics/window.h"
#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "platform/files.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/cursor.h"
#include "view/views.h"
#include "view/view_state.h"

namespace app {

namespace {

bool ParseSize(std::string_view s, int& w, int& h) {
  const auto x = s.find('x');
  if (x == std::string_view::npos) return false;
  auto num = [](std::string_view t, int& v) {
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() && !t.empty();
  };
  return num(s.substr(0, x), w) && num(s.substr(x + 1), h) && w >= 320 && w <= 8192 &&
         h >= 320 && h <= 8192;
}

}  // namespace

std::string UsageText() {
  return "usage: ugfview [options] [DRAWING]\n"
         "  --headless          no window system (implied by --keys and --size)\n"
         "  --size WxH          client size for the headless backend (320..8192 each; default "
         "1024x768)\n"
         "  --keys SCRIPT       input for the headless backend\n"
         "  --screenshot FILE   write the framebuffer as PNG when the run ends\n"
         "  --help, --version\n";
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
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
      o.headless = true;
    } else if (a == "--size") {
      std::string v;
      if (!value(v)) return false;
      if (!ParseSize(v, o.width, o.height)) {
        error = "bad --size '" + v + "': needs WxH with 320..8192 each";
        return false;
      }
      o.headless = true;
    } else if (a == "--keys") {
      if (!value(o.keys)) return false;
      o.keys_given = true;
      o.headless = true;
    } else if (a == "--screenshot") {
      if (!value(o.screenshot)) return false;
      if (o.screenshot.empty()) {
        error = "--screenshot needs a file name";
        return false;
      }
    } else if (a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + std::string(a);
      return false;
    } else {
      if (!o.drawing.empty()) {
        error = "more than one drawing given: " + o.drawing + ", " + std::string(a);
        return false;
      }
      o.drawing = std::string(a);
    }
  }
  return true;
}

void StartProgram() {
  graphics::WindowStartUp();
  graphics::DriverStartUp();
  graphics::MouseStartUp();
  dialogs::StrokeFontStartUp();
  dialogs::TextAreaStartUp();
  view::TransformsStartUp();
  view::ViewsStartUp();
  view::RedrawStartUp();
  view::CursorStartUp();
  drawing::ReplayStartUp();
  drawing::ElementStoreStartUp();
  // The command-key unit's bindings.
  view::MoveToWorldProc = view::MoveToWorld;
  view::LineToWorldProc = view::LineToWorld;
  graphics::ViewStartProc = view::InitView;
  graphics::RedrawProc = view::Redraw;
}

std::string ResolveDrawing(const std::string& given) {
  std::string path = platform::FindExisting(given);
  if (!path.empty()) return path;
  // As the folder plus the base name plus ".UGF".
  const auto slash = given.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : given.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? given : given.substr(slash + 1);
  const auto dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
  path = platform::FindExisting(folder + base + ".UGF");
  return path.empty() ? given : path;
}

std::string BaseNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const auto dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
  return base;
}

void OpenDrawing(const std::string& given) {
  const std::string path = ResolveDrawing(given);
  drawing::SourceFile = path;
  drawing::SourceName = platform::Cp866(BaseNameOf(path));
  drawing::DrawingVariant = drawing::DetectVariant(path);
  drawing::DrawProc = drawing::DrawingVariant == 0 ? drawing::DrawNewVariant : drawing::DrawOldVariant;
  drawing::ExtentsProc = drawing::ExtentsOfDrawing;
  graphics::PaintHook = view::RepaintAll;
  view::StepByAngle = 0;
  view::FitAllAndRedraw();
}

void RunProgram(const Options& options) {
  if (options.drawing.empty()) {
    graphics::RedrawProc = DrawTestCard;
    graphics::PaintHook = DrawTestCard;
    graphics::InitGraphics();
    RunTestCard();
  }
  graphics::InitGraphics();
  OpenDrawing(options.drawing);
  // Until the main menu exists: Esc ends, 1..7 pick a viewport layout.
  for (;;) {
    const std::uint8_t key = graphics::ReadCommandKey();
    if (key == 27) graphics::CloseGraphics();
    if (key == 0) {
      graphics::ReadRawKey();
    } else if (key >= '1' && key <= '7') {
      view::SelectViewport(key - '0');
      view::Redraw();
    }
  }
}

}  // namespace app
