// Tests of the output file written whole or not at all: the file changes
// only on a successful commit, gets a new file's permissions, and no
// temporary file survives a success or a failure.
#include "linux/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace dlgforge {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() /
        ("dlgforge_output_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    saved_umask_ = ::umask(022);
  }
  void TearDown() override {
    ::umask(saved_umask_);
    fs::remove_all(dir_);
  }

  void put(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static std::string content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static bool write_all(int fd, std::string_view bytes) {
    return ::write(fd, bytes.data(), bytes.size()) ==
           static_cast<ssize_t>(bytes.size());
  }

  // The names in the test's folder.
  std::set<std::string> names() const {
    std::set<std::string> result;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      result.insert(entry.path().filename().string());
    }
    return result;
  }

  static mode_t permissions(const fs::path& path) {
    struct stat info;
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
  }

  fs::path dir_;
  mode_t saved_umask_ = 0;
};

TEST_F(OutputFileTest, CommitReplacesTheFileWithANewFile) {
  fs::path path = dir_ / "out.bas";
  put(path, "previous\n");
  ::chmod(path.c_str(), 0600);
  OutputFile file(path.string());
  ASSERT_TRUE(file.open()) << file.error();
  ASSERT_GE(file.fd(), 0);

  // The temporary file is beside the file, hidden, and the file is intact
  // while the document is being written.
  fs::path temporary = file.temporary_path();
  EXPECT_EQ(temporary.parent_path(), dir_);
  EXPECT_TRUE(temporary.filename().string().starts_with(".dlgforge-"))
      << temporary;
  ASSERT_TRUE(write_all(file.fd(), "new document\n"));
  EXPECT_EQ(content(path), "previous\n");

  ASSERT_TRUE(file.commit()) << file.error();
  EXPECT_EQ(file.fd(), -1);
  EXPECT_EQ(file.temporary_path(), "");
  EXPECT_EQ(content(path), "new document\n");
  EXPECT_EQ(permissions(path), 0644u);  // 0666 less the umask 022
  EXPECT_EQ(names(), (std::set<std::string>{"out.bas"}));
}

TEST_F(OutputFileTest, PermissionsFollowTheUmask) {
  for (mode_t mask : {022u, 077u, 002u, 0u}) {
    ::umask(mask);
    fs::path path = dir_ / ("mask" + std::to_string(mask));
    OutputFile file(path.string());
    ASSERT_TRUE(file.open()) << file.error();
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_EQ(permissions(path), 0666u & ~mask) << mask;
  }
}

TEST_F(OutputFileTest, WithoutCommitNothingChangesAndNothingRemains) {
  fs::path path = dir_ / "out.bas";
  put(path, "previous\n");
  {
    OutputFile file(path.string());
    ASSERT_TRUE(file.open()) << file.error();
    ASSERT_TRUE(write_all(file.fd(), "half a docu"));
    EXPECT_EQ(names().size(), 2u);
  }
  EXPECT_EQ(content(path), "previous\n");
  EXPECT_EQ(names(), (std::set<std::string>{"out.bas"}));

  // Not even a file that did not exist.
  { ASSERT_TRUE(OutputFile((dir_ / "other").string()).open()); }
  EXPECT_EQ(names(), (std::set<std::string>{"out.bas"}));
}

TEST_F(OutputFileTest, AFailedRenameLeavesNoTemporaryFile) {
  fs::path path = dir_ / "out.bas";
  OutputFile file(path.string());
  ASSERT_TRUE(file.open()) << file.error();
  ASSERT_TRUE(write_all(file.fd(), "text"));
  // The name becomes a non-empty folder meanwhile: a file cannot replace it.
  fs::create_directories(path / "inside");
  EXPECT_FALSE(file.commit());
  EXPECT_EQ(file.error(),
            "cannot replace '" + path.string() + "': Is a directory");
  EXPECT_EQ(file.temporary_path(), "");
  EXPECT_EQ(names(), (std::set<std::string>{"out.bas"}));
  EXPECT_TRUE(fs::is_directory(path / "inside"));
}

}  // namespace
}  // namespace dlgforge
