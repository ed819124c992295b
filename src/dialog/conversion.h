// One dialog conversion run: the open script, the font measurer, the
// program's records and everything that outlives a line (the dialog record,
// scratch strings). Passed to the dialog and control readers, so two runs
// never share state.
#pragma once

#include <string>

#include "dialog/dialog.h"
#include "output/records.h"
#include "platform/base_units.h"
#include "platform/script_lines.h"

namespace dlgforge {

struct Conversion {
  Conversion(ScriptLines& script_lines, FontMeasurer& font_measurer,
             size_t slice_bytes = ProgramRecords::kSliceBytes)
      : script(script_lines), measurer(font_measurer), records(slice_bytes) {}

  ScriptLines& script;
  FontMeasurer& measurer;
  ProgramRecords records;
  DialogState dialog;
  /// Whether a radio button was converted: the first starts the run's group.
  bool radio_group_started = false;

  /// Reused text buffers of the control conversion, so that converting a
  /// control allocates nothing once they have grown.
  struct Scratch {
    std::string name;
    std::string style;
  } scratch;
};

}  // namespace dlgforge
