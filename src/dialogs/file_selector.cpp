#include "dialogs/file_selector.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "dialogs/stroke_font.h"
#include "dialogs/text_area.h"
#include "graphics/driver.h"
#include "graphics/keys.h"
#include "graphics/window.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"
#include "view/redraw.h"
#include "view/view_state.h"

namespace dialogs {

namespace keys = graphics::keys;

constinit FileSelectorState FileSelectorVars;

namespace {

constexpr std::size_t kShownName = 16;
constexpr std::size_t kFirstLineLength = 34;

struct FileSelectorLocal {
  // The header as last drawn, so that a message can erase it.
  std::string header;
};
constinit FileSelectorLocal g;
constexpr std::string& g_header = g.header;

int Columns(int mode) { return mode <= 0 ? 8 : 2; }
int ColumnWidth(int mode) { return mode <= 0 ? 80 : graphics::GetMaxX() / 2; }

// A repaint inside a key read may leave another viewport set: each draw names the rows.
void TextAreaViewport(int colour) {
  SetTextAreaViewport();
  graphics::SetDrawColor(colour);
}

// ".." first, then by display name, then by real name.
bool Before(const std::string& name, const std::string& real, int i) {
  const bool up = name == "..", other_up = FileList[i] == "..";
  if (up != other_up) return up;
  if (name != FileList[i]) return name < FileList[i];
  return real < FileRealNames[i];
}

// Keeps the 200 smallest entries, ascending.
void Insert(std::string name, std::string real) {
  if (FileCount == kMaxFiles && !Before(name, real, kMaxFiles - 1)) return;
  int pos = std::min(FileCount, kMaxFiles - 1);
  for (; pos > 0 && Before(name, real, pos - 1); --pos) {
    FileList[pos] = std::move(FileList[pos - 1]);
    FileRealNames[pos] = std::move(FileRealNames[pos - 1]);
  }
  FileList[pos] = std::move(name);
  FileRealNames[pos] = std::move(real);
  if (FileCount < kMaxFiles) ++FileCount;
}

std::string CurrentDirectory() { return platform::Cp866(platform::NativePath(platform::CurrentFolder())); }

// The first line of a drawing, its title; empty when the file cannot be read.
std::string FirstLine(const std::string& path) {
  // Not blocking on a file that became a pipe since the listing.
  platform::SysFile f;
  if (platform::OpenForReading(path, f, true) != 0 || !platform::IsPlainFile(f)) return {};
  char buf[kFirstLineLength];
  int err = 0;
  const long long n = platform::ReadSome(f, buf, sizeof buf, err);
  if (n <= 0) return {};
  std::string line(buf, static_cast<std::size_t>(n));
  line.resize(std::min(line.find_first_of("\r\n"), line.size()));
  return line;
}

// A name wider than its cell is squeezed into it; a long one ends in '>'.
std::string ShownName(const std::string& name) {
  if (name.size() <= kShownName) return name;
  return name.substr(0, kShownName - 1) + '>';
}

int MarkY(int row, int top) { return (row - top) * (RowPitch + 1) + 2 * RowPitch; }

void DrawMarks(int mode, int column, int row, int top, int colour) {
  TextAreaViewport(colour);
  const int x = (column - 1) * ColumnWidth(mode);
  DrawTextRun("[", x, MarkY(row, top), CharHeight, CharWidth);
  DrawTextRun("]", x + 10 * CharWidth, MarkY(row, top), CharHeight, CharWidth);
}

// Instead of the header until the list is drawn again.
void ShowHeaderMessage(const std::string& text) {
  TextAreaViewport(TextBackColour);
  SetTextEscapeMode(2);
  DrawTextRun(g_header, 90, RowPitch, CharHeight, CharWidth);
  graphics::SetDrawColor(TextColour);
  DrawTextRun(text, 1, RowPitch, CharHeight, CharWidth);
  SetTextEscapeMode(0);
}

}  // namespace

void FileSelectorStartUp() {
  FileSelectorVars = {};
  g = {};
}

std::string AnsiToDos(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 192 && b <= 239) ch = static_cast<char>(b - 64);
    else if (b >= 240) ch = static_cast<char>(b - 16);
    else if (b == 168) ch = static_cast<char>(240);
    else if (b == 184) ch = static_cast<char>(241);
  }
  return out;
}

std::string SelectorDisplayName(std::string_view base) {
  std::string name = platform::Cp866(base);
  for (char& ch : name)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  if (name.size() > kFileNameLength) name.resize(kFileNameLength);
  return name;
}

void ReadDirectory(std::string_view mask) {
  platform::DirEntry e;
  graphics::FindFirstEntry(ListDirectories ? 1 : 0, std::string(mask), e);
  SelectorExtension = e.attr >= 0 ? platform::Cp866(e.ext).substr(0, 4) : std::string();
  FileCount = 0;
  // Every entry is looked at: the list holds the smallest names, not the first found.
  while (e.attr >= 0) {
    if (!ListDirectories && e.base.empty() && e.attr == 0) break;
    if (!e.base.empty() && (!ListDirectories || e.attr == platform::kAttrDirectory))
      Insert(e.base[0] == '.' ? std::string("..") : SelectorDisplayName(e.base), e.name);
    graphics::FindNextEntry(e);
  }
  for (int i = FileCount; i < kMaxFiles; ++i) {
    FileList[i].clear();
    FileRealNames[i].clear();
  }
}

void DrawFileList(int mode, int top, int& row_count) {
  const int columns = Columns(mode);
  const int col_width = ColumnWidth(mode);
  row_count = (FileCount + columns - 1) / columns;
  SetTextEscapeMode(2);

  char count[16];
  std::snprintf(count, sizeof count, "%3d", FileCount);
  const std::string tail =
      platform::Cp866(ListDirectories ? "  Каталогов " : "   Файлов ") + count +
      platform::Cp866(" Стрелки,Enter-Выбор, TAB-") +
      platform::Cp866(ListDirectories ? "файлы" : "каталоги");
  // A deep folder keeps its last part, so that the count and the help stay in sight.
  std::string folder = CurrentDirectory();
  const long room =
      CharWidth > 0 ? (view::ClientWidth - 90L) / CharWidth - static_cast<long>(tail.size()) : 0;
  if (room > 3 && static_cast<long>(folder.size()) > room)
    folder = "..." + folder.substr(folder.size() - static_cast<std::size_t>(room - 3));
  g_header = folder + tail;

  ClearTextArea();
  TextAreaViewport(TextColour);
  DrawTextRun(g_header, 90, RowPitch, CharHeight, CharWidth);

  const int name_cell = std::max(1, std::min(col_width, 10 * CharWidth) - 12);
  const int title_cell = col_width - 12 * CharWidth;
  for (int r = top; r <= std::min(top + 2, row_count); ++r) {
    for (int c = 1; c <= columns; ++c) {
      const int i = (r - 1) * columns + c;
      if (i > FileCount) continue;
      const int x0 = (c - 1) * col_width;
      const int y = (r - top) * (RowPitch + 1) + 2 * RowPitch - 1;
      DrawTextFitted(ShownName(FileList[i - 1]), x0 + 10, y, CharHeight, CharWidth, name_cell);
      if (mode > 0 && !ListDirectories && title_cell > 0)
        DrawTextFitted(FirstLine(FileRealNames[i - 1]), x0 + 11 * CharWidth, y, CharHeight, CharWidth,
                       title_cell);
    }
  }
  SetTextEscapeMode(0);
}

namespace {
// The selector that waits for keys, as a repaint draws it again: the list and the marks.
struct SelectorRows {
  int mode = 1;
  const int* top = nullptr;
  const int* column = nullptr;
  const int* row = nullptr;
};
SelectorRows g_selector;

void DrawSelector() {
  int row_count = 0;
  DrawFileList(g_selector.mode, *g_selector.top, row_count);
  DrawMarks(g_selector.mode, *g_selector.column, *g_selector.row, *g_selector.top, TextColour);
  SetInnerDrawViewport();
}
}  // namespace

void SelectFile(int mode, std::string_view mask, std::string& name) {
  const int columns = Columns(mode);
  ListDirectories = false;
  name.clear();
  SelectedPath.clear();
  for (;;) {
    ClearTextArea();
    ReadDirectory(mask);
    int top = 1, row_count = 0;
    DrawFileList(mode, top, row_count);
    int column = 1, row = 1;
    g_selector = {mode, &top, &column, &row};
    const view::TextRowsOnRepaint repaint(DrawSelector);
    // A paint hook that draws no text rows leaves them to the next key.
    std::uint64_t repaints = graphics::RepaintCount;
    bool message_shown = false;
    std::uint8_t key = 0;
    for (;;) {
      DrawMarks(mode, column, row, top, TextColour);
      key = graphics::ReadCommandKey();
      DrawMarks(mode, column, row, top, TextBackColour);
      // A repaint may have drawn over the rows; a message gives the header back.
      if (repaints != graphics::RepaintCount || message_shown) {
        DrawFileList(mode, top, row_count);
        repaints = graphics::RepaintCount;
        message_shown = false;
      }
      if (key == keys::kExtended) {
        switch (graphics::ReadRawKey()) {
          case keys::kLeft:
            if (column > 1) --column;
            break;
          case keys::kRight:
            if (column < columns) ++column;
            break;
          case keys::kUp:
            if (row > top) {
              --row;
            } else if (top > 1) {
              --top;
              DrawFileList(mode, top, row_count);
              row = top;
            }
            break;
          case keys::kDown:
            if (row < top + 2) {
              ++row;
            } else if (row < row_count) {
              ++top;
              DrawFileList(mode, top, row_count);
              row = top + 2;
            }
            break;
          default:
            break;
        }
        continue;
      }
      if (key == keys::kEnter && ListDirectories) {
        const int i = (row - 1) * columns + column;
        if (i < 1 || i > FileCount) break;  // an empty cell: the same folder again
        if (platform::ChangeFolder(FileRealNames[i - 1])) break;
        ShowHeaderMessage(platform::Cp866("Нельзя войти в каталог ") + FileList[i - 1]);
        message_shown = true;
        continue;
      }
      if (key == keys::kEsc || key == keys::kEnter || key == keys::kTab) break;
    }
    if (key == keys::kTab) {
      ListDirectories = !ListDirectories;
      continue;
    }
    if (key == keys::kEnter && ListDirectories) continue;
    if (key == keys::kEnter) {
      const int i = (row - 1) * columns + column;
      if (i >= 1 && i <= FileCount) {
        name = FileList[i - 1];
        SelectedPath = FileRealNames[i - 1];
      }
    }
    break;
  }
  SetInnerDrawViewport();
}

}  // namespace dialogs
