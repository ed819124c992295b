#include "port/model/model_json.h"

#include <nlohmann/json.hpp>

namespace dlgforge::model {
namespace {

using Json = nlohmann::ordered_json;

Json name_json(const NameOrOrdinal& name) {
  if (name.number) {
    return *name.number;
  }
  return name.text;
}

Json optional_name(const std::optional<NameOrOrdinal>& name) {
  return name ? name_json(*name) : Json(nullptr);
}

void add_position(Json& object, const SourcePos& pos) {
  object["file"] = pos.file;
  object["line"] = pos.line;
  object["column"] = pos.column;
}

Json control_json(const Control& c) {
  Json object;
  object["keyword"] = c.keyword;
  object["class"] = c.class_name;
  object["text"] = name_json(c.text);
  object["id"] = c.id;
  object["id_written"] = c.id_written;
  object["x"] = c.x;
  object["y"] = c.y;
  object["cx"] = c.cx;
  object["cy"] = c.cy;
  object["style"] = c.style.value;
  object["style_written"] = c.style.written;
  object["exstyle"] = c.exstyle.value;
  object["exstyle_written"] = c.exstyle.written;
  object["helpid"] = c.helpid;
  object["data"] = c.data;
  add_position(object, c.pos);
  return object;
}

Json dialog_json(const Dialog& d) {
  Json object;
  object["name"] = d.name.text;
  object["ordinal"] = d.name.number ? Json(*d.name.number) : Json(nullptr);
  object["kind"] = d.kind;
  object["x"] = d.x;
  object["y"] = d.y;
  object["cx"] = d.cx;
  object["cy"] = d.cy;
  object["style"] = d.style.value;
  object["style_written"] = d.style.written;
  object["exstyle"] = d.exstyle.value;
  object["exstyle_written"] = d.exstyle.written;
  object["caption"] = d.caption;
  object["class"] = optional_name(d.class_name);
  object["menu"] = optional_name(d.menu);
  if (d.font) {
    object["font"] = Json{{"size", d.font->size},
                          {"face", d.font->face},
                          {"weight", d.font->weight},
                          {"italic", d.font->italic},
                          {"charset", d.font->charset}};
  } else {
    object["font"] = nullptr;
  }
  object["helpid"] = d.helpid;
  object["language"] = d.language;
  add_position(object, d.pos);
  Json controls = Json::array();
  for (const Control& c : d.controls) {
    controls.push_back(control_json(c));
  }
  object["controls"] = std::move(controls);
  return object;
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

Json item_json(const MenuItem& item, bool ex) {
  Json object;
  object["type"] = type_name(item.type);
  object["text"] = item.text;
  object["id"] = item.id ? Json(*item.id) : Json(nullptr);
  object["id_written"] = item.id_written;
  object["flags"] = item.flags;
  object["mftype"] = item.mftype;
  object["mfstate"] = item.mfstate;
  if (ex && item.type == MenuItem::Type::Popup) {
    object["helpid"] = item.helpid;
  }
  add_position(object, item.pos);
  if (item.type == MenuItem::Type::Popup) {
    Json items = Json::array();
    for (const MenuItem& child : item.items) {
      items.push_back(item_json(child, ex));
    }
    object["items"] = std::move(items);
  }
  return object;
}

}  // namespace

std::string format_warning(const Diagnostic& warning) {
  return warning.pos.file + ":" + std::to_string(warning.pos.line) + ":" +
         std::to_string(warning.pos.column) + ": warning: " + warning.message;
}

std::string to_json(const Model& model) {
  Json root;
  Json dialogs = Json::array();
  for (const Dialog& d : model.dialogs) {
    dialogs.push_back(dialog_json(d));
  }
  root["dialogs"] = std::move(dialogs);
  Json menus = Json::array();
  for (const Menu& m : model.menus) {
    Json object;
    object["name"] = m.name.text;
    object["ordinal"] = m.name.number ? Json(*m.name.number) : Json(nullptr);
    object["kind"] = m.kind;
    object["language"] = m.language;
    add_position(object, m.pos);
    Json items = Json::array();
    for (const MenuItem& item : m.items) {
      items.push_back(item_json(item, m.kind == "MENUEX"));
    }
    object["items"] = std::move(items);
    menus.push_back(std::move(object));
  }
  root["menus"] = std::move(menus);
  Json strings = Json::array();
  for (const StringEntry& s : model.strings) {
    Json object;
    object["id"] = s.id;
    object["id_written"] = s.id_written;
    object["text"] = s.text;
    object["language"] = s.language;
    add_position(object, s.pos);
    strings.push_back(std::move(object));
  }
  root["strings"] = std::move(strings);
  root["undefined_identifiers"] = model.undefined_identifiers;
  Json warnings = Json::array();
  for (const Diagnostic& w : model.warnings) {
    warnings.push_back(format_warning(w));
  }
  root["warnings"] = std::move(warnings);
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace dlgforge::model
