// The X display the GTK helper draws on: the user's, or for pictures taken
// without one, a private Xvfb server started for the run and stopped at its
// end.
#pragma once

#include <sys/types.h>

#include <string>

namespace dlgforge::port::preview {

class PrivateDisplay {
 public:
  PrivateDisplay() = default;
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;
  ~PrivateDisplay();

  /// Starts Xvfb on a free display number at 96 dpi and points DISPLAY at
  /// it; false with `error` set when Xvfb is missing or does not start.
  bool start(std::string& error);

 private:
  pid_t server_ = -1;
};

}  // namespace dlgforge::port::preview
