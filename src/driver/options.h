// The command line: the options that come before the script path and the
// texts the command prints about its own use (usage line, help, version).
// Parsing only reads the arguments; opening the script, measuring fonts and
// writing the output are left to main.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base_units.h"
#include "text/quoted.h"

namespace dlgforge {

/// What the command line asks for.
enum class CommandAction {
  Convert,      ///< convert the script
  DumpModel,    ///< print the port reader's model of the script as JSON
  Preview,      ///< show the port dialogs live (the GTK helper's work)
  Report,       ///< write the port report (the GTK helper's work)
  ShowHelp,     ///< print the help on standard output
  ShowVersion,  ///< print the version line on standard output
  UsageError,   ///< report `CommandLine::error` and the usage line
};

/// The settings of one conversion, as given on the command line.
struct ConversionOptions {
  std::string script;  ///< the script's path, as given
  /// Units for every dialog instead of measuring its font.
  std::optional<DialogBaseUnits> base_units;
  /// Resolution for measuring fonts instead of the display's.
  std::optional<int32_t> dpi;
  /// File that receives the document instead of standard output.
  std::optional<std::string> output;
  /// --dump-model: print what the port reader reads instead of converting.
  bool dump_model = false;
  /// -I DIR: folders searched for included files, in order.
  std::vector<std::string> include_dirs;
  /// -D NAME[=VALUE]: macros defined before the script is read.
  std::vector<std::pair<std::string, std::string>> defines;
  /// --codepage N: the code page of text when the script names none.
  std::optional<int32_t> codepage;
  /// --port: write the port program instead of the classic one.
  bool port = false;
  /// --gtk3: with --port, write the program for GTK 3 instead of GTK+ 2.
  bool gtk3 = false;
  /// --main NAME: the dialog the port program shows first.
  std::optional<std::string> main_dialog;
  /// --language: the language whose variants --preview and --report show.
  std::optional<std::uint16_t> language;
  /// --preview: show the port dialogs live; the arguments after the script
  /// name the dialogs to open instead of the list of dialogs and menus.
  bool preview = false;
  std::vector<std::string> preview_dialogs;
  /// --report DIR: write the port report into DIR.
  std::optional<std::string> report_dir;
};

/// The command line read.
struct CommandLine {
  CommandAction action = CommandAction::UsageError;
  ConversionOptions options;
  /// For `UsageError`: the problem, without the program name, for example
  /// "unknown option '--x'"; empty when there was no argument at all.
  std::string error;
};

/// Reads the arguments that follow the program name. Options come first;
/// the first argument that is not an option (or the one after "--") is the
/// script, and everything after it is ignored. "-h"/"--help" and
/// "--version" act as soon as they are read, like the first problem found.
/// A lone "-" is a script path, not an option. Repeated options: the last
/// one counts.
CommandLine parse_options(std::span<const std::string_view> args);

/// "usage: dlgforge [OPTION]... SCRIPT.rc" and a newline.
std::string_view usage_line();

/// The usage line followed by what the command does and every option.
std::string_view help_text();

/// "dlgforge VERSION" and a newline, the version being the project's.
std::string version_line();

}  // namespace dlgforge
