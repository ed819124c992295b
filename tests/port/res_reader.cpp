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

constexpr std::uint16_t kTypeCursor = 1;
constexpr std::uint16_t kTypeBitmap = 2;
constexpr std::uint16_t kTypeIcon = 3;
constexpr std::uint16_t kTypeMenu = 4;
constexpr std::uint16_t kTypeDialog = 5;
constexpr std::uint16_t kTypeString = 6;
constexpr std::uint16_t kTypeAccelerator = 9;
constexpr std::uint16_t kTypeGroupCursor = 12;
constexpr std::uint16_t kTypeGroupIcon = 14;
constexpr std::uint16_t kTypeVersion = 16;
constexpr std::uint16_t kTypeDialogInit = 240;
constexpr std::uint16_t kTypeToolbar = 241;
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

/// An accelerator table: entries of flags, key, command id and padding,
/// the last flagged 0x80.
json read_accelerators(std::string_view data) {
  Cursor in(data);
  json entries = json::array();
  while (!in.at_end()) {
    std::uint16_t flags = in.word();
    json entry;
    entry["fvirt"] = flags & 0x7F;
    entry["key"] = in.word();
    entry["id"] = in.word();
    in.word();
    entries.push_back(std::move(entry));
    if (flags & 0x80) {
      break;
    }
  }
  return {{"entries", std::move(entries)}};
}

/// A string table bundle: sixteen counted UTF-16 strings, the ids
/// (name - 1) * 16 to (name - 1) * 16 + 15; an empty one is absent.
void read_strings(std::string_view data, std::uint32_t bundle,
                  std::uint16_t language, json& strings) {
  Cursor in(data);
  for (std::uint32_t i = 0; i < 16 && !in.at_end(); ++i) {
    std::uint16_t length = in.word();
    std::string text;
    for (std::uint16_t k = 0; k < length; ++k) {
      append_utf8(text, in.word());
    }
    if (length > 0) {
      strings.push_back({{"id", (bundle - 1) * 16 + i},
                         {"text", std::move(text)},
                         {"language", language}});
    }
  }
}

/// A DLGINIT block: control id, message, data length and data, to a
/// control id 0 or the end.
json read_dialog_init(std::string_view data) {
  Cursor in(data);
  json entries = json::array();
  while (in.offset() + 2 <= data.size()) {
    std::uint16_t control = in.word();
    if (control == 0) {
      break;
    }
    json entry;
    entry["control"] = control;
    entry["message"] = in.word();
    std::uint32_t length = in.dword();
    entry["length"] = length;
    json bytes = json::array();
    for (std::uint32_t i = 0; i < length; ++i) {
      bytes.push_back(in.byte());
    }
    entry["data"] = std::move(bytes);
    entries.push_back(std::move(entry));
  }
  return {{"entries", std::move(entries)}};
}

/// An MFC toolbar as windres writes it: the button width and height, the
/// count and the button ids (0 for a separator), each a double word (where
/// rc.exe writes words after a version word).
json read_toolbar(std::string_view data) {
  Cursor in(data);
  json toolbar;
  toolbar["width"] = in.dword();
  toolbar["height"] = in.dword();
  std::uint32_t count = in.dword();
  json ids = json::array();
  for (std::uint32_t i = 0; i < count; ++i) {
    ids.push_back(in.dword());
  }
  toolbar["ids"] = std::move(ids);
  return toolbar;
}

/// One node of version information: its length, value length, type, key
/// and value, then its children to its end; offsets from the resource's
/// start, which is where the double-word alignment counts from.
void read_version_node(std::string_view data, std::size_t start, int depth,
                       const std::string& parent, json& version) {
  if (depth > 4) {
    throw Malformed("version information nested too deep");
  }
  Cursor in(data, start);
  std::uint16_t length = in.word();
  std::uint16_t value_length = in.word();
  std::uint16_t type = in.word();
  std::string key = in.string();
  in.align_dword();
  std::size_t end = start + length;
  if (length < 6 || end > data.size()) {
    throw Malformed("version node '" + key + "' runs past its parent");
  }
  if (depth == 0) {
    in.dword();  // signature
    in.dword();  // structure version
    for (const char* field :
         {"file_version_ms", "file_version_ls", "product_version_ms",
          "product_version_ls", "file_flags_mask", "file_flags", "file_os",
          "file_type", "file_subtype"}) {
      version[field] = in.dword();
    }
    in.skip(value_length - 44);
  } else if (depth == 2 && parent == "StringFileInfo") {
    version["string_tables"].push_back(
        {{"block", key}, {"values", json::array()}});
  } else if (depth == 3 && type == 1) {
    // The value is text to its NUL (the compilers count its length
    // differently: in bytes or in characters).
    std::string value = in.offset() < end ? in.string() : "";
    version["string_tables"].back()["values"].push_back(
        {{"key", key}, {"value", value}});
  } else if (depth == 2 && parent == "VarFileInfo" && key == "Translation") {
    for (std::uint16_t i = 0; i + 4 <= value_length; i += 4) {
      std::uint16_t language = in.word();
      std::uint16_t codepage = in.word();
      version["translations"].push_back({language, codepage});
    }
  } else {
    in.skip(std::min<std::size_t>(value_length, end - in.offset()));
  }
  if (depth == 3) {
    return;
  }
  in.align_dword();
  while (in.offset() + 6 <= end) {
    std::size_t child = in.offset();
    Cursor peek(data, child);
    std::uint16_t child_length = peek.word();
    if (child_length == 0) {
      break;
    }
    read_version_node(data.substr(0, end), child, depth + 1, key, version);
    in = Cursor(data, child + child_length);
    in.align_dword();
  }
}

json read_version(std::string_view data) {
  json version = {{"string_tables", json::array()},
                  {"translations", json::array()}};
  read_version_node(data, 0, 0, "", version);
  return version;
}

/// The model's name for the type of a resource that is a file.
json file_type(const json& type) {
  if (type == kTypeGroupIcon) {
    return "ICON";
  }
  if (type == kTypeGroupCursor) {
    return "CURSOR";
  }
  if (type == kTypeBitmap) {
    return "BITMAP";
  }
  return type;
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
  json result = {{"dialogs", json::array()},  {"menus", json::array()},
                 {"strings", json::array()},  {"accelerators", json::array()},
                 {"dlginit", json::array()},  {"toolbars", json::array()},
                 {"versions", json::array()}, {"files", json::array()}};
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
      const char* kind = nullptr;
      if (type == kTypeDialog) {
        resource = read_dialog(data);
        kind = "dialogs";
      } else if (type == kTypeMenu) {
        resource = read_menu(data);
        kind = "menus";
      } else if (type == kTypeString && name.is_number()) {
        read_strings(data, name.get<std::uint32_t>(), language,
                     result["strings"]);
      } else if (type == kTypeAccelerator) {
        resource = read_accelerators(data);
        kind = "accelerators";
      } else if (type == kTypeDialogInit || type == "DLGINIT") {
        // llvm-rc knows no DLGINIT: it writes the block as a resource of
        // that name, with the same bytes.
        resource = read_dialog_init(data);
        kind = "dlginit";
      } else if (type == kTypeToolbar) {
        resource = read_toolbar(data);
        kind = "toolbars";
      } else if (type == kTypeVersion) {
        resource = read_version(data);
        kind = "versions";
      } else if (type != kTypeIcon && type != kTypeCursor &&
                 !(type == 0 && name == 0)) {
        // Every other type is a file's content or a block of data.
        resource = {{"type", file_type(type)}};
        kind = "files";
      }
      if (kind != nullptr) {
        resource["name"] = name;
        resource["language"] = language;
        result[kind].push_back(std::move(resource));
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
