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

namespace {

// The first bytes of every keyword a line's facts look for.
const ByteSet kFactWordFirstBytes = [] {
  ByteSet first = control_word_first_bytes();
  for (std::string_view bytes : {std::string_view("DM"), kMenuWordFirstBytes}) {
    for (char c : bytes) {
      first[static_cast<unsigned char>(c)] = true;
    }
  }
  return first;
}();

}  // namespace

void note_line_facts(std::string_view piece, LineFacts& facts) {
  std::string_view line = without_line_feed(piece);
  for_each_word_starting(line, kFactWordFirstBytes,
                         [&](std::string_view word, size_t at) {
                           if (word == "DIALOGEX") {
                             if (facts.dialogex_at == 0) {
                               facts.dialogex_at = static_cast<uint8_t>(at + 1);
                             }
                           } else if (word == "DIALOG") {
                             if (facts.dialog_at == 0) {
                               facts.dialog_at = static_cast<uint8_t>(at + 1);
                             }
                           } else if (word == "MENU" || word == "MENUEX") {
                             facts.menu_header = true;
                           } else {
                             note_menu_word(line, word, at, facts);
                             note_control_word(word, at, facts);
                           }
                           return true;
                         });
  facts.closing_brace = line.find('}') != std::string_view::npos;
}

void scan_script(Conversion& run) {
  std::string_view line;
  const LineFacts* facts;
  while (run.script.next(line, facts)) {
    std::string_view text = without_line_feed(line);
    if (text.starts_with('#')) {
      continue;  // Preprocessor lines, but only from the first column.
    }
    // The header words were found on the reading thread
    // (`note_line_facts`).
    if (facts->dialogex_at != 0) {
      convert_dialog(text, facts->dialogex_at - 1u, "DIALOGEX", run);
    } else if (facts->dialog_at != 0) {
      convert_dialog(text, facts->dialog_at - 1u, "DIALOG", run);
    } else if (facts->menu_header) {
      convert_menu_block(text, run.script, run.records);
    }
  }
}

}  // namespace dlgforge
