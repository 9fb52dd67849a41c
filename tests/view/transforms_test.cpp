#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "support/fixture.h"
#include "textentry/line_editor.h"
#include "view/view_state.h"

namespace {

using view::Matrix3;

constexpr int kBox = 1 << 24;  // pixels from the centre a segment is cut to
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Rows of a turned orthonormal frame: about z by a, then about the new x by b, then z by c.
Matrix3 Turned(double a, double b, double c) {
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b),
               cc = std::cos(c), sc = std::sin(c);
  Matrix3 m{};
  m[1] = {0, ca * cc - sa * cb * sc, sa * cc + ca * cb * sc, sb * sc};
  m[2] = {0, -ca * sc - sa * cb * cc, -sa * sc + ca * cb * cc, sb * cc};
  m[3] = {0, sa * sb, -ca * sb, cb};
  return m;
}

void SetWindow(int centre_x, int centre_y, float units_per_pixel, float u = 0, float v = 0) {
  view::ScreenCentreX = centre_x;
  view::ScreenCentreY = centre_y;
  view::UnitsPerPixelX = view::UnitsPerPixelY = view::DepthScale = units_per_pixel;
  view::ViewCentreU = u;
  view::ViewCentreV = v;
}

std::pair<int, int> Pixel(float x, float y, float z) {
  std::pair<int, int> p;
  view::WorldToPixel(x, y, z, p.first, p.second);
  return p;
}

class TransformsMathTest : public ::testing::Test {
 protected:
  void SetUp() override { view::TransformsStartUp(); }
};

TEST_F(TransformsMathTest, StartUpHooksAreHarmlessBeforeGraphics) {
  graphics::DriverStartUp();  // the depth operations throw until the graphics are opened
  view::MoveToWorldProc = view::MoveToWorld;
  view::ViewCentreU = 7;
  view::TransformsStartUp();
  EXPECT_NO_THROW(view::MoveToWorldProc(1, 2, 3));
  EXPECT_NO_THROW(view::LineToWorldProc(4, 5, 6));
  EXPECT_EQ(view::ViewCentreU, 0.0f);
  EXPECT_EQ(Pixel(3, -4, 9), std::make_pair(3, 4));  // plan view, one unit per pixel
}

TEST_F(TransformsMathTest, FitWindowTakesTheLargerScale) {
  view::ViewportWidth = 807;
  view::ViewportHeight = 407;
  view::FitWindow(0, 0, 200, 50);  // x: 200/800, y: 50/400
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 0.25f);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelY, 0.25f);
  EXPECT_FLOAT_EQ(view::DepthScale, 0.25f);
  EXPECT_FLOAT_EQ(view::ViewCentreU, 100.0f);
  EXPECT_FLOAT_EQ(view::ViewCentreV, 25.0f);

  view::FitWindow(-10, 0, 40, 200);  // taller: y 200/400 wins over x 50/800
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 0.5f);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelY, 0.5f);
  EXPECT_FLOAT_EQ(view::DepthScale, 0.5f);
  EXPECT_FLOAT_EQ(view::ViewCentreU, 15.0f);
  EXPECT_FLOAT_EQ(view::ViewCentreV, 100.0f);

  view::FitWindow(3, 0, 3, 100);  // no width: the height alone decides
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 0.25f);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelY, 0.25f);

  view::FitWindow(5, -7, 5, -7);  // a single point
  EXPECT_EQ(view::UnitsPerPixelX, 1.0f);
  EXPECT_EQ(view::UnitsPerPixelY, 1.0f);
  EXPECT_EQ(view::DepthScale, 1.0f);
  EXPECT_EQ(view::ViewCentreU, 5.0f);
  EXPECT_EQ(view::ViewCentreV, -7.0f);

  // The fitted box lies inside the viewport.
  view::ScreenCentreX = 807 / 2 - view::ViewMargin;
  view::ScreenCentreY = 407 / 2 - view::ViewMargin;
  view::FitWindow(0, 0, 200, 50);
  EXPECT_EQ(Pixel(0, 0, 0), std::make_pair(2, 302));
  EXPECT_EQ(Pixel(200, 50, 0), std::make_pair(802, 102));
}

TEST_F(TransformsMathTest, HalfPixelsRoundToEven) {
  // An odd centre: rounding the sum instead of the offset would give 104 and 106.
  SetWindow(101, 51, 0.5f);
  EXPECT_EQ(Pixel(1.25f, 0, 0), std::make_pair(103, 51));   // 2.5 pixels
  EXPECT_EQ(Pixel(1.75f, 0, 0), std::make_pair(105, 51));   // 3.5
  EXPECT_EQ(Pixel(-1.25f, 0, 0), std::make_pair(99, 51));   // -2.5
  EXPECT_EQ(Pixel(-1.75f, 0, 0), std::make_pair(97, 51));   // -3.5
  EXPECT_EQ(Pixel(0, 1.25f, 0), std::make_pair(101, 49));   // up is smaller y
  EXPECT_EQ(Pixel(0, 1.75f, 0), std::make_pair(101, 47));
  int px = 0, py = 0;
  view::ViewToPixel(1.25f, -1.75f, px, py);
  EXPECT_EQ(px, 103);
  EXPECT_EQ(py, 55);
  view::PlaneOrigin = {0, 1.0f, 0.25f, 0};
  view::PlaneToPixel(0.75f, 0.5f, 0, px, py);  // world (1.75, 0.75): 3.5 and 1.5 pixels
  EXPECT_EQ(px, 105);
  EXPECT_EQ(py, 49);
}

TEST_F(TransformsMathTest, PixelToViewInvertsTheWindowMapping) {
  SetWindow(100, 50, 0.5f, 10, 20);
  float u = 0, v = 0;
  view::PixelToView(104, 46, u, v);
  EXPECT_FLOAT_EQ(u, 12.0f);
  EXPECT_FLOAT_EQ(v, 22.0f);
  int px = 0, py = 0;
  view::ViewToPixel(u, v, px, py);
  EXPECT_EQ(px, 104);
  EXPECT_EQ(py, 46);
}

TEST_F(TransformsMathTest, PixelToPlaneFindsThePlanePointUnderThePixel) {
  SetWindow(100, 50, 0.5f, 10, 20);
  float x = 0, y = 0, z = 3;  // plan view, identity plane: (u, v, zc)
  view::PixelToPlane(104, 46, x, y, z);
  EXPECT_FLOAT_EQ(x, 12.0f);
  EXPECT_FLOAT_EQ(y, 22.0f);
  EXPECT_FLOAT_EQ(z, 3.0f);

  view::PlaneDepth = 2;  // the plane raised along its normal
  view::PlaneOrigin = {0, 0, 0, 2};
  z = 3;
  view::PixelToPlane(104, 46, x, y, z);
  EXPECT_FLOAT_EQ(x, 12.0f);
  EXPECT_FLOAT_EQ(y, 22.0f);
  EXPECT_FLOAT_EQ(z, 3.0f);

  // Turned view and a tilted plane: the found point lies under the pixel, at height zc.
  view::ViewMatrix = Turned(0.3, 0.9, -0.4);
  view::ApplyView();
  view::PlaneAxes = Turned(0.7, 0.5, 0.2);
  view::PlaneOrigin = {0, 1.5f, -2.0f, 3.0f};
  view::PlaneDepth = static_cast<float>(view::PlaneAxes[3][1] * 1.5 + view::PlaneAxes[3][2] * -2.0 +
                                        view::PlaneAxes[3][3] * 3.0);
  const std::tuple<int, int, float> cases[] = {{130, 70, 1.5f}, {12, 95, -4.0f}, {100, 50, 0.0f}};
  for (const auto& [qx, qy, zc] : cases) {
    z = zc;
    view::PixelToPlane(qx, qy, x, y, z);
    EXPECT_NEAR(z, zc, 1e-4);
    int px = 0, py = 0;
    view::PlaneToPixel(x, y, z, px, py);
    EXPECT_EQ(px, qx);
    EXPECT_EQ(py, qy);
  }
}

TEST_F(TransformsMathTest, PixelToPlaneSeenEdgeOnStaysAtTheOriginsDepth) {
  SetWindow(100, 100, 1.0f);
  // Plan view (looking along z); the plane stands upright, its normal along -y.
  view::PlaneAxes[1] = {0, 1, 0, 0};
  view::PlaneAxes[2] = {0, 0, 0, 1};
  view::PlaneAxes[3] = {0, 0, -1, 0};
  view::PlaneOrigin = {0, 0, 5, 7};
  float x = 0, y = 0, z = 2;
  view::PixelToPlane(110, 80, x, y, z);  // the ray through (u, v) = (10, 20)
  float wx = 0, wy = 0, wz = 0;
  view::PlaneToWorld(x, y, z, wx, wy, wz);
  EXPECT_FLOAT_EQ(wx, 10.0f);
  EXPECT_FLOAT_EQ(wy, 20.0f);
  EXPECT_FLOAT_EQ(wz, 7.0f);

  // Nearly edge-on (n·e = 0.005, under the 0.01 threshold): no far-away intersection.
  const double s = 0.005, c = std::sqrt(1 - s * s);
  view::PlaneAxes[2] = {0, 0, s, c};
  view::PlaneAxes[3] = {0, 0, -c, s};
  z = 2;
  view::PixelToPlane(110, 80, x, y, z);
  view::PlaneToWorld(x, y, z, wx, wy, wz);
  EXPECT_NEAR(wx, 10.0f, 1e-4);
  EXPECT_NEAR(wy, 20.0f, 1e-4);
  EXPECT_NEAR(wz, 7.0f, 1e-4);
}

TEST_F(TransformsMathTest, WorkPlaneConversionsAreInverse) {
  view::PlaneAxes = Turned(0.4, 1.1, -2.3);
  view::PlaneOrigin = {0, 10.0f, -3.0f, 4.5f};
  const Matrix3& r = view::PlaneAxes;
  // Plane x is row 1 of the axes (not column 1).
  float X = 0, Y = 0, Z = 0;
  view::PlaneToWorld(1, 0, 0, X, Y, Z);
  EXPECT_NEAR(X, 10.0 + r[1][1], 1e-5);
  EXPECT_NEAR(Y, -3.0 + r[1][2], 1e-5);
  EXPECT_NEAR(Z, 4.5 + r[1][3], 1e-5);
  const std::tuple<float, float, float> points[] = {
      {1.0f, 2.0f, 3.0f}, {-250.5f, 0.125f, 40.0f}, {1e4f, -3e3f, -7.0f}};
  for (const auto& [x, y, z] : points) {
    float bx = 0, by = 0, bz = 0;
    view::PlaneToWorld(x, y, z, X, Y, Z);
    view::WorldToPlane(X, Y, Z, bx, by, bz);
    const float tol = 1e-6f * (std::fabs(x) + std::fabs(y) + std::fabs(z) + 20);
    EXPECT_NEAR(bx, x, tol);
    EXPECT_NEAR(by, y, tol);
    EXPECT_NEAR(bz, z, tol);
    // The foot on the plane keeps the in-plane coordinates and has height 0.
    view::ProjectOntoPlane(X, Y, Z);
    view::WorldToPlane(X, Y, Z, bx, by, bz);
    EXPECT_NEAR(bx, x, tol);
    EXPECT_NEAR(by, y, tol);
    EXPECT_NEAR(bz, 0.0f, tol);
  }
}

TEST_F(TransformsMathTest, BoxGrowsInViewCoordinates) {
  view::ViewMatrix = Turned(0.0, 0.0, 1.5707963267948966);  // u = y, v = -x
  view::ApplyView();
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  view::StartBox(1, 2, 3, u1, v1, u2, v2);
  float u = 0, v = 0;
  view::ProjectToView(1, 2, 3, u, v);
  EXPECT_EQ(std::make_pair(u1, v1), std::make_pair(u, v));
  EXPECT_EQ(std::make_pair(u2, v2), std::make_pair(u, v));
  view::ExtendBox(-4, 6, 0, u1, v1, u2, v2);
  view::ExtendBox(2, -1, 100, u1, v1, u2, v2);
  // Projected points: (1,2)->(2,-1), (-4,6)->(6,4), (2,-1)->(-1,-2).
  EXPECT_NEAR(u1, -1, 1e-5);
  EXPECT_NEAR(u2, 6, 1e-5);
  EXPECT_NEAR(v1, -2, 1e-5);
  EXPECT_NEAR(v2, 4, 1e-5);
}

// Records the depth operations of the driver.
struct DepthCall {
  char op;  // 'M' or 'L'
  int x, y, z;
  bool operator==(const DepthCall&) const = default;
};
std::vector<DepthCall> g_calls;
void RecordMove(int x, int y, int z) { g_calls.push_back({'M', x, y, z}); }
void RecordLine(int x, int y, int z) { g_calls.push_back({'L', x, y, z}); }

void PrintTo(const DepthCall& c, std::ostream* os) {
  *os << c.op << "(" << c.x << ", " << c.y << ", " << c.z << ")";
}

class TransformsDriverCallsTest : public TransformsMathTest {
 protected:
  void SetUp() override {
    TransformsMathTest::SetUp();
    old_move_ = graphics::MoveToPointDepth;
    old_line_ = graphics::LineToPointDepth;
    graphics::MoveToPointDepth = RecordMove;
    graphics::LineToPointDepth = RecordLine;
    g_calls.clear();
    SetWindow(100, 100, 1.0f);
  }
  void TearDown() override {
    graphics::MoveToPointDepth = old_move_;
    graphics::LineToPointDepth = old_line_;
  }
  std::vector<DepthCall> Take() { return std::exchange(g_calls, {}); }

 private:
  platform::Hook<void(int, int, int)> old_move_ = nullptr, old_line_ = nullptr;
};

TEST_F(TransformsDriverCallsTest, PixelsAndDepthStepsOfAPolyline) {
  view::DepthScale = 0.5f;
  view::DepthCentre = 1.0f;
  view::MoveToWorld(1.25f, 2.5f, 2.25f);  // 1.25 px, 2.5 px, depth 2.5 steps
  view::LineToWorld(3.5f, -1.5f, 2.75f);  // depth 3.5 steps
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 101, 98, 2}, {'L', 104, 102, 4}}));
}

TEST_F(TransformsDriverCallsTest, FarEndsAreCutToTheClipBoxKeepingTheDirection) {
  const float far = 0x1p100f, half = 0x1p99f;  // exact: slope exactly 1/2
  view::MoveToWorld(0, 0, 0);
  view::LineToWorld(far, half, 0);
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100, 100, 0},
                                            {'L', 100 + kBox, 100 - kBox / 2, 0}}));
  // Coming back in: the driver first moves to where the segment enters the box.
  view::LineToWorld(0, 0, 0);
  view::LineToWorld(0, 10, 0);
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100 + kBox, 100 - kBox / 2, 0},
                                            {'L', 100, 100, 0},
                                            {'L', 100, 90, 0}}));
  // Both ends far out, crossing the window.
  view::MoveToWorld(-far, 5, 0);
  EXPECT_TRUE(Take().empty());
  view::LineToWorld(far, 5, 0);
  view::LineToWorld(0, 0, 0);  // from far to the centre: enters almost on the axis
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100 - kBox, 95, 0},
                                            {'L', 100 + kBox, 95, 0},
                                            {'M', 100 + kBox, 100, 0},
                                            {'L', 100, 100, 0}}));
  // Entirely outside: nothing, and the next segment starts at the far point.
  view::MoveToWorld(far, 0, 0);
  view::LineToWorld(far, far, 0);
  EXPECT_TRUE(Take().empty());
  view::LineToWorld(0, 0, 0);
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100 + kBox, 100 - kBox, 0}, {'L', 100, 100, 0}}));
  // The depth is cut with the segment.
  view::MoveToWorld(0, 0, 0);
  view::LineToWorld(far, 0, far);
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100, 100, 0}, {'L', 100 + kBox, 100, kBox}}));
}

TEST_F(TransformsDriverCallsTest, SegmentsWithoutAPointDrawNothing) {
  view::MoveToWorld(kNaN, 0, 0);
  view::LineToWorld(5, 0, 0);  // from a point that is no point
  view::LineToWorld(kNaN, 1, 1);
  EXPECT_TRUE(Take().empty());
  view::LineToWorld(0, 5, 0);
  view::LineToWorld(0, 7, 0);
  EXPECT_EQ(Take(), (std::vector<DepthCall>{{'M', 100, 95, 0}, {'L', 100, 93, 0}}));

  view::MoveToWorld(3, 4, 0);
  view::LineToWorld(kInf, 1e30f, 0);  // 0·inf in the projection: no point either
  view::LineToWorld(3, 9, 0);
  view::LineToWorld(3, 10, 0);
  EXPECT_EQ(Take(),
            (std::vector<DepthCall>{{'M', 103, 96, 0}, {'M', 103, 91, 0}, {'L', 103, 90, 0}}));

  // A zoom run down to zero: 0/0 and x/0 from the window mapping itself.
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.0f;
  view::MoveToWorld(0, 0, 0);
  view::LineToWorld(1, 0, 0);
  view::LineToWorld(1, 1, 0);
  EXPECT_TRUE(Take().empty());
  int px = 7, py = 7;
  view::WorldToPixel(1, -1, 0, px, py);  // saturated, far outside any viewport
  EXPECT_EQ(px, 100 + (1 << 30));
  EXPECT_EQ(py, 100 + (1 << 30));
}

// On a headless framebuffer: the pixels themselves.
class TransformsPixelTest : public testing_support::ProgramTest {
 protected:
  static constexpr int kW = 200, kH = 150;
  void SetUp() override {
    ProgramTest::SetUp();
    view::TransformsStartUp();
    OpenHeadless(kW, kH);
    graphics::SetViewport(0, 0, kW, kH);
    graphics::SetBackgroundScheme(0);
    graphics::SetDrawColor(0);
    graphics::ClearViewport();
    graphics::EnablePixelOutput();
    graphics::SetDrawColor(15);
    SetWindow(50, 40, 1.0f);
  }
  // Lit pixels in the square of radius r around (cx, cy), relative to it.
  static std::set<std::pair<int, int>> LitAround(int cx, int cy, int r = 5) {
    std::set<std::pair<int, int>> s;
    for (int y = -r; y <= r; ++y)
      for (int x = -r; x <= r; ++x)
        if (graphics::PixelAt(cx + x, cy + y) != 0) s.insert({x, y});
    return s;
  }
  static int CountLit() {
    int n = 0;
    for (auto p : graphics::Screen.pixels) n += p != 0;
    return n;
  }
};

TEST_F(TransformsPixelTest, PointMarkers) {
  std::set<std::pair<int, int>> diamond = {{0, 0}};
  for (int k = 0; k < 3; ++k) {
    diamond.insert({-3 + k, -k});
    diamond.insert({k, -3 + k});
    diamond.insert({3 - k, k});
    diamond.insert({-k, 3 - k});
  }
  std::set<std::pair<int, int>> cross, square = {{0, 0}};
  for (int k = -3; k <= 3; ++k) {
    cross.insert({k, k});
    cross.insert({k, -k});
    for (int e : {-3, 3}) {
      square.insert({k, e});
      square.insert({e, k});
    }
  }
  view::DrawPointMarker(0, 0, 0, 0);
  EXPECT_EQ(LitAround(50, 40), diamond);
  EXPECT_EQ(graphics::CurrentPoint.x, 50);
  EXPECT_EQ(graphics::CurrentPoint.y, 40);
  view::DrawPointMarker(1, 20, 0, 0);
  EXPECT_EQ(LitAround(70, 40), cross);
  view::DrawPointMarker(2, 40, 10, 0);
  EXPECT_EQ(LitAround(90, 30), square);
  EXPECT_EQ(graphics::CurrentPoint.x, 90);
  EXPECT_EQ(graphics::CurrentPoint.y, 30);
  view::DrawPointMarker(7, 60, 0, 0);  // any other kind: the diamond
  EXPECT_EQ(LitAround(110, 40), diamond);
  EXPECT_EQ(CountLit(), 13 + 13 + 25 + 13);

  // A line after a marker starts at the marked point.
  view::LineToWorld(60, -20, 0);
  for (int y = 40; y <= 60; ++y) EXPECT_NE(graphics::PixelAt(110, y), 0u) << y;
}

TEST_F(TransformsPixelTest, SegmentsTowardsFarPointsAreDrawnToTheEdge) {
  view::MoveToWorld(0, 0, 0);
  view::LineToWorld(1e30f, 0, 0);
  for (int x = 50; x < kW; ++x) EXPECT_NE(graphics::PixelAt(x, 40), 0u) << x;
  // Slope 1/2 towards the far point: the direction survives the cut.
  view::MoveToWorld(0, -20, 0);
  view::LineToWorld(0x1p100f, 0x1p99f, 0);
  // (The driver leaves out the pixel where it cuts a line at the window's edge.)
  for (int k = 0; k < 60; k += 10) EXPECT_NE(graphics::PixelAt(50 + 2 * k, 60 - k), 0u) << k;
  EXPECT_EQ(graphics::PixelAt(50 + 40, 60 - 40), 0u);  // where a 45° line would go
  view::MoveToWorld(-1e30f, 0, 0);
  view::LineToWorld(0, -30, 0);
  EXPECT_NE(graphics::PixelAt(1, 70), 0u);
  EXPECT_NE(graphics::PixelAt(49, 70), 0u);
}

TEST_F(TransformsPixelTest, NonNumbersAndHugeValuesLeaveTheWindowAlone) {
  const std::vector<std::uint32_t> before = graphics::Screen.pixels;
  const float bad[] = {kNaN, kInf, -kInf, 3e38f, -3e38f, 1e30f};
  for (float a : bad) {
    view::MoveToWorld(a, a, 0);
    view::LineToWorld(a, -a, a);  // far out along one side, or no point at all
    view::LineToWorld(kNaN, 0, 0);
    view::LineToWorld(0, kNaN, 0);
    for (int kind = 0; kind < 3; ++kind) view::DrawPointMarker(kind, a, a, a);
    view::MoveToWorld(a, 0, 0);
    view::LineToWorld(a, 5, kNaN);
    float u = 0, v = 0, x = 0, y = 0, z = a;
    view::PixelToView(std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), u, v);
    view::PixelToPlane(std::numeric_limits<int>::min(), 0, x, y, z);
  }
  EXPECT_EQ(graphics::Screen.pixels, before);
  // What was not drawn does not join the next segment to the centre.
  view::MoveToWorld(kNaN, 0, 0);
  view::LineToWorld(10, 0, 0);
  view::LineToWorld(10, 10, 0);
  EXPECT_NE(graphics::PixelAt(60, 40), 0u);
  EXPECT_NE(graphics::PixelAt(60, 30), 0u);
  EXPECT_EQ(graphics::PixelAt(55, 40), 0u);
  EXPECT_EQ(graphics::PixelAt(50, 40), 0u);
}

TEST_F(TransformsPixelTest, ResetViewWindowLaysOutTheDrawingArea) {
  view::UnitsPerPixelX = view::UnitsPerPixelY = view::DepthScale = 3;
  view::ViewCentreU = 5;
  dialogs::MarkColour = 4;
  dialogs::MarkNumber = 2;
  textentry::KeyboardLayout = 1;
  view::ResetViewWindow();
  EXPECT_EQ(view::ClientWidth, kW);
  EXPECT_EQ(view::ClientHeight, kH);
  EXPECT_GT(dialogs::TextAreaHeight, 0);
  EXPECT_EQ(view::DrawAreaHeight, kH - dialogs::TextAreaHeight);
  EXPECT_EQ(view::ViewportWidth, kW);
  EXPECT_EQ(view::ViewportHeight, view::DrawAreaHeight);
  EXPECT_EQ(view::ScreenCentreX, kW / 2 - 1);
  EXPECT_EQ(view::ScreenCentreY, view::DrawAreaHeight / 2 - 1);
  EXPECT_EQ(dialogs::MarkColour, 15);
  EXPECT_EQ(dialogs::MarkNumber, 0);
  EXPECT_EQ(textentry::KeyboardLayout, 0);
  // A fresh start: the world origin at the centre, one unit per pixel, depth unscaled.
  EXPECT_EQ(Pixel(0, 0, 0), std::make_pair(view::ScreenCentreX, view::ScreenCentreY));
  EXPECT_EQ(Pixel(10, 20, 5), std::make_pair(view::ScreenCentreX + 10, view::ScreenCentreY - 20));
  EXPECT_EQ(view::DepthScale, 1.0f);
}

}  // namespace
