// Program start: module start-ups in their order, the command line, and the run.
#pragma once
#include <string>

namespace app {

struct Options {
  bool headless = false;
  int width = 1024;
  int height = 768;
  bool keys_given = false;
  std::string keys;
  std::string screenshot;
  std::string drawing;
  bool test_card = false;   // the driver's test screen instead of the program
  std::string batch;        // "plt", "sgb", "ugf", "pdf", "svg", "png", "print" or empty
  std::string output;
  float scale = 1.0f;
  bool rotate = false;
  bool colour = false;      // --pdf, --svg: pens in their colours
  // --png: the picture's size; with `longer_side` only the longer side was given.
  int picture_width = 1024;
  int picture_height = 768;
  bool longer_side = false;
  bool help = false;
  bool version = false;
};

// Parses the command line. False with `error` set on a usage error.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
std::string UsageText();

// Every module's start-up, in the order the modules depend on each other.
void StartProgram();

// The drawing named on the command line: the name as given (exact, then any case), else the
// folder plus the base name plus ".UGF".
std::string ResolveDrawing(const std::string& given);
std::string BaseNameOf(const std::string& path);
// Makes `given` the current drawing: variant, hooks, fit and picture.
void OpenDrawing(const std::string& given);

// A conversion or print without the menu (a headless run); ends the program.
[[noreturn]] void RunBatch(const Options& options);

// The interactive run: opens the graphics and runs until the program ends (by throwing
// platform::ProgramEnd or platform::RunTimeFailure).
[[noreturn]] void RunProgram(const Options& options);

}  // namespace app
