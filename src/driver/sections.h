// The five output sections that collect the generated program while the
// script is read, and the handler-stub writer that every converter uses.
// Nothing is written to standard output until the whole script was read.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dlgforge {

/// One append-only text of the generated program, kept in blocks that are
/// never moved once written: a large document then needs no reallocation
/// that copies it and briefly holds it twice.
class Section {
 public:
  Section() = default;
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;
  ~Section();

  /// Appends bytes unchanged.
  void append(std::string_view text) {
    if (text.size() <= static_cast<size_t>(end_ - cursor_)) {
      if (!text.empty()) {
        std::memcpy(cursor_, text.data(), text.size());
        cursor_ += text.size();
      }
      return;
    }
    append_in_new_blocks(text);
  }
  size_t size() const;
  bool empty() const { return size() == 0; }
  /// The whole text in one string.
  std::string str() const;
  /// The text as consecutive blocks, in order.
  std::vector<std::string_view> blocks() const;

 private:
  struct Block {
    char* data;
    size_t capacity;
  };
  void append_in_new_blocks(std::string_view text);

  std::vector<Block> blocks_;
  size_t full_blocks_size_ = 0;  // bytes in every block but the last
  char* cursor_ = nullptr;       // where the last block's text ends
  char* end_ = nullptr;          // where the last block ends
};

/// The generated program's five append-only texts, printed in a fixed order
/// at the end (see `write_document`).
struct OutputSections {
  Section declarations;
  Section dialog_code;
  Section menu_code;
  Section callback_decls;
  Section callback_bodies;
};

/// The default body of a generated handler.
inline constexpr std::string_view kDefaultHandlerBody =
    "\t'Please write your codes here.\n";

/// Writes the declaration of the handler `widget`_`signal` into
/// `callback_decls` and its Sub ... End Sub block into `callback_bodies`.
/// `body` is appended unchanged; none selects the default body.
void emit_callback_stub(std::string_view widget, std::string_view signal,
                        Section& callback_decls, Section& callback_bodies,
                        std::optional<std::string_view> body = std::nullopt);

/// Appends pieces of text to a section (or a string) in one call, so that a
/// generated line with values is built without an intermediate format
/// buffer.
template <typename Text, typename... Pieces>
void append(Text& out, const Pieces&... pieces) {
  (out.append(std::string_view(pieces)), ...);
}

/// The decimal text of `value`, in a small buffer of its own.
struct DecimalText {
  explicit DecimalText(long long value);
  operator std::string_view() const { return {digits, length}; }
  char digits[24];
  size_t length;
};

/// Appends the decimal text of `value`.
template <typename Text>
void append_int(Text& out, long long value) {
  out.append(std::string_view(DecimalText(value)));
}

}  // namespace dlgforge
