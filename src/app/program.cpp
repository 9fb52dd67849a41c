#include "app/program.h"

#include <charconv>
#include <cstring>

#include "app/test_card.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "graphics/window.h"
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
  graphics::ViewStartProc = view::ResetViewWindow;
}

void RunProgram(const Options&) {
  graphics::RedrawProc = DrawTestCard;
  graphics::PaintHook = DrawTestCard;
  graphics::InitGraphics();
  RunTestCard();
}

}  // namespace app
