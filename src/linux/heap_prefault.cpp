#include "linux/heap_prefault.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dlgforge {

HeapPrefaulter::HeapPrefaulter(std::size_t ahead) {
  ::mallopt(M_TOP_PAD, static_cast<int>(ahead));
  done_ = reinterpret_cast<std::uintptr_t>(::sbrk(0));
}

std::size_t HeapPrefaulter::ahead_for(std::uintmax_t size) {
  constexpr std::uintmax_t kLeast = std::uintmax_t{1} << 20;
  constexpr std::uintmax_t kMost = std::uintmax_t{32} << 20;
  return static_cast<std::size_t>(std::clamp(size / 4, kLeast, kMost));
}

void HeapPrefaulter::operator()() {
  if (!works_) {
    return;
  }
  // The heap's end as malloc last set it: read while the other thread may
  // move it, at worst one step late.
  auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  std::uintptr_t from = done_ & ~(page - 1);
  if (end <= from) {
    done_ = end;  // trimmed: nothing new
    return;
  }
  // A range the heap has since given back fails with ENOMEM and is simply
  // not faulted in; a kernel older than 5.14 knows no MADV_POPULATE_WRITE.
  if (::madvise(reinterpret_cast<void*>(from), end - from,
                MADV_POPULATE_WRITE) != 0 &&
      errno == EINVAL) {
    works_ = false;
  }
  done_ = end;
}

}  // namespace dlgforge
