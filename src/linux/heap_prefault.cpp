#include "linux/heap_prefault.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>

namespace dlgforge {

HeapPrefaulter::HeapPrefaulter(std::size_t ahead) {
  ::mallopt(M_TOP_PAD, static_cast<int>(ahead));
  done_ = reinterpret_cast<std::uintptr_t>(::sbrk(0));
}

std::function<void()> HeapPrefaulter::for_script(
    const std::string& script, std::uintmax_t two_threads_from) {
  struct stat info {};
  if (::stat(script.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uintmax_t>(info.st_size) < two_threads_from) {
    return {};
  }
  constexpr std::uintmax_t kLeast = std::uintmax_t{1} << 20;
  constexpr std::uintmax_t kMost = std::uintmax_t{32} << 20;
  auto ahead = static_cast<std::size_t>(
      std::clamp(static_cast<std::uintmax_t>(info.st_size) / 4, kLeast, kMost));
  auto prefault = std::make_shared<HeapPrefaulter>(ahead);
  return [prefault] { (*prefault)(); };
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

PrefaultThread::PrefaultThread(std::function<void()> prefault) {
  try {
    thread_ = std::thread([this, prefault = std::move(prefault)] {
      std::unique_lock lock(mutex_);
      while (!stop_) {
        lock.unlock();
        prefault();
        lock.lock();
        // Often enough that a heap growing by megabytes a step is faulted
        // in before it is reached; seldom enough to cost nothing.
        stop_asked_.wait_for(lock, std::chrono::microseconds(250),
                             [this] { return stop_; });
      }
    });
  } catch (const std::system_error&) {
    // No thread: the heap is faulted in where it is used.
  }
}

PrefaultThread::~PrefaultThread() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  stop_asked_.notify_one();
  if (thread_.joinable()) {
    thread_.join();
  }
}

}  // namespace dlgforge
