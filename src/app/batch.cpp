// Batch runs: one drawing to its output, or many into an output folder, with progress on a
// terminal.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/program.h"
#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "drawing/ugf_reader.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/system.h"

namespace app {

namespace {

// The progress line: drawing n of N and the records read, shown on a terminal once the run
// has taken a second, and wiped before any other line.
struct Progress {
  bool terminal = false;
  std::uint64_t start = 0, last = 0;
  int n = 0, total = 0;
  long records = 0;
  std::string name;
  std::size_t shown = 0;  // length of the line on the screen
};
Progress g_progress;

void ShowProgress() {
  Progress& p = g_progress;
  if (!p.terminal) return;
  const std::uint64_t now = platform::MonotonicMs();
  if (now - p.start < 1000 || (p.shown > 0 && now - p.last < 100)) return;
  p.last = now;
  char line[600];
  const int len = std::snprintf(line, sizeof line, "ugfview: drawing %d of %d, %ld records read (%.400s)", p.n,
                                p.total, p.records, p.name.c_str());
  const std::size_t used = len > 0 ? std::min<std::size_t>(static_cast<std::size_t>(len), sizeof line - 1) : 0;
  std::fprintf(stderr, "\r%s%*s", line, static_cast<int>(p.shown > used ? p.shown - used : 0), "");
  std::fflush(stderr);
  p.shown = used;
}

void WipeProgress() {
  Progress& p = g_progress;
  if (p.shown == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(p.shown), "");
  p.shown = 0;
}

void RecordsRead(long records) {
  g_progress.records += records;
  ShowProgress();
}

// Installs the progress for the run and takes it away however the run ends.
class ProgressOn {
 public:
  explicit ProgressOn(int total) : saved_(drawing::ReadProgressProc) {
    g_progress = Progress{};
    g_progress.terminal = platform::StderrIsTerminal();
    g_progress.start = platform::MonotonicMs();
    g_progress.total = total;
    drawing::ReadProgressProc = RecordsRead;
  }
  ~ProgressOn() {
    WipeProgress();
    drawing::ReadProgressProc = saved_;
  }
  ProgressOn(const ProgressOn&) = delete;
  ProgressOn& operator=(const ProgressOn&) = delete;

 private:
  platform::Hook<void(long)> saved_;
};

void NextDrawing(const std::string& name) {
  ++g_progress.n;
  g_progress.records = 0;
  g_progress.name = name;
  ShowProgress();
}

std::string ExtensionOf(const std::string& batch) {
  if (batch == "plt") return ".PLT";
  if (batch == "sgb") return ".SGB";
  if (batch == "ugf") return ".UGF";
  return "." + batch;  // pdf, svg, png
}

std::string WithoutTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

struct Item {
  std::string drawing;  // as given, or the folder's path joined with the name
  std::string folder;   // a folder without drawings: its name as given
};

// The drawings given, a folder standing for its *.UGF files in name order.
std::vector<Item> ExpandDrawings(const std::vector<std::string>& given) {
  std::vector<Item> items;
  for (const std::string& g : given) {
    if (!platform::IsFolder(g)) {
      items.push_back({g, {}});
      continue;
    }
    const std::string folder = WithoutTrailingSlashes(g);
    const std::size_t before = items.size();
    platform::DirEntry e;
    for (bool more = platform::FindFirst(0, folder + "/*.UGF", e); more; more = platform::FindNext(e))
      items.push_back({folder + "/" + e.name, {}});
    if (items.size() == before) items.push_back({{}, g});
  }
  return items;
}

int ConvertIntoFolder(const Options& options) {
  int err = 0;
  if (!platform::IsFolder(options.output) && !platform::CreateFolders(options.output, err))
    platform::RunTimeError(platform::OpenErrorCode(err), options.output_given, 0,
                           "cannot create the output folder: " + platform::FailureReason(options.output, options.output_given, err));
  const std::vector<Item> items = ExpandDrawings(options.drawings);
  int drawings = 0;
  for (const Item& item : items) drawings += item.folder.empty() ? 1 : 0;
  const std::string out_dir = WithoutTrailingSlashes(options.output);
  const std::string out_shown = WithoutTrailingSlashes(options.output_given);
  const std::string ext = ExtensionOf(options.batch);

  const ProgressOn progress(drawings);
  std::set<std::string> written;
  int status = 0, failed = 0, done = 0;
  std::string first_failed;
  const auto fail = [&](const std::string& what, int code) {
    if (status == 0) {
      status = code;
      first_failed = what;
    }
    ++failed;
  };
  for (const Item& item : items) {
    if (!item.folder.empty()) {
      WipeProgress();
      std::fprintf(stderr, "ugfview: %s: no drawings (*.UGF) in this folder\n", item.folder.c_str());
      fail(item.folder, platform::kFileNotFound);
      continue;
    }
    NextDrawing(item.drawing);
    const std::string name = BaseNameOf(ResolveDrawing(item.drawing)) + ext;
    const std::string target = out_dir + "/" + name, shown = out_shown + "/" + name;
    int code = 0;
    if (!written.insert(target).second) {
      WipeProgress();
      std::fprintf(stderr, "ugfview: %s: not written: %s came from an earlier drawing of this run\n",
                   item.drawing.c_str(), shown.c_str());
      code = platform::kAccessDenied;
    } else {
      // Each drawing from a fresh program state: its file is the one a run of its own writes.
      try {
        StartProgram();
        code = ConvertDrawing(options, item.drawing, item.drawing, target, shown);
      } catch (const platform::RunTimeFailure& failure) {
        WipeProgress();
        std::fprintf(stderr, "%s\n%s\n", failure.ReportLine().c_str(), failure.DetailLine().c_str());
        code = failure.code();
      } catch (const platform::ProgramEnd& end) {
        code = end.status;
      }
      drawing::RemoveScratchFiles();
    }
    if (code == 0) {
      ++done;
    } else {
      fail(item.drawing, code);
    }
  }
  WipeProgress();
  if (failed == 0) {
    std::fprintf(stderr, "ugfview: %d drawing%s written to %s/\n", done, done == 1 ? "" : "s", out_shown.c_str());
  } else {
    std::fprintf(stderr, "ugfview: %d of %d drawings written to %s/; %d failed, the first %s\n", done, drawings,
                 out_shown.c_str(), failed, first_failed.c_str());
  }
  return status;
}

}  // namespace

void RunBatch(const Options& options) {
  if (options.output_folder) throw platform::ProgramEnd{ConvertIntoFolder(options)};
  int status = 0;
  {
    const ProgressOn progress(1);
    NextDrawing(options.drawings.empty() ? options.drawing : options.drawings[0]);
    status = ConvertDrawing(options, options.drawing, options.drawings.empty() ? options.drawing : options.drawings[0],
                            options.output, options.output_given);
  }
  throw platform::ProgramEnd{status};
}

}  // namespace app
