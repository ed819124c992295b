// The script's lines as the converters take them: each piece of a line as
// `ScriptReader` reads it, viewed up to its first NUL byte (a NUL ends a
// line's text for every string operation). The pieces are read in batches;
// when a script is longer than one batch, the rest is read ahead on a second
// thread, so that the system calls, Unicode decoding and splitting at line
// ends run beside the conversion instead of before each line of it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/text_reader.h"

namespace dlgforge {

/// A piece without the line feed that ends it. A piece ends at its line's
/// first line feed, so only its last byte can be one.
constexpr std::string_view without_line_feed(std::string_view piece) {
  return !piece.empty() && piece.back() == '\n'
             ? piece.substr(0, piece.size() - 1)
             : piece;
}

/// What the converters need to know of a piece that follows from its text
/// alone: where the header, control and menu keywords stand as whole words,
/// and whether it holds a closing brace. The function the driver gives works
/// them out on the reading thread, ahead of the conversion, which then only
/// looks them up. Positions are stored plus one, 0 meaning absent (a piece is
/// at most 255 bytes).
struct LineFacts {
  uint8_t dialogex_at = 0;     ///< first DIALOGEX word
  uint8_t dialog_at = 0;       ///< first DIALOG word
  bool menu_header = false;    ///< a MENU or MENUEX word
  uint8_t control_row = 0;     ///< first whole-word control row, plus one
  uint8_t control_at = 0;      ///< where that row's keyword first stands
  uint8_t item_at = 0;         ///< first MENUITEM word
  uint8_t popup_at = 0;        ///< first POPUP word
  bool separator = false;      ///< a MENUITEM word followed by " SEPARATOR"
  bool end_word = false;       ///< an END word
  bool closing_brace = false;  ///< a "}" anywhere
};
using LineFactsFunction = void (*)(std::string_view piece, LineFacts& facts);

class ScriptLines {
 public:
  /// Reads the first batch at once; `reader` is read by this object alone
  /// from here until `next` has returned false. `facts` is called once for
  /// every piece, on the reading thread: it must depend on the piece alone.
  ScriptLines(ScriptReader& reader, LineFactsFunction facts);
  ScriptLines(const ScriptLines&) = delete;
  ScriptLines& operator=(const ScriptLines&) = delete;
  ~ScriptLines();

  /// The next piece, with the line feed that ends its line if it has one.
  /// False, with nothing read, at the end of the script; then the reader
  /// has stopped. The view stays valid until the next call.
  bool next(std::string_view& line) {
    if (at_ < current_->count) [[likely]] {
      line = std::string_view(current_->lines[at_], current_->lengths[at_]);
      ++at_;
      return true;
    }
    return next_from_batch(line);
  }

  /// `next`, with the facts of the piece.
  bool next(std::string_view& line, const LineFacts*& facts) {
    if (!next(line)) {
      return false;
    }
    facts = &current_->facts[at_ - 1];
    return true;
  }

 private:
  static constexpr size_t kBatchLines = 2048;
  static constexpr size_t kBatches = 4;

  struct Batch {
    std::unique_ptr<LineBuffer[]> lines;  // allocated when first filled
    uint16_t lengths[kBatchLines];
    LineFacts facts[kBatchLines];
    size_t count = 0;
    bool last = false;  // the reader ended in this batch
  };

  void fill(Batch& batch);
  void read_ahead();
  // Releases the consumed batch and waits for the next one.
  void advance();
  // `next` once the current batch is used up.
  bool next_from_batch(std::string_view& line);

  ScriptReader& reader_;
  LineFactsFunction facts_;
  std::unique_ptr<Batch[]> batches_;
  Batch* current_;
  size_t at_ = 0;  // next piece of the current batch

  std::mutex mutex_;
  std::condition_variable filled_;
  std::condition_variable released_;
  size_t produced_ = 1;  // batches filled so far
  size_t consumed_ = 0;  // batches handed back
  bool stop_ = false;
  std::thread reader_thread_;
};

}  // namespace dlgforge
