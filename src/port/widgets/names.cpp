#include "port/widgets/names.h"

#include <array>

namespace dlgforge::port {
namespace {

// Longest readable part kept: FreeBASIC allows long names, but a control's
// name is a prefix of its handler's, and a page-wide name helps no reader.
constexpr size_t kMaxPart = 40;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Names of IDOK and its kind that read better without their ID.
constexpr std::array<std::string_view, 11> kCommandIds = {
    "idok", "idcancel", "idabort", "idretry",    "idignore",  "idyes",
    "idno", "idclose",  "idhelp",  "idtryagain", "idcontinue"};

constexpr std::array<std::string_view, 6> kResourcePrefixes = {
    "idc_", "idd_", "idm_", "idr_", "ids_", "id_"};

std::string lower_words(std::string_view written) {
  std::string out;
  out.reserve(written.size());
  for (char c : written) {
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || is_digit(c)) {
      out += c;
    } else if (!out.empty() && out.back() != '_') {
      out += '_';
    }
  }
  while (!out.empty() && out.back() == '_') {
    out.pop_back();
  }
  return out;
}

bool has_letter(std::string_view text) {
  for (char c : text) {
    if (c >= 'a' && c <= 'z') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string identifier_part(std::string_view written) {
  std::string words = lower_words(written);
  if (words == "idc_static" || !has_letter(words)) {
    return {};
  }
  // A hexadecimal number such as 0x1F has letters but is still a number.
  if (words.size() > 2 && words[0] == '0' && words[1] == 'x') {
    return {};
  }
  for (std::string_view id : kCommandIds) {
    if (words == id) {
      return words.substr(2);
    }
  }
  for (std::string_view prefix : kResourcePrefixes) {
    if (words.size() > prefix.size() && words.starts_with(prefix)) {
      words.erase(0, prefix.size());
      break;
    }
  }
  if (words.size() > kMaxPart) {
    words.resize(kMaxPart);
    while (!words.empty() && words.back() == '_') {
      words.pop_back();
    }
  }
  return words;
}

std::string NameTable::claim(std::string_view base) {
  std::string name(base);
  if (taken_.insert(name).second) {
    return name;
  }
  // Names are never given back, so every suffix below the one remembered
  // for this base is still taken: starting there gives the same name as
  // trying 2, 3, ... again, without the quadratic cost of a script with
  // thousands of controls of one kind.
  int& suffix = next_suffix_.try_emplace(name, 2).first->second;
  for (;; ++suffix) {
    name.resize(base.size());
    name += '_';
    name += std::to_string(suffix);
    if (taken_.insert(name).second) {
      ++suffix;
      return name;
    }
  }
}

}  // namespace dlgforge::port
