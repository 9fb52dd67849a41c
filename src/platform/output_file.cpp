#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace platform {

OutputFile::~OutputFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temp_.c_str());
  }
}

void OutputFile::Open(const std::string& path, const std::string& display) {
  path_ = path;
  display_ = display;
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  temp_ = folder + "." + base + ".XXXXXX";
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) {
    const int err = errno;
    RunTimeError(OpenFailureCode(path, err), display_, 0, "cannot create: " + FailureReason(path, display_, err));
  }
  // mkstemp gives 0600; an output file gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  buf_.reserve(1 << 16);
  lines_ = 0;
}

void OutputFile::Flush() {
  lines_ += std::count(buf_.begin(), buf_.end(), '\n');
  std::size_t done = 0;
  while (done < buf_.size()) {
    const ssize_t n = ::write(fd_, buf_.data() + done, buf_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RunTimeError(kWriteFailed, display_, 0, std::string("write failed: ") + std::strerror(errno));
    done += static_cast<std::size_t>(n);
  }
  buf_.clear();
}

void OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) RunTimeError(kFileNotOpen, display_, 0, "file not open");
  buf_.append(bytes);
  if (buf_.size() >= (1 << 16)) Flush();
}

std::int64_t OutputFile::Commit() {
  if (fd_ < 0) RunTimeError(kFileNotOpen, display_, 0, "file not open");
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 || ::rename(temp_.c_str(), path_.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp_.c_str());
    RunTimeError(kWriteFailed, display_, 0, std::string("cannot write: ") + std::strerror(err));
  }
  return lines_;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace platform
