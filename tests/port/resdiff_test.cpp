// The port reader against two independent resource compilers: every corpus
// script is compiled by llvm-rc and by windres in the same world dlgforge
// reads it in, and every dialog, control and menu item of each compiled .res
// must equal what `dlgforge --dump-model` says the script holds.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "port/compiler_world.h"
#include "port/res_reader.h"

namespace dlgforge::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int kUsEnglish = 0x409;
constexpr std::uint32_t kTabStop = 0x00010000;  // WS_TABSTOP

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

/// The compilers write a predefined class named by string ("button") as the
/// string, where rc.exe writes the class atom; both read the same.
json canonical_class(const json& stored) {
  if (!stored.is_string()) {
    return stored;
  }
  for (unsigned atom = 0x80; atom <= 0x85; ++atom) {
    std::string name = predefined_class_name(atom);
    if (upper(name) == upper(stored.get<std::string>())) {
      return name;
    }
  }
  return stored;
}

/// A resource name as a compiled file keys it: a number, or the string in
/// upper case (resource names are not case-sensitive).
std::string name_key(const json& name) {
  if (name.is_number()) {
    return std::to_string(name.get<long long>() & 0xFFFF);
  }
  if (name.is_string()) {
    std::string text = name.get<std::string>();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
      text = text.substr(1, text.size() - 2);
    }
    return upper(text);
  }
  return name.dump();
}

/// The name a model resource compiles under: its value when it has one.
json model_name(const json& resource) {
  for (const char* member : {"ordinal"}) {
    if (resource.contains(member) && resource[member].is_number()) {
      return resource[member];
    }
  }
  return resource.value("name", json());
}

/// A class, menu or text that may be an ordinal: the model's value when it
/// gives one, else its text.
json model_ordinal(const json& value) {
  if (value.is_object()) {
    if (value.contains("number") && value["number"].is_number()) {
      return value["number"];
    }
    return value.value("text", json());
  }
  return value;
}

/// The type a file resource of the model compiles under: the number of a
/// predefined type or of a type written as a number, else the name in upper
/// case (as the compilers store the type of a group of icons or cursors
/// and a bitmap, res_reader names those as the model does).
json file_type(const json& type) {
  static const std::map<std::string, int> kTypes = {
      {"FONTDIR", 7},       {"FONT", 8},        {"RCDATA", 10},
      {"MESSAGETABLE", 11}, {"DLGINCLUDE", 17}, {"PLUGPLAY", 19},
      {"VXD", 20},          {"ANICURSOR", 21},  {"ANIICON", 22},
      {"HTML", 23}};
  std::string text = upper(type.get<std::string>());
  if (auto found = kTypes.find(text); found != kTypes.end()) {
    return found->second;
  }
  if (!text.empty() && text.find_first_not_of("0123456789") == text.npos) {
    return std::stoi(text);
  }
  return text;
}

/// What tells apart resources of one name and language: a file's type.
std::string type_key(const std::string& kind, const json& type) {
  std::string key;
  if (kind == "file") {
    key.append("/").append(type.dump());
  }
  return key;
}

/// What a comparison leaves out for one control, where a compiler departs
/// from rc.exe (whose behaviour the model follows).
struct Leeway {
  std::uint32_t style_mask = 0xFFFFFFFF;  ///< the style bits compared
  bool size = true;                       ///< compare cx and cy
  bool text = true;                       ///< compare the text
  bool any_case = false;  ///< class and text compare without case
};

constexpr std::uint32_t kGroup = 0x00020000;  // WS_GROUP

/// windres adds a keyword's WS_GROUP or WS_TABSTOP only when no style is
/// written (`LTEXT "a", 1, 0, 0, 9, 9, SS_NOTIFY` has no WS_GROUP), adds
/// WS_TABSTOP to RADIOBUTTON and AUTORADIOBUTTON and CBS_SIMPLE | WS_TABSTOP
/// to a COMBOBOX without style, writes PUSHBOX as style 0xC without its
/// text, an ICON control's size as 0 x 0, and class names and ICON names in
/// upper case. llvm-rc is compared on every bit.
Leeway leeway(const std::string& compiler, const std::string& keyword,
              const json& model_style) {
  Leeway given;
  if (compiler != "windres") {
    return given;
  }
  given.any_case = true;
  if (keyword != "CONTROL") {
    given.style_mask &= ~(kGroup | kTabStop);
  }
  if (keyword == "COMBOBOX" && model_style.is_number() &&
      (model_style.get<std::uint32_t>() & 0x3) == 0) {
    given.style_mask &= ~0x1u;
  }
  if (keyword == "PUSHBOX") {
    given.style_mask &= ~0xFu;
    given.text = false;
  }
  if (keyword == "ICON") {
    given.size = false;
  }
  return given;
}

json without_case(const json& value, bool any_case) {
  return any_case && value.is_string() ? json(upper(value.get<std::string>()))
                                       : value;
}

/// A value as a difference shows it: styles in hexadecimal.
std::string shown(const std::string& name, const json& value) {
  if (name.find("style") == std::string::npos || !value.is_number()) {
    return value.dump();
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value.get<std::uint32_t>());
  return text;
}

/// Collects the differences between the model and one compiled file.
class Comparison {
 public:
  Comparison(std::string compiler, std::vector<std::string>& differences)
      : compiler_(std::move(compiler)), differences_(differences) {}

  /// How many dialogs, controls and menu items were compared.
  int dialogs = 0, controls = 0, menu_items = 0;
  /// How many of the other resources' parts were compared.
  int accelerators = 0, strings = 0, dialog_inits = 0, toolbar_buttons = 0,
      version_values = 0, files = 0;

  void member(const std::string& where, const std::string& name,
              const json& model, const json& compiled) {
    if (model != compiled) {
      differences_.push_back(where + " " + name + ": model " +
                             shown(name, model) + ", " + compiler_ + " " +
                             shown(name, compiled));
    }
  }

  void dialog(const std::string& where, const json& model,
              const json& compiled) {
    ++dialogs;
    member(where, "kind", model["kind"], compiled["kind"]);
    for (const char* name :
         {"x", "y", "cx", "cy", "style", "exstyle", "caption", "helpid"}) {
      member(where, name, model.value(name, json()), compiled[name]);
    }
    // windres writes a dialog's class name in upper case.
    const bool any_case = compiler_ == "windres";
    member(where, "class",
           without_case(model_ordinal(model.value("class", json())), any_case),
           without_case(compiled["class"], any_case));
    // A menu is found by name without regard to case; windres writes the
    // name in upper case.
    member(where, "menu",
           without_case(model_ordinal(model.value("menu", json())), any_case),
           without_case(compiled["menu"], any_case));
    font(where, model.value("font", json()), compiled["font"]);
    const json& controls = model["controls"];
    const json& compiled_controls = compiled["controls"];
    member(where, "control count", controls.size(), compiled_controls.size());
    for (std::size_t i = 0; i < controls.size() && i < compiled_controls.size();
         ++i) {
      control(where + " control " + std::to_string(i + 1), controls[i],
              compiled_controls[i], model["kind"] == "DIALOG");
    }
  }

  void menu(const std::string& where, const json& model, const json& compiled) {
    member(where, "kind", model["kind"], compiled["kind"]);
    items(where, model["items"], compiled["items"], model["kind"] == "MENU");
  }

  /// windres departs from rc.exe on two kinds of key: it writes "^C" as
  /// the letter with VIRTKEY and CONTROL rather than the control character,
  /// and a VIRTKEY letter in the case written rather than upper case.
  void accelerator_table(const std::string& where, const json& model,
                         const json& compiled) {
    const json& entries = model["entries"];
    const json& stored = compiled["entries"];
    member(where, "entry count", entries.size(), stored.size());
    for (std::size_t i = 0; i < entries.size() && i < stored.size(); ++i) {
      ++accelerators;
      const json& entry = entries[i];
      std::string written = entry.value("key_written", "");
      std::string at = where + " entry " + std::to_string(i + 1) + " " +
                       written + ", " + entry.value("id_written", "");
      member(at, "id", entry["id"], stored[i]["id"]);
      bool control_string = written.size() > 1 && written[1] == '^';
      if (compiler_ == "windres" && control_string) {
        continue;
      }
      json key = stored[i]["key"];
      if (compiler_ == "windres" && written.size() == 3 && written[0] == '"' &&
          key >= 'a' && key <= 'z' && (entry["fvirt"].get<int>() & 1) != 0) {
        key = key.get<int>() - 32;
      }
      member(at, "key", entry["key"], key);
      member(at, "fvirt", entry["fvirt"], stored[i]["fvirt"]);
    }
  }

  void dialog_init(const std::string& where, const json& model,
                   const json& compiled) {
    const json& entries = model["entries"];
    const json& stored = compiled["entries"];
    member(where, "entry count", entries.size(), stored.size());
    for (std::size_t i = 0; i < entries.size() && i < stored.size(); ++i) {
      ++dialog_inits;
      std::string at = where + " entry " + std::to_string(i + 1);
      for (const char* name : {"control", "message", "length", "data"}) {
        member(at, name, entries[i][name], stored[i][name]);
      }
      // The text of a combo or list box string is the bytes to the first
      // NUL, which the compilers wrote in UTF-8; other messages have none.
      json text = nullptr;
      int message = stored[i]["message"];
      if (message == 0x403 || message == 0x180 || message == 0x1234) {
        std::string bytes;
        for (const json& byte : stored[i]["data"]) {
          if (byte == 0) {
            break;
          }
          bytes += static_cast<char>(byte.get<int>());
        }
        text = bytes;
      }
      member(at, "text", entries[i]["text"], text);
    }
  }

  void toolbar(const std::string& where, const json& model,
               const json& compiled) {
    member(where, "width", model["width"], compiled["width"]);
    member(where, "height", model["height"], compiled["height"]);
    json ids = json::array();
    for (const json& button : model["buttons"]) {
      ++toolbar_buttons;
      ids.push_back(button["id"].is_null() ? json(0) : button["id"]);
    }
    member(where, "buttons", ids, compiled["ids"]);
  }

  void version(const std::string& where, const json& model,
               const json& compiled) {
    for (const char* name :
         {"file_version_ms", "file_version_ls", "product_version_ms",
          "product_version_ls", "file_flags_mask", "file_flags", "file_os",
          "file_type", "file_subtype", "translations"}) {
      member(where, name, model[name], compiled[name]);
    }
    const json& tables = model["string_tables"];
    const json& stored = compiled["string_tables"];
    member(where, "string table count", tables.size(), stored.size());
    for (std::size_t t = 0; t < tables.size() && t < stored.size(); ++t) {
      std::string at = where + " block " + tables[t]["block"].dump();
      member(at, "block", tables[t]["block"], stored[t]["block"]);
      const json& values = tables[t]["values"];
      const json& stored_values = stored[t]["values"];
      member(at, "value count", values.size(), stored_values.size());
      for (std::size_t v = 0; v < values.size() && v < stored_values.size();
           ++v) {
        ++version_values;
        std::string text = values[v]["value"];
        std::string other = stored_values[v]["value"];
        // windres ends a value at a character it cannot convert, as "\251"
        // in a script it is told is UTF-8.
        bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return (c & 0x80) == 0; });
        if (compiler_ == "windres" && !ascii && text.starts_with(other)) {
          other = text;
        }
        member(at, "value " + values[v]["key"].dump(), values[v],
               json{{"key", stored_values[v]["key"]}, {"value", other}});
      }
    }
  }

  void file(const std::string& where, const json& model, const json& compiled) {
    ++files;
    member(where, "type", file_type(model["type"]), compiled["type"]);
  }

  /// The string tables: each string of the model against the compiled one
  /// of its id and language.
  /// An id the model gives twice in one language (made so by the stand-in
  /// values of names no header of the corpus defines) is not compared.
  void string_table(const json& model, const json& compiled) {
    std::map<std::string, const json*> by_key;
    for (const json& entry : compiled) {
      by_key[entry["id"].dump() + "/" + entry["language"].dump()] = &entry;
    }
    auto key_of = [](const json& entry) {
      int language = entry.value("language", 0);
      return entry["id"].dump() + "/" +
             std::to_string(language == 0 ? kUsEnglish : language);
    };
    std::map<std::string, int> uses;
    for (const json& entry : model) {
      ++uses[key_of(entry)];
    }
    for (const json& entry : model) {
      std::string key = key_of(entry);
      std::string where = "string " + entry.value("id_written", "");
      if (uses[key] > 1) {
        by_key.erase(key);
        continue;
      }
      auto found = by_key.find(key);
      if (found == by_key.end()) {
        // An empty string is not stored.
        if (entry["text"] != "") {
          differences_.push_back(where + ": not in the " + compiler_ + " .res");
        }
        continue;
      }
      ++strings;
      member(where, "text", entry["text"], (*found->second)["text"]);
      by_key.erase(found);
    }
    for (const auto& [key, entry] : by_key) {
      differences_.push_back("string " + key + ": in the " + compiler_ +
                             " .res, not in the model");
    }
  }

 private:
  void font(const std::string& where, const json& model, const json& compiled) {
    if (model.is_null() || compiled.is_null()) {
      member(where, "font", model, compiled);
      return;
    }
    // A DIALOG template stores the size and face alone.
    for (auto& [name, value] : compiled.items()) {
      member(where, "font " + name, model.value(name, json()), value);
    }
  }

  void control(const std::string& where, const json& model,
               const json& compiled, bool short_ids) {
    ++controls;
    std::string keyword = model.value("keyword", "");
    std::string at =
        where + " (" + keyword + " " +
        model.value("id_written", model.value("id", json()).dump()) + ")";
    Leeway given = leeway(compiler_, keyword, model.value("style", json()));
    member(at, "class",
           without_case(model_ordinal(model.value("class", json())),
                        given.any_case),
           without_case(canonical_class(compiled["class"]), given.any_case));
    if (given.text) {
      member(at, "text",
             without_case(model_ordinal(model.value("text", json())),
                          given.any_case),
             without_case(compiled["text"], given.any_case));
    }
    json id = model.value("id", json());
    if (short_ids && id.is_number()) {
      id = id.get<long long>() & 0xFFFF;  // a DIALOG stores a word
    }
    member(at, "id", id, compiled["id"]);
    for (const char* name : {"x", "y", "exstyle", "helpid", "data"}) {
      member(at, name, model.value(name, json()), compiled[name]);
    }
    if (given.size) {
      member(at, "cx", model.value("cx", json()), compiled["cx"]);
      member(at, "cy", model.value("cy", json()), compiled["cy"]);
    }
    json style = model.value("style", json());
    if (style.is_number()) {
      style = style.get<std::uint32_t>() & given.style_mask;
    }
    member(at, "style", style,
           compiled["style"].get<std::uint32_t>() & given.style_mask);
  }

  void items(const std::string& where, const json& model, const json& compiled,
             bool plain_menu) {
    member(where, "item count", model.size(), compiled.size());
    for (std::size_t i = 0; i < model.size() && i < compiled.size(); ++i) {
      ++menu_items;
      const json& item = model[i];
      const json& other = compiled[i];
      std::string at = where + " item " + std::to_string(i + 1) + " \"" +
                       item.value("text", "") + "\"";
      member(at, "type", item["type"], other["type"]);
      member(at, "text", item.value("text", json()), other["text"]);
      if (plain_menu) {
        json flags = item.value("flags", json::array());
        std::vector<std::string> model_flags;
        for (const json& flag : flags) {
          model_flags.push_back(upper(flag.get<std::string>()));
        }
        std::vector<std::string> compiled_flags = other["flags"];
        std::sort(model_flags.begin(), model_flags.end());
        std::sort(compiled_flags.begin(), compiled_flags.end());
        member(at, "flags", model_flags, compiled_flags);
        if (item["type"] != "popup") {
          member(at, "id",
                 item.value("id", json()).is_number()
                     ? json(item["id"].get<long long>() & 0xFFFF)
                     : item.value("id", json()),
                 other["id"]);
        }
      } else {
        for (const char* name : {"id", "mftype", "mfstate"}) {
          member(at, name, item.value(name, json()), other[name]);
        }
        if (item["type"] == "popup") {
          member(at, "helpid", item.value("helpid", json()), other["helpid"]);
        }
      }
      if (item["type"] == "popup") {
        items(at, item.value("items", json::array()), other["items"],
              plain_menu);
      }
    }
  }

  std::string compiler_;
  std::vector<std::string>& differences_;
};

/// Pairs the model's resources of one kind with the compiled ones by name
/// and language (windres writes them sorted, not in script order) and
/// compares each pair.
void compare_resources(const std::string& kind, const json& model,
                       const json& compiled, Comparison& comparison,
                       std::vector<std::string>& differences,
                       const std::string& compiler) {
  std::multimap<std::string, const json*> by_key;
  for (const json& resource : compiled) {
    by_key.emplace(name_key(resource["name"]) + "/" +
                       std::to_string(resource["language"].get<int>()) +
                       type_key(kind, resource.value("type", json())),
                   &resource);
  }
  for (const json& resource : model) {
    std::string name = name_key(model_name(resource));
    // With no LANGUAGE in force the model says 0, where both compilers
    // write their default, US English.
    int language = resource.value("language", 0);
    std::string type;
    if (kind == "file") {
      type = type_key(kind, file_type(resource["type"]));
    }
    std::string key = name + "/" +
                      std::to_string(language == 0 ? kUsEnglish : language) +
                      type;
    std::string where = kind + " " + resource.value("name", json()).dump();
    auto found = by_key.find(key);
    if (found == by_key.end() && language == 0) {
      found = by_key.find(name + "/0" + type);  // LANGUAGE LANG_NEUTRAL, ...
    }
    if (found == by_key.end()) {
      differences.push_back(where + ": not in the " + compiler + " .res");
      continue;
    }
    if (kind == "dialog") {
      comparison.dialog(where, resource, *found->second);
    } else if (kind == "menu") {
      comparison.menu(where, resource, *found->second);
    } else if (kind == "accelerators") {
      comparison.accelerator_table(where, resource, *found->second);
    } else if (kind == "dlginit") {
      comparison.dialog_init(where, resource, *found->second);
    } else if (kind == "toolbar") {
      comparison.toolbar(where, resource, *found->second);
    } else if (kind == "version") {
      comparison.version(where, resource, *found->second);
    } else {
      comparison.file(where, resource, *found->second);
    }
    by_key.erase(found);
  }
  // A compiled file resource may be a block of data the model does not
  // hold.
  if (kind == "file") {
    return;
  }
  for (const auto& [key, resource] : by_key) {
    differences.push_back(kind + " " + key + ": in the " + compiler +
                          " .res, not in the model");
  }
}

/// What one corpus script gave.
struct ScriptResult {
  std::string script;
  std::vector<std::string> compiled_by;
  std::vector<std::string> failures;  ///< why a compiler gave no .res
  std::vector<std::string> differences;
  int dialogs = 0, controls = 0, menu_items = 0;  ///< compared, all compilers
  int accelerators = 0, strings = 0, dialog_inits = 0, toolbar_buttons = 0,
      version_values = 0, files = 0;
  template <typename Counts>
  void add(const Counts& c) {
    dialogs += c.dialogs;
    controls += c.controls;
    menu_items += c.menu_items;
    accelerators += c.accelerators;
    strings += c.strings;
    dialog_inits += c.dialog_inits;
    toolbar_buttons += c.toolbar_buttons;
    version_values += c.version_values;
    files += c.files;
  }
};

ScriptResult check_script(const CorpusFile& script,
                          const std::vector<CorpusFile>& corpus,
                          const Compilers& compilers, const fs::path& root,
                          const fs::path& system_headers) {
  ScriptResult result;
  result.script = script.file.filename().string();
  PreparedScript prepared =
      prepare_script(DLGFORGE_BINARY, root, script, corpus, system_headers,
                     compilers.mingw_include);
  const fs::path utf8_dir = prepared.world.utf8_script.parent_path();
  const json& model = prepared.model;
  if (model.is_discarded() || !model.contains("dialogs")) {
    result.differences.push_back("dlgforge --dump-model gave no model: " +
                                 prepared.dump_error);
    return result;
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"llvm-rc",
       compiler_command("llvm-rc", compilers, system_headers, prepared)},
      {"windres",
       compiler_command("windres", compilers, system_headers, prepared)}};
  for (const auto& [compiler, argv] : commands) {
    ToolRun run = run_tool(argv, utf8_dir);
    fs::path res = utf8_dir / (compiler + ".res");
    if (run.status != 0 || !fs::exists(res)) {
      result.failures.push_back(compiler + ": " + first_error(run.err));
      continue;
    }
    std::string error;
    json compiled = read_res(read_bytes(res), error);
    if (compiled.is_null()) {
      result.differences.push_back(compiler + " .res unreadable: " + error);
      continue;
    }
    result.compiled_by.push_back(compiler);
    Comparison comparison(compiler, result.differences);
    compare_resources("dialog", model["dialogs"], compiled["dialogs"],
                      comparison, result.differences, compiler);
    compare_resources("menu", model["menus"], compiled["menus"], comparison,
                      result.differences, compiler);
    compare_resources("accelerators", model["accelerators"],
                      compiled["accelerators"], comparison, result.differences,
                      compiler);
    compare_resources("dlginit", model["dlginit"], compiled["dlginit"],
                      comparison, result.differences, compiler);
    // llvm-rc knows no TOOLBAR: it gets the script without them.
    if (compiler == "windres") {
      compare_resources("toolbar", model["toolbars"], compiled["toolbars"],
                        comparison, result.differences, compiler);
    }
    compare_resources("version", model["versions"], compiled["versions"],
                      comparison, result.differences, compiler);
    compare_resources("file", model["files"], compiled["files"], comparison,
                      result.differences, compiler);
    comparison.string_table(model["strings"], compiled["strings"]);
    result.add(comparison);
  }
  return result;
}

/// The compilers and the system headers, found and written once for a test.
class ResourceCompilers : public ::testing::Test {
 protected:
  void SetUp() override {
    compilers_ = find_compilers();
    if (!compilers_.missing.empty()) {
      GTEST_SKIP() << "missing:" << compilers_.missing
                   << "; scripts/bootstrap installs them";
    }
    root_ = fs::temp_directory_path() /
            ("dlgforge-resdiff-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    write_system_headers(root_ / "system", compilers_.mingw_include);
  }
  void TearDown() override {
    if (!root_.empty() && std::getenv("DLGFORGE_KEEP_RESDIFF") == nullptr) {
      fs::remove_all(root_);
    }
  }

  /// Checks one script and reports every difference as a failure.
  ScriptResult check(const CorpusFile& script,
                     const std::vector<CorpusFile>& corpus) {
    ScriptResult result =
        check_script(script, corpus, compilers_,
                     root_ / std::to_string(++worlds_), root_ / "system");
    for (const std::string& difference : result.differences) {
      ADD_FAILURE() << result.script << ": " << difference;
    }
    return result;
  }

  Compilers compilers_;
  fs::path root_;
  int worlds_ = 0;
};

// The constructs that the corpus scripts the compilers accept hold few or
// none of: MENUEX, DIALOGEX help IDs and control data, NOT in styles, every
// control keyword, ordinals as text and class, string names, the ids of
// MFC applications, UTF-8 text without a pragma (which the compilers are
// told is UTF-8), captions before styles, names given by macros.
TEST_F(ResourceCompilers, AgreeWithTheModelOnEveryConstruct) {
  const std::pair<const char*, std::vector<std::string>> kScripts[] = {
      {"constructs.rc", {"llvm-rc", "windres"}},
      {"constructs_windres.rc", {"windres"}},
      {"frameworks.rc", {"llvm-rc", "windres"}},
      {"resources.rc", {"llvm-rc", "windres"}},
      {"resources_windres.rc", {"llvm-rc", "windres"}},
  };
  for (const auto& [name, expected] : kScripts) {
    CorpusFile script{"local", name, "utf-8",
                      fs::path(DLGFORGE_SOURCE_DIR) / "tests/port/data" / name};
    ScriptResult result = check(script, {script});
    EXPECT_EQ(result.compiled_by, expected)
        << name << ": " << ::testing::PrintToString(result.failures);
  }
}

TEST_F(ResourceCompilers, AgreeWithTheModelOnTheCorpus) {
  const fs::path corpus_dir = fs::path(DLGFORGE_SHARED_DIR) / "corpus";
  std::vector<CorpusFile> corpus = read_corpus(corpus_dir);
  if (corpus.empty()) {
    GTEST_SKIP() << "no corpus at " << corpus_dir;
  }
  int scripts = 0;
  std::map<std::string, int> compiled_by;
  std::string uncovered;
  std::string one_compiler;
  ScriptResult total;
  // Two scripts at a time: most of the time goes in starting the compilers.
  std::vector<const CorpusFile*> files;
  for (const CorpusFile& file : corpus) {
    if (is_script(file)) {
      files.push_back(&file);
    }
  }
  std::vector<ScriptResult> results(files.size());
  std::atomic<std::size_t> next = 0;
  auto work = [&] {
    for (std::size_t at = next++; at < files.size(); at = next++) {
      results[at] = check_script(*files[at], corpus, compilers_,
                                 root_ / ("corpus-" + std::to_string(at)),
                                 root_ / "system");
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  for (const ScriptResult& result : results) {
    ++scripts;
    for (const std::string& difference : result.differences) {
      ADD_FAILURE() << result.script << ": " << difference;
    }
    total.add(result);
    if (result.compiled_by.empty()) {
      uncovered += "\n  " + result.script;
      for (const std::string& failure : result.failures) {
        uncovered += "\n    " + failure;
      }
    } else {
      std::string by;
      for (const std::string& compiler : result.compiled_by) {
        by += (by.empty() ? "" : " and ") + compiler;
      }
      ++compiled_by[by];
      if (!result.failures.empty()) {
        one_compiler += "\n  " + result.script + "\n    " + result.failures[0];
      }
    }
  }
  int covered = 0;
  std::cout << "scripts compared with the model:";
  for (const auto& [by, count] : compiled_by) {
    std::cout << " " << count << " by " << by << ";";
    covered += count;
  }
  std::cout << " " << covered << " of " << scripts << "; " << total.dialogs
            << " dialogs, " << total.controls << " controls, "
            << total.menu_items << " menu items, " << total.strings
            << " strings, " << total.accelerators << " accelerators, "
            << total.dialog_inits << " DLGINIT entries, "
            << total.toolbar_buttons << " toolbar buttons, "
            << total.version_values << " version strings and " << total.files
            << " file resources compared (once per compiler)"
            << "\ncompiled by one compiler:" << one_compiler
            << "\nnot compiled:" << uncovered << "\n";
  EXPECT_GE(covered * 3, scripts * 2) << "not compiled:" << uncovered;
}

}  // namespace
}  // namespace dlgforge::testing
