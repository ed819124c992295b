#include "linux/fd_sink.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dlgforge {
namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

FdSink::FdSink(int fd) : fd_(fd), buffer_(new char[kBufferSize]) {}

FdSink::~FdSink() = default;

bool FdSink::write(std::string_view bytes) {
  if (error_ != 0) {
    return false;
  }
  // A large block (the writer hands over blocks of up to 64 KiB) goes out
  // directly, not copied first.
  if (used_ + bytes.size() <= kBufferSize && bytes.size() < kBufferSize / 4) {
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return true;
  }
  return flush() && write_all(bytes);
}

bool FdSink::flush() {
  if (error_ != 0) {
    return false;
  }
  size_t used = used_;
  used_ = 0;
  return write_all({buffer_.get(), used});
}

bool FdSink::write_all(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      error_ = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace dlgforge
