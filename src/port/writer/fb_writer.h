// The FreeBASIC back end of port mode: prints the widget description as a
// GTK+ 2 or GTK 3 program (one function per dialog and per menu bar,
// handler stubs, a main program showing the first dialog). One printer
// writes both; where the toolkits differ it asks each one's spelling
// (port/gtk2/program.h, port/gtk3/program.h).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base_units.h"
#include "port/widgets/description.h"

namespace dlgforge::port {

struct WriterOptions {
  std::string script_name;  ///< the script's file name, for the heading
  /// Units for every dialog, fixed at conversion time; without them the
  /// program measures each dialog's font when it builds the dialog.
  std::optional<DialogBaseUnits> base_units;
  /// For write_freebasic_files: the GTK 3 program instead of GTK+ 2, and
  /// the name the user's file includes the generated part by.
  bool gtk3 = false;
  std::string include_name;
  /// Constants an earlier conversion wrote that the script no longer
  /// names: kept, so that the user's code that uses them still compiles.
  std::vector<IdConstant> earlier_constants;
  /// The folder beside the program's executable that holds the files of
  /// `Description::pictures` ("app.pictures"); empty when there is none,
  /// and the images keep their stock pictures.
  std::string pictures_folder;
  /// How many threads print a large program at once for
  /// write_freebasic_program (the output is the same): 0 for one per core,
  /// at most four.
  unsigned printers = 0;
};

/// A program in two parts: what every conversion rewrites (the constants,
/// building the dialogs and menus, how they behave), and the user's file
/// (each dialog's procedure, the main program), which a conversion writes
/// only once.
struct ProgramFiles {
  std::string generated;
  std::string user;
};

ProgramFiles write_freebasic_files(const Description& description,
                                   const WriterOptions& options);

/// The script's constants a generated part wrote, for the next conversion
/// (only names and values that part would write itself are taken).
std::vector<IdConstant> read_constants(std::string_view generated);

/// What a user whose own file is kept may want to know after a conversion:
/// the dialogs without a procedure in `user_text`, and the ids the script
/// has gained since `earlier_constants`.
std::vector<std::string> changes_to_note(
    const Description& description,
    const std::vector<IdConstant>& earlier_constants,
    std::string_view user_text);

/// Takes the program piece by piece; false stops the printing.
using ProgramSink = std::function<bool(std::string_view piece)>;

/// The whole program as one self-contained file (the generated part, then
/// the user's), for GTK 3 when `options.gtk3`, handed to `sink` in pieces
/// as it is printed; false when the sink refused a piece.
bool write_freebasic_program(const Description& description,
                             const WriterOptions& options,
                             const ProgramSink& sink);

/// The whole program in one piece, for GTK+ 2: the generated part and
/// then the user's, as one self-contained file.
std::string write_freebasic(const Description& description,
                            const WriterOptions& options);

/// The whole program for FreeBASIC's GTK 3 binding: GTK 3's forms where
/// GTK+ 2's are gone or deprecated, and no call GTK 3.24 deprecates.
std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options);

}  // namespace dlgforge::port
