// The script both port targets read: the fuzzer's bytes as `fuzz.rc`, which
// can include itself (its own name, or `fuzz.h`, is the one file that
// exists) twice, so that includes and their nesting are exercised. The
// include limits themselves have unit tests, and each inclusion repeats the
// whole reading: an input that included itself hundreds of times would slow
// every execution a hundredfold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "port/model/model.h"
#include "port/reader/reader.h"

namespace dlgforge::fuzzing {

inline model::Model read_fuzz_script(const std::uint8_t* data,
                                     std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  port::ReaderOptions options;
  int loads = 0;
  options.loader = [&bytes, &loads](const std::string& path, std::string& out,
                                    std::string& error) {
    if ((path.ends_with("fuzz.rc") || path.ends_with("fuzz.h")) &&
        ++loads <= 2) {
      out = bytes;
      return true;
    }
    error = "No such file or directory";
    return false;
  };
  return port::read_resource_text("fuzz.rc", std::move(bytes), options);
}

}  // namespace dlgforge::fuzzing
