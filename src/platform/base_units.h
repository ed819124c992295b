// Dialog base units: the pixel size of one dialog unit for a dialog font,
// the rule that turns dialog units into pixels, and the interface through
// which the conversion asks for a font's measurement. How a font is really
// measured lives in the platform layer; the conversion only sees
// `FontMeasurer`.
#pragma once

#include <cstdint>
#include <string_view>

namespace dlgforge {

/// Horizontal and vertical dialog base units in pixels.
struct DialogBaseUnits {
  int32_t bx = 0;  ///< average width of the letters A-Z and a-z, rounded
  int32_t by = 0;  ///< height of the font's character cell
  friend bool operator==(const DialogBaseUnits&,
                         const DialogBaseUnits&) = default;
};

/// Turns a horizontal value (x or width) in dialog units into pixels:
/// v * bx / 4, product first, division truncating toward zero. The product
/// wraps at 32 bits as the 32-bit Windows arithmetic does, instead of being
/// undefined.
int32_t dialog_units_to_pixels_x(int32_t v, DialogBaseUnits units);

/// Turns a vertical value (y or height) into pixels: v * by / 8.
int32_t dialog_units_to_pixels_y(int32_t v, DialogBaseUnits units);

/// The cell height in pixels requested for a point size at a resolution:
/// (font_size * dpi / 36 + 1) / 2 in truncating 32-bit arithmetic, that is
/// font_size * dpi / 72 rounded half up for non-negative values.
int32_t cell_height_for(int32_t font_size, int32_t dpi);

/// Measures the dialog base units of a face name and point size. The face
/// is the script's own 8-bit text, without quotes.
class FontMeasurer {
 public:
  virtual ~FontMeasurer() = default;
  virtual DialogBaseUnits measure_dialog_base_units(
      int32_t font_size, std::string_view font_face) = 0;
};

/// A measurer that answers every font with the same units: used by tests
/// and by the fixed-units command-line option, so that output does not
/// depend on the machine's fonts.
class FixedMeasurer final : public FontMeasurer {
 public:
  explicit FixedMeasurer(DialogBaseUnits units) : units_(units) {}
  DialogBaseUnits measure_dialog_base_units(int32_t,
                                            std::string_view) override {
    return units_;
  }

 private:
  DialogBaseUnits units_;
};

}  // namespace dlgforge
