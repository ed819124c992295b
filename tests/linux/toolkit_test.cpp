#include "linux/toolkit.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "linux/font_measurer.h"

namespace dlgforge {
namespace {

// Starts the toolkit with a user's environment that asks for another locale.
int32_t start_toolkit_in_c_utf8() {
  ::setenv("LC_ALL", "C.UTF-8", 1);
  int32_t dpi = start_toolkit();
  ::unsetenv("LC_ALL");
  return dpi;
}

TEST(Toolkit, WithoutADisplayNothingStarts) {
  const char* display = std::getenv("DISPLAY");
  std::string saved = display != nullptr ? display : "";
  ::unsetenv("DISPLAY");
  EXPECT_EQ(start_toolkit_in_c_utf8(), 0);
  if (display != nullptr) {
    ::setenv("DISPLAY", saved.c_str(), 1);
  }
  EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), "C");
}

// CTest runs this one on a virtual X display (the toolkit_on_xvfb test), so
// that the toolkit really starts: only then could its start-up switch the
// C library to the user's locale.
TEST(ToolkitOnDisplay, StartingKeepsTheCLocale) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    GTEST_SKIP() << "needs an X display; run it under xvfb-run";
  }
  EXPECT_GE(start_toolkit_in_c_utf8(), 0);
  // The toolkit is loaded and has opened the display. (Its resolution may
  // still be unset: a bare X server has no settings daemon to give one.)
  void* gtk = ::dlopen("libgtk-x11-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(gtk, nullptr) << "the toolkit was not loaded";
  auto default_display =
      reinterpret_cast<void* (*)()>(::dlsym(gtk, "gdk_display_get_default"));
  ASSERT_NE(default_display, nullptr);
  EXPECT_NE(default_display(), nullptr)
      << "the toolkit did not start on display " << display;
  ::dlclose(gtk);
  // The converter's character tests must still follow "C".
  EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), "C");
}

TEST(Toolkit, ResolutionFallsBackTo96) {
  EXPECT_EQ(measuring_dpi(0), 96);
  EXPECT_EQ(measuring_dpi(-5), 96);
  EXPECT_EQ(measuring_dpi(120), 120);
}

TEST(DisplayMeasurer, MeasuresLikeTheFontMeasurerAtTheGivenResolution) {
  DisplayMeasurer display(144);
  FontconfigMeasurer fonts(144);
  EXPECT_EQ(display.measure_dialog_base_units(8, "MS Shell Dlg"),
            fonts.measure_dialog_base_units(8, "MS Shell Dlg"));
  EXPECT_EQ(display.measure_dialog_base_units(10, "Arial"),
            fonts.measure_dialog_base_units(10, "Arial"));
  EXPECT_FALSE(display.used_fallback_units());
}

}  // namespace
}  // namespace dlgforge
