#include "port/writer/fb_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "port/gtk2/choices.h"
#include "port/gtk2/program.h"
#include "port/gtk3/program.h"
#include "port/program/fb_literal.h"
#include "port/program/spelling.h"

namespace dlgforge::port {
namespace {

// Helpers every program carries: MulDiv rounding, the base units of a
// font, the dialog font applied to a whole tree, placement on the dialog's
// area, the letter-case and digit filters of edit fields, the pieces of
// scrolled and list widgets, a rectangle of one colour, menu accelerator
// texts GTK cannot parse, the control style. Each {{name}} is a part the
// toolkit writes its own way.
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

{{font_height_intro}}Function dlgforge_font_height(ByVal reference As GtkWidget Ptr, _
{{font_height_source}}  If loaded = NULL Then Return 0
  Dim shaper As Any Ptr = dlgforge_hb_font(loaded)
  Dim As Long ascent, descent, scale_x, scale_y, height
{{font_height_pixels}}  If shaper <> NULL AndAlso _
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
{{base_units_intro}}Sub dlgforge_base_units(ByVal reference As GtkWidget Ptr, _
{{base_units_source}}  Dim layout As PangoLayout Ptr = gtk_widget_create_pango_layout(reference, _
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
{{base_units_layout_font}}  Dim As Long text_width, text_height
  pango_layout_get_pixel_size(layout, @text_width, @text_height)
  g_object_unref(layout)
  units_x = (text_width \ 26 + 1) \ 2
{{base_units_height}}  If units_y <= 0 Then units_y = text_height
End Sub

{{apply_font_intro}}Sub dlgforge_apply_font cdecl (ByVal widget As GtkWidget Ptr, _
{{apply_font_source}}  If GTK_IS_CONTAINER(widget) Then
{{apply_font_recurse}}  End If
End Sub

{{focus_order}}' Puts a widget where the dialog manager would: each of x, y, cx, cy in
' dialog units turned into pixels on its own. A zero size leaves the
' widget its natural size, as an icon without a size gets its own.
Sub dlgforge_place(ByVal area As GtkWidget Ptr, ByVal widget As GtkWidget Ptr, _
    ByVal x As Long, ByVal y As Long, ByVal cx As Long, ByVal cy As Long, _
    ByVal units_x As Long, ByVal units_y As Long)
{{area_put}}      dlgforge_muldiv(y, units_y, 8))
  If cx > 0 AndAlso cy > 0 Then
    gtk_widget_set_size_request(widget, dlgforge_muldiv(cx, units_x, 4), _
        dlgforge_muldiv(cy, units_y, 8))
  End If
End Sub

{{entry_helpers}}' Edit fields with ES_UPPERCASE, ES_LOWERCASE or ES_NUMBER: the text is
' put right after each change, keeping the cursor where it was.
Sub dlgforge_keep_upper cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As Const gchar Ptr = gtk_entry_get_text(GTK_ENTRY(editable))
  Dim changed As gchar Ptr = g_utf8_strup(text, -1)
  If *changed <> *text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), changed)
    gtk_editable_set_position(editable, position)
  End If
  g_free(changed)
End Sub

Sub dlgforge_keep_lower cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As Const gchar Ptr = gtk_entry_get_text(GTK_ENTRY(editable))
  Dim changed As gchar Ptr = g_utf8_strdown(text, -1)
  If *changed <> *text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), changed)
    gtk_editable_set_position(editable, position)
  End If
  g_free(changed)
End Sub

Sub dlgforge_keep_digits cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As String = *gtk_entry_get_text(GTK_ENTRY(editable))
  Dim digits As String
  For index As Long = 0 To Len(text) - 1
    If text[index] >= Asc("0") AndAlso text[index] <= Asc("9") Then
      digits &= Chr(text[index])
    End If
  Next
  If digits <> text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), digits)
    gtk_editable_set_position(editable, position - (Len(text) - Len(digits)))
  End If
End Sub

' A widget in a scrolled window with a sunken frame, as list boxes and
' multi-line edit fields draw; the scrolled window is what gets placed.
Function dlgforge_scrolled(ByVal child As GtkWidget Ptr) As GtkWidget Ptr
  Dim scroller As GtkWidget Ptr = gtk_scrolled_window_new(NULL, NULL)
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), _
      GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC)
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN)
  gtk_container_add(GTK_CONTAINER(scroller), child)
  Return scroller
End Function

' A list box: a tree view of one text column without a header.
Function dlgforge_list_box(ByVal mode As GtkSelectionMode) As GtkWidget Ptr
  Dim store As GtkListStore Ptr = gtk_list_store_new(1, G_TYPE_STRING)
  Dim tree As GtkWidget Ptr = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store))
  g_object_unref(store)
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(tree), FALSE)
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(tree), -1, "", _
      gtk_cell_renderer_text_new(), "text", 0, NULL)
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), mode)
  Return tree
End Function

' A rectangle filled with one colour, for SS_BLACKRECT and its kind.
{{filled_box_colour}}  Dim box As GtkWidget Ptr = gtk_event_box_new()
{{filled_box_fill}}  Return box
End Function
{{look_helpers}}
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
{{accel_box}}  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0)
  g_object_unref(label)
  Dim accel As GtkWidget Ptr = gtk_label_new(text)
{{accel_right}}  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0)
  gtk_container_add(GTK_CONTAINER(item), box)
End Sub
{{closing}})";

// Parts of the toolkits' own helpers that are spelled alike: the screen's
// font options set to full hinting with hinted metrics.
constexpr HelperPart kCommonParts[] = {
    {"full_hinting",
     R"(  Dim hinting As cairo_font_options_t Ptr = cairo_font_options_create()
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL)
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON)
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting)
  cairo_font_options_destroy(hinting)
)"},
};

// Widgets that live in a scrolled window: the variable holds the inner
// widget, the scrolled window is its parent, which is what gets placed.
std::string placed(const Widget& widget) {
  return gtk2::in_scrolled_window(widget.kind)
             ? "gtk_widget_get_parent(" + widget.name + ")"
             : widget.name;
}

// What a widget's handler is connected to.
std::string signal_source(const Widget& widget) {
  switch (widget.signal) {
  case Signal::TextChanged:
    return "gtk_text_view_get_buffer(GTK_TEXT_VIEW(" + widget.name + "))";
  case Signal::SelectionChanged:
    return "gtk_tree_view_get_selection(GTK_TREE_VIEW(" + widget.name + "))";
  default:
    return widget.name;
  }
}

// The comment line naming a widget's statement in the script.
std::string describe_source(const Widget& widget) {
  std::string line = "  ' " + (widget.keyword.empty() ? std::string("CONTROL")
                                                      : widget.keyword);
  if (widget.keyword == "CONTROL" && !widget.class_name.empty()) {
    line += " " + widget.class_name;
  }
  if (!widget.id_written.empty()) {
    line += " " + widget.id_written;
  }
  if (widget.source_line > 0) {
    line += ", line " + number(widget.source_line);
  }
  if (!widget.joined_id.empty()) {
    line += ", with its up-down control " + widget.joined_id + ", line " +
            number(widget.joined_line);
  }
  // A comment ends at the line's end: keep only printable text.
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) {
      c = ' ';
    }
  }
  return line + "\n";
}

// Prints a whole program: the outline, every widget, placement, menus and
// handlers once, asking the toolkit's spelling where GTK+ 2 and GTK 3
// differ.
class FbProgramPrinter {
 public:
  FbProgramPrinter(const Description& description, const WriterOptions& options,
                   const ToolkitSpelling& toolkit)
      : description_(description), options_(options), toolkit_(toolkit) {}

  /// The whole program: heading, declarations, helpers, menu functions,
  /// dialog functions, the main program, the handler bodies.
  std::string print();

 private:
  void heading();
  void helpers();
  void fill(std::string_view text);
  void declarations();
  void declare_menu_handlers(const std::vector<MenuEntry>& items,
                             std::string& handlers);
  static std::string parameters(Signal signal);
  static std::string comment_for(Signal signal);
  static int menu_depth(const std::vector<MenuEntry>& items);
  void menu_function(const MenuBar& bar);
  void menu_items(const std::vector<MenuEntry>& items, int level);
  void accelerator(const MenuEntry& entry);
  void dialog_function(const Dialog& dialog);
  void font(const FontRequest& request);
  void control(const Widget& widget);
  void label_layout(const Widget& widget);
  void entry(const Widget& widget);
  void place(const Widget& widget);
  void finish_dialog(const Dialog& dialog);
  void dialog_by_name();
  void main_program();
  void handler_bodies();
  void menu_handler_bodies(const std::vector<MenuEntry>& items);
  static std::string fb_comment(std::string_view text);

  const Description& description_;
  const WriterOptions& options_;
  const ToolkitSpelling& toolkit_;
  std::string out_;
  /// Per dialog: the first radio button of each group, by group number.
  std::unordered_map<int, std::string> radio_first_;
};

std::string FbProgramPrinter::print() {
  heading();
  declarations();
  helpers();
  for (const MenuBar& bar : description_.menus) {
    menu_function(bar);
  }
  for (const Dialog& dialog : description_.dialogs) {
    dialog_function(dialog);
  }
  main_program();
  handler_bodies();
  return std::move(out_);
}

void FbProgramPrinter::heading() {
  out_ += "' The dialogs and menus of " + fb_comment(options_.script_name) +
          " rebuilt with ";
  out_ += toolkit_.written_by;
  out_ += ".\n' Compile with: fbc PROGRAM.bas\n\n";
  out_ += toolkit_.binding;
  out_ +=
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

void FbProgramPrinter::helpers() {
  out_ += toolkit_.style_definition();
  fill(kHelpers);
}

// Prints a text of the helpers with each {{name}} replaced by its part: the
// toolkit's, else the one both toolkits share. A part may hold parts.
void FbProgramPrinter::fill(std::string_view text) {
  for (size_t hole; (hole = text.find("{{")) != text.npos;) {
    out_ += text.substr(0, hole);
    size_t end = text.find("}}", hole);
    std::string_view name = text.substr(hole + 2, end - hole - 2);
    auto find = [name](std::span<const HelperPart> parts) {
      auto part = std::find_if(
          parts.begin(), parts.end(),
          [name](const HelperPart& each) { return each.name == name; });
      return part == parts.end() ? nullptr : &*part;
    };
    const HelperPart* part = find(toolkit_.helper_parts);
    if (part == nullptr) {
      part = find(kCommonParts);
    }
    if (part == nullptr) {
      throw std::logic_error("no helper part " + std::string(name));
    }
    fill(part->text);
    text.remove_prefix(end + 2);
  }
  out_ += text;
}

// ---- dialogs

void FbProgramPrinter::dialog_function(const Dialog& dialog) {
  const std::string area(toolkit_.area);
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
  const std::string new_area = "  Dim " + area + " As GtkWidget Ptr = " +
                               std::string(toolkit_.new_area) + "\n";
  if (toolkit_.area_before_font) {
    out_ += new_area;
  }
  font(dialog.font);
  if (!toolkit_.area_before_font) {
    out_ += new_area;
  }
  // The window's own scroll bars take their width from the client area.
  auto scroll_bar = [](bool shown) {
    return shown ? " - " + number(kScrollBarPixels) : std::string();
  };
  out_ += "  gtk_widget_set_size_request(" + area + ", dlgforge_muldiv(" +
          number(dialog.rect.cx) + ", units_x, 4)" +
          scroll_bar(dialog.vertical_scroll) + ", dlgforge_muldiv(" +
          number(dialog.rect.cy) + ", units_y, 8)" +
          scroll_bar(dialog.horizontal_scroll) + ")\n";
  if (dialog.menu >= 0) {
    const MenuBar& bar = description_.menus[dialog.menu];
    out_ += "  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()\n";
    out_ += "  gtk_window_add_accel_group(GTK_WINDOW(dialog_window), accels)\n";
    out_ += "  Dim content_box As GtkWidget Ptr = ";
    out_ += toolkit_.new_vbox;
    out_ += "\n  gtk_box_pack_start(GTK_BOX(content_box), " + bar.function +
            "(accels), FALSE, FALSE, 0)\n";
    out_ += "  gtk_box_pack_start(GTK_BOX(content_box), " + area +
            ", TRUE, TRUE, 0)\n";
    out_ += "  gtk_container_add(GTK_CONTAINER(dialog_window), content_box)\n";
  } else {
    out_ += "  gtk_container_add(GTK_CONTAINER(dialog_window), " + area + ")\n";
  }
  out_ += "\n";
  radio_first_.clear();
  for (const Widget& widget : dialog.widgets) {
    control(widget);
  }
  finish_dialog(dialog);
  out_ += "  Return dialog_window\nEnd Function\n\n";
}

void FbProgramPrinter::font(const FontRequest& request) {
  out_ += toolkit_.dialog_font(request);
  out_ += "  Dim As Long units_x, units_y\n";
  if (options_.base_units) {
    out_ += "  units_x = " + number(options_.base_units->bx) +
            " : units_y = " + number(options_.base_units->by) + "\n";
  } else {
    out_ += "  dlgforge_base_units(" + toolkit_.units_source(request) +
            ", units_x, units_y)\n";
  }
}

void FbProgramPrinter::control(const Widget& widget) {
  out_ += describe_source(widget);
  const std::string& name = widget.name;
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
  case WidgetKind::FilledBox:
    create("dlgforge_filled_box(" + fb_string(shade_colour(widget.shade)) +
           ")");
    break;
  case WidgetKind::OutlineBox:
    create("gtk_frame_new(NULL)");
    out_ += "  gtk_frame_set_shadow_type(GTK_FRAME(" + name + "), " +
            (widget.sunken ? "GTK_SHADOW_IN" : "GTK_SHADOW_ETCHED_IN") + ")\n";
    break;
  case WidgetKind::Entry:
    create("gtk_entry_new()");
    out_ += toolkit_.after_create(widget);
    entry(widget);
    break;
  case WidgetKind::TextView:
    create("gtk_text_view_new()");
    out_ += "  dlgforge_scrolled(" + name + ")\n";
    out_ += "  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(" + name +
            "), GTK_WRAP_WORD)\n";
    if (!widget.text.empty()) {
      out_ +=
          "  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(" +
          name + ")), " + text + ", -1)\n";
    }
    if (!widget.editable) {
      out_ +=
          "  gtk_text_view_set_editable(GTK_TEXT_VIEW(" + name + "), FALSE)\n";
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
  case WidgetKind::ProgressBar:
    create("gtk_progress_bar_new()");
    out_ += toolkit_.after_create(widget);
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
  case WidgetKind::Separator:
  case WidgetKind::Image:
  case WidgetKind::ComboBox:
  case WidgetKind::ComboBoxEntry:
  case WidgetKind::ScrollBar:
  case WidgetKind::Slider:
    // Spelled by each toolkit its own way.
    create(toolkit_.create(widget));
    out_ += toolkit_.after_create(widget);
    if (widget.kind == WidgetKind::Slider) {
      out_ += "  gtk_scale_set_draw_value(GTK_SCALE(" + name + "), FALSE)\n";
    }
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

void FbProgramPrinter::label_layout(const Widget& widget) {
  const std::string& name = widget.name;
  out_ += toolkit_.align_label(widget);
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

void FbProgramPrinter::place(const Widget& widget) {
  // dlgforge_place gives a widget the script's size; one the dialog manager
  // sizes otherwise gets its size after it.
  bool script_size = widget.sizing == Sizing::Script && widget.trim_right == 0;
  out_ += "  dlgforge_place(" + std::string(toolkit_.area) + ", " +
          placed(widget) + ", " + number(widget.rect.x) + ", " +
          number(widget.rect.y) + ", " + number(widget.rect.cx) + ", " +
          number(script_size ? widget.rect.cy : 0) + ", units_x, units_y)\n";
  if (script_size) {
    return;
  }
  std::string width =
      "dlgforge_muldiv(" + number(widget.rect.cx) + ", units_x, 4)";
  if (widget.trim_right != 0) {
    width += " - " + number(widget.trim_right);
  }
  std::string height =
      "dlgforge_muldiv(" + number(widget.rect.cy) + ", units_y, 8)";
  bool sized = widget.rect.cx > 0 && widget.rect.cy > 0;
  switch (widget.sizing) {
  case Sizing::FieldHeight:
    // A combo box's height in the script includes its dropped-down list;
    // on screen it is as high as its edit field, the font's height plus
    // the field's border and padding.
    sized = widget.rect.cx > 0;
    height = "units_y + " + number(toolkit_.combo_field_padding);
    break;
  case Sizing::Icon:
    sized = true;
    width = height = number(kIconPixels);
    break;
  case Sizing::WholeRows: {
    out_ += "  ' As high as the whole rows of " + number(kSystemRowPixels) +
            " pixels that fit, as the dialog manager makes a list box.\n";
    std::string rows = height;
    if (widget.row_border != 0) {
      rows = "(" + height + " - " + number(2 * widget.row_border) + ")";
    }
    height += " - IIf(" + rows + " > " + number(kSystemRowPixels) + ", " +
              rows + " Mod " + number(kSystemRowPixels) + ", 0)";
    break;
  }
  case Sizing::Script:
    break;
  }
  if (sized) {
    out_ += "  gtk_widget_set_size_request(" + placed(widget) + ", " + width +
            ", " + height + ")\n";
  }
}

void FbProgramPrinter::finish_dialog(const Dialog& dialog) {
  const std::vector<Widget>& widgets = dialog.widgets;
  for (const Widget& widget : widgets) {
    if (widget.mnemonic_target >= 0) {
      out_ += "  gtk_label_set_mnemonic_widget(GTK_LABEL(" + widget.name +
              "), " + widgets[widget.mnemonic_target].name + ")\n";
    }
  }
  // The keyboard focus moves in the order of the script.
  const std::string list(toolkit_.focus_list);
  out_ += "  Dim " + list + " As GList Ptr = NULL\n";
  for (const Widget& widget : widgets) {
    if (widget.focusable) {
      out_ += "  " + list + " = g_list_append(" + list + ", " + placed(widget) +
              ")\n";
    }
  }
  out_ += toolkit_.keep_focus_list;
  out_ += "  dlgforge_apply_font(" + std::string(toolkit_.area) +
          ", dialog_font)\n";
  out_ += "  " + std::string(toolkit_.free_font) + "(dialog_font)\n";
  out_ += "  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dialog_window)))\n";
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

// Handlers are declared up front, so every function can connect them;
// their bodies are at the end of the program, where the user fills them.
void FbProgramPrinter::declarations() {
  std::string handlers;
  std::string variables;
  // One line per widget of the whole script: appended piece by piece,
  // as temporaries of `a + b + c` cost more than the text here.
  auto variable = [&](const std::string& name) {
    variables.append("Dim Shared ").append(name).append(" As GtkWidget Ptr\n");
  };
  for (const Dialog& dialog : description_.dialogs) {
    variable(dialog.window);
    for (const Widget& widget : dialog.widgets) {
      variable(widget.name);
      if (!widget.handler.empty()) {
        handlers.append("Declare Sub ")
            .append(widget.handler)
            .append(" cdecl ")
            .append(parameters(widget.signal))
            .append("\n");
      }
    }
  }
  for (const MenuBar& bar : description_.menus) {
    declare_menu_handlers(bar.items, handlers);
  }
  out_.append("' Handlers, at the end of the program.\n")
      .append(handlers)
      .append("\n");
  out_.append(
          "' Each dialog's window and controls, set when the dialog is "
          "built.\n")
      .append(variables)
      .append("\n");
}

void FbProgramPrinter::declare_menu_handlers(
    const std::vector<MenuEntry>& items, std::string& handlers) {
  for (const MenuEntry& entry : items) {
    if (!entry.handler.empty()) {
      handlers += "Declare Sub " + entry.handler + " cdecl " +
                  parameters(Signal::Activate) + "\n";
    }
    declare_menu_handlers(entry.items, handlers);
  }
}

std::string FbProgramPrinter::parameters(Signal signal) {
  switch (signal) {
  case Signal::TextChanged:
    return "(ByVal buffer As GtkTextBuffer Ptr, ByVal user_data As gpointer)";
  case Signal::SelectionChanged:
    return "(ByVal selection As GtkTreeSelection Ptr, ByVal user_data As "
           "gpointer)";
  case Signal::SwitchPage:
    return "(ByVal notebook As GtkNotebook Ptr, ByVal page As gpointer, "
           "ByVal page_num As guint, ByVal user_data As gpointer)";
  case Signal::Activate:
    return "(ByVal item As GtkMenuItem Ptr, ByVal user_data As gpointer)";
  default:
    return "(ByVal widget As GtkWidget Ptr, ByVal user_data As gpointer)";
  }
}

std::string FbProgramPrinter::comment_for(Signal signal) {
  switch (signal) {
  case Signal::Clicked:
    return "is clicked";
  case Signal::Toggled:
    return "is switched on or off";
  case Signal::Changed:
  case Signal::TextChanged:
    return "changes its text or choice";
  case Signal::SelectionChanged:
    return "changes its selection";
  case Signal::ValueChanged:
    return "changes its value";
  case Signal::SwitchPage:
    return "switches to another page";
  case Signal::DaySelected:
    return "selects a day";
  case Signal::Activate:
    return "is chosen";
  case Signal::None:
    break;
  }
  return "";
}

int FbProgramPrinter::menu_depth(const std::vector<MenuEntry>& items) {
  int depth = 0;
  for (const MenuEntry& entry : items) {
    if (entry.kind == MenuEntry::Kind::Submenu) {
      depth = std::max(depth, 1 + menu_depth(entry.items));
    }
  }
  return depth;
}

void FbProgramPrinter::menu_function(const MenuBar& bar) {
  out_ += "' Menu " + fb_comment(bar.script_name) + ".\n";
  out_ += "Function " + bar.function +
          "(ByVal accels As GtkAccelGroup Ptr) As GtkWidget Ptr\n";
  out_ += "  Dim item As GtkWidget Ptr\n";
  out_ += "  Dim radio_first As GtkWidget Ptr\n";
  out_ += "  Dim shell_0 As GtkWidget Ptr = gtk_menu_bar_new()\n";
  int depth = menu_depth(bar.items);
  for (int level = 1; level <= depth; ++level) {
    out_ += "  Dim shell_" + number(level) + " As GtkWidget Ptr\n";
  }
  menu_items(bar.items, 0);
  out_ += "  Return shell_0\nEnd Function\n\n";
}

void FbProgramPrinter::menu_items(const std::vector<MenuEntry>& items,
                                  int level) {
  std::string shell = "shell_" + number(level);
  for (const MenuEntry& entry : items) {
    std::string text = fb_string(entry.text);
    switch (entry.kind) {
    case MenuEntry::Kind::Separator:
      out_ += "  item = gtk_separator_menu_item_new()\n";
      break;
    case MenuEntry::Kind::Submenu:
    case MenuEntry::Kind::Item:
      out_ += "  item = gtk_menu_item_new_with_mnemonic(" + text + ")\n";
      break;
    case MenuEntry::Kind::Check:
      out_ += "  item = gtk_check_menu_item_new_with_mnemonic(" + text + ")\n";
      break;
    case MenuEntry::Kind::Radio:
      if (entry.starts_group) {
        out_ += "  item = gtk_radio_menu_item_new_with_mnemonic(NULL, " + text +
                ")\n  radio_first = item\n";
      } else {
        out_ +=
            "  item = gtk_radio_menu_item_new_with_mnemonic_from_widget("
            "GTK_RADIO_MENU_ITEM(radio_first), " +
            text + ")\n";
      }
      break;
    }
    out_ += "  gtk_menu_shell_append(GTK_MENU_SHELL(" + shell + "), item)\n";
    if (entry.kind == MenuEntry::Kind::Separator) {
      continue;
    }
    if (entry.active && (entry.kind == MenuEntry::Kind::Check ||
                         entry.kind == MenuEntry::Kind::Radio)) {
      out_ +=
          "  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), "
          "TRUE)\n";
    }
    if (!entry.sensitive) {
      out_ += "  gtk_widget_set_sensitive(item, FALSE)\n";
    }
    accelerator(entry);
    if (!entry.handler.empty()) {
      out_ += "  g_signal_connect(item, \"activate\", G_CALLBACK(@" +
              entry.handler + "), NULL)\n";
    }
    if (entry.kind == MenuEntry::Kind::Submenu) {
      std::string inner = "shell_" + number(level + 1);
      out_ += "  " + inner + " = gtk_menu_new()\n";
      out_ +=
          "  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), " + inner + ")\n";
      menu_items(entry.items, level + 1);
    }
  }
}

void FbProgramPrinter::accelerator(const MenuEntry& entry) {
  if (entry.accel_text.empty()) {
    return;
  }
  if (entry.accel_key.empty()) {
    out_ +=
        "  dlgforge_accel_text(item, " + fb_string(entry.accel_text) + ")\n";
    return;
  }
  std::string modifiers;
  auto add = [&modifiers](std::string_view mask) {
    modifiers += modifiers.empty() ? "" : " Or ";
    modifiers += mask;
  };
  if (entry.accel_control)
    add("GDK_CONTROL_MASK");
  if (entry.accel_shift)
    add("GDK_SHIFT_MASK");
  if (entry.accel_alt)
    add("GDK_MOD1_MASK");
  if (modifiers.empty()) {
    modifiers = "0";
  }
  out_ +=
      "  gtk_widget_add_accelerator(item, \"activate\", accels, "
      "gdk_keyval_from_name(" +
      fb_string(entry.accel_key) + "), " + modifiers + ", GTK_ACCEL_VISIBLE)\n";
}

// Builds a dialog by its name in the script, for the command line.
void FbProgramPrinter::dialog_by_name() {
  out_ +=
      "' Builds the dialog the script names NAME (IDD_ABOUT, 101); Null "
      "when\n"
      "' there is none.\n";
  out_ +=
      "Function dlgforge_dialog_named(ByVal dialog_name As String) As "
      "GtkWidget Ptr\n";
  if (description_.dialogs.empty()) {
    out_ += "  Return NULL\nEnd Function\n\n";
    return;
  }
  out_ += "  Select Case UCase(dialog_name)\n";
  for (const Dialog& dialog : description_.dialogs) {
    std::string upper = dialog.script_name;
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    out_ += "  Case " + fb_string(upper) + "\n    Return " + dialog.function +
            "()\n";
  }
  out_ += "  End Select\n  Return NULL\nEnd Function\n\n";
}

void FbProgramPrinter::main_program() {
  dialog_by_name();
  out_ +=
      "' The program: Wine's Tahoma made visible when fonts-wine is "
      "installed,\n"
      "' the toolkit, the first dialog (or those the command line names), "
      "the\n"
      "' main loop until the first window closes.\n";
  out_ += "dlgforge_add_fonts(" + fb_string(gtk2::kWineFontsDir) + ")\n";
  out_ += "gtk_init(NULL, NULL)\n";
  out_ += toolkit_.style_call() + "\n";
  out_ += "Dim dlgforge_main As GtkWidget Ptr\n";
  out_ += "For dlgforge_arg As Long = 1 To __FB_ARGC__ - 1\n";
  out_ +=
      "  Dim dlgforge_window As GtkWidget Ptr = "
      "dlgforge_dialog_named(Command(dlgforge_arg))\n";
  out_ += "  If dlgforge_window = NULL Then\n";
  out_ += "    Print \"no dialog named \"; Command(dlgforge_arg)\n";
  out_ += "    End 2\n";
  out_ += "  End If\n";
  out_ += "  If dlgforge_main = NULL Then dlgforge_main = dlgforge_window\n";
  out_ += "  gtk_widget_show(dlgforge_window)\n";
  out_ += "Next\n";
  out_ += "If dlgforge_main = NULL Then\n";
  if (description_.main_dialog >= 0) {
    const Dialog& dialog = description_.dialogs[description_.main_dialog];
    out_ += "  dlgforge_main = " + dialog.function + "()\n";
  } else if (description_.main_menu >= 0) {
    const MenuBar& bar = description_.menus[description_.main_menu];
    out_ +=
        "  ' The script has menus but no dialog: a window shows the first "
        "menu bar.\n";
    out_ += "  dlgforge_main = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n";
    out_ +=
        "  Dim dlgforge_accels As GtkAccelGroup Ptr = "
        "gtk_accel_group_new()\n";
    out_ +=
        "  gtk_window_add_accel_group(GTK_WINDOW(dlgforge_main), "
        "dlgforge_accels)\n";
    out_ +=
        "  gtk_window_set_default_size(GTK_WINDOW(dlgforge_main), 400, "
        "200)\n";
    out_ += "  gtk_container_add(GTK_CONTAINER(dlgforge_main), " +
            bar.function + "(dlgforge_accels))\n";
    out_ +=
        "  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dlgforge_main)))\n";
  } else {
    out_ += "  ' The script has no dialog and no menu: nothing to show.\n";
    out_ += "  End 0\n";
  }
  out_ += "  gtk_widget_show(dlgforge_main)\n";
  out_ += "End If\n";
  out_ +=
      "g_signal_connect(dlgforge_main, \"destroy\", "
      "G_CALLBACK(@gtk_main_quit), NULL)\n";
  out_ += "gtk_main()\n\n";
}

void FbProgramPrinter::handler_bodies() {
  out_ += "' ---- Handlers: one per interactive widget, for your code.\n\n";
  for (const Dialog& dialog : description_.dialogs) {
    for (const Widget& widget : dialog.widgets) {
      if (widget.handler.empty()) {
        continue;
      }
      out_ += "' " + widget.name.substr(0) + " " + comment_for(widget.signal) +
              ".\n";
      out_ += "Sub " + widget.handler + " cdecl " + parameters(widget.signal) +
              "\nEnd Sub\n\n";
    }
  }
  for (const MenuBar& bar : description_.menus) {
    menu_handler_bodies(bar.items);
  }
}

void FbProgramPrinter::menu_handler_bodies(
    const std::vector<MenuEntry>& items) {
  for (const MenuEntry& entry : items) {
    if (!entry.handler.empty()) {
      out_ += "' The menu item " + fb_comment(entry.text) + " " +
              comment_for(Signal::Activate) + ".\n";
      out_ += "Sub " + entry.handler + " cdecl " +
              parameters(Signal::Activate) + "\nEnd Sub\n\n";
    }
    menu_handler_bodies(entry.items);
  }
}

std::string FbProgramPrinter::fb_comment(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return out;
}

void FbProgramPrinter::entry(const Widget& widget) {
  const std::string& name = widget.name;
  if (!widget.text.empty()) {
    out_ += "  gtk_entry_set_text(GTK_ENTRY(" + name + "), " +
            fb_string(widget.text) + ")\n";
  }
  if (widget.password) {
    out_ += "  gtk_entry_set_visibility(GTK_ENTRY(" + name + "), FALSE)\n";
  }
  if (!widget.editable) {
    out_ += "  gtk_editable_set_editable(GTK_EDITABLE(" + name + "), FALSE)\n";
  }
  if (widget.xalign != 0.0f) {
    out_ += "  gtk_entry_set_alignment(GTK_ENTRY(" + name + "), " +
            number(widget.xalign) + ")\n";
  }
  std::string_view filter =
      widget.digits_only                        ? "dlgforge_keep_digits"
      : widget.letter_case == LetterCase::Upper ? "dlgforge_keep_upper"
      : widget.letter_case == LetterCase::Lower ? "dlgforge_keep_lower"
                                                : "";
  if (!filter.empty()) {
    out_ += "  g_signal_connect(" + name + ", \"changed\", G_CALLBACK(@" +
            std::string(filter) + "), NULL)\n";
  }
}

}  // namespace

std::string write_freebasic(const Description& description,
                            const WriterOptions& options) {
  return FbProgramPrinter(description, options, gtk2::program_spelling())
      .print();
}

std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options) {
  return FbProgramPrinter(description, options, gtk3::program_spelling())
      .print();
}

}  // namespace dlgforge::port
