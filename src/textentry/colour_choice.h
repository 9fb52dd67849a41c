// Colour choice: the sixteen base colours as swatches in the text area, picked with the
// arrow keys, each optionally with an integer value edited in place.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace textentry {

// title: CP866. show_values non-zero: the values row is shown and a blank edits the value of
// the current colour. colour: on entry the colour to start on (0..15); on exit the choice, or
// -1 after Esc or '['. Values changed before a cancel stay changed.
void ChooseColour(std::string_view title, std::int32_t show_values, std::int32_t& colour,
                  std::array<std::int32_t, 16>& values);

}  // namespace textentry
