#include "port/report/html_report.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "port/gtk2/choices.h"
#include "port/languages/languages.h"

namespace dlgforge::port {
namespace {

constexpr std::string_view kStyle = R"(
body { font: 14px/1.45 system-ui, "DejaVu Sans", sans-serif; color: #222;
  background: #fafafa; margin: 0 auto; max-width: 72em; padding: 1em 2em; }
h1 { font-size: 1.6em; margin: .4em 0; }
h2 { font-size: 1.25em; margin: 2em 0 .5em; padding-top: .5em;
  border-top: 1px solid #ddd; }
h3 { font-size: 1em; margin: 1.2em 0 .4em; }
a { color: #1a5fb4; text-decoration: none; }
a:hover { text-decoration: underline; }
table { border-collapse: collapse; margin: .5em 0; background: #fff; }
th, td { border: 1px solid #ddd; padding: .2em .6em; text-align: left;
  vertical-align: top; }
th { background: #f0f0f0; font-weight: 600; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
td.w { white-space: nowrap; }
code, kbd { font: 12px/1.3 "DejaVu Sans Mono", monospace; }
.summary { display: flex; flex-wrap: wrap; gap: 1em 3em; align-items: flex-start; }
.figures td:first-child { font-weight: 600; }
.picture { margin: .6em 0; }
.picture img { border: 1px solid #bbb; background: #fff;
  box-shadow: 0 1px 4px rgba(0,0,0,.12); }
.note { color: #8a5a00; }
.warning { color: #a51d2d; }
.muted { color: #777; }
ul.menu { margin: .2em 0; padding-left: 1.4em; }
ul.contents { columns: 3 24em; padding-left: 1.2em; }
.variants { display: flex; flex-wrap: wrap; gap: 0 2em; }
.variants > section { flex: 1 1 24em; min-width: 0; overflow-x: auto; }
)";

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\t':
    case '\n':
    case '\r':
      out += ' ';
      break;
    default:
      out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return out;
}

// A text in mnemonic form shown as Windows shows it: the mnemonic letter
// underlined, a doubled underscore as one.
std::string mnemonic_html(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_' && i + 1 < text.size()) {
      ++i;
      out += text[i] == '_' ? "_" : "<u>" + escape(text.substr(i, 1)) + "</u>";
      continue;
    }
    out += escape(text.substr(i, 1));
  }
  return out;
}

std::string number(long value) {
  return std::to_string(value);
}

std::string source_of(const model::Control& control) {
  std::string source = control.keyword.empty() ? "CONTROL" : control.keyword;
  if (control.keyword == "CONTROL" || control.keyword.empty()) {
    source += " " + control.class_name;
  }
  return source;
}

std::string control_text(const model::Control& control) {
  if (control.text.number) {
    std::string ordinal = "#";
    ordinal += number(*control.text.number);
    return ordinal;
  }
  return control.text.text;
}

// The warnings on the lines of one dialog: from its statement to its last
// control, in the dialog's file.
std::vector<const model::Diagnostic*> dialog_warnings(
    const model::Model& model, const model::Dialog& dialog) {
  int last = dialog.pos.line;
  for (const model::Control& control : dialog.controls) {
    last = std::max(last, control.pos.line);
  }
  std::vector<const model::Diagnostic*> found;
  for (const model::Diagnostic& warning : model.warnings) {
    if (warning.pos.file() == dialog.pos.file() &&
        warning.pos.line >= dialog.pos.line && warning.pos.line <= last + 1) {
      found.push_back(&warning);
    }
  }
  return found;
}

std::string warning_line(const model::Diagnostic& warning) {
  std::string file = warning.pos.file();
  if (size_t slash = file.rfind('/'); slash != std::string::npos) {
    file.erase(0, slash + 1);
  }
  return "<li><code>" + escape(file) + ":" + number(warning.pos.line) + ":" +
         number(warning.pos.column) + "</code> <span class=warning>" +
         escape(warning.message) + "</span></li>\n";
}

// Bytes as base64, for a data: URI.
std::string base64(std::string_view bytes) {
  constexpr std::string_view kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  auto byte = [bytes](size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at]));
  };
  for (size_t at = 0; at < bytes.size(); at += 3) {
    size_t left = bytes.size() - at;
    std::uint32_t group = byte(at) << 16 | (left > 1 ? byte(at + 1) << 8 : 0) |
                          (left > 2 ? byte(at + 2) : 0);
    out += kDigits[group >> 18 & 0x3F];
    out += kDigits[group >> 12 & 0x3F];
    out += left > 1 ? kDigits[group >> 6 & 0x3F] : '=';
    out += left > 2 ? kDigits[group & 0x3F] : '=';
  }
  return out;
}

// The media type of a picture file, by the extension the converter gave it.
std::string_view media_type(std::string_view name) {
  std::string_view extension = name.substr(name.rfind('.') + 1);
  return extension == "bmp"   ? "image/bmp"
         : extension == "png" ? "image/png"
                              : "image/x-icon";
}

class Page {
 public:
  explicit Page(const ReportInput& input)
      : input_(input),
        model_(*input.model),
        description_(*input.description),
        anchors_(dialog_anchors(description_)) {
    // The variants of each dialog to show: all of them, side by side, or
    // the one a user of the report's language gets.
    for (const Variants& group : description_.dialog_variants) {
      if (input_.language) {
        shown_.push_back({dialog_in_language(description_, group.members[0],
                                             *input_.language)});
      } else {
        shown_.push_back(group.members);
      }
    }
  }

  std::string write() {
    std::string name = input_.script_name;
    if (size_t slash = name.rfind('/'); slash != std::string::npos) {
      name.erase(0, slash + 1);
    }
    out_ +=
        "<!DOCTYPE html>\n<html lang=en>\n<head>\n<meta charset=utf-8>\n"
        "<meta name=viewport content=\"width=device-width\">\n"
        "<title>" +
        escape(name) + " ported to GTK+ 2</title>\n<style>" +
        std::string(kStyle) + "</style>\n</head>\n<body>\n";
    out_ += "<h1>" + escape(name) + " ported to GTK+ 2</h1>\n";
    out_ += "<p class=muted>Written by <code>dlgforge --report</code> from " +
            escape(input_.script_name) +
            ": each dialog as <code>dlgforge --port</code> builds it.</p>\n";
    summary();
    for (const std::vector<int>& variants : shown_) {
      if (variants.size() > 1) {
        out_ += "<div class=variants>\n";
      }
      for (int index : variants) {
        dialog_section(static_cast<size_t>(index));
      }
      if (variants.size() > 1) {
        out_ += "</div>\n";
      }
    }
    languages();
    menus();
    main_window();
    accelerators();
    toolbars();
    strings();
    version();
    pictures();
    warnings();
    out_ += "</body>\n</html>\n";
    return std::move(out_);
  }

 private:
  void summary() {
    size_t controls = 0;
    std::map<std::string, int> kinds;
    for (const Dialog& dialog : description_.dialogs) {
      controls += dialog.widgets.size();
      for (const Widget& widget : dialog.widgets) {
        ++kinds[std::string(kind_name(widget.kind))];
      }
    }
    out_ += "<section id=summary class=summary>\n<table class=figures>\n";
    auto row = [this](std::string_view what, size_t count) {
      out_ += "<tr><td>" + std::string(what) + "</td><td class=n>" +
              number(static_cast<long>(count)) + "</td></tr>\n";
    };
    row("Dialogs", description_.dialogs.size());
    row("Controls", controls);
    row("Menus", description_.menus.size());
    row("Accelerator tables", model_.accelerators.size());
    row("Toolbars", model_.toolbars.size());
    row("Strings", model_.strings.size());
    row("Warnings", model_.warnings.size());
    out_ += "</table>\n<table>\n<tr><th>Widget kind</th><th>Count</th></tr>\n";
    for (const auto& [kind, count] : kinds) {
      out_ += "<tr><td>" + escape(kind) + "</td><td class=n>" + number(count) +
              "</td></tr>\n";
    }
    out_ += "</table>\n</section>\n";
    if (description_.dialogs.empty()) {
      return;
    }
    out_ += "<h3>Dialogs</h3>\n<ul class=contents>\n";
    for (const std::vector<int>& variants : shown_) {
      for (int i : variants) {
        const Dialog& dialog = description_.dialogs[i];
        out_ += "<li><a href=\"#" + anchors_[i] + "\">" +
                escape(dialog.script_name) + "</a>" + language_mark(dialog) +
                " <span class=muted>" + escape(dialog.title) + "</span></li>\n";
      }
    }
    out_ += "</ul>\n";
  }

  void dialog_section(size_t index) {
    const Dialog& dialog = description_.dialogs[index];
    const model::Dialog& source = model_.dialogs[index];
    const DialogPicture* picture =
        index < input_.pictures.size() ? &input_.pictures[index] : nullptr;
    out_ += "<section id=\"" + anchors_[index] + "\">\n<h2>" +
            escape(dialog.script_name) + language_mark(dialog) +
            (dialog.title.empty() ? "" : " &mdash; " + escape(dialog.title)) +
            "</h2>\n";
    out_ += "<p class=muted>" + escape(source.kind) + ", line " +
            number(source.pos.line) + ", " + number(dialog.rect.cx) +
            " &times; " + number(dialog.rect.cy) + " dialog units, font " +
            escape(gtk2::family_list(dialog.font)) + " " +
            number(dialog.font.points) + " pt";
    if (picture != nullptr && picture->units_x > 0) {
      out_ += ", base units " + number(picture->units_x) + ", " +
              number(picture->units_y);
    }
    out_ += "</p>\n";
    if (picture != nullptr && !picture->file.empty()) {
      out_ += "<div class=picture><img src=\"" + escape(picture->file) +
              "\" width=" + number(picture->width) +
              " height=" + number(picture->height) + " alt=\"" +
              escape(dialog.script_name) + "\"></div>\n";
    } else {
      out_ += "<p class=note>No picture could be taken.</p>\n";
    }
    controls_table(dialog, source);
    std::vector<const model::Diagnostic*> found =
        dialog_warnings(model_, source);
    if (!found.empty()) {
      out_ += "<h3>Warnings</h3>\n<ul>\n";
      for (const model::Diagnostic* warning : found) {
        out_ += warning_line(*warning);
      }
      out_ += "</ul>\n";
    }
    out_ += "</section>\n";
  }

  void controls_table(const Dialog& dialog, const model::Dialog& source) {
    if (dialog.widgets.empty()) {
      out_ += "<p class=muted>No controls.</p>\n";
      return;
    }
    out_ +=
        "<table>\n<tr><th>Line</th><th>Control</th><th>Identifier</th>"
        "<th>Text</th><th>Widget</th><th>Notes</th></tr>\n";
    for (size_t i = 0; i < dialog.widgets.size(); ++i) {
      const Widget& widget = dialog.widgets[i];
      const model::Control* control =
          widget.control >= 0 &&
                  static_cast<size_t>(widget.control) < source.controls.size()
              ? &source.controls[widget.control]
              : nullptr;
      std::string text = control ? control_text(*control) : widget.text;
      out_ += "<tr><td class=n>" + number(widget.source_line) + "</td><td>" +
              escape(control ? source_of(*control) : widget.keyword) +
              "</td><td><code>" + escape(widget.id_written) +
              "</code></td><td>" + escape(text) + "</td><td class=w>" +
              escape(kind_name(widget.kind)) + " <span class=muted>" +
              escape(gtk2::widget_type(widget)) +
              "</span></td><td class=note>" +
              (control ? escape(approximation(*control, widget)) : "") +
              "</td></tr>\n";
    }
    out_ += "</table>\n";
  }

  void menus() {
    if (description_.menus.empty()) {
      return;
    }
    out_ += "<section id=menus>\n<h2>Menus</h2>\n";
    for (const MenuBar& bar : description_.menus) {
      out_ += "<h3 id=\"menu-" + escape(bar.function) + "\">" +
              escape(bar.script_name) + "</h3>\n";
      menu_list(bar.items);
    }
    out_ += "</section>\n";
  }

  void menu_list(const std::vector<MenuEntry>& items) {
    out_ += "<ul class=menu>\n";
    for (const MenuEntry& entry : items) {
      if (entry.kind == MenuEntry::Kind::Separator) {
        out_ += "<li class=muted>&mdash;&mdash;&mdash;</li>\n";
        continue;
      }
      out_ += "<li>" + mnemonic_html(entry.text);
      if (!entry.accel_text.empty()) {
        out_ += " <kbd>" + escape(entry.accel_text) + "</kbd>";
      }
      std::string marks;
      if (entry.kind == MenuEntry::Kind::Check) {
        marks += entry.active ? " checked" : " check";
      }
      if (entry.kind == MenuEntry::Kind::Radio) {
        marks += entry.active ? " radio, chosen" : " radio";
      }
      if (!entry.sensitive) {
        marks += " grayed";
      }
      if (!marks.empty()) {
        out_ += " <span class=muted>(" + marks.substr(1) + ")</span>";
      }
      if (!entry.id_written.empty()) {
        out_ += " <code class=muted>" + escape(entry.id_written) + "</code>";
      }
      if (entry.kind == MenuEntry::Kind::Submenu) {
        out_ += "\n";
        menu_list(entry.items);
      }
      out_ += "</li>\n";
    }
    out_ += "</ul>\n";
  }

  // The language of a dialog whose name the script has in several.
  std::string language_mark(const Dialog& dialog) const {
    if (description_.dialog_variants[dialog.variants].members.size() < 2) {
      return "";
    }
    return " <span class=muted>(" +
           escape(languages::language_name(dialog.language)) + ")</span>";
  }

  // Which dialogs, menus and strings the script has in which languages.
  void languages() {
    std::vector<std::uint16_t> found;
    auto note = [&found](std::uint16_t language) {
      if (std::find(found.begin(), found.end(), language) == found.end()) {
        found.push_back(language);
      }
    };
    for (const Dialog& dialog : description_.dialogs) {
      note(dialog.language);
    }
    for (const MenuBar& bar : description_.menus) {
      note(bar.language);
    }
    for (const model::StringEntry& string : model_.strings) {
      note(string.language);
    }
    if (found.size() < 2) {
      return;
    }
    out_ +=
        "<section id=languages>\n<h2>Languages</h2>\n<table>\n<tr>"
        "<th>Resource</th>";
    for (std::uint16_t language : found) {
      std::string name = languages::language_name(language);
      out_ += "<th>" + escape(name.empty() ? "neutral" : name) + "</th>";
    }
    out_ += "</tr>\n";
    auto row = [&](std::string_view what, const std::vector<int>& members,
                   auto language_of) {
      out_ += "<tr><td>" + std::string(what) + "</td>";
      for (std::uint16_t language : found) {
        bool has = std::any_of(members.begin(), members.end(), [&](int m) {
          return language_of(m) == language;
        });
        out_ += has ? "<td>yes</td>" : "<td class=note>&mdash;</td>";
      }
      out_ += "</tr>\n";
    };
    for (const Variants& group : description_.dialog_variants) {
      row("Dialog " +
              escape(description_.dialogs[group.members[0]].script_name),
          group.members,
          [this](int m) { return description_.dialogs[m].language; });
    }
    for (const Variants& group : description_.menu_variants) {
      row("Menu " + escape(description_.menus[group.members[0]].script_name),
          group.members,
          [this](int m) { return description_.menus[m].language; });
    }
    out_ += "<tr><td>Strings</td>";
    for (std::uint16_t language : found) {
      long count = std::count_if(model_.strings.begin(), model_.strings.end(),
                                 [language](const model::StringEntry& s) {
                                   return s.language == language;
                                 });
      out_ += "<td class=n>" + number(count) + "</td>";
    }
    out_ += "</tr>\n</table>\n</section>\n";
  }

  // The script's pictures the program shows, each as the file its
  // picture folder holds.
  void pictures() {
    if (description_.pictures.empty()) {
      return;
    }
    out_ +=
        "<section id=pictures>\n<h2>Pictures</h2>\n<table>\n"
        "<tr><th>Picture</th><th>File</th><th>Size</th></tr>\n";
    for (const PictureFile& file : description_.pictures) {
      out_ += "<tr><td><img alt=\"\" src=\"data:" +
              std::string(media_type(file.name)) + ";base64," +
              base64(file.bytes) + "\"></td><td><code>" + escape(file.name) +
              "</code></td><td class=n>" + number(file.width) + " &times; " +
              number(file.height) + "</td></tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void main_window() {
    if (!description_.main_window) {
      return;
    }
    const MainWindow& window = *description_.main_window;
    const MenuBar& bar = description_.menus[window.menu];
    out_ +=
        "<section id=main-window>\n<h2>Main window</h2>\n<p>The "
        "resources named <code>" +
        escape(window.script_name) +
        "</code> make the application's "
        "main window, titled &ldquo;" +
        escape(window.title) + "&rdquo;: the menu bar <a href=\"#menu-" +
        escape(bar.function) + "\">" + escape(bar.script_name) + "</a>";
    if (bar.toolbar >= 0) {
      out_ += ", its toolbar";
    }
    out_ += ", its accelerators and a status bar";
    if (!window.idle_text.empty()) {
      out_ += " reading &ldquo;" + escape(window.idle_text) + "&rdquo;";
    }
    out_ += description_.main_window_first
                ? ". The program shows it first.</p>\n</section>\n"
                : ".</p>\n</section>\n";
  }

  static std::string key_text(const model::Accelerator& accelerator) {
    std::string keys;
    for (const std::string& flag : accelerator.flags) {
      if (flag == "CONTROL" || flag == "SHIFT" || flag == "ALT") {
        keys += flag + "+";
      }
    }
    return keys + accelerator.key_written;
  }

  void accelerators() {
    if (model_.accelerators.empty()) {
      return;
    }
    out_ += "<section id=accelerators>\n<h2>Accelerators</h2>\n";
    for (const model::AcceleratorTable& table : model_.accelerators) {
      out_ += "<h3>" + escape(table.name.text) +
              "</h3>\n<table>\n<tr><th>Line</th><th>Key</th><th>Flags</th>"
              "<th>Command</th></tr>\n";
      for (const model::Accelerator& accelerator : table.entries) {
        std::string flags;
        for (const std::string& flag : accelerator.flags) {
          flags += (flags.empty() ? "" : ", ") + flag;
        }
        out_ += "<tr><td class=n>" + number(accelerator.pos.line) +
                "</td><td><kbd>" + escape(key_text(accelerator)) +
                "</kbd></td><td>" + escape(flags) + "</td><td><code>" +
                escape(accelerator.id_written) + "</code></td></tr>\n";
      }
      out_ += "</table>\n";
    }
    out_ += "</section>\n";
  }

  void toolbars() {
    if (description_.toolbars.empty()) {
      return;
    }
    out_ += "<section id=toolbars>\n<h2>Toolbars</h2>\n";
    for (size_t t = 0; t < description_.toolbars.size(); ++t) {
      const Toolbar& toolbar = description_.toolbars[t];
      const model::Toolbar& source = model_.toolbars[t];
      out_ += "<h3>" + escape(toolbar.script_name) +
              "</h3>\n<p class=muted>Buttons of " +
              number(toolbar.button_width) + " &times; " +
              number(toolbar.button_height) +
              " pixels.</p>\n<table>\n<tr><th>Line</th><th>Picture</th>"
              "<th>Command</th><th>Tooltip</th><th>Prompt</th></tr>\n";
      for (size_t b = 0; b < toolbar.buttons.size(); ++b) {
        const ToolButton& button = toolbar.buttons[b];
        out_ +=
            "<tr><td class=n>" + number(source.buttons[b].pos.line) + "</td>";
        if (button.separator) {
          out_ += "<td colspan=4 class=muted>separator</td></tr>\n";
          continue;
        }
        out_ += "<td class=n>" + number(button.image) + "</td><td><code>" +
                escape(source.buttons[b].id_written) + "</code></td><td>" +
                escape(button.tooltip) + "</td><td>" + escape(button.prompt) +
                "</td></tr>\n";
      }
      out_ += "</table>\n";
    }
    out_ += "</section>\n";
  }

  void strings() {
    if (model_.strings.empty()) {
      return;
    }
    out_ +=
        "<section id=strings>\n<h2>String table</h2>\n<table>\n<tr>"
        "<th>Line</th><th>Id</th><th>Language</th><th>Text</th></tr>\n";
    for (const model::StringEntry& string : model_.strings) {
      std::string language = languages::language_name(string.language);
      out_ += "<tr><td class=n>" + number(string.pos.line) + "</td><td><code>" +
              escape(string.id_written) + "</code> <span class=muted>" +
              number(static_cast<long>(string.id)) + "</span></td><td>" +
              language + "</td><td>" + escape(string.text) + "</td></tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void version() {
    if (description_.version.empty()) {
      return;
    }
    out_ +=
        "<section id=version>\n<h2>Version</h2>\n<table>\n<tr>"
        "<th>Constant</th><th>Value</th></tr>\n";
    for (const VersionText& text : description_.version) {
      out_ += "<tr><td><code>" + escape(text.constant) + "</code></td><td>" +
              escape(text.value) + "</td></tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void warnings() {
    out_ += "<section id=warnings>\n<h2>Reader warnings</h2>\n";
    if (model_.warnings.empty()) {
      out_ += "<p class=muted>None.</p>\n</section>\n";
      return;
    }
    out_ += "<ul>\n";
    for (const model::Diagnostic& warning : model_.warnings) {
      out_ += warning_line(warning);
    }
    out_ += "</ul>\n</section>\n";
  }

  const ReportInput& input_;
  const model::Model& model_;
  const Description& description_;
  std::vector<std::string> anchors_;
  std::vector<std::vector<int>> shown_;
  std::string out_;
};

}  // namespace

std::string approximation(const model::Control& control, const Widget& widget) {
  std::vector<std::string> notes;
  switch (widget.kind) {
  case WidgetKind::Custom:
    notes.push_back("class " + control.class_name +
                    " has no GTK widget: a labelled frame stands in");
    break;
  case WidgetKind::Image:
    if (widget.picture < 0) {
      notes.push_back("a stock image stands in for the picture");
    }
    break;
  case WidgetKind::ComboBox:
  case WidgetKind::ComboBoxEntry:
    notes.push_back(widget.sizing == Sizing::FieldHeight
                        ? "as high as its edit field, not its dropped list"
                        : "its list drops down instead of showing below");
    break;
  case WidgetKind::SpinButton:
    if (!widget.joined_id.empty()) {
      notes.push_back("one spin button with its up-down control " +
                      widget.joined_id);
    }
    break;
  case WidgetKind::ListView:
    notes.push_back("columns and items left to the program");
    break;
  case WidgetKind::Notebook:
    notes.push_back("pages left to the program");
    break;
  case WidgetKind::Entry:
    if (widget.class_name.find("IPAddress") != std::string::npos ||
        widget.class_name.find("DateTime") != std::string::npos ||
        widget.class_name.find("Hotkey") != std::string::npos) {
      notes.push_back("a plain edit field stands in");
    }
    break;
  default:
    break;
  }
  if (!widget.visible) {
    notes.push_back("hidden");
  }
  if (!widget.sensitive) {
    notes.push_back("insensitive");
  }
  std::string joined;
  for (const std::string& note : notes) {
    joined += (joined.empty() ? "" : "; ") + note;
  }
  return joined;
}

std::vector<std::string> dialog_anchors(const Description& description) {
  std::vector<std::string> anchors;
  std::set<std::string> taken = {"summary", "menus", "warnings"};
  for (size_t i = 0; i < description.dialogs.size(); ++i) {
    std::string anchor;
    for (char c : description.dialogs[i].script_name) {
      bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   (c >= '0' && c <= '9') || c == '_' || c == '-';
      anchor += plain ? c : '_';
    }
    if (anchor.empty() || taken.count(anchor) != 0) {
      anchor += '-';
      anchor += number(static_cast<long>(i + 1));
    }
    taken.insert(anchor);
    anchors.push_back(anchor);
  }
  return anchors;
}

std::string write_report_html(const ReportInput& input) {
  return Page(input).write();
}

}  // namespace dlgforge::port
