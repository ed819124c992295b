// Writes a synthetic resource script of a requested size for the benchmarks:
// dialogs with 10 to 40 controls of every kind the converter knows and some
// it does not, menus with nested popups and separators, string tables,
// accelerators, version and design information, comments and preprocessor
// lines, half of the resources with CR LF line ends. The same seed always
// gives the same bytes (the generator has its own random numbers, as the
// standard distributions differ between libraries).
//
// With --llvm-rc it writes the same resources in a form llvm-rc 14 compiles:
// every identifier and style constant is #define'd at the top instead of
// coming from "resource.h", MENUEX blocks are written as MENU blocks (llvm-rc
// 14 has no MENUEX), and the lines it cannot take become comments: MENU
// statements in dialogs and resources that name a file (ICON "x.ico"). Both
// forms make the same random choices, so they hold the same dialogs, menus and
// strings; sizes differ by the header and those lines. Compile that form with
// `llvm-rc /C 1252`: Latin-1 labels need the code page, and llvm-rc 14 does not
// read `#pragma code_page`.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace dlgforge {
namespace {

/// SplitMix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  /// A number in [0, n).
  int below(int n) {
    return static_cast<int>(next() % static_cast<uint64_t>(n));
  }
  /// A number in [low, high].
  int between(int low, int high) { return low + below(high - low + 1); }
  /// True with `percent` percent probability.
  bool chance(int percent) { return below(100) < percent; }
  template <typename T, size_t N>
  const T& pick(const std::array<T, N>& items) {
    return items[static_cast<size_t>(below(static_cast<int>(N)))];
  }

 private:
  uint64_t state_;
};

// Upper-case words for identifiers. None contains END, so that no
// identifier ends a control block of the converter by accident.
constexpr std::array<std::string_view, 64> kIdWords = {
    "FILE",    "EDIT",    "VIEW",   "HELP",  "TOOLS",    "OPTIONS",  "NAME",
    "PATH",    "COLOR",   "SIZE",   "MODE",  "FORMAT",   "BROWSE",   "SEARCH",
    "REPLACE", "FILTER",  "SORT",   "ZOOM",  "PRINT",    "EXPORT",   "IMPORT",
    "PROXY",   "HOST",    "PORT",   "USER",  "PASSWORD", "TIMEOUT",  "RETRY",
    "CACHE",   "LOG",     "LEVEL",  "THEME", "LAYOUT",   "TAB",      "PANEL",
    "STATUS",  "TITLE",   "LABEL",  "VALUE", "LIMIT",    "ENCODING", "CHARSET",
    "WIDTH",   "HEIGHT",  "MARGIN", "SCALE", "FOLDER",   "TARGET",   "SOURCE",
    "PREVIEW", "HISTORY", "RECENT", "KEY",   "CERT",     "SESSION",  "WINDOW",
    "CURSOR",  "SHELL",   "SERIAL", "BAUD",  "PARITY",   "MACRO",    "SCRIPT",
    "PLUGIN",
};

// Lower-case words for labels and strings, without upper-case keywords.
constexpr std::array<std::string_view, 72> kTextWords = {
    "file",     "name",     "open",     "save",     "close",    "options",
    "the",      "a",        "of",       "to",       "with",     "for",
    "and",      "new",      "all",      "selected", "current",  "default",
    "use",      "show",     "hide",     "enable",   "disable",  "automatic",
    "server",   "port",     "user",     "password", "proxy",    "timeout",
    "color",    "font",     "size",     "window",   "tab",      "line",
    "encoding", "search",   "replace",  "whole",    "word",     "match",
    "case",     "folder",   "recent",   "history",  "preview",  "print",
    "page",     "margin",   "header",   "footer",   "session",  "key",
    "log",      "level",    "theme",    "layout",   "status",   "bar",
    "toolbar",  "settings", "advanced", "general",  "keyboard", "mouse",
    "scroll",   "wrap",     "indent",   "spaces",   "terminal", "macro",
};

// Latin-1 (code page 1252) labels, as translated scripts have them.
constexpr std::array<std::string_view, 8> kLatin1Words = {
    "Gr\xF6\xDF"
    "e",
    "Schlie\xDF"
    "en",
    "Pr\xE9"
    "f\xE9"
    "rences",
    "\xC9"
    "diter",
    "\xDC"
    "ber",
    "Ausw\xE4hlen",
    "Param\xE8"
    "tres",
    "Fen\xEA"
    "tre",
};

constexpr std::array<std::string_view, 6> kFaces = {
    "MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif",
    "Segoe UI",     "Tahoma",         "Microsoft Sans Serif",
};

constexpr std::array<int, 5> kFontSizes = {8, 8, 8, 9, 10};

// The style constants the scripts use, with their Windows values; the
// llvm-rc form defines them, the other form leaves them to "resource.h".
struct Constant {
  std::string_view name;
  std::string_view value;
};

constexpr std::array<Constant, 91> kConstants = {{
    {"WS_POPUP", "0x80000000L"},
    {"WS_CHILD", "0x40000000L"},
    {"WS_VISIBLE", "0x10000000L"},
    {"WS_DISABLED", "0x08000000L"},
    {"WS_CLIPSIBLINGS", "0x04000000L"},
    {"WS_CLIPCHILDREN", "0x02000000L"},
    {"WS_CAPTION", "0x00C00000L"},
    {"WS_BORDER", "0x00800000L"},
    {"WS_VSCROLL", "0x00200000L"},
    {"WS_HSCROLL", "0x00100000L"},
    {"WS_SYSMENU", "0x00080000L"},
    {"WS_THICKFRAME", "0x00040000L"},
    {"WS_GROUP", "0x00020000L"},
    {"WS_TABSTOP", "0x00010000L"},
    {"WS_MINIMIZEBOX", "0x00020000L"},
    {"WS_MAXIMIZEBOX", "0x00010000L"},
    {"WS_EX_TOOLWINDOW", "0x00000080L"},
    {"WS_EX_CLIENTEDGE", "0x00000200L"},
    {"WS_EX_STATICEDGE", "0x00020000L"},
    {"WS_EX_APPWINDOW", "0x00040000L"},
    {"WS_EX_CONTEXTHELP", "0x00000400L"},
    {"DS_MODALFRAME", "0x80L"},
    {"DS_SETFONT", "0x40L"},
    {"DS_FIXEDSYS", "0x0008L"},
    {"DS_CENTER", "0x0800L"},
    {"DS_3DLOOK", "0x0004L"},
    {"DS_CONTROL", "0x0400L"},
    {"BS_PUSHBUTTON", "0x00000000L"},
    {"BS_DEFPUSHBUTTON", "0x00000001L"},
    {"BS_CHECKBOX", "0x00000002L"},
    {"BS_AUTOCHECKBOX", "0x00000003L"},
    {"BS_RADIOBUTTON", "0x00000004L"},
    {"BS_3STATE", "0x00000005L"},
    {"BS_AUTO3STATE", "0x00000006L"},
    {"BS_GROUPBOX", "0x00000007L"},
    {"BS_AUTORADIOBUTTON", "0x00000009L"},
    {"BS_PUSHLIKE", "0x00001000L"},
    {"BS_MULTILINE", "0x00002000L"},
    {"BS_LEFT", "0x00000100L"},
    {"ES_LEFT", "0x0000L"},
    {"ES_CENTER", "0x0001L"},
    {"ES_MULTILINE", "0x0004L"},
    {"ES_PASSWORD", "0x0020L"},
    {"ES_AUTOVSCROLL", "0x0040L"},
    {"ES_AUTOHSCROLL", "0x0080L"},
    {"ES_READONLY", "0x0800L"},
    {"ES_WANTRETURN", "0x1000L"},
    {"ES_NUMBER", "0x2000L"},
    {"SS_LEFT", "0x00000000L"},
    {"SS_CENTER", "0x00000001L"},
    {"SS_ICON", "0x00000003L"},
    {"SS_BLACKRECT", "0x00000004L"},
    {"SS_ETCHEDHORZ", "0x00000010L"},
    {"SS_ETCHEDFRAME", "0x00000012L"},
    {"SS_NOPREFIX", "0x00000080L"},
    {"SS_SUNKEN", "0x00001000L"},
    {"LBS_NOTIFY", "0x0001L"},
    {"LBS_SORT", "0x0002L"},
    {"LBS_NOINTEGRALHEIGHT", "0x0100L"},
    {"LBS_EXTENDEDSEL", "0x0800L"},
    {"CBS_DROPDOWN", "0x0002L"},
    {"CBS_DROPDOWNLIST", "0x0003L"},
    {"CBS_AUTOHSCROLL", "0x0040L"},
    {"CBS_SORT", "0x0100L"},
    {"SBS_HORZ", "0x0000L"},
    {"SBS_VERT", "0x0001L"},
    {"LVS_REPORT", "0x0001"},
    {"LVS_SINGLESEL", "0x0004"},
    {"LVS_SHOWSELALWAYS", "0x0008"},
    {"TVS_HASBUTTONS", "0x0001"},
    {"TVS_HASLINES", "0x0002"},
    {"TVS_LINESATROOT", "0x0004"},
    {"TBS_AUTOTICKS", "0x0001"},
    {"TBS_BOTH", "0x0008"},
    {"UDS_SETBUDDYINT", "0x0002"},
    {"UDS_ALIGNRIGHT", "0x0004"},
    {"UDS_ARROWKEYS", "0x0020"},
    {"MFT_STRING", "0x00000000L"},
    {"MFT_SEPARATOR", "0x00000800L"},
    {"MFS_ENABLED", "0x00000000L"},
    {"MFS_CHECKED", "0x00000008L"},
    {"IDOK", "1"},
    {"IDCANCEL", "2"},
    {"VK_F1", "0x70"},
    {"VK_F2", "0x71"},
    {"VK_F3", "0x72"},
    {"VK_F5", "0x74"},
    {"VK_F12", "0x7B"},
    {"VK_DELETE", "0x2E"},
    {"VK_INSERT", "0x2D"},
    {"VK_RETURN", "0x0D"},
}};

constexpr std::array<Constant, 16> kLanguages = {{
    {"LANG_ENGLISH", "0x09"},
    {"LANG_GERMAN", "0x07"},
    {"LANG_FRENCH", "0x0c"},
    {"LANG_JAPANESE", "0x11"},
    {"LANG_SPANISH", "0x0a"},
    {"LANG_ITALIAN", "0x10"},
    {"LANG_DUTCH", "0x13"},
    {"LANG_POLISH", "0x15"},
    {"LANG_RUSSIAN", "0x19"},
    {"LANG_SWEDISH", "0x1d"},
    {"LANG_CHINESE", "0x04"},
    {"LANG_KOREAN", "0x12"},
    {"LANG_PORTUGUESE", "0x16"},
    {"LANG_CZECH", "0x05"},
    {"LANG_DANISH", "0x06"},
    {"LANG_FINNISH", "0x0b"},
}};

// Identifier pools shared by all resources, as one "resource.h" has them.
constexpr int kControlIds = 800;  // IDC_..., values 1000 and up
constexpr int kCommandIds = 600;  // ID_... menu commands, 32800 and up
constexpr int kIconIds = 24;      // IDI_..., 200 and up
// Resource counters restart in every language section; a section ends
// before any of them reaches its limit, so that numbers stay 16-bit and
// unique within one language.
constexpr int kMaxDialogs = 2000;  // IDD_..., 100 and up
constexpr int kMaxMenus = 900;     // IDR_..._MENU, 3000 and up
constexpr int kMaxAccels = 900;    // IDR_..._ACCEL, 4000 and up
constexpr int kMaxStrings = 6000;  // IDS_..., 10000 and up
constexpr size_t kSectionBytes = 4 << 20;

void append_int(std::string& out, long long value) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

// A unique name for index `k`: two words, and a number once the pairs run
// out.
std::string compose_name(std::string_view prefix, int k,
                         std::string_view suffix = "") {
  constexpr int n = static_cast<int>(kIdWords.size());
  std::string name(prefix);
  name.append(kIdWords[static_cast<size_t>(k % n)]);
  name.push_back('_');
  name.append(kIdWords[static_cast<size_t>((k / n) % n)]);
  if (k >= n * n) {
    append_int(name, k / (n * n));
  }
  name.append(suffix);
  return name;
}

std::string control_id(int i) {
  return compose_name("IDC_", i * 7 + 3);
}
std::string command_id(int i) {
  return compose_name("ID_", i * 5 + 1);
}
std::string icon_id(int i) {
  return compose_name("IDI_", i * 11 + 2);
}
std::string dialog_id(int k) {
  return compose_name("IDD_", k);
}
std::string menu_id(int k) {
  return compose_name("IDR_", k, "_MENU");
}
std::string accel_id(int k) {
  return compose_name("IDR_", k, "_ACCEL");
}
std::string string_id(int k) {
  return compose_name("IDS_", k);
}

enum Target : unsigned { kConverter = 1, kLlvmRc = 2, kBoth = 3 };

/// Collects the script for one target while counting the bytes the
/// converter's form would have, so that both forms stop at the same
/// resource.
class Script {
 public:
  explicit Script(Target target) : target_(target) {}

  void set_crlf(bool crlf) { crlf_ = crlf; }
  /// One line, to the targets in `to`.
  void line(std::string_view text, unsigned to = kBoth) {
    size_t length = text.size() + (crlf_ ? 2 : 1);
    if (to & kConverter) {
      converter_bytes_ += length;
    }
    if ((to & target_) == 0) {
      return;
    }
    body_.append(text);
    body_.append(crlf_ ? "\r\n" : "\n");
  }
  size_t converter_bytes() const { return converter_bytes_; }
  const std::string& body() const { return body_; }

 private:
  Target target_;
  bool crlf_ = false;
  std::string body_;
  size_t converter_bytes_ = 0;
};

// Pads a keyword to the column resource editors align statements at.
void append_padded(std::string& out, std::string_view word, size_t width) {
  out.append(word);
  out.append(word.size() < width ? width - word.size() : 1, ' ');
}

class Generator {
 public:
  Generator(uint64_t seed, Target target) : random_(seed), script_(target) {}

  void run(size_t target_bytes) {
    start_section();
    while (script_.converter_bytes() < target_bytes) {
      if (section_full()) {
        start_section();
      }
      resource();
    }
  }

  const std::string& body() const { return script_.body(); }

  /// What the converter's form starts with.
  std::string converter_header() const {
    return "// Microsoft Visual C++ generated resource script.\n"
           "//\n"
           "#include \"resource.h\"\n\n"
           "#define APSTUDIO_READONLY_SYMBOLS\n"
           "#include \"winres.h\"\n"
           "#undef APSTUDIO_READONLY_SYMBOLS\n\n";
  }

  /// What the llvm-rc form starts with: every constant and identifier.
  std::string llvm_rc_header() const {
    std::string out =
        "// Synthetic resource script: every identifier is defined here.\n";
    auto define = [&out](std::string_view name, std::string_view value) {
      out.append("#define ").append(name).append(" ").append(value);
      out.push_back('\n');
    };
    auto define_int = [&define](const std::string& name, long long value) {
      std::string digits;
      append_int(digits, value);
      define(name, digits);
    };
    for (const Constant& constant : kConstants) {
      define(constant.name, constant.value);
    }
    for (const Constant& language : kLanguages) {
      define(language.name, language.value);
    }
    define("SUBLANG_DEFAULT", "0x01");
    define("IDC_STATIC", "(-1)");
    define("VS_VERSION_INFO", "1");
    define("WC_BUTTON", "\"Button\"");
    for (int i = 0; i < kControlIds; ++i) {
      define_int(control_id(i), 1000 + i);
    }
    for (int i = 0; i < kCommandIds; ++i) {
      define_int(command_id(i), 32800 + i);
    }
    for (int i = 0; i < kIconIds; ++i) {
      define_int(icon_id(i), 200 + i);
    }
    for (int k = 0; k < max_dialogs_; ++k) {
      define_int(dialog_id(k), 100 + k);
    }
    for (int k = 0; k < max_menus_; ++k) {
      define_int(menu_id(k), 3000 + k);
    }
    for (int k = 0; k < max_accels_; ++k) {
      define_int(accel_id(k), 4000 + k);
    }
    for (int k = 0; k < max_strings_; ++k) {
      define_int(string_id(k), 10000 + k);
    }
    out.push_back('\n');
    return out;
  }

 private:
  bool section_full() const {
    return dialogs_ >= kMaxDialogs - 1 || menus_ >= kMaxMenus - 1 ||
           accels_ >= kMaxAccels - 1 || strings_ >= kMaxStrings - 48 ||
           script_.converter_bytes() - section_start_ >= kSectionBytes;
  }

  // A language section: the LANGUAGE statement, the code page and a
  // version resource; resource numbers start again.
  void start_section() {
    max_dialogs_ = std::max(max_dialogs_, dialogs_);
    max_menus_ = std::max(max_menus_, menus_);
    max_accels_ = std::max(max_accels_, accels_);
    max_strings_ = std::max(max_strings_, strings_);
    dialogs_ = menus_ = accels_ = strings_ = 0;
    section_start_ = script_.converter_bytes();
    script_.set_crlf(random_.chance(50));

    int n = static_cast<int>(kLanguages.size());
    const Constant& language = kLanguages[static_cast<size_t>(sections_ % n)];
    std::string statement = "LANGUAGE ";
    statement.append(language.name).append(", ");
    if (sections_ < n) {
      statement.append("SUBLANG_DEFAULT");
    } else {
      statement.append("0x");
      statement.push_back(static_cast<char>('0' + (sections_ / n + 1) / 10));
      statement.push_back(static_cast<char>('0' + (sections_ / n + 1) % 10));
    }
    ++sections_;
    banner(std::string(language.name.substr(5)) + " resources");
    script_.line("#if !defined(AFX_RESOURCE_DLL) || defined(AFX_TARG_ENU)");
    script_.line(statement);
    script_.line("#pragma code_page(1252)");
    script_.line("#endif");
    script_.line("");
    if (sections_ == 1) {
      text_include();
    }
    version_info();
    blank();
  }

  void blank() { script_.line(""); }

  void banner(std::string_view title) {
    script_.line(
        "/////////////////////////////////////////////////////////////////////"
        "////////");
    script_.line("//");
    script_.line(std::string("// ") + std::string(title));
    script_.line("//");
    script_.line("");
  }

  void resource() {
    // Each resource picks its line ends: about half are CR LF.
    script_.set_crlf(random_.chance(50));
    int roll = random_.below(100);
    if (roll < 52) {
      dialog();
    } else if (roll < 66) {
      menu();
    } else if (roll < 84) {
      string_table();
    } else if (roll < 90) {
      accelerators();
    } else if (roll < 93) {
      design_info();
    } else if (roll < 96) {
      icons();
    } else {
      comments();
    }
    max_dialogs_ = std::max(max_dialogs_, dialogs_);
    max_menus_ = std::max(max_menus_, menus_);
    max_accels_ = std::max(max_accels_, accels_);
    max_strings_ = std::max(max_strings_, strings_);
  }

  // A label of one to `most` words: capitalised, sometimes with a
  // mnemonic, an ellipsis, a colon, an escaped quote or Latin-1 letters.
  std::string label(int most) {
    std::string text;
    int words = random_.between(1, most);
    for (int i = 0; i < words; ++i) {
      if (i > 0) {
        text.push_back(' ');
      }
      if (random_.chance(3)) {
        text.append(random_.pick(kLatin1Words));
      } else {
        text.append(random_.pick(kTextWords));
      }
    }
    if (text[0] >= 'a' && text[0] <= 'z') {
      text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    if (random_.chance(60)) {
      size_t at = static_cast<size_t>(
          random_.below(static_cast<int>(std::min<size_t>(text.size(), 6))));
      if (text[at] != ' ') {
        text.insert(at, 1, '&');
      }
    }
    int ending = random_.below(20);
    if (ending == 0) {
      text.append("...");
    } else if (ending == 1) {
      text.append(":");
    } else if (ending == 2) {
      text.append(" \"\"quoted\"\"");
    }
    return text;
  }

  std::string quoted(std::string_view text) {
    std::string out = "\"";
    out.append(text);
    out.push_back('"');
    return out;
  }

  std::string any_control_id() {
    return control_id(random_.below(kControlIds));
  }

  void dialog() {
    int k = dialogs_++;
    bool extended = random_.chance(70);
    std::string header;
    if (random_.chance(10)) {
      append_int(header, 100 + k);  // a number as the name, as PuTTY has
    } else {
      header = dialog_id(k);
    }
    header.append(extended ? " DIALOGEX " : " DIALOG ");
    if (!extended && random_.chance(30)) {
      header.append("DISCARDABLE ");
    }
    int width = random_.between(160, 420);
    int height = random_.between(90, 320);
    append_int(header, random_.chance(80) ? 0 : random_.between(10, 80));
    header.append(", ");
    append_int(header, random_.chance(80) ? 0 : random_.between(10, 80));
    header.append(", ");
    append_int(header, width);
    header.append(", ");
    append_int(header, height);
    script_.line(header);

    std::string style = "STYLE DS_SETFONT | DS_MODALFRAME | ";
    if (random_.chance(40)) {
      style.append("DS_FIXEDSYS | ");
    }
    style.append("WS_POPUP | WS_CAPTION | ");
    if (random_.chance(10)) {
      script_.line(style);
      script_.line("    WS_SYSMENU");  // a statement continued on a new line
    } else {
      style.append("WS_SYSMENU");
      script_.line(style);
    }
    if (extended && random_.chance(25)) {
      script_.line(random_.chance(50) ? "EXSTYLE WS_EX_TOOLWINDOW"
                                      : "EXSTYLE WS_EX_CONTEXTHELP");
    }
    script_.line("CAPTION " + quoted(label(4)));
    if (menus_ > 0 && random_.chance(15)) {
      // llvm-rc 14 reads no MENU statement in a dialog.
      std::string statement = "MENU " + menu_id(random_.below(menus_));
      script_.line(statement, kConverter);
      script_.line("// " + statement, kLlvmRc);
    }
    std::string font = "FONT ";
    append_int(font, random_.pick(kFontSizes));
    font.append(", ").append(quoted(random_.pick(kFaces)));
    if (extended) {
      font.append(random_.chance(70) ? ", 400, 0, 0x1" : ", 0, 0, 0x0");
    }
    script_.line(font);
    script_.line("BEGIN");
    int controls = random_.between(10, 40);
    for (int i = 0; i < controls; ++i) {
      control(width, height);
      if (random_.chance(2)) {
        blank();  // blank lines inside a block do not end it
      }
    }
    script_.line("END");
    blank();
  }

  std::string statement(std::string_view keyword) {
    std::string out = "    ";
    append_padded(out, keyword, 16);
    return out;
  }

  // x, y, width, height inside the dialog.
  void append_rect(std::string& out, int width, int height, int cx, int cy) {
    int x = random_.between(4, std::max(5, width - cx - 4));
    int y = random_.between(4, std::max(5, height - cy - 4));
    append_int(out, x);
    out.push_back(',');
    append_int(out, y);
    out.push_back(',');
    append_int(out, cx);
    out.push_back(',');
    append_int(out, cy);
  }

  void text_control(std::string_view keyword, std::string_view id, int width,
                    int height, int cx, int cy, std::string_view style) {
    std::string out = statement(keyword);
    out.append(quoted(label(3))).append(",").append(id).append(",");
    append_rect(out, width, height, cx, cy);
    if (!style.empty()) {
      out.append(",").append(style);
    }
    script_.line(out);
  }

  void plain_control(std::string_view keyword, int width, int height, int cx,
                     int cy, std::string_view style) {
    std::string out = statement(keyword);
    out.append(any_control_id()).append(",");
    append_rect(out, width, height, cx, cy);
    if (!style.empty()) {
      out.append(",").append(style);
    }
    script_.line(out);
  }

  void control(int width, int height) {
    int roll = random_.below(100);
    int cx = random_.between(30, std::max(31, width / 2));
    if (roll < 12) {
      text_control("PUSHBUTTON",
                   random_.chance(20) ? "IDCANCEL" : any_control_id(), width,
                   height, 50, 14, "");
    } else if (roll < 15) {
      text_control("DEFPUSHBUTTON", "IDOK", width, height, 50, 14, "");
    } else if (roll < 23) {
      text_control("AUTOCHECKBOX", any_control_id(), width, height, cx, 10,
                   random_.chance(30) ? "WS_TABSTOP" : "");
    } else if (roll < 29) {
      text_control("AUTORADIOBUTTON", any_control_id(), width, height, cx, 10,
                   random_.chance(25) ? "WS_GROUP | WS_TABSTOP" : "");
    } else if (roll < 34) {
      text_control("GROUPBOX", "IDC_STATIC", width, height, cx, 60, "");
    } else if (roll < 44) {
      plain_control("EDITTEXT", width, height, cx, 12,
                    random_.chance(50) ? "ES_AUTOHSCROLL"
                                       : "ES_MULTILINE | ES_AUTOVSCROLL | "
                                         "ES_WANTRETURN | WS_VSCROLL");
    } else if (roll < 58) {
      text_control("LTEXT",
                   random_.chance(70) ? "IDC_STATIC" : any_control_id(), width,
                   height, cx, 8, random_.chance(20) ? "SS_NOPREFIX" : "");
    } else if (roll < 61) {
      plain_control("LISTBOX", width, height, cx, 60,
                    "LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | "
                    "WS_TABSTOP");
    } else if (roll < 66) {
      plain_control("COMBOBOX", width, height, cx, 80,
                    random_.chance(50)
                        ? "CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP"
                        : "CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | "
                          "WS_VSCROLL | WS_TABSTOP");
    } else if (roll < 82) {
      generic_control(width, height, cx);
    } else {
      unknown_control(width, height, cx);
    }
  }

  // CONTROL statements: buttons by name or by number, separators, common
  // controls, sometimes continued on the next line.
  void generic_control(int width, int height, int cx) {
    struct Kind {
      std::string_view class_name;
      std::string_view style;
      bool has_text;
    };
    static constexpr std::array<Kind, 10> kKinds = {{
        {"\"Button\"", "BS_AUTOCHECKBOX | WS_TABSTOP", true},
        {"\"Button\"", "BS_AUTORADIOBUTTON", true},
        {"\"Button\"", "BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP", true},
        {"WC_BUTTON", "0x50010000", true},
        {"\"Static\"", "SS_ETCHEDHORZ", false},
        {"\"Static\"", "SS_BLACKRECT", false},
        {"\"SysListView32\"",
         "LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | "
         "WS_TABSTOP",
         false},
        {"\"SysTreeView32\"",
         "TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | WS_BORDER | "
         "WS_TABSTOP",
         false},
        {"\"msctls_trackbar32\"", "TBS_AUTOTICKS | TBS_BOTH | WS_TABSTOP",
         false},
        {"\"msctls_updown32\"",
         "UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS", false},
    }};
    const Kind& kind = random_.pick(kKinds);
    std::string out = statement("CONTROL");
    out.append(kind.has_text ? quoted(label(4)) : "\"\"");
    out.append(",").append(any_control_id()).append(",");
    out.append(kind.class_name).append(",");
    std::string rest(kind.style);
    rest.push_back(',');
    append_rect(rest, width, height, cx, kind.has_text ? 10 : 40);
    if (random_.chance(20)) {
      script_.line(out);
      script_.line("                    " + rest);
    } else {
      script_.line(out + rest);
    }
  }

  // Statements the converter does not convert but must read past.
  void unknown_control(int width, int height, int cx) {
    switch (random_.below(8)) {
    case 0:
      text_control("RTEXT", "IDC_STATIC", width, height, cx, 8, "");
      break;
    case 1:
      text_control("CTEXT", any_control_id(), width, height, cx, 8, "");
      break;
    case 2: {
      std::string out = statement("ICON");
      out.append(icon_id(random_.below(kIconIds))).append(",IDC_STATIC,");
      append_rect(out, width, height, 20, 20);
      script_.line(out);
      break;
    }
    case 3:
      plain_control("SCROLLBAR", width, height, 10, 60, "SBS_VERT");
      break;
    case 4:
      text_control("CHECKBOX", any_control_id(), width, height, cx, 10, "");
      break;
    case 5:
      text_control("RADIOBUTTON", any_control_id(), width, height, cx, 10, "");
      break;
    case 6:
      text_control("AUTO3STATE", any_control_id(), width, height, cx, 10, "");
      break;
    default:
      script_.line("    // " + label(5));
      break;
    }
  }

  void menu() {
    int k = menus_++;
    bool extended = random_.chance(25);
    std::string id = menu_id(k);
    if (extended) {
      script_.line(id + " MENUEX", kConverter);
      script_.line(id + " MENU", kLlvmRc);
    } else {
      script_.line(id + (random_.chance(30) ? " MENU DISCARDABLE" : " MENU"));
    }
    script_.line("BEGIN");
    int popups = random_.between(2, 7);
    for (int i = 0; i < popups; ++i) {
      popup(1, extended);
    }
    script_.line("END");
    blank();
  }

  std::string indent(int depth) { return std::string(4 * depth, ' '); }

  void popup(int depth, bool extended) {
    std::string head = indent(depth) + "POPUP " + quoted(label(2));
    if (extended) {
      std::string fields = ", " + command_id(random_.below(kCommandIds)) +
                           ", MFT_STRING, MFS_ENABLED";
      script_.line(head + fields, kConverter);
      script_.line(head, kLlvmRc);
    } else {
      script_.line(head);
    }
    script_.line(indent(depth) + "BEGIN");
    int items = random_.between(3, 14);
    for (int i = 0; i < items; ++i) {
      int roll = random_.below(100);
      if (roll < 12) {
        if (extended) {
          script_.line(indent(depth + 1) + "MENUITEM \"\", 0, MFT_SEPARATOR",
                       kConverter);
          script_.line(indent(depth + 1) + "MENUITEM SEPARATOR", kLlvmRc);
        } else {
          script_.line(indent(depth + 1) + "MENUITEM SEPARATOR");
        }
      } else if (roll < 20 && depth < 3) {
        popup(depth + 1, extended);
      } else {
        menu_item(depth + 1, extended);
      }
    }
    script_.line(indent(depth) + "END");
  }

  void menu_item(int depth, bool extended) {
    std::string text = label(3);
    if (random_.chance(25)) {
      text.append("\\tCtrl+");
      text.push_back(static_cast<char>('A' + random_.below(26)));
    }
    std::string out = indent(depth) + "MENUITEM ";
    append_padded(out, quoted(text) + ",", 36);
    std::string id = command_id(random_.below(kCommandIds));
    if (extended) {
      script_.line(out + id + ", MFT_STRING, MFS_ENABLED", kConverter);
      script_.line(out + id, kLlvmRc);
      return;
    }
    if (random_.chance(10)) {
      id.append(", CHECKED");
    } else if (random_.chance(5)) {
      id.append(", GRAYED");
    }
    script_.line(out + id);
  }

  void string_table() {
    script_.line(random_.chance(30) ? "STRINGTABLE DISCARDABLE"
                                    : "STRINGTABLE");
    script_.line("BEGIN");
    int count = random_.between(4, 40);
    for (int i = 0; i < count; ++i) {
      std::string text = label(random_.chance(5) ? 60 : 12);
      // Some strings hold escapes as real tables do.
      if (random_.chance(10)) {
        text.append("\\n");
        text.append(label(6));
      }
      std::string out = "    ";
      append_padded(out, string_id(strings_++), 24);
      out.append(quoted(text));
      script_.line(out);
    }
    script_.line("END");
    blank();
  }

  void accelerators() {
    static constexpr std::array<std::string_view, 8> kKeys = {
        "VK_F1",  "VK_F2",     "VK_F3",     "VK_F5",
        "VK_F12", "VK_DELETE", "VK_INSERT", "VK_RETURN"};
    script_.line(accel_id(accels_++) + " ACCELERATORS");
    script_.line("BEGIN");
    int count = random_.between(4, 20);
    for (int i = 0; i < count; ++i) {
      std::string out = "    ";
      std::string id = command_id(random_.below(kCommandIds));
      if (random_.chance(50)) {
        std::string key = "\"";
        key.push_back(static_cast<char>('A' + random_.below(26)));
        key.push_back('"');
        append_padded(out, key + ",", 16);
        append_padded(out, id + ",", 32);
        out.append(random_.chance(50) ? "VIRTKEY, CONTROL, NOINVERT"
                                      : "VIRTKEY, SHIFT, CONTROL, NOINVERT");
        script_.line(out);
      } else {
        append_padded(out, std::string(random_.pick(kKeys)) + ",", 16);
        append_padded(out, id + ",", 32);
        out.append("VIRTKEY, NOINVERT");
        script_.line(out);
      }
    }
    script_.line("END");
    blank();
  }

  // Layout guides the resource editor keeps; the preprocessor removes them
  // for llvm-rc, while the converter reads every line.
  void design_info() {
    script_.line("#ifdef APSTUDIO_INVOKED");
    script_.line("GUIDELINES DESIGNINFO");
    script_.line("BEGIN");
    int count = random_.between(1, 6);
    for (int i = 0; i < count; ++i) {
      int k = random_.below(std::max(1, dialogs_));
      script_.line("    " + dialog_id(k) + ", DIALOG");
      script_.line("    BEGIN");
      for (std::string_view guide : {"LEFTMARGIN, 7", "RIGHTMARGIN, 233",
                                     "TOPMARGIN, 7", "BOTTOMMARGIN, 163"}) {
        script_.line("        " + std::string(guide));
      }
      script_.line("    END");
      script_.line("");
    }
    script_.line("END");
    script_.line("#endif    // APSTUDIO_INVOKED");
    blank();
  }

  // Icon resources name files, which the llvm-rc form cannot provide.
  void icons() {
    banner("Icon");
    int count = random_.between(1, 4);
    for (int i = 0; i < count; ++i) {
      std::string id = icon_id(random_.below(kIconIds));
      std::string out;
      append_padded(out, id, 24);
      out.append("ICON                    \"res\\\\app");
      append_int(out, i);
      out.append(".ico\"");
      script_.line(out, kConverter);
      script_.line("// " + out, kLlvmRc);
    }
    blank();
  }

  void comments() {
    script_.line("/*");
    int count = random_.between(1, 5);
    for (int i = 0; i < count; ++i) {
      script_.line(" * " + label(10));
    }
    script_.line(" */");
    std::string guard = "#ifndef NO_";
    guard.append(random_.pick(kIdWords));
    script_.line(guard);
    script_.line("#define HAVE_" + std::string(random_.pick(kIdWords)) + " 1");
    dialog();
    script_.line("#endif");
    blank();
  }

  void text_include() {
    script_.line("#ifdef APSTUDIO_INVOKED");
    script_.line("1 TEXTINCLUDE");
    script_.line("BEGIN");
    script_.line("    \"resource.h\\0\"");
    script_.line("END");
    script_.line("#endif    // APSTUDIO_INVOKED");
    blank();
  }

  void version_info() {
    script_.line("VS_VERSION_INFO VERSIONINFO");
    script_.line(" FILEVERSION 1,0,0,1");
    script_.line(" PRODUCTVERSION 1,0,0,1");
    script_.line(" FILEFLAGSMASK 0x3fL");
    script_.line("#ifdef _DEBUG");
    script_.line(" FILEFLAGS 0x1L");
    script_.line("#else");
    script_.line(" FILEFLAGS 0x0L");
    script_.line("#endif");
    script_.line(" FILEOS 0x40004L");
    script_.line(" FILETYPE 0x1L");
    script_.line(" FILESUBTYPE 0x0L");
    script_.line("BEGIN");
    script_.line("    BLOCK \"StringFileInfo\"");
    script_.line("    BEGIN");
    script_.line("        BLOCK \"040904b0\"");
    script_.line("        BEGIN");
    script_.line("            VALUE \"CompanyName\", \"Example\"");
    script_.line("            VALUE \"FileDescription\", \"Synthetic script\"");
    script_.line("            VALUE \"FileVersion\", \"1.0.0.1\"");
    script_.line("        END");
    script_.line("    END");
    script_.line("    BLOCK \"VarFileInfo\"");
    script_.line("    BEGIN");
    script_.line("        VALUE \"Translation\", 0x409, 1200");
    script_.line("    END");
    script_.line("END");
  }

  Random random_;
  Script script_;
  int sections_ = 0;
  size_t section_start_ = 0;
  int dialogs_ = 0;
  int menus_ = 0;
  int accels_ = 0;
  int strings_ = 0;
  int max_dialogs_ = 0;
  int max_menus_ = 0;
  int max_accels_ = 0;
  int max_strings_ = 0;
};

int usage() {
  std::fputs(
      "usage: dlgforge_bench_gen [--llvm-rc] [--seed N] [--kib] SIZE OUTPUT\n"
      "Writes a synthetic resource script of about SIZE MiB (KiB with\n"
      "--kib) to OUTPUT ('-' for standard output). --llvm-rc writes the form\n"
      "llvm-rc\n"
      "compiles (with /C 1252).\n",
      stderr);
  return 2;
}

bool parse_number(std::string_view text, uint64_t& value) {
  auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace
}  // namespace dlgforge

int main(int argc, char** argv) {
  using namespace dlgforge;
  Target target = kConverter;
  uint64_t seed = 20240601;
  int unit_shift = 20;  // MiB, or KiB with --kib
  std::vector<std::string_view> positional;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--llvm-rc") {
      target = kLlvmRc;
    } else if (arg == "--kib") {
      unit_shift = 10;
    } else if (arg == "--seed" && i + 1 < argc) {
      if (!parse_number(argv[++i], seed)) {
        return usage();
      }
    } else {
      positional.push_back(arg);
    }
  }
  uint64_t megabytes = 0;
  if (positional.size() != 2 || !parse_number(positional[0], megabytes) ||
      megabytes == 0) {
    return usage();
  }
  Generator generator(seed, target);
  std::string header_guess =
      target == kConverter ? generator.converter_header() : "";
  size_t wanted = static_cast<size_t>(megabytes) << unit_shift;
  generator.run(wanted > header_guess.size() ? wanted - header_guess.size()
                                             : 1);
  std::string header = target == kConverter ? generator.converter_header()
                                            : generator.llvm_rc_header();

  std::string path(positional[1]);
  std::FILE* out = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::perror(path.c_str());
    return 1;
  }
  const std::string& body = generator.body();
  bool ok =
      std::fwrite(header.data(), 1, header.size(), out) == header.size() &&
      std::fwrite(body.data(), 1, body.size(), out) == body.size();
  ok = (out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0) && ok;
  if (!ok) {
    std::perror(path.c_str());
    return 1;
  }
  return 0;
}
