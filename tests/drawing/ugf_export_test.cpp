#include "drawing/ugf_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "drawing/element_store.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

struct Rec {
  float u, v;
  std::int32_t pen;
  bool operator==(const Rec&) const = default;
};
using Polyline = std::vector<Rec>;

std::vector<Rec> g_records;
void Record(float u, float v, std::int32_t pen) { g_records.push_back({u, v, pen}); }

std::ostream& operator<<(std::ostream& os, const Rec& r) {
  return os << "(" << r.u << ", " << r.v << ", " << r.pen << ")";
}

class UgfExportTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    drawing::UgfExportStartUp();
  }
  void Open(const std::string& script = "") {
    OpenHeadless(640, 480, script);
    drawing::UgfExportStartUp();
  }
  // One element of one contour through the element output, cut into polylines.
  static std::vector<Polyline> Output(std::int32_t pen, const std::vector<std::pair<float, float>>& points) {
    drawing::BeginElement();
    drawing::BeginContour();
    for (const auto& [x, y] : points) drawing::AddPoint(x, y, 0.0f);
    drawing::CloseElement();
    drawing::CurrentPen = pen;
    g_records.clear();
    const auto old = drawing::PointProc;
    drawing::PointProc = Record;
    drawing::ElementToOutput();
    drawing::PointProc = old;
    std::vector<Polyline> lines;
    for (const Rec& r : g_records) {
      if (r.pen > 0 || lines.empty()) lines.emplace_back();
      lines.back().push_back(r);
    }
    return lines;
  }
  static std::vector<std::pair<float, float>> Offset(const std::vector<std::pair<float, float>>& p, float d) {
    std::vector<float> x, y;
    for (const auto& [px, py] : p) {
      x.push_back(px);
      y.push_back(py);
    }
    std::vector<float> x2(x.size()), y2(y.size());
    int n = -1;
    drawing::OffsetPolyline(x, y, d, n, x2, y2);
    std::vector<std::pair<float, float>> out;
    for (int i = 0; i < n; ++i) out.emplace_back(x2[i], y2[i]);
    return out;
  }
  void WriteDrawing(const std::string& name, const std::string& records) {
    std::ofstream(dir() + "/" + name, std::ios::binary) << " X   Y   PenNo (0-continue,-1-stop)\r\n"
                                                        << records << " 0 0 -1\r\n";
  }
};

using Points = std::vector<std::pair<float, float>>;

TEST_F(UgfExportTest, LowPensAreDashedFromTheMiddleOfADashAcrossVertices) {
  EXPECT_EQ(Output(3, {{0, 0}, {9, 0}}),
            (std::vector<Polyline>{{{0, 0, 3}, {2, 0, 0}}, {{4, 0, 3}, {8, 0, 0}}}));
  // The cut after a cut falls on the end point too: a dash of one point written three times.
  EXPECT_EQ(Output(3, {{0, 0}, {10, 0}}),
            (std::vector<Polyline>{{{0, 0, 3}, {2, 0, 0}}, {{4, 0, 3}, {8, 0, 0}}, {{10, 0, 3}, {10, 0, 0}, {10, 0, 0}}}));
  EXPECT_EQ(Output(8, {{0, 0}, {9, 0}}), (std::vector<Polyline>{{{0, 0, 8}, {9, 0, 0}}}));
  // A dash keeps the vertex it crosses; the pattern goes on along the next segment.
  EXPECT_EQ(Output(1, {{0, 0}, {5, 0}, {5, 5}}),
            (std::vector<Polyline>{{{0, 0, 1}, {2, 0, 0}},
                                   {{4, 0, 1}, {5, 0, 0}, {5, 3, 0}},
                                   {{5, 5, 1}, {5, 5, 0}, {5, 5, 0}}}));
  // The first test of a segment is strict: a boundary on the vertex is cut in the next one.
  EXPECT_EQ(Output(7, {{0, 0}, {2, 0}, {2, 1}}), (std::vector<Polyline>{{{0, 0, 7}, {2, 0, 0}, {2, 0, 0}}}));
}

TEST_F(UgfExportTest, ThickPensAddPairsOfCopiesAndOnePointIsADiamond) {
  drawing::PenPasses[1] = 2;
  drawing::PassOffset = 0.25f;
  const std::vector<Polyline> lines = Output(1, {{0, 0}, {9, 0}});
  ASSERT_EQ(lines.size(), 10u);
  const float ys[5] = {0.0f, 0.25f, -0.25f, 0.5f, -0.5f};
  for (int dash = 0; dash < 2; ++dash) {
    const float x1 = dash == 0 ? 0.0f : 4.0f, x2 = dash == 0 ? 2.0f : 8.0f;
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(lines[dash * 5 + k], (Polyline{{x1, ys[k], 1}, {x2, ys[k], 0}})) << dash << " " << k;
    }
  }
  // Above 15 no table entry applies; a diamond is never thickened.
  drawing::PenPasses.fill(3);
  EXPECT_EQ(Output(16, {{0, 0}, {9, 0}}).size(), 1u);
  drawing::MarkerSize = 1.0f;
  EXPECT_EQ(Output(5, {{3, 4}}), (std::vector<Polyline>{{{2, 4, 5}, {3, 3, 0}, {4, 4, 0}, {3, 5, 0}, {2, 4, 0}}}));
}

TEST_F(UgfExportTest, OffsetCopiesAreMitredClosedOrEndAtTheOffsetEnds) {
  const Points square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  EXPECT_EQ(Offset(square, 1), (Points{{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 1}}));
  EXPECT_EQ(Offset(square, -1), (Points{{-1, -1}, {11, -1}, {11, 11}, {-1, 11}, {-1, -1}}));
  // Closed within 0.0001; a repeated closing point is passed over for the line into the start.
  EXPECT_EQ(Offset({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0.00005f, 0}}, 1).front(), (std::pair<float, float>{1, 1}));
  EXPECT_EQ(Offset({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {0, 0}}, 1),
            (Points{{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 0}, {1, 1}}));
  EXPECT_EQ(Offset({{0, 0}, {10, 0}, {10, 10}}, 1), (Points{{0, 1}, {9, 1}, {9, 10}}));
  EXPECT_EQ(Offset({{0, 0}, {10, 0}, {10, 10}}, -1), (Points{{0, -1}, {11, -1}, {11, 10}}));
  // Straight on and a repeated point: the joint moves along the previous normal, and the
  // joint after the zero line is left out.
  EXPECT_EQ(Offset({{0, 0}, {5, 0}, {5, 0}, {10, 0}}, 1), (Points{{0, 1}, {5, 1}, {10, 1}}));
  EXPECT_EQ(Offset({{0, 0}, {5, 0}, {10, 0}}, 1), (Points{{0, 1}, {5, 1}, {10, 1}}));
  EXPECT_TRUE(Offset({{2, 2}, {2, 2}, {2, 2}}, 1).empty());
}

TEST_F(UgfExportTest, ContoursLongerThanARunContinueUnbroken) {
  Points line;
  for (int i = 0; i < 4500; ++i) line.emplace_back(static_cast<float>(i), 0.0f);
  const std::vector<Polyline> solid = Output(9, line);
  ASSERT_EQ(solid.size(), 3u);
  EXPECT_EQ(solid[0].size() + solid[1].size() + solid[2].size(), 4502u);
  float x = 0;
  for (const Polyline& p : solid) {
    EXPECT_EQ(p.front().u, x);  // each run starts where the last ended
    for (std::size_t i = 1; i < p.size(); ++i) EXPECT_EQ(p[i].u, p[i - 1].u + 1) << i;
    x = p.back().u;
  }
  EXPECT_EQ(x, 4499.0f);
  // The dash pattern runs on across the chunks of the contour.
  const std::vector<Polyline> dashed = Output(2, line);
  ASSERT_EQ(dashed.size(), 751u);
  for (std::size_t k = 1; k < dashed.size(); ++k) {
    EXPECT_EQ(dashed[k].front().u, 6.0f * k - 2) << k;
    EXPECT_EQ(dashed[k].back().u, std::min(6.0f * k + 2, 4499.0f)) << k;
  }
}

TEST_F(UgfExportTest, ExportWritesTheLayoutAndEscInTheDialogWritesNothing) {
  // The dialog: pen 1 gets two passes (14 Lefts from 15), offset 0.5; then a cancelled one.
  std::string keys;
  for (int i = 0; i < 14; ++i) keys += "{Left}";
  Open(keys + R"({Up}{Up}\r0.5\r\r\e)");
  WriteDrawing("A.UGF", "12.5 -3 9\r\n1 2 0\r\n0 0 1\r\n0 1 0\r\n7 7 4\r\n");
  app::OpenDrawing("A.UGF");
  EXPECT_EQ(drawing::ExportUgf(dir() + "/B.UGF", "B.UGF"), drawing::ExportResult::kWritten);
  EXPECT_EQ(drawing::PenPasses[1], 2);
  EXPECT_EQ(drawing::PassOffset, 0.5f);
  EXPECT_EQ(testing_support::ReadFile(dir() + "/B.UGF"),
            " X   Y   PenNo (0-continue,-1-stop)\r\n"
            "12.50 -3.00 9\r\n"
            " 1.00  2.00 0\r\n"
            " 0.00  0.00 1\r\n 0.00  1.00 0\r\n"
            "-0.50  0.00 1\r\n-0.50  1.00 0\r\n"
            " 0.50  0.00 1\r\n 0.50  1.00 0\r\n"
            "-1.00  0.00 1\r\n-1.00  1.00 0\r\n"
            " 1.00  0.00 1\r\n 1.00  1.00 0\r\n"
            " 6.00  7.00 4\r\n 7.00  6.00 0\r\n 8.00  7.00 0\r\n 7.00  8.00 0\r\n 6.00  7.00 0\r\n"
            " 0 0 -1\r\n");
  EXPECT_EQ(drawing::OutputMode, 0);
  EXPECT_EQ(drawing::UgfOutFile, nullptr);

  EXPECT_EQ(drawing::ExportUgf(dir() + "/C.UGF", "C.UGF"), drawing::ExportResult::kCancelled);
  EXPECT_EQ(drawing::ExportUgf(dir() + "/A.UGF", "A.UGF"), drawing::ExportResult::kSameFile);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A.UGF", "B.UGF"}));
}

TEST_F(UgfExportTest, WrittenPointsAreViewPlaneCoordinatesInThePenAsRead) {
  Open();
  WriteDrawing("A.UGF", "10 3 15\r\n20 3 0\r\n");
  app::OpenDrawing("A.UGF");
  const auto body = [&](const std::string& name) {
    EXPECT_EQ(drawing::ExportUgfBatch(dir() + "/" + name, name), drawing::ExportResult::kWritten);
    const std::string text = testing_support::ReadFile(dir() + "/" + name);
    const std::string label = " X   Y   PenNo (0-continue,-1-stop)\r\n";
    return text.substr(label.size());
  };
  // The background scheme substitutes 0 for 15 on the screen only.
  graphics::SetBackgroundScheme(4);
  EXPECT_EQ(body("S.UGF"), "10.00  3.00 15\r\n20.00  3.00 0\r\n 0 0 -1\r\n");
  graphics::SetBackgroundScheme(0);
  drawing::RotateFlag = 1;
  EXPECT_EQ(body("R.UGF"), "-3.00 10.00 15\r\n-3.00 20.00 0\r\n 0 0 -1\r\n");
  drawing::RotateFlag = 0;
  // A view turned by 90 degrees: u along world y, v along world -x.
  view::ViewMatrix[1] = {0, 0, 1, 0};
  view::ViewMatrix[2] = {0, -1, 0, 0};
  view::ApplyView();
  EXPECT_EQ(body("V.UGF"), " 3.00 -10.00 15\r\n 3.00 -20.00 0\r\n 0 0 -1\r\n");
}

TEST_F(UgfExportTest, AbsurdlyLongDashedLinesEnd) {
  // The cuts per contour are limited; without that the pattern walk would not end.
  std::vector<Polyline> lines = Output(1, {{-3e7f, 0}, {3e7f, 0}, {3e7f, 1}});
  EXPECT_LE(lines.size(), static_cast<std::size_t>(drawing::kMaxDashCuts / 2 + 2));
  EXPECT_GT(lines.size(), 1u);
  // Where singles cannot hold the gaps the segment is solid; the pattern starts afresh after
  // it (a dash of 4, a gap of 2, a dash to the end).
  lines = Output(1, {{-3e38f, 0}, {3e38f, 0}, {3e38f, 0}, {3e38f - 1e32f, 0}});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 4u);
  lines = Output(1, {{0, 1e8f}, {0, 0}, {0, -9}});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (Polyline{{0, 1e8f, 1}, {0, 0, 0}, {0, -4, 0}}));
  EXPECT_EQ(lines[1], (Polyline{{0, -6, 1}, {0, -9, 0}, {0, -9, 0}}));  // begun by a cut: its end twice
}

// A size change and a key in the middle of a measurement and of an export: the repaint waits
// for the replay to end and the key for its reader; box and file are the undisturbed ones.
int g_key_tests = 0;
bool ResizeAndKeyOnce() {
  if (++g_key_tests == 20) {
    platform::Event e;
    e.kind = platform::EventKind::kSize;
    e.w = 500;
    e.h = 400;
    graphics::WindowProc(e);
    graphics::PushKey('x');
    graphics::RunPendingRepaint();  // as a pump does
  }
  return graphics::WindowKeyAvailable();
}

TEST_F(UgfExportTest, AResizeAndAKeyDuringAReplayChangeNeitherBoxNorFile) {
  Open();
  std::string records;
  for (int i = 0; i < 200; ++i)
    records += std::to_string(i % 37) + " " + std::to_string(i / 37) + (i % 9 ? " 0\r\n" : " 3\r\n");
  WriteDrawing("A.UGF", records);
  app::OpenDrawing("A.UGF");
  std::array<float, 4> box{}, disturbed{};
  drawing::ExtentsOfDrawing(box[0], box[1], box[2], box[3]);
  drawing::ExportUgfBatch(dir() + "/U.UGF", "U.UGF");
  for (int run = 0; run < 2; ++run) {
    graphics::KeyAvailable = ResizeAndKeyOnce;
    g_key_tests = 0;
    const std::uint64_t repaints = graphics::RepaintCount;
    if (run == 0) drawing::ExtentsOfDrawing(disturbed[0], disturbed[1], disturbed[2], disturbed[3]);
    if (run == 1) drawing::ExportUgfBatch(dir() + "/D.UGF", "D.UGF");
    EXPECT_GT(g_key_tests, 100);
    EXPECT_EQ(graphics::RepaintCount, repaints);
    EXPECT_EQ(graphics::PopKey(), 'x');
    graphics::KeyAvailable = graphics::WindowKeyAvailable;
    graphics::RunPendingRepaint();
    EXPECT_EQ(graphics::RepaintCount, repaints + 1);
  }
  EXPECT_EQ(disturbed, box);
  EXPECT_TRUE(testing_support::ReadFile(dir() + "/D.UGF") == testing_support::ReadFile(dir() + "/U.UGF"));
}

}  // namespace
