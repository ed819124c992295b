#include "port/widgets/names.h"

#include <algorithm>
#include <array>

namespace dlgforge::port {
namespace {

// Longest readable part kept: FreeBASIC allows long names, but a control's
// name is a prefix of its handler's, and a page-wide name helps no reader.
constexpr size_t kMaxPart = 40;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Names of IDOK and its kind that read better without their ID.
constexpr std::array<std::string_view, 11> kCommandIds = {
    "idok", "idcancel", "idabort", "idretry",    "idignore",  "idyes",
    "idno", "idclose",  "idhelp",  "idtryagain", "idcontinue"};

constexpr std::array<std::string_view, 6> kResourcePrefixes = {
    "idc_", "idd_", "idm_", "idr_", "ids_", "id_"};

std::string lower_words(std::string_view written) {
  std::string out;
  out.reserve(written.size());
  for (char c : written) {
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || is_digit(c)) {
      out += c;
    } else if (!out.empty() && out.back() != '_') {
      out += '_';
    }
  }
  while (!out.empty() && out.back() == '_') {
    out.pop_back();
  }
  return out;
}

bool has_letter(std::string_view text) {
  for (char c : text) {
    if (c >= 'a' && c <= 'z') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string identifier_part(std::string_view written) {
  std::string words = lower_words(written);
  if (words == "idc_static" || !has_letter(words)) {
    return {};
  }
  // A hexadecimal number such as 0x1F has letters but is still a number.
  if (words.size() > 2 && words[0] == '0' && words[1] == 'x') {
    return {};
  }
  for (std::string_view id : kCommandIds) {
    if (words == id) {
      return words.substr(2);
    }
  }
  for (std::string_view prefix : kResourcePrefixes) {
    if (words.size() > prefix.size() && words.starts_with(prefix)) {
      words.erase(0, prefix.size());
      break;
    }
  }
  if (words.size() > kMaxPart) {
    words.resize(kMaxPart);
    while (!words.empty() && words.back() == '_') {
      words.pop_back();
    }
  }
  return words;
}

void spread_slots(std::vector<NameSlot>& slots, std::size_t size) {
  std::vector<NameSlot> old = std::move(slots);
  slots.assign(size, NameSlot{});
  std::size_t mask = size - 1;
  for (const NameSlot& slot : old) {
    if (slot.index == 0) {
      continue;
    }
    // The hash's low half picks the slot, as long as there are fewer than
    // 2^32 slots.
    std::size_t at = slot.hash & mask;
    while (slots[at].index != 0) {
      at = (at + 1) & mask;
    }
    slots[at] = slot;
  }
}

void NameTable::reserve(std::size_t count) {
  std::size_t slots = 16;
  while (slots < count * 2) {
    slots *= 2;
  }
  if (slots > slots_.size()) {
    grow(slots);
  }
  entries_.reserve(count);
}

// The slot holding `name`, or the free one where it would go.
std::size_t NameTable::find(std::string_view name, std::size_t hash) const {
  std::size_t mask = slots_.size() - 1;
  auto short_hash = static_cast<std::uint32_t>(hash);
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.index == 0) {
      return at;
    }
    if (slot.hash == short_hash) {
      const Entry& entry = entries_[slot.index - 1];
      if (std::string_view(entry.text, entry.size) == name) {
        return at;
      }
    }
  }
}

void NameTable::add(std::size_t slot, std::string_view name, std::size_t hash) {
  constexpr std::size_t kBlock = 64 * 1024;
  if (blocks_.empty() || name.size() > block_size_ - block_used_) {
    block_size_ = std::max(kBlock, name.size());
    blocks_.push_back(std::make_unique<char[]>(block_size_));
    block_used_ = 0;
  }
  char* text = blocks_.back().get() + block_used_;
  std::copy(name.begin(), name.end(), text);
  block_used_ += name.size();
  entries_.push_back({text, static_cast<std::uint32_t>(name.size()), 2});
  slots_[slot] = Slot{static_cast<std::uint32_t>(hash),
                      static_cast<std::uint32_t>(entries_.size())};
  if (entries_.size() * 2 > slots_.size()) {
    grow(slots_.size() * 2);
  }
}

void NameTable::grow(std::size_t slots) {
  spread_slots(slots_, slots);
}

std::string NameTable::claim(std::string_view base) {
  return claim(base, hash(base));
}

std::string NameTable::claim(std::string_view base, std::size_t base_hash) {
  if (slots_.empty()) {
    grow(16);
  }
  std::size_t at = find(base, base_hash);
  if (slots_[at].index == 0) {
    add(at, base, base_hash);
    return std::string(base);
  }
  // Names are never given back, so every suffix below the one remembered
  // for this base is still taken: starting there gives the same name as
  // trying 2, 3, ... again, without the quadratic cost of a script with
  // thousands of controls of one kind.
  std::uint32_t base_entry = slots_[at].index - 1;
  int suffix = entries_[base_entry].next_suffix;
  std::string name(base);
  for (;; ++suffix) {
    name.resize(base.size());
    name += '_';
    name += std::to_string(suffix);
    std::size_t name_hash = hash(name);
    std::size_t free = find(name, name_hash);
    if (slots_[free].index == 0) {
      add(free, name, name_hash);
      break;
    }
  }
  entries_[base_entry].next_suffix = suffix + 1;
  return name;
}

}  // namespace dlgforge::port
