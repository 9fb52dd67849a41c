#include "drawing/ugf_reader_reference.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace drawing {
namespace {

constexpr char kDosEof = 0x1A;

constexpr std::array<bool, 256> kEndsNumber = [] {
  std::array<bool, 256> t{};
  t[' '] = t['\t'] = t['\r'] = t['\n'] = true;
  return t;
}();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that a float holds exactly (5^10 < 2^24).
constexpr std::array<float, 11> kPow10 = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                          1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// [+|-] digits [. [digits]] | [+|-] . digits, then [e|E [+|-] digits]; the nearest float.
// A value beyond the float range is refused; one too small for it becomes zero.
bool ParseReal(const char* first, const char* last, float& out) {
  const char* p = first;
  bool neg = false;
  if (p < last && (*p == '+' || *p == '-')) neg = *p++ == '-';
  const char* digits_from = p;

  std::uint64_t m = 0;
  bool m_exact = true;
  long int_digits = 0;      // integer digits after leading zeros
  long frac_zeros = 0;      // zeros opening the fraction while the value is still zero
  long frac_digits = 0;
  long n_digits = 0;
  auto take = [&](char c) {
    if (m < 100'000'000'000'000'000ull) m = m * 10 + static_cast<unsigned>(c - '0');
    else m_exact = false;
    ++n_digits;
  };
  for (; p < last && IsDigit(*p); ++p) {
    if (m != 0 || *p != '0') ++int_digits;
    take(*p);
  }
  if (p < last && *p == '.') {
    for (++p; p < last && IsDigit(*p); ++p) {
      if (m == 0 && *p == '0') ++frac_zeros;
      take(*p);
      ++frac_digits;
    }
  }
  if (n_digits == 0) return false;
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

  // Both operands exact, one rounding: the correctly rounded float.
  const long k = exp - frac_digits;
  if (m_exact && m <= (1u << 24) && k >= -10 && k <= 10) {
    float f = static_cast<float>(m);
    f = k < 0 ? f / kPow10[static_cast<std::size_t>(-k)] : f * kPow10[static_cast<std::size_t>(k)];
    out = neg ? -f : f;
    return true;
  }
  float f = 0;
  const auto r = std::from_chars(neg ? digits_from - 1 : digits_from, last, f,
                                 std::chars_format::general);
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

// The forms a writer produces: [-] digits [. digits], at most 9 digits and a value the float
// fast path takes, then a blank, tab or line end, all within the kFastBytes bytes that must
// follow p. Returns the end of the number, or null when the full parser must decide. Plain
// loops: the lengths repeat from record to record, so the branches are predicted well.
constexpr std::size_t kFastBytes = 24;

const char* FastReal(const char* p, float& out) {
  const char* const last = p + kFastBytes;
  const bool neg = *p == '-';
  p += neg;
  const char* const digits = p;
  std::uint32_t m = 0;
  for (; p < last && IsDigit(*p); ++p) m = m * 10 + static_cast<std::uint32_t>(*p - '0');
  long n = p - digits;
  long frac = 0;
  if (p < last && *p == '.') {
    const char* const f = ++p;
    for (; p < last && IsDigit(*p); ++p) m = m * 10 + static_cast<std::uint32_t>(*p - '0');
    frac = p - f;
    n += frac;
  }
  if (n == 0 || n > 9 || p == last || !kEndsNumber[static_cast<unsigned char>(*p)]) return nullptr;
  if (m > (1u << 24)) return nullptr;
  float f = static_cast<float>(m);
  if (frac > 0) f /= kPow10[static_cast<std::size_t>(frac)];
  out = neg ? -f : f;
  return p;
}

// [-] 1..9 digits, then a blank, tab or line end; kFastBytes bytes must follow p.
const char* FastInteger(const char* p, std::int32_t& out) {
  const char* const last = p + kFastBytes;
  const bool neg = *p == '-';
  p += neg;
  const char* const digits = p;
  std::int32_t v = 0;
  for (; p < last && IsDigit(*p) && p - digits < 9; ++p) v = v * 10 + (*p - '0');
  if (p == digits || p == last || !kEndsNumber[static_cast<unsigned char>(*p)]) return nullptr;
  out = neg ? -v : v;
  return p;
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

ReferenceUgfReader::ReferenceUgfReader(std::size_t block_size) : block_size_(std::max<std::size_t>(block_size, 1)) {}

ReferenceUgfReader::~ReferenceUgfReader() { Close(); }

void ReferenceUgfReader::Open(const std::string& path, const std::string& display_name) {
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
  const std::size_t size = block_size_ + kMaxToken + 1;
  if (buf_.size() != size) buf_.assign(size, 0);
  pos_ = end_ = 0;
  eof_ = done_ = false;
  line_ = cur_line_ = 1;
  records_ = told_ = 0;
  SkipLine();  // the label line, whatever it holds
}

void ReferenceUgfReader::Close() {
  if (file_.is_open()) {
    file_.Close();
    ReadProgressProc(records_ - told_);
    told_ = records_;
  }
}

bool ReferenceUgfReader::Fill() {
  if (eof_) return false;
  ReadProgressProc(records_ - told_);
  told_ = records_;
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  const std::size_t want = std::min(block_size_, buf_.size() - end_);
  int err = 0;
  const long long n = platform::ReadSome(file_, buf_.data() + end_, want, err);
  if (n > 0) {
    // A DOS end-of-file byte ends the data like the end of the file.
    const char* fresh = buf_.data() + end_;
    if (const void* dos = std::memchr(fresh, kDosEof, static_cast<std::size_t>(n))) {
      const auto kept = static_cast<std::size_t>(static_cast<const char*>(dos) - fresh);
      end_ += kept;
      eof_ = true;
      return kept > 0;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  platform::RunTimeError(platform::kReadPastEnd, name_, cur_line_,
                         std::string("read failed: ") + std::strerror(err));
}

bool ReferenceUgfReader::SkipBlanks() {
  for (;;) {
    const char* b = buf_.data();
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

std::size_t ReferenceUgfReader::TokenEnd() {
  std::size_t i = pos_;
  for (;;) {
    const char* b = buf_.data();
    const std::size_t limit = std::min(end_, pos_ + kMaxToken + 1);
    while (i < limit && !kEndsNumber[static_cast<unsigned char>(b[i])]) ++i;
    if (i - pos_ > kMaxToken) return std::string::npos;
    if (i < end_) return i;
    const std::size_t seen = i - pos_;
    if (!Fill()) return end_;  // the end of the file ends the number
    i = pos_ + seen;
  }
}

void ReferenceUgfReader::BadNumber(std::size_t end) {
  const std::size_t n = std::min<std::size_t>(end - pos_, 20);
  BadNumber(std::string_view(buf_.data() + pos_, n));
}

void ReferenceUgfReader::BadNumber(std::string_view shown) {
  platform::RunTimeError(platform::kBadNumber, name_, cur_line_,
                         "bad number '" + Shown(shown.data(), shown.size()) + "'");
}

void ReferenceUgfReader::ReadLongNumber(bool real, float& real_out, std::int32_t& integer_out) {
  // The number's opening for the report: the bytes are gone once read through.
  std::array<char, 20> opening{};
  std::memcpy(opening.data(), buf_.data() + pos_, opening.size());  // the token is longer
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
    const char* b = buf_.data();
    std::size_t i = pos_;
    for (; i < end_; ++i) {
      const char c = b[i];
      if (kEndsNumber[static_cast<unsigned char>(c)]) break;
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

void ReferenceUgfReader::SkipLine() {
  if (end_ - pos_ >= 2 && buf_[pos_] == '\r' && buf_[pos_ + 1] == '\n') {
    pos_ += 2;
    ++cur_line_;
    return;
  }
  for (;;) {
    const char* b = buf_.data();
    if (const void* nl = std::memchr(b + pos_, '\n', end_ - pos_)) {
      pos_ = static_cast<std::size_t>(static_cast<const char*>(nl) - b) + 1;
      ++cur_line_;
      return;
    }
    pos_ = end_;
    if (!Fill()) return;
  }
}

float ReferenceUgfReader::ReadReal() {
  float v = 0;
  if (end_ - pos_ >= kFastBytes) {
    if (const char* q = FastReal(buf_.data() + pos_, v)) {
      pos_ = static_cast<std::size_t>(q - buf_.data());
      return v;
    }
  }
  const std::size_t end = TokenEnd();
  if (end == std::string::npos) {
    std::int32_t unused = 0;
    ReadLongNumber(true, v, unused);
    return v;
  }
  if (!ParseReal(buf_.data() + pos_, buf_.data() + end, v)) BadNumber(end);
  pos_ = end;
  return v;
}

std::int32_t ReferenceUgfReader::ReadInteger() {
  std::int32_t v = 0;
  if (end_ - pos_ >= kFastBytes) {
    if (const char* q = FastInteger(buf_.data() + pos_, v)) {
      pos_ = static_cast<std::size_t>(q - buf_.data());
      return v;
    }
  }
  const std::size_t end = TokenEnd();
  if (end == std::string::npos) {
    float unused = 0;
    ReadLongNumber(false, unused, v);
    return v;
  }
  if (!ParseInteger(buf_.data() + pos_, buf_.data() + end, v)) BadNumber(end);
  pos_ = end;
  return v;
}

bool ReferenceUgfReader::EndOfData() {
  done_ = true;
  if (records_ == 0) platform::RunTimeError(platform::kReadPastEnd, name_, cur_line_, "no records");
  return false;
}

bool ReferenceUgfReader::Next(UgfRecord& record) {
  if (!file_.is_open()) platform::RunTimeError(platform::kFileNotOpen, name_, 0, "file not open");
  if (done_) return false;
  if (!SkipBlanks()) return EndOfData();
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
    done_ = true;  // nothing after the terminator is read
  } else {
    SkipLine();
  }
  return true;
}

}  // namespace drawing
