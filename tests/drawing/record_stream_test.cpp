// Records read ahead in a second thread: the reader's records and errors in their places,
// in both modes, and no thread left behind however the reading ends.
#include "drawing/record_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "drawing/ugf_reader.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "drawing/replay.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"

namespace {

struct Outcome {
  std::vector<drawing::UgfRecord> records;
  int code = 0;
  long line = 0;
  std::string what;
  bool operator==(const Outcome& o) const {
    if (records.size() != o.records.size() || code != o.code || line != o.line || what != o.what) return false;
    for (std::size_t i = 0; i < records.size(); ++i)
      if (records[i].x != o.records[i].x || records[i].y != o.records[i].y || records[i].pen != o.records[i].pen)
        return false;
    return true;
  }
};

template <class Reader>
Outcome ReadAll(const std::string& path) {
  Outcome o;
  try {
    Reader r;
    r.Open(path, "D.UGF");
    drawing::UgfRecord rec;
    while (r.Next(rec)) {
      o.records.push_back(rec);
      if (rec.pen < 0) break;
    }
  } catch (const platform::RunTimeFailure& f) {
    o.code = f.code();
    o.line = f.line();
    o.what = f.what();
  }
  return o;
}

// `records` records over several blocks of the stream; `tail` ends the file.
std::string Drawing(int records, const std::string& tail) {
  std::string s = "label\r\n";
  for (int i = 0; i < records; ++i)
    s += std::to_string(i % 1000) + ".25 " + std::to_string(i / 1000) + " " + std::to_string(i % 50 == 0) + "\r\n";
  return s + tail;
}

class RecordStreamTest : public testing_support::ProgramTest {
 protected:
  void TearDown() override {
    testing_support::SetReaderThreads(nullptr);
    EXPECT_EQ(drawing::ReadAheadThreads(), 0);
    ProgramTest::TearDown();
  }
  static std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
    return name;
  }
};

TEST_F(RecordStreamTest, TheReadersRecordsAndErrorsInTheirPlacesInBothModes) {
  const int n = 3 * static_cast<int>(drawing::RecordStream::kBlockRecords) + 7;
  const std::vector<std::string> files = {
      Write("A.UGF", Drawing(n, " 0 0 -1\r\nnot read\r\n")),
      Write("B.UGF", Drawing(n, "1 2 x\r\n")),   // a bad number after three blocks
      Write("C.UGF", Drawing(n, "1 2")),         // an incomplete last record
      Write("D.UGF", "label\r\n\r\n"),           // no records
      Write("E.UGF", Drawing(n, "1e39 0 0\r\n")),
  };
  for (const char* threads : {static_cast<const char*>(nullptr), "1"}) {
    testing_support::SetReaderThreads(threads);
    for (const std::string& f : files) {
      const Outcome want = ReadAll<drawing::UgfReader>(f);
      EXPECT_TRUE(ReadAll<drawing::RecordStream>(f) == want) << f << (threads ? " one thread" : "");
    }
  }
  EXPECT_EQ(ReadAll<drawing::RecordStream>("B.UGF").records.size(), static_cast<std::size_t>(n));
  EXPECT_EQ(ReadAll<drawing::RecordStream>("D.UGF").code, platform::kReadPastEnd);
}

TEST_F(RecordStreamTest, StoppingAtAnyMomentLeavesNoThread) {
  Write("BIG.UGF", Drawing(100'000, ""));
  for (const int taken : {0, 1, 5000, 99'999}) {
    drawing::RecordStream s;
    s.Open("BIG.UGF", "BIG.UGF");
    drawing::UgfRecord r;
    for (int i = 0; i < taken; ++i) ASSERT_TRUE(s.Next(r));
    if (taken % 2 == 0) s.Close();  // else the destructor stops it
  }
  EXPECT_EQ(drawing::ReadAheadThreads(), 0);

  // A key that comes while the picture is drawn stops it there.
  OpenHeadless(800, 600);
  app::OpenDrawing("BIG.UGF");
  static int lines = 0;
  lines = 0;
  const auto saved = view::LineToWorldProc;
  view::LineToWorldProc = [](float x, float y, float z) {
    if (++lines == 20'000) graphics::PushKey('x');
    view::LineToWorld(x, y, z);
  };
  view::Redraw();
  view::LineToWorldProc = saved;
  EXPECT_LT(lines, 25'000);
  EXPECT_EQ(graphics::ReadRawKey(), 'x');
}

// The reading thread places the points of a picture; through any other hook they are placed
// as they are drawn. Turned, zoomed (lines cut at the edges), with the drawing rotated.
TEST_F(RecordStreamTest, PointsPlacedAheadDrawWhatTheHooksDraw) {
  OpenHeadless(640, 480);
  app::OpenDrawing(testing_support::Sample("PART.UGF"));
  const auto picture = [](bool hooks) {
    const auto saved = view::LineToWorldProc;
    if (hooks) view::LineToWorldProc = [](float x, float y, float z) { view::LineToWorld(x, y, z); };
    view::Redraw();
    view::LineToWorldProc = saved;
    return testing_support::DrawArea();
  };
  const testing_support::Frame plain = picture(false);
  EXPECT_TRUE(testing_support::SameFrame(plain, picture(true)));
  drawing::RotateFlag = 1;
  view::TurnView(1, 0.6, 0.8);
  view::ZoomIn();
  view::ZoomIn();
  const testing_support::Frame turned = picture(false);
  EXPECT_FALSE(testing_support::SameFrame(plain, turned));
  EXPECT_TRUE(testing_support::SameFrame(turned, picture(true)));
}

TEST_F(RecordStreamTest, AFileThatChangesWhileItIsReadGivesWhatIsThere) {
  const std::string whole = Drawing(300'000, "");  // some megabytes: more than is read ahead
  const Outcome all = ReadAll<drawing::UgfReader>(Write("W.UGF", whole));
  for (const bool grow : {false, true}) {
    Write("F.UGF", grow ? whole.substr(0, whole.size() / 2) : whole);
    drawing::RecordStream s;
    s.Open("F.UGF", "F.UGF");
    drawing::UgfRecord r;
    std::vector<drawing::UgfRecord> got;
    for (int i = 0; i < 100 && s.Next(r); ++i) got.push_back(r);
    if (grow) {
      std::ofstream("F.UGF", std::ios::binary | std::ios::app) << whole.substr(whole.size() / 2);
    } else {
      std::filesystem::resize_file("F.UGF", whole.size() / 3);
    }
    while (s.Next(r)) got.push_back(r);
    // A part of the drawing from its start, as far as the file went when it was read.
    ASSERT_LE(got.size(), all.records.size());
    EXPECT_GE(got.size(), 100u);
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].x, all.records[i].x) << i;
  }
}

}  // namespace
