// The table of Windows languages against values from Microsoft's list of
// locale ids, the user's language from an environment, the choice among
// variants, and the FreeBASIC text of all three against the C++ answers.
#include "port/languages/languages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "port/languages/fb_runtime.h"

namespace dlgforge::port::languages {
namespace {

TEST(Languages, TableRoundTripsAndKnownIds) {
  std::set<std::uint16_t> ids;
  for (const Language& l : table()) {
    SCOPED_TRACE(l.name);
    EXPECT_TRUE(ids.insert(l.id).second) << "twice in the table";
    EXPECT_EQ(language_name(l.id), l.name);
    EXPECT_EQ(language_of_name(l.name), l.id);
    EXPECT_LT(l.name.size(), 16u);  // the program's ZString * 16
    EXPECT_LT(l.posix.size(), 16u);
    if (!l.posix.empty()) {
      EXPECT_EQ(language_of_name(l.posix), l.id);
      EXPECT_EQ(language_of_locale(std::string(l.posix) + ".UTF-8"), l.id);
    }
  }
  // From Microsoft's list of locale ids.
  const std::map<std::uint16_t, std::string_view> known = {
      {0x0407, "de-DE"},      {0x0c07, "de-AT"},      {0x0807, "de-CH"},
      {0x0804, "zh-CN"},      {0x0404, "zh-TW"},      {0x0411, "ja-JP"},
      {0x0419, "ru-RU"},      {0x081a, "sr-Latn-CS"}, {0x241a, "sr-Latn-RS"},
      {0x0c1a, "sr-Cyrl-CS"}, {0x041a, "hr-HR"},      {0x0416, "pt-BR"},
      {0x0816, "pt-PT"},      {0x0c0a, "es-ES"},      {0x040c, "fr-FR"},
      {0x0c0c, "fr-CA"},      {0x0809, "en-GB"},      {0x0412, "ko-KR"},
      {0x0414, "nb-NO"},      {0x0814, "nn-NO"},      {0x042c, "az-Latn-AZ"},
      {0x0843, "uz-Cyrl-UZ"}, {0x0007, "de"},         {0x0401, "ar-SA"}};
  for (const auto& [id, name] : known) {
    EXPECT_EQ(language_name(id), name);
  }
  EXPECT_EQ(language_name(kNeutral), "");
  EXPECT_EQ(language_name(0x0c3f), "0x0c3f");
  EXPECT_EQ(language_of_name("DE_de"), 0x0407);
  EXPECT_EQ(language_of_name("sr_RS@latin"), 0x241a);
  EXPECT_EQ(language_of_name("sr_RS"), 0x281a);
  EXPECT_EQ(language_of_name("0x0C07"), 0x0c07);
  EXPECT_EQ(language_of_name("1031"), 0x0407);
  for (std::string_view bad :
       {"", "0x", "65536", "0x10000", "-1", "xx", "de_XX"}) {
    EXPECT_EQ(language_of_name(bad), std::nullopt) << bad;
  }
}

using Variables = std::map<std::string, std::string>;

std::uint16_t user_language_in(const Variables& variables) {
  return user_language([&variables](const char* name) {
    auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
  });
}

TEST(Languages, UserLanguageAndChoice) {
  const std::pair<Variables, std::uint16_t> environments[] = {
      {{{"LANG", "de_AT.UTF-8@euro"}}, 0x0c07},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, 0x0411},
      {{{"LANG", "de_DE"}, {"LC_MESSAGES", "ja_JP"}, {"LC_ALL", "ru_RU"}},
       0x0419},
      {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "xx:pt_BR:de"}}, 0x0416},
      {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", ":sr@latin"}}, 0x701a},
      {{{"LANG", "C"}, {"LANGUAGE", "de"}}, kNeutral},  // gettext ignores it
      {{{"LANG", "C.UTF-8"}}, kNeutral},
      {{{"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}, kNeutral},
      {{{"LANGUAGE", "de"}}, kNeutral},
      {{{"LANG", "de_XX.UTF-8"}}, 0x0007},
      {{{"LANG", "eo.UTF-8"}}, kNeutral},
      {{{"LANG", "sr_RS@latin"}}, 0x241a},
      {{{"LANG", "zh_TW.Big5"}}, 0x0404},
  };
  for (const auto& [variables, id] : environments) {
    EXPECT_EQ(user_language_in(variables), id)
        << variables.begin()->first << "=" << variables.begin()->second;
  }

  using Ids = std::vector<std::uint16_t>;
  struct Choice {
    Ids variants;
    std::uint16_t wanted;
    std::size_t chosen;
  };
  const Choice choices[] = {
      {{0x0409, 0x0c07, 0x0407}, 0x0407, 2},  // language and country
      {{0x0409, 0x0807, 0x0c07}, 0x0407, 1},  // the script's first German
      {{0x0409, 0x0c1a, 0x081a}, 0x241a, 2},  // Serbian in Latin letters
      {{0x081a, 0x041a}, 0x101a, 1},          // Croatian before Serbian
      {{0x0409, 0x0014}, 0x0414, 1},          // Norwegian, by LANG_* id
      {{0x0411, 0x0400, 0x0409}, 0x040c, 1},  // neutral
      {{0x0411, 0x0809, 0x0409}, 0x040c, 2},  // English (United States)
      {{0x0411, 0x0419}, 0x040c, 0},          // the first
      {{0x0411, 0x0000}, kNeutral, 1},        // no user language
      {{0x0409, 0x3c07}, 0x0407, 1},          // an id the table lacks
      {{}, 0x0407, 0},
  };
  for (const Choice& c : choices) {
    EXPECT_EQ(choose_language(c.variants, c.wanted), c.chosen)
        << "wanted " << language_name(c.wanted);
  }
}

// ---- the FreeBASIC text against the C++ functions

std::string fb_quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
      out.append(buffer, n);
    }
    if (pclose(pipe) != 0) {
      out += "\n(exit status not 0)";
    }
  }
  return out;
}

// A program that prints, and the lines the C++ functions expect of it.
struct Probe {
  std::string program;
  std::string expected;
  void line(const std::string& statements, const std::string& answer) {
    program += statements + "\n";
    expected += answer + "\n";
  }
};

TEST(Languages, FreeBasicAnswersAsTheCppFunctions) {
  const std::filesystem::path shared = DLGFORGE_SHARED_DIR;
  const std::filesystem::path work = DLGFORGE_LANGUAGES_WORK;
  if (!std::filesystem::exists(shared / "fbc" / "install")) {
    GTEST_SKIP() << "no FreeBASIC compiler in " << shared / "fbc";
  }
  std::filesystem::create_directories(work);
  std::string fbc = run((shared / "fbc" / "install").string() + " --deps " +
                        (work / "fbc").string() + " 2>/dev/null | tail -n 1");
  while (!fbc.empty() && fbc.back() == '\n') {
    fbc.pop_back();
  }
  if (!std::filesystem::exists(fbc)) {
    GTEST_SKIP() << "fbc could not be unpacked: " << fbc;
  }

  Probe probe;
  probe.program = std::string(freebasic_runtime()) + "\n";
  auto str = [](long n) { return std::to_string(n); };
  auto of_name = [](std::string_view text) {
    auto id = language_of_name(text);
    return id ? long(*id) : -1L;
  };
  // Every entry of the table by name, POSIX name and locale.
  for (const Language& l : table()) {
    std::string locale = std::string(l.posix) + ".UTF-8@euro";
    probe.line("Print dlgforge_language_name(" + str(l.id) + ") & \" \" & " +
                   "dlgforge_language_of_name(" + fb_quoted(l.name) +
                   ") & \" \" & dlgforge_language_of_name(" +
                   fb_quoted(l.posix) + ") & \" \" & " +
                   "dlgforge_language_of_locale(" + fb_quoted(locale) + ")",
               language_name(l.id) + " " + str(of_name(l.name)) + " " +
                   str(of_name(l.posix)) + " " +
                   str(language_of_locale(locale)));
  }
  for (std::string_view text : {"",         "0x",          "0x0407",
                                "0X0C07",   "1031",        "65535",
                                "65536",    "0x10000",     "-1",
                                "+5",       "0x-1",        " 1",
                                "1 ",       "de",          "DE-de",
                                "de_XX",    "xx",          "de_AT.UTF-8@euro",
                                "sr@latin", "sr_RS@latin", "C",
                                "C.UTF-8",  "en_029",      "es-ES_tradnl",
                                "zh"}) {
    probe.line("Print dlgforge_language_of_name(" + fb_quoted(text) +
                   ") & \" \" & dlgforge_language_of_locale(" +
                   fb_quoted(text) + ")",
               str(of_name(text)) + " " + str(language_of_locale(text)));
  }
  for (long id : {0x0000, 0x0400, 0x0c3f, 0xffff}) {
    probe.line("Print \"[\" & dlgforge_language_name(" + str(id) + ") & \"]\"",
               "[" + language_name(static_cast<std::uint16_t>(id)) + "]");
  }
  // Environments: every combination of a few values of the variables.
  const std::array<const char*, 4> variables = {"LANGUAGE", "LC_ALL",
                                                "LC_MESSAGES", "LANG"};
  const std::array<std::vector<std::string>, 4> values = {{
      {"", "xx:pt_BR", "sr@latin:de", ":ja"},
      {"", "C", "ru_RU.KOI8-R"},
      {"", "POSIX", "ja_JP"},
      {"", "de_AT.UTF-8@euro", "C.UTF-8", "sr_RS@latin", "zz_ZZ"},
  }};
  std::array<std::size_t, 4> pick{};
  for (bool more = true; more;) {
    Variables set;
    std::string statements;
    for (std::size_t v = 0; v < variables.size(); ++v) {
      set[variables[v]] = values[v][pick[v]];
      statements +=
          "SetEnviron " +
          fb_quoted(std::string(variables[v]) + "=" + values[v][pick[v]]) +
          "\n";
    }
    probe.line(statements + "Print dlgforge_user_language()",
               " " + str(user_language_in(set)));
    more = false;
    for (std::size_t v = 0; v < pick.size() && !more; ++v) {
      more = ++pick[v] < values[v].size();
      if (!more) {
        pick[v] = 0;
      }
    }
  }
  // Choices for every language of the table and a few others.
  const std::vector<std::vector<std::uint16_t>> lists = {
      {0x0409, 0x0c07, 0x0407, 0x0411},
      {0x0807, 0x0c07, 0x0009},
      {0x081a, 0x0c1a, 0x041a, 0x141a, 0x701a},
      {0x0411, 0x0400, 0x0014, 0x0804},
      {0x0419, 0x0809, 0x0409, 0x3c07},
      {0x0419, 0x0411, 0x0404},
  };
  std::vector<std::uint16_t> wanted = {0x0000, 0x0400, 0x3c07, 0x7c07};
  for (const Language& l : table()) {
    wanted.push_back(l.id);
  }
  std::string fb_wanted =
      "Dim wanted(1 To " + str(long(wanted.size())) + ") As Long = {";
  for (std::size_t w = 0; w < wanted.size(); ++w) {
    fb_wanted += (w ? (w % 16 ? ", " : ", _\n  ") : "") + str(wanted[w]);
  }
  probe.program += fb_wanted + "}\n";
  for (std::size_t n = 0; n < lists.size(); ++n) {
    std::string statements = "Scope\nDim variants(1 To " +
                             str(long(lists[n].size())) + ") As Long = {";
    std::string answer;
    for (std::size_t i = 0; i < lists[n].size(); ++i) {
      statements += (i ? ", " : "") + str(lists[n][i]);
    }
    for (std::uint16_t w : wanted) {
      answer += str(long(choose_language(lists[n], w) + 1)) + " ";
    }
    probe.line(statements +
                   "}\nFor w As Long = 1 To UBound(wanted)\n"
                   "  Print dlgforge_choose_language(variants(), wanted(w)) "
                   "& \" \";\nNext\nPrint\nEnd Scope",
               answer);
  }

  const std::filesystem::path bas = work / "languages_probe.bas";
  std::ofstream(bas) << probe.program;
  const std::filesystem::path exe = work / "languages_probe";
  std::string compiled =
      run(fbc + " -exx " + bas.string() + " -x " + exe.string() + " 2>&1");
  ASSERT_TRUE(std::filesystem::exists(exe)) << compiled;
  std::string printed = run(exe.string());
  std::filesystem::remove(exe);
  // The first line that differs, with the line the C++ functions printed.
  std::istringstream got(printed), want(probe.expected);
  std::string got_line, want_line;
  for (int number = 1; std::getline(want, want_line); ++number) {
    std::getline(got, got_line);
    ASSERT_EQ(got_line, want_line) << "line " << number << " of the output";
  }
  EXPECT_FALSE(std::getline(got, got_line)) << "more output: " << got_line;
}

}  // namespace
}  // namespace dlgforge::port::languages
