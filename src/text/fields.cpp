#include "text/fields.h"

namespace dlgforge {

void scan_decimal_list(std::string_view text,
                       std::span<int32_t* const> targets) {
  for (size_t n = 0; n < targets.size(); ++n) {
    if (n > 0) {
      if (text.empty() || text.front() != ',') {
        return;
      }
      text.remove_prefix(1);
    }
    std::optional<int32_t> value = scan_decimal(text);
    if (!value) {
      return;
    }
    *targets[n] = *value;
  }
}

uint32_t scan_hex(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && is_scan_space(text[i])) {
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    value = value * 16u + digit;
  }
  return value;
}

}  // namespace dlgforge
