// A test fixture that runs the built dlgforge binary with a folder of its own
// and captures its exit status, standard output and standard error.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/command_run.h"

namespace dlgforge {

namespace fs = std::filesystem;

using testing::CommandRun;
using testing::CommandSetup;

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

  // Runs the binary with `args`, without a display, so the real font
  // measurer works at its 96 dpi; the captures are kept in the folder.
  CommandRun run(const std::vector<std::string>& args,
                 const CommandSetup& setup = {}) {
    return testing::run_dlgforge(args, dir_, setup);
  }

  fs::path dir_;
};

}  // namespace dlgforge
