// Printing the finished program: the include line, the fixed prologue and
// the five sections in their fixed order, framed by the toolkit start-up,
// the show call and the separator before the handler bodies.
#pragma once

#include <optional>
#include <string_view>

#include "driver/sections.h"

namespace dlgforge {

/// Where the document goes. `write` takes a block of bytes and says whether
/// all of it got out.
class DocumentSink {
 public:
  virtual ~DocumentSink() = default;
  virtual bool write(std::string_view bytes) = 0;
};

/// Collects the document in memory (tests).
class StringSink final : public DocumentSink {
 public:
  bool write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

/// The fixed text that follows the include line: the helper that applies a
/// font to the children of a container, which the control code calls.
inline constexpr std::string_view kDocumentPrologue =
    "sub child_set_font_callback cdecl(widget As GtkWidget Ptr, gdata As "
    "gpointer)\n"
    "    gtk_widget_modify_font(GTK_WIDGET(widget), Cast(PangoFontDescription "
    "Ptr, gdata))\n"
    "end sub\n"
    "sub child_set_font(widget As GtkWidget Ptr, font_desc As "
    "PangoFontDescription Ptr)\n"
    "    gtk_container_foreach(GTK_CONTAINER(widget), Cast(GtkCallback, "
    "@child_set_font_callback), Cast(gpointer, font_desc))\n"
    "end sub\n\n";

/// Prints the document to `sink`. `window_name` is the window of the last
/// dialog whose body was converted; with none, the show call and the main
/// loop are left out. Returns whether every byte was written.
bool write_document(const OutputSections& sections,
                    std::optional<std::string_view> window_name,
                    DocumentSink& sink);

}  // namespace dlgforge
