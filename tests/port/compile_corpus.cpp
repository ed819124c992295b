// Compiles every corpus script that llvm-rc accepts in the world the
// compiler comparison builds, for checks that need the .res files (the
// Windows dialog manager's geometry). Prints one JSON line per script:
//   {"script": corpus file name, "res": compiled .res, "dir": folder of the
//    original script, "file": its name there, "options": dlgforge options}
// dlgforge reads the script as "options... file" in "dir" exactly as the
// compiler did. Scripts llvm-rc rejects are left out, with a line on stderr.
// Usage: compile_corpus DLGFORGE SHARED_DIR WORK_DIR [LOCAL_SCRIPT...]
// Exits 77 when llvm-rc or the MinGW headers are missing.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "port/compiler_world.h"

namespace fs = std::filesystem;
using namespace dlgforge::testing;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: compile_corpus DLGFORGE SHARED_DIR WORK_DIR "
                 "[LOCAL_SCRIPT...]\n";
    return 2;
  }
  const fs::path dlgforge = fs::absolute(argv[1]);
  const fs::path work = fs::absolute(argv[3]);
  Compilers compilers = find_compilers();
  if (compilers.llvm_rc.empty()) {
    std::cout << "SKIP: missing:" << compilers.missing << "\n";
    return 77;
  }
  std::vector<CorpusFile> corpus = read_corpus(fs::path(argv[2]) / "corpus");
  std::vector<CorpusFile> scripts;
  for (const CorpusFile& file : corpus) {
    if (is_script(file)) {
      scripts.push_back(file);
    }
  }
  for (int i = 4; i < argc; ++i) {
    fs::path local = fs::absolute(argv[i]);
    scripts.push_back({"local", local.filename().string(), "utf-8", local});
  }
  fs::remove_all(work);
  write_system_headers(work / "system", compilers.mingw_include);

  std::mutex output;
  std::atomic<std::size_t> next = 0;
  auto compile = [&] {
    for (std::size_t at = next++; at < scripts.size(); at = next++) {
      const CorpusFile& script = scripts[at];
      // A local script stands alone; a corpus script brings its repository.
      const std::vector<CorpusFile> world =
          script.repo == "local" ? std::vector<CorpusFile>{script} : corpus;
      PreparedScript prepared =
          prepare_script(dlgforge, work / std::to_string(at), script, world,
                         work / "system", compilers.mingw_include);
      const fs::path utf8_dir = prepared.world.utf8_script.parent_path();
      ToolRun run = run_tool(
          compiler_command("llvm-rc", compilers, work / "system", prepared),
          utf8_dir);
      std::lock_guard lock(output);
      if (run.status != 0 || !fs::exists(utf8_dir / "llvm-rc.res")) {
        std::cerr << script.file.filename().string()
                  << ": llvm-rc: " << first_error(run.err) << "\n";
        continue;
      }
      nlohmann::json line = {
          {"script", script.file.filename().string()},
          {"res", (utf8_dir / "llvm-rc.res").string()},
          {"dir", prepared.world.original_script.parent_path().string()},
          {"file", prepared.world.original_script.filename().string()},
          {"options", prepared.dlgforge_options}};
      std::cout << line.dump() << "\n";
    }
  };
  std::thread helper(compile);
  compile();
  helper.join();
  return 0;
}
