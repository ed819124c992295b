#include "linux/heap_prefault.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace dlgforge {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kOwnMalloc = true;  // the sanitizer's, not glibc's heap
#else
constexpr bool kOwnMalloc = false;
#endif

bool kernel_populates() {
  void* page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  bool works = madvise(page, 4096, MADV_POPULATE_WRITE) == 0;
  munmap(page, 4096);
  return works;
}

long faults_of_this_thread() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt;
}

// Memory malloc hands out after the heap was faulted in costs the thread
// that uses it no page faults, and what is on the heap is never changed,
// even while another thread faults in beside it.
TEST(HeapPrefaulter, FaultsInAheadAndChangesNothing) {
  if (kOwnMalloc || !kernel_populates()) {
    GTEST_SKIP() << "a sanitizer's malloc, or a kernel before 5.14";
  }
  constexpr std::size_t kAhead = std::size_t{32} << 20;
  HeapPrefaulter prefault(kAhead);
  // Zero-filled now, so that its own pages fault in before the count.
  std::vector<unsigned char*> blocks(std::size_t{1} << 18);
  std::size_t used = 0;
  auto fill = [&blocks, &used](std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++used) {
      auto* block = static_cast<unsigned char*>(std::malloc(48));
      std::memset(block, static_cast<int>(used & 0xFF), 48);
      blocks[used] = block;
    }
  };
  // Until the heap grows, kAhead beyond what it needs.
  void* end = sbrk(0);
  while (sbrk(0) == end) {
    fill(1);
  }
  prefault();
  long before = faults_of_this_thread();
  fill(1 << 16);  // 4 MiB with malloc's headers: 1,024 pages
  EXPECT_LT(faults_of_this_thread() - before, 64);

  std::thread beside([&prefault] {
    for (int i = 0; i < 2000; ++i) {
      prefault();
    }
  });
  fill(1 << 16);
  beside.join();
  for (std::size_t i = 0; i < used; ++i) {
    for (std::size_t b = 0; b < 48; ++b) {
      ASSERT_EQ(blocks[i][b], i & 0xFF) << "block " << i;
    }
    std::free(blocks[i]);
  }
}

// The thread that faults in the heap while the description grows it calls
// the prefaulter again and again, and never once it is gone.
TEST(PrefaultThread, CallsUntilDestroyed) {
  std::atomic<int> calls{0};
  {
    PrefaultThread thread([&calls] { ++calls; });
    for (int waited = 0; waited < 5000 && calls < 3; ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(calls.load(), 3);
  }
  int calls_then = calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(calls.load(), calls_then);
}

}  // namespace
}  // namespace dlgforge
