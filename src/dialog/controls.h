// Control statement reading: the keyword table of recognised control
// statements, the loop over a dialog's control block, and the record of one
// statement (its variable name, label, widget kind, and its place and size
// in pixels); the classic writer turns the record into code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/script_lines.h"
#include "text/words.h"

namespace dlgforge {

struct Conversion;

/// The argument layout of a control statement.
enum class ControlForm {
  NoText = 0,     ///< identifier, x, y, cx, cy, [style], ...
  TextFirst = 1,  ///< text, identifier, x, y, cx, cy, [style], ...
  Generic = 2,    ///< text, identifier, class, style, x, y, cx, cy, ...
};

/// One row of the control keyword table.
struct ControlKeyword {
  std::string_view keyword;
  bool whole_word;  ///< false: plain substring match
  ControlForm form;
  std::string_view class_name;  ///< bare; empty for CONTROL
  std::string_view default_style;
  /// The button type bits of the default style, used only when a control's
  /// style is written as a hexadecimal number.
  uint32_t default_type_bits;
};

/// The recognised control statements, in the order they are tried.
std::span<const ControlKeyword> control_keywords();

/// The first keyword row that matches a line, and where its keyword stands.
struct KeywordMatch {
  const ControlKeyword* row;
  size_t position;
};

/// The first bytes of the keywords that match as whole words: a word that
/// begins with another byte is none of them.
const ByteSet& control_word_first_bytes();

/// Notes one whole word of a line (at `at`) in `facts` when it is a
/// whole-word keyword of an earlier row than any noted so far. Called for
/// the line's words from left to right, this leaves in `facts` the first
/// whole-word row that matches and the first place it stands.
void note_control_word(std::string_view word, size_t at, LineFacts& facts);

/// The first row, in table order, that matches a line whose words were
/// noted in `facts`: the noted whole-word row, failing that CONTROL as a
/// plain substring.
std::optional<KeywordMatch> match_control_keyword(std::string_view line,
                                                  const LineFacts& facts);

/// Reads and converts the lines of the current dialog's control block, up
/// to the line that ends it or the end of the script.
void convert_controls(Conversion& run);

/// Converts one statement: `text` is the rest of its line after the
/// keyword, line feed included.
void convert_control(const ControlKeyword& row, std::string_view text,
                     Conversion& run);

}  // namespace dlgforge
