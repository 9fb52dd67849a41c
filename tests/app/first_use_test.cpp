// What a first-time user meets, as whole runs: the panel after a resize, refused numbers,
// notes after outputs, folders and many drawings in one batch, error lines, the key guide.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/main_menu.h"
#include "dialogs/file_selector.h"
#include "dialogs/menu_panel.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "platform/vector_page.h"
#include "support/capture.h"
#include "support/fixture.h"

extern char** environ;

namespace {

using testing_support::Sample;

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ReadPng;
using testing_support::RunUgfview;

constexpr const char* kBad = " X   Y   PenNo\r\n1 2 3\r\n4 x 0\r\n";

struct Picture {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
  // Pixels that differ from `o` in rows y0..y1-1.
  int Differ(const Picture& o, int y0, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < w; ++x) n += at(x, y) != o.at(x, y);
    return n;
  }
};

class FirstUse : public testing_support::ProgramTest {
 protected:
  std::string P(const std::string& name) const { return dir() + "/" + name; }
  // A path of UTF-8 bytes (a narrow string is the ANSI code page on Windows).
  static fs::path U(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
  Picture Shot(const std::string& name) {
    Picture p;
    EXPECT_TRUE(ReadPng(P(name), p.px, p.w, p.h)) << name;
    return p;
  }
  // A run on `keys` with the key log; its "text ROW ..." lines.
  std::vector<std::string> Texts(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::remove(P("k.log").c_str());
    std::vector<std::string> e = env;
    e.push_back("UGFVIEW_KEYLOG=" + P("k.log"));
    const auto r = RunUgfview(args, dir(), e);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> texts;
    std::istringstream log(ReadFile(P("k.log")));
    for (std::string line; std::getline(log, line);)
      if (line.rfind("text ", 0) == 0) texts.push_back(line);
    return texts;
  }
  static int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }
  std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(U(P(folder)))) {
      const std::u8string name = e.path().filename().u8string();
      names.emplace(name.begin(), name.end());
    }
    return names;
  }
};

// An old-variant drawing after the window shrank: the panel of a window that had the size
// from the start.
TEST_F(FirstUse, TheMenuPanelFollowsTheWindowsSize) {
  for (const std::string name : {"PLAN", "PART"}) {
    ASSERT_EQ(RunUgfview({"--size", "1280x1024", "--keys", "{resize 640 480}{move 5 5}{move 6 6}{shot a.png}",
                          Sample(name + ".UGF")}, dir()).status, 0);
    ASSERT_EQ(RunUgfview({"--size", "640x480", "--keys", "{shot b.png}", Sample(name + ".UGF")}, dir()).status, 0);
    const Picture a = Shot("a.png"), b = Shot("b.png");
    ASSERT_EQ(a.w, 640);
    EXPECT_EQ(a.Differ(b, 480 - 56, 480), 0) << name;  // the text area of 640 × 480
  }
}

// Scales and sizes of 0 or below in the print dialogue, and an offset of 0, are refused with
// a message and change nothing: the job and the export are those of a run without them.
TEST_F(FirstUse, NumbersThatMakeNoSenseAreRefused) {
  fs::copy_file(Sample("PART.UGF"), P("PART.UGF"));
  fs::create_directory(P("jobs"));
  const std::vector<std::string> print = {"UGFVIEW_PRINT_DIR=" + P("jobs")};
  Texts({"--keys", "49\\r\\r2A\\r\\r\\r\\r", "PART.UGF"}, print);
  const auto texts = Texts({"--keys", "43abc\\r\\r3-1\\r\\r1-5\\r\\r9\\r\\r2B\\r\\r\\r0\\r\\r5\\r0\\r\\r", "PART.UGF"}, print);
  const std::string refused = "text 0  Масштаб вне пределов 0..1000000 не принят";
  EXPECT_EQ(std::count(texts.begin(), texts.end(), refused), 3);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "text 0  Смещение 0 и меньше не принято"), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "text 0  Масштаб вне пределов 0..1000000, вывод отменён"), 1);
  const std::regex date("/CreationDate \\([^)]*\\)");
  EXPECT_EQ(std::regex_replace(ReadFile(P("jobs/job-0001.pdf")), date, ""),
            std::regex_replace(ReadFile(P("jobs/job-0002.pdf")), date, ""));
  EXPECT_EQ(ReadFile(P("A.UGF")), ReadFile(P("B.UGF")));
  EXPECT_FALSE(fs::exists(P("PART.PLT")));
}

// After each output the panel's title row names what was written, without waiting for a key.
TEST_F(FirstUse, OutputsSayWhatTheyWrote) {
  fs::copy_file(Sample("PART.UGF"), P("PART.UGF"));
  fs::create_directory(P("jobs"));
  auto texts = Texts({"--keys", "5\\r\\r3\\r2X\\r\\r\\r\\r49\\r\\r", "PART.UGF"}, {"UGFVIEW_PRINT_DIR=" + P("jobs")});
  const auto said = [&](const std::string& name) {
    return "text 0  Записан файл " + name + ", строк: " + std::to_string(Lines(ReadFile(P(name))));
  };
  EXPECT_EQ(texts, (std::vector<std::string>{said("PART.PLT"), said("PART.SGB"), said("X.UGF"),
                                             "text 0  Вывод чертежа на принтер", "text 1  Вывод чертежа на принтер",
                                             "text 0  Листов: 1, записаны в каталог " + P("jobs")}));
  // In English, and with no printer at all.
  texts = Texts({"--keys", "{ctrl+k}4\\r9\\r\\r", "PART.UGF"}, {"CUPS_SERVER=" + P("none")});
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "text 0 No printer, nothing printed");
}

// Several drawings into a folder: each file is the one a run of its own writes; a bad drawing
// in the middle, a folder without drawings and a name met twice are each reported, and the
// others are written.
TEST_F(FirstUse, ManyDrawingsIntoAFolder) {
  fs::create_directories(P("in/empty"));
  fs::create_directories(P("other"));
  for (const std::string name : {"PART", "PLAN"}) fs::copy_file(Sample(name + ".UGF"), P("in/" + name + ".UGF"));
  fs::copy_file(Sample("POINTS.UGF"), U(P("in/чертёж 2.UGF")));
  fs::copy_file(Sample("PENS.UGF"), P("other/PART.UGF"));
  std::ofstream(P("in/BAD.UGF"), std::ios::binary) << kBad;
  const std::regex date("/CreationDate \\([^)]*\\)");  // the only bytes two runs of a PDF differ in
  for (const std::string kind : {"plt", "sgb", "ugf", "pdf", "svg", "png"}) {
    if ((kind == "pdf" || kind == "svg") && !platform::VectorPagesAvailable()) continue;
    // A scale at which the plan fits a PDF or SVG page.
    const auto r = RunUgfview({"--" + kind, "out " + kind + "/", "--scale", "0.2", "in", "in/empty/", "other/PART.UGF"}, dir());
    EXPECT_EQ(r.status, 106) << kind;
    EXPECT_NE(r.err.find("ugfview: in/BAD.UGF: line 3: bad number 'x'\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ugfview: in/empty/: no drawings (*.UGF) in this folder\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("other/PART.UGF: not written"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ugfview: 3 of 5 drawings written to out " + kind + "/; 3 failed, the first in/BAD.UGF\n"),
              std::string::npos) << r.err;
    const std::string ext = kind == "plt" ? ".PLT" : kind == "sgb" ? ".SGB" : kind == "ugf" ? ".UGF" : "." + kind;
    std::set<std::string> want;
    for (const std::string name : {"PART", "PLAN", "чертёж 2"}) {
      const std::string file = name + ext;
      want.insert(file);
      ASSERT_EQ(RunUgfview({"--" + kind, "one", "--scale", "0.2", "in/" + name + ".UGF"}, dir()).status, 0);
      EXPECT_TRUE(std::regex_replace(ReadFile(P("out " + kind + "/" + file)), date, "") ==
                  std::regex_replace(ReadFile(P("one")), date, ""))
          << kind << " " << name;
    }
    EXPECT_EQ(Listing("out " + kind), want);  // nothing of BAD, no temporary file
  }
  // A folder that cannot be made: one clear line, nothing written.
  std::ofstream(P("file")) << "x";
  auto r = RunUgfview({"--plt", "file/out/", "in/PART.UGF"}, dir());
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("ugfview: file/out/: cannot create the output folder: Not a directory"), std::string::npos) << r.err;
  // Several drawings need a folder; one drawing with a file name stays as it was.
  EXPECT_EQ(RunUgfview({"--plt", "x.plt", "in/PART.UGF", "in/PLAN.UGF"}, dir()).status, 2);
  EXPECT_EQ(RunUgfview({"--plt", "x.plt", "in"}, dir()).status, 2);
  r = RunUgfview({"--plt", "x.plt", "in/PART.UGF"}, dir());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
}

#ifndef _WIN32
// stderr a terminal: a run of over a second (held up for one once it has begun) shows drawing
// n of N and the records read; stderr a file: the summary alone.
TEST_F(FirstUse, ProgressOnlyOnATerminal) {
  std::string drawing = "l\n";
  for (int i = 0; i < 5000; ++i) drawing += std::to_string(i % 100) + " " + std::to_string(i % 7) + (i % 100 ? " 0\n" : " 3\n");
  fs::create_directory(P("many"));
  for (int i = 0; i < 150; ++i) std::ofstream(P("many/D" + std::to_string(100 + i) + ".UGF")) << drawing;
  // The batch into `out` with stderr on `err`, stopped for 1.1 s after its first file.
  const auto run = [&](const std::string& out, int err) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addchdir_np(&fa, dir().c_str());
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, err, 2);
    std::vector<std::string> args = {UGFVIEW_PATH, "--sgb", out + "/", "many"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    for (int ms = 0; ms < 20000 && !fs::exists(P(out + "/D100.SGB")); ++ms) usleep(1000);
    kill(pid, SIGSTOP);
    usleep(1100 * 1000);
    kill(pid, SIGCONT);
    return pid;
  };
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  const pid_t pid = run("tty", slave);
  close(slave);
  std::string tty;
  char buf[4096];
  for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;) tty.append(buf, static_cast<std::size_t>(n));
  close(master);
  int status = -1;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::regex_search(tty, std::regex("\rugfview: drawing [0-9]+ of 150, [1-9][0-9]* records read \\(many/D")))
      << tty;
  EXPECT_NE(tty.find("ugfview: 150 drawings written to tty/"), std::string::npos);
  const int file = open(P("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  waitpid(run("file", file), &status, 0);
  close(file);
  EXPECT_EQ(ReadFile(P("err.txt")), "ugfview: 150 drawings written to file/\n");
  EXPECT_EQ(Listing("file").size(), 150u);
}
#endif

// Error lines name the path as given, the system's reason and the folder that is missing.
TEST_F(FirstUse, ErrorLinesSayWhatToDo) {
  fs::create_directory(P("sub"));
  const auto detail = [&](const std::vector<std::string>& args) {
    const std::string err = RunUgfview(args, dir()).err;
    return err.substr(err.find('\n') + 1);
  };
  EXPECT_EQ(detail({"--keys", "", "sub/NOPE.UGF"}), "ugfview: sub/NOPE.UGF: cannot open: No such file or directory\n");
  EXPECT_EQ(detail({"--keys", "", "no/such/X.UGF"}),
            "ugfview: no/such/X.UGF: cannot open: No such file or directory (folder \"no\" is missing)\n");
  EXPECT_EQ(detail({"--plt", "sub/a/b.plt", Sample("PART.UGF")}),
            "ugfview: sub/a/b.plt: cannot create: No such file or directory (folder \"sub/a\" is missing)\n");
  std::ofstream(P("sub/BAD.UGF"), std::ios::binary) << kBad;
  EXPECT_EQ(detail({"--keys", "", "sub/bad"}), "ugfview: sub/BAD.UGF: line 3: bad number 'x'\n");
}

class FirstUseMenu : public testing_support::ProgramTest {};

// A folder on the command line, with or without its slash, is where the selector starts; a
// folder of 10,000 drawings lists the 200 smallest names.
TEST_F(FirstUseMenu, AFolderOpensTheSelectorThere) {
  fs::create_directories(dir() + "/big");
  fs::create_directories(dir() + "/small");
#ifdef _WIN32
  const int files = 300;  // more than the selector lists; 10,000 take a minute under wine
#else
  const int files = 10000;
#endif
  for (int i = 0; i < files; ++i) std::ofstream(dir() + "/big/D" + std::to_string(10000 + i) + ".UGF") << "l\n0 0 1\n1 1 0\n";
  fs::copy_file(Sample("PLAN.UGF"), dir() + "/big/A.UGF");
  fs::copy_file(Sample("PLAN.UGF"), dir() + "/small/A.UGF");
  for (const std::string& folder : {std::string("big/"), std::string("small")}) {
    ASSERT_EQ(chdir(dir().c_str()), 0);
    OpenHeadless(640, 480, "\\r\\e");
    try {
      app::RunMainProgram(dir() + "/" + folder);
    } catch (const platform::ProgramEnd& end) {
      EXPECT_EQ(end.status, 0);
    }
    EXPECT_EQ(dialogs::FileCount, folder == "small" ? 1 : dialogs::kMaxFiles);
    EXPECT_EQ(dialogs::MenuItems[0].name, platform::Cp866("     М И Р Т А В Е Л  Файл A.UGF"));
    const std::string plain = folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), fs::path(dir()) / plain)) << folder;
  }
}

// F1 shows a page of keys over the drawing area until the next key, which is then taken as
// usual; the picture comes back exactly, also after a resize under the page.
TEST_F(FirstUse, FOneShowsTheKeysAndLeavesThePictureAsItWas) {
  const std::string part = Sample("PART.UGF");
  const auto run = [&](const std::string& keys) { EXPECT_EQ(RunUgfview({"--keys", keys, part}, dir()).status, 0) << keys; };
  run("{shot a.png}{F1}{shot ru.png}0{shot b.png}{ctrl+k}{F1}{shot en.png}7{shot c.png}");
  run("{ctrl+k}7{shot d.png}");
  run("6{F1}{Right}{shot e.png}");
  run("6{Right}{shot f.png}");
  run("{F1}{resize 800 600}{move 5 5}0{shot g.png}");
  run("{resize 800 600}{move 5 5}0{shot h.png}");
  const Picture a = Shot("a.png"), ru = Shot("ru.png"), en = Shot("en.png");
  EXPECT_EQ(a.px, Shot("b.png").px);
  EXPECT_EQ(Shot("c.png").px, Shot("d.png").px);
  EXPECT_EQ(Shot("e.png").px, Shot("f.png").px);
  EXPECT_EQ(Shot("g.png").px, Shot("h.png").px);
  // The page: its frame, text on the first line, and the drawing gone from under it; the
  // text rows are left alone; Russian and English differ.
  EXPECT_EQ(ru.at(2, 300), 0xFFFFFFu);
  int text = 0, drawing = 0;
  for (int x = 0; x < 1024; ++x) {
    for (int y = 10; y < 30; ++y) text += ru.at(x, y) != 0;
    drawing += ru.at(x, 294) != 0 && x > 2 && x < 1021;  // the plate's centre line in pen 4
  }
  EXPECT_GT(text, 200);
  EXPECT_EQ(drawing, 0);
  EXPECT_NE(a.at(512, 294), 0u);
  EXPECT_EQ(ru.Differ(a, 664, 768), 0);
  EXPECT_GT(ru.Differ(en, 0, 664), 200);
}

}  // namespace
