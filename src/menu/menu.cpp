#include "menu/menu.h"

#include <string>
#include <vector>

#include "dialog/dialog.h"
#include "driver/conversion.h"
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
  MenuConverter(std::string_view menu_name, Conversion& run)
      : menu_name_(menu_name), run_(run) {}

  void run(long long number) {
    if (!open_level(number)) {
      close_level();
      return;
    }
    LineBuffer buffer;
    while (!levels_.empty()) {
      if (!run_.script.read_line(buffer)) {
        // The script ended inside the block: every open level still closes,
        // so each enclosing POPUP writes its item lines.
        while (!levels_.empty()) {
          close_level();
        }
        return;
      }
      strip_newline(buffer);
      convert_line(buffer);
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
      append_int(level.widget, number);
    }
    append(run_.sections.declarations, "Dim Shared ", level.widget,
           " As GtkWidget Ptr\n");
    append(run_.sections.menu_code, level.widget,
           number == 0 ? " = gtk_menu_bar_new()\n" : " = gtk_menu_new()\n");
    levels_.push_back(std::move(level));
    LineBuffer buffer;
    return run_.script.read_line(buffer) && opens_block(buffer);
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
    Section& code = run_.sections.menu_code;
    append(code, "item");
    append_int(code, child);
    append(code, " = gtk_menu_item_new_with_mnemonic(", parent.popup_label,
           ")\n");
    append(code, "gtk_container_add(GTK_CONTAINER(", parent.widget, "), item");
    append_int(code, child);
    append(code, ")\n");
    append(code, "gtk_menu_item_set_submenu(GTK_MENU_ITEM(item");
    append_int(code, child);
    append(code, "), ", menu_name_);
    append_int(code, child);
    append(code, ")\n");
    ++parent.popup_counter;
  }

  void convert_line(std::string_view line) {
    if (find_word(line, "MENUITEM SEPARATOR")) {
      write_separator();
    } else if (std::optional<size_t> at = find_word(line, "MENUITEM")) {
      convert_item(line.substr(*at + 8));
    } else if (std::optional<size_t> at = find_word(line, "POPUP")) {
      convert_popup(line.substr(*at + 5));
    } else if (find_word(line, "END") ||
               line.find('}') != std::string_view::npos) {
      close_level();
    }
  }

  void write_separator() {
    append(run_.sections.menu_code, "gtk_container_add(GTK_CONTAINER(",
           levels_.back().widget, "), gtk_menu_item_new())\n");
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
    std::string item;
    append_menu_item_name(item, without_leading_blanks(*identifier));
    const std::string& menu = levels_.back().widget;
    append(run_.sections.declarations, "Dim Shared ", item,
           " As GtkWidget Ptr\n");
    Section& code = run_.sections.menu_code;
    append(code, item, " = gtk_menu_item_new_with_mnemonic(",
           without_leading_blanks(*label), ")\n");
    append(code, "gtk_container_add(GTK_CONTAINER(", menu, "), ", item, ")\n");
    append(code, "g_signal_connect(G_OBJECT(", item,
           "), \"activate\", G_CALLBACK(@", item, "_activate), NULL)\n");
    emit_callback_stub(item, "activate", run_.sections.callback_decls,
                       run_.sections.callback_bodies);
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
    append(run_.sections.declarations, "Dim Shared item");
    append_int(run_.sections.declarations, child);
    append(run_.sections.declarations, " As GtkWidget Ptr\n");
    if (!open_level(child)) {
      close_level();
    }
  }

  std::string_view menu_name_;
  Conversion& run_;
  std::vector<MenuLevel> levels_;
};

}  // namespace

void append_menu_item_name(std::string& out, std::string_view identifier) {
  if (!identifier.starts_with("IDM_")) {
    out.append(identifier);
    return;
  }
  out.push_back('m');
  if (identifier.size() > 4) {
    out.push_back(identifier[4]);
    append_lowercased(out, identifier.substr(5));
  }
}

void convert_menu(std::string_view menu_name, long long number,
                  Conversion& run) {
  MenuConverter(menu_name, run).run(number);
}

void convert_menu_block(std::string_view header_line, Conversion& run) {
  run.sections.declarations.append("' declare menu\n");
  run.sections.menu_code.append("' menu\n");
  // The header word is split at blanks only: a tab stays part of it.
  std::string_view word = FieldSplitter(header_line, ' ').next().value_or("");
  std::string menu_name;
  append_prefixed_name(menu_name, word, "IDR_");
  convert_menu(menu_name, 0, run);
}

}  // namespace dlgforge
