#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/key_script.h"
#include "platform/system.h"

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
    options.window = platform::kHeadlessName;
  }
  if (options.window == platform::kHeadlessName) {
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
  return app::RunToEnd(options, *platform::FindWindowBackend(options.window));
}
