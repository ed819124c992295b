#include "text/quoted.h"

namespace dlgforge {

std::string quoted(std::string_view text) {
  std::string result = "'";
  for (char c : text) {
    bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    result += control ? '?' : c;
  }
  result += '\'';
  return result;
}

}  // namespace dlgforge
