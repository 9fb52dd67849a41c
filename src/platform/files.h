// File system helpers: DOS-style directory search and the case-insensitive lookup of
// existing files (drawings made on DOS and Windows carry upper-case names).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr int kAttrReadOnly = 0x01;
inline constexpr int kAttrDirectory = 0x10;
inline constexpr int kAttrArchive = 0x20;

struct DirEntry {
  std::string name;  // the real name, for opening
  std::string base;  // after the last '/', '\' or ':', before the extension
  std::string ext;   // from the last '.', or "." when there is none
  int attr = -1;     // -1: nothing (more) found
  std::uint32_t time = 0;  // packed DOS date and time
};

// kind 0: files matching the mask; 1: "*.*" with folders; 2: the mask, every entry;
// 3: the mask with folders. The mask may carry a folder ("dir/*.UGF").
bool FindFirst(int kind, std::string_view mask, DirEntry& entry);
bool FindNext(DirEntry& entry);

// DOS mask match, case-insensitive for ASCII letters ("*.*" matches every name).
bool MatchMask(std::string_view mask, std::string_view name);

// Splits a name into base and extension as the directory search reports them.
void SplitName(std::string_view name, std::string& base, std::string& ext);

// The name after a path's last '/' (the whole path without one), and the folder before it,
// '/' included ("" without one).
std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);

// The path of an existing file: `path` itself, else the first name in byte order in its
// folder that matches it case-insensitively (ASCII). Empty when there is none.
std::string FindExisting(const std::string& path);

// Run-time error code of a failed open of `path` with errno `err` (2 becomes 3 when the
// folder itself is missing).
int OpenFailureCode(const std::string& path, int err);

}  // namespace platform
