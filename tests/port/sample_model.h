// A hand-made resource model with one control of every kind the port
// writer knows, texts that need escaping, radio groups, a menu with every
// item type: what the writer's tests and the sample program are built from.
#pragma once

#include <string>

#include "port/model/model.h"

namespace dlgforge::testing {

inline model::Control sample_control(std::string keyword,
                                     std::string class_name, std::string text,
                                     std::string id, std::uint32_t style, int x,
                                     int y, int cx, int cy) {
  model::Control control;
  control.keyword = std::move(keyword);
  control.class_name = std::move(class_name);
  control.text.text = std::move(text);
  control.id_written = std::move(id);
  control.style.value = style | 0x50000000;  // WS_CHILD | WS_VISIBLE
  control.x = x;
  control.y = y;
  control.cx = cx;
  control.cy = cy;
  return control;
}

/// Every kind of control on one dialog, names that would clash or be
/// keywords (static, int, g_free, -1, a number), texts with quotes, tabs,
/// line feeds, prefixes and Japanese letters.
inline model::Model sample_model() {
  model::Model m;
  model::Dialog d;
  d.name.text = "IDD_SAMPLE";
  d.kind = "DIALOGEX";
  d.cx = 320;
  d.cy = 200;
  d.caption = "Sample \"quoted\" \xE6\x97\xA5\xE6\x9C\xAC";
  d.font = model::Font{8, "MS Shell Dlg", 400, false, 1};
  d.menu = model::NameOrOrdinal{"IDR_MAIN", std::nullopt};
  auto add = [&d](model::Control c) { d.controls.push_back(std::move(c)); };
  add(sample_control("LTEXT", "Static", "&Name:", "IDC_STATIC", 0, 7, 9, 40,
                     8));
  add(sample_control("EDITTEXT", "Edit", "", "IDC_EDIT_NAME", 0x00810080, 50, 7,
                     100, 12));
  add(sample_control("RTEXT", "Static", "a && b\tc_d", "-1", 0x2, 7, 24, 40,
                     8));
  add(sample_control("EDITTEXT", "Edit", "", "static", 0x00812028, 50, 22, 60,
                     12));
  add(sample_control("EDITTEXT", "Edit", "line 1\r\nline 2", "int", 0x00810804,
                     115, 22, 60, 30));
  add(sample_control("DEFPUSHBUTTON", "Button", "OK", "IDOK", 0x00010001, 263,
                     7, 50, 14));
  add(sample_control("PUSHBUTTON", "Button", "Cancel", "IDCANCEL", 0x08010000,
                     263, 24, 50, 14));
  add(sample_control("GROUPBOX", "Button", "&Options", "g_free", 0x7, 7, 55,
                     150, 60));
  add(sample_control("AUTORADIOBUTTON", "Button", "&One", "IDC_ONE", 0x00030009,
                     14, 66, 60, 10));
  add(sample_control("AUTORADIOBUTTON", "Button", "T&wo", "IDC_TWO", 0x00010009,
                     14, 78, 60, 10));
  add(sample_control("AUTOCHECKBOX", "Button", "&Check", "1001", 0x00030003, 14,
                     92, 60, 10));
  add(sample_control("AUTORADIOBUTTON", "Button", "Three", "IDC_THREE",
                     0x00030009, 80, 66, 60, 10));
  add(sample_control("CONTROL", "Button", "Push-like", "IDC_PUSHLIKE",
                     0x00011003, 80, 92, 60, 14));
  add(sample_control("LISTBOX", "ListBox", "", "IDC_LIST", 0x00810803, 165, 55,
                     60, 50));
  add(sample_control("COMBOBOX", "ComboBox", "", "IDC_COMBO", 0x00210003, 230,
                     55, 80, 60));
  add(sample_control("COMBOBOX", "ComboBox", "", "IDC_COMBO_EDIT", 0x00210002,
                     230, 72, 80, 60));
  add(sample_control("SCROLLBAR", "ScrollBar", "", "IDC_SCROLL", 0, 7, 120, 100,
                     10));
  add(sample_control("CONTROL", "msctls_trackbar32", "", "IDC_SLIDER",
                     0x00010000, 115, 120, 60, 15));
  add(sample_control("CONTROL", "msctls_progress32", "", "IDC_PROGRESS", 0, 180,
                     120, 60, 10));
  add(sample_control("CONTROL", "msctls_updown32", "", "IDC_SPIN", 0, 245, 120,
                     30, 12));
  add(sample_control("CONTROL", "SysListView32", "", "IDC_VIEW", 0x00010000, 7,
                     135, 80, 40));
  add(sample_control("CONTROL", "SysTabControl32", "", "IDC_TABS", 0x00010000,
                     95, 135, 60, 40));
  add(sample_control("CONTROL", "SysLink",
                     "See <a href=\"https://example.org\">the site</a> & more",
                     "IDC_LINK", 0, 160, 135, 100, 10));
  add(sample_control("CONTROL", "MyOwnControl", "", "IDC_CUSTOM", 0, 160, 150,
                     60, 25));
  add(sample_control("ICON", "Static", "IDI_APP", "-1", 0x3, 280, 140, 0, 0));
  add(sample_control("CONTROL", "Static", "", "-1", 0x10, 7, 180, 300, 1));
  add(sample_control("CONTROL", "Static", "", "-1", 0x5, 230, 150, 20, 10));
  add(sample_control("CONTROL", "Static", "", "-1", 0x7, 255, 150, 20, 10));
  // A field and the up-down control attached to it: one spin button.
  add(sample_control("EDITTEXT", "Edit", "", "IDC_COUNT", 0x00810000, 230, 185,
                     40, 12));
  add(sample_control("CONTROL", "msctls_updown32", "", "IDC_COUNT_SPIN", 0x16,
                     270, 185, 10, 12));
  add(sample_control("CONTROL", "RichEdit20W", "rich", "IDC_RICH", 0x00810004,
                     7, 185, 60, 12));
  add(sample_control("CONTROL", "SysMonthCal32", "", "IDC_CAL", 0x08000000, 80,
                     185, 60, 12));
  add(sample_control("LTEXT", "Static", "hidden", "IDC_HIDDEN", 0, 150, 185, 40,
                     8));
  d.controls.back().style.value &= ~0x10000000u;
  m.dialogs.push_back(d);

  model::Dialog second;
  second.name.text = "101";
  second.name.number = 101;
  second.kind = "DIALOG";
  second.cx = 100;
  second.cy = 40;
  second.caption = "Second";
  second.controls.push_back(sample_control(
      "PUSHBUTTON", "Button", "Close", "IDCANCEL", 0x00010000, 25, 13, 50, 14));
  m.dialogs.push_back(second);

  model::Menu menu;
  menu.name.text = "IDR_MAIN";
  menu.kind = "MENU";
  model::MenuItem file;
  file.type = model::MenuItem::Type::Popup;
  file.text = "&File";
  model::MenuItem open;
  open.text = "&Open...\tCtrl+O";
  open.id = 40001;
  open.id_written = "IDM_OPEN";
  model::MenuItem odd;
  odd.text = "Odd\tNum *";
  odd.id = 40002;
  odd.id_written = "IDM_ODD";
  odd.flags = {"GRAYED"};
  model::MenuItem check;
  check.text = "&Wrap";
  check.id = 40003;
  check.id_written = "IDM_WRAP";
  check.flags = {"CHECKED"};
  model::MenuItem separator;
  separator.type = model::MenuItem::Type::Separator;
  model::MenuItem sub;
  sub.type = model::MenuItem::Type::Popup;
  sub.text = "&View";
  for (const char* text : {"&Small", "&Large"}) {
    model::MenuItem radio;
    radio.text = text;
    radio.id = 40010;
    radio.id_written = "IDM_SIZE";
    radio.mftype = 0x200;
    sub.items.push_back(radio);
  }
  sub.items[0].mfstate = 0x8;
  file.items = {open, odd, check, separator, sub};
  menu.items.push_back(file);
  m.menus.push_back(menu);
  return m;
}

}  // namespace dlgforge::testing
