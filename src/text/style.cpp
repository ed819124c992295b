#include "text/style.h"

#include "text/fields.h"
#include "text/words.h"

namespace dlgforge {

std::string& translate_style(std::string& out, std::string_view source) {
  std::string step;
  return translate_style(out, source, step);
}

std::string& translate_style(std::string& out, std::string_view source,
                             std::string& step) {
  source = without_leading_blanks(source);
  out.clear();
  if (source.starts_with("0x")) {
    out.append("&H");
    out.append(source.substr(2));
    return out;
  }
  if (source.find("WS_") == std::string_view::npos &&
      source.find('|') == std::string_view::npos) {
    out.assign(source);
    return out;
  }
  // Two passes as written: bars first, then NOT over the text with bars
  // replaced. Neither pass looks at the text it inserts.
  replace_all(step, source, "|", "Or");
  return replace_all(out, step, "NOT ", "0 * ");
}

bool hex_style_has_bits(const char* text, uint32_t mask) {
  if (text == nullptr) {
    return false;
  }
  std::string_view view(text);
  if (!view.starts_with("0x")) {
    return false;
  }
  return (scan_hex(view.substr(2)) & mask) == mask;
}

}  // namespace dlgforge
