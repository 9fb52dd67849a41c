#include "drawing/record_stream.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace drawing {
namespace {

std::atomic<int> g_threads{0};

}  // namespace

bool ReadAheadAllowed() {
  const char* v = std::getenv("UGFVIEW_READER_THREADS");
  return v == nullptr || std::strcmp(v, "1") != 0;
}

int ReadAheadThreads() { return g_threads.load(); }
void CountReadingThread(int change) { g_threads += change; }

void RecordStream::Open(const std::string& path, const std::string& display_name) {
  Close();
  reader_.TellNoProgress();  // told here, in the replay's thread, block by block
  reader_.Open(path, display_name);
  for (Block& b : blocks_) {
    if (!b.records) b.records = std::make_unique_for_overwrite<UgfRecord[]>(kBlockRecords);
    if (place_ && !b.pens) b.pens = std::make_unique_for_overwrite<view::PenPos[]>(kBlockRecords);
    b.count = 0;
    b.last = false;
    b.error = nullptr;
  }
  ready_ = 0;
  free_ = kBlocks;
  stop_ = false;
  fill_at_ = take_at_ = 0;
  current_ = nullptr;
  records_ = nullptr;
  pens_ = nullptr;
  count_ = pos_ = 0;
  finished_ = false;
  threaded_ = false;
  if (ReadAheadAllowed()) {
    try {
      worker_ = std::thread(&RecordStream::Work, this);
      threaded_ = true;
      ++g_threads;
    } catch (const std::system_error&) {
      // No thread to be had: read in this one.
    }
  }
}

void RecordStream::Close() {
  if (worker_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    free_cv_.notify_one();
    worker_.join();
    --g_threads;
  }
  reader_.Close();
  current_ = nullptr;
  count_ = pos_ = 0;
  finished_ = true;
}

void RecordStream::Fill(Block& block) {
  block.count = 0;
  block.last = false;
  block.error = nullptr;
  try {
    while (block.count < kBlockRecords) {
      const std::size_t n = reader_.Read(block.records.get() + block.count, kBlockRecords - block.count);
      if (n == 0) {
        block.last = true;
        break;
      }
      block.count += n;
    }
  } catch (...) {
    // Carried to the replay's thread, to be thrown there in its place.
    block.error = std::current_exception();
    block.last = true;
  }
  if (place_) Place(block);
}

void RecordStream::Place(Block& block) const {
  const UgfRecord* r = block.records.get();
  view::PenPos* pen = block.pens.get();
  for (std::size_t i = 0; i < block.count; ++i) {
    // As the replay turns a point before it collects it.
    const float x = rotate_ ? -r[i].y : r[i].x;
    const float y = rotate_ ? r[i].x : r[i].y;
    pen[i] = view::PenOf(transform_, x, y, z_);
  }
}

void RecordStream::Work() {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      free_cv_.wait(lock, [this] { return stop_ || free_ > 0; });
      if (stop_) break;
      --free_;
    }
    Block& block = blocks_[fill_at_];
    fill_at_ = (fill_at_ + 1) % kBlocks;
    Fill(block);
    const bool last = block.last;
    {
      const std::lock_guard lock(mutex_);
      ++ready_;
    }
    filled_cv_.notify_one();
    if (last) break;
  }
}

bool RecordStream::NextBlock(UgfRecord& record) {
  for (;;) {
    if (current_ != nullptr) {
      const Block& used = *current_;
      current_ = nullptr;
      count_ = pos_ = 0;
      if (used.last) {
        finished_ = true;
        if (used.error) std::rethrow_exception(used.error);
        return false;
      }
      if (threaded_) {
        {
          const std::lock_guard lock(mutex_);
          ++free_;
        }
        free_cv_.notify_one();
      }
    }
    if (finished_) return false;
    Block* block = &blocks_[0];
    if (threaded_) {
      std::unique_lock lock(mutex_);
      filled_cv_.wait(lock, [this] { return ready_ > 0; });
      --ready_;
      block = &blocks_[take_at_];
      take_at_ = (take_at_ + 1) % kBlocks;
    } else {
      Fill(*block);
    }
    current_ = block;
    records_ = block->records.get();
    pens_ = block->pens.get();
    count_ = block->count;
    ReadProgressProc(static_cast<long>(count_));
    if (count_ > 0) {
      pos_ = 1;
      record = records_[0];
      return true;
    }
  }
}

}  // namespace drawing
