// The resource model as JSON, for `--dump-model`: the format other tools
// read (see docs/reader.md for its members).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "port/model/model.h"

namespace dlgforge::model {

/// The model as an indented JSON document ending with a newline. Text that
/// is not valid UTF-8 is written with U+FFFD in its place.
std::string to_json(const Model& model);

/// Takes the next piece of a document; false when it could not be written.
using JsonSink = std::function<bool(std::string_view piece)>;

/// The same document handed to `sink` in pieces as it is written, so that
/// it is never whole in memory; false when the sink refused a piece (the
/// pieces after it are not offered).
bool write_json(const Model& model, const JsonSink& sink);

/// `FILE:LINE:COL: warning: MESSAGE`, without a newline.
std::string format_warning(const Diagnostic& warning);

}  // namespace dlgforge::model
