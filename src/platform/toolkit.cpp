#include "platform/toolkit.h"

#include <cmath>
#include <gtk/gtk.h>

namespace dlgforge {

int32_t start_toolkit() {
  // GTK start-up would switch the C library to the user's locale, while
  // every character test of the converter follows the "C" locale.
  gtk_disable_setlocale();
  // gtk_init would end the process without a display (a server, CI);
  // gtk_init_check just reports it.
  if (!gtk_init_check(nullptr, nullptr)) {
    return 0;
  }
  GdkScreen* screen = gdk_screen_get_default();
  if (screen == nullptr) {
    return 0;
  }
  double resolution = gdk_screen_get_resolution(screen);
  if (!(resolution > 0) || resolution > 1e6) {
    return 0;
  }
  return static_cast<int32_t>(std::lround(resolution));
}

}  // namespace dlgforge
