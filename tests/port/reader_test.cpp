// The port reader on small scripts, where reading can really go wrong:
// string literals, styles and their defaults, macros and conditionals,
// includes, code pages, resources read over, menus and recovery.
#include "port/reader/reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <stdexcept>
#include <string>

#include "port/model/model_json.h"

namespace dlgforge::port {
namespace {

using Files = std::map<std::string, std::string>;

// Reads `script` as main.rc; `files` are the other files that exist.
model::Model read(const std::string& script, const Files& files = {},
                  ReaderOptions options = {}) {
  options.loader = [files](const std::string& path, std::string& out,
                           std::string& error) {
    auto found = files.find(path);
    if (found == files.end()) {
      error = "No such file or directory";
      return false;
    }
    out = found->second;
    return true;
  };
  return read_resource_text("main.rc", script, options);
}

std::vector<std::string> warnings(const model::Model& m) {
  std::vector<std::string> lines;
  for (const model::Diagnostic& w : m.warnings) {
    lines.push_back(w.pos.file() + ":" + std::to_string(w.pos.line) + ":" +
                    std::to_string(w.pos.column) + ": " + w.message);
  }
  return lines;
}

TEST(ReaderStrings, EscapesDoubledQuotesJoinedAndWide) {
  model::Model m = read(
      "1 DIALOG 0, 0, 10, 10\n"
      "CAPTION \"a\"\"b\" \"c\\tq\\\\\" L\"\\x263A\"\n"
      "BEGIN\n"
      "  LTEXT \"\\a\\101\\x41z\\q\\\"\", 1, 0, 0, 1, 1\n"
      "  LTEXT \"one \\\r\ntwo\", 2, 0, 0, 1, 1\n"
      "END\n");
  ASSERT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(m.dialogs[0].caption, "a\"bc\tq\\\xE2\x98\xBA");
  ASSERT_EQ(m.dialogs[0].controls.size(), 2u);
  // \a is a backspace for the resource compiler; unknown escapes stay.
  EXPECT_EQ(m.dialogs[0].controls[0].text.text, "\bAAz\\q\"");
  EXPECT_EQ(m.dialogs[0].controls[1].text.text, "one two");
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
}

TEST(ReaderStyles, KeywordDefaultsNotAndClasses) {
  model::Model m = read(
      "#include <windows.h>\n"
      "1 DIALOG 0, 0, 10, 10\n"
      "BEGIN\n"
      "  RADIOBUTTON \"r\", 1, 0, 0, 1, 1\n"
      "  COMBOBOX 2, 0, 0, 1, 1\n"
      "  EDITTEXT 3, 0, 0, 1, 1\n"
      "  LISTBOX 4, 0, 0, 1, 1\n"
      "  PUSHBUTTON \"p\", 5, 0, 0, 1, 1, NOT WS_TABSTOP | WS_DISABLED\n"
      "  LTEXT \"t\", IDC_STATIC, 0, 0, 1, 1, NOT WS_GROUP\n"
      "  CONTROL \"c\", 7, \"button\", BS_AUTOCHECKBOX | WS_TABSTOP,\n"
      "          0, 0, 1, 1\n"
      "  CONTROL \"\", 8, WC_EDIT, NOT WS_VISIBLE, 0, 0, 1, 1\n"
      "  CONTROL \"\", 9, \"SysListView32\", 0, 0, 0, 1, 1\n"
      "  ICON 101, 10, 0, 0\n"
      "END\n"
      "2 DIALOGEX 0, 0, 10, 10\n"
      "STYLE WS_POPUP\n"
      "CAPTION \"c\"\n"
      "FONT 8, \"MS Shell Dlg\", 700, 1, 128\n"
      "BEGIN\n"
      "  LTEXT \"t\", -1, 0, 0, 1, 1, 0, WS_EX_CLIENTEDGE, 77\n"
      "END\n");
  ASSERT_EQ(m.dialogs.size(), 2u);
  const model::Dialog& d = m.dialogs[0];
  EXPECT_EQ(d.style.value, 0x80880000u);  // WS_POPUP|WS_BORDER|WS_SYSMENU
  ASSERT_EQ(d.controls.size(), 10u);
  struct Expected {
    const char* keyword;
    const char* class_name;
    std::uint32_t style;
  };
  const Expected expected[] = {
      {"RADIOBUTTON", "Button", 0x50000004},
      {"COMBOBOX", "ComboBox", 0x50000000},
      {"EDITTEXT", "Edit", 0x50810000},
      {"LISTBOX", "ListBox", 0x50800001},
      {"PUSHBUTTON", "Button", 0x58000000},
      {"LTEXT", "Static", 0x50000000},
      {"CONTROL", "Button", 0x50010003},
      {"CONTROL", "Edit", 0x40000000},
      {"CONTROL", "SysListView32", 0x50000000},
      {"ICON", "Static", 0x50000003},
  };
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    EXPECT_EQ(d.controls[i].keyword, expected[i].keyword) << i;
    EXPECT_EQ(d.controls[i].class_name, expected[i].class_name) << i;
    EXPECT_EQ(d.controls[i].style.value, expected[i].style) << i;
  }
  EXPECT_EQ(d.controls[4].style.written, "NOT WS_TABSTOP | WS_DISABLED");
  EXPECT_EQ(d.controls[5].id, 0xFFFF);  // a DIALOG stores a 16-bit id
  EXPECT_EQ(d.controls[5].id_written, "IDC_STATIC");
  EXPECT_EQ(d.controls[9].text.number, 101u);

  const model::Dialog& ex = m.dialogs[1];
  EXPECT_EQ(ex.style.value, 0x80C00040u);  // + WS_CAPTION + DS_SETFONT
  ASSERT_TRUE(ex.font);
  EXPECT_EQ(ex.font->weight, 700);
  EXPECT_TRUE(ex.font->italic);
  EXPECT_EQ(ex.font->charset, 128);
  ASSERT_EQ(ex.controls.size(), 1u);
  EXPECT_EQ(ex.controls[0].id, -1);
  EXPECT_EQ(ex.controls[0].exstyle.value, 0x200u);
  EXPECT_EQ(ex.controls[0].helpid, 77u);
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
}

TEST(ReaderPreprocessor, MacrosConditionalsAndDefines) {
  ReaderOptions options;
  options.defines = {{"CY", "42"}, {"FLAG", "1"}};
  model::Model m = read(
      "#define W 100\n"
      "#define SIZE(a, b) a, b\n"
      "#define BOTH SIZE(W, W + 1)\n"
      "#define ID_BASE 1000\n"
      "#define ID(n) (ID_BASE + \\\n"
      "               n)\n"
      "#if defined(W) && UNKNOWN_NAME == 0 && !defined UNDEFINED\n"
      "#define TEXT \"right\"\n"
      "#elif 1\n"
      "#error wrong branch\n"
      "#else\n"
      "#error wrong branch\n"
      "#endif\n"
      "#if 0\n"
      "  garbage \" ' #bad directive\n"
      "#elif FLAG\n"
      "#define SECOND ID(7)\n"
      "#endif\n"
      "1 DIALOG 0, 0, BOTH\n"
      "BEGIN\n"
      "  LTEXT TEXT, ID(5), 0, 0, 1, CY\n"
      "  LTEXT \"s\", SECOND, 0, 0, 1, 1\n"
      "END\n",
      {}, options);
  ASSERT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(m.dialogs[0].cx, 100);
  EXPECT_EQ(m.dialogs[0].cy, 101);
  ASSERT_EQ(m.dialogs[0].controls.size(), 2u);
  const model::Control& c = m.dialogs[0].controls[0];
  EXPECT_EQ(c.text.text, "right");
  EXPECT_EQ(c.id, 1005);
  EXPECT_EQ(c.id_written, "ID(5)");
  EXPECT_EQ(c.cy, 42);
  EXPECT_EQ(m.dialogs[0].controls[1].id, 1007);
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
  EXPECT_TRUE(m.undefined_identifiers.empty());
}

// Thousands of macros, so that the macro table grows several times; then
// half of them undefined, among names that others were placed after, and a
// third defined again.
TEST(ReaderPreprocessor, ManyMacrosUndefinedAndRedefined) {
  constexpr int kCount = 3000;
  std::string script;
  for (int i = 0; i < kCount; ++i) {
    script += "#define M" + std::to_string(i) + " " + std::to_string(i) + "\n";
  }
  for (int i = 1; i < kCount; i += 2) {
    script += "#undef M" + std::to_string(i) + "\n";
  }
  for (int i = 0; i < kCount; i += 3) {
    script += "#define M" + std::to_string(i) + " " +
              std::to_string(i + 30000) + "\n";
  }
  script += "1 DIALOG 0, 0, 10, 10\nBEGIN\n";
  for (int i = 0; i < kCount; ++i) {
    script += "  LTEXT \"\", M" + std::to_string(i) + ", 0, 0, 1, 1\n";
  }
  script += "END\n";
  model::Model m = read(script);
  ASSERT_EQ(m.dialogs.size(), 1u);
  std::vector<std::string> undefined;
  for (int i = 0, n = 0; i < kCount; ++i, ++n) {
    int expected = i % 3 == 0 ? i + 30000 : i % 2 == 1 ? 0 : i;
    EXPECT_EQ(m.dialogs[0].controls.at(n).id, expected) << "M" << i;
    if (i % 3 != 0 && i % 2 == 1) {
      undefined.push_back("M" + std::to_string(i));
    }
  }
  EXPECT_EQ(m.undefined_identifiers, undefined);
}

TEST(ReaderPreprocessor, UndefinedNamesAreZeroAndListed) {
  model::Model m = read(
      "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
      "  LTEXT \"a\", IDC_A, 0, 0, 1, 1\n"
      "  LTEXT \"b\", IDC_B + 2, 0, 0, 1, 1\n"
      "  LTEXT \"c\", IDC_A, 0, 0, 1, 1\n"
      "END\n");
  ASSERT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(m.dialogs[0].controls[1].id, 2);
  EXPECT_EQ(m.undefined_identifiers,
            (std::vector<std::string>{"IDC_A", "IDC_B"}));

  // Thousands of names, each used again later in another case and in the
  // same: each listed once, in the order of first use.
  std::string script = "1 DIALOG 0, 0, 10, 10\nBEGIN\n";
  std::vector<std::string> names;
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < 3000; ++i) {
      std::string name = (pass == 1 ? "idc_n" : "IDC_N") + std::to_string(i);
      script += "  LTEXT \"\", " + name + ", 0, 0, 1, 1\n";
      if (pass < 2) {
        names.push_back(name);
      }
    }
  }
  m = read(script + "END\n");
  EXPECT_EQ(m.undefined_identifiers, names);
}

// The ids of MFC applications exist once afxres.h (or ATL's atlres.h) is
// included; the application's own definitions win; a dialog named after a
// common dialog's template is that template's number.
TEST(ReaderPreprocessor, FrameworkIdsComeWithTheirHeaders) {
  const std::string menu =
      "1 MENU BEGIN POPUP \"&File\" BEGIN\n"
      "  MENUITEM \"&New\", ID_FILE_NEW\n"
      "  MENUITEM \"&Recent\", ID_FILE_MRU_FILE16\n"
      "  MENUITEM \"&About\", ID_APP_ABOUT\n"
      "  MENUITEM \"E&xit\", ID_APP_EXIT\n"
      "  MENUITEM \"&Toolbar\", ID_VIEW_TOOLBAR\n"
      "  MENUITEM \"&Cascade\", ID_WINDOW_CASCADE\n"
      "END END\n"
      "FINDDLGORD DIALOG 0, 0, 10, 10 BEGIN END\n";
  auto ids = [](const model::Model& m) {
    std::vector<int> found;
    for (const model::MenuItem& item : m.menus.at(0).items.at(0).items) {
      found.push_back(item.id.value_or(-1));
    }
    return found;
  };
  model::Model mfc = read("#include \"afxres.h\"\n" + menu);
  EXPECT_EQ(ids(mfc),
            (std::vector<int>{0xE100, 0xE11F, 0xE140, 0xE141, 0xE800, 0xE132}));
  EXPECT_TRUE(mfc.undefined_identifiers.empty());
  ASSERT_EQ(mfc.dialogs.size(), 1u);
  EXPECT_EQ(mfc.dialogs[0].name.text, "FINDDLGORD");
  EXPECT_EQ(mfc.dialogs[0].name.number, 1540u);

  model::Model atl = read(
      "#include <atlres.h>\n#define ID_APP_EXIT 57\n"
      "#ifdef ID_WINDOW_CASCADE\n" +
      menu + "#endif\n");
  EXPECT_EQ(ids(atl),
            (std::vector<int>{0xE100, 0xE11F, 0xE140, 57, 0xE800, 0xE132}));

  model::Model plain = read("#include <windows.h>\n" + menu);
  EXPECT_EQ(ids(plain), (std::vector<int>{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(plain.undefined_identifiers.size(), 6u);
}

TEST(ReaderPreprocessor, RecursionAndSelfIncludesStop) {
  std::string script =
      "#define A A B\n#define B A\n"
      "#define X0 1\n";
  // Each level doubles the expansion: 2^40 tokens unless stopped.
  for (int i = 1; i <= 40; ++i) {
    script += "#define X" + std::to_string(i) + " X" + std::to_string(i - 1) +
              " X" + std::to_string(i - 1) + "\n";
  }
  script +=
      "#include \"main.rc\"\n"
      "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
      "  LTEXT \"a\", A, 0, 0, 1, 1\n"
      "  LTEXT \"b\", X40, 0, 0, 1, 1\n"
      "END\n";
  auto start = std::chrono::steady_clock::now();
  model::Model m = read(script, {{"main.rc", script}});
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(5));
  bool itself = false, expansion = false;
  for (const std::string& w : warnings(m)) {
    itself |= w.find("'main.rc' includes itself") != std::string::npos;
    expansion |= w.find("macro expansion too large") != std::string::npos;
  }
  EXPECT_TRUE(itself);
  EXPECT_TRUE(expansion);
  EXPECT_LT(m.warnings.size(), 1001u);
}

// A header included before every dialog is read as often as it can change
// something, and no more; one that includes another twice, which includes
// another twice, and so on, stops at the includes' budget.
TEST(ReaderPreprocessor, HeadersIncludedAgainAndIncludeBombs) {
  Files files = {
      // Visual C++'s resource.h: #define lines alone, no guard.
      {"resource.h", "// generated\n#define IDC_A 101\n"},
      {"guarded.h",
       "#ifndef GUARDED_H\n#define GUARDED_H\n"
       "#ifdef TWICE\n#define IDC_B 202\n#else\n"
       "#define IDC_B 201\n#define TWICE\n#endif\n#endif\n"},
      // Text after the #endif: no guard, read every time.
      {"open.h",
       "#ifndef OPEN_H\n#define OPEN_H\n#endif\n#undef IDC_C\n"
       "#define IDC_C 301\n"},
  };
  std::string script;
  for (int i = 0; i < 3000; ++i) {
    script += "#include \"resource.h\"\n#include \"guarded.h\"\n";
  }
  script +=
      "#include \"open.h\"\n#undef IDC_C\n#define IDC_C 300\n"
      "#include \"open.h\"\n"
      "#undef IDC_A\n#include \"resource.h\"\n"
      "#undef GUARDED_H\n#include \"guarded.h\"\n"
      "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
      "  LTEXT \"a\", IDC_A, 0, 0, 1, 1\n"
      "  LTEXT \"b\", IDC_B, 0, 0, 1, 1\n"
      "  LTEXT \"c\", IDC_C, 0, 0, 1, 1\n"
      "END\n";
  model::Model m = read(script, files);
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
  ASSERT_EQ(m.dialogs.size(), 1u);
  ASSERT_EQ(m.dialogs[0].controls.size(), 3u);
  EXPECT_EQ(m.dialogs[0].controls[0].id, 101);
  EXPECT_EQ(m.dialogs[0].controls[1].id, 202);
  EXPECT_EQ(m.dialogs[0].controls[2].id, 301);

  // 2^24 includes of a 4 KiB header unless stopped.
  Files bomb = {{"h24.h", std::string(4096, ' ')}};
  for (int i = 0; i < 24; ++i) {
    std::string include = "#include \"h" + std::to_string(i + 1) + ".h\"\n";
    bomb["h" + std::to_string(i) + ".h"] = include + include;
  }
  auto start = std::chrono::steady_clock::now();
  m = read("#include \"h0.h\"\n", bomb);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_FALSE(m.warnings.empty());
  EXPECT_NE(warnings(m)[0].find("includes have read 64 MiB or more"),
            std::string::npos)
      << warnings(m)[0];
}

// A macro call's tokens carry the call's range: an expression that is a
// part of a long call is kept as its own tokens, not as the whole call once
// per expression (the square of the call's length in time and memory).
TEST(ReaderPreprocessor, ExpressionsFromPartsOfALongMacroCall) {
  std::string script =
      "#define I(...) __VA_ARGS__\n"
      "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
      "  LTEXT \"short\", I(7 | 8), 0, 0, 1, 1\n"
      "  I(";
  for (int i = 0; i < 2000; ++i) {
    script += "LTEXT \"a\", " + std::to_string(100 + i) + ", 0, 0, 1, 1 ";
  }
  script += ")\nEND\n";
  model::Model m = read(script, {});
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
  ASSERT_EQ(m.dialogs.size(), 1u);
  const std::vector<model::Control>& controls = m.dialogs[0].controls;
  ASSERT_EQ(controls.size(), 2001u);
  EXPECT_EQ(controls[0].id, 15);
  EXPECT_EQ(controls[0].id_written, "I(7 | 8)");
  std::size_t written = 0;
  for (const model::Control& control : controls) {
    written += control.id_written.size();
  }
  ASSERT_LT(written, 10 * controls.size());  // not the call's 68 KB each
  EXPECT_EQ(controls[1].id_written, "100");
  EXPECT_EQ(controls.back().id_written, "2099");
}

TEST(ReaderPreprocessor, IncludeSearchAndMissingHeaders) {
  ReaderOptions options;
  options.include_dirs = {"inc"};
  Files files = {
      // A C header gives its directives only.
      {"inc/ids.h", "#pragma once\nint not_a_resource;\n#define IDC_X 7\n"},
      {"sub/more.rc",
       "#include \"local.h\"\n2 MENU BEGIN MENUITEM \"m\", "
       "IDC_Y END\n"},
      {"sub/local.h", "#define IDC_Y 8\n"},
  };
  model::Model m = read(
      "#include <windows.h>\n"
      "#include \"missing.h\"\n"
      "#include \"ids.h\"\n"
      "#include \"ids.h\"\n"
      "#include \"sub\\\\more.rc\"\n"
      "#ifdef WS_CHILD\n"
      "1 DIALOG 0, 0, 10, 10 BEGIN LTEXT \"x\", IDC_X, 0, 0, 1, 1 END\n"
      "#endif\n",
      files, options);
  EXPECT_EQ(warnings(m),
            (std::vector<std::string>{"main.rc:2:10: cannot find include file "
                                      "'missing.h'"}));
  ASSERT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(m.dialogs[0].controls[0].id, 7);
  ASSERT_EQ(m.menus.size(), 1u);
  EXPECT_EQ(m.menus[0].items[0].id, 8);
  EXPECT_EQ(m.menus[0].items[0].pos.file(), "sub/more.rc");
}

TEST(ReaderText, CodePagesByPragmaLanguageAndOption) {
  std::string script =
      "STRINGTABLE BEGIN 1 \"\xE9\" END\n"
      "#pragma code_page(932)\n"
      "STRINGTABLE BEGIN 2 \"\x83\x65\x83\x58\x83\x67\" END\n"
      "#pragma code_page(DEFAULT)\n"
      "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
      "STRINGTABLE BEGIN 3 \"\xCF\xF0\xE8\" END\n"
      "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
      "STRINGTABLE BEGIN 4 \"\x83\x65\" L\"\x83\x65\" END\n"
      "#pragma code_page(65001)\n"
      "STRINGTABLE BEGIN 5 \"\xC3\xA9\" END\n";
  model::Model m = read(script);
  ASSERT_EQ(m.strings.size(), 5u);
  EXPECT_EQ(m.strings[0].text, "\xC3\xA9");  // é
  EXPECT_EQ(m.strings[1].text, "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
  EXPECT_EQ(m.strings[2].text, "\xD0\x9F\xD1\x80\xD0\xB8");  // При
  EXPECT_EQ(m.strings[3].text, "\xE3\x83\x86\xE3\x83\x86");
  EXPECT_EQ(m.strings[3].language, 0x411);
  EXPECT_EQ(m.strings[4].text, "\xC3\xA9");
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];

  // The command line's code page is the text's when no pragma says one.
  ReaderOptions cyrillic;
  cyrillic.codepage = 1251;
  EXPECT_EQ(read(script, {}, cyrillic).strings[0].text, "\xD0\xB9");  // й
}

// A file that is valid UTF-8 beyond ASCII is read as UTF-8 where no pragma
// or --codepage says otherwise, whatever its LANGUAGE; a file in a legacy
// code page keeps its LANGUAGE's; a pragma carries into the files included
// after it.
TEST(ReaderText, Utf8FilesAndLegacyCodePages) {
  const std::string general = "\xD0\x9E\xD0\xB1\xD1\x89";  // Общ
  const std::string system = "\xE3\x82\xB7\xE3\x82\xB9";   // シス
  const std::string shalom = "\xD7\xA9\xD7\x9C";           // של
  Files files = {
      {"ru.rc",
       "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
       "STRINGTABLE BEGIN 1 \"" +
           general + "\" END\n"},
      {"ja.rc",
       "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
       "STRINGTABLE BEGIN 2 \"" +
           system + "\" END\n"},
      {"he.rc",
       "LANGUAGE LANG_HEBREW, SUBLANG_DEFAULT\n"
       "STRINGTABLE BEGIN 3 \"" +
           shalom + "\" END\n"},
      {"ru1251.rc",
       "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
       "STRINGTABLE BEGIN 4 \"\xCE\xE1\xF9\" END\n"},
      {"sjis.rc",
       "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
       "STRINGTABLE BEGIN 5 \"\x83\x56\x83\x58\" END\n"},
      {"text.h", "#define TITLE \"" + general + "\"\n"},
  };
  model::Model m = read(
      "#include \"ru.rc\"\n#include \"ja.rc\"\n#include \"he.rc\"\n"
      "#include \"ru1251.rc\"\n#include \"sjis.rc\"\n#include \"text.h\"\n"
      "STRINGTABLE BEGIN 6 TITLE END\n"
      "#pragma code_page(1251)\n#include \"sjis.rc\"\n",
      files);
  ASSERT_EQ(m.strings.size(), 7u);
  EXPECT_EQ(m.strings[0].text, general);
  EXPECT_EQ(m.strings[1].text, system);
  EXPECT_EQ(m.strings[2].text, shalom);
  EXPECT_EQ(m.strings[3].text, general);
  EXPECT_EQ(m.strings[4].text, system);
  // A macro's text is judged by the file that defines it.
  EXPECT_EQ(m.strings[5].text, general);
  // Under the script's pragma the Shift-JIS bytes are Cyrillic letters.
  EXPECT_EQ(m.strings[6].text, "\xD1\x93V\xD1\x93X");  // ѓVѓX
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];

  // The command line's code page is stronger than the guess.
  ReaderOptions cyrillic;
  cyrillic.codepage = 1251;
  EXPECT_EQ(read("#include \"ru.rc\"\n", files, cyrillic).strings[0].text,
            "\xD0\xA0\xD1\x9B\xD0\xA0\xC2\xB1\xD0\xA1\xE2\x80\xB0");  // РћР±С‰
}

TEST(ReaderText, InvalidBytesAndUnicodeFiles) {
  model::Model m = read(
      "#pragma code_page(932)\n"
      "STRINGTABLE BEGIN\n"
      "  1 \"a\x81\x20"
      "b\x82\"\n"
      "  2 \"ok\"\n"
      "END\n");
  ASSERT_EQ(m.strings.size(), 2u);
  EXPECT_EQ(m.strings[0].text, "a\xEF\xBF\xBD b\xEF\xBF\xBD");
  // One warning for the string, however many bad sequences it holds.
  EXPECT_EQ(warnings(m),
            (std::vector<std::string>{
                "main.rc:3:5: text that is not valid in code page 932 "
                "(read as U+FFFD)"}));

  std::string utf16("\xFF\xFE", 2);
  for (char c : std::string("STRINGTABLE BEGIN 1 \"")) {
    utf16 += c;
    utf16 += '\0';
  }
  utf16 += std::string("\x42\x30\"\0 \0E\0N\0D\0", 12);  // あ" END
  model::Model wide = read(utf16);
  ASSERT_EQ(wide.strings.size(), 1u);
  EXPECT_EQ(wide.strings[0].text, "\xE3\x81\x82");
}

// What the compilers cannot check: where a resource's file is found, what
// the MFC strings mean, DLGINIT text in the script's code page, and blocks
// that are read over.
TEST(ReaderResources, FilesStringsAndDialogInit) {
  model::Model m = read(
      "#include \"afxres.h\"\n"
      "IDI_APP ICON \"res\\\\app.ico\"\n"
      "IDB_X BITMAP DISCARDABLE res\\x.bmp\n"
      "1 24 \"app.manifest\"\n"
      "IDR_DATA RCDATA BEGIN 1, 2, \"BEGIN\" END\n"
      "GUIDELINES DESIGNINFO\nBEGIN\n IDD_X, DIALOG\n BEGIN\n"
      "  LEFTMARGIN, 7\n END\nEND\n"
      "1 TEXTINCLUDE\nBEGIN\n \"#include \"\"afxres.h\"\"\\r\\n\"\n "
      "\"\\0\"\nEND\n"
      "STRINGTABLE\nBEGIN\n ID_FILE_NEW \"Create\\nNew\\nmore\"\n"
      " ID_FILE_OPEN \"Open\"\nEND\n"
      "LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT\n"
      "IDD_X DLGINIT\nBEGIN\n 1000, 0x403, 3, 0\n 0xE0CF, \"\\000\"\n"
      " IDC_UNDEFINED, 0x37c, 2, 0, 0x4241\n 0\nEND\n"
      "IDD_X DIALOG DISCARDABLE 0, 0, 10, 10\n{\n}\n",
      {{"include/res/app.ico", ""}, {"res/x.bmp", ""}},
      ReaderOptions{{"include"}, {}, 0, {}});
  ASSERT_EQ(m.files.size(), 3u);
  EXPECT_EQ(m.files[0].file, "res\\\\app.ico");
  EXPECT_EQ(m.files[0].resolved, "include/res/app.ico");
  EXPECT_EQ(m.files[1].type, "BITMAP");
  EXPECT_EQ(m.files[1].file, "res\\x.bmp");
  EXPECT_EQ(m.files[1].resolved, "res/x.bmp");
  EXPECT_EQ(m.files[2].type, "24");
  EXPECT_EQ(m.files[2].resolved, "");
  ASSERT_EQ(m.strings.size(), 2u);
  EXPECT_EQ(m.strings[0].text, "Create\nNew\nmore");
  EXPECT_EQ(m.strings[0].prompt, "Create");
  EXPECT_EQ(m.strings[0].tooltip, "New");
  EXPECT_FALSE(m.strings[1].prompt || m.strings[1].tooltip);
  ASSERT_EQ(m.dialog_inits.size(), 1u);
  ASSERT_EQ(m.dialog_inits[0].entries.size(), 2u);
  // The bytes CF E0 in code page 1251, the language's.
  EXPECT_EQ(m.dialog_inits[0].entries[0].text, "\xD0\x9F\xD0\xB0");
  EXPECT_EQ(m.dialog_inits[0].entries[0].pos.line, 26);
  // A control named by a missing header is 0 and does not end the block.
  EXPECT_EQ(m.dialog_inits[0].entries[1].control_written, "IDC_UNDEFINED");
  EXPECT_FALSE(m.dialog_inits[0].entries[1].text);
  EXPECT_EQ(m.dialog_inits[0].entries[1].data,
            (std::vector<std::uint8_t>{0x41, 0x42}));
  ASSERT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(m.dialogs[0].name.text, "IDD_X");
  EXPECT_EQ(warnings(m),
            (std::vector<std::string>{
                "main.rc:4:6: cannot find 24 file 'app.manifest'"}));
}

// Bad input in every new resource: a warning where it is, and the rest of
// the script still read.
TEST(ReaderResources, MalformedResourcesWarnAndReadingGoesOn) {
  model::Model m = read(
      "1 ACCELERATORS\nBEGIN\n"
      "  VK_NOSUCHKEY, 10, VIRTKEY\n"
      "  \"ab\", 11\n"
      "  , 12\n"
      "  \"^C\", 13\n"
      "END\n"
      "2 TOOLBAR 16\nBEGIN\n BUTTON 1\nEND\n"
      "3 TOOLBAR 16, 15\nBEGIN\n BUTTON 1\n KNOB 2\n BUTTON 3\nEND\n"
      "4 DLGINIT\nBEGIN\n 1000, 0x403, 9, 0, 0x41\nEND\n"
      "5 VERSIONINFO\n FILEVERSION 1, 2\n FILEWHAT 3\nBEGIN\n"
      " BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK \"040904b0\"\n  BEGIN\n"
      "   VALUE \"A\", \"x\"\n   STRAY\n   VALUE \"B\", \"y\"\n  END\n END\n"
      " BLOCK \"VarFileInfo\" BEGIN VALUE \"Translation\", 0x409, 1200 END\n"
      "END\n"
      "6 ICON\n"
      "7 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n");
  ASSERT_EQ(m.accelerators.size(), 1u);
  ASSERT_EQ(m.accelerators[0].entries.size(), 3u);
  EXPECT_EQ(m.accelerators[0].entries[2].key, 3);
  ASSERT_EQ(m.toolbars.size(), 1u);
  EXPECT_EQ(m.toolbars[0].buttons.size(), 2u);
  ASSERT_EQ(m.dialog_inits.size(), 1u);
  EXPECT_TRUE(m.dialog_inits[0].entries.empty());
  ASSERT_EQ(m.versions.size(), 1u);
  ASSERT_EQ(m.versions[0].string_tables.size(), 1u);
  EXPECT_EQ(m.versions[0].string_tables[0].values.size(), 2u);
  EXPECT_EQ(m.versions[0].translations.size(), 1u);
  EXPECT_EQ(m.versions[0].file_version[0], 0x10002u);
  EXPECT_EQ(m.dialogs.size(), 1u);
  EXPECT_EQ(warnings(m),
            (std::vector<std::string>{
                "main.rc:3:3: unknown key 'VK_NOSUCHKEY'",
                "main.rc:4:3: an accelerator's key must be one character or "
                "^ and a letter",
                "main.rc:5:3: expected an accelerator's key, found ','",
                "main.rc:8:13: expected the buttons' height before the end "
                "of the line",
                "main.rc:15:2: expected BUTTON or SEPARATOR, found 'KNOB'",
                "main.rc:20:2: DLGINIT entry for control 1000 longer than "
                "its data",
                "main.rc:24:2: unknown VERSIONINFO statement, found "
                "'FILEWHAT'",
                "main.rc:31:4: expected BLOCK or VALUE, found 'STRAY'",
                "main.rc:37:7: expected the file of the ICON before the end "
                "of the line"}));
}

TEST(ReaderMenus, MenuOptionsAndMenuexNumbers) {
  model::Model m = read(
      "#include <windows.h>\n"
      "1 MENU\nBEGIN\n"
      "  POPUP \"&File\"\n  BEGIN\n"
      "    MENUITEM \"&Open\\tCtrl+O\", 10, CHECKED GRAYED\n"
      "    MENUITEM SEPARATOR\n"
      "    MENUITEM \"E&xit\", 11, MENUBARBREAK, HELP\n"
      "  END\nEND\n"
      "2 MENUEX\nBEGIN\n"
      "  POPUP \"&Edit\", 20, MFT_STRING, MFS_ENABLED, 99\n  BEGIN\n"
      "    MENUITEM \"&Undo\", 21, MFT_RADIOCHECK, MFS_CHECKED | MFS_GRAYED\n"
      "    MENUITEM \"\", , MFT_SEPARATOR\n"
      "    MENUITEM SEPARATOR\n"
      "  END\nEND\n");
  ASSERT_EQ(m.menus.size(), 2u);
  const model::MenuItem& file = m.menus[0].items.at(0);
  EXPECT_EQ(file.type, model::MenuItem::Type::Popup);
  EXPECT_FALSE(file.id);
  ASSERT_EQ(file.items.size(), 3u);
  EXPECT_EQ(file.items[0].text, "&Open\tCtrl+O");
  EXPECT_EQ(file.items[0].flags,
            (std::vector<std::string>{"CHECKED", "GRAYED"}));
  EXPECT_EQ(file.items[1].type, model::MenuItem::Type::Separator);
  EXPECT_EQ(file.items[1].id, 0);
  EXPECT_EQ(file.items[2].flags,
            (std::vector<std::string>{"MENUBARBREAK", "HELP"}));
  const model::MenuItem& edit = m.menus[1].items.at(0);
  EXPECT_EQ(edit.id, 20);
  EXPECT_EQ(edit.helpid, 99u);
  ASSERT_EQ(edit.items.size(), 3u);
  EXPECT_EQ(edit.items[0].mftype, 0x200u);
  EXPECT_EQ(edit.items[0].mfstate, 0xBu);
  EXPECT_EQ(edit.items[1].type, model::MenuItem::Type::Separator);
  EXPECT_EQ(edit.items[1].mftype, 0x800u);
  EXPECT_EQ(edit.items[2].mftype, 0x800u);
  EXPECT_TRUE(m.warnings.empty()) << warnings(m)[0];
}

TEST(ReaderDiagnostics, BadStatementIsSkippedAndReadingGoesOn) {
  model::Model m = read(
      "1 DIALOG 0, 0, 10, 10\nBEGIN\n"
      "  LTEXT \"a\", 1, 0, 0\n"
      "  LTEXT \"b\", 2, 0, 0, 1, 1\n"
      "  WIDGET \"c\", 3\n"
      "END\n"
      "3 DIALOG 0, 0, 10, 10\nCAPTION \"lost\"\nPLACE 1\nBEGIN\nEND\n"
      "2 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n");
  ASSERT_EQ(m.dialogs.size(), 2u);
  ASSERT_EQ(m.dialogs[0].controls.size(), 1u);
  EXPECT_EQ(m.dialogs[0].controls[0].id, 2);
  // The caption of the dialog that could not be read is not the next's.
  EXPECT_EQ(m.dialogs[1].style.value, 0x80880000u);
  EXPECT_EQ(warnings(m),
            (std::vector<std::string>{
                "main.rc:3:21: expected width before the end of the line",
                "main.rc:5:3: unknown control statement "
                "'WIDGET'",
                "main.rc:9:1: unknown dialog statement, found 'PLACE'"}));
}

// With the preprocessor on a thread of its own, the parser sees the same
// tokens and the model holds the same warnings in the same order: the
// preprocessor's and the parser's interleaved, in a main file and a header,
// past the cap on warnings, and with MFC's ids known from the afxres.h
// that defines them on.
TEST(ReaderPipeline, SameModelOnOneThreadAndTwo) {
  std::string script =
      "#define CTL(n, t) LTEXT t, n, 0, 0, 10, 10\n"
      "#include \"part.h\"\n";
  for (int i = 0; i < 400; ++i) {
    std::string n = std::to_string(i);
    script += n + " DIALOG 0, 0, 10, 10\nBEGIN\n  CTL(" + n + ", \"a\")\n" +
              "#bogus " + n + "\n  WIDGET 1\n  LTEXT \"open, 2, 0, 0, 1, 1\n" +
              "  PUSHBUTTON \"b\", IDC_UNDEFINED_" + n + ", 1, 2, 3, 4\n" +
              "END\n#include \"missing" + n + ".h\"\n" +
              "#include \"part.h\"\n" + n +
              " MENU BEGIN MENUITEM \"&New\", ID_FILE_NEW END\n";
    if (i == 200) {
      script += "#include \"afxres.h\"\n";
    }
  }
  Files files = {{"part.h", "#define PART 1\n#warning_not_known\n"}};
  ReaderOptions one, two;
  one.threads = 1;
  two.threads = 2;
  model::Model by_one = read(script, files, one);
  model::Model by_two = read(script, files, two);
  ASSERT_EQ(by_one.warnings.size(), 1000u);
  EXPECT_EQ(by_one.menus.at(200).items.at(0).id, 0);
  EXPECT_EQ(by_one.menus.at(201).items.at(0).id, 0xE100);
  // Compared whole, shown from where they part (a diff of two models this
  // size takes gtest a minute).
  std::string a = model::to_json(by_one), b = model::to_json(by_two);
  auto [at, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  auto from = static_cast<std::size_t>(at - a.begin());
  EXPECT_EQ(a.size(), b.size());
  EXPECT_EQ(a.substr(from, 200), b.substr(from, 200)) << "at byte " << from;

  // What the preprocessor's thread throws (a loader's error, out of
  // memory) reaches the caller as on one thread, not a model cut short.
  two.loader = [](const std::string&, std::string&, std::string&) -> bool {
    throw std::runtime_error("loader failed");
  };
  EXPECT_THROW(read_resource_text("main.rc", script, two), std::runtime_error);
}

}  // namespace
}  // namespace dlgforge::port
