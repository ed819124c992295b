#include "driver/sections.h"

#include <algorithm>
#include <charconv>

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

// Blocks start small, so a small document stays small, and grow to 1 MiB,
// so a large one goes out in large writes.
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = 1 << 20;

}  // namespace

void Section::append(std::string_view text) {
  size_ += text.size();
  while (!text.empty()) {
    if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
      size_t next = blocks_.empty() ? kFirstBlock
                                    : std::min(blocks_.back().capacity() * 2,
                                               kLargestBlock);
      blocks_.emplace_back().reserve(next);
    }
    std::string& block = blocks_.back();
    size_t room = block.capacity() - block.size();
    size_t n = std::min(room, text.size());
    block.append(text.data(), n);
    text.remove_prefix(n);
  }
}

std::string Section::str() const {
  std::string text;
  text.reserve(size_);
  for (const std::string& block : blocks_) {
    text.append(block);
  }
  return text;
}

DecimalText::DecimalText(long long value) {
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  length = static_cast<size_t>(end - digits);
}

}  // namespace dlgforge
