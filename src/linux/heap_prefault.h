// Faulting in the heap ahead of the thread that fills it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dlgforge {

/// The pages at the top of the process's heap, where glibc's malloc takes
/// the memory of small objects, faulted in ahead of use. Called on a thread
/// with time to spare while another fills the heap (the port reader's
/// preprocessor while the parser builds the model), it spares the busy
/// thread a stop in the kernel for each fresh page: on the 100 MiB bench
/// script, a quarter of the parser's time. The contents of the heap are
/// never touched: the kernel is asked to map the pages, zero-filled as a
/// first write would map them.
class HeapPrefaulter {
 public:
  /// Lets malloc grow the heap `ahead` bytes beyond what it needs at a
  /// time, so that there are pages to fault in before they are used; at
  /// most that much is faulted in and left unused.
  explicit HeapPrefaulter(std::size_t ahead);

  /// How far ahead for reading a script of `size` bytes: a quarter of it,
  /// from 1 to 32 MiB.
  static std::size_t ahead_for(std::uintmax_t size);

  /// Faults in what the heap has grown since the last call.
  void operator()();

 private:
  std::uintptr_t done_ = 0;  // the heap's end at the last call
  bool works_ = true;        // false on a kernel without MADV_POPULATE_WRITE
};

}  // namespace dlgforge
