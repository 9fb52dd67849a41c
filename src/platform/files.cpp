#include "platform/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/errors.h"

namespace platform {
namespace {

std::vector<DirEntry> g_found;
std::size_t g_next = 0;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Glob(std::string_view m, std::string_view n) {
  std::size_t mi = 0, ni = 0, star = std::string_view::npos, mark = 0;
  while (ni < n.size()) {
    if (mi < m.size() && (m[mi] == '?' || Lower(m[mi]) == Lower(n[ni]))) {
      ++mi;
      ++ni;
    } else if (mi < m.size() && m[mi] == '*') {
      star = mi++;
      mark = ni;
    } else if (star != std::string_view::npos) {
      mi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == '*') ++mi;
  return mi == m.size();
}

std::uint32_t DosTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  const int year = std::clamp(tm.tm_year + 1900 - 1980, 0, 127);
  return (static_cast<std::uint32_t>(year) << 25) | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
         (static_cast<std::uint32_t>(tm.tm_mday) << 16) | (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
         (static_cast<std::uint32_t>(tm.tm_min) << 5) | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

bool Next(DirEntry& entry) {
  if (g_next >= g_found.size()) {
    entry = DirEntry{};
    return false;
  }
  entry = g_found[g_next++];
  return true;
}

}  // namespace

bool MatchMask(std::string_view mask, std::string_view name) {
  if (mask == "*.*" || mask == "*") return true;
  return Glob(mask, name);
}

void SplitName(std::string_view name, std::string& base, std::string& ext) {
  const auto sep = name.find_last_of("/\\:");
  if (sep != std::string_view::npos) name.remove_prefix(sep + 1);
  if (name == "..") {
    base = "..";
    ext = ".";
    return;
  }
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos) {
    base = std::string(name);
    ext = ".";
  } else {
    base = std::string(name.substr(0, dot));
    ext = std::string(name.substr(dot));
  }
}

bool FindFirst(int kind, std::string_view mask, DirEntry& entry) {
  g_found.clear();
  g_next = 0;
  std::string folder = ".";
  std::string_view pattern = kind == 1 ? std::string_view("*.*") : mask;
  if (kind != 1) {
    const auto slash = mask.rfind('/');
    if (slash != std::string_view::npos) {
      folder = slash == 0 ? "/" : std::string(mask.substr(0, slash));
      pattern = mask.substr(slash + 1);
    }
  }
  const bool folders = kind != 0;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* de = readdir(d)) {
      const std::string name = de->d_name;
      // Hidden entries and "." are not listed; ".." is, for going up.
      if (name.empty() || (name[0] == '.' && name != "..")) continue;
      if (!MatchMask(pattern, name)) continue;
      struct stat st {};
      const std::string full = folder == "." ? name : folder + "/" + name;
      if (stat(full.c_str(), &st) != 0) continue;
      DirEntry e;
      if (S_ISDIR(st.st_mode)) {
        if (!folders) continue;
        e.attr = kAttrDirectory;
      } else if (S_ISREG(st.st_mode)) {
        e.attr = kAttrArchive;
      } else {
        continue;
      }
      e.name = name;
      SplitName(name, e.base, e.ext);
      e.time = DosTime(st.st_mtime);
      g_found.push_back(std::move(e));
    }
    closedir(d);
  }
  std::sort(g_found.begin(), g_found.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return Next(entry);
}

bool FindNext(DirEntry& entry) { return Next(entry); }

std::string FindExisting(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return path;
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return {};
  std::string best;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* de = readdir(d)) {
      const std::string_view cand = de->d_name;
      if (cand.size() != name.size()) continue;
      bool same = true;
      for (std::size_t i = 0; i < cand.size() && same; ++i) same = Lower(cand[i]) == Lower(name[i]);
      if (same && (best.empty() || cand < best)) best = std::string(cand);
    }
    closedir(d);
  }
  if (best.empty()) return {};
  return slash == std::string::npos ? best : path.substr(0, slash + 1) + best;
}

int OpenFailureCode(const std::string& path, int err) {
  if (err == ENOENT) {
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
      struct stat st {};
      if (stat(path.substr(0, slash).c_str(), &st) != 0) return kPathNotFound;
    }
    return kFileNotFound;
  }
  return OpenErrorCode(err);
}

}  // namespace platform
