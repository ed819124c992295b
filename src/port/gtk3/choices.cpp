#include "port/gtk3/choices.h"

#include <algorithm>

namespace dlgforge::port::gtk3 {

std::string_view icon_name(StockImage stock) {
  return stock == StockImage::Picture ? "image-missing" : "dialog-information";
}

std::string css_families(const FontRequest& font) {
  std::string families;
  for (const std::string& family : font.families) {
    // A family name is a CSS string: quotes and backslashes escaped.
    std::string quoted = "\"";
    for (char c : family) {
      if (c == '"' || c == '\\') {
        quoted += '\\';
      }
      quoted += c;
    }
    families += (families.empty() ? "" : ", ") + quoted + "\"";
  }
  return families;
}

int css_weight(const FontRequest& font) {
  return std::clamp((font.weight + 50) / 100 * 100, 100, 900);
}

}  // namespace dlgforge::port::gtk3
