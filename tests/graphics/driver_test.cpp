#include "graphics/driver.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/program.h"
#include "graphics/window.h"
#include "support/fixture.h"

namespace {

using graphics::PixelAt;
using graphics::PolyPoint;

class DriverTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    OpenHeadless(200, 150);
    graphics::SetViewport(0, 0, 200, 150);
    graphics::SetBackgroundScheme(0);
    graphics::SetDrawColor(0);
    graphics::ClearViewport();  // all black, outline included
    graphics::EnablePixelOutput();
    graphics::SetDrawColor(15);
  }
  static constexpr std::uint32_t kWhite = 0xFFFFFF;
  // x coordinates of lit pixels on row y between x0 and x1.
  static std::vector<int> Lit(int y, int x0, int x1) {
    std::vector<int> v;
    for (int x = x0; x <= x1; ++x)
      if (PixelAt(x, y) != 0) v.push_back(x);
    return v;
  }
  static std::vector<int> Range(int a, int b) {
    std::vector<int> v;
    for (int i = a; i <= b; ++i) v.push_back(i);
    return v;
  }
};

TEST_F(DriverTest, LineLeavesEndpointsToMoveAndLineTo) {
  graphics::DrawLine(0, 5, 10, 5);
  EXPECT_EQ(Lit(5, 0, 20), Range(1, 9));
  graphics::MoveToPoint(0, 8);
  graphics::LineToPoint(10, 8);
  EXPECT_EQ(Lit(8, 0, 20), Range(0, 10));
  EXPECT_EQ(graphics::CurrentPoint.x, 10);
  // Zero length: the single point.
  graphics::DrawLine(30, 30, 30, 30);
  EXPECT_EQ(PixelAt(30, 30), kWhite);
}

TEST_F(DriverTest, DottedPatternsInNormalAndXorMode) {
  graphics::SetLineStyle(1, 0, 0);
  graphics::DrawLine(0, 10, 21, 10);  // interior pixels 1..20
  std::vector<int> expect;
  for (int k = 1; k <= 20; ++k)
    if (k != 7 && k != 14) expect.push_back(k);
  EXPECT_EQ(Lit(10, 0, 30), expect);
  graphics::SetXorMode(1);
  graphics::DrawLine(0, 20, 21, 20);
  EXPECT_EQ(Lit(20, 0, 30), (std::vector<int>{4, 8, 12, 16, 20}));
}

TEST_F(DriverTest, TruncatingSlopeAndOrderOfEnds) {
  // y = trunc(x * 3 / 10) for x = 1..9, the same whichever end comes first.
  graphics::DrawLine(0, 0, 10, 3);
  std::vector<std::uint32_t> a(graphics::Screen.pixels);
  graphics::SetDrawColor(0);
  graphics::DrawLine(0, 0, 10, 3);
  graphics::SetDrawColor(15);
  graphics::DrawLine(10, 3, 0, 0);
  EXPECT_EQ(a, graphics::Screen.pixels);
  for (int x = 1; x <= 9; ++x) EXPECT_EQ(PixelAt(x, x * 3 / 10), kWhite) << x;
  // Negative slope truncates towards zero too: y = -trunc(x * 3 / 10).
  graphics::DrawLine(0, 50, 10, 47);
  for (int x = 1; x <= 9; ++x) EXPECT_EQ(PixelAt(x, 50 - x * 3 / 10), kWhite) << x;
  // A steep line steps along y.
  graphics::DrawLine(100, 0, 103, 10);
  for (int y = 1; y <= 9; ++y) EXPECT_EQ(PixelAt(100 + y * 3 / 10, y), kWhite) << y;
}

TEST_F(DriverTest, XorTwiceRestoresEveryPixel) {
  for (int i = 0; i < 16; ++i) {
    graphics::SetDrawColor(i);
    const std::array<PolyPoint, 5> p = {{{i * 12, 0}, {i * 12 + 11, 0}, {i * 12 + 11, 149},
                                         {i * 12, 149}, {i * 12, 0}}};
    graphics::FillPolygon(4, p.data());
  }
  const std::vector<std::uint32_t> before = graphics::Screen.pixels;
  graphics::SetXorMode(1);
  auto figure = [] {
    graphics::SetDrawColor(14);
    graphics::MoveToPoint(10, 10);
    graphics::LineToPoint(180, 20);
    graphics::LineToPoint(100, 140);
    graphics::LineToPoint(10, 10);
    graphics::SetLineStyle(1, 0, 0);
    graphics::DrawLine(0, 75, 199, 75);
    graphics::SetLineStyle(0, 0, 0);
    graphics::PutPixel(5, 5, 12);
  };
  figure();
  EXPECT_NE(before, graphics::Screen.pixels);
  figure();
  EXPECT_EQ(before, graphics::Screen.pixels);
}

TEST_F(DriverTest, SchemesSubstituteColoursAndClear) {
  graphics::SetBackgroundScheme(4);
  graphics::SetDrawColor(15);
  EXPECT_EQ(graphics::GetDrawColor(), 0);
  graphics::ClearViewport();
  EXPECT_EQ(PixelAt(50, 50), 0xFFFFFFu);          // white brush
  EXPECT_EQ(PixelAt(0, 50), 0u);                  // outline in the pen colour (black)
  EXPECT_EQ(PixelAt(199, 149), 0u);
  graphics::DrawLine(10, 50, 20, 50);
  EXPECT_EQ(PixelAt(15, 50), 0u);                 // white draws black
  graphics::SetDrawColor(0);
  EXPECT_EQ(graphics::GetDrawColor(), 15);
  // PutPixel takes the palette colour as it stands.
  graphics::PutPixel(40, 40, 15);
  EXPECT_EQ(PixelAt(40, 40), 0xFFFFFFu);
  graphics::PutPixel(41, 40, 12);
  EXPECT_EQ(PixelAt(41, 40), 0xFF0000u);

  const std::array<std::array<int, 4>, 5> cases = {{{0, 0, 7, 15},   // scheme, in 0, in 7, in 15
                                                    {1, 0, 7, 15},
                                                    {2, 7, 0, 0},
                                                    {3, 8, 7, 0},
                                                    {4, 15, 7, 0}}};
  for (const auto& c : cases) {
    graphics::SetBackgroundScheme(c[0]);
    graphics::SetDrawColor(0);
    EXPECT_EQ(graphics::GetDrawColor(), c[1]) << c[0];
    graphics::SetDrawColor(7);
    EXPECT_EQ(graphics::GetDrawColor(), c[2]) << c[0];
    graphics::SetDrawColor(15);
    EXPECT_EQ(graphics::GetDrawColor(), c[3]) << c[0];
  }
  graphics::SetBackgroundScheme(3);
  graphics::SetDrawColor(8);
  EXPECT_EQ(graphics::GetDrawColor(), 0);
  graphics::ClearViewport();
  EXPECT_EQ(PixelAt(50, 50), 0xC0C0C0u);
}

TEST_F(DriverTest, AViewportChangeLeavesTheDefaultBlackPenForOutlines) {
  graphics::SetBackgroundScheme(4);
  graphics::SetDrawColor(12);
  graphics::SetViewport(0, 0, 100, 100);  // a fresh context: black pen
  graphics::ClearViewport();
  EXPECT_EQ(PixelAt(0, 50), 0u);
  EXPECT_EQ(PixelAt(50, 50), 0xFFFFFFu);
  graphics::DrawLine(10, 20, 30, 20);     // lines still use the drawing colour
  EXPECT_EQ(PixelAt(20, 20), 0xFF0000u);
  graphics::SetDrawColor(12);
  graphics::ClearViewport();
  EXPECT_EQ(PixelAt(0, 50), 0xFF0000u);
}

TEST_F(DriverTest, ClippedStartIsAnEndpointAndNotPlotted) {
  graphics::SetViewport(0, 0, 150, 100);
  graphics::DrawLine(-100, 50, 100, 50);
  EXPECT_EQ(Lit(50, 0, 199), Range(1, 99));
  // Both ends beyond one side: nothing.
  graphics::DrawLine(-50, 60, -1, 70);
  graphics::DrawLine(10, 101, 50, 200);
  EXPECT_TRUE(Lit(60, 0, 199).empty());
  EXPECT_TRUE(Lit(101, 0, 199).empty());
}

TEST_F(DriverTest, ViewportShowsRightMinusLeftColumns) {
  graphics::SetViewport(20, 30, 60, 50);
  graphics::SetBackgroundScheme(4);  // white brush, and 0 draws white
  graphics::SetDrawColor(0);
  graphics::ClearViewport();
  graphics::SetBackgroundScheme(0);
  int cols = 0, rows = 0;
  for (int x = 0; x < 200; ++x) cols += PixelAt(x, 40) != 0;
  for (int y = 0; y < 150; ++y) rows += PixelAt(40, y) != 0;
  EXPECT_EQ(cols, 40);
  EXPECT_EQ(rows, 20);
  // Drawing goes relative to the origin, and stops at right - 1 and bottom - 1.
  graphics::SetDrawColor(0);
  graphics::ClearViewport();
  graphics::SetDrawColor(15);
  graphics::MoveToPoint(-5, 5);
  graphics::LineToPoint(100, 5);
  EXPECT_EQ(Lit(35, 0, 199), Range(21, 59));  // the clipped start is not plotted
  graphics::PutPixel(40, 0, 15);   // column right: outside
  graphics::PutPixel(0, 20, 15);   // row bottom: outside
  EXPECT_EQ(PixelAt(60, 30), 0u);
  EXPECT_EQ(PixelAt(20, 50), 0u);
}

TEST_F(DriverTest, NothingIsPlottedBeforePixelOutputIsEnabled) {
  OpenHeadless(100, 100);
  graphics::SetViewport(0, 0, 100, 100);
  graphics::SetDrawColor(0);
  graphics::ClearViewport();
  graphics::DisablePixelOutput();
  graphics::SetDrawColor(15);
  graphics::DrawLine(0, 5, 50, 5);
  graphics::MoveToPoint(3, 3);
  graphics::PutPixel(4, 4, 15);
  EXPECT_EQ(PixelAt(20, 5), 0u);
  EXPECT_EQ(PixelAt(3, 3), 0u);
  EXPECT_EQ(PixelAt(4, 4), 0u);
  // Clearing and polygon fills are not governed by it.
  graphics::ClearViewport();
  EXPECT_EQ(PixelAt(0, 0), 0xFFFFFFu);
  const std::array<PolyPoint, 4> p = {{{10, 10}, {30, 10}, {10, 30}, {10, 10}}};
  graphics::FillPolygon(3, p.data());
  EXPECT_EQ(PixelAt(12, 12), 0xFFFFFFu);
}

TEST_F(DriverTest, ScanFillCountsEdgesAsTheRulesSay) {
  const std::array<PolyPoint, 4> p = {{{0, 0}, {10, 0}, {0, 10}, {0, 0}}};
  graphics::SetViewport(20, 20, 200, 150);
  graphics::FillPolygon(3, p.data());
  // Row 0 runs from 0 to 10 (the horizontal edge is no crossing, the ends of the other two
  // are); the last row, 10, only touches the lower ends and stays empty.
  EXPECT_EQ(Lit(20, 0, 199), Range(20, 30));
  EXPECT_EQ(Lit(25, 0, 199), Range(20, 25));
  EXPECT_TRUE(Lit(30, 0, 199).empty());
  // Spans are clipped to the viewport.
  graphics::SetViewport(0, 0, 50, 150);
  const std::array<PolyPoint, 5> wide = {{{-100, 100}, {300, 100}, {300, 110}, {-100, 110}, {-100, 100}}};
  graphics::FillPolygon(4, wide.data());
  EXPECT_EQ(Lit(105, 0, 199), Range(0, 49));
}

TEST_F(DriverTest, BlankingPolygonUsesTheBrushAndLimitsPoints) {
  const std::array<PolyPoint, 4> p = {{{0, 0}, {40, 0}, {0, 40}, {0, 0}}};
  graphics::SetViewport(0, 0, 200, 150);
  graphics::SetDrawColor(12);
  graphics::SetBackgroundScheme(4);
  graphics::FillPolygon(-3, p.data());
  EXPECT_EQ(PixelAt(10, 10), 0xFFFFFFu);  // the scheme's brush
  EXPECT_EQ(PixelAt(0, 20), 0xFF0000u);   // outline in the pen
  graphics::SetBackgroundScheme(0);
  graphics::SetDrawColor(7);
  const std::array<PolyPoint, 4> q = {{{100, 0}, {140, 0}, {100, 40}, {100, 0}}};
  graphics::FillPolygon(-3, q.data());
  EXPECT_EQ(PixelAt(110, 10), 0x808080u);
  // More than 100 points: only the first 100 are used, nothing is read past them.
  std::vector<PolyPoint> many(300, PolyPoint{150, 100});
  many[0] = {150, 100};
  graphics::FillPolygon(-300, many.data());
}

TEST_F(DriverTest, PaletteRampsAndColoursAboveTheTable) {
  EXPECT_EQ(graphics::Palette[7], 0x808080u);
  EXPECT_EQ(graphics::Palette[8], 0xC0C0C0u);
  EXPECT_EQ(graphics::Palette[16], 0x3F3F3Fu);              // k 0, v 63
  EXPECT_EQ(graphics::Palette[16 + 64 + 63], 0x3F3FFCu);    // k 1, v 252
  EXPECT_EQ(graphics::Palette[16 + 64 * 4 + 10], 0x5D3F3Fu);  // k 4, v 93
  EXPECT_EQ(graphics::Palette[527], 0xFCFCFCu);
  graphics::SetDrawColor(528);
  EXPECT_EQ(graphics::GetDrawColor(), 16);
  graphics::SetDrawColor(2147483647);
  EXPECT_GE(graphics::GetDrawColor(), 16);
  EXPECT_LE(graphics::GetDrawColor(), 527);
  graphics::SetDrawColor(-4);
  EXPECT_EQ(graphics::GetDrawColor(), 15);
  graphics::PutPixel(1, 1, 100000);
}

TEST_F(DriverTest, HugeCoordinatesAreClippedWithoutOverflowOrHang) {
  const int big = 2147483000;
  graphics::DrawLine(-big, -big, big, big);
  graphics::DrawLine(-big, 75, big, 75);
  EXPECT_EQ(Lit(75, 0, 199), Range(1, 199));
  graphics::DrawLine(big, -big, -big, big - 5);
  graphics::DrawLine(-big, -big + 3, 5, -big);
  graphics::MoveToPoint(big, big);
  graphics::LineToPoint(-big, -big);
  const std::array<PolyPoint, 4> p = {{{-big, -big}, {big, -big}, {0, big}, {-big, -big}}};
  graphics::FillPolygon(3, p.data());
  graphics::FillPolygon(-3, p.data());
}

TEST_F(DriverTest, ResizeKeepsTheOverlapAndClipsToTheNewSize) {
  graphics::DrawLine(0, 10, 199, 10);
  graphics::ResizeFramebuffer(100, 300);
  EXPECT_EQ(graphics::GetMaxX(), 100);
  EXPECT_EQ(graphics::GetMaxY(), 300);
  EXPECT_EQ(Lit(10, 0, 99), Range(1, 99));
  graphics::DrawLine(0, 200, 500, 200);  // the old viewport reached only row 150
  EXPECT_TRUE(Lit(200, 0, 99).empty());
  graphics::OpenGraphics();
  graphics::DrawLine(0, 200, 500, 200);
  EXPECT_EQ(Lit(200, 0, 99), Range(1, 99));
}

TEST(DriverDefaults, HarmlessBeforeTheGraphicsAreOpened) {
  graphics::DriverStartUp();
  EXPECT_EQ(graphics::ReadCommandKey(), ' ');
  EXPECT_FALSE(graphics::KeyAvailable());
  EXPECT_EQ(graphics::GetMaxX(), 0);
  EXPECT_EQ(graphics::GetDrawColor(), 0);
  EXPECT_FALSE(graphics::MouseIdle());
  graphics::DrawLine(0, 0, 10, 10);
  graphics::ClearViewport();
  graphics::FillPolygon(3, nullptr);
  EXPECT_EQ(graphics::ClientRight, 639);
  EXPECT_EQ(graphics::ClientBottom, 479);
}

}  // namespace
