// Dialog block reading: a DIALOG or DIALOGEX header line, its header
// statements (STYLE, CAPTION, FONT, MENU, EXSTYLE) and the window record
// made at each BEGIN line. The control statements inside are read by the
// control loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base_units.h"

namespace dlgforge {

struct Conversion;

/// The dialog record of a whole run: values that a dialog does not set
/// (caption, font, size) carry over from the dialog before.
struct DialogState {
  std::string dialog_name;
  std::string window_name;
  /// Whether a dialog body was converted, so that `window_name` names one.
  bool has_window = false;
  /// The title expression; `""` until a CAPTION statement, so that the
  /// generated title line is valid even without one.
  std::string caption = "\"\"";
  std::string font_face = "MS Shell Dlg";
  int32_t font_size = 8;
  int32_t width = 0;
  int32_t height = 0;
  std::string menu_name = "NULL";
  /// 0 for no menu bar, negative while a MENU statement waits for BEGIN,
  /// otherwise the pixels added to the window height for the bar.
  int32_t menu_bar_allowance = 0;
  DialogBaseUnits base_units;
};

/// Converts one dialog from its header line (line feed removed) with the
/// keyword found at `keyword_pos`. Reads further lines from the script and
/// returns after the empty line that ends the dialog's statements, or at the
/// end of the script.
void convert_dialog(std::string_view line, size_t keyword_pos,
                    std::string_view keyword, Conversion& run);

}  // namespace dlgforge
