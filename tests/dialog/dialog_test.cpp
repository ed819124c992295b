#include "dialog/dialog.h"

#include <gtest/gtest.h>

#include "support.h"

namespace dlgforge {
namespace {

using testing::scan;
using testing::stub_body;
using testing::stub_decl;

// The window code of one dialog block with no controls, written out from the
// generated lines one by one.
std::string window_block(std::string_view window, int width, int height,
                         std::string_view caption, std::string_view menu,
                         std::string_view font, std::string_view controls = "") {
  std::string w(window);
  std::string text = w + " = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n" +
                     "gtk_window_set_resizable(GTK_WINDOW(" + w + "), TRUE)\n" +
                     "gtk_widget_set_size_request(" + w + ", " +
                     std::to_string(width) + ", " + std::to_string(height) +
                     ")\n" + "gtk_window_set_position (GTK_WINDOW(" + w +
                     "), GTK_WIN_POS_NONE)\n" +
                     "gtk_window_set_title (GTK_WINDOW(" + w + "), " +
                     std::string(caption) + ")\n" +
                     "vbox = gtk_vbox_new(FALSE,2)\n";
  if (!menu.empty()) {
    text += "gtk_box_pack_start(GTK_BOX(vbox), " + std::string(menu) +
            ", FALSE, FALSE, 0)\n";
  }
  text += "gtk_container_add(GTK_CONTAINER(" + w + "), vbox)\n" +
          "fixed = gtk_fixed_new()\n" +
          "font_desc = pango_font_description_from_string(\"" +
          std::string(font) + "\")\n" + "\n'Controls\n" + std::string(controls) +
          "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n" +
          "g_signal_connect (G_OBJECT(" + w + "), \"destroy\", G_CALLBACK(@" +
          w + "_destroy),NULL)\n";
  return text;
}

std::string window_decls(std::string_view window) {
  return "Dim Shared " + std::string(window) +
         " As GtkWidget Ptr\n"
         "Dim Shared vbox As GtkWidget Ptr\n"
         "Dim Shared fixed As GtkWidget Ptr\n"
         "Dim font_desc As PangoFontDescription Ptr\n";
}

TEST(DialogBlock, AboutBoxWithAndWithoutMenu) {
  auto scanned = scan(
      "IDD_ABOUTBOX DIALOGEX 0, 0, 170, 62\n"
      "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION\n"
      "CAPTION \"About\"\n"
      "FONT 8, \"MS Shell Dlg\", 0, 0, 0x1\n"
      "BEGIN\n"
      "END\n");
  EXPECT_EQ(scanned.sections.declarations,
            "' declare dialog\n" + window_decls("aboutbox"));
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" + window_block("aboutbox", 255, 100, "\"About\"", "",
                                        "MS Shell Dlg 8"));
  EXPECT_EQ(scanned.sections.callback_decls, stub_decl("aboutbox", "destroy"));
  EXPECT_EQ(scanned.sections.callback_bodies, stub_body("aboutbox", "destroy"));

  scanned = scan(
      "IDD_ABOUTBOX DIALOGEX 0, 0, 170, 62\n"
      "MENU IDR_MAIN\n"
      "BEGIN\n"
      "END\n");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" + window_block("aboutbox", 255, 121, "\"\"", "main",
                                        "MS Shell Dlg 8"));
}

TEST(DialogBlock, SizeTruncatesAndMenuAllowanceFollowsTheDivision) {
  auto scanned = scan(
      "IDD_MAIN DIALOGEX 0, 0, 186, 95\n"
      "MENU IDR_MAINMENU\n"
      "BEGIN\n"
      "END\n");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" + window_block("main", 279, 175, "\"\"", "mainmenu",
                                        "MS Shell Dlg 8"));
  // MENU NULL writes no packing line but still adds the allowance.
  scanned = scan("IDD_MAIN DIALOGEX 0, 0, 186, 95\nMENU NULL\nBEGIN\nEND\n");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" + window_block("main", 279, 175, "\"\"", "",
                                        "MS Shell Dlg 8"));
}

TEST(DialogBlock, CaptionFontAndSizeCarryOver) {
  auto scanned = scan(
      "IDD_ONE DIALOG 0, 0, 100, 80\n"
      "CAPTION \"First \"  \n"
      "FONT 10, Tahoma  \n"
      "MENU IDR_M\n"
      "BEGIN\n"
      "END\n"
      "\n"
      "IDD_TWO DIALOG DISCARDABLE 0, 0, 40, 40\n"
      "FONT 12\n"
      "BEGIN\n"
      "END\n");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" +
                window_block("one", 150, 151, "\"First \"  ", "m",
                             "Tahoma   10") +
                "' dialog\n" +
                window_block("two", 150, 130, "\"First \"  ", "",
                             "Tahoma   12"));
}

TEST(DialogBlock, HeaderNames) {
  auto scanned = scan(
      "IDD_Main_Dlg  DIALOG 0,0,4,8\nBEGIN\nEND\n\n"
      "100 DIALOG 0,0,4,8\nBEGIN\nEND\n\n"
      "MAINDLG DIALOG 0,0,4,8\nBEGIN\nEND\n\n"
      "    IDD_X, DIALOG\nBEGIN\nEND\n\n"
      "DIALOG 0,0,4,8\nBEGIN\nEND\n");
  EXPECT_EQ(scanned.sections.declarations,
            "' declare dialog\n" + window_decls("main_dlg ") +
                "' declare dialog\n" + window_decls("100") +
                "' declare dialog\n" + window_decls("MAINDLG") +
                "' declare dialog\n" + window_decls("    IDD_X,") +
                "' declare dialog\n" + window_decls(""));
}

TEST(DialogBlock, StatementTestOrderAndContinuationLines) {
  auto scanned = scan(
      "IDD_A DIALOG 0, 0, 8, 8\n"
      "STYLE WS_POPUP |\n"
      "    WS_CAPTION | WS_SYSMENU\n"
      "CAPTION \"Pick a STYLE\"\n"
      "EXSTYLE WS_EX_TOOLWINDOW\n"
      "LANGUAGE 9, 1\n"
      "#define MENU IDR_X\n"
      "{\n"
      "}\n");
  // STYLE is tested before CAPTION, so the caption stays empty; the "#"
  // line is a MENU statement inside a dialog.
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" +
                window_block("a", 12, 13 + 13 + 8, "\"\"", "x",
                             "MS Shell Dlg 8"));
}

TEST(DialogBlock, SecondDialogWithoutEmptyLineIsMerged) {
  auto scanned = scan(
      "IDD_A DIALOG 0, 0, 8, 8\n"
      "BEGIN\n"
      "END\n"
      "IDD_B DIALOG 0, 0, 80, 80\n"
      "CAPTION \"B\"\n"
      "BEGIN\n"
      "END\n"
      "IDR_M MENU\n"
      "BEGIN\n"
      "END\n");
  // The second block is written under the first window's name and size; the
  // MENU header counts as a MENU statement naming nothing, and the menu's
  // BEGIN writes a third window block.
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" +
                window_block("a", 12, 13, "\"\"", "", "MS Shell Dlg 8") +
                window_block("a", 12, 13, "\"B\"", "", "MS Shell Dlg 8") +
                "a = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n"
                "gtk_window_set_resizable(GTK_WINDOW(a), TRUE)\n"
                "gtk_widget_set_size_request(a, 12, 34)\n"
                "gtk_window_set_position (GTK_WINDOW(a), GTK_WIN_POS_NONE)\n"
                "gtk_window_set_title (GTK_WINDOW(a), \"B\")\n"
                "vbox = gtk_vbox_new(FALSE,2)\n"
                "gtk_box_pack_start(GTK_BOX(vbox), , FALSE, FALSE, 0)\n"
                "gtk_container_add(GTK_CONTAINER(a), vbox)\n"
                "fixed = gtk_fixed_new()\n"
                "font_desc = pango_font_description_from_string(\"MS Shell "
                "Dlg 8\")\n"
                "\n'Controls\n"
                "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n"
                "g_signal_connect (G_OBJECT(a), \"destroy\", "
                "G_CALLBACK(@a_destroy),NULL)\n");
  EXPECT_EQ(scanned.sections.menu_code, "");
}

TEST(DialogBlock, ScriptEndsBeforeBeginOrInsideTheBlock) {
  auto scanned = scan("IDD_A DIALOG 0, 0, 8, 8\nCAPTION \"x\"\n");
  EXPECT_EQ(scanned.sections.declarations, "' declare dialog\n");
  EXPECT_EQ(scanned.sections.dialog_code, "' dialog\n");
  EXPECT_FALSE(scanned.dialog.has_window);

  scanned = scan("IDD_A DIALOG 0, 0, 8, 8\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 4, 8");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" + window_block("a", 12, 13, "\"\"", "",
                                        "MS Shell Dlg 8",
                                        "1 = gtk_label_new(\"a\")\n"
                                        "gtk_widget_modify_font(GTK_WIDGET(1), "
                                        "font_desc)\n"
                                        "gtk_widget_set_size_request(1, 6, 13)\n"
                                        "gtk_fixed_put(GTK_FIXED(fixed), 1, 0, "
                                        "0)\n"));
  EXPECT_EQ(scanned.sections.callback_decls, stub_decl("a", "destroy"));
}

TEST(DialogBlock, A255ByteHeaderLineEndsTheDialogAtOnce) {
  std::string header = "IDD_A DIALOG 0, 0, 8, 8";
  header += std::string(255 - header.size(), ' ') + "\n";
  auto scanned = scan(header + "BEGIN\nEND\n");
  EXPECT_EQ(scanned.sections.dialog_code, "' dialog\n");
}

TEST(DialogBlock, FontStatementFields) {
  auto scanned = scan(
      "IDD_A DIALOG 0,0,4,8\nFONT 9, \"Segoe UI\", 400, 0, 0x1\nBEGIN\nEND\n\n"
      "IDD_B DIALOG 0,0,4,8\nFONT x, \"Arial\nBEGIN\nEND\n\n"
      "IDD_C DIALOG 0,0,4,8\nFONT\nBEGIN\nEND\n\n"
      "IDD_D DIALOG 0,0,4,8\nFONT 11\nBEGIN\nEND\n");
  EXPECT_EQ(scanned.dialog.font_face, "Arial");
  EXPECT_EQ(scanned.dialog.font_size, 11);
  std::string code = scanned.sections.dialog_code;
  for (std::string_view font :
       {"\"Segoe UI 9\"", "\"Arial 9\"", "\"Arial 9\"", "\"Arial 11\""}) {
    size_t at = code.find(font);
    ASSERT_NE(at, std::string::npos) << font;
    code.erase(0, at + font.size());
  }
}

TEST(DialogBlock, TrailerStatementsAndHashLines) {
  auto scanned = scan(
      "IDD_A DIALOG 0, 0, 8, 8\n"
      "BEGIN\n"
      "END\n"
      "# CAPTION \"again\"\n"
      "BEGIN\n"
      "END\n");
  EXPECT_EQ(scanned.sections.dialog_code,
            "' dialog\n" +
                window_block("a", 12, 13, "\"\"", "", "MS Shell Dlg 8") +
                window_block("a", 12, 13, "\"again\"", "", "MS Shell Dlg 8"));
  EXPECT_EQ(scanned.sections.callback_decls,
            stub_decl("a", "destroy") + stub_decl("a", "destroy"));
}

}  // namespace
}  // namespace dlgforge
