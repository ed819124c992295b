// The world a corpus script is compiled in, for dlgforge and for the resource
// compilers alike: the script with the corpus files of its repository at
// their own paths, empty stand-ins for the headers the corpus lacks, and the
// Windows constants taken from the MinGW headers, which both compilers read.
// The compilers get a UTF-8 copy (llvm-rc reads neither UTF-16 nor most code
// pages); dlgforge reads the original bytes.
#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace dlgforge::testing {

/// One file of the corpus, as SOURCES.tsv lists it.
struct CorpusFile {
  std::string repo;      ///< "github/putty"
  std::string path;      ///< path in the repository: "windows/puttygen.rc"
  std::string encoding;  ///< "ascii", "utf-8", "cp932", "utf-16le-bom", ...
  std::filesystem::path file;  ///< the flattened copy in the corpus folder
};

/// The corpus index; empty when the folder or its SOURCES.tsv is missing.
std::vector<CorpusFile> read_corpus(const std::filesystem::path& corpus_dir);

/// A resource script rather than a header: .rc, .rc2 or .dlg.
bool is_script(const CorpusFile& file);

/// The compilers and the headers they read. `missing` says what is absent.
struct Compilers {
  std::filesystem::path llvm_rc;
  std::filesystem::path windres;
  std::filesystem::path preprocessor;  ///< the C preprocessor windres runs
  std::filesystem::path mingw_include;
  std::string missing;
};
Compilers find_compilers();

/// What a program run gave.
struct ToolRun {
  int status = -1;  ///< the exit status, -1 when it did not start or died
  std::string out;
  std::string err;
};
ToolRun run_tool(const std::vector<std::string>& argv,
                 const std::filesystem::path& cwd);

/// Builds, under `root`, the system header folder both compilers search
/// after the script's own: stand-ins for the Windows headers that are not
/// written for resource scripts, which include MinGW's winresrc.h and the
/// simple constants and class names of commctrl.h, richedit.h and prsht.h,
/// and for afxres.h and atlres.h, which add the ids of MFC applications.
void write_system_headers(const std::filesystem::path& root,
                          const std::filesystem::path& mingw_include);

/// The script's world under `root`: `original/` for dlgforge, `utf8/` for
/// the compilers (and a copy of the script for llvm-rc, which knows no
/// TOOLBAR), each with the repository's corpus files at their paths and
/// empty stand-ins for every other header the script includes.
struct World {
  std::filesystem::path original_script;
  std::filesystem::path utf8_script;
  std::filesystem::path llvm_rc_script;  ///< without TOOLBAR blocks
  std::vector<std::string> stand_ins;    ///< includes that got an empty file
};
World build_world(const std::filesystem::path& root, const CorpusFile& script,
                  const std::vector<CorpusFile>& corpus,
                  const std::filesystem::path& system_headers,
                  const std::filesystem::path& mingw_include);

/// The identifiers that make up a whole line of `text`.
std::set<std::string> lone_identifiers(const std::string& text);

/// The line of a compiler's messages that says why it stopped.
std::string first_error(const std::string& messages);

/// The -D options that give each name its own value (24001, 24002, ...),
/// or no text at all for a name that stands alone on a line of the script:
/// that is a macro for a statement (`JAPANBEGIN`), not a number.
std::vector<std::string> define_arguments(const nlohmann::json& names,
                                          bool slash_form,
                                          const std::set<std::string>& alone);

/// A script's world, and how dlgforge reads the script in it: with a define
/// for every identifier that a header missing from the corpus would give.
struct PreparedScript {
  World world;
  std::vector<std::string> dlgforge_options;  ///< before the script's name
  nlohmann::json undefined = nlohmann::json::array();
  std::set<std::string> alone;  ///< identifiers alone on a line
  nlohmann::json model;         ///< --dump-model; discarded when it gave none
  std::string dump_error;
};
PreparedScript prepare_script(const std::filesystem::path& dlgforge,
                              const std::filesystem::path& root,
                              const CorpusFile& script,
                              const std::vector<CorpusFile>& corpus,
                              const std::filesystem::path& system_headers,
                              const std::filesystem::path& mingw_include);

/// The command that compiles the prepared script (run in its folder) with
/// "llvm-rc" or "windres" to COMPILER.res there.
std::vector<std::string> compiler_command(
    const std::string& compiler, const Compilers& compilers,
    const std::filesystem::path& system_headers,
    const PreparedScript& prepared);

/// The text as UTF-8: a UTF-16 byte-order mark is read as such, otherwise
/// each line is decoded in the code page in force (`initial_codepage`, then
/// that of each `#pragma code_page`), and every code-page pragma becomes
/// 65001 so that the compilers read the converted text as it now is.
std::string to_utf8(const std::string& bytes, int initial_codepage);

/// The code page a corpus encoding label names (65001 for UTF-8 and ASCII).
int codepage_of(const std::string& encoding);

}  // namespace dlgforge::testing
