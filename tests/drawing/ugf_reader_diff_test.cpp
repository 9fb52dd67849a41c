// The fast reader against the plain one: the same records, lines and errors on random and
// awkward drawings, whatever the block size and however many records are asked for at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "drawing/ugf_reader.h"
#include "drawing/ugf_reader_reference.h"
#include "platform/errors.h"
#include "platform/system.h"

namespace {

struct Outcome {
  std::vector<drawing::UgfRecord> records;
  std::vector<long> lines;
  int code = 0;
  long line = 0;
  std::string what;

  bool operator==(const Outcome& o) const {
    return records.size() == o.records.size() &&
           std::equal(records.begin(), records.end(), o.records.begin(),
                      [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; }) &&
           lines == o.lines && code == o.code && line == o.line && what == o.what;
  }
};

// Reads until a negative pen; `batch` > 0 reads that many records at a time (no lines then).
template <class Reader>
Outcome ReadAll(const std::string& path, std::size_t block, std::size_t batch = 0) {
  Outcome o;
  try {
    Reader r(block);
    r.Open(path, "D.UGF");
    std::vector<drawing::UgfRecord> rec(std::max<std::size_t>(batch, 1));
    for (;;) {
      std::size_t n = 0;
      if constexpr (requires { r.Read(rec.data(), batch); }) {
        if (batch > 0) n = r.Read(rec.data(), batch);
      }
      if (batch == 0 && r.Next(rec[0])) {
        n = 1;
        o.lines.push_back(r.line());
      }
      o.records.insert(o.records.end(), rec.begin(), rec.begin() + static_cast<long>(n));
      if (n == 0 || o.records.back().pen < 0) break;
    }
  } catch (const platform::RunTimeFailure& f) {
    o.code = f.code();
    o.line = f.line();
    o.what = f.what();
  }
  return o;
}

// Numbers of every form, and some that are not numbers, in every layout.
std::string RandomDrawing(std::mt19937& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto digits = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + pick(10));
    return s;
  };
  static const char* const kSpecial[] = {
      "16777217", "16777216.5", "33554435.", "1.000000059604644775390625", "0.1", "-0", "+.5",
      "3.4028235e38", "1e-45", "7e-46", "2147483647", "-2147483648", "99999999", "1.",
      "9007199254740993", "0.30000001192092896", "1E-0", "-.0e99999",
      "0.08933727070689201", "0.7406630218029022", "6.299455404281616"};  // a double tie, not a float one
  static const char* const kBad[] = {"3.4028236e38", "1e39", "2147483648", "123456789", ".", "-",
                                     "+", "e5", "1e", "1e+", "1.2.3", "0x1A", "inf", "nan", "1,5", "--1"};
  static const char* const kBlanks[] = {" ", " ", " ", "  ", "\t", " \t ", "\r\n", "\n", "\r", "   \r\n  "};
  static const char* const kPens[] = {"2147483647", "+7", "-0", "99999999", "000000000012"};
  int bad = 0;  // one bad number in about this many (0: none)
  bool plain = false;  // only numbers as the writers write them
  auto number = [&](bool integer) -> std::string {
    if (bad != 0 && pick(bad) == 0) {
      if (pick(2)) return kBad[pick(std::size(kBad))];
      std::string s = digits(1 + pick(4));
      s.insert(s.begin() + pick(static_cast<int>(s.size()) + 1), static_cast<char>(pick(256)));
      return s;
    }
    // A negative pen ends the data: pens get one only by the terminator or rarely.
    const std::string sign = pick(integer ? 500 : 4) == 0 ? "-" : (pick(10) == 0 ? "+" : "");
    if (plain) return sign + digits(integer ? 1 : 1 + pick(4)) + (integer ? "" : "." + digits(2));
    switch (pick(12)) {
      case 0:
        return integer ? kPens[pick(std::size(kPens))] : kSpecial[pick(std::size(kSpecial))];
      case 1:  // long: across blocks, beyond the token limit
        return sign + std::string(pick(3) ? 30 : 5000, '0') + digits(1 + pick(integer ? 9 : 40)) +
               (!integer && pick(2) ? "e-" + digits(1 + pick(3)) : "");
      default:
        if (integer) return sign + digits(1 + pick(pick(5) == 0 ? 9 : 3));
        std::string s = sign + digits(pick(pick(4) == 0 ? 18 : 5));
        if (s.size() == sign.size() || pick(3)) s += "." + digits(1 + pick(pick(4) == 0 ? 20 : 4));
        if (pick(8) == 0) s += std::string(pick(2) ? "e" : "E") + (pick(2) ? "-" : "") + digits(1 + pick(2));
        return s;
    }
  };
  bad = pick(4) == 0 ? 8 : 0;
  plain = pick(3) == 0;
  std::string text = pick(5) ? " X   Y   PenNo\r\n" : "label";
  const int records = plain ? 100 + pick(300) : pick(pick(4) == 0 ? 400 : 60);
  const int bad_record = pick(plain ? 2 : 4) == 0 ? pick(records + 1) : -1;  // or a single one, anywhere
  for (int i = 0; i < records; ++i) {
    if (i == bad_record) text += kBad[pick(std::size(kBad))] + std::string(" ");
    if (!plain && pick(20) == 0) text += std::string(pick(40), ' ');
    auto blank = [&] { return plain ? " " : kBlanks[pick(std::size(kBlanks))]; };
    text += number(false) + blank() + number(false) + blank();
    text += pick(records) == 0 ? "-1" : number(true);
    if (!plain && pick(10) == 0) text += " the rest" + std::string(pick(300), '.');
    if (pick(200) == 0) text += "\x1A";
    text += pick(3) ? "\r\n" : "\n";
  }
  return text;
}

TEST(UgfReaderDiffTest, FastReaderGivesWhatThePlainOneGives) {
  std::string dir;
  ASSERT_EQ(platform::CreateUniqueFolder(platform::TempFolder(), "ugf_diff_", dir), 0);
  const std::string path = dir + "/D.UGF";
  std::mt19937 rng(2024);
  int errors = 0, cases = 0;
  for (int i = 0; i < 1000; ++i) {
    std::string text = RandomDrawing(rng);
    if (i % 5 == 0) text.resize(rng() % (text.size() + 1));  // a file cut anywhere
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    const Outcome want = ReadAll<drawing::ReferenceUgfReader>(path, drawing::UgfReader::kDefaultBlockSize);
    errors += want.code != 0;
    ++cases;
    for (const std::size_t block : {std::size_t{1} + i % 7, std::size_t{300}, std::size_t{1} << 20}) {
      ASSERT_TRUE(ReadAll<drawing::UgfReader>(path, block) == want) << "block " << block << ":\n" << text;
    }
    Outcome batched = want;
    batched.lines.clear();
    ASSERT_TRUE(ReadAll<drawing::UgfReader>(path, i % 4 == 1 ? 64 : 1 << 20, i % 2 ? 4096 : 1 + i % 7) == batched)
        << text;
  }
  // Both outcomes must be well represented.
  EXPECT_GT(errors, cases / 5);
  EXPECT_LT(errors, cases * 4 / 5);
  std::filesystem::remove_all(dir);
}

}  // namespace
