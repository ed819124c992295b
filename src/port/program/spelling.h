// What a FreeBASIC port program spells differently for each toolkit. The
// program's printer (port/writer) writes everything once and asks this
// table wherever GTK+ 2 and GTK 3 differ; port/gtk2 and port/gtk3 each fill
// one. Every member names both toolkits' spelling, so that one place shows
// a difference whole. A new widget kind or behaviour is one change in the
// printer plus, where the toolkits differ, one member here.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "port/widgets/description.h"

namespace dlgforge::port {

/// A named part of the helpers' text.
struct HelperPart {
  std::string_view name;
  std::string_view text;
};

struct ToolkitSpelling {
  // ---- heading

  /// "GTK+ 2, written by dlgforge --port" / "GTK 3, written by dlgforge
  /// --port --gtk3": who rebuilt the dialogs, in the first comment.
  std::string_view written_by;
  /// Lines before the GTK include: none / "#define __USE_GTK3__", which
  /// selects FreeBASIC's GTK 3 binding.
  std::string_view binding;

  // ---- helpers, in the order they are printed

  /// The control style as the program's first lines: GTK+ 2's resource
  /// text is long and becomes a #define; GTK 3's style sheet is passed to
  /// dlgforge_style at start-up instead (empty).
  std::string (*style_definition)();
  /// The statement that applies the style at start-up: "dlgforge_style()"
  /// / "dlgforge_style("<style sheet>")".
  std::string (*style_call)();
  /// The parts of the helpers' text that each toolkit writes its own way,
  /// by the name of their place in it ("{{area_put}}"): how the dialog font
  /// is made, measured and given to every control (a PangoFontDescription
  /// and gtk_widget_modify_font / a style sheet per widget), GTK 3's own Tab
  /// order (it has no focus chain), how a widget is put on the dialog's area
  /// (gtk_fixed_put / gtk_layout_put), GTK 3's narrow entries, the filled
  /// rectangle (gtk_widget_modify_bg / a style sheet), the boxes of menu
  /// accelerator texts, and where dlgforge_style goes.
  std::span<const HelperPart> helper_parts;

  // ---- each dialog

  /// The variable of the dialog's area: "fixed_area" (a GtkFixed) /
  /// "dialog_area" (a GtkLayout, which keeps the dialog's size whatever its
  /// controls ask for and clips them at its edges, as Windows does).
  std::string_view area;
  std::string_view new_area;
  /// GTK 3 measures the base units in the font GTK gives the area, so the
  /// area exists before the font; GTK+ 2 makes it after.
  bool area_before_font;
  /// The lines that make `dialog_font` (and give it to the area in GTK 3).
  std::string (*dialog_font)(const FontRequest& font);
  /// The arguments of dlgforge_base_units before the units: "dialog_window,
  /// dialog_font" / "dialog_area, <points>".
  std::string (*units_source)(const FontRequest& font);
  /// A vertical box: "gtk_vbox_new(FALSE, 0)" / "gtk_box_new(GTK_
  /// ORIENTATION_VERTICAL, 0)".
  std::string_view new_vbox;
  /// The list of controls in Tab order, and the lines that hand it to the
  /// area: gtk_container_set_focus_chain / kept on the area for
  /// dlgforge_focus_in_order.
  std::string_view focus_list;
  std::string_view keep_focus_list;
  /// Frees the dialog font once applied: "pango_font_description_free" /
  /// "g_object_unref".
  std::string_view free_font;

  // ---- widgets

  /// The creating call of the widget kinds the toolkits spell apart:
  /// separators, scroll bars and sliders (gtk_hseparator_new /
  /// gtk_separator_new(GTK_ORIENTATION_HORIZONTAL)...), images (a stock
  /// image / a themed icon) and combo boxes (gtk_combo_box_new_text /
  /// gtk_combo_box_text_new). Empty for the kinds spelled alike.
  std::string (*create)(const Widget& widget);
  /// Lines after the creating call: GTK 3 narrows entries and gives icons
  /// their size; a vertical progress bar fills upwards in both.
  std::string (*after_create)(const Widget& widget);
  /// A label's alignment: gtk_misc_set_alignment / gtk_label_set_xalign and
  /// gtk_label_set_yalign.
  std::string (*align_label)(const Widget& widget);
  /// A combo box is as high as its edit field: the font's height plus this
  /// many pixels.
  int combo_field_padding;
};

}  // namespace dlgforge::port
