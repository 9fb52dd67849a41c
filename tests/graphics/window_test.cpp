#include "graphics/window.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/driver.h"
#include "graphics/mouse.h"
#include "platform/errors.h"
#include "platform/headless.h"
#include "support/fixture.h"

namespace {

using platform::Event;
using platform::EventKind;

class WindowTest : public testing_support::ProgramTest {
 protected:
  static Event Key(int vk, bool ctrl = false, bool shift = false) {
    Event e;
    e.kind = EventKind::kKeyDown;
    e.vk = vk;
    e.ctrl = ctrl;
    e.shift = shift;
    return e;
  }
  static Event Mouse(EventKind kind, int x, int y, int buttons = 0) {
    Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.buttons = buttons;
    return e;
  }
  static std::vector<int> Queue() {
    return {graphics::KeyQueue.begin(), graphics::KeyQueue.begin() + graphics::KeyCount};
  }
  // Reads keys until the script is used up.
  static std::vector<int> ReadAll() {
    std::vector<int> keys;
    try {
      for (;;) keys.push_back(graphics::ReadRawKey());
    } catch (const platform::ProgramEnd& end) {
      EXPECT_EQ(end.status, 0);
    }
    return keys;
  }
};

TEST_F(WindowTest, ExtendedKeysMatchCtrlAndShiftExactly) {
  OpenHeadless();
  using platform::kVkDown;
  graphics::WindowProc(Key(kVkDown, false, true));
  EXPECT_EQ(Queue(), (std::vector<int>{0, 160}));
  graphics::WindowProc(Key(kVkDown, true, true));  // no row has both
  graphics::WindowProc(Key(platform::kVkF1, true));  // F1 alone is the key guide's
  graphics::WindowProc(Key(platform::kVkDelete));
  EXPECT_EQ(Queue(), (std::vector<int>{0, 160}));
  graphics::WindowProc(Key(platform::kVkLeft, true));
  graphics::WindowProc(Key(platform::kVkHome, true));
  graphics::WindowProc(Key(platform::kVkEnd, false, true));  // Shift+End: no row
  graphics::WindowProc(Key(platform::kVkPrior));
  EXPECT_EQ(Queue(), (std::vector<int>{0, 160, 0, 115, 0, 119, 0, 73}));
  // Every row of the table is reachable.
  for (const auto& row : graphics::ExtendedKeyTable) {
    graphics::KeyCount = 0;
    graphics::WindowProc(Key(row.vk, row.ctrl != 0, row.shift != 0));
    EXPECT_EQ(Queue(), (std::vector<int>{0, row.code})) << int(row.vk);
  }
}

TEST_F(WindowTest, MouseButtonsAndWheelBecomeKeys) {
  OpenHeadless();
  graphics::WindowProc(Mouse(EventKind::kLeftDown, 30, 40, platform::kMkLButton));
  EXPECT_EQ(Queue(), (std::vector<int>{32}));
  int x = 0, y = 0, b = 0;
  graphics::GetMouseClient(x, y, b);
  EXPECT_EQ(b, 1);
  graphics::GetMouseClient(x, y, b);  // reading does not clear it
  EXPECT_EQ(b, 1);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
  graphics::WindowProc(Mouse(EventKind::kMouseMove, 31, 40));
  graphics::GetMouseClient(x, y, b);
  EXPECT_EQ(b, 0);
  graphics::WindowProc(Mouse(EventKind::kRightDown, 5, 6, platform::kMkRButton));
  graphics::GetMouseClient(x, y, b);
  EXPECT_EQ(b, 2);
  // Middle button alone gives B; with Shift or another button held, nothing, and the
  // mouse state stays as it was.
  graphics::WindowProc(Mouse(EventKind::kMiddleDown, 90, 90, platform::kMkMButton | platform::kMkShift));
  graphics::WindowProc(Mouse(EventKind::kMiddleDown, 90, 90, platform::kMkMButton | platform::kMkLButton));
  graphics::WindowProc(Mouse(EventKind::kMiddleDown, 90, 90, platform::kMkMButton));
  graphics::GetMouseClient(x, y, b);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(x, 5);
  Event wheel;
  wheel.kind = EventKind::kWheel;
  wheel.delta = -120;  // towards the user
  graphics::WindowProc(wheel);
  wheel.delta = 120;
  graphics::WindowProc(wheel);
  wheel.delta = 0;
  graphics::WindowProc(wheel);
  EXPECT_EQ(Queue(), (std::vector<int>{32, 13, 66, 0, 73, 0, 81}));
  // Positions are kept as unsigned 16-bit values.
  graphics::WindowProc(Mouse(EventKind::kMouseMove, -1, 3));
  graphics::GetMouseClient(x, y, b);
  EXPECT_EQ(x, 65535);
}

TEST_F(WindowTest, FullQueueDropsTheOldest) {
  OpenHeadless();
  for (int i = 0; i < 65; ++i) graphics::PushKey(static_cast<std::uint8_t>(i + 1));
  EXPECT_EQ(graphics::KeyCount, 64);
  EXPECT_EQ(graphics::KeyQueue[0], 2);
  EXPECT_EQ(graphics::KeyQueue[63], 65);
  EXPECT_EQ(graphics::ReadRawKey(), 2);
  EXPECT_EQ(graphics::KeyCount, 63);
}

TEST_F(WindowTest, CommandKeysTranslateCyrillicToTheLatinKeyCap) {
  OpenHeadless(640, 480, "ф{+}ф{+}Ф{+}я{+}х{+}ъ{+}б{+}ё{+}1{+}\xD0\x81");
  EXPECT_EQ(graphics::ReadRawKey(), 0xF4);      // raw: code page 1251
  EXPECT_EQ(graphics::ReadCommandKey(), 'A');   // ф
  EXPECT_EQ(graphics::ReadCommandKey(), 'A');   // Ф
  EXPECT_EQ(graphics::ReadCommandKey(), 'Z');   // я
  EXPECT_EQ(graphics::ReadCommandKey(), '[');   // х
  EXPECT_EQ(graphics::ReadCommandKey(), ']');   // ъ
  EXPECT_EQ(graphics::ReadCommandKey(), 0xA1);  // б: CP866, not mapped
  EXPECT_EQ(graphics::ReadCommandKey(), 0xB8);  // ё stays as it is
  EXPECT_EQ(graphics::ReadCommandKey(), '1');
  EXPECT_EQ(graphics::ReadCommandKey(), 0xA8);  // Ё (CP1251) is no CP866 и: not 'B'
  // Every Cyrillic letter of CP1251 lands on a letter, a bracket or its CP866 code.
  for (int b = 0xC0; b <= 0xFF; ++b) {
    const int t = graphics::TranslateCommandKey(static_cast<std::uint8_t>(b));
    const int cp866 = b >= 0xF0 ? b - 0x10 : b - 0x40;
    EXPECT_TRUE((t >= 'A' && t <= 'Z') || t == '[' || t == ']' || t == cp866) << b;
  }
  EXPECT_EQ(graphics::TranslateCommandKey('q'), 'q');
  EXPECT_EQ(graphics::TranslateCommandKey(0x84), 0x84);  // „ is no Д
}

TEST_F(WindowTest, CloseAnsweredNoKeepsQueuedKeysAndYesEnds) {
  OpenHeadless(640, 480, "a{+}b{+}{close-no}c");
  EXPECT_EQ(graphics::ReadRawKey(), 'a');
  EXPECT_EQ(graphics::ReadRawKey(), 'b');
  EXPECT_EQ(graphics::ReadRawKey(), 'c');
  platform::SetHeadlessQuitAnswer(true);
  graphics::PushKey('x');
  Event close;
  close.kind = EventKind::kClose;
  try {
    graphics::WindowProc(close);
    FAIL() << "a confirmed quit must end the program";
  } catch (const platform::ProgramEnd& end) {
    EXPECT_EQ(end.status, 0);
  }
  EXPECT_FALSE(graphics::WindowCreated);
}

TEST_F(WindowTest, ScriptGroupsArriveOnlyWhileTheProgramWaits) {
  OpenHeadless(640, 480, "{PgUp}{+}x{ctrl+Left}{shift+Down}\\r\\e\\t\\b\\\\\\{\\x07{ctrl+z}{wheel -2}");
  EXPECT_FALSE(graphics::KeyAvailable());  // nothing before the first wait
  EXPECT_EQ(graphics::ReadRawKey(), 0);
  EXPECT_EQ(graphics::KeyCount, 2);  // 73 and x came in the same wait
  EXPECT_EQ(ReadAll(), (std::vector<int>{73, 'x', 0, 115, 0, 160, 13, 27, 9, 8, '\\', '{', 7, 26,
                                         0, 73, 0, 73}));
}

TEST_F(WindowTest, TypeAheadArrivesWhenTheWindowOpens) {
  OpenHeadless(640, 480, "{+}q{+}w e");
  EXPECT_EQ(graphics::KeyCount, 2);
  EXPECT_TRUE(graphics::KeyAvailable());
  EXPECT_EQ(ReadAll(), (std::vector<int>{'q', 'w', ' ', 'e'}));
}

TEST_F(WindowTest, ResizeRepaintsOnceForTheFinalSize) {
  static int paints = 0;
  static int last_w = 0;
  paints = 0;
  OpenHeadless(640, 480, "{resize 800 600}{resize 900 700}k{shot resized.png}");
  graphics::PaintHook = [] {
    ++paints;
    last_w = graphics::GetMaxX();
  };
  const int after_open = paints;
  EXPECT_EQ(graphics::ReadRawKey(), 'k');
  EXPECT_EQ(paints, after_open + 1);
  EXPECT_EQ(last_w, 900);
  EXPECT_EQ(graphics::Screen.height, 700);
  ReadAll();
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  ASSERT_TRUE(testing_support::ReadPng("resized.png", px, w, h));
  EXPECT_EQ(w, 900);
  EXPECT_EQ(h, 700);
}

TEST_F(WindowTest, MouseModelAndPointerCount) {
  OpenHeadless(640, 480, "{move 10 20}{click 30 40}");
  int ox = 0, oy = 0;
  graphics::GetClientOrigin(640, 480, ox, oy);
  EXPECT_EQ(ox, platform::kHeadlessOriginX);
  EXPECT_EQ(oy, platform::kHeadlessOriginY);
  int x = 0, y = 0, b = 0;
  // A group arrives only in the GetMouseScreen that follows MouseIdle.
  graphics::GetMouseScreen(x, y, b);
  EXPECT_EQ(graphics::KeyCount, 0);
  graphics::MouseIdle();
  graphics::GetMouseScreen(x, y, b);
  EXPECT_EQ(x, ox + 10);
  EXPECT_EQ(y, oy + 20);
  EXPECT_EQ(b, 0);
  graphics::SetMousePos(500, 400);  // a warp moves the pointer model too
  graphics::GetMouseScreen(x, y, b);
  EXPECT_EQ(x, 500);
  graphics::MouseIdle();
  graphics::GetMouseScreen(x, y, b);
  EXPECT_EQ(x, ox + 30);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(graphics::ReadRawKey(), 32);
  graphics::HideMouse();
  graphics::HideMouse();
  graphics::ShowMouse();
  EXPECT_LT(graphics::PointerDisplayCount, 0);  // still hidden
  graphics::ShowMouse();
  EXPECT_EQ(graphics::PointerDisplayCount, 0);
}

TEST_F(WindowTest, WaitsAdvanceTheVirtualClock) {
  OpenHeadless();
  const auto t0 = graphics::Backend->NowMs();
  graphics::WaitMilliseconds(300);
  EXPECT_EQ(graphics::Backend->NowMs() - t0, 300u);
  EXPECT_TRUE(graphics::YieldTick());
  EXPECT_EQ(graphics::Backend->NowMs() - t0, 301u);
}

}  // namespace
