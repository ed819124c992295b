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

/// Tests the rows in table order against a line: whole words for all but
/// CONTROL, which matches as a plain substring.
std::optional<KeywordMatch> match_control_keyword(std::string_view line);

/// Notes in `facts` where `match_control_keyword` finds a keyword in a
/// piece (with its line feed), for the reading thread to work out ahead.
void note_control_keyword(std::string_view piece, LineFacts& facts);

/// Reads and converts the lines of the current dialog's control block, up
/// to the line that ends it or the end of the script.
void convert_controls(Conversion& run);

/// Converts one statement: `text` is the rest of its line after the
/// keyword, line feed included.
void convert_control(const ControlKeyword& row, std::string_view text,
                     Conversion& run);

}  // namespace dlgforge
