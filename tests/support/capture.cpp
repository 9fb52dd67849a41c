#include "support/capture.h"

#include <algorithm>

#include "view/view_state.h"

namespace testing_support {

std::string Sample(std::string_view name) {
  return std::string(UGF_SOURCE_DIR) + "/samples/" + std::string(name);
}

Frame ClientRows(int y0, int y1) {
  Frame p;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < view::ClientWidth; ++x) p.push_back(graphics::PixelAt(x, y));
  return p;
}

Frame TextArea() { return ClientRows(view::DrawAreaHeight, view::ClientHeight); }
Frame DrawArea() { return ClientRows(0, view::DrawAreaHeight); }

PixelBox Diff(const Frame& a, const Frame& b) {
  PixelBox box;
  const std::size_t w = static_cast<std::size_t>(std::max(graphics::Screen.width, 1));
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
    box.x1 = std::min(box.x1, x);
    box.y1 = std::min(box.y1, y);
    box.x2 = std::max(box.x2, x);
    box.y2 = std::max(box.y2, y);
  }
  return box;
}

::testing::AssertionResult SameFrame(const Frame& a, const Frame& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << "sizes differ: " << a.size() << " and " << b.size();
  const PixelBox d = Diff(a, b);
  if (d.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixels differ in x " << d.x1 << ".." << d.x2 << ", y "
                                       << d.y1 << ".." << d.y2;
}

namespace {
KeyReads* g_active = nullptr;
}  // namespace

void KeyReads::Start(std::function<void()> before, ReadHook& hook) {
  if (g_active != nullptr) g_active->Stop();
  before_ = std::move(before);
  keys_.clear();
  hook_ = &hook;
  next_ = hook;
  hook = Read;
  g_active = this;
}

void KeyReads::Stop() {
  if (g_active != this) return;
  *hook_ = next_;
  g_active = nullptr;
}

std::uint8_t KeyReads::Read() {
  KeyReads& r = *g_active;
  if (r.before_) r.before_();
  const std::uint8_t key = r.next_();
  r.keys_.push_back(key);
  return key;
}

}  // namespace testing_support
