#include "platform/script_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace dlgforge {
namespace {

// Pieces as the reader gives them, cut at their first NUL.
std::vector<std::string> reader_pieces(std::string_view script) {
  MemorySource source(script);
  ScriptReader reader(source);
  std::vector<std::string> pieces;
  LineBuffer line;
  while (reader.read_line(line)) {
    pieces.emplace_back(line, std::strlen(line));
  }
  return pieces;
}

// Facts that name their piece, so that a fact handed out with another
// piece shows.
void length_facts(std::string_view piece, LineFacts& facts) {
  facts.control_at = static_cast<uint8_t>(piece.size());
}

// Lines of every length up to 600 bytes, CR LF and LF ends, NUL bytes: many
// batches, so that the second thread reads most of them.
std::string long_script() {
  std::string script;
  for (int i = 0; i < 6000; ++i) {
    script.append(static_cast<size_t>(i % 600),
                  static_cast<char>('A' + i % 26));
    if (i % 7 == 0) {
      script += '\0';
      script += "after NUL";
    }
    script += i % 3 == 0 ? "\r\n" : "\n";
  }
  return script;
}

TEST(ScriptLines, GivesTheReaderPiecesAcrossBatches) {
  for (std::string script :
       {std::string(), std::string("one\ntwo"), long_script()}) {
    MemorySource source(script);
    ScriptReader reader(source);
    ScriptLines lines(reader, length_facts);
    std::vector<std::string> pieces;
    std::string_view piece;
    const LineFacts* facts;
    while (lines.next(piece, facts)) {
      pieces.emplace_back(piece);
      ASSERT_EQ(facts->control_at, static_cast<uint8_t>(piece.size()));
    }
    EXPECT_FALSE(lines.next(piece));
    EXPECT_EQ(pieces, reader_pieces(script));
  }
}

TEST(ScriptLines, StopsWhenLeftEarly) {
  std::string script = long_script();
  for (int taken : {0, 1, 600, 3000}) {
    MemorySource source(script);
    ScriptReader reader(source);
    ScriptLines lines(reader, length_facts);
    std::string_view piece;
    for (int i = 0; i < taken; ++i) {
      ASSERT_TRUE(lines.next(piece));
    }
  }  // Each destructor stops the reading thread instead of waiting forever.
}

TEST(ScriptLines, LineFeedOnlyAtTheEnd) {
  EXPECT_EQ(without_line_feed("BEGIN\n"), "BEGIN");
  EXPECT_EQ(without_line_feed("BEGIN"), "BEGIN");
  EXPECT_EQ(without_line_feed("\n"), "");
}

}  // namespace
}  // namespace dlgforge
