#include "menu/menu.h"

#include <gtest/gtest.h>

#include "support.h"

namespace dlgforge {
namespace {

using testing::convert;
using testing::document;
using testing::scan;
using testing::stub_body;
using testing::stub_decl;

std::string dim(std::string_view name) {
  return "Dim Shared " + std::string(name) + " As GtkWidget Ptr\n";
}

std::string item(std::string_view menu, std::string_view name,
                 std::string_view label) {
  std::string n(name);
  return n + " = gtk_menu_item_new_with_mnemonic(" + std::string(label) +
         ")\ngtk_container_add(GTK_CONTAINER(" + std::string(menu) + "), " + n +
         ")\ng_signal_connect(G_OBJECT(" + n + "), \"activate\", G_CALLBACK(@" +
         n + "_activate), NULL)\n";
}

std::string popup(std::string_view parent, std::string_view menu_name,
                  int number, std::string_view label) {
  std::string item = "item" + std::to_string(number);
  return item + " = gtk_menu_item_new_with_mnemonic(" + std::string(label) +
         ")\ngtk_container_add(GTK_CONTAINER(" + std::string(parent) + "), " +
         item + ")\ngtk_menu_item_set_submenu(GTK_MENU_ITEM(" + item + "), " +
         std::string(menu_name) + std::to_string(number) + ")\n";
}

std::string separator(std::string_view menu) {
  return "gtk_container_add(GTK_CONTAINER(" + std::string(menu) +
         "), gtk_menu_item_new())\n";
}

TEST(Menu, WorkedExample) {
  auto scanned = scan(
      "IDR_MAINMENU MENU\n"
      "BEGIN\n"
      "    POPUP \"&File\"\n"
      "    BEGIN\n"
      "        MENUITEM \"&Open\", IDM_FILE_OPEN, GRAYED\n"
      "        MENUITEM SEPARATOR\n"
      "        MENUITEM \"E&xit\", IDM_FILE_EXIT\n"
      "    END\n"
      "END\n");
  const testing::FlatSections& s = scanned.sections;
  EXPECT_EQ(s.declarations,
            "' declare menu\n"
            "Dim Shared mainmenu As GtkWidget Ptr\n"
            "Dim Shared item10 As GtkWidget Ptr\n"
            "Dim Shared mainmenu10 As GtkWidget Ptr\n"
            "Dim Shared mFile_open As GtkWidget Ptr\n"
            "Dim Shared mFile_exit As GtkWidget Ptr\n");
  EXPECT_EQ(s.menu_code,
            "' menu\n"
            "mainmenu = gtk_menu_bar_new()\n"
            "mainmenu10 = gtk_menu_new()\n"
            "mFile_open = gtk_menu_item_new_with_mnemonic(\"&Open\")\n"
            "gtk_container_add(GTK_CONTAINER(mainmenu10), mFile_open)\n"
            "g_signal_connect(G_OBJECT(mFile_open), \"activate\", "
            "G_CALLBACK(@mFile_open_activate), NULL)\n"
            "gtk_container_add(GTK_CONTAINER(mainmenu10), "
            "gtk_menu_item_new())\n"
            "mFile_exit = gtk_menu_item_new_with_mnemonic(\"E&xit\")\n"
            "gtk_container_add(GTK_CONTAINER(mainmenu10), mFile_exit)\n"
            "g_signal_connect(G_OBJECT(mFile_exit), \"activate\", "
            "G_CALLBACK(@mFile_exit_activate), NULL)\n"
            "item10 = gtk_menu_item_new_with_mnemonic(\"&File\")\n"
            "gtk_container_add(GTK_CONTAINER(mainmenu), item10)\n"
            "gtk_menu_item_set_submenu(GTK_MENU_ITEM(item10), mainmenu10)\n");
  EXPECT_EQ(s.callback_decls, stub_decl("mFile_open", "activate") +
                                  stub_decl("mFile_exit", "activate"));
  EXPECT_EQ(s.callback_bodies, stub_body("mFile_open", "activate") +
                                   stub_body("mFile_exit", "activate"));
  EXPECT_EQ(s.dialog_code, "");
}

TEST(Menu, RoadOfOneScriptAsAWholeDocument) {
  std::string script =
      "IDR_MAINMENU MENU\r\n"
      "BEGIN\r\n"
      "    POPUP \"&File\"\r\n"
      "    BEGIN\r\n"
      "        MENUITEM \"E&xit\",                       IDM_EXIT\r\n"
      "    END\r\n"
      "END\r\n"
      "\r\n"
      "IDD_MAIN DIALOGEX 0, 0, 186, 95\r\n"
      "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION\r\n"
      "CAPTION \"Main\"\r\n"
      "MENU IDR_MAINMENU\r\n"
      "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\r\n"
      "BEGIN\r\n"
      "    DEFPUSHBUTTON   \"OK\",IDOK,129,7,50,14\r\n"
      "END\r\n";
  std::string expected = document(
      "' declare menu\n"
      "Dim Shared mainmenu As GtkWidget Ptr\n"
      "Dim Shared item10 As GtkWidget Ptr\n"
      "Dim Shared mainmenu10 As GtkWidget Ptr\n"
      "Dim Shared mExit As GtkWidget Ptr\n"
      "' declare dialog\n"
      "Dim Shared main As GtkWidget Ptr\n"
      "Dim Shared vbox As GtkWidget Ptr\n"
      "Dim Shared fixed As GtkWidget Ptr\n"
      "Dim font_desc As PangoFontDescription Ptr\n"
      "Dim Shared btnOK As GtkWidget Ptr\n",
      stub_decl("mExit", "activate") + stub_decl("btnOK", "clicked") +
          stub_decl("main", "destroy"),
      "' menu\n"
      "mainmenu = gtk_menu_bar_new()\n"
      "mainmenu10 = gtk_menu_new()\n"
      "mExit = gtk_menu_item_new_with_mnemonic(\"E&xit\")\n"
      "gtk_container_add(GTK_CONTAINER(mainmenu10), mExit)\n"
      "g_signal_connect(G_OBJECT(mExit), \"activate\", "
      "G_CALLBACK(@mExit_activate), NULL)\n"
      "item10 = gtk_menu_item_new_with_mnemonic(\"&File\")\n"
      "gtk_container_add(GTK_CONTAINER(mainmenu), item10)\n"
      "gtk_menu_item_set_submenu(GTK_MENU_ITEM(item10), mainmenu10)\n",
      "' dialog\n"
      "main = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n"
      "gtk_window_set_resizable(GTK_WINDOW(main), TRUE)\n"
      "gtk_widget_set_size_request(main, 279, 175)\n"
      "gtk_window_set_position (GTK_WINDOW(main), GTK_WIN_POS_NONE)\n"
      "gtk_window_set_title (GTK_WINDOW(main), \"Main\")\n"
      "vbox = gtk_vbox_new(FALSE,2)\n"
      "gtk_box_pack_start(GTK_BOX(vbox), mainmenu, FALSE, FALSE, 0)\n"
      "gtk_container_add(GTK_CONTAINER(main), vbox)\n"
      "fixed = gtk_fixed_new()\n"
      "font_desc = pango_font_description_from_string(\"MS Shell Dlg 8\")\n"
      "\n"
      "'Controls\n"
      "btnOK = gtk_button_new_with_label(\"OK\")\n"
      "g_signal_connect(G_OBJECT(btnOK), \"clicked\", "
      "G_CALLBACK(@btnOK_clicked), main)\n"
      "child_set_font(btnOK, font_desc)\n"
      "gtk_widget_set_size_request(btnOK, 75, 22)\n"
      "gtk_fixed_put(GTK_FIXED(fixed), btnOK, 193, 11)\n"
      "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n"
      "g_signal_connect (G_OBJECT(main), \"destroy\", "
      "G_CALLBACK(@main_destroy),NULL)\n",
      "main",
      stub_body("mExit", "activate") + stub_body("btnOK", "clicked") +
          stub_body("main", "destroy"));
  EXPECT_EQ(convert(script), expected);
}

TEST(Menu, PopupNumbering) {
  auto scanned = scan(
      "M MENUEX\n{\n"
      "  POPUP \"A\"\n  {\n"
      "    POPUP \"B\", 5\n    {\n"
      "      POPUP \"C\"\n      BEGIN\n      END\n"
      "    }\n"
      "    POPUP \"D\"\n    BEGIN\n    END\n"
      "  }\n"
      "  POPUP \"E\"\n  BEGIN\n  END\n"
      "}\n");
  EXPECT_EQ(scanned.sections.declarations,
            "' declare menu\n" + dim("M") + dim("item10") + dim("M10") +
                dim("item20") + dim("M20") + dim("item30") + dim("M30") +
                dim("item21") + dim("M21") + dim("item11") + dim("M11"));
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\nM = gtk_menu_bar_new()\nM10 = gtk_menu_new()\n"
            "M20 = gtk_menu_new()\nM30 = gtk_menu_new()\n" +
                popup("M20", "M", 30, "\"C\"") + popup("M10", "M", 20, "\"B\"") +
                "M21 = gtk_menu_new()\n" + popup("M10", "M", 21, "\"D\"") +
                popup("M", "M", 10, "\"A\"") + "M11 = gtk_menu_new()\n" +
                popup("M", "M", 11, "\"E\""));
}

TEST(Menu, SeparatorsAndItemFields) {
  auto scanned = scan(
      "IDR_X MENUEX\nBEGIN\n"
      "  MENUITEM \"\", 0, MFT_SEPARATOR\n"
      "  MENUITEM \"\", 0, MFT_SEPARATOR \n"
      "  MENUITEM \"\", 0, MFT_SEPARATOR | MFT_RIGHTJUSTIFY\n"
      "  MENUITEM  SEPARATOR\n"
      "  MENUITEM\tSEPARATOR\n"
      "  MENUITEM \"Save, as\", IDM_SAVE\n"
      "  MENUITEM \"&Open\",,, IDM_OPEN\n"
      "  MENUITEM \"About\"\n"
      "  MENUITEM\n"
      "  MENUITEM \"x\", ID_FILE_OPEN\n"
      "  MENUITEM \"y\", MY_IDM_OPEN\n"
      "  MENUITEM \"z\", IDM_\n"
      "  // END of the menu\n"
      "  MENUITEM \"never\", IDM_NEVER\n"
      "END\n");
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\nx = gtk_menu_bar_new()\n" + separator("x") + item("x", "0", "\"\"") +
                item("x", "0", "\"\"") + separator("x") + separator("x") +
                item("x", "as\"", "\"Save") + item("x", "mOpen", "\"&Open\"") +
                item("x", "ID_FILE_OPEN", "\"x\"") +
                item("x", "MY_IDM_OPEN", "\"y\"") + item("x", "m", "\"z\""));
}

TEST(Menu, MissingBegin) {
  // No BEGIN after the header: the line after it is dropped and the rest is
  // read by the scanner.
  auto scanned = scan(
      "IDR_A MENU DISCARDABLE\n"
      "  MENUITEM \"x\", IDM_X\n"
      "  MENUITEM \"y\", IDM_Y\n"
      "END\n");
  EXPECT_EQ(scanned.sections.declarations, "' declare menu\n" + dim("a"));
  EXPECT_EQ(scanned.sections.menu_code, "' menu\na = gtk_menu_bar_new()\n");

  // No BEGIN after a POPUP: its menu stays empty, its items go to the
  // enclosing menu, and its END closes the enclosing menu.
  scanned = scan(
      "IDR_A MENU\nBEGIN\n"
      "  POPUP \"&Edit\"\n"
      "    MENUITEM \"dropped\", IDM_DROPPED\n"
      "    MENUITEM \"kept\", IDM_KEPT\n"
      "  END\n"
      "  MENUITEM \"outside\", IDM_OUTSIDE\n"
      "END\n");
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\na = gtk_menu_bar_new()\na10 = gtk_menu_new()\n" +
                popup("a", "a", 10, "\"&Edit\"") + item("a", "mKept", "\"kept\""));
}

TEST(Menu, EmptyBlocksAndHeaderWords) {
  auto scanned = scan(
      "  IDR_Main\tMENU\nBEGIN\nEND\n"
      "idr_x MENU\n{\n}\n"
      "101 MENU\nBEGIN\n  POPUP\n  BEGIN\n  END\nEND\n");
  EXPECT_EQ(scanned.sections.declarations,
            "' declare menu\n" + dim("main\tmenu") + "' declare menu\n" +
                dim("idr_x") + "' declare menu\n" + dim("101") + dim("item10") +
                dim("10110"));
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\nmain\tmenu = gtk_menu_bar_new()\n"
            "' menu\nidr_x = gtk_menu_bar_new()\n"
            "' menu\n101 = gtk_menu_bar_new()\n10110 = gtk_menu_new()\n" +
                popup("101", "101", 10, "\"\""));
}

TEST(Menu, ScriptEndingInsideNestedPopups) {
  auto scanned = scan(
      "IDR_A MENU\nBEGIN\n"
      "  POPUP \"one\"\n  BEGIN\n"
      "    POPUP \"two\"\n    BEGIN\n"
      "      MENUITEM \"x\", IDM_X\n");
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\na = gtk_menu_bar_new()\na10 = gtk_menu_new()\n"
            "a20 = gtk_menu_new()\n" +
                item("a20", "mX", "\"x\"") + popup("a10", "a", 20, "\"two\"") +
                popup("a", "a", 10, "\"one\""));
}

TEST(Menu, StringTableLineHoldingMenu) {
  auto scanned = scan(
      "STRINGTABLE\nBEGIN\n"
      "    IDS_HINT \"Open the MENU\"\n"
      "    IDS_NEXT \"consumed\"\n"
      "    IDS_LAST \"last\"\n"
      "END\n");
  EXPECT_EQ(scanned.sections.declarations, "' declare menu\n" + dim("IDS_HINT"));
  EXPECT_EQ(scanned.sections.menu_code,
            "' menu\nIDS_HINT = gtk_menu_bar_new()\n");
}

TEST(Menu, DeepNestingDoesNotExhaustTheStack) {
  constexpr int kDepth = 100000;
  std::string script = "IDR_D MENU\nBEGIN\n";
  for (int i = 0; i < kDepth; ++i) {
    script += "POPUP \"p\"\nBEGIN\n";
  }
  script += "MENUITEM \"leaf\", IDM_LEAF\n";
  for (int i = 0; i <= kDepth; ++i) {
    script += "END\n";
  }
  auto scanned = scan(script);
  const std::string& code = scanned.sections.menu_code;
  std::string deepest = "d" + std::to_string(10LL * kDepth);
  EXPECT_NE(code.find(deepest + " = gtk_menu_new()\n" +
                      item(deepest, "mLeaf", "\"leaf\"")),
            std::string::npos);
  EXPECT_TRUE(code.ends_with(popup("d", "d", 10, "\"p\"")));
}

}  // namespace
}  // namespace dlgforge
