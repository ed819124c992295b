// Writing the document to a named file, whole or not at all: the bytes go
// into a temporary file in the same folder, which takes the file's name only
// once everything was written and synced to disk. Any failure leaves the file
// as it was and removes the temporary file. A device or a pipe that exists
// under the name (/dev/null, a FIFO) is written directly instead, since there
// is no file to replace. Writing the bytes themselves is the caller's, on
// `fd()`.
#pragma once

#include <string>

namespace dlgforge {

class OutputFile {
 public:
  /// Nothing is created until `open`.
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  /// Removes the temporary file unless `commit` succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Creates the temporary file, with the permissions a new file gets from
  /// the process's umask (0666 less the mask), or opens the device. Returns
  /// false, with `error()` set, when that fails or the name is a folder.
  bool open();

  /// Where the document is to be written; -1 before `open` and after
  /// `commit`.
  int fd() const { return fd_; }

  /// Syncs the temporary file and renames it over the file. Returns false,
  /// with `error()` set and the temporary file removed, when any step fails;
  /// the file is then as it was.
  bool commit();

  /// What failed, as a message without the program name, for example
  /// "cannot create a temporary file in 'out': No such file or directory".
  const std::string& error() const { return error_; }

  /// The temporary file's path while there is one, otherwise empty.
  const std::string& temporary_path() const { return temporary_path_; }

 private:
  /// Records the failure of `what` with the current errno; returns false.
  bool fail(const std::string& what);
  /// Closes the descriptor and removes the temporary file, keeping errno.
  void discard();

  std::string path_;
  std::string temporary_path_;  // empty when writing directly
  int fd_ = -1;
  std::string error_;
};

}  // namespace dlgforge
