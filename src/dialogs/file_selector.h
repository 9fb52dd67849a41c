// The file selector: picks a drawing from the current folder, or moves through folders,
// inside the four text rows at the bottom of the window.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace dialogs {

inline constexpr int kMaxFiles = 200;
inline constexpr std::size_t kFileNameLength = 32;

struct FileSelectorState {
  // Entry i (1..FileCount) is FileList[i - 1]: the display name (base name in CP866, Latin
  // letters upper-cased, at most 32 characters) and the real name in the folder, for opening.
  std::array<std::string, kMaxFiles> FileList;
  std::array<std::string, kMaxFiles> FileRealNames;
  int FileCount = 0;
  bool ListDirectories = false;
  // Extension of the first entry of the last listing (at most 4 characters, dot included).
  std::string SelectorExtension;
  // The real name of the file last chosen, relative to the current folder; empty when cancelled.
  std::string SelectedPath;
};
extern FileSelectorState FileSelectorVars;

inline constexpr auto& FileList = FileSelectorVars.FileList;
inline constexpr auto& FileRealNames = FileSelectorVars.FileRealNames;
inline constexpr auto& FileCount = FileSelectorVars.FileCount;
inline constexpr auto& ListDirectories = FileSelectorVars.ListDirectories;
inline constexpr auto& SelectorExtension = FileSelectorVars.SelectorExtension;
inline constexpr auto& SelectedPath = FileSelectorVars.SelectedPath;

void FileSelectorStartUp();

// Code page 1251 to 866.
std::string AnsiToDos(std::string_view text);
// Display name of a base name from the file system (UTF-8).
std::string SelectorDisplayName(std::string_view base);

// Lists the current folder: files matching `mask`, or the folders.
void ReadDirectory(std::string_view mask);
// Header and the three visible rows from row `top` (counted from 1); row_count is the
// number of rows of the whole list.
void DrawFileList(int mode, int top, int& row_count);
// mode > 0: two columns with each drawing's first line; mode <= 0: eight narrow columns.
// `name` is the chosen display name, empty when cancelled or an empty cell was chosen.
void SelectFile(int mode, std::string_view mask, std::string& name);

}  // namespace dialogs
