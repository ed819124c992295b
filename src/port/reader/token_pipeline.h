// The preprocessor on a thread of its own: it reads ahead in batches of
// tokens while the parser builds the model from the batches before, so
// that a large script is read on two cores. The parser sees the same
// tokens, and the model the same warnings in the same order, as when it
// asks the preprocessor itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "port/reader/lexer.h"
#include "port/reader/preprocessor.h"

namespace dlgforge::port {

class TokenPipeline {
 public:
  /// Starts reading `preprocessor` on a new thread; it must not be asked
  /// for tokens by anyone else until the pipeline is gone. The thread calls
  /// `between_batches`, when set, after each batch it reads.
  TokenPipeline(Preprocessor& preprocessor,
                std::function<void()> between_batches = {});
  /// Stops the reading thread, wherever it is, and waits for it.
  ~TokenPipeline();
  TokenPipeline(const TokenPipeline&) = delete;
  TokenPipeline& operator=(const TokenPipeline&) = delete;

  /// The next token, End at the end of the script (and after it). The
  /// preprocessor's warnings that arose while it read the token are
  /// recorded first, as they would be without the pipeline.
  Token next() {
    if (at_ == tokens_.size()) {
      take_batch();
    }
    if (held_at_ < warnings_.size()) {
      record_warnings();
    }
    ++handed_out_;
    const Token& token = tokens_[at_];
    if (token.kind != TokenKind::End) {
      ++at_;
    }
    return token;
  }

 private:
  struct Batch {
    std::vector<Token> tokens;
    std::vector<HeldWarning> warnings;
    std::exception_ptr failure;  // what stopped the reading, after tokens
  };

  void read();
  void take_batch();
  void record_warnings();

  Preprocessor& preprocessor_;
  std::function<void()> between_batches_;
  // The batch being taken from: its vectors, exchanged with the empty ones
  // of the batch handed back.
  std::vector<Token> tokens_;
  std::vector<HeldWarning> warnings_;
  std::exception_ptr failure_;
  std::size_t at_ = 0, held_at_ = 0;
  std::uint64_t handed_out_ = 0;

  std::mutex mutex_;
  std::condition_variable reader_woken_, parser_woken_;
  std::deque<std::unique_ptr<Batch>> ready_;  // read, in order
  std::vector<std::unique_ptr<Batch>> free_;  // to be filled again
  bool reader_waits_ = false, parser_waits_ = false;
  bool stopping_ = false;
  std::thread reader_;
};

}  // namespace dlgforge::port
