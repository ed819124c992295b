// The port reader on the real scripts of the shared corpus, and the
// `--dump-model` command around it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>

#include "e2e/command_run.h"
#include "port/model/model_json.h"
#include "port/reader/reader.h"

namespace dlgforge::port {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(DLGFORGE_SHARED_DIR) / "corpus";

bool is_script(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return ext == ".rc" || ext == ".rc2" || ext == ".dlg";
}

// Control statements counted the naive way, a keyword at the start of a
// line, in the 8-bit scripts: what a reader must find at least most of.
std::size_t naive_control_count(const std::string& text) {
  static const std::regex keyword(
      "^[ \\t]*(CONTROL|LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|CHECKBOX|"
      "AUTOCHECKBOX|RADIOBUTTON|AUTORADIOBUTTON|GROUPBOX|EDITTEXT|LISTBOX|"
      "COMBOBOX|SCROLLBAR|STATE3|AUTO3STATE)\\b",
      std::regex::multiline);
  return static_cast<std::size_t>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), keyword),
                    std::sregex_iterator()));
}

TEST(ReaderCorpus, EveryRealScriptIsRead) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << "no corpus at " << kCorpus;
  }
  std::size_t scripts = 0, dialogs = 0, controls = 0, naive = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
    if (!is_script(entry.path())) {
      continue;
    }
    ++scripts;
    model::Model model;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(read_resource_script(entry.path().string(), ReaderOptions(),
                                     model, error))
        << error;
    auto took = std::chrono::steady_clock::now() - start;
    // A few milliseconds in a Release build; the bound is loose enough for a
    // sanitized build on a busy machine and still catches a reader that
    // turns quadratic or loops.
    EXPECT_LT(took, std::chrono::seconds(3)) << entry.path();
    // The preprocessor on a thread of its own gives the same model, real
    // headers, code pages and warnings included.
    ReaderOptions two_threads;
    two_threads.threads = 2;
    model::Model pipelined;
    ASSERT_TRUE(read_resource_script(entry.path().string(), two_threads,
                                     pipelined, error));
    EXPECT_TRUE(model::to_json(model) == model::to_json(pipelined))
        << entry.path();
    std::size_t script_controls = 0;
    for (const model::Dialog& d : model.dialogs) {
      script_controls += d.controls.size();
    }
    dialogs += model.dialogs.size();
    controls += script_controls;
    std::string text = testing::file_content(entry.path());
    if (text.size() < 2 || text[1] != '\0') {
      naive += naive_control_count(text);
    }
    // The warnings are listed for whoever reads the test's log: on this
    // corpus they are missing headers and the macros they would define.
    std::cout << entry.path().filename().string() << ": "
              << model.dialogs.size() << " dialogs, " << script_controls
              << " controls, " << model.menus.size() << " menus, "
              << model.warnings.size() << " warnings\n";
    for (const model::Diagnostic& w : model.warnings) {
      std::cout << "  " << w.pos.line << ":" << w.pos.column << ": "
                << w.message << "\n";
    }
  }
  EXPECT_GT(scripts, 50u);
  EXPECT_GT(dialogs, 300u);
  // The naive count also finds statements in inactive #if blocks, in the
  // 7-Zip dialogs whose headers are missing and in winfile's w31rc files,
  // which are not resource syntax: about 880 of its 4,931. Reading far
  // fewer than the rest would mean real statements are lost.
  EXPECT_GT(controls, 4000u) << controls << " of " << naive;
  EXPECT_LE(controls, naive + 100) << controls << " of " << naive;
}

class DumpModel : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dlgforge_dump_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  testing::CommandRun run(const std::vector<std::string>& args) {
    testing::CommandSetup setup;
    setup.cwd = dir_;
    return testing::run_dlgforge(args, dir_, setup);
  }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  fs::path dir_;
};

TEST_F(DumpModel, PrintsTheModelAndTheWarnings) {
  fs::create_directories(dir_ / "inc");
  // Found in -I, whatever the case of its name.
  write("inc/IDS.H", "#define IDC_GO 5\n");
  write("a.rc",
        "#include \"missing.h\"\n#include \"ids.h\"\n"
        "IDD_A DIALOGEX 0, 0, 10, CY\nCAPTION \"\xC3\xA9\"\nBEGIN\n"
        "  CONTROL \"Go\", IDC_GO, \"button\", BS_PUSHBUTTON | MY_STYLE, 1, 2, "
        "3, 4\n"
        "END\n"
        "#pragma code_page(65001)\n"
        "IDR_M MENU BEGIN POPUP \"&File\" BEGIN MENUITEM \"&Open\", 7, GRAYED\n"
        "MENUITEM SEPARATOR END END\n"
        "STRINGTABLE BEGIN 12 \"twelve\" END\n");
  testing::CommandRun r =
      run({"--dump-model", "-I", "inc", "-DCY=20", "--codepage=65001", "a.rc"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "a.rc:1:10: warning: cannot find include file 'missing.h'\n");
  nlohmann::json json = nlohmann::json::parse(r.out);
  const nlohmann::json& dialog = json["dialogs"][0];
  EXPECT_EQ(dialog["name"], "IDD_A");
  EXPECT_EQ(dialog["kind"], "DIALOGEX");
  EXPECT_EQ(dialog["cy"], 20);
  EXPECT_EQ(dialog["caption"], "\xC3\xA9");
  EXPECT_TRUE(dialog["menu"].is_null());
  EXPECT_TRUE(dialog["font"].is_null());
  const nlohmann::json& control = dialog["controls"][0];
  EXPECT_EQ(control["class"], "Button");
  EXPECT_EQ(control["id"], 5);
  EXPECT_EQ(control["style"], 0x50000000u);
  // The members other tools rely on, by name.
  const nlohmann::json& popup = json["menus"][0]["items"][0];
  EXPECT_EQ(json["menus"][0]["kind"], "MENU");
  EXPECT_EQ(popup["type"], "popup");
  EXPECT_TRUE(popup["id"].is_null());
  EXPECT_EQ(popup["items"][0]["flags"], nlohmann::json({"GRAYED"}));
  EXPECT_EQ(popup["items"][0]["id"], 7);
  EXPECT_EQ(popup["items"][1]["type"], "separator");
  EXPECT_EQ(popup["items"][1]["text"], "");
  EXPECT_EQ(popup["items"][1]["id"], 0);
  EXPECT_EQ(json["strings"][0]["text"], "twelve");
  EXPECT_EQ(json["undefined_identifiers"], nlohmann::json({"MY_STYLE"}));
}

TEST_F(DumpModel, CannotOpenAndOptionErrors) {
  testing::CommandRun missing = run({"--dump-model", "missing.rc"});
  EXPECT_EQ(missing.status, 255);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err,
            "dlgforge: cannot open 'missing.rc': No such file or directory\n");
  testing::CommandRun classic = run({"-I", "inc", "a.rc"});
  EXPECT_EQ(classic.status, 2);
  testing::CommandRun bad = run({"--dump-model", "-D", "1X", "a.rc"});
  EXPECT_EQ(bad.status, 2);
}

}  // namespace
}  // namespace dlgforge::port
