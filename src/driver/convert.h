// The whole conversion of one script, from its reader to the document sink:
// the entry the command line and the tests share.
#pragma once

#include <cstddef>

#include "output/records.h"
#include "platform/base_units.h"
#include "platform/document_sink.h"
#include "platform/text_reader.h"

namespace dlgforge {

/// Reads the whole script, then prints the document to `sink`. Returns
/// whether every byte of the document was written. A script that could not
/// be read to its end (`script.read_error()`) gives no document at all:
/// nothing is written and the result is false. `slice_bytes` sets how the
/// records are cut for printing on two threads; tests set it small, so that
/// small scripts are printed that way too.
bool convert_script(ScriptReader& script, FontMeasurer& measurer,
                    DocumentSink& sink,
                    size_t slice_bytes = ProgramRecords::kSliceBytes);

}  // namespace dlgforge
