// The programs committed beside the example scripts are what the binary
// prints for them with fixed base units 6,13 (scripts/regen-examples), so
// they never go stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "e2e/command_run.h"

namespace dlgforge {
namespace {

namespace fs = std::filesystem;

TEST(Examples, CommittedProgramsMatchTheConversion) {
  const fs::path examples = fs::path(DLGFORGE_SOURCE_DIR) / "examples";
  const fs::path captures = fs::temp_directory_path() /
                            ("dlgforge_examples_" + std::to_string(::getpid()));
  fs::create_directories(captures);
  for (const char* name : {"about", "settings", "mainwindow"}) {
    SCOPED_TRACE(name);
    fs::path script = examples / (std::string(name) + ".rc");
    fs::path program = examples / (std::string(name) + ".bas");
    ASSERT_TRUE(fs::exists(program)) << "run scripts/regen-examples";
    testing::CommandRun r = testing::run_dlgforge(
        {"--base-units", "6,13", script.string()}, captures);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, testing::file_content(program))
        << "run scripts/regen-examples";
  }
  fs::remove_all(captures);
}

// The code block that follows `heading` in a Markdown page, without its
// fence lines; empty when there is none.
std::string code_block(const std::string& page, std::string_view heading) {
  size_t at = page.find(heading);
  if (at == page.npos) {
    return "";
  }
  size_t open = page.find("```", at);
  size_t begin = page.find('\n', open);
  size_t close = page.find("\n```\n", begin);
  if (open == page.npos || begin == page.npos || close == page.npos) {
    return "";
  }
  return page.substr(begin + 1, close + 1 - (begin + 1));
}

// The page on the classic conversion shows about.rc (with LF line ends) and
// its program.
TEST(Examples, ClassicPageShowsTheCurrentAboutBox) {
  const fs::path root(DLGFORGE_SOURCE_DIR);
  std::string page = testing::file_content(root / "docs/classic.md");
  std::string script = testing::file_content(root / "examples/about.rc");
  std::erase(script, '\r');
  EXPECT_EQ(code_block(page, "`examples/about.rc`:"), script);
  EXPECT_EQ(code_block(page, "`examples/about.bas`"),
            testing::file_content(root / "examples/about.bas"))
      << "run scripts/regen-examples";
}

}  // namespace
}  // namespace dlgforge
