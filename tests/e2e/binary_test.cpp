// End-to-end tests of the built dlgforge binary: exit statuses, standard
// output byte for byte and standard error.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/binary_fixture.h"
#include "support.h"

namespace dlgforge {
namespace {

TEST_F(Binary, MissingFile) {
  CommandRun r = run({(dir_ / "missing.rc").string()});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, testing::kCannotOpen);
  EXPECT_EQ(r.err, "dlgforge: cannot open '" + (dir_ / "missing.rc").string() +
                       "': No such file or directory\n");
}

TEST_F(Binary, Directory) {
  CommandRun r = run({dir_.string()});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, testing::kCannotOpen);
  EXPECT_EQ(r.err,
            "dlgforge: cannot open '" + dir_.string() + "': Is a directory\n");
}

TEST_F(Binary, NoArgument) {
  CommandRun r = run({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("usage: dlgforge"), std::string::npos) << r.err;
}

TEST_F(Binary, EmptyScriptAndFurtherArgumentsIgnored) {
  fs::path script = write("empty.rc", "");
  CommandRun r = run({script.string(), "extra", "--words"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, testing::convert(""));
  EXPECT_EQ(r.err, "");
}

TEST_F(Binary, FullOutputIsAFailure) {
  fs::path script = write("empty.rc", "");
  CommandSetup full;
  full.stdout_path = "/dev/full";
  CommandRun r = run({script.string()}, full);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "dlgforge: cannot write the output: No space left on device\n");
}

TEST_F(Binary, ClosedPipeIsAFailure) {
  // A big document into a pipe whose reader is gone at once.
  std::string script;
  for (int i = 0; i < 20000; ++i) {
    script += "IDR_M" + std::to_string(i) + " MENU\nBEGIN\nEND\n";
  }
  fs::path path = write("big.rc", script);
  CommandSetup closed_pipe;
  closed_pipe.stdout_closed_pipe = true;
  CommandRun r = run({path.string()}, closed_pipe);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "dlgforge: cannot write the output: Broken pipe\n");
}

TEST_F(Binary, ConvertsADialogWithTheRealMeasurerTwiceAlike) {
  fs::path script = write("dialog.rc",
                          "IDD_MAIN DIALOGEX 0, 0, 186, 95\r\n"
                          "CAPTION \"Main\"\r\n"
                          "FONT 8, \"MS Shell Dlg\"\r\n"
                          "BEGIN\r\n"
                          "    DEFPUSHBUTTON \"OK\",IDOK,129,7,50,14\r\n"
                          "END\r\n");
  CommandRun first = run({script.string()});
  CommandRun second = run({script.string()});
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(first.out, second.out);
  // The size lines carry positive pixel values from the machine's fonts.
  int width = 0;
  int height = 0;
  size_t at = first.out.find("gtk_widget_set_size_request(main, ");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(
      std::sscanf(first.out.c_str() + at,
                  "gtk_widget_set_size_request(main, %d, %d)", &width, &height),
      2);
  EXPECT_GT(width, 0);
  EXPECT_GT(height, 0);
}

// A script of a mebibyte or more is read again in a process with large
// pages: the same arguments, output and warnings as without them (the
// tunable set beforehand keeps the first process).
TEST_F(Binary, ALargeScriptGivesTheSameOutputWithLargePages) {
  std::string text;
  for (int i = 0; text.size() < (std::size_t{1} << 20) + 4096; ++i) {
    text += "D" + std::to_string(i) +
            " DIALOG 0, 0, 100, 50\nBEGIN\n  PUSHBUTTON \"Go\", 10" +
            std::to_string(i) + ", 5/0, 5, 40, 14\nEND\n";
  }
  fs::path script = write("big.rc", text);
  CommandSetup small_pages;
  small_pages.environment = {"GLIBC_TUNABLES=glibc.malloc.hugetlb=0"};
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--port", "--base-units", "6,13", "big.rc"},
        std::vector<std::string>{"--dump-model", "big.rc"}}) {
    CommandSetup large_pages;
    large_pages.cwd = dir_;
    small_pages.cwd = dir_;
    CommandRun large = run(args, large_pages);
    CommandRun small = run(args, small_pages);
    EXPECT_EQ(large.status, 0);
    EXPECT_GT(large.out.size(), text.size());
    EXPECT_EQ(large.err.substr(0, 51),
              "big.rc:3:26: warning: division by zero, taken as 0\n");
    EXPECT_TRUE(large.out == small.out) << args[0];
    EXPECT_EQ(large.err, small.err);
  }
}

}  // namespace
}  // namespace dlgforge
