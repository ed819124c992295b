#include "platform/text_reader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace dlgforge {
namespace {

constexpr size_t kReadChunk = 1 << 16;
constexpr char kCtrlZ = '\x1a';

}  // namespace

ssize_t FdSource::read(char* buffer, size_t size) {
  for (;;) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    return n;
  }
}

ssize_t MemorySource::read(char* buffer, size_t size) {
  size_t n = size < rest_.size() ? size : rest_.size();
  std::memcpy(buffer, rest_.data(), n);
  rest_.remove_prefix(n);
  return static_cast<ssize_t>(n);
}

ScriptReader::ScriptReader(ByteSource& source)
    : source_(source), buffer_(new char[kReadChunk]) {}

ScriptReader::~ScriptReader() = default;

bool ScriptReader::fill() {
  if (begin_ < end_) {
    return true;
  }
  if (finished_) {
    return false;
  }
  ssize_t n = source_.read(buffer_.get(), kReadChunk);
  if (n <= 0) {
    // A read error ends the input exactly like the end of the script.
    finished_ = true;
    return false;
  }
  begin_ = 0;
  end_ = static_cast<size_t>(n);
  return true;
}

bool ScriptReader::read_line(LineBuffer& line) {
  size_t length = 0;
  while (length < kLineBufferSize - 1 && fill()) {
    // Copy the plain run up to the next byte that needs attention (LF, CR or
    // Ctrl-Z) in one go; most lines have none before their LF.
    const char* from = buffer_.get() + begin_;
    size_t room = kLineBufferSize - 1 - length;
    size_t available = end_ - begin_;
    size_t span = available < room ? available : room;
    size_t plain = 0;
    while (plain < span && from[plain] != '\n' && from[plain] != '\r' &&
           from[plain] != kCtrlZ) {
      ++plain;
    }
    std::memcpy(line + length, from, plain);
    length += plain;
    begin_ += plain;
    if (plain == span) {
      continue;
    }
    char c = buffer_[begin_++];
    if (c == kCtrlZ) {
      // Ctrl-Z marks the end of a text file: nothing after it is read.
      finished_ = true;
      begin_ = end_;
      break;
    }
    if (c == '\r') {
      // CR LF becomes one LF; a CR followed by anything else stays a CR.
      if (fill() && buffer_[begin_] == '\n') {
        ++begin_;
        c = '\n';
      }
    }
    line[length++] = c;
    if (c == '\n') {
      break;
    }
  }
  line[length] = '\0';
  return length > 0;
}

}  // namespace dlgforge
