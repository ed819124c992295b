// Field splitting and number reading for statement lines. The converter
// reads fields the way the C library's strtok and sscanf read them, but
// through small functions with an explicit cursor, so no hidden state is
// shared between callers and no overflow is undefined.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace dlgforge {

/// Splits a text at one delimiter character as strtok does: leading
/// delimiters are skipped, a run of delimiters is one separator, and no field
/// is returned once only delimiters (or nothing) remain.
class FieldSplitter {
 public:
  FieldSplitter(std::string_view text, char delimiter)
      : rest_(text), delimiter_(delimiter) {}

  /// The next field, without its delimiter, or none.
  std::optional<std::string_view> next() {
    size_t start = first_field_byte();
    if (start == rest_.size()) {
      rest_ = {};
      return std::nullopt;
    }
    // Fields are a few bytes long: a plain loop finds their end sooner than
    // a library call.
    size_t end = start;
    while (end < rest_.size() && rest_[end] != delimiter_) {
      ++end;
    }
    std::string_view field = rest_.substr(start, end - start);
    rest_.remove_prefix(end < rest_.size() ? end + 1 : rest_.size());
    return field;
  }

  /// Whether a further call of `next` would return a field.
  bool has_next() const { return first_field_byte() != rest_.size(); }

 private:
  size_t first_field_byte() const {
    size_t i = 0;
    while (i < rest_.size() && rest_[i] == delimiter_) {
      ++i;
    }
    return i;
  }

  std::string_view rest_;
  char delimiter_;
};

/// White space as formatted input skips it: space, tab, LF, VT, FF, CR.
constexpr bool is_scan_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

/// Reads a decimal integer as "%d" does: leading white space skipped, an
/// optional sign, then digits. On success returns the value and advances
/// `text` past the digits; with no digit, returns none and leaves `text` as
/// it was. Values beyond 32 bits wrap around.
inline std::optional<int32_t> scan_decimal(std::string_view& text) {
  size_t i = 0;
  while (i < text.size() && is_scan_space(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  size_t digits_start = i;
  uint32_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    ++i;
  }
  if (i == digits_start) {
    return std::nullopt;
  }
  text.remove_prefix(i);
  return static_cast<int32_t>(negative ? 0u - value : value);
}

/// Reads numbers with the pattern "%d,%d,...": one decimal per target, each
/// but the last followed directly by a comma. Reading stops at the first
/// mismatch; the targets from there on keep their values.
void scan_decimal_list(std::string_view text,
                       std::span<int32_t* const> targets);

/// Reads a hexadecimal number as "%x" does (white space skipped, digits 0-9,
/// a-f, A-F). Returns 0 when there is no digit; wraps beyond 32 bits.
uint32_t scan_hex(std::string_view text);

}  // namespace dlgforge
