// The model's JSON against nlohmann's own layout and escaping: the writer
// streams the document itself, and must give the bytes dump(2) would.
#include "port/model/model_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace dlgforge::model {
namespace {

using Json = nlohmann::ordered_json;

std::string library_string(const std::string& text) {
  return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Quotes, controls, DEL, valid UTF-8 and the invalid sequences the library
// replaces, one to a text: a stray continuation, a cut sequence, overlong
// forms, a surrogate, a code point above U+10FFFF.
const std::vector<std::string> kTexts = {
    "",
    "plain",
    "a \"quoted\" \\path\\",
    "\b\f\n\r\t\x01\x1f\x7f",
    "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
    "\x80 stray",
    "cut \xe2\x82",
    "overlong \xc0\xaf",
    "overlong \xe0\x80\xaf",
    "overlong \xf0\x80\x80\xaf",
    "surrogate \xed\xa0\x80",
    "too high \xf4\x90\x80\x80",
};

TEST(ModelJson, StringsAreEscapedAsTheLibraryDoes) {
  Model model;
  for (const std::string& text : kTexts) {
    StringEntry entry;
    entry.text = text;
    model.strings.push_back(entry);
  }
  std::string json = to_json(model);
  for (const std::string& text : kTexts) {
    EXPECT_NE(json.find("\"text\": " + library_string(text) + ","),
              std::string::npos)
        << library_string(text);
  }
}

TEST(ModelJson, LayoutIsTheLibrarysIndentedDump) {
  Model model;
  Dialog dialog;
  dialog.name.text = "IDD_MAIN";
  dialog.kind = "DIALOGEX";
  dialog.caption = "Main \x80";
  dialog.menu = NameOrOrdinal{"7", 7};
  dialog.font = Font{8, "MS Shell Dlg", 400, true, 1};
  Control control;
  control.keyword = "CONTROL";
  control.id = -1;
  control.data = {1, 255};
  dialog.controls = {control, Control{}};
  model.dialogs.push_back(dialog);
  model.dialogs.push_back(Dialog{});
  Menu menu;
  menu.kind = "MENUEX";
  MenuItem popup;
  popup.type = MenuItem::Type::Popup;
  popup.flags = {"GRAYED", "HELP"};
  MenuItem item;
  item.id = 3;
  popup.items = {item, MenuItem{}};
  menu.items = {popup, MenuItem{}};
  model.menus.push_back(menu);
  model.menus.push_back(Menu{});
  StringEntry command;
  command.text = "Open\nOpen";
  command.prompt = "Open";
  command.tooltip = "Open";
  model.strings = {command, StringEntry{}};
  AcceleratorTable table;
  table.entries = {Accelerator{},
                   Accelerator{"VK_F1", 0x70, 1, "1", {"VIRTKEY"}, 1, {}}};
  model.accelerators = {table, AcceleratorTable{}};
  model.files = {FileResource{}};
  Toolbar toolbar;
  toolbar.buttons = {ToolbarButton{5, "5", {}}, ToolbarButton{}};
  model.toolbars = {toolbar, Toolbar{}};
  DialogInit init;
  init.entries = {DialogInitEntry{}, DialogInitEntry{}};
  init.entries[0].text = "a";
  init.entries[0].data = {97, 0};
  model.dialog_inits = {init};
  VersionInfo version;
  version.string_tables = {{"040904b0", {{"A\"", "b"}}}, {}};
  version.translations = {{0x409, 1200}};
  model.versions = {version, VersionInfo{}};
  model.undefined_identifiers = {"IDC_A"};
  model.warnings.push_back({model::SourcePos::in("a.rc", 1, 2), "odd"});

  // What the library reads back, it writes out again byte for byte.
  std::string json = to_json(model);
  EXPECT_EQ(Json::parse(json).dump(2) + "\n", json);
  EXPECT_EQ(Json::parse(to_json(Model{})).dump(2) + "\n", to_json(Model{}));
}

// Every kind of resource writes its language's name beside the number.
TEST(ModelJson, ResourcesNameTheirLanguage) {
  Model model;
  model.dialogs.push_back(Dialog{});
  model.dialogs.back().language = 0x0c07;
  model.menus.push_back(Menu{});
  model.menus.back().language = 0x241a;
  model.strings.push_back(StringEntry{});  // no LANGUAGE: 0
  model.accelerators.push_back(AcceleratorTable{});
  model.accelerators.back().language = 0x0c3f;
  model.versions.push_back(VersionInfo{});
  model.versions.back().language = 0x0411;
  Json json = Json::parse(to_json(model));
  const std::pair<const char*, const char*> expected[] = {
      {"dialogs", "de-AT"},
      {"menus", "sr-Latn-RS"},
      {"strings", ""},
      {"accelerators", "0x0c3f"},
      {"versions", "ja-JP"}};
  for (const auto& [kind, name] : expected) {
    EXPECT_EQ(json[kind][0]["language_name"], name) << kind;
  }
}

}  // namespace
}  // namespace dlgforge::model
