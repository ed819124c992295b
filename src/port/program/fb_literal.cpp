#include "port/program/fb_literal.h"

#include <algorithm>

namespace dlgforge::port {
namespace {

// Bytes per literal piece before the expression continues on a new line;
// fbc limits a statement's length, not how many lines it spans.
constexpr size_t kPieceBytes = 160;

bool is_control(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

}  // namespace

std::string fb_string(std::string_view bytes) {
  if (bytes.empty()) {
    return "\"\"";
  }
  // Most texts are short and plain: one quoted piece, as they are.
  if (bytes.size() <= kPieceBytes &&
      std::none_of(bytes.begin(), bytes.end(), [](char c) {
        return c == '"' || is_control(static_cast<unsigned char>(c));
      })) {
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    out.append(bytes);
    out += '"';
    return out;
  }
  std::string out;
  // Room for the cuts (" & _" and an indent every kPieceBytes) as well,
  // so that a long text's literal is not built in a buffer twice its size.
  out.reserve(bytes.size() + bytes.size() / 8 + 16);
  bool in_literal = false;
  size_t piece = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto c = static_cast<unsigned char>(bytes[i]);
    bool control = is_control(c);
    // Cut between characters, never inside a UTF-8 sequence, so that each
    // piece stays readable text.
    bool starts_character = (c & 0xC0) != 0x80;
    bool cut = piece >= kPieceBytes && starts_character;
    if (in_literal && (control || cut)) {
      out += '"';
      in_literal = false;
    }
    if (!out.empty() && !in_literal) {
      out += cut ? " & _\n    " : " & ";
    }
    if (cut) {
      piece = 0;
    }
    if (control) {
      out += "Chr(" + std::to_string(c) + ")";
      piece += 8;
      continue;
    }
    if (!in_literal) {
      out += '"';
      in_literal = true;
    }
    if (c == '"') {
      out += "\"\"";
    } else {
      out += static_cast<char>(c);
    }
    ++piece;
  }
  if (in_literal) {
    out += '"';
  }
  return out;
}

std::string number(int value) {
  return std::to_string(value);
}

std::string number(float value) {
  if (value == 0.0f) {
    return "0";
  }
  if (value == 1.0f) {
    return "1";
  }
  return "0.5";
}

}  // namespace dlgforge::port
