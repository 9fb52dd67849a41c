#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/errors.h"
#include "platform/system.h"

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
  std::vector<FolderEntry> entries;
  ListFolder(folder, entries);
  for (FolderEntry& fe : entries) {
    const std::string& name = fe.name;
    // Hidden entries and "." are not listed; ".." is, for going up.
    if (name.empty() || (name[0] == '.' && name != "..")) continue;
    if (!MatchMask(pattern, name)) continue;
    DirEntry e;
    if (fe.kind == PathKind::kFolder) {
      if (!folders) continue;
      e.attr = kAttrDirectory;
    } else if (fe.kind == PathKind::kFile) {
      e.attr = kAttrArchive;
    } else {
      continue;
    }
    e.name = std::move(fe.name);
    SplitName(e.name, e.base, e.ext);
    e.time = fe.dos_time;
    g_found.push_back(std::move(e));
  }
  std::sort(g_found.begin(), g_found.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return Next(entry);
}

bool FindNext(DirEntry& entry) { return Next(entry); }

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FindExisting(const std::string& path) {
  const bool exists = KindOf(path) != PathKind::kNone;
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return exists ? path : std::string();
  std::string best;
  std::vector<FolderEntry> entries;
  ListFolder(folder, entries);
  for (const FolderEntry& fe : entries) {
    const std::string_view cand = fe.name;
    // The exact name first; where letter case makes no difference (Windows) the name of the
    // file that exists is its name on disk.
    if (exists && cand == name) return path;
    if (cand.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < cand.size() && same; ++i) same = Lower(cand[i]) == Lower(name[i]);
    if (same && (best.empty() || cand < best)) best = std::string(cand);
  }
  if (best.empty()) return exists ? path : std::string();
  return slash == std::string::npos ? best : path.substr(0, slash + 1) + best;
}

int OpenFailureCode(const std::string& path, int err) {
  if (err == ENOENT) {
    const auto slash = path.rfind('/');
    // A folder on the way that is missing or a file.
    if (slash != std::string::npos && slash > 0 && KindOf(path.substr(0, slash)) != PathKind::kFolder)
      return kPathNotFound;
    return kFileNotFound;
  }
  return OpenErrorCode(err);
}

}  // namespace platform
