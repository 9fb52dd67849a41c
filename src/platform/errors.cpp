#include "platform/errors.h"

#include <array>
#include <cerrno>
#include <cstdio>

namespace platform {

std::uint32_t Crc32(std::string_view data) {
  static constexpr auto kTable = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : data) crc = kTable[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

RunTimeFailure::RunTimeFailure(int code, std::string file, long line, std::string what,
                               std::uint32_t site)
    : code_(code), file_(std::move(file)), line_(line), what_(std::move(what)), site_(site) {}

std::string RunTimeFailure::ReportLine() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Runtime error %d at 0x%08X", code_, site_);
  return buf;
}

std::string RunTimeFailure::DetailLine() const {
  std::string s = "ugfview: ";
  if (!file_.empty()) s += file_ + ": ";
  if (line_ > 0) s += "line " + std::to_string(line_) + ": ";
  s += what_;
  return s;
}

namespace {
// The site hash must not depend on where the tree was built: keep the path from src/ on.
std::string SiteName(const std::source_location& where) {
  std::string_view f = where.file_name();
  const auto p = f.rfind("src/");
  if (p != std::string_view::npos) f.remove_prefix(p);
  return std::string(f) + ":" + std::to_string(where.line());
}
}  // namespace

void RunTimeError(int code, std::string_view file, long line, std::string_view what,
                  std::source_location where) {
  throw RunTimeFailure(code, std::string(file), line, std::string(what), Crc32(SiteName(where)));
}

void RunTimeError(int code, std::string_view what, std::source_location where) {
  RunTimeError(code, {}, 0, what, where);
}

int OpenErrorCode(int err) {
  switch (err) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kAccessDenied;
    default:
      return kAccessDenied;
  }
}

}  // namespace platform
