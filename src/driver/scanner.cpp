#include "driver/scanner.h"

#include "dialog/dialog.h"
#include "driver/conversion.h"
#include "menu/menu.h"
#include "text/words.h"

namespace dlgforge {

std::optional<HeaderMatch> find_dialog_header(std::string_view line) {
  for (std::string_view keyword : {"DIALOGEX", "DIALOG"}) {
    if (std::optional<size_t> at = find_word(line, keyword)) {
      return HeaderMatch{keyword, *at};
    }
  }
  return std::nullopt;
}

bool is_menu_header(std::string_view line) {
  return find_word(line, "MENU") || find_word(line, "MENUEX");
}

void scan_script(Conversion& run) {
  LineBuffer line;
  while (run.script.read_line(line)) {
    strip_newline(line);
    std::string_view text(line);
    if (text.starts_with('#')) {
      continue;  // Preprocessor lines, but only from the first column.
    }
    if (std::optional<HeaderMatch> dialog = find_dialog_header(text)) {
      convert_dialog(line, dialog->position, dialog->keyword, run);
    } else if (is_menu_header(text)) {
      convert_menu_block(text, run);
    }
  }
}

}  // namespace dlgforge
