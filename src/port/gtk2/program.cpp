#include "port/gtk2/program.h"

#include "port/gtk2/choices.h"
#include "port/program/fb_literal.h"

namespace dlgforge::port::gtk2 {
namespace {

// The parts of the helpers this toolkit writes its own way.
constexpr HelperPart kHelperParts[] = {
    {"font_height_intro",
     R"(' The height GDI gives a font: its Windows ascent and descent (the OS/2
' table's clipping metrics), each rounded at the font's pixel size. Pango's
' own line height follows the typographic metrics instead, which for some
' fonts (Wine's Tahoma) is two pixels less. 0 when the font has none.
)"},
    {"font_height_source",
     R"(    ByVal font As PangoFontDescription Ptr) As Long
  Dim loaded As PangoFont Ptr = pango_context_load_font( _
      gtk_widget_get_pango_context(reference), font)
)"},
    {"font_height_pixels",
     R"(  Dim pixels As Double = pango_font_description_get_size(font) / PANGO_SCALE
)"},
    {"base_units_intro",
     R"(' height of the font, measured with the fonts and resolution of the screen.
)"},
    {"base_units_source",
     R"(    ByVal font As PangoFontDescription Ptr, ByRef units_x As Long, _
    ByRef units_y As Long)
)"},
    {"base_units_layout_font",
     R"(  pango_layout_set_font_description(layout, font)
)"},
    {"base_units_height",
     R"(  units_y = dlgforge_font_height(reference, font)
)"},
    {"apply_font_intro",
     R"(' Gives a widget and everything inside it the dialog's font.
)"},
    {"apply_font_source",
     R"(    ByVal font As gpointer)
  gtk_widget_modify_font(widget, font)
)"},
    {"apply_font_recurse",
     R"(    gtk_container_forall(GTK_CONTAINER(widget), @dlgforge_apply_font, font)
)"},
    {"focus_order", ""},
    {"area_put",
     R"(  gtk_fixed_put(GTK_FIXED(area), widget, dlgforge_muldiv(x, units_x, 4), _
)"},
    {"entry_helpers", ""},
    {"filled_box_colour",
     R"(Function dlgforge_filled_box(ByVal colour As Const gchar Ptr) As GtkWidget Ptr
)"},
    {"filled_box_fill",
     R"(  Dim shade As GdkColor
  gdk_color_parse(colour, @shade)
  gtk_widget_modify_bg(box, GTK_STATE_NORMAL, @shade)
)"},
    {"look_helpers",
     R"(
' Dialog controls as compact as the Windows ones, and text hinted fully, as
' Windows draws dialog text: with whole-pixel advances, which keeps text
' widths close to Windows'.
Sub dlgforge_style()
  gtk_rc_parse_string(DLGFORGE_CONTROL_STYLE)
{{full_hinting}}End Sub
)"},
    {"accel_box",
     R"(  Dim box As GtkWidget Ptr = gtk_hbox_new(FALSE, 12)
)"},
    {"accel_right",
     R"(  gtk_misc_set_alignment(GTK_MISC(accel), 1, 0.5)
)"},
    {"closing", ""},
};

// The header's name of a stock image: "gtk-dialog-info" is
// GTK_STOCK_DIALOG_INFO.
std::string stock_constant(StockImage stock) {
  std::string name = "GTK_STOCK_";
  for (char c : stock_id(stock).substr(4)) {
    name += c == '-' ? '_' : static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

}  // namespace

const ToolkitSpelling& program_spelling() {
  static const ToolkitSpelling spelling{
      .written_by = "GTK+ 2, written by dlgforge --port",
      .binding = "",
      // The control style as a #define, one line of it per line of the
      // program.
      .style_definition = []() -> std::string {
        std::string out =
            "' GTK's default theme puts focus padding, inner borders and a "
            "default-button\n"
            "' border around a button's text that a 14-unit Windows button has "
            "no room\n"
            "' for; check boxes keep the Windows gap between the box and the "
            "text.\n"
            "#define DLGFORGE_CONTROL_STYLE _\n";
        std::string_view style = kControlStyle;
        while (!style.empty()) {
          size_t end = style.find('\n');
          std::string_view line = style.substr(0, end);
          style.remove_prefix(end == style.npos ? style.size() : end + 1);
          out += "    " + fb_string(line) + " & Chr(10)" +
                 (style.empty() ? "\n\n" : " & _\n");
        }
        return out;
      },
      .style_call = []() -> std::string { return "dlgforge_style()"; },
      .helper_parts = kHelperParts,
      .area = "fixed_area",
      .new_area = "gtk_fixed_new()",
      .area_before_font = false,
      .dialog_font = [](const FontRequest& request) -> std::string {
        std::string out =
            "  Dim dialog_font As PangoFontDescription Ptr = "
            "pango_font_description_new()\n"
            "  pango_font_description_set_family(dialog_font, " +
            fb_string(family_list(request)) +
            ")\n"
            "  pango_font_description_set_absolute_size(dialog_font, "
            "dlgforge_font_pixels(" +
            number(request.points) +
            ") * PANGO_SCALE)\n"
            "  pango_font_description_set_weight(dialog_font, " +
            number(request.weight) + ")\n";
        if (request.italic) {
          out +=
              "  pango_font_description_set_style(dialog_font, "
              "PANGO_STYLE_ITALIC)\n";
        }
        return out;
      },
      .units_source = [](const FontRequest&) -> std::string {
        return "dialog_window, dialog_font";
      },
      .new_vbox = "gtk_vbox_new(FALSE, 0)",
      .focus_list = "focus_chain",
      .keep_focus_list =
          "  gtk_container_set_focus_chain(GTK_CONTAINER(fixed_area), "
          "focus_chain)\n"
          "  g_list_free(focus_chain)\n",
      .free_font = "pango_font_description_free",
      .create = [](const Widget& widget) -> std::string {
        switch (widget.kind) {
        case WidgetKind::Separator:
          return widget.vertical ? "gtk_vseparator_new()"
                                 : "gtk_hseparator_new()";
        case WidgetKind::Image:
          return "gtk_image_new_from_stock(" + stock_constant(widget.stock) +
                 ", GTK_ICON_SIZE_DND)";
        case WidgetKind::ComboBox:
          return "gtk_combo_box_new_text()";
        case WidgetKind::ComboBoxEntry:
          return "gtk_combo_box_entry_new_text()";
        case WidgetKind::ScrollBar:
          return widget.vertical ? "gtk_vscrollbar_new(NULL)"
                                 : "gtk_hscrollbar_new(NULL)";
        case WidgetKind::Slider:
          return std::string(widget.vertical ? "gtk_vscale_new_with_range"
                                             : "gtk_hscale_new_with_range") +
                 "(0, 100, 1)";
        default:
          return "";
        }
      },
      .after_create = [](const Widget& widget) -> std::string {
        if (widget.kind == WidgetKind::ProgressBar && widget.vertical) {
          return "  gtk_progress_bar_set_orientation(GTK_PROGRESS_BAR(" +
                 widget.name + "), GTK_PROGRESS_BOTTOM_TO_TOP)\n";
        }
        return "";
      },
      .align_label = [](const Widget& widget) -> std::string {
        return "  gtk_misc_set_alignment(GTK_MISC(" + widget.name + "), " +
               number(widget.xalign) + ", " + number(widget.yalign) + ")\n";
      },
      .combo_field_padding = kComboFieldPadding,
  };
  return spelling;
}

}  // namespace dlgforge::port::gtk2
