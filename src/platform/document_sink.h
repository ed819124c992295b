// Where the generated document goes: the interface the writer prints to,
// and an in-memory sink for tests. Writing to a file descriptor is the Linux
// layer's (`FdSink`).
#pragma once

#include <string>
#include <string_view>

namespace dlgforge {

/// Where the document goes. `write` takes a block of bytes and says whether
/// all of it got out.
class DocumentSink {
 public:
  virtual ~DocumentSink() = default;
  virtual bool write(std::string_view bytes) = 0;
};

/// Collects the document in memory (tests).
class StringSink final : public DocumentSink {
 public:
  bool write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

}  // namespace dlgforge
