// Texts of port mode: Windows prefix characters (`&`) turned into toolkit
// mnemonics (`_`), menu texts split at their accelerator, SysLink texts
// turned into link markup. The result is the convention GTK and most
// toolkits share; the toolkit calls themselves are the back ends' business.
#pragma once

#include <string>
#include <string_view>

namespace dlgforge::port {

/// A text in mnemonic form: `_x` marks the mnemonic, `__` is a literal
/// underscore.
struct MnemonicText {
  std::string text;
  bool has_mnemonic = false;  ///< an `&x` of the script became `_x`
};

/// `&x` becomes `_x` (the first one only carries the mnemonic, later ones
/// show their letter, as Windows underlines one), `&&` a literal `&`, `_`
/// becomes `__`; a final lone `&` is dropped, as Windows shows nothing for
/// it.
MnemonicText to_mnemonic(std::string_view windows_text);

/// A menu item text cut at its first tab: the label, and what follows as
/// the accelerator text ("Ctrl+O"), empty when there is no tab. Windows also
/// right-aligns at `\a`; it is treated the same way.
struct MenuText {
  std::string label;
  std::string accelerator;
};
MenuText split_menu_text(std::string_view text);

/// A parsed accelerator text: a key name the toolkit knows ("o", "F1",
/// "Delete") and its modifiers. Empty `key` when the text is not
/// understood.
struct Accelerator {
  std::string key;
  bool control = false;
  bool shift = false;
  bool alt = false;
};
Accelerator parse_accelerator(std::string_view text);

/// The text with `&`, `<`, `>` written as markup entities.
std::string escape_markup(std::string_view text);

/// A SysLink text as label markup: its `<a>` and `<a href="...">` tags kept
/// as links (a link without a target gets "#"), everything else escaped.
std::string link_markup(std::string_view text);

}  // namespace dlgforge::port
