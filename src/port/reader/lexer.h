// The tokens of a resource script and the lexer that cuts one file's text
// into them. The lexer knows nothing of directives or macros: it marks the
// first token of each line so that the preprocessor can find directives,
// and keeps every token as a view of the file's text with its position.
#pragma once

#include <cstdint>
#include <string_view>

namespace dlgforge::port {

enum class TokenKind : std::uint8_t {
  End,         // end of the input
  Identifier,  // letters, digits and '_', not starting with a digit
  Number,      // a digit followed by letters and digits (0x1F, 10L, ...)
  String,      // "..." or L"...", quotes and prefix included in `text`
  Punct,       // an operator or any other character
  CodePage,    // a `#pragma code_page` marker made by the preprocessor
};

struct Token {
  TokenKind kind = TokenKind::End;
  bool line_start = false;    // first token of its line
  bool unterminated = false;  // a string literal that the line ended
  // Set by the preprocessor: afxres.h or atlres.h had been included when
  // the token was handed to the parser.
  bool framework_headers = false;
  // CodePage: the page, 0 for DEFAULT. String: the `#pragma code_page` in
  // force where the parser read it, 0 for none.
  std::uint16_t codepage = 0;
  std::uint32_t file = 0;  // index of the file the token is read in
  // Byte range in that file; for a token made by a macro, the range of the
  // whole macro call, so that text "as written" can be cut from the file.
  std::uint32_t begin = 0, end = 0;
  std::uint32_t line = 0, column = 0;  // 1-based, of `begin`
  std::uint32_t expansion = 0;         // 0, or the macro call it came from
  std::string_view text;               // the spelling

  bool is(std::string_view punct) const {
    return kind == TokenKind::Punct && text == punct;
  }
  /// The same for a one-character operator: the parser asks this of
  /// nearly every token, so it is kept to two comparisons.
  bool is(char punct) const {
    return kind == TokenKind::Punct && text.size() == 1 && text[0] == punct;
  }
};

/// Cuts a file's text into tokens. Comments and line continuations are
/// blanks; a string literal ends at its closing quote (`""` and `\"` do not
/// close it) or, unterminated, at the end of the line; a backslash-newline
/// continues it on the next line.
class Lexer {
 public:
  Lexer(std::string_view text, std::uint32_t file) : text_(text), file_(file) {}

  Token next() {
    Token token;
    next(token);
    return token;
  }
  /// The same, written into `token`.
  void next(Token& token);

  /// The text between two offsets, for `#include <...>` and messages.
  std::string_view slice(std::uint32_t begin, std::uint32_t end) const {
    return text_.substr(begin, end - begin);
  }

 private:
  void skip_blanks();
  /// The length of a backslash-newline at `at`, 0 when there is none.
  std::size_t continuation_at(std::size_t at) const;
  void advance(std::size_t count);

  std::string_view text_;
  std::uint32_t file_;
  std::size_t at_ = 0;
  std::uint32_t line_ = 1;
  std::size_t line_begin_ = 0;
  bool line_start_ = true;
};

bool is_identifier_start(char c);
bool is_identifier_char(char c);

}  // namespace dlgforge::port
