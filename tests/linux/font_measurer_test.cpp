#include "linux/font_measurer.h"

#include <ft2build.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include FT_FREETYPE_H

namespace dlgforge {
namespace {

// "ＭＳ ゴシック" as a Japanese script stores it, in code page 932.
constexpr std::string_view kMsGothicCp932 =
    "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr std::string_view kMsGothicUtf8 =
    "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";

// Cell metrics as Windows reports them: ppem, tmAscent, tmDescent.
struct GdiFigure {
  int32_t h;
  CellMetrics cell;
};
constexpr GdiFigure kTahoma[] = {{12, {10, 10, 2}},
                                 {24, {20, 20, 4}},
                                 {48, {40, 40, 8}},
                                 {192, {159, 159, 33}}};
constexpr GdiFigure kArial120 = {120, {107, 97, 23}};

// The advance of 'A' in whole pixels, rounded up, straight from FreeType.
int32_t advance_of_a(const ChosenFont& font, int32_t ppem) {
  FT_Library library;
  FT_Face face;
  EXPECT_EQ(FT_Init_FreeType(&library), 0);
  EXPECT_EQ(FT_New_Face(library, font.file.c_str(), font.index, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, ppem);
  FT_Load_Char(face, 'A', FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
  int32_t advance = static_cast<int32_t>((face->glyph->advance.x + 63) / 64);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return advance;
}

TEST(CellHeight, PointsToPixels) {
  EXPECT_EQ(cell_height_for(8, 96), 11);
  EXPECT_EQ(cell_height_for(9, 96), 12);
  EXPECT_EQ(cell_height_for(10, 96), 13);
  EXPECT_EQ(cell_height_for(12, 96), 16);
  EXPECT_EQ(cell_height_for(8, 120), 13);
}

TEST(GdiCellMetrics, MatchesWindowsFiguresFromOs2Values) {
  // Tahoma: 2048 units to the em, usWinAscent 2049, usWinDescent 423.
  for (const GdiFigure& figure : kTahoma) {
    EXPECT_EQ(gdi_cell_metrics(2048, 2049, 423, figure.h), figure.cell)
        << "h=" << figure.h;
  }
  // Arial and Liberation Sans: 2048, 1854, 434.
  EXPECT_EQ(gdi_cell_metrics(2048, 1854, 434, kArial120.h), kArial120.cell);
}

TEST(GdiCellMetrics, ShrinksWhenRoundingOverflowsTheCell) {
  // 11 pixels give ppem 11 and 5.5 + 5.5, rounded to 6 + 6 > 11.
  EXPECT_EQ(gdi_cell_metrics(1000, 500, 500, 11), (CellMetrics{10, 5, 5}));
  EXPECT_EQ(gdi_cell_metrics(1000, 500, 500, 10), (CellMetrics{10, 5, 5}));
}

TEST(GdiCellMetrics, DegenerateFontsStillGiveAPositiveSize) {
  EXPECT_EQ(gdi_cell_metrics(2048, 0, 0, 16).ppem, 16);
  EXPECT_GE(gdi_cell_metrics(2048, 30000, 30000, 1).ppem, 1);
  EXPECT_GE(gdi_cell_metrics(0, 1, 1, INT32_MAX).ppem, 1);
}

TEST(FaceNames, DecodesTheScriptsBytes) {
  EXPECT_EQ(face_name_to_utf8("MS Shell Dlg"), "MS Shell Dlg");
  EXPECT_EQ(face_name_to_utf8(kMsGothicUtf8), kMsGothicUtf8);
  EXPECT_EQ(face_name_to_utf8(kMsGothicCp932), kMsGothicUtf8);
  // 0xE9 would open a double-byte character in code page 932.
  EXPECT_EQ(face_name_to_utf8("Caf\xE9"), "Caf\u00E9");
  // An overlong slash is not UTF-8; in code page 932 it is two katakana.
  EXPECT_EQ(face_name_to_utf8("\xC0\xAF"), "\uFF80\uFF6F");
  // 0x81 alone is defined in neither code page.
  EXPECT_EQ(face_name_to_utf8("\x81"), "\u0081");
}

TEST(FaceNames, WindowsOnlyFacesHaveStandIns) {
  ASSERT_EQ(metric_compatible_families("ms SHELL dlg").size(), 1u);
  EXPECT_EQ(metric_compatible_families("ms SHELL dlg")[0], "Tahoma");
  EXPECT_EQ(metric_compatible_families("Arial")[0], "Liberation Sans");
  EXPECT_EQ(metric_compatible_families(kMsGothicUtf8)[0], "IPAGothic");
  EXPECT_EQ(metric_compatible_families("Meiryo UI")[0], "IPAPGothic");
  EXPECT_TRUE(metric_compatible_families("MS Shell").empty());
  EXPECT_TRUE(metric_compatible_families("DejaVu Sans").empty());
}

TEST(FontMeasurer, TahomaCellHeights) {
  FontconfigMeasurer measurer(96);
  std::optional<ChosenFont> tahoma = measurer.choose_font("Tahoma");
  ASSERT_TRUE(tahoma);
  EXPECT_EQ(tahoma->family, "Tahoma");
  for (const GdiFigure& figure : kTahoma) {
    std::optional<FontMeasurement> measured =
        measurer.measure_font(*tahoma, figure.h);
    ASSERT_TRUE(measured);
    EXPECT_EQ(measured->cell, figure.cell) << "h=" << figure.h;
    EXPECT_EQ(measured->units.by, figure.h);
  }
}

TEST(FontMeasurer, ArialMeasuresWithLiberationSans) {
  FontconfigMeasurer measurer(96);
  std::optional<ChosenFont> arial = measurer.choose_font("Arial");
  ASSERT_TRUE(arial);
  EXPECT_EQ(arial->family, "Liberation Sans");
  std::optional<FontMeasurement> measured =
      measurer.measure_font(*arial, kArial120.h);
  ASSERT_TRUE(measured);
  EXPECT_EQ(measured->cell, kArial120.cell);
  EXPECT_EQ(measured->units.by, 120);
}

TEST(FontMeasurer, FaceNamesResolveLikeGdi) {
  FontconfigMeasurer measurer(96);
  for (std::string_view face : {"MS Shell Dlg", "ms shell dlg 2", "TAHOMA"}) {
    EXPECT_EQ(measurer.choose_font(face)->family, "Tahoma") << face;
    for (int32_t points : {8, 9, 12}) {
      EXPECT_EQ(measurer.measure_dialog_base_units(points, face),
                measurer.measure_dialog_base_units(points, "Tahoma"))
          << face << " " << points;
    }
  }
  // A real family by its own name, whatever its case.
  EXPECT_EQ(measurer.choose_font("dejavu SANS")->family, "DejaVu Sans");
  EXPECT_EQ(measurer.choose_font(kMsGothicCp932)->family, "IPAGothic");
  EXPECT_EQ(measurer.choose_font(kMsGothicUtf8)->family, "IPAGothic");
}

TEST(FontMeasurer, UnknownFaceFallsBackToFixedPitch) {
  FontconfigMeasurer measurer(96);
  std::optional<ChosenFont> font = measurer.choose_font("No Such Face 123");
  ASSERT_TRUE(font);
  EXPECT_NE(font->family, "No Such Face 123");
  for (int32_t h : {11, 16, 33}) {
    std::optional<FontMeasurement> measured = measurer.measure_font(*font, h);
    ASSERT_TRUE(measured);
    int32_t advance = advance_of_a(*font, measured->cell.ppem);
    EXPECT_EQ(measured->alphabet_width, 52 * advance) << font->family;
    EXPECT_EQ(measured->units.bx, advance) << font->family;
  }
}

TEST(FontMeasurer, CachesFontsAndResults) {
  FontconfigMeasurer measurer(96);
  EXPECT_EQ(measurer.loads(), 0);
  DialogBaseUnits first = measurer.measure_dialog_base_units(8, "MS Shell Dlg");
  EXPECT_EQ(measurer.measure_dialog_base_units(8, "MS Shell Dlg"), first);
  measurer.measure_dialog_base_units(10, "Tahoma");
  EXPECT_EQ(measurer.loads(), 1);
  // An 11-pixel Tahoma cell, and a plausible average letter width.
  EXPECT_EQ(first.by, 11);
  EXPECT_GE(first.bx, 4);
  EXPECT_LE(first.bx, 7);
  // Results are kept per size too: another size of the same face is
  // measured, not answered from the 8-point entry.
  DialogBaseUnits larger =
      measurer.measure_dialog_base_units(24, "MS Shell Dlg");
  EXPECT_NE(larger, first);
  EXPECT_EQ(larger,
            FontconfigMeasurer(96).measure_dialog_base_units(24, "Tahoma"));
  EXPECT_EQ(measurer.loads(), 1);
}

TEST(FontMeasurer, UnreadableFontIsOpenedOnce) {
  FontconfigMeasurer measurer(96);
  ChosenFont missing{"Missing", "/nonexistent/missing.ttf", 0};
  EXPECT_FALSE(measurer.measure_font(missing, 12));
  EXPECT_FALSE(measurer.measure_font(missing, 13));
  EXPECT_EQ(measurer.loads(), 1);
}

TEST(FontMeasurer, ReportsTheFallbackWhenThereIsNoFont) {
  std::filesystem::path empty =
      std::filesystem::path(testing::TempDir()) / "font_measurer_no_fonts";
  std::filesystem::create_directories(empty);
  FontconfigMeasurer measurer(96, {empty.string()});
  EXPECT_FALSE(measurer.used_fallback_units());
  // The measurer prints nothing itself: the command reports the fallback.
  testing::internal::CaptureStderr();
  DialogBaseUnits eight = measurer.measure_dialog_base_units(8, "Tahoma");
  DialogBaseUnits twelve = measurer.measure_dialog_base_units(12, "Other");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(measurer.used_fallback_units());
  // The system font's 6 by 13 scaled to 11 and 16 pixels.
  EXPECT_EQ(eight, (DialogBaseUnits{5, 11}));
  EXPECT_EQ(twelve, (DialogBaseUnits{7, 16}));
}

TEST(FontMeasurer, OwnFontFolderOnly) {
  FontconfigMeasurer measurer(96, {"/usr/share/fonts/truetype/liberation2"});
  EXPECT_EQ(measurer.choose_font("Arial")->family, "Liberation Sans");
  // Tahoma is not in the folder: the fixed-pitch fallback is Liberation Mono.
  EXPECT_EQ(measurer.choose_font("MS Shell Dlg")->family, "Liberation Mono");
}

TEST(FontMeasurer, AnyPointSizeGivesPositiveUnits) {
  FontconfigMeasurer measurer(96);
  for (int32_t points : {0, -8, 1, 400, INT32_MAX, INT32_MIN}) {
    DialogBaseUnits units = measurer.measure_dialog_base_units(points, "Arial");
    EXPECT_GT(units.bx, 0) << points;
    EXPECT_GT(units.by, 0) << points;
  }
}

}  // namespace
}  // namespace dlgforge
