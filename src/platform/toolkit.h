// Toolkit start-up: the converter initialises GTK+ 2 once and uses nothing
// of it but the display's font resolution.
#pragma once

#include <cstdint>

namespace dlgforge {

/// Initialises the toolkit without touching the C library's locale. A
/// missing display is not an error. Returns the display's font resolution
/// in dots per inch, rounded, or 0 when there is no display or it reports
/// none.
int32_t start_toolkit();

/// The resolution used for measuring fonts: the display's when positive,
/// otherwise 96, the resolution of a standard Windows desktop.
constexpr int32_t measuring_dpi(int32_t display_dpi) {
  return display_dpi > 0 ? display_dpi : 96;
}

}  // namespace dlgforge
