#include "port/gtk3/program.h"

#include "port/gtk3/choices.h"
#include "port/program/fb_literal.h"

namespace dlgforge::port::gtk3 {
namespace {

// The parts of the helpers this toolkit writes its own way.
constexpr HelperPart kHelperParts[] = {
    {"font_height_intro",
     R"(' The dialog's font as a style sheet: its families, its size in pixels at
' the screen's resolution, its weight and slant.
Function dlgforge_font_style(ByVal families As String, ByVal points As Long, _
    ByVal weight As Long, ByVal italic As Long) As GtkCssProvider Ptr
  Dim css As String = "* { font-family: " & families & "; font-size: " & _
      dlgforge_font_pixels(points) & "px; font-weight: " & weight & _
      "; font-style: " & IIf(italic, "italic", "normal") & "; }"
  Dim provider As GtkCssProvider Ptr = gtk_css_provider_new()
  gtk_css_provider_load_from_data(provider, css, -1, NULL)
  Return provider
End Function

' The height GDI gives the font GTK gives a widget, at a size of `pixels`:
' its Windows ascent and descent (the OS/2 table's clipping metrics), each
' rounded at that size. Pango's own line height follows the typographic
' metrics instead, which for some fonts (Wine's Tahoma) is two pixels less.
' 0 when the font has none.
)"},
    {"font_height_source",
     R"(    ByVal pixels As Long) As Long
  Dim context As PangoContext Ptr = gtk_widget_get_pango_context(reference)
  Dim loaded As PangoFont Ptr = pango_context_load_font(context, _
      pango_context_get_font_description(context))
)"},
    {"font_height_pixels", ""},
    {"base_units_intro",
     R"(' height of the font, measured in the font GTK gives the reference widget
' (`points` in size), with the fonts and resolution of the screen.
)"},
    {"base_units_source",
     R"(    ByVal points As Long, ByRef units_x As Long, ByRef units_y As Long)
)"},
    {"base_units_layout_font", ""},
    {"base_units_height",
     R"(  units_y = dlgforge_font_height(reference, dlgforge_font_pixels(points))
)"},
    {"apply_font_intro",
     R"(' Gives a widget and everything inside it the dialog's font: a style
' sheet added to a widget applies to that widget alone.
)"},
    {"apply_font_source",
     R"(    ByVal provider As gpointer)
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
)"},
    {"apply_font_recurse",
     R"(    gtk_container_forall(GTK_CONTAINER(widget), @dlgforge_apply_font, provider)
)"},
    {"focus_order",
     R"(' Moves the keyboard focus through a dialog's controls in the order of the
' script, as Tab does on Windows; the arrow keys keep GTK's own moves. The
' order is the list kept on the dialog's area.
Function dlgforge_focus_in_order cdecl (ByVal area As GtkWidget Ptr, _
    ByVal direction As GtkDirectionType, ByVal user_data As gpointer) As gboolean
  If direction <> GTK_DIR_TAB_FORWARD AndAlso direction <> GTK_DIR_TAB_BACKWARD Then
    Return FALSE
  End If
  Dim order As GList Ptr = g_object_get_data(G_OBJECT(area), "dlgforge-focus-order")
  Dim count As Long = g_list_length(order)
  Dim stepping As Long = IIf(direction = GTK_DIR_TAB_FORWARD, 1, -1)
  Dim index As Long = IIf(stepping > 0, 0, count - 1)
  Dim current As GtkWidget Ptr = gtk_container_get_focus_child(GTK_CONTAINER(area))
  If current <> NULL Then
    ' The control holding the focus may move it inside itself first.
    If gtk_widget_child_focus(current, direction) Then Return TRUE
    Dim position As Long = g_list_index(order, current)
    If position >= 0 Then index = position + stepping
  End If
  While index >= 0 AndAlso index < count
    If gtk_widget_child_focus(g_list_nth_data(order, index), direction) Then
      Return TRUE
    End If
    index += stepping
  Wend
  ' Past the last control the window starts again from the first; GTK's
  ' own order, which knows nothing of tab stops, must not move it first.
  g_signal_stop_emission_by_name(area, "focus")
  Return FALSE
End Function

)"},
    {"area_put",
     R"(  gtk_layout_put(GTK_LAYOUT(area), widget, dlgforge_muldiv(x, units_x, 4), _
)"},
    {"entry_helpers",
     R"(' An edit field as narrow as its place: GTK 3 gives an entry 150 pixels at
' least unless it is told how many characters it needs.
Sub dlgforge_narrow_entry(ByVal entry As GtkWidget Ptr)
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 0)
End Sub

)"},
    {"filled_box_colour",
     R"(Function dlgforge_filled_box(ByVal colour As String) As GtkWidget Ptr
)"},
    {"filled_box_fill",
     R"(  Dim provider As GtkCssProvider Ptr = gtk_css_provider_new()
  gtk_css_provider_load_from_data(provider, _
      "* { background-color: " & colour & "; }", -1, NULL)
  gtk_style_context_add_provider(gtk_widget_get_style_context(box), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
  g_object_unref(provider)
)"},
    {"look_helpers", ""},
    {"accel_box",
     R"(  Dim box As GtkWidget Ptr = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12)
)"},
    {"accel_right",
     R"(  gtk_label_set_xalign(GTK_LABEL(accel), 1)
)"},
    {"closing",
     R"(
' The look of every dialog: controls as compact as Windows ones, and text
' hinted fully with whole-pixel advances, as Windows draws dialog text,
' which keeps text widths those of the GTK+ 2 program.
Sub dlgforge_style(ByVal css As Const gchar Ptr)
  Dim provider As GtkCssProvider Ptr = gtk_css_provider_new()
  gtk_css_provider_load_from_data(provider, css, -1, NULL)
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
  g_object_unref(provider)
{{full_hinting}}End Sub
)"},
};

const char* orientation(const Widget& widget) {
  return widget.vertical ? "GTK_ORIENTATION_VERTICAL"
                         : "GTK_ORIENTATION_HORIZONTAL";
}

}  // namespace

const ToolkitSpelling& program_spelling() {
  static const ToolkitSpelling spelling{
      .written_by = "GTK 3, written by dlgforge --port --gtk3",
      .binding = "#define __USE_GTK3__\n",
      .style_definition = []() -> std::string { return ""; },
      .style_call = []() -> std::string {
        return "dlgforge_style(" + fb_string(kControlStyle) + ")";
      },
      .helper_parts = kHelperParts,
      .area = "dialog_area",
      .new_area = "gtk_layout_new(NULL, NULL)",
      .area_before_font = true,
      // The dialog's font is a style sheet on the dialog's area (the menu bar
      // keeps the desktop's font); the base units are measured in the font GTK
      // then gives the area, the one its controls get.
      .dialog_font = [](const FontRequest& request) -> std::string {
        return "  Dim dialog_font As GtkCssProvider Ptr = "
               "dlgforge_font_style(" +
               fb_string(css_families(request)) + ", " +
               number(request.points) + ", " + number(css_weight(request)) +
               ", " + (request.italic ? "1" : "0") +
               ")\n"
               "  dlgforge_apply_font(dialog_area, dialog_font)\n";
      },
      .units_source = [](const FontRequest& request) -> std::string {
        return "dialog_area, " + number(request.points);
      },
      .new_vbox = "gtk_box_new(GTK_ORIENTATION_VERTICAL, 0)",
      .focus_list = "focus_order",
      .keep_focus_list =
          "  g_object_set_data_full(G_OBJECT(dialog_area), "
          "\"dlgforge-focus-order\", focus_order, "
          "CPtr(GDestroyNotify, @g_list_free))\n"
          "  g_signal_connect(dialog_area, \"focus\", "
          "G_CALLBACK(@dlgforge_focus_in_order), NULL)\n",
      .free_font = "g_object_unref",
      .create = [](const Widget& widget) -> std::string {
        switch (widget.kind) {
        case WidgetKind::Separator:
          return std::string("gtk_separator_new(") + orientation(widget) + ")";
        case WidgetKind::Image:
          return "gtk_image_new_from_icon_name(" +
                 fb_string(icon_name(widget.stock)) + ", GTK_ICON_SIZE_DND)";
        case WidgetKind::ComboBox:
          return "gtk_combo_box_text_new()";
        case WidgetKind::ComboBoxEntry:
          return "gtk_combo_box_text_new_with_entry()";
        case WidgetKind::ScrollBar:
          return std::string("gtk_scrollbar_new(") + orientation(widget) +
                 ", NULL)";
        case WidgetKind::Slider:
          return std::string("gtk_scale_new_with_range(") +
                 orientation(widget) + ", 0, 100, 1)";
        default:
          return "";
        }
      },
      .after_create = [](const Widget& widget) -> std::string {
        const std::string& name = widget.name;
        switch (widget.kind) {
        case WidgetKind::Image:
          return "  gtk_image_set_pixel_size(GTK_IMAGE(" + name + "), " +
                 number(kIconPixels) + ")\n";
        case WidgetKind::Entry:
          return "  dlgforge_narrow_entry(" + name + ")\n";
        case WidgetKind::ComboBoxEntry:
          return "  dlgforge_narrow_entry(gtk_bin_get_child(GTK_BIN(" + name +
                 ")))\n";
        case WidgetKind::ProgressBar:
          if (!widget.vertical) {
            return "";
          }
          // Filled from the bottom up, as a vertical Windows progress bar.
          return "  gtk_orientable_set_orientation(GTK_ORIENTABLE(" + name +
                 "), GTK_ORIENTATION_VERTICAL)\n"
                 "  gtk_progress_bar_set_inverted(GTK_PROGRESS_BAR(" +
                 name + "), TRUE)\n";
        default:
          return "";
        }
      },
      .align_label = [](const Widget& widget) -> std::string {
        return "  gtk_label_set_xalign(GTK_LABEL(" + widget.name + "), " +
               number(widget.xalign) + ")\n  gtk_label_set_yalign(GTK_LABEL(" +
               widget.name + "), " + number(widget.yalign) + ")\n";
      },
      .combo_field_padding = kComboFieldPadding,
  };
  return spelling;
}

}  // namespace dlgforge::port::gtk3
