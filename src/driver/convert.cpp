#include "driver/convert.h"

#include "dialog/conversion.h"
#include "driver/scanner.h"
#include "output/classic_writer.h"

namespace dlgforge {

bool convert_script(ScriptReader& script, FontMeasurer& measurer,
                    DocumentSink& sink, size_t slice_bytes) {
  ScriptLines lines(script, note_line_facts);
  Conversion run(lines, measurer, slice_bytes);
  scan_script(run);
  if (script.read_error() != 0) {
    return false;
  }
  return write_classic_document(run.records, sink);
}

}  // namespace dlgforge
