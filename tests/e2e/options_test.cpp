// End-to-end tests of the command-line options on the built binary: help and
// version, usage errors, fixed base units and the resolution, and writing
// the document into a file whole or not at all.
#include "driver/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "e2e/command_run.h"
#include "linux/font_measurer.h"
#include "support.h"

namespace dlgforge {
namespace {

namespace fs = std::filesystem;
using testing::CommandRun;
using testing::CommandSetup;
using testing::file_content;

// Two dialogs with different fonts, so that measured units would differ
// between them, and a menu.
constexpr std::string_view kScript =
    "IDR_MAIN MENU\r\n"
    "BEGIN\r\n"
    "    POPUP \"&File\"\r\n"
    "    BEGIN\r\n"
    "        MENUITEM \"E&xit\", IDM_EXIT\r\n"
    "    END\r\n"
    "END\r\n"
    "IDD_FIRST DIALOGEX 0, 0, 186, 95\r\n"
    "CAPTION \"First\"\r\n"
    "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\r\n"
    "BEGIN\r\n"
    "    DEFPUSHBUTTON \"OK\",IDOK,129,7,50,14\r\n"
    "    LTEXT \"Name:\",IDC_STATIC,7,10,40,8\r\n"
    "END\r\n"
    "IDD_SECOND DIALOG 0, 0, 120, 60\r\n"
    "CAPTION \"Second\"\r\n"
    "FONT 12, \"Courier New\"\r\n"
    "BEGIN\r\n"
    "    AUTOCHECKBOX \"Wrap\",IDC_WRAP,7,7,60,10\r\n"
    "END\r\n";

// A document far larger than a few kilobytes.
std::string big_script() {
  std::string script;
  for (int i = 0; i < 2000; ++i) {
    script += "IDR_M" + std::to_string(i) + " MENU\nBEGIN\nEND\n";
  }
  return script;
}

// The test's folder holds the captures; the binary works in `work_`, so a
// listing of it shows every file the binary left behind.
class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() /
        ("dlgforge_options_" + std::to_string(::getpid()) + "_" + info->name());
    work_ = dir_ / "work";
    fs::remove_all(dir_);
    fs::create_directories(work_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path put(const std::string& name, std::string_view bytes) {
    fs::path path = work_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  CommandRun run(const std::vector<std::string>& args,
                 CommandSetup setup = {}) {
    if (setup.cwd.empty()) {
      setup.cwd = work_;
    }
    return testing::run_dlgforge(args, dir_, setup);
  }

  std::set<std::string> work_names() const {
    std::set<std::string> result;
    for (const auto& entry : fs::directory_iterator(work_)) {
      result.insert(entry.path().filename().string());
    }
    return result;
  }

  fs::path dir_;
  fs::path work_;
};

TEST_F(Options, HelpGoesToStandardOutput) {
  for (const char* option : {"-h", "--help"}) {
    CommandRun r = run({option});
    EXPECT_EQ(r.status, 0) << option;
    EXPECT_EQ(r.out, help_text()) << option;
    EXPECT_EQ(r.err, "") << option;
  }
  // Help wins over a script that cannot be opened: nothing is converted.
  CommandRun r = run({"--help", "missing.rc"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, help_text());
}

TEST_F(Options, VersionGoesToStandardOutput) {
  CommandRun r = run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "dlgforge " DLGFORGE_VERSION "\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Options, HelpOrVersionThatCannotBeWrittenFails) {
  for (const char* option : {"--help", "--version"}) {
    CommandSetup setup;
    setup.stdout_path = "/dev/full";
    CommandRun r = run({option}, setup);
    EXPECT_EQ(r.status, 1) << option;
    EXPECT_EQ(r.err,
              "dlgforge: cannot write the output: No space left on device\n");
  }
}

TEST_F(Options, UsageErrorsNameTheProblemThenTheUsage) {
  put("a.rc", kScript);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--x", "a.rc"}, "unknown option '--x'"},
      {{"-x", "a.rc"}, "unknown option '-x'"},
      {{"--dpi"}, "option '--dpi' needs a value"},
      {{"-o"}, "option '-o' needs a value"},
      {{"--base-units", "0,13", "a.rc"},
       "bad value '0,13' for option '--base-units': expected two positive "
       "integers BX,BY"},
      {{"--dpi=-96", "a.rc"},
       "bad value '-96' for option '--dpi': expected a positive integer"},
      {{"--help=1"}, "option '--help' takes no value"},
      {{"--dpi", "96"}, "missing script"},
      {{"-a.rc"}, "unknown option '-a'"},
  };
  for (const Case& c : cases) {
    CommandRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_EQ(r.err,
              "dlgforge: " + c.message + "\n" + std::string(usage_line()));
  }
  EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc"}));
}

TEST_F(Options, NoArgumentGivesTheUsageAlone) {
  CommandRun r = run({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, usage_line());
}

TEST_F(Options, ArgumentsAfterTheScriptAreIgnored) {
  put("a.rc", kScript);
  CommandRun r = run(
      {"--base-units", "6,13", "a.rc", "-o", "x.bas", "--bogus", "--dpi", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, testing::convert(kScript));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc"}));
}

TEST_F(Options, DoubleDashLetsAScriptBeginWithADash) {
  put("-dialog.rc", kScript);
  CommandRun r = run({"--base-units=6,13", "--", "-dialog.rc"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, testing::convert(kScript));
  EXPECT_EQ(r.err, "");
  // Without it the name is read as options.
  EXPECT_EQ(run({"-dialog.rc"}).status, 2);
}

// With fixed units no font is measured: the document is the one the
// in-process conversion with those units gives, even with no fonts at all.
TEST_F(Options, FixedBaseUnitsDoNotDependOnTheFonts) {
  put("a.rc", kScript);
  fs::path no_fonts = put("no-fonts.conf", "<fontconfig></fontconfig>\n");
  for (const std::vector<std::string>& environment :
       {std::vector<std::string>{},
        std::vector<std::string>{"FONTCONFIG_FILE=" + no_fonts.string(),
                                 "DISPLAY=:99"}}) {
    CommandSetup setup;
    setup.environment = environment;
    CommandRun six = run({"--base-units", "6,13", "a.rc"}, setup);
    EXPECT_EQ(six.status, 0);
    EXPECT_EQ(six.out, testing::convert(kScript, {6, 13}));
    EXPECT_EQ(six.err, "");
    CommandRun seven = run({"--base-units", "7,15", "a.rc"}, setup);
    EXPECT_EQ(seven.status, 0);
    EXPECT_EQ(seven.out, testing::convert(kScript, {7, 15}));
    EXPECT_NE(six.out, seven.out);
  }
}

// The document the real measurer gives in-process at `dpi`.
std::string convert_measured(std::string_view script, int32_t dpi) {
  FontconfigMeasurer measurer(dpi);
  return testing::convert_bytes(script, measurer);
}

TEST_F(Options, DpiSetsTheMeasuringResolution) {
  put("a.rc", kScript);
  CommandRun normal = run({"--dpi", "96", "a.rc"});
  CommandRun large = run({"--dpi=144", "a.rc"});
  EXPECT_EQ(normal.status, 0) << normal.err;
  EXPECT_EQ(large.status, 0) << large.err;
  EXPECT_EQ(normal.out, convert_measured(kScript, 96));
  EXPECT_EQ(large.out, convert_measured(kScript, 144));
  EXPECT_NE(normal.out, large.out);
  // Fixed units leave nothing to measure.
  EXPECT_EQ(run({"--dpi", "144", "--base-units", "6,13", "a.rc"}).out,
            testing::convert(kScript));
}

TEST_F(Options, OutputFileReceivesTheDocument) {
  put("a.rc", kScript);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--base-units", "6,13", "-o", "out.bas",
                                 "a.rc"},
        std::vector<std::string>{"--base-units", "6,13", "--output=out.bas",
                                 "a.rc"}}) {
    fs::remove(work_ / "out.bas");
    CommandSetup setup;
    setup.umask = 027;
    CommandRun r = run(args, setup);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(file_content(work_ / "out.bas"), testing::convert(kScript));
    struct stat info;
    ASSERT_EQ(::stat((work_ / "out.bas").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc", "out.bas"}));
  }
}

// A write that fails halfway (a file size limit) leaves the previous file
// as it was and no temporary file.
TEST_F(Options, FailedWriteLeavesThePreviousFile) {
  put("big.rc", big_script());
  fs::path out = put("out.bas", "previous\n");
  CommandSetup setup;
  setup.file_size_limit = 16384;
  CommandRun r =
      run({"--base-units", "6,13", "-o", "out.bas", "big.rc"}, setup);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "dlgforge: cannot write 'out.bas': File too large\n");
  EXPECT_EQ(file_content(out), "previous\n");
  EXPECT_EQ(work_names(), (std::set<std::string>{"big.rc", "out.bas"}));

  // The same limit is no obstacle to a small document.
  put("a.rc", kScript);
  ASSERT_LT(testing::convert(kScript).size(), 16384u);
  r = run({"--base-units", "6,13", "-o", "out.bas", "a.rc"}, setup);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(file_content(out), testing::convert(kScript));
}

TEST_F(Options, OutputIntoAMissingFolderFails) {
  put("a.rc", kScript);
  CommandRun r = run({"--base-units", "6,13", "-o", "missing/out.bas", "a.rc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "dlgforge: cannot create a temporary file in 'missing': No such "
            "file or directory\n");
  EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc"}));
}

TEST_F(Options, OutputOntoAFolderFails) {
  put("a.rc", kScript);
  fs::create_directory(work_ / "sub");
  CommandRun r = run({"--base-units", "6,13", "-o", "sub", "a.rc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "dlgforge: cannot write 'sub': Is a directory\n");
  EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc", "sub"}));
  EXPECT_TRUE(fs::is_empty(work_ / "sub"));
}

// A script that cannot be opened is reported as without the option, and
// the output file is not touched.
TEST_F(Options, ScriptThatCannotBeOpenedLeavesTheOutputAlone) {
  fs::path out = put("out.bas", "previous\n");
  CommandRun r = run({"-o", "out.bas", "missing.rc"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, testing::kCannotOpen);
  EXPECT_EQ(r.err,
            "dlgforge: cannot open 'missing.rc': No such file or "
            "directory\n");
  EXPECT_EQ(file_content(out), "previous\n");

  r = run({"-o", "new.bas", "missing.rc"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(work_names(), (std::set<std::string>{"out.bas"}));
}

// A script that opens but cannot be read (/proc/self/mem fails from its
// first byte) is reported like one that cannot be opened: no document, not
// even a partial one, and the output file as it was.
TEST_F(Options, ScriptThatCannotBeReadIsReportedLikeOneThatCannotBeOpened) {
  fs::path out = put("out.bas", "previous\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--base-units", "6,13", "/proc/self/mem"},
        {"--base-units", "6,13", "-o", "out.bas", "/proc/self/mem"}}) {
    CommandRun r = run(args);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, testing::kCannotOpen);
    EXPECT_EQ(r.err,
              "dlgforge: cannot read '/proc/self/mem': Input/output error\n");
  }
  EXPECT_EQ(file_content(out), "previous\n");
  EXPECT_EQ(work_names(), (std::set<std::string>{"out.bas"}));
}

// Every path in a message is quoted alike, a newline in it shown as '?',
// so that each message stays one line.
TEST_F(Options, PathsInMessagesStayOnOneLine) {
  put("a.rc", kScript);
  CommandRun r = run({"new\nline.rc"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err,
            "dlgforge: cannot open 'new?line.rc': No such file or directory\n");
  r = run({"--base-units", "6,13", "-o", "no\nfolder/out.bas", "a.rc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "dlgforge: cannot create a temporary file in 'no?folder': No such "
            "file or directory\n");
}

TEST_F(Options, DevicesAreWrittenDirectly) {
  put("a.rc", kScript);
  CommandRun r = run({"--base-units", "6,13", "-o", "/dev/null", "a.rc"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");

  r = run({"--base-units", "6,13", "-o", "/dev/full", "a.rc"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "dlgforge: cannot write '/dev/full': No space left on device\n");
  EXPECT_EQ(work_names(), (std::set<std::string>{"a.rc"}));
}

// --port writes the port program: --main picks the dialog shown first, a
// name that is no dialog is a usage error before anything is written, and
// --main means nothing without --port.
TEST_F(Options, PortMainAndBaseUnits) {
  put("a.rc", kScript);
  CommandRun first = run({"--port", "a.rc"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("dlgforge_dialog_box(\"IDD_FIRST\")"),
            std::string::npos);
  EXPECT_NE(first.out.find("dlgforge_base_units(dialog_window"),
            std::string::npos);
  CommandRun second =
      run({"--port", "--main", "idd_second", "--base-units", "7,15", "a.rc"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("dlgforge_dialog_box(\"IDD_SECOND\")"),
            std::string::npos);
  EXPECT_NE(second.out.find("units_x = 7 : units_y = 15"), std::string::npos);
  EXPECT_EQ(second.out.find("dlgforge_base_units(dialog_window"),
            std::string::npos);

  CommandRun missing =
      run({"--port", "--main", "IDD_NONE", "-o", "p.bas", "a.rc"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "dlgforge: no dialog 'IDD_NONE' in 'a.rc'\n");
  EXPECT_FALSE(fs::exists(work_ / "p.bas"));
  // -o names the user's file, written when there is none; the generated
  // part beside it is rewritten every time.
  CommandRun files = run({"--port", "-o", "app.bas", "a.rc"});
  EXPECT_EQ(files.status, 0) << files.err;
  auto read = [this](const std::string& name) {
    std::ifstream in(work_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_NE(read("app.bas").find("#include once \"app.ui.bi\""),
            std::string::npos);
  put("app.bas", "' mine\n");
  put("app.ui.bi", "stale");
  CommandRun again = run({"--port", "-o", "app.bas", "a.rc"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(read("app.bas"), "' mine\n");
  EXPECT_NE(read("app.ui.bi").find("Function dlgforge_dialog_named"),
            std::string::npos);
  EXPECT_NE(again.err.find("IDD_FIRST has no procedure here"),
            std::string::npos)
      << again.err;
  CommandRun quoted = run({"--port", "-o", "a\"b.bas", "a.rc"});
  EXPECT_EQ(quoted.status, 2);
  EXPECT_FALSE(fs::exists(work_ / "a\"b.ui.bi"));
  CommandRun alone = run({"--main", "IDD_FIRST", "a.rc"});
  EXPECT_EQ(alone.status, 2);
  EXPECT_EQ(alone.err, "dlgforge: option '--main' needs --port\n" +
                           std::string(usage_line()));
}

// What --preview and --report cannot do is said on one line with its
// status, before anything is written: no display to preview on, a folder
// that cannot be made, a dialog the script does not have.
TEST_F(Options, PreviewAndReportFailures) {
  put("a.rc", kScript);
  CommandRun preview = run({"--preview", "a.rc"});
  EXPECT_EQ(preview.status, 2);
  EXPECT_EQ(preview.err, "dlgforge: no display: DISPLAY is not set\n");
  CommandRun unknown = run({"--preview", "a.rc", "IDD_FIRST", "IDD_NONE"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "dlgforge: no dialog 'IDD_NONE' in 'a.rc'\n");
  put("file", "");
  CommandRun no_folder = run({"--report", "file/out", "a.rc"});
  EXPECT_EQ(no_folder.status, 1);
  EXPECT_TRUE(no_folder.err.starts_with("dlgforge: cannot create 'file/out'"))
      << no_folder.err;
}

}  // namespace
}  // namespace dlgforge
