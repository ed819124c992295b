#include "linux/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "text/quoted.h"

namespace dlgforge {
namespace {

// The folder that holds `path`: the temporary file must be on the same file
// system as the file for the rename to replace it in one step.
std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == path.npos) {
    return ".";
  }
  if (slash == 0) {
    return "/";
  }
  return path.substr(0, slash);
}

// Something to write into that is not a file to replace: a character
// device, a FIFO, a socket.
bool is_special(const struct stat& info) {
  return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// The mode a new file gets from open(..., 0666): umask can only be read by
// setting it, so it is set back at once.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes the rename itself durable. Best effort: the file has already been
// replaced, so a failure here is no reason to report the output as lost.
void sync_folder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    (void)::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

OutputFile::~OutputFile() {
  discard();
}

bool OutputFile::open() {
  struct stat info;
  if (::stat(path_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      errno = EISDIR;
      return fail("cannot write " + quoted(path_));
    }
    if (is_special(info)) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      return fd_ >= 0 || fail("cannot open " + quoted(path_));
    }
  }
  const std::string folder = folder_of(path_);
  std::string name =
      folder + (folder.ends_with('/') ? "" : "/") + ".dlgforge-XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    return fail("cannot create a temporary file in " + quoted(folder));
  }
  temporary_path_ = std::move(name);
  // mkstemp creates the file private to its owner; the document is an
  // ordinary file and gets the permissions any new file would.
  if (::fchmod(fd_, new_file_mode()) != 0) {
    return fail("cannot set the permissions of " + quoted(temporary_path_));
  }
  return true;
}

bool OutputFile::commit() {
  if (fd_ < 0) {
    errno = EBADF;
    return fail("cannot write " + quoted(path_));
  }
  // On Linux a close interrupted by a signal has still closed the file, so
  // EINTR is no failure.
  if (temporary_path_.empty()) {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || errno == EINTR ||
           fail("cannot write " + quoted(path_));
  }
  if (::fsync(fd_) != 0) {
    return fail("cannot write " + quoted(path_));
  }
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    return fail("cannot write " + quoted(path_));
  }
  if (::rename(temporary_path_.c_str(), path_.c_str()) != 0) {
    return fail("cannot replace " + quoted(path_));
  }
  temporary_path_.clear();
  sync_folder(folder_of(path_));
  return true;
}

bool OutputFile::fail(const std::string& what) {
  error_ = what + ": " + std::strerror(errno);
  discard();
  return false;
}

void OutputFile::discard() {
  int saved = errno;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_path_.empty()) {
    ::unlink(temporary_path_.c_str());
    temporary_path_.clear();
  }
  errno = saved;
}

}  // namespace dlgforge
