#include "text/words.h"

#include <gtest/gtest.h>

#include <string>

namespace dlgforge {
namespace {

TEST(FindWord, DialogInsideDialogexIsNotAWord) {
  EXPECT_EQ(find_word("IDD_A DIALOGEX 0, 0, 1, 1", "DIALOG"), std::nullopt);
  EXPECT_EQ(find_word("IDD_A DIALOGEX 0, 0, 1, 1", "DIALOGEX"), 6u);
}

TEST(FindWord, RestartsPastRejectedOccurrence) {
  EXPECT_EQ(find_word("MENUITEM \"x\", 1", "MENU"), std::nullopt);
  EXPECT_EQ(find_word("IDR_MENU MENU", "MENU"), 9u);
  // The search resumes n bytes past a rejected start, so an occurrence that
  // overlaps the rejected one is never tried, even when it would be whole.
  EXPECT_EQ(find_word("XA A A", "A A"), std::nullopt);
  EXPECT_EQ(find_word("ENDEND END", "END"), 7u);
}

TEST(FindWord, Boundaries) {
  EXPECT_EQ(find_word("MENU", "MENU"), 0u);
  EXPECT_EQ(find_word("x MENU", "MENU"), 2u);
  EXPECT_EQ(find_word("MENU\n", "MENU"), 0u);
  EXPECT_EQ(find_word("MENU,", "MENU"), 0u);
  EXPECT_EQ(find_word("\"MENU\"", "MENU"), 1u);
  EXPECT_EQ(find_word("\xe9MENU\xff", "MENU"), 1u);
  EXPECT_EQ(find_word("_MENU", "MENU"), std::nullopt);
  EXPECT_EQ(find_word("MENU1", "MENU"), std::nullopt);
  EXPECT_EQ(find_word("menu", "MENU"), std::nullopt);
  EXPECT_EQ(find_word("Menu MENUS", "MENU"), std::nullopt);
}

TEST(FindWord, WordWithInnerSpaceNeedsOuterBoundariesOnly) {
  EXPECT_EQ(find_word("  MENUITEM SEPARATOR", "MENUITEM SEPARATOR"), 2u);
  EXPECT_EQ(find_word("MENUITEM  SEPARATOR", "MENUITEM SEPARATOR"),
            std::nullopt);
  EXPECT_EQ(find_word("MENUITEM SEPARATORS", "MENUITEM SEPARATOR"),
            std::nullopt);
}

TEST(IsWordChar, ClassesFollowTheCLocale) {
  EXPECT_TRUE(is_word_char('_'));
  EXPECT_TRUE(is_word_char('0'));
  EXPECT_TRUE(is_word_char('z'));
  EXPECT_FALSE(is_word_char('-'));
  EXPECT_FALSE(is_word_char('.'));
  EXPECT_FALSE(is_word_char('\0'));
  for (int c = 0x80; c <= 0xFF; ++c) {
    EXPECT_FALSE(is_word_char(static_cast<char>(c))) << c;
  }
}

TEST(InPlace, TrimLeadingBlanks) {
  char blanks[] = " \t \tx y ";
  trim_leading_blanks(blanks);
  EXPECT_STREQ(blanks, "x y ");
  char only[] = "\t  \t";
  trim_leading_blanks(only);
  EXPECT_STREQ(only, "");
  char lf[] = "\n x";
  trim_leading_blanks(lf);
  EXPECT_STREQ(lf, "\n x");
  char cr[] = "\r x";
  trim_leading_blanks(cr);
  EXPECT_STREQ(cr, "\r x");
}

TEST(InPlace, StripNewline) {
  char two[] = "a\r\nb\n";
  strip_newline(two);
  EXPECT_STREQ(two, "a\r");
  char none[] = "abc";
  strip_newline(none);
  EXPECT_STREQ(none, "abc");
}

TEST(InPlace, LowercaseOnlyAsciiCapitals) {
  char text[] = "IDD_ABOUT_9\xC4\xE9Z";
  lowercase_in_place(text);
  EXPECT_STREQ(text, "idd_about_9\xC4\xE9z");
}

TEST(ReplaceAll, EveryOccurrenceLeftToRight) {
  std::string out;
  EXPECT_EQ(replace_all(out, "A|B", "x", "y"), "A|B");
  EXPECT_EQ(replace_all(out, "|A|B|", "|", "Or"), "OrAOrBOr");
  EXPECT_EQ(replace_all(out, "A||B", "|", "Or"), "AOrOrB");
  EXPECT_EQ(replace_all(out, "aaa", "aa", "b"), "ba");
  // The inserted text is never searched again.
  EXPECT_EQ(replace_all(out, "ab", "a", "aa"), "aab");
  EXPECT_EQ(replace_all(out, "", "|", "Or"), "");
}

}  // namespace
}  // namespace dlgforge
