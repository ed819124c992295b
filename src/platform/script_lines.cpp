#include "platform/script_lines.h"

namespace dlgforge {

ScriptLines::ScriptLines(ScriptReader& reader, LineFactsFunction facts)
    : reader_(reader),
      facts_(facts),
      batches_(new Batch[kBatches]),
      current_(&batches_[0]) {
  fill(batches_[0]);
  if (!batches_[0].last) {
    reader_thread_ = std::thread([this] { read_ahead(); });
  }
}

ScriptLines::~ScriptLines() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  released_.notify_one();
  if (reader_thread_.joinable()) {
    reader_thread_.join();
  }
}

void ScriptLines::fill(Batch& batch) {
  // Only the batches a script needs are allocated: one for most scripts.
  if (!batch.lines) {
    batch.lines.reset(new LineBuffer[kBatchLines]);
  }
  batch.count = 0;
  while (batch.count < kBatchLines) {
    LineBuffer& line = batch.lines[batch.count];
    if (!reader_.read_line(line)) {
      batch.last = true;
      return;
    }
    uint16_t length = static_cast<uint16_t>(reader_.text_length());
    batch.lengths[batch.count] = length;
    batch.facts[batch.count] = LineFacts{};
    facts_(std::string_view(line, length), batch.facts[batch.count]);
    ++batch.count;
  }
}

void ScriptLines::read_ahead() {
  for (;;) {
    Batch* batch;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      released_.wait(
          lock, [this] { return stop_ || produced_ - consumed_ < kBatches; });
      if (stop_) {
        return;
      }
      batch = &batches_[produced_ % kBatches];
    }
    fill(*batch);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++produced_;
    }
    filled_.notify_one();
    if (batch->last) {
      return;
    }
  }
}

void ScriptLines::advance() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++consumed_;
  released_.notify_one();
  filled_.wait(lock, [this] { return produced_ > consumed_; });
  current_ = &batches_[consumed_ % kBatches];
  at_ = 0;
}

bool ScriptLines::next_from_batch(std::string_view& line) {
  while (at_ == current_->count) {
    if (current_->last) {
      if (reader_thread_.joinable()) {
        reader_thread_.join();
      }
      return false;
    }
    advance();
  }
  line = std::string_view(current_->lines[at_], current_->lengths[at_]);
  ++at_;
  return true;
}

}  // namespace dlgforge
