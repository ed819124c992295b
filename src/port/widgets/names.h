// Names of port mode: identifiers for the program's dialogs, widgets, menus
// and handlers, derived from the script's identifiers, unique ignoring case.
// Every name starts with a prefix of the program's own ("dlg_", "menu_",
// "dlgforge_") that no FreeBASIC keyword or built-in and no symbol of the
// GTK, GLib, Pango or C headers begins with, so a script identifier such as
// `static`, `int` or `g_free` can never turn into a clash.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace dlgforge::port {

/// The readable part of a script identifier: ASCII letters and digits in
/// lower case, anything else as single underscores, without the usual
/// resource prefixes (IDC_, IDD_, IDM_, ID_, IDR_; the ID of IDOK and its
/// kind). Empty when nothing usable is left: IDC_STATIC, -1, a bare number,
/// an expression of numbers, a text without ASCII letters.
std::string identifier_part(std::string_view written);

/// Hands out names unique ignoring case, in the order asked, so the same
/// requests always give the same names.
class NameTable {
 public:
  /// `base` itself when free, else `base_2`, `base_3`, ... The base must
  /// already be a valid identifier of lower-case letters, digits and
  /// underscores.
  std::string claim(std::string_view base);

  /// Makes room for `count` names at once, so that a large script's table
  /// is not rebuilt again and again as it grows.
  void reserve(std::size_t count) { taken_.reserve(count); }

 private:
  std::unordered_set<std::string> taken_;
  /// For a base that was taken: the first suffix not yet known taken.
  std::unordered_map<std::string, int> next_suffix_;
};

}  // namespace dlgforge::port
