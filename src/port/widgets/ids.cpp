#include "port/widgets/ids.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "text/words.h"

namespace dlgforge::port {
namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// FreeBASIC compares names ignoring case.
bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return lower(x) == lower(y); });
}

constexpr std::string_view kNotIdentifier = "not an identifier";

bool starts_with_ignoring_case(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() &&
         same_name(name.substr(0, prefix.size()), prefix);
}

// Prefixes of the program's own names (dlg_, menu_, dlgforge_), of the
// GTK, GDK, GLib, Pango, ATK, cairo, HarfBuzz, FreeType and fontconfig
// symbols its headers declare, of the C library's limits and stdio names
// they bring along, and of FreeBASIC's variadic built-ins.
constexpr std::array<std::string_view, 32> kReservedPrefixes = {
    "dlg_",   "menu_",   "dlgforge_", "gtk_",   "gdk_",   "g_",     "glib_",
    "gio_",   "gobject", "pango_",    "atk_",   "cairo_", "hb_",    "ft_",
    "fc_",    "xml_",    "va_",       "seek_",  "exit_",  "int_",   "uint_",
    "long_",  "ulong_",  "shrt_",     "ushrt_", "char_",  "schar_", "uchar_",
    "llong_", "ullong_", "wchar_",    "rand_"};
constexpr size_t kLongestPrefix = 9;
static_assert(kReservedPrefixes.size() <= 32);
// The prefixes by their first character, as bits of their indexes: a name
// is compared with those of its first letter only.
constexpr std::array<std::uint32_t, 128> kPrefixesByFirst = [] {
  std::array<std::uint32_t, 128> table{};
  for (size_t i = 0; i < kReservedPrefixes.size(); ++i) {
    table[static_cast<unsigned char>(kReservedPrefixes[i][0])] |= 1u << i;
  }
  return table;
}();
static_assert(std::all_of(kReservedPrefixes.begin(), kReservedPrefixes.end(),
                          [](std::string_view prefix) {
                            return !prefix.empty() &&
                                   prefix.size() <= kLongestPrefix;
                          }));

}  // namespace

const std::vector<BuiltInId> kBuiltInIds = {
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
    {"IDCLOSE", 8},
    {"IDHELP", 9},
    {"IDTRYAGAIN", 10},
    {"IDCONTINUE", 11},
    {"WM_CREATE", 0x1},
    {"WM_INITDIALOG", 0x110},
    {"WM_COMMAND", 0x111},
    {"BN_CLICKED", 0},
    {"EN_SETFOCUS", 0x100},
    {"EN_KILLFOCUS", 0x200},
    {"EN_CHANGE", 0x300},
    {"CBN_SELCHANGE", 1},
    {"CBN_EDITCHANGE", 5},
    {"LBN_SELCHANGE", 1},
    {"LBN_DBLCLK", 2},
};

std::string_view unsafe_constant_reason(std::string_view name) {
  if (name.empty()) {
    return kNotIdentifier;
  }
  bool underscore = false;
  if (name[0] == '_') {
    bool identifier = std::all_of(name.begin(), name.end(), [](char c) {
      return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
             (c >= '0' && c <= '9');
    });
    return identifier ? "begins with an underscore, as FreeBASIC's own names do"
                      : kNotIdentifier;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0) && !(c == '_' && i > 0)) {
      return kNotIdentifier;
    }
    underscore = underscore || c == '_';
  }
  // The name's beginning in lower case, as long as the longest prefix:
  // each id is checked against every prefix, so cheaply.
  char head[kLongestPrefix];
  size_t head_size = std::min(name.size(), sizeof head);
  std::transform(name.begin(), name.begin() + head_size, head, lower);
  const std::string_view lowered(head, head_size);
  // A name is ASCII letters, digits and underscores by now.
  for (std::uint32_t candidates =
           kPrefixesByFirst[static_cast<unsigned char>(lowered[0]) & 0x7F];
       candidates != 0; candidates &= candidates - 1) {
    std::string_view prefix = kReservedPrefixes[std::countr_zero(candidates)];
    if (lowered.substr(0, prefix.size()) == prefix) {
      return "begins like the names of the program or its headers";
    }
  }
  // FreeBASIC's keywords and built-ins have no underscore and do not begin
  // with ID; names of either kind are the script's own.
  if (!underscore && !starts_with_ignoring_case(name, "id")) {
    return "may be a FreeBASIC keyword";
  }
  return "";
}

std::size_t IdNames::find(std::string_view name, std::size_t hash) const {
  std::size_t mask = slots_.size() - 1;
  auto short_hash = static_cast<std::uint32_t>(hash);
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.index == 0 || (slot.hash == short_hash &&
                            same_name(constants_[slot.index - 1].name, name))) {
      return at;
    }
  }
}

IdNames::Key IdNames::key(std::string_view written) {
  Key key;
  key.safety = unsafe_constant_reason(written);
  if (key.safety == kNotIdentifier) {
    return key;
  }
  // An identifier by now: letters, digits and underscores, whose case
  // OR-ing 0x20 into each byte folds.
  key.hash = word_hash(written, 0x20);
  return key;
}

std::string IdNames::offer(std::string_view written, std::int64_t value) {
  return offer(written, value, key(written));
}

std::string IdNames::offer(std::string_view written, std::int64_t value,
                           const Key& key) {
  if (key.safety == kNotIdentifier) {
    return "";  // a number, or an expression: nothing to name
  }
  std::string reason(key.safety);
  if (slots_.empty()) {
    slots_.resize(64);
  }
  // Most ids are named again and again (IDOK, each menu command in every
  // language): those are found without making a key.
  std::size_t hash = key.hash;
  std::size_t slot = find(written, hash);
  if (reason.empty() && slots_[slot].index != 0) {
    const IdConstant& constant = constants_[slots_[slot].index - 1];
    if (constant.value == value) {
      return constant.name;
    }
  }
  for (const BuiltInId& built_in : kBuiltInIds) {
    if (same_name(built_in.name, written)) {
      if (built_in.value == value) {
        return std::string(built_in.name);
      }
      reason = "the program's own " + std::string(built_in.name) + " is " +
               std::to_string(built_in.value);
    }
  }
  if (reason.empty()) {
    if (slots_[slot].index == 0) {
      constants_.push_back({std::string(written), value});
      slots_[slot] = {static_cast<std::uint32_t>(hash),
                      static_cast<std::uint32_t>(constants_.size())};
      if (2 * constants_.size() > slots_.size()) {
        grow();
      }
      return constants_.back().name;
    }
    const IdConstant& constant = constants_[slots_[slot].index - 1];
    if (constant.value == value) {
      return constant.name;
    }
    reason =
        "already " + constant.name + " = " + std::to_string(constant.value);
  }
  std::string noted(written);
  std::transform(noted.begin(), noted.end(), noted.begin(), lower);
  if (noted_.insert(noted + "=" + std::to_string(value)).second) {
    unnamed_.push_back({std::string(written), value, reason});
  }
  return "";
}

void IdNames::grow() {
  spread_slots(slots_, 2 * slots_.size());
}

}  // namespace dlgforge::port
