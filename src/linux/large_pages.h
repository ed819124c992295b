// Large pages for the reading of a large script in port mode.
#pragma once

#include <string>

namespace dlgforge {

/// Runs this program again, with the same arguments, asking glibc's malloc
/// to back its heap with transparent huge pages
/// (GLIBC_TUNABLES=glibc.malloc.hugetlb=1), when `script` is a file of 1 to
/// 16 MiB: the model and the program built from a large script take
/// several times its size, and the kernel's filling that memory in 4 KiB
/// pages is a fifth of the run. Returns when it does not run again: a
/// smaller or larger script, the tunable already set, or a failed exec.
void rerun_with_large_pages(const std::string& script, char** argv);

}  // namespace dlgforge
