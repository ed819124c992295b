#include "text/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dlgforge {
namespace {

std::vector<std::string> split(std::string_view text, char delimiter) {
  std::vector<std::string> fields;
  FieldSplitter splitter(text, delimiter);
  while (std::optional<std::string_view> field = splitter.next()) {
    fields.emplace_back(*field);
  }
  return fields;
}

using Fields = std::vector<std::string>;

TEST(FieldSplitter, RunsOfDelimitersAreOneSeparator) {
  EXPECT_EQ(split(",,a,,b ,\n", ','), (Fields{"a", "b ", "\n"}));
  EXPECT_EQ(split(",,,", ','), Fields{});
  EXPECT_EQ(split("", ','), Fields{});
  EXPECT_EQ(split("  IDR_X\tMENU  x", ' '), (Fields{"IDR_X\tMENU", "x"}));
}

TEST(FieldSplitter, HasNextSeesOnlyRealFields) {
  FieldSplitter splitter("a,,", ',');
  EXPECT_TRUE(splitter.has_next());
  splitter.next();
  EXPECT_FALSE(splitter.has_next());
}

TEST(ScanDecimal, ReadsLikePercentD) {
  std::string_view text = " \t\n-42,x";
  EXPECT_EQ(scan_decimal(text), -42);
  EXPECT_EQ(text, ",x");
  text = "+7";
  EXPECT_EQ(scan_decimal(text), 7);
  for (std::string_view bad : {"", " ", "-", "- 1", "x1", "+"}) {
    std::string_view copy = bad;
    EXPECT_EQ(scan_decimal(copy), std::nullopt) << bad;
    EXPECT_EQ(copy, bad);
  }
  text = "4294967297";  // wraps instead of being undefined
  EXPECT_EQ(scan_decimal(text), 1);
}

TEST(ScanDecimalList, FieldsAfterAMismatchKeepTheirValues) {
  int32_t a = 1, b = 2, c = 3, d = 4;
  int32_t* const targets[] = {&a, &b, &c, &d};
  scan_decimal_list(" 10, 20 ,30,40", targets);
  // "20 ," does not match: the comma must follow the number directly.
  EXPECT_EQ(a, 10);
  EXPECT_EQ(b, 20);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(d, 4);
  scan_decimal_list(" DISCARDABLE 0, 0, 9, 9", targets);
  EXPECT_EQ(a, 10);
  scan_decimal_list(" 0, 0, 170, 62, 0", targets);
  EXPECT_EQ(c, 170);
  EXPECT_EQ(d, 62);
}

TEST(ScanHex, DigitsInEitherCase) {
  EXPECT_EQ(scan_hex("C0"), 0xC0u);
  EXPECT_EQ(scan_hex(" 50010000 | WS"), 0x50010000u);
  EXPECT_EQ(scan_hex("aBg"), 0xABu);
  EXPECT_EQ(scan_hex(""), 0u);
  EXPECT_EQ(scan_hex("z"), 0u);
}

}  // namespace
}  // namespace dlgforge
