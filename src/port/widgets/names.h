// Names of port mode: identifiers for the program's dialogs, widgets, menus
// and handlers, derived from the script's identifiers, unique ignoring case.
// Every name starts with a prefix of the program's own ("dlg_", "menu_",
// "dlgforge_") that no FreeBASIC keyword or built-in and no symbol of the
// GTK, GLib, Pango or C headers begins with, so a script identifier such as
// `static`, `int` or `g_free` can never turn into a clash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

/// A slot of an open-addressed table of names: part of the name's hash and
/// 1 + the index of what it names, 0 for a free slot.
struct NameSlot {
  std::uint32_t hash = 0;
  std::uint32_t index = 0;
};

/// Gives `slots` `size` slots (a power of two below 2^32), each name where
/// its hash puts it.
void spread_slots(std::vector<NameSlot>& slots, std::size_t size);

/// Hands out names unique ignoring case, in the order asked, so the same
/// requests always give the same names.
class NameTable {
 public:
  /// `base` itself when free, else `base_2`, `base_3`, ... The base must
  /// already be a valid identifier of lower-case letters, digits and
  /// underscores.
  std::string claim(std::string_view base);
  /// The same, with `base`'s hash already worked out.
  std::string claim(std::string_view base, std::size_t hash);

  /// The hash a name is looked up by.
  static std::size_t hash(std::string_view name) {
    return std::hash<std::string_view>{}(name);
  }

  /// Asks the processor to fetch the slot where the search for a name of
  /// this hash begins, so that names claimed one after another do not each
  /// wait on memory: a large script's table is many times the cache.
  void prefetch(std::size_t hash) const {
    if (!slots_.empty()) {
      __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }
  }

  /// Makes room for `count` names at once, so that a large script's table
  /// is not rebuilt again and again as it grows.
  void reserve(std::size_t count);

 private:
  /// A name handed out. A large script has over a million: their text sits
  /// in blocks of the table's own, each in an entry of `entries_` in the
  /// order handed out, and the open-addressed array holds 8 bytes a name
  /// (part of its hash and its entry), so that a probe touches little
  /// memory.
  struct Entry {
    const char* text = nullptr;
    std::uint32_t size = 0;
    /// For a base that was taken: the first suffix not yet known taken.
    int next_suffix = 2;
  };
  using Slot = NameSlot;  // index: 1 + index into entries_
  std::size_t find(std::string_view name, std::size_t hash) const;
  void add(std::size_t slot, std::string_view name, std::size_t hash);
  void grow(std::size_t slots);

  std::vector<Slot> slots_;
  std::vector<Entry> entries_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_size_ = 0;
  std::size_t block_used_ = 0;
};

}  // namespace dlgforge::port
