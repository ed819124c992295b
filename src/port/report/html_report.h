// The port report as a web page: a summary of the script, then one section
// per dialog (its picture, each control and the widget it became, what was
// approximated, the reader's warnings on its lines), every warning, and the
// menus as nested lists. One self-contained page without script; the
// pictures are files beside it, taken by the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "port/model/model.h"
#include "port/widgets/description.h"

namespace dlgforge::port {

/// The picture of one dialog: a file beside the page, empty when none could
/// be taken, and the base units the dialog was built with.
struct DialogPicture {
  std::string file;
  int width = 0, height = 0;
  int units_x = 0, units_y = 0;
};

struct ReportInput {
  std::string script_name;  ///< as given on the command line
  const model::Model* model = nullptr;
  const Description* description = nullptr;
  std::vector<DialogPicture> pictures;  ///< one per dialog, in order
  /// Only the variant of each dialog a user of this language gets; every
  /// variant when unset.
  std::optional<std::uint16_t> language;
};

/// The whole page.
std::string write_report_html(const ReportInput& input);

/// What a control lost or what stands in for it on the way to its widget,
/// empty when it became its widget as it is.
std::string approximation(const model::Control& control, const Widget& widget);

/// The anchor of each dialog's section, unique in the page ("IDD_ABOUT").
std::vector<std::string> dialog_anchors(const Description& description);

}  // namespace dlgforge::port
