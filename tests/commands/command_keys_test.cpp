// The menu key reader and the command-key unit's start-up, driven with headless key scripts
// on a real sample drawing.
#include "commands/command_keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using view::Matrix3;
using Pixels = testing_support::Frame;
using testing_support::Sample;
using testing_support::TextArea;

constexpr double kSin15 = 0.25881904736704425, kCos15 = 0.965925825682291;

int g_draws = 0;
int g_ctrl_z = 0;
void CountingDraw() {
  ++g_draws;
  drawing::DrawNewVariant();
}
void CountCtrlZ() { ++g_ctrl_z; }
void OtherViewStart() {}

// At every key read: the text area and the pointer's display count as the user sees them.
std::vector<Pixels> g_waits;
std::vector<int> g_pointer;
void AtKeyRead() {
  g_waits.push_back(TextArea());
  g_pointer.push_back(graphics::PointerDisplayCount);
}

// Row 0 as ShowMessage draws it: the expected picture of a message.
Pixels MessagePicture(const char* utf8) {
  dialogs::ShowMessage(0, platform::Cp866(utf8));
  return TextArea();
}

Matrix3 Standard(int k) {
  Matrix3 m{};
  view::LoadStandardView(k, m);
  return m;
}

// The turn of a view about its own axis n, built from the rotation's definition.
Matrix3 Turned(const Matrix3& m, int n, double s, double c) {
  Matrix3 t{};
  for (int i = 1; i <= 3; ++i) t[i][i] = i == n ? 1.0 : c;
  const int p = n == 1 ? 2 : 1, q = n == 3 ? 2 : 3;
  t[p][q] = -s;
  t[q][p] = s;
  Matrix3 r{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      for (int k = 1; k <= 3; ++k) r[i][j] += t[i][k] * m[k][j];
  return r;
}

void ExpectMatrixNear(const Matrix3& a, const Matrix3& b, const std::string& what) {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      EXPECT_NEAR(a[i][j], b[i][j], 1e-12) << what << " [" << i << "][" << j << "]";
}

void ExpectSlotHoldsLiveView(int slot, const std::string& what) {
  const view::ViewRecord& r = view::ViewportViews[static_cast<std::size_t>(slot)];
  EXPECT_EQ(r.ScaleX, view::UnitsPerPixelX) << what;
  EXPECT_EQ(r.ScaleY, view::UnitsPerPixelY) << what;
  EXPECT_EQ(r.CentreU, view::ViewCentreU) << what;
  EXPECT_EQ(r.CentreV, view::ViewCentreV) << what;
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      EXPECT_EQ(r.Matrix[i][j], static_cast<float>(view::ViewMatrix[i][j])) << what;
}

class CommandKeysTest : public testing_support::ProgramTest {
 protected:
  // A 640 × 480 window: drawing area 640 × 424, text rows 14 pixels apart, panel columns 194
  // pixels wide, letter buttons 16 wide, pad cells 18 square from x = 582.
  void Open(const std::string& script) {
    OpenHeadless(640, 480, script);
    view::ViewCommandsStartUp();
    dialogs::MenuPanelStartUp();
    dialogs::NumberFieldStartUp();
    commands::CommandKeysStartUp();
    g_waits.clear();
    g_pointer.clear();
    reads_.Start(AtKeyRead);
  }
  void OpenDrawing(const std::string& script) {
    Open(script);
    app::OpenDrawing(Sample("PART.UGF"));
    ASSERT_EQ(view::DrawAreaHeight, 424);
    g_draws = 0;
    drawing::DrawProc = CountingDraw;
  }
  // A known view to measure the keys against.
  static void SetView() {
    view::ViewMatrix = Standard(5);
    view::ApplyView();
    view::ViewCentreU = 100.0f;
    view::ViewCentreV = 50.0f;
    view::UnitsPerPixelX = 2.0f;
    view::UnitsPerPixelY = 3.0f;
    view::DepthScale = 4.0f;
    view::PanStepX = 160;
    view::PanStepY = 106;
  }
  static std::uint8_t Key() {
    std::uint8_t key = 99;
    commands::ReadMenuKey(key);
    return key;
  }
  testing_support::KeyReads reads_;
};

TEST_F(CommandKeysTest, StartUpSetsTheTurnStepAndBindsTheHooks) {
  Open("abc");
  view::TurnSin = 0.5;
  view::TurnCos = 0.5;
  view::ActiveViewport = 3;
  view::MoveToWorldProc = view::LineToWorld;
  view::LineToWorldProc = view::MoveToWorld;
  view::CursorMarkerProc = nullptr;
  view::OverlayProc = nullptr;
  graphics::ViewStartProc = OtherViewStart;
  commands::DeleteLastProc = nullptr;
  drawing::DrawProc = nullptr;
  drawing::ExtentsProc = nullptr;
  commands::CommandKeysStartUp();

  EXPECT_EQ(view::TurnSin, kSin15);
  EXPECT_EQ(view::TurnCos, kCos15);
  EXPECT_EQ(view::ActiveViewport, 1);
  EXPECT_EQ(view::MoveToWorldProc, view::MoveToWorld);
  EXPECT_EQ(view::LineToWorldProc, view::LineToWorld);
  EXPECT_EQ(view::CursorMarkerProc, view::DrawCursorMarker);
  EXPECT_EQ(view::OverlayProc, view::DrawOverlays);
  EXPECT_EQ(graphics::ViewStartProc, view::InitView);

  // The placeholders each say which procedure is missing and wait for one key.
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  drawing::DrawProc();
  drawing::ExtentsProc(u1, v1, u2, v2);
  commands::DeleteLastProc();
  ASSERT_EQ(g_waits.size(), 3u);
  EXPECT_EQ(g_waits[0], MessagePicture("Не определена процедура WID_RIS"));
  EXPECT_EQ(g_waits[1], MessagePicture("Не определена процедура WID_GRAN"));
  EXPECT_EQ(g_waits[2], MessagePicture("Не определена процедура WID_DELLAST"));

  // Ctrl+Z's hook does nothing: no message, no key read.
  const Pixels before = TextArea();
  view::CtrlZProc();
  EXPECT_EQ(g_waits.size(), 3u);
  EXPECT_EQ(TextArea(), before);
}

TEST_F(CommandKeysTest, PageKeysAndTheWheelZoomByOneAndAHalf) {
  OpenDrawing("{PgUp}{PgDn}{PgUp}{wheel 1}{wheel -1}");
  SetView();
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 2.0f / 1.5f);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelY, 2.0f);
  EXPECT_FLOAT_EQ(view::DepthScale, 4.0f / 1.5f);
  EXPECT_EQ(g_draws, 1);
  ExpectSlotHoldsLiveView(1, "PgUp");

  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 2.0f);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelY, 3.0f);
  EXPECT_FLOAT_EQ(view::DepthScale, 4.0f);
  EXPECT_EQ(g_draws, 2);

  // At the limit PgUp changes nothing but still redraws.
  view::UnitsPerPixelX = 0.00001f;
  view::UnitsPerPixelY = 3.0f;
  EXPECT_EQ(Key(), 0);
  EXPECT_EQ(view::UnitsPerPixelX, 0.00001f);
  EXPECT_EQ(view::UnitsPerPixelY, 3.0f);
  EXPECT_EQ(g_draws, 3);

  // The wheel away from the user zooms out, towards the user in.
  view::UnitsPerPixelX = 2.0f;
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 3.0f);
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 2.0f);
  EXPECT_EQ(g_draws, 5);
}

TEST_F(CommandKeysTest, ArrowsPanOrTurnByStepByAngleAndShiftTurnsInThePicturePlane) {
  const std::string arrows = "{Up}{Down}{Left}{Right}{ctrl+Up}{ctrl+Down}{ctrl+Left}{ctrl+Right}";
  OpenDrawing(arrows + arrows + "{shift+Up}{shift+Left}{shift+Right}{shift+Down}");
  struct Effect {
    float du, dv;  // pan, in steps
    int axis;      // 0: no turn
    int sign;
  };
  // Plain arrows pan with StepByAngle 0 and turn with 1; Ctrl+arrows the other way round.
  const Effect pan_up{0, -1, 0, 0}, pan_down{0, 1, 0, 0}, pan_left{1, 0, 0, 0},
      pan_right{-1, 0, 0, 0};
  const Effect turn_up{0, 0, 1, -1}, turn_down{0, 0, 1, 1}, turn_left{0, 0, 2, 1},
      turn_right{0, 0, 2, -1};
  struct Case {
    int step_by_angle;
    const char* name;
    Effect effect;
  };
  // clang-format off
  const Case cases[] = {
      {0, "Up", pan_up},          {0, "Down", pan_down},        {0, "Left", pan_left},
      {0, "Right", pan_right},    {0, "Ctrl+Up", turn_up},      {0, "Ctrl+Down", turn_down},
      {0, "Ctrl+Left", turn_left}, {0, "Ctrl+Right", turn_right}, {1, "Up", turn_up},
      {1, "Down", turn_down},     {1, "Left", turn_left},       {1, "Right", turn_right},
      {1, "Ctrl+Up", pan_up},     {1, "Ctrl+Down", pan_down},   {1, "Ctrl+Left", pan_left},
      {1, "Ctrl+Right", pan_right}, {0, "Shift+Up", {0, 0, 3, 1}}, {1, "Shift+Left", {0, 0, 3, 1}},
      {0, "Shift+Right", {0, 0, 3, -1}}, {1, "Shift+Down", {0, 0, 3, -1}},
  };
  // clang-format on
  int draws = 0;
  for (const Case& c : cases) {
    const std::string what =
        std::string(c.name) + " with StepByAngle " + std::to_string(c.step_by_angle);
    SetView();
    view::StepByAngle = c.step_by_angle;
    const Matrix3 start = view::ViewMatrix;
    EXPECT_EQ(Key(), 0) << what;
    EXPECT_EQ(g_draws, ++draws) << what;
    EXPECT_FLOAT_EQ(view::ViewCentreU, 100.0f + c.effect.du * 160 * 2.0f) << what;
    EXPECT_FLOAT_EQ(view::ViewCentreV, 50.0f + c.effect.dv * 106 * 3.0f) << what;
    const Matrix3 expected =
        c.effect.axis == 0 ? start : Turned(start, c.effect.axis, c.effect.sign * kSin15, kCos15);
    ExpectMatrixNear(view::ViewMatrix, expected, what);
    ExpectMatrixNear(view::Projection, expected, what + " (applied)");
    EXPECT_EQ(view::UnitsPerPixelX, 2.0f) << what;
    ExpectSlotHoldsLiveView(1, what);
  }
}

TEST_F(CommandKeysTest, TheTurnStepKeysChangeHowFarTheArrowsTurn) {
  OpenDrawing("<{Up}");
  SetView();
  EXPECT_EQ(Key(), '0');
  EXPECT_EQ(view::StepByAngle, 1);
  const Matrix3 start = view::ViewMatrix;
  EXPECT_EQ(Key(), 0);
  ExpectMatrixNear(view::ViewMatrix, Turned(start, 1, -0.08715574352615352, 0.996194698023636),
                   "5 degrees");
}

TEST_F(CommandKeysTest, HomeEndAndOtherExtendedKeysOnlyStoreAndRedraw) {
  OpenDrawing("{Home}{End}{ctrl+Home}{ctrl+End}");
  for (const char* name : {"Home", "End", "Ctrl+Home", "Ctrl+End"}) {
    SetView();
    view::ViewportViews[1] = view::ViewRecord{};
    const int draws = g_draws;
    EXPECT_EQ(Key(), 0) << name;
    EXPECT_EQ(g_draws, draws + 1) << name;
    EXPECT_EQ(view::UnitsPerPixelX, 2.0f) << name;
    EXPECT_EQ(view::ViewCentreU, 100.0f) << name;
    ExpectMatrixNear(view::ViewMatrix, Standard(5), name);
    ExpectSlotHoldsLiveView(1, name);
  }
}

TEST_F(CommandKeysTest, ZoomAndPanSurviveTheRecallOfASplitLayout) {
  OpenDrawing("{PgUp}{Left}{Down}");
  view::SelectViewport(4);
  view::Redraw();
  view::StepByAngle = 0;
  const float scale = view::UnitsPerPixelX, centre_u = view::ViewCentreU,
              centre_v = view::ViewCentreV;
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, scale / 1.5f);
  EXPECT_EQ(view::ViewportViews[4].ScaleX, view::UnitsPerPixelX);
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::ViewCentreU, centre_u + view::PanStepX * view::UnitsPerPixelX);
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::ViewCentreV, centre_v + view::PanStepY * view::UnitsPerPixelY);
  EXPECT_EQ(view::ActiveViewport, 4);
  ExpectSlotHoldsLiveView(4, "layout 4");
}

TEST_F(CommandKeysTest, ViewKeysAnswerZeroAndOtherKeysPassThrough) {
  // к is the R key with a Russian layout (code page 1251).
  OpenDrawing(R"(rк;{ctrl+r}B{ctrl+z}1\r\eFW[] {ctrl+e})");
  view::CtrlZProc = CountCtrlZ;
  g_ctrl_z = 0;
  EXPECT_EQ(Key(), '0');  // r: redraw
  EXPECT_EQ(g_draws, 1);
  EXPECT_EQ(Key(), '0');  // к
  EXPECT_EQ(g_draws, 2);
  EXPECT_EQ(Key(), '0');  // ;: next colour scheme
  EXPECT_EQ(dialogs::ScreenScheme, 1);
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(Key(), '0');  // Ctrl+R
  EXPECT_EQ(g_draws, 4);
  view::UnitsPerPixelX = 1000.0f;
  EXPECT_EQ(Key(), '0');  // B: fit all
  EXPECT_LT(view::UnitsPerPixelX, 1000.0f);
  const int draws = g_draws;
  EXPECT_EQ(Key(), 26);  // Ctrl+Z runs its hook and reaches the menu
  EXPECT_EQ(g_ctrl_z, 1);
  for (std::uint8_t plain : {'1', '\r', '\x1b', 'F', 'W', '[', ']', ' ', '\x05'})
    EXPECT_EQ(Key(), plain);
  EXPECT_EQ(g_draws, draws);
}

TEST_F(CommandKeysTest, ThePointerShowsOnlyWhileTheReaderWaits) {
  OpenDrawing("{PgUp}1");
  const int start = graphics::PointerDisplayCount;
  EXPECT_EQ(Key(), 0);
  EXPECT_EQ(graphics::PointerDisplayCount, start);
  EXPECT_EQ(Key(), '1');
  EXPECT_EQ(graphics::PointerDisplayCount, start);
  ASSERT_EQ(g_pointer.size(), 2u);
  EXPECT_EQ(g_pointer[0], start + 1);
  EXPECT_EQ(g_pointer[1], start + 1);
}

TEST_F(CommandKeysTest, ClicksOnThePanelButtonsActAsTheirKeys) {
  // Pad "Up" (PgUp), the Up and Left arrow cells, "R", item 5, a letter button, the title
  // row, and a click on the drawing.
  OpenDrawing(
      "{click 627 433}{click 609 433}{click 591 451}{click 609 451}{click 290 458}{click 524 430}"
      "{click 100 430}{click 300 200}");
  dialogs::BuildPanelZones();
  SetView();
  view::StepByAngle = 0;
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, 2.0f / 1.5f);
  SetView();
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::ViewCentreV, 50.0f - 106 * 3.0f);
  SetView();
  EXPECT_EQ(Key(), 0);
  EXPECT_FLOAT_EQ(view::ViewCentreU, 100.0f + 160 * 2.0f);
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(Key(), '0');
  EXPECT_EQ(g_draws, 4);
  EXPECT_EQ(Key(), '5');
  EXPECT_EQ(Key(), 'W');
  EXPECT_EQ(Key(), ' ');
  EXPECT_EQ(Key(), ' ');
  EXPECT_EQ(g_draws, 4);
}

TEST_F(CommandKeysTest, CtrlDReportsTheMissingDeleteProcedureAndWaitsForAKey) {
  OpenDrawing("{ctrl+d}q{ctrl+d}{Up}1");
  EXPECT_EQ(Key(), '0');
  ASSERT_EQ(g_waits.size(), 2u);  // the q was read by the message
  EXPECT_EQ(g_waits[1], MessagePicture("Не определена процедура WID_DELLAST"));
  // An arrow at the message is taken whole.
  EXPECT_EQ(Key(), '0');
  EXPECT_EQ(Key(), '1');
}

TEST_F(CommandKeysTest, XAsksForTheGridStep) {
  OpenDrawing(R"(X25\rx\e)");
  EXPECT_EQ(Key(), '0');
  EXPECT_EQ(view::GridStep, 25.0f);
  EXPECT_EQ(view::ArrowStep, 25.0f);
  EXPECT_EQ(Key(), '0');
  EXPECT_EQ(view::GridStep, 25.0f);
}

TEST_F(CommandKeysTest, EveryViewCommandKeyAnswersZero) {
  // The commands that read keys of their own get them after their key: Ctrl+V, V and v a
  // digit, G and g a field, Z and z a corner.
  OpenDrawing(
      R"(!$@,<.>\t{ctrl+k}{ctrl+n}{ctrl+q}eEbR{ctrl+v}9V5v5G\eg\eZ\ez\e)"
      "ACDFHIJKLMNOPQSTUWYacdfhijklmnopqstuwy{ctrl+a}{ctrl+c}{ctrl+f}+-");
  for (const char* key :
       {"!", "$", "@", ",", "<",      ".", ">", "Tab", "Ctrl+K", "Ctrl+N", "Ctrl+Q",
        "e", "E", "b", "R", "Ctrl+V", "V", "v", "G",   "g",      "Z",      "z"})
    EXPECT_EQ(Key(), '0') << key;
  for (std::uint8_t other : std::string("ACDFHIJKLMNOPQSTUWYacdfhijklmnopqstuwy\x01\x03\x06+-"))
    EXPECT_EQ(Key(), other);
}

}  // namespace
