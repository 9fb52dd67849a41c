#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/key_script.h"
#include "platform/text.h"
#include "support/fixture.h"

namespace {

TEST(Text, CodePagesRoundTripTheCyrillicLetters) {
  EXPECT_EQ(platform::Cp866("Файл"), "\x94\xA0\xA9\xAB");
  EXPECT_EQ(platform::Cp866("р..яЁё"), "\xE0..\xEF\xF0\xF1");
  EXPECT_EQ(platform::Cp866("€"), "?");
  EXPECT_EQ(platform::Cp866ToUtf8("\x80\xAF\xE0\xEF"), "Апря");
  EXPECT_EQ(platform::Utf8ToCp1251("фЁ€z"), "\xF4\xA8\x88z");
  EXPECT_EQ(platform::Utf8ToCp1251("\xE4\xB8\xAD"), "");  // CP1251 lacks it: dropped
  EXPECT_EQ(platform::Cp1251ToUtf8("\xD1\xC0\xCF\xD0 "), "САПР ");
  for (int b = 0x80; b < 0x100; ++b) {
    const char32_t u = platform::Cp866ToUnicode(static_cast<unsigned char>(b));
    EXPECT_EQ(platform::UnicodeToCp866(u), b);
  }
  std::size_t i = 0;
  EXPECT_EQ(platform::DecodeUtf8("\xC0\xAF", i), 0xFFFDu);  // overlong
  i = 0;
  EXPECT_EQ(platform::DecodeUtf8("\xE2\x82", i), 0xFFFDu);  // cut short
}

TEST(KeyScript, GroupsFollowTheJoinsAndNonInputItems) {
  platform::KeyScript s;
  std::string err;
  ASSERT_TRUE(platform::ParseKeyScript("a{+}b{shot x.png}{resize 400 300}c{+}{close-no}d", s, err)) << err;
  ASSERT_EQ(s.groups.size(), 3u);
  EXPECT_EQ(s.groups[0].events.size(), 2u);  // a b
  EXPECT_EQ(s.groups[1].events.size(), 4u);  // shot resize c close
  EXPECT_EQ(s.groups[1].events[0].text, "x.png");
  EXPECT_EQ(s.groups[1].events[3].quit_answer, 2);
  EXPECT_EQ(s.groups[2].events.size(), 1u);
  EXPECT_FALSE(s.type_ahead);
  ASSERT_TRUE(platform::ParseKeyScript("{+}x", s, err));
  EXPECT_TRUE(s.type_ahead);
  ASSERT_TRUE(platform::ParseKeyScript("{click 5 6}ф", s, err));
  ASSERT_EQ(s.groups.size(), 2u);
  EXPECT_EQ(s.groups[0].events[0].kind, platform::EventKind::kMouseMove);
  EXPECT_EQ(s.groups[0].events[1].kind, platform::EventKind::kLeftDown);
  EXPECT_EQ(s.groups[1].events[0].ch, 0xF4);
  ASSERT_TRUE(platform::ParseKeyScript("{ctrl+shift+Down}{shift+ctrl+Up}", s, err));
  EXPECT_TRUE(s.groups[1].events[0].ctrl && s.groups[1].events[0].shift);
  ASSERT_TRUE(platform::ParseKeyScript("", s, err));
  EXPECT_TRUE(s.groups.empty());
}

TEST(KeyScript, MalformedItemsAreNamed) {
  platform::KeyScript s;
  std::string err;
  for (const char* bad : {"{Foo}", "{click 1}", "{click a b}", "{wheel 0}", "{resize 10 10}",
                          "{shot}", "{ctrl+1}", "abc{Left", "\\q", "\\x4", "x\\", "{}", "中",
                          "{ctrl+ctrl+Left}"}) {
    err.clear();
    EXPECT_FALSE(platform::ParseKeyScript(bad, s, err)) << bad;
    EXPECT_FALSE(err.empty()) << bad;
  }
}

class FilesTest : public testing_support::ProgramTest {};

TEST_F(FilesTest, DirectorySearchByKindWithDosNames) {
  std::filesystem::create_directory("SUB");
  std::filesystem::create_directory(".hidden");
  for (const char* n : {"b.ugf", "A.UGF", "noext", "c.txt", ".dot.UGF"}) std::ofstream(n) << "x";
  platform::DirEntry e;
  std::vector<std::string> names;
  for (bool ok = platform::FindFirst(0, "*.UGF", e); ok; ok = platform::FindNext(e))
    names.push_back(e.name + "|" + e.base + "|" + e.ext + "|" + std::to_string(e.attr));
  EXPECT_EQ(names, (std::vector<std::string>{"A.UGF|A|.UGF|32", "b.ugf|b|.ugf|32"}));
  EXPECT_EQ(e.attr, -1);
  EXPECT_TRUE(e.name.empty());
  names.clear();
  for (bool ok = platform::FindFirst(1, "*.UGF", e); ok; ok = platform::FindNext(e))
    names.push_back(e.name + "|" + e.ext + "|" + std::to_string(e.attr));
  EXPECT_EQ(names, (std::vector<std::string>{"..|.|16", "A.UGF|.UGF|32", "SUB|.|16",
                                             "b.ugf|.ugf|32", "c.txt|.txt|32", "noext|.|32"}));
  names.clear();
  for (bool ok = platform::FindFirst(3, "S*", e); ok; ok = platform::FindNext(e)) {
    names.push_back(e.name);
    EXPECT_NE(e.time, 0u);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SUB"}));
}

TEST_F(FilesTest, ExistingFilesAreFoundWhateverTheirCase) {
  std::ofstream("plan.ugf") << "x";
  std::ofstream("Plan.UGF") << "x";
#ifdef _WIN32
  // One file whatever the case: the name it has on disk.
  EXPECT_EQ(platform::FindExisting("PLAN.UGF"), "plan.ugf");
  EXPECT_EQ(platform::FindExisting(dir() + "/PLAN.ugf"), dir() + "/plan.ugf");
#else
  EXPECT_EQ(platform::FindExisting("PLAN.UGF"), "Plan.UGF");  // first in byte order
  EXPECT_EQ(platform::FindExisting("plan.ugf"), "plan.ugf");  // exact name first
  EXPECT_EQ(platform::FindExisting(dir() + "/PLAN.ugf"), dir() + "/Plan.UGF");
#endif
  EXPECT_EQ(platform::FindExisting("none.ugf"), "");
  EXPECT_EQ(platform::OpenFailureCode("none.ugf", ENOENT), 2);
  EXPECT_EQ(platform::OpenFailureCode("nodir/none.ugf", ENOENT), 3);
  EXPECT_EQ(platform::OpenFailureCode("x", EACCES), 5);
  EXPECT_EQ(platform::OpenFailureCode("x", ENOTDIR), 3);
}

TEST(RunTimeError, ReportNamesCodeSiteFileAndLine) {
  try {
    platform::RunTimeError(106, "PLAN.UGF", 7, "bad number");
    FAIL();
  } catch (const platform::RunTimeFailure& f) {
    EXPECT_EQ(f.code(), 106);
    EXPECT_EQ(f.ReportLine().substr(0, 23), "Runtime error 106 at 0x");
    EXPECT_EQ(f.ReportLine().size(), 31u);
    EXPECT_EQ(f.DetailLine(), "ugfview: PLAN.UGF: line 7: bad number");
  }
  // The same call site always gives the same address, another site another one.
  auto site = [](int n) -> std::uint32_t {
    try {
      if (n == 0) platform::RunTimeError(2, "a");
      platform::RunTimeError(2, "b");
    } catch (const platform::RunTimeFailure& f) {
      return f.site();
    }
    return 0;
  };
  EXPECT_EQ(site(0), site(0));
  EXPECT_NE(site(0), site(1));
}

}  // namespace
