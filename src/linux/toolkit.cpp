#include "linux/toolkit.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>

#include "linux/font_measurer.h"

namespace dlgforge {
namespace {

// The few toolkit functions the converter calls, looked up in the library
// once it is loaded.
using DisableSetlocale = void (*)();
using InitCheck = int (*)(int*, char***);
using ScreenGetDefault = void* (*)();
using ScreenGetResolution = double (*)(void*);

template <typename Function>
Function lookup(void* library, const char* name) {
  return reinterpret_cast<Function>(::dlsym(library, name));
}

}  // namespace

int32_t start_toolkit() {
  // The toolkit's X11 backend finds its display only through DISPLAY; without
  // it initialisation fails for sure, so the libraries are not even loaded.
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    return 0;
  }
  // The library stays loaded for the rest of the run: a started toolkit
  // cannot be unloaded.
  void* gtk = ::dlopen("libgtk-x11-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
  if (gtk == nullptr) {
    return 0;
  }
  auto disable_setlocale =
      lookup<DisableSetlocale>(gtk, "gtk_disable_setlocale");
  auto init_check = lookup<InitCheck>(gtk, "gtk_init_check");
  auto screen_get_default =
      lookup<ScreenGetDefault>(gtk, "gdk_screen_get_default");
  auto screen_get_resolution =
      lookup<ScreenGetResolution>(gtk, "gdk_screen_get_resolution");
  if (!disable_setlocale || !init_check || !screen_get_default ||
      !screen_get_resolution) {
    return 0;
  }
  // GTK start-up would switch the C library to the user's locale, while
  // every character test of the converter follows the "C" locale.
  disable_setlocale();
  // gtk_init would end the process without a display (a server, CI);
  // gtk_init_check just reports it.
  if (!init_check(nullptr, nullptr)) {
    return 0;
  }
  void* screen = screen_get_default();
  if (screen == nullptr) {
    return 0;
  }
  double resolution = screen_get_resolution(screen);
  if (!(resolution > 0) || resolution > 1e6) {
    return 0;
  }
  return static_cast<int32_t>(std::lround(resolution));
}

DisplayMeasurer::DisplayMeasurer(std::optional<int32_t> dpi) : dpi_(dpi) {}

DisplayMeasurer::~DisplayMeasurer() = default;

DialogBaseUnits DisplayMeasurer::measure_dialog_base_units(
    int32_t font_size, std::string_view font_face) {
  if (!fonts_) {
    int32_t dpi = dpi_ ? *dpi_ : measuring_dpi(start_toolkit());
    fonts_ = std::make_unique<FontconfigMeasurer>(dpi);
  }
  return fonts_->measure_dialog_base_units(font_size, font_face);
}

bool DisplayMeasurer::used_fallback_units() const {
  return fonts_ && fonts_->used_fallback_units();
}

}  // namespace dlgforge
