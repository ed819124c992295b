// The resource model as JSON, for `--dump-model`: the format other tools
// read (see docs/reader.md for its members).
#pragma once

#include <string>

#include "port/model/model.h"

namespace dlgforge::model {

/// The model as an indented JSON document ending with a newline. Text that
/// is not valid UTF-8 is written with U+FFFD in its place.
std::string to_json(const Model& model);

/// `FILE:LINE:COL: warning: MESSAGE`, without a newline.
std::string format_warning(const Diagnostic& warning);

}  // namespace dlgforge::model
