// The pieces of port mode that decide what the generated program holds:
// rounding, mnemonics, literals, names, and the description of the sample
// model (kinds, radio groups, default button, mnemonic targets, handlers),
// and which of the script's pictures the widgets and windows show.
// What fbc and GTK make of the program is checked by check_programs.py.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "port/program/fb_literal.h"
#include "port/sample_model.h"
#include "port/widgets/description.h"
#include "port/widgets/geometry.h"
#include "port/widgets/ids.h"
#include "port/widgets/names.h"
#include "port/widgets/text.h"
#include "port/writer/fb_writer.h"

namespace dlgforge::port {
namespace {

TEST(Geometry, RoundsHalvesAwayFromZeroAsMulDiv) {
  EXPECT_EQ(mul_div(7, 6, 4), 11);    // 10.5
  EXPECT_EQ(mul_div(5, 6, 4), 8);     // 7.5
  EXPECT_EQ(mul_div(-7, 6, 4), -11);  // -10.5
  EXPECT_EQ(mul_div(9, 13, 8), 15);   // 14.625
  EXPECT_EQ(mul_div(3, 13, 8), 5);    // 4.875
  EXPECT_EQ(mul_div(1, 13, 8), 2);    // 1.625
  EXPECT_EQ(mul_div(4, 1, 8), 1);     // 0.5
  EXPECT_EQ(mul_div(5, 7, 0), -1);
  EXPECT_EQ(mul_div(1000000000, 3, 2), 1500000000);  // 64-bit product
  EXPECT_EQ(to_pixels({7, 9, 50, 14}, 6, 13), (PixelRect{11, 15, 75, 23}));
}

TEST(Text, PrefixesBecomeMnemonics) {
  EXPECT_EQ(to_mnemonic("&Open").text, "_Open");
  EXPECT_TRUE(to_mnemonic("&Open").has_mnemonic);
  EXPECT_EQ(to_mnemonic("Fish && Chips").text, "Fish & Chips");
  EXPECT_FALSE(to_mnemonic("Fish && Chips").has_mnemonic);
  EXPECT_EQ(to_mnemonic("snake_case &x").text, "snake__case _x");
  EXPECT_EQ(to_mnemonic("end&").text, "end");
  EXPECT_EQ(to_mnemonic("&&&a").text, "&_a");
}

TEST(Text, MenuTextsSplitAtTheirAccelerator) {
  MenuText split = split_menu_text("&Open...\tCtrl+O");
  EXPECT_EQ(split.label, "&Open...");
  EXPECT_EQ(split.accelerator, "Ctrl+O");
  Accelerator ctrl_o = parse_accelerator(split.accelerator);
  EXPECT_EQ(ctrl_o.key, "o");
  EXPECT_TRUE(ctrl_o.control);
  Accelerator zoom = parse_accelerator("Ctrl+Shift++");
  EXPECT_EQ(zoom.key, "plus");
  EXPECT_TRUE(zoom.shift);
  EXPECT_EQ(parse_accelerator("Alt+F4").key, "F4");
  EXPECT_EQ(parse_accelerator("Del").key, "Delete");
  EXPECT_EQ(parse_accelerator("Num *").key, "");
  EXPECT_EQ(parse_accelerator("Ctrl+Click").key, "");
}

TEST(Text, LinksBecomeMarkup) {
  EXPECT_EQ(link_markup("See <a href=\"x.html\">here</a> & <b>"),
            "See <a href=\"x.html\">here</a> &amp; &lt;b&gt;");
  EXPECT_EQ(link_markup("<A>open"), "<a href=\"#\">open</a>");
}

TEST(Literal, EveryByteReadsBackAsWritten) {
  EXPECT_EQ(fb_string(""), "\"\"");
  EXPECT_EQ(fb_string("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(fb_string("a\tb"), "\"a\" & Chr(9) & \"b\"");
  EXPECT_EQ(fb_string("\r\n"), "Chr(13) & Chr(10)");
  EXPECT_EQ(fb_string("\\n"), "\"\\n\"");
  std::string long_text(400, 'x');
  long_text += "\xE6\x97\xA5";
  std::string written = fb_string(long_text);
  EXPECT_NE(written.find(" & _\n    \""), std::string::npos);
  EXPECT_NE(written.find("\xE6\x97\xA5"), std::string::npos);  // not cut
}

TEST(Names, ComeFromTheScriptIdentifiers) {
  EXPECT_EQ(identifier_part("IDC_EDIT_NAME"), "edit_name");
  EXPECT_EQ(identifier_part("IDOK"), "ok");
  EXPECT_EQ(identifier_part("IDD_ABOUTBOX"), "aboutbox");
  EXPECT_EQ(identifier_part("IDC_STATIC"), "");
  EXPECT_EQ(identifier_part("-1"), "");
  EXPECT_EQ(identifier_part("0x1F"), "");
  EXPECT_EQ(identifier_part("IDC_BASE + 1"), "base_1");
  NameTable names;
  EXPECT_EQ(names.claim("dlg_a_ok"), "dlg_a_ok");
  EXPECT_EQ(names.claim("dlg_a_ok"), "dlg_a_ok_2");
  EXPECT_EQ(names.claim("dlg_a_ok_2"), "dlg_a_ok_2_2");
  // Past the table's first growth, every name is still found again.
  for (int i = 0; i < 100; ++i) {
    names.claim("dlg_b_" + std::to_string(i));
  }
  EXPECT_EQ(names.claim("dlg_b_7"), "dlg_b_7_2");
  EXPECT_EQ(names.claim("dlg_a_ok"), "dlg_a_ok_3");
  // An id offered again in another case is its constant, past the table's
  // growth; another value for its name gets none.
  IdNames ids;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(ids.offer("IDC_N" + std::to_string(i), i),
              "IDC_N" + std::to_string(i));
  }
  EXPECT_EQ(ids.offer("idc_n7", 7), "IDC_N7");
  EXPECT_EQ(ids.offer("IDC_Long_Name_17", 17), "IDC_Long_Name_17");
  EXPECT_EQ(ids.offer("idc_long_name_17", 17), "IDC_Long_Name_17");
  EXPECT_EQ(ids.offer("IDC_N250", 1), "");
  EXPECT_EQ(ids.constants().size(), 301u);

  // Which script names may become constants of the program.
  const std::string_view kProgramsOwn =
      "begins like the names of the program or its headers";
  for (std::string_view name : {"g_free", "GTK_WINDOW", "Dlgforge_X", "INT_MAX",
                                "wchar_t_x", "Rand_Seed", "hb_x"}) {
    EXPECT_EQ(unsafe_constant_reason(name), kProgramsOwn) << name;
  }
  for (std::string_view name :
       {"IDC_NAME", "IDOK", "idle_time", "ID_GTK", "My_Dialog"}) {
    EXPECT_EQ(unsafe_constant_reason(name), "") << name;
  }
  EXPECT_EQ(unsafe_constant_reason("Static"), "may be a FreeBASIC keyword");
  EXPECT_EQ(unsafe_constant_reason("IDC_A + 1"), "not an identifier");
}

// A large program's dialogs are named on a thread of their own, from a
// table of their own: a clash between two dialogs is still settled in
// script order, and a menu of a dialog's name keeps its own names.
TEST(Names, DialogsClashInScriptOrder) {
  model::Model model;
  model::Menu menu;
  menu.name = {"A_B", std::nullopt};
  model.menus.push_back(menu);
  auto add_dialog = [&model](std::string name, std::string id) {
    model::Dialog dialog;
    dialog.name = {std::move(name), std::nullopt};
    dialog.kind = "DIALOG";
    dialog.controls.push_back(testing::sample_control(
        "PUSHBUTTON", "Button", "Go", std::move(id), 0, 7, 7, 50, 14));
    model.dialogs.push_back(dialog);
  };
  add_dialog("A", "IDC_B_CREATE");
  add_dialog("A_B", "IDC_GO");
  for (int i = 0; i < 70; ++i) {
    add_dialog("F" + std::to_string(i), "IDC_GO");
  }
  for (unsigned threads : {1u, 2u}) {
    Description description = describe(model, "", nullptr, threads);
    EXPECT_EQ(description.dialogs[0].widgets[0].name, "dlg_a_b_create");
    EXPECT_EQ(description.dialogs[1].function, "dlg_a_b_create_2");
    EXPECT_EQ(description.dialogs[1].window, "dlg_a_b_window");
    EXPECT_EQ(description.dialogs[71].widgets[0].name, "dlg_f69_go");
    EXPECT_EQ(description.dialogs[71].widgets[0].id_name, "IDC_GO");
    EXPECT_EQ(description.menus[0].function, "menu_a_b_create");
  }
}

class SampleDescription : public ::testing::Test {
 protected:
  Description description = describe(testing::sample_model(), "");
  const Dialog& dialog = description.dialogs.at(0);

  const Widget& widget(std::string_view id) {
    for (const Widget& w : dialog.widgets) {
      if (w.id_written == id) {
        return w;
      }
    }
    ADD_FAILURE() << "no widget " << id;
    return dialog.widgets.front();
  }
};

TEST_F(SampleDescription, EveryControlIsAWidgetOfItsKind) {
  // The up-down control attached to IDC_COUNT is part of its spin button.
  ASSERT_EQ(dialog.widgets.size(),
            testing::sample_model().dialogs[0].controls.size() - 1);
  std::map<std::string, WidgetKind> expected = {
      {"IDC_EDIT_NAME", WidgetKind::Entry},
      {"int", WidgetKind::TextView},
      {"IDOK", WidgetKind::Button},
      {"g_free", WidgetKind::GroupBox},
      {"IDC_ONE", WidgetKind::RadioButton},
      {"1001", WidgetKind::CheckButton},
      {"IDC_PUSHLIKE", WidgetKind::ToggleButton},
      {"IDC_LIST", WidgetKind::ListBox},
      {"IDC_COMBO", WidgetKind::ComboBox},
      {"IDC_COMBO_EDIT", WidgetKind::ComboBoxEntry},
      {"IDC_SLIDER", WidgetKind::Slider},
      {"IDC_SPIN", WidgetKind::SpinButton},
      {"IDC_COUNT", WidgetKind::SpinButton},
      {"IDC_VIEW", WidgetKind::ListView},
      {"IDC_TABS", WidgetKind::Notebook},
      {"IDC_LINK", WidgetKind::LinkLabel},
      {"IDC_CUSTOM", WidgetKind::Custom},
      {"IDC_RICH", WidgetKind::TextView},
      {"IDC_CAL", WidgetKind::Calendar},
  };
  for (const auto& [id, kind] : expected) {
    EXPECT_EQ(kind_name(widget(id).kind), kind_name(kind)) << id;
  }
  EXPECT_TRUE(widget("static").digits_only);
  EXPECT_EQ(widget("static").letter_case, LetterCase::Upper);
  EXPECT_FALSE(widget("int").editable);
  EXPECT_FALSE(widget("IDCANCEL").sensitive);
  EXPECT_FALSE(widget("IDC_HIDDEN").visible);
  EXPECT_TRUE(widget("IDOK").is_default);
  EXPECT_EQ(widget("IDC_COUNT").joined_id, "IDC_COUNT_SPIN");
  EXPECT_EQ(widget("IDC_COUNT").trim_right, kBuddyOverlapPixels);
  EXPECT_EQ(widget("IDC_SPIN").trim_right, 0);
  for (const Widget& each : dialog.widgets) {
    EXPECT_NE(each.id_written, "IDC_COUNT_SPIN");
  }
}

TEST_F(SampleDescription, RadioGroupsStartAtGroupStyle) {
  EXPECT_TRUE(widget("IDC_ONE").starts_group);
  EXPECT_EQ(widget("IDC_TWO").radio_group, widget("IDC_ONE").radio_group);
  EXPECT_FALSE(widget("IDC_TWO").starts_group);
  // A WS_GROUP check box ends the group; the WS_GROUP radio starts another.
  EXPECT_NE(widget("IDC_THREE").radio_group, widget("IDC_ONE").radio_group);
  EXPECT_TRUE(widget("IDC_THREE").starts_group);
}

TEST_F(SampleDescription, LabelMnemonicMovesToTheNextField) {
  const Widget& label = dialog.widgets[0];
  EXPECT_EQ(label.text, "_Name:");
  EXPECT_EQ(dialog.widgets.at(label.mnemonic_target).id_written,
            "IDC_EDIT_NAME");
}

TEST_F(SampleDescription, NamesAreUniqueIgnoringCaseAndPrefixed) {
  std::set<std::string> seen;
  auto check = [&seen](const std::string& name) {
    std::string lower;
    for (char c : name)
      lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    EXPECT_TRUE(seen.insert(lower).second) << name;
    EXPECT_TRUE(name.starts_with("dlg_") || name.starts_with("menu_")) << name;
  };
  for (const Dialog& d : description.dialogs) {
    check(d.function);
    check(d.window);
    check(d.procedure);
    for (const Widget& w : d.widgets) {
      check(w.name);
    }
  }
  EXPECT_EQ(widget("static").name, "dlg_sample_static");
  EXPECT_EQ(widget("IDC_STATIC").name, "dlg_sample_label");
  EXPECT_EQ(widget("-1").name, "dlg_sample_label_2");
  EXPECT_EQ(description.dialogs[1].function, "dlg_101_create");
}

TEST_F(SampleDescription, MenusKeepTheirStructure) {
  ASSERT_EQ(description.menus.size(), 1u);
  EXPECT_EQ(dialog.menu, 0);
  const MenuEntry& file = description.menus[0].items.at(0);
  EXPECT_EQ(file.kind, MenuEntry::Kind::Submenu);
  EXPECT_EQ(file.items.at(0).accel_key, "o");
  EXPECT_FALSE(file.items.at(1).sensitive);
  EXPECT_EQ(file.items.at(1).accel_text, "Num *");
  EXPECT_EQ(file.items.at(2).kind, MenuEntry::Kind::Check);
  EXPECT_EQ(file.items.at(3).kind, MenuEntry::Kind::Separator);
  const MenuEntry& view = file.items.at(4);
  EXPECT_TRUE(view.items.at(0).starts_group);
  EXPECT_TRUE(view.items.at(0).active);
  EXPECT_EQ(view.items.at(1).radio_group, view.items.at(0).radio_group);
  // Two items with one identifier are one command, with one constant.
  EXPECT_EQ(view.items.at(0).id_name, "IDM_SIZE");
  EXPECT_EQ(view.items.at(1).id_name, "IDM_SIZE");
}

TEST_F(SampleDescription, EveryNotificationIsConnectedAndItsIdListed) {
  WriterOptions options;
  options.script_name = "sample.rc";
  std::string program = write_freebasic(description, options);
  auto count = [&program](const std::string& what) {
    size_t n = 0;
    for (size_t at = program.find(what); at != std::string::npos;
         at = program.find(what, at + 1)) {
      ++n;
    }
    return n;
  };
  for (const Widget& w : dialog.widgets) {
    size_t connected = 0;
    for (size_t at = program.find("\n  g_signal_connect(");
         at != std::string::npos;
         at = program.find("\n  g_signal_connect(", at + 1)) {
      std::string line =
          program.substr(at + 1, program.find('\n', at + 1) - at - 1);
      connected += line.ends_with("), " + w.name + ")");
    }
    EXPECT_EQ(connected, w.notifications.size()) << w.name;
    EXPECT_EQ(count("dlgforge_control(dialog_window, " + w.name + ", "), 1u)
        << w.name;
    if (!w.notifications.empty() && !w.id_name.empty()) {
      EXPECT_NE(program.find("    Case " + w.id_name + "  ' "),
                std::string::npos)
          << w.name;
    }
  }
  EXPECT_EQ(count("dlgforge_base_units(dialog_window"), 2u);
  options.base_units = DialogBaseUnits{6, 13};
  std::string fixed = write_freebasic(description, options);
  EXPECT_EQ(fixed.find("dlgforge_base_units(dialog_window"), std::string::npos);
  EXPECT_NE(fixed.find("units_x = 6 : units_y = 13"), std::string::npos);
}

// Which of the script's pictures the description shows: an icon control's
// icon, or the cursor of that name; a bitmap control's bitmap at its size;
// and as the application's icon the first ICON as Windows lists resources
// (names in upper case order before numbers), whatever the script's order.
TEST(Pictures, ControlsAndTheApplicationIconFindTheirResource) {
  model::Model model;
  auto file = [&](std::string type, std::string name,
                  std::optional<std::uint32_t> number) {
    model::FileResource resource;
    resource.type = std::move(type);
    resource.name = {std::move(name), number};
    model.files.push_back(resource);
  };
  file("ICON", "7", 7);
  file("ICON", "b_icon", std::nullopt);
  file("ICON", "A_ICON", std::nullopt);
  file("CURSOR", "HAND", std::nullopt);
  file("BITMAP", "LOGO", std::nullopt);
  model::Dialog dialog = testing::sample_model().dialogs.front();
  dialog.controls = {
      testing::sample_control("ICON", "Static", "b_icon", "-1", 0x3, 0, 0, 0,
                              0),
      testing::sample_control("ICON", "Static", "HAND", "-1", 0x3, 0, 0, 0, 0),
      testing::sample_control("CONTROL", "Static", "LOGO", "-1", 0xE, 0, 0, 9,
                              9),
      testing::sample_control("CONTROL", "Static", "LOGO", "-1", 0x20E, 0, 0, 9,
                              9)};
  model.dialogs = {dialog};
  PictureSet set;
  for (const model::FileResource& resource : model.files) {
    Picture picture{&resource,
                    *picture_format(resource.type),
                    std::string(64, '\0'),
                    {},
                    ""};
    picture.stem = resource.name.text;
    picture.images.push_back({40, 20, 8, 22, 0, false});
    set.pictures.push_back(picture);
  }
  Description description = describe(model, "", &set);
  auto shown = [&](const Widget& widget) {
    return widget.picture < 0 ? std::string("stock")
                              : description.pictures[widget.picture].name;
  };
  const std::vector<Widget>& widgets = description.dialogs[0].widgets;
  EXPECT_EQ(shown(widgets[0]), "b_icon-32.ico");
  EXPECT_EQ(shown(widgets[1]), "HAND-32.cur");
  EXPECT_EQ(shown(widgets[2]), "LOGO.bmp");
  EXPECT_EQ(widgets[2].sizing, Sizing::Picture);
  EXPECT_EQ(widgets[2].picture_width, 40);
  EXPECT_EQ(widgets[3].sizing, Sizing::Script);  // SS_CENTERIMAGE
  EXPECT_EQ(description.pictures[description.icon_large].name, "A_ICON-32.ico");
  EXPECT_EQ(description.pictures[description.icon_small].name, "A_ICON-16.ico");
}

// An MFC main window's resources in two languages, with a key GTK has no
// name for and a toolbar without its bitmap.
TEST(Interface, MainWindowToolbarPromptsAndVariants) {
  model::Model model;
  const model::NameOrOrdinal frame{"IDR_MAINFRAME", 128};
  model::Menu menu;
  menu.name = frame;
  model::MenuItem file;
  file.type = model::MenuItem::Type::Popup;
  file.text = "&File";
  model::MenuItem create;
  create.text = "&New";
  create.id = 100;
  create.id_written = "ID_NEW";
  file.items.push_back(create);
  menu.items.push_back(file);
  model.menus.push_back(menu);
  model::AcceleratorTable keys;
  keys.name = frame;
  keys.entries.push_back({"VK_F5", 0x74, 100, "ID_NEW", {"VIRTKEY"}, 1, {}});
  keys.entries.push_back({"0x29",
                          0x29,
                          101,
                          "ID_OPEN",
                          {"VIRTKEY"},
                          1,
                          model::SourcePos::in("app.rc", 31, 5)});
  model.accelerators.push_back(keys);
  model::Toolbar toolbar;
  toolbar.name = frame;
  toolbar.width = 16;
  toolbar.height = 15;
  toolbar.pos = model::SourcePos::in("app.rc", 40, 1);
  toolbar.buttons = {
      {100, "ID_NEW", {}}, {std::nullopt, "", {}}, {101, "ID_OPEN", {}}};
  model.toolbars.push_back(toolbar);
  auto string = [&](std::uint32_t id, std::string text,
                    std::uint16_t language) {
    model::StringEntry entry;
    entry.id = id;
    entry.text = text;
    if (size_t line = text.find('\n'); line != std::string::npos) {
      entry.prompt = text.substr(0, line);
      entry.tooltip = text.substr(line + 1);
    }
    entry.language = language;
    model.strings.push_back(entry);
  };
  string(128, "Editor\n\nEditor", 0x0409);
  string(100, "Create a document\nNew", 0x0409);
  string(100, "Dokument anlegen\nNeu", 0x0407);
  for (std::uint16_t language : {0x0409, 0x0407}) {
    model.dialogs.push_back(testing::sample_model().dialogs.front());
    model.dialogs.back().name = {"IDD_A", std::nullopt};
    model.dialogs.back().language = language;
  }
  Description description = describe(model, "");

  ASSERT_TRUE(description.main_window);
  EXPECT_TRUE(description.main_window_first);
  EXPECT_EQ(description.main_window->title, "Editor");
  const MenuBar& bar = description.menus[description.main_window->menu];
  ASSERT_EQ(bar.toolbar, 0);
  const MenuEntry& item = bar.items[0].items[0];
  EXPECT_EQ(item.accel_key, "F5");
  EXPECT_EQ(item.prompt, "Create a document");
  EXPECT_EQ(item.tooltip, "New");
  const std::vector<ToolButton>& buttons = description.toolbars[0].buttons;
  EXPECT_EQ(buttons[0].image, 0);
  EXPECT_TRUE(buttons[1].separator);
  EXPECT_EQ(buttons[2].image, 1);
  EXPECT_EQ(buttons[0].tooltip, "New");
  ASSERT_EQ(description.warnings.size(), 2u);
  EXPECT_EQ(description.warnings[0].pos.line, 31);  // the key without a name
  EXPECT_EQ(description.warnings[1].pos.line, 40);  // the toolbar's bitmap

  // One dialog and one string in two languages, chosen per resource.
  ASSERT_EQ(description.dialog_variants.size(), 1u);
  EXPECT_EQ(dialog_in_language(description, 0, 0x0C07), 1);  // de-AT
  EXPECT_EQ(dialog_in_language(description, 1, 0x040C), 0);  // fr-FR
  ASSERT_EQ(description.strings.size(), 2u);
  EXPECT_EQ(description.strings[0].texts.size(), 2u);  // id 100
}

// A dialog finds its menu and its DLGINIT, and a toolbar its menu, by name
// ignoring case or by number whatever name gave the number; of a menu's
// variants, a dialog takes the one in its language.
TEST(Interface, ResourcesPairByNameOrNumber) {
  model::Model model;
  auto add_menu = [&model](model::NameOrOrdinal name, std::uint16_t language) {
    model::Menu menu;
    menu.name = std::move(name);
    menu.language = language;
    model::MenuItem item;
    item.text = "&Go";
    item.id = 1;
    menu.items.push_back(item);
    model.menus.push_back(menu);
  };
  add_menu({"IDR_MAIN", 200}, 0);
  add_menu({"Other", std::nullopt}, 0x0409);
  add_menu({"OTHER", std::nullopt}, 0x0407);
  auto add_dialog = [&model](model::NameOrOrdinal name,
                             model::NameOrOrdinal menu,
                             std::uint16_t language) {
    model.dialogs.push_back(testing::sample_model().dialogs.front());
    model.dialogs.back().name = std::move(name);
    model.dialogs.back().menu = std::move(menu);
    model.dialogs.back().language = language;
  };
  add_dialog({"IDD_A", 300}, {"200", 200}, 0);
  add_dialog({"IDD_B", std::nullopt}, {"IDM_ALIAS", 200}, 0);
  add_dialog({"IDD_C", std::nullopt}, {"other", std::nullopt}, 0x0407);
  model::DialogInit init;
  init.name = {"300", 300};
  model::DialogInitEntry entry;
  entry.message = 0x180;  // LB_ADDSTRING to the list box of id 0
  entry.text = "first";
  init.entries.push_back(entry);
  model.dialog_inits.push_back(init);
  model::Toolbar toolbar;
  toolbar.name = {"IDR_ALIAS", 200};
  model.toolbars.push_back(toolbar);
  Description description = describe(model, "");

  EXPECT_EQ(description.dialogs[0].menu, 0);
  EXPECT_EQ(description.dialogs[1].menu, 0);
  EXPECT_EQ(description.dialogs[2].menu, 2);
  EXPECT_EQ(description.menus[0].toolbar, 0);
  for (int d : {0, 1}) {
    for (const Widget& widget : description.dialogs[d].widgets) {
      if (widget.kind == WidgetKind::ListBox) {
        EXPECT_EQ(widget.items,
                  std::vector<std::string>(d == 0 ? 1 : 0, "first"));
      }
    }
  }
}

// A large program is described by several threads, each a dialog at a
// time, and printed by several, each a few dialogs, menus or procedures at
// a time: the same bytes whatever their number, in the order of one
// thread, and a sink that refuses a piece stops the printers.
TEST(Writer, ProgramsMadeBySeveralThreadsAreTheSame) {
  const model::Model sample = testing::sample_model();
  model::Model model;
  for (int i = 0; i < 150; ++i) {
    for (model::Dialog dialog : sample.dialogs) {
      dialog.name.text += "_" + std::to_string(i);
      // Every fifth dialog in a second language as well: a chooser.
      dialog.language = 0x409;
      model.dialogs.push_back(dialog);
      if (i % 5 == 0) {
        dialog.language = 0x407;
        dialog.caption += " (de)";
        model.dialogs.push_back(dialog);
      }
    }
    for (model::Menu menu : sample.menus) {
      menu.name.text += "_" + std::to_string(i);
      model.menus.push_back(menu);
    }
  }
  const Description description = describe(model, "many.rc", nullptr, 1);
  for (bool gtk3 : {false, true}) {
    WriterOptions options;
    options.script_name = "many.rc";
    options.gtk3 = gtk3;
    auto print = [&](unsigned printers, std::size_t refused_after) {
      options.printers = printers;
      std::string program;
      std::size_t pieces = 0;
      bool ok = write_freebasic_program(description, options,
                                        [&](std::string_view piece) {
                                          program += piece;
                                          return ++pieces <= refused_after;
                                        });
      return std::pair{ok, program};
    };
    auto [one_ok, one] = print(1, SIZE_MAX);
    ASSERT_TRUE(one_ok);
    ASSERT_GT(one.size(), 2u << 20);
    for (unsigned printers : {2u, 5u}) {
      auto [ok, program] = print(printers, SIZE_MAX);
      EXPECT_TRUE(ok);
      EXPECT_TRUE(program == one) << printers << " printers, gtk3 " << gtk3;
      auto [stopped, part] = print(printers, 3);
      EXPECT_FALSE(stopped);
      EXPECT_TRUE(one.starts_with(part));
      EXPECT_LT(part.size(), one.size());
    }
    // Several times over: a dialog handed over before it is ready shows in
    // some runs only.
    for (unsigned threads : {2u, 5u, 2u, 5u, 3u}) {
      options.printers = 1;
      std::string program;
      write_freebasic_program(describe(model, "many.rc", nullptr, threads),
                              options, [&program](std::string_view piece) {
                                program += piece;
                                return true;
                              });
      EXPECT_TRUE(program == one) << threads << " describing, gtk3 " << gtk3;
    }
  }
}

}  // namespace
}  // namespace dlgforge::port
