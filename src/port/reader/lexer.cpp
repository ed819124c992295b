#include "port/reader/lexer.h"

#include <array>
#include <cstring>

namespace dlgforge::port {

namespace {

// What each byte can be, looked up once per byte in the lexer's loops.
enum CharClass : std::uint8_t {
  kBlank = 1,       // space, tab, CR, FF, VT, NUL: skipped, no new line
  kIdentStart = 2,  // letters and '_'
  kIdentChar = 4,   // letters, digits and '_'
  kStringStop = 8,  // what a string literal's scan stops at: " \\ LF
};

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> table{};
  for (char c : {' ', '\t', '\r', '\f', '\v', '\0'}) {
    table[static_cast<unsigned char>(c)] = kBlank;
  }
  for (char c : {'"', '\\', '\n'}) {
    table[static_cast<unsigned char>(c)] |= kStringStop;
  }
  for (int c = 0; c < 256; ++c) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    bool digit = c >= '0' && c <= '9';
    if (letter) {
      table[c] |= kIdentStart;
    }
    if (letter || digit) {
      table[c] |= kIdentChar;
    }
  }
  return table;
}();

bool has_class(char c, CharClass what) {
  return (kClasses[static_cast<unsigned char>(c)] & what) != 0;
}

}  // namespace

bool is_identifier_start(char c) {
  return has_class(c, kIdentStart);
}

bool is_identifier_char(char c) {
  return has_class(c, kIdentChar);
}

namespace {

// Operators of two characters, read as one token (for `#if` expressions
// and token pasting).
bool is_two_char_operator(char a, char b) {
  switch (a) {
  case '|':
    return b == '|';
  case '&':
    return b == '&';
  case '=':
    return b == '=';
  case '!':
    return b == '=';
  case '<':
    return b == '=' || b == '<';
  case '>':
    return b == '=' || b == '>';
  case '#':
    return b == '#';
  default:
    return false;
  }
}

}  // namespace

std::size_t Lexer::continuation_at(std::size_t at) const {
  if (at + 1 >= text_.size() || text_[at] != '\\') {
    return 0;
  }
  if (text_[at + 1] == '\n') {
    return 2;
  }
  bool crlf =
      text_[at + 1] == '\r' && at + 2 < text_.size() && text_[at + 2] == '\n';
  return crlf ? 3 : 0;
}

void Lexer::advance(std::size_t count) {
  for (std::size_t i = 0; i < count && at_ < text_.size(); ++i) {
    if (text_[at_++] == '\n') {
      ++line_;
      line_begin_ = at_;
      line_start_ = true;
    }
  }
}

void Lexer::skip_blanks() {
  while (at_ < text_.size()) {
    char c = text_[at_];
    if (c == ' ') {
      // Indentation comes in runs of spaces: eight at a time after this one.
      constexpr std::uint64_t kSpaces = 0x2020202020202020;
      std::uint64_t eight;
      ++at_;
      while (at_ + 8 <= text_.size() &&
             (std::memcpy(&eight, text_.data() + at_, 8), eight == kSpaces)) {
        at_ += 8;
      }
      continue;
    }
    if (has_class(c, kBlank)) {
      ++at_;
      continue;
    }
    if (c == '\n') {
      ++at_;
      ++line_;
      line_begin_ = at_;
      line_start_ = true;
      continue;
    }
    if (std::size_t joined = continuation_at(at_); joined != 0) {
      // A line continuation joins the next line to this one.
      at_ += joined;
      ++line_;
      line_begin_ = at_;
      continue;
    }
    if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
      std::size_t end = text_.find('\n', at_);
      at_ = end == text_.npos ? text_.size() : end;
      continue;
    }
    if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '*') {
      std::size_t end = text_.find("*/", at_ + 2);
      std::size_t stop = end == text_.npos ? text_.size() : end + 2;
      advance(stop - at_);
      continue;
    }
    return;
  }
}

void Lexer::next(Token& token) {
  skip_blanks();
  token = Token();
  token.file = file_;
  token.line_start = line_start_;
  token.begin = static_cast<std::uint32_t>(at_);
  token.line = line_;
  token.column = static_cast<std::uint32_t>(at_ - line_begin_ + 1);
  if (at_ >= text_.size()) {
    token.kind = TokenKind::End;
    token.end = token.begin;
    return;
  }
  line_start_ = false;
  std::size_t start = at_;
  char c = text_[at_];
  bool wide =
      (c == 'L' || c == 'l') && at_ + 1 < text_.size() && text_[at_ + 1] == '"';
  if (c == '"' || wide) {
    token.kind = TokenKind::String;
    std::size_t i = at_ + (wide ? 2 : 1);
    for (;;) {
      while (i < text_.size() && !has_class(text_[i], kStringStop)) {
        ++i;  // plain text runs to the next quote, backslash or line end
      }
      if (i >= text_.size() || text_[i] == '\n') {
        token.unterminated = true;
        // A carriage return before the newline is not part of the text.
        if (i > 0 && i <= text_.size() && text_[i - 1] == '\r' &&
            i - 1 > start) {
          --i;
        }
        break;
      }
      char d = text_[i];
      std::size_t joined = continuation_at(i);
      if (joined != 0) {
        // A line continuation inside a string joins the next line to it.
        i += joined;
        ++line_;
        line_begin_ = i;
        continue;
      }
      if (d == '\\' && i + 1 < text_.size()) {
        i += 2;
        continue;
      }
      if (d == '"') {
        if (i + 1 < text_.size() && text_[i + 1] == '"') {
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      ++i;
    }
    at_ = i;
  } else if (has_class(c, kIdentChar)) {
    // A name, or a number: a digit followed by letters and digits.
    token.kind =
        has_class(c, kIdentStart) ? TokenKind::Identifier : TokenKind::Number;
    const char* p = text_.data() + at_ + 1;
    const char* end = text_.data() + text_.size();
    while (p < end && has_class(*p, kIdentChar)) {
      ++p;
    }
    at_ = static_cast<std::size_t>(p - text_.data());
  } else {
    token.kind = TokenKind::Punct;
    bool two =
        at_ + 1 < text_.size() && is_two_char_operator(c, text_[at_ + 1]);
    at_ += two ? 2 : 1;
  }
  token.end = static_cast<std::uint32_t>(at_);
  token.text = text_.substr(start, at_ - start);
}

}  // namespace dlgforge::port
