// Toolkit start-up: the converter initialises GTK+ 2 once and uses nothing
// of it but the display's font resolution. The toolkit is loaded only when a
// dialog needs measuring, so a run without dialogs never pays for loading
// its sixty libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/base_units.h"

namespace dlgforge {

class FontconfigMeasurer;

/// Loads and initialises the toolkit without touching the C library's
/// locale. A missing display, or a missing toolkit library, is not an error.
/// Returns the display's font resolution in dots per inch, rounded, or 0 when
/// there is no display or it reports none.
int32_t start_toolkit();

/// The resolution used for measuring fonts: the display's when positive,
/// otherwise 96, the resolution of a standard Windows desktop.
constexpr int32_t measuring_dpi(int32_t display_dpi) {
  return display_dpi > 0 ? display_dpi : 96;
}

/// Measures with the installed fonts, at `dpi` when given, otherwise at the
/// display's resolution; the toolkit is started, and the fonts are loaded, at
/// the first measurement.
class DisplayMeasurer final : public FontMeasurer {
 public:
  explicit DisplayMeasurer(std::optional<int32_t> dpi);
  ~DisplayMeasurer() override;

  DialogBaseUnits measure_dialog_base_units(
      int32_t font_size, std::string_view font_face) override;

  /// Whether some font was answered with the fallback units because no
  /// usable scalable font exists; the caller reports it.
  bool used_fallback_units() const;

 private:
  std::optional<int32_t> dpi_;
  std::unique_ptr<FontconfigMeasurer> fonts_;
};

}  // namespace dlgforge
