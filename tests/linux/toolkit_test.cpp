#include "linux/toolkit.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "linux/font_measurer.h"

namespace dlgforge {
namespace {

TEST(Toolkit, StartingKeepsTheCLocale) {
  // The user's environment asks for another locale; the converter's
  // character tests must still follow "C".
  ::setenv("LC_ALL", "C.UTF-8", 1);
  int32_t dpi = start_toolkit();
  ::unsetenv("LC_ALL");
  EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), "C");
  EXPECT_GE(dpi, 0);
  EXPECT_GT(measuring_dpi(dpi), 0);
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
}

}  // namespace
}  // namespace dlgforge
