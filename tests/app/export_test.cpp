// PDF, SVG and PNG exports as whole runs of the program, read back by poppler and librsvg.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/program.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "support/capture.h"
#include "support/fixture.h"

namespace {

using testing_support::Sample;
using testing_support::ReadFile;
using testing_support::ReadPng;
using testing_support::RunUgfview;

// A 100 × 50 frame in pen 15, a dashed line across it in pen 4, a solid one down it in pen 12.
constexpr const char* kFrame =
    " X   Y   PenNo\r\n0 0 15\r\n100 0 0\r\n100 50 0\r\n0 50 0\r\n0 0 0\r\n"
    "0 25 4\r\n100 25 0\r\n50 0 12\r\n50 50 0\r\n 0 0 -1\r\n";

struct Picture {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  std::uint32_t at(int x, int y) const {
    return x >= 0 && y >= 0 && x < w && y < h ? px[static_cast<std::size_t>(y) * w + x] : 0xFFFFFFu;
  }
  bool dark(int x, int y) const { return (at(x, y) & 0xFF) < 160; }
  bool DarkNear(int x, int y) const {
    for (int j = -1; j <= 1; ++j)
      for (int i = -1; i <= 1; ++i)
        if (dark(x + i, y + j)) return true;
    return false;
  }
  // Dark pixels here with no dark pixel of `o` within one pixel of the same place,
  // (dx, dy) being where this picture's (0, 0) lies in `o`.
  int Unmatched(const Picture& o, int dx, int dy) const {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (!dark(x, y)) continue;
        n += o.DarkNear(x + dx, y + dy) ? 0 : 1;
      }
    return n;
  }
  int Count(std::uint32_t colour) const { return static_cast<int>(std::count(px.begin(), px.end(), colour)); }
  int Dark() const {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) n += dark(x, y) ? 1 : 0;
    return n;
  }
};

class ExportTest : public testing_support::ProgramTest {
 protected:
  void Write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }
  int Shell(const std::string& command) { return std::system(("cd '" + dir() + "' && " + command).c_str()); }
  // 127 dpi: 5 pixels to the mm; no anti-aliasing, so lines keep their exact colour.
  Picture Render(const std::string& file) {
    const bool pdf = file.ends_with(".pdf") || file.ends_with(".PDF");
    EXPECT_EQ(Shell(pdf ? "pdftoppm -r 127 -aaVector no -singlefile -png " + file + " r"
                        : "rsvg-convert -d 127 -p 127 " + file + " -o r.png"),
              0);
    Picture p;
    EXPECT_TRUE(ReadPng(dir() + "/r.png", p.px, p.w, p.h)) << file;
    std::remove("r.png");
    return p;
  }
  // pdfinfo's page size in mm.
  std::pair<double, double> PageMm(const std::string& file) {
    EXPECT_EQ(Shell("pdfinfo " + file + " > info.txt"), 0);
    double w = 0, h = 0;
    const std::string info = ReadFile("info.txt");
    const auto at = info.find("Page size:");
    EXPECT_NE(at, std::string::npos);
    std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &w, &h);
    return {w * 25.4 / 72, h * 25.4 / 72};
  }
  int Files() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir())) ++n;
    return n;
  }
};

TEST_F(ExportTest, PageIsTheExtentsAtTheScalePlusTenMillimetres) {
  Write("T.UGF", kFrame);
  for (const auto& [scale, w, h] : {std::tuple{"1", 120.0, 70.0}, {"2.5", 270.0, 145.0}}) {
    ASSERT_EQ(RunUgfview({"--pdf", "t.pdf", "--scale", scale, "T.UGF"}, dir()).status, 0);
    const auto [pw, ph] = PageMm("t.pdf");
    EXPECT_NEAR(pw, w, 0.1) << scale;
    EXPECT_NEAR(ph, h, 0.1) << scale;
  }
  ASSERT_EQ(RunUgfview({"--svg", "t.svg", "--rotate", "T.UGF"}, dir()).status, 0);
  EXPECT_NE(ReadFile("t.svg").find(R"(width="70mm" height="120mm" viewBox="0 0 70 120")"), std::string::npos);
}

TEST_F(ExportTest, LinesLieWhereThePrintedPageHasThem) {
  const std::string part = Sample("PART.UGF");
  std::filesystem::create_directory("print");
  ASSERT_EQ(RunUgfview({"--print", part}, dir(), {"UGFVIEW_PRINT_DIR=" + dir() + "/print"}).status, 0);
  ASSERT_EQ(RunUgfview({"--pdf", "p.pdf", part}, dir()).status, 0);
  ASSERT_EQ(RunUgfview({"--svg", "p.svg", part}, dir()).status, 0);
  const Picture printed = Render("print/job-0001.pdf");
  // The printed picture starts at the sheet's corner, the page's 10 mm (50 pixels) in.
  for (const std::string file : {"p.pdf", "p.svg"}) {
    const Picture page = Render(file);
    EXPECT_GT(page.Dark(), 2000) << file;
    EXPECT_EQ(page.Unmatched(printed, -50, -50), 0) << file;
    EXPECT_EQ(printed.Unmatched(page, 50, 50), 0) << file;
  }
}

TEST_F(ExportTest, ColourDrawsEachPenInItsColourAndPenFifteenBlack) {
  Write("T.UGF", kFrame);
  const std::uint32_t red = graphics::Palette[4], pen12 = graphics::Palette[12];
  ASSERT_EQ(RunUgfview({"--pdf", "c.pdf", "--colour", "T.UGF"}, dir()).status, 0);
  ASSERT_EQ(RunUgfview({"--pdf", "b.pdf", "T.UGF"}, dir()).status, 0);
  const Picture c = Render("c.pdf"), b = Render("b.pdf");
  // The frame's top edge is 10 mm down; the pen 12 line is 60 mm across.
  EXPECT_EQ(c.at(100, 50), 0u);
  EXPECT_EQ(c.at(300, 100), pen12);
  EXPECT_GT(c.Count(red), 100);
  EXPECT_EQ(b.at(300, 100), 0u);
  EXPECT_EQ(b.Count(red), 0);
}

TEST_F(ExportTest, RefusedOrFailedPagesWriteNothing) {
  Write("T.UGF", kFrame);
  const int before = Files();
  // 12 × 8 m at scale 1: beyond PDF's page.
  auto r = RunUgfview({"--pdf", "plan.pdf", Sample("PLAN.UGF")}, dir());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("5080 mm"), std::string::npos) << r.err;
  EXPECT_EQ(RunUgfview({"--svg", "plan.svg", Sample("PLAN.UGF")}, dir()).status, 2);
  for (const std::string opt : {"--pdf", "--svg", "--png"}) {
    r = RunUgfview({opt, "missing/x", "T.UGF"}, dir());
    EXPECT_EQ(r.status, 3) << opt;
    EXPECT_NE(r.err.find("Runtime error 3"), std::string::npos) << r.err;
    EXPECT_EQ(RunUgfview({opt, "T.UGF", "T.UGF"}, dir()).status, 5) << opt;
  }
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(ReadFile("T.UGF"), kFrame);
  EXPECT_EQ(RunUgfview({"--pdf", "plan.pdf", "--scale", "0.4", Sample("PLAN.UGF")}, dir()).status, 0);
}

// Nothing, one point, or one point many times: a page of the margins with the point's diamond
// (1 mm to each side) in the middle.
TEST_F(ExportTest, DegenerateDrawingsGiveAMarginPageWithTheDiamond) {
  Write("EMPTY.UGF", " X   Y   PenNo\r\n 0 0 -1\r\n");
  Write("ONE.UGF", " X   Y   PenNo\r\n5 5 3\r\n 0 0 -1\r\n");
  Write("SAME.UGF", " X   Y   PenNo\r\n5 5 3\r\n5 5 0\r\n5 5 0\r\n 0 0 -1\r\n");
  for (const std::string name : {"EMPTY", "ONE", "SAME"}) {
    for (const std::string ext : {".pdf", ".svg"}) {
      ASSERT_EQ(RunUgfview({"--" + ext.substr(1), name + ext, name + ".UGF"}, dir()).status, 0) << name;
      const Picture p = Render(name + ext);
      EXPECT_EQ(p.w, 100) << name;
      EXPECT_EQ(p.h, 100) << name;
      const bool point = name != "EMPTY";
      EXPECT_EQ(p.DarkNear(45, 50) && p.DarkNear(50, 45) && p.DarkNear(55, 50) && p.DarkNear(50, 55), point)
          << name << ext;
      EXPECT_FALSE(p.dark(50, 50) || p.dark(40, 50)) << name << ext;
    }
    EXPECT_EQ(RunUgfview({"--png", name + ".png", name + ".UGF"}, dir()).status, 0) << name;
  }
}

TEST_F(ExportTest, PngHasTheDrawingAloneFittedToItsSize) {
  ASSERT_EQ(RunUgfview({"--png", "p.png", "--size", "400x300", Sample("PART.UGF")}, dir()).status, 0);
  Picture p;
  ASSERT_TRUE(ReadPng(dir() + "/p.png", p.px, p.w, p.h));
  EXPECT_EQ(p.w, 400);
  EXPECT_EQ(p.h, 300);
  // The lit pixels' box: centred, touching the fit's border on one axis. A frame, text rows
  // or a panel would reach the picture's edges or weigh on one side.
  int x0 = p.w, y0 = p.h, x1 = -1, y1 = -1;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x)
      if (p.at(x, y) != 0) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  EXPECT_NEAR(x0, p.w - 1 - x1, 2);
  EXPECT_NEAR(y0, p.h - 1 - y1, 2);
  EXPECT_TRUE((x0 >= 2 && x0 <= 4) || (y0 >= 2 && y0 <= 4)) << x0 << " " << y0;
  EXPECT_GT(p.Count(graphics::Palette[15]), 500);  // pen 15 as on the screen: white on black
  // One number is the longer side; the other follows the drawing (12 × 8 m).
  ASSERT_EQ(RunUgfview({"--png", "t.png", "--size", "128", Sample("PLAN.UGF")}, dir()).status, 0);
  ASSERT_TRUE(ReadPng(dir() + "/t.png", p.px, p.w, p.h));
  EXPECT_EQ(p.w, 128);
  EXPECT_NEAR(p.h, 7 + 121 * 2 / 3.0, 1.5);
  for (const std::string bad : {"15", "16x8193", "0", "100x"})
    EXPECT_EQ(RunUgfview({"--png", "x.png", "--size", bad, Sample("PART.UGF")}, dir()).status, 2) << bad;
}

}  // namespace
