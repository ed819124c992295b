#include "driver/convert.h"

#include "driver/conversion.h"
#include "driver/scanner.h"

namespace dlgforge {

bool convert_script(ScriptReader& script, FontMeasurer& measurer,
                    DocumentSink& sink) {
  Conversion run(script, measurer);
  scan_script(run);
  if (script.read_error() != 0) {
    return false;
  }
  std::optional<std::string_view> window;
  if (run.dialog.has_window) {
    window = run.dialog.window_name;
  }
  return write_document(run.sections, window, sink);
}

}  // namespace dlgforge
