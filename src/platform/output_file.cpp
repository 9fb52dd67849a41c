#include "platform/output_file.h"

#include <algorithm>
#include <cstring>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace platform {

OutputFile::~OutputFile() {
  if (file_.is_open()) {
    file_.Close();
    RemoveFile(temp_);
  }
}

void OutputFile::Open(const std::string& path, const std::string& display) {
  path_ = path;
  display_ = display;
  if (const int err = CreateUniqueFile(FolderOf(path) + "." + FileNameOf(path) + ".", "", file_, temp_))
    RunTimeError(OpenFailureCode(path, err), display_, 0, "cannot create: " + FailureReason(path, display_, err));
  buf_.reserve(1 << 16);
  lines_ = 0;
}

void OutputFile::Flush() {
  lines_ += std::count(buf_.begin(), buf_.end(), '\n');
  if (const int err = WriteAll(file_, buf_.data(), buf_.size()))
    RunTimeError(kWriteFailed, display_, 0, std::string("write failed: ") + std::strerror(err));
  buf_.clear();
}

void OutputFile::Write(std::string_view bytes) {
  if (!file_.is_open()) RunTimeError(kFileNotOpen, display_, 0, "file not open");
  buf_.append(bytes);
  if (buf_.size() >= (1 << 16)) Flush();
}

std::int64_t OutputFile::Commit() {
  if (!file_.is_open()) RunTimeError(kFileNotOpen, display_, 0, "file not open");
  Flush();
  int err = file_.Close();
  if (err == 0) err = RenameOver(temp_, path_);
  if (err != 0) {
    RemoveFile(temp_);
    RunTimeError(kWriteFailed, display_, 0, std::string("cannot write: ") + std::strerror(err));
  }
  return lines_;
}

bool SameFile(const std::string& a, const std::string& b) {
  FileId ia, ib;
  return IdOfPath(a, true, ia) && IdOfPath(b, true, ib) && ia == ib;
}

}  // namespace platform
