// The parser of resource statements: reads the preprocessed token stream
// into the model. DIALOG, DIALOGEX, MENU, MENUEX and STRINGTABLE are read in
// full, with the resource compiler's default styles and expression rules;
// every other resource is read over, whether a block or a file name.
#pragma once

#include "port/model/model.h"
#include "port/reader/preprocessor.h"

namespace dlgforge::port {

struct ReaderOptions;

void parse_script(Preprocessor& preprocessor, const ReaderOptions& options,
                  model::Model& model);

}  // namespace dlgforge::port
