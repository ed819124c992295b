#include "driver/scanner.h"

#include "dialog/controls.h"
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

void note_line_facts(std::string_view piece, LineFacts& facts) {
  HeaderWords words = find_header_words(without_line_feed(piece));
  facts.dialogex_at =
      words.dialogex ? static_cast<uint8_t>(*words.dialogex + 1) : 0;
  facts.dialog_at = words.dialog ? static_cast<uint8_t>(*words.dialog + 1) : 0;
  facts.menu = words.menu;
  note_control_keyword(piece, facts);
}

void scan_script(Conversion& run) {
  std::string_view line;
  const LineFacts* facts;
  while (run.script.next(line, facts)) {
    std::string_view text = without_line_feed(line);
    if (text.starts_with('#')) {
      continue;  // Preprocessor lines, but only from the first column.
    }
    HeaderWords words;
    if (run.script.has_facts()) {
      if (facts->dialogex_at != 0) {
        words.dialogex = size_t{facts->dialogex_at} - 1u;
      }
      if (facts->dialog_at != 0) {
        words.dialog = size_t{facts->dialog_at} - 1u;
      }
      words.menu = facts->menu;
    } else {
      words = find_header_words(text);
    }
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
