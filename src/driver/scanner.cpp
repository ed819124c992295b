#include "driver/scanner.h"

#include "dialog/conversion.h"
#include "dialog/dialog.h"
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

HeaderWords find_header_words(std::string_view line) {
  // Only words that begin like a header keyword are looked at.
  static constexpr ByteSet kFirstBytes = byte_set("DM");
  HeaderWords found;
  for_each_word_starting(line, kFirstBytes,
                         [&found](std::string_view word, size_t at) {
                           if (word == "DIALOGEX") {
                             found.dialogex = found.dialogex.value_or(at);
                           } else if (word == "DIALOG") {
                             found.dialog = found.dialog.value_or(at);
                           } else if (word == "MENU" || word == "MENUEX") {
                             found.menu = true;
                           }
                           return !found.dialogex;
                         });
  return found;
}

void scan_script(Conversion& run) {
  std::string_view line;
  while (run.script.next(line)) {
    std::string_view text = without_line_feed(line);
    if (text.starts_with('#')) {
      continue;  // Preprocessor lines, but only from the first column.
    }
    HeaderWords words = find_header_words(text);
    if (words.dialogex) {
      convert_dialog(text, *words.dialogex, "DIALOGEX", run);
    } else if (words.dialog) {
      convert_dialog(text, *words.dialog, "DIALOG", run);
    } else if (words.menu) {
      convert_menu_block(text, run.script, run.records);
    }
  }
}

}  // namespace dlgforge
