#include "port/reader/token_pipeline.h"

#include <utility>

namespace dlgforge::port {
namespace {

// A batch of 2,048 tokens is about 100 KB, in the second-level cache
// while the parser reads it. The preprocessor is usually the faster:
// when all the batches are read, it sleeps until half of them are free
// again, so that each thread is woken once every few batches.
constexpr std::size_t kBatchTokens = 2048;
constexpr std::size_t kBatches = 8;
constexpr std::size_t kWakeReader = kBatches / 2;

}  // namespace

TokenPipeline::TokenPipeline(Preprocessor& preprocessor,
                             std::function<void()> between_batches)
    : preprocessor_(preprocessor),
      between_batches_(std::move(between_batches)) {
  tokens_.reserve(kBatchTokens);
  for (std::size_t i = 0; i < kBatches; ++i) {
    free_.push_back(std::make_unique<Batch>());
    free_.back()->tokens.reserve(kBatchTokens);
  }
  reader_ = std::thread([this] { read(); });
}

TokenPipeline::~TokenPipeline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  reader_woken_.notify_one();
  reader_.join();
}

void TokenPipeline::read() {
  for (;;) {
    std::unique_ptr<Batch> batch;
    {
      std::unique_lock lock(mutex_);
      if (free_.empty()) {
        reader_waits_ = true;
        reader_woken_.wait(
            lock, [this] { return stopping_ || free_.size() >= kWakeReader; });
        reader_waits_ = false;
      }
      if (stopping_) {
        return;
      }
      batch = std::move(free_.back());
      free_.pop_back();
    }
    batch->tokens.clear();
    batch->warnings.clear();
    bool ended = false;
    preprocessor_.hold_warnings(&batch->warnings);
    try {
      while (!ended && batch->tokens.size() < kBatchTokens) {
        preprocessor_.next(batch->tokens.emplace_back());
        ended = batch->tokens.back().kind == TokenKind::End;
      }
    } catch (...) {
      // Out of memory, most likely: the parser meets it where the
      // preprocessor did, after the tokens read before it (the batch has
      // room for them all, so the one being read when it was thrown is the
      // last).
      batch->tokens.pop_back();
      batch->failure = std::current_exception();
      ended = true;
    }
    preprocessor_.hold_warnings(nullptr);
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      ready_.push_back(std::move(batch));
      wake = parser_waits_;
    }
    if (wake) {
      parser_woken_.notify_one();
    }
    if (ended) {
      return;
    }
    if (between_batches_) {
      between_batches_();
    }
  }
}

void TokenPipeline::take_batch() {
  if (failure_) {
    std::rethrow_exception(failure_);
  }
  std::unique_ptr<Batch> batch;
  {
    std::unique_lock lock(mutex_);
    if (ready_.empty()) {
      parser_waits_ = true;
      parser_woken_.wait(lock, [this] { return !ready_.empty(); });
      parser_waits_ = false;
    }
    batch = std::move(ready_.front());
    ready_.pop_front();
  }
  tokens_.swap(batch->tokens);
  warnings_.swap(batch->warnings);
  failure_ = batch->failure;
  at_ = 0;
  held_at_ = 0;
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    free_.push_back(std::move(batch));
    wake = reader_waits_ && free_.size() >= kWakeReader;
  }
  if (wake) {
    reader_woken_.notify_one();
  }
  if (tokens_.empty() && failure_) {
    std::rethrow_exception(failure_);
  }
}

void TokenPipeline::record_warnings() {
  // A warning held while the preprocessor read token N (counting from 0)
  // is recorded before that token is handed out.
  while (held_at_ < warnings_.size() &&
         warnings_[held_at_].token <= handed_out_) {
    preprocessor_.warn(std::move(warnings_[held_at_]));
    ++held_at_;
  }
}

}  // namespace dlgforge::port
