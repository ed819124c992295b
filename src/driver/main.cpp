// The dlgforge command: reads the command line, then converts one resource
// script into a FreeBASIC GTK+ 2 program on standard output or into a file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/convert.h"
#include "driver/options.h"
#include "linux/fd_sink.h"
#include "linux/output_file.h"
#include "linux/toolkit.h"
#include "platform/text_reader.h"
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

void write_stderr(std::string_view text) {
  (void)!::write(STDERR_FILENO, text.data(), text.size());
}

void report(const std::string& line) {
  write_stderr("dlgforge: " + line + "\n");
}

// Prints the help or the version; a failed write is a failure here too.
int print_text(std::string_view text) {
  dlgforge::FdSink out(STDOUT_FILENO);
  if (!out.write(text) || !out.flush()) {
    report(std::string("cannot write the output: ") +
           std::strerror(out.error()));
    return kStatusWriteFailed;
  }
  return 0;
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

// Fixed units need no fonts and no display; otherwise fonts are measured at
// the given resolution, or at the display's, which only the toolkit knows.
// The toolkit starts when the first dialog is measured: its resolution is
// all the converter takes from it, so nothing else depends on when.
std::unique_ptr<dlgforge::FontMeasurer> make_measurer(
    const dlgforge::ConversionOptions& options) {
  if (options.base_units) {
    return std::make_unique<dlgforge::FixedMeasurer>(*options.base_units);
  }
  return std::make_unique<dlgforge::DisplayMeasurer>(options.dpi);
}

int convert(const dlgforge::ConversionOptions& options) {
  const std::string& path = options.script;
  int fd = open_script(path.c_str());
  if (fd < 0) {
    int error = errno;
    dlgforge::FdSink out(STDOUT_FILENO);
    out.write(kCannotOpenMessage);
    out.flush();
    report("cannot open '" + path + "': " + std::strerror(error));
    return kStatusCannotOpen;
  }
  // The output file is prepared before the toolkit starts: reading the
  // umask briefly changes it, which no other thread may see.
  std::optional<dlgforge::OutputFile> file;
  if (options.output) {
    file.emplace(*options.output);
    if (!file->open()) {
      ::close(fd);
      report(file->error());
      return kStatusWriteFailed;
    }
  }

  std::unique_ptr<dlgforge::FontMeasurer> measurer = make_measurer(options);
  dlgforge::FdSource source(fd);
  dlgforge::UnicodeSource decoded(source);
  dlgforge::ScriptReader reader(decoded);
  dlgforge::FdSink out(file ? file->fd() : STDOUT_FILENO);
  bool written =
      dlgforge::convert_script(reader, *measurer, out) && out.flush();
  ::close(fd);
  if (!written) {
    std::string target =
        file ? dlgforge::quoted(*options.output) : "the output";
    report("cannot write " + target + ": " + std::strerror(out.error()));
    return kStatusWriteFailed;
  }
  if (file && !file->commit()) {
    report(file->error());
    return kStatusWriteFailed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe is reported as a failed write, not as a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  dlgforge::CommandLine command = dlgforge::parse_options(args);
  switch (command.action) {
  case dlgforge::CommandAction::ShowHelp:
    return print_text(dlgforge::help_text());
  case dlgforge::CommandAction::ShowVersion:
    return print_text(dlgforge::version_line());
  case dlgforge::CommandAction::UsageError:
    if (!command.error.empty()) {
      report(command.error);
    }
    write_stderr(dlgforge::usage_line());
    return kStatusUsage;
  case dlgforge::CommandAction::Convert:
    break;
  }
  return convert(command.options);
}
