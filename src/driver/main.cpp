// The dlgforge command: converts one resource script into a FreeBASIC GTK+ 2
// program on standard output.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/convert.h"
#include "platform/fd_sink.h"
#include "platform/font_measurer.h"
#include "platform/text_reader.h"
#include "platform/toolkit.h"
#include "platform/unicode_source.h"

namespace {

// "The file cannot be opened" in Shift-JIS: the converter's one message on
// standard output, kept byte for byte for scripts that look for it.
constexpr std::string_view kCannotOpenMessage =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8A\x4A\x82\xAF\x82\xDC\x82\xB9"
    "\x82\xF1\x0A";

constexpr int kStatusCannotOpen = 255;  // -1 as a process exit status
constexpr int kStatusWriteFailed = 1;
constexpr int kStatusUsage = 2;

void report(const std::string& line) {
  std::string text = "dlgforge: " + line + "\n";
  (void)!::write(STDERR_FILENO, text.data(), text.size());
}

// Opens the script for reading; a directory cannot be read as a script and
// is refused here, as opening it for text reading fails on Windows.
int open_script(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe is reported as a failed write, not as a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  if (argc < 2) {
    report("usage: dlgforge SCRIPT.rc");
    return kStatusUsage;
  }
  const char* path = argv[1];
  int fd = open_script(path);
  if (fd < 0) {
    int error = errno;
    dlgforge::FdSink out(STDOUT_FILENO);
    out.write(kCannotOpenMessage);
    out.flush();
    report(std::string("cannot open '") + path + "': " + std::strerror(error));
    return kStatusCannotOpen;
  }

  int32_t dpi = dlgforge::measuring_dpi(dlgforge::start_toolkit());
  dlgforge::FontconfigMeasurer measurer(dpi);
  dlgforge::FdSource source(fd);
  dlgforge::UnicodeSource decoded(source);
  dlgforge::ScriptReader reader(decoded);
  dlgforge::FdSink out(STDOUT_FILENO);
  bool written = dlgforge::convert_script(reader, measurer, out) && out.flush();
  ::close(fd);
  if (!written) {
    report(std::string("cannot write the output: ") +
           std::strerror(out.error()));
    return kStatusWriteFailed;
  }
  return 0;
}
