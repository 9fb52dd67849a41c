// Whole-program runs of build/ugfview.
#include <gtest/gtest.h>

#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::ReadPng;
using testing_support::RunUgfview;

class ProgramRun : public testing_support::ProgramTest {};

TEST_F(ProgramRun, TestCardScreenshotHeadless) {
  const auto r = RunUgfview({"--test-card", "--headless", "--size", "640x480", "--keys", "", "--screenshot", "card.png"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPng(dir() + "/card.png", px, w, h));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  // The sixteen base colours across the top: swatch i is centred at 10 + 38 i + 19.
  const std::uint32_t expect[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                    0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                    0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(px[40 * w + 10 + 38 * i + 19], expect[i]) << i;
}

TEST_F(ProgramRun, EscEndsAndTheKeyLogRecordsWhatArrived) {
  const auto r = RunUgfview({"--test-card", "--keys", "{shift+Down}ф{click 3 4}\\e", "--screenshot", "a.png"}, dir(),
                            {"UGFVIEW_KEYLOG=" + dir() + "/keys.log"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string log = ReadFile(dir() + "/keys.log");
  EXPECT_NE(log.find("queued 0\nqueued 160\n"), std::string::npos) << log;
  EXPECT_NE(log.find("read 0\nread 160\n"), std::string::npos) << log;
  EXPECT_NE(log.find("queued 244\n"), std::string::npos) << log;
  EXPECT_NE(log.find("read 244\n"), std::string::npos) << log;  // raw byte; the card translates
  EXPECT_NE(log.find("mouse 3 4 1\nqueued 32\n"), std::string::npos) << log;
  EXPECT_NE(log.find("read 27\n"), std::string::npos) << log;
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  EXPECT_TRUE(ReadPng(dir() + "/a.png", px, w, h));
  EXPECT_EQ(w, 1024);
}

TEST_F(ProgramRun, QuitQuestionNoGoesOnYesEnds) {
  const auto r = RunUgfview({"--test-card", "--keys", "a{+}{close-no}b{close-yes}c"}, dir(),
                            {"UGFVIEW_KEYLOG=" + dir() + "/keys.log"});
  EXPECT_EQ(r.status, 0);
  const std::string log = ReadFile(dir() + "/keys.log");
  EXPECT_NE(log.find("close no\nread 97\n"), std::string::npos) << log;
  EXPECT_NE(log.find("close yes"), std::string::npos) << log;
  EXPECT_EQ(log.find("queued 99"), std::string::npos) << log;  // c never arrived
}

TEST_F(ProgramRun, UsageErrorsExitTwoWithOneLine) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--size", "10x10"}, {"--size", "800"}, {"--size", "800x600x"},
           {"--size"}, {"--keys"}, {"--keys", "{Nope}"}, {"--screenshot"}, {"a.ugf", "b.ugf"}}) {
    const auto r = RunUgfview(args, dir());
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err.rfind("ugfview: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

TEST_F(ProgramRun, NoDisplayWithoutHeadlessSaysHowToRunHeadless) {
  const auto r = RunUgfview({"--test-card"}, dir(), {"SDL_VIDEODRIVER=dummy"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot open a window"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--headless"), std::string::npos) << r.err;
  const auto r2 = RunUgfview({"--test-card"}, dir());  // no DISPLAY at all
  EXPECT_EQ(r2.status, 1);
}

}  // namespace
