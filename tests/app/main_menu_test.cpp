// The main program and its menu: the drawing from the command line, TEK.DAT or the file
// selector, the variant, turning, the output items and the batch conversions; in process
// where the state tells more, as whole runs of build/ugfview where the files do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/main_menu.h"
#include "dialogs/menu_panel.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using testing_support::Sample;

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ReadPng;
using testing_support::RunUgfview;

std::string Title(const std::string& name) {
  return platform::Cp866("     М И Р Т А В Е Л  Файл ") + name + ".UGF";
}

std::string Cwd() { return testing_support::CurrentDir(); }

bool Exists(const std::string& path) {
  platform::FileId id;
  return platform::IdOfPath(path, false, id);
}

// The names in a folder.
std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

struct Picture {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
};

Picture Png(const std::string& path) {
  Picture p;
  EXPECT_TRUE(ReadPng(path, p.px, p.w, p.h)) << path;
  return p;
}

class MainMenuTest : public testing_support::ProgramTest {
 protected:
  // The interactive program in process on `script`; the exit status.
  int RunMain(const std::string& drawing, const std::string& script) {
    OpenHeadless(640, 480, script);
    try {
      app::RunMainProgram(drawing);
    } catch (const platform::ProgramEnd& end) {
      return end.status;
    }
  }
  void Copy(const std::string& sample, const std::string& to) {
    fs::copy_file(testing_support::U8(Sample(sample)), testing_support::U8(dir() + "/" + to),
                  fs::copy_options::overwrite_existing);
  }
};

TEST_F(MainMenuTest, TitleAndVariantFollowTheDrawingsFirstPen) {
  EXPECT_EQ(RunMain(Sample("PART.UGF"), "\\e"), 0);
  EXPECT_EQ(dialogs::MenuItems[0].name, Title("PART"));
  EXPECT_EQ(drawing::DrawingVariant, 0);
  EXPECT_EQ(dialogs::MenuItems[8].name, platform::Cp866("Новый формат "));
  EXPECT_EQ(RunMain(Sample("PLAN.UGF"), "\\e"), 0);
  EXPECT_EQ(drawing::DrawingVariant, 1);
  EXPECT_EQ(dialogs::MenuItems[8].name, platform::Cp866("Старый формат "));
  for (const auto& [pen, variant] : std::vector<std::pair<std::string, int>>{
           {"0", 1}, {"-1", 1}, {"-7", 1}, {"1", 0}, {"+12", 0}}) {
    std::ofstream(dir() + "/V.UGF") << "label\n10 20 " << pen << "\n30 40 0\n50 60 3\n0 0 -1\n";
    EXPECT_EQ(RunMain(dir() + "/V.UGF", "\\e"), 0);
    EXPECT_EQ(drawing::DrawingVariant, variant) << pen;
    EXPECT_EQ(dialogs::MenuItems[0].name, Title("V"));
  }
  // A Cyrillic file name shows in CP866 and names the outputs as typed; a long one is cut.
  Copy("PART.UGF", "ЧЕРТЁЖ.UGF");
  EXPECT_EQ(RunMain(dir() + "/ЧЕРТЁЖ.UGF", "5\\r\\r"), 0);
  EXPECT_EQ(dialogs::MenuItems[0].name, Title(platform::Cp866("ЧЕРТЁЖ")));
  EXPECT_TRUE(Exists(dir() + "/ЧЕРТЁЖ.PLT"));
  const std::string long_name(40, 'L');
  Copy("PART.UGF", long_name + ".UGF");
  EXPECT_EQ(RunMain(dir() + "/" + long_name + ".UGF", ""), 0);
  EXPECT_EQ(dialogs::MenuItems[0].name, Title(long_name).substr(0, 50));
}

TEST_F(MainMenuTest, TekDatNamesTheFolderTheSelectorLists) {
  // The folder holds PART; DRAW holds only PLAN and other only POINTS.
  Copy("PART.UGF", "PART.UGF");
  fs::create_directory(dir() + "/DRAW");
  fs::create_directory(dir() + "/other");
  Copy("PLAN.UGF", "DRAW/PLAN.UGF");
  Copy("POINTS.UGF", "other/POINTS.UGF");
#ifdef _WIN32
  std::string windows = dir() + "\\DRAW\\";  // the drive is dir()'s own
#else
  std::string windows = "C:" + dir() + "\\DRAW\\";
#endif
  std::replace(windows.begin(), windows.end(), '/', '\\');
  struct Case {
    std::string line2;  // empty with `write` false: no TEK.DAT at all
    bool write;
    std::string expect_name, expect_dir;
  };
  const std::vector<Case> cases = {
      {windows + "\r", true, "PLAN", dir() + "/DRAW"},  // written on DOS: CRLF
      {dir() + "/other/", true, "POINTS", dir() + "/other"},
      {"", true, "PART", dir()},
      {dir() + "/missing/", true, "PART", dir()},
      {"", false, "PART", dir()},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(testing_support::ChangeDir(dir()));
    std::remove("TEK.DAT");
    if (c.write) std::ofstream("TEK.DAT", std::ios::binary) << "work\n" << c.line2 << "\na\nb\nc\nd\n1 2 3 4 5\n";
    EXPECT_EQ(RunMain("", "\\r\\e"), 0) << c.line2;
    EXPECT_EQ(dialogs::MenuItems[0].name, Title(c.expect_name)) << c.line2;
    EXPECT_EQ(Cwd(), c.expect_dir) << c.line2;
  }
  // A TEK.DAT that cannot be read is ignored.
  ASSERT_TRUE(testing_support::ChangeDir(dir()));
  std::remove("TEK.DAT");
  fs::create_directory("TEK.DAT");
  EXPECT_EQ(RunMain("", "\\r\\e"), 0);
  EXPECT_EQ(dialogs::MenuItems[0].name, Title("PART"));
  fs::remove("TEK.DAT");
  // With a drawing on the command line TEK.DAT is not read: item 1 lists the start folder.
  std::ofstream("TEK.DAT") << "work\n" << windows << "\n";
  EXPECT_EQ(RunMain(dir() + "/PART.UGF", "1\\r"), 0);
  EXPECT_EQ(Cwd(), dir());
  EXPECT_EQ(dialogs::MenuItems[0].name, Title("PART"));
  EXPECT_EQ(drawing::DrawingVariant, 0);
}

TEST_F(MainMenuTest, CancelledSelectorOfItemOneKeepsTheDrawingWithAnEmptyName) {
  Copy("PART.UGF", "PART.UGF");
  // The drawing procedure and file stay: turning still replays PART.
  EXPECT_EQ(RunMain(dir() + "/PART.UGF", "1\\e7"), 0);
  EXPECT_EQ(dialogs::MenuItems[0].name, Title(""));
  EXPECT_EQ(drawing::SourceName, "");
  EXPECT_EQ(drawing::RotateFlag, 1);
  EXPECT_EQ(drawing::DrawingVariant, 0);
  int holes = 0;  // the bolt holes' pen
  for (int y = 0; y < view::DrawAreaHeight; ++y)
    for (int x = 0; x < view::ClientWidth; ++x) holes += graphics::PixelAt(x, y) == graphics::Palette[11];
  EXPECT_GT(holes, 100);
  // The offered empty name cancels the output: no hidden ".SGB".
  EXPECT_EQ(RunMain(dir() + "/PART.UGF", "1\\e3\\r\\r"), 0);
  EXPECT_EQ(Listing(dir()), (std::set<std::string>{"PART.UGF"}));
}

TEST_F(MainMenuTest, TheDrawingItselfIsNeverTheUgfTarget) {
  // The drawing is a lower-case file the selector shows upper-cased, with a link to it where
  // links can be made.
  Copy("PART.UGF", "part.ugf");
  const bool link = testing_support::MakeSymlink("part.ugf", dir() + "/LINK.UGF");
  const std::string before = ReadFile(dir() + "/part.ugf");
  std::set<std::string> files = {"part.ugf", "m.png"};
  if (link) files.insert("LINK.UGF");
  for (const std::string name : {"PART", "part", "Part", "LINK"}) {
    if (name == "LINK" && !link) continue;
    ASSERT_TRUE(testing_support::ChangeDir(dir()));
    // PART is entry 2 when LINK sorts first; the keys after the message would write the export
    // if the name got through.
    EXPECT_EQ(RunMain("", std::string(link ? "{Right}" : "") + "\\r2" + name + "\\r{shot m.png}\\r\\r\\r\\r"), 0) << name;
    EXPECT_EQ(dialogs::MenuItems[0].name, Title("PART"));
    EXPECT_EQ(ReadFile(dir() + "/part.ugf"), before) << name;
    EXPECT_EQ(Listing(dir()), files) << name;
    const Picture shot = Png(dir() + "/m.png");
    dialogs::ShowMessage(0, platform::Cp866(" Задайте другое имя файла"));
    ASSERT_EQ(shot.w, graphics::Screen.width);
    int differing = 0;
    for (int y = view::DrawAreaHeight; y < shot.h; ++y)
      for (int x = 0; x < shot.w; ++x)
        differing += shot.px[static_cast<std::size_t>(y) * shot.w + x] != graphics::PixelAt(x, y);
    EXPECT_EQ(differing, 0) << name;
    std::remove("m.png");
  }
}

class MainMenuRun : public testing_support::ProgramTest {
 protected:
  void Copy(const std::string& sample) {
    fs::copy_file(Sample(sample), dir() + "/" + sample, fs::copy_options::overwrite_existing);
  }
  Picture Shot(const std::string& name) { return Png(dir() + "/" + name); }
};

TEST_F(MainMenuRun, TurningTwiceAndSwitchingTheVariantTwiceGiveTheFirstPictureBack) {
  const auto r = RunUgfview({"--keys", "{shot a.png}7{shot b.png}7{shot c.png}8{shot d.png}8{shot e.png}\\e",
                             Sample("PART.UGF")},
                            dir());
  ASSERT_EQ(r.status, 0) << r.err;
  const Picture a = Shot("a.png"), b = Shot("b.png"), c = Shot("c.png"), d = Shot("d.png"),
                e = Shot("e.png");
  EXPECT_NE(a.px, b.px);
  EXPECT_EQ(a.px, c.px);
  EXPECT_NE(a.px, d.px);
  // The drawing alone, without grid dots and axes: every pixel it keeps is the first one's
  // (or was under a grid dot or a work-plane axis, drawn in XOR in pens 15, 11, 10 and 14),
  // and the panel, item 8 included, is the first one's again.
  const int area = 768 - 104;  // the text area of a 768-pixel window
  ASSERT_EQ(e.px.size(), a.px.size());
  int kept = 0, gone = 0, changed = 0;
  for (std::size_t i = 0; i < a.px.size(); ++i) {
    if (e.px[i] == a.px[i]) {
      kept += e.px[i] != 0;
    } else if (static_cast<int>(i / 1024) >= area) {
      ++changed;
    } else if (e.px[i] == 0) {
      ++gone;
    } else if (const std::uint32_t x = a.px[i] ^ e.px[i];
               x == 0xFFFFFF || x == 0x00FFFF || x == 0x00FF00 || x == 0xFFFF00) {
      ++kept;
    } else {
      ++changed;
    }
  }
  EXPECT_GT(kept, 5000);
  EXPECT_GT(gone, 100);
  EXPECT_EQ(changed, 0);
}

TEST_F(MainMenuRun, ItemOneLoadsTheDrawingPickedInTheSelector) {
  for (const char* s : {"PART.UGF", "PENS.UGF", "PLAN.UGF", "POINTS.UGF"}) Copy(s);
  // Entries by rows of two: PART PENS / PLAN POINTS.
  auto r = RunUgfview({"--keys", "1{Right}\\r{shot pens.png}1{Down}\\r{shot plan.png}\\e", "PART.UGF"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunUgfview({"--keys", "{shot plan0.png}", "PLAN.UGF"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunUgfview({"--keys", "{shot pens0.png}", "PENS.UGF"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Shot("plan.png").px, Shot("plan0.png").px);
  EXPECT_EQ(Shot("pens.png").px, Shot("pens0.png").px);
}

TEST_F(MainMenuRun, OutputItemsWriteWhatTheBatchConversionsWrite) {
  for (const std::string name : {"PART", "PLAN"}) {
    Copy(name + ".UGF");
    const auto r = RunUgfview({"--keys", "5\\r\\r3\\r2" + name + "X\\r\\r\\r\\r\\e", name + ".UGF"}, dir());
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& [option, out] : std::vector<std::pair<std::string, std::string>>{
             {"--plt", ".PLT"}, {"--sgb", ".SGB"}, {"--ugf", "X.UGF"}}) {
      const auto b = RunUgfview({option, "BATCH" + out, name + ".UGF"}, dir());
      EXPECT_EQ(b.status, 0) << option << b.err;
      EXPECT_EQ(b.out + b.err, "") << option;
      const std::string menu = ReadFile(dir() + "/" + name + out);
      EXPECT_GT(menu.size(), 100u) << name << out;
      EXPECT_EQ(menu, ReadFile(dir() + "/BATCH" + out)) << name << out;
    }
    EXPECT_EQ(ReadFile(dir() + "/" + name + ".UGF"), ReadFile(Sample(name + ".UGF")));
  }
  // A missing drawing: the report naming it, and no output.
  for (const std::string option : {"--plt", "--sgb", "--ugf"}) {
    const auto r = RunUgfview({option, "OUT", "NOPE.UGF"}, dir());
    EXPECT_EQ(r.status, 2) << option;
    EXPECT_EQ(r.err.rfind("Runtime error 2 at 0x", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("NOPE"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(dir() + "/OUT")) << option;
  }
}

TEST_F(MainMenuRun, NoOutputReplacesTheDrawingItself) {
  // Drawings named as outputs; the keys after each item would write if the name got through.
  const std::string part = ReadFile(Sample("PART.UGF"));
  for (const char* name : {"D.SGB", "D.PLT", "D.UGF"}) std::ofstream(dir() + "/" + name, std::ios::binary) << part;
  for (const auto& [drawing, keys] : std::vector<std::pair<std::string, std::string>>{
           {"D.SGB", "3\\r\\r\\r"}, {"D.PLT", "5\\r\\r\\r"}, {"D.UGF", "2D\\r\\r\\r\\r\\r"}}) {
    auto r = RunUgfview({"--keys", keys + "\\e", drawing}, dir());
    EXPECT_EQ(r.status, 0) << drawing << r.err;
    EXPECT_EQ(ReadFile(dir() + "/" + drawing), part) << drawing;
    const std::string option = drawing == "D.SGB" ? "--sgb" : drawing == "D.PLT" ? "--plt" : "--ugf";
    r = RunUgfview({option, drawing, drawing}, dir());
    EXPECT_NE(r.status, 0) << drawing;
    EXPECT_EQ(ReadFile(dir() + "/" + drawing), part) << drawing;
  }
  EXPECT_EQ(Listing(dir()), (std::set<std::string>{"D.SGB", "D.PLT", "D.UGF"}));
}

TEST_F(MainMenuRun, EscInANameFieldWritesNothing) {
  Copy("PART.UGF");
  // Each cancelled item shows a message and waits for a key.
  const auto r = RunUgfview({"--keys", "5\\e\\r3\\e\\r2\\e\\r2abc\\b\\b\\b\\e\\r\\e", "PART.UGF"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Listing(dir()), (std::set<std::string>{"PART.UGF"}));
}

TEST_F(MainMenuRun, PointPickReturnsToTheMenuAndEscEndsCleanly) {
  Copy("SPIRAL.UGF");  // long enough to spill into the scratch files
  auto r = RunUgfview({"--keys", "{shot a.png}6{shot b.png}\\r{shot c.png}\\e7{shot d.png}", "SPIRAL.UGF"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  const Picture a = Shot("a.png"), b = Shot("b.png"), c = Shot("c.png");
  EXPECT_NE(a.px, b.px);  // the prompt and the cursor
  EXPECT_EQ(a.px, c.px);  // the menu again, the cursor gone
  // Esc ended the run before anything after it was read.
  EXPECT_FALSE(Exists(dir() + "/d.png"));
  for (const char* scratch : {"BUF.TMP", "BUFN.TMP", "BUF.ZBF"}) EXPECT_FALSE(Exists(dir() + "/" + scratch));
  // Esc in the start-up selector ends without a drawing.
  r = RunUgfview({"--keys", "\\e{shot e.png}"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Exists(dir() + "/e.png"));
}

TEST_F(MainMenuRun, NonFiniteOffsetsAreWrittenReadablyAndEscInTheOffsetSaysSo) {
  Copy("PART.UGF");
  // Thickness 1 for pen 15 and an offset beyond the single range; then Esc in the offset
  // field, and an empty name, each with a screenshot of its message.
  const auto r = RunUgfview({"--keys", "2X\\r\\r{Up}\\r" + std::string(45, '9') +
                                           "\\r2Y\\r\\r\\r\\e{shot esc.png}\\r2\\r{shot empty.png}\\r\\e",
                             "PART.UGF"},
                            dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunUgfview({"--plt", "X.PLT", "X.UGF"}, dir()).status, 0);  // read back whole
  EXPECT_EQ(Listing(dir()), (std::set<std::string>{"PART.UGF", "X.UGF", "X.PLT", "esc.png", "empty.png"}));
  const Picture esc = Shot("esc.png"), empty = Shot("empty.png");
  const std::size_t area = static_cast<std::size_t>(esc.w) * (768 - 104);
  EXPECT_TRUE(std::equal(esc.px.begin() + area, esc.px.end(), empty.px.begin() + area));
}

TEST_F(MainMenuRun, TekDatInAnyCaseAndShotsGoToTheStartFolder) {
  fs::create_directory(dir() + "/draw");
  fs::copy_file(Sample("PLAN.UGF"), dir() + "/draw/PLAN.UGF");
  std::ofstream(dir() + "/tek.dat") << "work\n" << dir() << "/draw\n";
  const auto r = RunUgfview({"--keys", "\\r{shot s.png}3\\r\\e"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Listing(dir() + "/draw"), (std::set<std::string>{"PLAN.UGF", "PLAN.SGB"}));
  EXPECT_TRUE(Exists(dir() + "/s.png"));
}

TEST_F(MainMenuRun, APlotOutsideItsScalesAndAPrintOfTooManySheetsAreRefused) {
  Copy("PART.UGF");
  fs::create_directory(dir() + "/jobs");
  // Scales 0 and -2 for the plot; scale 1000 (430,596 sheets) for the print, then 9.
  const auto r = RunUgfview({"--keys", "5\\r0\\r\\r5\\r-2\\r\\r431000\\r9\\r\\e\\e", "PART.UGF"}, dir(),
                            {"UGFVIEW_PRINT_DIR=" + dir() + "/jobs", "CUPS_SERVER=" + dir() + "/none"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Listing(dir()), (std::set<std::string>{"PART.UGF", "jobs"}));
  EXPECT_TRUE(Listing(dir() + "/jobs").empty());
}

}  // namespace
