// The plain record reader: one number at a time, each through a general parser. The fast
// reader (ugf_reader.h) must give exactly its records and errors; tests, the fuzz target and
// the reader benchmark hold the two side by side.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/ugf_reader.h"
#include "platform/system.h"

namespace drawing {

class ReferenceUgfReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // Numbers up to this length are parsed where they lie; a longer one is read through and
  // condensed to the digits that decide its value. The buffer never grows beyond a block
  // and this.
  static constexpr std::size_t kMaxToken = 4096;
  // Significant digits a condensed number keeps: more than any decimal needs to round to
  // the nearest float; a non-zero digit beyond them only breaks a tie.
  static constexpr std::size_t kKeptDigits = 160;

  ReferenceUgfReader() = default;
  // Reads in blocks of `block_size` bytes (at least 1); tests use small blocks to put
  // numbers across block ends.
  explicit ReferenceUgfReader(std::size_t block_size);
  ReferenceUgfReader(const ReferenceUgfReader&) = delete;
  ReferenceUgfReader& operator=(const ReferenceUgfReader&) = delete;
  ~ReferenceUgfReader();

  // Opens the file and skips the label line. A file that cannot be opened ends the run
  // with the run-time error report (code of the failed open), naming `display_name`.
  void Open(const std::string& path, const std::string& display_name);
  // The next record, its line skipped to the end. False at the end of the data: the end of
  // the file or a DOS end-of-file byte (an incomplete last record is dropped). A record with a negative pen is
  // returned like any other; the caller stops there. A number that cannot be read ends
  // the run with code 106; a file without a first record with code 100.
  bool Next(UgfRecord& record);
  void Close();
  long line() const { return line_; }  // line of the last record read (1-based)
  bool is_open() const { return file_.is_open(); }

 private:
  bool Fill();                 // more bytes into the buffer; false at the end of the file
  bool SkipBlanks();           // to the next number; false at the end of the file
  // End of the number at pos_ (refills, keeping the number); npos when it is longer than
  // kMaxToken.
  std::size_t TokenEnd();
  // Reads through the long number at pos_, condensed in long_ to [sign] 0.digits e exponent
  // (a real) or [sign] digits (an integer), or ends the run with code 106.
  void ReadLongNumber(bool real, float& real_out, std::int32_t& integer_out);
  [[noreturn]] void BadNumber(std::size_t end);
  [[noreturn]] void BadNumber(std::string_view shown);
  void SkipLine();
  float ReadReal();
  std::int32_t ReadInteger();
  bool EndOfData();

  platform::SysFile file_;
  std::string name_;
  std::vector<char> buf_;
  std::array<char, kKeptDigits + 32> long_{};
  std::size_t block_size_ = kDefaultBlockSize;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool done_ = false;     // end of the data seen, or a negative pen returned
  long line_ = 1;         // line of the last record
  long cur_line_ = 1;     // line at pos_
  long records_ = 0;
  long told_ = 0;          // records ReadProgressProc was told of
};

}  // namespace drawing
