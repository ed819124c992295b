// The top-level scan of a resource script: every line is tested for a
// dialog or menu header, and a header line is handed to its block
// converter, which reads the rest of its block from the same script.
#pragma once

#include <optional>
#include <string_view>

#include "platform/script_lines.h"

namespace dlgforge {

struct Conversion;

/// A header keyword found in a line, and where.
struct HeaderMatch {
  std::string_view keyword;
  size_t position;
};

/// The dialog keyword of a line: DIALOGEX, failing that DIALOG, as whole
/// words anywhere in the line.
std::optional<HeaderMatch> find_dialog_header(std::string_view line);

/// Whether a line holds MENU or MENUEX as a whole word.
bool is_menu_header(std::string_view line);

/// Everything the scan and the block converters look up for a piece, found
/// in one pass over its words: the header words (the first DIALOGEX, the
/// first DIALOG, whether MENU or MENUEX occurs), the control keyword's
/// whole-word row and the menu statement keywords; and whether it holds a
/// closing brace. Worked out on the reading thread, as the
/// `LineFactsFunction` of the scan's `ScriptLines`.
void note_line_facts(std::string_view piece, LineFacts& facts);

/// Reads the script to its end, handing each dialog and menu header line
/// to its converter. Lines that begin with "#" in the first column are
/// skipped; every other line without a header keyword is ignored.
void scan_script(Conversion& run);

}  // namespace dlgforge
