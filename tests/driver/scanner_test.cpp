#include "driver/scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "dialog/controls.h"
#include "support.h"
#include "text/words.h"

namespace dlgforge {
namespace {

using testing::scan;

TEST(HeaderTests, DialogKeywords) {
  auto dialog = find_dialog_header("IDD_A DIALOGEX 0, 0, 1, 1");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->keyword, "DIALOGEX");
  EXPECT_EQ(dialog->position, 6u);
  dialog = find_dialog_header("    IDD_X, DIALOG");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->keyword, "DIALOG");
  EXPECT_FALSE(find_dialog_header("Dialog dialog DIALOGS MYDIALOG"));
}

TEST(HeaderTests, MenuKeywords) {
  EXPECT_TRUE(is_menu_header("IDR_M MENU"));
  EXPECT_TRUE(is_menu_header("IDR_M MENUEX"));
  EXPECT_TRUE(is_menu_header("  IDS_X \"Open the MENU\""));
  EXPECT_FALSE(is_menu_header("MENUITEM \"x\", 1"));
  EXPECT_FALSE(is_menu_header("IDR_MYMENU menu"));
}

TEST(Scanner, HashSkipsOnlyFromTheFirstColumn) {
  EXPECT_TRUE(scan("#define X MENU\n").sections.declarations.empty());
  EXPECT_EQ(scan(" #define X MENU\nfoo\n").sections.declarations,
            "' declare menu\nDim Shared #define As GtkWidget Ptr\n");
}

TEST(Scanner, DialogWinsOverMenuOnOneLine) {
  auto scanned = scan("IDD_A DIALOG MENU 0,0,1,1\n");
  EXPECT_EQ(scanned.sections.declarations, "' declare dialog\n");
  EXPECT_EQ(scanned.sections.menu_code, "");
}

TEST(Scanner, MenuexHeaderAndLinesWithoutKeywords) {
  auto scanned = scan(
      "IDR_POP MENUEX\n"
      "BEGIN\n"
      "END\n"
      "MENUITEM \"x\", 1\n"
      "CONTROL \"a\", 1, \"button\", 0, 1, 2, 3, 4\n"
      "BEGIN\nEND\n");
  EXPECT_EQ(scanned.sections.declarations,
            "' declare menu\nDim Shared pop As GtkWidget Ptr\n");
  EXPECT_EQ(scanned.sections.menu_code, "' menu\npop = gtk_menu_bar_new()\n");
  EXPECT_EQ(scanned.sections.dialog_code, "");
}

TEST(Scanner, LongLineIsSeenInPieces) {
  // MENU straddles the 255-byte cut, so neither piece holds the word.
  std::string line = std::string(253, ' ') + "MENU\n";
  EXPECT_TRUE(scan(line).sections.declarations.empty());
  // The second piece of a long line is tested as a line of its own.
  line = std::string(255, ' ') + "IDR_X MENU\n";
  EXPECT_EQ(scan(line).sections.declarations,
            "' declare menu\nDim Shared x As GtkWidget Ptr\n");
}

}  // namespace
}  // namespace dlgforge

namespace dlgforge {
namespace {

// The pieces random lines are built from: the header keywords and every
// keyword of the control table, each also as a near miss (longer, shorter,
// inside an identifier), and separators, so that every boundary case occurs
// often and a new table row is exercised without editing this list.
std::vector<std::string> line_pieces() {
  std::vector<std::string> pieces = {"DIALOG",
                                     "DIALOGEX",
                                     "MENU",
                                     "MENUEX",
                                     "MENUITEM",
                                     "DIALOGS",
                                     "POPUP",
                                     "END",
                                     "ENDS",
                                     " SEPARATOR",
                                     "MENUITEM SEPARATOR",
                                     "}",
                                     "X",
                                     "_",
                                     "1",
                                     " ",
                                     ",",
                                     "\"",
                                     "\t",
                                     "\xE9",
                                     "-"};
  for (const ControlKeyword& row : control_keywords()) {
    std::string keyword(row.keyword);
    pieces.push_back(keyword);
    pieces.push_back(keyword + "S");
    pieces.push_back(keyword.substr(1));
    pieces.push_back("IDC_" + keyword + "1");
  }
  return pieces;
}

std::string random_line(std::mt19937& random,
                        const std::vector<std::string>& pieces) {
  std::string line;
  size_t count = random() % 8;
  for (size_t i = 0; i < count; ++i) {
    line += pieces[random() % pieces.size()];
  }
  return line;
}

LineFacts facts_of(std::string_view line) {
  LineFacts facts;
  note_line_facts(line, facts);
  return facts;
}

// A position as the facts store it: plus one, 0 for none.
uint8_t stored(std::optional<size_t> at) {
  return at ? static_cast<uint8_t>(*at + 1) : 0;
}

TEST(LineFacts, OnePassAgreesWithHeaderSearches) {
  std::mt19937 random(7);
  const std::vector<std::string> pieces = line_pieces();
  for (int i = 0; i < 100000; ++i) {
    std::string line = random_line(random, pieces);
    LineFacts facts = facts_of(line);
    std::optional<HeaderMatch> dialog = find_dialog_header(line);
    if (facts.dialogex_at != 0) {
      ASSERT_TRUE(dialog) << line;
      EXPECT_EQ(dialog->keyword, "DIALOGEX") << line;
      EXPECT_EQ(dialog->position + 1, facts.dialogex_at) << line;
    } else if (facts.dialog_at != 0) {
      ASSERT_TRUE(dialog) << line;
      EXPECT_EQ(dialog->keyword, "DIALOG") << line;
      EXPECT_EQ(dialog->position + 1, facts.dialog_at) << line;
    } else {
      EXPECT_FALSE(dialog) << line;
      EXPECT_EQ(facts.menu_header, is_menu_header(line)) << line;
    }
  }
}

// The menu statement words, each searched on its own: MENUITEM SEPARATOR
// wherever a whole-word MENUITEM is followed by a blank and a whole-word
// SEPARATOR.
TEST(LineFacts, OnePassAgreesWithMenuSearches) {
  std::mt19937 random(5);
  const std::vector<std::string> pieces = line_pieces();
  for (int i = 0; i < 100000; ++i) {
    std::string line = random_line(random, pieces);
    LineFacts facts = facts_of(line);
    EXPECT_EQ(facts.item_at, stored(find_word(line, "MENUITEM"))) << line;
    EXPECT_EQ(facts.popup_at, stored(find_word(line, "POPUP"))) << line;
    EXPECT_EQ(facts.end_word, find_word(line, "END").has_value()) << line;
    EXPECT_EQ(facts.closing_brace, line.find('}') != std::string::npos);
    bool separator = false;
    for (size_t at = 0; at < line.size(); ++at) {
      std::string_view rest = std::string_view(line).substr(at);
      separator =
          separator || (find_word(rest, "MENUITEM SEPARATOR") == size_t{0} &&
                        (at == 0 || !is_word_char(line[at - 1])));
    }
    EXPECT_EQ(facts.separator, separator) << line;
  }
}

TEST(ControlKeywords, OnePassAgreesWithTheTableOrder) {
  std::mt19937 random(11);
  const std::vector<std::string> pieces = line_pieces();
  for (int i = 0; i < 100000; ++i) {
    std::string line = random_line(random, pieces);
    // The rows tried one by one, whole word or substring as each says.
    std::optional<KeywordMatch> expected;
    for (const ControlKeyword& row : control_keywords()) {
      std::optional<size_t> at =
          row.whole_word
              ? find_word(line, row.keyword)
              : (line.find(row.keyword) == std::string::npos
                     ? std::nullopt
                     : std::optional<size_t>(line.find(row.keyword)));
      if (at) {
        expected = KeywordMatch{&row, *at};
        break;
      }
    }
    std::optional<KeywordMatch> actual =
        match_control_keyword(line, facts_of(line));
    ASSERT_EQ(actual.has_value(), expected.has_value()) << line;
    if (actual) {
      EXPECT_EQ(actual->row, expected->row) << line;
      EXPECT_EQ(actual->position, expected->position) << line;
    }
  }
}

}  // namespace
}  // namespace dlgforge
