// The FreeBASIC back end of port mode: prints the widget description as a
// GTK+ 2 program (one function per dialog and per menu bar, handler stubs,
// a main program showing the first dialog).
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

/// The whole program.
std::string write_freebasic(const Description& description,
                            const WriterOptions& options);

}  // namespace dlgforge::port
