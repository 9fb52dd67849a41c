// The grid step command: its field, the order of its messages and grid drawings, and the
// picture it leaves.
#include "commands/grid_step.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/program.h"
#include "commands/command_keys.h"
#include "dialogs/menu_panel.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/cursor.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"

namespace {

using Pixels = testing_support::Frame;
using testing_support::DrawArea;
using testing_support::Sample;
using testing_support::TextArea;

// What the command draws after the last key read, as tokens: "C" a cleared text area, "T<r>"
// text on row r, "G" grid dots (each run of dots one batch).
std::vector<std::string> g_log;
std::vector<std::vector<std::pair<int, int>>> g_grids;
std::vector<Pixels> g_waits;
platform::Hook<void(int, int, int)> g_put = nullptr;
platform::Hook<void(int, int)> g_line = nullptr;
platform::Hook<void(int, const graphics::PolyPoint*)> g_fill = nullptr;

void Note(const std::string& token) {
  if (g_log.empty() || g_log.back() != token) {
    g_log.push_back(token);
    if (token == "G") g_grids.emplace_back();
  }
}
void AtKeyRead() {
  g_waits.push_back(TextArea());
  g_log.clear();
  g_grids.clear();
}
void LoggingPut(int x, int y, int colour) {
  if (graphics::XorMode != 0) {
    Note("G");
    g_grids.back().emplace_back(x, y);
  }
  g_put(x, y, colour);
}
void LoggingLine(int x, int y) {
  if (graphics::Viewport.top == view::DrawAreaHeight)
    Note("T" + std::to_string(y / (dialogs::RowPitch + 1)));
  g_line(x, y);
}
void LoggingFill(int count, const graphics::PolyPoint* points) {
  Note("C");
  g_fill(count, points);
}

std::string Joined(const std::vector<std::string>& tokens, std::size_t from) {
  std::string s;
  for (std::size_t i = from; i < tokens.size(); ++i) s += (s.empty() ? "" : " ") + tokens[i];
  return s;
}
// The tokens from the first clearing of the text area on.
std::string FromClear() {
  for (std::size_t i = 0; i < g_log.size(); ++i)
    if (g_log[i] == "C") return Joined(g_log, i);
  return "";
}

// The smallest distance between two columns of a batch of grid dots.
int ColumnSpacing(const std::vector<std::pair<int, int>>& dots) {
  std::set<int> xs;
  for (const auto& d : dots) xs.insert(d.first);
  int best = 1 << 30;
  for (auto it = xs.begin(); it != xs.end() && std::next(it) != xs.end(); ++it)
    best = std::min(best, *std::next(it) - *it);
  return best;
}

class GridStepTest : public testing_support::ProgramTest {
 protected:
  // PART.UGF at one unit per pixel: grid step 10 is 10 pixels.
  void Open(const std::string& script) {
    OpenHeadless(640, 480, script);
    view::ViewCommandsStartUp();
    dialogs::MenuPanelStartUp();
    dialogs::NumberFieldStartUp();
    commands::CommandKeysStartUp();
    app::OpenDrawing(Sample("PART.UGF"));
    view::UnitsPerPixelX = view::UnitsPerPixelY = 1.0f;
    view::Redraw();
    ASSERT_EQ(view::GridStep, 10.0f);
    g_log.clear();
    g_grids.clear();
    g_waits.clear();
    reads_.Start(AtKeyRead);
    g_put = graphics::PutPixel;
    graphics::PutPixel = LoggingPut;
    g_line = graphics::LineToPoint;
    graphics::LineToPoint = LoggingLine;
    g_fill = graphics::FillPolygon;
    graphics::FillPolygon = LoggingFill;
  }
  // The picture a full redraw gives with the state as it is now.
  static Pixels Redrawn() {
    view::Redraw();
    return DrawArea();
  }
  static Pixels Messages() {
    dialogs::ShowMessage(0, "SETKA");
    dialogs::ShowMessage(1, "SETKA 0");
    dialogs::ShowMessage(2, "SETKA 0");
    return TextArea();
  }
  testing_support::KeyReads reads_;
};

TEST_F(GridStepTest, ANewStepRemovesTheOldGridAndDrawsTheNewOne) {
  Open(R"(20\r\e)");
  const Pixels old_picture = DrawArea();
  commands::GridStepCommand();
  EXPECT_EQ(view::GridStep, 20.0f);
  EXPECT_EQ(view::ArrowStep, 20.0f);
  EXPECT_EQ(view::CursorStep, 20.0f);
  EXPECT_EQ(view::GridVisible, 1);
  EXPECT_EQ(FromClear(), "C T0 G T1 T2 G");
  ASSERT_EQ(g_grids.size(), 2u);
  EXPECT_EQ(ColumnSpacing(g_grids[0]), 10);
  EXPECT_EQ(ColumnSpacing(g_grids[1]), 20);

  const Pixels text = TextArea(), picture = DrawArea();
  EXPECT_NE(picture, old_picture);
  EXPECT_EQ(picture, Redrawn());
  EXPECT_EQ(text, Messages());

  // The field was the number field "Шаг сетки" with the step as it was.
  const Pixels field = g_waits[0];
  float v = 10.0f;
  int result = 0;
  dialogs::EditReal(platform::Cp866("Шаг сетки"), v, result);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(g_waits.back(), field);
}

TEST_F(GridStepTest, EscOrBracketLeavesStepGridAndPictureAlone) {
  Open(R"(\e[)");
  view::GridVisible = 0;
  view::Redraw();
  for (int visible : {0, 1}) {
    view::GridVisible = visible;
    const Pixels picture = DrawArea();
    commands::GridStepCommand();
    EXPECT_EQ(view::GridStep, 10.0f);
    EXPECT_EQ(view::GridVisible, visible);
    EXPECT_EQ(Joined(g_log, 0).find_first_of("CG"), std::string::npos) << Joined(g_log, 0);
    EXPECT_EQ(DrawArea(), picture);
    view::Redraw();
  }
}

TEST_F(GridStepTest, AnEmptyEntryKeepsTheStepButShowsAHiddenGrid) {
  Open(R"(\r)");
  view::GridVisible = 0;
  view::Redraw();
  const Pixels hidden = DrawArea();
  commands::GridStepCommand();
  EXPECT_EQ(view::GridStep, 10.0f);
  EXPECT_EQ(view::GridVisible, 1);
  EXPECT_EQ(FromClear(), "C T0 T1 T2 G");
  EXPECT_NE(DrawArea(), hidden);
  EXPECT_EQ(DrawArea(), Redrawn());
}

TEST_F(GridStepTest, AStepTooFineForTheZoomIsTakenButNotDrawn) {
  Open(R"(1.5\r-5\r)");
  commands::GridStepCommand();
  EXPECT_EQ(view::GridStep, 1.5f);
  EXPECT_EQ(view::ArrowStep, 1.5f);
  EXPECT_EQ(FromClear(), "C T0 G T1 T2");
  EXPECT_EQ(DrawArea(), Redrawn());

  // A negative step is kept for the grid, which then draws nothing; the cursor keeps its step.
  commands::GridStepCommand();
  EXPECT_EQ(view::GridStep, -5.0f);
  EXPECT_EQ(view::ArrowStep, 1.5f);
  EXPECT_EQ(FromClear(), "C T0 T1 T2");
}

}  // namespace
