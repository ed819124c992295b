#include "platform/unicode_source.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support.h"

namespace dlgforge {
namespace {

// Everything the source hands out, read in small pieces so that the
// decoder's carrying of partial units is exercised.
std::string decoded(std::string_view bytes, size_t piece = 7) {
  MemorySource inner(bytes);
  UnicodeSource source(inner);
  std::string out;
  char buffer[64];
  for (;;) {
    ssize_t n = source.read(buffer, std::min(piece, sizeof buffer));
    EXPECT_GE(n, 0);
    if (n <= 0) {
      return out;
    }
    out.append(buffer, static_cast<size_t>(n));
  }
}

std::string utf16le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string utf16be(std::u16string_view text) {
  std::string bytes = "\xFE\xFF";
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit >> 8));
    bytes.push_back(static_cast<char>(unit & 0xFF));
  }
  return bytes;
}

TEST(UnicodeSource, Utf16BecomesUtf8WithoutTheMark) {
  std::u16string text = u"IDD_A DIALOG\r\nCAPTION \"\u00e9\u30c6\U0001F600\"\r\n";
  std::string utf8 =
      "IDD_A DIALOG\r\nCAPTION \"\xC3\xA9\xE3\x83\x86\xF0\x9F\x98\x80\"\r\n";
  EXPECT_EQ(decoded(utf16le(text)), utf8);
  EXPECT_EQ(decoded(utf16be(text)), utf8);
  EXPECT_EQ(decoded(utf16le(text), 1), utf8);
  EXPECT_EQ(decoded(utf16le(u"")), "");
}

TEST(UnicodeSource, InvalidUtf16BecomesReplacementCharacters) {
  const std::string kReplacement = "\xEF\xBF\xBD";
  std::u16string lone_high = u"a";
  lone_high.push_back(0xD800);
  lone_high += u"b";
  EXPECT_EQ(decoded(utf16le(lone_high)), "a" + kReplacement + "b");
  std::u16string lone_low = u"a";
  lone_low.push_back(0xDC00);
  EXPECT_EQ(decoded(utf16le(lone_low)), "a" + kReplacement);
  std::u16string high_at_end = u"a";
  high_at_end.push_back(0xDBFF);
  EXPECT_EQ(decoded(utf16le(high_at_end)), "a" + kReplacement);
  // A script cut at an odd byte.
  EXPECT_EQ(decoded(utf16le(u"ab") + "c"), "ab" + kReplacement);
  EXPECT_EQ(decoded("\xFF\xFE" "c"), kReplacement);
}

TEST(UnicodeSource, SurrogatePairAcrossReadChunks) {
  std::u16string text(70000, u'x');
  text[65535] = 0xD83D;  // the pair straddles the decoder's 64 KiB chunk
  text[65536] = 0xDE00;
  std::string expected(70000 - 2, 'x');
  expected.insert(65535, "\xF0\x9F\x98\x80");
  EXPECT_EQ(decoded(utf16le(text), 64), expected);
}

TEST(UnicodeSource, EightBitScriptsPassThroughUntouched) {
  for (std::string_view bytes :
       {std::string_view(""), std::string_view("a"), std::string_view("ab"),
        std::string_view("\xFF"), std::string_view("\xFF\xFD\x00", 3),
        std::string_view("\xEF\xBB"), std::string_view("\xEF\xBB\xBE!"),
        std::string_view("\x83\x74\x83\x40 DIALOG\r\n")}) {
    EXPECT_EQ(decoded(bytes), bytes);
  }
  EXPECT_EQ(decoded("\xEF\xBB\xBFIDD_A DIALOG\n"), "IDD_A DIALOG\n");
  EXPECT_EQ(decoded("\xEF\xBB\xBF"), "");
}

std::string read_corpus(const std::string& name) {
  std::ifstream in(testing::corpus_dir() / name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Transcodes with the C library, independently of the decoder under test.
std::string iconv_to_utf8(const std::string& bytes, const char* from) {
  iconv_t cd = iconv_open("UTF-8", from);
  std::string out(bytes.size() * 2 + 16, '\0');
  char* in_ptr = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

std::string convert_decoded(std::string_view bytes) {
  FixedMeasurer measurer(testing::kUnits);
  return testing::convert_bytes(bytes, measurer);
}

TEST(UnicodeSource, RealUtf16AndUtf8BomScripts) {
  std::string utf16 =
      read_corpus("flarn2006__WinParticles__WinParticles__WinParticles.rc");
  if (!std::filesystem::is_directory(testing::corpus_dir())) {
    GTEST_SKIP() << testing::corpus_missing();
  }
  ASSERT_TRUE(utf16.starts_with("\xFF\xFE"));
  std::string utf8 = iconv_to_utf8(utf16.substr(2), "UTF-16LE");
  std::string document = convert_decoded(utf16);
  EXPECT_EQ(document, testing::convert(utf8));
  EXPECT_NE(document.find("gtk_widget_show_all("), std::string::npos);

  // A script saved as UTF-8 with a byte-order mark converts as without it.
  std::string plain =
      read_corpus("sabrogden__Ditto__U3Stop__U3Start.rc");
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(convert_decoded("\xEF\xBB\xBF" + plain), testing::convert(plain));
}

}  // namespace
}  // namespace dlgforge
