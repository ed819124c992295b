// Unicode scripts: Visual Studio saves many resource scripts as UTF-16 with
// a byte-order mark, and some as UTF-8 with one. This byte source turns a
// UTF-16 script (little or big endian) into UTF-8 without the mark, drops a
// leading UTF-8 mark, and passes every other script through untouched, so
// that the line rules apply to the converted bytes as to any 8-bit script.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text_reader.h"

namespace dlgforge {

class UnicodeSource final : public ByteSource {
 public:
  explicit UnicodeSource(ByteSource& inner) : inner_(inner) {}

  ssize_t read(char* buffer, size_t size) override;

 private:
  enum class Encoding { Unknown, Bytes, Utf16Le, Utf16Be };

  // Reads the first bytes and decides the encoding; false on a read error.
  bool detect();
  // Decodes UTF-16 input into `pending_` until something is there or the
  // input ends; false on a read error.
  bool decode_more();
  void append_code_point(uint32_t code_point);

  ByteSource& inner_;
  Encoding encoding_ = Encoding::Unknown;
  std::string pending_;  // decoded or detected bytes not yet handed out
  size_t pending_at_ = 0;
  std::string carry_;  // undecoded input bytes: an odd byte or a surrogate
  bool input_done_ = false;
  bool failed_ = false;
};

}  // namespace dlgforge
