#include "text/words.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dlgforge {

uint64_t word_char_mask(const char* p, size_t length) {
#if defined(__SSE2__)
  // Sixteen bytes at a time: digits, letters (either case, by setting the
  // 0x20 bit) and the underscore; bytes from 0x80 compare as negative and
  // are never word characters.
  alignas(16) char block[64] = {};
  const char* bytes = p;
  if (length < 64) {
    std::memcpy(block, p, length);
    bytes = block;
  }
  const __m128i before_0 = _mm_set1_epi8('0' - 1);
  const __m128i after_9 = _mm_set1_epi8('9' + 1);
  const __m128i before_a = _mm_set1_epi8('a' - 1);
  const __m128i after_z = _mm_set1_epi8('z' + 1);
  const __m128i case_bit = _mm_set1_epi8(0x20);
  const __m128i underscore = _mm_set1_epi8('_');
  uint64_t mask = 0;
  for (int part = 0; part < 4; ++part) {
    __m128i c =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(c, before_0), _mm_cmplt_epi8(c, after_9));
    __m128i folded = _mm_or_si128(c, case_bit);
    __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, before_a),
                                   _mm_cmplt_epi8(folded, after_z));
    __m128i word = _mm_or_si128(_mm_or_si128(digit, letter),
                                _mm_cmpeq_epi8(c, underscore));
    mask |=
        static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(word)))
        << (16 * part);
  }
  return length < 64 ? mask & ((uint64_t{1} << length) - 1) : mask;
#else
  uint64_t mask = 0;
  for (size_t i = 0; i < length; ++i) {
    mask |= static_cast<uint64_t>(is_word_char(p[i])) << i;
  }
  return mask;
#endif
}

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
