// Faulting in the heap ahead of the thread that fills it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

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

  /// The work to hand the port reader between its batches of tokens when
  /// it reads the file at `script` on two threads, which it does from
  /// `two_threads_from` bytes: a prefaulter reaching a quarter of the
  /// file's size ahead (1 to 32 MiB). Empty for a smaller file, which the
  /// heap is left as it is for.
  static std::function<void()> for_script(const std::string& script,
                                          std::uintmax_t two_threads_from);

  /// Faults in what the heap has grown since the last call.
  void operator()();

 private:
  std::uintptr_t done_ = 0;  // the heap's end at the last call
  bool works_ = true;        // false on a kernel without MADV_POPULATE_WRITE
};

/// Calls `prefault` on a thread of its own, again and again a fraction of a
/// millisecond apart, until destroyed: for a stage of the work where no
/// thread has time to spare between steps, as the description of a large
/// script, whose calling thread otherwise stops in the kernel for each
/// fresh page of the heap (a fifth of its time on the 100 MiB bench
/// script). Without a thread to be had, it does nothing.
class PrefaultThread {
 public:
  explicit PrefaultThread(std::function<void()> prefault);
  ~PrefaultThread();
  PrefaultThread(const PrefaultThread&) = delete;
  PrefaultThread& operator=(const PrefaultThread&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable stop_asked_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace dlgforge
