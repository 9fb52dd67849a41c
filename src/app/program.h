// Program start: module start-ups in their order, the command line, and the run.
#pragma once
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/errors.h"

namespace app {

struct Options {
  std::string window;  // the window backend's name; empty: the system's own window
  int width = 1024;
  int height = 768;
  bool keys_given = false;
  std::string keys;
  std::string screenshot;
  std::string drawing;                // the first drawing; main makes it absolute
  std::vector<std::string> drawings;  // every drawing (or folder of drawings), as given
  bool test_card = false;   // the driver's test screen instead of the program
  std::string batch;        // "plt", "sgb", "ugf", "pdf", "svg", "png", "print" or empty
  std::string output;        // main makes it absolute
  std::string output_given;  // as given, for messages
  // The output names a folder (an existing one, or a name ending in '/'): each drawing is
  // written there under its own name, and several drawings may be given.
  bool output_folder = false;
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
// How error reports name the drawing `given` (as typed) found at `path`: the folder as typed
// and the name as found.
std::string ShownDrawingName(const std::string& given, const std::string& path);
// Makes `given` the current drawing: its file and names (error reports name it as `shown`, as
// `given` when that is empty), variant and hooks, then with `show` the fit and picture.
void OpenDrawing(const std::string& given, const std::string& shown = {}, bool show = true);

// A conversion or print without the menu (a headless run); ends the program. With an output
// folder, every drawing (a folder stands for its *.UGF files) is written there from a fresh
// program state, on past one that fails, ending with the status of the first failure and a
// summary line; on a terminal a run longer than a second shows its progress (batch.cpp).
[[noreturn]] void RunBatch(const Options& options);
// One drawing of a batch run in the program state as it is: `drawing` found as `shown`
// names it, written to `output` (`output_shown` in messages). The run's status; a run-time
// error is thrown.
int ConvertDrawing(const Options& options, const std::string& drawing, const std::string& shown,
                   const std::string& output, const std::string& output_shown);

// A window that is open (not headless) shows the report's two lines in its message rows
// until one key; the status stays the report's (error_window.cpp).
void ShowRunTimeError(const platform::RunTimeFailure& failure);

// The interactive run: opens the graphics and runs until the program ends (by throwing
// platform::ProgramEnd or platform::RunTimeFailure).
[[noreturn]] void RunProgram(const Options& options);

// Starts the program state and runs it (the menu, or the batch run) on `backend` until it
// ends, whatever ends it: prints the report, removes the scratch files, writes the
// screenshot, and gives the exit status. An exception of the program's own faults (out of
// memory, a broken invariant) ends it as a run-time error (203, 217) on stderr.
int RunToEnd(const Options& options, const platform::WindowBackend& backend);

}  // namespace app
