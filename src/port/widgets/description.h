// The widgets of a ported script, described once for every back end: what
// each dialog and menu of the resource model becomes (kind, text, place in
// dialog units, state, radio group, handler, font, menu tree), in terms most
// toolkits share. The FreeBASIC writer prints it; a live preview or another
// toolkit's writer performs the same description. Nothing here knows how a
// toolkit spells a call.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "port/model/model.h"
#include "port/pictures/pictures.h"
#include "port/widgets/fonts.h"
#include "port/widgets/geometry.h"
#include "port/widgets/ids.h"

namespace dlgforge::port {

enum class WidgetKind {
  Button,        ///< push button
  ToggleButton,  ///< push-like check box or radio button
  CheckButton,
  RadioButton,
  GroupBox,  ///< frame with a label
  Label,
  LinkLabel,      ///< label whose text is link markup
  Separator,      ///< etched line; `vertical` for SS_ETCHEDVERT
  FilledBox,      ///< black, gray or white rectangle
  OutlineBox,     ///< frame without a label
  Image,          ///< icon or bitmap, a stock image standing in
  Entry,          ///< one-line edit field
  TextView,       ///< multi-line edit field, scrolled
  ListBox,        ///< one-column list, scrolled
  ListView,       ///< list view and tree view controls, scrolled
  ComboBox,       ///< drop-down list
  ComboBoxEntry,  ///< combo box with an edit field
  ScrollBar,
  Slider,
  ProgressBar,
  SpinButton,
  Notebook,
  Calendar,
  Custom,  ///< a class no toolkit has: a labelled frame for the user's widget
};

/// The name of a kind, for comments, reports and tests ("CheckButton").
std::string_view kind_name(WidgetKind kind);

/// What a control tells its dialog's procedure: a Windows notification
/// code with the command of the control's id, raised by a toolkit signal.
enum class Notification {
  Clicked,          ///< BN_CLICKED: "clicked", any button
  EditChange,       ///< EN_CHANGE: "changed" of an entry or a text buffer
  EditFocus,        ///< EN_SETFOCUS: "focus-in-event" of an edit field
  EditBlur,         ///< EN_KILLFOCUS: "focus-out-event" of an edit field
  ComboChange,      ///< CBN_SELCHANGE, or CBN_EDITCHANGE for typed text
  ListSelect,       ///< LBN_SELCHANGE: "changed" of a list's selection
  ListDoubleClick,  ///< LBN_DBLCLK: "row-activated" of a list
};

/// The toolkit's name of the signal that raises it ("clicked").
std::string_view signal_name(Notification notification);

/// What emits that signal: the widget itself, the text buffer of a
/// multi-line field, or the selection of a list.
enum class SignalSource { Widget, Buffer, Selection };
SignalSource signal_source(Notification notification, WidgetKind kind);

enum class Shade { Black, Gray, White };
/// The colour Windows fills a rectangle of this shade with, as "#RRGGBB",
/// which both gdk_color_parse and CSS read.
std::string_view shade_colour(Shade shade);

/// How the dialog manager sizes a control after creating it, beyond
/// turning the script's rectangle into pixels.
enum class Sizing {
  Script,       ///< the script's rectangle
  FieldHeight,  ///< drop-down combo boxes: as high as their edit field
  Icon,         ///< icons: the standard icon's size, whatever the script says
  Picture,      ///< bitmaps: the size of the script's bitmap
  WholeRows,    ///< list boxes: no taller than the rows that fit whole
};

/// The standard icon's size in pixels (the system's icon metric at 96 dpi).
inline constexpr int kIconPixels = 32;
/// The height of a list box row when the dialog manager sizes the list:
/// it does so before the dialog's font reaches the control, with the rows
/// of the system font, 16 pixels high.
inline constexpr int kSystemRowPixels = 16;
/// A list box's sunken border, on each side, in pixels.
inline constexpr int kListBorderPixels = 2;
/// Width of a window's scroll bar in pixels, and how much an up-down
/// control's arrows overlap the border of the field they are attached to
/// on its right.
inline constexpr int kScrollBarPixels = 17;
inline constexpr int kBuddyOverlapPixels = 2;

enum class Selection { None, Single, Multiple };
enum class StockImage { Information, Warning, Error, Question, Picture };
/// Which letter case an edit field keeps.
enum class LetterCase { Any, Upper, Lower };

struct Widget {
  WidgetKind kind = WidgetKind::Label;
  std::string name;  ///< unique in the program, "dlg_about_ok"
  /// What the script wrote, for comments and reports.
  std::string keyword;
  std::string class_name;
  std::string id_written;
  int source_line = 0;
  /// Index of the control in its dialog of the model: widgets skip the
  /// up-down controls that become part of their field's spin button.
  int control = -1;
  /// That up-down control, when this spin button holds one: its identifier
  /// as written and its line.
  std::string joined_id;
  int joined_line = 0;

  /// Text: mnemonic form (`_x`) when `use_mnemonic`, markup for a
  /// LinkLabel, else shown as it is.
  std::string text;
  bool use_mnemonic = false;

  DluRect rect;
  Sizing sizing = Sizing::Script;
  /// Pixels taken off the right of the rectangle once in pixels: a spin
  /// button made of a field and the up-down arrows the dialog manager
  /// attached on its right, which overlap the field's border.
  int trim_right = 0;
  /// Rows of a list box that the dialog manager sizes to whole rows: the
  /// border around them (WholeRows).
  int row_border = 0;
  bool sensitive = true;
  bool visible = true;
  bool is_default = false;  ///< the window's default button
  bool vertical = false;
  bool check_on_right = false;
  int radio_group = -1;       ///< group number within the dialog
  bool starts_group = false;  ///< first radio button of its group
  /// Labels: index of the widget their mnemonic moves to, -1 for none.
  int mnemonic_target = -1;
  bool focusable = false;

  /// Text layout: 0 left or top, 0.5 centered, 1 right or bottom.
  float xalign = 0, yalign = 0;
  bool wrap = false;

  // Edit fields.
  bool password = false;
  bool editable = true;
  bool digits_only = false;
  LetterCase letter_case = LetterCase::Any;

  Selection selection = Selection::Single;
  Shade shade = Shade::Black;
  StockImage stock = StockImage::Information;
  /// An Image that shows one of the script's pictures: the file's index in
  /// `Description::pictures` and the size it is shown at in pixels; -1 when
  /// the stock image stands alone. The stock image stays the fallback of a
  /// file that cannot be loaded.
  int picture = -1;
  int picture_width = 0, picture_height = 0;
  bool sunken = false;

  /// The control's id as the template stores it, and the program's
  /// constant for it (empty: the program writes the number).
  int id = 0;
  std::string id_name;
  /// The dialog group it belongs to: a group starts at each WS_GROUP
  /// control; the arrow keys move within one.
  int group = 0;
  /// A multi-line edit field with ES_WANTRETURN: Enter is a new line
  /// there, not the default button.
  bool want_return = false;
  /// What it tells the dialog's procedure, in this order.
  /// The same list for every widget of a kind.
  std::span<const Notification> notifications;
  /// A list or combo box's first items, from the script's DLGINIT.
  std::vector<std::string> items;
};

struct MenuEntry {
  enum class Kind { Item, Check, Radio, Separator, Submenu };
  Kind kind = Kind::Item;
  std::string text;        ///< mnemonic form
  std::string accel_text;  ///< as the script wrote it after the tab
  std::string accel_key;   ///< toolkit key name, empty when not understood
  bool accel_control = false, accel_shift = false, accel_alt = false;
  bool sensitive = true;
  bool active = false;
  int radio_group = -1;
  bool starts_group = false;
  std::string id_written;
  /// Items (not submenus or separators) are commands with this id, and
  /// the program's constant for it (empty: the number).
  int id = 0;
  std::string id_name;
  /// The string table's text for the id, MFC's way: the prompt a status
  /// bar shows while the item is selected, and the tooltip.
  std::string prompt, tooltip;
  std::vector<MenuEntry> items;  ///< a submenu's entries
};

/// A shortcut of the ACCELERATORS table that goes with a menu, for an id
/// no item of the menu has: the key fires that id's command.
struct Shortcut {
  std::string key;  ///< toolkit key name ("F5", "n", "Delete")
  bool control = false, shift = false, alt = false;
  int id = 0;
  std::string id_name;
};

struct MenuBar {
  std::string script_name;  ///< as written in the script
  std::string function;     ///< name of the function that builds it
  /// The function a window calls for this menu: `function`, or for a menu
  /// the script has in several languages, the one that builds the variant
  /// of the program's language.
  std::string chooser;
  std::uint16_t language = 0;  ///< LANG | SUBLANG << 10, 0 for none
  std::vector<MenuEntry> items;
  /// The ACCELERATORS table's keys for ids without an item; those of the
  /// items are the items' own accelerators.
  std::vector<Shortcut> shortcuts;
  /// The toolbar of the menu's name, shown under it: index into
  /// `Description::toolbars`, -1 for none.
  int toolbar = -1;
};

/// A button of a toolbar, or a separator.
struct ToolButton {
  bool separator = false;
  /// Which picture of the toolbar's strip it shows: buttons take the
  /// strip's pictures in order, separators take none.
  int image = -1;
  int id = 0;
  std::string id_name;
  std::string tooltip, prompt;  ///< from the string table, as for menus
};

/// An MFC TOOLBAR: buttons of one size whose pictures are cut, left to
/// right, from the BITMAP resource of the toolbar's name.
struct Toolbar {
  std::string script_name;
  std::string function;  ///< name of the function that builds it
  int button_width = 0, button_height = 0;  ///< pixels
  std::vector<ToolButton> buttons;
  /// The strip of the buttons' pictures, the BITMAP of the toolbar's name:
  /// its file's index in `Description::pictures` and its size; -1 when the
  /// script has no good one.
  int picture = -1;
  int picture_width = 0, picture_height = 0;
};

/// The application's main window, which scripts describe only by resources
/// that share one name (MFC's IDR_MAINFRAME): a menu with a toolbar, an
/// ACCELERATORS table or an icon of the same name.
struct MainWindow {
  std::string script_name;  ///< the shared name
  std::string function;     ///< name of the function that builds it
  std::string procedure;    ///< the user's procedure for its commands
  /// The string of that name up to its first line break, else the
  /// application's name, else the shared name.
  std::string title;
  /// The id of the string the title comes from, which the program reads in
  /// its language; unset for a title of another source.
  std::optional<std::int64_t> title_string;
  int menu = -1;  ///< index into `Description::menus`
  /// The status bar's text when no prompt shows (MFC's "Ready").
  std::string idle_text;
};

/// A string of the script's version information, as a program constant.
struct VersionText {
  std::string constant;  ///< "DLGFORGE_VERSION_PRODUCTNAME"
  std::string key;       ///< "ProductName"
  std::string value;
};

struct Dialog {
  std::string script_name;
  std::uint16_t language = 0;  ///< LANG | SUBLANG << 10, 0 for none
  /// Index into `Description::dialog_variants`: the dialogs of this name.
  int variants = -1;
  /// The number a dialog named by a macro stands for ("1540" for
  /// FINDDLGORD), by which the program finds it too; empty otherwise.
  std::string ordinal;
  std::string function;  ///< name of the function that builds its window
  std::string window;    ///< name of the variable holding its window
  /// Name of the procedure the user writes for it, which receives its
  /// initialisation and commands.
  std::string procedure;
  std::string title;
  DluRect rect;
  /// The window's own scroll bars (WS_VSCROLL, WS_HSCROLL), which take
  /// their width from the client area.
  bool vertical_scroll = false, horizontal_scroll = false;
  FontRequest font;
  bool resizable = false;
  int menu = -1;  ///< index into `Description::menus`, -1 for none
  std::vector<Widget> widgets;  ///< in script order, which is focus order
};

/// Resources of one type and name in the script's languages: variants of
/// one dialog or menu, of which the program builds the one its language
/// chooses.
struct Variants {
  std::vector<int> members;  ///< indexes of dialogs or menus, script order
  std::string chooser;       ///< function choosing among them ("" for one)
};

/// A string of the string table in each language the script gives it.
struct StringVariants {
  std::uint32_t id = 0;
  std::vector<std::pair<std::uint16_t, std::string>> texts;  ///< script order
};

struct Description {
  std::vector<Dialog> dialogs;
  std::vector<MenuBar> menus;
  /// What the program shows first: a dialog, or when the script has none,
  /// a window holding the first menu bar; -1 for neither.
  int main_dialog = -1;
  int main_menu = -1;
  /// The script's ids as the program's constants, in order of first use,
  /// and the names that could not be constants.
  std::vector<IdConstant> constants;
  std::vector<UnnamedId> unnamed_ids;
  /// Each dialog and menu name once, with its variants, in script order.
  std::vector<Variants> dialog_variants, menu_variants;
  /// The string table: each id once, with its text in every LANGUAGE the
  /// script gives it, in order of id.
  std::vector<StringVariants> strings;
  std::vector<Toolbar> toolbars;
  std::optional<MainWindow> main_window;
  /// Whether the program shows the main window first: it has one and no
  /// dialog was asked for.
  bool main_window_first = false;
  /// The first VERSIONINFO's strings (its first block) and versions
  /// ("1.2.0.0"), and the application's name for the window manager.
  std::vector<VersionText> version;
  std::string application_name;
  /// What the program cannot carry of the script, at the statement's
  /// position: printed as the reader's warnings are.
  std::vector<model::Diagnostic> warnings;
  /// The files of the script's pictures that the widgets and windows show,
  /// each once: what a program loads from its picture folder.
  std::vector<PictureFile> pictures;
  /// The application's icon, its first ICON as Windows shows it, for every
  /// window: the files of its small (16 pixels) and large (32 pixels)
  /// image; -1 for none.
  int icon_small = -1, icon_large = -1;
};

/// Describes every dialog and menu of the model. `main_name` picks the
/// dialog shown first (compared as resource names are, ignoring case, or
/// by number); empty for the script's first dialog. The images show the
/// pictures of `pictures` (read from `model`) they name; without it, and
/// for a picture the set does not hold, stock images. A model of many
/// dialogs is described on `threads` threads (0: one a core, at most 4),
/// with the same result as on one.
Description describe(const model::Model& model, const std::string& main_name,
                     const PictureSet* pictures = nullptr,
                     unsigned threads = 0);

/// The variant of a dialog's name that a program in `language` builds
/// (an index of `description.dialogs`), as Windows chooses.
int dialog_in_language(const Description& description, int dialog,
                       std::uint16_t language);

/// Whether `name` names a dialog of the model, as `describe` compares.
bool has_dialog(const model::Model& model, const std::string& name);

}  // namespace dlgforge::port
