// Reading UGF drawings: a label line, then records "X Y PenNo" until a negative PenNo.
// The reader parses records where they lie in large blocks of the file; it never holds the
// drawing. Records in the writers' layout take a path made for them (whole records at a time,
// each number in one pass); anything else goes through the general one, number by number.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hook.h"
#include "platform/system.h"

namespace drawing {

// Told the records a reader has read since it last told, whenever it fetches a block and when
// it closes (the progress of batch runs); does nothing by default.
extern platform::Hook<void(long)> ReadProgressProc;

struct UgfRecord {
  float x = 0;
  float y = 0;
  std::int32_t pen = 0;
};

class UgfReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // Numbers up to this length are parsed where they lie; a longer one is read through and
  // condensed to the digits that decide its value. The buffer never grows beyond a block
  // and this.
  static constexpr std::size_t kMaxToken = 4096;
  // Significant digits a condensed number keeps: more than any decimal needs to round to
  // the nearest float; a non-zero digit beyond them only breaks a tie.
  static constexpr std::size_t kKeptDigits = 160;

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
  // As Open, reading only the bytes from `begin` (0, or the start of a line: no label line is
  // skipped there) up to `end`, where the file seems to end to the reader; `end` -1 for the
  // file's own end.
  void OpenRange(const std::string& path, const std::string& display_name, std::int64_t begin,
                 std::int64_t end);
  // The records of a range ended at its end, between two records: the data may go on after it.
  bool EndedAtRangeEnd() const { return at_range_end_ && between_records_; }
  // The next record, its line skipped to the end. False at the end of the data: the end of
  // the file or a DOS end-of-file byte (an incomplete last record is dropped). A record with a negative pen is
  // returned like any other; the caller stops there. A number that cannot be read ends
  // the run with code 106; a file without a first record with code 100.
  bool Next(UgfRecord& record) { return Read(&record, 1) == 1; }
  // Up to `max` records into `out`, as Next reads them one by one; 0 at the end of the data.
  // An error comes after the records before it: those are returned first, and the next call
  // ends the run.
  std::size_t Read(UgfRecord* out, std::size_t max);
  void Close();
  // A reader that reads for another thread leaves the telling of ReadProgressProc, which
  // belongs to the program's thread, to whoever takes its records (RecordStream).
  void TellNoProgress() { tells_progress_ = false; }
  long line() const { return line_; }  // line of the last record read (1-based)
  long records() const { return records_; }
  bool is_open() const { return file_.is_open(); }

 private:
  // Bytes after the start of a record that the record path wants in the buffer: a record
  // cut by the end of the block takes the general path.
  static constexpr std::size_t kWindow = 64;

  std::size_t ReadRecords(UgfRecord* out, std::size_t max);
  // Records in the writers' layout, each on a line of its own inside the window, from pos_;
  // stops at the first one it cannot take whole.
  std::size_t FastRecords(UgfRecord* out, std::size_t max);
  bool GeneralRecord(UgfRecord& record);  // one record, any layout; false at the end
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
  char* data_ = nullptr;       // the data in buf_
  std::size_t capacity_ = 0;   // bytes the data may take
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
  bool tells_progress_ = true;
  std::exception_ptr pending_;  // an error that waits for the records before it
  std::int64_t offset_ = 0;     // where the next read starts in the file, when reading a range
  std::int64_t range_end_ = -1; // the end of the range; -1 when reading the file as it comes
  bool ranged_ = false;
  bool at_range_end_ = false;   // the reads stopped at range_end_
  bool between_records_ = false;  // the data ended before a record's first number
};

}  // namespace drawing
