#include "dialog/controls.h"

#include <gtest/gtest.h>

#include "support.h"

namespace dlgforge {
namespace {

using testing::kToggleBody;
using testing::scan;
using testing::stub_body;
using testing::stub_decl;

constexpr std::string_view kWindowDecls =
    "' declare dialog\n"
    "Dim Shared about As GtkWidget Ptr\n"
    "Dim Shared vbox As GtkWidget Ptr\n"
    "Dim Shared fixed As GtkWidget Ptr\n"
    "Dim font_desc As PangoFontDescription Ptr\n";

// What one dialog "about" with the given control lines generates for its
// controls: the declarations after the window's own, the control code
// between the marker and the closing lines, and the handler sections
// without the window's destroy handler.
struct Controls {
  std::string declarations;
  std::string code;
  std::string callback_decls;
  std::string callback_bodies;
};

Controls convert_controls_of(std::string_view lines) {
  auto scanned = scan("IDD_ABOUT DIALOG 0, 0, 10, 10\nBEGIN\n" +
                      std::string(lines) + "END\n");
  const testing::FlatSections& s = scanned.sections;
  Controls result;
  EXPECT_TRUE(s.declarations.starts_with(kWindowDecls));
  result.declarations = s.declarations.substr(kWindowDecls.size());
  constexpr std::string_view kMarker = "\n'Controls\n";
  constexpr std::string_view kClosing =
      "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n";
  size_t begin = s.dialog_code.find(kMarker);
  size_t end = s.dialog_code.rfind(kClosing);
  EXPECT_NE(begin, std::string::npos);
  EXPECT_NE(end, std::string::npos);
  begin += kMarker.size();
  result.code = s.dialog_code.substr(begin, end - begin);
  std::string destroy_decl = stub_decl("about", "destroy");
  std::string destroy_body = stub_body("about", "destroy");
  EXPECT_TRUE(s.callback_decls.ends_with(destroy_decl));
  EXPECT_TRUE(s.callback_bodies.ends_with(destroy_body));
  result.callback_decls =
      s.callback_decls.substr(0, s.callback_decls.size() - destroy_decl.size());
  result.callback_bodies = s.callback_bodies.substr(
      0, s.callback_bodies.size() - destroy_body.size());
  return result;
}

std::string dim(std::string_view name) {
  return "Dim Shared " + std::string(name) + " As GtkWidget Ptr\n";
}

std::string place(std::string_view name, int w, int h, int x, int y) {
  std::string n(name);
  return "gtk_widget_set_size_request(" + n + ", " + std::to_string(w) + ", " +
         std::to_string(h) + ")\ngtk_fixed_put(GTK_FIXED(fixed), " + n + ", " +
         std::to_string(x) + ", " + std::to_string(y) + ")\n";
}

TEST(Controls, WorkedExampleDefPushButton) {
  Controls c = convert_controls_of(
      "    DEFPUSHBUTTON   \"OK\",IDOK,113,41,50,14\n");
  EXPECT_EQ(c.declarations, "Dim Shared btnOK As GtkWidget Ptr\n");
  EXPECT_EQ(c.code,
            "btnOK = gtk_button_new_with_label(\"OK\")\n"
            "g_signal_connect(G_OBJECT(btnOK), \"clicked\", "
            "G_CALLBACK(@btnOK_clicked), about)\n"
            "child_set_font(btnOK, font_desc)\n"
            "gtk_widget_set_size_request(btnOK, 75, 22)\n"
            "gtk_fixed_put(GTK_FIXED(fixed), btnOK, 169, 66)\n");
  EXPECT_EQ(c.callback_decls,
            "Declare Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, "
            "gdata As gpointer)\n");
  EXPECT_EQ(c.callback_bodies,
            "Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal "
            "gdata As gpointer)\n"
            "\t'Please write your codes here.\n"
            "End Sub\n\n");
}

TEST(Controls, ButtonKinds) {
  Controls c = convert_controls_of(
      "PUSHBUTTON \"Cancel\", IDCANCEL, 4, 8, 40, 16, WS_GROUP\n"
      "AUTOCHECKBOX \"&Wrap\", IDC_WRAP, 4, 8, 40, 16\n"
      "AUTOCHECKBOX \"&Bold\", IDC_BOLD, 4, 8, 40, 16, BS_PUSHLIKE | "
      "WS_TABSTOP\n"
      "GROUPBOX \"Frame\", IDC_STATIC, -3, -3, 40, 16\n");
  EXPECT_EQ(c.declarations,
            dim("btnCancel") + dim("wrap") + dim("bold") + dim("static"));
  EXPECT_EQ(c.code,
            "btnCancel = gtk_button_new_with_label(\"Cancel\")\n"
            "g_signal_connect(G_OBJECT(btnCancel), \"clicked\", "
            "G_CALLBACK(@btnCancel_clicked), about)\n"
            "child_set_font(btnCancel, font_desc)\n" +
                place("btnCancel", 60, 26, 6, 13) +
                "wrap = gtk_check_button_new_with_label(\"&Wrap\")\n"
                "g_signal_connect(G_OBJECT(wrap), \"toggled\", "
                "G_CALLBACK(@wrap_toggled), about)\n"
                "child_set_font(wrap, font_desc)\n" +
                place("wrap", 60, 26, 6, 13) +
                "bold = gtk_toggle_button_new_with_label(\"&Bold\")\n"
                "g_signal_connect(G_OBJECT(bold), \"toggled\", "
                "G_CALLBACK(@bold_toggled), about)\n"
                "child_set_font(bold, font_desc)\n" +
                place("bold", 60, 26, 6, 13) +
                "child_set_font(static, font_desc)\n" +
                place("static", 60, 26, -4, -4));
  EXPECT_EQ(c.callback_decls, stub_decl("btnCancel", "clicked") +
                                  stub_decl("wrap", "toggled") +
                                  stub_decl("bold", "toggled"));
  EXPECT_EQ(c.callback_bodies, stub_body("btnCancel", "clicked") +
                                   stub_body("wrap", "toggled", kToggleBody) +
                                   stub_body("bold", "toggled", kToggleBody));
}

std::string radio(std::string_view name, bool first) {
  std::string n(name);
  std::string text =
      n + " = gtk_radio_button_new_with_label(" + (first ? "NULL" : "group1") +
      ", \"" + n + "\")\n";
  text += first ? "Dim group1 As GSList Ptr = gtk_radio_button_group "
                  "(GTK_RADIO_BUTTON (" +
                      n + "))\n"
                : "group1 = gtk_radio_button_group (GTK_RADIO_BUTTON (" + n +
                      "))\n";
  return text + "g_signal_connect(G_OBJECT(" + n +
         "), \"toggled\", G_CALLBACK(@" + n + "_toggled), " +
         (n == "r4" ? "second" : "about") + ")\nchild_set_font(" + n +
         ", font_desc)\n" + place(n, 0, 0, 0, 0);
}

TEST(Controls, RadioButtonsShareOneGroupAcrossDialogs) {
  auto scanned = scan(
      "IDD_ABOUT DIALOG 0, 0, 10, 10\nBEGIN\n"
      "AUTORADIOBUTTON \"r1\", IDC_R1, 0, 0, 0, 0\n"
      "AUTORADIOBUTTON \"r2\", IDC_R2, 0, 0, 0, 0\n"
      "CONTROL \"r3\", IDC_R3, \"button\", BS_AUTORADIOBUTTON, 0, 0, 0, 0\n"
      "END\n\n"
      "IDD_SECOND DIALOG 0, 0, 10, 10\nBEGIN\n"
      "AUTORADIOBUTTON \"r4\", IDC_R4, 0, 0, 0, 0\n"
      "END\n");
  const std::string& code = scanned.sections.dialog_code;
  std::string first_block = radio("r1", true) + radio("r2", false) +
                            radio("r3", false);
  EXPECT_NE(code.find("\n'Controls\n" + first_block +
                      "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n"),
            std::string::npos)
      << code;
  EXPECT_NE(code.find("\n'Controls\n" + radio("r4", false) +
                      "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n"),
            std::string::npos)
      << code;
  size_t declarations = 0;
  for (size_t at = code.find("Dim group1"); at != std::string::npos;
       at = code.find("Dim group1", at + 1)) {
    ++declarations;
  }
  EXPECT_EQ(declarations, 1u);
}

TEST(Controls, ControlsWithoutWidgets) {
  Controls c = convert_controls_of(
      "EDITTEXT IDC_EDIT1, 8, 16, 40, 12, ES_AUTOHSCROLL\n"
      "LISTBOX IDC_LIST,8,16,40,12\n"
      "COMBOBOX IDC_COMBO, 8, 16, 40, 12, CBS_DROPDOWN | WS_VSCROLL\n"
      "CONTROL \"\", IDC_R, \"Static\", SS_LEFT, 8, 16, 40, 12\n"
      "CONTROL \"Go\", IDC_GO, \"Button\", BS_PUSHBUTTON, 8, 16, 40, 12\n"
      "CONTROL \"\", IDC_BAR, \"static\", SS_BLACKRECT, 8, 16, 40, 12\n"
      "LTEXT \"\", IDC_LINE, 8, 16, 40, 12, SS_ETCHEDFRAME\n");
  std::string expected;
  for (std::string_view name :
       {"edit1", "list", "combo", "r", "go", "bar", "line"}) {
    expected += place(name, 60, 19, 12, 26);
  }
  EXPECT_EQ(c.code, expected);
  EXPECT_EQ(c.declarations, dim("edit1") + dim("list") + dim("combo") +
                                dim("r") + dim("go") + dim("bar") +
                                dim("line"));
  EXPECT_EQ(c.callback_decls, "");
}

TEST(Controls, GenericClassesAndLabels) {
  Controls c = convert_controls_of(
      "CONTROL \"T\", IDC_T, WC_BUTTON, BS_AUTOCHECKBOX | BS_PUSHLIKE, 0, 0, "
      "4, 8\n"
      "CONTROL \"L\", IDC_L, WC_STATIC, SS_LEFT, 0, 0, 4, 8\n"
      "CONTROL \"S\", IDC_S, \"static\", SS_LEFT, 0, 0, 4, 8\n"
      "LTEXT \"Name:\", IDC_STATIC, 0, 0, 4, 8\n");
  EXPECT_EQ(c.code,
            "t = gtk_toggle_button_new_with_label(\"T\")\n"
            "g_signal_connect(G_OBJECT(t), \"toggled\", "
            "G_CALLBACK(@t_toggled), about)\n"
            "child_set_font(t, font_desc)\n" +
                place("t", 6, 13, 0, 0) +
                "l = gtk_label_new(\"L\")\n"
                "gtk_widget_modify_font(GTK_WIDGET(l), font_desc)\n" +
                place("l", 6, 13, 0, 0) +
                "s = gtk_label_new(\"S\")\n"
                "gtk_widget_modify_font(GTK_WIDGET(s), font_desc)\n" +
                place("s", 6, 13, 0, 0) +
                "static = gtk_label_new(\"Name:\")\n"
                "gtk_widget_modify_font(GTK_WIDGET(static), font_desc)\n" +
                place("static", 6, 13, 0, 0));
}

TEST(Controls, KeywordTraps) {
  Controls c = convert_controls_of(
      "DEFPUSHBUTTON \"Press PUSHBUTTON now\", IDOK, 0, 0, 4, 8\n"
      "RTEXT \"x\", IDC_CONTROL1, \"button\", BS_PUSHBUTTON, 0, 0, 4, 8\n"
      "RTEXT \"Name\", IDC_NAME, 0, 0, 4, 8\n"
      "CTEXT \"Done\", IDC_SEND, 0, 0, 4, 8\n"
      "PUSHBUTTON \"never\", IDC_NEVER, 0, 0, 4, 8\n");
  // PUSHBUTTON inside the quoted text wins: its statement starts after it.
  // CONTROL matches inside IDC_CONTROL1. IDC_NAME is skipped and IDC_SEND
  // ends the block.
  EXPECT_EQ(c.declarations, dim("btnOK") + dim("\"button\""));
  EXPECT_EQ(c.code,
            "btnOK = gtk_button_new_with_label(now\")\n"
            "g_signal_connect(G_OBJECT(btnOK), \"clicked\", "
            "G_CALLBACK(@btnOK_clicked), about)\n"
            "child_set_font(btnOK, font_desc)\n" +
                place("btnOK", 6, 13, 0, 0) +
                place("\"button\"", 12, 0, 0, 6));
}

TEST(Controls, FieldSplittingTraps) {
  Controls c = convert_controls_of(
      "LTEXT \"a, b\", IDC_A, 4, 8, 4, 8\n"
      "EDITTEXT IDOK  , 4, 8, 4, 8\n"
      "EDITTEXT IDC_NEG, -7, -9, -1, 8,\n"
      "EDITTEXT IDC_CONT, 4, 8,\n"
      "    4, 8, WS_BORDER\n"
      "EDITTEXT IDC_ALONE\n"
      "EDITTEXT\n"
      "CONTROL \"x\", IDC_X, \"button\"\n"
      "EDITTEXT IDC_COMMAS,,,, 4,,, 8, x, 12\n");
  // "a, b": the text is cut at its comma and the identifier is " b\"".
  EXPECT_EQ(c.declarations, dim("b\"") + dim("IDOK  ") + dim("neg") +
                                dim("cont") + dim("commas"));
  EXPECT_EQ(c.code, "b\" = gtk_label_new(\"a)\n"
                    "gtk_widget_modify_font(GTK_WIDGET(b\"), font_desc)\n" +
                        place("b\"", 12, 6, 0, 6) + place("IDOK  ", 6, 13, 6, 13) +
                        place("neg", -1, 13, -10, -14) +
                        place("cont", 0, 0, 6, 13) + place("commas", 0, 19, 6, 13));
}

TEST(Controls, HexadecimalStylesChooseAKindFromTheirLowBits) {
  Controls c = convert_controls_of(
      "CONTROL \"p\", IDC_P, \"button\", 0x50010000, 0, 0, 4, 8\n"
      "CONTROL \"c\", IDC_C, \"button\", 0x50010003, 0, 0, 4, 8\n"
      "CONTROL \"t\", IDC_T, \"button\", 0x1002, 0, 0, 4, 8\n"
      "CONTROL \"r\", IDC_R, WC_BUTTON, 0x9, 0, 0, 4, 8\n"
      "CONTROL \"o\", IDC_O, \"button\", 0xB, 0, 0, 4, 8\n"
      "GROUPBOX \"g\", IDC_G, 0, 0, 4, 8, 0x1\n");
  EXPECT_EQ(c.code,
            "p = gtk_button_new_with_label(\"p\")\n"
            "g_signal_connect(G_OBJECT(p), \"clicked\", "
            "G_CALLBACK(@p_clicked), about)\n"
            "child_set_font(p, font_desc)\n" +
                place("p", 6, 13, 0, 0) +
                "c = gtk_check_button_new_with_label(\"c\")\n"
                "g_signal_connect(G_OBJECT(c), \"toggled\", "
                "G_CALLBACK(@c_toggled), about)\n"
                "child_set_font(c, font_desc)\n" +
                place("c", 6, 13, 0, 0) +
                "t = gtk_toggle_button_new_with_label(\"t\")\n"
                "g_signal_connect(G_OBJECT(t), \"toggled\", "
                "G_CALLBACK(@t_toggled), about)\n"
                "child_set_font(t, font_desc)\n" +
                place("t", 6, 13, 0, 0) +
                "r = gtk_radio_button_new_with_label(NULL, \"r\")\n"
                "Dim group1 As GSList Ptr = gtk_radio_button_group "
                "(GTK_RADIO_BUTTON (r))\n"
                "g_signal_connect(G_OBJECT(r), \"toggled\", "
                "G_CALLBACK(@r_toggled), about)\n"
                "child_set_font(r, font_desc)\n" +
                place("r", 6, 13, 0, 0) + "child_set_font(o, font_desc)\n" +
                place("o", 6, 13, 0, 0) + "child_set_font(g, font_desc)\n" +
                place("g", 6, 13, 0, 0));
}

TEST(Controls, BlockEnds) {
  for (std::string_view end : {"END\n", "}\n", "  // SENDER\n", "x}y\n"}) {
    auto scanned = scan("IDD_ABOUT DIALOG 0,0,1,1\nBEGIN\n" + std::string(end) +
                        "EDITTEXT IDC_AFTER, 1, 1, 1, 1\n");
    EXPECT_EQ(scanned.sections.declarations.find("after"), std::string::npos)
        << end;
  }
  // A control line whose text holds END is still converted.
  Controls c = convert_controls_of("LTEXT \"THE END\", IDC_E, 0, 0, 0, 0\n");
  EXPECT_EQ(c.declarations, dim("e"));
}

}  // namespace
}  // namespace dlgforge
