// Reading UGF drawings: a label line, then records "X Y PenNo" until a negative PenNo.
// The reader parses in place from large blocks; it never holds the drawing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace drawing {

struct UgfRecord {
  float x = 0;
  float y = 0;
  std::int32_t pen = 0;
};

class UgfReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // A longer number is a bad number; the buffer never grows beyond a block and this.
  static constexpr std::size_t kMaxToken = 4096;

  UgfReader() = default;
  // Reads in blocks of `block_size` bytes (at least 1); tests use small blocks to put
  // numbers across block ends.
  explicit UgfReader(std::size_t block_size);
  UgfReader(const UgfReader&) = delete;
  UgfReader& operator=(const UgfReader&) = delete;
  ~UgfReader();

  // Opens the file and skips the label line. A file that cannot be opened ends the run
  // with the run-time error report (code of the failed open), naming `display_name`.
  void Open(const std::string& path, const std::string& display_name);
  // The next record, its line skipped to the end. False at the end of the data: the end of
  // the file (an incomplete last record is dropped). A record with a negative pen is
  // returned like any other; the caller stops there. A number that cannot be read ends
  // the run with code 106; a file without a first record with code 100.
  bool Next(UgfRecord& record);
  void Close();
  long line() const { return line_; }  // line of the last record read (1-based)
  bool is_open() const { return file_.is_open(); }

 private:
  bool Fill();                 // more bytes into the buffer; false at the end of the file
  bool SkipBlanks();           // to the next number; false at the end of the file
  std::size_t TokenEnd();      // end of the number at pos_ (refills, keeping the number)
  [[noreturn]] void BadNumber(std::size_t end);
  void SkipLine();
  float ReadReal();
  std::int32_t ReadInteger();
  bool EndOfData();

  platform::SysFile file_;
  std::string name_;
  std::vector<char> buf_;
  std::size_t block_size_ = kDefaultBlockSize;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool done_ = false;     // end of the data seen, or a negative pen returned
  long line_ = 1;         // line of the last record
  long cur_line_ = 1;     // line at pos_
  long records_ = 0;
};

}  // namespace drawing
