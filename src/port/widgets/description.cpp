#include "port/widgets/description.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "port/languages/languages.h"
#include "port/widgets/names.h"
#include "port/widgets/text.h"

namespace dlgforge::port {
namespace {

// Window and control styles the mapping reads.
// A model of this many dialogs or more has them prepared on several
// threads; fewer are described in less time than a thread takes to start.
constexpr std::size_t kPreparedApartFrom = 64;

constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kWsThickFrame = 0x00040000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsBorder = 0x00800000;
constexpr std::uint32_t kWsVScroll = 0x00200000;
constexpr std::uint32_t kWsHScroll = 0x00100000;
constexpr std::uint32_t kWsExClientEdge = 0x00000200;

constexpr std::uint32_t kBsTypeMask = 0x0F;
constexpr std::uint32_t kBsDefPushButton = 0x01;
constexpr std::uint32_t kBsCheckBox = 0x02;
constexpr std::uint32_t kBsAutoCheckBox = 0x03;
constexpr std::uint32_t kBsRadioButton = 0x04;
constexpr std::uint32_t kBs3State = 0x05;
constexpr std::uint32_t kBsAuto3State = 0x06;
constexpr std::uint32_t kBsGroupBox = 0x07;
constexpr std::uint32_t kBsAutoRadioButton = 0x09;
constexpr std::uint32_t kBsDefSplitButton = 0x0D;
constexpr std::uint32_t kBsDefCommandLink = 0x0F;
constexpr std::uint32_t kBsLeftText = 0x20;
constexpr std::uint32_t kBsPushLike = 0x1000;

constexpr std::uint32_t kSsTypeMask = 0x1F;
constexpr std::uint32_t kSsCenter = 0x01;
constexpr std::uint32_t kSsRight = 0x02;
constexpr std::uint32_t kSsIcon = 0x03;
constexpr std::uint32_t kSsBlackRect = 0x04;
constexpr std::uint32_t kSsGrayRect = 0x05;
constexpr std::uint32_t kSsWhiteRect = 0x06;
constexpr std::uint32_t kSsBlackFrame = 0x07;
constexpr std::uint32_t kSsGrayFrame = 0x08;
constexpr std::uint32_t kSsWhiteFrame = 0x09;
constexpr std::uint32_t kSsUserItem = 0x0A;
constexpr std::uint32_t kSsOwnerDraw = 0x0D;
constexpr std::uint32_t kSsBitmap = 0x0E;
constexpr std::uint32_t kSsEnhMetaFile = 0x0F;
constexpr std::uint32_t kSsEtchedHorz = 0x10;
constexpr std::uint32_t kSsEtchedVert = 0x11;
constexpr std::uint32_t kSsEtchedFrame = 0x12;
constexpr std::uint32_t kSsRealSizeControl = 0x40;
constexpr std::uint32_t kSsNoPrefix = 0x80;
constexpr std::uint32_t kSsCenterImage = 0x200;
constexpr std::uint32_t kSsSunken = 0x1000;

constexpr std::uint32_t kEsCenter = 0x01;
constexpr std::uint32_t kEsRight = 0x02;
constexpr std::uint32_t kEsMultiline = 0x04;
constexpr std::uint32_t kEsUppercase = 0x08;
constexpr std::uint32_t kEsLowercase = 0x10;
constexpr std::uint32_t kEsPassword = 0x20;
constexpr std::uint32_t kEsReadOnly = 0x800;
constexpr std::uint32_t kEsWantReturn = 0x1000;
constexpr std::uint32_t kEsNumber = 0x2000;

constexpr std::uint32_t kLbsOwnerDrawVariable = 0x20;
constexpr std::uint32_t kLbsNoIntegralHeight = 0x100;
constexpr std::uint32_t kLbsMultipleSel = 0x08;
constexpr std::uint32_t kLbsExtendedSel = 0x800;
constexpr std::uint32_t kLbsNoSel = 0x4000;
constexpr std::uint32_t kCbsTypeMask = 0x03;
constexpr std::uint32_t kCbsSimple = 0x01;
constexpr std::uint32_t kCbsDropDownList = 0x03;
constexpr std::uint32_t kUdsAlignRight = 0x04;
constexpr std::uint32_t kUdsAlignLeft = 0x08;
constexpr std::uint32_t kUdsAutoBuddy = 0x10;
constexpr std::uint32_t kSbsVert = 0x01;
constexpr std::uint32_t kTbsVert = 0x02;
constexpr std::uint32_t kPbsVertical = 0x04;

// Menu item states of MENUEX, and its types.
constexpr std::uint32_t kMfsDisabled = 0x03;
constexpr std::uint32_t kMfsChecked = 0x08;
constexpr std::uint32_t kMftRadioCheck = 0x200;
constexpr std::uint32_t kMftSeparator = 0x800;

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

char lower_char(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lower_char(x) == lower_char(y);
         });
}

// A class name as the script may quote it.
std::string class_key(std::string_view class_name) {
  if (class_name.size() >= 2 && class_name.front() == '"' &&
      class_name.back() == '"') {
    class_name = class_name.substr(1, class_name.size() - 2);
  }
  return lower(class_name);
}

// Whether a class name as the script may quote it is `key` (lower case),
// ignoring case: class_key without making a string.
bool is_class(std::string_view class_name, std::string_view key) {
  if (class_name.size() >= 2 && class_name.front() == '"' &&
      class_name.back() == '"') {
    class_name = class_name.substr(1, class_name.size() - 2);
  }
  return same_name(class_name, key);
}

bool is_rich_edit(std::string_view key) {
  return key.starts_with("richedit") || key == "riched20" || key == "riched32";
}

bool is_focusable(WidgetKind kind) {
  switch (kind) {
  case WidgetKind::Button:
  case WidgetKind::ToggleButton:
  case WidgetKind::CheckButton:
  case WidgetKind::RadioButton:
  case WidgetKind::Entry:
  case WidgetKind::TextView:
  case WidgetKind::ListBox:
  case WidgetKind::ListView:
  case WidgetKind::ComboBox:
  case WidgetKind::ComboBoxEntry:
  case WidgetKind::ScrollBar:
  case WidgetKind::Slider:
  case WidgetKind::SpinButton:
  case WidgetKind::Notebook:
  case WidgetKind::Calendar:
  case WidgetKind::LinkLabel:
    return true;
  default:
    return false;
  }
}

// What a control of a kind tells its dialog's procedure, as the Windows
// control it stands for notifies its parent.
std::span<const Notification> notifications_of(WidgetKind kind) {
  static constexpr Notification kButton[] = {Notification::Clicked};
  static constexpr Notification kEdit[] = {Notification::EditChange,
                                           Notification::EditFocus,
                                           Notification::EditBlur};
  static constexpr Notification kCombo[] = {Notification::ComboChange};
  static constexpr Notification kList[] = {Notification::ListSelect,
                                           Notification::ListDoubleClick};
  switch (kind) {
  case WidgetKind::Button:
  case WidgetKind::ToggleButton:
  case WidgetKind::CheckButton:
  case WidgetKind::RadioButton:
    return kButton;
  case WidgetKind::Entry:
  case WidgetKind::TextView:
  case WidgetKind::SpinButton:  // an edit field with its up-down control
    return kEdit;
  case WidgetKind::ComboBox:
  case WidgetKind::ComboBoxEntry:
    return kCombo;
  case WidgetKind::ListBox:
    return kList;
  default:
    return {};
  }
}

std::string control_text(const model::Control& control) {
  return control.text.number ? std::string() : control.text.text;
}

void set_text(Widget& widget, const std::string& text, bool prefixes) {
  if (!prefixes) {
    widget.text = text;
    widget.use_mnemonic = false;
    return;
  }
  MnemonicText converted = to_mnemonic(text);
  widget.text = std::move(converted.text);
  widget.use_mnemonic = true;
}

void describe_button(const model::Control& control, Widget& widget) {
  std::uint32_t style = control.style.value;
  std::uint32_t type = style & kBsTypeMask;
  bool push_like = (style & kBsPushLike) != 0;
  switch (type) {
  case kBsCheckBox:
  case kBsAutoCheckBox:
  case kBs3State:
  case kBsAuto3State:
    widget.kind =
        push_like ? WidgetKind::ToggleButton : WidgetKind::CheckButton;
    break;
  case kBsRadioButton:
  case kBsAutoRadioButton:
    widget.kind =
        push_like ? WidgetKind::ToggleButton : WidgetKind::RadioButton;
    break;
  case kBsGroupBox:
    widget.kind = WidgetKind::GroupBox;
    break;
  default:
    widget.kind = WidgetKind::Button;
    widget.is_default = type == kBsDefPushButton || type == kBsDefSplitButton ||
                        type == kBsDefCommandLink;
  }
  widget.check_on_right = (style & kBsLeftText) != 0;
  set_text(widget, control_text(control), true);
}

void describe_static(const model::Control& control, Widget& widget) {
  std::uint32_t style = control.style.value;
  std::uint32_t type = style & kSsTypeMask;
  widget.sunken = (style & kSsSunken) != 0;
  switch (type) {
  case kSsIcon:
    widget.kind = WidgetKind::Image;
    widget.stock = StockImage::Information;
    // The control takes the icon's size, unless it centres the icon in its
    // own rectangle or stretches the icon to it, or names no icon (the
    // program sets one later). SS_REALSIZEIMAGE asks for the icon file's
    // own size, which the script does not tell: a standard icon's.
    if ((style & (kSsCenterImage | kSsRealSizeControl)) == 0 &&
        (control.text.number || !control.text.text.empty())) {
      widget.sizing = Sizing::Icon;
    }
    return;
  case kSsBitmap:
  case kSsEnhMetaFile:
    widget.kind = WidgetKind::Image;
    widget.stock = StockImage::Picture;
    return;
  case kSsBlackRect:
  case kSsGrayRect:
  case kSsWhiteRect:
    widget.kind = WidgetKind::FilledBox;
    widget.shade = type == kSsBlackRect  ? Shade::Black
                   : type == kSsGrayRect ? Shade::Gray
                                         : Shade::White;
    return;
  case kSsBlackFrame:
  case kSsGrayFrame:
  case kSsWhiteFrame:
  case kSsEtchedFrame:
  case kSsOwnerDraw:
  case kSsUserItem:
    widget.kind = WidgetKind::OutlineBox;
    widget.sunken = type != kSsEtchedFrame;
    return;
  case kSsEtchedHorz:
  case kSsEtchedVert:
    widget.kind = WidgetKind::Separator;
    widget.vertical = type == kSsEtchedVert;
    return;
  default:
    break;
  }
  widget.kind = WidgetKind::Label;
  widget.xalign = type == kSsCenter ? 0.5f : type == kSsRight ? 1.0f : 0.0f;
  widget.yalign = (style & kSsCenterImage) != 0 ? 0.5f : 0.0f;
  // SS_LEFT, SS_CENTER and SS_RIGHT wrap at word breaks; the other text
  // types (SS_SIMPLE, SS_LEFTNOWORDWRAP) keep one line per line of text.
  widget.wrap = type == 0 || type == kSsCenter || type == kSsRight;
  set_text(widget, control_text(control), (style & kSsNoPrefix) == 0);
}

void describe_edit(const model::Control& control, Widget& widget, bool rich) {
  std::uint32_t style = control.style.value;
  widget.kind = rich || (style & kEsMultiline) != 0 ? WidgetKind::TextView
                                                    : WidgetKind::Entry;
  widget.xalign = (style & kEsCenter) != 0  ? 0.5f
                  : (style & kEsRight) != 0 ? 1.0f
                                            : 0.0f;
  widget.password =
      (style & kEsPassword) != 0 && widget.kind == WidgetKind::Entry;
  widget.editable = (style & kEsReadOnly) == 0;
  widget.digits_only = (style & kEsNumber) != 0;
  widget.letter_case = (style & kEsUppercase) != 0   ? LetterCase::Upper
                       : (style & kEsLowercase) != 0 ? LetterCase::Lower
                                                     : LetterCase::Any;
  set_text(widget, control_text(control), false);
}

void describe_list(const model::Control& control, Widget& widget) {
  std::uint32_t style = control.style.value;
  widget.kind = WidgetKind::ListBox;
  if ((style & (kLbsNoIntegralHeight | kLbsOwnerDrawVariable)) == 0) {
    widget.sizing = Sizing::WholeRows;
    // The dialog manager gives a bordered control a sunken edge instead.
    bool border = (style & kWsBorder) != 0 ||
                  (control.exstyle.value & kWsExClientEdge) != 0;
    widget.row_border = border ? kListBorderPixels : 0;
  }
  widget.selection = (style & kLbsNoSel) != 0 ? Selection::None
                     : (style & (kLbsMultipleSel | kLbsExtendedSel)) != 0
                         ? Selection::Multiple
                         : Selection::Single;
}

// What a control becomes: by its class, then by the style bits of that
// class, as the Windows class would read them.
void describe_kind(const model::Control& control, Widget& widget) {
  std::string key = class_key(control.class_name);
  std::uint32_t style = control.style.value;
  if (key == "button") {
    describe_button(control, widget);
  } else if (key == "static") {
    describe_static(control, widget);
  } else if (key == "edit") {
    describe_edit(control, widget, false);
  } else if (is_rich_edit(key)) {
    describe_edit(control, widget, true);
  } else if (key == "listbox") {
    describe_list(control, widget);
  } else if (key == "combobox" || key == "comboboxex32") {
    widget.kind = (style & kCbsTypeMask) == kCbsDropDownList
                      ? WidgetKind::ComboBox
                      : WidgetKind::ComboBoxEntry;
    // A simple combo box shows its list below the field all the time: the
    // script's height is all of it. The others drop their list down.
    widget.sizing = (style & kCbsTypeMask) == kCbsSimple ? Sizing::Script
                                                         : Sizing::FieldHeight;
  } else if (key == "scrollbar") {
    widget.kind = WidgetKind::ScrollBar;
    widget.vertical = (style & kSbsVert) != 0;
  } else if (key == "msctls_trackbar32") {
    widget.kind = WidgetKind::Slider;
    widget.vertical = (style & kTbsVert) != 0;
  } else if (key == "msctls_progress32") {
    widget.kind = WidgetKind::ProgressBar;
    widget.vertical = (style & kPbsVertical) != 0;
  } else if (key == "msctls_updown32") {
    widget.kind = WidgetKind::SpinButton;
  } else if (key == "syslistview32" || key == "systreeview32") {
    widget.kind = WidgetKind::ListView;
  } else if (key == "systabcontrol32") {
    widget.kind = WidgetKind::Notebook;
  } else if (key == "sysmonthcal32") {
    widget.kind = WidgetKind::Calendar;
  } else if (key == "sysdatetimepick32" || key == "msctls_hotkey32" ||
             key == "sysipaddress32") {
    widget.kind = WidgetKind::Entry;
  } else if (key == "syslink") {
    widget.kind = WidgetKind::LinkLabel;
    widget.text = link_markup(control_text(control));
    widget.wrap = true;
  } else if (key == "sysanimate32") {
    widget.kind = WidgetKind::Image;
    widget.stock = StockImage::Picture;
  } else {
    widget.kind = WidgetKind::Custom;
    widget.text = control.class_name;
  }
}

// Whether controls[at] is an up-down control that the dialog manager
// attaches to the one-line edit field before it (its buddy) and puts at
// the field's left or right edge, taking the field's place there: the two
// are one spin button. An up-down control without a buddy, left where the
// script puts it, or beside a control that is no one-line edit field stays
// a spin button of its own.
bool attaches_to_field(const std::vector<model::Control>& controls,
                       std::size_t at) {
  const model::Control& control = controls[at];
  std::uint32_t style = control.style.value;
  if (at == 0 || !is_class(control.class_name, "msctls_updown32") ||
      (style & kUdsAutoBuddy) == 0 ||
      (style & (kUdsAlignLeft | kUdsAlignRight)) == 0) {
    return false;
  }
  const model::Control& buddy = controls[at - 1];
  return is_class(buddy.class_name, "edit") &&
         (buddy.style.value & kEsMultiline) == 0;
}

// The scope of a dialog's or menu's names: its identifier, or its number.
std::string scope_part(const model::NameOrOrdinal& name, int index) {
  std::string part = identifier_part(name.text);
  if (!part.empty()) {
    return part;
  }
  if (name.number) {
    return std::to_string(*name.number);
  }
  return std::to_string(index + 1);
}

std::string kind_part(WidgetKind kind) {
  std::string name = lower(kind_name(kind));
  return name;
}

// The strings a DLGINIT adds to the combo and list boxes of its dialog,
// each to the first of them with its control id.
void add_initial_items(const model::DialogInit& init, Dialog& dialog) {
  constexpr std::uint16_t kListAddString = 0x180;
  constexpr std::uint16_t kComboAddString = 0x403;
  constexpr std::uint16_t kMfcComboAddString = 0x1234;
  for (const model::DialogInitEntry& entry : init.entries) {
    if (!entry.text ||
        (entry.message != kListAddString && entry.message != kComboAddString &&
         entry.message != kMfcComboAddString)) {
      continue;
    }
    for (Widget& widget : dialog.widgets) {
      if (widget.id == entry.control &&
          (widget.kind == WidgetKind::ListBox ||
           widget.kind == WidgetKind::ComboBox ||
           widget.kind == WidgetKind::ComboBoxEntry)) {
        widget.items.push_back(*entry.text);
        break;
      }
    }
  }
}

// A dialog's description but for its names and id constants, which depend
// on the dialogs and menus before it: what any thread may make of a dialog
// alone.
Dialog prepare_dialog(const model::Dialog& source) {
  Dialog dialog;
  dialog.script_name = source.name.text;
  if (source.name.number &&
      std::to_string(*source.name.number) != source.name.text) {
    dialog.ordinal = std::to_string(*source.name.number);
  }
  dialog.language = source.language;
  dialog.title = source.caption;
  dialog.rect = {source.x, source.y, source.cx, source.cy};
  dialog.font = font_request(source.font);
  dialog.resizable = (source.style.value & kWsThickFrame) != 0;
  dialog.vertical_scroll = (source.style.value & kWsVScroll) != 0;
  dialog.horizontal_scroll = (source.style.value & kWsHScroll) != 0;

  int radio_group = -1;
  int group = 0;
  bool group_open = false;
  bool has_default = false;
  dialog.widgets.reserve(source.controls.size());
  for (std::size_t at = 0; at < source.controls.size(); ++at) {
    const model::Control& control = source.controls[at];
    if (attaches_to_field(source.controls, at)) {
      continue;  // part of the spin button its field became
    }
    // Made in place: a widget is large, and a dialog has many.
    Widget& widget = dialog.widgets.emplace_back();
    widget.keyword = control.keyword;
    widget.class_name = control.class_name;
    widget.id_written = control.id_written;
    widget.source_line = control.pos.line;
    widget.control = static_cast<int>(at);
    widget.rect = {control.x, control.y, control.cx, control.cy};
    widget.sensitive = (control.style.value & kWsDisabled) == 0;
    widget.visible = (control.style.value & kWsVisible) != 0;
    describe_kind(control, widget);
    if (at + 1 < source.controls.size() &&
        attaches_to_field(source.controls, at + 1)) {
      // The field and its arrows: the arrows take the field's width at one
      // edge; on the right they overlap its border.
      const model::Control& arrows = source.controls[at + 1];
      widget.kind = WidgetKind::SpinButton;
      widget.joined_id = arrows.id_written;
      widget.joined_line = arrows.pos.line;
      if ((arrows.style.value & kUdsAlignLeft) == 0) {
        widget.trim_right = kBuddyOverlapPixels;
      }
    }
    if (widget.is_default) {
      widget.is_default = !has_default;
      has_default = true;
    }
    // A group starts at a control with WS_GROUP and takes the radio
    // buttons that follow, whatever lies between them.
    bool group_style = (control.style.value & kWsGroup) != 0;
    if (group_style || radio_group < 0) {
      group_open = false;
    }
    if (group_style && dialog.widgets.size() > 1) {
      ++group;
    }
    widget.group = group;
    if (widget.kind == WidgetKind::RadioButton) {
      if (!group_open) {
        ++radio_group;
        group_open = true;
        widget.starts_group = true;
      }
      widget.radio_group = radio_group;
    }
    // Tab visits the controls with WS_TABSTOP that can take the focus.
    widget.focusable =
        is_focusable(widget.kind) && (control.style.value & kWsTabStop) != 0;
    widget.want_return = widget.kind == WidgetKind::TextView &&
                         (control.style.value & kEsWantReturn) != 0;
    widget.id = control.id;
    widget.notifications = notifications_of(widget.kind);
  }
  // A label's mnemonic moves the focus to the next control that takes it,
  // as the dialog manager does for a static before an edit field.
  for (size_t i = 0; i < dialog.widgets.size(); ++i) {
    Widget& label = dialog.widgets[i];
    if (label.kind != WidgetKind::Label || !label.use_mnemonic ||
        label.text.find('_') == std::string::npos) {
      continue;
    }
    for (size_t j = i + 1; j < dialog.widgets.size(); ++j) {
      if (dialog.widgets[j].focusable) {
        label.mnemonic_target = static_cast<int>(j);
        break;
      }
    }
  }
  // Each widget's name as far as it depends on the widget alone: its
  // readable part, made whole and unique by name_dialog.
  for (Widget& widget : dialog.widgets) {
    widget.name = identifier_part(widget.id_written);
    if (widget.name.empty()) {
      widget.name = kind_part(widget.kind);
    }
  }
  return dialog;
}

// Gives a prepared dialog its names and its widgets theirs, in script order
// as the table hands them out. A widget comes with the readable part of its
// name.
void name_dialog(const model::Dialog& source, int index, Dialog& dialog,
                 NameTable& names) {
  std::string scope = names.claim("dlg_" + scope_part(source.name, index));
  // The widgets' names as they would be without a clash, each search's
  // first slot fetched while the others are made: in the table of a large
  // script (a million names) nearly every search begins with a cache miss.
  std::vector<std::size_t> hashes;
  hashes.reserve(dialog.widgets.size());
  std::string whole;
  for (Widget& widget : dialog.widgets) {
    whole.assign(scope).append(1, '_').append(widget.name);
    widget.name.swap(whole);
    hashes.push_back(NameTable::hash(widget.name));
    names.prefetch(hashes.back());
  }
  dialog.function = names.claim(scope + "_create");
  dialog.window = names.claim(scope + "_window");
  dialog.procedure = names.claim(scope + "_procedure");
  for (std::size_t i = 0; i < dialog.widgets.size(); ++i) {
    Widget& widget = dialog.widgets[i];
    widget.name = names.claim(widget.name, hashes[i]);
  }
}

// Gives a dialog's widgets their id constants, in script order as the table
// hands them out, each search's first slot fetched ahead as for names.
void name_dialog_ids(Dialog& dialog, IdNames& ids) {
  std::vector<IdNames::Key> keys;
  keys.reserve(dialog.widgets.size());
  for (const Widget& widget : dialog.widgets) {
    keys.push_back(IdNames::key(widget.id_written));
    ids.prefetch(keys.back());
  }
  for (std::size_t i = 0; i < dialog.widgets.size(); ++i) {
    Widget& widget = dialog.widgets[i];
    widget.id_name = ids.offer(widget.id_written, widget.id, keys[i]);
  }
}

// Prepares a model's dialogs on threads of its own while the calling thread
// describes the rest, and hands them over in script order; the calling
// thread prepares some itself when the next it needs is not ready. The
// threads take runs of dialogs of a few hundred controls, so that a script
// of many small dialogs does not pay a lock and a wake-up for each, and the
// calling thread frees nothing a helper allocated (each thread allocates
// from an arena of its own, and a free into another's takes its lock).
class DialogPreparer {
 public:
  DialogPreparer(const std::vector<model::Dialog>& sources, unsigned threads)
      : sources_(sources), prepared_(sources.size()) {
    constexpr std::size_t kRunControls = 256;
    std::size_t controls = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (runs_.empty() || controls >= kRunControls) {
        runs_.push_back(i);
        controls = 0;
      }
      controls += sources[i].controls.size() + 1;
    }
    runs_.push_back(sources.size());
    ready_.assign(runs_.size() - 1, 0);
    for (unsigned i = 1; i < threads && runs_.size() > 2; ++i) {
      try {
        helpers_.emplace_back([this] { help(); });
      } catch (const std::system_error&) {
        break;  // fewer helpers: the calling thread prepares the rest
      }
    }
  }

  ~DialogPreparer() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_) {
      helper.join();
    }
  }

  DialogPreparer(const DialogPreparer&) = delete;
  DialogPreparer& operator=(const DialogPreparer&) = delete;

  /// The dialog `index` prepared, for the caller to name and keep; dialogs
  /// are taken in order.
  Dialog& take(std::size_t index) {
    if (index >= run_end_) {
      std::size_t run = static_cast<std::size_t>(
          std::upper_bound(runs_.begin(), runs_.end(), index) - runs_.begin() -
          1);
      std::unique_lock lock(mutex_);
      while (ready_[run] == 0) {
        if (failure_) {
          std::rethrow_exception(failure_);
        }
        if (next_ + 1 < runs_.size()) {
          std::size_t other = next_++;
          lock.unlock();
          prepare(other);
          lock.lock();
          ready_[other] = 1;
        } else {
          changed_.wait(lock);
        }
      }
      run_end_ = runs_[run + 1];
    }
    return prepared_[index];
  }

  /// A dialog taken already.
  Dialog& prepared(std::size_t index) { return prepared_[index]; }

 private:
  void prepare(std::size_t run) {
    for (std::size_t i = runs_[run]; i < runs_[run + 1]; ++i) {
      prepared_[i] = prepare_dialog(sources_[i]);
    }
  }

  void help() {
    try {
      for (;;) {
        std::size_t run = 0;
        {
          std::lock_guard lock(mutex_);
          if (stop_ || next_ + 1 >= runs_.size()) {
            return;
          }
          run = next_++;
        }
        prepare(run);
        {
          std::lock_guard lock(mutex_);
          ready_[run] = 1;
        }
        changed_.notify_all();
      }
    } catch (...) {
      {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        stop_ = true;
      }
      changed_.notify_all();
    }
  }

  const std::vector<model::Dialog>& sources_;
  std::vector<Dialog> prepared_;
  std::vector<std::size_t> runs_;  // each run's first dialog, then the end
  std::vector<char> ready_;        // by run
  std::size_t next_ = 0;           // the first run no thread has taken
  std::size_t run_end_ = 0;        // the end of the run last waited for
  bool stop_ = false;
  std::exception_ptr failure_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> helpers_;
};

// Names a model's prepared dialogs in script order, on a thread of its own
// while the calling thread describes the menus, and hands them over in the
// same order. Every name of a dialog and its widgets begins with "dlg_" and
// no other name does, so the dialogs have a table of their own and get the
// names one table handing out all names in script order would give. With
// `own_thread` false, each dialog is named when it is taken.
class DialogNamer {
 public:
  DialogNamer(const std::vector<model::Dialog>& sources,
              DialogPreparer& preparer, NameTable& names, bool own_thread)
      : sources_(sources), preparer_(preparer), names_(names) {
    if (own_thread) {
      try {
        namer_ = std::thread([this] { name_all(); });
      } catch (const std::system_error&) {
        // No thread: each dialog is named when it is taken.
      }
    }
  }

  ~DialogNamer() {
    stop_.store(true, std::memory_order_relaxed);
    if (namer_.joinable()) {
      namer_.join();
    }
  }

  DialogNamer(const DialogNamer&) = delete;
  DialogNamer& operator=(const DialogNamer&) = delete;

  /// The dialog `index` prepared and named; dialogs are taken in order.
  Dialog& take(std::size_t index) {
    if (!namer_.joinable()) {
      Dialog& dialog = preparer_.take(index);
      name_dialog(sources_[index], static_cast<int>(index), dialog, names_);
      return dialog;
    }
    for (;;) {
      std::size_t named = named_.load(std::memory_order_acquire);
      if (named == kFailed) {
        std::rethrow_exception(failure_);
      }
      if (named > index) {
        return preparer_.prepared(index);
      }
      named_.wait(named, std::memory_order_acquire);
    }
  }

 private:
  static constexpr std::size_t kFailed = ~std::size_t{0};

  void name_all() {
    try {
      for (std::size_t i = 0; i < sources_.size(); ++i) {
        if (stop_.load(std::memory_order_relaxed)) {
          return;
        }
        name_dialog(sources_[i], static_cast<int>(i), preparer_.take(i),
                    names_);
        named_.store(i + 1, std::memory_order_release);
        named_.notify_one();
      }
    } catch (...) {
      failure_ = std::current_exception();
      named_.store(kFailed, std::memory_order_release);
      named_.notify_one();
    }
  }

  const std::vector<model::Dialog>& sources_;
  DialogPreparer& preparer_;
  NameTable& names_;
  std::atomic<std::size_t> named_{0};  // dialogs named, or kFailed
  std::atomic<bool> stop_{false};
  std::exception_ptr failure_;
  std::thread namer_;
};

// The file of a picture shown at `pixels` square (0: a bitmap's own size)
// in the description's list, added once.
int picture_index(const Picture& picture, int pixels,
                  std::vector<PictureFile>& files) {
  PictureFile file = picture_file(picture, pixels);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].name == file.name) {
      return static_cast<int>(i);
    }
  }
  files.push_back(std::move(file));
  return static_cast<int>(files.size()) - 1;
}

// Gives the dialog's icon and bitmap controls the pictures they name. An
// SS_ICON control loads an icon, or a cursor of that name, at the standard
// icon's size; an SS_BITMAP control its bitmap, and takes the bitmap's size
// unless it centres the bitmap or keeps its own size.
void add_pictures(const model::Dialog& source, const PictureSet& set,
                  Dialog& dialog, std::vector<PictureFile>& files) {
  for (Widget& widget : dialog.widgets) {
    if (widget.kind != WidgetKind::Image || widget.control < 0 ||
        !is_class(widget.class_name, "static")) {
      continue;
    }
    const model::Control& control = source.controls[widget.control];
    std::uint32_t style = control.style.value;
    std::uint32_t type = style & kSsTypeMask;
    const Picture* picture = nullptr;
    if (type == kSsIcon) {
      picture = set.find("ICON", control.text);
      if (picture == nullptr) {
        picture = set.find("CURSOR", control.text);
      }
    } else if (type == kSsBitmap) {
      picture = set.find("BITMAP", control.text);
    }
    if (picture == nullptr) {
      continue;
    }
    widget.picture =
        picture_index(*picture, type == kSsIcon ? kIconPixels : 0, files);
    const PictureFile& file = files[widget.picture];
    widget.picture_width = type == kSsIcon ? kIconPixels : file.width;
    widget.picture_height = type == kSsIcon ? kIconPixels : file.height;
    if (type == kSsBitmap &&
        (style & (kSsCenterImage | kSsRealSizeControl)) == 0) {
      widget.sizing = Sizing::Picture;
    }
  }
}

// Whether resource `a` comes before `b` in a compiled module's resource
// directory, where Windows takes an application's icon from: names first,
// in upper case order, then numbers in order.
bool listed_before(const model::NameOrOrdinal& a,
                   const model::NameOrOrdinal& b) {
  if (a.number.has_value() != b.number.has_value()) {
    return !a.number;
  }
  if (a.number) {
    return *a.number < *b.number;
  }
  std::string upper_a = a.text, upper_b = b.text;
  for (std::string* text : {&upper_a, &upper_b}) {
    for (char& c : *text) {
      c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  return upper_a < upper_b;
}

// The application's icon: the first ICON resource as Windows lists them,
// at the small and the large icon size. An icon whose file is missing or
// broken is passed over (the resource compiler would refuse the script).
void add_application_icon(const PictureSet& set, Description& description) {
  constexpr int kSmallIconPixels = 16;
  const Picture* picture = nullptr;
  for (const Picture& candidate : set.pictures) {
    if (candidate.format == PictureFormat::Icon &&
        (picture == nullptr ||
         listed_before(candidate.resource->name, picture->resource->name))) {
      picture = &candidate;
    }
  }
  if (picture != nullptr) {
    description.icon_small =
        picture_index(*picture, kSmallIconPixels, description.pictures);
    description.icon_large =
        picture_index(*picture, kIconPixels, description.pictures);
  }
}

bool has_flag(const model::MenuItem& item, std::string_view flag) {
  for (const std::string& written : item.flags) {
    if (same_name(written, flag)) {
      return true;
    }
  }
  return false;
}

std::vector<MenuEntry> describe_entries(
    const std::vector<model::MenuItem>& items, IdNames& ids, int& radio_group) {
  std::vector<MenuEntry> entries;
  entries.reserve(items.size());
  bool radio_open = false;
  for (const model::MenuItem& item : items) {
    MenuEntry& entry = entries.emplace_back();
    entry.id_written = item.id_written;
    bool separator = item.type == model::MenuItem::Type::Separator ||
                     (item.mftype & kMftSeparator) != 0;
    if (separator) {
      entry.kind = MenuEntry::Kind::Separator;
      radio_open = false;
      continue;
    }
    MenuText split = split_menu_text(item.text);
    entry.text = to_mnemonic(split.label).text;
    entry.accel_text = split.accelerator;
    if (!split.accelerator.empty()) {
      Accelerator accel = parse_accelerator(split.accelerator);
      entry.accel_key = accel.key;
      entry.accel_control = accel.control;
      entry.accel_shift = accel.shift;
      entry.accel_alt = accel.alt;
    }
    entry.sensitive = !has_flag(item, "GRAYED") &&
                      !has_flag(item, "INACTIVE") &&
                      (item.mfstate & kMfsDisabled) == 0;
    entry.active =
        has_flag(item, "CHECKED") || (item.mfstate & kMfsChecked) != 0;
    if (item.type == model::MenuItem::Type::Popup) {
      entry.kind = MenuEntry::Kind::Submenu;
      radio_open = false;
      entry.items = describe_entries(item.items, ids, radio_group);
      continue;
    }
    if ((item.mftype & kMftRadioCheck) != 0) {
      entry.kind = MenuEntry::Kind::Radio;
      if (!radio_open) {
        ++radio_group;
        radio_open = true;
        entry.starts_group = true;
      }
      entry.radio_group = radio_group;
    } else {
      radio_open = false;
      entry.kind =
          entry.active ? MenuEntry::Kind::Check : MenuEntry::Kind::Item;
    }
    entry.id = item.id.value_or(0);
    entry.id_name = ids.offer(item.id_written, entry.id);
  }
  return entries;
}

MenuBar describe_menu(const model::Menu& source, int index, NameTable& names,
                      IdNames& ids) {
  MenuBar bar;
  bar.script_name = source.name.text;
  std::string scope = names.claim("menu_" + scope_part(source.name, index));
  bar.function = names.claim(scope + "_create");
  bar.chooser = bar.function;
  bar.language = source.language;
  int radio_group = -1;
  bar.items = describe_entries(source.items, ids, radio_group);
  return bar;
}

// The toolkit's name of the key of an ACCELERATORS entry; empty for a key
// it has no name for here.
std::string shortcut_key(const model::Accelerator& accelerator) {
  constexpr std::uint16_t kVirtKey = 0x01;
  std::uint16_t key = accelerator.key;
  if ((accelerator.fvirt & kVirtKey) == 0) {
    // A character: "^C" is 3, Ctrl and the letter.
    if (key >= 1 && key <= 26) {
      return std::string(1, static_cast<char>('a' + key - 1));
    }
    if ((key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z') ||
        (key >= '0' && key <= '9')) {
      return std::string(1, static_cast<char>(key));
    }
    return "";
  }
  if (key >= 'A' && key <= 'Z') {
    return std::string(1, static_cast<char>(key - 'A' + 'a'));
  }
  if (key >= '0' && key <= '9') {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= 0x70 && key <= 0x87) {  // VK_F1 to VK_F24
    std::string name = std::to_string(key - 0x70 + 1);
    name.insert(name.begin(), 'F');
    return name;
  }
  if (key >= 0x60 && key <= 0x69) {  // VK_NUMPAD0 to VK_NUMPAD9
    return std::string("KP_").append(1, static_cast<char>('0' + key - 0x60));
  }
  static const std::map<std::uint16_t, std::string_view> kNamed = {
      {0x08, "BackSpace"},
      {0x09, "Tab"},
      {0x0D, "Return"},
      {0x13, "Pause"},
      {0x1B, "Escape"},
      {0x20, "space"},
      {0x21, "Page_Up"},
      {0x22, "Page_Down"},
      {0x23, "End"},
      {0x24, "Home"},
      {0x25, "Left"},
      {0x26, "Up"},
      {0x27, "Right"},
      {0x28, "Down"},
      {0x2D, "Insert"},
      {0x2E, "Delete"},
      {0x5D, "Menu"},
      {0x6A, "KP_Multiply"},
      {0x6B, "KP_Add"},
      {0x6D, "KP_Subtract"},
      {0x6E, "KP_Decimal"},
      {0x6F, "KP_Divide"},
      {0xBB, "plus"},
      {0xBC, "comma"},
      {0xBD, "minus"},
      {0xBE, "period"},
      // The punctuation keys of a US keyboard (VK_OEM_1 to VK_OEM_7).
      {0xBA, "semicolon"},
      {0xBF, "slash"},
      {0xC0, "grave"},
      {0xDB, "bracketleft"},
      {0xDC, "backslash"},
      {0xDD, "bracketright"},
      {0xDE, "apostrophe"},
  };
  auto named = kNamed.find(key);
  return named == kNamed.end() ? "" : std::string(named->second);
}

// Gives a menu's items the keys of its ACCELERATORS table, and keeps the
// table's other keys as shortcuts of their own; true for an id an item has.
bool take_shortcut(std::vector<MenuEntry>& items, const Shortcut& shortcut) {
  bool found = false;
  for (MenuEntry& entry : items) {
    if (entry.kind == MenuEntry::Kind::Submenu) {
      found = take_shortcut(entry.items, shortcut) || found;
    } else if (entry.kind != MenuEntry::Kind::Separator &&
               entry.id == shortcut.id && !found) {
      entry.accel_key = shortcut.key;
      entry.accel_control = shortcut.control;
      entry.accel_shift = shortcut.shift;
      entry.accel_alt = shortcut.alt;
      found = true;
    }
  }
  return found;
}

void add_shortcuts(const model::AcceleratorTable& table, IdNames& ids,
                   MenuBar& bar, std::vector<model::Diagnostic>* warnings) {
  constexpr std::uint16_t kShift = 0x04, kControl = 0x08, kAlt = 0x10;
  for (const model::Accelerator& accelerator : table.entries) {
    Shortcut shortcut;
    shortcut.key = shortcut_key(accelerator);
    if (shortcut.key.empty()) {
      if (warnings != nullptr) {
        warnings->push_back(
            {accelerator.pos, "the key " + accelerator.key_written +
                                  " has no name in GTK here: the program "
                                  "leaves this accelerator out"});
      }
      continue;
    }
    bool character = (accelerator.fvirt & 0x01) == 0;
    shortcut.control =
        (accelerator.fvirt & kControl) != 0 ||
        (character && accelerator.key >= 1 && accelerator.key <= 26);
    shortcut.shift = (accelerator.fvirt & kShift) != 0;
    shortcut.alt = (accelerator.fvirt & kAlt) != 0;
    shortcut.id = accelerator.id;
    shortcut.id_name = ids.offer(accelerator.id_written, accelerator.id);
    if (!take_shortcut(bar.items, shortcut)) {
      bar.shortcuts.push_back(std::move(shortcut));
    }
  }
}

// The string table's texts by id: each id's entries in script order, one
// per LANGUAGE (a later entry of the same id and language is ignored, as
// the resource compiler keeps one).
using StringsById =
    std::map<std::uint32_t, std::vector<const model::StringEntry*>>;

// The string of an id in a language, else in the first the script gives;
// nullptr for an id without one.
const model::StringEntry* string_in(const StringsById& strings,
                                    std::uint32_t id, std::uint16_t language) {
  auto found = strings.find(id);
  if (found == strings.end()) {
    return nullptr;
  }
  for (const model::StringEntry* entry : found->second) {
    if (entry->language == language) {
      return entry;
    }
  }
  return found->second.front();
}

// A command's prompt and tooltip from its string, MFC's way: "prompt\ntip".
void command_texts(const StringsById& strings, int id, std::uint16_t language,
                   std::string& prompt, std::string& tooltip) {
  const model::StringEntry* entry =
      string_in(strings, static_cast<std::uint32_t>(id), language);
  if (entry == nullptr || !entry->prompt) {
    return;
  }
  prompt = *entry->prompt;
  tooltip = entry->tooltip.value_or("");
}

void add_prompts(std::vector<MenuEntry>& items, const StringsById& strings,
                 std::uint16_t language) {
  for (MenuEntry& entry : items) {
    if (entry.kind == MenuEntry::Kind::Submenu) {
      add_prompts(entry.items, strings, language);
    } else if (entry.kind != MenuEntry::Kind::Separator) {
      command_texts(strings, entry.id, language, entry.prompt, entry.tooltip);
    }
  }
}

// How resources of one type are told apart: a number, else the name
// ignoring case.
std::string resource_key(const model::NameOrOrdinal& name) {
  if (!name.number) {
    return lower(name.text);
  }
  std::string key = std::to_string(*name.number);
  key.insert(key.begin(), '#');
  return key;
}

// The variants of each name among resources of one type, in script order;
// `group_of` receives each resource's group.
template <typename Resource>
std::vector<Variants> group_variants(const std::vector<Resource>& resources,
                                     std::vector<int>& group_of) {
  std::vector<Variants> groups;
  std::unordered_map<std::string, int> by_key;
  group_of.resize(resources.size());
  for (size_t i = 0; i < resources.size(); ++i) {
    auto [at, added] = by_key.try_emplace(resource_key(resources[i].name),
                                          static_cast<int>(groups.size()));
    if (added) {
      groups.emplace_back();
    }
    groups[at->second].members.push_back(static_cast<int>(i));
    group_of[i] = at->second;
  }
  return groups;
}

// The name of the function choosing among variants built by `function`
// ("dlg_about_create" gives "dlg_about_choose").
std::string chooser_name(std::string_view function, NameTable& names) {
  constexpr std::string_view kCreate = "_create";
  if (function.ends_with(kCreate)) {
    function.remove_suffix(kCreate.size());
  }
  return names.claim(std::string(function) + "_choose");
}

Toolbar describe_toolbar(const model::Toolbar& source, int index,
                         NameTable& names, IdNames& ids,
                         const StringsById& strings) {
  Toolbar toolbar;
  toolbar.script_name = source.name.text;
  toolbar.function = names.claim(
      names.claim("toolbar_" + scope_part(source.name, index)) + "_create");
  toolbar.button_width = source.width;
  toolbar.button_height = source.height;
  int image = 0;
  for (const model::ToolbarButton& button : source.buttons) {
    ToolButton described;
    if (!button.id) {
      described.separator = true;
    } else {
      described.image = image++;
      described.id = *button.id;
      described.id_name = ids.offer(button.id_written, *button.id);
      command_texts(strings, described.id, source.language, described.prompt,
                    described.tooltip);
    }
    toolbar.buttons.push_back(std::move(described));
  }
  return toolbar;
}

// The first menu that shares its name with a toolbar, an ACCELERATORS
// table or an icon describes the application's main window.
int main_window_menu(const model::Model& model) {
  // The names of toolbars, accelerator tables and icons, gathered once: a
  // menu shares a name with one of them when its number is among their
  // numbers or its text among the texts of those named by text (as
  // ResourceIndex pairs them).
  std::unordered_set<std::uint64_t> numbers;
  std::unordered_set<std::string> texts;
  auto gather = [&numbers, &texts](const model::NameOrOrdinal& name) {
    if (name.number) {
      numbers.insert(*name.number);
    } else {
      texts.insert(lower(name.text));
    }
  };
  for (const model::FileResource& file : model.files) {
    if (same_name(file.type, "ICON")) {
      gather(file.name);
    }
  }
  for (const auto& toolbar : model.toolbars) {
    gather(toolbar.name);
  }
  for (const auto& table : model.accelerators) {
    gather(table.name);
  }
  if (numbers.empty() && texts.empty()) {
    return -1;
  }
  for (size_t m = 0; m < model.menus.size(); ++m) {
    const model::NameOrOrdinal& name = model.menus[m].name;
    if ((name.number && numbers.count(*name.number) != 0) ||
        (!texts.empty() && texts.count(lower(name.text)) != 0)) {
      return static_cast<int>(m);
    }
  }
  return -1;
}

// "1.2.0.7" from a version's two double words.
std::string version_text(const std::uint32_t (&words)[2]) {
  return std::to_string(words[0] >> 16) + "." +
         std::to_string(words[0] & 0xFFFF) + "." +
         std::to_string(words[1] >> 16) + "." +
         std::to_string(words[1] & 0xFFFF);
}

// The version strings as constants, and the application's name: the
// product's, else the file's description, else its internal name.
void describe_version(const model::VersionInfo& source,
                      Description& description) {
  auto add = [&description](std::string key, std::string value) {
    std::string constant = "DLGFORGE_VERSION_";
    for (char c : key) {
      bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   (c >= '0' && c <= '9');
      constant += plain ? static_cast<char>(std::toupper(c)) : '_';
    }
    for (const VersionText& earlier : description.version) {
      if (earlier.constant == constant) {
        return;
      }
    }
    description.version.push_back(
        {std::move(constant), std::move(key), std::move(value)});
  };
  add("FileVersionNumber", version_text(source.file_version));
  add("ProductVersionNumber", version_text(source.product_version));
  if (source.string_tables.empty()) {
    return;
  }
  for (const model::VersionString& string : source.string_tables[0].values) {
    add(string.key, string.value);
  }
  for (std::string_view key :
       {"ProductName", "FileDescription", "InternalName"}) {
    for (const model::VersionString& string : source.string_tables[0].values) {
      if (same_name(string.key, key) && !string.value.empty()) {
        description.application_name = string.value;
        return;
      }
    }
  }
}

bool matches(const model::NameOrOrdinal& name, const std::string& wanted) {
  if (same_name(name.text, wanted)) {
    return true;
  }
  return name.number && std::to_string(*name.number) == wanted;
}

// The resources of one type by name, each name's in script order: pairing
// each dialog with its menu and its DLGINIT, each menu with its
// accelerators, ... by looking through every resource of the other type
// made a large script's description quadratic.
class ResourceIndex {
 public:
  template <typename Resource>
  explicit ResourceIndex(const std::vector<Resource>& resources) {
    for (std::size_t i = 0; i < resources.size(); ++i) {
      const model::NameOrOrdinal& name = resources[i].name;
      if (name.number) {
        by_number_[*name.number].push_back(i);
      } else {
        unnumbered_by_text_[lower(name.text)].push_back(i);
      }
      by_text_[lower(name.text)].push_back(i);
    }
  }

  /// The resources of `name`: those of its number when they have one,
  /// else those of its name ignoring case, as the resource compiler pairs
  /// them.
  std::vector<std::size_t> same_resource(
      const model::NameOrOrdinal& name) const {
    std::vector<std::size_t> found;
    if (name.number) {
      add(by_number_, *name.number, found);
    }
    add(unnumbered_by_text_, lower(name.text), found);
    return in_order(std::move(found));
  }

  /// The resources named `text` ignoring case, or numbered with it written
  /// in decimal, or numbered `number`: how a dialog's MENU option finds its
  /// menu.
  std::vector<std::size_t> matching(const std::string& text,
                                    std::optional<std::uint32_t> number) const {
    std::vector<std::size_t> found;
    add(by_text_, lower(text), found);
    if (std::optional<std::uint32_t> written = decimal(text)) {
      add(by_number_, *written, found);
    }
    if (number) {
      add(by_number_, *number, found);
    }
    return in_order(std::move(found));
  }

 private:
  template <typename Map, typename Key>
  static void add(const Map& map, const Key& key,
                  std::vector<std::size_t>& found) {
    if (auto at = map.find(key); at != map.end()) {
      found.insert(found.end(), at->second.begin(), at->second.end());
    }
  }

  static std::vector<std::size_t> in_order(std::vector<std::size_t> found) {
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
  }

  // The number `text` is the decimal spelling of, as std::to_string
  // writes it (no sign, no leading zero).
  static std::optional<std::uint32_t> decimal(std::string_view text) {
    if (text.empty() || text.size() > 10 ||
        (text[0] == '0' && text.size() > 1)) {
      return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') {
        return std::nullopt;
      }
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) {
      return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
  }

  std::unordered_map<std::uint32_t, std::vector<std::size_t>> by_number_;
  std::unordered_map<std::string, std::vector<std::size_t>> by_text_;
  std::unordered_map<std::string, std::vector<std::size_t>> unnumbered_by_text_;
};

}  // namespace

std::string_view kind_name(WidgetKind kind) {
  switch (kind) {
  case WidgetKind::Button:
    return "Button";
  case WidgetKind::ToggleButton:
    return "ToggleButton";
  case WidgetKind::CheckButton:
    return "CheckButton";
  case WidgetKind::RadioButton:
    return "RadioButton";
  case WidgetKind::GroupBox:
    return "GroupBox";
  case WidgetKind::Label:
    return "Label";
  case WidgetKind::LinkLabel:
    return "LinkLabel";
  case WidgetKind::Separator:
    return "Separator";
  case WidgetKind::FilledBox:
    return "FilledBox";
  case WidgetKind::OutlineBox:
    return "OutlineBox";
  case WidgetKind::Image:
    return "Image";
  case WidgetKind::Entry:
    return "Entry";
  case WidgetKind::TextView:
    return "TextView";
  case WidgetKind::ListBox:
    return "ListBox";
  case WidgetKind::ListView:
    return "ListView";
  case WidgetKind::ComboBox:
    return "ComboBox";
  case WidgetKind::ComboBoxEntry:
    return "ComboBoxEntry";
  case WidgetKind::ScrollBar:
    return "ScrollBar";
  case WidgetKind::Slider:
    return "Slider";
  case WidgetKind::ProgressBar:
    return "ProgressBar";
  case WidgetKind::SpinButton:
    return "SpinButton";
  case WidgetKind::Notebook:
    return "Notebook";
  case WidgetKind::Calendar:
    return "Calendar";
  case WidgetKind::Custom:
    return "Custom";
  }
  return "";
}

std::string_view shade_colour(Shade shade) {
  switch (shade) {
  case Shade::Black:
    return "#000000";
  case Shade::Gray:
    return "#808080";
  case Shade::White:
    return "#FFFFFF";
  }
  return "#000000";
}

std::string_view signal_name(Notification notification) {
  switch (notification) {
  case Notification::Clicked:
    return "clicked";
  case Notification::EditChange:
  case Notification::ComboChange:
  case Notification::ListSelect:
    return "changed";
  case Notification::EditFocus:
    return "focus-in-event";
  case Notification::EditBlur:
    return "focus-out-event";
  case Notification::ListDoubleClick:
    return "row-activated";
  }
  return "";
}

SignalSource signal_source(Notification notification, WidgetKind kind) {
  if (notification == Notification::EditChange &&
      kind == WidgetKind::TextView) {
    return SignalSource::Buffer;
  }
  if (notification == Notification::ListSelect) {
    return SignalSource::Selection;
  }
  return SignalSource::Widget;
}

int dialog_in_language(const Description& description, int dialog,
                       std::uint16_t language) {
  const Variants& group =
      description.dialog_variants[description.dialogs[dialog].variants];
  std::vector<std::uint16_t> languages;
  for (int member : group.members) {
    languages.push_back(description.dialogs[member].language);
  }
  return group.members[languages::choose_language(languages, language)];
}

bool has_dialog(const model::Model& model, const std::string& name) {
  for (const model::Dialog& dialog : model.dialogs) {
    if (matches(dialog.name, name)) {
      return true;
    }
  }
  return false;
}

Description describe(const model::Model& model, const std::string& main_name,
                     const PictureSet* pictures, unsigned threads) {
  if (threads == 0) {
    threads = std::min(4u, std::thread::hardware_concurrency());
  }
  DialogPreparer preparer(
      model.dialogs, model.dialogs.size() >= kPreparedApartFrom ? threads : 1);
  Description description;
  NameTable names;
  IdNames ids;
  // About two names per menu; four per dialog and one per control in the
  // dialogs' own table.
  names.reserve(2 * model.menus.size() + model.toolbars.size());
  NameTable dialog_names;
  std::size_t expected = 4 * model.dialogs.size();
  for (const model::Dialog& dialog : model.dialogs) {
    expected += dialog.controls.size();
  }
  dialog_names.reserve(expected);
  DialogNamer namer(model.dialogs, preparer, dialog_names,
                    model.dialogs.size() >= kPreparedApartFrom && threads > 1);
  StringsById strings;
  for (const model::StringEntry& string : model.strings) {
    std::vector<const model::StringEntry*>& entries = strings[string.id];
    if (std::none_of(entries.begin(), entries.end(),
                     [&string](const model::StringEntry* earlier) {
                       return earlier->language == string.language;
                     })) {
      entries.push_back(&string);
    }
  }
  std::unordered_set<const model::AcceleratorTable*> warned_tables;
  ResourceIndex accelerator_index(model.accelerators);
  for (size_t i = 0; i < model.menus.size(); ++i) {
    const model::Menu& menu = model.menus[i];
    description.menus.push_back(
        describe_menu(menu, static_cast<int>(i), names, ids));
    add_prompts(description.menus.back().items, strings, menu.language);
    // The ACCELERATORS table of the menu's name, else the application's
    // (the script's first), gives the menu's window its keys.
    const model::AcceleratorTable* table = nullptr;
    if (std::vector<std::size_t> named =
            accelerator_index.same_resource(menu.name);
        !named.empty()) {
      table = &model.accelerators[named.front()];
    }
    if (table == nullptr && !model.accelerators.empty()) {
      table = &model.accelerators.front();
    }
    if (table != nullptr) {
      // A table several menus use warns once.
      add_shortcuts(
          *table, ids, description.menus.back(),
          warned_tables.insert(table).second ? &description.warnings : nullptr);
    }
  }
  std::vector<int> menu_group;
  description.menu_variants = group_variants(model.menus, menu_group);
  for (Variants& group : description.menu_variants) {
    if (group.members.size() > 1) {
      group.chooser = chooser_name(
          description.menus[group.members.front()].function, names);
      for (int member : group.members) {
        description.menus[member].chooser = group.chooser;
      }
    }
  }
  std::vector<int> dialog_group;
  description.dialog_variants = group_variants(model.dialogs, dialog_group);
  ResourceIndex init_index(model.dialog_inits);
  ResourceIndex menu_index(model.menus);
  for (size_t i = 0; i < model.dialogs.size(); ++i) {
    const model::Dialog& source = model.dialogs[i];
    Dialog dialog = std::move(namer.take(i));
    name_dialog_ids(dialog, ids);
    dialog.variants = dialog_group[i];
    // The DLGINIT of the dialog's name, in its LANGUAGE where there are
    // several.
    const model::DialogInit* init = nullptr;
    for (std::size_t at : init_index.same_resource(source.name)) {
      const model::DialogInit& candidate = model.dialog_inits[at];
      if (init == nullptr || candidate.language == source.language) {
        init = &candidate;
      }
    }
    if (init != nullptr) {
      add_initial_items(*init, dialog);
    }
    if (pictures != nullptr) {
      add_pictures(source, *pictures, dialog, description.pictures);
    }
    if (source.menu) {
      // The menu's variant in the dialog's language, else its first: the
      // program asks the menu's chooser in any case.
      for (std::size_t m :
           menu_index.matching(source.menu->text, source.menu->number)) {
        if (dialog.menu < 0 || model.menus[m].language == source.language) {
          dialog.menu = static_cast<int>(m);
        }
        if (model.menus[m].language == source.language) {
          break;
        }
      }
    }
    if (description.main_dialog < 0 &&
        (main_name.empty() ? true : matches(source.name, main_name))) {
      description.main_dialog = static_cast<int>(i);
    }
    description.dialogs.push_back(std::move(dialog));
  }
  ResourceIndex file_index(model.files);
  for (size_t i = 0; i < model.toolbars.size(); ++i) {
    const model::Toolbar& source = model.toolbars[i];
    description.toolbars.push_back(
        describe_toolbar(source, static_cast<int>(i), names, ids, strings));
    if (const Picture* strip = pictures != nullptr
                                   ? pictures->find("BITMAP", source.name)
                                   : nullptr) {
      Toolbar& toolbar = description.toolbars.back();
      toolbar.picture = picture_index(*strip, 0, description.pictures);
      toolbar.picture_width = strip->images.front().width;
      toolbar.picture_height = strip->images.front().height;
    }
    std::vector<std::size_t> named = file_index.same_resource(source.name);
    if (std::none_of(named.begin(), named.end(), [&model](std::size_t at) {
          return same_name(model.files[at].type, "BITMAP");
        })) {
      description.warnings.push_back(
          {source.pos, "the toolbar " + source.name.text +
                           " has no BITMAP of its name: its buttons show "
                           "the toolkit's picture of a missing image"});
    }
    for (std::size_t m : menu_index.same_resource(source.name)) {
      if (description.menus[m].toolbar < 0) {
        description.menus[m].toolbar = static_cast<int>(i);
      }
    }
  }
  if (!model.versions.empty()) {
    describe_version(model.versions.front(), description);
  }
  if (int menu = main_window_menu(model); menu >= 0) {
    const model::NameOrOrdinal& name = model.menus[menu].name;
    MainWindow window;
    window.script_name = name.text;
    std::string scope = names.claim("frame_" + scope_part(name, menu));
    window.function = names.claim(scope + "_create");
    window.procedure = names.claim(scope + "_procedure");
    window.menu = menu;
    if (name.number) {
      if (const model::StringEntry* title =
              string_in(strings, *name.number, model.menus[menu].language)) {
        window.title = title->text.substr(0, title->text.find('\n'));
        window.title_string = static_cast<std::int64_t>(*name.number);
      }
    }
    if (window.title.empty()) {
      window.title = description.application_name.empty()
                         ? window.script_name
                         : description.application_name;
    }
    constexpr std::uint32_t kIdleMessage = 0xE001;  // AFX_IDS_IDLEMESSAGE
    if (const model::StringEntry* idle =
            string_in(strings, kIdleMessage, model.menus[menu].language)) {
      window.idle_text = idle->text;
    }
    description.main_window = std::move(window);
    description.main_window_first = main_name.empty();
  }
  if (model.dialogs.empty() && !model.menus.empty()) {
    description.main_menu = 0;
  }
  if (pictures != nullptr) {
    add_application_icon(*pictures, description);
  }
  // Dialog and menu names and string ids become constants too, after the ids
  // the dialogs and menus use.
  for (const model::Dialog& dialog : model.dialogs) {
    if (dialog.name.number) {
      ids.offer(dialog.name.text, *dialog.name.number);
    }
  }
  for (const model::Menu& menu : model.menus) {
    if (menu.name.number) {
      ids.offer(menu.name.text, *menu.name.number);
    }
  }
  for (const model::StringEntry& string : model.strings) {
    ids.offer(string.id_written, string.id);
  }
  description.strings.reserve(strings.size());
  for (const auto& [id, entries] : strings) {
    StringVariants string;
    string.id = id;
    for (const model::StringEntry* entry : entries) {
      string.texts.emplace_back(entry->language, entry->text);
    }
    description.strings.push_back(std::move(string));
  }
  description.constants = ids.constants();
  description.unnamed_ids = ids.unnamed();
  return description;
}

}  // namespace dlgforge::port
