// Menu block reading: a MENU or MENUEX block with its nested POPUP blocks
// becomes records of a menu bar, a menu for every POPUP, an item for every
// MENUITEM and a separator; the classic writer turns them into code.
// Nesting is kept on an explicit stack, so no depth of POPUPs can exhaust
// the process stack.
#pragma once

#include <string_view>

namespace dlgforge {

class ProgramRecords;
class ScriptLines;

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

/// Appends the variable name of a menu item identifier: "IDM_" at the start
/// becomes "m", the next character keeps its case and the rest is
/// lowercased; any other identifier is unchanged.
void append_menu_item_name(std::string& out, std::string_view identifier);

}  // namespace dlgforge
