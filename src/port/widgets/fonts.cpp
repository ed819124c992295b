#include "port/widgets/fonts.h"

#include <span>
#include <string_view>

namespace dlgforge::port {
namespace {

// The Windows faces scripts name, and the Linux families that draw like
// them: Wine's Tahoma (fonts-wine) for the shell dialog faces and the old
// sans serifs, Liberation for the core faces, IPA for the Japanese ones.
// The last family of each list is in every Debian installation, so a
// program still has a sans serif of similar width when the others are
// missing.
constexpr std::string_view kTahoma[] = {"Tahoma", "Liberation Sans",
                                        "DejaVu Sans"};
constexpr std::string_view kSans[] = {"Liberation Sans", "Arimo",
                                      "DejaVu Sans"};
constexpr std::string_view kSerif[] = {"Liberation Serif", "Tinos",
                                       "DejaVu Serif"};
constexpr std::string_view kMono[] = {"Liberation Mono", "Cousine",
                                      "DejaVu Sans Mono"};
constexpr std::string_view kGothic[] = {"IPAGothic", "DejaVu Sans"};
constexpr std::string_view kPGothic[] = {"IPAPGothic", "DejaVu Sans"};
constexpr std::string_view kMincho[] = {"IPAMincho", "DejaVu Serif"};
constexpr std::string_view kPMincho[] = {"IPAPMincho", "DejaVu Serif"};

struct FaceFamilies {
  std::string_view face;
  std::span<const std::string_view> families;
};

constexpr FaceFamilies kFaces[] = {
    {"MS Shell Dlg", kTahoma},
    {"MS Shell Dlg 2", kTahoma},
    {"MS Sans Serif", kTahoma},
    {"Microsoft Sans Serif", kTahoma},
    {"Tahoma", kTahoma},
    {"Segoe UI", kTahoma},
    {"System", kTahoma},
    {"Arial", kSans},
    {"Helvetica", kSans},
    {"Verdana", kSans},
    {"Times New Roman", kSerif},
    {"Courier New", kMono},
    {"Courier", kMono},
    {"Lucida Console", kMono},
    {"Consolas", kMono},
    {"MS Gothic", kGothic},
    {"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", kGothic},  // ＭＳ ゴシック
    {"MS PGothic", kPGothic},
    {"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF",
     kPGothic},  // ＭＳ Ｐゴシック
    {"MS UI Gothic", kPGothic},
    {"Meiryo", kPGothic},
    {"\u30E1\u30A4\u30EA\u30AA", kPGothic},  // メイリオ
    {"Meiryo UI", kPGothic},
    {"Yu Gothic", kPGothic},
    {"Yu Gothic UI", kPGothic},
    {"MS Mincho", kMincho},
    {"\uFF2D\uFF33 \u660E\u671D", kMincho},  // ＭＳ 明朝
    {"MS PMincho", kPMincho},
    {"\uFF2D\uFF33 \uFF30\u660E\u671D", kPMincho},  // ＭＳ Ｐ明朝
};

bool same_face(std::string_view a, std::string_view b) {
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

// A face name goes into a font description list, where a comma separates
// families: one inside a name cannot be kept.
std::string family_name(std::string_view face) {
  std::string out;
  for (char c : face) {
    if (c != ',' && static_cast<unsigned char>(c) >= 0x20) {
      out += c;
    }
  }
  return out;
}

}  // namespace

FontRequest font_request(const std::optional<model::Font>& font) {
  FontRequest request;
  if (!font) {
    // The system font of dialogs without FONT: bold, about 8 by 16 units.
    request.families.assign(std::begin(kTahoma), std::end(kTahoma));
    request.points = 10;
    request.weight = 700;
    return request;
  }
  request.points = font->size > 0 ? font->size : 8;
  request.weight = font->weight > 0 ? font->weight : 400;
  request.italic = font->italic;
  for (const FaceFamilies& face : kFaces) {
    if (same_face(face.face, font->face)) {
      request.families.assign(face.families.begin(), face.families.end());
      return request;
    }
  }
  // A face Linux may have under its own name (a free font, an installed
  // Windows font), then the sans serif the shell dialogs use.
  std::string own = family_name(font->face);
  if (!own.empty()) {
    request.families.push_back(own);
  }
  request.families.insert(request.families.end(), std::begin(kTahoma),
                          std::end(kTahoma));
  return request;
}

}  // namespace dlgforge::port
