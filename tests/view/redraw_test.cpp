#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <vector>

#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF,
                        kCyan = 0x00FFFF, kGreen = 0x00FF00, kYellow = 0xFFFF00;

int g_draws = 0;
float g_box[4] = {0, 0, 0, 0};
int g_key_checks = 0;
int g_draws_at_menu = -1;

// The replay the tests stand in for: prepare the area, then one red line.
void DrawTestLine() {
  ++g_draws;
  view::PrepareDrawArea();
  graphics::SetDrawColor(12);
  view::MoveToWorld(-300, 100, 0);
  view::LineToWorld(-100, 100, 0);
}

void TestExtents(float& u1, float& v1, float& u2, float& v2) {
  u1 = g_box[0];
  v1 = g_box[1];
  u2 = g_box[2];
  v2 = g_box[3];
}

bool CountKeyChecks() {
  ++g_key_checks;
  return false;
}

void RecordMenu() { g_draws_at_menu = g_draws; }

// Client pixel of a world point: the inner viewport starts one pixel in.
std::pair<int, int> Client(float x, float y, float z) {
  int px = 0, py = 0;
  view::WorldToPixel(x, y, z, px, py);
  return {px + view::ViewportLeft + 1, py + view::ViewportTop + 1};
}

int CountIn(int x0, int y0, int x1, int y1, std::uint32_t colour) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += graphics::PixelAt(x, y) == colour;
  return n;
}

class RedrawTest : public testing_support::ProgramTest {
 protected:
  // 800 × 500 drawing area (72 rows of text below).
  void Open() {
    OpenHeadless(800, 572);
    view::InitView();
    ASSERT_EQ(view::DrawAreaHeight, 500);
    g_draws = 0;
    g_key_checks = 0;
    g_draws_at_menu = -1;
    drawing::DrawProc = DrawTestLine;
    drawing::ExtentsProc = TestExtents;
  }
  void Blank() {
    graphics::SetViewport(0, 0, 800, 572);
    std::fill(graphics::Screen.pixels.begin(), graphics::Screen.pixels.end(), 0x123456);
  }
};

TEST_F(RedrawTest, ViewStartRunsOnceUntilTheModuleRestarts) {
  Open();
  EXPECT_EQ(view::ViewMatrix, view::IdentityMatrix());
  EXPECT_EQ(view::PlaneAxes, view::IdentityMatrix());
  EXPECT_EQ(view::PanStepX, 200);
  EXPECT_EQ(view::PanStepY, 125);
  EXPECT_EQ(view::GridStep, 10.0f);
  EXPECT_EQ(view::ArrowStep, 10.0f);
  EXPECT_EQ(view::StepByAngle, 1);
  EXPECT_EQ(view::ActiveViewport, 1);
  const view::ViewRecord& seven = view::ViewportViews[7];
  EXPECT_EQ(seven.ScaleX, 1.0f);
  EXPECT_EQ(seven.CentreU, 0.0f);
  EXPECT_EQ(seven.Matrix[1][1], 0.707107f);
  EXPECT_EQ(seven.Matrix[2][3], -0.5f);
  EXPECT_EQ(view::ViewportViews[6].Matrix[1][1], 1.0f);

  view::GridStep = 3;
  view::UnitsPerPixelX = 4;
  view::PlaneOrigin[1] = 5;
  view::CursorWorld = {1, 2, 3};
  view::InitView();  // guarded
  EXPECT_EQ(view::GridStep, 3.0f);
  EXPECT_EQ(view::UnitsPerPixelX, 4.0f);

  view::RedrawStartUp();
  view::InitView();
  EXPECT_EQ(view::GridStep, 10.0f);
  EXPECT_EQ(view::UnitsPerPixelX, 1.0f);
  EXPECT_EQ(view::PlaneOrigin[1], 0.0f);
  EXPECT_EQ(view::CursorWorld[2], 0.0f);
}

TEST_F(RedrawTest, ViewStartUsesTheUsersScheme) {
  OpenHeadless(800, 572);
  dialogs::ScreenScheme = 4;
  view::RedrawStartUp();
  view::InitView();
  EXPECT_EQ(graphics::BackgroundScheme, 4);
}

TEST_F(RedrawTest, RedrawFramesDrawsAndAddsTheOverlays) {
  Open();
  view::GridVisible = 0;
  view::Redraw();
  EXPECT_EQ(g_draws, 1);
  // Frame in the frame colour, one pixel inside the viewport.
  EXPECT_EQ(graphics::PixelAt(400, 1), kBlue);
  EXPECT_EQ(graphics::PixelAt(799, 300), kBlue);
  EXPECT_EQ(graphics::PixelAt(400, 497), kBlue);
  EXPECT_EQ(graphics::PixelAt(1, 300), kBlue);
  EXPECT_EQ(graphics::PixelAt(400, 100), kBlack);
  // The drawing.
  const auto [x1, y1] = Client(-300, 100, 0);
  EXPECT_EQ(x1, 100);
  EXPECT_EQ(y1, 149);
  for (int x = 100; x <= 300; x += 50) EXPECT_EQ(graphics::PixelAt(x, 149), kRed) << x;

  // World axes at (50, height - 50) of the inner viewport: client (51, 450).
  EXPECT_EQ(graphics::PixelAt(71, 450), kCyan);    // x arm to the right
  EXPECT_EQ(graphics::PixelAt(91, 450), kCyan);
  EXPECT_EQ(graphics::PixelAt(92, 450), kBlack);   // 40 pixels long
  EXPECT_EQ(graphics::PixelAt(51, 430), kGreen);   // y arm up
  EXPECT_EQ(graphics::PixelAt(51, 410), kGreen);
  EXPECT_EQ(graphics::PixelAt(51, 409), kBlack);
  EXPECT_EQ(graphics::PixelAt(51, 450), kYellow);  // z arm: towards the viewer, no length
  // Labels: anchors 1.25 arm lengths out, moved by (-2, +3), 7 × 7 cells.
  EXPECT_GT(CountIn(99, 445, 107, 454, kCyan), 3);     // "X"
  EXPECT_GT(CountIn(49, 395, 57, 404, kGreen), 3);     // "Y"
  EXPECT_GT(CountIn(49, 445, 57, 454, kYellow), 3);    // "Z"
  EXPECT_EQ(CountIn(49, 395, 57, 404, kCyan), 0);
  EXPECT_EQ(CountIn(93, 440, 110, 460, kGreen), 0);

  // Plane axes at the plane origin, in XOR: client (400, 249).
  EXPECT_EQ(graphics::PixelAt(415, 249), kCyan);
  EXPECT_EQ(graphics::PixelAt(400, 235), kGreen);
  EXPECT_GT(CountIn(422, 244, 438, 254, kCyan), 3);  // "Xr"
  EXPECT_EQ(graphics::XorMode, 0);
}

TEST_F(RedrawTest, AxesShowTheProjectionOfEachAxis) {
  Open();
  view::GridVisible = 0;
  view::PlaneAxesVisible = 0;
  view::RecallView(view::ViewTable::kStandard, 3);  // u = x, v = z; y points away
  view::Redraw();
  EXPECT_EQ(graphics::PixelAt(71, 450), kCyan);
  EXPECT_EQ(graphics::PixelAt(51, 430), kYellow);  // z is up now
  EXPECT_EQ(CountIn(40, 380, 60, 444, kGreen), 0);  // "Y" sits on the origin
  EXPECT_EQ(graphics::PixelAt(415, 249), kBlack);   // no plane axes
}

TEST_F(RedrawTest, PlaneAxesFollowThePlaneAndUndrawThemselves) {
  Open();
  view::GridVisible = 0;
  view::PlaneAxesVisible = 0;
  view::Redraw();
  // Plane turned a quarter about z, origin at (10, 20): its x axis points up the screen.
  view::PlaneAxes[1] = {0, 0, 1, 0};
  view::PlaneAxes[2] = {0, -1, 0, 0};
  view::PlaneOrigin = {0, 10, 20, 0};
  const std::vector<std::uint32_t> before = graphics::Screen.pixels;
  graphics::SetViewport(1, 1, 799, 498);
  view::DrawPlaneAxes();
  EXPECT_EQ(graphics::PixelAt(410, 220), kCyan);   // from (410, 229) up
  EXPECT_EQ(graphics::PixelAt(400, 229), kGreen);  // to the left
  EXPECT_GT(CountIn(404, 195, 426, 212, kCyan), 3);
  EXPECT_EQ(graphics::XorMode, 0);
  view::DrawPlaneAxes();
  EXPECT_EQ(graphics::Screen.pixels, before);
}

TEST_F(RedrawTest, GridCoversTheViewportOnWholeSteps) {
  Open();
  view::PrepareDrawArea();  // layout 1: 800 × 499
  graphics::KeyAvailable = CountKeyChecks;
  struct Case {
    float units_per_pixel;
    int columns, spacing;
  };
  for (const Case c : {Case{1.0f, 96, 10}, Case{0.5f, 48, 20}}) {
    view::UnitsPerPixelX = view::UnitsPerPixelY = c.units_per_pixel;
    const std::vector<std::uint32_t> before = graphics::Screen.pixels;
    g_key_checks = 0;
    view::DrawGrid(15);
    EXPECT_EQ(g_key_checks, c.columns);  // one check per column
    EXPECT_EQ(graphics::XorMode, 0);
    // Plane (0, 0) lies at client (400, 249); nodes every `spacing` pixels from there.
    int toggled = 0;
    for (int y = 0; y < 572; ++y)
      for (int x = 0; x < 800; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * 800 + x;
        const bool node = (x - 400) % c.spacing == 0 && (y - 249) % c.spacing == 0;
        const bool inside = x >= 1 && x < 799 && y >= 1 && y < 498;
        if (node && inside) {
          EXPECT_EQ(graphics::Screen.pixels[i], before[i] ^ kWhite) << x << "," << y;
          ++toggled;
        } else if (graphics::Screen.pixels[i] != before[i]) {
          ADD_FAILURE() << "pixel " << x << "," << y << " changed";
        }
      }
    EXPECT_GT(toggled, 0);
    view::DrawGrid(15);
    EXPECT_EQ(graphics::Screen.pixels, before);
  }
}

TEST_F(RedrawTest, GridStaysOffWhenTooFineOrTooDense) {
  Open();
  view::PrepareDrawArea();
  graphics::KeyAvailable = CountKeyChecks;
  const std::vector<std::uint32_t> before = graphics::Screen.pixels;
  auto unchanged = [&] {
    graphics::SetXorMode(1);
    view::DrawGrid(15);
    EXPECT_EQ(graphics::XorMode, 0);
    EXPECT_EQ(g_key_checks, 0);
    return graphics::Screen.pixels == before;
  };
  view::UnitsPerPixelX = view::UnitsPerPixelY = 10;  // step of one pixel: 10 > 20 is false
  EXPECT_TRUE(unchanged());
  view::UnitsPerPixelX = view::UnitsPerPixelY = 1;
  view::GridStep = 3;  // 320 columns on 800 pixels
  EXPECT_TRUE(unchanged());
  view::GridStep = 10;
  view::GridMinSpacing = 9;  // 800 / 9 < 96
  EXPECT_TRUE(unchanged());
  view::GridMinSpacing = 8;
  view::GridVisible = 0;
  EXPECT_TRUE(unchanged());
  view::GridVisible = 1;
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0;  // nothing to step over
  EXPECT_TRUE(unchanged());
}

TEST_F(RedrawTest, KeyStopsTheGridAndStaysQueued) {
  Open();
  view::PrepareDrawArea();
  view::GridStep = 200;  // columns at client x 200, 400, 600
  const std::vector<std::uint32_t> before = graphics::Screen.pixels;
  view::DrawGrid(15);
  int full = 0;
  for (std::size_t i = 0; i < before.size(); ++i) full += graphics::Screen.pixels[i] != before[i];
  view::DrawGrid(15);
  ASSERT_EQ(full, 6);  // three columns, two rows

  graphics::PushKey('q');
  view::DrawGrid(15);
  int drawn = 0;
  for (int y = 0; y < 572; ++y)
    for (int x = 0; x < 800; ++x)
      if (graphics::PixelAt(x, y) != before[static_cast<std::size_t>(y) * 800 + x]) {
        EXPECT_EQ(x, 200);  // the first column only
        ++drawn;
      }
  EXPECT_EQ(drawn, 2);
  EXPECT_EQ(graphics::XorMode, 0);
  ASSERT_EQ(graphics::KeyCount, 1);
  EXPECT_EQ(graphics::ReadCommandKey(), 'q');
}

TEST_F(RedrawTest, FittingAnEmptyBoxCentresAtOneUnitPerPixel) {
  Open();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 7;
  g_box[0] = g_box[2] = 30;
  g_box[1] = g_box[3] = -40;
  view::FitAllAndRedraw();
  EXPECT_EQ(view::UnitsPerPixelX, 1.0f);
  EXPECT_EQ(view::UnitsPerPixelY, 1.0f);
  EXPECT_EQ(view::ViewCentreU, 30.0f);
  EXPECT_EQ(view::ViewCentreV, -40.0f);
  EXPECT_EQ(view::ViewportViews[1].CentreU, 30.0f);
  EXPECT_EQ(g_draws, 1);
}

TEST_F(RedrawTest, FitInALayoutSurvivesItsRedraw) {
  Open();
  view::SelectViewport(5);  // 400 × 248 at (400, 0)
  view::GridVisible = 0;
  g_box[0] = -300;
  g_box[1] = 100;
  g_box[2] = -100;
  g_box[3] = 100;
  view::FitAllAndRedraw();
  // Redraw recalls slot 5: it must hold the fitted view.
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 200.0f / 393.0f);
  EXPECT_EQ(view::ViewCentreU, -200.0f);
  EXPECT_EQ(view::ViewportViews[5].ScaleX, view::UnitsPerPixelX);
  const auto [ax, ay] = Client(-300, 100, 0);
  const auto [bx, by] = Client(-100, 100, 0);
  EXPECT_EQ(ay, 1 + 123);
  EXPECT_GE(ax, 401);
  EXPECT_LE(bx, 799);
  EXPECT_EQ(graphics::PixelAt(ax, ay), kRed);
  EXPECT_EQ(graphics::PixelAt((ax + bx) / 2, ay), kRed);
  EXPECT_EQ(graphics::PixelAt(bx, by), kRed);
  // Layout 5's frame, and nothing drawn left of the viewport.
  EXPECT_EQ(graphics::PixelAt(401, 100), kBlue);
  EXPECT_EQ(CountIn(0, 0, 399, 240, kRed), 0);
}

TEST_F(RedrawTest, RepaintAllDrawsThePictureThenTheMenu) {
  Open();
  view::RepaintAll();  // the hook does nothing by default
  EXPECT_EQ(g_draws, 1);
  view::MenuRedrawProc = RecordMenu;
  view::RepaintAll();
  EXPECT_EQ(g_draws_at_menu, 2);
  view::RedrawStartUp();
  g_draws_at_menu = -1;
  view::RepaintAll();
  EXPECT_EQ(g_draws_at_menu, -1);
}

TEST_F(RedrawTest, GridStepIsAlsoTheCursorStep) {
  Open();
  view::SetGridStep(25);
  EXPECT_EQ(view::GridStep, 25.0f);
  EXPECT_EQ(view::CursorStep, 25.0f);
  EXPECT_EQ(view::ArrowStep, 25.0f);
  view::SetGridStep(0);
  EXPECT_EQ(view::GridStep, 0.0f);
  EXPECT_EQ(view::ArrowStep, 25.0f);
}

}  // namespace

namespace {

TEST_F(RedrawTest, OddSizesAndViewsDrawWithoutHarm) {
  Open();
  // A client smaller than the text rows: the drawing area's height is negative.
  graphics::ResizeFramebuffer(3, 2);
  for (int k = 1; k <= 7; ++k) {
    view::SelectViewport(k);
    view::Redraw();
  }
  graphics::ResizeFramebuffer(800, 572);
  view::SelectViewport(1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float boxes[][4] = {{nan, 0, 1, 1}, {-inf, -inf, inf, inf}, {-3e38f, -3e38f, 3e38f, 3e38f},
                            {1e30f, 1e30f, 1e30f, 1e30f}, {0, 0, 1e-30f, 1e-30f}};
  for (const auto& b : boxes) {
    std::copy(std::begin(b), std::end(b), g_box);
    view::FitAllAndRedraw();
  }
  // Far from the origin: the axes symbols and the grid land far outside, or nowhere.
  view::UnitsPerPixelX = view::UnitsPerPixelY = 1e-6f;
  view::ViewCentreU = 3e38f;
  view::GridStep = 1e-5f;
  view::Redraw();
  view::PlaneOrigin = {0, -3e38f, 3e38f, 0};
  view::DrawPlaneAxes();
  EXPECT_EQ(graphics::XorMode, 0);
}

}  // namespace
