// The system layer on Windows. Every call is the wide one: names with Cyrillic letters stay
// whole whatever the ANSI code page of the machine. Paths come in with '\' turned into '/'.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cwchar>

#include "platform/system.h"
#include "platform/text_win32.h"

namespace platform {

namespace {

HANDLE H(const SysFile& f) { return reinterpret_cast<HANDLE>(f.handle()); }

// The errno value of a Windows error, so that the run-time error codes and texts are the ones
// the POSIX side gives.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
      return ENOENT;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    default:
      return EIO;
  }
}

int LastErrno() { return ErrnoOf(GetLastError()); }

// Six characters for a unique name; a repeat only costs another try.
std::string RandomPart() {
  static std::uint64_t state = GetTickCount64() ^ (std::uint64_t{GetCurrentProcessId()} << 32);
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string s(6, 'x');
  for (char& c : s) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    c = kChars[(state >> 33) % 62];
  }
  return s;
}

bool IdOfHandle(HANDLE h, FileId& id) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return false;
  id = {info.dwVolumeSerialNumber,
        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  return true;
}

std::uint32_t DosTime(const FILETIME& utc) {
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return (std::uint32_t{date} << 16) | time;
}

}  // namespace

int SysFile::Close() {
  if (handle_ == kNone) return 0;
  const HANDLE h = reinterpret_cast<HANDLE>(handle_);
  handle_ = kNone;
  return CloseHandle(h) ? 0 : LastErrno();
}

PathKind KindOf(const std::string& path) {
  const DWORD attr = GetFileAttributesW(WidePath(path).c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return PathKind::kNone;
  return (attr & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

int OpenForReading(const std::string& path, SysFile& file, bool) {
  file.Close();
  const HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const int err = LastErrno();
    // A folder cannot be opened as a file: say so as the POSIX side does.
    if (err == EACCES && KindOf(path) == PathKind::kFolder) return EISDIR;
    return err;
  }
  file.Adopt(reinterpret_cast<std::intptr_t>(h));
  return 0;
}

bool IsPlainFile(const SysFile& file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(H(file)) == FILE_TYPE_DISK && GetFileInformationByHandle(H(file), &info) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t FileSize(const SysFile& file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(H(file), &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
}

long long ReadSome(SysFile& file, void* buffer, std::size_t size, int& err) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (ReadFile(H(file), buffer, want, &got, nullptr)) return got;
  const DWORD e = GetLastError();
  if (e == ERROR_BROKEN_PIPE || e == ERROR_HANDLE_EOF) return 0;
  err = ErrnoOf(e);
  return -1;
}

int OpenScratch(const std::string& path, bool private_folder, SysFile& file) {
  file.Close();
  // Shared for deleting too: the name is removed at the end while the file is still open.
  const HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               private_folder ? CREATE_ALWAYS : OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastErrno();
  file.Adopt(reinterpret_cast<std::intptr_t>(h));
  if (private_folder) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      info.nNumberOfLinks != 1) {
    file.Close();
    return EEXIST;
  }
  return 0;
}

bool LockExclusive(SysFile& file) {
  // The whole range: the lock of another ugfview covers any record of the file.
  OVERLAPPED ov{};
  return LockFileEx(H(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &ov) != 0;
}

bool TruncateToEmpty(SysFile& file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(H(file), zero, nullptr, FILE_BEGIN) && SetEndOfFile(H(file));
}

long long ReadAt(SysFile& file, void* buffer, std::size_t size, std::int64_t offset, int& err) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (ReadFile(H(file), buffer, static_cast<DWORD>(size), &got, &ov)) return got;
  const DWORD e = GetLastError();
  if (e == ERROR_HANDLE_EOF) return 0;
  err = ErrnoOf(e);
  return -1;
}

long long WriteAt(SysFile& file, const void* buffer, std::size_t size, std::int64_t offset, int& err) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD put = 0;
  if (WriteFile(H(file), buffer, static_cast<DWORD>(size), &put, &ov)) return put;
  err = LastErrno();
  return -1;
}

int CreateUniqueFile(const std::string& prefix, const std::string& suffix, SysFile& file,
                     std::string& path) {
  file.Close();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = prefix + RandomPart() + suffix;
    const HANDLE h = CreateFileW(WidePath(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      file.Adopt(reinterpret_cast<std::intptr_t>(h));
      path = name;
      return 0;
    }
    const DWORD e = GetLastError();
    if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return ErrnoOf(e);
  }
  return EEXIST;
}

int WriteAll(SysFile& file, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!WriteFile(H(file), p, want, &put, nullptr)) return LastErrno();
    if (put == 0) return EIO;
    p += put;
    size -= put;
  }
  return 0;
}

int RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) ? 0
                                                                                             : LastErrno();
}

int MoveNoReplace(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), 0) ? 0 : LastErrno();
}

int RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) ? 0 : LastErrno(); }

int CreateUniqueFolder(const std::string& base, const std::string& prefix, std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = base + "/" + prefix + RandomPart();
    if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) return 0;
    const DWORD e = GetLastError();
    if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) return ErrnoOf(e);
  }
  return EEXIST;
}

int RemoveFolder(const std::string& path) {
  return RemoveDirectoryW(WidePath(path).c_str()) ? 0 : LastErrno();
}

int MakeFolder(const std::string& path) {
  return CreateDirectoryW(WidePath(path).c_str(), nullptr) ? 0 : LastErrno();
}

int SetCurrentFolder(const std::string& path) {
  return SetCurrentDirectoryW(WidePath(path).c_str()) ? 0 : LastErrno();
}

std::string CurrentFolder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(n + 1);
  }
  return PathFromWide(buf);
}

bool IsAbsolutePath(std::string_view p) {
  const bool drive = p.size() >= 3 && p[1] == ':' && (p[2] == '/' || p[2] == '\\');
  const bool unc = p.size() >= 2 && (p[0] == '/' || p[0] == '\\') && (p[1] == '/' || p[1] == '\\');
  return drive || unc;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring wide = WidePath(path);
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD m = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (m == 0 || m >= n) return path;
  full.resize(m);
  return PathFromWide(full);
}

std::string TempFolder() {
  wchar_t buf[MAX_PATH + 2];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::string base = n > 0 && n <= MAX_PATH ? PathFromWide(std::wstring(buf, n)) : "C:/";
  while (base.size() > 3 && base.back() == '/') base.pop_back();
  return base;
}

std::string FolderFromDosPath(std::string_view dos) {
  std::string dir(dos);
  std::replace(dir.begin(), dir.end(), '\\', '/');
  // "D:" alone is the drive's current folder; "D:\" was meant.
  if (dir.size() == 2 && dir[1] == ':') dir += '/';
  return dir;
}

std::string NativePath(std::string_view path) {
  std::string s(path);
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

bool IdOfPath(const std::string& path, bool follow_links, FileId& id) {
  const HANDLE h = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                               nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = IdOfHandle(h, id);
  CloseHandle(h);
  return ok;
}

bool IdOfFile(const SysFile& file, FileId& id) { return IdOfHandle(H(file), id); }

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::wstring pattern = WidePath(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW fd{};
  const HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    FolderEntry e;
    e.name = Utf8FromWide(fd.cFileName);
    e.kind = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
    e.dos_time = DosTime(fd.ftLastWriteTime);
    entries.push_back(std::move(e));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return true;
}

std::string GetEnv(const char* name) {
  const wchar_t* v = _wgetenv(Utf8ToWide(name).c_str());
  return v != nullptr ? Utf8FromWide(v) : "";
}

std::FILE* OpenStream(const std::string& path, const char* mode) {
  return _wfopen(WidePath(path).c_str(), Utf8ToWide(mode).c_str());
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // The wide command line: argv holds the ANSI code page's rendering of it.
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> args;
  for (int i = 0; i < n; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

bool StderrIsTerminal() {
  // A console; a pipe or a file (tests, scripts) is not one.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::uint64_t MonotonicMs() { return GetTickCount64(); }

void SleepMs(int ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

}  // namespace platform
