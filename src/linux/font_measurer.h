// The Linux font measurer: picks the font GDI would pick for a dialog's face
// name among the installed fonts (through fontconfig) and measures its dialog
// base units with FreeType at the cell height GDI would use, plus the small
// pieces it is made of, exposed so they can be checked without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base_units.h"

// The libraries' own handle types, declared here so that users of this header
// need not see the fontconfig and FreeType headers.
struct _FcConfig;
struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace dlgforge {

/// A font sized to a cell height: its pixels per em and the ascent and
/// descent in whole pixels that GDI reports for it.
struct CellMetrics {
  int32_t ppem = 0;
  int32_t ascent = 0;
  int32_t descent = 0;
  friend bool operator==(const CellMetrics&, const CellMetrics&) = default;
};

/// Sizes a font to a positive cell height `h` as GDI does: the em is scaled so
/// that `win_ascent + win_descent` (font units, `upem` to the em) fills `h`,
/// rounded half away from zero, and made one pixel smaller when the rounded
/// ascent and descent would overflow the cell. Never returns a ppem below 1.
CellMetrics gdi_cell_metrics(int32_t upem, int32_t win_ascent,
                             int32_t win_descent, int32_t h);

/// The face name as UTF-8 for font lookup: the script's bytes as they are when
/// they are valid UTF-8, otherwise decoded from code page 932, failing that
/// from code page 1252, failing that as Latin-1.
std::string face_name_to_utf8(std::string_view face);

/// The installed families that stand in for a Windows-only face (given in
/// UTF-8, matched ignoring ASCII case), best first; empty for any other face.
std::span<const std::string_view> metric_compatible_families(
    std::string_view face_utf8);

/// The font file chosen for a face name.
struct ChosenFont {
  std::string family;  ///< the installed family's name, as the font spells it
  std::string file;    ///< path of the font file
  int32_t index = 0;   ///< face index within the file, as fontconfig gives it
  friend bool operator==(const ChosenFont&, const ChosenFont&) = default;
};

/// One font measured at one cell height.
struct FontMeasurement {
  CellMetrics cell;
  int64_t alphabet_width = 0;  ///< A-Z and a-z advances, each rounded up
  DialogBaseUnits units;
};

/// Measures dialog base units with fontconfig and FreeType. Nothing is loaded
/// until the first measurement; fonts, files and results are cached in the
/// object, so a script with many dialogs pays for each font once.
class FontconfigMeasurer final : public FontMeasurer {
 public:
  /// Measures at `dpi` pixels per inch (96 when not positive) with the
  /// installed fonts, plus the Windows fonts Wine ships when present.
  explicit FontconfigMeasurer(int32_t dpi);
  /// Measures with only the fonts found in `font_dirs`, ignoring the installed
  /// ones and the system's font configuration.
  FontconfigMeasurer(int32_t dpi, std::vector<std::string> font_dirs);
  ~FontconfigMeasurer() override;
  FontconfigMeasurer(const FontconfigMeasurer&) = delete;
  FontconfigMeasurer& operator=(const FontconfigMeasurer&) = delete;

  /// Always positive. When no scalable font can be used, answers the system
  /// font's proportions scaled to the cell (see `used_fallback_units`).
  DialogBaseUnits measure_dialog_base_units(
      int32_t font_size, std::string_view font_face) override;

  /// Whether some measurement fell back to the system font's proportions;
  /// the command reports it once, as a warning.
  bool used_fallback_units() const { return used_fallback_units_; }

  /// The scalable font GDI would use for a face name: the family standing in
  /// for a Windows-only face, else the family of that name, else a fixed-pitch
  /// font covering Japanese, a fixed-pitch font, any font. Empty only when
  /// there is no usable scalable font at all.
  std::optional<ChosenFont> choose_font(std::string_view font_face);

  /// Measures `font` at a positive cell height in pixels; empty when FreeType
  /// cannot load or size it.
  std::optional<FontMeasurement> measure_font(const ChosenFont& font,
                                              int32_t cell_height);

  /// How many times a font file has been opened.
  int32_t loads() const { return loads_; }

 private:
  /// Sets up fontconfig and FreeType on first use; false when either fails.
  bool initialise();
  /// The regular face of the installed family named `family`, ignoring ASCII
  /// case; empty when no scalable font has that name.
  std::optional<ChosenFont> find_family(const std::string& family);
  /// The font for faces that are not found, chosen once.
  std::optional<ChosenFont> fallback_font();
  /// The font's FreeType face, opened once; null when it cannot be opened.
  FT_FaceRec_* load_face(const ChosenFont& font);

  int32_t dpi_;
  // Empty when measuring with the installed fonts.
  std::optional<std::vector<std::string>> font_dirs_;
  bool initialised_ = false;
  _FcConfig* config_ = nullptr;
  FT_LibraryRec_* library_ = nullptr;
  // By the script's face bytes.
  std::map<std::string, std::optional<ChosenFont>, std::less<>> fonts_;
  // The font for faces that are not found, once looked for; empty inside
  // when there is no usable font at all.
  std::optional<std::optional<ChosenFont>> fallback_;
  // By file and index; null for a file FreeType could not open.
  std::map<std::pair<std::string, int32_t>, FT_FaceRec_*> faces_;
  // By the script's face bytes and point size.
  std::map<std::pair<std::string, int32_t>, DialogBaseUnits> results_;
  int32_t loads_ = 0;
  bool used_fallback_units_ = false;
};

}  // namespace dlgforge
