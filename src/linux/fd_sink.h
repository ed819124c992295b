// Writing the document to a file descriptor in large blocks: small pieces
// are gathered in a buffer, large sections go out directly.
#pragma once

#include <memory>
#include <string_view>

#include "platform/document_sink.h"

namespace dlgforge {

class FdSink final : public DocumentSink {
 public:
  explicit FdSink(int fd);
  ~FdSink() override;

  bool write(std::string_view bytes) override;
  /// Writes what is buffered; false when any write failed.
  bool flush();
  /// The errno of the first failed write, or 0.
  int error() const { return error_; }

 private:
  bool write_all(std::string_view bytes);

  int fd_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
  int error_ = 0;
};

}  // namespace dlgforge
