#include "port/reader/parser.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "port/reader/reader.h"
#include "port/reader/text_decoding.h"
#include "port/reader/windows_constants.h"

namespace dlgforge::port {
namespace {

constexpr std::uint32_t kChildVisible = 0x50000000;  // WS_CHILD|WS_VISIBLE
constexpr std::uint32_t kDefaultDialogStyle =
    0x80880000;                                      // WS_POPUP|
                                                     // WS_BORDER|WS_SYSMENU
constexpr std::uint32_t kCaptionStyle = 0x00C00000;  // WS_CAPTION
constexpr std::uint32_t kSetFontStyle = 0x40;        // DS_SETFONT
constexpr std::uint32_t kSeparatorType = 0x800;      // MFT_SEPARATOR
constexpr int kMaxMenuDepth = 32;
constexpr int kMaxExpressionDepth = 256;

enum class ControlForm {
  Text,     // KEYWORD text, id, x, y, cx, cy [, style [, exstyle [, help]]]
  NoText,   // KEYWORD id, x, y, cx, cy [, style [, exstyle [, help]]]
  Icon,     // ICON text, id, x, y [, cx, cy [, style [, exstyle [, help]]]]
  Generic,  // CONTROL text, id, class, style, x, y, cx, cy [, exstyle
            // [, help]]
};

struct ControlKeyword {
  std::string_view keyword;
  std::string_view class_name;
  std::uint32_t style;  // besides WS_CHILD|WS_VISIBLE
  ControlForm form;
};

// The default style of each keyword as the resource compiler gives it
// (where its documentation differs, as for RADIOBUTTON, AUTORADIOBUTTON
// and COMBOBOX, the compiler is followed).
constexpr ControlKeyword kControls[] = {
    {"CONTROL", "", 0, ControlForm::Generic},
    {"LTEXT", "Static", 0x00020000, ControlForm::Text},  // SS_LEFT|WS_GROUP
    {"RTEXT", "Static", 0x00020002, ControlForm::Text},
    {"CTEXT", "Static", 0x00020001, ControlForm::Text},
    {"PUSHBUTTON", "Button", 0x00010000, ControlForm::Text},  // |WS_TABSTOP
    {"DEFPUSHBUTTON", "Button", 0x00010001, ControlForm::Text},
    {"PUSHBOX", "Button", 0x0001000A, ControlForm::Text},
    {"CHECKBOX", "Button", 0x00010002, ControlForm::Text},
    {"AUTOCHECKBOX", "Button", 0x00010003, ControlForm::Text},
    {"STATE3", "Button", 0x00010005, ControlForm::Text},
    {"AUTO3STATE", "Button", 0x00010006, ControlForm::Text},
    {"RADIOBUTTON", "Button", 0x00000004, ControlForm::Text},
    {"AUTORADIOBUTTON", "Button", 0x00000009, ControlForm::Text},
    {"GROUPBOX", "Button", 0x00000007, ControlForm::Text},
    {"ICON", "Static", 0x00000003, ControlForm::Icon},  // SS_ICON
    // ES_LEFT|WS_BORDER|WS_TABSTOP
    {"EDITTEXT", "Edit", 0x00810000, ControlForm::NoText},
    {"BEDIT", "BEdit", 0x00810000, ControlForm::NoText},
    {"HEDIT", "HEdit", 0x00810000, ControlForm::NoText},
    {"IEDIT", "IEdit", 0x00810000, ControlForm::NoText},
    {"LISTBOX", "ListBox", 0x00800001, ControlForm::NoText},  // LBS_NOTIFY|
                                                              // WS_BORDER
    {"COMBOBOX", "ComboBox", 0, ControlForm::NoText},
    {"SCROLLBAR", "ScrollBar", 0, ControlForm::NoText},  // SBS_HORZ
};

// The predefined classes as a compiled template names them, by the
// ordinal it stores for each.
constexpr std::string_view kPredefinedClasses[] = {
    "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};

constexpr std::string_view kMemoryOptions[] = {
    "DISCARDABLE", "MOVEABLE", "PURE",   "PRELOAD",   "LOADONCALL",
    "FIXED",       "IMPURE",   "SHARED", "NONSHARED", "NONDISCARDABLE"};

constexpr std::string_view kMenuOptions[] = {
    "CHECKED", "GRAYED", "HELP", "INACTIVE", "MENUBARBREAK", "MENUBREAK"};

bool same_word(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) {
      return false;
    }
  }
  return true;
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    }
  }
  return result;
}

template <std::size_t N>
bool is_one_of(std::string_view word, const std::string_view (&list)[N]) {
  return std::any_of(std::begin(list), std::end(list),
                     [&](std::string_view k) { return same_word(word, k); });
}

constexpr bool no_underscore_in_keywords() {
  for (const ControlKeyword& control : kControls) {
    if (control.keyword.find('_') != std::string_view::npos) {
      return false;
    }
  }
  return true;
}
static_assert(no_underscore_in_keywords(),
              "Parser::is_keyword passes over words with an underscore");

const ControlKeyword* find_control(std::string_view word) {
  for (const ControlKeyword& control : kControls) {
    if (same_word(word, control.keyword)) {
      return &control;
    }
  }
  return nullptr;
}

// A number of a resource statement: decimal, 0x hex or, with a leading 0,
// octal (as both compilers read "010" as 8), with an optional L or U
// suffix.
std::optional<std::uint32_t> rc_number(std::string_view text) {
  while (!text.empty() && (text.back() == 'L' || text.back() == 'l' ||
                           text.back() == 'U' || text.back() == 'u')) {
    text.remove_suffix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    if (digit >= base) {
      return std::nullopt;
    }
    value = value * static_cast<std::uint32_t>(base) +
            static_cast<std::uint32_t>(digit);
  }
  return value;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// A value of a resource expression. `NOT x` gives no bits but a mask of
// bits to clear: from what was combined before it and from the keyword's
// default style.
struct Value {
  std::uint32_t bits = 0;
  std::uint32_t cleared = 0;
};

struct Expression {
  bool ok = false;
  Value value;
  Token first, last;
};

class Parser {
 public:
  Parser(Preprocessor& preprocessor, const ReaderOptions& options,
         model::Model& model)
      : pp_(preprocessor), options_(options), model_(model) {}

  void run() {
    while (peek().kind != TokenKind::End) {
      statement();
    }
  }

 private:
  // The token stream, with lookahead. A `#pragma code_page` marker is
  // taken here, in stream order, and stamped on the strings that follow.
  const Token& peek(std::size_t n = 0) {
    // The parser looks at the next token many times for each one it takes:
    // that case skips the deque's size and index arithmetic.
    if (n == 0 && !ahead_.empty()) {
      return ahead_.front();
    }
    while (ahead_.size() <= n) {
      Token token = pp_.next();
      while (token.kind == TokenKind::CodePage) {
        pragma_codepage_ = token.codepage;
        token = pp_.next();
      }
      if (token.kind == TokenKind::String) {
        token.codepage = pragma_codepage_;
      }
      ahead_.push_back(token);
      if (token.kind == TokenKind::End) {
        while (ahead_.size() <= n) {
          ahead_.push_back(token);
        }
      }
    }
    return ahead_[n];
  }

  Token take() {
    Token token = peek();
    if (token.kind != TokenKind::End) {
      ahead_.pop_front();
    }
    last_ = token;
    return token;
  }

  bool at_word(std::string_view word, std::size_t n = 0) {
    const Token& token = peek(n);
    return token.kind == TokenKind::Identifier && same_word(token.text, word);
  }

  bool accept_punct(std::string_view punct) {
    if (peek().is(punct)) {
      take();
      return true;
    }
    return false;
  }

  bool at_begin() { return peek().is("{") || at_word("BEGIN"); }
  bool at_end() { return peek().is("}") || at_word("END"); }

  static model::SourcePos position(const Preprocessor& pp, const Token& at) {
    model::SourcePos pos;
    pos.file = pp.file(at.file).name;
    pos.line = static_cast<int>(at.line);
    pos.column = static_cast<int>(at.column);
    return pos;
  }

  // Skips to the first token of the next line (the rest of a statement
  // that cannot be read).
  void skip_line(const Token& from) {
    while (peek().kind != TokenKind::End &&
           !(peek().line_start && peek().line != from.line) &&
           !(peek().line_start && peek().file != from.file)) {
      take();
    }
  }

  // Skips a BEGIN ... END block, nested ones included; the BEGIN is next.
  void skip_block() {
    int depth = 0;
    do {
      if (at_begin()) {
        ++depth;
      } else if (at_end()) {
        --depth;
      }
      take();
    } while (depth > 0 && peek().kind != TokenKind::End);
  }

  // ---- text ----

  // The code page of a string: a byte-order mark, the `#pragma code_page`
  // in force (which carries into included files, as with the resource
  // compiler), the command line's, UTF-8 for a file that is valid UTF-8,
  // the LANGUAGE's, 1252.
  unsigned codepage_for(const Token& token) {
    const SourceFile& file = pp_.spelling_file(token);
    if (file.unicode) {
      return 65001;
    }
    if (token.codepage != 0) {
      return token.codepage;
    }
    // A code page given on the command line is the user's knowledge of
    // the file, stronger than the guess from its language.
    if (options_.codepage != 0) {
      return options_.codepage;
    }
    // Text in a legacy code page is valid UTF-8 by chance only for very
    // short runs: a whole file that is, and holds more than ASCII, was
    // saved as UTF-8 (by a modern editor, or to be built after a pragma
    // 65001 in the script that includes it).
    if (file.utf8) {
      return 65001;
    }
    unsigned by_language =
        codepage_of_language(language_ & 0x3FF, language_ >> 10);
    if (by_language != 0) {
      return by_language;
    }
    return 1252;
  }

  // The UTF-8 text of a string literal: `""` is a quote, the compiler's
  // backslash escapes are read, and the rest is converted from the code
  // page in force. In an L"" string an escape gives a UTF-16 unit; in a
  // narrow one it gives a byte of the code page.
  void append_literal(const Token& token, std::string& out, bool& invalid) {
    std::string_view text = token.text;
    bool wide = text[0] == 'L' || text[0] == 'l';
    text.remove_prefix(wide ? 2 : 1);
    if (!token.unterminated && !text.empty()) {
      text.remove_suffix(1);
    }
    unsigned codepage = codepage_for(token);
    std::string bytes;
    char16_t high_surrogate = 0;
    auto flush = [&] {
      if (!bytes.empty()) {
        invalid |= decoder_.decode(bytes, codepage, out);
        bytes.clear();
      }
    };
    auto unit = [&](std::uint32_t value) {
      if (!wide) {
        bytes += static_cast<char>(value & 0xFF);
        return;
      }
      flush();
      value &= 0xFFFF;
      if (value >= 0xD800 && value < 0xDC00) {
        high_surrogate = static_cast<char16_t>(value);
        return;
      }
      if (value >= 0xDC00 && value < 0xE000 && high_surrogate != 0) {
        append_utf8(out, 0x10000 + ((high_surrogate - 0xD800) << 10) +
                             (value - 0xDC00));
      } else {
        append_utf8(out, value);
      }
      high_surrogate = 0;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        bytes += '"';
        ++i;
        continue;
      }
      if (c != '\\' || i + 1 >= text.size()) {
        bytes += c;
        continue;
      }
      if (text[i + 1] == '\n') {
        ++i;  // a line continuation
        continue;
      }
      if (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n') {
        i += 2;
        continue;
      }
      char e = text[++i];
      switch (e) {
      case 'n':
        unit('\n');
        continue;
      case 't':
        unit('\t');
        continue;
      case 'r':
        unit('\r');
        continue;
      case 'a':
        unit('\b');
        continue;  // the compiler's \a is a backspace
      case '\\':
        unit('\\');
        continue;
      case '"':
        unit('"');
        continue;
      default:
        break;
      }
      if (e >= '0' && e <= '7') {
        std::uint32_t value = 0;
        std::size_t k = i;
        for (; k < text.size() && k < i + 3 && text[k] >= '0' && text[k] <= '7';
             ++k) {
          value = value * 8 + static_cast<std::uint32_t>(text[k] - '0');
        }
        i = k - 1;
        unit(value);
        continue;
      }
      if (e == 'x' || e == 'X') {
        std::size_t max_digits = wide ? 4 : 2;
        std::uint32_t value = 0;
        std::size_t k = i + 1;
        for (; k < text.size() && k < i + 1 + max_digits &&
               hex_digit(text[k]) >= 0;
             ++k) {
          value = value * 16 + static_cast<std::uint32_t>(hex_digit(text[k]));
        }
        if (k == i + 1) {
          bytes += '\\';
          bytes += e;
          continue;
        }
        i = k - 1;
        unit(value);
        continue;
      }
      // An unknown escape stays as written.
      bytes += '\\';
      bytes += e;
    }
    flush();
  }

  // A string: one literal or several written next to each other. Dialog
  // and menu templates store their texts NUL-terminated, so such a text
  // ends at its first NUL (`"a\0b"` is "a"); a string table's entries are
  // counted and keep theirs.
  enum class Nul { EndsText, Kept };
  std::optional<std::string> string_value(Nul nul = Nul::EndsText) {
    if (peek().kind != TokenKind::String) {
      return std::nullopt;
    }
    std::string out;
    bool invalid = false;
    Token first = peek();
    while (peek().kind == TokenKind::String) {
      append_literal(take(), out, invalid);
    }
    if (nul == Nul::EndsText) {
      out.erase(std::min(out.find('\0'), out.size()));
    }
    if (invalid) {
      pp_.warn(first, "text that is not valid in code page " +
                          std::to_string(codepage_for(first)) +
                          " (read as U+FFFD)");
    }
    return out;
  }

  // ---- expressions ----

  void note_undefined(std::string_view name) {
    std::string key(name);
    if (undefined_seen_.insert(key).second) {
      model_.undefined_identifiers.push_back(std::move(key));
    }
  }

  bool starts_operand(const Token& token) {
    return token.kind == TokenKind::Number ||
           (token.kind == TokenKind::Identifier && !is_keyword(token)) ||
           token.is("(") || token.is("-") || token.is("~") || token.is("+") ||
           (token.kind == TokenKind::Identifier &&
            same_word(token.text, "NOT"));
  }

  // Words that end an expression rather than being a name in it.
  bool is_keyword(const Token& token) {
    std::string_view w = token.text;
    // No keyword holds an underscore, and most names in expressions do
    // (WS_CHILD, IDC_NAME): those are told apart without comparing them
    // with every keyword.
    if (w.find('_') != std::string_view::npos) {
      return false;
    }
    return same_word(w, "NOT") || same_word(w, "BEGIN") ||
           same_word(w, "END") || find_control(w) != nullptr ||
           is_header_word(token) || same_word(w, "MENUITEM") ||
           same_word(w, "POPUP");
  }

  std::optional<Value> factor(int depth) {
    if (depth > kMaxExpressionDepth) {
      return std::nullopt;
    }
    const Token& token = peek();
    if (token.is("(")) {
      take();
      std::optional<Value> value = sum(depth + 1);
      if (!value || !accept_punct(")")) {
        return std::nullopt;
      }
      return value;
    }
    if (token.is("-") || token.is("~") || token.is("+")) {
      Token op = take();
      std::optional<Value> value = factor(depth + 1);
      if (!value) {
        return std::nullopt;
      }
      if (op.is("-"))
        value->bits = 0u - value->bits;
      if (op.is("~"))
        value->bits = ~value->bits;
      return value;
    }
    if (token.kind == TokenKind::Identifier && same_word(token.text, "NOT")) {
      take();
      std::optional<Value> value = factor(depth + 1);
      if (!value) {
        return std::nullopt;
      }
      return Value{0, value->bits};
    }
    if (token.kind == TokenKind::Number) {
      std::optional<std::uint32_t> number = rc_number(take().text);
      if (!number) {
        return std::nullopt;
      }
      return Value{*number, 0};
    }
    if (token.kind == TokenKind::Identifier && !is_keyword(token)) {
      Token name = take();
      if (std::optional<std::uint32_t> value = pp_.constant(name.text)) {
        return Value{*value, 0};
      }
      note_undefined(name.text);
      return Value{0, 0};
    }
    return std::nullopt;
  }

  std::optional<Value> product(int depth) {
    std::optional<Value> left = factor(depth);
    while (left && (peek().is("*") || peek().is("/"))) {
      Token op = take();
      std::optional<Value> right = factor(depth);
      if (!right) {
        return std::nullopt;
      }
      if (op.is("*")) {
        left->bits *= right->bits;
      } else if (right->bits == 0) {
        pp_.warn(op, "division by zero, taken as 0");
        left->bits = 0;
      } else {
        left->bits = static_cast<std::uint32_t>(
            static_cast<std::int32_t>(left->bits) /
            (static_cast<std::int32_t>(right->bits) == -1
                 ? 1
                 : static_cast<std::int32_t>(right->bits)));
      }
    }
    return left;
  }

  // `+ - | &` are one level, read left to right, as the compiler does.
  std::optional<Value> sum(int depth) {
    std::optional<Value> left = product(depth);
    while (left && (peek().is("+") || peek().is("-") || peek().is("|") ||
                    peek().is("&"))) {
      Token op = take();
      std::optional<Value> right = product(depth);
      if (!right) {
        return std::nullopt;
      }
      std::uint32_t kept = left->bits & ~right->cleared;
      if (op.is("+"))
        left->bits = kept + right->bits;
      if (op.is("-"))
        left->bits = kept - right->bits;
      if (op.is("|"))
        left->bits = kept | right->bits;
      if (op.is("&"))
        left->bits = kept & right->bits;
      left->cleared |= right->cleared;
    }
    return left;
  }

  Expression expression() {
    Expression result;
    result.first = peek();
    if (!starts_operand(result.first)) {
      return result;
    }
    std::optional<Value> value = sum(0);
    result.last = last_;
    if (value) {
      result.ok = true;
      result.value = *value;
    }
    return result;
  }

  std::string written(const Expression& e) {
    return pp_.written(e.first, e.last);
  }

  // An expression that must be there; warns at `what` when it is not.
  std::optional<std::uint32_t> number(std::string_view what) {
    Expression e = expression();
    if (!e.ok) {
      fail(e.first, "expected " + std::string(what));
      return std::nullopt;
    }
    return e.value.bits;
  }

  // One warning per statement: the first problem found. When the statement
  // stops short at the end of its line, the warning points there rather
  // than at the next line's statement.
  void fail(const Token& at, std::string message) {
    if (failed_) {
      return;
    }
    failed_ = true;
    bool ended = at.kind == TokenKind::End ||
                 (at.line_start && last_.kind != TokenKind::End &&
                  (at.line != last_.line || at.file != last_.file));
    if (ended && last_.kind != TokenKind::End && last_.line != 0) {
      Token end = last_;
      if (end.expansion == 0) {
        end.column += end.end - end.begin;
      }
      message += at.kind == TokenKind::End ? " before the end of the file"
                                           : " before the end of the line";
      pp_.warn(end, std::move(message));
      return;
    }
    message += ", found ";
    if (at.kind == TokenKind::End) {
      message += "the end of the file";
    } else {
      message += '\'';
      message.append(at.text.substr(0, 40));
      message += '\'';
    }
    pp_.warn(at, std::move(message));
  }

  // ", expression": a field that follows a comma (commas are optional
  // between numbers, as the compiler reads them).
  std::optional<std::uint32_t> next_field(std::string_view what) {
    if (!accept_punct(",") && peek().line_start && peek().line != last_.line) {
      fail(peek(), "expected " + std::string(what));
      return std::nullopt;
    }
    return number(what);
  }

  // ---- names ----

  // A resource name, menu name or ordinal text: a string, a number or an
  // expression (an ordinal), or a name.
  model::NameOrOrdinal name_or_ordinal() {
    model::NameOrOrdinal name;
    const Token& token = peek();
    if (token.kind == TokenKind::String) {
      name.text = string_value().value_or("");
      return name;
    }
    bool expression_follows = peek(1).is("+") || peek(1).is("-") ||
                              peek(1).is("|") || peek(1).is("*") ||
                              peek(1).is("/") || peek(1).is("&");
    if (token.kind == TokenKind::Identifier && !expression_follows &&
        !pp_.constant(token.text)) {
      name.text = std::string(take().text);
      return name;
    }
    Expression e = expression();
    if (!e.ok) {
      fail(e.first, "expected a name or number");
      return name;
    }
    name.text = written(e);
    name.number = e.value.bits & 0xFFFF;
    return name;
  }

  // ---- statements ----

  void statement() {
    failed_ = false;
    Token first = peek();
    if (at_word("LANGUAGE")) {
      take();
      language_ = language_statement();
      top_language_ = language_;
      end_statement(first);
      return;
    }
    if (at_word("STRINGTABLE")) {
      take();
      string_table();
      return;
    }
    if (at_word("VERSION") || at_word("CHARACTERISTICS")) {
      take();
      number("a number");
      end_statement(first);
      return;
    }
    if (first.kind == TokenKind::Punct && !first.is("(") && !first.is("-")) {
      fail(first, "expected a resource");
      take();
      skip_line(first);
      return;
    }
    model::NameOrOrdinal name = name_or_ordinal();
    if (failed_) {
      skip_line(first);
      return;
    }
    const Token& type = peek();
    if (type.kind == TokenKind::End) {
      fail(type, "resource '" + name.text + "' without a type");
      return;
    }
    language_ = top_language_;
    if (at_word("DIALOG") || at_word("DIALOGEX")) {
      dialog(std::move(name), first);
    } else if (at_word("MENU") || at_word("MENUEX")) {
      menu(std::move(name), first);
    } else {
      skip_resource();
    }
    language_ = top_language_;
  }

  // After a one-line statement: anything else on its line is not read.
  void end_statement(const Token& first) {
    if (failed_) {
      skip_line(first);
    }
  }

  std::uint16_t language_statement() {
    std::optional<std::uint32_t> primary = number("a language");
    if (!primary) {
      return language_;
    }
    std::optional<std::uint32_t> sub = next_field("a sublanguage");
    if (!sub) {
      return language_;
    }
    return static_cast<std::uint16_t>((*primary & 0x3FF) | (*sub << 10));
  }

  void memory_options() {
    while (peek().kind == TokenKind::Identifier &&
           is_one_of(peek().text, kMemoryOptions)) {
      take();
    }
  }

  // A resource that the model does not hold: a block, or a file name that
  // ends its line. VERSIONINFO and TOOLBAR have statements before their
  // block; other types with a file name have it on the type's line.
  void skip_resource() {
    Token type = take();
    bool header_statements = same_word(type.text, "VERSIONINFO") ||
                             same_word(type.text, "TOOLBAR") ||
                             same_word(type.text, "ACCELERATORS") ||
                             same_word(type.text, "DLGINIT") ||
                             same_word(type.text, "DESIGNINFO");
    for (;;) {
      const Token& token = peek();
      if (token.kind == TokenKind::End) {
        return;
      }
      if (at_begin()) {
        skip_block();
        return;
      }
      if (token.kind == TokenKind::Identifier &&
          (is_one_of(token.text, kMemoryOptions) ||
           same_word(token.text, "LANGUAGE") ||
           same_word(token.text, "CHARACTERISTICS") ||
           same_word(token.text, "VERSION"))) {
        Token option = take();
        if (!is_one_of(option.text, kMemoryOptions)) {
          skip_line(option);
        }
        continue;
      }
      if (header_statements) {
        take();
        continue;
      }
      // A file name, quoted or not, and the rest of its line.
      Token name = take();
      skip_line(name);
      return;
    }
  }

  // ---- dialogs ----

  void dialog(model::NameOrOrdinal name, const Token& first) {
    model::Dialog d;
    d.name = std::move(name);
    d.pos = position(pp_, first);
    d.kind = upper(take().text);
    memory_options();
    std::optional<std::uint32_t> x = number("the dialog's x");
    std::optional<std::uint32_t> y = x ? next_field("y") : std::nullopt;
    std::optional<std::uint32_t> cx = y ? next_field("width") : std::nullopt;
    std::optional<std::uint32_t> cy = cx ? next_field("height") : std::nullopt;
    if (!cy) {
      recover_resource();
      return;
    }
    d.x = static_cast<std::int16_t>(*x);
    d.y = static_cast<std::int16_t>(*y);
    d.cx = static_cast<std::int16_t>(*cx);
    d.cy = static_cast<std::int16_t>(*cy);
    if (peek().is(",")) {
      std::optional<std::uint32_t> help = next_field("a help ID");
      d.helpid = help.value_or(0);
    }
    bool style_given = false;
    bool caption_given = false;  // `CAPTION ""` counts too
    while (!at_begin() && peek().kind != TokenKind::End && !failed_) {
      dialog_option(d, style_given, caption_given);
    }
    if (!at_begin()) {
      fail(peek(), "expected BEGIN of the dialog's controls");
      recover_resource();
      return;
    }
    d.language = language_;
    if (!style_given) {
      d.style.value = kDefaultDialogStyle;
    }
    // A caption gives the dialog a title bar and a font its DS_SETFONT, as
    // the compiled template stores them.
    if (caption_given) {
      d.style.value |= kCaptionStyle;
    }
    if (d.font) {
      d.style.value |= kSetFontStyle;
    }
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      failed_ = false;
      control(d);
    }
    if (peek().kind == TokenKind::End) {
      failed_ = false;
      fail(peek(), "dialog without END");
    } else {
      take();
    }
    model_.dialogs.push_back(std::move(d));
  }

  // After a bad resource header: its block, if one comes, is read over.
  void recover_resource() {
    Token from = last_;
    while (peek().kind != TokenKind::End && !at_begin()) {
      const Token& token = peek();
      if (token.line_start && token.line != from.line &&
          !is_header_word(token)) {
        return;
      }
      take();
    }
    if (at_begin()) {
      skip_block();
    }
  }

  bool is_header_word(const Token& token) {
    static constexpr std::string_view kWords[] = {
        "STYLE", "EXSTYLE",  "CAPTION",         "CLASS",  "MENU",
        "FONT",  "LANGUAGE", "CHARACTERISTICS", "VERSION"};
    return token.kind == TokenKind::Identifier && is_one_of(token.text, kWords);
  }

  void dialog_option(model::Dialog& d, bool& style_given, bool& caption_given) {
    Token word = take();
    std::string_view w = word.text;
    if (same_word(w, "STYLE") || same_word(w, "EXSTYLE")) {
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected a style after " + upper(w));
        return;
      }
      model::Flags& flags = same_word(w, "STYLE") ? d.style : d.exstyle;
      flags.value = e.value.bits;
      flags.written = written(e);
      style_given |= same_word(w, "STYLE");
    } else if (same_word(w, "CAPTION")) {
      std::optional<std::string> text = string_value();
      if (!text) {
        fail(peek(), "expected the caption's text");
        return;
      }
      d.caption = std::move(*text);
      caption_given = true;
    } else if (same_word(w, "CLASS")) {
      d.class_name = name_or_ordinal();
    } else if (same_word(w, "MENU")) {
      d.menu = name_or_ordinal();
    } else if (same_word(w, "FONT")) {
      font(d);
    } else if (same_word(w, "LANGUAGE")) {
      language_ = language_statement();
    } else if (same_word(w, "CHARACTERISTICS") || same_word(w, "VERSION")) {
      number("a number");
    } else {
      fail(word, "unknown dialog statement");
    }
  }

  void font(model::Dialog& d) {
    model::Font font;
    std::optional<std::uint32_t> size = number("the font's size");
    if (!size) {
      return;
    }
    font.size = static_cast<std::uint16_t>(*size);
    accept_punct(",");
    std::optional<std::string> face = string_value();
    if (!face) {
      fail(peek(), "expected the font's face");
      return;
    }
    font.face = std::move(*face);
    if (peek().is(",")) {
      font.weight =
          static_cast<std::uint16_t>(next_field("a weight").value_or(0));
    }
    if (peek().is(",")) {
      font.italic = (next_field("italic").value_or(0) & 0xFF) != 0;
    }
    if (peek().is(",")) {
      font.charset =
          static_cast<std::uint8_t>(next_field("a charset").value_or(1));
    }
    d.font = std::move(font);
  }

  // Text or ordinal of a control.
  model::NameOrOrdinal control_text() {
    if (peek().kind == TokenKind::String) {
      model::NameOrOrdinal text;
      text.text = string_value().value_or("");
      return text;
    }
    return name_or_ordinal();
  }

  static std::string class_of(std::string_view written_class) {
    for (std::string_view known : kPredefinedClasses) {
      if (same_word(written_class, known)) {
        return std::string(known);
      }
    }
    return std::string(written_class);
  }

  void control_class(model::Control& c) {
    const Token& token = peek();
    if (token.kind == TokenKind::String) {
      c.class_name = class_of(string_value().value_or(""));
      return;
    }
    if (token.kind == TokenKind::Identifier) {
      if (std::optional<std::string_view> known =
              windows_class_name(token.text)) {
        take();
        c.class_name = class_of(*known);
        return;
      }
      // A name without a definition is the class's name, as for a
      // resource name.
      if (peek(1).is(",") && !pp_.constant(token.text)) {
        c.class_name = class_of(take().text);
        return;
      }
    }
    Expression e = expression();
    if (!e.ok) {
      fail(e.first, "expected the control's class");
      return;
    }
    std::uint32_t ordinal = e.value.bits & 0xFFFF;
    if (ordinal >= 0x80 && ordinal <= 0x85) {
      c.class_name = std::string(kPredefinedClasses[ordinal - 0x80]);
    } else {
      c.class_name = written(e);
    }
  }

  void control(model::Dialog& d) {
    Token first = peek();
    const ControlKeyword* keyword = first.kind == TokenKind::Identifier
                                        ? find_control(first.text)
                                        : nullptr;
    if (keyword == nullptr) {
      failed_ = true;
      pp_.warn(first, "unknown control statement '" +
                          std::string(first.text.substr(0, 40)) + "'");
      take();
      skip_line(first);
      return;
    }
    take();
    model::Control c;
    c.keyword = std::string(keyword->keyword);
    c.class_name = std::string(keyword->class_name);
    c.pos = position(pp_, first);
    std::uint32_t default_style = kChildVisible | keyword->style;
    bool ok = control_fields(*keyword, c, d.kind == "DIALOGEX", default_style);
    if (!ok) {
      skip_line(first);
      return;
    }
    if (at_begin()) {
      control_data(c);
    }
    d.controls.push_back(std::move(c));
  }

  // Reads the fields after the keyword, in the keyword's form.
  bool control_fields(const ControlKeyword& keyword, model::Control& c, bool ex,
                      std::uint32_t default_style) {
    if (keyword.form != ControlForm::NoText) {
      c.text = control_text();
      if (failed_) {
        return false;
      }
      accept_punct(",");
    }
    Expression id = expression();
    if (!id.ok) {
      fail(id.first, "expected the control's id");
      return false;
    }
    c.id_written = written(id);
    c.id = ex ? static_cast<std::int32_t>(id.value.bits)
              : static_cast<std::int32_t>(id.value.bits & 0xFFFF);
    Value style{0, 0};
    if (keyword.form == ControlForm::Generic) {
      accept_punct(",");
      control_class(c);
      if (failed_) {
        return false;
      }
      accept_punct(",");
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected the control's style");
        return false;
      }
      style = e.value;
      c.style.written = written(e);
    }
    std::optional<std::uint32_t> rect[4];
    int required = keyword.form == ControlForm::Icon ? 2 : 4;
    for (int i = 0; i < 4; ++i) {
      if (i >= required && !peek().is(",")) {
        break;
      }
      rect[i] = next_field(i == 0   ? "x"
                           : i == 1 ? "y"
                           : i == 2 ? "width"
                                    : "height");
      if (!rect[i]) {
        return false;
      }
    }
    c.x = static_cast<std::int16_t>(rect[0].value_or(0));
    c.y = static_cast<std::int16_t>(rect[1].value_or(0));
    c.cx = static_cast<std::int16_t>(rect[2].value_or(0));
    c.cy = static_cast<std::int16_t>(rect[3].value_or(0));
    if (keyword.form != ControlForm::Generic && peek().is(",")) {
      take();
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected the control's style");
        return false;
      }
      style = e.value;
      c.style.written = written(e);
    }
    c.style.value = (default_style & ~style.cleared) | style.bits;
    if (peek().is(",")) {
      take();
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected the control's extended style");
        return false;
      }
      c.exstyle.value = e.value.bits & ~e.value.cleared;
      c.exstyle.written = written(e);
    }
    if (peek().is(",")) {
      std::optional<std::uint32_t> help = next_field("a help ID");
      if (!help) {
        return false;
      }
      c.helpid = *help;
    }
    return true;
  }

  // A DIALOGEX control's data: numbers (a word each, a double word with an
  // L suffix) and strings.
  void control_data(model::Control& c) {
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      if (accept_punct(",")) {
        continue;
      }
      if (peek().kind == TokenKind::String) {
        bool wide = peek().text[0] == 'L' || peek().text[0] == 'l';
        std::string text = string_value().value_or("");
        if (!wide) {
          c.data.insert(c.data.end(), text.begin(), text.end());
          continue;
        }
        std::u16string units;
        for (std::size_t i = 0; i < text.size();) {
          unsigned char b = static_cast<unsigned char>(text[i]);
          std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
          char32_t cp = n == 1 ? b : b & (0xFF >> (n + 1));
          for (std::size_t k = 1; k < n && i + k < text.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
          }
          i += n;
          if (cp >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
          } else {
            units += static_cast<char16_t>(cp);
          }
        }
        for (char16_t u : units) {
          c.data.push_back(static_cast<std::uint8_t>(u & 0xFF));
          c.data.push_back(static_cast<std::uint8_t>(u >> 8));
        }
        continue;
      }
      Token first = peek();
      Expression e = expression();
      if (!e.ok) {
        fail(first, "expected data");
        take();
        continue;
      }
      bool long_value =
          e.first.kind == TokenKind::Number &&
          (e.first.text.back() == 'L' || e.first.text.back() == 'l');
      int bytes = long_value ? 4 : 2;
      for (int i = 0; i < bytes; ++i) {
        c.data.push_back(static_cast<std::uint8_t>(e.value.bits >> (8 * i)));
      }
    }
    if (at_end()) {
      take();
    }
  }

  // ---- menus ----

  void menu(model::NameOrOrdinal name, const Token& first) {
    model::Menu m;
    m.name = std::move(name);
    m.pos = position(pp_, first);
    m.kind = upper(take().text);
    memory_options();
    while (!at_begin() && peek().kind != TokenKind::End && !failed_) {
      Token word = take();
      if (same_word(word.text, "LANGUAGE")) {
        language_ = language_statement();
      } else if (same_word(word.text, "CHARACTERISTICS") ||
                 same_word(word.text, "VERSION")) {
        number("a number");
      } else {
        fail(word, "expected BEGIN of the menu");
      }
    }
    if (!at_begin()) {
      fail(peek(), "expected BEGIN of the menu");
      recover_resource();
      return;
    }
    m.language = language_;
    menu_items(m.items, m.kind == "MENUEX", 0);
    model_.menus.push_back(std::move(m));
  }

  // A BEGIN ... END block of menu items; BEGIN is next.
  void menu_items(std::vector<model::MenuItem>& items, bool ex, int depth) {
    if (depth > kMaxMenuDepth) {
      pp_.warn(peek(), "popups nested more than " +
                           std::to_string(kMaxMenuDepth) + " deep; not read");
      skip_block();
      return;
    }
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      failed_ = false;
      Token first = peek();
      if (at_word("MENUITEM") || at_word("POPUP")) {
        bool popup = at_word("POPUP");
        take();
        model::MenuItem item;
        item.pos = position(pp_, first);
        if (popup) {
          item.type = model::MenuItem::Type::Popup;
        }
        bool ok = ex ? menuex_item(item) : menu_item(item);
        if (!ok) {
          skip_line(first);
          continue;
        }
        if (popup) {
          if (!at_begin()) {
            fail(peek(), "expected BEGIN of the popup's items");
            skip_line(first);
            continue;
          }
          menu_items(item.items, ex, depth + 1);
        }
        items.push_back(std::move(item));
        continue;
      }
      fail(first, "expected MENUITEM or POPUP");
      take();
      skip_line(first);
    }
    if (at_end()) {
      take();
    } else {
      failed_ = false;
      fail(peek(), "menu without END");
    }
  }

  bool menu_item(model::MenuItem& item) {
    if (item.type == model::MenuItem::Type::Item && at_word("SEPARATOR")) {
      take();
      item.type = model::MenuItem::Type::Separator;
      item.id = 0;
      return true;
    }
    std::optional<std::string> text = string_value();
    if (!text) {
      fail(peek(), "expected the item's text");
      return false;
    }
    item.text = std::move(*text);
    if (item.type == model::MenuItem::Type::Item) {
      accept_punct(",");
      Expression id = expression();
      if (!id.ok) {
        fail(id.first, "expected the item's id");
        return false;
      }
      item.id = static_cast<std::int32_t>(id.value.bits & 0xFFFF);
      item.id_written = written(id);
    }
    // Options, with or without commas between them.
    for (;;) {
      std::size_t n = peek().is(",") ? 1 : 0;
      const Token& option = peek(n);
      if (option.kind != TokenKind::Identifier ||
          !is_one_of(option.text, kMenuOptions)) {
        break;
      }
      if (n == 1) {
        take();
      }
      item.flags.push_back(upper(take().text));
    }
    return true;
  }

  // MENUEX: text [, id [, type [, state [, help ID]]]], any field empty.
  bool menuex_item(model::MenuItem& item) {
    if (item.type == model::MenuItem::Type::Item && at_word("SEPARATOR")) {
      take();
      item.type = model::MenuItem::Type::Separator;
      item.id = 0;
      item.mftype = kSeparatorType;
      return true;
    }
    std::optional<std::string> text = string_value();
    if (!text) {
      fail(peek(), "expected the item's text");
      return false;
    }
    item.text = std::move(*text);
    item.id = 0;
    int fields = item.type == model::MenuItem::Type::Popup ? 4 : 3;
    for (int i = 0; i < fields && peek().is(","); ++i) {
      take();
      if (peek().is(",") || !starts_operand(peek())) {
        continue;
      }
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected a number");
        return false;
      }
      std::uint32_t value = e.value.bits;
      if (i == 0) {
        item.id = static_cast<std::int32_t>(value);
        item.id_written = written(e);
      } else if (i == 1) {
        item.mftype = value;
      } else if (i == 2) {
        item.mfstate = value;
      } else {
        item.helpid = value;
      }
    }
    if (item.type == model::MenuItem::Type::Item &&
        (item.mftype & kSeparatorType) != 0) {
      item.type = model::MenuItem::Type::Separator;
    }
    return true;
  }

  // ---- string tables ----

  void string_table() {
    language_ = top_language_;
    memory_options();
    while (!at_begin() && peek().kind != TokenKind::End && !failed_) {
      Token word = take();
      if (same_word(word.text, "LANGUAGE")) {
        language_ = language_statement();
      } else if (same_word(word.text, "CHARACTERISTICS") ||
                 same_word(word.text, "VERSION")) {
        number("a number");
      } else {
        fail(word, "expected BEGIN of the string table");
      }
    }
    if (!at_begin()) {
      fail(peek(), "expected BEGIN of the string table");
      recover_resource();
      language_ = top_language_;
      return;
    }
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      failed_ = false;
      Token entry_first = peek();
      Expression id = expression();
      if (!id.ok) {
        fail(id.first, "expected a string's id");
        take();
        skip_line(entry_first);
        continue;
      }
      accept_punct(",");
      std::optional<std::string> text = string_value(Nul::Kept);
      if (!text) {
        fail(peek(), "expected the string's text");
        skip_line(entry_first);
        continue;
      }
      model::StringEntry entry;
      entry.id = id.value.bits & 0xFFFF;
      entry.id_written = written(id);
      entry.text = std::move(*text);
      entry.language = language_;
      entry.pos = position(pp_, entry_first);
      model_.strings.push_back(std::move(entry));
    }
    if (at_end()) {
      take();
    }
    language_ = top_language_;
  }

  Preprocessor& pp_;
  const ReaderOptions& options_;
  model::Model& model_;
  CodePageDecoder decoder_;
  std::deque<Token> ahead_;
  Token last_;
  std::uint16_t pragma_codepage_ = 0;
  std::uint16_t language_ = 0;      // in force for the current statement
  std::uint16_t top_language_ = 0;  // set by a LANGUAGE statement
  bool failed_ = false;
  std::unordered_set<std::string> undefined_seen_;
};

}  // namespace

void parse_script(Preprocessor& preprocessor, const ReaderOptions& options,
                  model::Model& model) {
  Parser(preprocessor, options, model).run();
}

}  // namespace dlgforge::port
