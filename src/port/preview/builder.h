// The GTK+ 2 back end of port mode: performs the widget description through
// GTK, building the same windows, widgets and menus that the program the
// FreeBASIC writer prints builds when it runs. Linked only into the preview
// helper, never into dlgforge itself.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "platform/base_units.h"
#include "port/widgets/description.h"

namespace dlgforge::port::preview {

/// What GTK settings a port program makes once, before its first window:
/// Wine's fonts made visible and the compact control style.
void prepare_toolkit();

/// Builds dialog `index` of the description into `window` (a toplevel or
/// an offscreen window), as the program's dialog function does. `units`
/// fixes the base units; without them the dialog's font is measured.
/// Returns the units used.
DialogBaseUnits build_dialog(const Description& description, int index,
                             GtkWidget* window,
                             std::optional<DialogBaseUnits> units);

/// Builds a menu bar, its accelerators added to `accels`.
GtkWidget* build_menu_bar(const MenuBar& bar, GtkAccelGroup* accels);

/// A toolbar as the program builds it: its buttons, separators and
/// tooltips.
GtkWidget* build_toolbar(const Description& description, int toolbar);

}  // namespace dlgforge::port::preview
