// Every kind of bad input a user can point the converter at: odd paths,
// degenerate files, binary data, encodings, very large scripts and
// statements cut at every field. None may crash or hang; where the rules
// give an output, the output is exactly theirs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <thread>

#include "e2e/binary_fixture.h"
#include "linux/font_measurer.h"
#include "platform/unicode_source.h"
#include "support.h"

namespace dlgforge {
namespace {

// The document the binary must print: the same conversion in-process, with
// the real measurer at the resolution used without a display.
std::string expected_document(std::string_view script) {
  FontconfigMeasurer measurer(96);
  return testing::convert_bytes(script, measurer);
}

const std::string kEmptyDocument = testing::convert("");

constexpr std::string_view kDialogScript =
    "IDD_MAIN DIALOGEX 0, 0, 186, 95\r\n"
    "CAPTION \"Main\"\r\n"
    "FONT 8, \"MS Shell Dlg\"\r\n"
    "BEGIN\r\n"
    "    DEFPUSHBUTTON \"OK\",IDOK,129,7,50,14\r\n"
    "END\r\n";

using BadInput = Binary;

TEST_F(BadInput, OddPaths) {
  fs::create_directories(dir_ / "my dir");
  fs::path odd =
      write("my dir/\xE3\x83\x80\xE3\x82\xA4 \xE9 it's.rc", kDialogScript);
  CommandRun r = run({odd.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(kDialogScript));
  EXPECT_EQ(r.err, "");

  r = run({"/dev/null"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kEmptyDocument);

  fs::path script = write("script.rc", kDialogScript);
  CommandSetup from_stdin;
  from_stdin.stdin_path = script.string();
  r = run({"/dev/stdin"}, from_stdin);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(kDialogScript));
}

TEST_F(BadInput, Fifo) {
  fs::path fifo = dir_ / "pipe.rc";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer(
      [&fifo] { std::ofstream(fifo, std::ios::binary) << kDialogScript; });
  CommandRun r = run({fifo.string()});
  writer.join();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(kDialogScript));
}

TEST_F(BadInput, DegenerateFiles) {
  for (std::string_view bytes :
       {std::string_view(""), std::string_view("\n\n\n\n"),
        std::string_view("\r\r\r\r"), std::string_view("\x1a\x1a\x1a"),
        std::string_view("\0\0\0\n\0", 5)}) {
    fs::path script = write("degenerate.rc", bytes);
    CommandRun r = run({script.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kEmptyDocument);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(BadInput, RandomBinaryData) {
  std::mt19937 random(12345);
  std::string bytes;
  for (int i = 0; i < (1 << 20); ++i) {
    bytes.push_back(static_cast<char>(random()));
  }
  // Some words the converter reacts to, sprinkled in the noise.
  for (std::string_view word :
       {" DIALOG ", "\nBEGIN\n", " MENU\n", "POPUP ", "CONTROL ", "END"}) {
    for (size_t at = 1000; at < bytes.size(); at += 7919) {
      bytes.replace(at, word.size(), word);
    }
  }
  fs::path script = write("random.rc", bytes);
  CommandRun r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(bytes));
}

TEST_F(BadInput, NulBytesAndEncodings) {
  // A NUL ends a line's text: the menu header is cut before its keyword,
  // and the control's text ends before its junk.
  std::string nul_script(
      "IDR_A\0 MENU\n"
      "IDR_B MENU\0 junk\nBEGIN\n  MENUITEM \"x\", IDM_X\0, "
      "MFT_SEPARATOR\nEND\n",
      77);
  EXPECT_EQ(testing::scan(nul_script).sections.menu_code,
            "' menu\nb = gtk_menu_bar_new()\n"
            "mX = gtk_menu_item_new_with_mnemonic(\"x\")\n"
            "gtk_container_add(GTK_CONTAINER(b), mX)\n"
            "g_signal_connect(G_OBJECT(mX), \"activate\", "
            "G_CALLBACK(@mX_activate), NULL)\n");

  // Shift-JIS and CP1252 labels pass through byte for byte.
  std::string labels =
      "IDR_M MENU\r\nBEGIN\r\n"
      "  MENUITEM \"\x83\x74\x83\x40\x83\x43\x83\x8B(&F)\", IDM_FILE\r\n"
      "  MENUITEM \"Caf\xE9 \x80\x9F\", IDM_CAFE\r\n"
      "END\r\n";
  fs::path script = write("labels.rc", labels);
  CommandRun r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("mFile = gtk_menu_item_new_with_mnemonic(\"\x83\x74\x83"
                       "\x40\x83\x43\x83\x8B(&F)\")\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("mCafe = gtk_menu_item_new_with_mnemonic(\"Caf\xE9 "
                       "\x80\x9F\")\n"),
            std::string::npos);
  EXPECT_EQ(r.out, testing::convert(labels));

  // UTF-16 cut at an odd byte: the last byte becomes U+FFFD.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string_view("IDR_M MENU\r\nBEGIN\r\nEND\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  utf16 += 'x';
  script = write("cut.rc", utf16);
  r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            testing::convert("IDR_M MENU\r\nBEGIN\r\nEND\r\n\xEF\xBF\xBD"));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_F(BadInput, VeryLargeScripts) {
  // A 10 MB line: 255-byte pieces, no header among them.
  fs::path script = write("line.rc", std::string(10 << 20, 'x') + " MENU\n");
  CommandRun r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, testing::convert(std::string(10 << 20, 'x') + " MENU\n"));

  // 100,000 dialogs: the show call names the last one.
  std::string dialogs;
  for (int i = 0; i < 100000; ++i) {
    dialogs += "IDD_D" + std::to_string(i) +
               " DIALOG 0, 0, 40, 40\nFONT 8, \"MS Shell Dlg\"\nBEGIN\nEND\n\n";
  }
  script = write("dialogs.rc", dialogs);
  r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(dialogs));
  EXPECT_NE(r.out.find("gtk_widget_show_all(d99999)\n"), std::string::npos);

  // 100,000 controls in one dialog and 100,000 nested POPUPs.
  std::string controls = "IDD_BIG DIALOG 0, 0, 400, 400\nBEGIN\n";
  for (int i = 0; i < 100000; ++i) {
    controls +=
        "    AUTORADIOBUTTON \"r\",IDC_R" + std::to_string(i) + ",1,2,3,4\n";
  }
  controls += "END\n\nIDR_DEEP MENU\nBEGIN\n";
  for (int i = 0; i < 100000; ++i) {
    controls += "POPUP \"p\"\nBEGIN\n";
  }
  for (int i = 0; i <= 100000; ++i) {
    controls += "END\n";
  }
  script = write("controls.rc", controls);
  r = run({script.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected_document(controls));

  // A 100 MB script: memory stays proportional to the document.
  std::string block;
  for (int i = 0; i < 40; ++i) {
    block += "    LTEXT \"Label\", IDC_L" + std::to_string(i) +
             ", 7, 7, 100, 8\n    // a comment that pads the script out\n";
  }
  std::string unit = "IDD_X DIALOG 0, 0, 100, 100\nBEGIN\n" + block + "END\n\n";
  {
    std::ofstream out(dir_ / "huge.rc", std::ios::binary);
    for (size_t written = 0; written < (100u << 20); written += unit.size()) {
      out << unit;
    }
  }
  // GNU time measures the converter's own peak memory: a child forked from
  // this test process would otherwise count the test's memory as its own.
  fs::path huge_out = dir_ / "huge.bas";
  fs::path peak = dir_ / "peak";
  CommandSetup timed;
  timed.stdout_path = huge_out.string();
  timed.wrapper = {"/usr/bin/time", "-f", "%M", "-o", peak.string()};
  r = run({(dir_ / "huge.rc").string()}, timed);
  ASSERT_EQ(r.status, 0) << r.err;
  long long document = static_cast<long long>(fs::file_size(huge_out));
  EXPECT_GT(document, 100 << 20);
  if (!kSanitized) {
    // The program is kept as records, smaller than the script, and printed
    // as it is made: memory follows the script, not the document.
    long long peak_bytes = std::stoll(testing::file_content(peak)) * 1024;
    long long script = static_cast<long long>(fs::file_size(dir_ / "huge.rc"));
    EXPECT_LE(peak_bytes, script + (32LL << 20));
  }
}

// A dialog and a menu cut after every byte: no prefix may crash, and the
// converter must go on to read the lines after a cut statement.
TEST(CutStatements, EveryPrefixConverts) {
  std::string full =
      "IDD_A DIALOGEX 0, 0, 186, 95\n"
      "CAPTION \"A\"\n"
      "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n"
      "MENU IDR_M\n"
      "BEGIN\n"
      "  CONTROL \"t\", IDC_T, \"button\", BS_AUTOCHECKBOX, 1, 2, 3, 4, 0\n"
      "  LTEXT \"l\", IDC_L, 1, 2, 3, 4, SS_LEFT\n"
      "END\n\n"
      "IDR_M MENUEX\nBEGIN\n  POPUP \"p\", 5\n  BEGIN\n"
      "    MENUITEM \"i\", IDM_I, MFT_STRING\n  END\nEND\n";
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    std::string prefix = full.substr(0, cut);
    std::string document = testing::convert(prefix);
    EXPECT_TRUE(document.starts_with("#include \"gtk/gtk.bi\"\n\n")) << cut;
  }
}

TEST(CutStatements, ControlStatementsCutAtEveryField) {
  auto controls = [](std::string_view statement) {
    auto scanned = testing::scan("IDD_A DIALOG 0,0,4,8\nBEGIN\n" +
                                 std::string(statement) + "\nEND\n");
    std::string code = scanned.sections.dialog_code;
    size_t begin = code.find("'Controls\n") + 10;
    return code.substr(
        begin, code.find("gtk_container_add(GTK_CONTAINER(vbox)") - begin);
  };
  EXPECT_EQ(controls("EDITTEXT"), "");
  EXPECT_EQ(controls("EDITTEXT IDC_E"), "");
  EXPECT_EQ(controls("EDITTEXT ,,,,"), "");
  EXPECT_EQ(controls("CONTROL \"t\", IDC_T, \"button\""), "");
  EXPECT_EQ(controls("EDITTEXT IDC_E,"),
            "gtk_widget_set_size_request(e, 0, 0)\n"
            "gtk_fixed_put(GTK_FIXED(fixed), e, 0, 0)\n");
  EXPECT_EQ(controls("EDITTEXT IDC_E, 5"),
            "gtk_widget_set_size_request(e, 0, 0)\n"
            "gtk_fixed_put(GTK_FIXED(fixed), e, 7, 0)\n");
  EXPECT_EQ(controls("EDITTEXT IDC_E, 5, 8, 4, 8, , , ,"),
            "gtk_widget_set_size_request(e, 6, 13)\n"
            "gtk_fixed_put(GTK_FIXED(fixed), e, 7, 13)\n");
  EXPECT_EQ(controls("PUSHBUTTON \"p\", IDC_P,"),
            "p = gtk_button_new_with_label(\"p\")\n"
            "g_signal_connect(G_OBJECT(p), \"clicked\", "
            "G_CALLBACK(@p_clicked), a)\n"
            "child_set_font(p, font_desc)\n"
            "gtk_widget_set_size_request(p, 0, 0)\n"
            "gtk_fixed_put(GTK_FIXED(fixed), p, 0, 0)\n");
}

TEST(CutStatements, DialogHeadersCutAtEveryField) {
  auto size_line = [](std::string_view header) {
    auto scanned = testing::scan("IDD_P DIALOG 0, 0, 40, 80\nBEGIN\nEND\n\n" +
                                 std::string(header) + "\nBEGIN\nEND\n");
    const std::string& code = scanned.sections.dialog_code;
    size_t at = code.rfind("gtk_widget_set_size_request(");
    return code.substr(at, code.find('\n', at) - at);
  };
  EXPECT_EQ(size_line("IDD_A DIALOG"),
            "gtk_widget_set_size_request(a, 60, 130)");
  EXPECT_EQ(size_line("IDD_A DIALOG 1"),
            "gtk_widget_set_size_request(a, 60, 130)");
  EXPECT_EQ(size_line("IDD_A DIALOG 1, 2, 8"),
            "gtk_widget_set_size_request(a, 12, 130)");
  EXPECT_EQ(size_line("IDD_A DIALOG 1, 2, 8, 16,,,"),
            "gtk_widget_set_size_request(a, 12, 26)");
  EXPECT_EQ(size_line("IDD_A DIALOG ,,,,"),
            "gtk_widget_set_size_request(a, 60, 130)");
}

}  // namespace
}  // namespace dlgforge
