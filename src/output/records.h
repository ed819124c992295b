// The generated program as records: what the statement readers found, in
// the order they found it, with every name and pixel value already worked
// out, and none of the text a writer makes of it. The records are kept as
// one compact byte stream that is read again once per output section, so a
// large script costs the size of its records, not of its program. The
// stream is cut into slices at the records that open a dialog or menu
// block, so that a writer can print the slices of a section independently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

#include "text/words.h"

namespace dlgforge {

/// What a control statement becomes in the program.
enum class ControlWidget : uint8_t {
  Placed,            ///< declared, sized and placed only
  Button,            ///< a button class without a known kind: font only
  PushButton,        ///< push button with a "clicked" handler
  CheckButton,       ///< check box with a "toggled" handler
  ToggleButton,      ///< push-like check box with a "toggled" handler
  RadioButton,       ///< radio button of the run's one group, "toggled" handler
  FirstRadioButton,  ///< the run's first radio button, which starts the group
  Label,             ///< static text
};

/// A DIALOG or DIALOGEX header line was read. A slice may begin here.
struct DialogStartRecord {
  static constexpr bool kMayStartSlice = true;
  template <typename F>
  void fields(F&&) {}
};

/// A dialog body opens (at BEGIN): its window with the values that hold now.
struct WindowRecord {
  std::string_view window;
  std::string_view caption;    ///< the title expression, quotes included
  std::string_view menu_name;  ///< "NULL" for no menu bar
  std::string_view font_face;
  int32_t font_size = 0;
  int32_t width = 0;   ///< pixels
  int32_t height = 0;  ///< pixels, the menu bar's allowance included
  template <typename F>
  void fields(F&& f) {
    f(window), f(caption), f(menu_name), f(font_face), f(font_size), f(width),
        f(height);
  }
};

/// One control statement of the open dialog body, placed in pixels.
struct ControlRecord {
  std::string_view name;
  std::string_view text;  ///< the label expression, as the script gives it
  ControlWidget widget = ControlWidget::Placed;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  template <typename F>
  void fields(F&& f) {
    f(name), f(text), f(widget), f(x), f(y), f(width), f(height);
  }
};

/// The dialog body of `window` ends (at its END line or the script's end).
struct WindowEndRecord {
  std::string_view window;
  template <typename F>
  void fields(F&& f) {
    f(window);
  }
};

/// A MENU or MENUEX header line was read. A slice may begin here.
struct MenuStartRecord {
  static constexpr bool kMayStartSlice = true;
  template <typename F>
  void fields(F&&) {}
};

/// A menu opens: the block's menu bar, or the menu of a POPUP.
struct MenuRecord {
  std::string_view widget;
  bool bar = false;
  template <typename F>
  void fields(F&& f) {
    f(widget), f(bar);
  }
};

/// A MENUITEM with its variable, label expression and enclosing menu.
struct MenuItemRecord {
  std::string_view item;
  std::string_view label;
  std::string_view menu;
  template <typename F>
  void fields(F&& f) {
    f(item), f(label), f(menu);
  }
};

/// A separator in `menu`.
struct SeparatorRecord {
  std::string_view menu;
  template <typename F>
  void fields(F&& f) {
    f(menu);
  }
};

/// A POPUP line: its item variable is item`number`.
struct PopupRecord {
  long long number = 0;
  template <typename F>
  void fields(F&& f) {
    f(number);
  }
};

/// A POPUP's menu closed: the item item`number` with `label` goes into
/// `parent`, with the menu `menu_name``number` as its submenu.
struct PopupEndRecord {
  long long number = 0;
  std::string_view label;
  std::string_view parent;
  std::string_view menu_name;
  template <typename F>
  void fields(F&& f) {
    f(number), f(label), f(parent), f(menu_name);
  }
};

/// The record types, in the order of their kind byte.
template <typename... Records>
struct RecordTypes {};
using ProgramRecordTypes =
    RecordTypes<DialogStartRecord, WindowRecord, ControlRecord, WindowEndRecord,
                MenuStartRecord, MenuRecord, MenuItemRecord, SeparatorRecord,
                PopupRecord, PopupEndRecord>;

/// Whether a slice of the records may begin at a record of this type: the
/// records from there on mean the same whatever came before them. This
/// holds where a dialog or menu block opens, since the records of a block
/// (a dialog's window, the controls that belong to it) never cross the
/// start of the next block.
template <typename Record>
concept MayStartSlice = Record::kMayStartSlice;

/// The records of one run, appended by the readers and visited in order by
/// the writers. Strings are copied in; the views a visit hands out stay
/// valid until the next `add`.
class ProgramRecords {
 public:
  /// A slice is closed at the first record that may start one once it
  /// holds this many bytes: large enough that handing a slice to another
  /// thread costs nothing next to printing it.
  static constexpr size_t kSliceBytes = size_t{1} << 19;

  /// `slice_bytes` other than the default only for tests, which print small
  /// scripts in many slices.
  explicit ProgramRecords(size_t slice_bytes = kSliceBytes)
      : slice_bytes_(slice_bytes) {}
  ProgramRecords(const ProgramRecords&) = delete;
  ProgramRecords& operator=(const ProgramRecords&) = delete;
  ~ProgramRecords() { std::free(data_); }

  template <typename Record>
  void add(Record record) {
    if constexpr (MayStartSlice<Record>) {
      size_t slice_start = slice_ends_.empty() ? 0 : slice_ends_.back();
      if (size_ - slice_start >= slice_bytes_) {
        slice_ends_.push_back(size_);
      }
    }
    // The room for the whole record is made once.
    size_t bytes = 1;
    record.fields([&bytes](const auto& value) { bytes += stored_size(value); });
    reserve(bytes);
    put(kind_of<Record>(ProgramRecordTypes{}));
    record.fields([&](const auto& value) { put(value); });
  }

  /// Calls `visit(record)` for every record, in the order they were added.
  template <typename Visit>
  void for_each(Visit&& visit) const {
    visit_range(0, size_, visit);
  }

  /// The number of slices: at least one, the last ending with the records.
  size_t slice_count() const { return slice_ends_.size() + 1; }

  /// Calls `visit(record)` for every record of slice `slice`, in order.
  template <typename Visit>
  void for_each_in_slice(size_t slice, Visit&& visit) const {
    visit_range(slice == 0 ? 0 : slice_ends_[slice - 1],
                slice < slice_ends_.size() ? slice_ends_[slice] : size_, visit);
  }

  bool empty() const { return size_ == 0; }
  /// Bytes held.
  size_t size() const { return size_; }

 private:
  template <typename Visit>
  void visit_range(size_t begin, size_t end, Visit& visit) const {
    const char* at = data_ + begin;
    const char* stop = data_ + end;
    while (at < stop) {
      uint8_t kind = static_cast<uint8_t>(*at++);
      dispatch(kind, at, visit, ProgramRecordTypes{});
    }
  }

  template <typename Record, typename... Records>
  static constexpr uint8_t kind_of(RecordTypes<Records...>) {
    uint8_t kind = 0;
    bool found = false;
    ((found = found || std::is_same_v<Record, Records>, kind += !found), ...);
    return kind;
  }

  template <typename Visit, typename... Records>
  static void dispatch(uint8_t kind, const char*& at, Visit& visit,
                       RecordTypes<Records...>) {
    uint8_t index = 0;
    (void)((kind == index++ ? (visit(read<Records>(at)), true) : false) || ...);
  }

  template <typename Record>
  static Record read(const char*& at) {
    Record record;
    record.fields([&at](auto& value) { get(at, value); });
    return record;
  }

  static size_t stored_size(std::string_view text) {
    return sizeof(uint32_t) + text.size();
  }
  template <typename Value>
  static constexpr size_t stored_size(const Value&) {
    return sizeof(Value);
  }

  // Stores one field in the room `add` made.
  void put(std::string_view text) {
    uint32_t length = static_cast<uint32_t>(text.size());
    std::memcpy(data_ + size_, &length, sizeof length);
    copy_bytes(data_ + size_ + sizeof length, text.data(), length);
    size_ += sizeof length + length;
  }
  template <typename Value>
  requires std::is_trivially_copyable_v<Value>
  void put(Value value) {
    std::memcpy(data_ + size_, &value, sizeof value);
    size_ += sizeof value;
  }

  static void get(const char*& at, std::string_view& text) {
    uint32_t length;
    std::memcpy(&length, at, sizeof length);
    text = std::string_view(at + sizeof length, length);
    at += sizeof length + length;
  }
  template <typename Value>
  static void get(const char*& at, Value& value) {
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
  }

  void reserve(size_t more) {
    if (capacity_ - size_ >= more) {
      return;
    }
    size_t capacity = capacity_ < 4096 ? 4096 : capacity_ * 2;
    while (capacity - size_ < more) {
      capacity *= 2;
    }
    // realloc moves large blocks by remapping their pages, not by copying.
    void* data = std::realloc(data_, capacity);
    if (data == nullptr) {
      throw std::bad_alloc();
    }
    data_ = static_cast<char*>(data);
    capacity_ = capacity;
  }

  size_t slice_bytes_;
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  std::vector<size_t> slice_ends_;  // where each slice but the last ends
};

}  // namespace dlgforge
