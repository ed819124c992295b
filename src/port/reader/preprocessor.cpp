#include "port/reader/preprocessor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "port/reader/text_decoding.h"
#include "port/reader/windows_constants.h"

namespace dlgforge::port {
namespace {

// Limits that keep hostile input from taking unbounded time or memory.
constexpr std::size_t kMaxIncludeDepth = 32;
// What includes may read: each one its file's size and kIncludeCost more,
// out of a budget that grows with the script. A header included thousands
// of times is read every time, as the resource compiler reads it; a header
// that includes another twice, which includes another twice, and so on,
// stops at the budget.
constexpr std::size_t kMinIncludeBytes = std::size_t{64} << 20;
constexpr std::size_t kIncludeBytesPerByte = 64;
constexpr std::size_t kIncludeCost = 256;
constexpr int kMaxExpansionDepth = 64;
constexpr int kMaxExpressionDepth = 256;
constexpr std::size_t kMaxWarnings = 1000;
// Tokens that macro expansion may make in all, per byte of the script.
constexpr std::size_t kExpansionTokensPerByte = 8;
constexpr std::size_t kMinExpansionTokens = 1 << 14;

bool equals_ignoring_case(std::string_view a, std::string_view b) {
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

std::string folder_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == path.npos ? std::string() : path.substr(0, slash + 1);
}

// C headers and sources give only their directives to a resource script.
bool is_c_file(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == name.npos) {
    return false;
  }
  std::string_view ext = name.substr(dot + 1);
  return equals_ignoring_case(ext, "h") || equals_ignoring_case(ext, "c") ||
         equals_ignoring_case(ext, "hpp") || equals_ignoring_case(ext, "hh") ||
         equals_ignoring_case(ext, "hxx");
}

// A C integer literal of a `#if`: decimal, 0x hex or 0 octal, with u and l
// suffixes.
std::optional<std::int64_t> c_number(std::string_view text) {
  while (!text.empty() && (text.back() == 'u' || text.back() == 'U' ||
                           text.back() == 'l' || text.back() == 'L')) {
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
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    if (digit >= base) {
      return std::nullopt;
    }
    value = value * static_cast<std::uint64_t>(base) +
            static_cast<std::uint64_t>(digit);
  }
  return static_cast<std::int64_t>(value);
}

// Evaluates the integer expression of a `#if` once `defined` and the
// macros are replaced: C operators and precedence, 64-bit arithmetic; a
// name left over is 0 (or its value when the Windows headers were
// included).
class ConditionEvaluator {
 public:
  ConditionEvaluator(const std::vector<Token>& tokens,
                     const Preprocessor* constants)
      : tokens_(tokens), constants_(constants) {}

  std::optional<std::int64_t> evaluate(std::string& error) {
    std::int64_t value = conditional(0);
    if (error_.empty() && at_ < tokens_.size()) {
      error_ = "unexpected '" + std::string(tokens_[at_].text) + "'";
    }
    if (!error_.empty()) {
      error = error_;
      return std::nullopt;
    }
    return value;
  }

 private:
  bool accept(std::string_view punct) {
    if (at_ < tokens_.size() && tokens_[at_].is(punct)) {
      ++at_;
      return true;
    }
    return false;
  }

  bool too_deep(int depth) {
    if (depth > kMaxExpressionDepth) {
      if (error_.empty()) {
        error_ = "expression nested too deeply";
      }
      return true;
    }
    return !error_.empty();
  }

  std::int64_t conditional(int depth) {
    if (too_deep(depth)) {
      return 0;
    }
    std::int64_t test = binary(0, depth);
    if (!accept("?")) {
      return test;
    }
    std::int64_t yes = conditional(depth + 1);
    if (!accept(":")) {
      if (error_.empty()) {
        error_ = "missing ':' in '?:'";
      }
      return 0;
    }
    std::int64_t no = conditional(depth + 1);
    return test != 0 ? yes : no;
  }

  // Binary operators by precedence level, lowest first.
  std::int64_t binary(int level, int depth) {
    static constexpr std::string_view kLevels[][4] = {{"||"},
                                                      {"&&"},
                                                      {"|"},
                                                      {"^"},
                                                      {"&"},
                                                      {"==", "!="},
                                                      {"<", ">", "<=", ">="},
                                                      {"<<", ">>"},
                                                      {"+", "-"},
                                                      {"*", "/", "%"}};
    constexpr int kLevelCount = sizeof kLevels / sizeof kLevels[0];
    if (level == kLevelCount) {
      return unary(depth);
    }
    std::int64_t left = binary(level + 1, depth);
    for (;;) {
      std::string_view op;
      for (std::string_view candidate : kLevels[level]) {
        if (!candidate.empty() && at_ < tokens_.size() &&
            tokens_[at_].is(candidate)) {
          op = candidate;
        }
      }
      if (op.empty() || !error_.empty()) {
        return left;
      }
      ++at_;
      std::int64_t right = binary(level + 1, depth);
      left = apply(op, left, right);
    }
  }

  std::int64_t apply(std::string_view op, std::int64_t a, std::int64_t b) {
    auto ua = static_cast<std::uint64_t>(a);
    auto ub = static_cast<std::uint64_t>(b);
    if (op == "||")
      return (a != 0 || b != 0) ? 1 : 0;
    if (op == "&&")
      return (a != 0 && b != 0) ? 1 : 0;
    if (op == "|")
      return a | b;
    if (op == "^")
      return a ^ b;
    if (op == "&")
      return a & b;
    if (op == "==")
      return a == b;
    if (op == "!=")
      return a != b;
    if (op == "<")
      return a < b;
    if (op == ">")
      return a > b;
    if (op == "<=")
      return a <= b;
    if (op == ">=")
      return a >= b;
    if (op == "<<")
      return static_cast<std::int64_t>(ua << (ub & 63));
    if (op == ">>")
      return a >> (ub & 63);
    if (op == "+")
      return static_cast<std::int64_t>(ua + ub);
    if (op == "-")
      return static_cast<std::int64_t>(ua - ub);
    if (op == "*")
      return static_cast<std::int64_t>(ua * ub);
    if (b == 0 || (a == INT64_MIN && b == -1)) {
      if (error_.empty()) {
        error_ = "division by zero";
      }
      return 0;
    }
    return op == "/" ? a / b : a % b;
  }

  std::int64_t unary(int depth) {
    if (too_deep(depth)) {
      return 0;
    }
    if (accept("!"))
      return unary(depth + 1) == 0 ? 1 : 0;
    if (accept("~"))
      return ~unary(depth + 1);
    if (accept("-")) {
      return static_cast<std::int64_t>(
          0 - static_cast<std::uint64_t>(unary(depth + 1)));
    }
    if (accept("+"))
      return unary(depth + 1);
    return primary(depth);
  }

  std::int64_t primary(int depth) {
    if (at_ >= tokens_.size()) {
      if (error_.empty()) {
        error_ = "missing operand";
      }
      return 0;
    }
    const Token& token = tokens_[at_];
    if (accept("(")) {
      std::int64_t value = conditional(depth + 1);
      if (!accept(")") && error_.empty()) {
        error_ = "missing ')'";
      }
      return value;
    }
    ++at_;
    if (token.kind == TokenKind::Number) {
      std::optional<std::int64_t> value = c_number(token.text);
      if (!value && error_.empty()) {
        error_ = "bad number '" + std::string(token.text) + "'";
      }
      return value.value_or(0);
    }
    if (token.kind == TokenKind::Identifier) {
      if (constants_ != nullptr) {
        if (std::optional<std::uint32_t> value =
                constants_->constant(token.text)) {
          return static_cast<std::int32_t>(*value);
        }
      }
      return 0;
    }
    if (error_.empty()) {
      error_ = "unexpected '" + std::string(token.text) + "'";
    }
    return 0;
  }

  const std::vector<Token>& tokens_;
  const Preprocessor* constants_;  // null before any standard header
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

bool load_file(const std::string& path, std::string& bytes,
               std::string& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    error = std::strerror(EISDIR);
    return false;
  }
  bytes.clear();
  if (S_ISREG(info.st_mode) && info.st_size > 0) {
    // The whole file in one allocation, not a string doubled as it grows.
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (got == 0) {
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return true;
}

Preprocessor::Preprocessor(PreprocessorOptions options, model::Model& model)
    : options_(std::move(options)), model_(model) {
  if (!options_.loader) {
    options_.loader = load_file;
    from_disk_ = true;
  }
}

Preprocessor::~Preprocessor() = default;

std::string_view Preprocessor::keep(std::string text) {
  made_text_.push_back(std::move(text));
  return made_text_.back();
}

void Preprocessor::warn(const Token& at, std::string message) {
  if (model_.warnings.size() >= kMaxWarnings) {
    ++warnings_dropped_;
    return;
  }
  model::Diagnostic diagnostic;
  if (at.file < files_.size()) {
    diagnostic.pos.file_name = files_[at.file].shared_name;
  }
  diagnostic.pos.line = static_cast<int>(at.line);
  diagnostic.pos.column = static_cast<int>(at.column);
  diagnostic.message = model_.warnings.size() + 1 == kMaxWarnings
                           ? "too many warnings; the rest are not shown"
                           : std::move(message);
  model_.warnings.push_back(std::move(diagnostic));
}

void Preprocessor::report(const Token& at, std::string message) {
  if (held_ != nullptr) {
    held_->push_back({handed_out_, at, std::move(message)});
  } else {
    warn(at, std::move(message));
  }
}

std::pair<std::size_t, std::uint32_t> SourceFiles::place(std::uint32_t index) {
  // Slots kFirst * (2^k - 1) to kFirst * (2^(k+1) - 1) are segment k's.
  std::uint32_t scaled = index / kFirst + 1;
  auto segment = static_cast<std::size_t>(std::bit_width(scaled) - 1);
  return {segment, index - kFirst * ((std::uint32_t{1} << segment) - 1)};
}

std::uint32_t SourceFiles::push_back(std::unique_ptr<SourceFile> file) {
  std::uint32_t index = size_.load(std::memory_order_relaxed);
  auto [segment, offset] = place(index);
  if (!segments_[segment]) {
    segments_[segment] =
        std::make_unique<std::unique_ptr<SourceFile>[]>(kFirst << segment);
  }
  segments_[segment][offset] = std::move(file);
  size_.store(index + 1, std::memory_order_release);
  return index;
}

std::size_t Preprocessor::script_size() const {
  return files_.size() == 0 ? 0 : files_[0].text.size();
}

std::uint32_t Preprocessor::add_file(std::string name, std::string bytes) {
  auto file = std::make_unique<SourceFile>();
  SourceText source = prepare_source(std::move(bytes));
  file->dir = folder_of(name);
  file->directives_only = is_c_file(name);
  file->text = std::move(source.text);
  file->unicode = source.unicode;
  file->utf8 = source.utf8;
  file->name = std::move(name);
  file->shared_name = std::make_shared<const std::string>(file->name);
  std::uint32_t index = files_.push_back(std::move(file));
  if (source.invalid) {
    Token at;
    at.file = index;
    at.line = 1;
    at.column = 1;
    report(at, "invalid UTF-16 in the file, read as U+FFFD");
  }
  return index;
}

namespace {

std::optional<std::uint32_t> standard_constant(std::string_view name,
                                               bool framework) {
  std::optional<std::uint32_t> value = windows_constant(name);
  if (!value && framework) {
    value = framework_constant(name);
  }
  return value;
}

}  // namespace

std::optional<std::uint32_t> Preprocessor::constant(const Token& name) const {
  return standard_constant(name.text, name.framework_headers);
}

std::optional<std::uint32_t> Preprocessor::constant(
    std::string_view name) const {
  return standard_constant(name, framework_headers_);
}

// The file in `path`'s folder whose name equals its last part without
// regard to case, "" when there is none. Each folder is listed once: a
// script may name hundreds of files that are not there.
std::string Preprocessor::find_ignoring_case(const std::string& path) const {
  std::size_t slash = path.rfind('/');
  std::string dir = slash == path.npos ? "." : path.substr(0, slash + 1);
  std::string_view name =
      std::string_view(path).substr(slash == path.npos ? 0 : slash + 1);
  std::lock_guard lock(listings_mutex_);
  auto [listing, added] = listings_.try_emplace(dir);
  if (added) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
      listing->second.push_back(entry.path().filename().string());
    }
  }
  for (const std::string& candidate : listing->second) {
    if (equals_ignoring_case(candidate, name)) {
      return slash == path.npos ? candidate : dir + candidate;
    }
  }
  return "";
}

std::string Preprocessor::find_resource_file(const Token& at,
                                             std::string name) const {
  if (name.empty()) {
    return "";
  }
  // Windows takes either slash, and doubled ones, as one separator.
  std::string path;
  for (char c : name) {
    c = c == '\\' ? '/' : c;
    if (c != '/' || path.empty() || path.back() != '/') {
      path += c;
    }
  }
  std::vector<std::string> candidates;
  if (path[0] == '/') {
    candidates.push_back(path);
  } else {
    candidates.push_back(files_[at.file].dir + path);
    candidates.push_back(main_dir_ + path);
    for (const std::string& dir : options_.include_dirs) {
      candidates.push_back(dir.empty() || dir.back() == '/' ? dir + path
                                                            : dir + "/" + path);
    }
  }
  std::error_code error;
  for (const std::string& candidate : candidates) {
    std::string bytes, reason;
    if (from_disk_ ? std::filesystem::is_regular_file(candidate, error)
                   : options_.loader(candidate, bytes, reason)) {
      return candidate;
    }
  }
  if (!from_disk_) {
    return "";
  }
  // Each part of the name in any case, from the first folder that exists.
  for (const std::string& candidate : candidates) {
    std::size_t start = candidate[0] == '/' ? 1 : 0;
    std::string found = candidate.substr(0, start);
    while (start < candidate.size()) {
      std::size_t end = candidate.find('/', start);
      end = end == std::string::npos ? candidate.size() : end;
      std::string part = found + candidate.substr(start, end - start);
      if (!std::filesystem::exists(part, error)) {
        part = find_ignoring_case(part);
      }
      if (part.empty()) {
        found.clear();
        break;
      }
      found = end < candidate.size() ? part + "/" : part;
      start = end + 1;
    }
    if (!found.empty() && std::filesystem::is_regular_file(found, error)) {
      return found;
    }
  }
  return "";
}

const SourceFile& Preprocessor::spelling_file(const Token& token) const {
  if (token.expansion != 0) {
    std::less<const char*> before;
    for (std::uint32_t i = 0, count = files_.size(); i < count; ++i) {
      const SourceFile& file = files_[i];
      const char* begin = file.text.data();
      if (!before(token.text.data(), begin) &&
          before(token.text.data(), begin + file.text.size())) {
        return file;
      }
    }
  }
  return files_[token.file];
}

void Preprocessor::push_file(std::uint32_t index) {
  stack_.push_back(FileFrame{index,
                             Lexer(files_[index].text, index),
                             conditionals_.size(),
                             std::nullopt,
                             GuardState::Start,
                             {},
                             true});
}

bool Preprocessor::open(const std::string& path, std::string& error) {
  std::string bytes;
  if (!options_.loader(path, bytes, error)) {
    return false;
  }
  open_text(path, std::move(bytes));
  return true;
}

void Preprocessor::open_text(const std::string& name, std::string bytes) {
  expansion_budget_ =
      kMinExpansionTokens + bytes.size() * kExpansionTokensPerByte;
  include_budget_ = kMinIncludeBytes + bytes.size() * kIncludeBytesPerByte;
  // The command line's definitions come first, read as a file of #define
  // lines; RC_INVOKED and _WIN32 are what the resource compiler defines.
  std::string command_line = "#define RC_INVOKED 1\n#define _WIN32 1\n";
  for (const auto& [macro, value] : options_.defines) {
    command_line += "#define " + macro + " " + value + "\n";
  }
  std::uint32_t main = add_file(name, std::move(bytes));
  files_by_path_.emplace(name, main);
  files_[main].directives_only = false;
  main_dir_ = files_[main].dir;
  push_file(main);
  std::uint32_t defines = add_file("<command line>", std::move(command_line));
  push_file(defines);
}

Preprocessor::MacroTable::Slot& Preprocessor::MacroTable::slot(
    std::string_view name, std::size_t hash) {
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& at = slots_[i];
    if (at.macro == kEmpty || (at.hash == hash && at.name == name)) {
      return at;
    }
  }
}

Preprocessor::Macro* Preprocessor::MacroTable::find(std::string_view name) {
  if (slots_.empty()) {
    return nullptr;
  }
  Slot& at = slot(name, std::hash<std::string_view>{}(name));
  return at.macro < kErased ? &macros_[at.macro] : nullptr;
}

void Preprocessor::MacroTable::set(std::string_view name, Macro macro) {
  // At most half the slots are taken, so that a probe ends soon.
  if (2 * (taken_ + 1) > slots_.size()) {
    grow();
  }
  std::size_t hash = std::hash<std::string_view>{}(name);
  Slot& at = slot(name, hash);
  if (at.macro < kErased) {
    macros_[at.macro] = std::move(macro);
    return;
  }
  if (at.macro == kEmpty) {
    ++taken_;
  }
  at.hash = hash;
  at.name = name;
  at.macro = static_cast<std::uint32_t>(macros_.size());
  macros_.push_back(std::move(macro));
}

void Preprocessor::MacroTable::erase(std::string_view name) {
  if (slots_.empty()) {
    return;
  }
  Slot& at = slot(name, std::hash<std::string_view>{}(name));
  if (at.macro < kErased) {
    at.macro = kErased;  // stays taken: later names probe past it
  }
}

void Preprocessor::MacroTable::grow() {
  std::vector<Slot> old = std::move(slots_);
  // A power of two, so that a hash is cut to a slot with a mask.
  slots_.assign(std::bit_ceil(std::max<std::size_t>(64, 4 * (taken_ + 1))),
                Slot{});
  taken_ = 0;
  for (const Slot& from : old) {
    if (from.macro < kErased) {
      slot(from.name, from.hash) = from;
      ++taken_;
    }
  }
}

Token Preprocessor::lex(FileFrame& frame) {
  Token token;
  lex(frame, token);
  return token;
}

void Preprocessor::lex(FileFrame& frame, Token& token) {
  if (frame.peeked) {
    token = *frame.peeked;
    frame.peeked.reset();
    return;
  }
  frame.lexer.next(token);
}

Preprocessor::TokenList Preprocessor::rest_of_line(FileFrame& frame) {
  TokenList line;
  for (;;) {
    Token token = lex(frame);
    if (token.kind == TokenKind::End || token.line_start) {
      frame.peeked = token;
      return line;
    }
    line.push_back(token);
  }
}

bool Preprocessor::skipping() const {
  return !conditionals_.empty() && !conditionals_.back().active;
}

void Preprocessor::note_guard(FileFrame& frame, const TokenList& line) {
  std::string_view name = line[0].text;
  bool at_base = conditionals_.size() == frame.conditional_base;
  switch (frame.guard_state) {
  case GuardState::Start:
    if (name == "ifndef" && line.size() == 2 &&
        line[1].kind == TokenKind::Identifier && at_base) {
      frame.guard_state = GuardState::Inside;
      frame.guard = line[1].text;
    } else {
      frame.guard_state = GuardState::None;
    }
    break;
  case GuardState::Inside:
    // This directive is read before it changes the conditionals: the
    // guard's block is the one just above the file's base.
    if (conditionals_.size() == frame.conditional_base + 1) {
      if (name == "endif") {
        frame.guard_state = GuardState::Closed;
      } else if (name == "else" || name == "elif") {
        frame.guard_state = GuardState::None;
      }
    }
    break;
  case GuardState::Closed:
    frame.guard_state = GuardState::None;
    break;
  case GuardState::None:
    break;
  }
}

void Preprocessor::close_file() {
  FileFrame& frame = stack_.back();
  while (conditionals_.size() > frame.conditional_base) {
    Token at = lex(frame);
    report(at, "#if without #endif at the end of the file");
    conditionals_.pop_back();
  }
  SourceFile& file = files_[frame.file];
  if (frame.guard_state == GuardState::Closed) {
    file.guard = frame.guard;
  }
  file.defines_only_until.reset();
  if (frame.defines_only) {
    file.defines_only_until = macro_changes_;
  }
  stack_.pop_back();
}

void Preprocessor::read_file_token(Token& token) {
  for (;;) {
    if (stack_.empty()) {
      token = Token();
      token.kind = TokenKind::End;
      return;
    }
    FileFrame& frame = stack_.back();
    lex(frame, token);
    if (token.kind == TokenKind::End) {
      if (stack_.size() == 1) {
        // The end of the script stays where it is, for messages.
        while (conditionals_.size() > frame.conditional_base) {
          report(token, "#if without #endif at the end of the file");
          conditionals_.pop_back();
        }
        return;
      }
      close_file();
      continue;
    }
    if (token.line_start && token.is('#')) {
      if (std::optional<Token> marker = directive(frame)) {
        token = *marker;
        return;
      }
      continue;
    }
    if (frame.guard_state != GuardState::Inside) {
      frame.guard_state = GuardState::None;
    }
    frame.defines_only = false;
    if (skipping()) {
      continue;
    }
    if (token.unterminated && !files_[token.file].directives_only) {
      report(token, "string without its closing quote");
    }
    return;
  }
}

Token Preprocessor::next_unexpanded() {
  if (!pending_.empty()) {
    Token token = pending_.back();
    pending_.pop_back();
    return token;
  }
  if (unexpanded_) {
    Token token = *unexpanded_;
    unexpanded_.reset();
    return token;
  }
  Token token;
  read_file_token(token);
  return token;
}

Token Preprocessor::next() {
  Token token;
  next(token);
  return token;
}

// The token is written where it is kept, all the way from the lexer: a
// token changed field by field and then copied whole makes the processor
// wait for the small writes before the wide reads, once for each copy.
void Preprocessor::next(Token& token) {
  next_token(token);
  token.framework_headers = framework_headers_;
  ++handed_out_;
}

void Preprocessor::next_token(Token& token) {
  for (;;) {
    if (!pending_.empty()) {
      token = pending_.back();
      pending_.pop_back();
      return;
    }
    if (unexpanded_) {
      token = *unexpanded_;
      unexpanded_.reset();
    } else {
      read_file_token(token);
    }
    if (token.kind == TokenKind::End || token.kind == TokenKind::CodePage) {
      return;
    }
    if (files_[token.file].directives_only) {
      continue;
    }
    if (token.kind == TokenKind::Identifier && !budget_warned_) {
      if (const Macro* macro = macros_.find(token.text)) {
        expand_from_stream(token, *macro);
        continue;
      }
    }
    return;
  }
}

std::optional<Token> Preprocessor::directive(FileFrame& frame) {
  TokenList line = rest_of_line(frame);
  if (line.empty() || line[0].kind != TokenKind::Identifier) {
    // A lone '#' or a line marker ("# 12 file") changes nothing.
    return std::nullopt;
  }
  std::string_view name = line[0].text;
  note_guard(frame, line);
  if (name != "define") {
    frame.defines_only = false;
  }
  if (name == "if" || name == "ifdef" || name == "ifndef") {
    bool parent_active = !skipping();
    bool value = false;
    if (parent_active) {
      if (name == "if") {
        value = condition(line, 1);
      } else if (line.size() < 2 || line[1].kind != TokenKind::Identifier) {
        report(line[0], "#" + std::string(name) + " without a macro name");
      } else {
        bool defined = macros_.contains(line[1].text) ||
                       (standard_headers_ && constant(line[1].text));
        value = name == "ifdef" ? defined : !defined;
      }
    }
    conditionals_.push_back({parent_active, value, value, false});
    return std::nullopt;
  }
  bool owned = conditionals_.size() > frame.conditional_base;
  if (name == "elif" || name == "else" || name == "endif") {
    if (!owned) {
      report(line[0], "#" + std::string(name) + " without #if");
      return std::nullopt;
    }
    Conditional& top = conditionals_.back();
    if (name == "endif") {
      conditionals_.pop_back();
      return std::nullopt;
    }
    if (top.seen_else) {
      report(line[0], "#" + std::string(name) + " after #else");
    }
    if (name == "else") {
      top.active = top.parent_active && !top.taken;
      top.taken = true;
      top.seen_else = true;
      return std::nullopt;
    }
    if (!top.parent_active || top.taken) {
      top.active = false;
    } else {
      top.active = condition(line, 1);
      top.taken = top.active;
    }
    return std::nullopt;
  }
  if (skipping()) {
    return std::nullopt;
  }
  if (name == "define") {
    define(line);
    ++macro_changes_;
  } else if (name == "undef") {
    if (line.size() >= 2) {
      macros_.erase(line[1].text);
      ++macro_changes_;
    }
  } else if (name == "include") {
    include(frame, line);
  } else if (name == "pragma") {
    return pragma(frame, line);
  } else if (name == "error" || name == "warning") {
    std::string text =
        line.size() > 1
            ? std::string(frame.lexer.slice(line[1].begin, line.back().end))
            : std::string();
    report(line[0], "#" + std::string(name) + " " + text);
  } else if (name == "line" || name == "ident") {
    // Line numbers stay those of the file: a message points at the text
    // that is really there.
  } else {
    report(line[0], "unknown directive '#" + std::string(name) + "'");
  }
  return std::nullopt;
}

void Preprocessor::define(const TokenList& line) {
  if (line.size() < 2 || line[1].kind != TokenKind::Identifier) {
    report(line[0], "#define without a macro name");
    return;
  }
  Macro macro;
  std::size_t at = 2;
  if (line.size() > 2 && line[2].is('(') && line[2].begin == line[1].end) {
    macro.function_like = true;
    at = 3;
    bool closed = false;
    while (at < line.size()) {
      const Token& token = line[at++];
      if (token.is(')')) {
        closed = true;
        break;
      }
      if (token.is(',')) {
        continue;
      }
      if (token.kind == TokenKind::Identifier) {
        macro.params.push_back(token.text);
      } else if (token.is('.') && at + 1 < line.size() && line[at].is('.') &&
                 line[at + 1].is('.')) {
        at += 2;
        macro.variadic = true;
        macro.params.push_back("__VA_ARGS__");
      } else {
        break;
      }
    }
    if (!closed) {
      report(line[1], "bad parameter list in #define of '" +
                          std::string(line[1].text) + "'");
      return;
    }
  }
  macro.body.assign(line.begin() + static_cast<std::ptrdiff_t>(at), line.end());
  macro.plain =
      !macro.function_like &&
      std::none_of(macro.body.begin(), macro.body.end(), [](const Token& t) {
        return t.kind == TokenKind::Identifier || t.is("##");
      });
  macros_.set(line[1].text, std::move(macro));
}

void Preprocessor::include(FileFrame& frame, const TokenList& line) {
  if (line.size() < 2) {
    report(line[0], "#include without a file name");
    return;
  }
  std::string name;
  bool quoted = false;
  if (line[1].kind == TokenKind::String && line[1].text.size() >= 2 &&
      line[1].text[0] == '"' && !line[1].unterminated) {
    name = line[1].text.substr(1, line[1].text.size() - 2);
    quoted = true;
  } else if (line[1].is('<')) {
    auto close = std::find_if(line.begin() + 2, line.end(),
                              [](const Token& t) { return t.is('>'); });
    if (close == line.end()) {
      report(line[1], "#include <...> without '>'");
      return;
    }
    name = frame.lexer.slice(line[1].end, close->begin);
  } else {
    report(line[1], "#include needs \"FILE\" or <FILE>");
    return;
  }
  if (StandardHeader header = standard_header(name);
      header != StandardHeader::None) {
    standard_headers_ = true;
    framework_headers_ |= header == StandardHeader::Framework;
    return;
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  // "a\\b.h" in a script means a\b.h: doubled separators are one.
  for (std::size_t at; (at = name.find("//")) != name.npos;) {
    name.erase(at, 1);
  }
  if (stack_.size() >= kMaxIncludeDepth + 1) {
    report(line[1], "#include nested more than " +
                        std::to_string(kMaxIncludeDepth) +
                        " deep (an include of itself?); not read");
    return;
  }
  // Whether the budget of includes has room for one more file.
  auto affordable = [this, &line](std::uint32_t index) {
    std::size_t cost = files_[index].text.size() + kIncludeCost;
    if (cost > include_budget_) {
      report(line[1], "includes have read " +
                          std::to_string(kMinIncludeBytes >> 20) +
                          " MiB or more, and 64 times the script (an include "
                          "of itself many times over?); not read");
      return false;
    }
    include_budget_ -= cost;
    return true;
  };
  std::vector<std::string> candidates;
  if (!name.empty() && name[0] == '/') {
    candidates.push_back(name);
  } else {
    if (quoted) {
      candidates.push_back(files_[frame.file].dir + name);
    }
    candidates.push_back(main_dir_ + name);
    for (const std::string& dir : options_.include_dirs) {
      candidates.push_back(dir.empty() || dir.back() == '/' ? dir + name
                                                            : dir + "/" + name);
    }
  }
  for (const std::string& path : candidates) {
    auto known = files_by_path_.find(path);
    std::uint32_t index;
    if (known != files_by_path_.end()) {
      index = known->second;
      // A file with #pragma once, one whose text is all inside
      // #ifndef GUARD ... #endif with GUARD now defined, or one of
      // #define lines alone with no macro changed since it was read would
      // add nothing: it is not read again.
      const SourceFile& known_file = files_[index];
      if (known_file.once ||
          (!known_file.guard.empty() && macros_.contains(known_file.guard)) ||
          known_file.defines_only_until == macro_changes_) {
        return;
      }
      // A file that includes itself, directly or not, would never end.
      bool reading =
          std::any_of(stack_.begin(), stack_.end(),
                      [&](const FileFrame& f) { return f.file == index; });
      if (reading) {
        report(line[1], "'" + name + "' includes itself; not read again");
        return;
      }
    } else {
      std::string bytes, error;
      if (!options_.loader(path, bytes, error)) {
        continue;
      }
      index = add_file(path, std::move(bytes));
      files_by_path_.emplace(path, index);
    }
    if (affordable(index)) {
      push_file(index);
    }
    return;
  }
  // Scripts written on Windows name files in any case: on disk, a file
  // whose name differs only in case is the one meant.
  if (from_disk_) {
    for (const std::string& path : candidates) {
      std::string found = find_ignoring_case(path);
      if (!found.empty()) {
        std::string bytes, error;
        if (options_.loader(found, bytes, error)) {
          std::uint32_t index = add_file(found, std::move(bytes));
          files_by_path_.emplace(path, index);
          if (affordable(index)) {
            push_file(index);
          }
          return;
        }
      }
    }
  }
  report(line[1], "cannot find include file '" + name + "'");
}

std::optional<Token> Preprocessor::pragma(FileFrame& frame,
                                          const TokenList& line) {
  if (line.size() >= 2 && line[1].text == "once") {
    files_[frame.file].once = true;
    return std::nullopt;
  }
  if (line.size() < 2 || line[1].text != "code_page") {
    return std::nullopt;
  }
  if (line.size() < 5 || !line[2].is('(') || !line[4].is(')')) {
    report(line[1], "#pragma code_page needs (NUMBER) or (DEFAULT)");
    return std::nullopt;
  }
  Token marker = line[1];
  marker.kind = TokenKind::CodePage;
  marker.line_start = true;
  if (line[3].text == "DEFAULT") {
    marker.codepage = 0;
    return marker;
  }
  std::optional<std::int64_t> page = c_number(line[3].text);
  if (!page || *page <= 0 || *page > 65535) {
    report(line[3], "bad code page '" + std::string(line[3].text) + "'");
    return std::nullopt;
  }
  marker.codepage = static_cast<std::uint16_t>(*page);
  return marker;
}

bool Preprocessor::condition(const TokenList& line, std::size_t from) {
  // `defined NAME` and `defined(NAME)` are answered before any expansion.
  TokenList tokens;
  for (std::size_t i = from; i < line.size(); ++i) {
    if (line[i].text != "defined" || line[i].kind != TokenKind::Identifier) {
      tokens.push_back(line[i]);
      continue;
    }
    std::size_t at = i + 1;
    bool paren = at < line.size() && line[at].is('(');
    if (paren) {
      ++at;
    }
    if (at >= line.size() || line[at].kind != TokenKind::Identifier ||
        (paren && (at + 1 >= line.size() || !line[at + 1].is(')')))) {
      report(line[i], "bad use of 'defined'");
      return false;
    }
    bool defined = macros_.contains(line[at].text) ||
                   (standard_headers_ && constant(line[at].text));
    Token value = line[i];
    value.kind = TokenKind::Number;
    value.text = defined ? "1" : "0";
    tokens.push_back(value);
    i = paren ? at + 1 : at;
  }
  std::vector<std::string_view> disabled;
  TokenList expanded = expand_list(tokens, disabled, 0);
  std::string error;
  std::optional<std::int64_t> value =
      ConditionEvaluator(expanded, standard_headers_ ? this : nullptr)
          .evaluate(error);
  if (!value) {
    report(line[0], "cannot evaluate #" + std::string(line[0].text) + ": " +
                        error + "; taken as false");
    return false;
  }
  return *value != 0;
}

bool Preprocessor::spend(std::size_t tokens, const Token& at) {
  if (budget_warned_) {
    return false;
  }
  if (tokens <= expansion_budget_) {
    expansion_budget_ -= tokens;
    return true;
  }
  budget_warned_ = true;
  report(at,
         "macro expansion too large (recursive macros?); macros are no "
         "longer expanded");
  return false;
}

bool Preprocessor::collect_args(const Macro& macro, const TokenList& source,
                                std::size_t& at, std::vector<TokenList>& args) {
  // `at` is just past the '('; on success it is just past the ')'.
  args.assign(1, TokenList());
  int depth = 0;
  while (at < source.size()) {
    const Token& token = source[at++];
    if (token.is(')') && depth == 0) {
      if (args.size() == 1 && args[0].empty() && macro.params.empty()) {
        args.clear();
      }
      return true;
    }
    if (token.is('(')) {
      ++depth;
    } else if (token.is(')')) {
      --depth;
    } else if (token.is(',') && depth == 0 &&
               !(macro.variadic && args.size() == macro.params.size())) {
      args.emplace_back();
      continue;
    }
    args.back().push_back(token);
  }
  return false;
}

Preprocessor::TokenList Preprocessor::substitute(
    const Macro& macro, const std::vector<TokenList>& raw_args,
    std::vector<std::string_view>& disabled, int depth) {
  auto param_index = [&](const Token& token) -> std::size_t {
    if (token.kind != TokenKind::Identifier) {
      return macro.params.size();
    }
    auto found =
        std::find(macro.params.begin(), macro.params.end(), token.text);
    return static_cast<std::size_t>(found - macro.params.begin());
  };
  std::vector<std::optional<TokenList>> expanded(raw_args.size());
  TokenList out;
  const TokenList& body = macro.body;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const Token& token = body[i];
    if (token.is('#') && macro.function_like && i + 1 < body.size() &&
        param_index(body[i + 1]) < raw_args.size()) {
      // #param: the argument's spelling as a string literal.
      std::string text = "\"";
      const TokenList& arg = raw_args[param_index(body[++i])];
      if (!spend(arg.size(), token)) {
        continue;
      }
      for (std::size_t k = 0; k < arg.size(); ++k) {
        if (k > 0) {
          text += ' ';
        }
        for (char c : arg[k].text) {
          if (c == '"' || c == '\\') {
            text += '\\';
          }
          text += c;
        }
      }
      text += '"';
      Token made = token;
      made.kind = TokenKind::String;
      made.text = keep(std::move(text));
      out.push_back(made);
      continue;
    }
    if (token.is("##") && !out.empty() && i + 1 < body.size()) {
      // a ## b: the two spellings joined and read again as one token.
      const Token& right_token = body[++i];
      std::size_t p = param_index(right_token);
      TokenList right =
          p < raw_args.size() ? raw_args[p] : TokenList{right_token};
      if (right.empty()) {
        continue;
      }
      Token left = out.back();
      out.pop_back();
      std::string_view joined =
          keep(std::string(left.text) + std::string(right[0].text));
      Lexer relex(joined, left.file);
      Token made = relex.next();
      Token rest = relex.next();
      if (rest.kind == TokenKind::End) {
        left.kind = made.kind;
        left.text = made.text;
        out.push_back(left);
      } else {
        out.push_back(left);
        out.push_back(right[0]);
      }
      out.insert(out.end(), right.begin() + 1, right.end());
      continue;
    }
    std::size_t p = param_index(token);
    if (p >= macro.params.size()) {
      out.push_back(token);
      continue;
    }
    if (p >= raw_args.size()) {
      continue;  // a missing argument is empty
    }
    bool pasted = i + 1 < body.size() && body[i + 1].is("##");
    if (pasted) {
      out.insert(out.end(), raw_args[p].begin(), raw_args[p].end());
      continue;
    }
    if (!expanded[p]) {
      expanded[p] = expand_list(raw_args[p], disabled, depth + 1);
    }
    out.insert(out.end(), expanded[p]->begin(), expanded[p]->end());
  }
  return out;
}

Preprocessor::TokenList Preprocessor::expand_list(
    const TokenList& tokens, std::vector<std::string_view>& disabled,
    int depth) {
  TokenList out;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const Macro* found = token.kind == TokenKind::Identifier &&
                                 !budget_warned_ && depth < kMaxExpansionDepth
                             ? macros_.find(token.text)
                             : nullptr;
    if (!found || std::find(disabled.begin(), disabled.end(), token.text) !=
                      disabled.end()) {
      out.push_back(token);
      continue;
    }
    const Macro& macro = *found;
    std::vector<TokenList> args;
    if (macro.function_like) {
      std::size_t at = i + 1;
      if (at >= tokens.size() || !tokens[at].is('(')) {
        out.push_back(token);
        continue;
      }
      ++at;
      if (!collect_args(macro, tokens, at, args)) {
        report(token,
               "unterminated call of macro '" + std::string(token.text) + "'");
        return out;
      }
      i = at - 1;
    }
    if (!spend(macro.body.size() + 1, token)) {
      out.push_back(token);
      continue;
    }
    TokenList body = substitute(macro, args, disabled, depth);
    disabled.push_back(token.text);
    TokenList result = expand_list(body, disabled, depth + 1);
    disabled.pop_back();
    if (!spend(result.size(), token)) {
      out.push_back(token);
      continue;
    }
    out.insert(out.end(), result.begin(), result.end());
  }
  return out;
}

void Preprocessor::expand_from_stream(const Token& name, const Macro& macro) {
  // Most macros of a script are `#define IDC_NAME 1001`: an object-like
  // macro whose body holds no name to expand and no ## expands to its body
  // as it is. This gives what expand_list gives (the same budget spent, the
  // name itself once the budget is out) without the lists it builds.
  if (macro.plain) {
    bool spent =
        spend(macro.body.size() + 1, name) && spend(macro.body.size(), name);
    if (spent) {
      place_expansion(name, name, macro.body);
    } else {
      place_expansion(name, name, TokenList{name});
    }
    return;
  }
  TokenList call{name};
  if (macro.function_like) {
    // The arguments may follow on the next lines.
    Token open = next_unexpanded();
    if (!open.is('(')) {
      // The name alone is not a call; what follows is read as usual.
      unexpanded_ = open;
      pending_.push_back(name);
      return;
    }
    call.push_back(open);
    int depth = 0;
    for (;;) {
      Token token = next_unexpanded();
      if (token.kind == TokenKind::End || token.kind == TokenKind::CodePage) {
        report(name,
               "unterminated call of macro '" + std::string(name.text) + "'");
        if (token.kind == TokenKind::CodePage) {
          pending_.push_back(token);
        }
        return;
      }
      call.push_back(token);
      if (token.is('(')) {
        ++depth;
      } else if (token.is(')') && depth-- == 0) {
        break;
      }
    }
  }
  std::vector<std::string_view> disabled;
  place_expansion(name, call.back(), expand_list(call, disabled, 0));
}

void Preprocessor::place_expansion(const Token& name, const Token& last,
                                   const TokenList& result) {
  // Every token of the result stands at the call: its range is the call's,
  // so that the text "as written" is the macro's name and arguments.
  bool same_file = last.file == name.file && last.end >= name.begin;
  ++expansions_;
  std::size_t base = pending_.size();
  pending_.insert(pending_.end(), result.rbegin(), result.rend());
  for (std::size_t i = base; i < pending_.size(); ++i) {
    Token& token = pending_[i];
    token.file = name.file;
    token.begin = name.begin;
    token.end = same_file ? last.end : name.end;
    token.line = name.line;
    token.column = name.column;
    token.expansion = expansions_;
    token.line_start = false;
  }
  if (pending_.size() > base && name.line_start) {
    pending_.back().line_start = true;  // the first token, taken first
  }
}

std::string Preprocessor::written(const Token& first, const Token& last) const {
  // Most of what is kept as written is one name or number read from the
  // file: its text, which holds no blank.
  bool one_word =
      first.expansion == 0 && first.file == last.file &&
      first.begin == last.begin && first.end == last.end &&
      (first.kind == TokenKind::Identifier || first.kind == TokenKind::Number);
  if (one_word) {
    return std::string(first.text);
  }
  // Every token a macro call gives carries the call's whole range. An
  // expression read from a part of a long call (a DLGINIT's numbers, a
  // dialog's controls passed to one macro) would be written as the whole
  // call, once per expression: time and memory the square of the call's
  // length. Past kLongCall bytes, such an expression is written as its
  // own tokens.
  constexpr std::uint32_t kLongCall = 256;
  bool from_call = first.expansion != 0 || last.expansion != 0;
  if (from_call && first.file == last.file && first.begin <= last.end &&
      last.end - first.begin > kLongCall) {
    bool one_token = first.text.data() == last.text.data() &&
                     first.text.size() == last.text.size();
    return one_token ? std::string(first.text)
                     : std::string(first.text) + " " + std::string(last.text);
  }
  std::string text;
  if (first.file == last.file && first.begin <= last.end &&
      first.file < files_.size() &&
      last.end <= files_[first.file].text.size()) {
    std::string_view raw = std::string_view(files_[first.file].text)
                               .substr(first.begin, last.end - first.begin);
    // A blank, or the backslash of a line continuation.
    auto blank_at = [&](std::size_t i) {
      char c = raw[i];
      if (c == '\\') {
        return i + 1 < raw.size() && (raw[i + 1] == '\n' || raw[i + 1] == '\r');
      }
      return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    // This runs for every identifier, style and ID the parser keeps: the
    // text between blanks is copied as whole runs rather than by character.
    text.reserve(raw.size());
    bool blank = false;
    std::size_t i = 0;
    while (i < raw.size()) {
      std::size_t run = i;
      while (i < raw.size() && !blank_at(i)) {
        ++i;
      }
      if (i > run) {
        if (blank && !text.empty()) {
          text += ' ';
        }
        blank = false;
        text.append(raw, run, i - run);
      }
      while (i < raw.size() && blank_at(i)) {
        blank = true;
        ++i;
      }
    }
    return text;
  }
  return std::string(first.text) + " " + std::string(last.text);
}

}  // namespace dlgforge::port
