#include "port/gtk2/choices.h"

#include <cmath>

#include "port/widgets/geometry.h"

namespace dlgforge::port::gtk2 {

std::string_view widget_type(const Widget& widget) {
  switch (widget.kind) {
  case WidgetKind::Button:
    return "GtkButton";
  case WidgetKind::ToggleButton:
    return "GtkToggleButton";
  case WidgetKind::CheckButton:
    return "GtkCheckButton";
  case WidgetKind::RadioButton:
    return "GtkRadioButton";
  case WidgetKind::GroupBox:
  case WidgetKind::OutlineBox:
  case WidgetKind::Custom:
    return "GtkFrame";
  case WidgetKind::Label:
  case WidgetKind::LinkLabel:
    return "GtkLabel";
  case WidgetKind::Separator:
    return widget.vertical ? "GtkVSeparator" : "GtkHSeparator";
  case WidgetKind::FilledBox:
    return "GtkEventBox";
  case WidgetKind::Image:
    return "GtkImage";
  case WidgetKind::Entry:
    return "GtkEntry";
  case WidgetKind::TextView:
    return "GtkTextView";
  case WidgetKind::ListBox:
  case WidgetKind::ListView:
    return "GtkTreeView";
  case WidgetKind::ComboBox:
    return "GtkComboBox";
  case WidgetKind::ComboBoxEntry:
    return "GtkComboBoxEntry";
  case WidgetKind::ScrollBar:
    return widget.vertical ? "GtkVScrollbar" : "GtkHScrollbar";
  case WidgetKind::Slider:
    return widget.vertical ? "GtkVScale" : "GtkHScale";
  case WidgetKind::ProgressBar:
    return "GtkProgressBar";
  case WidgetKind::SpinButton:
    return "GtkSpinButton";
  case WidgetKind::Notebook:
    return "GtkNotebook";
  case WidgetKind::Calendar:
    return "GtkCalendar";
  }
  return "GtkWidget";
}

bool in_scrolled_window(WidgetKind kind) {
  return kind == WidgetKind::TextView || kind == WidgetKind::ListBox ||
         kind == WidgetKind::ListView;
}

Placement place(const Widget& widget, int bx, int by) {
  PixelRect pixels = to_pixels(widget.rect, bx, by);
  Placement placement{pixels.x, pixels.y, false, 0, 0};
  switch (widget.sizing) {
  case Sizing::Icon:
    return {pixels.x, pixels.y, true, kIconPixels, kIconPixels};
  case Sizing::Picture:
    return {pixels.x, pixels.y, true, widget.picture_width,
            widget.picture_height};
  case Sizing::FieldHeight:
    if (widget.rect.cx > 0) {
      placement = {pixels.x, pixels.y, true, pixels.width,
                   by + kComboFieldPadding};
    }
    return placement;
  case Sizing::WholeRows:
    pixels.height = whole_rows_height(pixels.height, widget.row_border);
    break;
  case Sizing::Script:
    break;
  }
  if (widget.rect.cx > 0 && widget.rect.cy > 0) {
    placement = {pixels.x, pixels.y, true, pixels.width - widget.trim_right,
                 pixels.height};
  }
  return placement;
}

int whole_rows_height(int height, int border) {
  int rows = height - 2 * border;
  if (rows > kSystemRowPixels && rows % kSystemRowPixels != 0) {
    height -= rows % kSystemRowPixels;
  }
  return height;
}

AreaSize area_size(const Dialog& dialog, int bx, int by) {
  return {mul_div(dialog.rect.cx, bx, 4) -
              (dialog.vertical_scroll ? kScrollBarPixels : 0),
          mul_div(dialog.rect.cy, by, 8) -
              (dialog.horizontal_scroll ? kScrollBarPixels : 0)};
}

std::string_view stock_id(StockImage stock) {
  return stock == StockImage::Picture ? "gtk-missing-image" : "gtk-dialog-info";
}

BaseUnits units_from_sample(int sample_width, int sample_height) {
  return {(sample_width / 26 + 1) / 2, sample_height};
}

int font_pixels(int points, double resolution) {
  if (resolution <= 0) {
    resolution = 96;
  }
  // The program rounds the resolution as FreeBASIC's CLng does: to the
  // nearest integer, halves to even.
  return mul_div(points, static_cast<int>(std::nearbyint(resolution)), 72);
}

std::string family_list(const FontRequest& font) {
  std::string families;
  for (const std::string& family : font.families) {
    families += (families.empty() ? "" : ",") + family;
  }
  return families;
}

}  // namespace dlgforge::port::gtk2
