#include "dialogs/key_guide.h"

#include <string>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/hook.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace dialogs {

namespace {

// Russian and English lines; picked whole by the language switch (";" is a key here).
struct GuideLine {
  const char* ru;
  const char* en;
};
constexpr GuideLine kGuide[] = {
    {"Клавиши (любая клавиша - дальше)", "Keys (any key goes on)"},
    {"Цифра или щелчок - пункт меню, Esc - выход", "Digit or click: menu item, Esc: quit"},
    {"Стрелки - сдвиг, PgUp PgDn и колесо - масштаб", "Arrows pan, PgUp PgDn and the wheel zoom"},
    {"Ctrl+стрелки, Shift+стрелки - поворот", "Ctrl+arrows, Shift+arrows turn the view"},
    {", < - стрелки поворачивают на 15 и 5 град., . > - сдвигают",
     ", < arrows turn by 15 or 5 degrees, . > they pan"},
    {"B - весь чертёж, R - перерисовать, Z - окно увеличения", "B fit all, R redraw, Z zoom to a window"},
    {"! @ $ - один, два, четыре вида, Tab - следующий вид", "! @ $ one, two, four viewports, Tab the next"},
    {"Ctrl+B, Ctrl+R - то же во всех видах", "Ctrl+B, Ctrl+R the same in every viewport"},
    {"V - вызвать вид, Ctrl+V - запомнить вид (1..9)", "V recall a view, Ctrl+V store it (1..9)"},
    {"G - глубина плоскости, E - плоскость по виду, X - шаг сетки",
     "G plane depth, E plane facing the view, X grid step"},
    {"; - цвета, Ctrl+K - язык (русский, English)", "; colour schemes, Ctrl+K language"},
    {"Курсор: стрелки - на шаг, + - шаг *4 /4, X - шаг",
     "Cursor: arrows move a step, + - step *4 /4, X types it"},
    {"Shift+стрелки - по нормали, End - на плоскость, щелчок - точка",
     "Shift+arrows along the normal, End back, click picks"},
};

std::vector<std::uint32_t> g_under;  // the picture under the page
int g_under_width = 0, g_under_height = 0;
graphics::DrawState g_state;                    // the drawing state to go back to
platform::Hook<void()> g_outer = nullptr;      // the rows' repaint the guide runs first

void DrawGuide() {
  g_under = graphics::Screen.pixels;
  g_under_width = graphics::Screen.width;
  g_under_height = graphics::Screen.height;
  g_state = graphics::SaveDrawState();
  const int w = view::ClientWidth, h = view::DrawAreaHeight;
  graphics::SetXorMode(0);
  graphics::SetLineStyle(0, 0, 1);
  graphics::SetViewport(0, 0, w, h);
  FillRect(0, 0, w, h);
  graphics::MoveToPoint(2, 2);
  graphics::LineToPoint(w - 3, 2);
  graphics::LineToPoint(w - 3, h - 3);
  graphics::LineToPoint(2, h - 3);
  graphics::LineToPoint(2, 2);
  int y = RowPitch + 4;
  for (const GuideLine& line : kGuide) {
    const std::string text = platform::Cp866(LanguageIndex == 1 ? line.en : line.ru);
    DrawTextFitted(text, 2 * CharWidth, y, CharHeight, CharWidth, w - 4 * CharWidth);
    y += RowPitch + 1;
  }
}

// A repaint under the guide: the picture and rows of the size, then the page over them.
void RepaintGuide() {
  g_outer();
  DrawGuide();
}

}  // namespace

void ShowKeyGuide() {
  DrawGuide();
  {
    g_outer = view::MenuRedrawProc;
    const view::TextRowsOnRepaint repaint(RepaintGuide);
    graphics::WaitForKey();
  }
  if (g_under_width == graphics::Screen.width && g_under_height == graphics::Screen.height)
    graphics::Screen.pixels.swap(g_under);
  graphics::FrameDirty = true;
  graphics::RestoreDrawState(g_state);
  g_under = {};
}

}  // namespace dialogs
