#include "platform/base_units.h"

namespace dlgforge {
namespace {

// Multiplies in 64 bits and wraps the product to 32 bits, as the 32-bit
// two's complement arithmetic of the original platform does; the division
// then truncates toward zero like C's.
int32_t wrapping_product(int32_t a, int32_t b) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<int64_t>(a) * static_cast<int64_t>(b)));
}

int32_t truncating_divide(int32_t v, int32_t d) {
  return static_cast<int32_t>(static_cast<int64_t>(v) / d);
}

}  // namespace

int32_t dialog_units_to_pixels_x(int32_t v, DialogBaseUnits units) {
  return truncating_divide(wrapping_product(v, units.bx), 4);
}

int32_t dialog_units_to_pixels_y(int32_t v, DialogBaseUnits units) {
  return truncating_divide(wrapping_product(v, units.by), 8);
}

int32_t cell_height_for(int32_t font_size, int32_t dpi) {
  int32_t half = truncating_divide(wrapping_product(font_size, dpi), 36);
  return truncating_divide(
      static_cast<int32_t>(static_cast<uint32_t>(half) + 1u), 2);
}

}  // namespace dlgforge
