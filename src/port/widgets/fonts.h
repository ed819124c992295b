// The font a ported dialog asks for: the script's Windows face replaced by
// families that exist on Linux, most faithful first, with its point size,
// weight and slant.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "port/model/model.h"

namespace dlgforge::port {

struct FontRequest {
  /// Families to try in order: the stand-in for the Windows face, then a
  /// metric-compatible family, then a family every Linux system has.
  std::vector<std::string> families;
  int points = 8;
  int weight = 400;  ///< 100 to 900, 400 regular, 700 bold
  bool italic = false;
};

/// The request for a dialog's FONT statement; without one, a stand-in for
/// the bold 10-point system font Windows uses for such dialogs.
FontRequest font_request(const std::optional<model::Font>& font);

}  // namespace dlgforge::port
