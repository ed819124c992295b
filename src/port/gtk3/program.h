// How a FreeBASIC port program spells GTK 3.
#pragma once

#include "port/program/spelling.h"

namespace dlgforge::port::gtk3 {

const ToolkitSpelling& program_spelling();

}  // namespace dlgforge::port::gtk3
