#include "platform/folders.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(fs::path(path), ec);
}

bool CreateFolders(const std::string& path, int& err) {
  std::error_code ec;
  fs::create_directories(fs::path(path), ec);
  if (IsFolder(path)) return true;
  err = ec ? ec.value() : ENOTDIR;
  return false;
}

bool ChangeFolder(const std::string& path, std::string& reason) {
  std::error_code ec;
  fs::current_path(fs::path(path), ec);
  if (ec) reason = ec.message();
  return !ec;
}

std::string MissingFolder(const std::string& path) {
  std::string missing;
  // Every leading part that ends before a separator, from the longest down.
  for (auto slash = path.find_last_of('/'); slash != std::string::npos && slash > 0;
       slash = path.find_last_of('/', slash - 1)) {
    const std::string folder = path.substr(0, slash);
    std::error_code ec;
    if (fs::exists(fs::path(folder), ec)) break;
    missing = folder;
  }
  return missing;
}

std::string SystemReason(int err) { return std::strerror(err); }

std::string FailureReason(const std::string& path, const std::string& display, int err) {
  std::string reason = SystemReason(err);
  if (err != ENOENT) return reason;
  std::string missing = MissingFolder(path);
  if (missing.empty()) return reason;
  if (!display.empty() && path.size() >= display.size() &&
      path.compare(path.size() - display.size(), std::string::npos, display) == 0) {
    const std::size_t given_from = path.size() - display.size();
    if (missing.size() > given_from) missing.erase(0, given_from);
  }
  return reason + " (folder \"" + missing + "\" is missing)";
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) == 1;
#endif
}

std::uint64_t SteadyMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace platform
