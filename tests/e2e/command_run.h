// Running the built dlgforge binary without a shell: exact arguments (names
// with blanks or a leading '-' need no quoting), a working folder, standard
// input, a umask and a file size limit chosen by the test, standard output
// and standard error captured in files (or standard output sent to a file,
// a device or a pipe nobody reads). Every end-to-end test runs the binary
// through `run_dlgforge`.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace dlgforge::testing {

/// "The file cannot be opened" in Shift-JIS: what the binary prints on
/// standard output for a script it cannot open.
inline constexpr std::string_view kCannotOpen =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8A\x4A\x82\xAF\x82\xDC\x82\xB9"
    "\x82\xF1\x0A";

/// How the binary is started.
struct CommandSetup {
  std::filesystem::path cwd;  ///< empty: the test's own folder
  /// Where standard output goes; empty: captured in `CommandRun::out`.
  std::string stdout_path;
  /// Standard output into a pipe whose reading end is already closed.
  bool stdout_closed_pipe = false;
  /// What standard input reads; empty: /dev/null.
  std::string stdin_path;
  /// A command the binary runs under, with its arguments (GNU time, say).
  std::vector<std::string> wrapper;
  std::optional<mode_t> umask;
  /// Largest file the binary may write, in bytes. SIGXFSZ is ignored, so a
  /// write past it fails with EFBIG instead of killing the process.
  std::optional<rlim_t> file_size_limit;
  /// "NAME=value" entries added to the environment, which otherwise is the
  /// test's own without a display.
  std::vector<std::string> environment;
};

/// What a run gave.
struct CommandRun {
  int status = -1;  ///< the exit status, -1 when killed by a signal
  std::string out;
  std::string err;
};

/// The whole content of a file, empty when it cannot be read.
inline std::string file_content(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/// Runs the binary with `args` (after the program name); the captures are
/// kept in `capture_dir` as "stdout" and "stderr".
inline CommandRun run_dlgforge(const std::vector<std::string>& args,
                               const std::filesystem::path& capture_dir,
                               const CommandSetup& setup = {}) {
  const std::string out_path = (capture_dir / "stdout").string();
  const std::string err_path = (capture_dir / "stderr").string();
  const std::string& stdout_path =
      setup.stdout_path.empty() ? out_path : setup.stdout_path;
  std::filesystem::remove(out_path);

  // Everything the child needs is built before fork: after it, only
  // async-signal-safe calls.
  std::vector<std::string> argv_text = setup.wrapper;
  argv_text.push_back(DLGFORGE_BINARY);
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  std::vector<std::string> env_text;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string_view text(*entry);
    if (!text.starts_with("DISPLAY=") &&
        !text.starts_with("WAYLAND_DISPLAY=")) {
      env_text.emplace_back(text);
    }
  }
  env_text.insert(env_text.end(), setup.environment.begin(),
                  setup.environment.end());
  std::vector<char*> envp;
  for (std::string& entry : env_text) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);
  const std::string cwd = setup.cwd.string();
  const std::string stdin_path =
      setup.stdin_path.empty() ? "/dev/null" : setup.stdin_path;
  int pipe_ends[2] = {-1, -1};
  if (setup.stdout_closed_pipe && ::pipe(pipe_ends) != 0) {
    return {};
  }

  pid_t pid = ::fork();
  if (pid == 0) {
    int in = ::open(stdin_path.c_str(), O_RDONLY);
    int out =
        setup.stdout_closed_pipe
            ? pipe_ends[1]
            : ::open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 ||
        ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
      ::_exit(127);
    }
    if (setup.stdout_closed_pipe) {
      ::close(pipe_ends[0]);
      ::close(pipe_ends[1]);
    }
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
      ::_exit(127);
    }
    if (setup.umask) {
      ::umask(*setup.umask);
    }
    if (setup.file_size_limit) {
      ::signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {*setup.file_size_limit, *setup.file_size_limit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::alarm(300);  // a hang fails the test instead of blocking the suite
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  if (setup.stdout_closed_pipe) {
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
  }
  CommandRun run;
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
    return run;
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = file_content(out_path);
  run.err = file_content(err_path);
  return run;
}

}  // namespace dlgforge::testing
