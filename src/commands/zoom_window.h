// The zoom window: two corners picked with the graphic cursor.
#pragma once
#include <cstdint>

namespace commands {

void ZoomWindowStartUp();
void ZoomWindow(float& u1, float& v1, float& u2, float& v2, std::uint8_t& key);
// The keys that end a corner's cursor without a zoom: Enter, Esc, '[' and ']'.
bool EndsWithoutZoom(std::uint8_t key);
void CrossFeedback(float x, float y, float z);
void RectFeedback(float x, float y, float z);

}  // namespace commands
