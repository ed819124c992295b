// The preprocessor of resource scripts: directives (#define, #undef, #if
// and its family, #include, #pragma code_page, #error, #line), macro
// expansion, and the files it reads. It hands the parser a stream of tokens
// in which every macro is expanded and every inactive line is gone; a
// `#pragma code_page` becomes a CodePage token at its place in the stream.
// Included C headers (.h, .c) give only their directives, as the resource
// compiler reads them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "port/model/model.h"
#include "port/reader/lexer.h"

namespace dlgforge::port {

/// Reads a whole file into `bytes`; on failure returns false with the
/// reason (strerror text) in `error`.
using FileLoader = std::function<bool(const std::string& path,
                                      std::string& bytes, std::string& error)>;

/// Reads a file from disk; a directory is refused.
bool load_file(const std::string& path, std::string& bytes, std::string& error);

struct PreprocessorOptions {
  std::vector<std::string> include_dirs;
  /// NAME and VALUE of each -D, VALUE being "1" when none was given.
  std::vector<std::pair<std::string, std::string>> defines;
  FileLoader loader;  // load_file when empty
};

/// A file the preprocessor has read, kept for the whole reading because
/// tokens are views of its text.
struct SourceFile {
  std::string name;  // as found: the script's path, or the include's
  /// The same name for the model's positions to share.
  std::shared_ptr<const std::string> shared_name;
  std::string dir;   // its folder, "" for the current one
  std::string text;  // UTF-8 when `unicode`, else the script's bytes
  bool unicode = false;
  bool utf8 = false;             // no byte-order mark, valid UTF-8 beyond ASCII
  bool directives_only = false;  // a C header: only directives count
  /// GUARD when the whole text is one `#ifndef GUARD` ... `#endif` block,
  /// known once the file has been read to its end; a view of `text`.
  std::string_view guard;
  /// When the file held nothing but #define lines the last time it was
  /// read: the count of macro changes at its end. While no macro changes
  /// after that, reading it again would change nothing (Visual C++'s
  /// resource.h has no guard, and many scripts include it everywhere).
  std::optional<std::uint64_t> defines_only_until;
  bool once = false;  // #pragma once seen
};

/// The files read so far, in the order they were first read. A file stays
/// at its address until the reading ends, and so does the list's slot for
/// it: the parser may look a file up on another thread while the
/// preprocessor adds the next ones.
class SourceFiles {
 public:
  SourceFiles() = default;
  SourceFiles(const SourceFiles&) = delete;
  SourceFiles& operator=(const SourceFiles&) = delete;

  std::uint32_t size() const { return size_.load(std::memory_order_acquire); }
  SourceFile& operator[](std::uint32_t index) const {
    auto [segment, offset] = place(index);
    return *segments_[segment][offset];
  }
  /// Adds a file and returns its index.
  std::uint32_t push_back(std::unique_ptr<SourceFile> file);

 private:
  // Segment k holds kFirst << k slots: the slots never move, and 26
  // segments hold more files than an index can count.
  static constexpr std::uint32_t kFirst = 64;
  static constexpr std::size_t kSegments = 26;
  static std::pair<std::size_t, std::uint32_t> place(std::uint32_t index);

  std::array<std::unique_ptr<std::unique_ptr<SourceFile>[]>, kSegments>
      segments_;
  std::atomic<std::uint32_t> size_{0};
};

/// A warning of the preprocessor's own held back while the parser reads on
/// another thread: recorded by the parser's thread when it takes the token
/// that was being read when the warning arose.
struct HeldWarning {
  std::uint64_t token = 0;  // how many tokens had been handed out before
  Token at;
  std::string message;
};

class Preprocessor {
 public:
  Preprocessor(PreprocessorOptions options, model::Model& model);
  ~Preprocessor();

  /// Starts with the script at `path`; false with the reason when it cannot
  /// be read.
  bool open(const std::string& path, std::string& error);
  /// Starts with a script given as bytes (for tests and fuzzing).
  void open_text(const std::string& name, std::string bytes);

  /// The next token, End at the end of the script.
  Token next();
  /// The same, written into `token`.
  void next(Token& token);

  /// The size of the script's text (without the files it includes).
  std::size_t script_size() const;

  /// While `into` is set, the preprocessor's own warnings are added to it
  /// rather than recorded: the token pipeline sets it on its reading thread.
  void hold_warnings(std::vector<HeldWarning>* into) { held_ = into; }

  const SourceFile& file(std::uint32_t index) const { return files_[index]; }

  /// The file whose text holds the token's spelling: for a token a macro
  /// gave, the file of the macro's definition rather than of the call.
  const SourceFile& spelling_file(const Token& token) const;

  /// Whether one of the standard Windows headers was included.
  bool standard_headers_included() const { return standard_headers_; }

  /// The value of a constant that the standard headers included before the
  /// token `name` define: the Windows constants, which are known whether or
  /// not a header was included, and the ids of MFC and ATL applications
  /// once afxres.h or atlres.h was.
  std::optional<std::uint32_t> constant(const Token& name) const;
  /// The same with the headers included so far, for the preprocessor's own
  /// `#if` lines.
  std::optional<std::uint32_t> constant(std::string_view name) const;

  /// The text of a token run as written in the file, blanks collapsed; the
  /// spellings joined by blanks when the run is not in one file.
  std::string written(const Token& first, const Token& last) const;

  /// Where the file a resource names (`res\\app.ico`) is on disk: looked
  /// for in the folder of the file that names it, the script's folder and
  /// the -I folders, in that order, on disk each part of the name in any
  /// case; "" when it is in none of them. The file is not read from disk;
  /// a loader given instead of the disk is asked for it.
  std::string find_resource_file(const Token& at, std::string name) const;

  /// Records `FILE:LINE:COL: warning: MESSAGE` at the token.
  void warn(const Token& at, std::string message);
  void warn(HeldWarning&& held) { warn(held.at, std::move(held.message)); }

 private:
  /// How far a file read so far may still be one include guard's block.
  enum class GuardState : std::uint8_t {
    Start,   // nothing but blanks yet
    Inside,  // in the first #ifndef's block
    Closed,  // after that block's #endif, nothing but blanks
    None,    // anything else: no guard
  };
  struct FileFrame {
    std::uint32_t file;
    Lexer lexer;
    std::size_t conditional_base;
    std::optional<Token> peeked;
    GuardState guard_state = GuardState::Start;
    std::string_view guard;
    bool defines_only = true;
  };
  struct Conditional {
    bool parent_active;
    bool active;
    bool taken;
    bool seen_else;
  };
  struct Macro {
    bool function_like = false;
    bool variadic = false;
    // Object-like, with no name and no ## in its body: expands to its body
    // as it is.
    bool plain = false;
    std::vector<std::string_view> params;
    std::vector<Token> body;
  };
  using TokenList = std::vector<Token>;
  void next_token(Token& token);
  /// A warning of the preprocessor's own: recorded, or held while the
  /// parser reads on another thread.
  void report(const Token& at, std::string message);
  /// The macros by name. A script can define tens of thousands and looks
  /// one up for every name it reads: the names and their hashes sit in one
  /// open-addressed array, so that a look-up touches one slot and the name's
  /// text rather than a chain of nodes. A macro stays at its address until
  /// the reading ends, even when it is undefined.
  class MacroTable {
   public:
    Macro* find(std::string_view name);
    bool contains(std::string_view name) { return find(name) != nullptr; }
    void set(std::string_view name, Macro macro);
    void erase(std::string_view name);

   private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    static constexpr std::uint32_t kErased = 0xFFFFFFFE;
    struct Slot {
      std::size_t hash = 0;
      std::string_view name;
      std::uint32_t macro = kEmpty;  // index in macros_, or kEmpty, kErased
    };
    /// The slot that holds `name`, or the empty one where it would go.
    Slot& slot(std::string_view name, std::size_t hash);
    void grow();

    std::vector<Slot> slots_;
    std::size_t taken_ = 0;  // slots not empty, erased ones included
    std::deque<Macro> macros_;
  };

  std::uint32_t add_file(std::string name, std::string bytes);
  std::string find_ignoring_case(const std::string& path) const;
  void push_file(std::uint32_t index);
  Token lex(FileFrame& frame);
  void lex(FileFrame& frame, Token& token);
  void read_file_token(Token& token);
  Token next_unexpanded();
  TokenList rest_of_line(FileFrame& frame);
  bool skipping() const;
  std::optional<Token> directive(FileFrame& frame);
  void define(const TokenList& line);
  void include(FileFrame& frame, const TokenList& line);
  std::optional<Token> pragma(FileFrame& frame, const TokenList& line);
  bool condition(const TokenList& line, std::size_t from);
  void close_file();
  /// Follows whether the file read in `frame` is one include guard's block;
  /// `line` is a directive's, before it is carried out.
  void note_guard(FileFrame& frame, const TokenList& line);

  void expand_from_stream(const Token& name, const Macro& macro);
  /// Hands the parser a call's expansion, placed at the call from `name`
  /// to `last`.
  void place_expansion(const Token& name, const Token& last,
                       const TokenList& result);
  bool collect_args(const Macro& macro, const TokenList& source,
                    std::size_t& at, std::vector<TokenList>& args);
  TokenList substitute(const Macro& macro,
                       const std::vector<TokenList>& raw_args,
                       std::vector<std::string_view>& disabled, int depth);
  TokenList expand_list(const TokenList& tokens,
                        std::vector<std::string_view>& disabled, int depth);
  bool spend(std::size_t tokens, const Token& at);
  std::string_view keep(std::string text);

  PreprocessorOptions options_;
  model::Model& model_;
  SourceFiles files_;
  std::unordered_map<std::string, std::uint32_t> files_by_path_;
  std::vector<FileFrame> stack_;
  std::vector<Conditional> conditionals_;
  MacroTable macros_;
  std::vector<Token> pending_;       // expanded tokens, next one last
  std::optional<Token> unexpanded_;  // read ahead, not yet expanded
  std::deque<std::string> made_text_;
  std::string main_dir_;
  bool standard_headers_ = false;
  bool framework_headers_ = false;
  bool from_disk_ = false;  // files are read with load_file
  std::size_t include_budget_ = 0;
  /// The names in each folder looked through for a file in another case;
  /// the parser's thread and the preprocessor's both look.
  mutable std::unordered_map<std::string, std::vector<std::string>> listings_;
  mutable std::mutex listings_mutex_;
  std::vector<HeldWarning>* held_ = nullptr;
  std::uint64_t handed_out_ = 0;     // tokens returned by next()
  std::uint64_t macro_changes_ = 0;  // #define and #undef lines carried out
  std::size_t expansion_budget_ = 0;
  bool budget_warned_ = false;
  std::uint32_t expansions_ = 0;
  std::size_t warnings_dropped_ = 0;
};

}  // namespace dlgforge::port
