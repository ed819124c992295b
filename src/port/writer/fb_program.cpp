#include "port/writer/fb_program.h"

#include <algorithm>

#include "port/gtk2/choices.h"
#include "port/writer/fb_literal.h"

namespace dlgforge::port {

const std::string_view kSharedHelpers =
    R"(' Edit fields with ES_UPPERCASE, ES_LOWERCASE or ES_NUMBER: the text is
' put right after each change, keeping the cursor where it was.
Sub dlgforge_keep_upper cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As Const gchar Ptr = gtk_entry_get_text(GTK_ENTRY(editable))
  Dim changed As gchar Ptr = g_utf8_strup(text, -1)
  If *changed <> *text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), changed)
    gtk_editable_set_position(editable, position)
  End If
  g_free(changed)
End Sub

Sub dlgforge_keep_lower cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As Const gchar Ptr = gtk_entry_get_text(GTK_ENTRY(editable))
  Dim changed As gchar Ptr = g_utf8_strdown(text, -1)
  If *changed <> *text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), changed)
    gtk_editable_set_position(editable, position)
  End If
  g_free(changed)
End Sub

Sub dlgforge_keep_digits cdecl (ByVal editable As GtkEditable Ptr, _
    ByVal user_data As gpointer)
  Dim text As String = *gtk_entry_get_text(GTK_ENTRY(editable))
  Dim digits As String
  For index As Long = 0 To Len(text) - 1
    If text[index] >= Asc("0") AndAlso text[index] <= Asc("9") Then
      digits &= Chr(text[index])
    End If
  Next
  If digits <> text Then
    Dim position As Long = gtk_editable_get_position(editable)
    gtk_entry_set_text(GTK_ENTRY(editable), digits)
    gtk_editable_set_position(editable, position - (Len(text) - Len(digits)))
  End If
End Sub

' A widget in a scrolled window with a sunken frame, as list boxes and
' multi-line edit fields draw; the scrolled window is what gets placed.
Function dlgforge_scrolled(ByVal child As GtkWidget Ptr) As GtkWidget Ptr
  Dim scroller As GtkWidget Ptr = gtk_scrolled_window_new(NULL, NULL)
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), _
      GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC)
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN)
  gtk_container_add(GTK_CONTAINER(scroller), child)
  Return scroller
End Function

' A list box: a tree view of one text column without a header.
Function dlgforge_list_box(ByVal mode As GtkSelectionMode) As GtkWidget Ptr
  Dim store As GtkListStore Ptr = gtk_list_store_new(1, G_TYPE_STRING)
  Dim tree As GtkWidget Ptr = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store))
  g_object_unref(store)
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(tree), FALSE)
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(tree), -1, "", _
      gtk_cell_renderer_text_new(), "text", 0, NULL)
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(tree)), mode)
  Return tree
End Function

)";

std::string number(int value) {
  return std::to_string(value);
}

std::string number(float value) {
  if (value == 0.0f) {
    return "0";
  }
  if (value == 1.0f) {
    return "1";
  }
  return "0.5";
}

std::string describe_source(const Widget& widget) {
  std::string line = "  ' " + (widget.keyword.empty() ? std::string("CONTROL")
                                                      : widget.keyword);
  if (widget.keyword == "CONTROL" && !widget.class_name.empty()) {
    line += " " + widget.class_name;
  }
  if (!widget.id_written.empty()) {
    line += " " + widget.id_written;
  }
  if (widget.source_line > 0) {
    line += ", line " + number(widget.source_line);
  }
  // A comment ends at the line's end: keep only printable text.
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) {
      c = ' ';
    }
  }
  return line + "\n";
}

std::string FbProgramPrinter::print() {
  heading();
  declarations();
  helpers();
  for (const MenuBar& bar : description_.menus) {
    menu_function(bar);
  }
  for (const Dialog& dialog : description_.dialogs) {
    dialog_function(dialog);
  }
  main_program();
  handler_bodies();
  return std::move(out_);
}

// Handlers are declared up front, so every function can connect them;
// their bodies are at the end of the program, where the user fills them.
void FbProgramPrinter::declarations() {
  std::string handlers;
  std::string variables;
  // One line per widget of the whole script: appended piece by piece,
  // as temporaries of `a + b + c` cost more than the text here.
  auto variable = [&](const std::string& name) {
    variables.append("Dim Shared ").append(name).append(" As GtkWidget Ptr\n");
  };
  for (const Dialog& dialog : description_.dialogs) {
    variable(dialog.window);
    for (const Widget& widget : dialog.widgets) {
      variable(widget.name);
      if (!widget.handler.empty()) {
        handlers.append("Declare Sub ")
            .append(widget.handler)
            .append(" cdecl ")
            .append(parameters(widget.signal))
            .append("\n");
      }
    }
  }
  for (const MenuBar& bar : description_.menus) {
    declare_menu_handlers(bar.items, handlers);
  }
  out_.append("' Handlers, at the end of the program.\n")
      .append(handlers)
      .append("\n");
  out_.append(
          "' Each dialog's window and controls, set when the dialog is "
          "built.\n")
      .append(variables)
      .append("\n");
}

void FbProgramPrinter::declare_menu_handlers(
    const std::vector<MenuEntry>& items, std::string& handlers) {
  for (const MenuEntry& entry : items) {
    if (!entry.handler.empty()) {
      handlers += "Declare Sub " + entry.handler + " cdecl " +
                  parameters(Signal::Activate) + "\n";
    }
    declare_menu_handlers(entry.items, handlers);
  }
}

std::string FbProgramPrinter::parameters(Signal signal) {
  switch (signal) {
  case Signal::TextChanged:
    return "(ByVal buffer As GtkTextBuffer Ptr, ByVal user_data As gpointer)";
  case Signal::SelectionChanged:
    return "(ByVal selection As GtkTreeSelection Ptr, ByVal user_data As "
           "gpointer)";
  case Signal::SwitchPage:
    return "(ByVal notebook As GtkNotebook Ptr, ByVal page As gpointer, "
           "ByVal page_num As guint, ByVal user_data As gpointer)";
  case Signal::Activate:
    return "(ByVal item As GtkMenuItem Ptr, ByVal user_data As gpointer)";
  default:
    return "(ByVal widget As GtkWidget Ptr, ByVal user_data As gpointer)";
  }
}

std::string FbProgramPrinter::comment_for(Signal signal) {
  switch (signal) {
  case Signal::Clicked:
    return "is clicked";
  case Signal::Toggled:
    return "is switched on or off";
  case Signal::Changed:
  case Signal::TextChanged:
    return "changes its text or choice";
  case Signal::SelectionChanged:
    return "changes its selection";
  case Signal::ValueChanged:
    return "changes its value";
  case Signal::SwitchPage:
    return "switches to another page";
  case Signal::DaySelected:
    return "selects a day";
  case Signal::Activate:
    return "is chosen";
  case Signal::None:
    break;
  }
  return "";
}

int FbProgramPrinter::menu_depth(const std::vector<MenuEntry>& items) {
  int depth = 0;
  for (const MenuEntry& entry : items) {
    if (entry.kind == MenuEntry::Kind::Submenu) {
      depth = std::max(depth, 1 + menu_depth(entry.items));
    }
  }
  return depth;
}

void FbProgramPrinter::menu_function(const MenuBar& bar) {
  out_ += "' Menu " + fb_comment(bar.script_name) + ".\n";
  out_ += "Function " + bar.function +
          "(ByVal accels As GtkAccelGroup Ptr) As GtkWidget Ptr\n";
  out_ += "  Dim item As GtkWidget Ptr\n";
  out_ += "  Dim radio_first As GtkWidget Ptr\n";
  out_ += "  Dim shell_0 As GtkWidget Ptr = gtk_menu_bar_new()\n";
  int depth = menu_depth(bar.items);
  for (int level = 1; level <= depth; ++level) {
    out_ += "  Dim shell_" + number(level) + " As GtkWidget Ptr\n";
  }
  menu_items(bar.items, 0);
  out_ += "  Return shell_0\nEnd Function\n\n";
}

void FbProgramPrinter::menu_items(const std::vector<MenuEntry>& items,
                                  int level) {
  std::string shell = "shell_" + number(level);
  for (const MenuEntry& entry : items) {
    std::string text = fb_string(entry.text);
    switch (entry.kind) {
    case MenuEntry::Kind::Separator:
      out_ += "  item = gtk_separator_menu_item_new()\n";
      break;
    case MenuEntry::Kind::Submenu:
    case MenuEntry::Kind::Item:
      out_ += "  item = gtk_menu_item_new_with_mnemonic(" + text + ")\n";
      break;
    case MenuEntry::Kind::Check:
      out_ += "  item = gtk_check_menu_item_new_with_mnemonic(" + text + ")\n";
      break;
    case MenuEntry::Kind::Radio:
      if (entry.starts_group) {
        out_ += "  item = gtk_radio_menu_item_new_with_mnemonic(NULL, " + text +
                ")\n  radio_first = item\n";
      } else {
        out_ +=
            "  item = gtk_radio_menu_item_new_with_mnemonic_from_widget("
            "GTK_RADIO_MENU_ITEM(radio_first), " +
            text + ")\n";
      }
      break;
    }
    out_ += "  gtk_menu_shell_append(GTK_MENU_SHELL(" + shell + "), item)\n";
    if (entry.kind == MenuEntry::Kind::Separator) {
      continue;
    }
    if (entry.active && (entry.kind == MenuEntry::Kind::Check ||
                         entry.kind == MenuEntry::Kind::Radio)) {
      out_ +=
          "  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), "
          "TRUE)\n";
    }
    if (!entry.sensitive) {
      out_ += "  gtk_widget_set_sensitive(item, FALSE)\n";
    }
    accelerator(entry);
    if (!entry.handler.empty()) {
      out_ += "  g_signal_connect(item, \"activate\", G_CALLBACK(@" +
              entry.handler + "), NULL)\n";
    }
    if (entry.kind == MenuEntry::Kind::Submenu) {
      std::string inner = "shell_" + number(level + 1);
      out_ += "  " + inner + " = gtk_menu_new()\n";
      out_ +=
          "  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), " + inner + ")\n";
      menu_items(entry.items, level + 1);
    }
  }
}

void FbProgramPrinter::accelerator(const MenuEntry& entry) {
  if (entry.accel_text.empty()) {
    return;
  }
  if (entry.accel_key.empty()) {
    out_ +=
        "  dlgforge_accel_text(item, " + fb_string(entry.accel_text) + ")\n";
    return;
  }
  std::string modifiers;
  auto add = [&modifiers](std::string_view mask) {
    modifiers += modifiers.empty() ? "" : " Or ";
    modifiers += mask;
  };
  if (entry.accel_control)
    add("GDK_CONTROL_MASK");
  if (entry.accel_shift)
    add("GDK_SHIFT_MASK");
  if (entry.accel_alt)
    add("GDK_MOD1_MASK");
  if (modifiers.empty()) {
    modifiers = "0";
  }
  out_ +=
      "  gtk_widget_add_accelerator(item, \"activate\", accels, "
      "gdk_keyval_from_name(" +
      fb_string(entry.accel_key) + "), " + modifiers + ", GTK_ACCEL_VISIBLE)\n";
}

// Builds a dialog by its name in the script, for the command line.
void FbProgramPrinter::dialog_by_name() {
  out_ +=
      "' Builds the dialog the script names NAME (IDD_ABOUT, 101); Null "
      "when\n"
      "' there is none.\n";
  out_ +=
      "Function dlgforge_dialog_named(ByVal dialog_name As String) As "
      "GtkWidget Ptr\n";
  if (description_.dialogs.empty()) {
    out_ += "  Return NULL\nEnd Function\n\n";
    return;
  }
  out_ += "  Select Case UCase(dialog_name)\n";
  for (const Dialog& dialog : description_.dialogs) {
    std::string upper = dialog.script_name;
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    out_ += "  Case " + fb_string(upper) + "\n    Return " + dialog.function +
            "()\n";
  }
  out_ += "  End Select\n  Return NULL\nEnd Function\n\n";
}

void FbProgramPrinter::main_program() {
  dialog_by_name();
  out_ +=
      "' The program: Wine's Tahoma made visible when fonts-wine is "
      "installed,\n"
      "' the toolkit, the first dialog (or those the command line names), "
      "the\n"
      "' main loop until the first window closes.\n";
  out_ += "dlgforge_add_fonts(" + fb_string(gtk2::kWineFontsDir) + ")\n";
  out_ += "gtk_init(NULL, NULL)\n";
  out_ += style_call() + "\n";
  out_ += "Dim dlgforge_main As GtkWidget Ptr\n";
  out_ += "For dlgforge_arg As Long = 1 To __FB_ARGC__ - 1\n";
  out_ +=
      "  Dim dlgforge_window As GtkWidget Ptr = "
      "dlgforge_dialog_named(Command(dlgforge_arg))\n";
  out_ += "  If dlgforge_window = NULL Then\n";
  out_ += "    Print \"no dialog named \"; Command(dlgforge_arg)\n";
  out_ += "    End 2\n";
  out_ += "  End If\n";
  out_ += "  If dlgforge_main = NULL Then dlgforge_main = dlgforge_window\n";
  out_ += "  gtk_widget_show(dlgforge_window)\n";
  out_ += "Next\n";
  out_ += "If dlgforge_main = NULL Then\n";
  if (description_.main_dialog >= 0) {
    const Dialog& dialog = description_.dialogs[description_.main_dialog];
    out_ += "  dlgforge_main = " + dialog.function + "()\n";
  } else if (description_.main_menu >= 0) {
    const MenuBar& bar = description_.menus[description_.main_menu];
    out_ +=
        "  ' The script has menus but no dialog: a window shows the first "
        "menu bar.\n";
    out_ += "  dlgforge_main = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n";
    out_ +=
        "  Dim dlgforge_accels As GtkAccelGroup Ptr = "
        "gtk_accel_group_new()\n";
    out_ +=
        "  gtk_window_add_accel_group(GTK_WINDOW(dlgforge_main), "
        "dlgforge_accels)\n";
    out_ +=
        "  gtk_window_set_default_size(GTK_WINDOW(dlgforge_main), 400, "
        "200)\n";
    out_ += "  gtk_container_add(GTK_CONTAINER(dlgforge_main), " +
            bar.function + "(dlgforge_accels))\n";
    out_ +=
        "  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dlgforge_main)))\n";
  } else {
    out_ += "  ' The script has no dialog and no menu: nothing to show.\n";
    out_ += "  End 0\n";
  }
  out_ += "  gtk_widget_show(dlgforge_main)\n";
  out_ += "End If\n";
  out_ +=
      "g_signal_connect(dlgforge_main, \"destroy\", "
      "G_CALLBACK(@gtk_main_quit), NULL)\n";
  out_ += "gtk_main()\n\n";
}

void FbProgramPrinter::handler_bodies() {
  out_ += "' ---- Handlers: one per interactive widget, for your code.\n\n";
  for (const Dialog& dialog : description_.dialogs) {
    for (const Widget& widget : dialog.widgets) {
      if (widget.handler.empty()) {
        continue;
      }
      out_ += "' " + widget.name.substr(0) + " " + comment_for(widget.signal) +
              ".\n";
      out_ += "Sub " + widget.handler + " cdecl " + parameters(widget.signal) +
              "\nEnd Sub\n\n";
    }
  }
  for (const MenuBar& bar : description_.menus) {
    menu_handler_bodies(bar.items);
  }
}

void FbProgramPrinter::menu_handler_bodies(
    const std::vector<MenuEntry>& items) {
  for (const MenuEntry& entry : items) {
    if (!entry.handler.empty()) {
      out_ += "' The menu item " + fb_comment(entry.text) + " " +
              comment_for(Signal::Activate) + ".\n";
      out_ += "Sub " + entry.handler + " cdecl " +
              parameters(Signal::Activate) + "\nEnd Sub\n\n";
    }
    menu_handler_bodies(entry.items);
  }
}

std::string FbProgramPrinter::fb_comment(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return out;
}

void FbProgramPrinter::entry(const Widget& widget) {
  const std::string& name = widget.name;
  if (!widget.text.empty()) {
    out_ += "  gtk_entry_set_text(GTK_ENTRY(" + name + "), " +
            fb_string(widget.text) + ")\n";
  }
  if (widget.password) {
    out_ += "  gtk_entry_set_visibility(GTK_ENTRY(" + name + "), FALSE)\n";
  }
  if (!widget.editable) {
    out_ += "  gtk_editable_set_editable(GTK_EDITABLE(" + name + "), FALSE)\n";
  }
  if (widget.xalign != 0.0f) {
    out_ += "  gtk_entry_set_alignment(GTK_ENTRY(" + name + "), " +
            number(widget.xalign) + ")\n";
  }
  std::string_view filter =
      widget.digits_only                        ? "dlgforge_keep_digits"
      : widget.letter_case == LetterCase::Upper ? "dlgforge_keep_upper"
      : widget.letter_case == LetterCase::Lower ? "dlgforge_keep_lower"
                                                : "";
  if (!filter.empty()) {
    out_ += "  g_signal_connect(" + name + ", \"changed\", G_CALLBACK(@" +
            std::string(filter) + "), NULL)\n";
  }
}

}  // namespace dlgforge::port
