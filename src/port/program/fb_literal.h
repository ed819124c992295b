// FreeBASIC string expressions for any bytes: quoted literals for the
// printable text, `Chr(n)` for control characters, split into short pieces
// so that no source line grows past what fbc reads.
#pragma once

#include <string>
#include <string_view>

namespace dlgforge::port {

/// An expression fbc evaluates to exactly `bytes`: `"say ""hi"""`,
/// `"a" & Chr(9) & "b"`, `""` for nothing. UTF-8 text stays readable in the
/// literal; fbc copies bytes of a source without a byte-order mark as they
/// are. Long texts continue on the next line with ` _`.
std::string fb_string(std::string_view bytes);

/// A number as FreeBASIC reads it back.
std::string number(int value);
/// An alignment (0, 0.5 or 1) as FreeBASIC reads it back.
std::string number(float value);

}  // namespace dlgforge::port
