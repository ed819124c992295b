#include "output/classic_writer.h"

#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include "text/words.h"

namespace dlgforge {
namespace {

// Gathers the program's lines in a buffer that stays in the cache and hands
// it to the sink in large blocks; after a failed write nothing more is
// written. Without a sink it keeps everything in memory instead, growing as
// needed, for a slice printed on another thread.
class OutputBuffer {
 public:
  explicit OutputBuffer(DocumentSink& sink) : sink_(&sink) { grow(kCapacity); }
  OutputBuffer() { grow(kCapacity); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer() { std::free(data_); }

  // The room for all the pieces of a call is checked once; only a call
  // that does not fit goes piece by piece.
  template <typename... Pieces>
  void put(const Pieces&... pieces) {
    size_t total = (piece_size(pieces) + ...);
    if (total <= capacity_ - used_) [[likely]] {
      char* at = data_ + used_;
      ((at = copy_piece(at, pieces)), ...);
      used_ = static_cast<size_t>(at - data_);
      return;
    }
    (put_piece(pieces), ...);
  }

  void put_int(long long value) {
    if (capacity_ - used_ < kMaxDigits) {
      make_room(kMaxDigits);
    }
    auto [end, ec] =
        std::to_chars(data_ + used_, data_ + used_ + kMaxDigits, value);
    used_ = static_cast<size_t>(end - data_);
  }

  /// Writes what is buffered; false when any write failed.
  bool flush() {
    ok_ = ok_ && (used_ == 0 || sink_->write({data_, used_}));
    used_ = 0;
    return ok_;
  }

  /// What an in-memory buffer holds.
  std::string_view text() const { return {data_, used_}; }
  void clear() { used_ = 0; }

 private:
  static constexpr size_t kCapacity = 1 << 16;
  static constexpr size_t kMaxDigits = 24;

  // A literal's length is known here, so its copy compiles to a few moves.
  template <size_t N>
  static constexpr size_t piece_size(const char (&)[N]) {
    return N - 1;
  }
  static size_t piece_size(std::string_view text) { return text.size(); }
  template <size_t N>
  static char* copy_piece(char* at, const char (&text)[N]) {
    std::memcpy(at, text, N - 1);
    return at + (N - 1);
  }
  static char* copy_piece(char* at, std::string_view text) {
    copy_bytes(at, text.data(), text.size());
    return at + text.size();
  }
  template <size_t N>
  void put_piece(const char (&text)[N]) {
    put_piece(std::string_view(text, N - 1));
  }
  void put_piece(std::string_view text) {
    if (text.size() <= capacity_ - used_) [[likely]] {
      copy_bytes(data_ + used_, text.data(), text.size());
      used_ += text.size();
      return;
    }
    put_across(text);
  }
  [[gnu::noinline]] void put_across(std::string_view text) {
    if (sink_ != nullptr && text.size() > kCapacity) {
      // Too large for the buffer: written as it is, after what is buffered.
      if (flush()) {
        ok_ = sink_->write(text);
      }
      return;
    }
    make_room(text.size());
    std::memcpy(data_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  // Room for `more` bytes (at most kCapacity with a sink): the buffer is
  // flushed to the sink, or grown.
  [[gnu::noinline]] void make_room(size_t more) {
    if (sink_ != nullptr) {
      flush();
      return;
    }
    size_t capacity = capacity_;
    while (capacity - used_ < more) {
      capacity *= 2;
    }
    grow(capacity);
  }
  void grow(size_t capacity) {
    void* data = std::realloc(data_, capacity);
    if (data == nullptr) {
      throw std::bad_alloc();
    }
    data_ = static_cast<char*>(data);
    capacity_ = capacity;
  }

  DocumentSink* sink_ = nullptr;
  char* data_ = nullptr;
  size_t capacity_ = 0;
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
  case ControlWidget::FirstRadioButton:
    return ControlHandler{"toggled", kToggleStateBody};
  default:
    return std::nullopt;
  }
}

void write_declarations(const ProgramRecords& records, size_t slice,
                        OutputBuffer& out) {
  records.for_each_in_slice(
      slice,
      Writers{
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

void write_callback_declarations(const ProgramRecords& records, size_t slice,
                                 OutputBuffer& out) {
  records.for_each_in_slice(
      slice, Writers{
                 [&](const ControlRecord& r) {
                   if (std::optional<ControlHandler> handler =
                           control_handler(r.widget)) {
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

void write_callback_bodies(const ProgramRecords& records, size_t slice,
                           OutputBuffer& out) {
  records.for_each_in_slice(
      slice, Writers{
                 [&](const ControlRecord& r) {
                   if (std::optional<ControlHandler> handler =
                           control_handler(r.widget)) {
                     handler_body(out, r.name, handler->signal, handler->body);
                   }
                 },
                 [&](const WindowEndRecord& r) {
                   handler_body(out, r.window, "destroy");
                 },
                 [&](const MenuItemRecord& r) {
                   handler_body(out, r.item, "activate");
                 },
             });
}

void write_menu_code(const ProgramRecords& records, size_t slice,
                     OutputBuffer& out) {
  records.for_each_in_slice(
      slice,
      Writers{
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
                    ")\ngtk_container_add(GTK_CONTAINER(", r.menu, "), ",
                    r.item, ")\ng_signal_connect(G_OBJECT(", r.item,
                    "), \"activate\", G_CALLBACK(@", r.item,
                    "_activate), NULL)\n");
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
// buttons of a run share one group, which the first starts. GTK prepends
// each new button to the group's list, so the list pointer is read again
// after every button; a pointer read once would leave the third and later
// buttons outside the group.
void write_widget(const ControlRecord& r, std::string_view window,
                  OutputBuffer& out) {
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
  case ControlWidget::FirstRadioButton:
    if (r.widget == ControlWidget::CheckButton) {
      out.put(name, " = gtk_check_button_new_with_label(", r.text, ")\n");
    } else if (r.widget == ControlWidget::ToggleButton) {
      out.put(name, " = gtk_toggle_button_new_with_label(", r.text, ")\n");
    } else if (r.widget == ControlWidget::FirstRadioButton) {
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

// Returns the window of the slice's last dialog body, if it has one. A
// control's window is the one opened last before it, always in its slice.
std::optional<std::string_view> write_dialog_code(const ProgramRecords& records,
                                                  size_t slice,
                                                  OutputBuffer& out) {
  std::optional<std::string_view> window;
  records.for_each_in_slice(
      slice, Writers{
                 [&](const DialogStartRecord&) { out.put("' dialog\n"); },
                 [&](const WindowRecord& r) {
                   window = r.window;
                   write_window(r, out);
                 },
                 [&](const ControlRecord& r) {
                   write_widget(r, window.value_or(""), out);
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

// One section's text for one slice; for the dialog code, the window of the
// slice's last dialog body.
std::optional<std::string_view> write_section(const ProgramRecords& records,
                                              ClassicSection section,
                                              size_t slice, OutputBuffer& out) {
  switch (section) {
  case ClassicSection::Declarations:
    write_declarations(records, slice, out);
    break;
  case ClassicSection::CallbackDecls:
    write_callback_declarations(records, slice, out);
    break;
  case ClassicSection::MenuCode:
    write_menu_code(records, slice, out);
    break;
  case ClassicSection::DialogCode:
    return write_dialog_code(records, slice, out);
  case ClassicSection::CallbackBodies:
    write_callback_bodies(records, slice, out);
    break;
  }
  return std::nullopt;
}

// The sections in the order the document prints them: the order in which
// `write_classic_document` asks for them.
constexpr ClassicSection kSectionOrder[] = {
    ClassicSection::Declarations, ClassicSection::CallbackDecls,
    ClassicSection::MenuCode, ClassicSection::DialogCode,
    ClassicSection::CallbackBodies};
constexpr size_t kSections = std::size(kSectionOrder);

// Prints the sections slice by slice, in document order. When the records
// have more than one slice, every other slice of the sequence (each
// section's slices, section after section) is printed ahead on a second
// thread into one of two memory buffers, while this thread prints the
// others straight to the output and copies the second thread's in between:
// the two cores share the printing, and memory stays at two slices' text.
class SlicePrinter {
 public:
  explicit SlicePrinter(const ProgramRecords& records)
      : records_(records), slices_(records.slice_count()) {
    if (slices_ > 1) {
      helper_ = std::thread([this] { print_ahead(); });
    }
  }
  SlicePrinter(const SlicePrinter&) = delete;
  SlicePrinter& operator=(const SlicePrinter&) = delete;
  ~SlicePrinter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (helper_.joinable()) {
      helper_.join();
    }
  }

  /// Prints the next section of `kSectionOrder`; returns the window of its
  /// last dialog body, if any.
  std::optional<std::string_view> print_next(OutputBuffer& out) {
    ClassicSection section = kSectionOrder[next_section_];
    std::optional<std::string_view> last_window;
    size_t first_job = next_section_++ * slices_;
    for (size_t slice = 0; slice < slices_; ++slice) {
      size_t job = first_job + slice;
      std::optional<std::string_view> window;
      if (!is_helpers(job)) {
        window = write_section(records_, section, slice, out);
      } else {
        Printed& printed = slot(job);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&printed] { return printed.full; });
        lock.unlock();
        out.put(printed.text.text());
        window = printed.window;
        lock.lock();
        printed.full = false;
        lock.unlock();
        changed_.notify_all();
      }
      last_window = window ? window : last_window;
    }
    return last_window;
  }

 private:
  // A slice printed ahead.
  struct Printed {
    OutputBuffer text;
    std::optional<std::string_view> window;
    bool full = false;
  };

  // Jobs are numbered section by section, slice by slice; the odd ones are
  // the second thread's when there is one, each with the buffer after its
  // predecessor's.
  bool is_helpers(size_t job) const { return slices_ > 1 && job % 2 == 1; }
  Printed& slot(size_t job) { return printed_[(job / 2) % 2]; }

  void print_ahead() {
    for (size_t job = 1; job < kSections * slices_; job += 2) {
      Printed& printed = slot(job);
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || !printed.full; });
        if (stop_) {
          return;
        }
      }
      printed.text.clear();
      printed.window = write_section(records_, kSectionOrder[job / slices_],
                                     job % slices_, printed.text);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        printed.full = true;
      }
      changed_.notify_all();
    }
  }

  const ProgramRecords& records_;
  const size_t slices_;
  size_t next_section_ = 0;
  Printed printed_[2];
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  std::thread helper_;
};

}  // namespace

bool write_classic_document(const ProgramRecords& records, DocumentSink& sink) {
  OutputBuffer out(sink);
  SlicePrinter printer(records);
  // Each section is followed by one line feed, so an empty section prints as
  // one empty line at its place.
  auto next_section = [&] {
    std::optional<std::string_view> window = printer.print_next(out);
    out.put("\n");
    return window;
  };
  out.put("#include \"gtk/gtk.bi\"\n\n", kDocumentPrologue);
  next_section();  // declarations
  next_section();  // handler declarations
  out.put("gtk_init(NULL,NULL)\n\n");
  next_section();  // menu code
  // Only the last dialog body's window is shown.
  std::optional<std::string_view> shown = next_section();  // dialog code
  if (shown) {
    out.put("gtk_widget_show_all(", *shown, ")\ngtk_main()\n");
  }
  out.put("\n'-------------------------------------------\n\n");
  next_section();  // handler bodies
  return out.flush();
}

std::string classic_section_text(const ProgramRecords& records,
                                 ClassicSection section) {
  OutputBuffer out;
  for (size_t slice = 0; slice < records.slice_count(); ++slice) {
    write_section(records, section, slice, out);
  }
  return std::string(out.text());
}

}  // namespace dlgforge
