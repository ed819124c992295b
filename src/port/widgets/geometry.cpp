#include "port/widgets/geometry.h"

namespace dlgforge::port {

std::int32_t mul_div(std::int32_t number, std::int32_t numerator,
                     std::int32_t denominator) {
  if (denominator == 0) {
    return -1;
  }
  std::int64_t product = std::int64_t{number} * numerator;
  bool negative = (product < 0) != (denominator < 0);
  std::int64_t magnitude = product < 0 ? -product : product;
  std::int64_t divisor =
      denominator < 0 ? -std::int64_t{denominator} : std::int64_t{denominator};
  std::int64_t rounded = (magnitude + divisor / 2) / divisor;
  return static_cast<std::int32_t>(negative ? -rounded : rounded);
}

PixelRect to_pixels(DluRect rect, int bx, int by) {
  return {mul_div(rect.x, bx, 4), mul_div(rect.y, by, 8),
          mul_div(rect.cx, bx, 4), mul_div(rect.cy, by, 8)};
}

}  // namespace dlgforge::port
