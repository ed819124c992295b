#include "port/model/model_json.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <nlohmann/json.hpp>

#include "port/languages/languages.h"

namespace dlgforge::model {
namespace {

// The document is written straight into a buffer as the model is walked,
// laid out exactly as nlohmann's dump(2) lays out the same values. Building
// the whole document as a DOM first cost far more than reading the script
// (a 10 MB script gives some 60 MB of JSON), mostly in allocations. With a
// sink, the buffer goes out whenever it fills, so the document is never
// whole in memory; without one, it grows into the whole document.
class JsonWriter {
 public:
  explicit JsonWriter(const JsonSink* sink) : sink_(sink) {
    buffer_.resize(4096);
    line_break(64);
  }

  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }

  /// Starts a member of the current object; its value follows.
  void key(std::string_view name) {
    separate();
    // Member names are plain ASCII: written as they are, with no escaping.
    char* p = room(name.size() + 4);
    *p++ = '"';
    p = copy(p, name);
    *p++ = '"';
    *p++ = ':';
    *p++ = ' ';
    used_ = p - buffer_.data();
    after_key_ = true;
  }

  void null() { literal("null"); }
  void boolean(bool value) { literal(value ? "true" : "false"); }
  template <typename Integer>
  void number(Integer value) {
    separate();
    char* p = room(24);
    used_ = std::to_chars(p, p + 24, value).ptr - buffer_.data();
  }
  void string(std::string_view text) {
    separate();
    append_string(text);
  }
  /// The same for a string written again and again from one place (the
  /// file of every position): written once, then copied as written.
  void same_string(const std::string& text) {
    separate();
    if (&text == repeated_source_ && text.size() == repeated_size_) {
      append(repeated_);
      return;
    }
    std::size_t start = used_;
    append_string(text);
    // Kept unless the buffer went to the sink meanwhile.
    repeated_source_ = nullptr;
    if (used_ > start) {
      repeated_.assign(buffer_.data() + start, used_ - start);
      repeated_source_ = &text;
      repeated_size_ = text.size();
    }
  }

  /// The document's last byte: hands what is left to the sink, or gives
  /// the whole document when there is none.
  std::string finish() {
    append("\n");
    buffer_.resize(used_);
    if (sink_) {
      give();
      return {};
    }
    return std::move(buffer_);
  }
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kChunk = 256 * 1024;
  // The line breaks of the first levels; breaks_ holds at least this many
  // bytes from the start.
  static constexpr std::size_t kShortIndent = 32;

  static char* copy(char* to, std::string_view text) {
    std::memcpy(to, text.data(), text.size());
    return to + text.size();
  }

  // Room for `count` more bytes at the end of what is written. The buffer
  // grows as needed, but with a sink no further than a piece: a full piece
  // is handed to the sink first. A small model never pays for a large one.
  char* room(std::size_t count) {
    if (buffer_.size() - used_ < count) [[unlikely]] {
      make_room(count);
    }
    return buffer_.data() + used_;
  }
  void make_room(std::size_t count) {
    if (sink_ && used_ + count > kChunk && used_ > 0) {
      give();
    }
    if (buffer_.size() - used_ < count) {
      std::size_t size = std::max(2 * buffer_.size(), used_ + count);
      buffer_.resize(sink_ ? std::max(std::min(size, kChunk), used_ + count)
                           : size);
    }
  }
  void give() {
    if (ok_) {
      ok_ = (*sink_)(std::string_view(buffer_.data(), used_));
    }
    used_ = 0;
  }
  void append(std::string_view text) {
    copy(room(text.size()), text);
    used_ += text.size();
  }
  void literal(std::string_view text) {
    separate();
    append(text);
  }

  // Each level remembers whether it holds a value yet, for the comma and
  // for the empty `{}` / `[]` that dump writes without a line break.
  void open(char bracket) {
    separate();
    *room(1) = bracket;
    ++used_;
    has_values_.push_back(false);
  }
  void close(char bracket) {
    bool had_values = has_values_.back();
    has_values_.pop_back();
    if (had_values) {
      append(line_break(has_values_.size()));
    }
    *room(1) = bracket;
    ++used_;
  }
  // Before a value: nothing after a key; otherwise the comma and the line
  // break and indent of an element.
  void separate() {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (has_values_.empty()) {
      return;
    }
    std::string_view indent = line_break(has_values_.size());
    char* p = room(indent.size() + 1 + kShortIndent);
    if (has_values_.back()) {
      *p++ = ',';
    }
    has_values_.back() = true;
    // Most indents are short: a fixed-size copy, past the indent's end
    // into room the buffer has, costs less than a copy of its length.
    if (indent.size() <= kShortIndent) {
      std::memcpy(p, indent.data(), kShortIndent);
      used_ = p + indent.size() - buffer_.data();
    } else {
      used_ = copy(p, indent) - buffer_.data();
    }
  }
  // A line break and the indent of a level, cut from one string of blanks
  // so that each line starts with a single copy.
  std::string_view line_break(std::size_t level) {
    std::size_t length = 1 + 2 * level;
    while (breaks_.size() < length) {
      breaks_.append(breaks_.empty() ? "\n" : "  ");
    }
    return std::string_view(breaks_).substr(0, length);
  }

  void append_string(std::string_view text) {
    // Text that is valid UTF-8 is written here; anything else goes to the
    // library, whose replacement of bad sequences by U+FFFD is the format.
    // Most text is printable ASCII with nothing to escape: one pass finds
    // that and copies it whole.
    bool plain_ascii = std::all_of(text.begin(), text.end(), [](char c) {
      return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    });
    if (plain_ascii) {
      char* p = room(text.size() + 2);
      *p++ = '"';
      p = copy(p, text);
      *p++ = '"';
      used_ = p - buffer_.data();
      return;
    }
    if (!valid_utf8(text)) {
      append(nlohmann::ordered_json(std::string(text))
                 .dump(-1, ' ', false,
                       nlohmann::ordered_json::error_handler_t::replace));
      return;
    }
    append("\"");
    size_t plain = 0;  // start of the run not yet copied
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c >= 0x20 && c != '"' && c != '\\') {
        continue;
      }
      append(text.substr(plain, i - plain));
      plain = i + 1;
      switch (c) {
      case '"':
        append("\\\"");
        break;
      case '\\':
        append("\\\\");
        break;
      case '\b':
        append("\\b");
        break;
      case '\t':
        append("\\t");
        break;
      case '\n':
        append("\\n");
        break;
      case '\f':
        append("\\f");
        break;
      case '\r':
        append("\\r");
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        append(std::string_view(escape, sizeof escape));
      }
      }
    }
    append(text.substr(plain));
    append("\"");
  }

  // Strict UTF-8 as the library decodes it: no overlong forms, no
  // surrogates, nothing above U+10FFFF.
  static bool valid_utf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
      unsigned char c = *p;
      if (c < 0x80) {
        ++p;
        continue;
      }
      int extra;
      unsigned char low = 0x80, high = 0xBF;  // range of the second byte
      if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
      } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2;
        if (c == 0xE0)
          low = 0xA0;
        if (c == 0xED)
          high = 0x9F;
      } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        if (c == 0xF0)
          low = 0x90;
        if (c == 0xF4)
          high = 0x8F;
      } else {
        return false;
      }
      if (end - p <= extra) {
        return false;
      }
      if (p[1] < low || p[1] > high) {
        return false;
      }
      for (int k = 2; k <= extra; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF) {
          return false;
        }
      }
      p += extra + 1;
    }
    return true;
  }

  const JsonSink* sink_;
  std::string buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
  // One byte per level rather than a bit: it is read for every value.
  std::vector<char> has_values_;
  // The last string written with same_string, as written.
  const std::string* repeated_source_ = nullptr;
  std::size_t repeated_size_ = 0;
  std::string repeated_;
  std::string breaks_;  // "\n" and blanks
  bool after_key_ = false;
};

void write_name(JsonWriter& json, const NameOrOrdinal& name) {
  if (name.number) {
    json.number(*name.number);
  } else {
    json.string(name.text);
  }
}

void write_optional_name(JsonWriter& json,
                         const std::optional<NameOrOrdinal>& name) {
  if (name) {
    write_name(json, *name);
  } else {
    json.null();
  }
}

void write_ordinal(JsonWriter& json, const NameOrOrdinal& name) {
  if (name.number) {
    json.number(*name.number);
  } else {
    json.null();
  }
}

// A resource's language: its LANGID and the name of it ("de-DE"; "" for
// none, 0; the number, "0x0c3f", for an id the table does not know).
void write_language(JsonWriter& json, std::uint16_t language) {
  json.key("language");
  json.number(language);
  json.key("language_name");
  json.string(port::languages::language_name(language));
}

void write_position(JsonWriter& json, const SourcePos& pos) {
  json.key("file");
  json.same_string(pos.file());
  json.key("line");
  json.number(pos.line);
  json.key("column");
  json.number(pos.column);
}

void write_control(JsonWriter& json, const Control& c) {
  json.begin_object();
  json.key("keyword");
  json.string(c.keyword);
  json.key("class");
  json.string(c.class_name);
  json.key("text");
  write_name(json, c.text);
  json.key("id");
  json.number(c.id);
  json.key("id_written");
  json.string(c.id_written);
  json.key("x");
  json.number(c.x);
  json.key("y");
  json.number(c.y);
  json.key("cx");
  json.number(c.cx);
  json.key("cy");
  json.number(c.cy);
  json.key("style");
  json.number(c.style.value);
  json.key("style_written");
  json.string(c.style.written);
  json.key("exstyle");
  json.number(c.exstyle.value);
  json.key("exstyle_written");
  json.string(c.exstyle.written);
  json.key("helpid");
  json.number(c.helpid);
  json.key("data");
  json.begin_array();
  for (std::uint8_t byte : c.data) {
    json.number(byte);
  }
  json.end_array();
  write_position(json, c.pos);
  json.end_object();
}

void write_dialog(JsonWriter& json, const Dialog& d) {
  json.begin_object();
  json.key("name");
  json.string(d.name.text);
  json.key("ordinal");
  write_ordinal(json, d.name);
  json.key("kind");
  json.string(d.kind);
  json.key("x");
  json.number(d.x);
  json.key("y");
  json.number(d.y);
  json.key("cx");
  json.number(d.cx);
  json.key("cy");
  json.number(d.cy);
  json.key("style");
  json.number(d.style.value);
  json.key("style_written");
  json.string(d.style.written);
  json.key("exstyle");
  json.number(d.exstyle.value);
  json.key("exstyle_written");
  json.string(d.exstyle.written);
  json.key("caption");
  json.string(d.caption);
  json.key("class");
  write_optional_name(json, d.class_name);
  json.key("menu");
  write_optional_name(json, d.menu);
  json.key("font");
  if (d.font) {
    json.begin_object();
    json.key("size");
    json.number(d.font->size);
    json.key("face");
    json.string(d.font->face);
    json.key("weight");
    json.number(d.font->weight);
    json.key("italic");
    json.boolean(d.font->italic);
    json.key("charset");
    json.number(d.font->charset);
    json.end_object();
  } else {
    json.null();
  }
  json.key("helpid");
  json.number(d.helpid);
  write_language(json, d.language);
  write_position(json, d.pos);
  json.key("controls");
  json.begin_array();
  for (const Control& c : d.controls) {
    write_control(json, c);
  }
  json.end_array();
  json.end_object();
}

std::string_view type_name(MenuItem::Type type) {
  switch (type) {
  case MenuItem::Type::Popup:
    return "popup";
  case MenuItem::Type::Separator:
    return "separator";
  case MenuItem::Type::Item:
    break;
  }
  return "item";
}

void write_item(JsonWriter& json, const MenuItem& item, bool ex) {
  json.begin_object();
  json.key("type");
  json.string(type_name(item.type));
  json.key("text");
  json.string(item.text);
  json.key("id");
  if (item.id) {
    json.number(*item.id);
  } else {
    json.null();
  }
  json.key("id_written");
  json.string(item.id_written);
  json.key("flags");
  json.begin_array();
  for (const std::string& flag : item.flags) {
    json.string(flag);
  }
  json.end_array();
  json.key("mftype");
  json.number(item.mftype);
  json.key("mfstate");
  json.number(item.mfstate);
  if (ex && item.type == MenuItem::Type::Popup) {
    json.key("helpid");
    json.number(item.helpid);
  }
  write_position(json, item.pos);
  if (item.type == MenuItem::Type::Popup) {
    json.key("items");
    json.begin_array();
    for (const MenuItem& child : item.items) {
      write_item(json, child, ex);
    }
    json.end_array();
  }
  json.end_object();
}

// The name, language and position every resource has, as members of the
// object being written.
template <typename Resource>
void write_header(JsonWriter& json, const Resource& r) {
  json.key("name");
  json.string(r.name.text);
  json.key("ordinal");
  write_ordinal(json, r.name);
  write_language(json, r.language);
  write_position(json, r.pos);
}

void write_id(JsonWriter& json, std::string_view key,
              const std::optional<std::int32_t>& id, const std::string& text) {
  json.key(key);
  if (id) {
    json.number(*id);
  } else {
    json.null();
  }
  json.key(std::string(key) + "_written");
  json.string(text);
}

void write_bytes(JsonWriter& json, const std::vector<std::uint8_t>& bytes) {
  json.begin_array();
  for (std::uint8_t byte : bytes) {
    json.number(byte);
  }
  json.end_array();
}

void write_resources(JsonWriter& json, const Model& model) {
  json.key("accelerators");
  json.begin_array();
  for (const AcceleratorTable& table : model.accelerators) {
    json.begin_object();
    write_header(json, table);
    json.key("entries");
    json.begin_array();
    for (const Accelerator& a : table.entries) {
      json.begin_object();
      json.key("key");
      json.number(a.key);
      json.key("key_written");
      json.string(a.key_written);
      write_id(json, "id", a.id, a.id_written);
      json.key("flags");
      json.begin_array();
      for (const std::string& flag : a.flags) {
        json.string(flag);
      }
      json.end_array();
      json.key("fvirt");
      json.number(a.fvirt);
      write_position(json, a.pos);
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("files");
  json.begin_array();
  for (const FileResource& f : model.files) {
    json.begin_object();
    write_header(json, f);
    json.key("type");
    json.string(f.type);
    json.key("file_written");
    json.string(f.file);
    json.key("path");
    if (f.resolved.empty()) {
      json.null();
    } else {
      json.string(f.resolved);
    }
    json.end_object();
  }
  json.end_array();
  json.key("toolbars");
  json.begin_array();
  for (const Toolbar& bar : model.toolbars) {
    json.begin_object();
    write_header(json, bar);
    json.key("width");
    json.number(bar.width);
    json.key("height");
    json.number(bar.height);
    json.key("buttons");
    json.begin_array();
    for (const ToolbarButton& button : bar.buttons) {
      json.begin_object();
      json.key("type");
      json.string(button.id ? "button" : "separator");
      write_id(json, "id", button.id, button.id_written);
      write_position(json, button.pos);
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("dlginit");
  json.begin_array();
  for (const DialogInit& init : model.dialog_inits) {
    json.begin_object();
    write_header(json, init);
    json.key("entries");
    json.begin_array();
    for (const DialogInitEntry& e : init.entries) {
      json.begin_object();
      write_id(json, "control", e.control, e.control_written);
      json.key("message");
      json.number(e.message);
      json.key("length");
      json.number(e.length);
      json.key("data");
      write_bytes(json, e.data);
      json.key("text");
      if (e.text) {
        json.string(*e.text);
      } else {
        json.null();
      }
      write_position(json, e.pos);
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("versions");
  json.begin_array();
  for (const VersionInfo& v : model.versions) {
    json.begin_object();
    write_header(json, v);
    const std::pair<const char*, std::uint32_t> fields[] = {
        {"file_version_ms", v.file_version[0]},
        {"file_version_ls", v.file_version[1]},
        {"product_version_ms", v.product_version[0]},
        {"product_version_ls", v.product_version[1]},
        {"file_flags_mask", v.file_flags_mask},
        {"file_flags", v.file_flags},
        {"file_os", v.file_os},
        {"file_type", v.file_type},
        {"file_subtype", v.file_subtype}};
    for (const auto& [key, value] : fields) {
      json.key(key);
      json.number(value);
    }
    json.key("string_tables");
    json.begin_array();
    for (const VersionStringTable& table : v.string_tables) {
      json.begin_object();
      json.key("block");
      json.string(table.block);
      // The keys are the script's strings: members of their own, never
      // member names.
      json.key("values");
      json.begin_array();
      for (const VersionString& value : table.values) {
        json.begin_object();
        json.key("key");
        json.string(value.key);
        json.key("value");
        json.string(value.value);
        json.end_object();
      }
      json.end_array();
      json.end_object();
    }
    json.end_array();
    json.key("translations");
    json.begin_array();
    for (const auto& [language, codepage] : v.translations) {
      json.begin_array();
      json.number(language);
      json.number(codepage);
      json.end_array();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
}

}  // namespace

std::string format_warning(const Diagnostic& warning) {
  return warning.pos.file() + ":" + std::to_string(warning.pos.line) + ":" +
         std::to_string(warning.pos.column) + ": warning: " + warning.message;
}

namespace {

void write_model(JsonWriter& json, const Model& model) {
  json.begin_object();
  json.key("dialogs");
  json.begin_array();
  for (const Dialog& d : model.dialogs) {
    write_dialog(json, d);
  }
  json.end_array();
  json.key("menus");
  json.begin_array();
  for (const Menu& m : model.menus) {
    json.begin_object();
    json.key("name");
    json.string(m.name.text);
    json.key("ordinal");
    write_ordinal(json, m.name);
    json.key("kind");
    json.string(m.kind);
    write_language(json, m.language);
    write_position(json, m.pos);
    json.key("items");
    json.begin_array();
    for (const MenuItem& item : m.items) {
      write_item(json, item, m.kind == "MENUEX");
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("strings");
  json.begin_array();
  for (const StringEntry& s : model.strings) {
    json.begin_object();
    json.key("id");
    json.number(s.id);
    json.key("id_written");
    json.string(s.id_written);
    json.key("text");
    json.string(s.text);
    if (s.prompt) {
      json.key("prompt");
      json.string(*s.prompt);
      json.key("tooltip");
      json.string(s.tooltip.value_or(""));
    }
    write_language(json, s.language);
    write_position(json, s.pos);
    json.end_object();
  }
  json.end_array();
  write_resources(json, model);
  json.key("undefined_identifiers");
  json.begin_array();
  for (const std::string& name : model.undefined_identifiers) {
    json.string(name);
  }
  json.end_array();
  json.key("warnings");
  json.begin_array();
  for (const Diagnostic& w : model.warnings) {
    json.string(format_warning(w));
  }
  json.end_array();
  json.end_object();
}

}  // namespace

std::string to_json(const Model& model) {
  JsonWriter json(nullptr);
  write_model(json, model);
  return json.finish();
}

bool write_json(const Model& model, const JsonSink& sink) {
  JsonWriter json(&sink);
  write_model(json, model);
  json.finish();
  return json.ok();
}

}  // namespace dlgforge::model
