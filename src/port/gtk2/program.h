// How a FreeBASIC port program spells GTK+ 2.
#pragma once

#include "port/program/spelling.h"

namespace dlgforge::port::gtk2 {

const ToolkitSpelling& program_spelling();

}  // namespace dlgforge::port::gtk2
