// Style expression translation: a resource script's style expression
// (constants joined by "|", NOT to clear one, 0x numbers) rewritten in
// FreeBASIC syntax, and the bit test on styles written as a hex number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dlgforge {

/// Translates a style expression: leading blanks dropped; a leading "0x"
/// becomes "&H" (and nothing else changes); otherwise, when the text holds
/// "WS_" or "|", every "|" becomes "Or" and every "NOT " becomes "0 * ".
/// A trailing newline stays. The result replaces the content of `out`.
std::string& translate_style(std::string& out, std::string_view source);

/// True when the text begins with "0x" and the hexadecimal number after it
/// has every bit of `mask` set. An absent or empty text gives false.
bool hex_style_has_bits(const char* text, uint32_t mask);

}  // namespace dlgforge
