#include "driver/document.h"

#include <gtest/gtest.h>

#include "support.h"

namespace dlgforge {
namespace {

using testing::convert;
using testing::document;

TEST(Document, EmptyScriptPrintsTheWholeFrame) {
  std::string expected =
      "#include \"gtk/gtk.bi\"\n"
      "\n"
      "sub child_set_font_callback cdecl(widget As GtkWidget Ptr, gdata As "
      "gpointer)\n"
      "    gtk_widget_modify_font(GTK_WIDGET(widget), "
      "Cast(PangoFontDescription Ptr, gdata))\n"
      "end sub\n"
      "sub child_set_font(widget As GtkWidget Ptr, font_desc As "
      "PangoFontDescription Ptr)\n"
      "    gtk_container_foreach(GTK_CONTAINER(widget), Cast(GtkCallback, "
      "@child_set_font_callback), Cast(gpointer, font_desc))\n"
      "end sub\n"
      "\n"
      "\n"
      "\n"
      "gtk_init(NULL,NULL)\n"
      "\n"
      "\n"
      "\n"
      "\n"
      "'-------------------------------------------\n"
      "\n"
      "\n";
  EXPECT_EQ(convert(""), expected);
}

TEST(Document, ScriptsWithoutHeadersGiveTheEmptyDocument) {
  std::string empty = convert("");
  EXPECT_EQ(convert("#include \"resource.h\"\n#define IDD_X 100\n"), empty);
  EXPECT_EQ(convert("STRINGTABLE\nBEGIN\n  1 \"Dialog text\"\nEND\n"), empty);
  EXPECT_EQ(convert("\n\n\n"), empty);
  EXPECT_EQ(convert("#ifdef MENU\n#endif\n"), empty);
}

TEST(Document, SectionsInTheirOrderWithTheShowCall) {
  OutputSections sections;
  sections.declarations.append("D\n");
  sections.dialog_code.append("G\n");
  sections.menu_code.append("M\n");
  sections.callback_decls.append("C%s\n");
  sections.callback_bodies.append("B%d\n");
  StringSink sink;
  ASSERT_TRUE(write_document(sections, "main", sink));
  EXPECT_EQ(sink.text, document("D\n", "C%s\n", "M\n", "G\n", "main", "B%d\n"));
}

class FailingSink final : public DocumentSink {
 public:
  explicit FailingSink(size_t budget) : budget_(budget) {}
  bool write(std::string_view bytes) override {
    if (bytes.size() > budget_) {
      return false;
    }
    budget_ -= bytes.size();
    return true;
  }

 private:
  size_t budget_;
};

TEST(Document, AFailedWriteIsReported) {
  OutputSections sections;
  sections.callback_bodies.append(std::string(1000, 'x'));
  for (size_t budget : {0, 10, 500, 900}) {
    FailingSink sink(budget);
    EXPECT_FALSE(write_document(sections, "w", sink)) << budget;
  }
}

TEST(EmitCallbackStub, DefaultAndGivenBodies) {
  Section decls;
  Section bodies;
  emit_callback_stub("btnOK", "clicked", decls, bodies);
  EXPECT_EQ(decls.str(),
            "Declare Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, "
            "gdata As gpointer)\n");
  EXPECT_EQ(bodies.str(),
            "Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal "
            "gdata As gpointer)\n"
            "\t'Please write your codes here.\n"
            "End Sub\n\n");
  Section other;
  emit_callback_stub("a", "b", decls, other, "\t' 100% \"done\"\n");
  EXPECT_EQ(other.str(),
            "Sub a_b Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As "
            "gpointer)\n\t' 100% \"done\"\nEnd Sub\n\n");
}

TEST(Section, BlocksKeepEveryByteInOrder) {
  Section section;
  std::string expected;
  for (int i = 0; i < 300000; ++i) {
    std::string piece = std::to_string(i) + (i % 7 == 0 ? "\n" : ",");
    section.append(piece);
    expected += piece;
  }
  section.append(std::string(3 << 20, 'z'));
  expected.append(3 << 20, 'z');
  EXPECT_EQ(section.size(), expected.size());
  EXPECT_EQ(section.str(), expected);
  EXPECT_GT(section.blocks().size(), 3u);
}

}  // namespace
}  // namespace dlgforge
