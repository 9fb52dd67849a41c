// The graphic cursor driven by key scripts on the headless backend: steps, clicks, zoom and
// pan, the step and angle keys, and the cross-hair's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/program.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

// The drawing area's pixels (the coordinates box lies below it).
using testing_support::DrawArea;

const std::string kPart = testing_support::Sample("PART.UGF");

struct Pick {
  float x = 0, y = 0, z = 0;
  std::uint8_t key = 0;
};

// The 640 × 480 window: a 640 × 424 drawing area, centre pixel (319, 211).
class CursorTest : public testing_support::ProgramTest {
 protected:
  void Open(const std::string& script, bool drawing = false) {
    OpenHeadless(640, 480, script);
    ASSERT_EQ(view::ViewportWidth, 640);
    ASSERT_EQ(view::ViewportHeight, 424);
    if (drawing) app::OpenDrawing(kPart);
    view::CursorMarkerProc = view::DrawCursorMarker;
  }
  static Pick Run() {
    Pick p;
    p.key = 0xEE;
    view::GraphicCursor(p.x, p.y, p.z, p.key);
    return p;
  }
  // Plane point under viewport pixel (px, py) in the plan view at one unit per pixel.
  static float PlaneX(int px) { return static_cast<float>(px - view::ScreenCentreX); }
  static float PlaneY(int py) { return static_cast<float>(view::ScreenCentreY - py); }
};

TEST_F(CursorTest, ArrowsStepToWholeMultiplesOfTheStep) {
  Open("{Right}\\e{Left}\\e{Right}\\e{Right}\\e{Up}{Up}{Down}\\e");
  view::CursorWorld = {3, 4, 0};
  Pick p = Run();
  EXPECT_EQ(p.x, 10.0f);
  EXPECT_EQ(p.y, 4.0f);
  EXPECT_EQ(p.key, 27);

  view::CursorWorld = {3, 4, 0};
  EXPECT_EQ(Run().x, -10.0f);  // Round(-0.7) = -1

  view::CursorWorld = {15, 4, 0};
  EXPECT_EQ(Run().x, 20.0f);   // Round(2.5) = 2
  EXPECT_EQ(Run().x, 30.0f);   // the next call starts where this one ended

  p = Run();  // 4 -> 10 -> 20 -> 10
  EXPECT_EQ(p.x, 30.0f);
  EXPECT_EQ(p.y, 10.0f);
  EXPECT_EQ(view::CursorWorld[1], 10.0f);
}

TEST_F(CursorTest, ShiftArrowsMoveInDepthAndEndReturnsToThePlane) {
  Open("{shift+Up}\\e{shift+Down}{shift+Down}\\e{End}\\e");
  view::CursorWorld = {0, 0, 3};
  EXPECT_EQ(Run().z, 10.0f);
  EXPECT_EQ(Run().z, -10.0f);
  const Pick p = Run();
  EXPECT_EQ(p.z, 0.0f);
  EXPECT_EQ(p.x, 0.0f);
}

TEST_F(CursorTest, AMoveOutOfTheViewportIsIgnored) {
  // Plane x 311 is viewport pixel 630: 320 is pixel 639 (inside), 330 would be 649.
  Open("{Right}{Right}\\e");
  view::CursorWorld = {311, 0, 0};
  EXPECT_EQ(Run().x, 320.0f);
}

TEST_F(CursorTest, StepKeysMultiplyAndDivideByFourExactly) {
  Open("+{Right}\\e-{Right}\\e=_\\e-+\\e");
  view::CursorWorld = {0, 0, 0};
  EXPECT_EQ(Run().x, 40.0f);
  EXPECT_EQ(view::CursorStep, 40.0f);
  EXPECT_EQ(view::ArrowStep, 40.0f);
  EXPECT_EQ(Run().x, 50.0f);
  EXPECT_EQ(view::ArrowStep, 10.0f);

  view::SetCursorStep(0.3f);
  Run();
  EXPECT_EQ(view::CursorStep, 0.3f);
  EXPECT_EQ(view::ArrowStep, 0.3f);
  Run();
  EXPECT_EQ(view::CursorStep, 0.3f);
  EXPECT_EQ(view::ArrowStep, 0.3f);
}

TEST_F(CursorTest, TypedStepOfZeroKeepsTheArrowStepUntilTheNextCall) {
  Open("x0\\r{Right}\\e{Right}\\ex4\\r\\eX\\e\\e");
  view::SetCursorStep(2.5f);
  view::CursorWorld = {3, 0, 0};
  Pick p = Run();
  EXPECT_EQ(view::CursorStep, 0.0f);
  EXPECT_EQ(view::ArrowStep, 2.5f);
  EXPECT_EQ(p.x, 5.0f);  // Round(5.5 / 2.5) = 2

  p = Run();  // a step of 0 starts the call with 10 again
  EXPECT_EQ(view::CursorStep, 10.0f);
  EXPECT_EQ(view::ArrowStep, 10.0f);
  EXPECT_EQ(p.x, 20.0f);  // Round(1.5) = 2

  Run();
  EXPECT_EQ(view::CursorStep, 4.0f);
  EXPECT_EQ(view::ArrowStep, 4.0f);
  Run();  // Esc in the field
  EXPECT_EQ(view::CursorStep, 4.0f);
  EXPECT_EQ(view::ArrowStep, 4.0f);
}

TEST_F(CursorTest, AClickThatConfirmsTheStepFieldDoesNotEndTheCursor) {
  Open("x{click 20 470}{Right}\\e");
  view::CursorWorld = {3, 0, 0};
  const Pick p = Run();
  EXPECT_EQ(p.key, 27);
  EXPECT_EQ(p.x, 10.0f);
  EXPECT_EQ(view::ArrowStep, 10.0f);
}

TEST_F(CursorTest, StepFieldAsksForTheCursorStep) {
  // The field as the cursor shows it, against the number field asked directly.
  Open("x{shot field.png}\\e\\e");
  view::SetCursorStep(2.5f);
  Run();
  std::vector<std::uint32_t> shown;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng("field.png", shown, w, h));

  Open("{shot direct.png}\\e");
  float step = 2.5f;
  int result = 0;
  dialogs::EditReal(platform::Cp866("Шаг курсора"), step, result);
  std::vector<std::uint32_t> direct;
  ASSERT_TRUE(testing_support::ReadPng("direct.png", direct, w, h));
  const int top = view::DrawAreaHeight, bottom = top + dialogs::RowPitch + 4;
  int text_pixels = 0, different = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < 400; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      text_pixels += direct[i] != direct[static_cast<std::size_t>(top) * w];
      different += shown[i] != direct[i];
    }
  EXPECT_GT(text_pixels, 50);
  EXPECT_EQ(different, 0);
}

TEST_F(CursorTest, StoredPointOutsideTheViewportRestartsAtTheCentre) {
  Open("\\e\\e");
  view::CursorWorld = {3, 4, 7};
  Pick p = Run();
  EXPECT_EQ(p.x, 3.0f);
  EXPECT_EQ(p.y, 4.0f);
  EXPECT_EQ(p.z, 7.0f);

  view::ViewCentreU = 5000;  // panned far away
  p = Run();
  // Viewport pixel (320, 212) is one right of and one below the centre pixel.
  EXPECT_EQ(p.x, 5001.0f);
  EXPECT_EQ(p.y, -1.0f);
  EXPECT_EQ(p.z, 7.0f);  // the height above the plane stays
}

TEST_F(CursorTest, ClicksEndTheLoopOnceWithThePointOfTheLastMotion) {
  Open("{move 200 150}{click 300 300}{Right}\\e{move 250 100}{rclick 10 10}{click 40 40}");
  view::CursorWorld = {0, 0, 0};
  Pick p = Run();
  EXPECT_EQ(p.key, ' ');
  EXPECT_EQ(p.x, PlaneX(200));
  EXPECT_EQ(p.y, PlaneY(150));
  EXPECT_EQ(graphics::KeyCount, 0);  // the press's blank is not read again
  EXPECT_EQ(graphics::MouseButton, 1);

  // The button value of that press stays set; the next call does not take it again.
  p = Run();
  EXPECT_EQ(p.key, 27);
  EXPECT_EQ(p.x, -110.0f);

  p = Run();
  EXPECT_EQ(p.key, 13);
  EXPECT_EQ(p.x, PlaneX(250));
  EXPECT_EQ(p.y, PlaneY(100));
  EXPECT_EQ(graphics::KeyCount, 0);

  // A click without a motion before it keeps the start point.
  p = Run();
  EXPECT_EQ(p.key, ' ');
  EXPECT_EQ(p.x, PlaneX(250));
  EXPECT_EQ(p.y, PlaneY(100));
}

TEST_F(CursorTest, PointerPositionsAreClampedToTheViewport) {
  Open("{move 0 0}\\e{move 639 479}\\e");
  Pick p = Run();
  EXPECT_EQ(p.x, PlaneX(1));
  EXPECT_EQ(p.y, PlaneY(1));
  p = Run();  // in the text area: the bottom of the viewport
  EXPECT_EQ(p.x, PlaneX(639));
  EXPECT_EQ(p.y, PlaneY(424));
}

TEST_F(CursorTest, KeysOutsideTheCursorsOwnEndTheLoop) {
  Open("5{ctrl+z};C\\r");
  EXPECT_EQ(Run().key, '5');
  EXPECT_EQ(Run().key, 26);
  EXPECT_EQ(Run().key, ';');
  EXPECT_EQ(Run().key, 'C');
  EXPECT_EQ(Run().key, 13);
}

TEST_F(CursorTest, ZoomAndPanRedrawAndTheMarkerLeavesNoTrace) {
  Open("{PgUp}\\e{ctrl+Left}{ctrl+Up}\\e{PgDn}{move 100 100}{Home}\\e", true);
  const float scale = view::UnitsPerPixelX, depth = view::DepthScale;
  const std::vector<std::uint32_t> fitted = DrawArea();
  Run();
  EXPECT_EQ(view::UnitsPerPixelX, scale / 1.5f);
  EXPECT_EQ(view::UnitsPerPixelY, scale / 1.5f);
  EXPECT_EQ(view::DepthScale, depth / 1.5f);
  std::vector<std::uint32_t> after = DrawArea();
  EXPECT_NE(after, fitted);  // redrawn at the new scale
  view::Redraw();
  EXPECT_EQ(DrawArea(), after);  // and nothing of the cross-hair is left

  const float u = view::ViewCentreU, v = view::ViewCentreV, k = view::UnitsPerPixelX;
  Run();
  EXPECT_FLOAT_EQ(view::ViewCentreU, u + view::PanStepX * k);  // the picture moves left
  EXPECT_FLOAT_EQ(view::ViewCentreV, v - view::PanStepY * k);  // and up
  after = DrawArea();
  view::Redraw();
  EXPECT_EQ(DrawArea(), after);

  Run();
  EXPECT_EQ(view::UnitsPerPixelX, k * 1.5f);
  after = DrawArea();
  view::Redraw();
  EXPECT_EQ(DrawArea(), after);
}

TEST_F(CursorTest, ZoomInADividedScreenIsKeptInTheViewportsSlot) {
  Open("{PgUp}{PgUp}\\e", true);
  view::SelectViewport(2);
  view::FitAllAndRedraw();
  const float scale = view::UnitsPerPixelX;
  Run();
  EXPECT_EQ(view::UnitsPerPixelX, scale / 1.5f / 1.5f);
  EXPECT_EQ(view::ViewportViews[2].ScaleX, view::UnitsPerPixelX);
}

TEST_F(CursorTest, MarkerAngleKeysTurnTheCrossHair) {
  Open(",\\e.\\e<<\\e>>\\e", true);
  const std::vector<std::uint32_t> before = DrawArea();
  Run();
  EXPECT_EQ(view::MarkerAngle, 0.26179939f);
  EXPECT_DOUBLE_EQ(view::MarkerSin, std::sin(static_cast<double>(0.26179939f)));
  EXPECT_DOUBLE_EQ(view::MarkerCos, std::cos(static_cast<double>(0.26179939f)));
  EXPECT_EQ(DrawArea(), before);  // drawn and erased at the same angle
  Run();
  EXPECT_EQ(view::MarkerAngle, 0.0f);
  EXPECT_EQ(view::MarkerSin, 0.0);
  Run();
  EXPECT_EQ(view::MarkerAngle, 2 * 0.017453293f);
  Run();
  EXPECT_EQ(view::MarkerAngle, 0.0f);
  EXPECT_EQ(DrawArea(), before);
}

TEST_F(CursorTest, CrossHairFollowsTheMouse) {
  Open("{move 200 150}{shot moved.png}\\e", true);
  const std::vector<std::uint32_t> before = DrawArea();
  Run();
  EXPECT_EQ(DrawArea(), before);
  std::vector<std::uint32_t> shot;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng("moved.png", shot, w, h));
  // Pointer at client (200, 150) is viewport pixel (200, 150), client (201, 151).
  int on_row = 0, on_column = 0, elsewhere = 0;
  for (int y = 0; y < view::DrawAreaHeight; ++y)
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      if (shot[i] == before[i]) continue;
      if (y == 151) ++on_row;
      else if (x == 201) ++on_column;
      else ++elsewhere;
    }
  EXPECT_EQ(elsewhere, 0);
  EXPECT_GT(on_row, 640 / 4 - 4);  // dotted: one pixel in four
  EXPECT_LT(on_row, 640 / 4 + 4);
  EXPECT_GT(on_column, 424 / 4 - 4);
}

TEST_F(CursorTest, AfterARepaintTheMarkerIsDrawnAnewNotErased) {
  // Size events repaint the picture under the cursor: first while it stands still (the
  // pointer is moved onto it), then together with a motion.
  Open("{resize 640 480}{move 250 200}{shot still.png}{resize 640 480}{move 300 200}"
       "{shot moved.png}\\e",
       true);
  float sx = 0, sy = 0, sz = 0;
  view::PixelToPlane(250, 200, sx, sy, sz);
  view::CursorWorld = {sx, sy, 0};
  const std::uint64_t repaints = graphics::RepaintCount;
  Run();
  EXPECT_EQ(graphics::RepaintCount, repaints + 2);
  const std::vector<std::uint32_t> after = DrawArea();
  view::Redraw();
  ASSERT_EQ(DrawArea(), after);  // no ghost of the cross-hair where a repaint wiped it

  // Dots of the vertical line in client column x, away from the horizontal line.
  auto column_dots = [&](const std::vector<std::uint32_t>& shot, int x) {
    int n = 0;
    for (int y = 10; y < view::DrawAreaHeight - 10; ++y) {
      if (y == 201) continue;
      const std::size_t i = static_cast<std::size_t>(y) * 640 + x;
      n += shot[i] != after[i];
    }
    return n;
  };
  std::vector<std::uint32_t> still, moved;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng("still.png", still, w, h));
  ASSERT_TRUE(testing_support::ReadPng("moved.png", moved, w, h));
  EXPECT_GT(column_dots(still, 251), 50);
  EXPECT_GT(column_dots(moved, 301), 50);
  EXPECT_EQ(column_dots(moved, 251), 0);
}

// Pixels of the cross-hair itself.
class CursorMarkerTest : public CursorTest {
 protected:
  static int Changed(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                     int x0, int y0, int x1, int y1) {
    const int w = graphics::Screen.width;
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * w + x;
        n += a[i] != b[i];
      }
    return n;
  }
};

TEST_F(CursorMarkerTest, TwoDottedXorLinesThroughTheCursorThatUndrawThemselves) {
  Open("", true);
  const std::vector<std::uint32_t> before = DrawArea();
  view::DrawCursorMarker(20, 10, 0);
  const std::vector<std::uint32_t> shown = DrawArea();
  int px = 0, py = 0;
  view::PlaneToPixel(20, 10, 0, px, py);
  const int cx = px + 1, cy = py + 1;  // client pixel
  const int w = 640, h = view::DrawAreaHeight;
  EXPECT_EQ(Changed(before, shown, 0, 0, w - 1, cy - 1) + Changed(before, shown, 0, cy + 1, w - 1, h - 1),
            Changed(before, shown, cx, 0, cx, cy - 1) + Changed(before, shown, cx, cy + 1, cx, h - 1));
  const int row = Changed(before, shown, 0, cy, w - 1, cy);
  const int column = Changed(before, shown, cx, 0, cx, h - 1);
  EXPECT_NEAR(row, 638 / 4, 3);
  EXPECT_NEAR(column, 422 / 4, 3);
  // Every changed pixel is the old one XOR-ed with the same colour.
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == shown[i]) continue;
    if (mask == 0) mask = before[i] ^ shown[i];
    EXPECT_EQ(before[i] ^ shown[i], mask);
  }
  EXPECT_NE(mask, 0u);
  view::DrawCursorMarker(20, 10, 0);
  EXPECT_EQ(DrawArea(), before);
  EXPECT_EQ(graphics::XorMode, 0);
  EXPECT_EQ(graphics::LineStyle, 0);
}

TEST_F(CursorMarkerTest, HeightLineJoinsThePlaneToACursorAboveIt) {
  Open("", true);
  view::LoadStandardView(3, view::ViewMatrix);  // u = x, v = z
  view::ApplyView();
  view::Redraw();
  const std::vector<std::uint32_t> before = DrawArea();
  int ax = 0, ay = 0, bx = 0, by = 0;
  view::PlaneToPixel(20, 0, 0, ax, ay);
  view::PlaneToPixel(20, 0, 50 * view::UnitsPerPixelX, bx, by);
  ASSERT_EQ(ax, bx);
  ASSERT_NEAR(ay - by, 50, 1);
  view::DrawCursorMarker(20, 0, 50 * view::UnitsPerPixelX);
  EXPECT_NEAR(Changed(before, DrawArea(), ax + 1, by + 2, ax + 1, ay), (ay - by) / 4, 2);
  view::DrawCursorMarker(20, 0, 50 * view::UnitsPerPixelX);
  EXPECT_EQ(DrawArea(), before);
  view::DrawCursorMarker(20, 0, 0);  // on the plane: no height line
  EXPECT_EQ(Changed(before, DrawArea(), ax + 1, by + 2, ax + 1, ay - 2), 0);
}

TEST_F(CursorMarkerTest, CoordinatesBoxShowsPlaneAndWorldCoordinates) {
  Open("");
  const int w = 22 * dialogs::CharWidth + 2;  // the longest row's 22 characters from x = 1
  const int left = 640 - w, top = view::DrawAreaHeight;
  // Something to be blanked in the box, and something outside it to be kept.
  for (int x = 0; x < 640; ++x) graphics::Screen.pixels[static_cast<std::size_t>(475) * 640 + x] = 0x123456;
  const std::vector<std::uint32_t> start = graphics::Screen.pixels;
  view::ShowCoordinates(12.5f, -3, 0);
  const std::vector<std::uint32_t> same_plane = graphics::Screen.pixels;
  EXPECT_EQ(Changed(start, same_plane, 0, 0, 639, top - 1), 0);
  EXPECT_EQ(Changed(start, same_plane, 0, top, left - 1, 479), 0);
  EXPECT_GT(Changed(start, same_plane, left, top, 639, 479), 0);
  EXPECT_EQ(graphics::PixelAt(left + 2, 475), 0u);  // blanked in the text background

  // A plane moved along world x changes the world part of row 1 only.
  view::PlaneOrigin = {0, 100, 0, 0};
  view::ShowCoordinates(12.5f, -3, 0);
  const std::vector<std::uint32_t> moved = graphics::Screen.pixels;
  const int band = dialogs::RowPitch + 1;
  const int plane_part = (dialogs::CharWidth + 1) * 9;  // inside "Xr" and its number
  EXPECT_EQ(Changed(same_plane, moved, left, top, left + plane_part, top + band - 1), 0);
  EXPECT_GT(Changed(same_plane, moved, left + plane_part + 1, top, 639, top + band - 1), 0);
  EXPECT_EQ(Changed(same_plane, moved, left, top + band, 639, 479), 0);
}

TEST_F(CursorTest, HugeStepsAndScalesLeaveTheCursorOnTheScreen) {
  Open("{Right}{PgDn}{Up}{Left}\\e", true);
  view::SetCursorStep(3e38f);
  view::CursorStep = view::ArrowStep = std::numeric_limits<float>::infinity();
  view::UnitsPerPixelX = view::UnitsPerPixelY = 3e38f;
  view::CursorWorld = {0, 0, 0};
  const Pick p = Run();
  EXPECT_EQ(p.key, 27);
  EXPECT_TRUE(std::isfinite(p.x));
  EXPECT_TRUE(std::isfinite(p.y));
}

}  // namespace
