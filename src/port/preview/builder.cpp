#include "port/preview/builder.h"

#include <fontconfig/fontconfig.h>
#include <gdk/gdkkeysyms.h>
#include <hb-ot.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "port/gtk2/choices.h"
#include "port/widgets/geometry.h"

namespace dlgforge::port::preview {
namespace {

// The handlers of the preview do nothing: a signal is connected only so
// that each widget has the connections the program gives it.
void ignore_signal() {}

gboolean escape_closes(GtkWidget* window, GdkEventKey* event, gpointer) {
  if (event->keyval != GDK_KEY_Escape) {
    return FALSE;
  }
  gtk_widget_destroy(window);
  return TRUE;
}

gboolean close_closes(GtkWidget*, GdkEvent*, gpointer) {
  return FALSE;
}

GtkWidget* scrolled(GtkWidget* child) {
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller),
                                 GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller),
                                      GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scroller), child);
  return scroller;
}

// A list or combo box's first items, as the program adds them.
void add_items(GtkWidget* made, const std::vector<std::string>& items) {
  GtkTreeModel* model = nullptr;
  if (GTK_IS_TREE_VIEW(made)) {
    model = gtk_tree_view_get_model(GTK_TREE_VIEW(made));
  } else if (GTK_IS_COMBO_BOX(made)) {
    model = gtk_combo_box_get_model(GTK_COMBO_BOX(made));
  }
  if (model == nullptr || !GTK_IS_LIST_STORE(model)) {
    return;
  }
  for (const std::string& item : items) {
    GtkTreeIter position;
    gtk_list_store_insert_with_values(GTK_LIST_STORE(model), &position, -1, 0,
                                      item.c_str(), -1);
  }
}

GtkWidget* list_box(Selection selection) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  GtkWidget* tree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(tree), FALSE);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(tree), -1, "",
                                              gtk_cell_renderer_text_new(),
                                              "text", 0, nullptr);
  GtkSelectionMode mode = selection == Selection::None ? GTK_SELECTION_NONE
                          : selection == Selection::Multiple
                              ? GTK_SELECTION_MULTIPLE
                              : GTK_SELECTION_SINGLE;
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)),
                              mode);
  return tree;
}

GtkWidget* filled_box(Shade shade) {
  GtkWidget* box = gtk_event_box_new();
  GdkColor colour;
  gdk_color_parse(std::string(shade_colour(shade)).c_str(), &colour);
  gtk_widget_modify_bg(box, GTK_STATE_NORMAL, &colour);
  return box;
}

// Edit fields that keep one letter case or digits only: the text is put
// right after each change, the cursor kept where it was.
void keep_text(GtkEditable* editable, gchar* changed) {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(editable));
  if (g_strcmp0(changed, text) != 0) {
    int position = gtk_editable_get_position(editable);
    int lost =
        static_cast<int>(g_utf8_strlen(text, -1) - g_utf8_strlen(changed, -1));
    gtk_entry_set_text(GTK_ENTRY(editable), changed);
    gtk_editable_set_position(editable, position - lost);
  }
  g_free(changed);
}

void keep_upper(GtkEditable* editable, gpointer) {
  keep_text(editable,
            g_utf8_strup(gtk_entry_get_text(GTK_ENTRY(editable)), -1));
}

void keep_lower(GtkEditable* editable, gpointer) {
  keep_text(editable,
            g_utf8_strdown(gtk_entry_get_text(GTK_ENTRY(editable)), -1));
}

void keep_digits(GtkEditable* editable, gpointer) {
  std::string digits;
  for (const char* c = gtk_entry_get_text(GTK_ENTRY(editable)); *c; ++c) {
    if (*c >= '0' && *c <= '9') {
      digits += *c;
    }
  }
  keep_text(editable, g_strdup(digits.c_str()));
}

void apply_font(GtkWidget* widget, gpointer font) {
  gtk_widget_modify_font(widget, static_cast<PangoFontDescription*>(font));
  if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), apply_font, font);
  }
}

// A menu item's accelerator text that names no key GTK knows, shown at
// the right of the item.
void accel_text(GtkWidget* item, const std::string& text) {
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
  g_object_ref(label);
  gtk_container_remove(GTK_CONTAINER(item), label);
  GtkWidget* box = gtk_hbox_new(FALSE, 12);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  g_object_unref(label);
  GtkWidget* accel = gtk_label_new(text.c_str());
  gtk_misc_set_alignment(GTK_MISC(accel), 1, 0.5);
  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(item), box);
}

void add_accelerator(GtkWidget* item, const MenuEntry& entry,
                     GtkAccelGroup* accels) {
  if (entry.accel_key.empty() && entry.accel_text.empty()) {
    return;
  }
  if (entry.accel_key.empty()) {
    accel_text(item, entry.accel_text);
    return;
  }
  unsigned modifiers = (entry.accel_control ? GDK_CONTROL_MASK : 0) |
                       (entry.accel_shift ? GDK_SHIFT_MASK : 0) |
                       (entry.accel_alt ? GDK_MOD1_MASK : 0);
  gtk_widget_add_accelerator(
      item, "activate", accels, gdk_keyval_from_name(entry.accel_key.c_str()),
      static_cast<GdkModifierType>(modifiers), GTK_ACCEL_VISIBLE);
}

class MenuBuilder {
 public:
  explicit MenuBuilder(GtkAccelGroup* accels) : accels_(accels) {}

  void items(const std::vector<MenuEntry>& entries, GtkWidget* shell) {
    for (const MenuEntry& entry : entries) {
      const char* text = entry.text.c_str();
      GtkWidget* item = nullptr;
      switch (entry.kind) {
      case MenuEntry::Kind::Separator:
        item = gtk_separator_menu_item_new();
        break;
      case MenuEntry::Kind::Submenu:
      case MenuEntry::Kind::Item:
        item = gtk_menu_item_new_with_mnemonic(text);
        break;
      case MenuEntry::Kind::Check:
        item = gtk_check_menu_item_new_with_mnemonic(text);
        break;
      case MenuEntry::Kind::Radio:
        if (entry.starts_group || radio_first_ == nullptr) {
          item = gtk_radio_menu_item_new_with_mnemonic(nullptr, text);
          radio_first_ = item;
        } else {
          item = gtk_radio_menu_item_new_with_mnemonic_from_widget(
              GTK_RADIO_MENU_ITEM(radio_first_), text);
        }
        break;
      }
      gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
      if (entry.kind == MenuEntry::Kind::Separator) {
        continue;
      }
      if (entry.active && (entry.kind == MenuEntry::Kind::Check ||
                           entry.kind == MenuEntry::Kind::Radio)) {
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
      }
      if (!entry.sensitive) {
        gtk_widget_set_sensitive(item, FALSE);
      }
      add_accelerator(item, entry, accels_);
      if (!entry.tooltip.empty()) {
        gtk_widget_set_tooltip_text(item, entry.tooltip.c_str());
      }
      if (entry.kind != MenuEntry::Kind::Submenu) {
        g_signal_connect(item, "activate", G_CALLBACK(ignore_signal), nullptr);
      }
      if (entry.kind == MenuEntry::Kind::Submenu) {
        GtkWidget* inner = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), inner);
        items(entry.items, inner);
      }
    }
  }

 private:
  GtkAccelGroup* accels_;
  GtkWidget* radio_first_ = nullptr;
};

// One dialog being built: the widgets made so far, in script order, and
// the first radio button of each group.
// A picture file's bytes as a pixbuf of `width` x `height`, as the program
// loads the file; null when they cannot be loaded.
GdkPixbuf* picture_pixbuf(const PictureFile& file, int width, int height) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  bool written = gdk_pixbuf_loader_write(
      loader, reinterpret_cast<const guchar*>(file.bytes.data()),
      file.bytes.size(), nullptr);
  // Closed in any case: a loader must not be dropped open.
  bool loaded = gdk_pixbuf_loader_close(loader, nullptr) && written;
  GdkPixbuf* pixbuf = loaded ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  GdkPixbuf* scaled =
      pixbuf == nullptr
          ? nullptr
          : gdk_pixbuf_scale_simple(pixbuf, width, height, GDK_INTERP_BILINEAR);
  g_object_unref(loader);
  return scaled;
}

// The application's icon on a window, small and large.
void window_icon(const Description& description, GtkWidget* window) {
  GList* icons = nullptr;
  const std::pair<int, int> sizes[] = {{description.icon_small, 16},
                                       {description.icon_large, kIconPixels}};
  for (const auto& [index, pixels] : sizes) {
    GdkPixbuf* icon =
        index < 0 ? nullptr
                  : picture_pixbuf(description.pictures[index], pixels, pixels);
    if (icon != nullptr) {
      icons = g_list_append(icons, icon);
    }
  }
  if (icons != nullptr) {
    gtk_window_set_icon_list(GTK_WINDOW(window), icons);
  }
  g_list_free_full(icons, g_object_unref);
}

class DialogBuilder {
 public:
  DialogBuilder(const Dialog& dialog, DialogBaseUnits units, GtkWidget* area)
      : dialog_(dialog), units_(units), area_(area) {}

  void build() {
    for (const Widget& widget : dialog_.widgets) {
      GtkWidget* made = create(widget);
      add_items(made, widget.items);
      made_.push_back(made);
      placed_.push_back(gtk2::in_scrolled_window(widget.kind) ? scrolled(made)
                                                              : made);
      finish_widget(widget, made, placed_.back());
    }
  }

  // The script's pictures in the images that name one; a picture that
  // cannot be loaded leaves the stock image.
  void show_pictures(const std::vector<PictureFile>& files) {
    const std::vector<Widget>& widgets = dialog_.widgets;
    for (size_t i = 0; i < widgets.size(); ++i) {
      const Widget& widget = widgets[i];
      GdkPixbuf* pixbuf =
          widget.picture < 0
              ? nullptr
              : picture_pixbuf(files[widget.picture], widget.picture_width,
                               widget.picture_height);
      if (pixbuf != nullptr) {
        gtk_image_set_from_pixbuf(GTK_IMAGE(made_[i]), pixbuf);
        g_object_unref(pixbuf);
      }
    }
  }

  // Mnemonic targets, focus order, font, and what must come after the
  // widgets are shown.
  void finish(GtkWidget* window, PangoFontDescription* font) {
    const std::vector<Widget>& widgets = dialog_.widgets;
    for (size_t i = 0; i < widgets.size(); ++i) {
      if (widgets[i].mnemonic_target >= 0) {
        gtk_label_set_mnemonic_widget(GTK_LABEL(made_[i]),
                                      made_[widgets[i].mnemonic_target]);
      }
    }
    GList* chain = nullptr;
    for (size_t i = 0; i < widgets.size(); ++i) {
      if (widgets[i].focusable) {
        chain = g_list_append(chain, placed_[i]);
      }
    }
    gtk_container_set_focus_chain(GTK_CONTAINER(area_), chain);
    g_list_free(chain);
    apply_font(area_, font);
    gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(window)));
    for (size_t i = 0; i < widgets.size(); ++i) {
      if (!widgets[i].visible) {
        gtk_widget_hide(placed_[i]);
      }
      if (widgets[i].is_default) {
        gtk_widget_set_can_default(made_[i], TRUE);
        gtk_window_set_default(GTK_WINDOW(window), made_[i]);
      }
    }
  }

 private:
  GtkWidget* create(const Widget& widget) {
    const char* text = widget.text.c_str();
    switch (widget.kind) {
    case WidgetKind::Button:
      return gtk_button_new_with_mnemonic(text);
    case WidgetKind::ToggleButton:
      return gtk_toggle_button_new_with_mnemonic(text);
    case WidgetKind::CheckButton:
      return gtk_check_button_new_with_mnemonic(text);
    case WidgetKind::RadioButton:
      return radio_button(widget);
    case WidgetKind::GroupBox: {
      GtkWidget* frame = gtk_frame_new(nullptr);
      if (!widget.text.empty()) {
        gtk_frame_set_label_widget(GTK_FRAME(frame),
                                   gtk_label_new_with_mnemonic(text));
      }
      return frame;
    }
    case WidgetKind::Label: {
      GtkWidget* label = widget.use_mnemonic ? gtk_label_new_with_mnemonic(text)
                                             : gtk_label_new(text);
      label_layout(widget, label);
      return label;
    }
    case WidgetKind::LinkLabel: {
      GtkWidget* label = gtk_label_new(nullptr);
      gtk_label_set_markup(GTK_LABEL(label), text);
      label_layout(widget, label);
      return label;
    }
    case WidgetKind::Separator:
      return widget.vertical ? gtk_vseparator_new() : gtk_hseparator_new();
    case WidgetKind::FilledBox:
      return filled_box(widget.shade);
    case WidgetKind::OutlineBox: {
      GtkWidget* frame = gtk_frame_new(nullptr);
      gtk_frame_set_shadow_type(GTK_FRAME(frame), widget.sunken
                                                      ? GTK_SHADOW_IN
                                                      : GTK_SHADOW_ETCHED_IN);
      return frame;
    }
    case WidgetKind::Image:
      return gtk_image_new_from_stock(
          std::string(gtk2::stock_id(widget.stock)).c_str(), GTK_ICON_SIZE_DND);
    case WidgetKind::Entry:
      return entry(widget);
    case WidgetKind::TextView:
      return text_view(widget);
    case WidgetKind::ListBox:
      return list_box(widget.selection);
    case WidgetKind::ListView:
      return gtk_tree_view_new();
    case WidgetKind::ComboBox:
      return gtk_combo_box_new_text();
    case WidgetKind::ComboBoxEntry:
      return gtk_combo_box_entry_new_text();
    case WidgetKind::ScrollBar:
      return widget.vertical ? gtk_vscrollbar_new(nullptr)
                             : gtk_hscrollbar_new(nullptr);
    case WidgetKind::Slider: {
      GtkWidget* scale = widget.vertical ? gtk_vscale_new_with_range(0, 100, 1)
                                         : gtk_hscale_new_with_range(0, 100, 1);
      gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
      return scale;
    }
    case WidgetKind::ProgressBar: {
      GtkWidget* bar = gtk_progress_bar_new();
      if (widget.vertical) {
        gtk_progress_bar_set_orientation(GTK_PROGRESS_BAR(bar),
                                         GTK_PROGRESS_BOTTOM_TO_TOP);
      }
      return bar;
    }
    case WidgetKind::SpinButton:
      return gtk_spin_button_new_with_range(0, 100, 1);
    case WidgetKind::Notebook:
      return gtk_notebook_new();
    case WidgetKind::Calendar:
      return gtk_calendar_new();
    case WidgetKind::Custom:
      return gtk_frame_new(text);
    }
    return gtk_label_new(text);
  }

  GtkWidget* radio_button(const Widget& widget) {
    const char* text = widget.text.c_str();
    auto first = radio_first_.find(widget.radio_group);
    if (widget.starts_group || first == radio_first_.end()) {
      // A hidden member holds the group's check: nothing checked at first.
      GtkWidget* button = gtk_radio_button_new_with_mnemonic_from_widget(
          GTK_RADIO_BUTTON(gtk_radio_button_new(nullptr)), text);
      radio_first_[widget.radio_group] = button;
      return button;
    }
    return gtk_radio_button_new_with_mnemonic_from_widget(
        GTK_RADIO_BUTTON(first->second), text);
  }

  static void label_layout(const Widget& widget, GtkWidget* label) {
    gtk_misc_set_alignment(GTK_MISC(label), widget.xalign, widget.yalign);
    if (widget.xalign != 0.0f) {
      gtk_label_set_justify(GTK_LABEL(label), widget.xalign == 1.0f
                                                  ? GTK_JUSTIFY_RIGHT
                                                  : GTK_JUSTIFY_CENTER);
    }
    if (widget.wrap) {
      gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    }
  }

  static GtkWidget* entry(const Widget& widget) {
    GtkWidget* field = gtk_entry_new();
    if (!widget.text.empty()) {
      gtk_entry_set_text(GTK_ENTRY(field), widget.text.c_str());
    }
    if (widget.password) {
      gtk_entry_set_visibility(GTK_ENTRY(field), FALSE);
    }
    if (!widget.editable) {
      gtk_editable_set_editable(GTK_EDITABLE(field), FALSE);
    }
    if (widget.xalign != 0.0f) {
      gtk_entry_set_alignment(GTK_ENTRY(field), widget.xalign);
    }
    GCallback filter =
        widget.digits_only                        ? G_CALLBACK(keep_digits)
        : widget.letter_case == LetterCase::Upper ? G_CALLBACK(keep_upper)
        : widget.letter_case == LetterCase::Lower ? G_CALLBACK(keep_lower)
                                                  : nullptr;
    if (filter != nullptr) {
      g_signal_connect(field, "changed", filter, nullptr);
    }
    return field;
  }

  static GtkWidget* text_view(const Widget& widget) {
    GtkWidget* view = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD);
    if (!widget.text.empty()) {
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)),
                               widget.text.c_str(), -1);
    }
    if (!widget.editable) {
      gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    }
    return view;
  }

  void finish_widget(const Widget& widget, GtkWidget* made, GtkWidget* placed) {
    gtk2::Placement where = gtk2::place(widget, units_.bx, units_.by);
    gtk_fixed_put(GTK_FIXED(area_), placed, where.x, where.y);
    if (where.sized) {
      gtk_widget_set_size_request(placed, where.width, where.height);
    }
    if (widget.check_on_right && (widget.kind == WidgetKind::CheckButton ||
                                  widget.kind == WidgetKind::RadioButton)) {
      gtk_widget_set_direction(made, GTK_TEXT_DIR_RTL);
    }
    if (!widget.sensitive) {
      gtk_widget_set_sensitive(placed, FALSE);
    }
    for (Notification notification : widget.notifications) {
      gpointer source = made;
      switch (signal_source(notification, widget.kind)) {
      case SignalSource::Buffer:
        source = gtk_text_view_get_buffer(GTK_TEXT_VIEW(made));
        break;
      case SignalSource::Selection:
        source = gtk_tree_view_get_selection(GTK_TREE_VIEW(made));
        break;
      case SignalSource::Widget:
        break;
      }
      g_signal_connect(source, std::string(signal_name(notification)).c_str(),
                       G_CALLBACK(ignore_signal), nullptr);
    }
  }

  const Dialog& dialog_;
  DialogBaseUnits units_;
  GtkWidget* area_;
  std::vector<GtkWidget*> made_;    ///< each widget as created
  std::vector<GtkWidget*> placed_;  ///< what went on the area
  std::unordered_map<int, GtkWidget*> radio_first_;
};

PangoFontDescription* dialog_font(const FontRequest& request) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, gtk2::family_list(request).c_str());
  double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  pango_font_description_set_absolute_size(
      font, gtk2::font_pixels(request.points, resolution) * PANGO_SCALE);
  pango_font_description_set_weight(font,
                                    static_cast<PangoWeight>(request.weight));
  if (request.italic) {
    pango_font_description_set_style(font, PANGO_STYLE_ITALIC);
  }
  return font;
}

// The height GDI gives the font: its Windows ascent and descent (the OS/2
// table's clipping metrics), each rounded at the font's pixel size, as the
// port program computes it; 0 when the font has no such metrics.
int windows_font_height(GtkWidget* reference, PangoFontDescription* font) {
  PangoFont* loaded =
      pango_context_load_font(gtk_widget_get_pango_context(reference), font);
  if (loaded == nullptr) {
    return 0;
  }
  hb_font_t* shaper = pango_font_get_hb_font(loaded);
  hb_position_t ascent = 0, descent = 0;
  int scale_x = 0, scale_y = 0;
  int height = 0;
  if (shaper != nullptr &&
      hb_ot_metrics_get_position(
          shaper, HB_OT_METRICS_TAG_HORIZONTAL_CLIPPING_ASCENT, &ascent) &&
      hb_ot_metrics_get_position(
          shaper, HB_OT_METRICS_TAG_HORIZONTAL_CLIPPING_DESCENT, &descent)) {
    hb_font_get_scale(shaper, &scale_x, &scale_y);
    double pixels = static_cast<double>(pango_font_description_get_size(font)) /
                    PANGO_SCALE;
    if (scale_y > 0) {
      height = static_cast<int>(pixels * ascent / scale_y + 0.5) +
               static_cast<int>(pixels * descent / scale_y + 0.5);
    }
  }
  g_object_unref(loaded);
  return height;
}

DialogBaseUnits measure(GtkWidget* reference, PangoFontDescription* font) {
  PangoLayout* layout = gtk_widget_create_pango_layout(
      reference, std::string(gtk2::kUnitSample).c_str());
  pango_layout_set_font_description(layout, font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  int windows_height = windows_font_height(reference, font);
  gtk2::BaseUnits units = gtk2::units_from_sample(
      width, windows_height > 0 ? windows_height : height);
  return {units.x, units.y};
}

}  // namespace

void prepare_toolkit() {
  FcConfigAppFontAddDir(
      nullptr, reinterpret_cast<const FcChar8*>(gtk2::kWineFontsDir.data()));
  gtk_rc_parse_string(std::string(gtk2::kControlStyle).c_str());
  cairo_font_options_t* hinting = cairo_font_options_create();
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON);
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting);
  cairo_font_options_destroy(hinting);
}

DialogBaseUnits build_dialog(const Description& description, int index,
                             GtkWidget* window,
                             std::optional<DialogBaseUnits> units) {
  const Dialog& dialog = description.dialogs[index];
  gtk_widget_set_name(window, std::string(gtk2::kDialogWindowName).c_str());
  gtk_window_set_title(GTK_WINDOW(window), dialog.title.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window), dialog.resizable);
  PangoFontDescription* font = dialog_font(dialog.font);
  DialogBaseUnits used = units ? *units : measure(window, font);
  GtkWidget* area = gtk_fixed_new();
  gtk2::AreaSize size = gtk2::area_size(dialog, used.bx, used.by);
  gtk_widget_set_size_request(area, size.width, size.height);
  if (dialog.menu >= 0) {
    GtkAccelGroup* accels = gtk_accel_group_new();
    gtk_window_add_accel_group(GTK_WINDOW(window), accels);
    GtkWidget* content = gtk_vbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content),
                       build_menu_bar(description.menus[dialog.menu], accels),
                       FALSE, FALSE, 0);
    if (int toolbar = description.menus[dialog.menu].toolbar; toolbar >= 0) {
      gtk_box_pack_start(GTK_BOX(content), build_toolbar(description, toolbar),
                         FALSE, FALSE, 0);
    }
    gtk_box_pack_start(GTK_BOX(content), area, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), content);
    g_object_unref(accels);
  } else {
    gtk_container_add(GTK_CONTAINER(window), area);
  }
  window_icon(description, window);
  DialogBuilder builder(dialog, used, area);
  builder.build();
  builder.show_pictures(description.pictures);
  builder.finish(window, font);
  pango_font_description_free(font);
  // As in the program, Escape and the close button are the dialog's
  // IDCANCEL, which the preview takes as closing the dialog.
  g_signal_connect(window, "key-press-event", G_CALLBACK(escape_closes),
                   nullptr);
  g_signal_connect(window, "delete-event", G_CALLBACK(close_closes), nullptr);
  return used;
}

GtkWidget* build_menu_bar(const MenuBar& bar, GtkAccelGroup* accels) {
  GtkWidget* shell = gtk_menu_bar_new();
  MenuBuilder(accels).items(bar.items, shell);
  return shell;
}

GtkWidget* build_toolbar(const Description& description, int index) {
  const Toolbar& toolbar = description.toolbars[index];
  GtkWidget* bar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS);
  GdkPixbuf* strip =
      toolbar.picture < 0
          ? nullptr
          : picture_pixbuf(description.pictures[toolbar.picture],
                           toolbar.picture_width, toolbar.picture_height);
  const int wide = toolbar.button_width, high = toolbar.button_height;
  for (const ToolButton& button : toolbar.buttons) {
    GtkToolItem* item = nullptr;
    if (button.separator) {
      item = gtk_separator_tool_item_new();
    } else {
      // As the program cuts it: the light gray of MFC's button face shows
      // through.
      GtkWidget* picture = nullptr;
      if (strip != nullptr && wide > 0 && high > 0 &&
          (button.image + 1) * wide <= gdk_pixbuf_get_width(strip) &&
          high <= gdk_pixbuf_get_height(strip)) {
        GdkPixbuf* part =
            gdk_pixbuf_new_subpixbuf(strip, button.image * wide, 0, wide, high);
        GdkPixbuf* see_through =
            gdk_pixbuf_add_alpha(part, TRUE, 192, 192, 192);
        picture = gtk_image_new_from_pixbuf(see_through);
        g_object_unref(see_through);
        g_object_unref(part);
      } else {
        picture = gtk_image_new_from_icon_name("image-missing",
                                               GTK_ICON_SIZE_SMALL_TOOLBAR);
      }
      item = gtk_tool_button_new(picture, nullptr);
      if (!button.tooltip.empty()) {
        gtk_widget_set_tooltip_text(GTK_WIDGET(item), button.tooltip.c_str());
      }
      g_signal_connect(item, "clicked", G_CALLBACK(ignore_signal), nullptr);
    }
    gtk_toolbar_insert(GTK_TOOLBAR(bar), item, -1);
  }
  if (strip != nullptr) {
    g_object_unref(strip);
  }
  return bar;
}

}  // namespace dlgforge::port::preview
