#include "textentry/line_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "platform/text.h"
#include "support/capture.h"
#include "support/fixture.h"
#include "view/view_state.h"

namespace {

using platform::Cp866;
using testing_support::Frame;
using testing_support::SameFrame;

// The framebuffer each time the editor reads a byte, and what else it does meanwhile.
std::vector<Frame> g_frames;
std::vector<int> g_escape_modes;
std::vector<int> g_waits;
void Snapshot() {
  g_frames.push_back(graphics::Screen.pixels);
  g_escape_modes.push_back(dialogs::TextEscapeMode);
}
void RecordWait(int ms) { g_waits.push_back(ms); }

class LineEditorTest : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    textentry::LineEditorStartUp();
    g_frames.clear();
    g_escape_modes.clear();
    g_waits.clear();
  }
  void Open(const std::string& script) {
    OpenHeadless(640, 480, script);
    reads_.Start(Snapshot, graphics::ReadRawKey);
    graphics::WaitMilliseconds = RecordWait;
  }
  static std::string Edit(std::string text, const char* prompt = "Name") {
    textentry::EditLine(Cp866(prompt), text);
    return text;
  }
  // Draws on the text area at baseline y, for reference pictures.
  static void DrawAt(const std::string& text, int x, int y, int colour = dialogs::TextColour) {
    graphics::SetViewport(0, view::DrawAreaHeight, view::ClientWidth, view::ClientHeight);
    graphics::SetDrawColor(colour);
    dialogs::DrawTextRun(text, x, y, dialogs::CharHeight, dialogs::CharWidth);
  }
  testing_support::KeyReads reads_;
};

TEST(RussianLayoutTable, GivesTheRussianTypewriterArrangementInCp866) {
  std::vector<std::pair<char, std::string>> changed;
  const std::string latin = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const std::string russian = Cp866("ФИСВУАПРШОЛДЬТЩЗЙКЫЕГМЦЧНЯфисвуапршолдьтщзйкыегмцчня");
  ASSERT_EQ(russian.size(), latin.size());
  for (std::size_t i = 0; i < latin.size(); ++i) changed.emplace_back(latin[i], russian.substr(i, 1));
  const std::pair<char, const char*> others[] = {
      {'"', "Э"}, {'#', "N"}, {'$', ";"}, {'&', "?"}, {'\'', "э"}, {',', "б"}, {'.', "ю"}, {'/', "."},
      {':', "Ж"}, {';', "ж"}, {'<', "Б"}, {'>', "Ю"}, {'?', ","}, {'@', "\""}, {'[', "х"}, {']', "ъ"},
      {'^', ":"}, {'`', "ё"}, {'{', "Х"}, {'|', "/"}, {'}', "Ъ"}, {'~', "Ё"},
  };
  for (const auto& [key, text] : others) changed.emplace_back(key, Cp866(text));

  std::string expected;
  for (int c = 32; c <= 126; ++c) expected.push_back(static_cast<char>(c));
  for (const auto& [key, text] : changed) {
    ASSERT_EQ(text.size(), 1u) << key;
    expected[static_cast<unsigned char>(key) - 32] = text[0];
  }
  for (int c = 32; c <= 126; ++c)
    EXPECT_EQ(textentry::RussianLayoutTable[c - 32], static_cast<unsigned char>(expected[c - 32]))
        << "key " << static_cast<char>(c);
}

TEST_F(LineEditorTest, CtrlASwitchesToRussianAndTheLayoutPersists) {
  Open(R"({ctrl+a}ghbdtn\rZ1#`-\r{ctrl+a}ghbdtn\r)");
  EXPECT_EQ(Edit(""), Cp866("привет"));
  EXPECT_EQ(textentry::KeyboardLayout, 1);
  EXPECT_EQ(Edit(""), Cp866("Я1Nё-"));  // still Russian in the next edit
  EXPECT_EQ(Edit(""), "ghbdtn");
  EXPECT_EQ(textentry::KeyboardLayout, 0);
}

TEST_F(LineEditorTest, ScreenShowsPromptTextCursorAndTheHelpOfEachLayout) {
  Open(R"({ctrl+a}{ctrl+a}\r)");
  dialogs::LanguageIndex = 1;
  EXPECT_EQ(Edit("ab", "Имя;File"), "ab");
  ASSERT_EQ(g_frames.size(), 3u);
  const Frame latin = g_frames[0], russian = g_frames[1];
  EXPECT_TRUE(SameFrame(g_frames[2], latin));  // twice switched: the first help again
  EXPECT_FALSE(SameFrame(russian, latin));

  const int p = dialogs::RowPitch, cw = dialogs::CharWidth, plen = 4, right = 40 * cw + 5;
  auto reference = [&](bool is_russian) {
    dialogs::ClearTextArea();
    DrawAt("File    :", 5, p);
    DrawAt("ab", (plen + 6) * cw, p);
    DrawAt("-", (plen + 5 + 3) * cw, 2 * p + 1);  // under character 3, after the text
    DrawAt(Cp866(is_russian ? "Русский шрифт." : "Латинский шрифт."), 5, 3 * p + 1);
    DrawAt(Cp866("Переключение - Ctrl-A."), 5, 4 * p + 1);
    DrawAt(is_russian ? Cp866("Знаки ! \" ") + "\xFC" + " ; % : ? * ( )"
                      : Cp866("Знаки ! @ # $ % ^ & * ( )"),
           right, 3 * p + 1);
    DrawAt("Shift 1 2 3 4 5 6 7 8 9 0", right, 4 * p + 1);
    return graphics::Screen.pixels;
  };
  EXPECT_TRUE(SameFrame(reference(false), latin));
  EXPECT_TRUE(SameFrame(reference(true), russian));
}

TEST_F(LineEditorTest, CursorKeysBackspaceAndDeleteStopAtTheEnds) {
  Open(R"({Left}{Left}{Left}{Left}\bZ\r)"        // Left and Backspace at pos 1 do nothing
       R"({Right}{Left}{Right}{Right}Z\r)"        // Right at the end does nothing
       R"({Left}\b\r)"                            // Backspace removes the character before
       R"({Left}{Left}\x00S\r\x00S\r)"            // 0,83 deletes at the cursor, not at the end
       R"({Left}{Delete}{Up}{F1}\r)"              // no 0,83 from the window layer; F1 does nothing
       R"({Left}{Left}XY\r)");
  EXPECT_EQ(Edit("abc"), "Zabc");
  EXPECT_EQ(Edit("abc"), "abcZ");
  EXPECT_EQ(Edit("abc"), "ac");
  EXPECT_EQ(Edit("abc"), "ac");
  EXPECT_EQ(Edit("abc"), "abc");
  EXPECT_EQ(Edit("abc"), "abc");
  EXPECT_EQ(Edit("abc"), "aXYbc");
}

TEST_F(LineEditorTest, EnterKeepsEscEmptiesAndControlCodesAreText) {
  Open(R"(\r\rxyz\e\t\r)");
  EXPECT_EQ(Edit(""), "");
  EXPECT_EQ(Edit("abc"), "abc");
  EXPECT_EQ(Edit("abc"), "");
  EXPECT_EQ(Edit("a"), "a\t");
}

TEST_F(LineEditorTest, Cp1251LettersAreInsertedAsTheirCp866Letters) {
  // The script's Cyrillic letters arrive as code page 1251 bytes (ф is 0xF4).
  Open(R"(фЁёЯ\r{ctrl+a}ф\r{ctrl+a}\x98\x88a\r)");
  EXPECT_EQ(Edit(""), Cp866("фЁёЯ"));
  EXPECT_EQ(Edit(""), Cp866("ф"));
  // Bytes with no CP866 character (unassigned 0x98, the euro sign 0x88) are left out.
  EXPECT_EQ(Edit(""), "a");
}

TEST_F(LineEditorTest, EditsEraseWhatTheyReplace) {
  Open(R"(ab\b{Left}{Right}\r)");
  EXPECT_EQ(Edit(""), "a");
  // Frames: before a, b, Backspace, 0, 75 (Left), 0, 77 (Right), Enter.
  ASSERT_EQ(g_frames.size(), 8u);
  EXPECT_FALSE(SameFrame(g_frames[2], g_frames[1]));
  EXPECT_TRUE(SameFrame(g_frames[3], g_frames[1]));  // text "a", cursor after it, nothing left of b
  EXPECT_FALSE(SameFrame(g_frames[5], g_frames[3]));
  EXPECT_TRUE(SameFrame(g_frames[7], g_frames[3]));  // the cursor went and came back
}

TEST_F(LineEditorTest, EnterEchoesTheTextRightOfTheCursorWaitsAndRestoresTheState) {
  Open(R"(ab{Left}\r)");
  graphics::SetDrawColor(4);
  EXPECT_EQ(Edit(""), "ab");
  EXPECT_EQ(g_waits, (std::vector<int>{100}));
  for (int mode : g_escape_modes) EXPECT_EQ(mode, 1);
  EXPECT_EQ(dialogs::TextEscapeMode, 0);
  EXPECT_EQ(graphics::GetDrawColor(), 4);

  const graphics::ViewportRec after = graphics::Viewport;
  const Frame final_frame = graphics::Screen.pixels;
  graphics::Screen.pixels = g_frames.back();
  const int plen = 4, pos = 2;
  DrawAt("ab", (plen + 5 + pos + 3) * dialogs::CharWidth, dialogs::RowPitch);
  EXPECT_TRUE(SameFrame(graphics::Screen.pixels, final_frame));

  dialogs::SetInnerDrawViewport();
  EXPECT_EQ(after.left, graphics::Viewport.left);
  EXPECT_EQ(after.top, graphics::Viewport.top);
  EXPECT_EQ(after.right, graphics::Viewport.right);
  EXPECT_EQ(after.bottom, graphics::Viewport.bottom);
}

}  // namespace
