#include "port/languages/languages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

namespace dlgforge::port::languages {
namespace {

// Windows' locale ids with their names, for every language with its usual
// countries, and the POSIX names glibc gives the same locales (a Latin or
// Cyrillic variant that is not the country's usual script carries
// "@latin"/"@cyrillic"). A language without a country (SUBLANG_NEUTRAL) is
// named by its language alone, as Windows does.
constexpr Language kTable[] = {
    {0x0001, "ar", "ar"},
    {0x0401, "ar-SA", "ar_SA"},
    {0x0801, "ar-IQ", "ar_IQ"},
    {0x0c01, "ar-EG", "ar_EG"},
    {0x1001, "ar-LY", "ar_LY"},
    {0x1401, "ar-DZ", "ar_DZ"},
    {0x1801, "ar-MA", "ar_MA"},
    {0x1c01, "ar-TN", "ar_TN"},
    {0x2001, "ar-OM", "ar_OM"},
    {0x2401, "ar-YE", "ar_YE"},
    {0x2801, "ar-SY", "ar_SY"},
    {0x2c01, "ar-JO", "ar_JO"},
    {0x3001, "ar-LB", "ar_LB"},
    {0x3401, "ar-KW", "ar_KW"},
    {0x3801, "ar-AE", "ar_AE"},
    {0x3c01, "ar-BH", "ar_BH"},
    {0x4001, "ar-QA", "ar_QA"},
    {0x0002, "bg", "bg"},
    {0x0402, "bg-BG", "bg_BG"},
    {0x0003, "ca", "ca"},
    {0x0403, "ca-ES", "ca_ES"},
    {0x0803, "ca-ES-valencia", "ca_ES@valencia"},
    {0x0004, "zh-Hans", "zh"},
    {0x0404, "zh-TW", "zh_TW"},
    {0x0804, "zh-CN", "zh_CN"},
    {0x0c04, "zh-HK", "zh_HK"},
    {0x1004, "zh-SG", "zh_SG"},
    {0x1404, "zh-MO", "zh_MO"},
    {0x0005, "cs", "cs"},
    {0x0405, "cs-CZ", "cs_CZ"},
    {0x0006, "da", "da"},
    {0x0406, "da-DK", "da_DK"},
    {0x0007, "de", "de"},
    {0x0407, "de-DE", "de_DE"},
    {0x0807, "de-CH", "de_CH"},
    {0x0c07, "de-AT", "de_AT"},
    {0x1007, "de-LU", "de_LU"},
    {0x1407, "de-LI", "de_LI"},
    {0x0008, "el", "el"},
    {0x0408, "el-GR", "el_GR"},
    {0x0009, "en", "en"},
    {0x0409, "en-US", "en_US"},
    {0x0809, "en-GB", "en_GB"},
    {0x0c09, "en-AU", "en_AU"},
    {0x1009, "en-CA", "en_CA"},
    {0x1409, "en-NZ", "en_NZ"},
    {0x1809, "en-IE", "en_IE"},
    {0x1c09, "en-ZA", "en_ZA"},
    {0x2009, "en-JM", "en_JM"},
    {0x2409, "en-029", ""},
    {0x2809, "en-BZ", "en_BZ"},
    {0x2c09, "en-TT", "en_TT"},
    {0x3009, "en-ZW", "en_ZW"},
    {0x3409, "en-PH", "en_PH"},
    {0x4009, "en-IN", "en_IN"},
    {0x4409, "en-MY", "en_MY"},
    {0x4809, "en-SG", "en_SG"},
    {0x000a, "es", "es"},
    {0x040a, "es-ES_tradnl", ""},
    {0x080a, "es-MX", "es_MX"},
    {0x0c0a, "es-ES", "es_ES"},
    {0x100a, "es-GT", "es_GT"},
    {0x140a, "es-CR", "es_CR"},
    {0x180a, "es-PA", "es_PA"},
    {0x1c0a, "es-DO", "es_DO"},
    {0x200a, "es-VE", "es_VE"},
    {0x240a, "es-CO", "es_CO"},
    {0x280a, "es-PE", "es_PE"},
    {0x2c0a, "es-AR", "es_AR"},
    {0x300a, "es-EC", "es_EC"},
    {0x340a, "es-CL", "es_CL"},
    {0x380a, "es-UY", "es_UY"},
    {0x3c0a, "es-PY", "es_PY"},
    {0x400a, "es-BO", "es_BO"},
    {0x440a, "es-SV", "es_SV"},
    {0x480a, "es-HN", "es_HN"},
    {0x4c0a, "es-NI", "es_NI"},
    {0x500a, "es-PR", "es_PR"},
    {0x540a, "es-US", "es_US"},
    {0x580a, "es-419", ""},
    {0x000b, "fi", "fi"},
    {0x040b, "fi-FI", "fi_FI"},
    {0x000c, "fr", "fr"},
    {0x040c, "fr-FR", "fr_FR"},
    {0x080c, "fr-BE", "fr_BE"},
    {0x0c0c, "fr-CA", "fr_CA"},
    {0x100c, "fr-CH", "fr_CH"},
    {0x140c, "fr-LU", "fr_LU"},
    {0x180c, "fr-MC", "fr_MC"},
    {0x000d, "he", "he"},
    {0x040d, "he-IL", "he_IL"},
    {0x000e, "hu", "hu"},
    {0x040e, "hu-HU", "hu_HU"},
    {0x000f, "is", "is"},
    {0x040f, "is-IS", "is_IS"},
    {0x0010, "it", "it"},
    {0x0410, "it-IT", "it_IT"},
    {0x0810, "it-CH", "it_CH"},
    {0x0011, "ja", "ja"},
    {0x0411, "ja-JP", "ja_JP"},
    {0x0012, "ko", "ko"},
    {0x0412, "ko-KR", "ko_KR"},
    {0x0013, "nl", "nl"},
    {0x0413, "nl-NL", "nl_NL"},
    {0x0813, "nl-BE", "nl_BE"},
    {0x0014, "no", "no"},
    {0x0414, "nb-NO", "nb_NO"},
    {0x0814, "nn-NO", "nn_NO"},
    {0x7814, "nn", "nn"},
    {0x7c14, "nb", "nb"},
    {0x0015, "pl", "pl"},
    {0x0415, "pl-PL", "pl_PL"},
    {0x0016, "pt", "pt"},
    {0x0416, "pt-BR", "pt_BR"},
    {0x0816, "pt-PT", "pt_PT"},
    {0x0017, "rm", "rm"},
    {0x0417, "rm-CH", "rm_CH"},
    {0x0018, "ro", "ro"},
    {0x0418, "ro-RO", "ro_RO"},
    {0x0818, "ro-MD", "ro_MD"},
    {0x0019, "ru", "ru"},
    {0x0419, "ru-RU", "ru_RU"},
    {0x0819, "ru-MD", "ru_MD"},
    {0x001a, "hr", "hr"},
    {0x041a, "hr-HR", "hr_HR"},
    {0x081a, "sr-Latn-CS", "sr_CS@latin"},
    {0x0c1a, "sr-Cyrl-CS", "sr_CS"},
    {0x101a, "hr-BA", "hr_BA"},
    {0x141a, "bs-Latn-BA", "bs_BA"},
    {0x181a, "sr-Latn-BA", "sr_BA@latin"},
    {0x1c1a, "sr-Cyrl-BA", "sr_BA"},
    {0x201a, "bs-Cyrl-BA", "bs_BA@cyrillic"},
    {0x241a, "sr-Latn-RS", "sr_RS@latin"},
    {0x281a, "sr-Cyrl-RS", "sr_RS"},
    {0x2c1a, "sr-Latn-ME", "sr_ME"},
    {0x301a, "sr-Cyrl-ME", "sr_ME@cyrillic"},
    {0x6c1a, "sr-Cyrl", "sr@cyrillic"},
    {0x701a, "sr-Latn", "sr@latin"},
    {0x781a, "bs", "bs"},
    {0x7c1a, "sr", "sr"},
    {0x001b, "sk", "sk"},
    {0x041b, "sk-SK", "sk_SK"},
    {0x001c, "sq", "sq"},
    {0x041c, "sq-AL", "sq_AL"},
    {0x001d, "sv", "sv"},
    {0x041d, "sv-SE", "sv_SE"},
    {0x081d, "sv-FI", "sv_FI"},
    {0x001e, "th", "th"},
    {0x041e, "th-TH", "th_TH"},
    {0x001f, "tr", "tr"},
    {0x041f, "tr-TR", "tr_TR"},
    {0x0020, "ur", "ur"},
    {0x0420, "ur-PK", "ur_PK"},
    {0x0820, "ur-IN", "ur_IN"},
    {0x0021, "id", "id"},
    {0x0421, "id-ID", "id_ID"},
    {0x0022, "uk", "uk"},
    {0x0422, "uk-UA", "uk_UA"},
    {0x0023, "be", "be"},
    {0x0423, "be-BY", "be_BY"},
    {0x0024, "sl", "sl"},
    {0x0424, "sl-SI", "sl_SI"},
    {0x0025, "et", "et"},
    {0x0425, "et-EE", "et_EE"},
    {0x0026, "lv", "lv"},
    {0x0426, "lv-LV", "lv_LV"},
    {0x0027, "lt", "lt"},
    {0x0427, "lt-LT", "lt_LT"},
    {0x0028, "tg", "tg"},
    {0x0428, "tg-Cyrl-TJ", "tg_TJ"},
    {0x0029, "fa", "fa"},
    {0x0429, "fa-IR", "fa_IR"},
    {0x002a, "vi", "vi"},
    {0x042a, "vi-VN", "vi_VN"},
    {0x002b, "hy", "hy"},
    {0x042b, "hy-AM", "hy_AM"},
    {0x002c, "az", "az"},
    {0x042c, "az-Latn-AZ", "az_AZ"},
    {0x082c, "az-Cyrl-AZ", "az_AZ@cyrillic"},
    {0x002d, "eu", "eu"},
    {0x042d, "eu-ES", "eu_ES"},
    {0x002e, "hsb", "hsb"},
    {0x042e, "hsb-DE", "hsb_DE"},
    {0x082e, "dsb-DE", "dsb_DE"},
    {0x002f, "mk", "mk"},
    {0x042f, "mk-MK", "mk_MK"},
    {0x0032, "tn", "tn"},
    {0x0432, "tn-ZA", "tn_ZA"},
    {0x0034, "xh", "xh"},
    {0x0434, "xh-ZA", "xh_ZA"},
    {0x0035, "zu", "zu"},
    {0x0435, "zu-ZA", "zu_ZA"},
    {0x0036, "af", "af"},
    {0x0436, "af-ZA", "af_ZA"},
    {0x0037, "ka", "ka"},
    {0x0437, "ka-GE", "ka_GE"},
    {0x0038, "fo", "fo"},
    {0x0438, "fo-FO", "fo_FO"},
    {0x0039, "hi", "hi"},
    {0x0439, "hi-IN", "hi_IN"},
    {0x003a, "mt", "mt"},
    {0x043a, "mt-MT", "mt_MT"},
    {0x003b, "se", "se"},
    {0x043b, "se-NO", "se_NO"},
    {0x083b, "se-SE", "se_SE"},
    {0x0c3b, "se-FI", "se_FI"},
    {0x003c, "ga", "ga"},
    {0x083c, "ga-IE", "ga_IE"},
    {0x003e, "ms", "ms"},
    {0x043e, "ms-MY", "ms_MY"},
    {0x083e, "ms-BN", "ms_BN"},
    {0x003f, "kk", "kk"},
    {0x043f, "kk-KZ", "kk_KZ"},
    {0x0040, "ky", "ky"},
    {0x0440, "ky-KG", "ky_KG"},
    {0x0041, "sw", "sw"},
    {0x0441, "sw-KE", "sw_KE"},
    {0x0042, "tk", "tk"},
    {0x0442, "tk-TM", "tk_TM"},
    {0x0043, "uz", "uz"},
    {0x0443, "uz-Latn-UZ", "uz_UZ"},
    {0x0843, "uz-Cyrl-UZ", "uz_UZ@cyrillic"},
    {0x0044, "tt", "tt"},
    {0x0444, "tt-RU", "tt_RU"},
    {0x0045, "bn", "bn"},
    {0x0445, "bn-IN", "bn_IN"},
    {0x0845, "bn-BD", "bn_BD"},
    {0x0046, "pa", "pa"},
    {0x0446, "pa-IN", "pa_IN"},
    {0x0047, "gu", "gu"},
    {0x0447, "gu-IN", "gu_IN"},
    {0x0048, "or", "or"},
    {0x0448, "or-IN", "or_IN"},
    {0x0049, "ta", "ta"},
    {0x0449, "ta-IN", "ta_IN"},
    {0x004a, "te", "te"},
    {0x044a, "te-IN", "te_IN"},
    {0x004b, "kn", "kn"},
    {0x044b, "kn-IN", "kn_IN"},
    {0x004c, "ml", "ml"},
    {0x044c, "ml-IN", "ml_IN"},
    {0x004d, "as", "as"},
    {0x044d, "as-IN", "as_IN"},
    {0x004e, "mr", "mr"},
    {0x044e, "mr-IN", "mr_IN"},
    {0x004f, "sa", "sa"},
    {0x044f, "sa-IN", "sa_IN"},
    {0x0050, "mn", "mn"},
    {0x0450, "mn-MN", "mn_MN"},
    {0x0051, "bo", "bo"},
    {0x0451, "bo-CN", "bo_CN"},
    {0x0052, "cy", "cy"},
    {0x0452, "cy-GB", "cy_GB"},
    {0x0053, "km", "km"},
    {0x0453, "km-KH", "km_KH"},
    {0x0054, "lo", "lo"},
    {0x0454, "lo-LA", "lo_LA"},
    {0x0056, "gl", "gl"},
    {0x0456, "gl-ES", "gl_ES"},
    {0x0057, "kok", "kok"},
    {0x0457, "kok-IN", "kok_IN"},
    {0x005a, "syr", "syr"},
    {0x045a, "syr-SY", "syr_SY"},
    {0x005b, "si", "si"},
    {0x045b, "si-LK", "si_LK"},
    {0x005e, "am", "am"},
    {0x045e, "am-ET", "am_ET"},
    {0x0061, "ne", "ne"},
    {0x0461, "ne-NP", "ne_NP"},
    {0x0062, "fy", "fy"},
    {0x0462, "fy-NL", "fy_NL"},
    {0x0063, "ps", "ps"},
    {0x0463, "ps-AF", "ps_AF"},
    {0x0064, "fil", "fil"},
    {0x0464, "fil-PH", "fil_PH"},
    {0x0065, "dv", "dv"},
    {0x0465, "dv-MV", "dv_MV"},
    {0x0068, "ha", "ha"},
    {0x0468, "ha-Latn-NG", "ha_NG"},
    {0x006a, "yo", "yo"},
    {0x046a, "yo-NG", "yo_NG"},
    {0x006c, "nso", "nso"},
    {0x046c, "nso-ZA", "nso_ZA"},
    {0x006d, "ba", "ba"},
    {0x046d, "ba-RU", "ba_RU"},
    {0x006e, "lb", "lb"},
    {0x046e, "lb-LU", "lb_LU"},
    {0x006f, "kl", "kl"},
    {0x046f, "kl-GL", "kl_GL"},
    {0x0070, "ig", "ig"},
    {0x0470, "ig-NG", "ig_NG"},
    {0x007e, "br", "br"},
    {0x047e, "br-FR", "br_FR"},
    {0x007f, "iv", ""},
    {0x0080, "ug", "ug"},
    {0x0480, "ug-CN", "ug_CN"},
    {0x0081, "mi", "mi"},
    {0x0481, "mi-NZ", "mi_NZ"},
    {0x0082, "oc", "oc"},
    {0x0482, "oc-FR", "oc_FR"},
    {0x0083, "co", "co"},
    {0x0483, "co-FR", "co_FR"},
    {0x0085, "sah", "sah"},
    {0x0485, "sah-RU", "sah_RU"},
    {0x0087, "rw", "rw"},
    {0x0487, "rw-RW", "rw_RW"},
    {0x0088, "wo", "wo"},
    {0x0488, "wo-SN", "wo_SN"},
    {0x0091, "gd", "gd"},
    {0x0491, "gd-GB", "gd_GB"},
};

// A name as the lookups compare it: lower case, "_" for "-", without a
// locale's code set (".UTF-8") but with its modifier ("@latin").
std::string normal(std::string_view text) {
  std::string out(text);
  if (std::size_t dot = out.find('.'); dot != std::string::npos) {
    std::size_t at = out.find('@', dot);
    out.erase(dot, at == std::string::npos ? std::string::npos : at - dot);
  }
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (c == '-') {
      c = '_';
    }
  }
  return out;
}

// The table's id of a normalised name, Windows' or POSIX.
std::optional<std::uint16_t> find_normal(std::string_view wanted) {
  for (const Language& l : kTable) {
    if (normal(l.name) == wanted ||
        (!l.posix.empty() && normal(l.posix) == wanted)) {
      return l.id;
    }
  }
  return std::nullopt;
}

// "0x0407" or "1031" as a 16-bit id.
std::optional<std::uint16_t> number(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned value = 0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} ||
      end != text.data() + text.size() || value > 0xFFFF) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

// The language of a name ("sr" of "sr-Latn-RS") and, with `with_script`,
// its writing system too ("sr-Latn"): the second part when it has four
// letters.
std::string_view language_part(std::string_view name, bool with_script) {
  std::size_t dash = name.find('-');
  if (dash == std::string_view::npos) {
    return name;
  }
  if (with_script) {
    std::size_t end = name.find('-', dash + 1);
    std::size_t length =
        (end == std::string_view::npos ? name.size() : end) - dash - 1;
    if (length == 4) {
      return name.substr(0, dash + 5);
    }
  }
  return name.substr(0, dash);
}

}  // namespace

std::span<const Language> table() {
  return kTable;
}

const Language* find(std::uint16_t id) {
  auto found = std::find_if(std::begin(kTable), std::end(kTable),
                            [id](const Language& l) { return l.id == id; });
  return found == std::end(kTable) ? nullptr : found;
}

std::string language_name(std::uint16_t id) {
  if (id == kNeutral) {
    return "";
  }
  if (const Language* l = find(id)) {
    return std::string(l->name);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) {
    hex += kDigits[(id >> shift) & 0xF];
  }
  return hex;
}

std::optional<std::uint16_t> language_of_name(std::string_view text) {
  if (auto id = number(text)) {
    return id;
  }
  return find_normal(normal(text));
}

std::uint16_t language_of_locale(std::string_view locale) {
  std::string name = normal(locale);
  std::string language = name.substr(0, name.find_first_of("_@"));
  std::size_t at = name.find('@');
  std::string modifier = at == std::string::npos ? "" : name.substr(at);
  for (const std::string& candidate :
       {name, name.substr(0, at), language + modifier, language}) {
    if (auto id = find_normal(candidate)) {
      return *id;
    }
  }
  return kNeutral;
}

std::uint16_t user_language(const Environment& environment) {
  std::string locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = environment(variable);
    if (!locale.empty()) {
      break;
    }
  }
  std::string plain = normal(locale);
  if (plain.empty() || plain == "c" || plain == "posix") {
    return kNeutral;
  }
  std::string list = environment("LANGUAGE");
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t colon = list.find(':', start);
    std::size_t end = colon == std::string::npos ? list.size() : colon;
    if (std::uint16_t id = language_of_locale(
            std::string_view(list).substr(start, end - start))) {
      return id;
    }
    start = end + 1;
  }
  return language_of_locale(locale);
}

std::uint16_t user_language() {
  return user_language([](const char* variable) {
    const char* value = std::getenv(variable);
    return std::string(value ? value : "");
  });
}

std::size_t choose_language(std::span<const std::uint16_t> variants,
                            std::uint16_t wanted) {
  const Language* want = find(wanted);
  // Whether a variant is of the wanted language by the table's names.
  auto same_part = [want](std::uint16_t id, bool with_script) {
    const Language* have = find(id);
    return want && have &&
           language_part(have->name, with_script) ==
               language_part(want->name, with_script);
  };
  const std::function<bool(std::uint16_t)> rules[] = {
      [wanted](std::uint16_t id) { return id == wanted; },
      [&same_part](std::uint16_t id) { return same_part(id, true); },
      [&same_part](std::uint16_t id) { return same_part(id, false); },
      [wanted](std::uint16_t id) { return primary(id) == primary(wanted); },
      [](std::uint16_t id) { return primary(id) == 0; },
      [](std::uint16_t id) { return id == kEnglishUnitedStates; },
  };
  for (const auto& rule : rules) {
    auto found = std::find_if(variants.begin(), variants.end(), rule);
    if (found != variants.end()) {
      return static_cast<std::size_t>(found - variants.begin());
    }
  }
  return 0;
}

}  // namespace dlgforge::port::languages
