// Names of port mode: identifiers for the program's dialogs, widgets, menus
// and handlers, derived from the script's identifiers, unique ignoring case.
// Every name starts with a prefix of the program's own ("dlg_", "menu_",
// "dlgforge_") that no FreeBASIC keyword or built-in and no symbol of the
// GTK, GLib, Pango or C headers begins with, so a script identifier such as
// `static`, `int` or `g_free` can never turn into a clash.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  void reserve(std::size_t count);

 private:
  /// A name handed out. A large script has hundreds of thousands: they
  /// sit in one open-addressed array, their text in blocks of the table's
  /// own, rather than in a node and a string each.
  struct Slot {
    std::string_view name;  // empty: a free slot
    std::size_t hash = 0;
    /// For a base that was taken: the first suffix not yet known taken.
    int next_suffix = 2;
  };
  std::size_t find(std::string_view name, std::size_t hash) const;
  void add(std::size_t slot, std::string_view name, std::size_t hash);
  void grow(std::size_t slots);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_size_ = 0;
  std::size_t block_used_ = 0;
};

}  // namespace dlgforge::port
