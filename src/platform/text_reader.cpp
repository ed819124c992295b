#include "platform/text_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dlgforge {
namespace {

constexpr size_t kReadChunk = 1 << 16;
constexpr char kCtrlZ = '\x1a';

bool needs_attention(char c) {
  return c == '\n' || c == '\r' || c == kCtrlZ || c == '\0';
}

// The length of the run before the first LF, CR, Ctrl-Z or NUL in
// [p, p + n): sixteen bytes at a time where SSE2 is there (always on
// x86-64), so that a line costs a few vector compares instead of a test per
// byte.
size_t plain_run(const char* p, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i ctrl_z = _mm_set1_epi8(kCtrlZ);
  const __m128i nul = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)),
        _mm_or_si128(_mm_cmpeq_epi8(bytes, ctrl_z),
                     _mm_cmpeq_epi8(bytes, nul)));
    if (int mask = _mm_movemask_epi8(hits)) {
      return i +
             static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  while (i < n && !needs_attention(p[i])) {
    ++i;
  }
  return i;
}

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
    // A read error ends the input too, and is kept for the caller to report.
    if (n < 0) {
      read_error_ = errno != 0 ? errno : EIO;
    }
    finished_ = true;
    return false;
  }
  begin_ = 0;
  end_ = static_cast<size_t>(n);
  return true;
}

bool ScriptReader::read_line(LineBuffer& line) {
  size_t length = 0;
  text_length_ = kLineBufferSize;  // no NUL seen yet
  while (length < kLineBufferSize - 1 && fill()) {
    // Copy the plain run up to the next byte that needs attention (LF, CR,
    // Ctrl-Z or NUL) in one go; most lines have none before their LF.
    const char* from = buffer_.get() + begin_;
    size_t room = kLineBufferSize - 1 - length;
    size_t available = end_ - begin_;
    size_t span = available < room ? available : room;
    size_t plain = plain_run(from, span);
    std::memcpy(line + length, from, plain);
    length += plain;
    begin_ += plain;
    if (plain == span) {
      continue;
    }
    char c = buffer_[begin_++];
    if (c == '\0') {
      // Stored like any other byte; the text ends at the first one.
      text_length_ = length < text_length_ ? length : text_length_;
      line[length++] = c;
      continue;
    }
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
  text_length_ = length < text_length_ ? length : text_length_;
  return length > 0;
}

}  // namespace dlgforge
