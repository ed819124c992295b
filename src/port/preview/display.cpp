#include "port/preview/display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dlgforge::port::preview {
namespace {

// Xvfb from the search path, as a shell would find it.
std::string find_xvfb() {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) {
      end = folders.size();
    }
    std::string candidate = folders.substr(start, end - start) + "/Xvfb";
    if (::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace

bool PrivateDisplay::start(std::string& error) {
  std::string xvfb = find_xvfb();
  if (xvfb.empty()) {
    error =
        "no display (DISPLAY is not set) and Xvfb is not installed (Debian "
        "package xvfb) to take the pictures on";
    return false;
  }
  // Xvfb picks a free display number itself and writes it to the pipe
  // once it accepts connections.
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
    error = std::string("cannot start Xvfb: ") + std::strerror(errno);
    return false;
  }
  server_ = ::fork();
  if (server_ == 0) {
    int fd = ::dup(pipe_fds[1]);  // without close-on-exec
    std::string fd_text = std::to_string(fd);
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0",
            "1600x1200x24", "-dpi", "96", "-nolisten", "tcp", "+extension",
            "RENDER", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  if (server_ < 0) {
    ::close(pipe_fds[0]);
    error = std::string("cannot start Xvfb: ") + std::strerror(errno);
    return false;
  }
  std::string number;
  pollfd wait_for{pipe_fds[0], POLLIN, 0};
  while (::poll(&wait_for, 1, 10000) > 0) {
    char buffer[16];
    ssize_t got = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (got <= 0) {
      break;
    }
    number.append(buffer, static_cast<size_t>(got));
    if (number.find('\n') != std::string::npos) {
      break;
    }
  }
  ::close(pipe_fds[0]);
  while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) {
    number.pop_back();
  }
  if (number.empty()) {
    error = "Xvfb did not start";
    return false;
  }
  ::setenv("DISPLAY", (":" + number).c_str(), 1);
  return true;
}

PrivateDisplay::~PrivateDisplay() {
  if (server_ > 0) {
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
  }
}

}  // namespace dlgforge::port::preview
