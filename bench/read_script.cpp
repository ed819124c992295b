// Reads a resource script with the port reader and throws the model away:
// the time of reading alone (preprocessing included), for scripts/bench to
// set beside llvm-rc's. Prints the number of resources read, so that a run
// that read nothing shows.
#include <cstdio>
#include <string>

#include "linux/heap_prefault.h"
#include "linux/large_pages.h"
#include "port/reader/reader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dlgforge_bench_read SCRIPT\n");
    return 2;
  }
  dlgforge::rerun_with_large_pages(argv[1], argv);
  // Left for the process's exit to reclaim, as --dump-model leaves it.
  static auto* kept = new dlgforge::model::Model;
  dlgforge::model::Model& model = *kept;
  std::string error;
  // As dlgforge reads: a large script's heap faulted in on the
  // preprocessor's thread.
  dlgforge::port::ReaderOptions options;
  options.between_batches = dlgforge::HeapPrefaulter::for_script(
      argv[1], dlgforge::port::kPipelinedScript);
  if (!dlgforge::port::read_resource_script(argv[1], options, model, error)) {
    std::fprintf(stderr, "dlgforge_bench_read: %s: %s\n", argv[1],
                 error.c_str());
    return 1;
  }
  std::printf("%zu dialogs, %zu menus, %zu strings\n", model.dialogs.size(),
              model.menus.size(), model.strings.size());
  return 0;
}
