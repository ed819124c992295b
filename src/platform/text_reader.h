// Reading a resource script the way a Windows text-mode stream reads it:
// CR LF arrives as LF, a lone CR stays, a Ctrl-Z byte ends the input, and a
// line is read in pieces of at most 255 bytes that stop after a LF. Where the
// bytes come from (a file descriptor, memory) is a `ByteSource`.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace dlgforge {

/// Size of every line buffer: at most 255 bytes of a line and the NUL.
inline constexpr size_t kLineBufferSize = 256;

/// A line buffer as the converters read into it.
using LineBuffer = char[kLineBufferSize];

/// A source of raw bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// Reads up to `size` bytes into `buffer`; returns the count, 0 at the
  /// end, or a negative number on a read error.
  virtual ssize_t read(char* buffer, size_t size) = 0;
};

/// Bytes from an open file descriptor (not closed by this object).
class FdSource final : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  ssize_t read(char* buffer, size_t size) override;

 private:
  int fd_;
};

/// Bytes from memory that outlives the source.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  ssize_t read(char* buffer, size_t size) override;

 private:
  std::string_view rest_;
};

/// Reads lines from a byte source with text-mode translation.
class ScriptReader {
 public:
  explicit ScriptReader(ByteSource& source);
  ScriptReader(const ScriptReader&) = delete;
  ScriptReader& operator=(const ScriptReader&) = delete;
  ~ScriptReader();

  /// Reads the next piece of a line into `line`: up to and including the
  /// next LF, at most 255 bytes, always NUL-terminated. Returns false, with
  /// nothing read, at the end of the input or after a read error. A NUL byte
  /// inside a line is stored like any other byte, so it ends the line's text
  /// for every string operation while still counting toward the 255.
  bool read_line(LineBuffer& line);

  /// The length of the last piece's text: up to its first NUL byte, as
  /// `strlen` gives it, found while the piece was read.
  size_t text_length() const { return text_length_; }

  /// The errno of the read that failed, or 0 while none has. A failed read
  /// ends the input like its end, so whoever reads the script checks this
  /// once the reading is done: the script was not read whole.
  int read_error() const { return read_error_; }

 private:
  // Makes at least one unread byte available; false at the end or on error.
  bool fill();

  ByteSource& source_;
  std::unique_ptr<char[]> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  size_t text_length_ = 0;
  bool finished_ = false;  // end, error or Ctrl-Z seen: nothing more is read
  int read_error_ = 0;
};

}  // namespace dlgforge
