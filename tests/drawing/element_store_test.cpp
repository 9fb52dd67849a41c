#include "drawing/element_store.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;

std::vector<int> g_waits;
platform::Hook<void(int)> g_old_wait = nullptr;

void RecordWait(int ms) {
  g_waits.push_back(ms);
  g_old_wait(ms);
}

// The 4-byte little-endian record r of a file's bytes.
std::uint32_t Record(const std::string& bytes, std::size_t r) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * r;
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
         std::uint32_t{b[3]} << 24;
}
float FloatRecord(const std::string& bytes, std::size_t r) {
  return std::bit_cast<float>(Record(bytes, r));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ElementStoreTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    tmpdir_ = dir() + "/tmp";
    fs::create_directory(tmpdir_);
    testing_support::SetTempDirVar(tmpdir_);
  }
  void TearDown() override {
    drawing::RemoveScratchFiles();
    if (g_old_wait != nullptr) graphics::WaitMilliseconds = g_old_wait;
    reads_.Stop();
    g_old_wait = nullptr;
    ProgramTest::TearDown();
  }
  void Open(const std::string& script = "") {
    OpenHeadless(640, 480, script);
    g_waits.clear();
    g_old_wait = graphics::WaitMilliseconds;
    graphics::WaitMilliseconds = RecordWait;
    reads_.Start(nullptr);
  }
  // The private scratch folders made under TMPDIR.
  std::vector<std::string> PrivateFolders() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(tmpdir_))
      if (e.path().filename().string().starts_with("ugfview-")) v.push_back(e.path().string());
    return v;
  }
  std::string tmpdir_;
  testing_support::KeyReads reads_;
};

TEST_F(ElementStoreTest, PointsBeyondMemoryGoToTheirRecordsOfBufTmp) {
  Open();
  // An old BUF.TMP is replaced, not extended.
  WriteText("BUF.TMP", std::string(100, 'q'));
  drawing::PutPoint(2000, 7.0f, 8.0f, 9.0f);
  drawing::PutPoint(1, -1.0f, -2.0f, -3.0f);
  EXPECT_EQ(fs::file_size("BUF.TMP"), 100u);
  EXPECT_TRUE(g_waits.empty());

  drawing::PutPoint(2001, 1.5f, -2.25f, 3.0e7f);
  EXPECT_EQ(g_waits, std::vector<int>{500});
  std::string bytes = ReadFile("BUF.TMP");
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(bytes.substr(0, 16), std::string(16, '\0'));
  EXPECT_EQ(bytes.substr(16, 4), std::string("\x00\x00\xC0\x3F", 4));  // 1.5f
  EXPECT_EQ(FloatRecord(bytes, 5), -2.25f);
  EXPECT_EQ(FloatRecord(bytes, 6), 3.0e7f);

  // Later points need no second opening.
  drawing::PutPoint(2003, 4.0f, 5.0f, 6.0f);
  EXPECT_EQ(g_waits.size(), 1u);
  bytes = ReadFile("BUF.TMP");
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(FloatRecord(bytes, 7), 0.0f);  // point 2002 never written
  EXPECT_EQ(FloatRecord(bytes, 8), 0.0f);
  EXPECT_EQ(FloatRecord(bytes, 9), 0.0f);
  EXPECT_EQ(FloatRecord(bytes, 10), 4.0f);
  EXPECT_EQ(FloatRecord(bytes, 12), 6.0f);

  float x = 0, y = 0, z = 0;
  drawing::GetPoint(2001, x, y, z);
  EXPECT_EQ(x, 1.5f);
  EXPECT_EQ(y, -2.25f);
  EXPECT_EQ(z, 3.0e7f);
  drawing::GetPoint(2000, x, y, z);
  EXPECT_EQ(x, 7.0f);
  EXPECT_EQ(y, 8.0f);
  EXPECT_EQ(z, 9.0f);
  drawing::GetPoint(1, x, y, z);
  EXPECT_EQ(z, -3.0f);
}

TEST_F(ElementStoreTest, PointTwoThousandCreatesNoFile) {
  Open();
  drawing::BeginElement();
  drawing::BeginContour();
  for (int i = 1; i <= 2000; ++i) drawing::AddPoint(float(i), 0.5f * i, 0.0f);
  drawing::CloseElement();
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_FALSE(fs::exists(tmpdir_ + "/BUF.TMP"));
  EXPECT_TRUE(PrivateFolders().empty());
  EXPECT_TRUE(g_waits.empty());
  float x = 0, y = 0, z = 0;
  drawing::GetPoint(2000, x, y, z);
  EXPECT_EQ(x, 2000.0f);
  EXPECT_EQ(y, 1000.0f);
}

TEST_F(ElementStoreTest, ContoursBeyondMemoryAreWholeAndThoseBelowAreCutToAByte) {
  Open();
  drawing::PutContour(500, 1234, 300, 70000);
  drawing::PutContour(499, -9, -1, 255);
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  drawing::PutContour(501, -7, 300, 70000);
  EXPECT_EQ(g_waits, std::vector<int>{500});
  const std::string bytes = ReadFile("BUFN.TMP");
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 12), std::string(12, '\0'));
  EXPECT_EQ(bytes.substr(12, 4), std::string("\xF9\xFF\xFF\xFF", 4));  // -7
  EXPECT_EQ(Record(bytes, 4), 300u);
  EXPECT_EQ(Record(bytes, 5), 70000u);

  std::int32_t first = 0, kind = 0, colour = 0;
  drawing::GetContour(500, first, kind, colour);
  EXPECT_EQ(first, 1234);
  EXPECT_EQ(kind, 300 & 0xFF);
  EXPECT_EQ(colour, 70000 & 0xFF);
  drawing::GetContour(499, first, kind, colour);
  EXPECT_EQ(first, -9);
  EXPECT_EQ(kind, 255);
  EXPECT_EQ(colour, 255);
  drawing::GetContour(501, first, kind, colour);
  EXPECT_EQ(first, -7);
  EXPECT_EQ(kind, 300);
  EXPECT_EQ(colour, 70000);
}

TEST_F(ElementStoreTest, ALaterSmallerElementOverwritesWithoutShrinkingTheFile) {
  Open();
  drawing::BeginElement();
  drawing::BeginContour();
  for (int i = 1; i <= 2500; ++i) drawing::AddPoint(float(i), float(-i), 1.0f);
  drawing::CloseElement();
  const auto size = fs::file_size("BUF.TMP");
  EXPECT_EQ(size, 4u * (3 * 500 + 4));
  const std::string before = ReadFile("BUF.TMP");

  drawing::BeginElement();
  drawing::BeginContour();
  for (int i = 1; i <= 10; ++i) drawing::AddPoint(float(100 + i), 0.0f, 0.0f);
  drawing::CloseElement();
  EXPECT_EQ(fs::file_size("BUF.TMP"), size);
  EXPECT_EQ(ReadFile("BUF.TMP"), before);  // stale records stay
  EXPECT_EQ(drawing::PointCount, 10);
  std::int32_t first = 0, last = 0, kind = 0, colour = 0;
  drawing::ContourRange(1, first, last, kind, colour);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 10);
  float x = 0, y = 0, z = 0;
  drawing::GetPoint(10, x, y, z);
  EXPECT_EQ(x, 110.0f);
  // The earlier element's point 2400 is still in the file.
  drawing::GetPoint(2400, x, y, z);
  EXPECT_EQ(x, 2400.0f);
  EXPECT_EQ(y, -2400.0f);
}

TEST_F(ElementStoreTest, ContourRangesAcrossBothMemoryBoundaries) {
  Open();
  graphics::SetDrawColor(300);
  drawing::BeginElement();
  EXPECT_EQ(drawing::ElementColour, 300);
  // Contour k holds k % 3 + 1 points, contour 250 holds 1500, so points pass 2000 too.
  std::vector<int> counts(503, 0);
  int n = 0;
  for (int k = 1; k <= 502; ++k) {
    counts[k] = k == 250 ? 1500 : k % 3 + 1;
    drawing::BeginContour();
    EXPECT_EQ(drawing::ClosedContourCount, k);
    for (int j = 0; j < counts[k]; ++j) {
      ++n;
      drawing::AddPoint(float(n), float(k), float(j));
    }
  }
  drawing::CloseElement();
  ASSERT_GT(n, 2000);
  EXPECT_EQ(drawing::ContourCount, 502);
  EXPECT_EQ(drawing::ClosedContourCount, 502);
  EXPECT_EQ(drawing::PointCount, n);
  int expect_first = 1;
  for (int k = 1; k <= 502; ++k) {
    std::int32_t first = 0, last = 0, kind = 0, colour = 0;
    drawing::ContourRange(k, first, last, kind, colour);
    ASSERT_EQ(first, expect_first) << "contour " << k;
    ASSERT_EQ(last, expect_first + counts[k] - 1) << "contour " << k;
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(colour, k <= 500 ? 300 & 0xFF : 300) << "contour " << k;
    float x = 0, y = 0, z = 0;
    drawing::GetPoint(last, x, y, z);
    EXPECT_EQ(x, float(last));
    EXPECT_EQ(y, float(k));
    expect_first = last + 1;
  }
  // The sentinel: contour 503 in BUFN.TMP, records 9..11.
  const std::string bytes = ReadFile("BUFN.TMP");
  ASSERT_EQ(bytes.size(), 4u * 12);
  EXPECT_EQ(Record(bytes, 9), std::uint32_t(n + 1));
  EXPECT_EQ(Record(bytes, 10), 1u);
  EXPECT_EQ(Record(bytes, 11), 300u);
}

TEST_F(ElementStoreTest, SentinelAtContourFiveHundredOneAndNegativeFirst) {
  Open();
  drawing::BeginElement();
  for (int k = 1; k <= 500; ++k) {
    drawing::BeginContour();
    drawing::AddPoint(0, 0, 0);
  }
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  drawing::CloseElement();  // the sentinel alone goes to the file
  std::int32_t first = 0, last = 0, kind = 0, colour = 0;
  drawing::ContourRange(500, first, last, kind, colour);
  EXPECT_EQ(first, 500);
  EXPECT_EQ(last, 500);
  // A segment contour's negative first number still bounds the one before it.
  drawing::PutContour(2, -5, 2, 0);
  drawing::ContourRange(1, first, last, kind, colour);
  EXPECT_EQ(last, 4);
  drawing::PutContour(2, INT_MIN, 2, 0);
  drawing::ContourRange(1, first, last, kind, colour);
  EXPECT_EQ(last, INT_MAX);
}

TEST_F(ElementStoreTest, ReadingBeyondMemoryBeforeAnyWriteReportsAndDumps) {
  Open("x");
  graphics::SetDrawColor(12);
  drawing::BeginElement();
  drawing::BeginContour();
  drawing::AddPoint(1.0f, -2.5f, 0.0f);
  drawing::AddPoint(1234.5678f, 0.125f, -0.5f);
  drawing::BeginContour();
  drawing::AddPoint(-10.0f, 20.0f, 30.0f);
  drawing::CloseElement();

  float x = 11, y = 22, z = 33;
  drawing::GetPoint(2005, x, y, z);
  EXPECT_EQ(x, 11.0f);
  EXPECT_EQ(y, 22.0f);
  EXPECT_EQ(z, 33.0f);
  EXPECT_EQ(reads_.keys(), std::vector<std::uint8_t>{'x'});
  EXPECT_TRUE(g_waits.empty());
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_EQ(ReadFile("BUF.ZBF"),
            "2 3\r\n"
            "        1      1      2\r\n"
            "     1    1.0000   -2.5000    0.0000\r\n"
            "     2 1234.5677    0.1250   -0.5000\r\n"
            "        2      3      3\r\n"
            "     3  -10.0000   20.0000   30.0000\r\n"
            "        3      4     -1\r\n");
  // The message row shows exactly this text.
  const std::vector<std::uint32_t> shown = graphics::Screen.pixels;
  dialogs::ShowMessage(0, platform::Cp866("BUF_GET-Файл не открыт 2005"));
  EXPECT_EQ(graphics::Screen.pixels, shown);

  std::int32_t first = 5, kind = 6, colour = 7;
  drawing::GetContour(600, first, kind, colour);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(kind, 6);
  EXPECT_EQ(colour, 7);
  EXPECT_EQ(g_waits, std::vector<int>{500});
  EXPECT_EQ(reads_.keys().size(), 1u);
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  const std::vector<std::uint32_t> shown_na = graphics::Screen.pixels;
  dialogs::ShowMessage(0, platform::Cp866("BUF_GETNA-Файл не открыт"));
  EXPECT_EQ(graphics::Screen.pixels, shown_na);
}

TEST_F(ElementStoreTest, DumpListsPointsBeyondMemoryAsZeroAndReplacesAnOldDump) {
  Open("ab");
  WriteText("BUF.ZBF", std::string(5000, 'z'));
  // A contour that reaches past point 2000 while BUF.TMP was never made (the counters are
  // the module's to set, so a caller can get here).
  drawing::PointCount = 2002;
  drawing::ContourCount = 1;
  drawing::PutContour(1, 1999, 1, 0);
  drawing::PutContour(2, 2003, 1, 0);
  drawing::PutPoint(1999, 1, 2, 3);
  float x = 0, y = 0, z = 0;
  drawing::GetPoint(2001, x, y, z);
  EXPECT_EQ(ReadFile("BUF.ZBF"),
            "1 2002\r\n"
            "        1   1999   2002\r\n"
            "  1999    1.0000    2.0000    3.0000\r\n"
            "  2000    0.0000    0.0000    0.0000\r\n"
            "  2001    0.0000    0.0000    0.0000\r\n"
            "  2002    0.0000    0.0000    0.0000\r\n"
            "        2   2003     -1\r\n");
  EXPECT_EQ(reads_.keys(), std::vector<std::uint8_t>{'a'});
}

TEST_F(ElementStoreTest, RemoveScratchFilesTakesBothAwayAndCanRunAgain) {
  Open();
  drawing::RemoveScratchFiles();  // nothing made yet
  drawing::PutPoint(2001, 1, 2, 3);
  drawing::PutContour(501, 1, 1, 1);
  ASSERT_TRUE(fs::exists("BUF.TMP"));
  ASSERT_TRUE(fs::exists("BUFN.TMP"));
  drawing::RemoveScratchFiles();
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  drawing::RemoveScratchFiles();
  // Forgotten as well: the next write beyond memory opens a new file.
  drawing::PutPoint(2002, 4, 5, 6);
  EXPECT_EQ(g_waits.size(), 3u);
  EXPECT_EQ(fs::file_size("BUF.TMP"), 40u);
}

TEST_F(ElementStoreTest, RemovalFindsTheFilesAfterAChangeOfDirectory) {
  Open();
  fs::create_directory("elsewhere");
  drawing::PutPoint(2001, 1, 2, 3);
  ASSERT_TRUE(testing_support::ChangeDir("elsewhere"));
  WriteText("BUF.TMP", "not ours");
  drawing::RemoveScratchFiles();
  ASSERT_TRUE(testing_support::ChangeDir(".."));
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_EQ(ReadFile("elsewhere/BUF.TMP"), "not ours");
}

// On Windows the name of an open file cannot be taken by another file.
#ifndef _WIN32
TEST_F(ElementStoreTest, RemovalLeavesANameThatIsNoLongerOurs) {
  Open();
  drawing::PutPoint(2001, 1, 2, 3);
  // Another program put its own file under the name.
  ASSERT_TRUE(fs::remove("BUF.TMP"));
  WriteText("BUF.TMP", "theirs");
  drawing::RemoveScratchFiles();
  EXPECT_EQ(ReadFile("BUF.TMP"), "theirs");
}
#endif

TEST_F(ElementStoreTest, StartUpForgetsTheStoreAndItsFiles) {
  Open();
  drawing::BeginElement();
  drawing::BeginContour();
  drawing::AddPoint(5, 6, 7);
  drawing::PutPoint(2001, 1, 2, 3);
  drawing::PutContour(501, 1, 1, 1);
  drawing::ElementStoreStartUp();
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  EXPECT_EQ(drawing::PointCount, 0);
  EXPECT_EQ(drawing::ContourCount, 0);
  EXPECT_EQ(drawing::ClosedContourCount, 0);
  float x = 9, y = 9, z = 9;
  drawing::GetPoint(1, x, y, z);
  EXPECT_EQ(x, 0.0f);
  std::int32_t first = 9, kind = 9, colour = 9;
  drawing::GetContour(1, first, kind, colour);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(kind, 0);
}

TEST_F(ElementStoreTest, HeldFilesGoToAPrivateFolderAndLeaveTheHoldersFileAlone) {
  Open();
  // Another ugfview holds BUF.TMP here.
  WriteText("BUF.TMP", "held by another");
  platform::SysFile other;
  ASSERT_EQ(platform::OpenScratch(dir() + "/BUF.TMP", false, other), 0);
  ASSERT_TRUE(platform::LockExclusive(other));

  drawing::PutPoint(2001, 1.5f, 2.5f, 3.5f);
  drawing::PutContour(501, 8, 1, 4);
  EXPECT_EQ(ReadFile("BUF.TMP"), "held by another");
  EXPECT_TRUE(fs::exists("BUFN.TMP"));  // not held: stays here
  const auto folders = PrivateFolders();
  ASSERT_EQ(folders.size(), 1u);
  const std::string bytes = ReadFile(folders[0] + "/BUF.TMP");
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(FloatRecord(bytes, 6), 3.5f);
  float x = 0, y = 0, z = 0;
  drawing::GetPoint(2001, x, y, z);
  EXPECT_EQ(y, 2.5f);

  drawing::RemoveScratchFiles();
  EXPECT_FALSE(fs::exists(folders[0]));
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  EXPECT_EQ(ReadFile("BUF.TMP"), "held by another");
}

TEST_F(ElementStoreTest, ALinkNamedLikeAScratchFileIsNotFollowed) {
  Open();
  WriteText("DRAWING.UGF", "drawing\n");
  // Symbolic links where they can be made (not on Windows without its rights), hard links always.
  const bool symlink = testing_support::MakeSymlink("DRAWING.UGF", "BUF.TMP");
  fs::create_hard_link("DRAWING.UGF", "BUFN.TMP");
  drawing::PutPoint(2001, 1, 2, 3);
  drawing::PutContour(501, 1, 1, 1);
  EXPECT_EQ(ReadFile("DRAWING.UGF"), "drawing\n");
  const auto folders = PrivateFolders();
  ASSERT_EQ(folders.size(), 1u);
  if (symlink) {
    EXPECT_EQ(fs::file_size(folders[0] + "/BUF.TMP"), 28u);
  }
  EXPECT_EQ(fs::file_size(folders[0] + "/BUFN.TMP"), 24u);
  drawing::RemoveScratchFiles();
  if (symlink) {
    EXPECT_TRUE(fs::is_symlink("BUF.TMP"));
  }
  EXPECT_TRUE(fs::exists("BUFN.TMP"));
  EXPECT_TRUE(PrivateFolders().empty());
}

// Windows keeps a folder that is some program's current folder.
#ifndef _WIN32
TEST_F(ElementStoreTest, AnUnusableCurrentDirectoryMovesTheFilesToAPrivateFolder) {
  Open();
  fs::create_directory("gone");
  ASSERT_TRUE(testing_support::ChangeDir("gone"));
  fs::remove(dir() + "/gone");
  drawing::PutContour(501, 3, 1, 2);
  drawing::PutPoint(2001, 1, 2, 3);
  ASSERT_TRUE(testing_support::ChangeDir(dir()));
  const auto folders = PrivateFolders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(Record(ReadFile(folders[0] + "/BUFN.TMP"), 3), 3u);
  EXPECT_EQ(fs::file_size(folders[0] + "/BUF.TMP"), 28u);
  std::int32_t first = 0, kind = 0, colour = 0;
  drawing::GetContour(501, first, kind, colour);
  EXPECT_EQ(colour, 2);
  drawing::RemoveScratchFiles();
  EXPECT_TRUE(PrivateFolders().empty());
}
#endif

TEST_F(ElementStoreTest, FailuresEndTheRunWithTheirCodes) {
  Open();
#ifndef _WIN32
  // Nowhere to create the file: the temporary folder is missing too.
  testing_support::SetTempDirVar(dir() + "/missing/deeper");
  fs::create_directory("gone");
  ASSERT_TRUE(testing_support::ChangeDir("gone"));
  fs::remove(dir() + "/gone");
  try {
    drawing::PutPoint(2001, 1, 2, 3);
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeFailure& f) {
    EXPECT_EQ(f.code(), platform::kPathNotFound);
  }
  ASSERT_TRUE(testing_support::ChangeDir(dir()));
#endif

  // Reading a record the file does not have yet.
  drawing::PutPoint(2001, 1, 2, 3);
  float x = 0, y = 0, z = 0;
  try {
    drawing::GetPoint(2002, x, y, z);
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeFailure& f) {
    EXPECT_EQ(f.code(), platform::kReadPastEnd);
    EXPECT_NE(f.DetailLine().find("BUF.TMP"), std::string::npos);
  }
  drawing::PutContour(501, 1, 1, 1);
  std::int32_t first = 0, kind = 0, colour = 0;
  EXPECT_THROW(drawing::GetContour(502, first, kind, colour), platform::RunTimeFailure);

#ifndef _WIN32
  // A write the file system refuses (file size limit).
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 1000;
  const auto old_signal = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int code = 0;
  std::string detail;
  try {
    drawing::PutContour(1000, 1, 1, 1);
  } catch (const platform::RunTimeFailure& f) {
    code = f.code();
    detail = f.DetailLine();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, old_signal);
  EXPECT_EQ(code, platform::kWriteFailed);
  EXPECT_NE(detail.find("BUFN.TMP"), std::string::npos);
#endif
}

TEST_F(ElementStoreTest, IndicesBelowOneAreIgnored) {
  Open();
  drawing::PutPoint(1, 1, 2, 3);
  drawing::PutContour(1, 4, 5, 6);
  for (const std::int32_t i : {0, -1, -2000, INT_MIN}) {
    drawing::PutPoint(i, 9, 9, 9);
    drawing::PutContour(i, 9, 9, 9);
    float x = 7, y = 7, z = 7;
    drawing::GetPoint(i, x, y, z);
    EXPECT_EQ(x, 7.0f);
    EXPECT_EQ(z, 7.0f);
    std::int32_t first = 7, kind = 7, colour = 7;
    drawing::GetContour(i, first, kind, colour);
    EXPECT_EQ(first, 7);
    EXPECT_EQ(colour, 7);
  }
  float x = 0, y = 0, z = 0;
  drawing::GetPoint(1, x, y, z);
  EXPECT_EQ(x, 1.0f);
  std::int32_t first = 0, kind = 0, colour = 0;
  drawing::GetContour(1, first, kind, colour);
  EXPECT_EQ(first, 4);
  EXPECT_FALSE(fs::exists("BUF.TMP"));
  EXPECT_FALSE(fs::exists("BUFN.TMP"));
  EXPECT_TRUE(g_waits.empty());
  // An element without contours closes with an empty sentinel at contour 1.
  drawing::BeginElement();
  drawing::AddPoint(1, 1, 1);
  drawing::CloseElement();
  drawing::GetContour(1, first, kind, colour);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(colour, 0);
}

}  // namespace
