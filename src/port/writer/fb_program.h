// The outline every FreeBASIC port program shares, whatever its toolkit:
// handler declarations and bodies, the window and control variables, the
// menu bar functions (GtkMenuBar and its items are spelled alike in GTK+ 2
// and GTK 3), the dialog chooser and the main program. Each toolkit's
// writer derives from it and prints only what is its own: the heading, the
// helpers and each dialog's function.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "port/widgets/description.h"
#include "port/writer/fb_writer.h"

namespace dlgforge::port {

/// The helpers the GTK+ 2 and GTK 3 programs carry word for word: the
/// letter-case and digit filters of edit fields and the pieces of scrolled
/// and list widgets. Each writer prints them amid its own helpers.
extern const std::string_view kSharedHelpers;

/// A number as FreeBASIC reads it back.
std::string number(int value);
/// An alignment (0, 0.5 or 1) as FreeBASIC reads it back.
std::string number(float value);
/// The comment line naming a widget's statement in the script.
std::string describe_source(const Widget& widget);

class FbProgramPrinter {
 public:
  FbProgramPrinter(const Description& description, const WriterOptions& options)
      : description_(description), options_(options) {}
  virtual ~FbProgramPrinter() = default;
  FbProgramPrinter(const FbProgramPrinter&) = delete;
  FbProgramPrinter& operator=(const FbProgramPrinter&) = delete;

  /// The whole program: heading, declarations, helpers, menu functions,
  /// dialog functions, the main program, the handler bodies.
  std::string print();

 protected:
  /// The toolkit's own parts.
  virtual void heading() = 0;
  virtual void helpers() = 0;
  virtual void dialog_function(const Dialog& dialog) = 0;
  /// The statement that applies the compact control style at start-up.
  virtual std::string style_call() const = 0;

  void declarations();
  void declare_menu_handlers(const std::vector<MenuEntry>& items,
                             std::string& handlers);
  static std::string parameters(Signal signal);
  static std::string comment_for(Signal signal);
  static int menu_depth(const std::vector<MenuEntry>& items);
  void menu_function(const MenuBar& bar);
  void menu_items(const std::vector<MenuEntry>& items, int level);
  void accelerator(const MenuEntry& entry);
  /// An edit field's settings, alike in both toolkits.
  void entry(const Widget& widget);
  void dialog_by_name();
  void main_program();
  void handler_bodies();
  void menu_handler_bodies(const std::vector<MenuEntry>& items);
  static std::string fb_comment(std::string_view text);

  const Description& description_;
  const WriterOptions& options_;
  std::string out_;
  /// Per dialog: the first radio button of each group, by group number.
  std::unordered_map<int, std::string> radio_first_;
};

}  // namespace dlgforge::port
