// Reading a resource script into the resource model: the entry points of
// the port reader. Dialogs, menus, string tables, accelerators, toolbars,
// DLGINIT and version information are read, resources given as files are
// found; the blocks of other resources are read over and left out.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "port/model/model.h"
#include "port/reader/preprocessor.h"

namespace dlgforge::port {

struct ReaderOptions {
  std::vector<std::string> include_dirs;  // -I DIR, searched in order
  /// -D NAME[=VALUE]: NAME and VALUE ("1" when none was given).
  std::vector<std::pair<std::string, std::string>> defines;
  /// --codepage N: the code page of text when neither a #pragma code_page
  /// nor a LANGUAGE says one; 0 for the default, 1252.
  unsigned codepage = 0;
  /// How files are read; from disk when empty. Reading on two threads, it
  /// is called from both (includes on one, a resource's file on the other).
  FileLoader loader;
  /// 1: the parser asks the preprocessor for each token; 2: the
  /// preprocessor reads ahead on a thread of its own; 0: two threads for a
  /// script of kPipelinedScript bytes or more on a machine of two cores or
  /// more. The model is the same either way.
  unsigned threads = 0;
  /// Called on the preprocessor's thread, when reading on two, after each
  /// batch of tokens: work for a thread that waits on the parser (the
  /// driver faults in the heap the model grows into).
  std::function<void()> between_batches = {};
};

inline constexpr std::size_t kPipelinedScript = std::size_t{256} << 10;

/// Reads the script at `path` into `model`. Returns false, with the reason
/// in `error`, only when the script itself cannot be read; everything else
/// that goes wrong is a warning in the model.
bool read_resource_script(const std::string& path, const ReaderOptions& options,
                          model::Model& model, std::string& error);

/// Reads a script given as bytes, named `name` in messages.
model::Model read_resource_text(const std::string& name, std::string bytes,
                                const ReaderOptions& options);

/// The code page that a LANGUAGE implies for text (932 for Japanese, 1251
/// for Cyrillic languages, ...), 0 for a neutral language.
unsigned codepage_of_language(unsigned primary, unsigned sublanguage);

}  // namespace dlgforge::port
