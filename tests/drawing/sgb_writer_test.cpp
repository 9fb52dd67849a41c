// SGB files written from drawings of both variants: exact records, rotation, and polylines
// longer than the run buffer.
#include "drawing/sgb_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;

class SgbWriterTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    OpenHeadless();
  }

  static std::string Sgb(const std::string& records) {
    std::ofstream("D.UGF", std::ios::binary) << " X   Y   PenNo (0-continue,-1-stop)\r\n"
                                             << records;
    drawing::WriteSgb("D.UGF", "D.SGB");
    return ReadFile("D.SGB");
  }

  // The values separated by '|', as CR LF lines.
  static std::string Lines(std::string_view values) {
    std::string s;
    for (const char c : values) s += c == '|' ? std::string("\r\n") : std::string(1, c);
    return s + "\r\n";
  }
};

TEST_F(SgbWriterTest, NewVariantRecordsWithOrWithoutTerminator) {
  drawing::DrawingVariant = 0;
  const std::string records = "0 0 2\r\n10 0 0\r\n10 10 0\r\n5 5 3\r\n";
  const std::string want = Lines(
      "4|1|1|0|0|"  // nothing collected before the first record
      "4|1|1|2|3|     0.000|     0.000|    10.000|     0.000|    10.000|    10.000|"
      "1|1|1|3|     5.000|     5.000|"
      " -1");
  EXPECT_EQ(Sgb(records + "0 0 -1\r\n"), want);
  EXPECT_EQ(Sgb(records), want);
}

TEST_F(SgbWriterTest, TwoPointsAreASegmentAndRotationTurnsEveryPoint) {
  drawing::DrawingVariant = 0;
  drawing::RotateFlag = 1;
  EXPECT_EQ(Sgb("1.5 -2 5\r\n3 4 0\r\n7 0 6\r\n1234567.5 -0.25 7\r\n 0 0 -1\r\n"),
            Lines("4|1|1|0|0|"
                  "2|1|1|5|     2.000|     1.500|    -4.000|     3.000|"
                  "1|1|1|6|     0.000|     7.000|"  // -0 after the turn
                  "1|1|1|7|     0.250|1234567.500|"
                  " -1"));
}

TEST_F(SgbWriterTest, OldVariantRunKeepsThePenOfItsLastDrawingRecord) {
  drawing::DrawingVariant = 1;
  EXPECT_EQ(Sgb("0 0 0\r\n1 0 3\r\n2 0 4\r\n5 5 0\r\n6 6 0\r\n 0 0 -1\r\n"),
            Lines("4|1|1|0|0|"
                  "4|1|1|4|3|     0.000|     0.000|     1.000|     0.000|     2.000|     0.000|"
                  "1|1|1|4|     5.000|     5.000|"
                  "1|1|1|4|     6.000|     6.000|"
                  " -1"));
}

struct Record {
  int type = 0;
  int pen = 0;
  std::vector<std::pair<float, float>> points;
};

// Parses a whole SGB file; fails on anything but CR LF lines and well-formed records.
::testing::AssertionResult ParseSgb(const std::string& text, std::vector<Record>& records) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const auto end = text.find("\r\n", at);
    if (end == std::string::npos)
      return ::testing::AssertionFailure() << "unterminated line at " << at;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  std::size_t i = 0;
  auto next = [&]() { return i < lines.size() ? lines[i++] : std::string("?"); };
  for (;;) {
    const std::string head = next();
    if (head == " -1") break;
    Record r;
    r.type = std::atoi(head.c_str());
    if (next() != "1" || next() != "1")
      return ::testing::AssertionFailure() << "record " << records.size();
    r.pen = std::atoi(next().c_str());
    const int n = r.type == 4 ? std::atoi(next().c_str()) : r.type;
    for (int k = 0; k < n; ++k) {
      const std::string x = next(), y = next();
      if (x.size() < 10 || y.size() < 10)
        return ::testing::AssertionFailure() << "narrow value " << x;
      r.points.emplace_back(std::strtof(x.c_str(), nullptr), std::strtof(y.c_str(), nullptr));
    }
    records.push_back(r);
  }
  if (i != lines.size()) return ::testing::AssertionFailure() << "lines after -1";
  return ::testing::AssertionSuccess();
}

TEST_F(SgbWriterTest, LongPolylinesContinueFromTheLastPointWritten) {
  drawing::DrawingVariant = 0;
  std::vector<std::pair<float, float>> a, b;
  std::ostringstream ugf;
  for (int k = 0; k < 301; ++k) a.emplace_back(static_cast<float>(k), static_cast<float>(k % 7));
  for (int k = 0; k < 599; ++k) b.emplace_back(static_cast<float>(-k), static_cast<float>(k % 5));
  for (std::size_t k = 0; k < a.size(); ++k)
    ugf << a[k].first << ' ' << a[k].second << ' ' << (k ? 0 : 2) << "\r\n";
  for (std::size_t k = 0; k < b.size(); ++k)
    ugf << b[k].first << ' ' << b[k].second << ' ' << (k ? 0 : 3) << "\r\n";
  ugf << "0 0 -1\r\n";

  std::vector<Record> got;
  ASSERT_TRUE(ParseSgb(Sgb(ugf.str()), got));
  ASSERT_EQ(got.size(), 5u);
  const int sizes[] = {0, 300, 2, 300, 300};
  const int types[] = {4, 4, 2, 4, 4};
  const int pens[] = {0, 2, 2, 3, 3};
  for (std::size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(got[k].points.size(), static_cast<std::size_t>(sizes[k])) << k;
    EXPECT_EQ(got[k].type, types[k]) << k;
    EXPECT_EQ(got[k].pen, pens[k]) << k;
  }
  // Joined at their shared points, the records give each polyline back unbroken.
  auto join = [](const Record& first, const Record& second) {
    if (first.points.empty() || second.points.empty())
      return std::vector<std::pair<float, float>>{};
    std::vector<std::pair<float, float>> all = first.points;
    EXPECT_EQ(first.points.back(), second.points.front());
    all.insert(all.end(), second.points.begin() + 1, second.points.end());
    return all;
  };
  EXPECT_EQ(join(got[1], got[2]), a);
  EXPECT_EQ(join(got[3], got[4]), b);
}

TEST_F(SgbWriterTest, EchoesOnTheScreenAndLeavesPen15) {
  std::ofstream("E.UGF", std::ios::binary) << "label\r\n0 0 4\r\n100 70 0\r\n 0 0 -1\r\n";
  app::OpenDrawing("E.UGF");
  std::fill(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(), 0u);
  drawing::WriteSgb(drawing::SourceFile, "E.SGB");
  EXPECT_GT(std::count(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(),
                       graphics::Palette[4]),
            100);
  EXPECT_EQ(graphics::GetDrawColor(), 15);
}

}  // namespace
