#include "drawing/ugf_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace drawing {
namespace {

void NoProgress(long) {}

constexpr char kDosEof = 0x1A;

constexpr std::array<bool, 256> kEndsNumber = [] {
  std::array<bool, 256> t{};
  t[' '] = t['\t'] = t['\r'] = t['\n'] = true;
  return t;
}();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool EndsNumber(char c) { return kEndsNumber[static_cast<unsigned char>(c)]; }

// --- records as writers write them -------------------------------------------------------
// "%5.2f %5.2f %d" and the like: whole records at a time, straight from the buffer, each
// number in one pass over its digits. The loops stop at the 0 that follows the data.

// Spaces and tabs.
[[gnu::always_inline]] inline const char* SkipRecordBlanks(const char* p) {
  while (*p == ' ') ++p;
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// Powers of ten a float holds exactly (5^10 < 2^24), and 10^-k rounded to double.
constexpr std::array<float, 11> kPow10Single = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr std::array<double, 20> kTenths = {
    1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,  1e-8,  1e-9,
    1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15, 1e-16, 1e-17, 1e-18, 1e-19};

// The nearest float to m × 10^-k (m < 2^53, k < 20), negated if asked; false when that
// takes more than this, and the general parser decides.
[[gnu::always_inline]] inline bool ScaledSingle(std::uint64_t m, long k, bool neg, float& out) {
  float f;
  if (m <= (1u << 24) && k <= 10) {
    // Both operands exact, one rounding.
    f = static_cast<float>(m) / kPow10Single[static_cast<std::size_t>(k)];
  } else {
    // m is exact and 10^-k off by half a unit at most, so q lies within two units of the
    // exact value. Rounding q to float gives the nearest float to the exact value unless a
    // point halfway between two floats lies that close (each such point is a double).
    const double q = static_cast<double>(m) * kTenths[static_cast<std::size_t>(k)];
    const std::uint64_t below = (std::bit_cast<std::uint64_t>(q) + 4) & 0x1FFFFFFFu;
    if (below - 0x10000000u <= 8 && k > 0) return false;
    f = static_cast<float>(q);
  }
  out = std::bit_cast<float>(std::bit_cast<std::uint32_t>(f) ^ (static_cast<std::uint32_t>(neg) << 31));
  return true;
}

// Appends the digits at p to m; returns the byte after them.
[[gnu::always_inline]] inline const char* TakeDigits(const char* p, std::uint64_t& m) {
  for (std::uint64_t d; (d = static_cast<unsigned char>(*p) - std::uint64_t{'0'}) < 10; ++p) m = m * 10 + d;
  return p;
}

// [+|-] digits [. digits] with 1..19 digits, ended by a blank or a line end, at p; null when
// the general parser must decide.
[[gnu::always_inline]] inline const char* FastReal(const char* p, float& out) {
  const bool neg = *p == '-';
  p += neg || *p == '+';
  const char* const first = p;
  std::uint64_t m = 0;
  p = TakeDigits(p, m);
  const long n_int = p - first;
  long n_frac = 0;
  if (*p == '.') {
    const char* const f = ++p;
    p = TakeDigits(p, m);
    n_frac = p - f;
  }
  const long n = n_int + n_frac;
  if (n == 0 || n > 19 || !EndsNumber(*p) || m >= (std::uint64_t{1} << 53)) return nullptr;
  return ScaledSingle(m, n_frac, neg, out) ? p : nullptr;
}

// The fast path looks at eight bytes at a time: the first byte in the lowest.
static_assert(std::endian::native == std::endian::little);

[[gnu::always_inline]] inline std::uint64_t Load8(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The n digits at the bottom of x (digit values in bytes, the first the most significant),
// shifted up to read as eight digits with leading zeros, combined in pairs, fours and eights.
template <unsigned n>
[[gnu::always_inline]] inline std::uint64_t DigitsValue(std::uint64_t x) {
  x <<= 8 * (8 - n);
  x = (x * 2561) >> 8;
  x = ((x & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
  return ((x & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
}

// "ddd.dd": L digits, the point and two digits, from the load x (digits as values) whose
// non-digits are marked by bit 7 of their byte in other. L is a constant of the branch taken,
// so the end of the number does not wait for the load: the branch is predicted.
template <unsigned L>
[[gnu::always_inline]] inline const char* Hundredths(const char* p, std::uint64_t x, std::uint64_t other,
                                                     bool neg, float& out) {
  if (((other >> (8 * (L + 1))) & 0x808080u) != 0x800000u || p[L] != '.' || !EndsNumber(p[L + 3])) {
    return nullptr;
  }
  const std::uint64_t digits = (x & ((std::uint64_t{1} << (8 * L)) - 1)) |
                               ((x >> 8) & (std::uint64_t{0xFFFF} << (8 * L)));
  // m/100 with m < 2^24 is the product m × 0.01 in double rounded once, without a division:
  // the product lies within 2^-52 of m/100 (relative), and m/100 lies at least 2^-32 from any
  // point halfway between two floats (it is never one below 2^18), so both round alike.
  static_assert(L + 2 <= 7, "m below 2^24");
  const double m = static_cast<double>(DigitsValue<L + 2>(digits));
  out = static_cast<float>(m * (neg ? -0.01 : 0.01));
  return p + L + 3;
}

// FastReal, with the numbers "%.2f" writes below 10000 taken whole from one load; the rest
// digit by digit. The same value from the same digits either way.
[[gnu::always_inline]] inline const char* FastWrittenReal(const char* const start, float& out) {
  const char* p = start;
  const bool neg = *p == '-';
  p += neg || *p == '+';
  const std::uint64_t x = Load8(p) ^ 0x3030303030303030u;
  // Bit 7 of a byte: a value of 10 or more, or a carry into it from a byte that is one.
  const std::uint64_t other = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
  const char* q = nullptr;
  switch (std::countr_zero(other) >> 3) {
    case 1: q = Hundredths<1>(p, x, other, neg, out); break;
    case 2: q = Hundredths<2>(p, x, other, neg, out); break;
    case 3: q = Hundredths<3>(p, x, other, neg, out); break;
    case 4: q = Hundredths<4>(p, x, other, neg, out); break;
    default: break;
  }
  return q != nullptr ? q : FastReal(start, out);
}

// [+|-] 1..9 digits, ended by a blank or a line end.
[[gnu::always_inline]] inline const char* FastInteger(const char* p, std::int32_t& out) {
  // One digit, as most pens are written: the loop's answer without the loop.
  if (const unsigned d = static_cast<unsigned char>(p[0]) - unsigned{'0'}; d < 10 && EndsNumber(p[1])) {
    out = static_cast<std::int32_t>(d);
    return p + 1;
  }
  const bool neg = *p == '-';
  p += neg || *p == '+';
  const char* const first = p;
  std::int32_t v = 0;
  while (IsDigit(*p) && p - first < 9) v = v * 10 + (*p++ - '0');
  if (p == first || !EndsNumber(*p)) return nullptr;
  out = neg ? -v : v;
  return p;
}

// --- the general path -------------------------------------------------------------------

// [+|-] digits [. [digits]] | [+|-] . digits, then [e|E [+|-] digits]; the nearest float.
// A value beyond the float range is refused; one too small for it becomes zero.
bool ParseReal(const char* first, const char* last, float& out) {
  const char* p = first;
  const bool neg = p < last && *p == '-';
  if (p < last && (*p == '+' || *p == '-')) ++p;
  const char* const digits = p;
  bool any_digit = false, nonzero = false;
  long int_digits = 0;  // integer digits after leading zeros
  long frac_zeros = 0;  // zeros opening the fraction while the value is still zero
  for (; p < last && IsDigit(*p); ++p) {
    any_digit = true;
    nonzero = nonzero || *p != '0';
    int_digits += nonzero;
  }
  if (p < last && *p == '.') {
    for (++p; p < last && IsDigit(*p); ++p) {
      any_digit = true;
      nonzero = nonzero || *p != '0';
      frac_zeros += !nonzero;
    }
  }
  if (!any_digit) return false;
  long exp = 0;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool exp_neg = false;
    if (p < last && (*p == '+' || *p == '-')) exp_neg = *p++ == '-';
    if (p == last || !IsDigit(*p)) return false;
    for (; p < last && IsDigit(*p); ++p) exp = std::min(exp * 10 + (*p - '0'), 1'000'000L);
    if (exp_neg) exp = -exp;
  }
  if (p != last) return false;

  float f = 0;
  const auto r = std::from_chars(neg ? digits - 1 : digits, last, f, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // 0.d... times 10^scale: overflow above, underflow below
    const long scale = exp + (int_digits > 0 ? int_digits : -frac_zeros);
    if (scale > 0) return false;
    out = neg ? -0.0f : 0.0f;
    return true;
  }
  if (r.ec != std::errc() || r.ptr != last) return false;
  out = f;
  return true;
}

// [+|-] digits, within 32 bits.
bool ParseInteger(const char* p, const char* last, std::int32_t& out) {
  bool neg = false;
  if (p < last && (*p == '+' || *p == '-')) neg = *p++ == '-';
  if (p == last) return false;
  std::int64_t v = 0;
  for (; p < last; ++p) {
    if (!IsDigit(*p)) return false;
    v = v * 10 + (*p - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v > 2147483647LL) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

std::string Shown(const char* p, std::size_t n) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(p[i]);
    if (c >= 0x20 && c < 0x7F) {
      s += static_cast<char>(c);
    } else {
      s += "\\x";
      s += kHex[c >> 4];
      s += kHex[c & 15];
    }
  }
  return s;
}

}  // namespace

constinit platform::Hook<void(long)> ReadProgressProc = NoProgress;

UgfReader::UgfReader(std::size_t block_size) : block_size_(std::max<std::size_t>(block_size, 1)) {}

UgfReader::~UgfReader() { Close(); }

void UgfReader::Open(const std::string& path, const std::string& display_name) {
  OpenRange(path, display_name, 0, -1);
}

void UgfReader::OpenRange(const std::string& path, const std::string& display_name,
                          std::int64_t begin, std::int64_t end) {
  Close();
  name_ = display_name;
  // Not waiting: a FIFO must not hold the run up before it is refused below.
  int err = platform::OpenForReading(path, file_, true);
  if (err == ENOENT) {
    // Drawings made on DOS and Windows carry upper-case names.
    const std::string other = platform::FindExisting(path);
    if (!other.empty() && other != path) err = platform::OpenForReading(other, file_, true);
  }
  // Only a regular file is a drawing: a device or a FIFO could give bytes without end.
  if (err == 0 && !platform::IsPlainFile(file_)) {
    file_.Close();
    platform::RunTimeError(platform::kAccessDenied, name_, 0, "not a regular file");
  }
  if (err != 0) {
    platform::RunTimeError(err == EISDIR ? platform::kAccessDenied : platform::OpenFailureCode(path, err),
                           name_, 0, "cannot open: " + platform::FailureReason(path, name_, err));
  }
  // After the data, the 0 at which the number loops stop, and room for an eight-byte load
  // that begins at it.
  capacity_ = block_size_ + kMaxToken + 1;
  if (buf_.size() != capacity_ + 1 + 8) buf_.assign(capacity_ + 1 + 8, 0);
  data_ = buf_.data();
  pos_ = end_ = 0;
  eof_ = done_ = false;
  line_ = cur_line_ = 1;
  records_ = told_ = 0;
  pending_ = nullptr;
  ranged_ = begin != 0 || end >= 0;
  offset_ = begin;
  range_end_ = end;
  at_range_end_ = between_records_ = false;
  if (begin == 0) SkipLine();  // the label line, whatever it holds
}

void UgfReader::Close() {
  if (file_.is_open()) {
    file_.Close();
    if (tells_progress_) ReadProgressProc(records_ - told_);
    told_ = records_;
  }
}

std::size_t UgfReader::Read(UgfRecord* out, std::size_t max) {
  if (!file_.is_open()) platform::RunTimeError(platform::kFileNotOpen, name_, 0, "file not open");
  if (pending_) {
    done_ = true;
    std::rethrow_exception(std::exchange(pending_, nullptr));
  }
  std::size_t n = 0;
  try {
    while (n < max && !done_) {
      if (end_ - pos_ < kWindow && !eof_) {
        Fill();
        continue;
      }
      if (end_ - pos_ >= kWindow) {
        const std::size_t k = FastRecords(out + n, max - n);
        n += k;
        if (k > 0) continue;
      }
      if (!GeneralRecord(out[n])) break;
      ++n;
    }
  } catch (...) {
    done_ = true;
    if (n == 0) throw;
    pending_ = std::current_exception();
  }
  return n;
}

std::size_t UgfReader::FastRecords(UgfRecord* out, std::size_t max) {
  const char* const base = data_;
  const char* p = base + pos_;
  // Far enough from the end of the data that the record is most likely whole.
  const char* const last_start = base + end_ - kWindow;
  long line = cur_line_;
  long record_line = line_;
  std::size_t n = 0;
  bool rest_of_line = false;
  while (n < max && p <= last_start) {
    UgfRecord& r = out[n];
    const char* q = FastWrittenReal(SkipRecordBlanks(p), r.x);
    if (q == nullptr) break;
    q = FastWrittenReal(SkipRecordBlanks(q), r.y);
    if (q == nullptr) break;
    q = FastInteger(SkipRecordBlanks(q), r.pen);
    if (q == nullptr) break;
    ++n;
    record_line = line;
    if (r.pen < 0) {
      done_ = true;  // nothing after the terminator is read
      p = q;
      break;
    }
    if (q[0] == '\r' && q[1] == '\n') {
      p = q + 2;
    } else if (q[0] == '\n') {
      p = q + 1;
    } else {
      p = q;
      rest_of_line = true;
      break;
    }
    ++line;
  }
  pos_ = static_cast<std::size_t>(p - base);
  cur_line_ = line;
  line_ = record_line;
  records_ += static_cast<long>(n);
  if (rest_of_line) SkipLine();
  return n;
}

bool UgfReader::GeneralRecord(UgfRecord& record) {
  if (!SkipBlanks()) {
    between_records_ = true;
    return EndOfData();
  }
  const long line = cur_line_;
  const float x = ReadReal();
  if (!SkipBlanks()) return EndOfData();
  const float y = ReadReal();
  if (!SkipBlanks()) return EndOfData();
  const std::int32_t pen = ReadInteger();
  ++records_;
  line_ = line;
  record = {x, y, pen};
  if (pen < 0) {
    done_ = true;
  } else {
    SkipLine();
  }
  return true;
}

bool UgfReader::Fill() {
  if (eof_) return false;
  if (tells_progress_) ReadProgressProc(records_ - told_);
  told_ = records_;
  if (pos_ > 0) {
    std::memmove(data_, data_ + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    data_[end_] = 0;
  }
  std::size_t want = std::min(block_size_, capacity_ - end_);
  int err = 0;
  long long n = 0;
  if (!ranged_) {
    n = platform::ReadSome(file_, data_ + end_, want, err);
  } else {
    if (range_end_ >= 0) {
      want = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(want), range_end_ - offset_));
      at_range_end_ = want == 0;
    }
    if (want > 0) n = platform::ReadAt(file_, data_ + end_, want, offset_, err);
    if (n > 0) offset_ += n;
  }
  if (n > 0) {
    // A DOS end-of-file byte ends the data like the end of the file.
    const char* fresh = data_ + end_;
    if (const void* dos = std::memchr(fresh, kDosEof, static_cast<std::size_t>(n))) {
      const auto kept = static_cast<std::size_t>(static_cast<const char*>(dos) - fresh);
      end_ += kept;
      data_[end_] = 0;
      eof_ = true;
      return kept > 0;
    }
    end_ += static_cast<std::size_t>(n);
    data_[end_] = 0;
    return true;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  platform::RunTimeError(platform::kReadPastEnd, name_, cur_line_,
                         std::string("read failed: ") + std::strerror(err));
}

bool UgfReader::SkipBlanks() {
  for (;;) {
    const char* b = data_;
    std::size_t i = pos_;
    long line = cur_line_;
    for (; i < end_; ++i) {
      const char c = b[i];
      if (c == '\n') {
        ++line;
      } else if (c != ' ' && c != '\t' && c != '\r') {
        break;
      }
    }
    pos_ = i;
    cur_line_ = line;
    if (i < end_) return true;
    if (!Fill()) return false;
  }
}

std::size_t UgfReader::TokenEnd() {
  std::size_t i = pos_;
  for (;;) {
    const char* b = data_;
    const std::size_t limit = std::min(end_, pos_ + kMaxToken + 1);
    while (i < limit && !EndsNumber(b[i])) ++i;
    if (i - pos_ > kMaxToken) return std::string::npos;
    if (i < end_) return i;
    const std::size_t seen = i - pos_;
    if (!Fill()) return end_;  // the end of the file ends the number
    i = pos_ + seen;
  }
}

void UgfReader::BadNumber(std::size_t end) {
  const std::size_t n = std::min<std::size_t>(end - pos_, 20);
  BadNumber(std::string_view(data_ + pos_, n));
}

void UgfReader::BadNumber(std::string_view shown) {
  platform::RunTimeError(platform::kBadNumber, name_, cur_line_,
                         "bad number '" + Shown(shown.data(), shown.size()) + "'");
}

void UgfReader::ReadLongNumber(bool real, float& real_out, std::int32_t& integer_out) {
  // The number's opening for the report: the bytes are gone once read through.
  std::array<char, 20> opening{};
  std::memcpy(opening.data(), data_ + pos_, opening.size());  // the token is longer
  const auto fail = [&] { BadNumber(std::string_view(opening.data(), opening.size())); };

  // value = 0.digits × 10^(point + exponent); counts saturate far beyond any float.
  constexpr std::int64_t kBig = std::int64_t{1} << 50;
  enum Part { kSign, kInteger, kFraction, kExpSign, kExponent } part = kSign;
  bool negative = false, exp_negative = false, any_digit = false, exp_digit = false;
  bool sticky = false;  // a non-zero digit beyond the kept ones
  std::size_t kept = 0;
  std::int64_t point = 0, exponent = 0;
  char* const digits = long_.data() + 3;  // after "-0."
  auto digit = [&](char c, bool integer_part) {
    any_digit = true;
    if (kept == 0 && c == '0') {
      if (!integer_part) point = std::max(point - 1, -kBig);  // a zero opening the fraction
      return;
    }
    if (kept < kKeptDigits) {
      digits[kept++] = c;
    } else if (c != '0') {
      sticky = true;
    }
    if (integer_part) point = std::min(point + 1, kBig);
  };
  for (;;) {
    const char* b = data_;
    std::size_t i = pos_;
    for (; i < end_; ++i) {
      const char c = b[i];
      if (EndsNumber(c)) break;
      if ((c == '+' || c == '-') && (part == kSign || part == kExpSign)) {
        (part == kSign ? negative : exp_negative) = c == '-';
        part = part == kSign ? kInteger : kExponent;
      } else if (IsDigit(c) && part <= kFraction) {
        digit(c, part <= kInteger);
        if (part == kSign) part = kInteger;
      } else if (IsDigit(c) && real) {
        exp_digit = true;
        exponent = std::min(exponent * 10 + (c - '0'), kBig);
        part = kExponent;
      } else if (c == '.' && part <= kInteger && real) {
        part = kFraction;
      } else if ((c == 'e' || c == 'E') && part <= kFraction && any_digit && real) {
        part = kExpSign;
      } else {
        fail();
      }
    }
    pos_ = i;
    if (i < end_ || !Fill()) break;
  }
  if (!any_digit || (part >= kExpSign && !exp_digit)) fail();

  char* p = long_.data();
  if (negative) *p++ = '-';
  if (kept == 0) {
    *p++ = '0';
  } else if (!real) {
    // Eleven digits are already too many for 32 bits.
    for (std::size_t k = 0; k < std::min<std::size_t>(kept, 11); ++k) *p++ = digits[k];
  } else {
    *p++ = '0';
    *p++ = '.';
    std::memmove(p, digits, kept);  // next to the prefix
    p += kept;
    if (sticky) *p++ = '1';
    // Far beyond the float range either way; the parser tells overflow from underflow.
    const std::int64_t scale = point + (exp_negative ? -exponent : exponent);
    *p++ = 'e';
    p = std::to_chars(p, long_.data() + long_.size(), std::clamp<std::int64_t>(scale, -99999, 99999)).ptr;
  }
  const char* first = long_.data();
  const bool ok = real ? ParseReal(first, p, real_out) : ParseInteger(first, p, integer_out);
  if (!ok) fail();
}

void UgfReader::SkipLine() {
  for (;;) {
    const char* b = data_;
    if (const void* nl = std::memchr(b + pos_, '\n', end_ - pos_)) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(nl) - b) + 1;
      ++cur_line_;
      return;
    }
    pos_ = end_;
    if (!Fill()) return;
  }
}

float UgfReader::ReadReal() {
  float v = 0;
  if (const char* q = FastReal(data_ + pos_, v)) {
    pos_ = static_cast<std::size_t>(q - data_);
    return v;
  }
  const std::size_t end = TokenEnd();
  if (end == std::string::npos) {
    std::int32_t unused = 0;
    ReadLongNumber(true, v, unused);
    return v;
  }
  if (!ParseReal(data_ + pos_, data_ + end, v)) BadNumber(end);
  pos_ = end;
  return v;
}

std::int32_t UgfReader::ReadInteger() {
  std::int32_t v = 0;
  if (const char* q = FastInteger(data_ + pos_, v)) {
    pos_ = static_cast<std::size_t>(q - data_);
    return v;
  }
  const std::size_t end = TokenEnd();
  if (end == std::string::npos) {
    float unused = 0;
    ReadLongNumber(false, unused, v);
    return v;
  }
  if (!ParseInteger(data_ + pos_, data_ + end, v)) BadNumber(end);
  pos_ = end;
  return v;
}

bool UgfReader::EndOfData() {
  done_ = true;
  if (records_ == 0) platform::RunTimeError(platform::kReadPastEnd, name_, cur_line_, "no records");
  return false;
}

}  // namespace drawing
