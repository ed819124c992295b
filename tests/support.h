// Helpers shared by the tests: running the conversion in-process on an
// in-memory script with fixed base units, and the fixed frame of a document.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "dialog/conversion.h"
#include "driver/convert.h"
#include "driver/scanner.h"
#include "output/classic_writer.h"
#include "platform/base_units.h"
#include "platform/text_reader.h"
#include "platform/unicode_source.h"

namespace dlgforge::testing {

inline constexpr DialogBaseUnits kUnits{6, 13};

/// The five sections as plain strings, for comparisons.
struct FlatSections {
  std::string declarations;
  std::string dialog_code;
  std::string menu_code;
  std::string callback_decls;
  std::string callback_bodies;
};

/// The sections and dialog record after scanning `script`.
struct Scanned {
  FlatSections sections;
  DialogState dialog;
};

inline Scanned scan(std::string_view script, DialogBaseUnits units = kUnits) {
  MemorySource source(script);
  ScriptReader reader(source);
  ScriptLines lines(reader, note_line_facts);
  FixedMeasurer measurer(units);
  Conversion run(lines, measurer);
  scan_script(run);
  auto text = [&run](ClassicSection section) {
    return classic_section_text(run.records, section);
  };
  return {{text(ClassicSection::Declarations), text(ClassicSection::DialogCode),
           text(ClassicSection::MenuCode), text(ClassicSection::CallbackDecls),
           text(ClassicSection::CallbackBodies)},
          run.dialog};
}

/// The whole document printed for `script`.
inline std::string convert(std::string_view script,
                           DialogBaseUnits units = kUnits) {
  MemorySource source(script);
  ScriptReader reader(source);
  FixedMeasurer measurer(units);
  StringSink sink;
  convert_script(reader, measurer, sink);
  return sink.text;
}

/// The whole document for a script's raw bytes, read as the binary reads
/// them (Unicode detection first), with the given measurer.
inline std::string convert_bytes(
    std::string_view bytes, FontMeasurer& measurer,
    size_t slice_bytes = ProgramRecords::kSliceBytes) {
  MemorySource source(bytes);
  UnicodeSource decoded(source);
  ScriptReader reader(decoded);
  StringSink sink;
  convert_script(reader, measurer, sink, slice_bytes);
  return sink.text;
}

/// The document frame written out by hand, with the sections in their
/// places; `window` empty means no show call.
inline std::string document(std::string_view declarations,
                            std::string_view callback_decls,
                            std::string_view menu_code,
                            std::string_view dialog_code,
                            std::string_view window,
                            std::string_view callback_bodies) {
  std::string text =
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
      "\n";
  text.append(declarations).append("\n");
  text.append(callback_decls).append("\n");
  text.append("gtk_init(NULL,NULL)\n\n");
  text.append(menu_code).append("\n");
  text.append(dialog_code).append("\n");
  if (!window.empty()) {
    text.append("gtk_widget_show_all(")
        .append(window)
        .append(")\ngtk_main()\n");
  }
  text.append("\n'-------------------------------------------\n\n");
  text.append(callback_bodies).append("\n");
  return text;
}

/// A handler declaration and body as the stub writer gives them.
inline std::string stub_decl(std::string_view widget, std::string_view signal) {
  return "Declare Sub " + std::string(widget) + "_" + std::string(signal) +
         " Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)\n";
}

inline constexpr std::string_view kDefaultBody =
    "\t'Please write your codes here.\n";
inline constexpr std::string_view kToggleBody =
    "\tIf GTK_TOGGLE_BUTTON(widget)->active Then\n"
    "\t\t' button is raised.\n"
    "\tElse\n"
    "\t\t' button is sunken.\n"
    "\tEnd If\n";

inline std::string stub_body(std::string_view widget, std::string_view signal,
                             std::string_view body = kDefaultBody) {
  return "Sub " + std::string(widget) + "_" + std::string(signal) +
         " Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)\n" +
         std::string(body) + "End Sub\n\n";
}

/// The real scripts in the shared folder (the DLGFORGE_SHARED_DIR option).
inline std::filesystem::path corpus_dir() {
  return std::filesystem::path(DLGFORGE_SHARED_DIR) / "corpus";
}

/// Why a test that reads the real scripts is skipped.
inline std::string corpus_missing() {
  return "no corpus of real scripts at " + corpus_dir().string() +
         "; configure with -DDLGFORGE_SHARED_DIR=FOLDER, the folder that "
         "holds corpus/";
}

}  // namespace dlgforge::testing
