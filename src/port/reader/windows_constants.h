// The constants of the standard Windows headers that resource scripts use
// (windows.h, winres.h, afxres.h, commctrl.h, ...), which do not exist on
// Linux: control and window styles, dialog and menu flags, command ids,
// languages and the class names of the common controls.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dlgforge::port {

/// The value of a numeric constant, such as WS_CHILD or LANG_JAPANESE.
std::optional<std::uint32_t> windows_constant(std::string_view name);

/// The class name that a macro such as WC_BUTTON or TRACKBAR_CLASS stands
/// for.
std::optional<std::string_view> windows_class_name(std::string_view name);

/// Whether an `#include` names one of the standard headers whose constants
/// are built in (compared without case and folder).
bool is_standard_header(std::string_view include_name);

}  // namespace dlgforge::port
