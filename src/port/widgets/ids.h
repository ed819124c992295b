// The script's ids as constants of the program: the control, dialog, menu
// and string ids the script names (`IDC_NAME` 1001) become `Const IDC_NAME
// = 1001`, so that code written against a dialog's ids reads as it did on
// Windows. A name becomes a constant only where it is safe in a FreeBASIC
// program and means one value there; the rest keep their number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "port/model/model.h"
#include "port/widgets/names.h"

namespace dlgforge::port {

struct IdConstant {
  std::string name;  ///< as the script spells it
  std::int64_t value = 0;
};

/// A name the script uses for an id that gets no constant, and why.
struct UnnamedId {
  std::string name;
  std::int64_t value = 0;
  std::string reason;
};

/// The ids every program defines itself, with Windows' values: IDOK to
/// IDCONTINUE, the messages and notification codes a dialog's procedure
/// receives. A script name equal to one of them with the same value is
/// that constant; with another value it gets none.
struct BuiltInId {
  std::string_view name;
  std::int64_t value;
};
extern const std::vector<BuiltInId> kBuiltInIds;

class IdNames {
 public:
  /// Offers a name the script wrote for an id with its value; returns the
  /// constant's name to use for it, or empty when it keeps its number.
  std::string offer(std::string_view written, std::int64_t value);

  /// What `offer` works out from a written name alone: whether it may be a
  /// constant (unsafe_constant_reason) and its hash ignoring case.
  struct Key {
    std::string_view safety;
    std::size_t hash = 0;
  };
  static Key key(std::string_view written);
  /// Asks the processor to fetch the slot where the search for the name of
  /// `key` begins, so that the ids of a dialog offered one after another do
  /// not each wait on memory.
  void prefetch(const Key& key) const {
    if (!slots_.empty()) {
      __builtin_prefetch(&slots_[key.hash & (slots_.size() - 1)]);
    }
  }
  /// `offer` with the name's key worked out already.
  std::string offer(std::string_view written, std::int64_t value,
                    const Key& key);

  const std::vector<IdConstant>& constants() const { return constants_; }
  const std::vector<UnnamedId>& unnamed() const { return unnamed_; }

 private:
  std::vector<IdConstant> constants_;
  std::vector<UnnamedId> unnamed_;
  /// The constant named `name` ignoring case, or the free slot where it
  /// would go in `slots_`.
  std::size_t find(std::string_view name, std::size_t hash) const;
  void grow();

  /// Each constant by its name ignoring case, open-addressed: part of the
  /// name's hash and 1 + the constant's index (0 for a free slot). A large
  /// script offers its ids hundreds of thousands of times, and a table of
  /// nodes cost a cache miss or two each.
  using Slot = NameSlot;  // index: 1 + index into constants_
  std::vector<Slot> slots_;
  /// The names and values already in `unnamed_`.
  std::unordered_set<std::string> noted_;
};

/// Whether a name the script wrote may become a constant of the program:
/// a C identifier that cannot clash with FreeBASIC's keywords and built-in
/// names, with the program's own names, or with the GTK, GLib and C
/// headers it includes. Empty when it may; else why not ("not an
/// identifier" for a number or an expression).
std::string_view unsafe_constant_reason(std::string_view name);

}  // namespace dlgforge::port
