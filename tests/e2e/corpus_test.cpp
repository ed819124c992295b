// Real resource scripts written by others, converted end to end by the
// binary with fixed base units: every one must convert with status 0,
// nothing on standard error, and exactly the document of the in-process
// conversion. Dialog and menu counts come from the corpus's own index.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/command_run.h"
#include "platform/unicode_source.h"
#include "support.h"

namespace dlgforge {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = testing::corpus_dir();

std::string convert_file_bytes(std::string_view bytes) {
  FixedMeasurer measurer(testing::kUnits);
  return testing::convert_bytes(bytes, measurer);
}

size_t count(const std::string& text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

TEST(Corpus, EveryRealScriptConverts) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << testing::corpus_missing();
  }
  fs::path capture = fs::temp_directory_path() /
                     ("dlgforge_corpus_" + std::to_string(::getpid()));
  fs::create_directories(capture);
  size_t scripts = 0;
  size_t dialogs = 0;
  size_t menus = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
    std::string name = entry.path().filename().string();
    if (name.ends_with(".h") || name.ends_with(".md") ||
        name.ends_with(".tsv")) {
      continue;
    }
    ++scripts;
    testing::CommandRun run = testing::run_dlgforge(
        {"--base-units", "6,13", entry.path().string()}, capture);
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_EQ(run.err, "") << name;
    std::string expected =
        convert_file_bytes(testing::file_content(entry.path()));
    EXPECT_EQ(run.out, expected) << name;
    dialogs += count(run.out, "\n'Controls\n");
    menus += count(run.out, " = gtk_menu_bar_new()\n");
  }
  fs::remove_all(capture);
  EXPECT_GT(scripts, 40u);
  // The corpus holds hundreds of real dialogs and dozens of menus; finding
  // far fewer would mean that real scripts are no longer recognised.
  EXPECT_GT(dialogs, 300u);
  EXPECT_GT(menus, 30u);
}

// The records are cut into slices where a dialog or menu block opens, and
// the slices are printed on two threads; cut at every block, each script
// and all of them in one must print exactly as in one piece.
TEST(Corpus, PrintingInSlicesChangesNothing) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << testing::corpus_missing();
  }
  FixedMeasurer measurer(testing::kUnits);
  std::string all;
  auto same_in_slices = [&measurer](std::string_view bytes,
                                    const std::string& name) {
    std::string whole = testing::convert_bytes(bytes, measurer);
    EXPECT_EQ(testing::convert_bytes(bytes, measurer, 1), whole) << name;
  };
  for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
    std::string name = entry.path().filename().string();
    if (name.ends_with(".h") || name.ends_with(".md") ||
        name.ends_with(".tsv")) {
      continue;
    }
    std::string bytes = testing::file_content(entry.path());
    same_in_slices(bytes, name);
    // UTF-16 scripts stay out of the 8-bit whole, and a Ctrl-Z would end it.
    if (!bytes.starts_with("\xFF\xFE")) {
      std::erase(bytes, '\x1a');
      all += bytes + "\n\n";
    }
  }
  same_in_slices(all, "all scripts in one");
}

}  // namespace
}  // namespace dlgforge
