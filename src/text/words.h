// Line and word primitives: whole-word keyword search and the in-place
// operations on zero-terminated 8-bit lines that every converter shares.
// None of them allocates; character classes follow the "C" locale, so bytes
// 0x80-0xFF are never letters, digits or word characters.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dlgforge {

/// The word characters as a table, so that the test is one load.
inline constexpr std::array<bool, 256> kWordChars = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z') || c == '_';
  }
  return table;
}();

/// True for 0-9, A-Z, a-z and the underscore.
constexpr bool is_word_char(char c) {
  return kWordChars[static_cast<unsigned char>(c)];
}

#if defined(__SSE2__)
/// Bit i set when byte i of the sixteen at `p` is a word character: digits,
/// letters (either case, by setting the 0x20 bit) and the underscore; bytes
/// from 0x80 compare as negative and are never word characters.
inline uint64_t word_char_bits(const char* p) {
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
  __m128i folded = _mm_or_si128(c, _mm_set1_epi8(0x20));
  __m128i letter =
      _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                    _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
  __m128i word = _mm_or_si128(_mm_or_si128(digit, letter),
                              _mm_cmpeq_epi8(c, _mm_set1_epi8('_')));
  return static_cast<uint16_t>(_mm_movemask_epi8(word));
}
#endif

/// Bit i set when `p[i]` is a word character, for i < `length` (at most 64):
/// sixteen bytes at a time where SSE2 is there (always on x86-64).
inline uint64_t word_char_mask(const char* p, size_t length) {
  uint64_t mask = 0;
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= length; i += 16) {
    mask |= word_char_bits(p + i) << i;
  }
  if (i < length && length >= 16) {
    // The last sixteen bytes, which overlap the ones already done, shifted
    // into place: no copy of the tail, whose reload would stall on the
    // copy's stores.
    size_t overlap = i + 16 - length;
    return mask | (word_char_bits(p + length - 16) >> overlap) << i;
  }
#endif
  for (; i < length; ++i) {
    mask |= static_cast<uint64_t>(is_word_char(p[i])) << i;
  }
  return mask;
}

/// Copies `n` bytes like memcpy, but inline for the short texts names and
/// labels are: two overlapping moves instead of a library call.
inline void copy_bytes(char* to, const char* from, size_t n) {
  if (n >= 8 && n <= 16) {
    uint64_t head;
    uint64_t tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4 && n < 8) {
    uint32_t head;
    uint32_t tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + n - 4, &tail, 4);
  } else if (n < 4) {
    for (size_t i = 0; i < n; ++i) {
      to[i] = from[i];
    }
  } else {
    std::memcpy(to, from, n);
  }
}

/// Whether `n` bytes at `a` and at `b` are equal, like memcmp, but inline
/// for the short words keywords are: two overlapping loads from each.
inline bool equal_bytes(const char* a, const char* b, size_t n) {
  if (n >= 8 && n <= 16) {
    uint64_t a_head, a_tail, b_head, b_tail;
    std::memcpy(&a_head, a, 8);
    std::memcpy(&a_tail, a + n - 8, 8);
    std::memcpy(&b_head, b, 8);
    std::memcpy(&b_tail, b + n - 8, 8);
    return ((a_head ^ b_head) | (a_tail ^ b_tail)) == 0;
  }
  if (n >= 4 && n < 8) {
    uint32_t a_head, a_tail, b_head, b_tail;
    std::memcpy(&a_head, a, 4);
    std::memcpy(&a_tail, a + n - 4, 4);
    std::memcpy(&b_head, b, 4);
    std::memcpy(&b_tail, b + n - 4, 4);
    return ((a_head ^ b_head) | (a_tail ^ b_tail)) == 0;
  }
  if (n < 4) {
    for (size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) {
        return false;
      }
    }
    return true;
  }
  return std::memcmp(a, b, n) == 0;
}

/// Whether two texts are equal, by `equal_bytes`.
inline bool same_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() && equal_bytes(a.data(), b.data(), a.size());
}

/// Position of the first whole-word occurrence of `word` in `text`, or none.
/// `word` must not be empty.
std::optional<size_t> find_word(std::string_view text, std::string_view word);

/// Calls `visit(word, position)` for every maximal run of word characters in
/// `text`, left to right. For a keyword made only of word characters, a
/// whole-word occurrence is exactly such a run equal to it, and no occurrence
/// can overlap a rejected one, so one pass over the runs finds what
/// `find_word` finds for several keywords at once. `visit` returns false to
/// stop early.
template <typename Visit>
void for_each_word(std::string_view text, Visit visit) {
  // The word characters of each 64-byte block are found at once as a bit
  // mask (`word_char_mask`), and the runs are read off the mask, so that a
  // line costs a few instructions per word instead of a branch per byte. A
  // run that reaches the end of a block continues in the next one.
  size_t start = 0;
  bool in_word = false;
  for (size_t block = 0; block < text.size(); block += 64) {
    size_t length = text.size() - block < 64 ? text.size() - block : 64;
    uint64_t mask = word_char_mask(text.data() + block, length);
    size_t i = 0;
    while (i < length) {
      if (!in_word) {
        uint64_t rest = mask >> i;
        if (rest == 0) {
          break;
        }
        i += static_cast<size_t>(std::countr_zero(rest));
        start = block + i;
        in_word = true;
      }
      uint64_t rest = ~mask >> i;
      if (rest == 0) {
        break;  // the run goes on in the next block
      }
      i += static_cast<size_t>(std::countr_zero(rest));
      if (i >= length) {
        break;
      }
      in_word = false;
      if (!visit(text.substr(start, block + i - start), start)) {
        return;
      }
    }
  }
  if (in_word) {
    visit(text.substr(start), start);
  }
}

/// A set of bytes, as a table: `set[c]` for byte c.
using ByteSet = std::array<bool, 256>;

/// The set of the given bytes.
constexpr ByteSet byte_set(std::string_view bytes) {
  ByteSet set{};
  for (char c : bytes) {
    set[static_cast<unsigned char>(c)] = true;
  }
  return set;
}

/// Calls `visit(word, position)`, left to right, for every maximal run of
/// word characters in `text` whose first byte is in `first`: what
/// `for_each_word` visits, less the words that cannot be a keyword sought.
/// The words' starts are read off the word-character masks, so a line costs
/// a few instructions per word and the rejected words no call. `visit`
/// returns false to stop early.
template <typename Visit>
void for_each_word_starting(std::string_view text, const ByteSet& first,
                            Visit visit) {
  uint64_t carry = 0;  // 1 when the byte before the block is a word char
  for (size_t block = 0; block < text.size(); block += 64) {
    size_t length = text.size() - block < 64 ? text.size() - block : 64;
    uint64_t mask = word_char_mask(text.data() + block, length);
    uint64_t starts = mask & ~((mask << 1) | carry);
    carry = mask >> 63;
    // The starts whose byte is in `first`, gathered without a branch per
    // word: which words are sought is hard to predict, which words there
    // are is not.
    uint64_t sought = 0;
    for (; starts != 0; starts &= starts - 1) {
      size_t i = static_cast<size_t>(std::countr_zero(starts));
      sought |= uint64_t{first[static_cast<unsigned char>(text[block + i])]}
                << i;
    }
    for (; sought != 0; sought &= sought - 1) {
      size_t i = static_cast<size_t>(std::countr_zero(sought));
      size_t at = block + i;
      size_t end;
      if (uint64_t rest = ~mask >> i) {
        end = at + static_cast<size_t>(std::countr_zero(rest));
        end = end < text.size() ? end : text.size();
      } else {
        end = block + 64;  // the word goes on past the block
        while (end < text.size() && is_word_char(text[end])) {
          ++end;
        }
      }
      if (!visit(text.substr(at, end - at), at)) {
        return;
      }
    }
  }
}

/// Removes leading spaces and tabs of a zero-terminated string, in place.
void trim_leading_blanks(char* s);

/// Cuts a zero-terminated string at its first line feed, in place.
void strip_newline(char* s);

/// Turns A-Z into a-z in a zero-terminated string, in place.
void lowercase_in_place(char* s);

/// Writes `source` into `out` with every occurrence of `pattern` replaced by
/// `replacement`, left to right, without overlaps; the inserted text is never
/// searched again. `pattern` must not be empty. Returns `out`.
std::string& replace_all(std::string& out, std::string_view source,
                         std::string_view pattern,
                         std::string_view replacement);

/// The part of `s` before its first leading space or tab is removed, as a
/// view: the read-only counterpart of `trim_leading_blanks`.
constexpr std::string_view without_leading_blanks(std::string_view s) {
  size_t i = 0;
  if (!std::is_constant_evaluated()) {
    // Statements are indented and aligned with runs of spaces: eight at a
    // time.
    constexpr uint64_t kEightSpaces = 0x2020202020202020;
    for (uint64_t eight; i + 8 <= s.size(); i += 8) {
      std::memcpy(&eight, s.data() + i, 8);
      if (eight != kEightSpaces) {
        break;
      }
    }
  }
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
    ++i;
  }
  return s.substr(i);
}

/// Appends `s` with A-Z turned into a-z.
void append_lowercased(std::string& out, std::string_view s);

/// Appends the variable name for a resource identifier: when it begins with
/// `prefix` (case-sensitive), the rest lowercased; otherwise unchanged.
void append_prefixed_name(std::string& out, std::string_view identifier,
                          std::string_view prefix);

/// A hash of a short name, eight bytes a step (each a multiply), for tables
/// looked up by the million where a byte-wise hash costs more than the
/// lookup. `fold` is OR-ed into every byte of the name: 0x20 folds the case
/// of a name of letters, digits and underscores and keeps them apart.
inline std::uint64_t word_hash(std::string_view name, unsigned char fold = 0) {
  constexpr std::uint64_t kMix = 0xFF51AFD7ED558CCDull;
  const std::uint64_t folds = fold * 0x0101010101010101ull;
  std::uint64_t hash = name.size() * 0x9E3779B97F4A7C15ull;
  std::size_t at = 0;
  for (; at + 8 <= name.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, name.data() + at, 8);
    hash = (hash ^ (word | folds)) * kMix;
  }
  if (std::size_t rest = name.size() - at; rest != 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, name.data() + at, rest);
    hash = (hash ^ (word | (folds >> (8 * (8 - rest))))) * kMix;
  }
  return hash ^ (hash >> 32);
}

}  // namespace dlgforge
