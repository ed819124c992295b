#include "output/classic_writer.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <optional>

#include "text/words.h"

namespace dlgforge {
namespace {

// Gathers the program's lines in a buffer that stays in the cache and hands
// it to the sink in large blocks; after a failed write nothing more is
// written.
class OutputBuffer {
 public:
  explicit OutputBuffer(DocumentSink& sink)
      : sink_(sink), data_(new char[kCapacity]) {}

  template <typename... Pieces>
  void put(const Pieces&... pieces) {
    (put_piece(pieces), ...);
  }

  void put_int(long long value) {
    if (kCapacity - used_ < kMaxDigits) {
      flush();
    }
    auto [end, ec] = std::to_chars(data_.get() + used_,
                                   data_.get() + used_ + kMaxDigits, value);
    used_ = static_cast<size_t>(end - data_.get());
  }

  /// Writes what is buffered; false when any write failed.
  bool flush() {
    ok_ = ok_ && (used_ == 0 || sink_.write({data_.get(), used_}));
    used_ = 0;
    return ok_;
  }

 private:
  static constexpr size_t kCapacity = 1 << 16;
  static constexpr size_t kMaxDigits = 24;

  // A literal's length is known here, so its copy compiles to a few moves.
  template <size_t N>
  void put_piece(const char (&text)[N]) {
    put_piece(std::string_view(text, N - 1));
  }
  void put_piece(std::string_view text) {
    if (text.size() <= kCapacity - used_) [[likely]] {
      copy_bytes(data_.get() + used_, text.data(), text.size());
      used_ += text.size();
      return;
    }
    put_across(text);
  }
  [[gnu::noinline]] void put_across(std::string_view text) {
    if (!flush()) {
      return;
    }
    if (text.size() > kCapacity) {
      ok_ = sink_.write(text);
      return;
    }
    std::memcpy(data_.get(), text.data(), text.size());
    used_ = text.size();
  }

  DocumentSink& sink_;
  std::unique_ptr<char[]> data_;
  size_t used_ = 0;
  bool ok_ = true;
};

// Calls the first of the given functions that takes the record; records
// that none takes add nothing to the section.
template <typename... Writes>
struct Writers : Writes... {
  using Writes::operator()...;
  void operator()(const auto&) const {}
};
// Spelled out for compilers without deduction for aggregates (clang < 17).
template <typename... Writes>
Writers(Writes...) -> Writers<Writes...>;

// The declaration of the handler `widget`_`signal`. Its head has no ByVal
// before gdata while the body's head has one: programs converted earlier
// and the code users wrote around them have these exact lines.
void handler_declaration(OutputBuffer& out, std::string_view widget,
                         std::string_view signal) {
  out.put("Declare Sub ", widget, "_", signal,
          " Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)\n");
}

void handler_body(OutputBuffer& out, std::string_view widget,
                  std::string_view signal,
                  std::string_view body = kDefaultHandlerBody) {
  out.put("Sub ", widget, "_", signal,
          " Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)\n",
          body, "End Sub\n\n");
}

// The handler a control's widget gets, if any.
struct ControlHandler {
  std::string_view signal;
  std::string_view body;
};
std::optional<ControlHandler> control_handler(ControlWidget widget) {
  switch (widget) {
  case ControlWidget::PushButton:
    return ControlHandler{"clicked", kDefaultHandlerBody};
  case ControlWidget::CheckButton:
  case ControlWidget::ToggleButton:
  case ControlWidget::RadioButton:
    return ControlHandler{"toggled", kToggleStateBody};
  default:
    return std::nullopt;
  }
}

void write_declarations(const ProgramRecords& records, OutputBuffer& out) {
  records.for_each(Writers{
      [&](const DialogStartRecord&) { out.put("' declare dialog\n"); },
      [&](const WindowRecord& r) {
        // Written for every dialog body, even when an earlier one declared
        // them.
        out.put("Dim Shared ", r.window,
                " As GtkWidget Ptr\n"
                "Dim Shared vbox As GtkWidget Ptr\n"
                "Dim Shared fixed As GtkWidget Ptr\n"
                "Dim font_desc As PangoFontDescription Ptr\n");
      },
      [&](const ControlRecord& r) {
        out.put("Dim Shared ", r.name, " As GtkWidget Ptr\n");
      },
      [&](const MenuStartRecord&) { out.put("' declare menu\n"); },
      [&](const MenuRecord& r) {
        out.put("Dim Shared ", r.widget, " As GtkWidget Ptr\n");
      },
      [&](const MenuItemRecord& r) {
        out.put("Dim Shared ", r.item, " As GtkWidget Ptr\n");
      },
      [&](const PopupRecord& r) {
        out.put("Dim Shared item");
        out.put_int(r.number);
        out.put(" As GtkWidget Ptr\n");
      },
  });
}

void write_callback_declarations(const ProgramRecords& records,
                                 OutputBuffer& out) {
  records.for_each(Writers{
      [&](const ControlRecord& r) {
        if (std::optional<ControlHandler> handler = control_handler(r.widget)) {
          handler_declaration(out, r.name, handler->signal);
        }
      },
      [&](const WindowEndRecord& r) {
        handler_declaration(out, r.window, "destroy");
      },
      [&](const MenuItemRecord& r) {
        handler_declaration(out, r.item, "activate");
      },
  });
}

void write_callback_bodies(const ProgramRecords& records, OutputBuffer& out) {
  records.for_each(Writers{
      [&](const ControlRecord& r) {
        if (std::optional<ControlHandler> handler = control_handler(r.widget)) {
          handler_body(out, r.name, handler->signal, handler->body);
        }
      },
      [&](const WindowEndRecord& r) { handler_body(out, r.window, "destroy"); },
      [&](const MenuItemRecord& r) { handler_body(out, r.item, "activate"); },
  });
}

void write_menu_code(const ProgramRecords& records, OutputBuffer& out) {
  records.for_each(Writers{
      [&](const MenuStartRecord&) { out.put("' menu\n"); },
      [&](const MenuRecord& r) {
        out.put(r.widget,
                r.bar ? " = gtk_menu_bar_new()\n" : " = gtk_menu_new()\n");
      },
      [&](const PopupEndRecord& r) {
        out.put("item");
        out.put_int(r.number);
        out.put(" = gtk_menu_item_new_with_mnemonic(", r.label,
                ")\ngtk_container_add(GTK_CONTAINER(", r.parent, "), item");
        out.put_int(r.number);
        out.put(")\ngtk_menu_item_set_submenu(GTK_MENU_ITEM(item");
        out.put_int(r.number);
        out.put("), ", r.menu_name);
        out.put_int(r.number);
        out.put(")\n");
      },
      [&](const SeparatorRecord& r) {
        out.put("gtk_container_add(GTK_CONTAINER(", r.menu,
                "), gtk_menu_item_new())\n");
      },
      [&](const MenuItemRecord& r) {
        out.put(r.item, " = gtk_menu_item_new_with_mnemonic(", r.label,
                ")\ngtk_container_add(GTK_CONTAINER(", r.menu, "), ", r.item,
                ")\ng_signal_connect(G_OBJECT(", r.item,
                "), \"activate\", G_CALLBACK(@", r.item, "_activate), NULL)\n");
      },
  });
}

void write_window(const WindowRecord& r, OutputBuffer& out) {
  out.put(r.window, " = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n",
          "gtk_window_set_resizable(GTK_WINDOW(", r.window, "), TRUE)\n",
          "gtk_widget_set_size_request(", r.window, ", ");
  out.put_int(r.width);
  out.put(", ");
  out.put_int(r.height);
  out.put(")\ngtk_window_set_position (GTK_WINDOW(", r.window,
          "), GTK_WIN_POS_NONE)\ngtk_window_set_title (GTK_WINDOW(", r.window,
          "), ", r.caption, ")\nvbox = gtk_vbox_new(FALSE,2)\n");
  if (r.menu_name != "NULL") {
    out.put("gtk_box_pack_start(GTK_BOX(vbox), ", r.menu_name,
            ", FALSE, FALSE, 0)\n");
  }
  out.put("gtk_container_add(GTK_CONTAINER(", r.window,
          "), vbox)\nfixed = gtk_fixed_new()\n"
          "font_desc = pango_font_description_from_string(\"",
          r.font_face, " ");
  out.put_int(r.font_size);
  out.put("\")\n\n'Controls\n");
}

// The creation of a control's widget, its signal and its font. All radio
// buttons of a run share one group. GTK prepends each new button to the
// group's list, so the list pointer is read again after every button; a
// pointer read once would leave the third and later buttons outside the
// group.
void write_widget(const ControlRecord& r, std::string_view window,
                  int& radio_buttons, OutputBuffer& out) {
  std::string_view name = r.name;
  switch (r.widget) {
  case ControlWidget::Placed:
    return;
  case ControlWidget::Label:
    out.put(name, " = gtk_label_new(", r.text,
            ")\ngtk_widget_modify_font(GTK_WIDGET(", name, "), font_desc)\n");
    return;
  case ControlWidget::Button:
    break;
  case ControlWidget::PushButton:
    out.put(name, " = gtk_button_new_with_label(", r.text,
            ")\ng_signal_connect(G_OBJECT(", name,
            "), \"clicked\", G_CALLBACK(@", name, "_clicked), ", window, ")\n");
    break;
  case ControlWidget::CheckButton:
  case ControlWidget::ToggleButton:
  case ControlWidget::RadioButton:
    if (r.widget == ControlWidget::CheckButton) {
      out.put(name, " = gtk_check_button_new_with_label(", r.text, ")\n");
    } else if (r.widget == ControlWidget::ToggleButton) {
      out.put(name, " = gtk_toggle_button_new_with_label(", r.text, ")\n");
    } else if (radio_buttons++ == 0) {
      out.put(name, " = gtk_radio_button_new_with_label(NULL, ", r.text,
              ")\nDim group1 As GSList Ptr = gtk_radio_button_group "
              "(GTK_RADIO_BUTTON (",
              name, "))\n");
    } else {
      out.put(name, " = gtk_radio_button_new_with_label(group1, ", r.text,
              ")\ngroup1 = gtk_radio_button_group (GTK_RADIO_BUTTON (", name,
              "))\n");
    }
    out.put("g_signal_connect(G_OBJECT(", name, "), \"toggled\", G_CALLBACK(@",
            name, "_toggled), ", window, ")\n");
    break;
  }
  out.put("child_set_font(", name, ", font_desc)\n");
}

// Returns the window of the last dialog body, if there is one.
std::optional<std::string_view> write_dialog_code(const ProgramRecords& records,
                                                  OutputBuffer& out) {
  std::optional<std::string_view> window;
  int radio_buttons = 0;
  records.for_each(Writers{
      [&](const DialogStartRecord&) { out.put("' dialog\n"); },
      [&](const WindowRecord& r) {
        window = r.window;
        write_window(r, out);
      },
      [&](const ControlRecord& r) {
        write_widget(r, window.value_or(""), radio_buttons, out);
        out.put("gtk_widget_set_size_request(", r.name, ", ");
        out.put_int(r.width);
        out.put(", ");
        out.put_int(r.height);
        out.put(")\ngtk_fixed_put(GTK_FIXED(fixed), ", r.name, ", ");
        out.put_int(r.x);
        out.put(", ");
        out.put_int(r.y);
        out.put(")\n");
      },
      [&](const WindowEndRecord& r) {
        out.put(
            "gtk_container_add(GTK_CONTAINER(vbox), fixed)\n"
            "g_signal_connect (G_OBJECT(",
            r.window, "), \"destroy\", G_CALLBACK(@", r.window,
            "_destroy),NULL)\n");
      },
  });
  return window;
}

void write_section(const ProgramRecords& records, ClassicSection section,
                   OutputBuffer& out) {
  switch (section) {
  case ClassicSection::Declarations:
    return write_declarations(records, out);
  case ClassicSection::CallbackDecls:
    return write_callback_declarations(records, out);
  case ClassicSection::MenuCode:
    return write_menu_code(records, out);
  case ClassicSection::DialogCode:
    write_dialog_code(records, out);
    return;
  case ClassicSection::CallbackBodies:
    return write_callback_bodies(records, out);
  }
}

}  // namespace

bool write_classic_document(const ProgramRecords& records, DocumentSink& sink) {
  OutputBuffer out(sink);
  // Each section is followed by one line feed, so an empty section prints as
  // one empty line at its place.
  auto section = [&](ClassicSection which) {
    write_section(records, which, out);
    out.put("\n");
  };
  out.put("#include \"gtk/gtk.bi\"\n\n", kDocumentPrologue);
  section(ClassicSection::Declarations);
  section(ClassicSection::CallbackDecls);
  out.put("gtk_init(NULL,NULL)\n\n");
  section(ClassicSection::MenuCode);
  // Only the last dialog body's window is shown.
  std::optional<std::string_view> shown = write_dialog_code(records, out);
  out.put("\n");
  if (shown) {
    out.put("gtk_widget_show_all(", *shown, ")\ngtk_main()\n");
  }
  out.put("\n'-------------------------------------------\n\n");
  section(ClassicSection::CallbackBodies);
  return out.flush();
}

std::string classic_section_text(const ProgramRecords& records,
                                 ClassicSection section) {
  StringSink sink;
  OutputBuffer out(sink);
  write_section(records, section, out);
  out.flush();
  return std::move(sink.text);
}

}  // namespace dlgforge
