#include "driver/sections.h"

#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <new>

namespace dlgforge {

void emit_callback_stub(std::string_view widget, std::string_view signal,
                        Section& callback_decls, Section& callback_bodies,
                        std::optional<std::string_view> body) {
  // The two heads differ on purpose: only the body's head has ByVal before
  // gdata, as generated programs have always had it.
  append(callback_decls, "Declare Sub ", widget, "_", signal,
         " Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)\n");
  append(callback_bodies, "Sub ", widget, "_", signal,
         " Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)\n");
  callback_bodies.append(body.value_or(kDefaultHandlerBody));
  callback_bodies.append("End Sub\n\n");
}

namespace {

// Blocks start small, so a small document stays small, double up to 64 KiB,
// and then are 2 MiB, so a large one goes out in large writes. Blocks of
// 2 MiB are aligned to and marked for huge pages where the system offers
// them: a document of hundreds of megabytes then costs a few hundred page
// faults, not tens of thousands.
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLastSmallBlock = 64 << 10;
constexpr size_t kLargestBlock = 2 << 20;

size_t next_block_capacity(size_t last) {
  return last < kLastSmallBlock ? last * 2 : kLargestBlock;
}

char* allocate_block(size_t capacity) {
  void* data = capacity == kLargestBlock
                   ? std::aligned_alloc(kLargestBlock, capacity)
                   : std::malloc(capacity);
  if (data == nullptr) {
    throw std::bad_alloc();
  }
#ifdef MADV_HUGEPAGE
  if (capacity == kLargestBlock) {
    ::madvise(data, capacity, MADV_HUGEPAGE);
  }
#endif
  return static_cast<char*>(data);
}

}  // namespace

Section::~Section() {
  for (Block& block : blocks_) {
    std::free(block.data);
  }
}

void Section::append_in_new_blocks(std::string_view text) {
  while (!text.empty()) {
    size_t room = static_cast<size_t>(end_ - cursor_);
    if (room == 0) {
      size_t capacity = blocks_.empty()
                            ? kFirstBlock
                            : next_block_capacity(blocks_.back().capacity);
      if (!blocks_.empty()) {
        full_blocks_size_ += blocks_.back().capacity;
      }
      blocks_.push_back({allocate_block(capacity), capacity});
      cursor_ = blocks_.back().data;
      end_ = cursor_ + capacity;
      room = capacity;
    }
    size_t n = std::min(room, text.size());
    std::memcpy(cursor_, text.data(), n);
    cursor_ += n;
    text.remove_prefix(n);
  }
}

size_t Section::size() const {
  if (blocks_.empty()) {
    return 0;
  }
  return full_blocks_size_ + static_cast<size_t>(cursor_ - blocks_.back().data);
}

std::vector<std::string_view> Section::blocks() const {
  std::vector<std::string_view> views;
  views.reserve(blocks_.size());
  for (size_t i = 0; i < blocks_.size(); ++i) {
    size_t used = i + 1 < blocks_.size()
                      ? blocks_[i].capacity
                      : static_cast<size_t>(cursor_ - blocks_[i].data);
    views.emplace_back(blocks_[i].data, used);
  }
  return views;
}

std::string Section::str() const {
  std::string text;
  text.reserve(size());
  for (std::string_view block : blocks()) {
    text.append(block);
  }
  return text;
}

DecimalText::DecimalText(long long value) {
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  length = static_cast<size_t>(end - digits);
}

}  // namespace dlgforge
