// The extents pass on both cores against the one pass: the same box to the bit, the same
// pen left selected and the same report, on drawings large enough to be split, including
// those the split must leave to the one pass.
#include "drawing/split_extents.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "drawing/record_stream.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "platform/errors.h"
#include "support/fixture.h"

namespace {

struct Pass {
  float box[4] = {};
  int pen = 0, colour = 0, code = 0;
  long line = 0;
  std::string what;
  bool operator==(const Pass& o) const {
    return std::memcmp(box, o.box, sizeof box) == 0 && pen == o.pen && colour == o.colour &&
           code == o.code && line == o.line && what == o.what;
  }
};

class SplitExtentsTest : public testing_support::ProgramTest {
 protected:
  void TearDown() override {
    testing_support::SetReaderThreads(nullptr);
    EXPECT_EQ(drawing::ReadAheadThreads(), 0);
    ProgramTest::TearDown();
  }
  Pass Run(const std::string& file, bool new_variant, bool one_thread) {
    testing_support::SetReaderThreads(one_thread ? "1" : nullptr);
    OpenHeadless(320, 240);
    drawing::SourceFile = file;
    drawing::DrawProc = new_variant ? drawing::DrawNewVariant : drawing::DrawOldVariant;
    drawing::RotateFlag = rotate_;
    Pass p;
    try {
      drawing::ExtentsOfDrawing(p.box[0], p.box[1], p.box[2], p.box[3]);
    } catch (const platform::RunTimeFailure& f) {
      p.code = f.code();
      p.line = f.line();
      p.what = f.what();
      p.box[0] = drawing::ExtentsXMin;
    }
    p.pen = drawing::CurrentPen;
    p.colour = graphics::GetDrawColor();
    return p;
  }
  // True when the split gave the result; either way it must be the one pass's.
  bool Same(const std::string& text, bool new_variant) {
    std::ofstream("S.UGF", std::ios::binary) << text;
    const Pass one = Run("S.UGF", new_variant, true);
    const Pass both = Run("S.UGF", new_variant, false);
    EXPECT_TRUE(both == one) << both.what << " / " << one.what;
    drawing::SplitExtents e;
    return drawing::ExtentsInHalves("S.UGF", "S.UGF", 0.0f, rotate_ != 0, new_variant, e);
  }
  int rotate_ = 0;
};

// Random walks of `n` records of "%.2f %.2f %d", a line starting every `every` records, but
// none from record `quiet` on for `quiet_for` records.
std::string Walks(int n, bool new_variant, int every, unsigned seed, int quiet = 0, int quiet_for = 0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> step(-5, 5);
  std::string s = "label\r\n";
  double x = 0, y = 0;
  char buf[64];
  for (int i = 0; i < n; ++i) {
    x += step(rng);
    y += step(rng);
    const bool starts = i % every == 0 && (i < quiet || i >= quiet + quiet_for);
    const int pen = new_variant ? (starts ? 1 + static_cast<int>(rng() % 15) : 0)
                                : (starts ? 0 : 1 + static_cast<int>(rng() % 15));
    std::snprintf(buf, sizeof buf, "%.2f %.2f %d\r\n", x, y, pen);
    s += buf;
  }
  return s;
}

constexpr int kRecords = 300'000;  // about 5 MB

TEST_F(SplitExtentsTest, TheSameBoxPenAndReportAsTheOnePass) {
  for (const bool new_variant : {true, false}) {
    for (const int rotate : {0, 1}) {
      rotate_ = rotate;
      EXPECT_TRUE(Same(Walks(kRecords, new_variant, 50, 7u + rotate), new_variant));
    }
  }
  rotate_ = 0;
  const std::string walks = Walks(kRecords, true, 50, 3);
  const std::size_t mid = walks.size() / 2;
  // The data ends in either half, at a negative pen or a DOS end-of-file byte; a bad number
  // in the second half (its line must be counted from the file's start).
  EXPECT_FALSE(Same(walks.substr(0, mid / 2) + "\n0 0 -1\nnot read\n" + walks.substr(mid / 2), true));
  EXPECT_TRUE(Same(walks + "0 0 -1\nnot read\n", true));
  EXPECT_TRUE(Same(walks + "\x1A" "1 2 x\n", true));
  EXPECT_FALSE(Same(walks + "1 2 x\n", true));
  // A line longer than the element store's memory, across the middle.
  EXPECT_FALSE(Same(Walks(kRecords, true, 50, 5, kRecords / 2 - 1250, 2500), true));
  // Records over two lines each, the middle inside one: read from there, the second half
  // would take each record's second line for a whole record.
  std::string shifted;
  for (std::size_t pad = 0;; ++pad) {
    shifted = "label" + std::string(pad, ' ') + "\n";
    for (int i = 0; i < 2 * kRecords; ++i)
      shifted += std::to_string(i % 1000) + "\n" + std::to_string(i % 777) + (i % 50 ? " 0\n" : " 1\n");
    const std::size_t next = shifted.find('\n', shifted.size() / 2) + 1;
    if (shifted.find(' ', next) < shifted.find('\n', next)) break;
  }
  EXPECT_FALSE(Same(shifted, true));
}

}  // namespace
