// The program started twice in one process: the second start runs the same script to the
// same screens, key log and files as the first (a batch run starts it once per drawing).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "drawing/element_store.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "platform/key_script.h"
#include "support/capture.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;

struct Outcome {
  int status = -1;
  std::vector<std::uint32_t> screen;
  std::string log, shots, sgb, plt;
  bool operator==(const Outcome&) const = default;
};

void SetKeyLog(const char* value) {
#ifdef _WIN32
  _putenv_s("UGFVIEW_KEYLOG", value);
#else
  if (*value) setenv("UGFVIEW_KEYLOG", value, 1);
  else unsetenv("UGFVIEW_KEYLOG");
#endif
}

class Restart : public testing_support::ProgramTest {
 protected:
  // One run as main makes it: configure, start, run until the script is used up. Each run
  // logs to a file of its own (Windows cannot remove the file a run still holds open).
  Outcome Run(const std::string& keys, const std::string& log) {
    SetKeyLog((dir() + "/" + log).c_str());
    platform::KeyScript script;
    std::string error;
    EXPECT_TRUE(platform::ParseKeyScript(keys, script, error)) << error;
    platform::ConfigureHeadless(640, 480, std::move(script));
    app::StartProgram();
    graphics::SelectBackend(&platform::HeadlessBackend);
    app::Options options;
    options.drawing = testing_support::Sample("PART.UGF");
    options.drawings = {options.drawing};
    Outcome o;
    try {
      app::RunProgram(options);
    } catch (const platform::ProgramEnd& end) {
      o.status = end.status;
    }
    drawing::RemoveScratchFiles();
    o.screen = graphics::Screen.pixels;
    const std::pair<const char*, std::string Outcome::*> files[] = {
        {"a.png", &Outcome::shots}, {"b.png", &Outcome::shots},
        {"PART.SGB", &Outcome::sgb}, {"PART.PLT", &Outcome::plt}};
    for (const auto& [name, member] : files) {
      const std::string path = dir() + "/" + name;
      o.*member += ReadFile(path);
      std::remove(path.c_str());
    }
    o.log = ReadFile(dir() + "/" + log);
    return o;
  }
};

TEST_F(Restart, TheSecondStartBehavesAsTheFirst) {
  // Pan, zoom, turn, viewports, colour scheme, language, a standard view, two files, the key
  // guide, four viewports and a turn of the drawing: state of most modules changes.
  const std::string keys =
      "{PgUp}{PgUp}{Left}{ctrl+Left}@\\t;{ctrl+k}V04{shot a.png}3\\r5\\r\\r{F1}{shot b.png}\\e$7";
  const Outcome first = Run(keys, "keys1.log");
  const Outcome second = Run(keys, "keys2.log");
  SetKeyLog("");
  graphics::WindowStartUp();  // closes the log
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.log.find("text 0 Written PART.PLT"), std::string::npos);
  EXPECT_FALSE(first.sgb.empty());
  EXPECT_EQ(first.log, second.log);
  EXPECT_EQ(first.shots, second.shots);
  EXPECT_EQ(first.sgb, second.sgb);
  EXPECT_EQ(first.plt, second.plt);
  EXPECT_TRUE(first.screen == second.screen);
}

}  // namespace
