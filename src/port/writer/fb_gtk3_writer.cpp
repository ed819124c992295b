#include "port/writer/fb_gtk3_writer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

// What GTK 3 decides as GTK+ 2 does (which widgets are scrolled, where
// Wine's fonts are) comes from the GTK+ 2 choices.
#include "port/gtk2/choices.h"
#include "port/gtk3/choices.h"
#include "port/writer/fb_literal.h"
#include "port/writer/fb_program.h"

namespace dlgforge::port {
namespace {

// Helpers every program carries: MulDiv rounding, the base units of a
// font, the dialog font applied to a whole tree, placement on the dialog's
// area, the letter-case and digit filters of edit fields, the pieces of
// scrolled and list widgets, menu accelerator texts GTK cannot parse; the
// edit-field filters and the scrolled and list pieces are the toolkits'
// shared ones (kSharedHelpers), printed between these and the rest.
constexpr std::string_view kHelpers =
    R"(' Windows' MulDiv: number * numerator / denominator, rounded to the
' nearest integer, halves away from zero.
Function dlgforge_muldiv(ByVal number As Long, ByVal numerator As Long, _
    ByVal denominator As Long) As Long
  Dim product As LongInt = CLngInt(number) * numerator
  Dim magnitude As LongInt = (Abs(product) + Abs(denominator) \ 2) \ Abs(denominator)
  If (product < 0) <> (denominator < 0) Then Return -magnitude
  Return magnitude
End Function

' The size Windows gives a dialog font: its point size at the screen's
' resolution, rounded to whole pixels.
Function dlgforge_font_pixels(ByVal points As Long) As Long
  Dim resolution As Double = gdk_screen_get_resolution(gdk_screen_get_default())
  If resolution <= 0 Then resolution = 96
  Return dlgforge_muldiv(points, CLng(resolution), 72)
End Function

' The dialog's font as a style sheet: its families, its size in pixels at
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
Function dlgforge_font_height(ByVal reference As GtkWidget Ptr, _
    ByVal pixels As Long) As Long
  Dim context As PangoContext Ptr = gtk_widget_get_pango_context(reference)
  Dim loaded As PangoFont Ptr = pango_context_load_font(context, _
      pango_context_get_font_description(context))
  If loaded = NULL Then Return 0
  Dim shaper As Any Ptr = dlgforge_hb_font(loaded)
  Dim As Long ascent, descent, scale_x, scale_y, height
  If shaper <> NULL AndAlso _
      dlgforge_hb_metric(shaper, DLGFORGE_CLIPPING_ASCENT, @ascent) <> 0 AndAlso _
      dlgforge_hb_metric(shaper, DLGFORGE_CLIPPING_DESCENT, @descent) <> 0 Then
    dlgforge_hb_scale(shaper, @scale_x, @scale_y)
    If scale_y > 0 Then
      height = Int(pixels * ascent / scale_y + 0.5) + _
          Int(pixels * descent / scale_y + 0.5)
    End If
  End If
  g_object_unref(loaded)
  Return height
End Function

' The dialog base units of a font as the Windows dialog manager computes
' them: the average width of the 52 letters A-Z a-z, rounded, and the
' height of the font, measured in the font GTK gives the reference widget
' (`points` in size), with the fonts and resolution of the screen.
Sub dlgforge_base_units(ByVal reference As GtkWidget Ptr, _
    ByVal points As Long, ByRef units_x As Long, ByRef units_y As Long)
  Dim layout As PangoLayout Ptr = gtk_widget_create_pango_layout(reference, _
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
  Dim As Long text_width, text_height
  pango_layout_get_pixel_size(layout, @text_width, @text_height)
  g_object_unref(layout)
  units_x = (text_width \ 26 + 1) \ 2
  units_y = dlgforge_font_height(reference, dlgforge_font_pixels(points))
  If units_y <= 0 Then units_y = text_height
End Sub

' Gives a widget and everything inside it the dialog's font: a style
' sheet added to a widget applies to that widget alone.
Sub dlgforge_apply_font cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal provider As gpointer)
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
  If GTK_IS_CONTAINER(widget) Then
    gtk_container_forall(GTK_CONTAINER(widget), @dlgforge_apply_font, provider)
  End If
End Sub

' Moves the keyboard focus through a dialog's controls in the order of the
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
    index = g_list_index(order, current) + stepping
  End If
  While index >= 0 AndAlso index < count
    If gtk_widget_child_focus(g_list_nth_data(order, index), direction) Then
      Return TRUE
    End If
    index += stepping
  Wend
  Return FALSE
End Function

' Puts a widget where the dialog manager would: each of x, y, cx, cy in
' dialog units turned into pixels on its own. A zero size leaves the
' widget its natural size, as an icon without a size gets its own.
Sub dlgforge_place(ByVal area As GtkWidget Ptr, ByVal widget As GtkWidget Ptr, _
    ByVal x As Long, ByVal y As Long, ByVal cx As Long, ByVal cy As Long, _
    ByVal units_x As Long, ByVal units_y As Long)
  gtk_layout_put(GTK_LAYOUT(area), widget, dlgforge_muldiv(x, units_x, 4), _
      dlgforge_muldiv(y, units_y, 8))
  If cx > 0 AndAlso cy > 0 Then
    gtk_widget_set_size_request(widget, dlgforge_muldiv(cx, units_x, 4), _
        dlgforge_muldiv(cy, units_y, 8))
  End If
End Sub

' An edit field as narrow as its place: GTK 3 gives an entry 150 pixels at
' least unless it is told how many characters it needs.
Sub dlgforge_narrow_entry(ByVal entry As GtkWidget Ptr)
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 0)
End Sub

)";

// The helpers after the ones the two toolkits share.
constexpr std::string_view kHelpersTail =
    R"(' A rectangle filled with one colour, for SS_BLACKRECT and its kind.
Function dlgforge_filled_box(ByVal colour As String) As GtkWidget Ptr
  Dim box As GtkWidget Ptr = gtk_event_box_new()
  Dim provider As GtkCssProvider Ptr = gtk_css_provider_new()
  gtk_css_provider_load_from_data(provider, _
      "* { background-color: " & colour & "; }", -1, NULL)
  gtk_style_context_add_provider(gtk_widget_get_style_context(box), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
  g_object_unref(provider)
  Return box
End Function

' Makes the fonts of a folder visible to this program only, as fontconfig
' does not look where Debian's fonts-wine puts Wine's Tahoma.
Sub dlgforge_add_fonts(ByVal folder As Const ZString Ptr)
  FcConfigAppFontAddDir(NULL, CPtr(Const FcChar8 Ptr, folder))
End Sub

' A menu item's accelerator text that names no key GTK knows: shown at the
' right of the item, as Windows shows the text after the tab.
Sub dlgforge_accel_text(ByVal item As GtkWidget Ptr, ByVal text As Const gchar Ptr)
  Dim label As GtkWidget Ptr = gtk_bin_get_child(GTK_BIN(item))
  g_object_ref(label)
  gtk_container_remove(GTK_CONTAINER(item), label)
  Dim box As GtkWidget Ptr = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12)
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0)
  g_object_unref(label)
  Dim accel As GtkWidget Ptr = gtk_label_new(text)
  gtk_label_set_xalign(GTK_LABEL(accel), 1)
  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0)
  gtk_container_add(GTK_CONTAINER(item), box)
End Sub

' The look of every dialog: controls as compact as Windows ones, and text
' hinted fully with whole-pixel advances, as Windows draws dialog text,
' which keeps text widths those of the GTK+ 2 program.
Sub dlgforge_style(ByVal css As Const gchar Ptr)
  Dim provider As GtkCssProvider Ptr = gtk_css_provider_new()
  gtk_css_provider_load_from_data(provider, css, -1, NULL)
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), _
      GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION)
  g_object_unref(provider)
  Dim hinting As cairo_font_options_t Ptr = cairo_font_options_create()
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL)
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON)
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting)
  cairo_font_options_destroy(hinting)
End Sub
)";

// Widgets that live in a scrolled window: the variable holds the inner
// widget, the scrolled window is its parent.
bool is_scrolled(WidgetKind kind) {
  return gtk2::in_scrolled_window(kind);
}

const char* orientation(const Widget& widget) {
  return widget.vertical ? "GTK_ORIENTATION_VERTICAL"
                         : "GTK_ORIENTATION_HORIZONTAL";
}

std::string placed(const Widget& widget) {
  return is_scrolled(widget.kind) ? "gtk_widget_get_parent(" + widget.name + ")"
                                  : widget.name;
}

class Gtk3Printer final : public FbProgramPrinter {
 public:
  using FbProgramPrinter::FbProgramPrinter;

 protected:
  void helpers() override {
    out_ += kHelpers;
    out_ += kSharedHelpers;
    out_ += kHelpersTail;
  }

  std::string style_call() const override {
    return "dlgforge_style(" + fb_string(gtk3::kControlStyle) + ")";
  }

  void heading() override {
    std::string name = options_.script_name;
    for (char& c : name) {
      if (static_cast<unsigned char>(c) < 0x20) {
        c = ' ';
      }
    }
    out_ +=
        "' The dialogs and menus of " + name +
        " rebuilt with GTK 3, written by dlgforge --port --gtk3.\n"
        "' Compile with: fbc PROGRAM.bas\n\n"
        "#define __USE_GTK3__\n"
        "#include once \"gtk/gtk.bi\"\n"
        "#include once \"fontconfig/fontconfig.bi\"\n"
        "#inclib \"fontconfig\"\n"
        "#inclib \"harfbuzz\"\n\n"
        "' The font metrics GDI sizes a font with, read through Pango's\n"
        "' HarfBuzz font: FreeBASIC's headers do not declare these.\n"
        "Extern \"C\"\n"
        "Declare Function dlgforge_hb_font Alias \"pango_font_get_hb_font\" _\n"
        "    (ByVal font As PangoFont Ptr) As Any Ptr\n"
        "Declare Function dlgforge_hb_metric Alias "
        "\"hb_ot_metrics_get_position\" _\n"
        "    (ByVal font As Any Ptr, ByVal tag As ULong, _\n"
        "    ByVal position As Long Ptr) As Long\n"
        "Declare Sub dlgforge_hb_scale Alias \"hb_font_get_scale\" _\n"
        "    (ByVal font As Any Ptr, ByVal x_scale As Long Ptr, _\n"
        "    ByVal y_scale As Long Ptr)\n"
        "End Extern\n"
        "Const DLGFORGE_CLIPPING_ASCENT = &h68636C61  ' 'hcla'\n"
        "Const DLGFORGE_CLIPPING_DESCENT = &h68636C64  ' 'hcld'\n\n";
  }

  // ---- dialogs

  void dialog_function(const Dialog& dialog) override {
    out_ += "' Dialog " + fb_comment(dialog.script_name) + ".\n";
    out_ += "Function " + dialog.function + "() As GtkWidget Ptr\n";
    out_ +=
        "  Dim dialog_window As GtkWidget Ptr = "
        "gtk_window_new(GTK_WINDOW_TOPLEVEL)\n";
    out_ += "  " + dialog.window + " = dialog_window\n";
    out_ += "  gtk_widget_set_name(dialog_window, " +
            fb_string(gtk3::kDialogWindowName) + ")\n";
    out_ += "  gtk_window_set_title(GTK_WINDOW(dialog_window), " +
            fb_string(dialog.title) + ")\n";
    out_ += "  gtk_window_set_resizable(GTK_WINDOW(dialog_window), " +
            std::string(dialog.resizable ? "TRUE" : "FALSE") + ")\n";
    // A layout rather than a fixed container: its size is the dialog's
    // whatever its controls ask for, and it clips them at its edges, as the
    // Windows dialog's client area does. GTK 3 never gives a control less
    // than its minimum size (a button less than its text), so a control
    // may be larger than its place, but the window keeps the dialog's size.
    out_ += "  Dim dialog_area As GtkWidget Ptr = gtk_layout_new(NULL, NULL)\n";
    font(dialog.font);
    out_ += "  gtk_widget_set_size_request(dialog_area, dlgforge_muldiv(" +
            number(dialog.rect.cx) + ", units_x, 4), dlgforge_muldiv(" +
            number(dialog.rect.cy) + ", units_y, 8))\n";
    if (dialog.menu >= 0) {
      const MenuBar& bar = description_.menus[dialog.menu];
      out_ += "  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()\n";
      out_ +=
          "  gtk_window_add_accel_group(GTK_WINDOW(dialog_window), accels)\n";
      out_ +=
          "  Dim content_box As GtkWidget Ptr = "
          "gtk_box_new(GTK_ORIENTATION_VERTICAL, 0)\n";
      out_ += "  gtk_box_pack_start(GTK_BOX(content_box), " + bar.function +
              "(accels), FALSE, FALSE, 0)\n";
      out_ +=
          "  gtk_box_pack_start(GTK_BOX(content_box), dialog_area, TRUE, TRUE, "
          "0)\n";
      out_ +=
          "  gtk_container_add(GTK_CONTAINER(dialog_window), content_box)\n";
    } else {
      out_ +=
          "  gtk_container_add(GTK_CONTAINER(dialog_window), dialog_area)\n";
    }
    out_ += "\n";
    radio_first_.clear();
    for (const Widget& widget : dialog.widgets) {
      control(widget);
    }
    finish_dialog(dialog);
    out_ += "  Return dialog_window\nEnd Function\n\n";
  }

  // The dialog's font is a style sheet on the dialog's area (the menu bar
  // keeps the desktop's font); the base units are measured in the font GTK
  // then gives the area, the one its controls get.
  void font(const FontRequest& request) {
    out_ += "  Dim dialog_font As GtkCssProvider Ptr = dlgforge_font_style(" +
            fb_string(gtk3::css_families(request)) + ", " +
            number(request.points) + ", " + number(gtk3::css_weight(request)) +
            ", " + (request.italic ? "1" : "0") + ")\n";
    out_ += "  dlgforge_apply_font(dialog_area, dialog_font)\n";
    out_ += "  Dim As Long units_x, units_y\n";
    if (options_.base_units) {
      out_ += "  units_x = " + number(options_.base_units->bx) +
              " : units_y = " + number(options_.base_units->by) + "\n";
    } else {
      out_ += "  dlgforge_base_units(dialog_area, " + number(request.points) +
              ", units_x, units_y)\n";
    }
  }

  void control(const Widget& widget) {
    out_ += describe_source(widget);
    std::string name = widget.name;
    std::string text = fb_string(widget.text);
    auto create = [&](const std::string& call) {
      out_ += "  " + name + " = " + call + "\n";
    };
    switch (widget.kind) {
    case WidgetKind::Button:
      create("gtk_button_new_with_mnemonic(" + text + ")");
      break;
    case WidgetKind::ToggleButton:
      create("gtk_toggle_button_new_with_mnemonic(" + text + ")");
      break;
    case WidgetKind::CheckButton:
      create("gtk_check_button_new_with_mnemonic(" + text + ")");
      break;
    case WidgetKind::RadioButton:
      if (widget.starts_group) {
        create("gtk_radio_button_new_with_mnemonic(NULL, " + text + ")");
        radio_first_[widget.radio_group] = name;
      } else {
        create(
            "gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(" +
            radio_first_[widget.radio_group] + "), " + text + ")");
      }
      break;
    case WidgetKind::GroupBox:
      create("gtk_frame_new(NULL)");
      if (!widget.text.empty()) {
        out_ += "  gtk_frame_set_label_widget(GTK_FRAME(" + name +
                "), gtk_label_new_with_mnemonic(" + text + "))\n";
      }
      break;
    case WidgetKind::Label:
      create(std::string(widget.use_mnemonic ? "gtk_label_new_with_mnemonic("
                                             : "gtk_label_new(") +
             text + ")");
      label_layout(widget);
      break;
    case WidgetKind::LinkLabel:
      create("gtk_label_new(NULL)");
      out_ += "  gtk_label_set_markup(GTK_LABEL(" + name + "), " + text + ")\n";
      label_layout(widget);
      break;
    case WidgetKind::Separator:
      create(std::string("gtk_separator_new(") + orientation(widget) + ")");
      break;
    case WidgetKind::FilledBox:
      create("dlgforge_filled_box(" + fb_string(shade_colour(widget.shade)) +
             ")");
      break;
    case WidgetKind::OutlineBox:
      create("gtk_frame_new(NULL)");
      out_ += "  gtk_frame_set_shadow_type(GTK_FRAME(" + name + "), " +
              (widget.sunken ? "GTK_SHADOW_IN" : "GTK_SHADOW_ETCHED_IN") +
              ")\n";
      break;
    case WidgetKind::Image:
      create("gtk_image_new_from_icon_name(" +
             fb_string(gtk3::icon_name(widget.stock)) + ", GTK_ICON_SIZE_DND)");
      out_ += "  gtk_image_set_pixel_size(GTK_IMAGE(" + name + "), " +
              number(gtk3::kIconPixels) + ")\n";
      break;
    case WidgetKind::Entry:
      create("gtk_entry_new()");
      out_ += "  dlgforge_narrow_entry(" + name + ")\n";
      entry(widget);
      break;
    case WidgetKind::TextView:
      create("gtk_text_view_new()");
      out_ += "  dlgforge_scrolled(" + name + ")\n";
      out_ += "  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(" + name +
              "), GTK_WRAP_WORD)\n";
      if (!widget.text.empty()) {
        out_ +=
            "  "
            "gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(" +
            name + ")), " + text + ", -1)\n";
      }
      if (!widget.editable) {
        out_ += "  gtk_text_view_set_editable(GTK_TEXT_VIEW(" + name +
                "), FALSE)\n";
      }
      break;
    case WidgetKind::ListBox:
      create(std::string("dlgforge_list_box(") +
             (widget.selection == Selection::None ? "GTK_SELECTION_NONE"
              : widget.selection == Selection::Multiple
                  ? "GTK_SELECTION_MULTIPLE"
                  : "GTK_SELECTION_SINGLE") +
             ")");
      out_ += "  dlgforge_scrolled(" + name + ")\n";
      break;
    case WidgetKind::ListView:
      create("gtk_tree_view_new()");
      out_ += "  dlgforge_scrolled(" + name + ")\n";
      break;
    case WidgetKind::ComboBox:
      create("gtk_combo_box_text_new()");
      break;
    case WidgetKind::ComboBoxEntry:
      create("gtk_combo_box_text_new_with_entry()");
      out_ +=
          "  dlgforge_narrow_entry(gtk_bin_get_child(GTK_BIN(" + name + ")))\n";
      break;
    case WidgetKind::ScrollBar:
      create(std::string("gtk_scrollbar_new(") + orientation(widget) +
             ", NULL)");
      break;
    case WidgetKind::Slider:
      create(std::string("gtk_scale_new_with_range(") + orientation(widget) +
             ", 0, 100, 1)");
      out_ += "  gtk_scale_set_draw_value(GTK_SCALE(" + name + "), FALSE)\n";
      break;
    case WidgetKind::ProgressBar:
      create("gtk_progress_bar_new()");
      if (widget.vertical) {
        // Filled from the bottom up, as a vertical Windows progress bar.
        out_ += "  gtk_orientable_set_orientation(GTK_ORIENTABLE(" + name +
                "), GTK_ORIENTATION_VERTICAL)\n";
        out_ += "  gtk_progress_bar_set_inverted(GTK_PROGRESS_BAR(" + name +
                "), TRUE)\n";
      }
      break;
    case WidgetKind::SpinButton:
      create("gtk_spin_button_new_with_range(0, 100, 1)");
      break;
    case WidgetKind::Notebook:
      create("gtk_notebook_new()");
      break;
    case WidgetKind::Calendar:
      create("gtk_calendar_new()");
      break;
    case WidgetKind::Custom:
      out_ += "  ' A control of class " + fb_comment(widget.text) +
              ": replace this frame with your own widget.\n";
      create("gtk_frame_new(" + text + ")");
      break;
    }
    place(widget);
    if (widget.check_on_right && (widget.kind == WidgetKind::CheckButton ||
                                  widget.kind == WidgetKind::RadioButton)) {
      out_ += "  gtk_widget_set_direction(" + name + ", GTK_TEXT_DIR_RTL)\n";
    }
    if (!widget.sensitive) {
      out_ += "  gtk_widget_set_sensitive(" + placed(widget) + ", FALSE)\n";
    }
    if (!widget.handler.empty()) {
      out_ += "  g_signal_connect(" + signal_source(widget) + ", \"" +
              std::string(signal_name(widget.signal)) + "\", G_CALLBACK(@" +
              widget.handler + "), NULL)\n";
    }
    out_ += "\n";
  }

  void label_layout(const Widget& widget) {
    const std::string& name = widget.name;
    out_ += "  gtk_label_set_xalign(GTK_LABEL(" + name + "), " +
            number(widget.xalign) + ")\n";
    out_ += "  gtk_label_set_yalign(GTK_LABEL(" + name + "), " +
            number(widget.yalign) + ")\n";
    if (widget.xalign != 0.0f) {
      out_ +=
          "  gtk_label_set_justify(GTK_LABEL(" + name + "), " +
          (widget.xalign == 1.0f ? "GTK_JUSTIFY_RIGHT" : "GTK_JUSTIFY_CENTER") +
          ")\n";
    }
    if (widget.wrap) {
      out_ += "  gtk_label_set_line_wrap(GTK_LABEL(" + name + "), TRUE)\n";
    }
  }

  void place(const Widget& widget) {
    std::string args = number(widget.rect.x) + ", " + number(widget.rect.y) +
                       ", " + number(widget.rect.cx) + ", ";
    // A combo box's height in the script includes its dropped-down list;
    // on screen it is as high as its edit field, the font's height plus
    // the field's border and padding.
    bool combo = widget.kind == WidgetKind::ComboBox ||
                 widget.kind == WidgetKind::ComboBoxEntry;
    out_ += "  dlgforge_place(dialog_area, " + placed(widget) + ", " + args +
            number(combo ? 0 : widget.rect.cy) + ", units_x, units_y)\n";
    if (combo && widget.rect.cx > 0) {
      out_ += "  gtk_widget_set_size_request(" + widget.name +
              ", dlgforge_muldiv(" + number(widget.rect.cx) +
              ", units_x, 4), units_y + " + number(gtk3::kComboFieldPadding) +
              ")\n";
    }
  }

  static std::string signal_source(const Widget& widget) {
    switch (widget.signal) {
    case Signal::TextChanged:
      return "gtk_text_view_get_buffer(GTK_TEXT_VIEW(" + widget.name + "))";
    case Signal::SelectionChanged:
      return "gtk_tree_view_get_selection(GTK_TREE_VIEW(" + widget.name + "))";
    default:
      return widget.name;
    }
  }

  void finish_dialog(const Dialog& dialog) {
    const std::vector<Widget>& widgets = dialog.widgets;
    for (const Widget& widget : widgets) {
      if (widget.mnemonic_target >= 0) {
        out_ += "  gtk_label_set_mnemonic_widget(GTK_LABEL(" + widget.name +
                "), " + widgets[widget.mnemonic_target].name + ")\n";
      }
    }
    // The keyboard focus moves in the order of the script.
    out_ += "  Dim focus_order As GList Ptr = NULL\n";
    for (const Widget& widget : widgets) {
      if (widget.focusable) {
        out_ += "  focus_order = g_list_append(focus_order, " + placed(widget) +
                ")\n";
      }
    }
    out_ +=
        "  g_object_set_data_full(G_OBJECT(dialog_area), "
        "\"dlgforge-focus-order\", focus_order, "
        "CPtr(GDestroyNotify, @g_list_free))\n";
    out_ +=
        "  g_signal_connect(dialog_area, \"focus\", "
        "G_CALLBACK(@dlgforge_focus_in_order), NULL)\n";
    out_ += "  dlgforge_apply_font(dialog_area, dialog_font)\n";
    out_ += "  g_object_unref(dialog_font)\n";
    out_ +=
        "  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dialog_window)))\n";
    for (const Widget& widget : widgets) {
      if (!widget.visible) {
        out_ += "  gtk_widget_hide(" + placed(widget) + ")\n";
      }
      if (widget.is_default) {
        out_ += "  gtk_widget_set_can_default(" + widget.name + ", TRUE)\n";
        out_ += "  gtk_window_set_default(GTK_WINDOW(dialog_window), " +
                widget.name + ")\n";
      }
    }
  }
};

}  // namespace

std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options) {
  return Gtk3Printer(description, options).print();
}

}  // namespace dlgforge::port
