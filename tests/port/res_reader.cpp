// Reads the templates of a compiled .res file as the Windows loader lays
// them out: little-endian words and double words, UTF-16 strings ending in a
// zero word, and a string-or-ordinal field that is 0x0000 (none), 0xFFFF and
// an ordinal, or a string.
#include "port/res_reader.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace dlgforge::testing {

namespace {

using nlohmann::json;

constexpr std::uint16_t kTypeMenu = 4;
constexpr std::uint16_t kTypeDialog = 5;
constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT

/// A template ran past its end or a field holds what no compiler writes.
struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

/// Reads fields in order from a span of the file; offsets are relative to
/// `base`, which is where double-word alignment is counted from.
class Cursor {
 public:
  Cursor(std::string_view bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

  std::size_t offset() const { return at_; }
  bool at_end() const { return at_ >= bytes_.size(); }

  std::uint16_t word() {
    need(2);
    auto low = static_cast<std::uint8_t>(bytes_[at_]);
    auto high = static_cast<std::uint8_t>(bytes_[at_ + 1]);
    at_ += 2;
    return static_cast<std::uint16_t>(low | (high << 8));
  }
  std::int16_t short_int() { return static_cast<std::int16_t>(word()); }
  std::uint32_t dword() {
    std::uint32_t low = word();
    std::uint32_t high = word();
    return low | (high << 16);
  }
  std::uint8_t byte() {
    need(1);
    return static_cast<std::uint8_t>(bytes_[at_++]);
  }
  void skip(std::size_t count) {
    need(count);
    at_ += count;
  }
  void align_dword() { at_ = (at_ + 3) & ~std::size_t{3}; }

  /// A UTF-16 string up to its zero word, as UTF-8; an unpaired surrogate
  /// becomes U+FFFD.
  std::string string() {
    std::string out;
    for (std::uint32_t unit = word(); unit != 0; unit = word()) {
      if (unit >= 0xD800 && unit < 0xDC00 && at_ + 2 <= bytes_.size()) {
        std::uint32_t low = static_cast<std::uint8_t>(bytes_[at_]) |
                            (static_cast<std::uint8_t>(bytes_[at_ + 1]) << 8);
        if (low >= 0xDC00 && low < 0xE000) {
          at_ += 2;
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
      }
      if (unit >= 0xD800 && unit < 0xE000) {
        unit = 0xFFFD;
      }
      append_utf8(out, unit);
    }
    return out;
  }

  /// A string-or-ordinal field: null for 0x0000, a number for an ordinal.
  json name_or_ordinal() {
    need(2);
    std::uint16_t first = peek_word();
    if (first == 0) {
      at_ += 2;
      return nullptr;
    }
    if (first == 0xFFFF) {
      at_ += 2;
      return word();
    }
    return string();
  }

 private:
  std::uint16_t peek_word() const {
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(bytes_[at_]) |
        (static_cast<std::uint8_t>(bytes_[at_ + 1]) << 8));
  }
  void need(std::size_t count) const {
    if (at_ + count > bytes_.size()) {
      throw Malformed("template cut short at byte " + std::to_string(at_));
    }
  }

  std::string_view bytes_;
  std::size_t at_;
};

/// The window class of a control: a predefined atom gets its name.
json class_of(json stored) {
  if (stored.is_number()) {
    std::string name = predefined_class_name(stored.get<unsigned>());
    if (!name.empty()) {
      return name;
    }
  }
  return stored;
}

json read_rectangle(Cursor& in, json& into) {
  into["x"] = in.short_int();
  into["y"] = in.short_int();
  into["cx"] = in.short_int();
  into["cy"] = in.short_int();
  return into;
}

/// The fields after the item header that both template forms share: class,
/// text and the creation data bytes.
void read_control_tail(Cursor& in, json& control) {
  control["class"] = class_of(in.name_or_ordinal());
  json text = in.name_or_ordinal();
  control["text"] = text.is_null() ? json("") : text;
  std::uint16_t data_size = in.word();
  json data = json::array();
  for (std::uint16_t i = 0; i < data_size; ++i) {
    data.push_back(in.byte());
  }
  control["data"] = std::move(data);
}

json read_dialog(std::string_view data) {
  Cursor in(data);
  json dialog;
  bool extended = data.size() >= 4 && in.word() == 1 && in.word() == 0xFFFF;
  if (!extended) {
    in = Cursor(data);
  }
  dialog["kind"] = extended ? "DIALOGEX" : "DIALOG";
  std::uint32_t style = 0;
  if (extended) {
    dialog["helpid"] = in.dword();
    dialog["exstyle"] = in.dword();
    style = in.dword();
  } else {
    style = in.dword();
    dialog["exstyle"] = in.dword();
    dialog["helpid"] = 0;
  }
  dialog["style"] = style;
  std::uint16_t count = in.word();
  read_rectangle(in, dialog);
  dialog["menu"] = in.name_or_ordinal();
  dialog["class"] = in.name_or_ordinal();
  dialog["caption"] = in.string();
  dialog["font"] = nullptr;
  if (style & kSetFont) {
    json font;
    font["size"] = in.word();
    if (extended) {
      font["weight"] = in.word();
      font["italic"] = in.byte() != 0;
      font["charset"] = in.byte();
    }
    font["face"] = in.string();
    dialog["font"] = font;
  }
  json controls = json::array();
  for (std::uint16_t item = 0; item < count; ++item) {
    in.align_dword();
    json control;
    if (extended) {
      control["helpid"] = in.dword();
      control["exstyle"] = in.dword();
      control["style"] = in.dword();
      read_rectangle(in, control);
      control["id"] = static_cast<std::int32_t>(in.dword());
    } else {
      control["style"] = in.dword();
      control["exstyle"] = in.dword();
      read_rectangle(in, control);
      control["id"] = in.word();
      control["helpid"] = 0;
    }
    read_control_tail(in, control);
    controls.push_back(std::move(control));
  }
  dialog["controls"] = std::move(controls);
  return dialog;
}

/// The MENU options an item's flags word holds, in a fixed order.
json menu_flag_names(std::uint16_t flags) {
  static const std::pair<std::uint16_t, const char*> kNames[] = {
      {0x0001, "GRAYED"},       {0x0002, "INACTIVE"},  {0x0008, "CHECKED"},
      {0x0020, "MENUBARBREAK"}, {0x0040, "MENUBREAK"}, {0x4000, "HELP"},
  };
  json names = json::array();
  for (const auto& [bit, name] : kNames) {
    if (flags & bit) {
      names.push_back(name);
    }
  }
  return names;
}

constexpr std::uint16_t kPopup = 0x0010;  // MF_POPUP
constexpr std::uint16_t kEnd = 0x0080;    // MF_END
constexpr std::uint16_t kKnownFlags =
    0x0001 | 0x0002 | 0x0008 | 0x0020 | 0x0040 | 0x4000 | kPopup | kEnd;

json read_menu_items(Cursor& in, int depth) {
  if (depth > 64) {
    throw Malformed("menu nested too deep");
  }
  json items = json::array();
  while (true) {
    std::uint16_t flags = in.word();
    if (flags & ~kKnownFlags) {
      throw Malformed("unknown menu item flags " + std::to_string(flags));
    }
    json item;
    item["flags"] = menu_flag_names(flags);
    if (flags & kPopup) {
      item["type"] = "popup";
      item["id"] = nullptr;
      item["text"] = in.string();
      item["items"] = read_menu_items(in, depth + 1);
    } else {
      item["id"] = in.word();
      item["text"] = in.string();
      // A separator is stored as an item with no options, id 0 and no text.
      bool separator =
          (flags & ~kEnd) == 0 && item["id"] == 0 && item["text"] == "";
      item["type"] = separator ? "separator" : "item";
    }
    items.push_back(std::move(item));
    if (flags & kEnd) {
      return items;
    }
  }
}

constexpr std::uint32_t kSeparatorType = 0x800;  // MFT_SEPARATOR

json read_menuex_items(Cursor& in, int depth) {
  if (depth > 64) {
    throw Malformed("menu nested too deep");
  }
  json items = json::array();
  while (true) {
    json item;
    std::uint32_t type = in.dword();
    item["mftype"] = type;
    item["mfstate"] = in.dword();
    item["id"] = static_cast<std::int32_t>(in.dword());
    std::uint16_t info = in.word();
    item["text"] = in.string();
    in.align_dword();
    if (info & 0x01) {
      item["type"] = "popup";
      item["helpid"] = in.dword();
      item["items"] = read_menuex_items(in, depth + 1);
    } else {
      item["type"] = (type & kSeparatorType) ? "separator" : "item";
    }
    items.push_back(std::move(item));
    if (info & 0x80) {
      return items;
    }
  }
}

json read_menu(std::string_view data) {
  Cursor in(data);
  std::uint16_t version = in.word();
  std::uint16_t offset = in.word();
  json menu;
  if (version == 0) {
    menu["kind"] = "MENU";
    in.skip(offset);
    // An empty MENU block holds the header alone.
    menu["items"] = in.at_end() ? json::array() : read_menu_items(in, 0);
    return menu;
  }
  if (version != 1 || offset < 4) {
    throw Malformed("unknown menu template version " + std::to_string(version));
  }
  menu["kind"] = "MENUEX";
  menu["helpid"] = in.dword();
  in.skip(offset - 4);
  menu["items"] = in.at_end() ? json::array() : read_menuex_items(in, 0);
  return menu;
}

}  // namespace

std::string predefined_class_name(unsigned atom) {
  static const char* const kNames[] = {"Button",  "Edit",      "Static",
                                       "ListBox", "ScrollBar", "ComboBox"};
  if (atom < 0x80 || atom > 0x85) {
    return "";
  }
  return kNames[atom - 0x80];
}

json read_res(std::string_view bytes, std::string& error) {
  json result = {{"dialogs", json::array()}, {"menus", json::array()}};
  Cursor in(bytes);
  try {
    while (!in.at_end()) {
      std::size_t start = in.offset();
      std::uint32_t data_size = in.dword();
      std::uint32_t header_size = in.dword();
      if (header_size < 16 || start + header_size > bytes.size() ||
          start + header_size + data_size > bytes.size()) {
        throw Malformed("resource header at byte " + std::to_string(start) +
                        " runs past the end of the file");
      }
      json type = in.name_or_ordinal();
      json name = in.name_or_ordinal();
      in.align_dword();
      in.dword();  // data version
      in.word();   // memory flags
      std::uint16_t language = in.word();
      std::string_view data = bytes.substr(start + header_size, data_size);
      json resource;
      if (type == kTypeDialog) {
        resource = read_dialog(data);
      } else if (type == kTypeMenu) {
        resource = read_menu(data);
      }
      if (!resource.is_null()) {
        resource["name"] = name;
        resource["language"] = language;
        result[type == kTypeDialog ? "dialogs" : "menus"].push_back(
            std::move(resource));
      }
      in = Cursor(bytes, start + header_size + data_size);
      in.align_dword();
    }
  } catch (const Malformed& fault) {
    error = fault.what();
    return nullptr;
  }
  return result;
}

}  // namespace dlgforge::testing
