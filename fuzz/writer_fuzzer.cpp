// libFuzzer target for the port writer: any bytes, read as a resource
// script, described, and printed as the FreeBASIC program for GTK+ 2 and for
// GTK 3, with the base units fixed or measured at run time (by the input's
// length, so that each input always takes the same path). Besides crashes
// and hangs it stops at anything of the script that could get into a
// program as code:
//   - every name the description gives a function, variable, widget or
//     constant is a FreeBASIC identifier, and an id is a constant's name or
//     none;
//   - in the program text every string literal is closed on its line and
//     holds no control character, a comment holds none either, and outside
//     them there is only printable ASCII.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_script.h"
#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

namespace {

[[noreturn]] void malformed(std::string_view what, std::string_view where) {
  std::fprintf(stderr, "malformed %.*s: %.*s\n", static_cast<int>(what.size()),
               what.data(), static_cast<int>(where.size()), where.data());
  std::abort();
}

bool is_identifier(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
    return false;
  }
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              (c >= '0' && c <= '9') || c == '_';
    if (!ok) {
      return false;
    }
  }
  return true;
}

void check_name(std::string_view name) {
  if (!is_identifier(name)) {
    malformed("name", name);
  }
}

void check_id_name(std::string_view name) {
  if (!name.empty()) {
    check_name(name);
  }
}

void check_entries(const std::vector<dlgforge::port::MenuEntry>& entries) {
  for (const dlgforge::port::MenuEntry& entry : entries) {
    check_id_name(entry.id_name);
    check_entries(entry.items);
  }
}

void check_names(const dlgforge::port::Description& description) {
  for (const dlgforge::port::Dialog& dialog : description.dialogs) {
    check_name(dialog.function);
    check_name(dialog.window);
    check_name(dialog.procedure);
    for (const dlgforge::port::Widget& widget : dialog.widgets) {
      check_name(widget.name);
      check_id_name(widget.id_name);
    }
  }
  for (const dlgforge::port::MenuBar& menu : description.menus) {
    check_name(menu.function);
    check_entries(menu.items);
    for (const dlgforge::port::Shortcut& shortcut : menu.shortcuts) {
      check_id_name(shortcut.id_name);
    }
  }
  for (const dlgforge::port::IdConstant& constant : description.constants) {
    check_name(constant.name);
  }
}

__attribute__((no_sanitize("coverage", "address", "undefined"))) bool
is_control(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// Reads the program line by line as fbc does: `"` opens and closes a
// literal (`""` inside it is a quote), `'` outside one starts a comment.
// The check reads every byte of two programs of some hundred kilobytes: left
// uninstrumented, it costs the fuzzer nothing, where traced comparisons
// took most of each execution, and it guides no mutation anyway.
__attribute__((no_sanitize("coverage", "address", "undefined"))) void
check_program(std::string_view program) {
  // Raw pointers, not string_view's members: those are instrumented
  // functions of their own, called for every byte.
  const char* at = program.data();
  const char* const end = at + program.size();
  while (at < end) {
    const char* line_end = at;
    while (line_end < end && *line_end != '\n') {
      ++line_end;
    }
    const std::string_view line(at, static_cast<std::size_t>(line_end - at));
    bool literal = false;
    for (const char* p = at; p < line_end; ++p) {
      auto c = static_cast<unsigned char>(*p);
      if (literal) {
        if (c == '"' && p + 1 < line_end && p[1] == '"') {
          ++p;
        } else if (c == '"') {
          literal = false;
        } else if (is_control(c)) {
          malformed("string literal", line);
        }
        continue;
      }
      if (c == '"') {
        literal = true;
      } else if (c == '\'') {
        for (const char* q = p + 1; q < line_end; ++q) {
          if (*q != '\t' && is_control(static_cast<unsigned char>(*q))) {
            malformed("comment", line);
          }
        }
        break;
      } else if (c != '\t' && (is_control(c) || c >= 0x80)) {
        malformed("code", line);
      }
    }
    if (literal) {
      malformed("string literal (not closed)", line);
    }
    at = line_end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  dlgforge::model::Model model =
      dlgforge::fuzzing::read_fuzz_script(data, size);
  dlgforge::port::Description description = dlgforge::port::describe(model, "");
  check_names(description);
  dlgforge::port::WriterOptions options;
  options.script_name = "fuzz.rc";
  if (size % 2 == 0) {
    options.base_units = dlgforge::DialogBaseUnits{6, 13};
  }
  check_program(dlgforge::port::write_freebasic(description, options));
  check_program(dlgforge::port::write_freebasic_gtk3(description, options));
  return 0;
}
