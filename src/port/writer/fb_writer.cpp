#include "port/writer/fb_writer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "port/gtk2/choices.h"
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

' The height GDI gives a font: its Windows ascent and descent (the OS/2
' table's clipping metrics), each rounded at the font's pixel size. Pango's
' own line height follows the typographic metrics instead, which for some
' fonts (Wine's Tahoma) is two pixels less. 0 when the font has none.
Function dlgforge_font_height(ByVal reference As GtkWidget Ptr, _
    ByVal font As PangoFontDescription Ptr) As Long
  Dim loaded As PangoFont Ptr = pango_context_load_font( _
      gtk_widget_get_pango_context(reference), font)
  If loaded = NULL Then Return 0
  Dim shaper As Any Ptr = dlgforge_hb_font(loaded)
  Dim As Long ascent, descent, scale_x, scale_y, height
  Dim pixels As Double = pango_font_description_get_size(font) / PANGO_SCALE
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
' height of the font, measured with the fonts and resolution of the screen.
Sub dlgforge_base_units(ByVal reference As GtkWidget Ptr, _
    ByVal font As PangoFontDescription Ptr, ByRef units_x As Long, _
    ByRef units_y As Long)
  Dim layout As PangoLayout Ptr = gtk_widget_create_pango_layout(reference, _
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
  pango_layout_set_font_description(layout, font)
  Dim As Long text_width, text_height
  pango_layout_get_pixel_size(layout, @text_width, @text_height)
  g_object_unref(layout)
  units_x = (text_width \ 26 + 1) \ 2
  units_y = dlgforge_font_height(reference, font)
  If units_y <= 0 Then units_y = text_height
End Sub

' Gives a widget and everything inside it the dialog's font.
Sub dlgforge_apply_font cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal font As gpointer)
  gtk_widget_modify_font(widget, font)
  If GTK_IS_CONTAINER(widget) Then
    gtk_container_forall(GTK_CONTAINER(widget), @dlgforge_apply_font, font)
  End If
End Sub

' Puts a widget where the dialog manager would: each of x, y, cx, cy in
' dialog units turned into pixels on its own. A zero size leaves the
' widget its natural size, as an icon without a size gets its own.
Sub dlgforge_place(ByVal area As GtkWidget Ptr, ByVal widget As GtkWidget Ptr, _
    ByVal x As Long, ByVal y As Long, ByVal cx As Long, ByVal cy As Long, _
    ByVal units_x As Long, ByVal units_y As Long)
  gtk_fixed_put(GTK_FIXED(area), widget, dlgforge_muldiv(x, units_x, 4), _
      dlgforge_muldiv(y, units_y, 8))
  If cx > 0 AndAlso cy > 0 Then
    gtk_widget_set_size_request(widget, dlgforge_muldiv(cx, units_x, 4), _
        dlgforge_muldiv(cy, units_y, 8))
  End If
End Sub

)";

// The helpers after the ones the two toolkits share.
constexpr std::string_view kHelpersTail =
    R"(' A rectangle filled with one colour, for SS_BLACKRECT and its kind.
Function dlgforge_filled_box(ByVal colour As Const gchar Ptr) As GtkWidget Ptr
  Dim box As GtkWidget Ptr = gtk_event_box_new()
  Dim shade As GdkColor
  gdk_color_parse(colour, @shade)
  gtk_widget_modify_bg(box, GTK_STATE_NORMAL, @shade)
  Return box
End Function

' Dialog controls as compact as the Windows ones, and text hinted fully, as
' Windows draws dialog text: with whole-pixel advances, which keeps text
' widths close to Windows'.
Sub dlgforge_style()
  gtk_rc_parse_string(DLGFORGE_CONTROL_STYLE)
  Dim hinting As cairo_font_options_t Ptr = cairo_font_options_create()
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL)
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON)
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting)
  cairo_font_options_destroy(hinting)
End Sub

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
  Dim box As GtkWidget Ptr = gtk_hbox_new(FALSE, 12)
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0)
  g_object_unref(label)
  Dim accel As GtkWidget Ptr = gtk_label_new(text)
  gtk_misc_set_alignment(GTK_MISC(accel), 1, 0.5)
  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0)
  gtk_container_add(GTK_CONTAINER(item), box)
End Sub
)";

// Widgets that live in a scrolled window: the variable holds the inner
// widget, the scrolled window is its parent.
bool is_scrolled(WidgetKind kind) {
  return gtk2::in_scrolled_window(kind);
}

// The header's name of a stock image: "gtk-dialog-info" is
// GTK_STOCK_DIALOG_INFO.
std::string stock_constant(StockImage stock) {
  std::string name = "GTK_STOCK_";
  for (char c : gtk2::stock_id(stock).substr(4)) {
    name += c == '-' ? '_' : static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

std::string placed(const Widget& widget) {
  return is_scrolled(widget.kind) ? "gtk_widget_get_parent(" + widget.name + ")"
                                  : widget.name;
}

class Gtk2Printer final : public FbProgramPrinter {
 public:
  using FbProgramPrinter::FbProgramPrinter;

 protected:
  void helpers() override {
    control_style();
    out_ += kHelpers;
    out_ += kSharedHelpers;
    out_ += kHelpersTail;
  }

  std::string style_call() const override { return "dlgforge_style()"; }

  void heading() override {
    std::string name = options_.script_name;
    for (char& c : name) {
      if (static_cast<unsigned char>(c) < 0x20) {
        c = ' ';
      }
    }
    out_ +=
        "' The dialogs and menus of " + name +
        " rebuilt with GTK+ 2, written by dlgforge --port.\n"
        "' Compile with: fbc PROGRAM.bas\n\n"
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

  // The GTK resource text that makes dialog controls as compact as the
  // Windows ones, one line of it per line of the program.
  void control_style() {
    out_ +=
        "' GTK's default theme puts focus padding, inner borders and a "
        "default-button\n"
        "' border around a button's text that a 14-unit Windows button has no "
        "room\n"
        "' for; check boxes keep the Windows gap between the box and the "
        "text.\n";
    out_ += "#define DLGFORGE_CONTROL_STYLE _\n";
    std::string_view style = gtk2::kControlStyle;
    while (!style.empty()) {
      size_t end = style.find('\n');
      std::string_view line = style.substr(0, end);
      style.remove_prefix(end == style.npos ? style.size() : end + 1);
      out_ += "    " + fb_string(line) + " & Chr(10)" +
              (style.empty() ? "\n\n" : " & _\n");
    }
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
            fb_string(gtk2::kDialogWindowName) + ")\n";
    out_ += "  gtk_window_set_title(GTK_WINDOW(dialog_window), " +
            fb_string(dialog.title) + ")\n";
    out_ += "  gtk_window_set_resizable(GTK_WINDOW(dialog_window), " +
            std::string(dialog.resizable ? "TRUE" : "FALSE") + ")\n";
    font(dialog.font);
    out_ += "  Dim fixed_area As GtkWidget Ptr = gtk_fixed_new()\n";
    out_ += "  gtk_widget_set_size_request(fixed_area, dlgforge_muldiv(" +
            number(dialog.rect.cx) + ", units_x, 4), dlgforge_muldiv(" +
            number(dialog.rect.cy) + ", units_y, 8))\n";
    if (dialog.menu >= 0) {
      const MenuBar& bar = description_.menus[dialog.menu];
      out_ += "  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()\n";
      out_ +=
          "  gtk_window_add_accel_group(GTK_WINDOW(dialog_window), accels)\n";
      out_ += "  Dim content_box As GtkWidget Ptr = gtk_vbox_new(FALSE, 0)\n";
      out_ += "  gtk_box_pack_start(GTK_BOX(content_box), " + bar.function +
              "(accels), FALSE, FALSE, 0)\n";
      out_ +=
          "  gtk_box_pack_start(GTK_BOX(content_box), fixed_area, TRUE, TRUE, "
          "0)\n";
      out_ +=
          "  gtk_container_add(GTK_CONTAINER(dialog_window), content_box)\n";
    } else {
      out_ += "  gtk_container_add(GTK_CONTAINER(dialog_window), fixed_area)\n";
    }
    out_ += "\n";
    radio_first_.clear();
    for (const Widget& widget : dialog.widgets) {
      control(widget);
    }
    finish_dialog(dialog);
    out_ += "  Return dialog_window\nEnd Function\n\n";
  }

  void font(const FontRequest& request) {
    std::string families = gtk2::family_list(request);
    out_ +=
        "  Dim dialog_font As PangoFontDescription Ptr = "
        "pango_font_description_new()\n";
    out_ += "  pango_font_description_set_family(dialog_font, " +
            fb_string(families) + ")\n";
    out_ +=
        "  pango_font_description_set_absolute_size(dialog_font, "
        "dlgforge_font_pixels(" +
        number(request.points) + ") * PANGO_SCALE)\n";
    out_ += "  pango_font_description_set_weight(dialog_font, " +
            number(request.weight) + ")\n";
    if (request.italic) {
      out_ +=
          "  pango_font_description_set_style(dialog_font, "
          "PANGO_STYLE_ITALIC)\n";
    }
    out_ += "  Dim As Long units_x, units_y\n";
    if (options_.base_units) {
      out_ += "  units_x = " + number(options_.base_units->bx) +
              " : units_y = " + number(options_.base_units->by) + "\n";
    } else {
      out_ +=
          "  dlgforge_base_units(dialog_window, dialog_font, units_x, "
          "units_y)\n";
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
      create(widget.vertical ? "gtk_vseparator_new()" : "gtk_hseparator_new()");
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
      create("gtk_image_new_from_stock(" + stock_constant(widget.stock) +
             ", GTK_ICON_SIZE_DND)");
      break;
    case WidgetKind::Entry:
      create("gtk_entry_new()");
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
      create("gtk_combo_box_new_text()");
      break;
    case WidgetKind::ComboBoxEntry:
      create("gtk_combo_box_entry_new_text()");
      break;
    case WidgetKind::ScrollBar:
      create(widget.vertical ? "gtk_vscrollbar_new(NULL)"
                             : "gtk_hscrollbar_new(NULL)");
      break;
    case WidgetKind::Slider:
      create(std::string(widget.vertical ? "gtk_vscale_new_with_range"
                                         : "gtk_hscale_new_with_range") +
             "(0, 100, 1)");
      out_ += "  gtk_scale_set_draw_value(GTK_SCALE(" + name + "), FALSE)\n";
      break;
    case WidgetKind::ProgressBar:
      create("gtk_progress_bar_new()");
      if (widget.vertical) {
        out_ += "  gtk_progress_bar_set_orientation(GTK_PROGRESS_BAR(" + name +
                "), GTK_PROGRESS_BOTTOM_TO_TOP)\n";
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
    out_ += "  gtk_misc_set_alignment(GTK_MISC(" + name + "), " +
            number(widget.xalign) + ", " + number(widget.yalign) + ")\n";
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
    out_ += "  dlgforge_place(fixed_area, " + placed(widget) + ", " + args +
            number(combo ? 0 : widget.rect.cy) + ", units_x, units_y)\n";
    if (combo && widget.rect.cx > 0) {
      out_ += "  gtk_widget_set_size_request(" + widget.name +
              ", dlgforge_muldiv(" + number(widget.rect.cx) +
              ", units_x, 4), units_y + " + number(gtk2::kComboFieldPadding) +
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
    out_ += "  Dim focus_chain As GList Ptr = NULL\n";
    for (const Widget& widget : widgets) {
      if (widget.focusable) {
        out_ += "  focus_chain = g_list_append(focus_chain, " + placed(widget) +
                ")\n";
      }
    }
    out_ +=
        "  gtk_container_set_focus_chain(GTK_CONTAINER(fixed_area), "
        "focus_chain)\n";
    out_ += "  g_list_free(focus_chain)\n";
    out_ += "  dlgforge_apply_font(fixed_area, dialog_font)\n";
    out_ += "  pango_font_description_free(dialog_font)\n";
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

std::string write_freebasic(const Description& description,
                            const WriterOptions& options) {
  return Gtk2Printer(description, options).print();
}

}  // namespace dlgforge::port
