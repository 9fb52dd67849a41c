// The single-key view commands, the view prompts and the work-plane commands, driven with
// headless key scripts on a real sample drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "app/program.h"
#include "commands/command_keys.h"
#include "dialogs/menu_panel.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using testing_support::DrawArea;
using testing_support::Sample;
using view::Matrix3;
using view::ViewTable;

Matrix3 Standard(int k) {
  Matrix3 m{};
  view::LoadStandardView(k, m);
  return m;
}

// A record's matrix widened, for comparing with live matrices.
Matrix3 Widened(const view::ViewRecord& r) {
  Matrix3 m{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) m[i][j] = r.Matrix[i][j];
  return m;
}

struct Mapping {
  float sx, sy, cu, cv;
  Matrix3 m;
  bool operator==(const Mapping&) const = default;
};

Mapping Live() {
  return {view::UnitsPerPixelX, view::UnitsPerPixelY, view::ViewCentreU, view::ViewCentreV,
          view::ViewMatrix};
}

Mapping Stored(const view::ViewRecord& r) { return {r.ScaleX, r.ScaleY, r.CentreU, r.CentreV, Widened(r)}; }

// The live view as a slot would hold it (the matrix rounded to single).
Mapping LiveAsStored() {
  Mapping m = Live();
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) m.m[i][j] = static_cast<float>(m.m[i][j]);
  return m;
}

int g_draws = 0;
int g_overlays = 0;
int g_ctrl_z = 0;
int g_delete_last = 0;
float g_box[4] = {0, 0, 200, 100};

void CountingDraw() {
  ++g_draws;
  drawing::DrawNewVariant();
}
void CountOverlay() { ++g_overlays; }
void CountCtrlZ() { ++g_ctrl_z; }
void CountDeleteLast() { ++g_delete_last; }
void FixedExtents(float& u1, float& v1, float& u2, float& v2) {
  u1 = g_box[0];
  v1 = g_box[1];
  u2 = g_box[2];
  v2 = g_box[3];
}

class ViewCommandsTest : public testing_support::ProgramTest {
 protected:
  // PART.UGF fitted and drawn in a 1024 × 768 window (drawing area 1024 × 664).
  void Open(const std::string& script = "") {
    OpenHeadless(1024, 768, script);
    view::ViewCommandsStartUp();
    app::OpenDrawing(Sample("PART.UGF"));
    ASSERT_EQ(view::DrawAreaHeight, 664);
    g_draws = g_overlays = g_ctrl_z = g_delete_last = 0;
    drawing::DrawProc = CountingDraw;
  }
  void TearDown() override {
    commands::DeleteLastProc = saved_delete_last_;
    ProgramTest::TearDown();
  }
  // Client pixel of a world point in the active viewport.
  static std::uint32_t At(float x, float y, float z = 0) {
    int px = 0, py = 0;
    view::WorldToPixel(x, y, z, px, py);
    return graphics::PixelAt(px + view::ViewportLeft + view::ViewMargin,
                             py + view::ViewportTop + view::ViewMargin);
  }
  // A pixel of the text area, in the text area's own coordinates.
  static std::uint32_t TextAt(int x, int y) { return graphics::PixelAt(x, view::DrawAreaHeight + y); }

 private:
  std::remove_reference_t<decltype(commands::DeleteLastProc)> saved_delete_last_ = commands::DeleteLastProc;
};

TEST_F(ViewCommandsTest, TurnViewMultipliesFromTheLeftAboutEachAxis) {
  Open();
  const double s = std::sin(0.4), c = std::cos(0.4);
  const Matrix3 start = Standard(5);
  const Mapping before = Live();
  for (int axis = 1; axis <= 3; ++axis) {
    view::ViewMatrix = start;
    view::TurnView(axis, s, c);
    Matrix3 t{};
    for (int i = 1; i <= 3; ++i) t[i][i] = c;
    t[axis][axis] = 1;
    const int p = axis == 1 ? 2 : 1, q = axis == 3 ? 2 : 3;
    t[p][q] = -s;
    t[q][p] = s;
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        const double want = t[i][1] * start[1][j] + t[i][2] * start[2][j] + t[i][3] * start[3][j];
        EXPECT_NEAR(view::ViewMatrix[i][j], want, 1e-15) << axis << " " << i << j;
        EXPECT_EQ(view::Projection[i][j], view::ViewMatrix[i][j]);
      }
  }
  // From the plan view, a turn about axis 3 turns the picture in its own plane: the u axis
  // leans towards +y, and the mapping is left alone.
  view::ViewMatrix = Standard(1);
  view::TurnView(3, s, c);
  EXPECT_DOUBLE_EQ(view::ViewMatrix[1][1], c);
  EXPECT_DOUBLE_EQ(view::ViewMatrix[1][2], -s);
  EXPECT_DOUBLE_EQ(view::ViewMatrix[2][1], s);
  EXPECT_DOUBLE_EQ(view::ViewMatrix[3][3], 1.0);
  EXPECT_EQ(view::UnitsPerPixelX, before.sx);
  EXPECT_EQ(view::ViewCentreU, before.cu);
  // 24 turns of 15 degrees come back round.
  view::ViewMatrix = start;
  // (The 15-degree constants are a little off, so the frame drifts by some 1e-8.)
  for (int k = 0; k < 24; ++k) view::TurnView(2, view::TurnSin, view::TurnCos);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(view::ViewMatrix[i][j], start[i][j], 1e-7);
  // An axis that does not exist changes nothing.
  const Matrix3 round = view::ViewMatrix;
  view::TurnView(0, s, c);
  view::TurnView(4, s, c);
  EXPECT_EQ(view::ViewMatrix, round);
}

TEST_F(ViewCommandsTest, RecallStandardPlanKeepsTheMappingAndShowsTheStrip) {
  Open("01");
  view::RecallView(ViewTable::kStandard, 5);
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.3f;
  view::ViewCentreU = 70;
  view::ViewCentreV = 40;
  const int draws = g_draws;
  view::ViewCommand('V');
  EXPECT_EQ(view::ViewMatrix, Standard(1));
  EXPECT_EQ(view::Projection, Standard(1));
  EXPECT_EQ(view::UnitsPerPixelX, 0.3f);
  EXPECT_EQ(view::UnitsPerPixelY, 0.3f);
  EXPECT_EQ(view::ViewCentreU, 70.0f);
  EXPECT_EQ(view::ViewCentreV, 40.0f);
  EXPECT_EQ(Stored(view::ViewportViews[1]), LiveAsStored());
  EXPECT_EQ(g_draws, draws + 1);
  // The picture is the plan again: the plate's right edge at (85, 0).
  EXPECT_EQ(At(85, 0), graphics::Palette[15]);
  // The standard strip stays in the text area: view 1's x arm points right, view 2's x arm
  // has no length and its z arm points right.
  EXPECT_EQ(TextAt(20 + 9, 30), graphics::Palette[11]);
  EXPECT_EQ(TextAt(90 + 9, 30), graphics::Palette[14]);
  EXPECT_EQ(TextAt(90, 30 - 9), graphics::Palette[10]);
}

TEST_F(ViewCommandsTest, RecallOfAUserView) {
  Open("7");
  view::RecallView(ViewTable::kStandard, 3);
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.5f;
  view::ViewCentreU = 12;
  view::StoreView(ViewTable::kUser, 7);
  const Mapping seven = LiveAsStored();
  view::RecallView(ViewTable::kStandard, 1);
  view::UnitsPerPixelX = view::UnitsPerPixelY = 2.0f;
  view::ViewCentreU = 0;
  view::ViewCommand('v');
  EXPECT_EQ(Live(), seven);
  EXPECT_EQ(view::Projection, seven.m);
  EXPECT_EQ(Stored(view::ViewportViews[1]), seven);
}

TEST_F(ViewCommandsTest, RecallWithANonDigitStillStoresTheActiveViewport) {
  // "0x" gives up at the standard table.
  Open("q" "\\e" ":" "{Left}" "0x");
  view::SelectViewport(5);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    view::RecallView(ViewTable::kStandard, 6);
    view::UnitsPerPixelX = view::UnitsPerPixelY = 0.7f + static_cast<float>(i);
    view::ViewCentreV = -3;
    const Mapping before = LiveAsStored();
    ASSERT_NE(Stored(view::ViewportViews[5]), before);
    view::ViewCommand('V');
    EXPECT_EQ(LiveAsStored(), before);
    EXPECT_EQ(Stored(view::ViewportViews[5]), before);
    EXPECT_EQ(view::ActiveViewport, 5);
    // The second byte of an extended key goes with it.
    EXPECT_FALSE(graphics::KeyAvailable());
  }
}

TEST_F(ViewCommandsTest, StoreReachesTheViewportTableOnlyForItsSlots) {
  Open("8" "3" "x");
  view::RecallView(ViewTable::kStandard, 4);
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.25f;
  view::ViewCentreU = 33;
  // The strip previews the user table: slot 2 holds an elevation.
  view::UserViews[2].Matrix = {{{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, -1, 0, 0}}};
  const auto users = view::UserViews;
  const auto ports = view::ViewportViews;
  const Mapping live = LiveAsStored();

  view::ViewCommand(22);  // "8"
  EXPECT_EQ(Stored(view::UserViews[8]), live);
  for (int n = 1; n <= 9; ++n) {
    if (n != 8) {
      EXPECT_EQ(Stored(view::UserViews[n]), Stored(users[n])) << n;
    }
  }
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(Stored(view::ViewportViews[n]), Stored(ports[n])) << n;
  // The strip has put the view back before storing it; nothing is redrawn.
  EXPECT_EQ(LiveAsStored(), live);
  EXPECT_EQ(view::Projection, Standard(4));
  EXPECT_EQ(TextAt(20 + 9, 30), graphics::Palette[11]);
  EXPECT_EQ(TextAt(90 + 9, 30), graphics::Palette[14]);
  EXPECT_EQ(g_draws, 0);

  view::ViewCommand(22);  // "3"
  EXPECT_EQ(Stored(view::UserViews[3]), live);
  EXPECT_EQ(Stored(view::ViewportViews[3]), live);
  for (int n = 1; n <= 7; ++n) {
    if (n != 3) {
      EXPECT_EQ(Stored(view::ViewportViews[n]), Stored(ports[n])) << n;
    }
  }

  const auto users2 = view::UserViews;
  const auto ports2 = view::ViewportViews;
  view::ViewCommand(22);  // "x" stores nothing
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(Stored(view::UserViews[n]), Stored(users2[n])) << n;
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(Stored(view::ViewportViews[n]), Stored(ports2[n])) << n;
}

TEST_F(ViewCommandsTest, TabCyclesTheViewportsOfTheLayout) {
  Open();
  // Layout 1: nothing, not even a store.
  view::UnitsPerPixelX = view::UnitsPerPixelY = 9.0f;
  view::ViewCommand(9);
  EXPECT_EQ(view::ActiveViewport, 1);
  EXPECT_NE(view::ViewportViews[1].ScaleX, 9.0f);
  EXPECT_EQ(g_draws, 0);

  view::ViewCommand('$');
  ASSERT_EQ(view::ActiveViewport, 4);
  // The view changed in a viewport is stored before the next one is selected.
  view::UnitsPerPixelX = view::UnitsPerPixelY = 0.125f;
  for (int want : {5, 6, 7, 4}) {
    view::ViewCommand(9);
    EXPECT_EQ(view::ActiveViewport, want);
  }
  EXPECT_EQ(view::ViewportViews[4].ScaleX, 0.125f);
  EXPECT_EQ(view::UnitsPerPixelX, 0.125f);  // slot 4 recalled on the way round

  view::ViewCommand('@');
  ASSERT_EQ(view::ActiveViewport, 2);
  for (int want : {3, 2, 3}) {
    view::ViewCommand(9);
    EXPECT_EQ(view::ActiveViewport, want);
  }
}

TEST_F(ViewCommandsTest, FourViewsAfterStartAreUnfittedThenCtrlBFitsAll) {
  Open();
  const Mapping one = LiveAsStored();
  view::ViewCommand('$');
  EXPECT_EQ(view::ActiveViewport, 4);
  EXPECT_EQ(Stored(view::ViewportViews[1]), one);
  for (int k = 4; k <= 7; ++k) {
    EXPECT_EQ(view::ViewportViews[k].ScaleX, 1.0f) << k;
    EXPECT_EQ(view::ViewportViews[k].CentreU, 0.0f) << k;
    EXPECT_EQ(view::ViewportViews[k].CentreV, 0.0f) << k;
    EXPECT_EQ(Widened(view::ViewportViews[k]), Standard(k == 7 ? 4 : k - 3)) << k;
  }
  EXPECT_EQ(g_draws, 4);
  // Top left: the plan at one unit per pixel about the origin.
  EXPECT_EQ(view::ViewportWidth, 510);
  EXPECT_EQ(view::ViewportHeight, 330);
  EXPECT_EQ(graphics::PixelAt(254 + 1 + 85, 164 + 1), graphics::Palette[15]);
  // Top right (left 512, 512 × 330), standard view 2: the flat plate is seen edge on, a
  // line through the centre column.
  int edge = 0, beside = 0;
  for (int y = 3; y < 320; ++y) {
    if (graphics::PixelAt(512 + 1 + 255, y) != 0) ++edge;
    if (graphics::PixelAt(512 + 1 + 255 + 3, y) != 0) ++beside;
  }
  EXPECT_GT(edge, 120);
  EXPECT_LT(beside, 20);
  // The corner mark is on the active quarter only.
  EXPECT_EQ(graphics::PixelAt(3, 3), graphics::Palette[15]);
  EXPECT_NE(graphics::PixelAt(512 + 3, 3), graphics::Palette[15]);

  // Ctrl+B: each quarter fitted to the box in its own size, the active one again last.
  drawing::ExtentsProc = FixedExtents;
  g_draws = 0;
  view::ViewCommand(2);
  EXPECT_EQ(view::ActiveViewport, 4);
  EXPECT_EQ(g_draws, 5);
  const int widths[8] = {0, 0, 0, 0, 510, 512, 510, 512};
  for (int k = 4; k <= 7; ++k) {
    EXPECT_FLOAT_EQ(view::ViewportViews[k].ScaleX, 200.0f / (widths[k] - 7)) << k;
    EXPECT_EQ(view::ViewportViews[k].CentreU, 100.0f) << k;
    EXPECT_EQ(view::ViewportViews[k].CentreV, 50.0f) << k;
    EXPECT_EQ(Widened(view::ViewportViews[k]), Standard(k == 7 ? 4 : k - 3)) << k;
  }
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 200.0f / 503);
}

TEST_F(ViewCommandsTest, FitAndRedrawOfEveryLayout) {
  Open();
  drawing::ExtentsProc = FixedExtents;
  view::ViewCommand(2);  // layout 1: the one viewport
  EXPECT_EQ(g_draws, 1);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 200.0f / (1024 - 7));
  EXPECT_EQ(view::ViewportViews[1].ScaleX, view::UnitsPerPixelX);

  view::ViewCommand('@');
  ASSERT_EQ(view::ActiveViewport, 2);
  g_draws = 0;
  view::ViewCommand(18);  // Ctrl+R: 2, 3, then 2 again
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(view::ActiveViewport, 2);
  view::ViewCommand(9);
  g_draws = 0;
  view::ViewCommand(2);
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(view::ActiveViewport, 3);
  EXPECT_FLOAT_EQ(view::ViewportViews[2].ScaleX, 200.0f / (5 * 1024 / 8 - 2 - 7));
  EXPECT_FLOAT_EQ(view::ViewportViews[3].ScaleX, 200.0f / (3 * 1024 / 8 - 7));

  // "!" keeps the view of the quarter it leaves.
  view::ViewCommand('$');
  view::ViewCommand(9);
  const Mapping five = Stored(view::ViewportViews[5]);
  view::ViewCommand('!');
  EXPECT_EQ(view::ActiveViewport, 1);
  EXPECT_EQ(view::ViewportWidth, 1024);
  EXPECT_EQ(LiveAsStored(), five);
  EXPECT_EQ(view::ViewMatrix, Standard(2));

  g_draws = 0;
  view::ViewCommand('B');
  view::ViewCommand('r');
  EXPECT_EQ(g_draws, 2);
}

TEST_F(ViewCommandsTest, ZoomWindowEndedWithEscLeavesTheView) {
  Open("\\e");
  const Mapping before = LiveAsStored();
  const auto ports = view::ViewportViews;
  view::ViewCommand('Z');
  EXPECT_EQ(LiveAsStored(), before);
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(Stored(view::ViewportViews[n]), Stored(ports[n])) << n;
  EXPECT_EQ(g_draws, 0);
}

TEST_F(ViewCommandsTest, ZoomWindowFitsTheBoxOfTwoClicks) {
  // Bottom-right first: the corners are ordered.
  Open("{move 600 400}{click 600 400}{move 200 100}{click 200 100}");
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  view::PixelToView(200, 100, u1, v2);
  view::PixelToView(600, 400, u2, v1);
  view::ViewCommand('z');
  const float want = std::max((u2 - u1) / (1024 - 7), (v2 - v1) / (view::ViewportHeight - 7));
  EXPECT_NEAR(view::UnitsPerPixelX, want, want * 1e-4);
  EXPECT_NEAR(view::ViewCentreU, (u1 + u2) / 2, 0.01);
  EXPECT_NEAR(view::ViewCentreV, (v1 + v2) / 2, 0.01);
  EXPECT_EQ(Stored(view::ViewportViews[1]), LiveAsStored());
  EXPECT_EQ(g_draws, 1);
}

TEST_F(ViewCommandsTest, StepKeysSetTurnOrPanSteps) {
  Open();
  view::ViewCommand('<');
  EXPECT_EQ(view::StepByAngle, 1);
  // The step constants agree with the angles to some 1e-9.
  EXPECT_NEAR(view::TurnSin, std::sin(5 * M_PI / 180), 1e-8);
  EXPECT_NEAR(view::TurnCos, std::cos(5 * M_PI / 180), 1e-8);
  view::ViewCommand(',');
  EXPECT_EQ(view::StepByAngle, 1);
  EXPECT_NEAR(view::TurnSin, std::sin(15 * M_PI / 180), 1e-8);
  EXPECT_NEAR(view::TurnCos, std::cos(15 * M_PI / 180), 1e-8);
  view::ViewCommand('$');
  view::ViewCommand('>');
  EXPECT_EQ(view::StepByAngle, 0);
  EXPECT_EQ(view::PanStepX, 510 / 8);
  EXPECT_EQ(view::PanStepY, 330 / 8);
  view::ViewCommand('.');
  EXPECT_EQ(view::PanStepX, 510 / 4);
  EXPECT_EQ(view::PanStepY, 330 / 4);
  // The turn step is untouched by the pan steps.
  EXPECT_NEAR(view::TurnSin, std::sin(15 * M_PI / 180), 1e-8);
}

TEST_F(ViewCommandsTest, HookKeysAndKeysWithoutACommand) {
  Open();
  view::OverlayProc = CountOverlay;
  view::CtrlZProc = CountCtrlZ;
  commands::DeleteLastProc = CountDeleteLast;
  view::ViewCommand(14);
  EXPECT_EQ(g_overlays, 1);
  EXPECT_EQ(g_draws, 1);
  EXPECT_EQ(view::FaceMode, 0);
  view::ViewCommand(17);
  EXPECT_EQ(view::FaceMode, 1);
  EXPECT_EQ(g_overlays, 2);
  view::ViewCommand(17);
  EXPECT_EQ(view::FaceMode, 0);
  view::ViewCommand(26);
  EXPECT_EQ(g_ctrl_z, 1);
  view::ViewCommand(4);
  EXPECT_EQ(g_delete_last, 1);
  EXPECT_EQ(g_draws, 3);

  const Mapping before = Live();
  const auto ports = view::ViewportViews;
  const int scheme = dialogs::ScreenScheme, language = dialogs::LanguageIndex;
  for (int key : {0, 1, 3, 6, 10, 13, 27, 32, int{'0'}, int{'9'}, int{'a'}, int{'X'}, int{'x'},
                  int{'['}, int{']'}, 123, 200, 255}) {
    view::ViewCommand(static_cast<std::uint8_t>(key));
  }
  EXPECT_EQ(Live(), before);
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(Stored(view::ViewportViews[n]), Stored(ports[n])) << n;
  EXPECT_EQ(dialogs::ScreenScheme, scheme);
  EXPECT_EQ(dialogs::LanguageIndex, language);
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(g_overlays + g_ctrl_z + g_delete_last, 5);
}

TEST_F(ViewCommandsTest, CtrlKStepsTheLanguage) {
  Open();
  ASSERT_EQ(dialogs::LanguageIndex, 0);
  for (int want : {1, 2, 3, 1, 2}) {
    view::ViewCommand(11);
    EXPECT_EQ(dialogs::LanguageIndex, want);
  }
  EXPECT_EQ(g_draws, 5);
}

TEST_F(ViewCommandsTest, AlignPlaneWithTheViewResetsOriginAndPullsTheCursor) {
  Open();
  view::PlaneDepth = 25;
  view::PlaneOrigin = {0, 0, 0, 25};
  view::CursorWorld = {5, 6, 7};
  // An edited matrix not yet applied: the command applies it first.
  view::ViewMatrix = Standard(2);
  view::ViewCommand('e');
  EXPECT_EQ(view::Projection, Standard(2));
  EXPECT_EQ(view::PlaneAxes, Standard(2));
  EXPECT_EQ(view::PlaneOrigin[1], 0.0f);
  EXPECT_EQ(view::PlaneOrigin[3], 0.0f);
  EXPECT_EQ(view::PlaneDepth, 0.0f);
  // The plane x = 0 (normal (-1, 0, 0)).
  EXPECT_EQ(view::CursorWorld, (std::array<float, 3>{0, 6, 7}));
  EXPECT_EQ(g_draws, 1);
  view::ViewMatrix = Standard(1);
  view::ViewCommand(5);
  EXPECT_EQ(view::PlaneAxes, Standard(1));
  EXPECT_EQ(view::CursorWorld, (std::array<float, 3>{0, 6, 0}));
}

TEST_F(ViewCommandsTest, DepthMovesThePlaneAlongItsNormal) {
  Open("25\\r" "-7.5\\r" "\\e" "\\r");
  view::CursorWorld = {3, 4, 0};
  view::ViewCommand('G');
  EXPECT_EQ(view::PlaneDepth, 25.0f);
  EXPECT_EQ(view::PlaneOrigin[1], 0.0f);
  EXPECT_EQ(view::PlaneOrigin[2], 0.0f);
  EXPECT_EQ(view::PlaneOrigin[3], 25.0f);
  EXPECT_EQ(view::CursorWorld, (std::array<float, 3>{3, 4, 25}));
  EXPECT_EQ(g_draws, 0);  // no full redraw

  // A plane turned with the view: normal (-1, 0, 0).
  view::RecallView(ViewTable::kStandard, 2);
  view::AlignPlaneWithView();
  view::ViewCommand('g');
  EXPECT_EQ(view::PlaneDepth, -7.5f);
  EXPECT_EQ(view::PlaneOrigin[1], 7.5f);
  EXPECT_EQ(view::PlaneOrigin[3], 0.0f);
  EXPECT_EQ(view::CursorWorld[0], 7.5f);

  // Esc keeps the plane; an empty entry keeps the depth.
  view::ViewCommand('g');
  EXPECT_EQ(view::PlaneDepth, -7.5f);
  EXPECT_EQ(view::PlaneOrigin[1], 7.5f);
  view::ViewCommand('g');
  EXPECT_EQ(view::PlaneDepth, -7.5f);
  EXPECT_EQ(view::PlaneOrigin[1], 7.5f);
}

TEST_F(ViewCommandsTest, DepthErasesTheOldGridAndDrawsTheNew) {
  Open("25\\r" "\\e");
  // A slanted view, so the moved plane's grid lands on other pixels; without the plane
  // axes symbol, which the command leaves where it was.
  view::PlaneAxesVisible = 0;
  view::RecallView(ViewTable::kStandard, 5);
  view::Redraw();
  const std::vector<std::uint32_t> old_grid = DrawArea();
  view::ViewCommand('g');
  ASSERT_EQ(view::PlaneOrigin[3], 25.0f);
  const std::vector<std::uint32_t> after = DrawArea();
  EXPECT_NE(after, old_grid);
  view::Redraw();
  EXPECT_EQ(after, DrawArea());  // exactly what a full redraw shows

  // Cancelled: the picture is as it was.
  view::ViewCommand('g');
  EXPECT_EQ(view::PlaneOrigin[3], 25.0f);
  EXPECT_EQ(DrawArea(), after);
}

TEST_F(ViewCommandsTest, ADepthTooLargeForASingleIsNoEntry) {
  // Fifty nines overflow the single the field parses into.
  Open(std::string(50, '9') + "\\r" + "-" + std::string(50, '9') + "\\r");
  view::RecallView(ViewTable::kStandard, 5);
  view::CursorWorld = {1, 2, 3};
  for (int i = 0; i < 2; ++i) {
    view::ViewCommand('g');
    EXPECT_EQ(view::PlaneDepth, 0.0f);
    EXPECT_EQ(view::PlaneOrigin, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(view::CursorWorld, (std::array<float, 3>{1, 2, 3}));
  }
}

TEST_F(ViewCommandsTest, ColourSchemesStepThroughTheTable) {
  Open();
  struct Row {
    int text, back, frame, top_left, bottom_right;
  };
  const Row rows[5] = {
      {15, 0, 9, 9, 9}, {15, 0, 9, 9, 9}, {15, 8, 8, 0, 15}, {15, 7, 8, 0, 15}, {15, 15, 15, 7, 8}};
  for (int want : {1, 2, 3, 4, 0, 1}) {
    SCOPED_TRACE(want);
    view::ViewCommand(';');
    EXPECT_EQ(dialogs::ScreenScheme, want);
    EXPECT_EQ(graphics::BackgroundScheme, want);
    const Row& r = rows[want];
    EXPECT_EQ(dialogs::TextColour, r.text);
    EXPECT_EQ(dialogs::TextBackColour, r.back);
    EXPECT_EQ(dialogs::FrameColour, r.frame);
    EXPECT_EQ(dialogs::PanelTopLeftColour, r.top_left);
    EXPECT_EQ(dialogs::PanelBottomRightColour, r.bottom_right);
    // Redrawn in the scheme: its frame colour and its background.
    EXPECT_EQ(graphics::PixelAt(1, 1),
              graphics::Palette[graphics::SchemeSubstitute(want, r.frame)]);
    EXPECT_EQ(At(35, 35), graphics::SchemeBrushColour(want));
  }
  // A scheme beyond the table starts again at 0.
  dialogs::ScreenScheme = 7;
  view::NextColourScheme();
  EXPECT_EQ(dialogs::ScreenScheme, 0);
  EXPECT_EQ(dialogs::FrameColour, 9);
}

}  // namespace
