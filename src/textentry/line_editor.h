// One line of text typed in the text area, with a Latin and a Russian keyboard layout.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace textentry {

struct LineEditorState {
  std::int32_t KeyboardLayout = 0;  // 0 Latin, above 0 Russian
};
extern LineEditorState LineEditorVars;

inline constexpr auto& KeyboardLayout = LineEditorVars.KeyboardLayout;
extern const std::array<std::uint8_t, 95> RussianLayoutTable;  // codes 32..126 to CP866

// Edits `text` (CP866) in place: Enter keeps it, Esc empties it.
void EditLine(std::string_view prompt, std::string& text);

void LineEditorStartUp();

}  // namespace textentry
