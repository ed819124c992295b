// Tests of the command-line parser: each option and its forms, "--", what
// is ignored after the script, and the message for every usage error.
#include "driver/options.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace dlgforge {
namespace {

CommandLine parse(std::vector<std::string_view> args) {
  return parse_options(args);
}

// The message of a usage error, or a note that there was none.
std::string error_of(std::vector<std::string_view> args) {
  CommandLine command = parse(std::move(args));
  if (command.action != CommandAction::UsageError) {
    return "(no usage error)";
  }
  return command.error;
}

TEST(ParseOptions, NoArgumentIsAUsageErrorWithoutMessage) {
  CommandLine command = parse({});
  EXPECT_EQ(command.action, CommandAction::UsageError);
  EXPECT_EQ(command.error, "");
}

TEST(ParseOptions, ScriptAloneConvertsWithDefaults) {
  CommandLine command = parse({"dialogs.rc"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.script, "dialogs.rc");
  EXPECT_FALSE(command.options.base_units);
  EXPECT_FALSE(command.options.dpi);
  EXPECT_FALSE(command.options.output);
}

TEST(ParseOptions, ArgumentsAfterTheScriptAreIgnoredEvenOptions) {
  CommandLine command =
      parse({"a.rc", "--bogus", "-o", "x.bas", "--help", "--dpi", "0"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.script, "a.rc");
  EXPECT_FALSE(command.options.output);
  EXPECT_FALSE(command.options.dpi);
}

TEST(ParseOptions, HelpAndVersionActAsSoonAsRead) {
  EXPECT_EQ(parse({"-h"}).action, CommandAction::ShowHelp);
  EXPECT_EQ(parse({"--help"}).action, CommandAction::ShowHelp);
  EXPECT_EQ(parse({"--version"}).action, CommandAction::ShowVersion);
  // Nothing after them is read, not even a missing script or a bad option.
  EXPECT_EQ(parse({"--help", "--bogus"}).action, CommandAction::ShowHelp);
  EXPECT_EQ(parse({"--version", "--help"}).action, CommandAction::ShowVersion);
  EXPECT_EQ(parse({"-ho"}).action, CommandAction::ShowHelp);
  EXPECT_EQ(parse({"--dpi", "96", "--version", "a.rc"}).action,
            CommandAction::ShowVersion);
  // What comes first wins: a problem before them is reported.
  EXPECT_EQ(error_of({"--bogus", "--help"}), "unknown option '--bogus'");
  EXPECT_EQ(error_of({"--help=yes"}), "option '--help' takes no value");
  EXPECT_EQ(error_of({"--version=1"}), "option '--version' takes no value");
}

TEST(ParseOptions, BaseUnitsInBothForms) {
  for (auto args : {std::vector<std::string_view>{"--base-units", "6,13", "a"},
                    std::vector<std::string_view>{"--base-units=6,13", "a"}}) {
    CommandLine command = parse(args);
    ASSERT_EQ(command.action, CommandAction::Convert) << command.error;
    EXPECT_EQ(command.options.base_units, (DialogBaseUnits{6, 13}));
    EXPECT_EQ(command.options.script, "a");
  }
  EXPECT_EQ(parse({"--base-units", "2147483647,007", "a"}).options.base_units,
            (DialogBaseUnits{2147483647, 7}));
}

TEST(ParseOptions, BaseUnitsMustBeTwoPositiveDecimalIntegers) {
  for (std::string_view value : {"0,13",
                                 "6,0",
                                 "-6,13",
                                 "6,-13",
                                 "+6,13",
                                 "6,+13",
                                 " 6,13",
                                 "6, 13",
                                 "6,13 ",
                                 "6 ,13",
                                 "6",
                                 "6,",
                                 ",13",
                                 ",",
                                 "",
                                 "6,13,1",
                                 "6;13",
                                 "6x13",
                                 "6.0,13",
                                 "0x6,13",
                                 "2147483648,13",
                                 "6,2147483648",
                                 "99999999999999999999,13",
                                 "6,13\n",
                                 "\xEF\xBC\x96,13"}) {
    EXPECT_EQ(error_of({"--base-units", value, "a.rc"}),
              "bad value " + quoted(value) +
                  " for option '--base-units': expected two positive "
                  "integers BX,BY")
        << value;
  }
}

TEST(ParseOptions, DpiInBothForms) {
  EXPECT_EQ(parse({"--dpi", "120", "a"}).options.dpi, 120);
  EXPECT_EQ(parse({"--dpi=144", "a"}).options.dpi, 144);
  EXPECT_EQ(parse({"--dpi", "2147483647", "a"}).options.dpi, 2147483647);
  EXPECT_EQ(parse({"--dpi", "1", "a"}).options.dpi, 1);
}

TEST(ParseOptions, DpiMustBeAPositiveDecimalInteger) {
  for (std::string_view value :
       {"0", "00", "-96", "+96", " 96", "96 ", "96dpi", "9 6", "", "1e2",
        "96.0", "0x60", "2147483648", "18446744073709551712"}) {
    EXPECT_EQ(error_of({"--dpi", value, "a.rc"}),
              "bad value " + quoted(value) +
                  " for option '--dpi': expected a positive integer")
        << value;
  }
  EXPECT_EQ(error_of({"--dpi=", "a.rc"}),
            "bad value '' for option '--dpi': expected a positive integer");
}

TEST(ParseOptions, OutputInEveryForm) {
  for (auto args : {std::vector<std::string_view>{"-o", "out.bas", "a"},
                    std::vector<std::string_view>{"-oout.bas", "a"},
                    std::vector<std::string_view>{"--output", "out.bas", "a"},
                    std::vector<std::string_view>{"--output=out.bas", "a"}}) {
    CommandLine command = parse(args);
    ASSERT_EQ(command.action, CommandAction::Convert) << command.error;
    EXPECT_EQ(command.options.output, "out.bas");
    EXPECT_EQ(command.options.script, "a");
  }
  // "=" inside a value belongs to the value.
  EXPECT_EQ(parse({"--output=a=b", "s"}).options.output, "a=b");
  EXPECT_EQ(error_of({"--output=", "a.rc"}),
            "bad value '' for option '--output': expected a file name");
  EXPECT_EQ(error_of({"-o", "", "a.rc"}),
            "bad value '' for option '-o': expected a file name");
}

TEST(ParseOptions, AValueIsTheNextArgumentWhateverItLooksLike) {
  CommandLine command = parse({"-o", "--dpi", "a.rc"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.output, "--dpi");
  EXPECT_EQ(command.options.script, "a.rc");
  // So an option whose value was forgotten takes the script as its value.
  EXPECT_EQ(error_of({"--dpi", "a.rc"}),
            "bad value 'a.rc' for option '--dpi': expected a positive "
            "integer");
}

TEST(ParseOptions, MissingValues) {
  EXPECT_EQ(error_of({"--dpi"}), "option '--dpi' needs a value");
  EXPECT_EQ(error_of({"--base-units"}), "option '--base-units' needs a value");
  EXPECT_EQ(error_of({"--output"}), "option '--output' needs a value");
  EXPECT_EQ(error_of({"-o"}), "option '-o' needs a value");
  EXPECT_EQ(error_of({"--dpi", "96", "-o"}), "option '-o' needs a value");
}

TEST(ParseOptions, ShortOptionsGroupLikeGetopt) {
  EXPECT_EQ(error_of({"-xh"}), "unknown option '-x'");
  CommandLine command = parse({"-o", "x", "-o", "y", "a"});
  EXPECT_EQ(command.options.output, "y");  // the last one counts
}

TEST(ParseOptions, UnknownOptionsAreNamed) {
  EXPECT_EQ(error_of({"--x", "a.rc"}), "unknown option '--x'");
  EXPECT_EQ(error_of({"--x=1", "a.rc"}), "unknown option '--x'");
  EXPECT_EQ(error_of({"-x", "a.rc"}), "unknown option '-x'");
  EXPECT_EQ(error_of({"---help"}), "unknown option '---help'");
  // Neither abbreviations nor other cases of a long name are accepted.
  EXPECT_EQ(error_of({"--he"}), "unknown option '--he'");
  EXPECT_EQ(error_of({"--HELP"}), "unknown option '--HELP'");
  EXPECT_EQ(error_of({"-V"}), "unknown option '-V'");
  // A script whose name begins with '-' needs "--".
  EXPECT_EQ(error_of({"-dialog.rc"}), "unknown option '-d'");
  // The message stays on one line and does not cut a character in two.
  EXPECT_EQ(error_of({"--a\nb"}), "unknown option '--a?b'");
  EXPECT_EQ(error_of({"-\xC3\xA9"}), "unknown option '-\xC3\xA9'");
}

TEST(ParseOptions, DoubleDashEndsTheOptions) {
  CommandLine command = parse({"--", "-dialog.rc", "more"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.script, "-dialog.rc");

  EXPECT_EQ(parse({"--", "--help"}).options.script, "--help");
  EXPECT_EQ(parse({"--", "--"}).options.script, "--");

  command = parse({"--dpi", "96", "-o", "out", "--", "-a.rc", "--bogus"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.dpi, 96);
  EXPECT_EQ(command.options.output, "out");
  EXPECT_EQ(command.options.script, "-a.rc");
}

TEST(ParseOptions, LoneDashIsAScriptPath) {
  CommandLine command = parse({"-"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.script, "-");
}

TEST(ParseOptions, OptionsWithoutAScript) {
  EXPECT_EQ(error_of({"--dpi", "96"}), "missing script");
  EXPECT_EQ(error_of({"--"}), "missing script");
  EXPECT_EQ(error_of({"-o", "out.bas", "--"}), "missing script");
}

TEST(ParseOptions, EveryOptionTogether) {
  CommandLine command = parse({"--dpi=120", "--base-units", "8,16", "-o",
                               "dir/out.bas", "dialogs.rc", "ignored"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_EQ(command.options.dpi, 120);
  EXPECT_EQ(command.options.base_units, (DialogBaseUnits{8, 16}));
  EXPECT_EQ(command.options.output, "dir/out.bas");
  EXPECT_EQ(command.options.script, "dialogs.rc");
}

TEST(ParseOptions, PreviewTakesDialogNamesAfterTheScriptReportAFolder) {
  CommandLine preview =
      parse({"--preview", "-I", "inc", "a.rc", "IDD_ONE", "--x"});
  EXPECT_EQ(preview.action, CommandAction::Preview);
  EXPECT_EQ(preview.options.script, "a.rc");
  EXPECT_EQ(preview.options.preview_dialogs,
            (std::vector<std::string>{"IDD_ONE", "--x"}));
  CommandLine report = parse({"--report", "out", "a.rc"});
  EXPECT_EQ(report.action, CommandAction::Report);
  EXPECT_EQ(report.options.report_dir, "out");
  // After "--" the script is not taken for a dialog name as well.
  EXPECT_EQ(
      parse({"--preview", "--", "-a.rc", "IDD_ONE"}).options.preview_dialogs,
      (std::vector<std::string>{"IDD_ONE"}));
  // Other than the preview's dialog names, nothing follows the script in
  // the modes of the full reader: an option there would be lost.
  for (std::string_view mode : {"--port", "--dump-model"}) {
    EXPECT_EQ(error_of({mode, "a.rc", "-o", "app.bas"}),
              "unexpected argument '-o' after the script: options come "
              "before it");
  }
  EXPECT_EQ(error_of({"--report", "out", "a.rc", "IDD_ONE"}),
            "unexpected argument 'IDD_ONE' after the script: options come "
            "before it");
  // The classic conversion reads its first argument and no other.
  EXPECT_EQ(parse({"a.rc", "-o", "app.bas"}).action, CommandAction::Convert);
  EXPECT_EQ(error_of({"--report="}),
            "bad value '' for option '--report': expected a folder");
  EXPECT_EQ(error_of({"--preview", "--report", "d", "a.rc"}),
            "options --preview and --report cannot be combined");
}

TEST(ParseOptions, Gtk3OnlyWithPort) {
  CommandLine command = parse({"--gtk3", "--port", "a.rc"});
  EXPECT_EQ(command.action, CommandAction::Convert);
  EXPECT_TRUE(command.options.gtk3);
  const char* error =
      "option '--gtk3' needs --port, without --dump-model, --preview or "
      "--report";
  EXPECT_EQ(error_of({"--gtk3", "a.rc"}), error);
  EXPECT_EQ(error_of({"--port", "--gtk3", "--preview", "a.rc"}), error);
}

TEST(CommandTexts, UsageHelpAndVersion) {
  EXPECT_EQ(usage_line(), "usage: dlgforge [OPTION]... SCRIPT.rc\n");
  EXPECT_EQ(version_line(), "dlgforge " DLGFORGE_VERSION "\n");

  std::string_view help = help_text();
  EXPECT_TRUE(help.starts_with(usage_line()));
  for (std::string_view option :
       {"-o, --output FILE", "--base-units BX,BY", "--dpi N", "-h, --help",
        "--version", "  --  ", "dlgforge(1)"}) {
    EXPECT_NE(help.find(option), help.npos) << option;
  }
  // Every line fits an 80-column terminal.
  for (size_t start = 0; start < help.size();) {
    size_t end = help.find('\n', start);
    ASSERT_NE(end, help.npos) << "the help ends with a newline";
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
    start = end + 1;
  }
}

TEST(CommandTexts, QuotedKeepsMessagesOnOneLine) {
  EXPECT_EQ(quoted("out.bas"), "'out.bas'");
  EXPECT_EQ(quoted(""), "''");
  EXPECT_EQ(quoted("a\nb\tc\x7F"), "'a?b?c?'");
  EXPECT_EQ(quoted("\xE3\x83\x80"), "'\xE3\x83\x80'");
}

}  // namespace
}  // namespace dlgforge
