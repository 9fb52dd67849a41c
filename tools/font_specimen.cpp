// Draws every glyph of the built-in stroke font at 7, 14 and 40 pixels into a PNG, so the
// font can be judged by eye:  font_specimen OUT.png
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "dialogs/stroke_font.h"
#include "graphics/driver.h"
#include "graphics/window.h"
#include "platform/headless.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: font_specimen OUT.png\n");
    return 2;
  }
  std::vector<std::string> rows;
  std::string all;
  for (int c = 0; c < 256; ++c) {
    const bool covered = (c >= 32 && c <= 122) || c == 124 || (c >= 128 && c <= 175) || (c >= 224 && c <= 241);
    if (covered) all += static_cast<char>(c);
  }
  for (std::size_t i = 0; i < all.size(); i += 32) rows.push_back(all.substr(i, 32));
  // Running text too: how the letters sit together.
  rows.push_back("The quick brown fox jumps over the lazy dog 0123456789");
  rows.push_back("\x91\xEA\xA5\xE8\xEC \xA6\xA5 \xA5\xE9\xF1 \xED\xE2\xA8\xE5 \xAC\xEF\xA3\xAA\xA8\xE5 "
                 "\xE4\xE0\xA0\xAD\xE6\xE3\xA7\xE1\xAA\xA8\xE5 \xA1\xE3\xAB\xAE\xAA");  // Съешь же ещё этих мягких французских булок

  const int sizes[3] = {7, 14, 40};
  int height = 10;
  for (int h : sizes) height += static_cast<int>(rows.size()) * (2 * h + 4) + 10;
  std::size_t longest = 0;
  for (const auto& r : rows) longest = std::max(longest, r.size());
  const int width = static_cast<int>(longest) * 40 + 20;

  app::StartProgram();
  platform::ConfigureHeadless(width, height, {});
  graphics::SelectBackend(&platform::HeadlessBackend);
  graphics::InitGraphics();
  graphics::SetViewport(0, 0, width, height);
  graphics::SetDrawColor(0);
  graphics::ClearViewport();
  graphics::EnablePixelOutput();
  graphics::SetDrawColor(15);
  dialogs::SetTextEscapeMode(2);  // show '\' and '|' as characters
  int y = 10;
  for (int h : sizes) {
    for (const auto& r : rows) {
      y += 2 * h;
      dialogs::DrawTextRun(r, 10, y, h, h);
      y += 4;
    }
    y += 10;
  }
  if (!graphics::WriteScreenshot(argv[1])) {
    std::fprintf(stderr, "font_specimen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
