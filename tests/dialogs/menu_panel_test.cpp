// The menu panel: items, zones, drawing, click mapping and the menu loop, driven with
// headless key scripts on a real sample drawing.
#include "dialogs/menu_panel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "commands/command_keys.h"
#include "dialogs/number_field.h"
#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "drawing/replay.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/redraw.h"
#include "view/view_commands.h"
#include "view/view_state.h"
#include "view/views.h"

namespace {

using testing_support::Sample;
using Pixels = testing_support::Frame;
using testing_support::TextArea;
using platform::Cp866;

constexpr std::uint32_t kDamage = 0x123456;

int g_draws = 0;
void CountingDraw() {
  ++g_draws;
  drawing::DrawNewVariant();
}

// At every key read the text area is recorded and then spoilt, so that the next read shows
// whether the panel was drawn again in between.
std::vector<Pixels> g_waits;
bool g_damage = false;
void AtKeyRead() {
  g_waits.push_back(TextArea());
  if (g_damage) {
    const int w = graphics::Screen.width;
    for (int y = view::DrawAreaHeight; y < graphics::Screen.height; ++y)
      for (int x = 0; x < w; ++x)
        graphics::Screen.pixels[static_cast<std::size_t>(y * w + x)] = kDamage;
  }
}

std::uint32_t Rgb(int index) {
  graphics::SetDrawColor(index);
  return graphics::DrawColorRGB;
}

int CountIn(const Pixels& p, int width, int x0, int y0, int x1, int y1, std::uint32_t colour) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += p[static_cast<std::size_t>(y * width + x)] == colour;
  return n;
}

int CountOnScreen(int x0, int y0, int x1, int y1, std::uint32_t colour) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += graphics::PixelAt(x, y) == colour;
  return n;
}

class MenuPanelTest : public testing_support::ProgramTest {
 protected:
  // 640 × 480: text area 56 pixels from y = 424, rows 14 apart, columns 194 wide, characters
  // 7 × 7, letter buttons 16 wide from x = 388, pad cells 18 square from x = 582.
  void Open(const std::string& script, int width = 640, int height = 480) {
    OpenHeadless(width, height, script);
    view::ViewCommandsStartUp();
    dialogs::MenuPanelStartUp();
    dialogs::NumberFieldStartUp();
    commands::CommandKeysStartUp();
    app::OpenDrawing(Sample("PART.UGF"));
    g_draws = 0;
    drawing::DrawProc = CountingDraw;
    g_waits.clear();
    g_damage = false;
    reads_.Start(AtKeyRead);
  }
  static void MainMenuItems(int count) {
    dialogs::SetMenuItem(0, Cp866("Главное меню;Main menu"));
    for (int i = 1; i <= count; ++i) dialogs::SetMenuItem(i, "Item " + std::to_string(i));
  }
  static std::uint8_t Run(int count) {
    std::uint8_t key = 99;
    dialogs::RunMenu(count, key);
    return key;
  }
  // The panel as DrawMenuPanel draws it now.
  static Pixels Panel() {
    dialogs::DrawMenuPanel();
    return TextArea();
  }
  testing_support::KeyReads reads_;
};

TEST_F(MenuPanelTest, ZonesFollowTheTextMetrics) {
  Open("", 1024, 768);
  ASSERT_EQ(view::DrawAreaHeight, 664);
  dialogs::BuildPanelZones();
  ASSERT_EQ(dialogs::ZoneCount, 30);
  struct Expected {
    int index, x1, x2, y1, y2;
    std::uint8_t key, ext;
    const char* label;
  };
  // Rows 26 pixels apart from 664 + 25, columns 306 wide, letters 24 wide, pad cells 34.
  // clang-format off
  const Expected expected[] = {
      {0, 0, 612, 663, 689, 13, 0, ""},      {1, 0, 306, 689, 715, '1', 0, ""},
      {2, 0, 306, 715, 741, '2', 0, ""},     {3, 0, 306, 741, 767, '3', 0, ""},
      {4, 306, 612, 689, 715, '4', 0, ""},   {6, 306, 612, 741, 767, '6', 0, ""},
      {7, 612, 918, 689, 715, '7', 0, ""},   {9, 612, 918, 741, 767, '9', 0, ""},
      {10, 612, 636, 663, 689, 'F', 0, "F"}, {18, 804, 828, 663, 689, 'W', 0, "W"},
      {21, 876, 900, 663, 689, ';', 0, ";"}, {22, 918, 952, 664, 698, 'B', 0, "B"},
      {23, 952, 986, 664, 698, 0, 72, ""},   {24, 986, 1020, 664, 698, 0, 73, "Up"},
      {25, 918, 952, 698, 732, 0, 75, ""},   {26, 952, 986, 698, 732, 'R', 0, "R"},
      {27, 986, 1020, 698, 732, 0, 77, ""},  {28, 918, 952, 732, 766, 'Z', 0, "Z"},
      {29, 952, 986, 732, 766, 0, 80, ""},   {30, 986, 1020, 732, 766, 0, 81, "Dn"},
  };
  // clang-format on
  for (const Expected& e : expected) {
    const dialogs::PanelZone& z = dialogs::PanelZones[static_cast<std::size_t>(e.index)];
    EXPECT_EQ(z.x1, e.x1) << "zone " << e.index;
    EXPECT_EQ(z.x2, e.x2) << "zone " << e.index;
    EXPECT_EQ(z.y1, e.y1) << "zone " << e.index;
    EXPECT_EQ(z.y2, e.y2) << "zone " << e.index;
    EXPECT_EQ(z.key, e.key) << "zone " << e.index;
    EXPECT_EQ(z.extKey, e.ext) << "zone " << e.index;
    EXPECT_EQ(z.label, e.label) << "zone " << e.index;
  }
  const std::string letters = "FPLAMSNTWQJ;";
  for (int k = 0; k < 12; ++k)
    EXPECT_EQ(dialogs::PanelZones[static_cast<std::size_t>(10 + k)].key,
              letters[static_cast<std::size_t>(k)]);
}

TEST_F(MenuPanelTest, ItemTextsTakeTheLanguagePartAndNumbersEndNearTheColumnEdge) {
  Open("");
  ASSERT_EQ(dialogs::PanelColumnWidth / dialogs::CharWidth, 27);
  const auto& items = dialogs::MenuItems;

  dialogs::SetMenuNumber(3, Cp866("Масштаб;Scale"), 2.5f, 8, 2);
  EXPECT_EQ(items[3].name, Cp866("Масштаб"));
  EXPECT_EQ(items[3].valueText, std::string(9, ' ') + "    2.50");  // 27 - 7 - 8 - 3 blanks
  EXPECT_EQ(items[3].kind, 1);
  EXPECT_EQ(dialogs::GetMenuNumber(3), 2.5f);

  dialogs::LanguageIndex = 1;
  dialogs::SetMenuItemValue(4, Cp866("Копии;Copies"), 3.5f, 3, 0);
  EXPECT_EQ(items[4].name, "Copies");
  EXPECT_EQ(items[4].valueText, std::string(15, ' ') + "  4");  // rounded, halves to even
  EXPECT_EQ(items[4].kind, 0);
  dialogs::SetMenuItemValue(4, "x", 2.5f, 2, -1);
  EXPECT_EQ(items[4].valueText.substr(items[4].valueText.size() - 2), " 2");
  dialogs::SetMenuItem(5, Cp866("Русский;"));
  EXPECT_EQ(items[5].name, Cp866("Русский"));
  dialogs::LanguageIndex = 0;

  // The title keeps one blank before its number.
  dialogs::SetMenuItemValue(0, Cp866("Принтер, точек на дюйм"), 600.0f, 5, 0);
  EXPECT_EQ(items[0].valueText, "   600");

  // Setting an item again makes it plain and drops its value text.
  dialogs::SetMenuItem(3, "Plain");
  EXPECT_EQ(items[3].kind, 0);
  EXPECT_EQ(items[3].valueText, "");
  EXPECT_EQ(dialogs::GetMenuNumber(3), 2.5f);
  dialogs::SetMenuNumber(3, "Wide", 1.0f, 0, 2);  // no width: a number without value text
  EXPECT_EQ(items[3].kind, 1);
  EXPECT_EQ(items[3].valueText, "");

  // No room: no blanks; and both texts are limited to 50 characters.
  const std::string a60(60, 'A'), b70(70, 'B');
  dialogs::SetMenuItemValue(6, std::string(30, 'N'), 7.0f, 4, 0);
  EXPECT_EQ(items[6].valueText, "   7");
  dialogs::SetMenuItemValue(6, a60, 1.0f, 60, 0);
  EXPECT_EQ(items[6].name, std::string(50, 'A'));
  EXPECT_EQ(items[6].valueText.size(), 50u);
  dialogs::SetMenuItem(7, a60 + ";" + b70);
  EXPECT_EQ(items[7].name, std::string(50, 'A'));
  dialogs::LanguageIndex = 1;
  dialogs::SetMenuItem(7, a60 + ";" + b70);
  EXPECT_EQ(items[7].name, std::string(50, 'B'));

  // Indexes outside the table are ignored.
  dialogs::SetMenuItem(10, "x");
  dialogs::SetMenuNumber(-1, "x", 1.0f, 5, 1);
  EXPECT_EQ(dialogs::GetMenuNumber(12), 0.0f);
}

TEST_F(MenuPanelTest, ClicksMapToTheZoneUnderThePointer) {
  Open("");
  dialogs::BuildPanelZones();
  auto map = [](int x, int y, std::uint8_t key, std::uint8_t ext = 9) {
    graphics::MouseState.x = x;
    graphics::MouseState.y = y;
    dialogs::MapClickToKey(key, ext);
    return std::pair<int, int>(key, ext);
  };
  for (int i = 1; i <= dialogs::ZoneCount; ++i) {
    const dialogs::PanelZone& z = dialogs::PanelZones[static_cast<std::size_t>(i)];
    const std::pair<int, int> want(z.key, z.extKey);
    EXPECT_EQ(map((z.x1 + z.x2) / 2, (z.y1 + z.y2) / 2, ' '), want) << "zone " << i;
    EXPECT_EQ(map(z.x1, z.y1, ' '), want) << "zone " << i;
    EXPECT_EQ(map(z.x2 - 1, z.y2 - 1, ' '), want) << "zone " << i;
  }
  EXPECT_EQ(map(524, 430, ' '), std::make_pair(int{'W'}, 0));
  EXPECT_EQ(map(524, 430, 5), std::make_pair(int{'W'}, 0));  // Ctrl+E is mapped like a click
  EXPECT_EQ(map(627, 433, ' '), std::make_pair(0, 73));
  // The right and bottom bounds belong to the next zone, or to none.
  EXPECT_EQ(map(532, 430, ' '), std::make_pair(int{'Q'}, 0));
  EXPECT_EQ(map(636, 433, ' '), std::make_pair(int{' '}, 0));
  EXPECT_EQ(map(639, 479, ' '), std::make_pair(int{' '}, 0));
  // The title row is no button; nor is the drawing; other keys are left alone.
  EXPECT_EQ(map(100, 430, ' '), std::make_pair(int{' '}, 0));
  EXPECT_EQ(map(300, 200, ' '), std::make_pair(int{' '}, 0));
  EXPECT_EQ(map(524, 430, 'a'), std::make_pair(int{'a'}, 0));
  EXPECT_EQ(map(524, 430, 13), std::make_pair(13, 0));
}

TEST_F(MenuPanelTest, ADigitWithoutItemAndZeroRedrawThePanelAndTheMenuStays) {
  Open(R"(9{PgUp}0\e)");
  MainMenuItems(8);
  g_damage = true;
  EXPECT_EQ(Run(8), 27);
  g_damage = false;
  const Pixels panel = Panel();
  ASSERT_EQ(g_waits.size(), 4u);
  EXPECT_EQ(g_waits[0], panel);
  EXPECT_EQ(g_waits[1], panel);  // drawn again after 9
  EXPECT_NE(g_waits[2], panel);  // PgUp redraws the picture only
  EXPECT_EQ(g_waits[3], panel);  // drawn again after 0
  EXPECT_EQ(g_draws, 1);
}

TEST_F(MenuPanelTest, LeftClicksOnItemsButtonsAndTitle) {
  // Item 5, the letter W, the title row, then the pad's "Up" (PgUp) and Esc.
  Open(R"({click 290 458}{click 524 430}{click 100 430}{click 627 433}\e)");
  MainMenuItems(8);
  EXPECT_EQ(Run(8), '5');
  EXPECT_EQ(Run(8), 'W');
  EXPECT_EQ(Run(8), ' ');
  const float scale = view::UnitsPerPixelX;
  EXPECT_EQ(Run(8), 27);
  EXPECT_FLOAT_EQ(view::UnitsPerPixelX, scale / 1.5f);
  EXPECT_EQ(g_draws, 1);
  EXPECT_EQ(g_waits.size(), 5u);
}

TEST_F(MenuPanelTest, ANumberItemOpensItsFieldUnderTheItemsName) {
  Open(R"(3\e3\r37\r\e3)");
  MainMenuItems(4);
  dialogs::SetMenuNumber(3, Cp866("Масштаб;Scale"), 2.5f, 8, 2);
  g_damage = true;
  // Esc in the field brings the panel back; Enter on an empty field returns the digit.
  EXPECT_EQ(Run(4), '3');
  g_damage = false;
  EXPECT_EQ(dialogs::GetMenuNumber(3), 2.5f);
  const Pixels panel = Panel();
  ASSERT_EQ(g_waits.size(), 4u);
  EXPECT_EQ(g_waits[0], panel);
  EXPECT_NE(g_waits[1], panel);
  EXPECT_EQ(g_waits[2], panel);

  EXPECT_EQ(Run(4), '3');
  EXPECT_EQ(dialogs::GetMenuNumber(3), 7.0f);
  ASSERT_EQ(g_waits.size(), 7u);

  // The field is the number field under the item's name, with the value before the edit.
  float v = 2.5f;
  int result = 0;
  dialogs::EditReal(Cp866("Масштаб"), v, result);
  ASSERT_EQ(g_waits.size(), 8u);
  EXPECT_EQ(g_waits[7], g_waits[5]);

  // Set again as a plain item, the digit returns at once.
  dialogs::SetMenuItem(3, "Plain");
  EXPECT_EQ(Run(4), '3');
  EXPECT_EQ(g_waits.size(), 9u);
}

TEST_F(MenuPanelTest, HomeEndAndArrowsKeepTheMenuWaiting) {
  Open("{Home}{End}{Left}{ctrl+z}");
  MainMenuItems(8);
  view::ViewportViews[1] = view::ViewRecord{};
  view::StepByAngle = 0;
  const float centre = view::ViewCentreU;
  // Ctrl+Z passes the key reader and ends the menu.
  EXPECT_EQ(Run(8), 26);
  EXPECT_EQ(g_draws, 3);
  EXPECT_EQ(g_waits.size(), 4u);
  EXPECT_NE(view::ViewCentreU, centre);
  EXPECT_EQ(view::ViewportViews[1].ScaleX, view::UnitsPerPixelX);
  EXPECT_EQ(view::ViewportViews[1].CentreU, view::ViewCentreU);
}

TEST_F(MenuPanelTest, TheZoomWindowRunsFromTheMenuAndThePanelComesBack) {
  Open(R"(z\e\e)");
  MainMenuItems(8);
  const float scale = view::UnitsPerPixelX, centre = view::ViewCentreU;
  g_damage = true;
  EXPECT_EQ(Run(8), 27);
  g_damage = false;
  EXPECT_EQ(view::UnitsPerPixelX, scale);
  EXPECT_EQ(view::ViewCentreU, centre);
  ASSERT_GE(g_waits.size(), 3u);
  EXPECT_EQ(g_waits.back(), Panel());
}

TEST_F(MenuPanelTest, DigitsOutsideTheItemCountAreIgnored) {
  Open(R"(1\e9\e)");
  MainMenuItems(9);
  EXPECT_EQ(Run(-3), 27);   // no items: the digit only redraws
  EXPECT_EQ(Run(12), '9');  // at most nine
}

// The panel in a headless screenshot: zone edges, labels, arrow heads, title and items where
// the zones put them.
TEST_F(MenuPanelTest, ScreenshotShowsThePanelWhereTheZonesAre) {
  Open(R"({shot panel.png}\e)");
  MainMenuItems(8);
  EXPECT_EQ(Run(8), 27);
  Pixels p;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng(dir() + "/panel.png", p, w, h));
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  const std::uint32_t edge = Rgb(9), text = Rgb(15), ground = Rgb(0);
  auto at = [&](int x, int y) { return p[static_cast<std::size_t>(y * w + x)]; };
  auto white_in = [&](int x0, int y0, int x1, int y1) {
    return CountIn(p, w, x0, y0, x1, y1, text);
  };

  // Zone 9 (no item with eight): x 388..582, y 465..479.
  EXPECT_EQ(at(388, 472), edge);
  EXPECT_EQ(at(480, 465), edge);
  EXPECT_EQ(at(582, 472), edge);
  EXPECT_EQ(at(480, 479), edge);
  EXPECT_EQ(at(480, 472), ground);
  EXPECT_EQ(white_in(389, 466, 581, 478), 0);
  // The pad's cells: x 582, 600, 618, 636; y 424, 442, 460, 478.
  for (int x : {582, 600, 618, 636}) EXPECT_EQ(at(x, 433), edge) << x;
  for (int y : {442, 460, 478}) EXPECT_EQ(at(609, y), edge) << y;

  // The letter W (x 516..532, y 423..437) carries its label in its cell only.
  EXPECT_EQ(at(516, 430), edge);
  EXPECT_GT(white_in(520, 426, 527, 433), 0);
  EXPECT_EQ(white_in(517, 424, 531, 436) - white_in(520, 426, 527, 433), 0);
  // "Up" and "Dn" at the left of their cells, four pixels above the bottom.
  EXPECT_GT(white_in(622, 431, 635, 438), 0);
  EXPECT_GT(white_in(622, 467, 635, 474), 0);
  EXPECT_EQ(white_in(619, 425, 621, 441), 0);

  // Arrow heads: tips and ends.
  // clang-format off
  for (auto [x, y] : {std::pair{586, 450}, {596, 446}, {596, 456},  // left
                      {632, 450}, {622, 446}, {622, 456},           // right
                      {608, 428}, {604, 438}, {614, 438},           // up
                      {608, 476}, {604, 464}, {614, 464}})          // down
    // clang-format on
    EXPECT_EQ(at(x, y), text) << x << "," << y;

  // Title from x = 70 on row 0; items in their columns, after their digits.
  EXPECT_GT(white_in(70, 427, 140, 434), 0);
  EXPECT_EQ(white_in(2, 424, 69, 436), 0);
  for (int i = 1; i <= 8; ++i) {
    const int x1 = (i - 1) / 3 * 194, y2 = 424 + 13 + 14 * ((i - 1) % 3 + 1);
    EXPECT_GT(white_in(x1 + 8, y2 - 12, x1 + 14, y2 - 5), 0) << "digit of item " << i;
    EXPECT_GT(white_in(x1 + 22, y2 - 12, x1 + 60, y2 - 5), 0) << "name of item " << i;
    EXPECT_EQ(white_in(x1 + 70, y2 - 13, x1 + 190, y2 - 1), 0) << "item " << i;
  }
}

TEST_F(MenuPanelTest, LongItemsAreSqueezedIntoTheirColumn) {
  Open(R"(\e)");
  MainMenuItems(3);
  dialogs::SetMenuItem(1, std::string(50, 'M'));
  EXPECT_EQ(Run(3), 27);
  // Item 1: x 0..194, y 437..451; the text starts at x 1 and ends at 1 + 194 - 7.
  const std::uint32_t text = Rgb(15);
  EXPECT_GT(CountOnScreen(180, 438, 188, 450, text), 0);
  EXPECT_EQ(CountOnScreen(190, 438, 387, 450, text), 0);
}

TEST_F(MenuPanelTest, DarkSchemesMoveTheEdgesOnePixelInwards) {
  Open(R"(\e)");
  MainMenuItems(8);
  dialogs::ScreenScheme = 2;
  dialogs::PanelTopLeftColour = 12;
  dialogs::PanelBottomRightColour = 14;
  EXPECT_EQ(Run(8), 27);
  const std::uint32_t top_left = Rgb(12), bottom_right = Rgb(14);
  // Zone 9: x 388..582, y 465..479.
  EXPECT_EQ(graphics::PixelAt(389, 472), top_left);
  EXPECT_EQ(graphics::PixelAt(480, 466), top_left);
  EXPECT_EQ(graphics::PixelAt(581, 472), bottom_right);
  EXPECT_EQ(graphics::PixelAt(480, 478), bottom_right);
  EXPECT_NE(graphics::PixelAt(388, 472), top_left);
  EXPECT_NE(graphics::PixelAt(480, 465), top_left);
}

TEST_F(MenuPanelTest, ARepaintRedrawsThePanelOnlyWhileTheMenuWaits) {
  // Window 800 × 600: text area from y 520, zone 9 at x 480..720, y 579..599.
  Open(R"({resize 800 600}\e)");
  MainMenuItems(8);
  const auto before = view::MenuRedrawProc;
  EXPECT_EQ(Run(8), 27);
  EXPECT_EQ(view::MenuRedrawProc, before);
  ASSERT_EQ(view::DrawAreaHeight, 520);
  const std::uint32_t edge = Rgb(9);
  EXPECT_EQ(graphics::PixelAt(480, 590), edge);
  EXPECT_EQ(graphics::PixelAt(600, 579), edge);
  EXPECT_EQ(dialogs::PanelZones[0].y2, 520 + 19);
}

TEST_F(MenuPanelTest, ARepaintLeavesTheFieldsOfTheMenuAlone) {
  // The number item's field, then the grid step field of the key reader; a resize to
  // 800 × 600 arrives while each waits.
  Open(R"(3{resize 800 600}7\e\eX{resize 640 480}7\e\e)");
  MainMenuItems(4);
  dialogs::SetMenuNumber(3, "Scale", 1.0f, 6, 2);
  const std::uint32_t edge = Rgb(9);
  EXPECT_EQ(Run(4), 27);
  ASSERT_EQ(g_waits.size(), 4u);
  // At the wait after the resize the new text area (y 520..599) shows no panel: the line
  // between the title row and the items (19 pixels down) has no edge colour.
  auto edges = [&](const Pixels& p, int width, int y) {
    return CountIn(p, width, 10, y, width - 100, y, edge);
  };
  EXPECT_EQ(g_waits[2].size(), 800u * 80u);
  EXPECT_EQ(edges(g_waits[2], 800, 19), 0);
  EXPECT_GT(edges(g_waits[3], 800, 19), 600);  // the panel back after Esc

  g_waits.clear();
  EXPECT_EQ(Run(4), 27);
  ASSERT_EQ(g_waits.size(), 4u);
  EXPECT_EQ(g_waits[2].size(), 640u * 56u);
  EXPECT_EQ(edges(g_waits[2], 640, 13), 0);
  EXPECT_GT(edges(g_waits[3], 640, 13), 500);
}

TEST_F(MenuPanelTest, ExtremeWindowShapesStillGiveAWorkingMenu) {
  // A narrow tall window leaves the columns no room at all (negative widths); a wide flat one
  // very much room.
  for (auto [w, h] : {std::pair{320, 8192}, {8192, 320}}) {
    Open(R"(5{click 5 5}\e)", w, h);
    MainMenuItems(9);
    dialogs::SetMenuItemValue(5, "Five", 123.456f, 30, 3);
    EXPECT_EQ(Run(9), '5') << w << "x" << h;
    EXPECT_EQ(Run(9), ' ') << w << "x" << h;
    EXPECT_EQ(Run(9), 27) << w << "x" << h;
    EXPECT_EQ(dialogs::ZoneCount, 30);
  }
}

}  // namespace
