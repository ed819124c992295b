// Menu block reading: a MENU or MENUEX block with its nested POPUP blocks
// becomes records of a menu bar, a menu for every POPUP, an item for every
// MENUITEM and a separator; the classic writer turns them into code.
// Nesting is kept on an explicit stack, so no depth of POPUPs can exhaust
// the process stack.
#pragma once

#include <string>
#include <string_view>

#include "platform/script_lines.h"

namespace dlgforge {

class ProgramRecords;

/// Converts the menu block whose header line (line feed removed) the scanner
/// found. Returns after the block's closing line, after a line that failed
/// the BEGIN test, or at the end of the script.
void convert_menu_block(std::string_view header_line, ScriptLines& script,
                        ProgramRecords& records);

/// Converts one menu level and, through POPUP lines, every level nested in
/// it: `number` 0 is the block's menu bar, a POPUP's menu gets its parent's
/// number plus the parent's popup counter (10, 11, ...).
void convert_menu(std::string_view menu_name, long long number,
                  ScriptLines& script, ProgramRecords& records);

/// The first bytes of the menu statement keywords (MENUITEM, POPUP, END).
inline constexpr std::string_view kMenuWordFirstBytes = "MPE";

/// Notes one whole word of `line` (at `at`) in `facts` when it is a menu
/// statement keyword: the first MENUITEM and POPUP, whether a MENUITEM is
/// followed by " SEPARATOR", whether END occurs. Called for the line's
/// words from left to right.
void note_menu_word(std::string_view line, std::string_view word, size_t at,
                    LineFacts& facts);

/// Appends the variable name of a menu item identifier: "IDM_" at the start
/// becomes "m", the next character keeps its case and the rest is
/// lowercased; any other identifier is unchanged.
void append_menu_item_name(std::string& out, std::string_view identifier);

}  // namespace dlgforge
