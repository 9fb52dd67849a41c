// The run-time error report where the user looks: in the window's message rows.
#include "app/program.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "platform/text.h"

namespace app {

namespace {

// The drawing may be what failed: a repaint draws the empty drawing area and the report,
// never the drawing again.
void RepaintReport() {
  dialogs::ComputeTextMetrics();
  dialogs::LayoutScreen();
  dialogs::ShowMessagesAgain();
}

}  // namespace

void ShowRunTimeError(const platform::RunTimeFailure& failure) {
  if (!graphics::WindowCreated || graphics::Backend == &platform::HeadlessBackend) return;
  try {
    // The failure may have come in the middle of any drawing.
    graphics::SetXorMode(0);
    graphics::SetLineStyle(0, 0, 1);
    while (graphics::PointerDisplayCount < 0) graphics::ShowMouse();
    graphics::PaintHook = RepaintReport;
    graphics::RedrawProc = RepaintReport;
    dialogs::ShowMessage(0, platform::Cp866(" " + failure.ReportLine()));
    dialogs::ShowMessage(1, platform::Cp866(" " + failure.DetailLine()));
    dialogs::ShowMessage(2, platform::Cp866(" Нажмите любую клавишу;Press any key"));
    graphics::ReadWholeKey();
  } catch (const platform::ProgramEnd&) {
    // The window closed: the run ends all the same, with the report's status.
  } catch (const platform::RunTimeFailure&) {
  }
}

}  // namespace app
