// Writes the port program of the hand-made sample model to standard
// output, for the tests that compile and run it; with --gtk3, the GTK 3
// program.
#include <cstdio>
#include <string>
#include <string_view>

#include "port/sample_model.h"
#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

int main(int argc, char** argv) {
  dlgforge::port::Description description =
      dlgforge::port::describe(dlgforge::testing::sample_model(), "");
  bool gtk3 = argc > 1 && std::string_view(argv[1]) == "--gtk3";
  auto write = gtk3 ? dlgforge::port::write_freebasic_gtk3
                    : dlgforge::port::write_freebasic;
  dlgforge::port::WriterOptions options;
  options.script_name = "sample.rc";
  std::string program = write(description, options);
  std::fwrite(program.data(), 1, program.size(), stdout);
  return 0;
}
