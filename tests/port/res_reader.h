// A test-only reader of compiled resource files (.res): the resource headers
// and the DIALOG, DIALOGEX, MENU and MENUEX templates, given back as JSON with
// the member names of `dlgforge --dump-model`, so that what a resource
// compiler wrote and what the port reader understood compare directly.
// Every other resource type is skipped; nothing here is used by dlgforge.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace dlgforge::testing {

/// Reads a whole .res file. Returns `{"dialogs": [...], "menus": [...]}` in
/// file order; each resource carries `name` (a number for an ordinal, else
/// the string) and `language`. Sets `error` and returns null when the bytes
/// are not a well-formed .res or a template is cut short.
nlohmann::json read_res(std::string_view bytes, std::string& error);

/// The class name a dialog template stores for a predefined window class
/// atom (0x80 "Button" to 0x85 "ComboBox"); empty for any other value.
std::string predefined_class_name(unsigned atom);

}  // namespace dlgforge::testing
