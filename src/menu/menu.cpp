#include "menu/menu.h"

#include <charconv>
#include <string>
#include <vector>

#include "output/records.h"
#include "platform/script_lines.h"
#include "text/fields.h"
#include "text/words.h"

namespace dlgforge {
namespace {

// One open menu level. `popup_label` holds the label of the POPUP whose
// child level is open above this one, copied before the child reads lines.
struct MenuLevel {
  long long number = 0;
  long long popup_counter = 10;
  std::string widget;
  std::string popup_label;
};

constexpr std::string_view kMenuItemKeyword = "MENUITEM";
constexpr std::string_view kPopupKeyword = "POPUP";

// Whether " SEPARATOR" follows at `at` as a whole word: with the MENUITEM
// before it, the statement MENUITEM SEPARATOR.
bool is_separator_after(std::string_view line, size_t at) {
  constexpr std::string_view kSeparator = " SEPARATOR";
  if (line.substr(at, kSeparator.size()) != kSeparator) {
    return false;
  }
  size_t end = at + kSeparator.size();
  return end == line.size() || !is_word_char(line[end]);
}

bool opens_block(std::string_view line) {
  return find_word(line, "BEGIN") || line.find('{') != std::string_view::npos;
}

// A MENUITEM line with one field that is a separator word spelled with
// other spacing ("MENUITEM  SEPARATOR", "MENUITEM\tSEPARATOR") or a MENUEX
// type without label and identifier ("MENUITEM MFT_SEPARATOR").
bool is_lone_separator_word(std::string_view field) {
  size_t end = field.find_last_not_of(" \t");
  field = field.substr(0, end == std::string_view::npos ? 0 : end + 1);
  return field == "SEPARATOR" || field == "MFT_SEPARATOR";
}

class MenuConverter {
 public:
  MenuConverter(std::string_view menu_name, ScriptLines& script,
                ProgramRecords& records)
      : menu_name_(menu_name), script_(script), records_(records) {}

  void run(long long number) {
    if (!open_level(number)) {
      close_level();
      return;
    }
    std::string_view line;
    const LineFacts* facts;
    while (!levels_.empty()) {
      if (!script_.next(line, facts)) {
        // The script ended inside the block: every open level still closes,
        // so each enclosing POPUP writes its item lines.
        while (!levels_.empty()) {
          close_level();
        }
        return;
      }
      convert_line(without_line_feed(line), *facts);
    }
  }

 private:
  // Declares and creates the menu of a level and reads the line that must
  // open its block. False when that line is missing or holds no BEGIN or
  // "{": the level then stays empty, and the line is dropped.
  bool open_level(long long number) {
    MenuLevel level;
    level.number = number;
    level.widget.assign(menu_name_);
    if (number != 0) {
      char digits[24];
      auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
      level.widget.append(digits, end);
    }
    records_.add(MenuRecord{level.widget, number == 0});
    levels_.push_back(std::move(level));
    std::string_view line;
    return script_.next(line) && opens_block(line);
  }

  // Ends the innermost level. When it was a POPUP's menu, the enclosing
  // level now creates the POPUP's item, adds it and sets the submenu.
  void close_level() {
    long long child = levels_.back().number;
    levels_.pop_back();
    if (levels_.empty()) {
      return;
    }
    MenuLevel& parent = levels_.back();
    records_.add(
        PopupEndRecord{child, parent.popup_label, parent.widget, menu_name_});
    ++parent.popup_counter;
  }

  // The statement of a line, tested in this order: MENUITEM SEPARATOR,
  // MENUITEM, POPUP, then END or a closing brace, as `note_menu_word` noted
  // them.
  void convert_line(std::string_view line, const LineFacts& facts) {
    if (facts.separator) {
      write_separator();
    } else if (facts.item_at != 0) {
      convert_item(line.substr(facts.item_at - 1u + kMenuItemKeyword.size()));
    } else if (facts.popup_at != 0) {
      convert_popup(line.substr(facts.popup_at - 1u + kPopupKeyword.size()));
    } else if (facts.end_word || facts.closing_brace) {
      close_level();
    }
  }

  void write_separator() {
    records_.add(SeparatorRecord{levels_.back().widget});
  }

  void convert_item(std::string_view after_keyword) {
    if (after_keyword.empty()) {
      return;  // MENUITEM alone: no label and no identifier.
    }
    // The one character after the keyword, normally a blank, is skipped.
    FieldSplitter fields(after_keyword.substr(1), ',');
    std::optional<std::string_view> label = fields.next();
    std::optional<std::string_view> identifier = fields.next();
    std::optional<std::string_view> type = fields.next();
    if (!label) {
      return;
    }
    if (!identifier) {
      if (is_lone_separator_word(without_leading_blanks(*label))) {
        write_separator();
      }
      return;  // An item without identifier has no variable to name.
    }
    if (type && without_leading_blanks(*type) == "MFT_SEPARATOR") {
      write_separator();
      return;
    }
    std::string& item = item_name_;
    item.clear();
    append_menu_item_name(item, without_leading_blanks(*identifier));
    records_.add(MenuItemRecord{item, without_leading_blanks(*label),
                                levels_.back().widget});
  }

  void convert_popup(std::string_view after_keyword) {
    MenuLevel& level = levels_.back();
    // The label is the text up to the first comma. A POPUP with nothing
    // after it gets the empty string as its label, so that the generated
    // line stays valid and its block is still read as its own.
    std::optional<std::string_view> label =
        FieldSplitter(after_keyword, ',').next();
    level.popup_label.assign(label ? without_leading_blanks(*label) : "\"\"");
    long long child = level.number + level.popup_counter;
    records_.add(PopupRecord{child});
    if (!open_level(child)) {
      close_level();
    }
  }

  std::string_view menu_name_;
  ScriptLines& script_;
  ProgramRecords& records_;
  std::vector<MenuLevel> levels_;
  std::string item_name_;  // reused, so an item costs no allocation
};

}  // namespace

// Each keyword counts as a whole word anywhere in the line, inside a quoted
// label too: that is deliberate, as existing scripts and users rely on this
// exact output.
void note_menu_word(std::string_view line, std::string_view word, size_t at,
                    LineFacts& facts) {
  if (word == kMenuItemKeyword) {
    if (facts.item_at == 0) {
      facts.item_at = static_cast<uint8_t>(at + 1);
    }
    facts.separator =
        facts.separator || is_separator_after(line, at + word.size());
  } else if (word == kPopupKeyword) {
    if (facts.popup_at == 0) {
      facts.popup_at = static_cast<uint8_t>(at + 1);
    }
  } else if (word == "END") {
    facts.end_word = true;
  }
}

void append_menu_item_name(std::string& out, std::string_view identifier) {
  constexpr std::string_view kItemPrefix = "IDM_";
  if (!identifier.starts_with(kItemPrefix)) {
    out.append(identifier);
    return;
  }
  out.push_back('m');
  std::string_view rest = identifier.substr(kItemPrefix.size());
  if (!rest.empty()) {
    out.push_back(rest[0]);
    append_lowercased(out, rest.substr(1));
  }
}

void convert_menu(std::string_view menu_name, long long number,
                  ScriptLines& script, ProgramRecords& records) {
  MenuConverter(menu_name, script, records).run(number);
}

void convert_menu_block(std::string_view header_line, ScriptLines& script,
                        ProgramRecords& records) {
  records.add(MenuStartRecord{});
  // The header word is split at blanks only: a tab stays part of it.
  std::string_view word = FieldSplitter(header_line, ' ').next().value_or("");
  std::string menu_name;
  append_prefixed_name(menu_name, word, "IDR_");
  convert_menu(menu_name, 0, script, records);
}

}  // namespace dlgforge
