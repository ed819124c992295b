// The five output sections that collect the generated program while the
// script is read, and the handler-stub writer that every converter uses.
// Nothing is written to standard output until the whole script was read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dlgforge {

/// The generated program's five append-only texts, printed in a fixed order
/// at the end (see `write_document`).
struct OutputSections {
  std::string declarations;
  std::string dialog_code;
  std::string menu_code;
  std::string callback_decls;
  std::string callback_bodies;
};

/// The default body of a generated handler.
inline constexpr std::string_view kDefaultHandlerBody =
    "\t'Please write your codes here.\n";

/// Writes the declaration of the handler `widget`_`signal` into
/// `callback_decls` and its Sub ... End Sub block into `callback_bodies`.
/// `body` is appended unchanged; none selects the default body.
void emit_callback_stub(std::string_view widget, std::string_view signal,
                        std::string& callback_decls,
                        std::string& callback_bodies,
                        std::optional<std::string_view> body = std::nullopt);

/// Appends pieces of text to a section in one call, so that a generated line
/// with values is built without an intermediate format buffer.
template <typename... Pieces>
void append(std::string& section, const Pieces&... pieces) {
  (section.append(std::string_view(pieces)), ...);
}

/// Appends the decimal text of `value`.
void append_int(std::string& section, long long value);

}  // namespace dlgforge
