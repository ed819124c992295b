// Turning the bytes of a script into text: the byte-order marks that make a
// file Unicode, and the conversion of string literals from the code page in
// force to UTF-8 with iconv. Which code page is in force is the parser's
// business; this file only converts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace dlgforge::port {

/// A file's text ready for the lexer. A UTF-16 file (with its byte-order
/// mark, or recognised by its zero high bytes) is converted to UTF-8; a
/// UTF-8 byte-order mark is dropped. Either makes the file `unicode`: its
/// strings are UTF-8 whatever code page is in force. A file without a mark
/// whose bytes are valid UTF-8 and not all ASCII is `utf8`: its strings are
/// UTF-8 where no code page is in force.
struct SourceText {
  std::string text;
  bool unicode = false;
  bool utf8 = false;
  bool invalid = false;  // some UTF-16 did not convert (became U+FFFD)
};

SourceText prepare_source(std::string bytes);

/// Whether `bytes` are well-formed UTF-8 (no overlong form, no surrogate,
/// nothing above U+10FFFF) holding at least one character beyond ASCII.
bool is_utf8_beyond_ascii(std::string_view bytes);

/// Appends the UTF-8 form of a code point (U+FFFD for one that is not a
/// scalar value).
void append_utf8(std::string& out, char32_t code_point);

/// Converts bytes from Windows code pages to UTF-8 with one iconv
/// descriptor per code page, kept for the thread's life.
class CodePageDecoder {
 public:
  CodePageDecoder() = default;
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;
  ~CodePageDecoder();

  /// Whether iconv knows the code page.
  bool supports(unsigned codepage);

  /// Whether ASCII text in the code page is its own UTF-8: in all but
  /// UTF-16.
  static bool keeps_ascii(unsigned codepage);

  /// Appends `bytes` converted from `codepage` (65001 for UTF-8, 1200 and
  /// 1201 for UTF-16) to `out`. A sequence that does not convert becomes
  /// U+FFFD; the result says whether that happened. An unknown code page
  /// reads as 1252.
  bool decode(std::string_view bytes, unsigned codepage, std::string& out);

 private:
  static void* handle(unsigned codepage);
};

}  // namespace dlgforge::port
