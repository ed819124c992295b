// The resource model: what the port reader understood of a resource script,
// independent of how it was written and of what any writer makes of it.
// Every string is UTF-8; every number is the value the resource compiler
// would store in the compiled template.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dlgforge::model {

/// Where a statement starts: the file as named (the script or an included
/// header), its 1-based line and column.
struct SourcePos {
  /// Shared by every position in one file: a large script has hundreds of
  /// thousands of them.
  std::shared_ptr<const std::string> file_name;
  int line = 0;
  int column = 0;

  const std::string& file() const {
    static const std::string kNone;
    return file_name ? *file_name : kNone;
  }
  static SourcePos in(std::string file, int line, int column) {
    return {std::make_shared<const std::string>(std::move(file)), line, column};
  }
};

/// A resource name, class, menu or control text that may be a string or a
/// number (an ordinal). `text` is the spelling in the script (an identifier,
/// a number, an expression, or the string's UTF-8 text); `number` is set when
/// the value is an ordinal.
struct NameOrOrdinal {
  std::string text;
  std::optional<std::uint32_t> number;
};

/// A number together with the expression it was written as (`WS_CHILD |
/// WS_VISIBLE`), or empty when the value came from defaults alone.
struct Flags {
  std::uint32_t value = 0;
  std::string written;
};

struct Font {
  int size = 0;  // points
  std::string face;
  int weight = 0;
  bool italic = false;
  int charset = 1;  // DEFAULT_CHARSET
};

struct Control {
  std::string keyword;     // upper case as a keyword: "CONTROL", "LTEXT", ...
  std::string class_name;  // "Button", "Edit", "Static", "ListBox",
                           // "ScrollBar", "ComboBox", or as written
  NameOrOrdinal text;      // number set for an ordinal (ICON 101, ...)
  std::string id_written;  // "IDC_NAME", "-1", "IDOK", ...
  std::int32_t id = 0;     // value as the template stores it
  int x = 0, y = 0, cx = 0, cy = 0;
  Flags style;  // keyword's default style combined with what is written
  Flags exstyle;
  std::uint32_t helpid = 0;
  std::vector<std::uint8_t> data;  // a DIALOGEX control's data block
  SourcePos pos;
};

struct Dialog {
  NameOrOrdinal name;  // as written; number set when numeric
  std::string kind;    // "DIALOG" or "DIALOGEX"
  int x = 0, y = 0, cx = 0, cy = 0;
  Flags style;
  Flags exstyle;
  std::string caption;
  std::optional<NameOrOrdinal> class_name;
  std::optional<NameOrOrdinal> menu;
  std::optional<Font> font;
  std::uint32_t helpid = 0;
  std::uint16_t language = 0;  // LANG | SUBLANG << 10, 0 when none in force
  std::vector<Control> controls;
  SourcePos pos;
};

struct MenuItem {
  enum class Type { Popup, Item, Separator };
  Type type = Type::Item;
  std::string text;  // "" for a separator; may hold "\t" before accelerators
  std::optional<std::int32_t> id;  // none for a MENU popup
  std::string id_written;
  std::vector<std::string> flags;  // MENU options as written: "CHECKED", ...
  std::uint32_t mftype = 0;        // MENUEX type (MFT_SEPARATOR = 0x800)
  std::uint32_t mfstate = 0;       // MENUEX state
  std::uint32_t helpid = 0;        // MENUEX popup help ID
  std::vector<MenuItem> items;     // a popup's items
  SourcePos pos;
};

struct Menu {
  NameOrOrdinal name;
  std::string kind;  // "MENU" or "MENUEX"
  std::uint16_t language = 0;
  std::vector<MenuItem> items;
  SourcePos pos;
};

struct StringEntry {
  std::uint32_t id = 0;
  std::string id_written;
  std::string text;
  /// An MFC command string, "prompt\ntooltip": the text before the first
  /// line break (the status-bar prompt) and after it (the tooltip); both
  /// unset when the text holds no line break.
  std::optional<std::string> prompt;
  std::optional<std::string> tooltip;
  std::uint16_t language = 0;
  SourcePos pos;
};

/// One entry of an ACCELERATORS table. `key` is the value the compiled table
/// stores: a character code, or a virtual-key code when `flags` holds
/// VIRTKEY.
struct Accelerator {
  std::string key_written;  // "\"^C\"", "\"a\"", "65", "VK_F1"
  std::uint16_t key = 0;
  std::int32_t id = 0;
  std::string id_written;
  std::vector<std::string> flags;  // "VIRTKEY", "CONTROL", ... as written
  std::uint16_t fvirt = 0;         // FVIRTKEY 1, FNOINVERT 2, FSHIFT 4,
                                   // FCONTROL 8, FALT 0x10
  SourcePos pos;
};

struct AcceleratorTable {
  NameOrOrdinal name;
  std::uint16_t language = 0;
  std::vector<Accelerator> entries;
  SourcePos pos;
};

/// A resource whose content is a file: ICON, CURSOR, BITMAP, PNG, RCDATA
/// with a file name, ... The file is found, not read.
struct FileResource {
  NameOrOrdinal name;
  std::string type;      // "ICON", "BITMAP", "CURSOR", or as written
  std::string file;      // the file name as written (quotes removed)
  std::string resolved;  // the path found; "" when the file is missing
  std::uint16_t language = 0;
  SourcePos pos;
};

/// An MFC TOOLBAR: the size of its buttons and their ids in order; a
/// separator has no id.
struct ToolbarButton {
  std::optional<std::int32_t> id;  // none for a SEPARATOR
  std::string id_written;
  SourcePos pos;
};

struct Toolbar {
  NameOrOrdinal name;
  int width = 0, height = 0;
  std::uint16_t language = 0;
  std::vector<ToolbarButton> buttons;
  SourcePos pos;
};

/// One entry of a DLGINIT block, in MFC's layout: a control id, a message
/// (CB_ADDSTRING 0x403, LB_ADDSTRING 0x180, 0x1234 for a combo box of
/// MFC's own), the length of the data and the data.
struct DialogInitEntry {
  std::int32_t control = 0;
  std::string control_written;
  std::uint16_t message = 0;
  std::uint32_t length = 0;
  std::vector<std::uint8_t> data;  // `length` bytes as stored
  /// The string a combo or list box message adds, decoded in the script's
  /// code page and ending at its first NUL; unset for other messages.
  std::optional<std::string> text;
  SourcePos pos;
};

struct DialogInit {
  NameOrOrdinal name;  // the dialog's
  std::uint16_t language = 0;
  std::vector<DialogInitEntry> entries;
  SourcePos pos;
};

/// VERSIONINFO: the fixed fields and the string and variable blocks.
struct VersionString {
  std::string key;    // "CompanyName", ...
  std::string value;  // UTF-8, without its ending NUL
};

struct VersionStringTable {
  std::string block;  // "040904b0": language and code page in hexadecimal
  std::vector<VersionString> values;
};

struct VersionInfo {
  NameOrOrdinal name;
  std::uint16_t language = 0;
  std::uint32_t file_version[2] = {0, 0};  // high and low double words
  std::uint32_t product_version[2] = {0, 0};
  std::uint32_t file_flags_mask = 0;
  std::uint32_t file_flags = 0;
  std::uint32_t file_os = 0;
  std::uint32_t file_type = 0;
  std::uint32_t file_subtype = 0;
  std::vector<VersionStringTable> string_tables;
  /// VarFileInfo's Translation: language and code page pairs.
  std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
  SourcePos pos;
};

/// A reader warning, printed as `FILE:LINE:COL: warning: MESSAGE`.
struct Diagnostic {
  SourcePos pos;
  std::string message;
};

struct Model {
  std::vector<Dialog> dialogs;  // in script order
  std::vector<Menu> menus;      // in script order
  std::vector<StringEntry> strings;
  std::vector<AcceleratorTable> accelerators;
  std::vector<FileResource> files;  // icons, bitmaps, cursors, ...
  std::vector<Toolbar> toolbars;
  std::vector<DialogInit> dialog_inits;
  std::vector<VersionInfo> versions;
  std::vector<Diagnostic> warnings;
  /// Identifiers that were used as numbers without a definition (taken as
  /// 0), in order of first use: what the missing headers would define.
  std::vector<std::string> undefined_identifiers;
};

}  // namespace dlgforge::model
