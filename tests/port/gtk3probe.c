/* gtk3probe: a GTK 3 module that records what a program put on screen.
 *
 * GTK 3 loads it into any program named in GTK_MODULES. Once every window
 * the program showed is on screen and the main loop has been idle for
 * GTK3PROBE_SETTLE_MS, it writes GTK3PROBE_OUT/probe.json (each toplevel
 * window's title and size, and its widget tree: type, name, allocation
 * relative to the window, the place of each GtkFixed child, the font and
 * text of labels), a PNG of each window when GTK3PROBE_SHOTS is 1, the
 * order in which Tab moves the focus through the controls of each window's
 * GtkFixed or GtkLayout when GTK3PROBE_TABS is 1 (indexes among the
 * area's children, from the window without focus until a control comes
 * again), and ends
 * the process with status 0. At GTK3PROBE_TIMEOUT seconds it writes what
 * exists and ends with status 3. It reads only what GTK 3 exposes publicly,
 * so it records the same things for any program.
 */
#include <gtk/gtk.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char *out_dir = ".";
static int settle_ms = 100;
static double timeout_s = 10;
static int shots = 0;
static int tabs = 0;
static gint64 started_us, idle_since_us;

static void write_string(FILE *out, const char *text) {
  fputc('"', out);
  for (const unsigned char *c = (const unsigned char *)(text ? text : "");
       *c; ++c) {
    if (*c == '"' || *c == '\\')
      fprintf(out, "\\%c", *c);
    else if (*c < 0x20)
      fprintf(out, "\\u%04x", *c);
    else
      fputc(*c, out);
  }
  fputc('"', out);
}

static void write_widget(FILE *out, GtkWidget *widget, GtkWidget *top);

struct Children {
  FILE *out;
  GtkWidget *top;
  int count;
};

static void write_child(GtkWidget *child, gpointer data) {
  struct Children *children = data;
  if (children->count++ > 0) fputc(',', children->out);
  write_widget(children->out, child, children->top);
}

static void write_widget(FILE *out, GtkWidget *widget, GtkWidget *top) {
  fprintf(out, "{\"type\":");
  write_string(out, G_OBJECT_TYPE_NAME(widget));
  fprintf(out, ",\"name\":");
  write_string(out, gtk_widget_get_name(widget));
  fprintf(out, ",\"visible\":%s", gtk_widget_get_visible(widget) ? "true" : "false");
  int x = 0, y = 0;
  GtkAllocation allocation;
  gtk_widget_get_allocation(widget, &allocation);
  if (gtk_widget_get_mapped(widget) &&
      gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y)) {
    fprintf(out, ",\"allocation\":[%d,%d,%d,%d]", x, y, allocation.width,
            allocation.height);
  } else {
    fprintf(out, ",\"allocation\":null");
  }
  GtkWidget *parent = gtk_widget_get_parent(widget);
  if (parent != NULL && (GTK_IS_FIXED(parent) || GTK_IS_LAYOUT(parent))) {
    int fx = 0, fy = 0;
    gtk_container_child_get(GTK_CONTAINER(parent), widget, "x", &fx, "y", &fy,
                            NULL);
    fprintf(out, ",\"fixed_position\":[%d,%d]", fx, fy);
  }
  if (GTK_IS_LABEL(widget)) {
    fprintf(out, ",\"label\":");
    write_string(out, gtk_label_get_label(GTK_LABEL(widget)));
    PangoContext *context = gtk_widget_get_pango_context(widget);
    char *font = pango_font_description_to_string(
        pango_context_get_font_description(context));
    fprintf(out, ",\"font\":");
    write_string(out, font);
    g_free(font);
  }
  if (GTK_IS_CONTAINER(widget)) {
    fprintf(out, ",\"children\":[");
    struct Children children = {out, top, 0};
    gtk_container_forall(GTK_CONTAINER(widget), write_child, &children);
    fputc(']', out);
  }
  fputc('}', out);
}

/* The index among the children of its GtkFixed or GtkLayout of the control
 * holding the window's focus, -1 when none. */
static int focused_control(GtkWidget *window) {
  GtkWidget *widget = gtk_window_get_focus(GTK_WINDOW(window));
  for (; widget != NULL; widget = gtk_widget_get_parent(widget)) {
    GtkWidget *parent = gtk_widget_get_parent(widget);
    if (parent != NULL && (GTK_IS_FIXED(parent) || GTK_IS_LAYOUT(parent))) {
      GList *children = gtk_container_get_children(GTK_CONTAINER(parent));
      int index = g_list_index(children, widget);
      g_list_free(children);
      return index;
    }
  }
  return -1;
}

/* Tab pressed again and again from a window without focus, until the focus
 * comes to a control it reached before (the last index written). */
static void write_tab_order(FILE *out, GtkWidget *window) {
  fprintf(out, ",\"tab_order\":[");
  /* Controls take the focus as in a window the user works in: an inactive
   * window's buttons take it again on every Tab. The window is told it has
   * the keyboard, as the X server tells it; nothing else runs meanwhile. */
  GdkEvent *focus_in = gdk_event_new(GDK_FOCUS_CHANGE);
  focus_in->focus_change.window = g_object_ref(gtk_widget_get_window(window));
  focus_in->focus_change.send_event = TRUE;
  focus_in->focus_change.in = TRUE;
  gtk_widget_send_focus_change(window, focus_in);
  gdk_event_free(focus_in);
  gtk_window_set_focus(GTK_WINDOW(window), NULL);
  GHashTable *seen = g_hash_table_new(NULL, NULL);
  for (int step = 0; step < 1000; ++step) {
    if (!gtk_widget_child_focus(window, GTK_DIR_TAB_FORWARD)) break;
    int index = focused_control(window);
    fprintf(out, "%s%d", step > 0 ? "," : "", index);
    if (!g_hash_table_add(seen, GINT_TO_POINTER(index + 2))) break;
  }
  g_hash_table_destroy(seen);
  fputc(']', out);
}

static void write_report(const char *status) {
  g_mkdir_with_parents(out_dir, 0755);
  char *path = g_build_filename(out_dir, "probe.json", NULL);
  FILE *out = fopen(path, "w");
  g_free(path);
  if (out == NULL) _exit(4);
  fprintf(out, "{\"tool\":\"gtk3probe\",\"gtk_version\":\"%u.%u.%u\",",
          gtk_get_major_version(), gtk_get_minor_version(),
          gtk_get_micro_version());
  fprintf(out, "\"status\":\"%s\",\"toplevels\":[", status);
  GList *windows = gtk_window_list_toplevels(); /* oldest first */
  int index = 0;
  for (GList *item = windows; item; item = item->next) {
    GtkWidget *window = item->data;
    if (gtk_window_get_window_type(GTK_WINDOW(window)) != GTK_WINDOW_TOPLEVEL)
      continue;
    if (index++ > 0) fputc(',', out);
    fprintf(out, "{\"index\":%d,\"title\":", index);
    write_string(out, gtk_window_get_title(GTK_WINDOW(window)));
    GdkWindow *surface = gtk_widget_get_window(window);
    int mapped = gtk_widget_get_mapped(window);
    fprintf(out, ",\"mapped\":%s", mapped ? "true" : "false");
    if (mapped && surface) {
      int width = gdk_window_get_width(surface);
      int height = gdk_window_get_height(surface);
      fprintf(out, ",\"size\":[%d,%d]", width, height);
      if (shots) {
        GdkPixbuf *shot = gdk_pixbuf_get_from_window(surface, 0, 0, width,
                                                     height);
        char name[32];
        snprintf(name, sizeof name, "window-%d.png", index);
        char *file = g_build_filename(out_dir, name, NULL);
        if (shot) gdk_pixbuf_save(shot, file, "png", NULL, NULL);
        g_free(file);
        if (shot) g_object_unref(shot);
      }
    } else {
      fprintf(out, ",\"size\":null");
    }
    if (tabs && mapped) write_tab_order(out, window);
    fprintf(out, ",\"tree\":");
    write_widget(out, window, window);
    fputc('}', out);
  }
  g_list_free(windows);
  fprintf(out, "]}\n");
  fclose(out);
}

/* Settled: a window is on screen, every window shown is mapped, and the
 * main loop had nothing to do for settle_ms. */
static gboolean watch(gpointer data) {
  (void)data;
  gint64 now = g_get_monotonic_time();
  if (now - started_us > (gint64)(timeout_s * 1e6)) {
    write_report("timeout");
    fflush(stdout);
    _exit(3);
  }
  int shown = 0, waiting = 0;
  GList *windows = gtk_window_list_toplevels();
  for (GList *item = windows; item; item = item->next) {
    GtkWidget *window = item->data;
    if (!gtk_widget_get_visible(window)) continue;
    if (gtk_widget_get_mapped(window))
      ++shown;
    else
      ++waiting;
  }
  g_list_free(windows);
  if (shown == 0 || waiting > 0 || gtk_events_pending()) {
    idle_since_us = now;
    return G_SOURCE_CONTINUE;
  }
  if (now - idle_since_us < (gint64)settle_ms * 1000) return G_SOURCE_CONTINUE;
  write_report("captured");
  fflush(stdout);
  _exit(0);
}

G_MODULE_EXPORT void gtk_module_init(gint *argc, gchar ***argv) {
  (void)argc;
  (void)argv;
  const char *value;
  if ((value = g_getenv("GTK3PROBE_OUT")) != NULL) out_dir = value;
  if ((value = g_getenv("GTK3PROBE_SETTLE_MS")) != NULL) settle_ms = atoi(value);
  if ((value = g_getenv("GTK3PROBE_TIMEOUT")) != NULL) timeout_s = atof(value);
  if ((value = g_getenv("GTK3PROBE_SHOTS")) != NULL) shots = atoi(value);
  if ((value = g_getenv("GTK3PROBE_TABS")) != NULL) tabs = atoi(value);
  started_us = idle_since_us = g_get_monotonic_time();
  g_timeout_add(20, watch, NULL);
}
