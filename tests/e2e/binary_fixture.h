// A test fixture that runs the built dlgforge binary in a folder of its own
// and captures its exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "e2e/command_run.h"

namespace dlgforge {

namespace fs = std::filesystem;

/// Quotes a path for the shell.
inline std::string shell_quoted(const fs::path& path) {
  std::string text = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      text += "'\\''";
    } else {
      text += c;
    }
  }
  return text + "'";
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// A folder of its own for each test, removed afterwards.
class Binary : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("dlgforge_e2e_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const std::string& name, std::string_view bytes) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // Runs the binary through the shell with `arguments` (already quoted),
  // standard output and error captured in files unless `redirect` sends
  // standard output elsewhere. Without a display and within a time limit,
  // so the real font measurer works at its 96 dpi and a hang fails the test.
  RunResult run(const std::string& arguments, const std::string& redirect = "",
                const std::string& input = "/dev/null") {
    fs::path out = dir_ / "stdout";
    fs::path err = dir_ / "stderr";
    fs::remove(out);
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY timeout 300 " +
        shell_quoted(DLGFORGE_BINARY) + " " + arguments + " <" +
        shell_quoted(input) + " 2>" + shell_quoted(err) +
        (redirect.empty() ? " >" + shell_quoted(out) : " " + redirect);
    int status = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = testing::file_content(out);
    result.err = testing::file_content(err);
    return result;
  }

  fs::path dir_;
};

}  // namespace dlgforge
