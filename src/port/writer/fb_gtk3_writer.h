// The FreeBASIC back end of port mode for GTK 3: prints the widget
// description as the program the GTK+ 2 writer prints, with GTK 3's forms
// where GTK+ 2's are gone or deprecated, and no call GTK 3.24 deprecates.
#pragma once

#include <string>

#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

namespace dlgforge::port {

/// The whole program, for FreeBASIC's GTK 3 binding.
std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options);

}  // namespace dlgforge::port
