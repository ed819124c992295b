// libFuzzer target over the whole conversion: any bytes as a script, read
// through the Unicode detection and the text-mode reader, with fixed base
// units, the document discarded.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/base_units.h"
#include "driver/convert.h"
#include "platform/text_reader.h"
#include "platform/unicode_source.h"

namespace {

class DiscardSink final : public dlgforge::DocumentSink {
 public:
  bool write(std::string_view bytes) override {
    written_ += bytes.size();
    return true;
  }

 private:
  size_t written_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dlgforge::MemorySource bytes(
      std::string_view(reinterpret_cast<const char*>(data), size));
  dlgforge::UnicodeSource decoded(bytes);
  dlgforge::ScriptReader reader(decoded);
  dlgforge::FixedMeasurer measurer({6, 13});
  DiscardSink sink;
  dlgforge::convert_script(reader, measurer, sink);
  return 0;
}
