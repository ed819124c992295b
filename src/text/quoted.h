// Quoting a path or a value for a one-line message.
#pragma once

#include <string>
#include <string_view>

namespace dlgforge {

/// `text` between single quotes, with control characters shown as '?' so
/// that a message about it stays on one line.
std::string quoted(std::string_view text);

}  // namespace dlgforge
