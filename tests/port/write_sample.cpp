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
  // The icon control and the windows load a picture from a folder that is
  // not there: the program must keep the stock image and run on.
  description.pictures.push_back({"IDI_APP-32.ico", 32, 32, ""});
  description.pictures.push_back({"IDI_APP-16.ico", 16, 16, ""});
  description.icon_large = 0;
  description.icon_small = 1;
  for (dlgforge::port::Dialog& dialog : description.dialogs) {
    for (dlgforge::port::Widget& widget : dialog.widgets) {
      if (widget.kind == dlgforge::port::WidgetKind::Image) {
        widget.picture = 0;
        widget.picture_width = widget.picture_height = 32;
      }
    }
  }
  options.pictures_folder = "sample.pictures";
  std::string program = write(description, options);
  std::fwrite(program.data(), 1, program.size(), stdout);
  return 0;
}
