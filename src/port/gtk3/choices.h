// The GTK 3 decisions of port mode: the icons standing in for images, the
// font of a dialog written as CSS, and the style sheet that makes GTK 3's
// controls as compact as Windows ones. The GTK 3 FreeBASIC writer prints
// these choices into the program; the GTK+ 2 ones live in port/gtk2.
#pragma once

#include <string>
#include <string_view>

#include "port/widgets/description.h"

namespace dlgforge::port::gtk3 {

/// The themed icon standing in for an icon or bitmap ("dialog-information"),
/// as GTK+ 2's stock image does.
std::string_view icon_name(StockImage stock);

/// The size of those icons in pixels, that of GTK+ 2's stock images at
/// GTK_ICON_SIZE_DND: asked for explicitly, as an icon theme may have an
/// icon only in a larger size (Debian's Adwaita has dialog-information at
/// 48 pixels), which GTK 3 would otherwise show as it is.
inline constexpr int kIconPixels = 32;

/// The font's families as a CSS list: `"Tahoma", "Liberation Sans"`.
std::string css_families(const FontRequest& font);

/// The font's weight as CSS accepts it: a multiple of 100 from 100 to 900.
int css_weight(const FontRequest& font);

/// The name every dialog window gets, which the control style applies to.
inline constexpr std::string_view kDialogWindowName = "dlgforge-dialog";

/// A combo box is as high as its edit field: the font's height plus this
/// many pixels, as in the GTK+ 2 program.
inline constexpr int kComboFieldPadding = 8;

/// The style sheet that makes dialog controls as compact as Windows ones,
/// and as the GTK+ 2 program's. GTK 3's default theme gives buttons, entries,
/// combo boxes and spin buttons a minimum height and padding that a 14-unit
/// Windows control has no room for; a control asked to be smaller would grow
/// past its place and the window with it. Check and radio boxes keep their
/// indicator but lose the theme's outer spacing, as in the GTK+ 2 program.
/// A scroll bar's thumb may be as short as a Windows one, so that a small
/// list or multi-line field is not taller than its place.
inline constexpr std::string_view kControlStyle =
    "#dlgforge-dialog button, #dlgforge-dialog entry,\n"
    "#dlgforge-dialog spinbutton, #dlgforge-dialog combobox,\n"
    "#dlgforge-dialog scrollbar, #dlgforge-dialog scale,\n"
    "#dlgforge-dialog progressbar, #dlgforge-dialog notebook,\n"
    "#dlgforge-dialog calendar, #dlgforge-dialog label {\n"
    "  min-height: 0; min-width: 0;\n"
    "}\n"
    "#dlgforge-dialog button { padding: 0 2px; }\n"
    "#dlgforge-dialog entry { padding: 0 2px; }\n"
    "#dlgforge-dialog spinbutton button { padding: 0; }\n"
    "#dlgforge-dialog checkbutton, #dlgforge-dialog radiobutton {\n"
    "  padding: 0;\n"
    "}\n"
    "#dlgforge-dialog check, #dlgforge-dialog radio { margin: 0 4px 0 0; }\n"
    "#dlgforge-dialog scrollbar.vertical slider { min-height: 8px; }\n"
    "#dlgforge-dialog scrollbar.horizontal slider { min-width: 8px; }\n";

}  // namespace dlgforge::port::gtk3
