// Builds the shared world of a corpus script and runs the programs that
// read it.
#include "port/compiler_world.h"

#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

extern char** environ;

namespace dlgforge::testing {

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

std::string replace_all(std::string text, const std::string& from,
                        const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    parts.push_back(part);
  }
  return parts;
}

std::optional<fs::path> find_in_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  for (const std::string& dir : split(path ? path : "", ':')) {
    fs::path candidate = fs::path(dir) / name;
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::nullopt;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim_start(std::string_view line) {
  while (!line.empty() && is_blank(line.front())) {
    line.remove_prefix(1);
  }
  return line;
}

/// The directive a line holds ("include", "pragma", ...) and the rest of
/// the line after it, or nothing for a line that is not a directive.
std::optional<std::pair<std::string, std::string_view>> directive(
    std::string_view line) {
  line = trim_start(line);
  if (line.empty() || line.front() != '#') {
    return std::nullopt;
  }
  line = trim_start(line.substr(1));
  std::size_t end = 0;
  while (end < line.size() &&
         ((line[end] >= 'a' && line[end] <= 'z') ||
          (line[end] >= 'A' && line[end] <= 'Z') || line[end] == '_')) {
    ++end;
  }
  return std::make_pair(lower(std::string(line.substr(0, end))),
                        trim_start(line.substr(end)));
}

/// The code page a `#pragma code_page(N)` line names; 0 for DEFAULT.
std::optional<int> pragma_codepage(std::string_view line) {
  auto found = directive(line);
  if (!found || found->first != "pragma") {
    return std::nullopt;
  }
  std::string rest = lower(std::string(found->second));
  if (!rest.starts_with("code_page")) {
    return std::nullopt;
  }
  auto open = rest.find('(');
  if (open == std::string::npos) {
    return std::nullopt;
  }
  return std::atoi(rest.c_str() + open + 1);
}

/// The file an `#include` line names, and whether it was written <so>.
std::optional<std::pair<std::string, bool>> included_name(
    std::string_view line) {
  auto found = directive(line);
  if (!found || found->first != "include" || found->second.empty()) {
    return std::nullopt;
  }
  std::string_view rest = found->second;
  char close = rest.front() == '<' ? '>' : '"';
  if (rest.front() != '<' && rest.front() != '"') {
    return std::nullopt;
  }
  auto end = rest.find(close, 1);
  if (end == std::string_view::npos) {
    return std::nullopt;
  }
  return std::make_pair(std::string(rest.substr(1, end - 1)), close == '>');
}

void append_decoded(std::string& out, std::string_view bytes, int codepage) {
  if (codepage == 65001 || bytes.empty()) {
    out += bytes;
    return;
  }
  std::string name = "CP" + std::to_string(codepage);
  iconv_t converter = ::iconv_open("UTF-8", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    out += bytes;
    return;
  }
  std::string input(bytes);
  char* in = input.data();
  std::size_t in_left = input.size();
  std::string buffer(input.size() * 4 + 16, '\0');
  while (in_left > 0) {
    char* to = buffer.data();
    std::size_t to_left = buffer.size();
    std::size_t done = ::iconv(converter, &in, &in_left, &to, &to_left);
    out.append(buffer.data(), buffer.size() - to_left);
    if (done == static_cast<std::size_t>(-1) && in_left > 0) {
      auto byte = static_cast<unsigned char>(*in);
      if (codepage == 1252 && (byte == 0x81 || byte == 0x8D || byte == 0x8F ||
                               byte == 0x90 || byte == 0x9D)) {
        // The five bytes code page 1252 leaves out are, for Windows, the
        // C1 controls of the same number.
        out += static_cast<char>(0xC2);
        out += static_cast<char>(byte);
      } else {
        out += "\xEF\xBF\xBD";  // U+FFFD for a sequence that does not decode
      }
      ++in;
      --in_left;
    }
  }
  ::iconv_close(converter);
}

std::string utf16_to_utf8(std::string_view bytes) {
  std::string out;
  iconv_t converter = ::iconv_open("UTF-8", "UTF-16LE");
  std::string input(bytes);
  char* in = input.data();
  std::size_t in_left = input.size() & ~std::size_t{1};
  std::string buffer(input.size() * 2 + 16, '\0');
  char* to = buffer.data();
  std::size_t to_left = buffer.size();
  ::iconv(converter, &in, &in_left, &to, &to_left);
  ::iconv_close(converter);
  out.append(buffer.data(), buffer.size() - to_left);
  return out;
}

// Headers that MinGW writes for resource scripts: the compilers find them in
// its include folder as they are.
const std::set<std::string> kMingwResourceHeaders = {
    "winresrc.h", "winres.h",    "dlgs.h",   "winver.h",
    "winuser.rh", "commctrl.rh", "winnt.rh", "dde.rh"};

// Windows headers that are C headers in MinGW: the compilers get a stand-in.
const std::set<std::string> kWindowsHeaders = {
    "windows.h", "commctrl.h", "richedit.h",  "prsht.h",    "winuser.h",
    "verrsrc.h", "winnt.h",    "windowsx.h",  "shlobj.h",   "ntverp.h",
    "winbase.h", "wingdi.h",   "sdkddkver.h", "richole.h",  "windef.h",
    "dde.h",     "shellapi.h", "olectl.h",    "mmsystem.h", "ddeml.h",
    "commdlg.h", "winresrc.rh"};

/// The ids that MFC's afxres.h defines (ATL's atlres.h shares the command
/// ids) and MinGW's does not, as Microsoft documents them: runs of
/// consecutive values, each from its first. Written here apart from the
/// reader's table, so that a wrong value in either shows.
struct IdRun {
  unsigned first;
  std::vector<std::string> names;
};
const IdRun kFrameworkIds[] = {
    {0xE000, {"AFX_IDS_APP_TITLE", "AFX_IDS_IDLEMESSAGE"}},
    {0xE100,
     {"ID_FILE_NEW", "ID_FILE_OPEN", "ID_FILE_CLOSE", "ID_FILE_SAVE",
      "ID_FILE_SAVE_AS", "ID_FILE_PAGE_SETUP", "ID_FILE_PRINT_SETUP",
      "ID_FILE_PRINT", "ID_FILE_PRINT_DIRECT", "ID_FILE_PRINT_PREVIEW"}},
    {0xE120,
     {"ID_EDIT_CLEAR", "ID_EDIT_CLEAR_ALL", "ID_EDIT_COPY", "ID_EDIT_CUT",
      "ID_EDIT_FIND", "ID_EDIT_PASTE", "ID_EDIT_PASTE_LINK",
      "ID_EDIT_PASTE_SPECIAL", "ID_EDIT_REPEAT", "ID_EDIT_REPLACE",
      "ID_EDIT_SELECT_ALL", "ID_EDIT_UNDO", "ID_EDIT_REDO"}},
    {0xE130,
     {"ID_WINDOW_NEW", "ID_WINDOW_ARRANGE", "ID_WINDOW_CASCADE",
      "ID_WINDOW_TILE_HORZ", "ID_WINDOW_TILE_VERT", "ID_WINDOW_SPLIT"}},
    {0xE140,
     {"ID_APP_ABOUT", "ID_APP_EXIT", "ID_HELP_INDEX", "ID_HELP_FINDER",
      "ID_HELP_USING", "ID_CONTEXT_HELP", "ID_HELP", "ID_DEFAULT_HELP"}},
    {0xE150, {"ID_NEXT_PANE", "ID_PREV_PANE"}},
    {0xE700,
     {"ID_INDICATOR_EXT", "ID_INDICATOR_CAPS", "ID_INDICATOR_NUM",
      "ID_INDICATOR_SCRL", "ID_INDICATOR_OVR", "ID_INDICATOR_REC",
      "ID_INDICATOR_KANA"}},
    {0xE800, {"ID_VIEW_TOOLBAR", "ID_VIEW_STATUS_BAR"}},
    {0xEF00,
     {"AFX_IDS_SCSIZE", "AFX_IDS_SCMOVE", "AFX_IDS_SCMINIMIZE",
      "AFX_IDS_SCMAXIMIZE", "AFX_IDS_SCNEXTWINDOW", "AFX_IDS_SCPREVWINDOW",
      "AFX_IDS_SCCLOSE"}},
    {0xEF12, {"AFX_IDS_SCRESTORE", "AFX_IDS_SCTASKLIST"}},
    {0xF005, {"AFX_IDS_PREVIEW_CLOSE"}},
};

bool is_framework_header(const std::string& base) {
  return base == "afxres.h" || base == "atlres.h";
}

/// What the compilers read for a Windows header (by its lower-case name):
/// MinGW's resource headers, the simple constants of the C headers and, for
/// afxres.h and atlres.h, the framework's ids.
std::string stand_in_header(const std::string& base) {
  std::string text = "#include <winresrc.h>\n#include \"wincontrols.rh\"\n";
  if (!is_framework_header(base)) {
    return text;
  }
  auto define = [&](const std::string& name, unsigned value) {
    text += "#ifndef " + name + "\n#define " + name + " " +
            std::to_string(value) + "\n#endif\n";
  };
  for (const IdRun& run : kFrameworkIds) {
    for (std::size_t i = 0; i < run.names.size(); ++i) {
      define(run.names[i], run.first + static_cast<unsigned>(i));
    }
  }
  for (unsigned i = 1; i <= 16; ++i) {
    define("ID_FILE_MRU_FILE" + std::to_string(i), 0xE10F + i);
  }
  return text;
}

/// Is `value` a constant the compilers can read without the rest of the
/// header: a number, a string, or a union of such and of names?
bool is_simple_value(std::string_view value) {
  if (value.empty() || value.find("<<") != std::string_view::npos ||
      value.find("sizeof") != std::string_view::npos) {
    return false;
  }
  if (value.front() == '"' || value.starts_with("L\"")) {
    return value.back() == '"';
  }
  // A value without a digit is a type or a function name, not a constant.
  if (std::none_of(value.begin(), value.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  return std::all_of(value.begin(), value.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z') || c == '_' || c == '|' || c == '(' ||
           c == ')' || c == ' ' || c == '~' || c == '-';
  });
}

/// The constants of a MinGW C header as `#ifndef` guarded defines: numbers
/// (with `__MSABI_LONG(n)` written as `nL`), strings, and class names that
/// pick their narrow form (`TRACKBAR_CLASS` is `TRACKBAR_CLASSA`).
std::string simple_constants(const fs::path& header,
                             std::initializer_list<std::string_view> prefixes) {
  std::string out;
  std::set<std::string> seen;
  std::istringstream in(read_file(header));
  for (std::string line; std::getline(in, line);) {
    auto found = directive(line);
    if (!found || found->first != "define") {
      continue;
    }
    std::string_view rest = found->second;
    std::size_t end = 0;
    while (end < rest.size() && !is_blank(rest[end]) && rest[end] != '(') {
      ++end;
    }
    if (end == 0 || (end < rest.size() && rest[end] == '(')) {
      continue;  // function-like
    }
    std::string name(rest.substr(0, end));
    std::string value(trim_start(rest.substr(end)));
    while (!value.empty() && is_blank(value.back())) {
      value.pop_back();
    }
    if (auto comment = value.find("/*"); comment != std::string::npos) {
      value.erase(comment);
      while (!value.empty() && is_blank(value.back())) {
        value.pop_back();
      }
    }
    value = replace_all(value, "__MSABI_LONG (", "__MSABI_LONG(");
    if (prefixes.size() != 0 &&
        std::none_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view p) { return name.starts_with(p); })) {
      continue;
    }
    bool narrow_name = false;
    if (value.starts_with("__MINGW_NAME_AW(") ||
        value.starts_with("__MINGW_NAME_UAW(")) {
      value = name + "A";
      narrow_name = true;
    } else if (value.starts_with("__MSABI_LONG(") && value.ends_with(")")) {
      value = value.substr(13, value.size() - 14) + "L";
    }
    if (name.starts_with("_") || (!narrow_name && !is_simple_value(value)) ||
        !seen.insert(name).second) {
      continue;
    }
    out += "#ifndef " + name + "\n#define " + name + " " + value + "\n#endif\n";
  }
  return out;
}

/// The words of a line, a quoted string counting as one; nothing when the
/// line holds a comma outside quotes (a statement with fields).
std::optional<std::vector<std::string>> blank_separated_words(
    std::string_view line) {
  if (auto comment = line.find("//"); comment != std::string_view::npos) {
    line = line.substr(0, comment);
  }
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (is_blank(line[at]) || line[at] == '\n') {
      ++at;
      continue;
    }
    std::size_t end = at;
    if (line[at] == '"') {
      end = line.find('"', at + 1);
      end = end == std::string_view::npos ? line.size() : end + 1;
    } else {
      while (end < line.size() && !is_blank(line[end]) && line[end] != '\n') {
        if (line[end] == ',') {
          return std::nullopt;
        }
        ++end;
      }
    }
    words.emplace_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

/// The resource type and file name of a statement such as `IDI_APP ICON
/// "app.ico"`: the compilers read the file, the model skips it.
std::optional<std::pair<std::string, std::string>> resource_file(
    std::string_view line) {
  if (directive(line)) {
    return std::nullopt;
  }
  auto words = blank_separated_words(line);
  if (!words || words->size() < 3) {
    return std::nullopt;
  }
  std::string file = words->back();
  bool quoted = file.size() >= 2 && file.front() == '"';
  if (quoted) {
    file = file.substr(1, file.size() - 2);
  } else if (file.find('.') == std::string::npos) {
    return std::nullopt;
  }
  return std::make_pair((*words)[1], file);
}

void append_le(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

/// A one-pixel image in the format a resource type's file holds.
std::string stand_in_resource(const std::string& type) {
  std::string info;  // BITMAPINFOHEADER of a 32-bit 1x1 image
  bool icon = type == "ICON" || type == "CURSOR";
  append_le(info, 40, 4);
  append_le(info, 1, 4);
  append_le(info, icon ? 2 : 1, 4);  // an icon counts its mask's rows
  append_le(info, 1, 2);
  append_le(info, 32, 2);
  info += std::string(24, '\0');
  std::string pixels = icon ? std::string(8, '\0') : std::string(4, '\0');
  std::string out;
  if (icon) {
    append_le(out, 0, 2);
    append_le(out, type == "ICON" ? 1 : 2, 2);
    append_le(out, 1, 2);
    out += std::string("\x01\x01\0\0", 4);       // 1x1, no palette
    append_le(out, type == "ICON" ? 1 : 0, 2);   // planes or hot spot x
    append_le(out, type == "ICON" ? 32 : 0, 2);  // bits or hot spot y
    append_le(out, static_cast<std::uint32_t>(info.size() + pixels.size()), 4);
    append_le(out, 22, 4);
  } else if (type == "BITMAP") {
    out += "BM";
    append_le(out, static_cast<std::uint32_t>(14 + info.size() + pixels.size()),
              4);
    append_le(out, 0, 4);
    append_le(out, 54, 4);
  } else {
    return std::string(4, '\0');
  }
  return out + info + pixels;
}

// Statements whose text the resource compiler lets stand without the comma
// that follows it.
const std::set<std::string> kTextFirst = {
    "CONTROL",         "LTEXT",      "RTEXT",
    "CTEXT",           "PUSHBUTTON", "DEFPUSHBUTTON",
    "PUSHBOX",         "CHECKBOX",   "AUTOCHECKBOX",
    "STATE3",          "AUTO3STATE", "RADIOBUTTON",
    "AUTORADIOBUTTON", "GROUPBOX",   "ICON",
    "MENUITEM",        "POPUP"};

/// The line with the comma after a statement's leading text put back where
/// the script leaves it out (`CTEXT "Demo" -1, 0, 5, 144, 8`) and 0 in a
/// field left empty: rc.exe reads them so, and the compilers stop at them.
std::string with_comma_after_text(const std::string& line) {
  std::size_t at = 0;
  while (at < line.size() && is_blank(line[at])) {
    ++at;
  }
  std::size_t word = at;
  while (at < line.size() && line[at] >= 'A' && line[at] <= 'Z') {
    ++at;
  }
  if (!kTextFirst.contains(line.substr(word, at - word))) {
    return line;
  }
  while (at < line.size() && is_blank(line[at])) {
    ++at;
  }
  if (at >= line.size() || line[at] != '"') {
    return line;
  }
  // A string ends at a quote not doubled.
  for (++at; at < line.size(); ++at) {
    if (line[at] == '"') {
      if (at + 1 < line.size() && line[at + 1] == '"') {
        ++at;
        continue;
      }
      break;
    }
  }
  std::size_t end = ++at;
  while (at < line.size() && is_blank(line[at])) {
    ++at;
  }
  std::string tail = line.substr(end);
  if (at != end && at < line.size() && line[at] != ',' && line[at] != '/') {
    tail = "," + tail;
  }
  // windres stops at a MENUEX field left empty (`MENUITEM "x", 5, ,
  // MFS_GRAYED`), which rc.exe reads as 0.
  for (auto comma = tail.find(','); comma != std::string::npos;
       comma = tail.find(',', comma + 1)) {
    auto next = tail.find_first_not_of(" \t", comma + 1);
    if (next != std::string::npos && tail[next] == ',') {
      tail.insert(comma + 1, " 0");
    }
  }
  return line.substr(0, end) + tail;
}

/// The first two words of a line.
std::pair<std::string, std::string> leading_words(const std::string& line) {
  std::istringstream in(line);
  std::string first, second;
  in >> first >> second;
  return {first, second};
}

/// Whether a line starts a resource of the type: a name, then the type.
bool starts_resource(const std::string& line, std::string_view wanted) {
  auto [name, type] = leading_words(line);
  bool is_name =
      !name.empty() && ((name[0] >= 'A' && name[0] <= 'Z') ||
                        (name[0] >= 'a' && name[0] <= 'z') ||
                        (name[0] >= '0' && name[0] <= '9') || name[0] == '_');
  return is_name && type == wanted;
}

// Statements a compiler stops at: winfile's DIALOGRESIZE lines (both) are
// left out, line for line, so that the rest of the script is still
// compared.
bool is_unread_line(const std::string& line) {
  return leading_words(line).first.starts_with("DIALOGRESIZE");
}

/// Calls `each` with every line of `text` and whether it is inside a block
/// of a resource of type `type` (its header, BEGIN and END included).
template <typename Each>
void for_lines_in_blocks(const std::string& text, std::string_view type,
                         Each each) {
  std::istringstream in(text);
  int depth = -1;  // inside such a block: its BEGIN/END nesting
  for (std::string line; std::getline(in, line);) {
    auto word = leading_words(line).first;
    if (depth < 0 && starts_resource(line, type)) {
      depth = 0;
      each(line, true);
      continue;
    }
    // A statement without a block ends before the next non-blank line.
    if (depth == 0 && !word.empty() && word != "BEGIN" && word != "{") {
      depth = -1;
    }
    if (depth >= 0) {
      if (word == "BEGIN" || word == "{") {
        ++depth;
      } else if ((word == "END" || word == "}") && --depth == 0) {
        depth = -1;
        each(line, true);
        continue;
      }
    }
    each(line, depth >= 0);
  }
}

/// windres reads the data of a DLGINIT block only with a comma between
/// every two items, which rc.exe and llvm-rc do not need at a line's end:
/// the comma is put in where a data line is followed by another.
std::string with_commas_in_dialog_init(const std::string& text) {
  std::string out;
  std::string pending;  // the last data line, waiting for what follows
  for_lines_in_blocks(
      text, "DLGINIT", [&](const std::string& line, bool inside) {
        auto word = leading_words(line).first;
        bool data = inside && !word.empty() && word != "BEGIN" && word != "{" &&
                    word != "END" && word != "}" &&
                    !starts_resource(line, "DLGINIT");
        if (inside && word.empty() && !pending.empty()) {
          pending += line + "\n";  // a blank line between data lines
          return;
        }
        if (data && !pending.empty()) {
          std::size_t end = pending.find_last_not_of(" \t\r\n");
          if (pending[end] != ',') {
            pending.insert(end + 1, ",");
          }
        }
        out += pending;
        pending.clear();
        if (data) {
          pending = line + "\n";
        } else {
          out += line + "\n";
        }
      });
  return out + pending;
}

/// llvm-rc knows no TOOLBAR: its copy of the script has the blocks blank.
std::string without_toolbars(const std::string& text) {
  std::string out;
  for_lines_in_blocks(text, "TOOLBAR",
                      [&](const std::string& line, bool inside) {
                        out += inside ? "\n" : line + "\n";
                      });
  return out;
}

void copy_tree_file(const fs::path& from, const fs::path& original,
                    const fs::path& utf8, int codepage) {
  std::string bytes = read_file(from);
  write_file(original, bytes);
  std::string text;
  std::istringstream in(to_utf8(bytes, codepage));
  for (std::string line; std::getline(in, line);) {
    text += is_unread_line(line) ? "\n" : with_comma_after_text(line) + "\n";
  }
  write_file(utf8, with_commas_in_dialog_init(text));
}

bool is_inside(const fs::path& path, const fs::path& root) {
  auto rel = path.lexically_normal().lexically_relative(root);
  return !rel.empty() && *rel.begin() != "..";
}

/// Windows finds `Resource.h` as resource.h: where a file of the tree has
/// the included name in another case, a copy under the included spelling
/// goes into both trees.
void copy_in_other_case(const fs::path& wanted, const fs::path& utf8,
                        const fs::path& original) {
  std::error_code error;
  const std::string name = lower(wanted.filename().string());
  for (const auto& entry :
       fs::directory_iterator(wanted.parent_path(), error)) {
    if (entry.is_regular_file() &&
        lower(entry.path().filename().string()) == name) {
      fs::path rel = wanted.lexically_relative(utf8);
      fs::path found = entry.path().lexically_relative(utf8);
      fs::copy_file(utf8 / found, utf8 / rel, error);
      fs::copy_file(original / found, original / rel, error);
      return;
    }
  }
}

}  // namespace

std::set<std::string> lone_identifiers(const std::string& text) {
  std::set<std::string> names;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    auto begin = line.find_first_not_of(" \t\r");
    auto end = line.find_last_not_of(" \t\r");
    if (begin == std::string::npos) {
      continue;
    }
    std::string word = line.substr(begin, end - begin + 1);
    bool identifier = std::all_of(word.begin(), word.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
             (c >= '0' && c <= '9') || c == '_';
    });
    if (identifier && !(word[0] >= '0' && word[0] <= '9')) {
      names.insert(word);
    }
  }
  return names;
}

std::string first_error(const std::string& messages) {
  std::istringstream in(messages);
  std::string first;
  for (std::string line; std::getline(in, line);) {
    if (first.empty()) {
      first = line;
    }
    if (line.find("rror") != std::string::npos) {
      // llvm-rc gives the reason on the line after "Error in ...: ".
      std::string reason;
      if (line.ends_with(": ") && std::getline(in, reason)) {
        line += reason;
      }
      return line;
    }
  }
  return first;
}

std::vector<std::string> define_arguments(const nlohmann::json& names,
                                          bool slash_form,
                                          const std::set<std::string>& alone) {
  std::vector<std::string> args;
  int value = 24001;
  for (const nlohmann::json& name : names) {
    std::string text = name.get<std::string>();
    std::string define =
        text + "=" + (alone.contains(text) ? "" : std::to_string(value));
    ++value;
    if (slash_form) {
      args.push_back("/D");
    } else {
      args.push_back("-D");
    }
    args.push_back(define);
  }
  return args;
}

std::vector<std::string> compiler_command(const std::string& compiler,
                                          const Compilers& compilers,
                                          const fs::path& system_headers,
                                          const PreparedScript& prepared) {
  const std::string include = compilers.mingw_include.string();
  const std::string system = system_headers.string();
  std::vector<std::string> command;
  if (compiler == "llvm-rc") {
    command = {compilers.llvm_rc.string(),
               "/C",
               "65001",
               "/I",
               system,
               "/I",
               include,
               "/FO",
               "llvm-rc.res"};
  } else {
    // windres runs the host preprocessor with the defines a MinGW compiler
    // would set, so that the MinGW headers accept it.
    command = {compilers.windres.string(), "--preprocessor",
               compilers.preprocessor.string()};
    for (const char* define : {"-D_WIN32", "-D_WIN64", "-D__MINGW32__",
                               "-D__MINGW64__", "-DRC_INVOKED", "-xc"}) {
      command.push_back(std::string("--preprocessor-arg=") + define);
    }
    for (const char* option :
         {"-c", "65001", "-I", system.c_str(), "-I", include.c_str(), "-O",
          "res", "-o", "windres.res"}) {
      command.push_back(option);
    }
  }
  auto defines = define_arguments(prepared.undefined, compiler == "llvm-rc",
                                  prepared.alone);
  command.insert(command.end(), defines.begin(), defines.end());
  command.push_back((compiler == "llvm-rc" ? prepared.world.llvm_rc_script
                                           : prepared.world.utf8_script)
                        .filename()
                        .string());
  return command;
}

PreparedScript prepare_script(const fs::path& dlgforge, const fs::path& root,
                              const CorpusFile& script,
                              const std::vector<CorpusFile>& corpus,
                              const fs::path& system_headers,
                              const fs::path& mingw_include) {
  PreparedScript prepared;
  prepared.world =
      build_world(root, script, corpus, system_headers, mingw_include);
  const fs::path original_dir = prepared.world.original_script.parent_path();
  const std::string name = prepared.world.original_script.filename().string();
  // The compilers read a UTF-8 copy converted from the code page the corpus
  // index names; dlgforge reads the original bytes as a user would give
  // them, without --codepage: it must find UTF-8 text, and a legacy code
  // page from the pragma or LANGUAGE in force, by itself.
  auto dump = [&] {
    std::vector<std::string> argv = {dlgforge.string()};
    argv.insert(argv.end(), prepared.dlgforge_options.begin(),
                prepared.dlgforge_options.end());
    argv.push_back("--dump-model");
    argv.push_back(name);
    ToolRun run = run_tool(argv, original_dir);
    prepared.model = nlohmann::json::parse(run.out, nullptr, false);
    prepared.dump_error = first_error(run.err);
  };
  dump();
  if (!prepared.model.is_discarded()) {
    prepared.undefined =
        prepared.model.value("undefined_identifiers", nlohmann::json::array());
  }
  prepared.alone = lone_identifiers(read_file(prepared.world.utf8_script));
  if (!prepared.undefined.empty()) {
    auto defines = define_arguments(prepared.undefined, false, prepared.alone);
    prepared.dlgforge_options.insert(prepared.dlgforge_options.begin(),
                                     defines.begin(), defines.end());
    dump();
  }
  return prepared;
}

int codepage_of(const std::string& encoding) {
  if (encoding.starts_with("cp")) {
    // "mixed:cp1252+cp932" and the like start in their first code page.
    return std::atoi(encoding.c_str() + 2);
  }
  if (encoding.starts_with("mixed:cp")) {
    return std::atoi(encoding.c_str() + 8);
  }
  return 65001;
}

std::string to_utf8(const std::string& bytes, int initial_codepage) {
  // A byte-order mark fixes the encoding: code-page pragmas no longer count.
  std::string text = bytes;
  bool fixed = true;
  if (bytes.starts_with("\xFF\xFE")) {
    text = utf16_to_utf8(std::string_view(bytes).substr(2));
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    text = bytes.substr(3);
  } else {
    fixed = false;
  }
  int codepage = fixed ? 65001 : initial_codepage;
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string_view line = std::string_view(text).substr(start, end - start);
    start = end;
    if (auto named = pragma_codepage(line)) {
      if (!fixed) {
        codepage = *named == 0 ? initial_codepage : *named;
      }
      out += "#pragma code_page(65001)\n";
      continue;
    }
    append_decoded(out, line, fixed ? 65001 : codepage);
  }
  return out;
}

std::vector<CorpusFile> read_corpus(const fs::path& corpus_dir) {
  std::vector<CorpusFile> files;
  std::istringstream in(read_file(corpus_dir / "SOURCES.tsv"));
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    auto fields = split(line, '\t');
    if (fields.size() < 7) {
      continue;
    }
    CorpusFile file{fields[1], fields[3], fields[6], {}};
    file.file = corpus_dir / (replace_all(file.repo, "/", "__") + "__" +
                              replace_all(file.path, "/", "__"));
    if (fs::exists(file.file)) {
      files.push_back(std::move(file));
    }
  }
  return files;
}

bool is_script(const CorpusFile& file) {
  std::string name = lower(file.path);
  return name.ends_with(".rc") || name.ends_with(".rc2") ||
         name.ends_with(".dlg");
}

Compilers find_compilers() {
  Compilers found;
  auto llvm_rc = find_in_path("llvm-rc");
  auto clang = find_in_path("clang");
  auto windres = find_in_path("x86_64-w64-mingw32-windres");
  auto cpp = find_in_path("cpp");
  found.mingw_include = "/usr/share/mingw-w64/include";
  if (!llvm_rc || !clang) {
    found.missing += " llvm-rc and clang (package llvm, clang)";
  }
  if (!windres || !cpp) {
    found.missing +=
        " x86_64-w64-mingw32-windres and cpp"
        " (package binutils-mingw-w64-x86-64, cpp)";
  }
  if (!fs::exists(found.mingw_include / "winresrc.h")) {
    found.missing += " the MinGW headers (package mingw-w64-x86-64-dev)";
  }
  if (found.missing.empty()) {
    found.llvm_rc = *llvm_rc;
    found.windres = *windres;
    found.preprocessor = *cpp;
  }
  return found;
}

ToolRun run_tool(const std::vector<std::string>& argv, const fs::path& cwd) {
  ToolRun run;
  static std::atomic<int> counter = 0;
  fs::path capture = fs::temp_directory_path() /
                     ("dlgforge-tool-" + std::to_string(::getpid()) + "-" +
                      std::to_string(counter++));
  std::string out_path = capture.string() + ".out";
  std::string err_path = capture.string() + ".err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (std::string& arg : args) {
    pointers.push_back(arg.data());
  }
  pointers.push_back(nullptr);
  pid_t pid = 0;
  int failed = ::posix_spawn(&pid, pointers[0], &actions, nullptr,
                             pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (failed == 0 && ::waitpid(pid, &status, 0) == pid) {
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  run.out = read_file(out_path);
  run.err = read_file(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return run;
}

void write_system_headers(const fs::path& root, const fs::path& mingw_include) {
  std::string constants;
  for (const char* header : {"commctrl.h", "richedit.h", "prsht.h"}) {
    constants += simple_constants(mingw_include / header, {});
  }
  // winnt.rh lacks the language identifiers that LANGUAGE statements use.
  constants += simple_constants(mingw_include / "winnt.h",
                                {"LANG_", "SUBLANG_", "SORT_"});
  // Documented with the dialog keywords, defined by afxres.h and winres.h.
  constants += "#ifndef IDC_STATIC\n#define IDC_STATIC (-1)\n#endif\n";
  write_file(root / "wincontrols.rh", constants);
  for (const std::string& name : kWindowsHeaders) {
    write_file(root / name, stand_in_header(name));
  }
  for (const std::string name : {"afxres.h", "atlres.h"}) {
    write_file(root / name, stand_in_header(name));
  }
}

World build_world(const fs::path& root, const CorpusFile& script,
                  const std::vector<CorpusFile>& corpus,
                  const fs::path& system_headers,
                  const fs::path& mingw_include) {
  World world;
  const fs::path original = root / "original";
  const fs::path utf8 = root / "utf8";
  for (const CorpusFile& file : corpus) {
    if (file.repo == script.repo) {
      copy_tree_file(file.file, original / file.path, utf8 / file.path,
                     codepage_of(file.encoding));
    }
  }
  world.original_script = original / script.path;
  world.utf8_script = utf8 / script.path;
  // dlgforge knows the Windows constants whether or not the script includes
  // a Windows header (many include them through a header the corpus lacks):
  // the compilers get them from the start of the script.
  write_file(world.utf8_script,
             "#include <windows.h>\n" + read_file(world.utf8_script));
  world.llvm_rc_script = world.utf8_script.parent_path() /
                         ("llvm-rc-" + world.utf8_script.filename().string());
  write_file(world.llvm_rc_script,
             without_toolbars(read_file(world.utf8_script)));

  // Follows the includes of the UTF-8 tree: a name found nowhere the
  // compilers look gets an empty file next to the file that includes it.
  std::vector<fs::path> pending = {world.utf8_script};
  std::set<fs::path> visited;
  while (!pending.empty()) {
    fs::path file = pending.back();
    pending.pop_back();
    if (!visited.insert(file).second) {
      continue;
    }
    std::istringstream in(read_file(file));
    for (std::string line; std::getline(in, line);) {
      if (auto resource = resource_file(line)) {
        const auto& [type, name] = *resource;
        // windres reads `"res\\app.ico"` as res\app.ico, llvm-rc as written.
        for (const std::string& spelling :
             {name, replace_all(name, "\\\\", "\\"),
              replace_all(replace_all(name, "\\\\", "/"), "\\", "/")}) {
          fs::path at =
              (world.utf8_script.parent_path() / spelling).lexically_normal();
          if (is_inside(at, utf8) && !fs::exists(at)) {
            write_file(at, stand_in_resource(type));
          }
        }
        continue;
      }
      auto included = included_name(line);
      if (!included) {
        continue;
      }
      const std::string& name = included->first;
      std::string base =
          lower(fs::path(replace_all(name, "\\", "/")).filename().string());
      if (kMingwResourceHeaders.contains(base) ||
          kWindowsHeaders.contains(base) || is_framework_header(base)) {
        if (!fs::exists(system_headers / name) &&
            (is_framework_header(base) || !fs::exists(mingw_include / name))) {
          // Spelled in another case: a stand-in under that spelling.
          write_file(system_headers / name, stand_in_header(base));
        }
        continue;
      }
      std::vector<fs::path> places = {file.parent_path(),
                                      world.utf8_script.parent_path()};
      bool found = false;
      for (const std::string& spelling : {name, replace_all(name, "\\", "/")}) {
        for (const fs::path& place : places) {
          fs::path candidate = (place / spelling).lexically_normal();
          if (!fs::is_regular_file(candidate) && is_inside(candidate, utf8)) {
            copy_in_other_case(candidate, utf8, original);
          }
          if (fs::is_regular_file(candidate)) {
            pending.push_back(candidate);
            found = true;
            break;
          }
        }
        if (found) {
          break;
        }
      }
      if (found) {
        continue;
      }
      for (const std::string& spelling : {name, replace_all(name, "\\", "/")}) {
        fs::path at = (file.parent_path() / spelling).lexically_normal();
        if (!is_inside(at, utf8)) {
          continue;
        }
        fs::path rel = at.lexically_relative(utf8);
        write_file(utf8 / rel, "");
        write_file(original / rel, "");
      }
      world.stand_ins.push_back(name);
    }
  }
  return world;
}

}  // namespace dlgforge::testing
