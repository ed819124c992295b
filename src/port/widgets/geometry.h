// Geometry of port mode: dialog units to pixels with the rounding the
// Windows dialog manager uses, kept apart from any toolkit.
#pragma once

#include <cstdint>

namespace dlgforge::port {

/// A rectangle in dialog units, as the script writes it.
struct DluRect {
  int x = 0, y = 0, cx = 0, cy = 0;
  friend bool operator==(const DluRect&, const DluRect&) = default;
};

/// A rectangle in pixels.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// number * numerator / denominator in 64-bit arithmetic, rounded to the
/// nearest integer with halves away from zero, as Windows' MulDiv rounds;
/// -1 for a zero denominator, as MulDiv answers.
std::int32_t mul_div(std::int32_t number, std::int32_t numerator,
                     std::int32_t denominator);

/// Each of x, y, cx, cy converted on its own, as the dialog manager does
/// when it creates a control: horizontal values times bx / 4, vertical ones
/// times by / 8.
PixelRect to_pixels(DluRect rect, int bx, int by);

}  // namespace dlgforge::port
