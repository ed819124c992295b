#include "text/words.h"

#include <cstring>

namespace dlgforge {

// A keyword counts only as a whole word. After a rejected occurrence the
// search resumes n bytes past its start, so "IDR_MENU MENU" finds the second
// MENU and an occurrence overlapping a rejected one is never considered.
std::optional<size_t> find_word(std::string_view text, std::string_view word) {
  for (size_t at = text.find(word); at != std::string_view::npos;
       at = text.find(word, at + word.size())) {
    if (at > 0 && is_word_char(text[at - 1])) {
      continue;
    }
    size_t end = at + word.size();
    if (end < text.size() && is_word_char(text[end])) {
      continue;
    }
    return at;
  }
  return std::nullopt;
}

void trim_leading_blanks(char* s) {
  size_t skip = 0;
  while (s[skip] == ' ' || s[skip] == '\t') {
    ++skip;
  }
  if (skip > 0) {
    std::memmove(s, s + skip, std::strlen(s + skip) + 1);
  }
}

void strip_newline(char* s) {
  if (char* lf = std::strchr(s, '\n')) {
    *lf = '\0';
  }
}

void lowercase_in_place(char* s) {
  for (; *s != '\0'; ++s) {
    if (*s >= 'A' && *s <= 'Z') {
      *s = static_cast<char>(*s + ('a' - 'A'));
    }
  }
}

std::string& replace_all(std::string& out, std::string_view source,
                         std::string_view pattern,
                         std::string_view replacement) {
  out.clear();
  size_t cursor = 0;
  for (size_t at = source.find(pattern); at != std::string_view::npos;
       at = source.find(pattern, cursor)) {
    out.append(source, cursor, at - cursor);
    out.append(replacement);
    cursor = at + pattern.size();
  }
  out.append(source, cursor);
  return out;
}

void append_lowercased(std::string& out, std::string_view s) {
  size_t at = out.size();
  out.append(s);
  for (char* c = out.data() + at; c != out.data() + out.size(); ++c) {
    if (*c >= 'A' && *c <= 'Z') {
      *c = static_cast<char>(*c + ('a' - 'A'));
    }
  }
}

void append_prefixed_name(std::string& out, std::string_view identifier,
                          std::string_view prefix) {
  if (identifier.starts_with(prefix)) {
    append_lowercased(out, identifier.substr(prefix.size()));
  } else {
    out.append(identifier);
  }
}

}  // namespace dlgforge
