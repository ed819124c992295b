#include "driver/options.h"

#include <limits>

#include "port/languages/languages.h"

#ifndef DLGFORGE_VERSION
#error "DLGFORGE_VERSION must be defined by the build"
#endif

namespace dlgforge {
namespace {

enum class OptionId {
  Help,
  Version,
  BaseUnits,
  Dpi,
  Output,
  DumpModel,
  Include,
  Define,
  Codepage,
  Port,
  Gtk3,
  Main,
  Language,
  Preview,
  Report,
};

struct KnownOption {
  std::string_view long_name;  // without the leading "--"
  char short_name;             // 0 when there is none
  bool takes_value;
  OptionId id;
};

// The options, tried in order.
constexpr KnownOption kOptions[] = {
    {"help", 'h', false, OptionId::Help},
    {"version", 0, false, OptionId::Version},
    {"base-units", 0, true, OptionId::BaseUnits},
    {"dpi", 0, true, OptionId::Dpi},
    {"output", 'o', true, OptionId::Output},
    {"dump-model", 0, false, OptionId::DumpModel},
    {"include", 'I', true, OptionId::Include},
    {"define", 'D', true, OptionId::Define},
    {"codepage", 0, true, OptionId::Codepage},
    {"port", 0, false, OptionId::Port},
    {"gtk3", 0, false, OptionId::Gtk3},
    {"main", 0, true, OptionId::Main},
    {"language", 0, true, OptionId::Language},
    {"preview", 0, false, OptionId::Preview},
    {"report", 0, true, OptionId::Report},
};

constexpr std::string_view kUsageLine =
    "usage: dlgforge [OPTION]... SCRIPT.rc\n";

// Kept within 80 columns; it starts with the usage line.
constexpr std::string_view kHelpText = R"(usage: dlgforge [OPTION]... SCRIPT.rc
Convert the dialogs (DIALOG, DIALOGEX) and menus (MENU, MENUEX) of a
Windows resource script into a FreeBASIC program that rebuilds them with
GTK+ 2, printed on standard output.

  -o, --output FILE       write the program to FILE instead; FILE is
                          replaced only once the whole program is written
      --base-units BX,BY  use these dialog base units (pixels) for every
                          dialog instead of measuring its font
      --dpi N             measure fonts at N dots per inch instead of the
                          display's resolution (96 without a display)
      --dump-model        read the script with the full resource reader
                          (preprocessor, every statement) and print what
                          it read as JSON instead of converting it
  -I, --include DIR       with --port or --dump-model: search DIR for
                          included files (after the script's folder);
                          repeatable
  -D, --define NAME[=VALUE]
                          with --port or --dump-model: define the macro
                          NAME (as 1 when no VALUE is given); repeatable
      --codepage N        with --port or --dump-model: read text in code
                          page N when the script names none (default 1252)
      --port              read the script with the full resource reader
                          and write a program meant to be kept instead:
                          every control a widget, placed with base units
                          the program measures when it runs (or those of
                          --base-units), handler stubs, readable names
      --gtk3              with --port: write the program for GTK 3
                          (3.24) instead of GTK+ 2
      --main NAME         with --port: the dialog the program shows first
      --language NAME     with --preview or --report: show the variant of
                          each dialog a user of language NAME (de-DE,
                          de_DE, 0x0407) gets
      --preview           show the --port dialogs live with GTK+ 2: a
                          window lists the dialogs and menus of the
                          script; names after SCRIPT.rc open those dialogs
      --report DIR        write DIR/index.html: each --port dialog pictured
                          (on the display, else on a private Xvfb), its
                          controls, the reader's warnings and the menus
  -h, --help              print this help and exit
      --version           print the version and exit
  --                      end of the options: the next argument is the
                          script, even when it begins with '-'

Exit status: 0 converted, 1 the output could not be written, 2 a usage
error (or no display to preview on), 255 the script cannot be opened or
read.
See dlgforge(1) for the measurement of dialog base units and the fonts.
)";

bool is_option(std::string_view arg) {
  return arg.size() > 1 && arg[0] == '-';
}

const KnownOption* find_long(std::string_view name) {
  for (const KnownOption& known : kOptions) {
    if (known.long_name == name) {
      return &known;
    }
  }
  return nullptr;
}

const KnownOption* find_short(char name) {
  for (const KnownOption& known : kOptions) {
    if (known.short_name != 0 && known.short_name == name) {
      return &known;
    }
  }
  return nullptr;
}

// A decimal number made of ASCII digits only, from 1 to the largest 32-bit
// value: no sign, no blanks, nothing before or after.
std::optional<int32_t> positive_integer(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) {
      return std::nullopt;
    }
  }
  if (value == 0) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

// "BX,BY": two positive integers and one comma between them.
std::optional<DialogBaseUnits> base_units_value(std::string_view text) {
  size_t comma = text.find(',');
  if (comma == text.npos) {
    return std::nullopt;
  }
  std::optional<int32_t> bx = positive_integer(text.substr(0, comma));
  std::optional<int32_t> by = positive_integer(text.substr(comma + 1));
  if (!bx || !by) {
    return std::nullopt;
  }
  return DialogBaseUnits{*bx, *by};
}

// Reads the arguments one by one into a `CommandLine`; every step returns
// whether reading goes on.
class OptionParser {
 public:
  explicit OptionParser(std::span<const std::string_view> args) : args_(args) {}

  CommandLine parse() {
    if (args_.empty()) {
      return result_;  // no argument: the usage line alone
    }
    while (next_ < args_.size()) {
      std::string_view arg = args_[next_++];
      if (arg == "--") {
        break;
      }
      if (!is_option(arg)) {
        return convert(arg);
      }
      bool go_on = arg.starts_with("--") ? read_long(arg.substr(2))
                                         : read_short_group(arg.substr(1));
      if (!go_on) {
        return result_;
      }
    }
    if (next_ < args_.size()) {
      return convert(args_[next_++]);
    }
    fail("missing script");
    return result_;
  }

 private:
  CommandLine convert(std::string_view script) {
    const ConversionOptions& options = result_.options;
    bool full_reader = options.dump_model || options.port || options.preview ||
                       options.report_dir;
    if (!full_reader && (!options.include_dirs.empty() ||
                         !options.defines.empty() || options.codepage)) {
      fail("options -I, -D and --codepage need --port or --dump-model");
      return result_;
    }
    if (options.main_dialog && !options.port) {
      fail("option '--main' needs --port");
      return result_;
    }
    if (options.language && !options.preview && !options.report_dir) {
      fail("option '--language' needs --preview or --report");
      return result_;
    }
    if (options.gtk3 && (!options.port || options.dump_model ||
                         options.preview || options.report_dir)) {
      fail(
          "option '--gtk3' needs --port, without --dump-model, --preview or "
          "--report");
      return result_;
    }
    if (options.preview && options.report_dir) {
      fail("options --preview and --report cannot be combined");
      return result_;
    }
    result_.action = options.dump_model   ? CommandAction::DumpModel
                     : options.preview    ? CommandAction::Preview
                     : options.report_dir ? CommandAction::Report
                                          : CommandAction::Convert;
    result_.options.script = script;
    // The preview opens the dialogs named after the script.
    while (options.preview && next_ < args_.size()) {
      result_.options.preview_dialogs.emplace_back(args_[next_++]);
    }
    // The classic conversion reads its first argument alone; the other
    // modes refuse what follows the script rather than ignore it, since an
    // `-o FILE` there would leave the user believing the file written.
    if (full_reader && next_ < args_.size()) {
      fail("unexpected argument '" + std::string(args_[next_]) +
           "' after the script: options come before it");
      return result_;
    }
    return result_;
  }

  void fail(std::string error) {
    result_.action = CommandAction::UsageError;
    result_.error = std::move(error);
  }

  // "--name", "--name=value" or "--name value".
  bool read_long(std::string_view body) {
    size_t equals = body.find('=');
    std::string spelled = "--";
    spelled.append(body.substr(0, equals));
    const KnownOption* known = find_long(body.substr(0, equals));
    if (known == nullptr) {
      fail("unknown option " + quoted(spelled));
      return false;
    }
    if (equals != body.npos) {
      if (!known->takes_value) {
        fail("option " + quoted(spelled) + " takes no value");
        return false;
      }
      return apply(*known, spelled, body.substr(equals + 1));
    }
    return read_option(*known, spelled);
  }

  // "-h", "-o FILE", "-oFILE", and several letters in one argument as
  // getopt reads them ("-ho FILE"): a letter that takes a value takes the
  // rest of the argument, or the next argument when nothing is left.
  bool read_short_group(std::string_view letters) {
    for (size_t i = 0; i < letters.size(); ++i) {
      std::string spelled(1, '-');
      const KnownOption* known = find_short(letters[i]);
      if (known == nullptr) {
        // A byte past ASCII may be part of a character: name the whole
        // argument rather than cut it.
        bool ascii = static_cast<unsigned char>(letters[i]) < 0x80;
        spelled.append(ascii ? letters.substr(i, 1) : letters);
        fail("unknown option " + quoted(spelled));
        return false;
      }
      spelled += letters[i];
      if (known->takes_value && i + 1 < letters.size()) {
        return apply(*known, spelled, letters.substr(i + 1));
      }
      if (!read_option(*known, spelled)) {
        return false;
      }
      if (known->takes_value) {
        return true;
      }
    }
    return true;
  }

  // An option whose value, if it takes one, is the next argument, whatever
  // it looks like (as getopt takes it).
  bool read_option(const KnownOption& known, const std::string& spelled) {
    if (!known.takes_value) {
      return apply(known, spelled, {});
    }
    if (next_ >= args_.size()) {
      fail("option " + quoted(spelled) + " needs a value");
      return false;
    }
    return apply(known, spelled, args_[next_++]);
  }

  bool apply(const KnownOption& known, const std::string& spelled,
             std::string_view value) {
    ConversionOptions& options = result_.options;
    switch (known.id) {
    case OptionId::Help:
      result_.action = CommandAction::ShowHelp;
      return false;
    case OptionId::Version:
      result_.action = CommandAction::ShowVersion;
      return false;
    case OptionId::BaseUnits:
      options.base_units = base_units_value(value);
      if (!options.base_units) {
        return bad_value(spelled, value, "two positive integers BX,BY");
      }
      return true;
    case OptionId::Dpi:
      options.dpi = positive_integer(value);
      if (!options.dpi) {
        return bad_value(spelled, value, "a positive integer");
      }
      return true;
    case OptionId::Output:
      if (value.empty()) {
        return bad_value(spelled, value, "a file name");
      }
      options.output = value;
      return true;
    case OptionId::DumpModel:
      options.dump_model = true;
      return true;
    case OptionId::Include:
      if (value.empty()) {
        return bad_value(spelled, value, "a folder");
      }
      options.include_dirs.emplace_back(value);
      return true;
    case OptionId::Define:
      return define(spelled, value);
    case OptionId::Codepage:
      options.codepage = positive_integer(value);
      if (!options.codepage || *options.codepage > 65535) {
        return bad_value(spelled, value, "a code page number");
      }
      return true;
    case OptionId::Port:
      options.port = true;
      return true;
    case OptionId::Gtk3:
      options.gtk3 = true;
      return true;
    case OptionId::Main:
      if (value.empty()) {
        return bad_value(spelled, value, "a dialog name");
      }
      options.main_dialog = value;
      return true;
    case OptionId::Language:
      options.language = port::languages::language_of_name(value);
      if (!options.language) {
        return bad_value(spelled, value, "a language (de-DE, de_DE, 0x0407)");
      }
      return true;
    case OptionId::Preview:
      options.preview = true;
      return true;
    case OptionId::Report:
      if (value.empty()) {
        return bad_value(spelled, value, "a folder");
      }
      options.report_dir = value;
      return true;
    }
    return false;
  }

  // NAME or NAME=VALUE, NAME being an identifier.
  bool define(const std::string& spelled, std::string_view value) {
    size_t equals = value.find('=');
    std::string_view name = value.substr(0, equals);
    bool valid = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name) {
      valid = valid && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_');
    }
    if (!valid) {
      return bad_value(spelled, value, "NAME or NAME=VALUE");
    }
    std::string body =
        equals == value.npos ? "1" : std::string(value.substr(equals + 1));
    result_.options.defines.emplace_back(std::string(name), body);
    return true;
  }

  bool bad_value(const std::string& spelled, std::string_view value,
                 std::string_view expected) {
    fail("bad value " + quoted(value) + " for option " + quoted(spelled) +
         ": expected " + std::string(expected));
    return false;
  }

  std::span<const std::string_view> args_;
  size_t next_ = 0;
  CommandLine result_;
};

}  // namespace

CommandLine parse_options(std::span<const std::string_view> args) {
  return OptionParser(args).parse();
}

std::string_view usage_line() {
  return kUsageLine;
}

std::string_view help_text() {
  return kHelpText;
}

std::string version_line() {
  return std::string("dlgforge ") + DLGFORGE_VERSION + "\n";
}

}  // namespace dlgforge
