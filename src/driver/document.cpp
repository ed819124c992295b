#include "driver/document.h"

#include <string>

namespace dlgforge {

bool write_document(const OutputSections& sections,
                    std::optional<std::string_view> window_name,
                    DocumentSink& sink) {
  // Each section is followed by one line feed, so an empty section prints as
  // one empty line at its place. Sections go out whole, never as a format.
  auto section = [&sink](const Section& text) {
    for (std::string_view block : text.blocks()) {
      if (!sink.write(block)) {
        return false;
      }
    }
    return sink.write("\n");
  };
  bool ok = sink.write("#include \"gtk/gtk.bi\"\n\n") &&
            sink.write(kDocumentPrologue) && section(sections.declarations) &&
            section(sections.callback_decls) &&
            sink.write("gtk_init(NULL,NULL)\n\n") &&
            section(sections.menu_code) && section(sections.dialog_code);
  if (ok && window_name) {
    // Only the last converted dialog's window is shown; with no dialog there
    // is no window to show, and a main loop without one could never end.
    std::string show;
    show.append("gtk_widget_show_all(")
        .append(*window_name)
        .append(")\ngtk_main()\n");
    ok = sink.write(show);
  }
  return ok &&
         sink.write("\n'-------------------------------------------\n\n") &&
         section(sections.callback_bodies);
}

}  // namespace dlgforge
