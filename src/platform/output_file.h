// Output files are written to a temporary file in the target's folder and renamed over the
// target at the end, so no existing file is ever left half-written. A run that ends early
// (a run-time error unwinding) removes the temporary file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace platform {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file next to `path`; a failure ends the run with the run-time
  // error report naming `display`.
  void Open(const std::string& path, const std::string& display);
  void Write(std::string_view bytes);
  // Flushes, closes and renames the temporary file over the target; the lines written.
  std::int64_t Commit();
  bool is_open() const { return file_.is_open(); }

 private:
  void Flush();
  SysFile file_;
  std::string path_;
  std::string temp_;
  std::string display_;
  std::string buf_;
  std::int64_t lines_ = 0;
};

// True when both paths name the same existing file (the system's file identity).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform
