// libFuzzer target over the whole conversion: any bytes as a script, read
// through the Unicode detection and the text-mode reader, with fixed base
// units. The document is printed twice, in one piece and with its records
// cut at every dialog or menu block (so that the second thread prints every
// other slice), and the two must be the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "driver/convert.h"
#include "platform/base_units.h"
#include "platform/document_sink.h"
#include "platform/text_reader.h"
#include "platform/unicode_source.h"

namespace {

std::string convert(std::string_view script, size_t slice_bytes) {
  dlgforge::MemorySource bytes(script);
  dlgforge::UnicodeSource decoded(bytes);
  dlgforge::ScriptReader reader(decoded);
  dlgforge::FixedMeasurer measurer({6, 13});
  dlgforge::StringSink sink;
  dlgforge::convert_script(reader, measurer, sink, slice_bytes);
  return std::move(sink.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view script(reinterpret_cast<const char*>(data), size);
  if (convert(script, dlgforge::ProgramRecords::kSliceBytes) !=
      convert(script, 1)) {
    std::abort();  // printing in slices changed the document
  }
  return 0;
}
