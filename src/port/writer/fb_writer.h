// The FreeBASIC back end of port mode: prints the widget description as a
// GTK+ 2 or GTK 3 program (one function per dialog and per menu bar,
// handler stubs, a main program showing the first dialog). One printer
// writes both; where the toolkits differ it asks each one's spelling
// (port/gtk2/program.h, port/gtk3/program.h).
#pragma once

#include <optional>
#include <string>

#include "platform/base_units.h"
#include "port/widgets/description.h"

namespace dlgforge::port {

struct WriterOptions {
  std::string script_name;  ///< the script's file name, for the heading
  /// Units for every dialog, fixed at conversion time; without them the
  /// program measures each dialog's font when it builds the dialog.
  std::optional<DialogBaseUnits> base_units;
};

/// The whole program, for GTK+ 2.
std::string write_freebasic(const Description& description,
                            const WriterOptions& options);

/// The whole program for FreeBASIC's GTK 3 binding: GTK 3's forms where
/// GTK+ 2's are gone or deprecated, and no call GTK 3.24 deprecates.
std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options);

}  // namespace dlgforge::port
