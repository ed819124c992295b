// The classic writer: the one place that turns the program's records into
// the lines of a FreeBASIC program for GTK+ 2. It prints the include line,
// the fixed prologue and the five sections in their fixed order, framed by
// the toolkit start-up, the show call and the separator before the handler
// bodies. Each section is one pass over the records.
#pragma once

#include <string>
#include <string_view>

#include "output/records.h"
#include "platform/document_sink.h"

namespace dlgforge {

/// The five texts of the program, each collected from the records that add
/// to it, in the order the readers found them.
enum class ClassicSection {
  Declarations,    ///< Dim Shared lines of windows, controls and menus
  CallbackDecls,   ///< Declare Sub lines of the handlers
  MenuCode,        ///< menu creation
  DialogCode,      ///< window and control creation
  CallbackBodies,  ///< the handlers' Sub ... End Sub blocks
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

/// The default body of a generated handler.
inline constexpr std::string_view kDefaultHandlerBody =
    "\t'Please write your codes here.\n";

/// The handler body of check, toggle and radio buttons.
inline constexpr std::string_view kToggleStateBody =
    "\tIf GTK_TOGGLE_BUTTON(widget)->active Then\n"
    "\t\t' button is raised.\n"
    "\tElse\n"
    "\t\t' button is sunken.\n"
    "\tEnd If\n";

/// Prints the whole program to `sink`. The last window of the records is
/// shown; with none, the show call and the main loop are left out, since a
/// main loop without a window could never end. Returns whether every byte
/// was written.
bool write_classic_document(const ProgramRecords& records, DocumentSink& sink);

/// Prints one section alone, without its closing line feed (tests).
std::string classic_section_text(const ProgramRecords& records,
                                 ClassicSection section);

}  // namespace dlgforge
