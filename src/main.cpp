#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "drawing/element_store.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "platform/key_script.h"
#include "platform/system.h"

namespace {

void WriteScreenshot(const std::string& path) {
  if (path.empty() || graphics::Screen.width <= 0) return;
  if (!graphics::WriteScreenshot(path))
    std::fprintf(stderr, "ugfview: cannot write screenshot %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // UTF-8 on every system, whatever the code page of the process.
  std::vector<std::string> args = platform::ProgramArguments(argc, argv);
  std::vector<char*> arg_ptrs;
  for (std::string& a : args) arg_ptrs.push_back(a.data());
  arg_ptrs.push_back(nullptr);
  app::Options options;
  std::string error;
  if (!app::ParseOptions(static_cast<int>(args.size()), arg_ptrs.data(), options, error)) {
    std::fprintf(stderr, "ugfview: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(app::UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("ugfview " UGFVIEW_VERSION);
    return 0;
  }
  // Paths from the command line are taken against the start directory, before anything
  // changes the current directory.
  options.screenshot = platform::AbsolutePath(options.screenshot);
  options.drawing = platform::AbsolutePath(options.drawing);

  if (!options.batch.empty()) {
    if (options.drawing.empty()) {
      std::fprintf(stderr, "ugfview: --%s needs a drawing\n", options.batch.c_str());
      return 2;
    }
    options.output = platform::AbsolutePath(options.output);
    options.headless = true;
  }
  if (options.headless) {
    platform::KeyScript script;
    if (!platform::ParseKeyScript(options.keys, script, error)) {
      std::fprintf(stderr, "ugfview: %s\n", error.c_str());
      return 2;
    }
    // {shot FILE} is a path from the command line too: the selector may change the folder.
    for (auto& group : script.groups)
      for (auto& event : group.events)
        if (event.kind == platform::EventKind::kShot) event.text = platform::AbsolutePath(event.text);
    platform::ConfigureHeadless(options.width, options.height, std::move(script));
  }

  int status = 0;
  try {
    app::StartProgram();
    graphics::SelectBackend(options.headless ? &platform::HeadlessBackend : platform::SystemWindowBackend());
    if (options.batch.empty()) {
      app::RunProgram(options);
    } else {
      app::RunBatch(options);
    }
  } catch (const platform::ProgramEnd& end) {
    status = end.status;
  } catch (const platform::RunTimeFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.ReportLine().c_str());
    std::fprintf(stderr, "%s\n", failure.DetailLine().c_str());
    status = failure.code();
    // A user who started it from a desktop sees no terminal: the window shows the report.
    if (options.batch.empty()) app::ShowRunTimeError(failure);
  } catch (const platform::NoWindow& no) {
    drawing::RemoveScratchFiles();
    std::fprintf(stderr,
                 "ugfview: cannot open a window (%s); set DISPLAY or WAYLAND_DISPLAY, or run "
                 "headless: ugfview --headless --keys SCRIPT --screenshot FILE.png\n",
                 no.reason.c_str());
    return 1;
  }
  drawing::RemoveScratchFiles();
  if (options.batch.empty()) WriteScreenshot(options.screenshot);
  return status;
}
