#include "platform/text_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace dlgforge {
namespace {

// Every piece the reader delivers, as the bytes up to the NUL, which is
// where the reader's text length must end too.
std::vector<std::string> read_all(std::string_view bytes) {
  MemorySource source(bytes);
  ScriptReader reader(source);
  std::vector<std::string> lines;
  LineBuffer line;
  while (reader.read_line(line)) {
    lines.emplace_back(line);
    EXPECT_EQ(reader.text_length(), lines.back().size()) << lines.back();
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(ScriptReader, CrLfArrivesAsLf) {
  EXPECT_EQ(read_all("a\r\nb\r\n"), (Lines{"a\n", "b\n"}));
}

TEST(ScriptReader, LoneCrIsKept) {
  EXPECT_EQ(read_all("a\rb\n\r"), (Lines{"a\rb\n", "\r"}));
  EXPECT_EQ(read_all("\r\r\n"), (Lines{"\r\n"}));
}

TEST(ScriptReader, CtrlZEndsTheInput) {
  EXPECT_EQ(read_all("a\nb\x1a"
                     "c\nd\n"),
            (Lines{"a\n", "b"}));
  EXPECT_EQ(read_all("\x1a\x1a"), Lines{});
  EXPECT_EQ(read_all("a\r\x1a"), (Lines{"a\r"}));
}

TEST(ScriptReader, NulEndsTheTextButCountsTowardTheLength) {
  EXPECT_EQ(read_all(std::string("ab\0cd\nx\n", 8)), (Lines{"ab", "x\n"}));
  std::string long_line(std::string(1, '\0') + std::string(299, 'a') + "\n");
  Lines lines = read_all(long_line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], std::string(45, 'a') + "\n");
}

TEST(ScriptReader, LongLinesArriveInPiecesOf255) {
  EXPECT_EQ(read_all(std::string(254, 'x') + "\n"),
            (Lines{std::string(254, 'x') + "\n"}));
  EXPECT_EQ(read_all(std::string(255, 'x') + "\n"),
            (Lines{std::string(255, 'x'), "\n"}));
  EXPECT_EQ(read_all(std::string(256, 'x') + "\n"),
            (Lines{std::string(255, 'x'), "x\n"}));
  EXPECT_EQ(read_all(std::string(300, 'x') + "\n"),
            (Lines{std::string(255, 'x'), std::string(45, 'x') + "\n"}));
  // A CR LF pair counts as the one LF it becomes.
  EXPECT_EQ(read_all(std::string(254, 'x') + "\r\n"),
            (Lines{std::string(254, 'x') + "\n"}));
}

TEST(ScriptReader, LastLineWithoutLfAndEmptyInput) {
  EXPECT_EQ(read_all("a\nb"), (Lines{"a\n", "b"}));
  EXPECT_EQ(read_all(""), Lines{});
  EXPECT_EQ(read_all("\n\n"), (Lines{"\n", "\n"}));
}

TEST(ScriptReader, PiecesAcrossReadChunks) {
  // Lines that straddle the reader's internal chunks arrive exactly as in
  // one piece.
  std::string script;
  Lines expected;
  for (int i = 0; i < 20000; ++i) {
    std::string text = "line " + std::to_string(i);
    script += text + "\r\n";
    expected.push_back(text + "\n");
  }
  EXPECT_EQ(read_all(script), expected);
}

// Hands out its bytes in two reads, cut at `cut`.
class TwoReadSource final : public ByteSource {
 public:
  TwoReadSource(std::string_view bytes, size_t cut)
      : first_(bytes.substr(0, cut)), second_(bytes.substr(cut)) {}
  ssize_t read(char* buffer, size_t size) override {
    std::string_view& part = first_.empty() ? second_ : first_;
    size_t n = std::min(size, part.size());
    std::copy_n(part.data(), n, buffer);
    part.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }

 private:
  std::string_view first_;
  std::string_view second_;
};

TEST(ScriptReader, CrLfCutBetweenTwoReads) {
  // Every cut, among them each CR at the end of the first read with its LF
  // at the start of the second, and lone CRs at either end of a read.
  constexpr std::string_view kScript = "ab\r\ncd\r\r\nef\r\rg\r";
  const Lines expected = {"ab\n", "cd\r\n", "ef\r\rg\r"};
  ASSERT_EQ(read_all(kScript), expected);
  for (size_t cut = 0; cut <= kScript.size(); ++cut) {
    TwoReadSource source(kScript, cut);
    ScriptReader reader(source);
    Lines lines;
    LineBuffer line;
    while (reader.read_line(line)) {
      lines.emplace_back(line);
    }
    EXPECT_EQ(lines, expected) << "cut after byte " << cut;
  }
}

// A source that fails after its first bytes: the failure ends the input
// like the end of the script, and is kept for the caller to report.
class FailingSource final : public ByteSource {
 public:
  ssize_t read(char* buffer, size_t size) override {
    if (calls_++ > 0) {
      errno = EIO;
      return -1;
    }
    std::string_view first = "a\nb";
    size_t n = std::min(size, first.size());
    std::copy_n(first.data(), n, buffer);
    return static_cast<ssize_t>(n);
  }

 private:
  int calls_ = 0;
};

TEST(ScriptReader, ReadErrorEndsTheInput) {
  FailingSource source;
  ScriptReader reader(source);
  LineBuffer line;
  ASSERT_TRUE(reader.read_line(line));
  EXPECT_STREQ(line, "a\n");
  ASSERT_TRUE(reader.read_line(line));
  EXPECT_STREQ(line, "b");
  EXPECT_FALSE(reader.read_line(line));
  EXPECT_FALSE(reader.read_line(line));
  EXPECT_EQ(reader.read_error(), EIO);

  // The whole input read is no error.
  MemorySource whole("a\nb");
  ScriptReader complete(whole);
  while (complete.read_line(line)) {
  }
  EXPECT_EQ(complete.read_error(), 0);
}

}  // namespace
}  // namespace dlgforge
