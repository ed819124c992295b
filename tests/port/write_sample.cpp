// Writes the port program of the hand-made sample model to standard
// output, for the tests that compile and run it.
#include <cstdio>
#include <string>

#include "port/sample_model.h"
#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

int main() {
  dlgforge::port::Description description =
      dlgforge::port::describe(dlgforge::testing::sample_model(), "");
  std::string program =
      dlgforge::port::write_freebasic(description, {"sample.rc", std::nullopt});
  std::fwrite(program.data(), 1, program.size(), stdout);
  return 0;
}
