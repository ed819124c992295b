#include "port/reader/parser.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "port/reader/reader.h"
#include "port/reader/text_decoding.h"
#include "port/reader/token_pipeline.h"
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

// The names used without a definition, each kept once. A script whose
// header is missing uses each of its ids again and again (millions of
// times in a large one), so the table is flat: hashes and offsets in one
// array, the names' bytes in one buffer. A table of nodes spread over the
// heap cost a cache miss or two at every use.
class UndefinedNames {
 public:
  /// Keeps `name`; false when it was kept already.
  bool add(std::string_view name) {
    if (2 * (count_ + 1) > slots_.size()) {
      grow();
    }
    std::size_t hash = std::hash<std::string_view>{}(name);
    Slot& slot = find(name, hash);
    if (slot.length != kEmpty) {
      return false;
    }
    slot = {hash, static_cast<std::uint32_t>(bytes_.size()),
            static_cast<std::uint32_t>(name.size())};
    bytes_.append(name);
    ++count_;
    return true;
  }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  struct Slot {
    std::size_t hash = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = kEmpty;
  };

  Slot& find(std::string_view name, std::size_t hash) {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.length == kEmpty ||
          (slot.hash == hash &&
           std::string_view(bytes_).substr(slot.offset, slot.length) == name)) {
        return slot;
      }
    }
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
    std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.length == kEmpty) {
        continue;
      }
      std::size_t i = slot.hash & mask;
      while (slots_[i].length != kEmpty) {
        i = (i + 1) & mask;
      }
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
  std::string bytes_;
};

// Moves what `read` holds into `kept`, in a vector of exactly its size.
template <typename T>
void keep_exactly(std::vector<T>& read, std::vector<T>& kept) {
  kept.reserve(read.size());
  for (T& item : read) {
    kept.push_back(std::move(item));
  }
  read.clear();
}

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
  Parser(Preprocessor& preprocessor, TokenPipeline* pipeline,
         const ReaderOptions& options, model::Model& model)
      : pp_(preprocessor),
        pipeline_(pipeline),
        options_(options),
        model_(model) {}

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
    // that case is one comparison.
    if (n == 0 && ahead_count_ != 0) {
      return ahead_[ahead_first_];
    }
    while (ahead_count_ <= n) {
      // Read into its place in the ring: a token changed in one place and
      // then copied whole to another makes the processor wait for the
      // small write to reach the cache before the large read.
      Token& token = ahead_[(ahead_first_ + ahead_count_) % kAhead];
      token = next_token();
      while (token.kind == TokenKind::CodePage) {
        pragma_codepage_ = token.codepage;
        token = next_token();
      }
      if (token.kind == TokenKind::String) {
        token.codepage = pragma_codepage_;
      }
      ++ahead_count_;
      if (token.kind == TokenKind::End) {
        while (ahead_count_ <= n) {
          ahead_[(ahead_first_ + ahead_count_) % kAhead] = token;
          ++ahead_count_;
        }
      }
    }
    return ahead_[(ahead_first_ + n) % kAhead];
  }

  Token next_token() { return pipeline_ ? pipeline_->next() : pp_.next(); }

  // The token taken stays the parser's last one until the next take: a
  // caller that keeps it past that copies it.
  const Token& take() {
    last_ = peek();
    if (last_.kind != TokenKind::End) {
      ahead_first_ = (ahead_first_ + 1) % kAhead;
      --ahead_count_;
    }
    return last_;
  }

  bool at_word(std::string_view word, std::size_t n = 0) {
    const Token& token = peek(n);
    return token.kind == TokenKind::Identifier && same_word(token.text, word);
  }

  bool accept_punct(char punct) {
    if (peek().is(punct)) {
      take();
      return true;
    }
    return false;
  }

  bool at_begin() { return peek().is('{') || at_word("BEGIN"); }
  bool at_end() { return peek().is('}') || at_word("END"); }

  static model::SourcePos position(const Preprocessor& pp, const Token& at) {
    model::SourcePos pos;
    pos.file_name = pp.file(at.file).shared_name;
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
  void append_literal(const Token& token, std::string& out, bool& invalid,
                      bool keep_bytes = false) {
    std::string_view text = token.text;
    bool wide = text[0] == 'L' || text[0] == 'l';
    text.remove_prefix(wide ? 2 : 1);
    if (!token.unterminated && !text.empty()) {
      text.remove_suffix(1);
    }
    unsigned codepage = codepage_for(token);
    // Most texts are plain ASCII without a quote or a backslash: those are
    // their own UTF-8 in every code page but UTF-16's.
    bool plain =
        CodePageDecoder::keeps_ascii(codepage) &&
        std::all_of(text.begin(), text.end(), [](char c) {
          return c != '"' && c != '\\' && static_cast<unsigned char>(c) < 0x80;
        });
    if (plain) {
      out.append(text);
      return;
    }
    std::string bytes;
    char16_t high_surrogate = 0;
    auto flush = [&] {
      if (keep_bytes) {
        out += bytes;
        bytes.clear();
      } else if (!bytes.empty()) {
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
      // A run of characters with no quote or escape in it, taken whole.
      std::size_t run = i;
      while (run < text.size() && text[run] != '"' && text[run] != '\\') {
        ++run;
      }
      if (run > i) {
        bytes.append(text.substr(i, run - i));
        i = run - 1;
        continue;
      }
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
    if (undefined_seen_.add(name)) {
      model_.undefined_identifiers.emplace_back(name);
    }
  }

  bool starts_operand(const Token& token) {
    return token.kind == TokenKind::Number ||
           (token.kind == TokenKind::Identifier && !is_keyword(token)) ||
           token.is('(') || token.is('-') || token.is('~') || token.is('+') ||
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
    if (token.is('(')) {
      take();
      std::optional<Value> value = sum(depth + 1);
      if (!value || !accept_punct(')')) {
        return std::nullopt;
      }
      return value;
    }
    if (token.is('-') || token.is('~') || token.is('+')) {
      Token op = take();
      std::optional<Value> value = factor(depth + 1);
      if (!value) {
        return std::nullopt;
      }
      if (op.is('-'))
        value->bits = 0u - value->bits;
      if (op.is('~'))
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
      if (std::optional<std::uint32_t> value = pp_.constant(name)) {
        return Value{*value, 0};
      }
      note_undefined(name.text);
      return Value{0, 0};
    }
    return std::nullopt;
  }

  std::optional<Value> product(int depth) {
    std::optional<Value> left = factor(depth);
    while (left && (peek().is('*') || peek().is('/'))) {
      Token op = take();
      std::optional<Value> right = factor(depth);
      if (!right) {
        return std::nullopt;
      }
      if (op.is('*')) {
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
    while (left && (peek().is('+') || peek().is('-') || peek().is('|') ||
                    peek().is('&'))) {
      Token op = take();
      std::optional<Value> right = product(depth);
      if (!right) {
        return std::nullopt;
      }
      std::uint32_t kept = left->bits & ~right->cleared;
      if (op.is('+'))
        left->bits = kept + right->bits;
      if (op.is('-'))
        left->bits = kept - right->bits;
      if (op.is('|'))
        left->bits = kept | right->bits;
      if (op.is('&'))
        left->bits = kept & right->bits;
      left->cleared |= right->cleared;
    }
    return left;
  }

  static bool is_operator(const Token& token) {
    return token.kind == TokenKind::Punct && token.text.size() == 1 &&
           (token.text[0] == '+' || token.text[0] == '-' ||
            token.text[0] == '|' || token.text[0] == '&' ||
            token.text[0] == '*' || token.text[0] == '/');
  }

  Expression expression() {
    Expression result;
    result.first = peek();
    if (!starts_operand(result.first)) {
      return result;
    }
    // Most fields are one number or one name: read without the levels of
    // operators, with the value the factor would give.
    bool single = (result.first.kind == TokenKind::Number ||
                   (result.first.kind == TokenKind::Identifier &&
                    !same_word(result.first.text, "NOT"))) &&
                  !is_operator(peek(1));
    std::optional<Value> value = single ? factor(0) : sum(0);
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

  // A warning at the token that starts an entry of a block, which is not
  // what the block holds.
  void unexpected(const Token& at, std::string_view expected) {
    failed_ = true;
    pp_.warn(at, "expected " + std::string(expected) + ", found '" +
                     std::string(at.text.substr(0, 40)) + "'");
  }

  // ", expression": a field that follows a comma (commas are optional
  // between numbers, as the compiler reads them).
  std::optional<std::uint32_t> next_field(std::string_view what) {
    if (!accept_punct(',') && peek().line_start && peek().line != last_.line) {
      fail(peek(), "expected " + std::string(what));
      return std::nullopt;
    }
    return number(what);
  }

  // A 16-bit command id (of a menu item, an accelerator, a toolbar button)
  // and its spelling; warns at `what` when there is none.
  bool command_id(std::string_view what, std::int32_t& id,
                  std::string& spelled) {
    Expression e = expression();
    if (!e.ok) {
      fail(e.first, "expected " + std::string(what));
      return false;
    }
    id = static_cast<std::int32_t>(e.value.bits & 0xFFFF);
    spelled = written(e);
    return true;
  }

  // The next option word, with or without a comma before it, when `known`
  // takes it; the comma and word are then read.
  template <typename Known>
  std::optional<Token> option_word(Known known) {
    std::size_t n = peek().is(',') ? 1 : 0;
    const Token& option = peek(n);
    if (option.kind != TokenKind::Identifier || !known(option.text)) {
      return std::nullopt;
    }
    if (n == 1) {
      take();
    }
    return take();
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
    bool expression_follows = peek(1).is('+') || peek(1).is('-') ||
                              peek(1).is('|') || peek(1).is('*') ||
                              peek(1).is('/') || peek(1).is('&');
    if (token.kind == TokenKind::Identifier && !expression_follows &&
        !pp_.constant(token)) {
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
    if (first.kind == TokenKind::Punct && !first.is('(') && !first.is('-')) {
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
    } else if (at_word("ACCELERATORS")) {
      accelerators(std::move(name), first);
    } else if (at_word("TOOLBAR")) {
      toolbar(std::move(name), first);
    } else if (at_word("DLGINIT")) {
      dialog_init(std::move(name), first);
    } else if (at_word("VERSIONINFO")) {
      version_info(std::move(name), first);
    } else {
      skip_resource(name, first);
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

  // Any other resource: a block, which the model does not hold, or a file
  // name that ends the type's line, which it does (ICON, BITMAP, CURSOR,
  // PNG, RCDATA, ...).
  void skip_resource(model::NameOrOrdinal& name, const Token& first) {
    Token type = take();
    bool header_statements = same_word(type.text, "DESIGNINFO");
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
      file_resource(name, first, type);
      return;
    }
  }

  // The file name of a resource, quoted or not, to the end of its line.
  void file_resource(model::NameOrOrdinal& name, const Token& first,
                     const Token& type) {
    static constexpr std::string_view kFileTypes[] = {
        "ICON",   "BITMAP", "CURSOR",       "FONT",      "PNG",
        "RCDATA", "HTML",   "MESSAGETABLE", "ANICURSOR", "ANIICON"};
    bool known_type =
        type.kind == TokenKind::Identifier && is_one_of(type.text, kFileTypes);
    if (peek().line_start &&
        (peek().line != last_.line || peek().file != last_.file)) {
      if (known_type) {
        fail(peek(), "expected the file of the " + upper(type.text));
      }
      return;
    }
    // What follows a resource name and type on their line is a file name,
    // quoted or not (res\app.ico); anything else is a statement that was
    // not understood, read over as before.
    Token start = take();
    bool quoted = start.kind == TokenKind::String;
    model::FileResource r;
    if (quoted) {
      // The name as written: escapes are not read in a file name (the
      // doubled backslashes of generated scripts are separators twice).
      std::string_view text = start.text;
      text.remove_prefix(text[0] == 'L' || text[0] == 'l' ? 2 : 1);
      if (!start.unterminated && !text.empty()) {
        text.remove_suffix(1);
      }
      r.file = std::string(text);
    }
    bool file_name = (type.kind == TokenKind::Identifier ||
                      type.kind == TokenKind::Number) &&
                     (quoted || start.kind == TokenKind::Identifier ||
                      start.kind == TokenKind::Number || start.is('.') ||
                      start.is('\\') || start.is('/'));
    if (!quoted) {
      r.file = std::string(start.text);
    }
    while (peek().kind != TokenKind::End &&
           !(peek().line_start &&
             (peek().line != start.line || peek().file != start.file))) {
      Token part = take();
      bool name_part = part.kind == TokenKind::Identifier ||
                       part.kind == TokenKind::Number || part.is('.') ||
                       part.is('\\') || part.is('/') || part.is(':') ||
                       part.is('-');
      file_name &= !quoted && name_part;
      r.file += std::string(part.text);
    }
    if (!file_name) {
      return;
    }
    r.name = std::move(name);
    // A type the Windows headers name (RT_MANIFEST) is its number.
    std::optional<std::uint32_t> type_number =
        type.kind == TokenKind::Identifier ? pp_.constant(type) : std::nullopt;
    r.type = type_number ? std::to_string(*type_number) : upper(type.text);
    r.language = language_;
    r.pos = position(pp_, first);
    r.resolved = pp_.find_resource_file(start, r.file);
    if (r.resolved.empty()) {
      pp_.warn(start, "cannot find " + r.type + " file '" + r.file + "'");
    }
    model_.files.push_back(std::move(r));
  }

  // The header of a resource whose block follows: memory options and
  // LANGUAGE, CHARACTERISTICS and VERSION statements. False, with the
  // block read over, when something else comes before BEGIN.
  bool resource_header(std::string_view what) {
    memory_options();
    while (!at_begin() && peek().kind != TokenKind::End && !failed_) {
      Token word = take();
      if (same_word(word.text, "LANGUAGE")) {
        language_ = language_statement();
      } else if (same_word(word.text, "CHARACTERISTICS") ||
                 same_word(word.text, "VERSION")) {
        number("a number");
      } else if (!is_one_of(word.text, kMemoryOptions)) {
        fail(word, "expected BEGIN of the " + std::string(what));
      }
    }
    if (!at_begin()) {
      fail(peek(), "expected BEGIN of the " + std::string(what));
      recover_resource();
      return false;
    }
    return true;
  }

  // The entries of a block, BEGIN next: `entry` reads one from its first
  // token, each with its own warning, up to the END.
  template <typename Entry>
  void block_entries(std::string_view what, Entry entry) {
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      failed_ = false;
      entry(Token(peek()));
    }
    block_end(what);
  }

  // A resource with a header and a block: its name and position, the type
  // read, the header; false when its block is missing.
  template <typename Resource>
  bool resource_start(Resource& r, model::NameOrOrdinal& name,
                      const Token& first, std::string_view what) {
    r.name = std::move(name);
    r.pos = position(pp_, first);
    take();
    if (!resource_header(what)) {
      return false;
    }
    r.language = language_;
    return true;
  }

  // An END that closes a block, or a warning at the end of the script.
  void block_end(std::string_view what) {
    if (at_end()) {
      take();
      return;
    }
    failed_ = false;
    fail(peek(), std::string(what) + " without END");
  }

  // ---- accelerators ----

  void accelerators(model::NameOrOrdinal name, const Token& first) {
    model::AcceleratorTable table;
    if (!resource_start(table, name, first, "accelerator table")) {
      return;
    }
    block_entries("accelerator table", [&](const Token& entry_first) {
      model::Accelerator entry;
      entry.pos = position(pp_, entry_first);
      if (!accelerator(entry)) {
        skip_line(entry_first);
        return;
      }
      table.entries.push_back(std::move(entry));
    });
    model_.accelerators.push_back(std::move(table));
  }

  // event, id [, option]...: the event a string ("a", "^C") or a number or
  // virtual-key name.
  bool accelerator(model::Accelerator& entry) {
    static constexpr std::pair<std::string_view, std::uint16_t> kOptions[] = {
        {"VIRTKEY", 0x01}, {"NOINVERT", 0x02}, {"SHIFT", 0x04},
        {"CONTROL", 0x08}, {"ALT", 0x10},      {"ASCII", 0x00}};
    Token event = peek();
    std::optional<std::string> character;
    if (event.kind == TokenKind::String) {
      character = string_value();
      entry.key_written = pp_.written(event, last_);
    } else {
      Expression e = expression();
      if (!e.ok) {
        unexpected(e.first, "an accelerator's key");
        take();
        return false;
      }
      entry.key_written = written(e);
      entry.key = static_cast<std::uint16_t>(e.value.bits);
      if (e.first.kind == TokenKind::Identifier &&
          e.first.text == e.last.text && e.first.column == e.last.column &&
          !pp_.constant(e.first)) {
        pp_.warn(e.first, "unknown key '" + std::string(e.first.text) + "'");
      }
    }
    accept_punct(',');
    if (!command_id("the accelerator's command id", entry.id,
                    entry.id_written)) {
      return false;
    }
    auto option_bit = [](std::string_view word) {
      return std::find_if(
          std::begin(kOptions), std::end(kOptions),
          [&](const auto& known) { return same_word(word, known.first); });
    };
    while (std::optional<Token> option = option_word([&](std::string_view w) {
             return option_bit(w) != std::end(kOptions);
           })) {
      entry.flags.push_back(upper(option->text));
      entry.fvirt |= option_bit(option->text)->second;
    }
    if (character) {
      entry.key =
          accelerator_character(event, *character, (entry.fvirt & 0x01) != 0);
    }
    return true;
  }

  // The key of an accelerator written as a string: "^C" is Ctrl+C, the
  // control character 3; one character is its code, in upper case for a
  // virtual key (whose codes for letters are the capitals').
  std::uint16_t accelerator_character(const Token& at, const std::string& text,
                                      bool virtual_key) {
    std::u32string chars = utf32(text);
    if (chars.size() == 2 && chars[0] == '^' && !virtual_key) {
      char32_t c = chars[1];
      c = c >= 'a' && c <= 'z' ? c - 32 : c;
      if (c >= '@' && c <= '_') {
        return static_cast<std::uint16_t>(c - 0x40);
      }
    }
    if (chars.size() != 1 || chars[0] > 0xFFFF) {
      pp_.warn(at,
               "an accelerator's key must be one character or ^ and a "
               "letter");
      return chars.empty() ? 0 : static_cast<std::uint16_t>(chars[0]);
    }
    char32_t c = chars[0];
    if (virtual_key && c >= 'a' && c <= 'z') {
      c -= 32;
    }
    return static_cast<std::uint16_t>(c);
  }

  static std::u32string utf32(const std::string& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
      unsigned char b = static_cast<unsigned char>(text[i]);
      std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      char32_t cp = n == 1 ? b : b & (0xFF >> (n + 1));
      for (std::size_t k = 1; k < n && i + k < text.size(); ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
      i += n;
      out += cp;
    }
    return out;
  }

  // ---- toolbars ----

  void toolbar(model::NameOrOrdinal name, const Token& first) {
    model::Toolbar bar;
    bar.name = std::move(name);
    bar.pos = position(pp_, first);
    take();
    memory_options();
    std::optional<std::uint32_t> width = number("the buttons' width");
    std::optional<std::uint32_t> height =
        width ? next_field("the buttons' height") : std::nullopt;
    if (!height) {
      recover_resource();
      return;
    }
    bar.width = static_cast<std::uint16_t>(*width);
    bar.height = static_cast<std::uint16_t>(*height);
    if (!resource_header("toolbar")) {
      return;
    }
    bar.language = language_;
    block_entries("toolbar", [&](const Token& entry_first) {
      model::ToolbarButton button;
      button.pos = position(pp_, entry_first);
      if (at_word("SEPARATOR")) {
        take();
      } else if (at_word("BUTTON")) {
        take();
        std::int32_t id = 0;
        if (!command_id("the button's id", id, button.id_written)) {
          skip_line(entry_first);
          return;
        }
        button.id = id;
      } else {
        unexpected(entry_first, "BUTTON or SEPARATOR");
        take();
        skip_line(entry_first);
        return;
      }
      bar.buttons.push_back(std::move(button));
    });
    model_.toolbars.push_back(std::move(bar));
  }

  // ---- raw data ----

  // A block of raw data, as RCDATA and DLGINIT hold it: numbers (a word
  // each, a double word with an L suffix) and strings, narrow ones as the
  // bytes of their code page when `code_page_bytes` (else as UTF-8), wide
  // ones in UTF-16. `starts` gets the byte offset, spelling and position of
  // each number. BEGIN is next.
  struct RawNumber {
    std::size_t offset;
    std::string written;
    Token first;
  };
  void raw_data(std::vector<std::uint8_t>& data, bool code_page_bytes,
                std::vector<RawNumber>* starts) {
    take();
    while (!at_end() && peek().kind != TokenKind::End) {
      if (accept_punct(',')) {
        continue;
      }
      if (peek().kind == TokenKind::String) {
        bool wide = peek().text[0] == 'L' || peek().text[0] == 'l';
        std::string text;
        if (!wide && code_page_bytes) {
          bool invalid = false;
          while (peek().kind == TokenKind::String &&
                 !(peek().text[0] == 'L' || peek().text[0] == 'l')) {
            append_literal(take(), text, invalid, true);
          }
        } else {
          text = string_value(code_page_bytes ? Nul::Kept : Nul::EndsText)
                     .value_or("");
        }
        if (!wide) {
          data.insert(data.end(), text.begin(), text.end());
          continue;
        }
        for (char32_t cp : utf32(text)) {
          auto push = [&](char32_t u) {
            data.push_back(static_cast<std::uint8_t>(u & 0xFF));
            data.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
          };
          if (cp >= 0x10000) {
            push(0xD800 + ((cp - 0x10000) >> 10));
            push(0xDC00 + ((cp - 0x10000) & 0x3FF));
          } else {
            push(cp);
          }
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
      if (starts != nullptr) {
        starts->push_back({data.size(), written(e), first});
      }
      bool long_value =
          e.first.kind == TokenKind::Number &&
          (e.first.text.back() == 'L' || e.first.text.back() == 'l');
      int bytes = long_value ? 4 : 2;
      for (int i = 0; i < bytes; ++i) {
        data.push_back(static_cast<std::uint8_t>(e.value.bits >> (8 * i)));
      }
    }
    if (at_end()) {
      take();
    }
  }

  // ---- dialog initialisation ----

  // MFC's DLGINIT: entries of a control id (word), a message (word), the
  // length of the data (double word) and the data, ended by a control id 0.
  void dialog_init(model::NameOrOrdinal name, const Token& first) {
    model::DialogInit init;
    if (!resource_start(init, name, first, "DLGINIT block")) {
      return;
    }
    Token begin = peek();
    begin.codepage = pragma_codepage_;
    unsigned codepage = codepage_for(begin);
    std::vector<std::uint8_t> data;
    std::vector<RawNumber> starts;
    raw_data(data, true, &starts);
    auto word = [&](std::size_t at) {
      return static_cast<std::uint32_t>(data[at] | (data[at + 1] << 8));
    };
    std::size_t at = 0;
    while (at + 2 <= data.size()) {
      model::DialogInitEntry entry;
      entry.control = static_cast<std::int32_t>(word(at));
      // Where the entry is written: its control id's number.
      Token where = begin;
      auto spelled =
          std::find_if(starts.begin(), starts.end(),
                       [&](const RawNumber& n) { return n.offset == at; });
      if (spelled != starts.end()) {
        entry.control_written = spelled->written;
        where = spelled->first;
      }
      // The block ends at a control id 0; an id that is 0 only because
      // its header is missing (an undefined name) does not end it.
      bool named = spelled != starts.end() &&
                   spelled->first.kind == TokenKind::Identifier;
      if (entry.control == 0 && !named) {
        break;
      }
      entry.pos = position(pp_, where);
      if (at + 8 > data.size()) {
        pp_.warn(where, "DLGINIT entry for control " +
                            std::to_string(entry.control) + " cut short");
        break;
      }
      entry.message = static_cast<std::uint16_t>(word(at + 2));
      entry.length = word(at + 4) | (word(at + 6) << 16);
      at += 8;
      if (entry.length > data.size() - at) {
        pp_.warn(where, "DLGINIT entry for control " +
                            std::to_string(entry.control) +
                            " longer than its data");
        break;
      }
      entry.data.assign(
          data.begin() + static_cast<std::ptrdiff_t>(at),
          data.begin() + static_cast<std::ptrdiff_t>(at + entry.length));
      at += entry.length;
      if (entry.message == 0x403 || entry.message == 0x180 ||
          entry.message == 0x1234) {
        std::string bytes(entry.data.begin(), entry.data.end());
        bytes.erase(std::min(bytes.find('\0'), bytes.size()));
        std::string text;
        if (decoder_.decode(bytes, codepage, text)) {
          pp_.warn(where, "DLGINIT text that is not valid in code page " +
                              std::to_string(codepage) + " (read as U+FFFD)");
        }
        entry.text = std::move(text);
      }
      init.entries.push_back(std::move(entry));
    }
    model_.dialog_inits.push_back(std::move(init));
  }

  // ---- version information ----

  void version_info(model::NameOrOrdinal name, const Token& first) {
    model::VersionInfo v;
    v.name = std::move(name);
    v.pos = position(pp_, first);
    take();
    while (!at_begin() && peek().kind != TokenKind::End) {
      failed_ = false;
      Token word = take();
      std::string_view w = word.text;
      if (same_word(w, "FILEVERSION") || same_word(w, "PRODUCTVERSION")) {
        std::uint32_t* version =
            same_word(w, "FILEVERSION") ? v.file_version : v.product_version;
        std::uint32_t parts[4] = {0, 0, 0, 0};
        parts[0] = number("a version number").value_or(0);
        for (int i = 1; i < 4 && !failed_ && peek().is(','); ++i) {
          parts[i] = next_field("a version number").value_or(0);
        }
        version[0] = (parts[0] & 0xFFFF) << 16 | (parts[1] & 0xFFFF);
        version[1] = (parts[2] & 0xFFFF) << 16 | (parts[3] & 0xFFFF);
      } else if (same_word(w, "FILEFLAGSMASK")) {
        v.file_flags_mask = number("a number").value_or(0);
      } else if (same_word(w, "FILEFLAGS")) {
        v.file_flags = number("a number").value_or(0);
      } else if (same_word(w, "FILEOS")) {
        v.file_os = number("a number").value_or(0);
      } else if (same_word(w, "FILETYPE")) {
        v.file_type = number("a number").value_or(0);
      } else if (same_word(w, "FILESUBTYPE")) {
        v.file_subtype = number("a number").value_or(0);
      } else if (same_word(w, "LANGUAGE")) {
        language_ = language_statement();
      } else if (same_word(w, "CHARACTERISTICS") || same_word(w, "VERSION")) {
        number("a number");
      } else if (!is_one_of(w, kMemoryOptions)) {
        fail(word, "unknown VERSIONINFO statement");
      }
      if (failed_) {
        skip_line(word);
      }
    }
    if (!at_begin()) {
      failed_ = false;
      fail(peek(), "expected BEGIN of the version information");
      return;
    }
    v.language = language_;
    version_block(v, nullptr, 0);
    model_.versions.push_back(std::move(v));
  }

  // A BEGIN ... END of BLOCK and VALUE statements: the blocks in
  // StringFileInfo are string tables, VarFileInfo's Translation value holds
  // language and code page pairs. BEGIN is next.
  void version_block(model::VersionInfo& v, const std::string* parent,
                     int depth) {
    if (depth > 2) {
      pp_.warn(peek(), "blocks nested too deep in VERSIONINFO; not read");
      skip_block();
      return;
    }
    block_entries("VERSIONINFO block", [&](const Token& statement_first) {
      bool block = at_word("BLOCK");
      if (!block && !at_word("VALUE")) {
        unexpected(statement_first, "BLOCK or VALUE");
        take();
        skip_line(statement_first);
        return;
      }
      take();
      std::optional<std::string> key = string_value();
      if (!key) {
        fail(peek(), "expected the name of the BLOCK or VALUE");
        skip_line(statement_first);
        return;
      }
      if (block) {
        if (!at_begin()) {
          fail(peek(), "expected BEGIN of the block");
          skip_line(statement_first);
          return;
        }
        if (parent != nullptr && same_word(*parent, "StringFileInfo")) {
          v.string_tables.push_back({*key, {}});
        }
        version_block(v, &*key, depth + 1);
        return;
      }
      bool strings = parent != nullptr && depth == 2 &&
                     !v.string_tables.empty() &&
                     v.string_tables.back().block == *parent;
      bool translation = parent != nullptr &&
                         same_word(*parent, "VarFileInfo") &&
                         same_word(*key, "Translation");
      model::VersionString value{*key, {}};
      std::vector<std::uint32_t> numbers;
      while (peek().is(',') || (!peek().line_start && !at_end() &&
                                peek().kind != TokenKind::End)) {
        accept_punct(',');
        if (peek().kind == TokenKind::String) {
          value.value += string_value().value_or("");
        } else if (starts_operand(peek())) {
          Expression e = expression();
          if (!e.ok) {
            fail(e.first, "expected a value");
            break;
          }
          numbers.push_back(e.value.bits);
        } else {
          break;
        }
      }
      if (strings) {
        v.string_tables.back().values.push_back(std::move(value));
      } else if (translation) {
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
          v.translations.emplace_back(
              static_cast<std::uint16_t>(numbers[i]),
              static_cast<std::uint16_t>(numbers[i + 1]));
        }
      }
      if (failed_) {
        skip_line(statement_first);
      }
    });
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
    if (peek().is(',')) {
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
    controls_.clear();
    while (!at_end() && peek().kind != TokenKind::End) {
      failed_ = false;
      control(d.kind == "DIALOGEX");
    }
    if (peek().kind == TokenKind::End) {
      failed_ = false;
      fail(peek(), "dialog without END");
    } else {
      take();
    }
    keep_exactly(controls_, d.controls);
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
    accept_punct(',');
    std::optional<std::string> face = string_value();
    if (!face) {
      fail(peek(), "expected the font's face");
      return;
    }
    font.face = std::move(*face);
    if (peek().is(',')) {
      font.weight =
          static_cast<std::uint16_t>(next_field("a weight").value_or(0));
    }
    if (peek().is(',')) {
      font.italic = (next_field("italic").value_or(0) & 0xFF) != 0;
    }
    if (peek().is(',')) {
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
      if (peek(1).is(',') && !pp_.constant(token)) {
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

  void control(bool ex) {
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
    // Read in place, and taken back when it is not a control after all.
    model::Control& c = controls_.emplace_back();
    c.keyword = std::string(keyword->keyword);
    c.class_name = std::string(keyword->class_name);
    c.pos = position(pp_, first);
    std::uint32_t default_style = kChildVisible | keyword->style;
    bool ok = control_fields(*keyword, c, ex, default_style);
    if (!ok) {
      controls_.pop_back();
      skip_line(first);
      return;
    }
    if (at_begin()) {
      control_data(c);
    }
  }

  // Reads the fields after the keyword, in the keyword's form.
  bool control_fields(const ControlKeyword& keyword, model::Control& c, bool ex,
                      std::uint32_t default_style) {
    if (keyword.form != ControlForm::NoText) {
      c.text = control_text();
      if (failed_) {
        return false;
      }
      accept_punct(',');
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
      accept_punct(',');
      control_class(c);
      if (failed_) {
        return false;
      }
      accept_punct(',');
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
      if (i >= required && !peek().is(',')) {
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
    if (keyword.form != ControlForm::Generic && peek().is(',')) {
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
    if (peek().is(',')) {
      take();
      Expression e = expression();
      if (!e.ok) {
        fail(e.first, "expected the control's extended style");
        return false;
      }
      c.exstyle.value = e.value.bits & ~e.value.cleared;
      c.exstyle.written = written(e);
    }
    if (peek().is(',')) {
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
  void control_data(model::Control& c) { raw_data(c.data, false, nullptr); }

  // ---- menus ----

  void menu(model::NameOrOrdinal name, const Token& first) {
    model::Menu m;
    m.name = std::move(name);
    m.pos = position(pp_, first);
    m.kind = upper(take().text);
    if (!resource_header("menu")) {
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
    // This level's items, read into the vector kept for its depth and then
    // moved to `items` (the level below reuses the next depth's).
    std::vector<model::MenuItem>& read = menu_items_[depth];
    read.clear();
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
        read.push_back(std::move(item));
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
    keep_exactly(read, items);
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
      accept_punct(',');
      std::int32_t id = 0;
      if (!command_id("the item's id", id, item.id_written)) {
        return false;
      }
      item.id = id;
    }
    // Options, with or without commas between them.
    while (std::optional<Token> option = option_word(
               [](std::string_view w) { return is_one_of(w, kMenuOptions); })) {
      item.flags.push_back(upper(option->text));
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
    for (int i = 0; i < fields && peek().is(','); ++i) {
      take();
      if (peek().is(',') || !starts_operand(peek())) {
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
    if (!resource_header("string table")) {
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
      accept_punct(',');
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
      // MFC's command strings: the prompt, a line break, the tooltip (up to
      // a further line break).
      if (std::size_t br = entry.text.find('\n'); br != std::string::npos) {
        entry.prompt = entry.text.substr(0, br);
        std::size_t end = entry.text.find('\n', br + 1);
        entry.tooltip = entry.text.substr(
            br + 1, end == std::string::npos ? end : end - br - 1);
      }
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
  TokenPipeline* pipeline_;  // null: tokens come from `pp_` itself
  const ReaderOptions& options_;
  model::Model& model_;
  CodePageDecoder decoder_;
  // The lookahead, in a ring: the parser looks at most two tokens ahead,
  // and a token it took stays where it was for the next few.
  static constexpr std::size_t kAhead = 8;
  std::array<Token, kAhead> ahead_;
  std::size_t ahead_first_ = 0, ahead_count_ = 0;
  Token last_;
  std::uint16_t pragma_codepage_ = 0;
  std::uint16_t language_ = 0;      // in force for the current statement
  std::uint16_t top_language_ = 0;  // set by a LANGUAGE statement
  bool failed_ = false;
  UndefinedNames undefined_seen_;
  // A dialog's controls and a menu level's items are read into these
  // vectors, kept from one resource to the next, and then moved into
  // vectors of exactly their size: a large script's model holds no
  // half-empty capacity, and no vector is reallocated as it grows.
  std::vector<model::Control> controls_;
  std::array<std::vector<model::MenuItem>, kMaxMenuDepth + 1> menu_items_;
};

}  // namespace

void parse_script(Preprocessor& preprocessor, const ReaderOptions& options,
                  model::Model& model) {
  unsigned threads = options.threads;
  if (threads == 0) {
    threads = preprocessor.script_size() >= kPipelinedScript &&
                      std::thread::hardware_concurrency() >= 2
                  ? 2
                  : 1;
  }
  std::optional<TokenPipeline> pipeline;
  if (threads >= 2) {
    pipeline.emplace(preprocessor, options.between_batches);
  }
  Parser(preprocessor, pipeline ? &*pipeline : nullptr, options, model).run();
}

}  // namespace dlgforge::port
