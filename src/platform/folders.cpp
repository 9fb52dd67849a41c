#include "platform/folders.h"

#include <cerrno>
#include <cstring>

#include "platform/system.h"

namespace platform {

bool IsFolder(const std::string& path) { return !path.empty() && KindOf(path) == PathKind::kFolder; }

bool CreateFolders(const std::string& path, int& err) {
  if (IsFolder(path)) return true;
  // Each missing folder from the top down; a file in the way ends it.
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (!folder.empty() && folder.back() != ':' && !IsFolder(folder)) {
      const int e = MakeFolder(folder);
      if (e != 0 && !(e == EEXIST && IsFolder(folder))) {
        err = e == EEXIST ? ENOTDIR : e;
        return false;
      }
    }
    if (slash == std::string::npos) return true;
  }
}

bool ChangeFolder(const std::string& path, std::string& reason) {
  const int err = SetCurrentFolder(path);
  if (err != 0) reason = SystemReason(err);
  return err == 0;
}

std::string MissingFolder(const std::string& path) {
  std::string missing;
  // Every leading part that ends before a separator, from the longest down.
  for (auto slash = path.find_last_of('/'); slash != std::string::npos && slash > 0;
       slash = path.find_last_of('/', slash - 1)) {
    const std::string folder = path.substr(0, slash);
    if (KindOf(folder) != PathKind::kNone) break;
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

}  // namespace platform
