// Number input fields: one prompt row with the current value and a typed new value.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace dialogs {

struct NumberFieldState {
  // The letter variables A..Z a number entry may name; nothing assigns them.
  std::array<float, 26> LetterVariables{};
};
extern NumberFieldState NumberFieldVars;

inline constexpr auto& LetterVariables = NumberFieldVars.LetterVariables;

// result: 1 a number was stored, 0 empty entry (value kept), -1 cancelled (value kept).
void EditReal(std::string_view prompt, float& value, int& result);
void EditInteger(std::string_view prompt, int& value, int& result);
std::string FormatNumber(float x, int width, int decimals);
// The field's parser: false for an empty text, else the number (characters after it ignored).
bool ParseNumberText(std::string_view text, float& value);

// A value that must lie above 0 and at most `max` (a scale, an offset: at 0 or below the
// output would be empty or broken). Outside, `message` is shown on row 0 and one key is
// waited for, and true is returned: the caller keeps the value it had.
bool RefuseUnlessPositive(float value, float max, std::string_view message);

void NumberFieldStartUp();

}  // namespace dialogs
