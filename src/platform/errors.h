// The run-time error report and the normal end of the program. Both are thrown and
// caught in main; nothing below main ends the process itself.
#pragma once
#include <cstdint>
#include <exception>
#include <source_location>
#include <string>
#include <string_view>

namespace platform {

// Error codes of the file layer.
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;
inline constexpr int kReadPastEnd = 100;
inline constexpr int kWriteFailed = 101;
inline constexpr int kFileNotOpen = 103;
inline constexpr int kNotOpenForInput = 104;
inline constexpr int kNotOpenForOutput = 105;
inline constexpr int kBadNumber = 106;
// A fault of the program itself: memory ran out, or an exception nothing else caught.
inline constexpr int kHeapOverflow = 203;
inline constexpr int kUnhandledException = 217;

// Thrown for the normal end (quit confirmed, script used up, main menu left).
struct ProgramEnd {
  int status = 0;
};

// Thrown when the window system cannot give the program a window.
struct NoWindow {
  std::string reason;
};

// Thrown by RunTimeError; main prints the report and exits with `code`.
class RunTimeFailure : public std::exception {
 public:
  RunTimeFailure(int code, std::string file, long line, std::string what, std::uint32_t site);
  const char* what() const noexcept override { return what_.c_str(); }
  int code() const { return code_; }
  const std::string& file() const { return file_; }
  long line() const { return line_; }
  std::uint32_t site() const { return site_; }
  // "Runtime error N at 0xXXXXXXXX"
  std::string ReportLine() const;
  // "ugfview: FILE: line L: what" (parts that are unknown are left out)
  std::string DetailLine() const;

 private:
  int code_;
  std::string file_;
  long line_;
  std::string what_;
  std::uint32_t site_;
};

// Ends the run with the run-time error report. `file` and `line` name the data file and
// its line (line 0: not known); the call site is identified by a hash of source file and line.
[[noreturn]] void RunTimeError(int code, std::string_view file, long line, std::string_view what,
                               std::source_location where = std::source_location::current());
[[noreturn]] void RunTimeError(int code, std::string_view what,
                               std::source_location where = std::source_location::current());

// The run-time error code for an errno value of a failed open.
int OpenErrorCode(int err);

std::uint32_t Crc32(std::string_view data);

}  // namespace platform
