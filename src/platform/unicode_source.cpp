#include "platform/unicode_source.h"

#include <cstring>

namespace dlgforge {
namespace {

constexpr size_t kChunk = 1 << 16;
// Invalid UTF-16 (a lone surrogate, an odd final byte) becomes U+FFFD, the
// replacement character, instead of being dropped silently.
constexpr uint32_t kReplacement = 0xFFFD;

bool is_high_surrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

void UnicodeSource::append_code_point(uint32_t c) {
  if (c < 0x80) {
    pending_.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    pending_.push_back(static_cast<char>(0xC0 | (c >> 6)));
    pending_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    pending_.push_back(static_cast<char>(0xE0 | (c >> 12)));
    pending_.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    pending_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    pending_.push_back(static_cast<char>(0xF0 | (c >> 18)));
    pending_.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    pending_.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    pending_.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool UnicodeSource::detect() {
  // Up to three bytes decide: FF FE, FE FF, or EF BB BF.
  std::string head;
  while (head.size() < 3) {
    char buffer[3];
    ssize_t n = inner_.read(buffer, 3 - head.size());
    if (n < 0) {
      return false;
    }
    if (n == 0) {
      input_done_ = true;
      break;
    }
    head.append(buffer, static_cast<size_t>(n));
  }
  if (head.starts_with("\xFF\xFE")) {
    encoding_ = Encoding::Utf16Le;
    carry_ = head.substr(2);
  } else if (head.starts_with("\xFE\xFF")) {
    encoding_ = Encoding::Utf16Be;
    carry_ = head.substr(2);
  } else if (head == "\xEF\xBB\xBF") {
    encoding_ = Encoding::Bytes;
  } else {
    encoding_ = Encoding::Bytes;
    pending_ = std::move(head);
  }
  return true;
}

bool UnicodeSource::decode_more() {
  bool little = encoding_ == Encoding::Utf16Le;
  auto unit_at = [&](size_t i) {
    auto b0 = static_cast<unsigned char>(carry_[i]);
    auto b1 = static_cast<unsigned char>(carry_[i + 1]);
    return little ? static_cast<uint32_t>(b0 | (b1 << 8))
                  : static_cast<uint32_t>((b0 << 8) | b1);
  };
  while (pending_at_ >= pending_.size()) {
    pending_.clear();
    pending_at_ = 0;
    if (!input_done_) {
      size_t had = carry_.size();
      carry_.resize(had + kChunk);
      ssize_t n = inner_.read(carry_.data() + had, kChunk);
      if (n < 0) {
        return false;
      }
      carry_.resize(had + static_cast<size_t>(n));
      input_done_ = n == 0;
    }
    size_t i = 0;
    while (i + 2 <= carry_.size()) {
      uint32_t unit = unit_at(i);
      if (is_high_surrogate(unit)) {
        if (i + 4 > carry_.size()) {
          if (!input_done_) {
            break;  // the low half is in the next chunk
          }
          append_code_point(kReplacement);
          i += 2;
          continue;
        }
        uint32_t low = unit_at(i + 2);
        if (is_low_surrogate(low)) {
          append_code_point(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
          i += 4;
        } else {
          append_code_point(kReplacement);
          i += 2;
        }
        continue;
      }
      append_code_point(is_low_surrogate(unit) ? kReplacement : unit);
      i += 2;
    }
    carry_.erase(0, i);
    if (input_done_) {
      if (!carry_.empty()) {
        append_code_point(kReplacement);  // an odd final byte
        carry_.clear();
      }
      return true;
    }
  }
  return true;
}

ssize_t UnicodeSource::read(char* buffer, size_t size) {
  if (failed_) {
    return -1;
  }
  if (encoding_ == Encoding::Unknown && !detect()) {
    failed_ = true;
    return -1;
  }
  if (encoding_ != Encoding::Bytes && pending_at_ >= pending_.size() &&
      !decode_more()) {
    failed_ = true;
    return -1;
  }
  if (pending_at_ < pending_.size()) {
    size_t n = std::min(size, pending_.size() - pending_at_);
    std::memcpy(buffer, pending_.data() + pending_at_, n);
    pending_at_ += n;
    return static_cast<ssize_t>(n);
  }
  if (encoding_ != Encoding::Bytes || input_done_) {
    return 0;
  }
  return inner_.read(buffer, size);
}

}  // namespace dlgforge
