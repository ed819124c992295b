#include "port/widgets/text.h"

namespace dlgforge::port {
namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) {
      return false;
    }
  }
  return true;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// Key names as menus write them, and the names the toolkits' key tables
// use for them.
struct KeyName {
  std::string_view written;
  std::string_view key;
};
constexpr KeyName kKeyNames[] = {
    {"Del", "Delete"},
    {"Delete", "Delete"},
    {"Ins", "Insert"},
    {"Insert", "Insert"},
    {"Home", "Home"},
    {"End", "End"},
    {"PgUp", "Page_Up"},
    {"PgDn", "Page_Down"},
    {"Page Up", "Page_Up"},
    {"Page Down", "Page_Down"},
    {"Esc", "Escape"},
    {"Escape", "Escape"},
    {"Enter", "Return"},
    {"Return", "Return"},
    {"Tab", "Tab"},
    {"Space", "space"},
    {"Backspace", "BackSpace"},
    {"Bksp", "BackSpace"},
    {"Up", "Up"},
    {"Down", "Down"},
    {"Left", "Left"},
    {"Right", "Right"},
    {"Plus", "plus"},
    {"Minus", "minus"},
    {"Num +", "KP_Add"},
    {"Num -", "KP_Subtract"},
    {"+", "plus"},
    {"-", "minus"},
    {"Pause", "Pause"},
};

std::string key_for(std::string_view written) {
  if (written.size() == 1) {
    char c = written[0];
    if (c >= 'A' && c <= 'Z') {
      return std::string(1, static_cast<char>(c + 32));
    }
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      return std::string(1, c);
    }
  }
  if (written.size() >= 2 && written.size() <= 3 &&
      (written[0] == 'F' || written[0] == 'f')) {
    int number = 0;
    for (char c : written.substr(1)) {
      if (c < '0' || c > '9') {
        return {};
      }
      number = number * 10 + (c - '0');
    }
    if (number >= 1 && number <= 24) {
      std::string key(1, 'F');
      key += std::to_string(number);
      return key;
    }
    return {};
  }
  for (const KeyName& name : kKeyNames) {
    if (equals_ignoring_case(name.written, written)) {
      return std::string(name.key);
    }
  }
  return {};
}

}  // namespace

MnemonicText to_mnemonic(std::string_view windows_text) {
  MnemonicText result;
  result.text.reserve(windows_text.size() + 2);
  for (size_t i = 0; i < windows_text.size(); ++i) {
    char c = windows_text[i];
    if (c == '_') {
      result.text += "__";
    } else if (c != '&') {
      result.text += c;
    } else if (i + 1 == windows_text.size()) {
      // A final '&' prefixes nothing: Windows draws nothing for it.
    } else if (windows_text[i + 1] == '&') {
      result.text += '&';
      ++i;
    } else {
      result.text += '_';
      result.has_mnemonic = true;
    }
  }
  return result;
}

MenuText split_menu_text(std::string_view text) {
  size_t cut = text.find_first_of("\t\a");
  if (cut == text.npos) {
    return {std::string(text), {}};
  }
  std::string_view rest = text.substr(cut + 1);
  while (!rest.empty() && (rest.front() == '\t' || rest.front() == '\a')) {
    rest.remove_prefix(1);
  }
  return {std::string(text.substr(0, cut)), std::string(trim(rest))};
}

// "Ctrl+Shift+O", "Alt+F4", "F1", "Ctrl+Num +": modifiers first, each
// followed by '+', then one key. The key may itself be "+".
Accelerator parse_accelerator(std::string_view text) {
  Accelerator result;
  text = trim(text);
  for (;;) {
    size_t plus = text.find('+');
    if (plus == text.npos || plus == 0 || plus + 1 == text.size()) {
      break;
    }
    std::string_view word = trim(text.substr(0, plus));
    if (equals_ignoring_case(word, "Ctrl") ||
        equals_ignoring_case(word, "Control") ||
        equals_ignoring_case(word, "Strg")) {
      result.control = true;
    } else if (equals_ignoring_case(word, "Shift") ||
               equals_ignoring_case(word, "Umschalt")) {
      result.shift = true;
    } else if (equals_ignoring_case(word, "Alt")) {
      result.alt = true;
    } else {
      break;
    }
    text = trim(text.substr(plus + 1));
  }
  result.key = key_for(text);
  if (result.key.empty()) {
    return {};
  }
  return result;
}

std::string escape_markup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

// SysLink markup is HTML-like: `<a>`, `<a href="x">`, `<a id="y">`, closed
// by `</a>`; anything else is text. Tags are case-insensitive.
std::string link_markup(std::string_view text) {
  std::string out;
  bool open = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t tag = text.find('<', at);
    if (tag == text.npos) {
      out += escape_markup(text.substr(at));
      break;
    }
    out += escape_markup(text.substr(at, tag - at));
    size_t close = text.find('>', tag);
    if (close == text.npos) {
      out += escape_markup(text.substr(tag));
      break;
    }
    std::string_view inside = text.substr(tag + 1, close - tag - 1);
    bool is_open = !open && !inside.empty() &&
                   (inside[0] == 'a' || inside[0] == 'A') &&
                   (inside.size() == 1 || inside[1] == ' ');
    bool is_close = open && equals_ignoring_case(inside, "/a");
    if (is_open) {
      std::string target = "#";
      std::string_view attributes = inside.substr(1);
      for (size_t h = 0; h + 5 < attributes.size(); ++h) {
        if (equals_ignoring_case(attributes.substr(h, 5), "href=")) {
          std::string_view value = attributes.substr(h + 5);
          char quote = value.empty() ? 0 : value[0];
          if (quote == '"' || quote == '\'') {
            size_t end = value.find(quote, 1);
            value = value.substr(1, end == value.npos ? value.npos : end - 1);
          }
          if (!value.empty()) {
            target = std::string(value);
          }
          break;
        }
      }
      out += "<a href=\"" + escape_markup(target) + "\">";
      open = true;
    } else if (is_close) {
      out += "</a>";
      open = false;
    } else {
      out += escape_markup(text.substr(tag, close - tag + 1));
    }
    at = close + 1;
  }
  if (open) {
    out += "</a>";
  }
  return out;
}

}  // namespace dlgforge::port
