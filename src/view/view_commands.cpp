#include "view/view_commands.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "commands/command_keys.h"
#include "commands/zoom_window.h"
#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/colours.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "platform/text.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_state.h"
#include "view/views.h"

namespace view {

namespace {

constexpr double kSin5 = 0.08715574352615352, kCos5 = 0.996194698023636;

using defaults::Nothing;

struct SchemeColours {
  int text, textBack, frame, panelTopLeft, panelBottomRight;
};

// Indices before the driver's scheme substitution.
constexpr std::array<SchemeColours, 5> kSchemeColours = [] {
  using namespace graphics::colours;
  return std::array<SchemeColours, 5>{{
      {kWhite, kBlack, kBlue, kBlue, kBlue},
      {kWhite, kBlack, kBlue, kBlue, kBlue},
      {kWhite, kSilver, kSilver, kBlack, kWhite},
      {kWhite, kGrey, kSilver, kBlack, kWhite},
      {kWhite, kWhite, kWhite, kGrey, kSilver},
  }};
}();

// A prompt's key as a digit.
int ReadDigitKey() { return static_cast<int>(graphics::ReadWholeKey()) - '0'; }

// Every viewport of the layout in force gets `action`, the active one last.
void ForEachViewport(int active, void (*action)()) {
  if (active == 2 || active == 3) {
    for (int k = 2; k <= 3; ++k) {
      SelectViewport(k);
      action();
    }
  } else if (active > 3) {
    for (int k = 4; k <= 7; ++k) {
      SelectViewport(k);
      action();
    }
  }
  SelectViewport(active);
  action();
}

// The clearing shared by the two- and four-view layouts.
void ClearDrawArea() {
  graphics::SetViewport(0, 0, ClientWidth, DrawAreaHeight);
  graphics::ClearViewport();
}

void ZoomWindowCommand(int active) {
  float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
  std::uint8_t key = ' ';
  commands::ZoomWindow(u1, v1, u2, v2, key);
  if (commands::EndsWithoutZoom(key)) return;
  FitWindow(u1, v1, u2, v2);
  StoreView(ViewTable::kViewport, active);
  Redraw();
}

}  // namespace

constinit ViewCommandsState ViewCommandsVars;

void defaults::Nothing() {}

void ViewCommandsStartUp() {
  ViewCommandsVars = {};
}

void TurnView(int axis, double s, double c) {
  if (axis < 1 || axis > 3) return;
  Matrix3 t{};
  for (int i = 1; i <= 3; ++i) t[i][i] = c;
  t[axis][axis] = 1.0;
  // The two other axes, in order: (1, 2) about axis 3, (1, 3) about 2, (2, 3) about 1.
  const int p = axis == 1 ? 2 : 1;
  const int q = axis == 3 ? 2 : 3;
  t[p][q] = -s;
  t[q][p] = s;
  Matrix3 r{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      r[i][j] = t[i][1] * ViewMatrix[1][j] + t[i][2] * ViewMatrix[2][j] + t[i][3] * ViewMatrix[3][j];
  CopyMatrix(r, ViewMatrix);
  ApplyView();
}

void ShowViewStrip(StripTable table) {
  const float scaleX = UnitsPerPixelX, scaleY = UnitsPerPixelY;
  const float centreU = ViewCentreU, centreV = ViewCentreV;
  Matrix3 saved{};
  CopyMatrix(ViewMatrix, saved);
  const ViewTable source = table == StripTable::kStandard ? ViewTable::kStandard : ViewTable::kUser;
  for (int i = 1; i <= 9; ++i) {
    const int x = 70 * i - 50;
    dialogs::DrawTextRun(std::string(1, static_cast<char>('0' + i)), x, 18, 7, 14);
    RecallView(source, i);
    DrawAxesSymbol(x, 30, 12, AxesKind::kWorld);
    CopyMatrix(saved, ViewMatrix);
    ApplyView();
    UnitsPerPixelX = scaleX;
    UnitsPerPixelY = scaleY;
    ViewCentreU = centreU;
    ViewCentreV = centreV;
  }
}

void RecallViewPrompt() {
  dialogs::ClearTextArea();
  dialogs::DrawTextRun(platform::Cp866("Вызвать вид (0-Стандартный, 1...9) :"), 1, 8, 7, 7);
  ShowViewStrip(StripTable::kUser);
  int n = ReadDigitKey();
  if (n == 0) {
    dialogs::ClearTextArea();
    dialogs::DrawTextRun(platform::Cp866("Вызвать стандартный вид (1...9) :"), 1, 8, 7, 7);
    ShowViewStrip(StripTable::kStandard);
    n = ReadDigitKey();
    if (n >= 1 && n <= 9) RecallView(ViewTable::kStandard, n);
  } else if (n >= 1 && n <= 9) {
    RecallView(ViewTable::kUser, n);
  }
  StoreView(ViewTable::kViewport, ActiveViewport);
  dialogs::SetInnerDrawViewport();
}

void StoreViewPrompt() {
  dialogs::ClearTextArea();
  dialogs::DrawTextRun(platform::Cp866("Запомнить вид (1...9) :"), 1, 8, 7, 7);
  ShowViewStrip(StripTable::kUser);
  const int n = ReadDigitKey();
  // StoreView ignores numbers its table lacks: 8 and 9 reach the user table only.
  StoreView(ViewTable::kUser, n);
  StoreView(ViewTable::kViewport, n);
  dialogs::SetInnerDrawViewport();
}

void ViewCommand(std::uint8_t key) {
  const int a = ActiveViewport;
  using namespace graphics::keys;
  switch (key) {
    case kCtrlB:
      ForEachViewport(a, FitAllAndRedraw);
      break;
    case kCtrlD:
      commands::DeleteLastProc();
      break;
    case kCtrlE:
    case 'E':
    case 'e':
      AlignPlaneWithView();
      break;
    case kTab: {
      if (a <= 1) break;
      StoreView(ViewTable::kViewport, a);
      int k = a + 1;
      if (k == 4) k = 2;
      if (k == 8) k = 4;
      SelectViewport(k);
      Redraw();
      break;
    }
    case kCtrlK:
      dialogs::LanguageIndex = dialogs::LanguageIndex >= 3 ? 1 : dialogs::LanguageIndex + 1;
      Redraw();
      break;
    case kCtrlN:
      OverlayProc();
      Redraw();
      break;
    case kCtrlQ:
      FaceMode = 1 - FaceMode;
      OverlayProc();
      Redraw();
      break;
    case kCtrlR:
      ForEachViewport(a, Redraw);
      break;
    case kCtrlV:
      StoreViewPrompt();
      break;
    case kCtrlZ:
      CtrlZProc();
      break;
    case '!':
      StoreView(ViewTable::kViewport, a);
      SelectViewport(1);
      Redraw();
      break;
    case '$':
      ClearDrawArea();
      StoreView(ViewTable::kViewport, a);
      // Slots 4..6 take standard views 1..3 but keep their own scales and centres.
      for (int t = 1; t <= 3; ++t) {
        LoadStandardView(t, ViewMatrix);
        ApplyView();
        for (int i = 1; i <= 3; ++i)
          for (int j = 1; j <= 3; ++j)
            ViewportViews[static_cast<std::size_t>(t + 3)].Matrix[i][j] =
                static_cast<float>(ViewMatrix[i][j]);
      }
      for (int k = 4; k <= 7; ++k) {
        SelectViewport(k);
        Redraw();
      }
      SelectViewport(4);
      dialogs::DrawCornerMark();
      break;
    case '@':
      ClearDrawArea();
      StoreView(ViewTable::kViewport, a);
      for (int k = 2; k <= 3; ++k) {
        SelectViewport(k);
        Redraw();
      }
      SelectViewport(2);
      dialogs::DrawCornerMark();
      break;
    case ',':
      StepByAngle = 1;
      TurnSin = kSin15;
      TurnCos = kCos15;
      break;
    case '<':
      StepByAngle = 1;
      TurnSin = kSin5;
      TurnCos = kCos5;
      break;
    case '.':
      StepByAngle = 0;
      PanStepX = ViewportWidth / 4;
      PanStepY = ViewportHeight / 4;
      break;
    case '>':
      StepByAngle = 0;
      PanStepX = ViewportWidth / 8;
      PanStepY = ViewportHeight / 8;
      break;
    case ';':
      NextColourScheme();
      break;
    case 'B':
    case 'b':
      FitAllAndRedraw();
      break;
    case 'G':
    case 'g':
      DepthPrompt();
      break;
    case 'R':
    case 'r':
      Redraw();
      break;
    case 'V':
    case 'v':
      RecallViewPrompt();
      PrepareDrawArea();
      Redraw();
      break;
    case 'Z':
    case 'z':
      ZoomWindowCommand(a);
      break;
    default:
      break;
  }
}

bool IsViewCommandKey(std::uint8_t key, ViewKeys caller) {
  using namespace graphics::keys;
  static constexpr char kMenuKeys[] = {kCtrlB, kCtrlD, kTab,  kCtrlK, kCtrlN, kCtrlQ, kCtrlR, kCtrlV,
                                       kCtrlZ, '!',    '$',   ',',    '.',    ';',    '<',    '>',
                                       '@',    'B',    'E',   'G',    'R',    'V',    'Z',    'b',
                                       'e',    'g',    'r',   'v',    'z'};
  static constexpr char kCursorKeys[] = {kCtrlB, kCtrlD, kCtrlE, kTab, kCtrlK, kCtrlN, kCtrlQ,
                                         kCtrlR, kCtrlV, '!',    '$',  '@',    'B',    'b',
                                         'R',    'r',    'V',    'v',  'Z',    'z'};
  const std::string_view set = caller == ViewKeys::kMenu
                                   ? std::string_view(kMenuKeys, sizeof kMenuKeys)
                                   : std::string_view(kCursorKeys, sizeof kCursorKeys);
  return key != kExtended && set.find(static_cast<char>(key)) != std::string_view::npos;
}

void ZoomIn() {
  if (UnitsPerPixelX > 0.00001f) {
    UnitsPerPixelX /= 1.5f;
    UnitsPerPixelY /= 1.5f;
    DepthScale /= 1.5f;
  }
}

void ZoomOut() {
  UnitsPerPixelX *= 1.5f;
  UnitsPerPixelY *= 1.5f;
  DepthScale *= 1.5f;
}

void AlignPlaneWithView() {
  ApplyView();
  CopyMatrix(ViewMatrix, PlaneAxes);
  PlaneOrigin = {0.0f, 0.0f, 0.0f, 0.0f};
  PlaneDepth = 0.0f;
  ProjectOntoPlane(CursorWorld[0], CursorWorld[1], CursorWorld[2]);
  Redraw();
}

void DepthPrompt() {
  float v = PlaneDepth;
  int result = 0;
  dialogs::EditReal(platform::Cp866("Глубина ="), v, result);
  // The grid is XOR-drawn: drawing it again removes the one on the screen before the
  // plane moves, so only the new grid is left.
  DrawGrid(graphics::colours::kWhite);
  // A typed number too large for a single is infinite; it would put the plane, and with it
  // the cursor, nowhere, so it is taken as no entry.
  if (result >= 0 && std::isfinite(v)) {
    PlaneDepth = v;
    for (int j = 1; j <= 3; ++j)
      PlaneOrigin[static_cast<std::size_t>(j)] = v * static_cast<float>(PlaneAxes[3][j]);
    ProjectOntoPlane(CursorWorld[0], CursorWorld[1], CursorWorld[2]);
  }
  DrawGrid(graphics::colours::kWhite);
}

void NextColourScheme() {
  dialogs::ScreenScheme = dialogs::ScreenScheme >= 4 ? 0 : dialogs::ScreenScheme + 1;
  // Nothing sets it below 0; the guard keeps the table index valid all the same.
  if (dialogs::ScreenScheme < 0) dialogs::ScreenScheme = 0;
  graphics::SetBackgroundScheme(dialogs::ScreenScheme);
  const SchemeColours& c = kSchemeColours[static_cast<std::size_t>(dialogs::ScreenScheme)];
  dialogs::TextColour = static_cast<std::int16_t>(c.text);
  dialogs::TextBackColour = static_cast<std::int16_t>(c.textBack);
  dialogs::FrameColour = c.frame;
  dialogs::PanelTopLeftColour = c.panelTopLeft;
  dialogs::PanelBottomRightColour = c.panelBottomRight;
  Redraw();
}

}  // namespace view
