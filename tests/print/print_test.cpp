#include "print/print.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "dialogs/menu_panel.h"
#include "drawing/replay.h"
#include "drawing/ugf_export.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/printer.h"
#include "platform/text.h"
#include "support/fixture.h"

namespace {

using platform::Cp866;

class PrintTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // Never the machine's own scheduler: a socket that is not there.
    setenv("CUPS_SERVER", (dir() + "/no-cups.sock").c_str(), 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    jobs_ = dir() + "/jobs";
    std::filesystem::create_directory(jobs_);
    setenv("UGFVIEW_PRINT_DIR", jobs_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("UGFVIEW_PRINT_DIR");
    unsetenv("CUPS_SERVER");
    ProgramTest::TearDown();
  }
  void WriteDrawing(const std::string& name, const std::string& records) {
    std::ofstream(dir() + "/" + name, std::ios::binary) << " X   Y   PenNo (0-continue,-1-stop)\r\n"
                                                        << records << " 0 0 -1\r\n";
  }
  std::vector<std::string> Jobs() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(jobs_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string jobs_;
};

// A page rendered at 1 pixel per mm without anti-aliasing, so a one-dot line is one pixel.
struct Page {
  int w = 0, h = 0;
  std::vector<unsigned char> px;
  int pages = 0;
  bool Dark(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && px[y * w + x] < 128; }
};

Page Render(const std::string& pdf, const std::string& prefix) {
  Page p;
  const std::string cmd = "pdftoppm -r 25.4 -gray -aa no -aaVector no '" + pdf + "' '" + prefix + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return p;
  while (std::filesystem::exists(prefix + "-" + std::to_string(p.pages + 1) + ".pgm")) ++p.pages;
  std::ifstream in(prefix + "-1.pgm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> p.w >> p.h >> maxval;
  in.get();
  p.px.resize(static_cast<std::size_t>(p.w) * p.h);
  in.read(reinterpret_cast<char*>(p.px.data()), static_cast<std::streamsize>(p.px.size()));
  return p;
}

// Rows (or columns) with a dark pixel within one pixel of column x (row y).
int VerticalHits(const Page& p, double x) {
  int n = 0;
  for (int y = 0; y < p.h; ++y)
    for (int dx = -1; dx <= 1; ++dx)
      if (p.Dark(static_cast<int>(x) + dx, y)) {
        ++n;
        break;
      }
  return n;
}
int HorizontalHits(const Page& p, double y) {
  int n = 0;
  for (int x = 0; x < p.w; ++x)
    for (int dy = -1; dy <= 1; ++dy)
      if (p.Dark(x, static_cast<int>(y) + dy)) {
        ++n;
        break;
      }
  return n;
}

bool HavePdftoppm() { return std::system("command -v pdftoppm >/dev/null 2>&1") == 0; }

TEST(PrintTiling, SheetCountsRoundWithTheMarginAndFollowTheAxis) {
  print::PrintStartUp();
  // 400 / 203.2 = 1.9685 takes 2 sheets; 203.3 / 203.2 = 1.0005 takes 1 (the rest is clipped).
  print::ComputeTiling(0, 0, 400, 100, 1.0f, 0, 0);
  EXPECT_EQ(print::SheetsX, 2);
  EXPECT_EQ(print::SheetsY, 1);
  print::ComputeTiling(0, 0, 203.3f, 100, 1.0f, 0, 0);
  EXPECT_EQ(print::SheetsX, 1);
  // Corners in any order; the origin is the smallest x and the largest y.
  print::ComputeTiling(400, 700, -10, 20, 1.0f, 3, 4);
  EXPECT_EQ(print::SheetsX, 3);
  EXPECT_EQ(print::SheetsY, 3);
  EXPECT_EQ(print::SheetCount, 9);
  EXPECT_EQ(print::PrintOriginX, -10.0f);
  EXPECT_EQ(print::PrintOriginY, 700.0f);

  // 100 wide and 50 high at scale 4: 400 x 200 mm, or turned 200 across and 400 down.
  print::ComputeTiling(0, 0, 100, 50, 4.0f, 0, 0);
  EXPECT_EQ(print::SheetsX, 2);
  EXPECT_EQ(print::SheetsY, 1);
  print::AxisAlongLength = 1;
  print::ComputeTiling(0, 0, 100, 50, 4.0f, 0, 0);
  EXPECT_EQ(print::SheetsX, 1);
  EXPECT_EQ(print::SheetsY, 2);
  EXPECT_EQ(print::PrintOriginX, -50.0f);
  EXPECT_EQ(print::PrintOriginY, 100.0f);

  // Degenerate values never leave 1..9999 sheets per axis.
  print::AxisAlongLength = 0;
  print::SheetWidth = 0;
  print::SheetLength = -5;
  print::ComputeTiling(0, 0, 100, 100, 1.0f, 0, 0);
  EXPECT_EQ(print::SheetsX, print::kMaxSheetsPerAxis);
  EXPECT_EQ(print::SheetsY, 1);
  print::SheetWidth = 200;
  print::ComputeTiling(0, 0, 1e30f, 0, 1e30f, 0, 0);
  EXPECT_EQ(print::SheetsX, print::kMaxSheetsPerAxis);
}

TEST_F(PrintTest, DialogRowsSheetFieldsAndScaleFromTheSizeRows) {
  // 7: 300 is cut to the printable width; 7 and 8: values below 1 mm are refused after a key;
  // 1: the X size doubled doubles the scale; Esc leaves.
  OpenHeadless(640, 480, R"(7300\r70.5\rx8-5\ry1200\r\e)");
  float x1 = 0, y1 = 0, x2 = 100, y2 = 50, scale = 1, sx = 0, sy = 0;
  std::uint8_t key = 0;
  print::PrintDialog(x1, y1, x2, y2, scale, sx, sy, key);
  EXPECT_EQ(key, 27);
  EXPECT_EQ(print::PrinterDpiX, 600);
  EXPECT_EQ(print::SheetWidth, print::MmPerDotX * 4800);
  EXPECT_NEAR(print::SheetWidth, 203.2f, 0.001f);
  EXPECT_NEAR(print::SheetLength, 278.087f, 0.001f);  // 6569 dots of the folder printer
  EXPECT_FLOAT_EQ(scale, 2.0f);

  // The rows as the dialog left them (language 0: the Russian halves, trailing blanks kept).
  const auto& m = dialogs::MenuItems;
  EXPECT_EQ(m[0].name, Cp866(" Вывод чертежа на принтер. Разрешение принтера"));
  EXPECT_EQ(m[0].valueText, "  600");
  EXPECT_EQ(m[4].name, Cp866("Смещение по ширине принтера вправо "));
  EXPECT_EQ(m[5].name, Cp866("Смещение по длине листа вниз       "));
  EXPECT_EQ(m[6].name, Cp866("Ось X - по ширине принтера "));
  EXPECT_EQ(m[9].name, Cp866("Выводить"));
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(m[i].kind, 1) << i;
  for (int i : {0, 6, 7, 8, 9}) EXPECT_EQ(m[i].kind, 0) << i;
  EXPECT_TRUE(m[6].valueText.empty());
  EXPECT_TRUE(m[9].valueText.empty());
  EXPECT_EQ(m[7].valueText.back(), '1');
  EXPECT_EQ(m[3].value, 2.0f);  // the last pass showed the new scale

  // A picture of zero width keeps its scale.
  OpenHeadless(640, 480, R"(1500\r\e)");
  x2 = 0;
  scale = 3;
  print::PrintDialog(x1, y1, x2, y2, scale, sx, sy, key);
  EXPECT_EQ(scale, 3.0f);
}

TEST_F(PrintTest, WithoutAPrinterTheDialogSaysSoAndGoesOn) {
  unsetenv("UGFVIEW_PRINT_DIR");
  // Each pass shows the message and takes one key: 'a' and 'b' go to it, not to the menu.
  OpenHeadless(640, 480, R"(a6b\e)");
  float x1 = 0, y1 = 0, x2 = 100, y2 = 50, scale = 1, sx = 0, sy = 0;
  std::uint8_t key = 0;
  print::PrintDialog(x1, y1, x2, y2, scale, sx, sy, key);
  EXPECT_EQ(key, 27);
  EXPECT_EQ(print::AxisAlongLength, 1);
  EXPECT_EQ(print::PrinterDpiX, 600);
  EXPECT_EQ(print::PrintableWidthDots, 4795);   // 203 mm
  EXPECT_EQ(print::PrintableHeightDots, 6567);  // 278 mm
  EXPECT_EQ(dialogs::MenuItems[6].name, Cp866("Ось X - по длине листа "));
}

// Counts the replays that go to the printer, and resizes the window during the first one.
int g_printer_replays = 0;
bool g_resized = false;
void CountingDrawProc() {
  if (drawing::OutputMode == 2) ++g_printer_replays;
  drawing::DrawNewVariant();
}
bool ResizeOnce() {
  if (drawing::OutputMode == 2 && !g_resized) {
    g_resized = true;
    platform::Event e;
    e.kind = platform::EventKind::kSize;
    e.w = 600;
    e.h = 400;
    graphics::WindowProc(e);
    graphics::RunPendingRepaint();
  }
  return graphics::WindowKeyAvailable();
}

TEST_F(PrintTest, TwoByTwoSheetsAreFourOnePageJobsRowByRow) {
  if (!HavePdftoppm()) GTEST_SKIP() << "pdftoppm is not installed";
  // Escape in the thickness field prints nothing; then 9 with its dialog confirmed prints.
  OpenHeadless(640, 480, R"(9\r\e9\r\r)");
  // Two vertical lines (x 100, 250) and two horizontal ones (y 350, 50) over 300 x 400 mm.
  WriteDrawing("G.UGF", "100 0 15\r\n100 400 0\r\n250 0 15\r\n250 400 0\r\n"
                        "0 350 15\r\n300 350 0\r\n0 50 15\r\n300 50 0\r\n");
  app::OpenDrawing("G.UGF");
  drawing::DrawProc = CountingDrawProc;
  graphics::KeyAvailable = ResizeOnce;
  g_printer_replays = 0;
  g_resized = false;
  const auto repaints = graphics::RepaintCount;
  std::uint8_t key = 0;
  print::PrintCommand(key);
  EXPECT_EQ(key, '9');
  EXPECT_EQ(print::SheetsX, 2);
  EXPECT_EQ(print::SheetsY, 2);
  // One replay per sheet; the repaint the resize asked for came after the run.
  EXPECT_TRUE(g_resized);
  EXPECT_EQ(g_printer_replays, 4);
  EXPECT_EQ(graphics::RepaintCount, repaints + 1);
  EXPECT_EQ(drawing::PointProc, drawing::WriteAndDrawPoint);
  EXPECT_EQ(drawing::OutputMode, 0);
  EXPECT_EQ(graphics::RepaintHoldDepth, 0);
  EXPECT_NEAR(drawing::PassOffset, 25.4f / 600, 1e-6f);

  ASSERT_EQ(Jobs(), (std::vector<std::string>{"job-0001.pdf", "job-0002.pdf", "job-0003.pdf", "job-0004.pdf"}));
  // Sheet (c, r) shows the lines at x - 203.2 (c - 1) and 400 - y - 278.087 (r - 1).
  const double left[2] = {100, 250 - 203.2}, top[2] = {50, 350 - 278.087};
  // What of the lines lies on each sheet: 300 mm across and 400 mm down in all.
  const double across[2] = {203.2, 300 - 203.2}, down[2] = {278.087, 400 - 278.087};
  for (int job = 0; job < 4; ++job) {
    const int c = job % 2, r = job / 2;
    SCOPED_TRACE("sheet " + std::to_string(c + 1) + ", " + std::to_string(r + 1));
    const Page p = Render(jobs_ + "/job-000" + std::to_string(job + 1) + ".pdf", dir() + "/p" + std::to_string(job));
    ASSERT_EQ(p.pages, 1);
    EXPECT_NEAR(p.w, 203, 1);
    EXPECT_NEAR(VerticalHits(p, left[c]), down[r], 2);
    EXPECT_NEAR(HorizontalHits(p, top[r]), across[c], 2);
    // Nothing else: the other sheets' lines are clipped away.
    EXPECT_LT(VerticalHits(p, left[1 - c]), 3);
    EXPECT_LT(HorizontalHits(p, top[1 - r]), 3);
    int stray = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x)
        if (p.Dark(x, y) && std::abs(x - left[c]) > 1.5 && std::abs(y - top[r]) > 1.5) ++stray;
    EXPECT_EQ(stray, 0);
  }
}

TEST_F(PrintTest, BatchPrintsRefusesTooManySheetsAndNeedsAPrinter) {
  unsetenv("UGFVIEW_PRINT_DIR");
  WriteDrawing("B.UGF", "0 0 15\r\n300 400 0\r\n");
  const mode_t mask = umask(022);
  auto r = testing_support::RunUgfview({"--print", "B.UGF"}, dir(), {"UGFVIEW_PRINT_DIR=jobs"});
  umask(mask);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Jobs().size(), 4u);
  struct stat st {};
  ASSERT_EQ(stat((jobs_ + "/job-0001.pdf").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // as every other output
  r = testing_support::RunUgfview({"--print", "--scale", "0.5", "B.UGF"}, dir(), {"UGFVIEW_PRINT_DIR=jobs"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Jobs().back(), "job-0005.pdf");  // earlier jobs are kept
  r = testing_support::RunUgfview({"--print", "--scale", "10", "B.UGF"}, dir(), {"UGFVIEW_PRINT_DIR=jobs"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("225 sheets"), std::string::npos) << r.err;
  EXPECT_EQ(Jobs().size(), 5u);
  r = testing_support::RunUgfview({"--print", "B.UGF"}, dir(), {});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no printer"), std::string::npos) << r.err;
}

}  // namespace
