// The constants of the standard Windows headers that resource scripts use
// (windows.h, winres.h, afxres.h, commctrl.h, ...), which do not exist on
// Linux: control and window styles, dialog and menu flags, command ids,
// languages, the class names of the common controls, and the ids of MFC and
// ATL applications.
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

/// The value of an id of MFC, ATL or WTL applications, such as ID_FILE_NEW
/// or AFX_IDS_APP_TITLE: what afxres.h and atlres.h define.
std::optional<std::uint32_t> framework_constant(std::string_view name);

/// What an `#include` names (compared without case and folder): one of the
/// standard Windows headers whose constants are built in, a header that also
/// gives the framework's ids, or neither.
enum class StandardHeader { None, Windows, Framework };
StandardHeader standard_header(std::string_view include_name);

}  // namespace dlgforge::port
