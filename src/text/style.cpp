#include "text/style.h"

#include "text/fields.h"
#include "text/words.h"

namespace dlgforge {

std::string& translate_style(std::string& out, std::string_view source) {
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
  // Every "|" becomes "Or", then every "NOT " becomes "0 * ", neither
  // looking at the text it inserts. "NOT " holds no bar, and no "NOT " can
  // begin or end inside an inserted "Or", so one pass left to right that
  // replaces both gives the same text as the two passes.
  size_t cursor = 0;
  for (size_t at = 0; at < source.size(); ++at) {
    if (source[at] == '|') {
      out.append(source, cursor, at - cursor).append("Or");
      cursor = at + 1;
    } else if (source[at] == 'N' && source.substr(at, 4) == "NOT ") {
      out.append(source, cursor, at - cursor).append("0 * ");
      cursor = at + 4;
      at += 3;
    }
  }
  return out.append(source, cursor);
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
