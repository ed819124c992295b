#include "linux/font_measurer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <memory>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace dlgforge {
namespace {

// Where Debian's fonts-wine puts Wine's Windows fonts (Tahoma among them);
// fontconfig does not scan it unless told to.
constexpr std::array<const char*, 1> kWineFontDirs = {"/usr/share/wine/fonts"};

// A configuration naming no fonts, only where caches go.
constexpr FcChar8 kCacheOnlyConfig[] =
    "<fontconfig><cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>";

// Installed families metrically compatible with Windows-only faces. Shell
// dialog faces and the old sans serifs all become Tahoma, the Japanese faces
// become the IPA fonts of the same pitch and style.
constexpr std::string_view kTahoma[] = {"Tahoma"};
constexpr std::string_view kSans[] = {"Liberation Sans", "Arimo"};
constexpr std::string_view kSerif[] = {"Liberation Serif", "Tinos"};
constexpr std::string_view kMono[] = {"Liberation Mono", "Cousine"};
constexpr std::string_view kGothic[] = {"IPAGothic"};
constexpr std::string_view kPGothic[] = {"IPAPGothic"};
constexpr std::string_view kMincho[] = {"IPAMincho"};
constexpr std::string_view kPMincho[] = {"IPAPMincho"};

struct FaceSubstitute {
  std::string_view face;
  std::span<const std::string_view> families;
};

// Japanese names are UTF-8: "ＭＳ ゴシック" is written with escapes so that the
// full-width letters cannot be mistaken for ASCII.
constexpr FaceSubstitute kFaceSubstitutes[] = {
    {"MS Shell Dlg", kTahoma},
    {"MS Shell Dlg 2", kTahoma},
    {"MS Sans Serif", kTahoma},
    {"Microsoft Sans Serif", kTahoma},
    {"Tahoma", kTahoma},
    {"Arial", kSans},
    {"Helvetica", kSans},
    {"Times New Roman", kSerif},
    {"Courier New", kMono},
    {"Courier", kMono},
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
    {"\u6E38\u30B4\u30B7\u30C3\u30AF", kPGothic},  // 游ゴシック
    {"Yu Gothic UI", kPGothic},
    {"MS Mincho", kMincho},
    {"\uFF2D\uFF33 \u660E\u671D", kMincho},  // ＭＳ 明朝
    {"MS PMincho", kPMincho},
    {"\uFF2D\uFF33 \uFF30\u660E\u671D", kPMincho},  // ＭＳ Ｐ明朝
};

constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

constexpr char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool is_valid_utf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t lead = byte(i);
    size_t length;
    uint32_t min;
    uint32_t cp;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, min = 0x80, cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, min = 0x800, cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, min = 0x10000, cp = lead & 0x07u;
    } else {
      return false;
    }
    if (s.size() - i < length) {
      return false;
    }
    for (size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) {
        return false;
      }
      cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::optional<std::string> decode_to_utf8(std::string_view s,
                                          const char* code_page) {
  iconv_t cd = iconv_open("UTF-8", code_page);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  // Neither code page needs more than three UTF-8 bytes per input byte.
  std::string out(s.size() * 3 + 1, '\0');
  char* in = const_cast<char*>(s.data());
  size_t in_left = s.size();
  char* next = out.data();
  size_t out_left = out.size();
  size_t converted = iconv(cd, &in, &in_left, &next, &out_left);
  iconv_close(cd);
  if (converted == static_cast<size_t>(-1) || in_left != 0) {
    return std::nullopt;
  }
  out.resize(out.size() - out_left);
  return out;
}

std::string latin1_to_utf8(std::string_view s) {
  std::string out;
  for (char c : s) {
    auto b = static_cast<uint8_t>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

// n / d rounded half away from zero, for d > 0.
int64_t divide_rounding(int64_t n, int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((2 * -n + d) / (2 * d));
}

int32_t clamp_to_int32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                          std::numeric_limits<int32_t>::max()));
}

struct FcDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
  void operator()(FcObjectSet* o) const { FcObjectSetDestroy(o); }
};
using PatternPtr = std::unique_ptr<FcPattern, FcDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FcDeleter>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, FcDeleter>;

// Lists the scalable fonts matching `pattern` with what choosing among them
// needs.
FontSetPtr list_scalable(FcConfig* config, FcPattern* pattern) {
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  ObjectSetPtr objects(FcObjectSetBuild(
      FC_FAMILY, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_SPACING,
      FC_CHARSET, FC_LANG, static_cast<char*>(nullptr)));
  return FontSetPtr(FcFontList(config, pattern, objects.get()));
}

// Picks the best of `candidates` for `preference` (regular weight, upright,
// normal width once defaults are added), as fontconfig would match it.
PatternPtr best_of(FcConfig* config, const std::vector<FcPattern*>& candidates,
                   FcPattern* preference) {
  if (candidates.empty()) {
    return nullptr;
  }
  FontSetPtr set(FcFontSetCreate());
  for (FcPattern* candidate : candidates) {
    FcPatternReference(candidate);
    FcFontSetAdd(set.get(), candidate);
  }
  FcDefaultSubstitute(preference);
  FcFontSet* sets[] = {set.get()};
  FcResult result;
  return PatternPtr(FcFontSetMatch(config, sets, 1, preference, &result));
}

std::optional<ChosenFont> chosen_from(FcPattern* match,
                                      std::string_view family) {
  FcChar8* file = nullptr;
  int index = 0;
  if (match == nullptr ||
      FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
    return std::nullopt;
  }
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  return ChosenFont{std::string(family), reinterpret_cast<char*>(file), index};
}

// The first family name of `pattern` equal to `family` ignoring ASCII case.
std::optional<std::string_view> family_named(FcPattern* pattern,
                                             std::string_view family) {
  FcChar8* value;
  for (int i = 0;
       FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch;
       ++i) {
    std::string_view name = reinterpret_cast<char*>(value);
    if (equals_ignoring_ascii_case(name, family)) {
      return name;
    }
  }
  return std::nullopt;
}

bool covers_letters(FcPattern* pattern) {
  FcCharSet* charset;
  if (FcPatternGetCharSet(pattern, FC_CHARSET, 0, &charset) != FcResultMatch) {
    return false;
  }
  return std::ranges::all_of(kLetters, [&](char c) {
    return FcCharSetHasChar(charset, static_cast<FcChar32>(c));
  });
}

// Fixed pitch as fontconfig records it. A Japanese fixed-pitch font has half
// and full widths, which fontconfig calls dual spacing.
bool is_fixed_pitch(FcPattern* pattern) {
  int spacing;
  return FcPatternGetInteger(pattern, FC_SPACING, 0, &spacing) ==
             FcResultMatch &&
         spacing >= FC_DUAL;
}

bool covers_japanese(FcPattern* pattern) {
  FcLangSet* langs;
  return FcPatternGetLangSet(pattern, FC_LANG, 0, &langs) == FcResultMatch &&
         FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) !=
             FcLangDifferentLang;
}

// The 8-point system font's 6 by 13 pixels, scaled to the cell: used when no
// font can be measured, so that dialogs keep plausible proportions.
DialogBaseUnits fallback_units(int32_t h) {
  return {clamp_to_int32((12 * static_cast<int64_t>(h) + 13) / 26), h};
}

}  // namespace

CellMetrics gdi_cell_metrics(int32_t upem, int32_t win_ascent,
                             int32_t win_descent, int32_t h) {
  if (upem <= 0) {
    upem = 1;
  }
  // Without usable ascent and descent, the em itself is the cell.
  if (static_cast<int64_t>(win_ascent) + win_descent <= 0) {
    win_ascent = upem;
    win_descent = 0;
  }
  const int64_t units = static_cast<int64_t>(win_ascent) + win_descent;
  // GDI matches a positive height against the cell height, ascent plus
  // descent, so the em is scaled by the cell over the font's own cell.
  int64_t ppem = std::clamp<int64_t>(
      divide_rounding(static_cast<int64_t>(upem) * h, units), 1,
      std::numeric_limits<int32_t>::max());
  auto at = [&](int64_t size) {
    return CellMetrics{
        static_cast<int32_t>(size),
        clamp_to_int32(divide_rounding(win_ascent * size, upem)),
        clamp_to_int32(divide_rounding(win_descent * size, upem))};
  };
  CellMetrics cell = at(ppem);
  // Rounding may leave the cell a pixel too tall: GDI then takes the next
  // smaller size.
  if (static_cast<int64_t>(cell.ascent) + cell.descent > h && ppem > 1) {
    cell = at(ppem - 1);
  }
  return cell;
}

std::string face_name_to_utf8(std::string_view face) {
  if (is_valid_utf8(face)) {
    return std::string(face);
  }
  for (const char* code_page : {"CP932", "CP1252"}) {
    if (auto decoded = decode_to_utf8(face, code_page)) {
      return *decoded;
    }
  }
  // Code page 1252 leaves five bytes undefined; Latin-1 takes every byte.
  return latin1_to_utf8(face);
}

std::span<const std::string_view> metric_compatible_families(
    std::string_view face_utf8) {
  for (const FaceSubstitute& substitute : kFaceSubstitutes) {
    if (equals_ignoring_ascii_case(substitute.face, face_utf8)) {
      return substitute.families;
    }
  }
  return {};
}

FontconfigMeasurer::FontconfigMeasurer(int32_t dpi)
    : dpi_(dpi > 0 ? dpi : 96) {}

FontconfigMeasurer::FontconfigMeasurer(int32_t dpi,
                                       std::vector<std::string> font_dirs)
    : dpi_(dpi > 0 ? dpi : 96), font_dirs_(std::move(font_dirs)) {}

FontconfigMeasurer::~FontconfigMeasurer() {
  for (auto& [key, face] : faces_) {
    if (face != nullptr) {
      FT_Done_Face(face);
    }
  }
  if (library_ != nullptr) {
    FT_Done_FreeType(library_);
  }
  if (config_ != nullptr) {
    FcConfigDestroy(config_);
  }
}

bool FontconfigMeasurer::initialise() {
  if (!initialised_) {
    initialised_ = true;
    std::error_code error;
    if (font_dirs_) {
      // An empty configuration, given only the user's cache folder so that
      // fontconfig can keep what it learns of the folders.
      config_ = FcConfigCreate();
      FcConfigParseAndLoadFromMemory(config_, kCacheOnlyConfig, FcFalse);
      for (const std::string& dir : *font_dirs_) {
        FcConfigAppFontAddDir(config_,
                              reinterpret_cast<const FcChar8*>(dir.c_str()));
      }
    } else {
      // A configuration of our own, so that the extra folders never reach
      // the process's default one.
      config_ = FcInitLoadConfigAndFonts();
      for (const char* dir : kWineFontDirs) {
        if (config_ != nullptr && std::filesystem::is_directory(dir, error)) {
          FcConfigAppFontAddDir(config_, reinterpret_cast<const FcChar8*>(dir));
        }
      }
    }
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
    }
  }
  return config_ != nullptr && library_ != nullptr;
}

DialogBaseUnits FontconfigMeasurer::measure_dialog_base_units(
    int32_t font_size, std::string_view font_face) {
  std::pair<std::string, int32_t> key(font_face, font_size);
  if (auto it = results_.find(key); it != results_.end()) {
    return it->second;
  }

  int32_t h = cell_height_for(font_size, dpi_);
  // GDI gives a zero height its default size; the 8-point cell stands in for
  // it, and for the negative heights a nonsensical point size yields.
  if (h <= 0) {
    h = std::max(cell_height_for(8, dpi_), 1);
  }

  std::optional<FontMeasurement> measured;
  if (std::optional<ChosenFont> font = choose_font(font_face)) {
    measured = measure_font(*font, h);
  }
  DialogBaseUnits units;
  if (measured) {
    units = measured->units;
  } else {
    units = fallback_units(h);
    used_fallback_units_ = true;
  }
  // Zero units would collapse every control of the dialog.
  units.bx = std::max(units.bx, 1);
  units.by = std::max(units.by, 1);
  results_.emplace(std::move(key), units);
  return units;
}

std::optional<ChosenFont> FontconfigMeasurer::choose_font(
    std::string_view font_face) {
  if (!initialise()) {
    return std::nullopt;
  }
  if (auto it = fonts_.find(font_face); it != fonts_.end()) {
    return it->second;
  }

  std::optional<ChosenFont> chosen;
  const std::string name = face_name_to_utf8(font_face);
  for (std::string_view family : metric_compatible_families(name)) {
    chosen = find_family(std::string(family));
    if (chosen) {
      break;
    }
  }
  // A name with a NUL byte cannot be a family's.
  if (!chosen && !name.empty() && name.find('\0') == std::string::npos) {
    chosen = find_family(name);
  }
  if (!chosen) {
    chosen = fallback_font();
  }
  fonts_.emplace(std::string(font_face), chosen);
  return chosen;
}

std::optional<ChosenFont> FontconfigMeasurer::find_family(
    const std::string& family) {
  PatternPtr pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(family.c_str()));
  FontSetPtr listed = list_scalable(config_, pattern.get());
  if (!listed) {
    return std::nullopt;
  }
  // fontconfig's own comparison also ignores blanks; GDI's does not.
  std::vector<FcPattern*> candidates;
  for (int i = 0; i < listed->nfont; ++i) {
    if (family_named(listed->fonts[i], family)) {
      candidates.push_back(listed->fonts[i]);
    }
  }
  PatternPtr preference(FcPatternCreate());
  PatternPtr best = best_of(config_, candidates, preference.get());
  if (!best) {
    return std::nullopt;
  }
  std::optional<std::string_view> spelling = family_named(best.get(), family);
  return chosen_from(best.get(), spelling ? *spelling : family);
}

std::optional<ChosenFont> FontconfigMeasurer::fallback_font() {
  if (fallback_) {
    return *fallback_;
  }
  fallback_.emplace();
  PatternPtr all(FcPatternCreate());
  FontSetPtr listed = list_scalable(config_, all.get());
  if (!listed) {
    return std::nullopt;
  }

  // GDI's fallback for a face it does not have follows the dialog font's
  // hints: fixed pitch, modern family, Shift-JIS. fontconfig has no family
  // classes, so the steps are fixed pitch with Japanese, fixed pitch, any
  // font with the Latin letters, and last any font at all.
  using Test = bool (*)(FcPattern*);
  const std::vector<std::vector<Test>> steps = {
      {is_fixed_pitch, covers_japanese, covers_letters},
      {is_fixed_pitch, covers_letters},
      {covers_letters},
      {},
  };
  for (const std::vector<Test>& tests : steps) {
    std::vector<FcPattern*> candidates;
    for (int i = 0; i < listed->nfont; ++i) {
      FcPattern* font = listed->fonts[i];
      if (std::ranges::all_of(tests, [&](Test test) { return test(font); })) {
        candidates.push_back(font);
      }
    }
    if (candidates.empty()) {
      continue;
    }
    // Among equals, the configuration's own order for Japanese monospace.
    PatternPtr preference(FcPatternCreate());
    FcPatternAddString(preference.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>("monospace"));
    FcPatternAddString(preference.get(), FC_LANG,
                       reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(config_, preference.get(), FcMatchPattern);
    PatternPtr best = best_of(config_, candidates, preference.get());
    FcChar8* family = nullptr;
    if (best && FcPatternGetString(best.get(), FC_FAMILY, 0, &family) ==
                    FcResultMatch) {
      *fallback_ = chosen_from(best.get(), reinterpret_cast<char*>(family));
      break;
    }
  }
  return *fallback_;
}

FT_FaceRec_* FontconfigMeasurer::load_face(const ChosenFont& font) {
  std::pair<std::string, int32_t> key(font.file, font.index);
  if (auto it = faces_.find(key); it != faces_.end()) {
    return it->second;
  }
  FT_Face face = nullptr;
  ++loads_;
  if (FT_New_Face(library_, font.file.c_str(), font.index, &face) != 0) {
    face = nullptr;
  }
  faces_.emplace(std::move(key), face);
  return face;
}

std::optional<FontMeasurement> FontconfigMeasurer::measure_font(
    const ChosenFont& font, int32_t cell_height) {
  if (cell_height <= 0 || !initialise()) {
    return std::nullopt;
  }
  FT_Face face = load_face(font);
  if (face == nullptr || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    return std::nullopt;
  }

  // GDI sizes by the OS/2 Windows ascent and descent; the horizontal header
  // stands in where they are zero or missing, the font's own outline
  // metrics where there are no sfnt tables at all.
  int32_t ascent = face->ascender;
  int32_t descent = -face->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea =
      static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 != nullptr && os2->version != 0xFFFF &&
      os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else if (hhea != nullptr) {
    ascent = hhea->Ascender;
    descent = -hhea->Descender;
  }

  FontMeasurement measured;
  measured.cell =
      gdi_cell_metrics(face->units_per_EM, ascent, descent, cell_height);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(measured.cell.ppem)) !=
      0) {
    return std::nullopt;
  }
  // The letters' hinted advances, each rounded up to a whole pixel, as GDI
  // lays out text; no kerning.
  for (char letter : kLetters) {
    FT_UInt glyph = FT_Get_Char_Index(face, static_cast<FT_ULong>(letter));
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
      return std::nullopt;
    }
    // 26.6 fixed point; C++20 shifts negative values arithmetically.
    measured.alphabet_width += (face->glyph->advance.x + 63) >> 6;
  }
  measured.units.bx = clamp_to_int32((measured.alphabet_width / 26 + 1) / 2);
  measured.units.by = clamp_to_int32(
      static_cast<int64_t>(measured.cell.ascent) + measured.cell.descent);
  return measured;
}

}  // namespace dlgforge
