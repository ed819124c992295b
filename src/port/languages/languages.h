// Windows languages: the LANGIDs a script's LANGUAGE statements give its
// resources (LANG_* | SUBLANG_* << 10), their names ("de-DE", "sr-Latn-RS")
// and POSIX locale names ("de_DE", "sr_RS@latin"), the language of the
// user's environment as GNU gettext reads it, and the choice among a
// resource's variants that Windows makes for that language. The port
// program carries the same table and rule (fb_runtime.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dlgforge::port::languages {

/// LANG_NEUTRAL with SUBLANG_NEUTRAL: a resource of no language (also what
/// a script without a LANGUAGE statement gives).
inline constexpr std::uint16_t kNeutral = 0x0000;
/// LANG_INVARIANT.
inline constexpr std::uint16_t kInvariant = 0x007F;
/// English (United States), the fallback after the neutral variant.
inline constexpr std::uint16_t kEnglishUnitedStates = 0x0409;

/// The primary language of an id: LANG_*, its low 10 bits.
constexpr std::uint16_t primary(std::uint16_t id) {
  return id & 0x3FF;
}

struct Language {
  std::uint16_t id;
  /// The name Windows gives the locale: "de-DE", "sr-Latn-RS", "de" for a
  /// language without a country (SUBLANG_NEUTRAL).
  std::string_view name;
  /// The POSIX locale name, without a code set: "de_DE", "sr_RS@latin";
  /// empty where none exists.
  std::string_view posix;
};

/// Every language the table knows, one entry per id, in id order of the
/// primary language and then the sublanguage.
std::span<const Language> table();

/// The table's entry for an id, nullptr when it has none.
const Language* find(std::uint16_t id);

/// "de-DE" for 0x0407; "" for kNeutral (no language); for an id the table
/// does not know, its number: "0x0c3f".
std::string language_name(std::uint16_t id);

/// The id of a name as a user writes it: "de-DE", "de_DE", "de", "DE-de",
/// "de_AT.UTF-8", "sr_RS@latin", or a number ("0x0407", "1031"). Empty for
/// text that is none of these.
std::optional<std::uint16_t> language_of_name(std::string_view text);

/// The id of a locale name from the environment, leniently: the whole name,
/// else the same without its modifier ("de_AT" for "de_AT@euro"), else the
/// language with its modifier ("sr@latin"), else the language alone ("de"
/// for "de_XX"). kNeutral when none is known.
std::uint16_t language_of_locale(std::string_view locale);

/// Reads an environment variable; "" when it is unset.
using Environment = std::function<std::string(const char* variable)>;

/// The user's language as GNU gettext finds it: the locale is the first
/// non-empty one of LC_ALL, LC_MESSAGES and LANG; when it is unset, "C" or
/// "POSIX" (also "C.UTF-8") the user has none (kNeutral). Otherwise the
/// first entry of LANGUAGE's colon-separated list that the table knows,
/// else the locale.
std::uint16_t user_language(const Environment& environment);
/// The same from the process environment.
std::uint16_t user_language();

/// The variant Windows shows a user of `wanted`, as an index into
/// `variants` (the ids of one resource's variants in script order): the one
/// of the same language and country; else of the same language (the
/// script's first such), preferring the same writing system, then the same
/// language name, then the same primary LANG_* id; else a neutral one
/// (primary language 0); else English (United States); else the first.
/// 0 for an empty list.
std::size_t choose_language(std::span<const std::uint16_t> variants,
                            std::uint16_t wanted);

}  // namespace dlgforge::port::languages
