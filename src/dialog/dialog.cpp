#include "dialog/dialog.h"

#include <cstring>

#include "dialog/controls.h"
#include "dialog/conversion.h"
#include "text/fields.h"
#include "text/words.h"

namespace dlgforge {
namespace {

// The header statement keywords; a statement's fields start after them.
constexpr std::string_view kStyleKeyword = "STYLE";
constexpr std::string_view kCaptionKeyword = "CAPTION";
constexpr std::string_view kFontKeyword = "FONT";
constexpr std::string_view kMenuKeyword = "MENU";
constexpr std::string_view kExStyleKeyword = "EXSTYLE";

void read_caption(std::string_view line, size_t at, DialogState& state) {
  state.caption.assign(
      without_leading_blanks(line.substr(at + kCaptionKeyword.size())));
}

// FONT size, "face"[, weight, italic, charset]: the size is read as a
// decimal and the face loses its blanks and one opening quote and is cut at
// the next quote. A statement without a face keeps the previous face.
void read_font(std::string_view line, size_t at, DialogState& state) {
  size_t fields_at = at + kFontKeyword.size();
  if (fields_at >= line.size()) {
    return;  // FONT ends the line: there is nothing to read.
  }
  // The one separator after the keyword is skipped. Fields are cut at every
  // comma, inside a quoted face too: that is deliberate, as existing
  // scripts and users rely on this exact output.
  FieldSplitter fields(line.substr(fields_at + 1), ',');
  std::optional<std::string_view> size_field = fields.next();
  if (!size_field) {
    return;
  }
  if (std::optional<int32_t> size = scan_decimal(*size_field)) {
    state.font_size = *size;
  }
  std::optional<std::string_view> face_field = fields.next();
  if (!face_field) {
    return;
  }
  std::string_view face = without_leading_blanks(*face_field);
  if (face.starts_with('"')) {
    face.remove_prefix(1);
  }
  face = face.substr(0, face.find('"'));
  state.font_face.assign(face);
}

void read_menu(std::string_view line, size_t at, DialogState& state) {
  state.menu_name.clear();
  append_prefixed_name(
      state.menu_name,
      without_leading_blanks(line.substr(at + kMenuKeyword.size())), "IDR_");
  state.menu_bar_allowance = -1;
}

void write_window_block(Conversion& run) {
  DialogState& state = run.dialog;
  state.base_units =
      run.measurer.measure_dialog_base_units(state.font_size, state.font_face);
  if (state.menu_bar_allowance < 0) {
    state.menu_bar_allowance = state.base_units.by + 8;
  }
  state.window_name.clear();
  append_prefixed_name(state.window_name, state.dialog_name, "IDD_");
  state.has_window = true;

  WindowRecord window;
  window.window = state.window_name;
  window.caption = state.caption;
  window.menu_name = state.menu_name;
  window.font_face = state.font_face;
  window.font_size = state.font_size;
  window.width = dialog_units_to_pixels_x(state.width, state.base_units);
  // The allowance is added after the division, in wrapping 32-bit
  // arithmetic like the rest of the pixel rule.
  int32_t height = dialog_units_to_pixels_y(state.height, state.base_units);
  window.height =
      static_cast<int32_t>(static_cast<uint32_t>(height) +
                           static_cast<uint32_t>(state.menu_bar_allowance));
  run.records.add(window);

  convert_controls(run);

  // The body closes whether it ended at its end line or at the end of the
  // script.
  run.records.add(WindowEndRecord{state.window_name});
}

// Acts on one header statement; the first keyword found decides, in this
// order, as a whole word anywhere in the line. STYLE is tested before
// CAPTION, so a caption that holds the word STYLE changes nothing, and a
// keyword inside a quoted string counts: both are deliberate, as existing
// scripts and users rely on this exact output.
void convert_header_statement(std::string_view line, Conversion& run) {
  DialogState& state = run.dialog;
  if (find_word(line, kStyleKeyword)) {
    return;  // The dialog's style is not carried into the generated code.
  }
  if (std::optional<size_t> at = find_word(line, kCaptionKeyword)) {
    read_caption(line, *at, state);
    return;
  }
  if (std::optional<size_t> at = find_word(line, kFontKeyword)) {
    read_font(line, *at, state);
    return;
  }
  if (std::optional<size_t> at = find_word(line, kMenuKeyword)) {
    read_menu(line, *at, state);
    return;
  }
  if (find_word(line, kExStyleKeyword)) {
    return;
  }
  if (find_word(line, "BEGIN") || line.find('{') != std::string_view::npos) {
    write_window_block(run);
  }
}

}  // namespace

void convert_dialog(std::string_view text, size_t keyword_pos,
                    std::string_view keyword, Conversion& run) {
  DialogState& state = run.dialog;
  run.records.add(DialogStartRecord{});
  state.menu_name = "NULL";
  state.menu_bar_allowance = 0;

  // The name is everything before the keyword but the one character that
  // separates them. A keyword at the very start leaves the empty name.
  state.dialog_name.assign(
      text.substr(0, keyword_pos == 0 ? 0 : keyword_pos - 1));

  // "%d,%d,%d,%d" after the keyword: x, y, width, height. Fields after a
  // mismatch keep their values, so an unreadable header keeps the previous
  // dialog's size. The position is not used.
  int32_t x = 0;
  int32_t y = 0;
  int32_t* const targets[] = {&x, &y, &state.width, &state.height};
  scan_decimal_list(text.substr(keyword_pos + keyword.size()), targets);

  std::string_view line;
  while (run.script.next(line)) {
    std::string_view statement = without_line_feed(line);
    if (statement.empty()) {
      return;  // An empty line ends the dialog and is consumed.
    }
    convert_header_statement(statement, run);
  }
}

}  // namespace dlgforge
