#include "text/style.h"

#include <gtest/gtest.h>

#include <string>

namespace dlgforge {
namespace {

std::string translated(std::string_view source) {
  std::string out;
  return translate_style(out, source);
}

TEST(TranslateStyle, HexadecimalPrefix) {
  EXPECT_EQ(translated("0xC0"), "&HC0");
  EXPECT_EQ(translated("  0xC0"), "&HC0");
  EXPECT_EQ(translated("0X10"), "0X10");
  EXPECT_EQ(translated("0x10 | WS_CHILD"), "&H10 | WS_CHILD");
}

TEST(TranslateStyle, BarsAndNot) {
  EXPECT_EQ(translated("WS_CHILD | WS_VISIBLE"), "WS_CHILD Or WS_VISIBLE");
  EXPECT_EQ(translated("WS_CHILD|WS_VISIBLE"), "WS_CHILDOrWS_VISIBLE");
  EXPECT_EQ(translated("WS_POPUP | NOT WS_VISIBLE"),
            "WS_POPUP Or 0 * WS_VISIBLE");
  EXPECT_EQ(translated("NOT WS_TABSTOP"), "0 * WS_TABSTOP");
  EXPECT_EQ(translated("ES_AUTOHSCROLL | NOT ES_NUMBER"),
            "ES_AUTOHSCROLL Or 0 * ES_NUMBER");
  EXPECT_EQ(translated("NOT ES_NUMBER"), "NOT ES_NUMBER");
}

TEST(TranslateStyle, CopiedUnchanged) {
  EXPECT_EQ(translated("ES_AUTOHSCROLL"), "ES_AUTOHSCROLL");
  EXPECT_EQ(translated(""), "");
  EXPECT_EQ(translated("WS_A | not WS_B"), "WS_A Or not WS_B");
  EXPECT_EQ(translated("WS_A | NOT\tWS_B"), "WS_A Or NOT\tWS_B");
  EXPECT_EQ(translated("WS_A | NOT"), "WS_A Or NOT");
}

TEST(TranslateStyle, TrailingNewlineStays) {
  EXPECT_EQ(translated(" WS_CHILD | WS_VISIBLE\n"),
            "WS_CHILD Or WS_VISIBLE\n");
  EXPECT_EQ(translated("0x3\n"), "&H3\n");
}

TEST(HexStyleHasBits, MaskTests) {
  EXPECT_TRUE(hex_style_has_bits("0x503", 3));
  EXPECT_FALSE(hex_style_has_bits("0x503", 4));
  EXPECT_TRUE(hex_style_has_bits("0x1", 0));
  EXPECT_FALSE(hex_style_has_bits("&H3", 3));
  EXPECT_FALSE(hex_style_has_bits("0X3", 3));
  EXPECT_FALSE(hex_style_has_bits("", 0));
  EXPECT_FALSE(hex_style_has_bits(nullptr, 0));
}

}  // namespace
}  // namespace dlgforge
