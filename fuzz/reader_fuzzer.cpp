// libFuzzer target for the port reader: any bytes, read as a resource
// script and written as JSON, must neither crash nor hang nor grow without
// bound. The script can include itself (its own name is the one file that
// exists) a few times, so that includes are exercised; the include limits
// themselves have unit tests, and an input that included itself hundreds of
// times would slow every execution a hundredfold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "port/model/model_json.h"
#include "port/reader/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  dlgforge::port::ReaderOptions options;
  int loads = 0;
  options.loader = [&bytes, &loads](const std::string& path, std::string& out,
                                    std::string& error) {
    if ((path.ends_with("fuzz.rc") || path.ends_with("fuzz.h")) &&
        ++loads <= 4) {
      out = bytes;
      return true;
    }
    error = "No such file or directory";
    return false;
  };
  dlgforge::model::Model model =
      dlgforge::port::read_resource_text("fuzz.rc", bytes, options);
  std::string json = dlgforge::model::to_json(model);
  return json.empty() ? -1 : 0;
}
