// What the program asks of the operating system: files, folders, locks, the temporary folder,
// same-file identity, the environment, time and sleep. system_posix.cpp and system_win32.cpp
// implement it; the build takes one. Paths are UTF-8 with '/' between folders on every system
// (the Windows side turns '\' into '/' where paths come in). Failures are errno values on every
// system, so run-time error codes and their texts are the same everywhere.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// An open file of the system, closed with its owner.
class SysFile {
 public:
  SysFile() = default;
  SysFile(const SysFile&) = delete;
  SysFile& operator=(const SysFile&) = delete;
  SysFile(SysFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  SysFile& operator=(SysFile&& other) noexcept {
    if (this != &other) Adopt(std::exchange(other.handle_, kNone));
    return *this;
  }
  ~SysFile() { Close(); }

  bool is_open() const { return handle_ != kNone; }
  // 0, or the errno value of a failed close (a write that could not be completed).
  int Close();
  std::intptr_t handle() const { return handle_; }
  void Adopt(std::intptr_t handle) {
    Close();
    handle_ = handle;
  }

  static constexpr std::intptr_t kNone = -1;

 private:
  std::intptr_t handle_ = kNone;
};

enum class PathKind { kNone, kFile, kFolder, kOther };

// What a path names, links followed.
PathKind KindOf(const std::string& path);

// Opens an existing file for reading: 0 or an errno value; a folder gives EISDIR. With
// `no_wait` neither the open nor the reads wait on a pipe.
int OpenForReading(const std::string& path, SysFile& file, bool no_wait = false);
// True when the open file is a plain file (not a pipe, device or folder).
bool IsPlainFile(const SysFile& file);
// The size of an open file in bytes; -1 when the system cannot tell.
std::int64_t FileSize(const SysFile& file);
// Bytes read, 0 at the end, -1 with `err` set; interrupted reads are repeated.
long long ReadSome(SysFile& file, void* buffer, std::size_t size, int& err);

// A scratch file. In a shared folder (`private_folder` false) the file is opened or created
// without truncation and refused (EEXIST) unless it is a plain file with one name reached
// without a link; in a private folder it is created empty for the owner only.
int OpenScratch(const std::string& path, bool private_folder, SysFile& file);
// Takes the exclusive lock of another ugfview on this file without waiting; false when taken.
bool LockExclusive(SysFile& file);
bool TruncateToEmpty(SysFile& file);
// Exactly `size` bytes at `offset`, or fewer at the end of the file (reads); -1 with `err`.
long long ReadAt(SysFile& file, void* buffer, std::size_t size, std::int64_t offset, int& err);
long long WriteAt(SysFile& file, const void* buffer, std::size_t size, std::int64_t offset, int& err);

// A new file named `prefix` + six random characters + `suffix`, with the permissions of a new
// file of the user; `path` receives its name. 0 or an errno value.
int CreateUniqueFile(const std::string& prefix, const std::string& suffix, SysFile& file,
                     std::string& path);
// Writes every byte: 0 or an errno value.
int WriteAll(SysFile& file, const void* data, std::size_t size);

// Renames `from` over `to`, replacing it: 0 or an errno value.
int RenameOver(const std::string& from, const std::string& to);
// Gives `from` the name `to` unless `to` exists (EEXIST); `from` is gone afterwards.
int MoveNoReplace(const std::string& from, const std::string& to);
int RemoveFile(const std::string& path);
// A new folder `base` + "/" + `prefix` + six random characters, for the owner only.
int CreateUniqueFolder(const std::string& base, const std::string& prefix, std::string& path);
int RemoveFolder(const std::string& path);

// A new folder: 0 or an errno value (EEXIST when the name is taken).
int MakeFolder(const std::string& path);
// Makes `path` the current folder: 0 or an errno value.
int SetCurrentFolder(const std::string& path);
inline bool ChangeFolder(const std::string& path) { return SetCurrentFolder(path) == 0; }
// The current folder; empty when it cannot be named.
std::string CurrentFolder();
bool IsAbsolutePath(std::string_view path);
// `path` against the current folder (unchanged when already absolute).
std::string AbsolutePath(const std::string& path);
// The folder for temporary files, absolute, without a trailing separator.
std::string TempFolder();
// A folder of TEK.DAT ("D:\DRAW\", "..\DRAW", "/home/me/draw/") as this system names it.
std::string FolderFromDosPath(std::string_view dos);
// A path as the user of this system writes it (for display).
std::string NativePath(std::string_view path);

// Identity of a file: equal for two names of the same file.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};
// `follow_links` false: the identity of a link itself.
bool IdOfPath(const std::string& path, bool follow_links, FileId& id);
bool IdOfFile(const SysFile& file, FileId& id);

struct FolderEntry {
  std::string name;
  PathKind kind = PathKind::kNone;  // links followed
  std::uint32_t dos_time = 0;       // packed DOS date and time of the last change
};
// Every entry of the folder, "." and ".." included where the system lists them. False when
// the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// An environment variable as UTF-8; empty when not set.
std::string GetEnv(const char* name);
// fopen for UTF-8 names.
std::FILE* OpenStream(const std::string& path, const char* mode);
// The command line as UTF-8 strings (argv[0] first).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// True when the standard error stream is a terminal.
bool StderrIsTerminal();

// Milliseconds of a clock that never goes back.
std::uint64_t MonotonicMs();
void SleepMs(int ms);

}  // namespace platform
