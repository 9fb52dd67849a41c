// Drawings opened and shown, in process (pixels where the transforms put known points) and
// as whole runs of the program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>

#include "app/program.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/redraw.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using testing_support::Sample;
using testing_support::ReadFile;
using testing_support::RunUgfview;

class DrawingTest : public testing_support::ProgramTest {
 protected:
  // Colour of the client pixel where a world point lands in the active viewport.
  static std::uint32_t At(float x, float y) {
    int px = 0, py = 0;
    view::WorldToPixel(x, y, 0, px, py);
    return graphics::PixelAt(px + view::ViewportLeft + view::ViewMargin,
                             py + view::ViewportTop + view::ViewMargin);
  }
  static bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
  }
};

TEST_F(DrawingTest, PartIsDrawnInItsPensWithFrameAndCornerMark) {
  OpenHeadless(1024, 768);
  app::OpenDrawing(Sample("part.ugf"));  // any case finds PART.UGF
  EXPECT_EQ(drawing::DrawingVariant, 0);
  EXPECT_EQ(drawing::SourceName, "PART");
  // Points off the grid nodes (multiples of 10), whose dots are XOR-ed over the picture.
  const float d = 6 * std::cos(static_cast<float>(M_PI) / 4);
  EXPECT_EQ(At(85, 0), graphics::Palette[15]);           // outline
  EXPECT_EQ(At(22 + d, 22 + d), graphics::Palette[11]);  // bolt hole
  EXPECT_EQ(At(-5, 50), graphics::Palette[4]);           // centre line
  EXPECT_EQ(At(85, -20), graphics::Palette[10]);         // dimension line
  EXPECT_EQ(At(35, 35), 0u);                             // inside the plate: background
  EXPECT_EQ(At(30, 30), graphics::Palette[15]);          // a grid dot
  EXPECT_EQ(graphics::PixelAt(1, 1), graphics::Palette[9]);    // frame
  EXPECT_EQ(graphics::PixelAt(3, 3), graphics::Palette[15]);   // corner mark swatch
  // The fit puts the whole drawing inside the viewport.
  int px = 0, py = 0;
  view::WorldToPixel(-10, -25, 0, px, py);
  EXPECT_GE(px, 0);
  EXPECT_LT(py, view::ViewportHeight);
  view::WorldToPixel(170, 110, 0, px, py);
  EXPECT_LT(px, view::ViewportWidth);
  EXPECT_GE(py, 0);
}

TEST_F(DrawingTest, OldVariantPlanAndTheVariantRule) {
  OpenHeadless(1024, 768);
  app::OpenDrawing(Sample("PLAN"));  // the base name alone gets ".UGF"
  EXPECT_EQ(drawing::DrawingVariant, 1);
  EXPECT_EQ(At(6000, 0), graphics::Palette[15]);
  EXPECT_EQ(At(6000, 8000), graphics::Palette[15]);
  EXPECT_EQ(At(5000, 1000), graphics::Palette[7]);
  // The records (0,0,1) (10,0,0) (10,10,0) as the new variant are one polyline; as the
  // old variant the first is a draw before any pen-up and two points become markers.
  std::ofstream("T.UGF") << "label\n0 0 1\n10 0 0\n10 10 0\n0 0 -1\n";
  app::OpenDrawing("T.UGF");
  EXPECT_EQ(drawing::DrawingVariant, 0);
  EXPECT_EQ(At(10, 5), graphics::Palette[1]);
  drawing::DrawProc = drawing::DrawOldVariant;
  view::FitAllAndRedraw();
  EXPECT_EQ(At(10, 5), 0u);
  int px = 0, py = 0;
  view::WorldToPixel(10, 10, 0, px, py);
  // A diamond marker of radius 3 around the point: its right vertex.
  EXPECT_NE(graphics::PixelAt(px + 3 + 1, py + 1), 0u);
  EXPECT_EQ(graphics::PixelAt(px + 1 + 1, py + 1), 0u);
}

TEST_F(DrawingTest, MarkersPensAboveThePaletteAndNegativeCoordinates) {
  OpenHeadless(1024, 768);
  app::OpenDrawing(Sample("POINTS.UGF"));
  int px = 0, py = 0;
  view::WorldToPixel(-80, -40, 0, px, py);  // i -4, j -2: pen 1 + (-6 mod 15) = 10
  px += 1;
  py += 1;
  EXPECT_EQ(graphics::PixelAt(px + 3, py), graphics::Palette[10]);
  EXPECT_EQ(graphics::PixelAt(px, py - 3), graphics::Palette[10]);
  EXPECT_EQ(graphics::PixelAt(px + 2, py), 0u);  // a diamond, not a filled square
  app::OpenDrawing(Sample("PENS.UGF"));
  EXPECT_EQ(At(1, 35), graphics::Palette[1]);
  EXPECT_EQ(At(141, 35), graphics::Palette[15]);
  EXPECT_EQ(At(151, 35), graphics::Palette[16]);
  EXPECT_EQ(At(261, 35), graphics::Palette[graphics::ValidColourIndex(600)]);
}

TEST_F(DrawingTest, ALongPolylineSpillsIntoTheScratchFiles) {
  OpenHeadless(1024, 768);
  app::OpenDrawing(Sample("SPIRAL.UGF"));
  EXPECT_TRUE(Exists("BUF.TMP"));
  // The last points (beyond 2000) are drawn too.
  const float a = 2999 * 0.05f, r = 2 + a * 3;
  EXPECT_EQ(At(r * std::cos(a), r * std::sin(a)), graphics::Palette[12]);
}

bool g_scratch_at_fault = false;
void FailAtTheFirstWait(int) {
  g_scratch_at_fault = std::ifstream("BUF.TMP").good();
  throw std::logic_error("broken invariant");
}

// A fault of the program's own still ends the run as its errors do.
TEST_F(DrawingTest, AnInternalFaultStillRemovesTheScratchFilesAndWritesTheScreenshot) {
  platform::WindowBackend failing = platform::HeadlessBackend;
  failing.WaitInput = FailAtTheFirstWait;
  platform::ConfigureHeadless(640, 480, {});
  app::Options options;
  options.drawing = Sample("SPIRAL.UGF");
  options.screenshot = dir() + "/end.png";
  testing::internal::CaptureStderr();
  EXPECT_EQ(app::RunToEnd(options, failing), platform::kUnhandledException);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ugfview: internal error: broken invariant"),
            std::string::npos);
  EXPECT_TRUE(g_scratch_at_fault);
  EXPECT_FALSE(Exists("BUF.TMP"));
  EXPECT_TRUE(Exists("end.png"));
}

TEST_F(DrawingTest, AWaitingKeyStopsTheReplayAndStaysQueued) {
  OpenHeadless(800, 600);
  {
    std::ofstream f("BIG.UGF");
    f << "big\n0 0 2\n100 100 0\n";
    for (int i = 0; i < 20000; ++i) f << (i % 100) << " " << (i / 100) << " 3\n" << (i % 100) + 0.5 << " " << (i / 100) << " 0\n";
    f << "0 100 4\n100 0 0\n 0 0 -1\n";
  }
  app::OpenDrawing("BIG.UGF");
  EXPECT_EQ(At(55, 45), graphics::Palette[4]);  // the last polyline, drawn when nothing waits
  graphics::PushKey('x');
  view::Redraw();
  EXPECT_EQ(graphics::KeyCount, 1);
  EXPECT_EQ(At(55, 45), 0u);  // stopped before the first polyline
  EXPECT_EQ(graphics::ReadRawKey(), 'x');
}

TEST_F(DrawingTest, LayoutsSplitTheArea) {
  OpenHeadless(800, 572);  // a drawing area of 800 × 500
  app::OpenDrawing(Sample("PART.UGF"));
  view::SelectViewport(7);
  view::Redraw();
  EXPECT_EQ(view::ViewportLeft, 400);
  EXPECT_EQ(view::ViewportTop, 250);
  EXPECT_EQ(graphics::PixelAt(401, 251), graphics::Palette[9]);  // its frame
}

class DrawingRun : public testing_support::ProgramTest {};

TEST_F(DrawingRun, EverySampleDrawsAndLeavesNoScratchFiles) {
  for (const char* name : {"PART", "PLAN", "SPIRAL", "PENS", "POINTS"}) {
    const auto r = RunUgfview({"--keys", "", "--screenshot", "s.png", Sample(name) + ".UGF"}, dir());
    EXPECT_EQ(r.status, 0) << name << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    struct stat st {};
    EXPECT_NE(stat((dir() + "/BUF.TMP").c_str(), &st), 0) << name;
    EXPECT_EQ(stat((dir() + "/s.png").c_str(), &st), 0) << name;
  }
}

TEST_F(DrawingRun, MissingAndMalformedDrawingsGiveTheReport) {
  auto r = RunUgfview({"--keys", "", "NOPE.UGF"}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("Runtime error 2 at 0x", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("NOPE"), std::string::npos) << r.err;
  r = RunUgfview({"--keys", "", "no/such/dir/X.UGF"}, dir());
  EXPECT_EQ(r.status, 3) << r.err;
  std::ofstream(dir() + "/BAD.UGF") << "label\n1 2 3\n4 x 0\n";
  r = RunUgfview({"--keys", "", "--screenshot", "bad.png", "BAD.UGF"}, dir());
  EXPECT_EQ(r.status, 106);
  EXPECT_NE(r.err.find("BAD.UGF: line 3"), std::string::npos) << r.err;
  struct stat st {};
  EXPECT_EQ(stat((dir() + "/bad.png").c_str(), &st), 0);  // the screenshot is still written
  std::ofstream(dir() + "/EMPTY.UGF") << "";
  r = RunUgfview({"--keys", "", "EMPTY.UGF"}, dir());
  EXPECT_EQ(r.status, 100) << r.err;
}

TEST_F(DrawingRun, AbsurdNumbersDrawWithoutHarm) {
  std::ofstream(dir() + "/ODD.UGF") << "odd\n1e38 -1e38 2147483647\n0 0 0\n-1e38 1e38 0\n5 5 600\n5 5 0\n";
  const auto r = RunUgfview({"--keys", "", "ODD.UGF"}, dir());
  EXPECT_EQ(r.status, 0) << r.err;
  std::ofstream(dir() + "/ONE.UGF") << "one\n3 4 5";
  EXPECT_EQ(RunUgfview({"--keys", "", "ONE.UGF"}, dir()).status, 0);
}

TEST_F(DrawingRun, DevicesFifosDosEndsAndLongNumbers) {
#ifndef _WIN32
  // Not a drawing at all: the report naming it, at once.
  ASSERT_EQ(mkfifo((dir() + "/PIPE.UGF").c_str(), 0600), 0);
  for (const std::string name : {"/dev/zero", "PIPE.UGF"}) {
    const auto r = RunUgfview({"--keys", "", name}, dir());
    EXPECT_EQ(r.status, 5) << name;
    EXPECT_NE(r.err.find(name.substr(name.rfind('/') + 1) + ": not a regular file"), std::string::npos) << r.err;
  }
#endif
  // Copied from DOS with its end byte, and with numbers of any length: the same picture.
  std::ofstream(dir() + "/A.UGF") << "l\r\n0 0 3\r\n100 50 0\r\n 0 0 -1\r\n";
  std::ofstream(dir() + "/B.UGF") << "l\r\n0 0 3\r\n100 50 0\r\n\x1A" "200 200 0\r\n";
  const std::string zeros(20000, '0');
  std::ofstream(dir() + "/C.UGF") << "l\r\n0." << zeros << " -" << zeros << " " << zeros << "3\r\n" << zeros
                                  << "100." << zeros << " 5" << zeros << "e-" << zeros << "19999 0\r\n";
  std::vector<std::uint32_t> shots[3];
  for (int k = 0; k < 3; ++k) {
    const std::string name(1, static_cast<char>('A' + k));
    const auto r = RunUgfview({"--keys", "", "--screenshot", name + ".png", name + ".UGF"}, dir());
    EXPECT_EQ(r.status, 0) << name << r.err;
    int w = 0, h = 0;
    ASSERT_TRUE(testing_support::ReadPng(dir() + "/" + name + ".png", shots[k], w, h));
    shots[k].resize(static_cast<std::size_t>(w) * 664);  // the drawing area, not the named title
  }
  EXPECT_TRUE(shots[1] == shots[0]);
  EXPECT_TRUE(shots[2] == shots[0]);
}

TEST_F(DrawingRun, TheWorldAxesKeepTheirArmsAtAnyZoom) {
  // Far from the origin, zoomed in to the limit and far out: the symbol of the plain fit.
  std::ofstream(dir() + "/FAR.UGF") << "far\n100000 100000 1\n100010 100010 0\n";
  std::string in, out;
  for (int i = 0; i < 30; ++i) in += "{PgUp}";
  for (int i = 0; i < 225; ++i) out += "{PgDn}";
  const auto r = RunUgfview({"--keys", "{shot fit.png}" + in + "{shot in.png}" + out + "{shot out.png}", "FAR.UGF"}, dir());
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::uint32_t> shot[3];
  int w = 0, h = 0;
  const char* names[3] = {"fit.png", "in.png", "out.png"};
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(testing_support::ReadPng(dir() + "/" + names[k], shot[k], w, h));
  // The arms' colours in the symbol's corner of the drawing area (1024 × 664).
  int arms = 0;
  for (int y = 664 - 110; y < 664; ++y) {
    for (int x = 0; x < 120; ++x) {
      const auto arm = [&](std::uint32_t c) {
        return c == graphics::Palette[11] || c == graphics::Palette[10] || c == graphics::Palette[14] ? c : 0u;
      };
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      arms += arm(shot[0][i]) != 0;
      EXPECT_EQ(arm(shot[1][i]), arm(shot[0][i])) << x << "," << y;
      EXPECT_EQ(arm(shot[2][i]), arm(shot[0][i])) << x << "," << y;
    }
  }
  EXPECT_GT(arms, 80);
}

}  // namespace
