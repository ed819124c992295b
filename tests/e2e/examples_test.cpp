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

// The code block that follows `heading` in the README, without its fence
// lines; empty when there is none.
std::string readme_block(const std::string& readme, std::string_view heading) {
  size_t at = readme.find(heading);
  if (at == readme.npos) {
    return "";
  }
  size_t open = readme.find("```", at);
  size_t begin = readme.find('\n', open);
  size_t close = readme.find("\n```\n", begin);
  if (open == readme.npos || begin == readme.npos || close == readme.npos) {
    return "";
  }
  return readme.substr(begin + 1, close + 1 - (begin + 1));
}

// The README shows about.rc (with LF line ends) and its program.
TEST(Examples, ReadmeShowsTheCurrentAboutBox) {
  const fs::path root(DLGFORGE_SOURCE_DIR);
  std::string readme = testing::file_content(root / "README.md");
  std::string script = testing::file_content(root / "examples/about.rc");
  std::erase(script, '\r');
  EXPECT_EQ(readme_block(readme, "`examples/about.rc`:"), script);
  EXPECT_EQ(readme_block(readme, "`examples/about.bas`"),
            testing::file_content(root / "examples/about.bas"))
      << "run scripts/regen-examples";
}

}  // namespace
}  // namespace dlgforge
