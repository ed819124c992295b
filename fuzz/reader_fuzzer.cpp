// libFuzzer target for the port reader: any bytes, read as a resource
// script and written as JSON, must neither crash nor hang nor grow without
// bound. The JSON goes to a sink that only counts it, as --dump-model hands
// it to the output piece by piece, so no execution builds the document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_script.h"
#include "port/model/model_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  dlgforge::model::Model model =
      dlgforge::fuzzing::read_fuzz_script(data, size);
  std::size_t bytes = 0;
  dlgforge::model::write_json(model, [&bytes](std::string_view piece) {
    bytes += piece.size();
    return true;
  });
  if (bytes == 0) {
    std::abort();  // even an empty model is a document
  }
  return 0;
}
