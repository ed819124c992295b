// Tests of the report page: whatever a script holds, the page stays one
// well-formed document with a section per dialog, and says what each
// control became.
#include <gtest/gtest.h>

#include <string>

#include "port/report/html_report.h"

namespace dlgforge::port {
namespace {

model::Control control(std::string keyword, std::string class_name,
                       std::string text) {
  model::Control made;
  made.keyword = std::move(keyword);
  made.class_name = std::move(class_name);
  made.text.text = std::move(text);
  made.id_written = "IDC_X";
  made.cx = 50;
  made.cy = 14;
  return made;
}

model::Dialog dialog(std::string name) {
  model::Dialog made;
  made.name.text = std::move(name);
  made.kind = "DIALOGEX";
  made.cx = 100;
  made.cy = 50;
  return made;
}

TEST(ReportPage, ScriptTextNeverBecomesMarkupAndAnchorsAreUnique) {
  model::Model model;
  model.dialogs.push_back(dialog("IDD_A"));
  model.dialogs.back().caption = "</h2><script>alert(1)</script>";
  model.dialogs.back().controls.push_back(
      control("LTEXT", "Static", "a <b> & \"c\""));
  model.dialogs.back().controls.push_back(
      control("CONTROL", "MyGrid\"><img src=x>", ""));
  model.dialogs.push_back(dialog("idd a"));  // the same anchor once cleaned
  model.dialogs.push_back(dialog("summary"));
  model.warnings.push_back({model::SourcePos::in("x.rc", 7, 3), "odd <token>"});
  Description description = describe(model, "");
  ReportInput input{"dir/x.rc", &model, &description, {}, {}};
  input.pictures.push_back({"dialog-IDD_A.png", 150, 80, 6, 13});
  std::string page = write_report_html(input);

  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<img src=x>"), std::string::npos);
  EXPECT_NE(page.find("a &lt;b&gt; &amp; &quot;c&quot;"), std::string::npos);
  EXPECT_NE(page.find("<code>x.rc:7:3</code>"), std::string::npos);
  EXPECT_NE(page.find("<img src=\"dialog-IDD_A.png\" width=150 height=80"),
            std::string::npos);
  EXPECT_NE(page.find("No picture could be taken"), std::string::npos);
  EXPECT_EQ(dialog_anchors(description),
            (std::vector<std::string>{"IDD_A", "idd_a", "summary-3"}));
  EXPECT_NE(page.find("has no GTK widget: a labelled frame stands in"),
            std::string::npos);
}

TEST(ReportPage, MenusAreNestedListsWithTheirMnemonicsUnderlined) {
  model::Model model;
  model::Menu menu;
  menu.name.text = "IDR_MAIN";
  menu.kind = "MENU";
  model::MenuItem file;
  file.type = model::MenuItem::Type::Popup;
  file.text = "&File";
  model::MenuItem open;
  open.text = "&Open\tCtrl+O";
  open.id = 1;
  open.id_written = "ID_OPEN";
  file.items.push_back(open);
  menu.items.push_back(file);
  model.menus.push_back(menu);
  Description description = describe(model, "");
  std::string page = write_report_html({"m.rc", &model, &description, {}, {}});
  EXPECT_NE(page.find("<li><u>F</u>ile\n<ul class=menu>\n<li><u>O</u>pen "
                      "<kbd>Ctrl+O</kbd> <code class=muted>ID_OPEN</code>"),
            std::string::npos)
      << page;
}

TEST(ReportPage, VariantsSideBySideOrTheOneOfALanguage) {
  model::Model model;
  for (std::uint16_t language : {0x0409, 0x0407}) {
    model.dialogs.push_back(dialog("IDD_HELLO"));
    model.dialogs.back().language = language;
    model.dialogs.back().caption = language == 0x0409 ? "Hello" : "Hallo";
  }
  model.dialogs.push_back(dialog("IDD_ONLY"));
  model.dialogs.back().language = 0x0409;
  Description description = describe(model, "");
  std::string all = write_report_html({"v.rc", &model, &description, {}, {}});
  size_t row = all.find("<div class=variants>");
  ASSERT_NE(row, std::string::npos);
  EXPECT_LT(all.find("Hello", row), all.find("</div>", row));
  EXPECT_LT(all.find("Hallo", row), all.find("</div>", row));
  EXPECT_NE(all.find("<td>Dialog IDD_ONLY</td><td>yes</td><td class=note>"),
            std::string::npos);
  // German Austria gets the German variant, and the English one where the
  // script has no German.
  std::string austrian =
      write_report_html({"v.rc", &model, &description, {}, 0x0C07});
  EXPECT_EQ(austrian.find("class=variants"), std::string::npos);
  EXPECT_EQ(austrian.find("Hello</h2>"), std::string::npos);
  EXPECT_NE(austrian.find("Hallo</h2>"), std::string::npos);
  EXPECT_NE(austrian.find("<h2>IDD_ONLY"), std::string::npos);
}

}  // namespace
}  // namespace dlgforge::port
