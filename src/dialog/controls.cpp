#include "dialog/controls.h"

#include <array>
#include <bit>
#include <optional>
#include <string>

#include "dialog/conversion.h"
#include "text/fields.h"
#include "text/style.h"
#include "text/words.h"

namespace dlgforge {
namespace {

using enum ControlForm;

constexpr std::array<ControlKeyword, 10> kControlKeywords = {{
    {"PUSHBUTTON", true, TextFirst, "button",
     "BS_PUSHBUTTON Or WS_CHILD Or WS_VISIBLE Or WS_TABSTOP", 0x0},
    {"DEFPUSHBUTTON", true, TextFirst, "button",
     "BS_DEFPUSHBUTTON Or WS_CHILD Or WS_VISIBLE Or WS_TABSTOP", 0x1},
    {"AUTOCHECKBOX", true, TextFirst, "button",
     "BS_AUTOCHECKBOX Or WS_CHILD Or WS_VISIBLE Or WS_TABSTOP", 0x3},
    {"AUTORADIOBUTTON", true, TextFirst, "button",
     "BS_AUTORADIOBUTTON Or WS_CHILD Or WS_VISIBLE Or WS_TABSTOP", 0x9},
    {"GROUPBOX", true, TextFirst, "button",
     "BS_GROUPBOX Or WS_CHILD Or WS_VISIBLE", 0x7},
    {"EDITTEXT", true, NoText, "edit", "WS_CHILD Or WS_VISIBLE Or WS_TABSTOP",
     0x0},
    {"LTEXT", true, TextFirst, "static", "WS_CHILD Or WS_VISIBLE", 0x0},
    {"LISTBOX", true, NoText, "listbox", "WS_CHILD Or WS_VISIBLE", 0x0},
    {"COMBOBOX", true, NoText, "combobox",
     "WS_CHILD Or WS_VISIBLE Or WS_TABSTOP", 0x0},
    {"CONTROL", false, Generic, "", "WS_CHILD Or WS_VISIBLE Or WS_TABSTOP",
     0x0},
}};

enum class ButtonKind { None, Push, Check, Radio };

// What the one-pass matcher below relies on, checked against the table: the
// last row is CONTROL, the only substring row; every other row is a whole
// word made of capital letters, so that it is exactly one of the line's
// word runs; there are few enough rows for a bit mask of them.
constexpr bool is_capital_word(std::string_view word) {
  if (word.empty()) {
    return false;
  }
  for (char c : word) {
    if (c < 'A' || c > 'Z') {
      return false;
    }
  }
  return true;
}
constexpr bool whole_word_rows_are_capital_words() {
  for (size_t row = 0; row + 1 < kControlKeywords.size(); ++row) {
    if (!kControlKeywords[row].whole_word ||
        !is_capital_word(kControlKeywords[row].keyword)) {
      return false;
    }
  }
  return true;
}
static_assert(kControlKeywords.back().keyword == "CONTROL" &&
                  !kControlKeywords.back().whole_word,
              "CONTROL must be the last row, matched as a substring");
static_assert(whole_word_rows_are_capital_words(),
              "every row before CONTROL must be a whole word of capitals");
static_assert(kControlKeywords.size() <= 32, "rows must fit a 32-bit mask");

// The length of the longest whole-word keyword.
constexpr size_t kLongestWholeWord = [] {
  size_t longest = 0;
  for (const ControlKeyword& row : kControlKeywords) {
    if (row.whole_word && row.keyword.size() > longest) {
      longest = row.keyword.size();
    }
  }
  return longest;
}();

// For each word length, the whole-word rows of that length as a bit mask
// (bit r for row r), so that a word is compared only with the keywords it
// could be.
constexpr std::array<uint32_t, kLongestWholeWord + 1> kRowsByLength = [] {
  std::array<uint32_t, kLongestWholeWord + 1> rows{};
  for (size_t row = 0; row < kControlKeywords.size(); ++row) {
    if (kControlKeywords[row].whole_word) {
      rows[kControlKeywords[row].keyword.size()] |= uint32_t{1} << row;
    }
  }
  return rows;
}();

// The first bytes of the whole-word keywords: other words are not looked
// at.
constexpr ByteSet kKeywordFirstBytes = [] {
  ByteSet first{};
  for (const ControlKeyword& row : kControlKeywords) {
    if (row.whole_word) {
      first[static_cast<unsigned char>(row.keyword[0])] = true;
    }
  }
  return first;
}();

// The first row of the table whose whole-word keyword equals `word`, or
// none.
std::optional<size_t> whole_word_row(std::string_view word) {
  if (word.size() > kLongestWholeWord) {
    return std::nullopt;
  }
  for (uint32_t rows = kRowsByLength[word.size()]; rows != 0;
       rows &= rows - 1) {
    size_t row = static_cast<size_t>(std::countr_zero(rows));
    if (same_text(kControlKeywords[row].keyword, word)) {
      return row;
    }
  }
  return std::nullopt;
}

}  // namespace

const ByteSet& control_word_first_bytes() {
  return kKeywordFirstBytes;
}

// The whole-word rows are tried in table order, but one pass over the line's
// words finds the first occurrence of each: a word takes the place of the
// one noted before only with an earlier row.
void note_control_word(std::string_view word, size_t at, LineFacts& facts) {
  std::optional<size_t> row = whole_word_row(word);
  if (row && (facts.control_row == 0 || *row + 1 < facts.control_row)) {
    facts.control_row = static_cast<uint8_t>(*row + 1);
    facts.control_at = static_cast<uint8_t>(at + 1);
  }
}

// CONTROL comes last, as a plain substring. A keyword counts wherever it
// stands, inside a quoted label or a comment too: that is deliberate, as
// existing scripts and users rely on this exact output.
std::optional<KeywordMatch> match_control_keyword(std::string_view line,
                                                  const LineFacts& facts) {
  if (facts.control_row != 0) {
    return KeywordMatch{&kControlKeywords[facts.control_row - 1u],
                        size_t{facts.control_at} - 1u};
  }
  const ControlKeyword& generic = kControlKeywords.back();
  size_t at = line.find(generic.keyword);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  return KeywordMatch{&generic, at};
}

namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The button kind that the style names, tried in order push, check, radio,
// and whether it names BS_PUSHLIKE. Every name sought begins with "BS_", so
// one pass over the occurrences of "BS_" finds what a search for each name
// finds.
struct NamedButton {
  ButtonKind kind = ButtonKind::None;
  bool push_like = false;
};
NamedButton button_from_names(std::string_view style) {
  bool push = false;
  bool check = false;
  bool radio = false;
  bool push_like = false;
  for (size_t at = style.find("BS_"); at != std::string_view::npos;
       at = style.find("BS_", at + 1)) {
    std::string_view name = style.substr(at + 3);
    push = push || name.starts_with("PUSHBUTTON") ||
           name.starts_with("DEFPUSHBUTTON");
    check = check || name.starts_with("AUTOCHECKBOX") ||
            name.starts_with("CHECKBOX");
    radio = radio || name.starts_with("AUTORADIOBUTTON") ||
            name.starts_with("RADIOBUTTON");
    push_like = push_like || name.starts_with("PUSHLIKE");
  }
  NamedButton named;
  named.push_like = push_like;
  named.kind = push    ? ButtonKind::Push
               : check ? ButtonKind::Check
               : radio ? ButtonKind::Radio
                       : ButtonKind::None;
  return named;
}

// A style written as a number names no constant, so its kind comes from the
// low four bits as Windows reads them: 0 and 1 push buttons, 2 and 3 check
// boxes, 4 and 9 radio buttons. The keyword's own type bits are combined in,
// as the resource compiler does, so a GROUPBOX stays a group box.
ButtonKind kind_from_bits(uint32_t style) {
  switch (style & 0xF) {
  case 0x0:
  case 0x1:
    return ButtonKind::Push;
  case 0x2:
  case 0x3:
    return ButtonKind::Check;
  case 0x4:
  case 0x9:
    return ButtonKind::Radio;
  default:
    return ButtonKind::None;
  }
}

constexpr uint32_t kPushLikeBit = 0x1000;

// The fields of one statement as the rows' layouts give them.
struct ControlFields {
  std::string_view text;
  std::string_view identifier;
  std::string_view class_name;
  std::string_view style = "0";  // a missing style counts as "0"
  int32_t x = 0;
  int32_t y = 0;
  int32_t cx = 0;
  int32_t cy = 0;
};

// Splits a statement at commas as strtok does; each field loses its leading
// blanks and keeps its trailing ones, and the last runs to the end of the
// line. A comma inside a quoted label cuts it too: that is deliberate, as
// existing scripts and users rely on this exact output. A statement that ends
// at or before its identifier (for CONTROL: its class) gives nothing: there is
// no name to declare.
std::optional<ControlFields> split_control(const ControlKeyword& row,
                                           std::string_view text) {
  FieldSplitter splitter(without_leading_blanks(text), ',');
  auto next = [&splitter]() -> std::optional<std::string_view> {
    std::optional<std::string_view> field = splitter.next();
    if (field) {
      *field = without_leading_blanks(*field);
    }
    return field;
  };
  ControlFields fields;
  if (row.form != NoText) {
    std::optional<std::string_view> label = next();
    if (!label) {
      return std::nullopt;
    }
    fields.text = *label;
  }
  std::optional<std::string_view> identifier = next();
  if (!identifier) {
    return std::nullopt;
  }
  fields.identifier = *identifier;
  if (row.form == Generic) {
    std::optional<std::string_view> class_field = next();
    if (!class_field) {
      return std::nullopt;
    }
    fields.class_name = *class_field;
  }
  if (!splitter.has_next()) {
    return std::nullopt;
  }
  if (row.form == Generic) {
    if (std::optional<std::string_view> style = next()) {
      fields.style = *style;
    }
  }
  for (int32_t* coordinate : {&fields.x, &fields.y, &fields.cx, &fields.cy}) {
    std::optional<std::string_view> field = next();
    if (!field) {
      break;
    }
    *coordinate = scan_decimal(*field).value_or(0);
  }
  if (row.form != Generic) {
    if (std::optional<std::string_view> style = next()) {
      fields.style = *style;
    }
  }
  return fields;
}

void append_control_name(std::string& out, std::string_view identifier) {
  size_t start = out.size();
  append_prefixed_name(out, identifier, "IDC_");
  std::string_view name(out.data() + start, out.size() - start);
  if (name == "IDOK") {
    out.replace(start, std::string::npos, "btnOK");
  } else if (name == "IDCANCEL") {
    out.replace(start, std::string::npos, "btnCancel");
  }
}

// The widget of a button-class control.
ControlWidget button_widget(ButtonKind kind, bool push_like) {
  switch (kind) {
  case ButtonKind::Push:
    return ControlWidget::PushButton;
  case ButtonKind::Check:
    return push_like ? ControlWidget::ToggleButton : ControlWidget::CheckButton;
  case ButtonKind::Radio:
    return ControlWidget::RadioButton;
  case ButtonKind::None:
    break;
  }
  return ControlWidget::Button;
}

}  // namespace

std::span<const ControlKeyword> control_keywords() {
  return kControlKeywords;
}

void convert_controls(Conversion& run) {
  std::string_view line;
  const LineFacts* facts;
  while (run.script.next(line, facts)) {
    // The line feed stays: it is part of the statement's last field.
    if (std::optional<KeywordMatch> match =
            match_control_keyword(line, *facts)) {
      convert_control(*match->row,
                      line.substr(match->position + match->row->keyword.size()),
                      run);
      continue;
    }
    // The end test runs only for lines without a control keyword, and it is
    // a plain search: END inside any word (SENDER, a comment's "ENDS"), or a
    // closing brace, ends the block. That is deliberate, as existing scripts
    // and users rely on this exact output.
    if (facts->closing_brace || line.find("END") != std::string_view::npos) {
      return;
    }
  }
}

void convert_control(const ControlKeyword& row, std::string_view text,
                     Conversion& run) {
  std::optional<ControlFields> fields = split_control(row, text);
  if (!fields) {
    return;
  }
  // The class as the statement gives it, or the row's class name between
  // double quotes; compared without building the quoted text.
  auto class_is = [&](std::string_view bare, std::string_view constant) {
    if (row.form != Generic) {
      return row.class_name == bare;
    }
    std::string_view given = fields->class_name;
    return given == constant ||
           (given.size() == bare.size() + 2 && given.front() == '"' &&
            given.back() == '"' && given.substr(1, bare.size()) == bare);
  };
  // Scratch strings of the run, so that a control costs no allocation.
  std::string& style = run.scratch.style;
  translate_style(style, fields->style);
  style.append(" Or ").append(row.default_style);

  std::string& name = run.scratch.name;
  name.clear();
  append_control_name(name, fields->identifier);

  ControlRecord record;
  record.name = name;
  if (class_is("button", "WC_BUTTON")) {
    auto [kind, push_like] = button_from_names(style);
    std::string_view style_field = without_leading_blanks(fields->style);
    if (kind == ButtonKind::None && style_field.starts_with("0x")) {
      uint32_t bits = scan_hex(style_field.substr(2));
      kind = kind_from_bits(bits | row.default_type_bits);
      push_like = push_like || (bits & kPushLikeBit) != 0;
    }
    record.widget = button_widget(kind, push_like);
    // All radio buttons of a run share one group, which the first starts.
    if (record.widget == ControlWidget::RadioButton &&
        !run.radio_group_started) {
      record.widget = ControlWidget::FirstRadioButton;
      run.radio_group_started = true;
    }
    record.text = fields->text;
  } else if (class_is("static", "WC_STATIC") && !contains(style, "RECT") &&
             !contains(style, "FRAME")) {
    record.widget = ControlWidget::Label;
    record.text = fields->text;
  }
  DialogBaseUnits units = run.dialog.base_units;
  record.x = dialog_units_to_pixels_x(fields->x, units);
  record.y = dialog_units_to_pixels_y(fields->y, units);
  record.width = dialog_units_to_pixels_x(fields->cx, units);
  record.height = dialog_units_to_pixels_y(fields->cy, units);
  run.records.add(record);
}

}  // namespace dlgforge
