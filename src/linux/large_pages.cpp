#include "linux/large_pages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace dlgforge {
namespace {

// Measured on a 2-core virtual machine: a script of 10 MiB runs 15 to 20%
// faster with large pages, one of 100 MiB 20 to 35% slower, its gigabyte
// of fresh memory being slower to fault in 2 MiB at a time.
constexpr off_t kLargeScript = off_t{1} << 20;
constexpr off_t kHugeScript = off_t{16} << 20;
constexpr const char* kTunable = "glibc.malloc.hugetlb";

}  // namespace

void rerun_with_large_pages(const std::string& script, char** argv) {
  struct stat info {};
  if (::stat(script.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size < kLargeScript || info.st_size > kHugeScript) {
    return;
  }
  // Set already, by an earlier run of this function or by the user: the
  // user's choice stands, and there is no second exec.
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::string wanted = tunables != nullptr ? tunables : "";
  if (wanted.find(kTunable) != std::string::npos) {
    return;
  }
  wanted += wanted.empty() ? "" : ":";
  wanted += kTunable;
  wanted += "=1";
  if (::setenv("GLIBC_TUNABLES", wanted.c_str(), 1) != 0) {
    return;
  }
  ::execv("/proc/self/exe", argv);
  // The same program goes on without large pages.
}

}  // namespace dlgforge
