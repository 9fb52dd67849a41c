// The zoom window: two corners picked with the graphic cursor, its rubber-box markers, and
// the fit that the view commands make of it.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "commands/zoom_window.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using testing_support::DrawArea;

const std::string kPart = testing_support::Sample("PART.UGF");

struct Box {
  float u1 = -1111, v1 = -2222, u2 = -3333, v2 = -4444;
  std::uint8_t key = 0xEE;
};

int g_test_marker_calls = 0;
void TestMarker(float, float, float) { ++g_test_marker_calls; }

// A 640 × 480 window with PART.UGF fitted into its 640 × 423 viewport.
class ZoomWindowTest : public testing_support::ProgramTest {
 protected:
  void Open(const std::string& script) {
    OpenHeadless(640, 480, script);
    app::OpenDrawing(kPart);
    view::CursorMarkerProc = view::DrawCursorMarker;
  }
  static Box Run() {
    Box b;
    commands::ZoomWindow(b.u1, b.v1, b.u2, b.v2, b.key);
    return b;
  }
  // View-plane point under viewport pixel (px, py).
  static std::pair<float, float> At(int px, int py) {
    float u = 0, v = 0;
    view::PixelToView(px, py, u, v);
    return {u, v};
  }
};

TEST_F(ZoomWindowTest, CornersPickedEitherWayGiveTheSameBox) {
  Open("{move 100 80}{click 100 80}{move 300 250}{click 300 250}"
       "{move 300 250}{click 300 250}{move 100 80}{rclick 100 80}"
       "{move 300 80}{click 300 80}{move 100 250}{click 0 0}");
  const auto [ua, va] = At(100, 80);
  const auto [ub, vb] = At(300, 250);
  ASSERT_LT(ua, ub);
  ASSERT_GT(va, vb);  // pixel rows grow downwards

  const Box first = Run();
  EXPECT_EQ(first.key, ' ');
  EXPECT_EQ(first.u1, ua);
  EXPECT_EQ(first.u2, ub);
  EXPECT_EQ(first.v1, vb);
  EXPECT_EQ(first.v2, va);

  const Box reversed = Run();  // bottom right first, ended with the right button
  EXPECT_EQ(reversed.key, 13);
  EXPECT_EQ(reversed.u1, first.u1);
  EXPECT_EQ(reversed.v1, first.v1);
  EXPECT_EQ(reversed.u2, first.u2);
  EXPECT_EQ(reversed.v2, first.v2);

  const Box crossed = Run();  // top right, then bottom left
  EXPECT_EQ(crossed.u1, first.u1);
  EXPECT_EQ(crossed.v1, first.v1);
  EXPECT_EQ(crossed.u2, first.u2);
  EXPECT_EQ(crossed.v2, first.v2);
  EXPECT_EQ(graphics::KeyCount, 0);  // every click was taken once
}

TEST_F(ZoomWindowTest, CancelledCornersLeaveTheViewAndRestoreTheMarker) {
  Open("\\e[{move 100 80}{click 100 80}\\e{move 100 80}{click 100 80}]");
  view::CursorMarkerProc = TestMarker;
  g_test_marker_calls = 0;

  Box b = Run();  // Esc at the first corner: the corners stay as they were
  EXPECT_EQ(b.key, 27);
  EXPECT_EQ(b.u1, -1111.0f);
  EXPECT_EQ(b.v2, -4444.0f);
  EXPECT_EQ(view::CursorMarkerProc, TestMarker);
  b = Run();
  EXPECT_EQ(b.key, '[');
  EXPECT_EQ(b.u1, -1111.0f);

  b = Run();  // Esc at the second corner: corners returned, ordered
  EXPECT_EQ(b.key, 27);
  const auto [u, v] = At(100, 80);
  EXPECT_EQ(b.u1, u);
  EXPECT_EQ(b.v2, v);
  EXPECT_LE(b.u1, b.u2);
  EXPECT_LE(b.v1, b.v2);
  EXPECT_EQ(view::CursorMarkerProc, TestMarker);
  b = Run();
  EXPECT_EQ(b.key, ']');
  EXPECT_EQ(view::CursorMarkerProc, TestMarker);
  EXPECT_EQ(g_test_marker_calls, 0);  // the zoom window drew with its own markers
}

TEST_F(ZoomWindowTest, ViewCommandFitsOnlyAPickedBox) {
  Open("\\e{move 100 80}{click 100 80}\\e{move 100 80}{click 100 80}{move 300 250}{click 0 0}");
  const float scale = view::UnitsPerPixelX, cu = view::ViewCentreU, cv = view::ViewCentreV;
  view::ViewCommand('z');
  view::ViewCommand('Z');
  EXPECT_EQ(view::UnitsPerPixelX, scale);
  EXPECT_EQ(view::ViewCentreU, cu);
  EXPECT_EQ(view::ViewCentreV, cv);

  const auto [ua, va] = At(100, 80);
  const auto [ub, vb] = At(300, 250);
  view::ViewCommand('z');
  EXPECT_FLOAT_EQ(view::ViewCentreU, (ua + ub) / 2);
  EXPECT_FLOAT_EQ(view::ViewCentreV, (va + vb) / 2);
  EXPECT_LT(view::UnitsPerPixelX, scale);
  EXPECT_EQ(view::CursorMarkerProc, view::DrawCursorMarker);
}

TEST_F(ZoomWindowTest, ZoomWindowFromTheCursorZoomsAndTheCursorGoesOn) {
  Open("z{move 100 80}{click 100 80}{move 300 250}{click 300 250}{Right}\\e");
  const auto [ua, va] = At(100, 80);
  const auto [ub, vb] = At(300, 250);
  float x = 0, y = 0, z = 0;
  std::uint8_t key = 0;
  view::GraphicCursor(x, y, z, key);
  EXPECT_EQ(key, 27);
  EXPECT_FLOAT_EQ(view::ViewCentreU, (ua + ub) / 2);
  EXPECT_FLOAT_EQ(view::ViewCentreV, (va + vb) / 2);
  EXPECT_EQ(view::CursorMarkerProc, view::DrawCursorMarker);
  const std::vector<std::uint32_t> after = DrawArea();
  view::Redraw();
  EXPECT_EQ(DrawArea(), after);  // every marker erased
}

TEST_F(ZoomWindowTest, ZoomWindowsNestedWithoutEndStopAtADepth) {
  // Each 'z' in a zoom window's cursor starts another one; the Esc keys end them all only
  // when the nesting stops at a bounded depth (else the script runs out first).
  std::string script(200, 'z');
  for (int i = 0; i < 40; ++i) script += "\\e";
  Open(script);
  const float scale = view::UnitsPerPixelX;
  float x = 0, y = 0, z = 0;
  std::uint8_t key = 0;
  view::GraphicCursor(x, y, z, key);
  EXPECT_EQ(key, 27);
  EXPECT_EQ(view::UnitsPerPixelX, scale);
  EXPECT_EQ(view::CursorMarkerProc, view::DrawCursorMarker);
}

// The rubber-box markers' pixels.
TEST_F(ZoomWindowTest, CrossAndRectangleAreDottedXorFigures) {
  Open("");
  const std::vector<std::uint32_t> before = DrawArea();
  auto changed = [&](int x0, int y0, int x1, int y1) {
    const std::vector<std::uint32_t> now = DrawArea();
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += now[static_cast<std::size_t>(y) * 640 + x] != before[static_cast<std::size_t>(y) * 640 + x];
    return n;
  };
  float ax = 0, ay = 0, az = 0, bx = 0, by = 0, bz = 0;
  view::PixelToPlane(100, 80, ax, ay, az);
  view::PixelToPlane(300, 250, bx, by, bz);
  const int all = changed(0, 0, 639, view::DrawAreaHeight - 1);
  ASSERT_EQ(all, 0);

  // The cross spans the whole viewport through the corner (client pixel = viewport + 1).
  commands::CrossFeedback(ax, ay, az);
  const int row = changed(0, 81, 639, 81), column = changed(101, 0, 101, view::DrawAreaHeight - 1);
  EXPECT_NEAR(row, 638 / 4, 3);
  EXPECT_NEAR(column, 422 / 4, 3);
  EXPECT_EQ(changed(0, 0, 639, view::DrawAreaHeight - 1), row + column - (changed(101, 81, 101, 81)));
  commands::CrossFeedback(ax, ay, az);
  EXPECT_EQ(DrawArea(), before);

  // The rectangle from that corner to the cursor, nothing outside its edges.
  commands::RectFeedback(bx, by, bz);
  EXPECT_NEAR(changed(101, 81, 301, 81), 200 / 4, 3);
  EXPECT_NEAR(changed(101, 251, 301, 251), 200 / 4, 3);
  EXPECT_NEAR(changed(101, 81, 101, 251), 170 / 4, 3);
  EXPECT_NEAR(changed(301, 81, 301, 251), 170 / 4, 3);
  EXPECT_EQ(changed(0, 0, 639, 80) + changed(0, 252, 639, view::DrawAreaHeight - 1) +
                changed(0, 82, 100, 250) + changed(302, 82, 639, 250) + changed(102, 82, 300, 250),
            0);
  commands::RectFeedback(bx, by, bz);
  EXPECT_EQ(DrawArea(), before);
  EXPECT_EQ(graphics::XorMode, 0);
  EXPECT_EQ(graphics::LineStyle, 0);
}

TEST_F(ZoomWindowTest, RectangleStaysOnTheFirstCornerWhenTheViewZooms) {
  Open("{move 250 150}{click 250 150}{move 300 250}{PgUp}{shot zoomed.png}\\e");
  float corner_x = 0, corner_y = 0, corner_z = 0;
  view::PixelToPlane(250, 150, corner_x, corner_y, corner_z);
  Run();
  std::vector<std::uint32_t> shot;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng("zoomed.png", shot, w, h));
  const std::vector<std::uint32_t> clean = DrawArea();  // the zoomed picture, box erased
  int cx = 0, cy = 0;
  view::PlaneToPixel(corner_x, corner_y, corner_z, cx, cy);
  ASSERT_LT(cx, 240);
  ASSERT_LT(cy, 140);
  // The box's left edge, between its top and bottom edges: through the first corner where
  // the zoom has put it, not where the corner was before.
  int on_corner_column = 0, on_old_column = 0;
  for (int y = cy + 3; y < 260; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * 640;
    on_corner_column += shot[row + cx + 1] != clean[row + cx + 1];
    on_old_column += shot[row + 251] != clean[row + 251];
  }
  EXPECT_GT(on_corner_column, 20);
  EXPECT_EQ(on_old_column, 0);
}

// The cursor's cross-hair and the zoom window's cross and box show on the background of every
// colour scheme, well apart from it, and leave no trace when drawn again.
TEST_F(ZoomWindowTest, XorFeedbackShowsInEverySchemeAndGoesWithoutTrace) {
  Open("");
  const std::array<void (*)(float, float, float), 3> figures = {
      view::DrawCursorMarker, commands::CrossFeedback, commands::RectFeedback};
  std::array<float, 3> corner{}, point{};  // the box runs from the cross to the point
  view::PixelToPlane(150, 120, corner[0], corner[1], corner[2]);
  view::PixelToPlane(400, 300, point[0], point[1], point[2]);
  for (int scheme = 0; scheme <= 4; ++scheme) {
    graphics::SetBackgroundScheme(scheme);
    view::Redraw();
    const std::uint32_t back = graphics::SchemeBrushColour(scheme);
    for (int f = 0; f < 3; ++f) {
      const std::array<float, 3>& p = f == 1 ? corner : point;
      const std::vector<std::uint32_t> before = DrawArea();
      figures[f](p[0], p[1], p[2]);
      const std::vector<std::uint32_t> shown = DrawArea();
      int seen = 0;  // background pixels now at least 48 apart from it in some channel
      for (std::size_t i = 0; i < before.size(); ++i)
        for (int shift = 0; shift < 24 && before[i] == back; shift += 8)
          if (std::abs(int((shown[i] >> shift) & 255) - int((back >> shift) & 255)) >= 48) {
            ++seen;
            break;
          }
      EXPECT_GT(seen, 150) << "scheme " << scheme << ", figure " << f;
      figures[f](p[0], p[1], p[2]);
      EXPECT_EQ(DrawArea(), before) << "scheme " << scheme << ", figure " << f;
    }
  }
}

}  // namespace
