// The dlgforge command: reads the command line, then converts one resource
// script into a FreeBASIC GTK+ 2 program on standard output or into a file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/convert.h"
#include "driver/options.h"
#include "linux/fd_sink.h"
#include "linux/heap_prefault.h"
#include "linux/large_pages.h"
#include "linux/output_file.h"
#include "linux/toolkit.h"
#include "platform/text_reader.h"
#include "platform/unicode_source.h"
#include "port/model/model_json.h"
#include "port/pictures/pictures.h"
#include "port/reader/reader.h"
#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

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

// A script that cannot be opened, or not read to its end, gets the
// converter's one message on standard output and a line naming the cause.
int script_failed(std::string_view what, const std::string& path, int error) {
  dlgforge::FdSink out(STDOUT_FILENO);
  out.write(kCannotOpenMessage);
  out.flush();
  report(std::string(what) + " " + dlgforge::quoted(path) + ": " +
         std::strerror(error));
  return kStatusCannotOpen;
}

// The end of writing a document: a failed write (`error` its errno) is
// reported naming `target`; otherwise the file named with -o, if any, takes
// the place of what was there.
int finish_document(dlgforge::OutputFile* file, bool written, int error,
                    const std::string& target) {
  if (!written) {
    report("cannot write " + target + ": " + std::strerror(error));
    return kStatusWriteFailed;
  }
  if (file && !file->commit()) {
    report(file->error());
    return kStatusWriteFailed;
  }
  return 0;
}

int convert(const dlgforge::ConversionOptions& options) {
  const std::string& path = options.script;
  int fd = open_script(path.c_str());
  if (fd < 0) {
    return script_failed("cannot open", path, errno);
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

  // Fixed units need no fonts and no display; otherwise fonts are measured
  // at the given resolution, or at the display's, which only the toolkit
  // knows. The toolkit starts when the first dialog is measured: its
  // resolution is all the converter takes from it, so nothing else depends
  // on when.
  dlgforge::FixedMeasurer fixed(
      options.base_units.value_or(dlgforge::DialogBaseUnits{}));
  dlgforge::DisplayMeasurer display(options.dpi);
  dlgforge::FontMeasurer& measurer =
      options.base_units ? static_cast<dlgforge::FontMeasurer&>(fixed)
                         : display;
  dlgforge::FdSource source(fd);
  dlgforge::UnicodeSource decoded(source);
  dlgforge::ScriptReader reader(decoded);
  dlgforge::FdSink out(file ? file->fd() : STDOUT_FILENO);
  bool written = dlgforge::convert_script(reader, measurer, out) && out.flush();
  ::close(fd);
  // A script cut short by a read error (a failing disk, a dropped network
  // share) must not pass for the whole script: nothing was written, and a
  // file named with -o is left as it was when `file` goes.
  if (reader.read_error() != 0) {
    return script_failed("cannot read", path, reader.read_error());
  }
  if (display.used_fallback_units()) {
    report(
        "warning: no usable scalable font found; using fallback dialog base "
        "units");
  }
  return finish_document(
      file ? &*file : nullptr, written, out.error(),
      file ? dlgforge::quoted(*options.output) : "the output");
}

// Warnings as the compilers print them, a line each.
std::string warning_lines(
    const std::vector<dlgforge::model::Diagnostic>& warnings) {
  std::string lines;
  for (const dlgforge::model::Diagnostic& warning : warnings) {
    lines += dlgforge::model::format_warning(warning) + "\n";
  }
  return lines;
}

using PieceSink = std::function<bool(std::string_view piece)>;

// Writes a document that `print` hands out piece by piece as it is made
// into `file`, whole or not at all, or to standard output (or a device)
// without one, so that no large document is ever held whole; `target` names
// the output in a message.
int write_streamed(dlgforge::OutputFile* file, const std::string& target,
                   const std::function<bool(const PieceSink&)>& print) {
  if (file && !file->open()) {
    report(file->error());
    return kStatusWriteFailed;
  }
  dlgforge::FdSink out(file ? file->fd() : STDOUT_FILENO);
  bool written =
      print([&out](std::string_view piece) { return out.write(piece); }) &&
      out.flush();
  return finish_document(file, written, out.error(), target);
}

// The same for the output the options name: the file of -o, or standard
// output.
int write_streamed(const std::optional<std::string>& output,
                   const std::function<bool(const PieceSink&)>& print) {
  std::optional<dlgforge::OutputFile> file;
  if (output) {
    file.emplace(*output);
  }
  return write_streamed(file ? &*file : nullptr,
                        output ? dlgforge::quoted(*output) : "the output",
                        print);
}

// Reads the script with the port reader and prints its model as JSON; the
// warnings go to standard error. Warnings do not change the status: the
// model holds what could be read.
int dump_model(const dlgforge::ConversionOptions& options) {
  dlgforge::port::ReaderOptions reader;
  reader.include_dirs = options.include_dirs;
  reader.defines = options.defines;
  reader.codepage =
      options.codepage ? static_cast<unsigned>(*options.codepage) : 0;
  // A script read on two threads has the heap its model grows into
  // faulted in by the preprocessor's thread, which waits on the parser.
  reader.between_batches = dlgforge::HeapPrefaulter::for_script(
      options.script, dlgforge::port::kPipelinedScript);
  // The model lives until the process ends, which reclaims it at once:
  // freeing its many small strings one by one would cost a twentieth of
  // the run on a large script.
  static auto* kept = new dlgforge::model::Model;
  dlgforge::model::Model& model = *kept;
  std::string error;
  if (!dlgforge::port::read_resource_script(options.script, reader, model,
                                            error)) {
    report("cannot open '" + options.script + "': " + error);
    return kStatusCannotOpen;
  }
  write_stderr(warning_lines(model.warnings));
  return write_streamed(options.output, [](const PieceSink& sink) {
    return dlgforge::model::write_json(*kept, sink);
  });
}

// Writes a document whole into a file (or standard output without one).
int write_whole(dlgforge::OutputFile* file, std::string_view text,
                const std::string& target) {
  return write_streamed(file, target,
                        [text](const PieceSink& sink) { return sink(text); });
}

// A device or pipe (/dev/null, /dev/stdout) gets the program in one piece.
bool is_device(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
         !S_ISDIR(info.st_mode);
}

bool read_file(const std::string& path, std::string& text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return got == 0;
}

// The files of the description's pictures, each written whole, into the
// folder `path`, made when there is a picture to write. A folder's name
// that is not a folder (a link, a file) is refused: nothing is written
// through it.
int write_pictures(const dlgforge::port::Description& description,
                   const std::string& path) {
  if (description.pictures.empty()) {
    return 0;
  }
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) != 0) {
    if (::mkdir(path.c_str(), 0777) != 0) {
      report("cannot make the folder " + dlgforge::quoted(path) + ": " +
             std::strerror(errno));
      return kStatusWriteFailed;
    }
  } else if (!S_ISDIR(existing.st_mode)) {
    report("cannot write the pictures into " + dlgforge::quoted(path) +
           ": it is not a folder");
    return kStatusWriteFailed;
  }
  for (const dlgforge::port::PictureFile& picture : description.pictures) {
    std::string target = path + "/" + picture.name;
    dlgforge::OutputFile file(target);
    if (int status =
            write_whole(&file, picture.bytes, dlgforge::quoted(target))) {
      return status;
    }
  }
  return 0;
}

// `--port -o app.bas`: the generated part goes to app.ui.bi, rewritten at
// every conversion; the user's part to app.bas, only when there is no such
// file yet. Constants of an earlier app.ui.bi that the script no longer
// names are kept; a line on standard error says what the user may want to
// add to a kept app.bas.
int write_port_files(const dlgforge::port::Description& description,
                     dlgforge::port::WriterOptions writer,
                     const std::string& user_path) {
  std::string base = user_path;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".bas") == 0) {
    base.resize(base.size() - 4);
  }
  std::string generated_path = base + ".ui.bi";
  std::string include_name =
      generated_path.substr(generated_path.rfind('/') == std::string::npos
                                ? 0
                                : generated_path.rfind('/') + 1);
  for (unsigned char c : include_name) {
    if (c < 0x20 || c == '"' || c == 0x7F) {
      report("cannot name the generated file after " +
             dlgforge::quoted(user_path) +
             ": FreeBASIC cannot include a name with quotes or control "
             "characters");
      return kStatusUsage;
    }
  }
  writer.include_name = include_name;
  // The pictures go into a folder beside the program, named after it.
  std::string pictures_path = base + ".pictures";
  if (!description.pictures.empty()) {
    writer.pictures_folder =
        pictures_path.substr(pictures_path.rfind('/') == std::string::npos
                                 ? 0
                                 : pictures_path.rfind('/') + 1);
  }
  std::string earlier;
  if (read_file(generated_path, earlier)) {
    writer.earlier_constants = dlgforge::port::read_constants(earlier);
  }
  dlgforge::port::ProgramFiles files =
      dlgforge::port::write_freebasic_files(description, writer);
  // Whatever stands at the user's path is the user's: kept, even when it
  // cannot be read.
  struct stat existing {};
  bool keep_user = ::lstat(user_path.c_str(), &existing) == 0;
  std::string user_text;
  bool readable = keep_user && read_file(user_path, user_text);
  if (int status = write_pictures(description, pictures_path)) {
    return status;
  }
  dlgforge::OutputFile generated(generated_path);
  if (int status = write_whole(&generated, files.generated,
                               dlgforge::quoted(generated_path))) {
    return status;
  }
  if (!keep_user) {
    dlgforge::OutputFile user(user_path);
    return write_whole(&user, files.user, dlgforge::quoted(user_path));
  }
  if (!readable) {
    report(user_path +
           ": kept as it is; it cannot be read, so what it may "
           "lack is not known");
    return 0;
  }
  for (const std::string& note : dlgforge::port::changes_to_note(
           description, writer.earlier_constants, user_text)) {
    report(user_path + ": " + note);
  }
  return 0;
}

// Reads the script with the port reader and writes the port program: the
// reader's warnings on standard error, the program on standard output or
// into the output file. A --main that names no dialog is a usage error,
// found before anything is written.
int port(const dlgforge::ConversionOptions& options) {
  dlgforge::port::ReaderOptions reader;
  reader.include_dirs = options.include_dirs;
  reader.defines = options.defines;
  reader.codepage =
      options.codepage ? static_cast<unsigned>(*options.codepage) : 0;
  // A script read on two threads has the heap its model grows into
  // faulted in by the preprocessor's thread, which waits on the parser.
  reader.between_batches = dlgforge::HeapPrefaulter::for_script(
      options.script, dlgforge::port::kPipelinedScript);
  // The model and the description live until the process ends, as
  // --dump-model's model does: freeing them piece by piece would cost a
  // tenth of a large script's conversion.
  static auto* kept_model = new dlgforge::model::Model;
  dlgforge::model::Model& model = *kept_model;
  std::string error;
  if (!dlgforge::port::read_resource_script(options.script, reader, model,
                                            error)) {
    report("cannot open '" + options.script + "': " + error);
    return kStatusCannotOpen;
  }
  write_stderr(warning_lines(model.warnings));
  if (options.main_dialog &&
      !dlgforge::port::has_dialog(model, *options.main_dialog)) {
    report("no dialog " + dlgforge::quoted(*options.main_dialog) + " in '" +
           options.script + "'");
    return kStatusUsage;
  }
  std::string script_name = options.script;
  if (size_t slash = script_name.rfind('/'); slash != std::string::npos) {
    script_name.erase(0, slash + 1);
  }
  // Pictures the program cannot be given have a warning each; without
  // -o the program has no picture folder and shows stock pictures.
  dlgforge::port::PictureSet pictures = dlgforge::port::read_pictures(model);
  std::string warnings = warning_lines(pictures.warnings);
  // Kept until the process ends, as the model is (a static: still reachable
  // at exit, not a leak).
  static const dlgforge::port::Description* described = nullptr;
  {
    // The description grows the heap as the model did: a thread of its own
    // faults it in ahead, as the preprocessor's thread did while reading.
    std::optional<dlgforge::PrefaultThread> prefaulting;
    if (reader.between_batches) {
      prefaulting.emplace(reader.between_batches);
    }
    described = new dlgforge::port::Description(dlgforge::port::describe(
        model, options.main_dialog.value_or(""), &pictures));
  }
  const dlgforge::port::Description& description = *described;
  warnings += warning_lines(description.warnings);
  write_stderr(warnings);
  dlgforge::port::WriterOptions writer;
  writer.script_name = script_name;
  writer.base_units = options.base_units;
  writer.gtk3 = options.gtk3;
  if (options.output && !is_device(*options.output)) {
    return write_port_files(description, writer, *options.output);
  }
  // Standard output or a device: the program goes out piece by piece as
  // it is printed.
  return write_streamed(options.output, [&](const PieceSink& sink) {
    return dlgforge::port::write_freebasic_program(description, writer, sink);
  });
}

// --preview and --report need the toolkit linked in, which dlgforge itself
// never is: a helper program, installed beside it in the library
// executables folder (in a build folder, right beside it), does that work
// with the same command line.
int run_gtk_helper(char** argv) {
  std::string self(4096, '\0');
  ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
  std::string folder = length > 0 ? self.substr(0, length) : std::string();
  folder.erase(folder.rfind('/') == std::string::npos ? 0 : folder.rfind('/'));
  std::string candidates[] = {
      folder + "/dlgforge-gtk",
      folder + "/" DLGFORGE_HELPER_FROM_BIN "/dlgforge-gtk",
  };
  for (const std::string& helper : candidates) {
    if (::access(helper.c_str(), X_OK) == 0) {
      argv[0] = const_cast<char*>(helper.c_str());
      ::execv(helper.c_str(), argv);
      report("cannot run " + dlgforge::quoted(helper) + ": " +
             std::strerror(errno));
      return kStatusUsage;
    }
  }
  report("cannot find the GTK helper dlgforge-gtk beside " +
         dlgforge::quoted(folder) + " or in " +
         dlgforge::quoted(folder + "/" DLGFORGE_HELPER_FROM_BIN) +
         "; --preview and --report need it");
  return kStatusUsage;
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
  case dlgforge::CommandAction::DumpModel:
    dlgforge::rerun_with_large_pages(command.options.script, argv);
    return dump_model(command.options);
  case dlgforge::CommandAction::Preview:
  case dlgforge::CommandAction::Report:
    return run_gtk_helper(argv);
  case dlgforge::CommandAction::Convert:
    break;
  }
  if (command.options.port) {
    dlgforge::rerun_with_large_pages(command.options.script, argv);
    return port(command.options);
  }
  return convert(command.options);
}
