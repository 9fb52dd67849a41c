#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/errors.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;

class OutputFileTest : public testing_support::ProgramTest {
 protected:
  static int FilesIn(const std::string& d) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(d)) ++n;
    return n;
  }
};

TEST_F(OutputFileTest, TheTargetChangesOnlyWhenTheOutputIsComplete) {
  std::ofstream("OUT.PLT") << "old contents";
  {
    platform::OutputFile f;
    f.Open("OUT.PLT", "OUT.PLT");
    f.Write("new ");
    EXPECT_EQ(ReadFile("OUT.PLT"), "old contents");
    f.Write(std::string(200000, 'x'));  // past the buffer: written to the temporary file
    EXPECT_EQ(ReadFile("OUT.PLT"), "old contents");
    EXPECT_EQ(FilesIn("."), 2);
    f.Commit();
  }
  EXPECT_EQ(ReadFile("OUT.PLT").size(), 200004u);
  EXPECT_EQ(FilesIn("."), 1);
  // An output cut short (a run-time error unwinding) leaves the old file and no litter.
  try {
    platform::OutputFile f;
    f.Open("OUT.PLT", "OUT.PLT");
    f.Write("partial");
    platform::RunTimeError(106, "X.UGF", 3, "bad number");
  } catch (const platform::RunTimeFailure&) {
  }
  EXPECT_EQ(ReadFile("OUT.PLT").size(), 200004u);
  EXPECT_EQ(FilesIn("."), 1);
}

TEST_F(OutputFileTest, AFolderThatCannotTakeTheFileGivesTheReport) {
  platform::OutputFile f;
  try {
    f.Open("no/such/folder/OUT.SGB", "OUT.SGB");
    FAIL();
  } catch (const platform::RunTimeFailure& e) {
    EXPECT_EQ(e.code(), 3);
    EXPECT_EQ(e.file(), "OUT.SGB");
  }
}

TEST_F(OutputFileTest, SameFileSeesThroughLinksAndSpellings) {
  std::ofstream("plan.ugf") << "x";
  if (testing_support::MakeSymlink("plan.ugf", "LINK.UGF")) {
    EXPECT_TRUE(platform::SameFile("plan.ugf", "LINK.UGF"));
  }
  EXPECT_TRUE(platform::SameFile("plan.ugf", dir() + "/./plan.ugf"));
#ifndef _WIN32
  EXPECT_FALSE(platform::SameFile("plan.ugf", "PLAN.UGF"));  // no such file: not the same
#endif
  std::ofstream("other.ugf") << "x";
  EXPECT_FALSE(platform::SameFile("plan.ugf", "other.ugf"));
}

}  // namespace
