// The GTK+ 2 decisions every GTK back end of port mode shares: which GTK
// class each widget kind becomes, how a widget is placed on the dialog's
// area in pixels, the stock images, colours and the control style. The
// FreeBASIC writer prints these choices into the program; the live preview
// performs them; neither decides them on its own.
#pragma once

#include <string_view>

#include "port/widgets/description.h"

namespace dlgforge::port::gtk2 {

/// The GTK class a widget is created as ("GtkButton", "GtkHScrollbar"),
/// the class gtk_widget_get_type names at run time.
std::string_view widget_type(const Widget& widget);

/// Widgets that are put inside a GtkScrolledWindow with a sunken frame;
/// the scrolled window is what gets placed.
bool in_scrolled_window(WidgetKind kind);

/// A combo box's height in the script includes its dropped-down list; on
/// screen it is as high as its edit field: the font's height (the vertical
/// base unit) plus this many pixels of border and padding.
inline constexpr int kComboFieldPadding = 8;

/// Where a widget goes on its dialog's area and the size it asks for.
struct Placement {
  int x = 0, y = 0;
  /// False when the script gives no size: the widget keeps its natural
  /// size, as an icon without a size gets its own.
  bool sized = false;
  int width = 0, height = 0;
};

/// The placement of a widget for base units `bx`, `by`: each of x, y, cx,
/// cy turned into pixels on its own, as the dialog manager does, then
/// sized as the dialog manager sizes the control (its `sizing`).
Placement place(const Widget& widget, int bx, int by);

/// A list box's height in pixels once the dialog manager has made it as
/// high as its whole rows (`border` pixels above and below them).
int whole_rows_height(int height, int border);

/// The size of a dialog's area for its controls: its client area, which
/// the window's own scroll bars take from.
struct AreaSize {
  int width = 0, height = 0;
};
AreaSize area_size(const Dialog& dialog, int bx, int by);

/// The stock image standing in for an icon or bitmap ("gtk-dialog-info").
std::string_view stock_id(StockImage stock);

/// The letters whose average width is the horizontal base unit.
inline constexpr std::string_view kUnitSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

/// The base units from the pixel size of `kUnitSample` in the dialog's
/// font: the average letter width rounded to the nearest pixel, and the
/// font's height.
struct BaseUnits {
  int x = 0, y = 0;
};
BaseUnits units_from_sample(int sample_width, int sample_height);

/// The pixel size Windows gives a dialog font: its point size at the
/// screen's resolution (96 when the screen gives none), rounded.
int font_pixels(int points, double resolution);

/// The font's families as one Pango family list ("Tahoma,Liberation Sans").
std::string family_list(const FontRequest& font);

/// The name every dialog window gets, which the control style applies to.
inline constexpr std::string_view kDialogWindowName = "dlgforge-dialog";

/// The GTK resource text that makes dialog controls as compact as Windows
/// ones: GTK's default theme puts focus padding, inner borders and a
/// default-button border around a button's text that a 14-unit Windows
/// button has no room for; check boxes keep the Windows gap between the box
/// and the text. With it, both back ends set the screen's font options to
/// full hinting with hinted metrics, as Windows draws dialog text: whole-
/// pixel advances keep text widths close to Windows'.
inline constexpr std::string_view kControlStyle =
    "style \"dlgforge-controls\" {\n"
    "  GtkWidget::focus-padding = 0\n"
    "  GtkWidget::focus-line-width = 1\n"
    "  GtkButton::inner-border = {0, 0, 0, 0}\n"
    "  GtkButton::default-border = {0, 0, 0, 0}\n"
    "  GtkButton::default-outside-border = {0, 0, 0, 0}\n"
    "  GtkCheckButton::indicator-spacing = 1\n"
    "}\n"
    "widget \"dlgforge-dialog.*\" style \"dlgforge-controls\"\n";

/// Where Debian's fonts-wine puts Wine's Tahoma, which fontconfig does not
/// search by itself.
inline constexpr std::string_view kWineFontsDir = "/usr/share/wine/fonts";

}  // namespace dlgforge::port::gtk2
