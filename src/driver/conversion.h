// One conversion run: the open script, the font measurer and everything that
// outlives a line (the output sections, the dialog record, the radio-button
// count). Passed to every converter, so two runs never share state.
#pragma once

#include <string>

#include "dialog/base_units.h"
#include "dialog/dialog.h"
#include "driver/sections.h"
#include "platform/text_reader.h"

namespace dlgforge {

struct Conversion {
  Conversion(ScriptReader& script_reader, FontMeasurer& font_measurer)
      : script(script_reader), measurer(font_measurer) {}

  ScriptReader& script;
  FontMeasurer& measurer;
  OutputSections sections;
  DialogState dialog;
  /// Radio buttons converted so far in the whole run; never reset, so every
  /// radio button of a run joins one group.
  int radio_button_count = 0;

  /// Reused text buffers of the control conversion, so that converting a
  /// control allocates nothing once they have grown.
  struct Scratch {
    std::string name;
    std::string style;
    std::string style_step;
  } scratch;
};

}  // namespace dlgforge
