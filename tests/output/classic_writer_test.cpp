#include "output/classic_writer.h"

#include <gtest/gtest.h>

#include <vector>

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

std::string section_text(const ProgramRecords& records,
                         ClassicSection section) {
  return classic_section_text(records, section);
}

TEST(Document, SectionsInTheirOrderWithTheLastWindowShown) {
  ProgramRecords records;
  records.add(MenuStartRecord{});
  records.add(MenuRecord{"bar", true});
  records.add(MenuItemRecord{"mOpen", "\"%s\"", "bar"});
  for (std::string_view window : {"first", "last"}) {
    records.add(DialogStartRecord{});
    records.add(WindowRecord{window, "\"T\"", "NULL", "Tahoma", 8, 10, 20});
    records.add(WindowEndRecord{window});
  }
  StringSink sink;
  ASSERT_TRUE(write_classic_document(records, sink));
  EXPECT_EQ(sink.text,
            document(section_text(records, ClassicSection::Declarations),
                     section_text(records, ClassicSection::CallbackDecls),
                     section_text(records, ClassicSection::MenuCode),
                     section_text(records, ClassicSection::DialogCode), "last",
                     section_text(records, ClassicSection::CallbackBodies)));
  EXPECT_EQ(section_text(records, ClassicSection::MenuCode),
            "' menu\nbar = gtk_menu_bar_new()\n"
            "mOpen = gtk_menu_item_new_with_mnemonic(\"%s\")\n"
            "gtk_container_add(GTK_CONTAINER(bar), mOpen)\n"
            "g_signal_connect(G_OBJECT(mOpen), \"activate\", "
            "G_CALLBACK(@mOpen_activate), NULL)\n");
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
  ProgramRecords records;
  std::string label(100000, 'x');
  records.add(MenuItemRecord{"m", label, "bar"});
  StringSink whole;
  ASSERT_TRUE(write_classic_document(records, whole));
  size_t size = whole.text.size();
  for (size_t budget :
       {size_t{0}, size_t{10}, size_t{500}, size_t{70000}, size - 1}) {
    FailingSink sink(budget);
    EXPECT_FALSE(write_classic_document(records, sink)) << budget;
  }
  FailingSink enough(size);
  EXPECT_TRUE(write_classic_document(records, enough));
}

TEST(HandlerStubs, DefaultAndToggleBodies) {
  ProgramRecords records;
  ControlRecord ok;
  ok.name = "btnOK";
  ok.widget = ControlWidget::PushButton;
  records.add(ok);
  ControlRecord check = ok;
  check.name = "check";
  check.widget = ControlWidget::CheckButton;
  records.add(check);
  EXPECT_EQ(section_text(records, ClassicSection::CallbackDecls),
            "Declare Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, "
            "gdata As gpointer)\n"
            "Declare Sub check_toggled Cdecl (ByVal widget As GtkWidget Ptr, "
            "gdata As gpointer)\n");
  EXPECT_EQ(section_text(records, ClassicSection::CallbackBodies),
            "Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal "
            "gdata As gpointer)\n"
            "\t'Please write your codes here.\n"
            "End Sub\n\n"
            "Sub check_toggled Cdecl (ByVal widget As GtkWidget Ptr, ByVal "
            "gdata As gpointer)\n" +
                std::string(kToggleStateBody) + "End Sub\n\n");
}

TEST(ProgramRecords, KeepEveryRecordInOrder) {
  ProgramRecords records;
  std::vector<std::string> names;
  for (int i = 0; i < 300000; ++i) {
    names.push_back(std::to_string(i) + (i % 7 == 0 ? "\n" : ","));
  }
  names.push_back(std::string(3 << 20, 'z'));
  for (size_t i = 0; i < names.size(); ++i) {
    if (i % 2 == 0) {
      records.add(SeparatorRecord{names[i]});
    } else {
      records.add(PopupRecord{static_cast<long long>(i) << 33});
    }
  }
  size_t seen = 0;
  bool in_order = true;
  records.for_each([&](const auto& record) {
    using Record = std::decay_t<decltype(record)>;
    if constexpr (std::is_same_v<Record, SeparatorRecord>) {
      in_order = in_order && seen % 2 == 0 && record.menu == names[seen];
    } else if constexpr (std::is_same_v<Record, PopupRecord>) {
      in_order = in_order && seen % 2 == 1 &&
                 record.number == static_cast<long long>(seen) << 33;
    } else {
      in_order = false;
    }
    ++seen;
  });
  EXPECT_EQ(seen, names.size());
  EXPECT_TRUE(in_order);
}

}  // namespace
}  // namespace dlgforge
