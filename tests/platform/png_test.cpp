#include "platform/png.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::ReadPng;

class PngTest : public testing_support::ProgramTest {};

// Lossless either way: indexed up to 256 colours, RGB (filtered) above; odd sizes and
// colours that differ in one channel only.
TEST_F(PngTest, DecodesToThePixelsWrittenIndexedOrRgb) {
  std::mt19937 rng(7);
  for (const int colours : {1, 256, 257, 3000}) {
    std::vector<std::uint32_t> set(static_cast<std::size_t>(colours));
    for (int i = 0; i < colours; ++i) set[i] = i < 3 ? 0x010000u >> (8 * i) : rng() & 0xFFFFFFu;
    const int w = 97, h = 61;
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = set[i < set.size() ? i : rng() % set.size()];
    const std::size_t distinct = std::set<std::uint32_t>(px.begin(), px.end()).size();
    for (const auto form : {platform::PngForm::kRgb, platform::PngForm::kSmallest}) {
      ASSERT_TRUE(platform::WritePng("a.png", px.data(), w, h, form));
      std::vector<std::uint32_t> back;
      int bw = 0, bh = 0;
      ASSERT_TRUE(ReadPng("a.png", back, bw, bh)) << colours;
      EXPECT_EQ(bw, w);
      EXPECT_EQ(bh, h);
      EXPECT_EQ(back, px) << colours;
      const bool indexed = form == platform::PngForm::kSmallest && distinct <= 256;
      EXPECT_EQ(ReadFile("a.png")[25], indexed ? 3 : 2) << "colour type, " << colours;
    }
  }
  std::string bytes;
  const std::uint32_t one = 0;
  EXPECT_FALSE(platform::EncodePng(&one, 0, 1, bytes));
}

}  // namespace
