// The records of a drawing for a replay. A second thread reads and parses ahead and hands
// them over in blocks through a small ring, in file order; the replay takes them one by one
// and meanwhile transforms and draws. An error of the reader comes out of Next in the
// replay's thread, after the records before it. UGFVIEW_READER_THREADS=1 reads in the
// replay's thread instead, block by block. A screen replay may also have the thread place
// each point in the window (view::PenOf), which is most of the work of drawing it.
#pragma once
#include <array>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "drawing/ugf_reader.h"
#include "view/view_state.h"

namespace drawing {

class RecordStream {
 public:
  static constexpr std::size_t kBlockRecords = 16384;
  static constexpr std::size_t kBlocks = 4;

  RecordStream() = default;
  RecordStream(const RecordStream&) = delete;
  RecordStream& operator=(const RecordStream&) = delete;
  ~RecordStream() { Close(); }

  // As UgfReader::Open, in the caller's thread (so are its errors); then the reading ahead
  // starts.
  void Open(const std::string& path, const std::string& display_name);
  // Records are to come with their places under `transform`: each point turned as RotatePoint
  // turns it when `rotate`, at depth `z`. From the next Open on.
  void PlaceAhead(const view::PointTransform& transform, bool rotate, float z) {
    place_ = true;
    transform_ = transform;
    rotate_ = rotate;
    z_ = z;
  }
  // As UgfReader::Next; false when not open.
  bool Next(UgfRecord& record) {
    if (pos_ < count_) {
      record = records_[pos_++];
      return true;
    }
    return NextBlock(record);
  }
  // As Next, with the record's place (after PlaceAhead).
  bool Next(UgfRecord& record, view::PenPos& pen) {
    if (pos_ < count_) {
      pen = pens_[pos_];
      record = records_[pos_++];
      return true;
    }
    if (!NextBlock(record)) return false;
    pen = pens_[0];
    return true;
  }
  // Stops the reading ahead (the thread is joined) and closes the file. Safe at any moment.
  void Close();

 private:
  struct Block {
    std::unique_ptr<UgfRecord[]> records;
    std::unique_ptr<view::PenPos[]> pens;  // when placing ahead
    std::size_t count = 0;
    bool last = false;           // the end of the data, or an error, after these records
    std::exception_ptr error;
  };

  bool NextBlock(UgfRecord& record);
  void Fill(Block& block);  // the next records from the reader, an error in its place
  void Place(Block& block) const;
  void Work();              // the reading thread

  UgfReader reader_;
  std::array<Block, kBlocks> blocks_;
  std::thread worker_;
  std::mutex mutex_;
  std::condition_variable filled_cv_;  // a block is ready for the replay
  std::condition_variable free_cv_;    // a block is free again, or the reading must stop
  std::size_t ready_ = 0;              // blocks filled and not yet taken (under mutex_)
  std::size_t free_ = 0;               // blocks the thread may fill (under mutex_)
  bool stop_ = false;                  // under mutex_
  std::size_t fill_at_ = 0;            // the reading thread's next block
  std::size_t take_at_ = 0;            // the replay's next block
  bool threaded_ = false;
  Block* current_ = nullptr;           // the block being handed out
  const UgfRecord* records_ = nullptr;
  const view::PenPos* pens_ = nullptr;
  bool place_ = false;
  view::PointTransform transform_{};
  bool rotate_ = false;
  float z_ = 0.0f;
  std::size_t count_ = 0;
  std::size_t pos_ = 0;
  bool finished_ = true;
};

// A second thread for reading, unless UGFVIEW_READER_THREADS=1 asks for one.
bool ReadAheadAllowed();

// Reading threads started and not yet joined, in every stream (0 when no replay reads).
int ReadAheadThreads();
// Told by every other reading thread when it starts (1) and when it is joined (-1).
void CountReadingThread(int change);

}  // namespace drawing
