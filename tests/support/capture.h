// Test support: the samples, pictures of the screen, and what happens at each key read.
#pragma once
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/driver.h"

namespace testing_support {

// The path of a drawing in samples/ (the folder itself, ending in '/', for "").
std::string Sample(std::string_view name);

// Framebuffer pixels (0x00RRGGBB), row by row.
using Frame = std::vector<std::uint32_t>;

// Client rows y0..y1-1, the text rows below the drawing area, and the drawing area.
Frame ClientRows(int y0, int y1);
Frame TextArea();
Frame DrawArea();

// The box of the pixels that differ, in client coordinates (over the shorter frame's length).
struct PixelBox {
  int x1 = INT_MAX, y1 = INT_MAX, x2 = -1, y2 = -1;
  bool empty() const { return x2 < 0; }
};
PixelBox Diff(const Frame& a, const Frame& b);

// Equal frames; else where they differ.
::testing::AssertionResult SameFrame(const Frame& a, const Frame& b);

// Stands in front of a key-read hook: each read calls `before`, then reads and keeps the key.
// One at a time; the destructor puts the hook back.
class KeyReads {
 public:
  using ReadHook = platform::Hook<std::uint8_t()>;
  KeyReads() = default;
  KeyReads(const KeyReads&) = delete;
  KeyReads& operator=(const KeyReads&) = delete;
  ~KeyReads() { Stop(); }
  void Start(std::function<void()> before, ReadHook& hook = graphics::ReadCommandKey);
  void Stop();
  const std::vector<std::uint8_t>& keys() const { return keys_; }

 private:
  static std::uint8_t Read();
  std::function<void()> before_;
  ReadHook* hook_ = nullptr;
  ReadHook next_ = nullptr;
  std::vector<std::uint8_t> keys_;
};

}  // namespace testing_support
