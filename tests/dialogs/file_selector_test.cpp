#include "dialogs/file_selector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/system.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using testing_support::Sample;
using platform::Cp866;
using testing_support::Frame;
using testing_support::SameFrame;
namespace fs = std::filesystem;

// What the selector shows and lists each time it reads a key.
std::vector<Frame> g_frames;
std::vector<std::vector<std::string>> g_lists;
std::function<void(int)> g_before_read;
void Snapshot() {
  g_frames.push_back(graphics::Screen.pixels);
  g_lists.emplace_back(dialogs::FileList.begin(), dialogs::FileList.begin() + dialogs::FileCount);
  if (g_before_read) g_before_read(static_cast<int>(g_frames.size()));
}

std::string Cwd() { return testing_support::CurrentDir(); }

class FileSelectorTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    dialogs::FileSelectorStartUp();
    g_frames.clear();
    g_lists.clear();
    g_before_read = nullptr;
  }
  void Open(const std::string& script, int width = 1024, int height = 600) {
    OpenHeadless(width, height, script);
    reads_.Start(Snapshot);
  }
  static void Write(const std::string& path, const std::string& content = " X Y\r\n 0 0 -1\r\n") {
    std::ofstream(testing_support::U8(path), std::ios::binary) << content;
  }
  static void CopySample(const std::string& sample, const std::string& path) {
    fs::copy_file(testing_support::U8(Sample(sample)), testing_support::U8(path));
  }
  static std::string Select(int mode = 1) {
    std::string name = "old";
    dialogs::SelectFile(mode, "*.UGF", name);
    return name;
  }
  static void DrawAt(const std::string& text, int x, int y) {
    graphics::SetViewport(0, view::DrawAreaHeight, view::ClientWidth, view::ClientHeight);
    graphics::SetDrawColor(dialogs::TextColour);
    dialogs::SetTextEscapeMode(2);  // as the selector draws: '\' is a character of a folder name
    dialogs::DrawTextRun(text, x, y, dialogs::CharHeight, dialogs::CharWidth);
    dialogs::SetTextEscapeMode(0);
  }
  testing_support::KeyReads reads_;
};

TEST(AnsiToDos, ConvertsTheCyrillicLettersOfCodePage1251) {
  EXPECT_EQ(dialogs::AnsiToDos("\xC0\xDF\xE0\xEF\xF0\xFF\xA8\xB8"), Cp866("АЯапряЁё"));
  EXPECT_EQ(dialogs::AnsiToDos("A\xB9\xBF\x80"), "A\xB9\xBF\x80");
}

TEST_F(FileSelectorTest, KeepsTheSmallest200NamesSortedAndScrollsThreeRowsAtATime) {
  // The system hands out upper-case names first; the smallest names are the lower-case ones.
  char name[32];
  for (int i = 0; i < 250; ++i) {
    std::snprintf(name, sizeof name, i < 125 ? "f%03d.ugf" : "F%03d.UGF", i);
    Write(name);
  }
  fs::create_directory("DIR.UGF");
  Write("NOTE.TXT");
  // Rows 1, 2, 3, 4 (scrolled), 5 (scrolled), back to 4, 3, 2 (scrolled), then column 2.
  Open("{Down}{Down}{Down}{Down}{Up}{Up}{Up}{Right}\r");
  EXPECT_EQ(Select(), "F003");
  EXPECT_EQ(dialogs::SelectedPath, "f003.ugf");
  ASSERT_EQ(dialogs::FileCount, 200);
  for (int i = 0; i < 200; ++i) {
    std::snprintf(name, sizeof name, "F%03d", i);
    EXPECT_EQ(dialogs::FileList[i], name);
  }
  EXPECT_EQ(dialogs::FileRealNames[199], "F199.UGF");
}

TEST_F(FileSelectorTest, WideModeShowsNamesInCp866WithTheFirstLinesOfTheDrawings) {
  CopySample("PLAN.UGF", "PLAN.UGF");
  CopySample("PART.UGF", "part.ugf");
  CopySample("POINTS.UGF", "чертёж.ugf");
  // Three files make two rows; Down reaches the empty third row, and Enter there gives nothing.
  Open("{Down}{Down}\r{Down}\r", 1600, 600);
  EXPECT_EQ(Select(), "");
  EXPECT_EQ(dialogs::SelectedPath, "");
  EXPECT_EQ(Select(), Cp866("чертёж"));
  EXPECT_EQ(dialogs::SelectedPath, "чертёж.ugf");

  const std::string folder = Cp866(platform::NativePath(Cwd()));
  ASSERT_LE(folder.size(), 40u) << "the header would be shortened";
  const int p = dialogs::RowPitch, cw = dialogs::CharWidth, half = graphics::GetMaxX() / 2;
  auto first_line = [](const std::string& path) {
    std::string line;
    std::getline(std::ifstream(testing_support::U8(path)), line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line.substr(0, 34);
  };
  dialogs::ClearTextArea();
  DrawAt(folder + Cp866("   Файлов   3 Стрелки,Enter-Выбор, TAB-каталоги"), 90, p);
  DrawAt("PART", 10, 2 * p - 1);
  DrawAt(first_line("part.ugf"), 11 * cw, 2 * p - 1);
  DrawAt("PLAN", half + 10, 2 * p - 1);
  DrawAt(first_line("PLAN.UGF"), half + 11 * cw, 2 * p - 1);
  DrawAt(Cp866("чертёж"), 10, 3 * p);
  DrawAt(first_line("чертёж.ugf"), 11 * cw, 3 * p);
  DrawAt("[", 0, 2 * p);
  DrawAt("]", 10 * cw, 2 * p);
  ASSERT_FALSE(g_frames.empty());
  EXPECT_TRUE(SameFrame(g_frames[0], graphics::Screen.pixels));
}

TEST_F(FileSelectorTest, TabListsFoldersWithTheParentFirstAndEnterMovesThroughThem) {
  Write("A.UGF");
  fs::create_directory("work");
  fs::create_directory("Zeta");
  fs::create_directory("-old");
  Write("work/inner.ugf");
  const std::string top = Cwd();
  // Folders, into WORK, back to files there, choose.
  Open("\t{Down}\r\t\r" "\t\r\t\r");
  EXPECT_EQ(Select(), "INNER");
  EXPECT_EQ(dialogs::SelectedPath, "inner.ugf");
  EXPECT_EQ(Cwd(), top + "/work");
  const std::vector<std::vector<std::string>> first = {
      {"A"}, {"..", "-OLD", "WORK", "ZETA"}, {"..", "-OLD", "WORK", "ZETA"}, {".."}, {"INNER"}};
  EXPECT_EQ(g_lists, first);

  // Up again through "..": the selector stays with the folders until Tab.
  g_lists.clear();
  EXPECT_EQ(Select(), "A");
  EXPECT_EQ(Cwd(), top);
  const std::vector<std::vector<std::string>> second = {
      {"INNER"}, {".."}, {"..", "-OLD", "WORK", "ZETA"}, {"A"}};
  EXPECT_EQ(g_lists, second);
  EXPECT_FALSE(dialogs::ListDirectories);
}

TEST_F(FileSelectorTest, AFolderThatCannotBeEnteredGivesAMessageAndTheSelectorStays) {
  fs::create_directory("gone");
  const std::string top = Cwd();
  // The folder disappears after it was listed.
  g_before_read = [](int read) {
    if (read == 3) fs::remove("gone");
  };
  Open("\t{Right}\r{Right}\e");
  EXPECT_EQ(Select(), "");
  EXPECT_EQ(Cwd(), top);
  ASSERT_EQ(g_frames.size(), 5u);
  // The message stands in the header row, which the next key gives back.
  EXPECT_FALSE(SameFrame(g_frames[3], g_frames[2]));
  EXPECT_TRUE(SameFrame(g_frames[4], g_frames[2]));
  graphics::Screen.pixels = g_frames[3];
  graphics::SetViewport(0, view::DrawAreaHeight, view::ClientWidth, view::ClientHeight);
  graphics::SetDrawColor(dialogs::TextBackColour);
  dialogs::DrawTextRun(Cp866("Нельзя войти в каталог GONE"), 1, dialogs::RowPitch, dialogs::CharHeight,
                       dialogs::CharWidth);
  for (int y = view::DrawAreaHeight; y < view::DrawAreaHeight + dialogs::RowPitch + 3; ++y)
    for (int x = 0; x < view::ClientWidth; ++x)
      ASSERT_EQ(graphics::PixelAt(x, y), 0u) << x << ", " << y;
}

TEST_F(FileSelectorTest, NamesComeBackUpperCasedAndCutButTheRealNamesOpen) {
  Write("plan.ugf");
  const std::string long_name = "a_very_long_drawing_name_of_forty_chars";
  Write(long_name + ".ugf");
#ifdef _WIN32
  const std::string odd = "€.ugf";  // a letter CP866 lacks (Windows names are always Unicode)
#else
  const std::string odd = "\xFF.ugf";  // not UTF-8
#endif
  Write(odd);
  // A left click is ignored, a right click chooses.
  Open("{click 5 5}{Right}{rclick 5 5}" "{Down}\r" "\r");
  EXPECT_EQ(Select(), "A_VERY_LONG_DRAWING_NAME_OF_FORT");
  EXPECT_TRUE(std::ifstream(dialogs::SelectedPath).good()) << dialogs::SelectedPath;
  EXPECT_EQ(dialogs::SelectedPath, long_name + ".ugf");

  EXPECT_EQ(Select(), "PLAN");
  EXPECT_EQ(platform::FindExisting(platform::Cp866ToUtf8("PLAN") + ".UGF"), "plan.ugf");

  EXPECT_EQ(Select(), "?");
  EXPECT_EQ(dialogs::SelectedPath, odd);
  EXPECT_TRUE(std::ifstream(testing_support::U8(dialogs::SelectedPath)).good());
}

}  // namespace
