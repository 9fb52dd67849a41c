// The system layer on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/system.h"

namespace platform {

namespace {

int Fd(const SysFile& f) { return static_cast<int>(f.handle()); }

std::uint32_t DosTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  const int year = std::clamp(tm.tm_year + 1900 - 1980, 0, 127);
  return (static_cast<std::uint32_t>(year) << 25) | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
         (static_cast<std::uint32_t>(tm.tm_mday) << 16) | (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
         (static_cast<std::uint32_t>(tm.tm_min) << 5) | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

PathKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::kFile;
  if (S_ISDIR(mode)) return PathKind::kFolder;
  return PathKind::kOther;
}

}  // namespace

int SysFile::Close() {
  if (handle_ == kNone) return 0;
  const int fd = static_cast<int>(handle_);
  handle_ = kNone;
  return ::close(fd) == 0 ? 0 : errno;
}

PathKind KindOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return PathKind::kNone;
  return KindOfMode(st.st_mode);
}

int OpenForReading(const std::string& path, SysFile& file, bool no_wait) {
  file.Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (no_wait ? O_NONBLOCK : 0));
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return EISDIR;
  }
  file.Adopt(fd);
  return 0;
}

bool IsPlainFile(const SysFile& file) {
  struct stat st {};
  return ::fstat(Fd(file), &st) == 0 && S_ISREG(st.st_mode);
}

std::int64_t FileSize(const SysFile& file) {
  struct stat st {};
  return ::fstat(Fd(file), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

long long ReadSome(SysFile& file, void* buffer, std::size_t size, int& err) {
  for (;;) {
    const ssize_t n = ::read(Fd(file), buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) {
      err = errno;
      return -1;
    }
  }
}

int OpenScratch(const std::string& path, bool private_folder, SysFile& file) {
  file.Close();
  if (private_folder) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    file.Adopt(fd);
    return 0;
  }
  // No O_TRUNC: the file may belong to another ugfview until its lock says otherwise.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
    ::close(fd);
    return EEXIST;
  }
  file.Adopt(fd);
  return 0;
}

bool LockExclusive(SysFile& file) { return ::flock(Fd(file), LOCK_EX | LOCK_NB) == 0; }

bool TruncateToEmpty(SysFile& file) { return ::ftruncate(Fd(file), 0) == 0; }

long long ReadAt(SysFile& file, void* buffer, std::size_t size, std::int64_t offset, int& err) {
  ssize_t n;
  do {
    n = ::pread(Fd(file), buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0) err = errno;
  return n;
}

long long WriteAt(SysFile& file, const void* buffer, std::size_t size, std::int64_t offset, int& err) {
  ssize_t n;
  do {
    n = ::pwrite(Fd(file), buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0) err = errno;
  return n;
}

int CreateUniqueFile(const std::string& prefix, const std::string& suffix, SysFile& file,
                     std::string& path) {
  file.Close();
  std::string name = prefix + "XXXXXX" + suffix;
  const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return errno;
  // mkstemp gives 0600; a new file of the user gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  file.Adopt(fd);
  path = std::move(name);
  return 0;
}

int WriteAll(SysFile& file, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(Fd(file), p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int RenameOver(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int MoveNoReplace(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

int RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

int CreateUniqueFolder(const std::string& base, const std::string& prefix, std::string& path) {
  std::string folder = (base == "/" ? "" : base) + "/" + prefix + "XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    path = std::move(folder);
    return errno;
  }
  path = std::move(folder);
  return 0;
}

int RemoveFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0 ? 0 : errno; }

int MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

int SetCurrentFolder(const std::string& path) { return ::chdir(path.c_str()) == 0 ? 0 : errno; }

std::string CurrentFolder() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() >= (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
  buf.resize(buf.find('\0'));
  return buf;
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || IsAbsolutePath(path)) return path;
  const std::string cwd = CurrentFolder();
  if (cwd.empty()) return path;
  return cwd + "/" + path;
}

std::string TempFolder() {
  // A relative TMPDIR would move with the current folder.
  const char* env = std::getenv("TMPDIR");
  std::string base = env != nullptr && env[0] == '/' ? env : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

std::string FolderFromDosPath(std::string_view dos) {
  // The drive is dropped and both separators are taken: "D:\DRAW" is /DRAW.
  if (dos.size() >= 2 && dos[1] == ':' &&
      ((dos[0] >= 'A' && dos[0] <= 'Z') || (dos[0] >= 'a' && dos[0] <= 'z')))
    dos.remove_prefix(2);
  std::string dir(dos);
  std::replace(dir.begin(), dir.end(), '\\', '/');
  return dir;
}

std::string NativePath(std::string_view path) { return std::string(path); }

bool IdOfPath(const std::string& path, bool follow_links, FileId& id) {
  struct stat st {};
  if ((follow_links ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return false;
  id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool IdOfFile(const SysFile& file, FileId& id) {
  struct stat st {};
  if (::fstat(Fd(file), &st) != 0) return false;
  id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return false;
  while (const dirent* de = ::readdir(d)) {
    FolderEntry e;
    e.name = de->d_name;
    struct stat st {};
    const std::string full = folder == "." ? e.name : folder + "/" + e.name;
    if (::stat(full.c_str(), &st) == 0) {
      e.kind = KindOfMode(st.st_mode);
      e.dos_time = DosTime(st.st_mtime);
    }
    entries.push_back(std::move(e));
  }
  ::closedir(d);
  return true;
}

std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

std::FILE* OpenStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::uint64_t MonotonicMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

void SleepMs(int ms) {
  if (ms <= 0) return;
  timespec ts{ms / 1000, (ms % 1000) * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
