// dlgforge-gtk: the part of dlgforge that links GTK+ 2. dlgforge runs it,
// with its own command line, for --preview (the port dialogs live on the
// display) and --report (the port report with a picture of each dialog).
// Both build the dialogs by performing the same widget description the
// FreeBASIC writer prints.
#include <gtk/gtk.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "driver/options.h"
#include "linux/output_file.h"
#include "port/languages/languages.h"
#include "port/model/model_json.h"
#include "port/pictures/pictures.h"
#include "port/preview/builder.h"
#include "port/preview/display.h"
#include "port/reader/reader.h"
#include "port/report/html_report.h"
#include "port/widgets/description.h"
#include "text/quoted.h"

namespace {

using dlgforge::port::Description;

constexpr int kStatusWriteFailed = 1;
constexpr int kStatusUsage = 2;
constexpr int kStatusNoDisplay = 2;
constexpr int kStatusCannotOpen = 255;

void report(const std::string& line) {
  std::string text = "dlgforge: " + line + "\n";
  (void)!::write(STDERR_FILENO, text.data(), text.size());
}

bool read_model(const dlgforge::ConversionOptions& options,
                dlgforge::model::Model& model) {
  dlgforge::port::ReaderOptions reader;
  reader.include_dirs = options.include_dirs;
  reader.defines = options.defines;
  reader.codepage =
      options.codepage ? static_cast<unsigned>(*options.codepage) : 0;
  std::string error;
  if (!dlgforge::port::read_resource_script(options.script, reader, model,
                                            error)) {
    report("cannot open '" + options.script + "': " + error);
    return false;
  }
  std::string warnings;
  for (const dlgforge::model::Diagnostic& warning : model.warnings) {
    warnings += dlgforge::model::format_warning(warning) + "\n";
  }
  (void)!::write(STDERR_FILENO, warnings.data(), warnings.size());
  return true;
}

// The description with the script's pictures, read from their files as a
// conversion reads them, with a warning for each that cannot be shown.
Description describe_with_pictures(const dlgforge::model::Model& model) {
  dlgforge::port::PictureSet pictures = dlgforge::port::read_pictures(model);
  std::string warnings;
  for (const dlgforge::model::Diagnostic& warning : pictures.warnings) {
    warnings += dlgforge::model::format_warning(warning) + "\n";
  }
  (void)!::write(STDERR_FILENO, warnings.data(), warnings.size());
  return dlgforge::port::describe(model, "", &pictures);
}

bool start_toolkit() {
  if (!gtk_init_check(nullptr, nullptr)) {
    const char* display = std::getenv("DISPLAY");
    report(display && *display
               ? "cannot open the display " + dlgforge::quoted(display)
               : std::string("no display: DISPLAY is not set"));
    return false;
  }
  dlgforge::port::preview::prepare_toolkit();
  return true;
}

// ---- the preview

struct Preview {
  const Description* description = nullptr;
  std::optional<dlgforge::DialogBaseUnits> units;
  int open_windows = 0;
};

void window_closed(GtkWidget*, gpointer data) {
  auto* preview = static_cast<Preview*>(data);
  if (--preview->open_windows == 0) {
    gtk_main_quit();
  }
}

GtkWidget* open_dialog(Preview& preview, int index) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  dlgforge::port::preview::build_dialog(*preview.description, index, window,
                                        preview.units);
  gtk_widget_show(window);
  return window;
}

// A menu of the script in a window of its own, as the port program shows
// a script that has menus and no dialog.
void open_menu(const Preview& preview, int index) {
  const dlgforge::port::MenuBar& bar = preview.description->menus[index];
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), bar.script_name.c_str());
  GtkAccelGroup* accels = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window), accels);
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 200);
  gtk_container_add(GTK_CONTAINER(window),
                    dlgforge::port::preview::build_menu_bar(bar, accels));
  g_object_unref(accels);
  gtk_widget_show_all(window);
}

enum Column {
  kKind,
  kName,
  kLanguage,
  kTitle,
  kControls,
  kIndex,
  kIsMenu,
  kColumns
};

void row_activated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*,
                   gpointer data) {
  auto* preview = static_cast<Preview*>(data);
  GtkTreeModel* rows = gtk_tree_view_get_model(view);
  GtkTreeIter row;
  if (!gtk_tree_model_get_iter(rows, &row, path)) {
    return;
  }
  int index = 0;
  gboolean is_menu = FALSE;
  gtk_tree_model_get(rows, &row, kIndex, &index, kIsMenu, &is_menu, -1);
  if (is_menu) {
    open_menu(*preview, index);
  } else {
    open_dialog(*preview, index);
  }
}

void add_column(GtkWidget* view, const char* title, int column) {
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, title,
                                              gtk_cell_renderer_text_new(),
                                              "text", column, nullptr);
}

// The window listing the dialogs and menus; closing it ends the preview.
GtkWidget* list_window(Preview& preview, const std::string& script) {
  GtkListStore* store = gtk_list_store_new(
      kColumns, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING,
      G_TYPE_STRING, G_TYPE_INT, G_TYPE_BOOLEAN);
  const Description& description = *preview.description;
  for (size_t i = 0; i < description.dialogs.size(); ++i) {
    const dlgforge::port::Dialog& dialog = description.dialogs[i];
    std::string count = std::to_string(dialog.widgets.size());
    GtkTreeIter row;
    gtk_list_store_append(store, &row);
    std::string language =
        dlgforge::port::languages::language_name(dialog.language);
    gtk_list_store_set(store, &row, kKind, "Dialog", kName,
                       dialog.script_name.c_str(), kLanguage, language.c_str(),
                       kTitle, dialog.title.c_str(), kControls, count.c_str(),
                       kIndex, static_cast<int>(i), kIsMenu, FALSE, -1);
  }
  for (size_t i = 0; i < description.menus.size(); ++i) {
    GtkTreeIter row;
    gtk_list_store_append(store, &row);
    std::string language =
        dlgforge::port::languages::language_name(description.menus[i].language);
    gtk_list_store_set(store, &row, kKind, "Menu", kName,
                       description.menus[i].script_name.c_str(), kLanguage,
                       language.c_str(), kTitle, "", kControls, "", kIndex,
                       static_cast<int>(i), kIsMenu, TRUE, -1);
  }
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  add_column(view, "Kind", kKind);
  add_column(view, "Name", kName);
  add_column(view, "Language", kLanguage);
  add_column(view, "Title", kTitle);
  add_column(view, "Controls", kControls);
  g_signal_connect(view, "row-activated", G_CALLBACK(row_activated), &preview);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  std::string name = script.substr(script.rfind('/') + 1);
  gtk_window_set_title(GTK_WINDOW(window),
                       ("dlgforge preview: " + name).c_str());
  gtk_window_set_default_size(GTK_WINDOW(window), 460, 320);
  GtkWidget* box = gtk_vbox_new(FALSE, 6);
  gtk_container_set_border_width(GTK_CONTAINER(box), 8);
  GtkWidget* hint = gtk_label_new(
      "Double-click a dialog or a menu (or select it and press Enter) to "
      "open it as the --port program builds it.");
  gtk_label_set_line_wrap(GTK_LABEL(hint), TRUE);
  gtk_misc_set_alignment(GTK_MISC(hint), 0, 0.5);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller),
                                 GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller),
                                      GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  gtk_box_pack_start(GTK_BOX(box), hint, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), scroller, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_widget_show_all(window);
  return window;
}

int preview(const dlgforge::ConversionOptions& options) {
  dlgforge::model::Model model;
  if (!read_model(options, model)) {
    return kStatusCannotOpen;
  }
  std::vector<int> chosen;
  for (const std::string& name : options.preview_dialogs) {
    if (!dlgforge::port::has_dialog(model, name)) {
      report("no dialog " + dlgforge::quoted(name) + " in '" + options.script +
             "'");
      return kStatusUsage;
    }
    chosen.push_back(dlgforge::port::describe(model, name).main_dialog);
  }
  Description description = describe_with_pictures(model);
  if (options.language) {
    for (int& index : chosen) {
      index = dlgforge::port::dialog_in_language(description, index,
                                                 *options.language);
    }
  }
  if (!start_toolkit()) {
    return kStatusNoDisplay;
  }
  Preview state{&description, options.base_units, 0};
  std::vector<GtkWidget*> windows;
  if (chosen.empty()) {
    windows.push_back(list_window(state, options.script));
  }
  for (int index : chosen) {
    windows.push_back(open_dialog(state, index));
  }
  // The preview ends when the list closes, or when the last of the dialogs
  // named on the command line closes.
  for (GtkWidget* window : windows) {
    ++state.open_windows;
    g_signal_connect(window, "destroy", G_CALLBACK(window_closed), &state);
  }
  gtk_main();
  return 0;
}

// ---- the report

// Draws a dialog into an offscreen window, which needs no window manager and
// is never on screen, and returns its picture.
GdkPixbuf* picture_of(const Description& description, int index,
                      std::optional<dlgforge::DialogBaseUnits> fixed,
                      dlgforge::DialogBaseUnits& units) {
  GtkWidget* window = gtk_offscreen_window_new();
  units =
      dlgforge::port::preview::build_dialog(description, index, window, fixed);
  gtk_widget_show(window);
  while (gtk_events_pending()) {
    gtk_main_iteration_do(FALSE);
  }
  gdk_window_process_all_updates();
  GdkPixbuf* picture =
      gtk_offscreen_window_get_pixbuf(GTK_OFFSCREEN_WINDOW(window));
  gtk_widget_destroy(window);
  return picture;
}

bool write_file(const std::string& path, const std::string& text) {
  dlgforge::OutputFile file(path);
  if (!file.open()) {
    report(file.error());
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = ::write(file.fd(), text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      report("cannot write " + dlgforge::quoted(path) + ": " +
             std::strerror(errno));
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  if (!file.commit()) {
    report(file.error());
    return false;
  }
  return true;
}

int write_report(const dlgforge::ConversionOptions& options) {
  dlgforge::model::Model model;
  if (!read_model(options, model)) {
    return kStatusCannotOpen;
  }
  Description description = describe_with_pictures(model);
  const std::string& folder = *options.report_dir;
  std::error_code failed;
  std::filesystem::create_directories(folder, failed);
  if (failed) {
    report("cannot create " + dlgforge::quoted(folder) + ": " +
           failed.message());
    return kStatusWriteFailed;
  }
  dlgforge::port::preview::PrivateDisplay private_display;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    std::string error;
    if (!private_display.start(error)) {
      report(error);
      return kStatusNoDisplay;
    }
  }
  if (!start_toolkit()) {
    return kStatusNoDisplay;
  }

  dlgforge::port::ReportInput input{
      options.script, &model, &description, {}, options.language};
  std::vector<std::string> anchors =
      dlgforge::port::dialog_anchors(description);
  size_t total = description.dialogs.size();
  bool progress = ::isatty(STDERR_FILENO) == 1;
  for (size_t i = 0; i < total; ++i) {
    if (progress) {
      std::string line = "\r" + std::to_string(i + 1) + "/" +
                         std::to_string(total) + " dialogs";
      (void)!::write(STDERR_FILENO, line.data(), line.size());
    }
    dlgforge::DialogBaseUnits units;
    GdkPixbuf* picture =
        picture_of(description, static_cast<int>(i), options.base_units, units);
    dlgforge::port::DialogPicture entry;
    entry.units_x = units.bx;
    entry.units_y = units.by;
    if (picture != nullptr) {
      std::string file = "dialog-" + anchors[i] + ".png";
      std::string path = folder + "/" + file;
      GError* error = nullptr;
      if (gdk_pixbuf_save(picture, path.c_str(), "png", &error, nullptr)) {
        entry.file = file;
        entry.width = gdk_pixbuf_get_width(picture);
        entry.height = gdk_pixbuf_get_height(picture);
      } else {
        report("cannot write " + dlgforge::quoted(path) + ": " +
               error->message);
        g_error_free(error);
        g_object_unref(picture);
        return kStatusWriteFailed;
      }
      g_object_unref(picture);
    }
    input.pictures.push_back(entry);
  }
  if (progress && total > 0) {
    (void)!::write(STDERR_FILENO, "\n", 1);
  }
  if (!write_file(folder + "/index.html",
                  dlgforge::port::write_report_html(input))) {
    return kStatusWriteFailed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  dlgforge::CommandLine command = dlgforge::parse_options(args);
  switch (command.action) {
  case dlgforge::CommandAction::Preview:
    return preview(command.options);
  case dlgforge::CommandAction::Report:
    return write_report(command.options);
  default:
    report(
        "dlgforge-gtk does the work of dlgforge --preview and --report; "
        "run dlgforge");
    return kStatusUsage;
  }
}
