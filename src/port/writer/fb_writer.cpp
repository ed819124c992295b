#include "port/writer/fb_writer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <concepts>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "port/gtk2/choices.h"
#include "port/gtk2/program.h"
#include "port/gtk3/program.h"
#include "port/languages/fb_runtime.h"
#include "port/program/fb_literal.h"
#include "port/program/spelling.h"

namespace dlgforge::port {
namespace {

// Helpers every program carries: MulDiv rounding, the base units of a
// font, the dialog font applied to a whole tree, placement on the dialog's
// area, the letter-case and digit filters of edit fields, the pieces of
// scrolled and list widgets, a rectangle of one colour, menu accelerator
// texts GTK cannot parse, the control style. Each {{name}} is a part the
// toolkit writes its own way.
constexpr std::string_view kHelpers =
    R"(' Windows' MulDiv: number * numerator / denominator, rounded to the
' nearest integer, halves away from zero.
Function dlgforge_muldiv(ByVal number As Long, ByVal numerator As Long, _
    ByVal denominator As Long) As Long
  Dim product As LongInt = CLngInt(number) * numerator
  Dim magnitude As LongInt = (Abs(product) + Abs(denominator) \ 2) \ Abs(denominator)
  If (product < 0) <> (denominator < 0) Then Return -magnitude
  Return magnitude
End Function

' The size Windows gives a dialog font: its point size at the screen's
' resolution, rounded to whole pixels.
Function dlgforge_font_pixels(ByVal points As Long) As Long
  Dim resolution As Double = gdk_screen_get_resolution(gdk_screen_get_default())
  If resolution <= 0 Then resolution = 96
  Return dlgforge_muldiv(points, CLng(resolution), 72)
End Function

{{font_height_intro}}Function dlgforge_font_height(ByVal reference As GtkWidget Ptr, _
{{font_height_source}}  If loaded = NULL Then Return 0
  Dim shaper As Any Ptr = dlgforge_hb_font(loaded)
  Dim As Long ascent, descent, scale_x, scale_y, height
{{font_height_pixels}}  If shaper <> NULL AndAlso _
      dlgforge_hb_metric(shaper, DLGFORGE_CLIPPING_ASCENT, @ascent) <> 0 AndAlso _
      dlgforge_hb_metric(shaper, DLGFORGE_CLIPPING_DESCENT, @descent) <> 0 Then
    dlgforge_hb_scale(shaper, @scale_x, @scale_y)
    If scale_y > 0 Then
      height = Int(pixels * ascent / scale_y + 0.5) + _
          Int(pixels * descent / scale_y + 0.5)
    End If
  End If
  g_object_unref(loaded)
  Return height
End Function

' The dialog base units of a font as the Windows dialog manager computes
' them: the average width of the 52 letters A-Z a-z, rounded, and the
{{base_units_intro}}Sub dlgforge_base_units(ByVal reference As GtkWidget Ptr, _
{{base_units_source}}  Dim layout As PangoLayout Ptr = gtk_widget_create_pango_layout(reference, _
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
{{base_units_layout_font}}  Dim As Long text_width, text_height
  pango_layout_get_pixel_size(layout, @text_width, @text_height)
  g_object_unref(layout)
  units_x = (text_width \ 26 + 1) \ 2
{{base_units_height}}  If units_y <= 0 Then units_y = text_height
End Sub

{{apply_font_intro}}Sub dlgforge_apply_font cdecl (ByVal widget As GtkWidget Ptr, _
{{apply_font_source}}  If GTK_IS_CONTAINER(widget) Then
{{apply_font_recurse}}  End If
End Sub

' Puts a widget where the dialog manager would: each of x, y, cx, cy in
' dialog units turned into pixels on its own. A zero size leaves the
' widget its natural size, as an icon without a size gets its own.
Sub dlgforge_place(ByVal area As GtkWidget Ptr, ByVal widget As GtkWidget Ptr, _
    ByVal x As Long, ByVal y As Long, ByVal cx As Long, ByVal cy As Long, _
    ByVal units_x As Long, ByVal units_y As Long)
{{area_put}}      dlgforge_muldiv(y, units_y, 8))
  If cx > 0 AndAlso cy > 0 Then
    gtk_widget_set_size_request(widget, dlgforge_muldiv(cx, units_x, 4), _
        dlgforge_muldiv(cy, units_y, 8))
  End If
End Sub

{{entry_helpers}}' Edit fields with ES_UPPERCASE, ES_LOWERCASE or ES_NUMBER: the text is
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

' A rectangle filled with one colour, for SS_BLACKRECT and its kind.
{{filled_box_colour}}  Dim box As GtkWidget Ptr = gtk_event_box_new()
{{filled_box_fill}}  Return box
End Function
{{look_helpers}}
' Makes the fonts of a folder visible to this program only, as fontconfig
' does not look where Debian's fonts-wine puts Wine's Tahoma.
Sub dlgforge_add_fonts(ByVal folder As Const ZString Ptr)
  FcConfigAppFontAddDir(NULL, CPtr(Const FcChar8 Ptr, folder))
End Sub

' A menu item's accelerator text that names no key GTK knows: shown at the
' right of the item, as Windows shows the text after the tab.
Sub dlgforge_accel_text(ByVal item As GtkWidget Ptr, ByVal text As Const gchar Ptr)
  Dim label As GtkWidget Ptr = gtk_bin_get_child(GTK_BIN(item))
  g_object_ref(label)
  gtk_container_remove(GTK_CONTAINER(item), label)
{{accel_box}}  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0)
  g_object_unref(label)
  Dim accel As GtkWidget Ptr = gtk_label_new(text)
{{accel_right}}  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0)
  gtk_container_add(GTK_CONTAINER(item), box)
End Sub
{{closing}})";

// Parts of the toolkits' own helpers that are spelled alike: the screen's
// font options set to full hinting with hinted metrics.
constexpr HelperPart kCommonParts[] = {
    {"full_hinting",
     R"(  Dim hinting As cairo_font_options_t Ptr = cairo_font_options_create()
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL)
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON)
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting)
  cairo_font_options_destroy(hinting)
)"},
};

// What makes a dialog work as the Windows dialog manager makes it work, and
// the calls dialog procedures make, by control id: alike in both toolkits.
constexpr std::string_view kDialogManager =
    R"(
' ---- How a dialog behaves: the Windows dialog manager's rules over GTK.
' A dialog's procedure, its controls' ids and groups and its state live on
' its window.

Dim Shared dlgforge_procedure_names() As String
Dim Shared dlgforge_procedures() As DLGFORGE_PROCEDURE

' Makes `procedure` receive the messages of the dialog the script names
' `dialog_name` ("IDD_ABOUT", or "101" for a dialog with a number), for
' every time that dialog is built after this call.
Sub dlgforge_set_procedure(ByVal dialog_name As String, _
    ByVal procedure As DLGFORGE_PROCEDURE)
  Dim count As Long = UBound(dlgforge_procedure_names) + 1
  ReDim Preserve dlgforge_procedure_names(count)
  ReDim Preserve dlgforge_procedures(count)
  dlgforge_procedure_names(count) = UCase(dialog_name)
  dlgforge_procedures(count) = procedure
End Sub

Function dlgforge_procedure_of(ByVal dialog_name As String) As DLGFORGE_PROCEDURE
  For index As Long = UBound(dlgforge_procedure_names) To 0 Step -1
    If dlgforge_procedure_names(index) = UCase(dialog_name) Then
      Return dlgforge_procedures(index)
    End If
  Next
  Return NULL
End Function

' A number kept on a widget.
Function dlgforge_number(ByVal widget As Any Ptr, ByVal key As String) As Long
  Return CLng(Cast(Integer, g_object_get_data(G_OBJECT(widget), key)))
End Function

Sub dlgforge_set_number(ByVal widget As Any Ptr, ByVal key As String, _
    ByVal value As Long)
  g_object_set_data(G_OBJECT(widget), key, Cast(gpointer, CInt(value)))
End Sub

' The control of a dialog with an id (the first, where several share it),
' as GetDlgItem; Null when there is none. For a list or a multi-line field
' this is the list or the text view, inside its scrolled window.
Function dlgforge_item(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As GtkWidget Ptr
  If dialog = NULL Then Return NULL
  Return g_object_get_data(G_OBJECT(dialog), "dlgforge-item-" & id)
End Function

' Gives a control its id, its group and whether Tab stops at it, in the
' order of the script.
Sub dlgforge_control(ByVal dialog As GtkWidget Ptr, ByVal control As GtkWidget Ptr, _
    ByVal id As Long, ByVal group As Long, ByVal tab_stop As Long)
  dlgforge_set_number(control, "dlgforge-id", id)
  dlgforge_set_number(control, "dlgforge-group", group + 1)
  dlgforge_set_number(control, "dlgforge-tab-stop", tab_stop)
  If dlgforge_item(dialog, id) = NULL Then
    g_object_set_data(G_OBJECT(dialog), "dlgforge-item-" & id, control)
  End If
  Dim controls As GList Ptr = g_object_steal_data(G_OBJECT(dialog), "dlgforge-controls")
  g_object_set_data_full(G_OBJECT(dialog), "dlgforge-controls", _
      g_list_append(controls, control), CPtr(GDestroyNotify, @g_list_free))
End Sub

' The widget that is placed for a control: a list's scrolled window.
Function dlgforge_placed(ByVal control As GtkWidget Ptr) As GtkWidget Ptr
  Dim parent As GtkWidget Ptr = gtk_widget_get_parent(control)
  If parent <> NULL AndAlso GTK_IS_SCROLLED_WINDOW(parent) Then Return parent
  Return control
End Function

' The radio button of a group that has the check, else `button` itself.
Function dlgforge_checked_radio(ByVal button As GtkWidget Ptr) As GtkWidget Ptr
  Dim member As GSList Ptr = gtk_radio_button_get_group(GTK_RADIO_BUTTON(button))
  While member <> NULL
    If gtk_toggle_button_get_active(member->data) AndAlso _
        gtk_widget_get_parent(member->data) <> NULL Then
      Return member->data
    End If
    member = member->next
  Wend
  Return button
End Function

' Tab and Shift+Tab visit the controls with WS_TABSTOP in script order and
' round the dialog; into a group of radio buttons, to its checked one.
Function dlgforge_on_focus cdecl (ByVal area As GtkWidget Ptr, _
    ByVal direction As GtkDirectionType, ByVal dialog As gpointer) As gboolean
  If direction <> GTK_DIR_TAB_FORWARD AndAlso direction <> GTK_DIR_TAB_BACKWARD Then
    Return FALSE
  End If
  Dim controls As GList Ptr = g_object_get_data(G_OBJECT(dialog), "dlgforge-controls")
  Dim count As Long = g_list_length(controls)
  Dim stepping As Long = IIf(direction = GTK_DIR_TAB_FORWARD, 1, -1)
  Dim current As GtkWidget Ptr = gtk_container_get_focus_child(GTK_CONTAINER(area))
  Dim index As Long = IIf(stepping > 0, -1, count)
  For position As Long = 0 To count - 1
    If current <> NULL AndAlso _
        dlgforge_placed(g_list_nth_data(controls, position)) = current Then
      index = position
    End If
  Next
  For tries As Long = 1 To count
    index += stepping
    If index >= count Then index = 0
    If index < 0 Then index = count - 1
    Dim candidate As GtkWidget Ptr = g_list_nth_data(controls, index)
    If dlgforge_number(candidate, "dlgforge-tab-stop") AndAlso _
        gtk_widget_is_sensitive(candidate) AndAlso _
        gtk_widget_get_visible(dlgforge_placed(candidate)) Then
      If GTK_IS_RADIO_BUTTON(candidate) Then
        gtk_widget_grab_focus(dlgforge_checked_radio(candidate))
        Return TRUE
      End If
      If gtk_widget_child_focus(dlgforge_placed(candidate), direction) Then Return TRUE
    End If
  Next
  ' Nothing takes the focus: GTK's own order, which knows nothing of tab
  ' stops, must not move it either.
  g_signal_stop_emission_by_name(area, "focus")
  Return FALSE
End Function

' Sends a message to a dialog's procedure; nonzero when it handled it.
Function dlgforge_send(ByVal dialog As GtkWidget Ptr, ByVal message As Long, _
    ByVal id As Long, ByVal code As Long) As Long
  Dim procedure As DLGFORGE_PROCEDURE = _
      Cast(DLGFORGE_PROCEDURE, g_object_get_data(G_OBJECT(dialog), "dlgforge-procedure"))
  If procedure = NULL Then Return 0
  Return procedure(dialog, message, id, code)
End Function

' The window whose command is being handled: a dialog it opens is owned by
' it, and it is active again when that dialog ends, as on Windows.
Dim Shared dlgforge_commanding As GtkWidget Ptr

' Ends a dialog with a result, as EndDialog: the modal run returns it; a
' dialog shown modeless is closed.
Sub dlgforge_end_dialog(ByVal dialog As GtkWidget Ptr, ByVal result As Long)
  If dialog = NULL OrElse dlgforge_number(dialog, "dlgforge-ended") Then Exit Sub
  dlgforge_set_number(dialog, "dlgforge-result", result)
  dlgforge_set_number(dialog, "dlgforge-ended", 1)
  If dialog = dlgforge_commanding Then dlgforge_commanding = NULL
  Dim running As GMainLoop Ptr = g_object_get_data(G_OBJECT(dialog), "dlgforge-loop")
  If running <> NULL Then
    g_main_loop_quit(running)
  Else
    gtk_widget_destroy(dialog)
  End If
End Sub

' A command (a click, a menu item, a key) with its notification code. What
' the procedure does not handle gets the dialog manager's default: IDOK,
' IDCANCEL and the other ids of Windows' message boxes end the dialog with
' that id; nothing else happens.
Declare Sub dlgforge_frame_default(ByVal frame As GtkWidget Ptr, ByVal id As Long)
Declare Function dlgforge_load_string(ByVal id As Long) As String

Sub dlgforge_command(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal code As Long)
  If dialog = NULL Then Exit Sub
  Dim previous As GtkWidget Ptr = dlgforge_commanding
  dlgforge_commanding = dialog
  Dim handled As Long = dlgforge_send(dialog, WM_COMMAND, id, code)
  dlgforge_commanding = previous
  If handled Then Exit Sub
  If dlgforge_number(dialog, "dlgforge-frame") Then
    previous = dlgforge_commanding
    dlgforge_commanding = dialog
    dlgforge_frame_default(dialog, id)
    dlgforge_commanding = previous
    Exit Sub
  End If
  If code = BN_CLICKED AndAlso id >= IDOK AndAlso id <= IDCONTINUE AndAlso _
      id <> IDHELP Then
    dlgforge_end_dialog(dialog, id)
  End If
End Sub

' A notification of a control to its dialog; none while the dialog is built
' or while a dlgforge_ call changes the control, as on Windows.
Sub dlgforge_notify(ByVal control As GtkWidget Ptr, ByVal code As Long)
  Dim dialog As GtkWidget Ptr = gtk_widget_get_toplevel(control)
  If dlgforge_number(dialog, "dlgforge-ready") = 0 OrElse _
      dlgforge_number(dialog, "dlgforge-quiet") <> 0 Then
    Exit Sub
  End If
  dlgforge_command(dialog, dlgforge_number(control, "dlgforge-id"), code)
End Sub

Sub dlgforge_on_clicked cdecl (ByVal button As GtkWidget Ptr, ByVal control As gpointer)
  ' A radio button the check left reports no click, as on Windows.
  If GTK_IS_RADIO_BUTTON(button) AndAlso _
      gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) = 0 Then
    Exit Sub
  End If
  dlgforge_notify(control, BN_CLICKED)
End Sub

Sub dlgforge_on_edit_change cdecl (ByVal source As gpointer, ByVal control As gpointer)
  dlgforge_notify(control, EN_CHANGE)
End Sub

Function dlgforge_on_edit_focus cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal event As GdkEventFocus Ptr, ByVal control As gpointer) As gboolean
  dlgforge_notify(control, EN_SETFOCUS)
  Return FALSE
End Function

Function dlgforge_on_edit_blur cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal event As GdkEventFocus Ptr, ByVal control As gpointer) As gboolean
  dlgforge_notify(control, EN_KILLFOCUS)
  Return FALSE
End Function

' A combo box's choice changed (CBN_SELCHANGE), or its text was typed
' (CBN_EDITCHANGE: no item is chosen then).
Sub dlgforge_on_combo_change cdecl (ByVal combo As GtkComboBox Ptr, ByVal control As gpointer)
  dlgforge_notify(control, IIf(gtk_combo_box_get_active(combo) >= 0, _
      CBN_SELCHANGE, CBN_EDITCHANGE))
End Sub

Sub dlgforge_on_list_select cdecl (ByVal selection As GtkTreeSelection Ptr, _
    ByVal control As gpointer)
  dlgforge_notify(control, LBN_SELCHANGE)
End Sub

Sub dlgforge_on_list_activate cdecl (ByVal tree As GtkTreeView Ptr, _
    ByVal path As GtkTreePath Ptr, ByVal column As GtkTreeViewColumn Ptr, _
    ByVal control As gpointer)
  dlgforge_notify(control, LBN_DBLCLK)
End Sub

' A menu item chosen: the command of its id to the window that shows it.
Sub dlgforge_on_menu cdecl (ByVal item As GtkMenuItem Ptr, ByVal owner As gpointer)
  If GTK_IS_RADIO_MENU_ITEM(item) AndAlso _
      gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)) = 0 Then
    Exit Sub
  End If
  dlgforge_command(owner, dlgforge_number(item, "dlgforge-id"), 0)
End Sub

' A key of the ACCELERATORS table for an id without a menu item: its
' command, with the notification code 1 Windows gives an accelerator.
Function dlgforge_on_shortcut cdecl (ByVal group As GtkAccelGroup Ptr, _
    ByVal owner As GObject Ptr, ByVal keyval As guint, _
    ByVal modifier As GdkModifierType, ByVal id As gpointer) As gboolean
  dlgforge_command(GTK_WIDGET(owner), CLng(Cast(Integer, id)), 1)
  Return TRUE
End Function

Sub dlgforge_shortcut(ByVal accels As GtkAccelGroup Ptr, ByVal keyval As guint, _
    ByVal modifiers As GdkModifierType, ByVal id As Long, ByVal owner As GtkWidget Ptr)
  gtk_accel_group_connect(accels, keyval, modifiers, 0, _
      g_cclosure_new(G_CALLBACK(@dlgforge_on_shortcut), Cast(gpointer, CInt(id)), NULL))
End Sub

' Makes a menu item send the command of an id to the window that shows it.
Sub dlgforge_menu_command(ByVal item As GtkWidget Ptr, ByVal id As Long, _
    ByVal owner As GtkWidget Ptr)
  dlgforge_set_number(item, "dlgforge-id", id)
  g_signal_connect(item, "activate", G_CALLBACK(@dlgforge_on_menu), owner)
End Sub

' ---- Prompts and toolbars: the string table's texts of commands, MFC's way.

' Shows a prompt on the status bar of a window (Null: the prompt goes and
' the text under it shows again); nothing for a window without one.
Sub dlgforge_show_prompt(ByVal owner As GtkWidget Ptr, ByVal text As Const gchar Ptr)
  Dim status As GtkWidget Ptr = g_object_get_data(G_OBJECT(owner), "dlgforge-status")
  If status = NULL Then Exit Sub
  Dim context As guint = gtk_statusbar_get_context_id(GTK_STATUSBAR(status), "prompt")
  gtk_statusbar_pop(GTK_STATUSBAR(status), context)
  If text <> NULL Then gtk_statusbar_push(GTK_STATUSBAR(status), context, text)
End Sub

Sub dlgforge_on_prompt cdecl (ByVal widget As GtkWidget Ptr, ByVal owner As gpointer)
  dlgforge_show_prompt(owner, g_object_get_data(G_OBJECT(widget), "dlgforge-prompt"))
End Sub

Sub dlgforge_on_prompt_end cdecl (ByVal widget As GtkWidget Ptr, ByVal owner As gpointer)
  dlgforge_show_prompt(owner, NULL)
End Sub

Function dlgforge_on_tool_enter cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal event As GdkEvent Ptr, ByVal item As gpointer) As gboolean
  dlgforge_show_prompt(g_object_get_data(G_OBJECT(item), "dlgforge-owner"), _
      g_object_get_data(G_OBJECT(item), "dlgforge-prompt"))
  Return FALSE
End Function

Function dlgforge_on_tool_leave cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal event As GdkEvent Ptr, ByVal item As gpointer) As gboolean
  dlgforge_show_prompt(g_object_get_data(G_OBJECT(item), "dlgforge-owner"), NULL)
  Return FALSE
End Function

' A command's prompt and tooltip: the prompt shows on the window's status
' bar while a menu item is selected or the pointer is on a toolbar button.
Sub dlgforge_command_texts(ByVal widget As GtkWidget Ptr, ByVal prompt As String, _
    ByVal tooltip As String)
  If Len(tooltip) Then gtk_widget_set_tooltip_text(widget, tooltip)
  If Len(prompt) = 0 Then Exit Sub
  g_object_set_data_full(G_OBJECT(widget), "dlgforge-prompt", g_strdup(prompt), _
      Cast(GDestroyNotify, @g_free))
End Sub

Sub dlgforge_menu_prompt(ByVal item As GtkWidget Ptr, ByVal prompt As String, _
    ByVal tooltip As String, ByVal owner As GtkWidget Ptr)
  dlgforge_command_texts(item, prompt, tooltip)
  g_signal_connect(item, "select", G_CALLBACK(@dlgforge_on_prompt), owner)
  g_signal_connect(item, "deselect", G_CALLBACK(@dlgforge_on_prompt_end), owner)
End Sub

Sub dlgforge_on_tool cdecl (ByVal button As GtkToolButton Ptr, ByVal owner As gpointer)
  dlgforge_command(owner, dlgforge_number(button, "dlgforge-id"), BN_CLICKED)
End Sub

' A toolbar button with the picture `index` of a strip of pictures `wide` by
' `high` pixels (MFC's button face, light gray, shows through), sending the
' command of an id to the window that shows it; a missing strip or picture
' gives the toolkit's picture of a missing image.
Sub dlgforge_tool_button(ByVal bar As GtkWidget Ptr, ByVal strip As GdkPixbuf Ptr, _
    ByVal index As Long, ByVal wide As Long, ByVal high As Long, ByVal id As Long, _
    ByVal prompt As String, ByVal tooltip As String, ByVal owner As GtkWidget Ptr)
  Dim picture As GtkWidget Ptr
  If strip <> NULL AndAlso wide > 0 AndAlso high > 0 AndAlso _
      (index + 1) * wide <= gdk_pixbuf_get_width(strip) AndAlso _
      high <= gdk_pixbuf_get_height(strip) Then
    Dim part As GdkPixbuf Ptr = gdk_pixbuf_new_subpixbuf(strip, index * wide, 0, wide, high)
    Dim see_through As GdkPixbuf Ptr = gdk_pixbuf_add_alpha(part, TRUE, 192, 192, 192)
    picture = gtk_image_new_from_pixbuf(see_through)
    g_object_unref(see_through)
    g_object_unref(part)
  Else
    picture = gtk_image_new_from_icon_name("image-missing", GTK_ICON_SIZE_SMALL_TOOLBAR)
  End If
  Dim item As GtkToolItem Ptr = gtk_tool_button_new(picture, NULL)
  dlgforge_set_number(item, "dlgforge-id", id)
  g_object_set_data(G_OBJECT(item), "dlgforge-owner", owner)
  dlgforge_command_texts(GTK_WIDGET(item), prompt, tooltip)
  Dim inner As GtkWidget Ptr = gtk_bin_get_child(GTK_BIN(item))
  If inner <> NULL AndAlso Len(prompt) Then
    g_signal_connect(inner, "enter-notify-event", G_CALLBACK(@dlgforge_on_tool_enter), item)
    g_signal_connect(inner, "leave-notify-event", G_CALLBACK(@dlgforge_on_tool_leave), item)
  End If
  g_signal_connect(item, "clicked", G_CALLBACK(@dlgforge_on_tool), owner)
  gtk_toolbar_insert(GTK_TOOLBAR(bar), item, -1)
End Sub

Sub dlgforge_tool_separator(ByVal bar As GtkWidget Ptr)
  gtk_toolbar_insert(GTK_TOOLBAR(bar), gtk_separator_tool_item_new(), -1)
End Sub

Function dlgforge_new_toolbar() As GtkWidget Ptr
  Dim bar As GtkWidget Ptr = gtk_toolbar_new()
  gtk_toolbar_set_style(GTK_TOOLBAR(bar), GTK_TOOLBAR_ICONS)
  Return bar
End Function

Const DLGFORGE_KEY_TAB = &hFF09
Const DLGFORGE_KEY_RETURN = &hFF0D
Const DLGFORGE_KEY_ESCAPE = &hFF1B
Const DLGFORGE_KEY_LEFT = &hFF51
Const DLGFORGE_KEY_UP = &hFF52
Const DLGFORGE_KEY_RIGHT = &hFF53
Const DLGFORGE_KEY_DOWN = &hFF54
Const DLGFORGE_KEY_KP_ENTER = &hFF8D

' Controls that take typed text (or type-ahead) and the arrow keys.
Function dlgforge_takes_text(ByVal widget As GtkWidget Ptr) As Long
  If widget = NULL Then Return 0
  Return GTK_IS_ENTRY(widget) OrElse GTK_IS_TEXT_VIEW(widget) OrElse _
      GTK_IS_TREE_VIEW(widget)
End Function

' The command Enter gives: the push button with the focus, else the default
' push button, else IDOK.
Function dlgforge_enter_id(ByVal dialog As GtkWidget Ptr, ByVal focus As GtkWidget Ptr) As Long
  If focus <> NULL AndAlso GTK_IS_BUTTON(focus) AndAlso _
      GTK_IS_TOGGLE_BUTTON(focus) = 0 Then
    Return dlgforge_number(focus, "dlgforge-id")
  End If
  Dim default_button As GtkWidget Ptr = gtk_window_get_default_widget(GTK_WINDOW(dialog))
  If default_button <> NULL Then Return dlgforge_number(default_button, "dlgforge-id")
  Return IDOK
End Function

' The arrow keys move the focus within the group of the control that has
' it, in script order and round; in a group of radio buttons they move the
' check with it.
Sub dlgforge_move_in_group(ByVal dialog As GtkWidget Ptr, ByVal focus As GtkWidget Ptr, _
    ByVal stepping As Long)
  Dim controls As GList Ptr = g_object_get_data(G_OBJECT(dialog), "dlgforge-controls")
  Dim here As Long = g_list_index(controls, focus)
  If here < 0 Then Exit Sub
  Dim group As Long = dlgforge_number(focus, "dlgforge-group")
  Dim As Long first = here, last = here
  While first > 0 AndAlso _
      dlgforge_number(g_list_nth_data(controls, first - 1), "dlgforge-group") = group
    first -= 1
  Wend
  While last < g_list_length(controls) - 1 AndAlso _
      dlgforge_number(g_list_nth_data(controls, last + 1), "dlgforge-group") = group
    last += 1
  Wend
  Dim index As Long = here
  For tries As Long = first To last
    index += stepping
    If index > last Then index = first
    If index < first Then index = last
    Dim candidate As GtkWidget Ptr = g_list_nth_data(controls, index)
    If candidate = focus Then Exit Sub
    If gtk_widget_get_can_focus(candidate) AndAlso gtk_widget_is_sensitive(candidate) _
        AndAlso gtk_widget_get_visible(candidate) Then
      gtk_widget_grab_focus(candidate)
      If GTK_IS_RADIO_BUTTON(candidate) Then gtk_button_clicked(GTK_BUTTON(candidate))
      Exit Sub
    End If
  Next
End Sub

' The keys of a dialog, before the control with the focus sees them:
' Escape is IDCANCEL, Enter the default command (a multi-line field with
' ES_WANTRETURN keeps it), the arrow keys move within a group of buttons,
' and a letter alone is a mnemonic where the focus takes no text.
Function dlgforge_on_key cdecl (ByVal dialog As GtkWidget Ptr, _
    ByVal event As GdkEventKey Ptr, ByVal user_data As gpointer) As gboolean
  Dim focus As GtkWidget Ptr = gtk_window_get_focus(GTK_WINDOW(dialog))
  If (event->state And (GDK_CONTROL_MASK Or GDK_MOD1_MASK)) <> 0 Then Return FALSE
  Select Case event->keyval
  Case DLGFORGE_KEY_ESCAPE
    dlgforge_command(dialog, IDCANCEL, BN_CLICKED)
    Return TRUE
  Case DLGFORGE_KEY_RETURN, DLGFORGE_KEY_KP_ENTER
    If focus <> NULL AndAlso dlgforge_number(focus, "dlgforge-want-return") Then
      Return FALSE
    End If
    dlgforge_command(dialog, dlgforge_enter_id(dialog, focus), BN_CLICKED)
    Return TRUE
  Case DLGFORGE_KEY_LEFT, DLGFORGE_KEY_UP, DLGFORGE_KEY_RIGHT, DLGFORGE_KEY_DOWN
    ' Only a button of the dialog: a combo box's own button keeps them.
    If focus = NULL OrElse GTK_IS_BUTTON(focus) = 0 OrElse _
        dlgforge_number(focus, "dlgforge-group") = 0 Then
      Return FALSE
    End If
    dlgforge_move_in_group(dialog, focus, _
        IIf(event->keyval = DLGFORGE_KEY_LEFT OrElse event->keyval = DLGFORGE_KEY_UP, -1, 1))
    Return TRUE
  Case DLGFORGE_KEY_TAB
    Return FALSE
  End Select
  If gdk_keyval_to_unicode(event->keyval) > 32 AndAlso dlgforge_takes_text(focus) = 0 Then
    Return gtk_window_mnemonic_activate(GTK_WINDOW(dialog), _
        gdk_keyval_to_lower(event->keyval), _
        gtk_window_get_mnemonic_modifier(GTK_WINDOW(dialog)))
  End If
  Return FALSE
End Function

' The window's close button is IDCANCEL, as on Windows.
Function dlgforge_on_close cdecl (ByVal dialog As GtkWidget Ptr, _
    ByVal event As GdkEvent Ptr, ByVal user_data As gpointer) As gboolean
  dlgforge_command(dialog, IDCANCEL, BN_CLICKED)
  Return TRUE
End Function

' Makes a built dialog behave as the dialog manager makes it: the procedure
' registered for its name, its keys and its close button.
Sub dlgforge_dialog_behaviour(ByVal dialog As GtkWidget Ptr, ByVal dialog_name As String)
  g_object_set_data(G_OBJECT(dialog), "dlgforge-procedure", _
      Cast(gpointer, dlgforge_procedure_of(dialog_name)))
  g_signal_connect(dialog, "key-press-event", G_CALLBACK(@dlgforge_on_key), NULL)
  g_signal_connect(dialog, "delete-event", G_CALLBACK(@dlgforge_on_close), NULL)
End Sub

' The initialisation a procedure gets before its dialog is first shown.
Sub dlgforge_initialise(ByVal dialog As GtkWidget Ptr)
  dlgforge_set_number(dialog, "dlgforge-ready", 1)
  dlgforge_send(dialog, WM_INITDIALOG, 0, 0)
End Sub

' Shows a built dialog and runs it until it ends, as DialogBox: returns the
' result it ended with (-1 for no dialog).
Function dlgforge_run_modal(ByVal dialog As GtkWidget Ptr) As Long
  If dialog = NULL Then Return -1
  Dim owner As GtkWidget Ptr = dlgforge_commanding
  Dim running As GMainLoop Ptr = g_main_loop_new(NULL, FALSE)
  g_object_set_data(G_OBJECT(dialog), "dlgforge-loop", running)
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE)
  If owner <> NULL Then
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(owner))
    g_object_add_weak_pointer(G_OBJECT(owner), Cast(gpointer Ptr, @owner))
  End If
  dlgforge_initialise(dialog)
  If dlgforge_number(dialog, "dlgforge-ended") = 0 Then
    gtk_widget_show(dialog)
    gtk_window_present(GTK_WINDOW(dialog))
    g_main_loop_run(running)
  End If
  Dim result As Long = dlgforge_number(dialog, "dlgforge-result")
  g_main_loop_unref(running)
  gtk_widget_destroy(dialog)
  If owner <> NULL Then
    g_object_remove_weak_pointer(G_OBJECT(owner), Cast(gpointer Ptr, @owner))
    gtk_window_present(GTK_WINDOW(owner))
  End If
  Return result
End Function

' Builds and shows a dialog without waiting for it, as CreateDialog; Null
' when the script has no dialog of that name.
Function dlgforge_run_modeless(ByVal dialog As GtkWidget Ptr) As GtkWidget Ptr
  If dialog = NULL Then Return NULL
  dlgforge_initialise(dialog)
  If dlgforge_number(dialog, "dlgforge-ended") Then Return NULL
  gtk_widget_show(dialog)
  gtk_window_present(GTK_WINDOW(dialog))
  Return dialog
End Function

' ---- What dialog procedures do with their controls, by id.

' A mnemonic text with its mark changed, as Windows' "&Save" and GTK's
' "_Save": the old mark doubled is the character itself, the new mark as a
' character is doubled.
Function dlgforge_remark(ByVal source As String, ByVal old_mark As Long, _
    ByVal new_mark As Long) As String
  Dim result As String
  Dim index As Long = 0
  While index < Len(source)
    If source[index] = old_mark Then
      index += 1
      If index < Len(source) AndAlso source[index] <> old_mark Then result &= Chr(new_mark)
      If index < Len(source) Then result &= Chr(source[index])
    ElseIf source[index] = new_mark Then
      result &= Chr(new_mark, new_mark)
    Else
      result &= Chr(source[index])
    End If
    index += 1
  Wend
  Return result
End Function

' Windows' text of a control from GTK's, and back; `marked` is false for a
' text without a mnemonic.
Function dlgforge_windows_text(ByVal text As Const gchar Ptr, ByVal marked As Long) As String
  If text = NULL Then Return ""
  If marked = 0 Then Return *text
  Return dlgforge_remark(*text, Asc("_"), Asc("&"))
End Function

Function dlgforge_gtk_text(ByVal source As String, ByVal marked As Long) As String
  If marked = 0 Then Return source
  Return dlgforge_remark(source, Asc("&"), Asc("_"))
End Function

' The list of items of a list box or combo box; Null for other controls.
Function dlgforge_items(ByVal control As GtkWidget Ptr) As GtkListStore Ptr
  Dim model As GtkTreeModel Ptr
  If control = NULL Then Return NULL
  If GTK_IS_TREE_VIEW(control) Then model = gtk_tree_view_get_model(GTK_TREE_VIEW(control))
  If GTK_IS_COMBO_BOX(control) Then model = gtk_combo_box_get_model(GTK_COMBO_BOX(control))
  If model = NULL OrElse GTK_IS_LIST_STORE(model) = 0 Then Return NULL
  Return GTK_LIST_STORE(model)
End Function

' Adds an item at the end of a list or combo box's items.
Sub dlgforge_append_item(ByVal control As GtkWidget Ptr, ByVal text As String)
  Dim store As GtkListStore Ptr = dlgforge_items(control)
  If store = NULL Then Exit Sub
  Dim position As GtkTreeIter
  gtk_list_store_insert_with_values(store, @position, -1, 0, StrPtr(text), -1)
End Sub

' An item's text by its index from 0, as LB_GETTEXT and CB_GETLBTEXT.
Function dlgforge_get_item(ByVal dialog As GtkWidget Ptr, ByVal id As Long, _
    ByVal index As Long) As String
  Dim store As GtkListStore Ptr = dlgforge_items(dlgforge_item(dialog, id))
  Dim position As GtkTreeIter
  If store = NULL OrElse index < 0 OrElse gtk_tree_model_iter_nth_child( _
      GTK_TREE_MODEL(store), @position, NULL, index) = 0 Then
    Return ""
  End If
  Dim text As gchar Ptr
  gtk_tree_model_get(GTK_TREE_MODEL(store), @position, 0, @text, -1)
  Dim result As String = *text
  g_free(text)
  Return result
End Function

' Adds an item at the end, as LB_ADDSTRING and CB_ADDSTRING (a sorted list
' is not sorted); returns its index, -1 when the control has no items.
Function dlgforge_add_item(ByVal dialog As GtkWidget Ptr, ByVal id As Long, _
    ByVal text As String) As Long
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If dlgforge_items(control) = NULL Then Return -1
  dlgforge_append_item(control, text)
  Return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(dlgforge_items(control)), NULL) - 1
End Function

' Removes every item, as LB_RESETCONTENT and CB_RESETCONTENT, without a
' notification.
Sub dlgforge_clear_items(ByVal dialog As GtkWidget Ptr, ByVal id As Long)
  Dim store As GtkListStore Ptr = dlgforge_items(dlgforge_item(dialog, id))
  If store = NULL Then Exit Sub
  dlgforge_set_number(dialog, "dlgforge-quiet", 1)
  gtk_list_store_clear(store)
  dlgforge_set_number(dialog, "dlgforge-quiet", 0)
End Sub

' How many items, as LB_GETCOUNT and CB_GETCOUNT.
Function dlgforge_item_count(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As Long
  Dim store As GtkListStore Ptr = dlgforge_items(dlgforge_item(dialog, id))
  If store = NULL Then Return 0
  Return gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), NULL)
End Function

' Chooses the item at an index (-1: none), as LB_SETCURSEL and CB_SETCURSEL,
' without a notification.
Sub dlgforge_select_item(ByVal dialog As GtkWidget Ptr, ByVal id As Long, _
    ByVal index As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If dlgforge_items(control) = NULL Then Exit Sub
  dlgforge_set_number(dialog, "dlgforge-quiet", 1)
  If GTK_IS_COMBO_BOX(control) Then
    gtk_combo_box_set_active(GTK_COMBO_BOX(control), index)
  Else
    Dim selection As GtkTreeSelection Ptr = _
        gtk_tree_view_get_selection(GTK_TREE_VIEW(control))
    gtk_tree_selection_unselect_all(selection)
    If index >= 0 AndAlso index < dlgforge_item_count(dialog, id) Then
      Dim path As GtkTreePath Ptr = gtk_tree_path_new_from_indices(index, -1)
      gtk_tree_selection_select_path(selection, path)
      gtk_tree_path_free(path)
    End If
  End If
  dlgforge_set_number(dialog, "dlgforge-quiet", 0)
End Sub

' The index of the chosen item (the first, in a list that takes several),
' as LB_GETCURSEL and CB_GETCURSEL; -1 for none.
Function dlgforge_selected_item(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As Long
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If dlgforge_items(control) = NULL Then Return -1
  If GTK_IS_COMBO_BOX(control) Then Return gtk_combo_box_get_active(GTK_COMBO_BOX(control))
  Dim rows As GList Ptr = gtk_tree_selection_get_selected_rows( _
      gtk_tree_view_get_selection(GTK_TREE_VIEW(control)), NULL)
  If rows = NULL Then Return -1
  Dim index As Long = gtk_tree_path_get_indices(rows->data)[0]
  g_list_free_full(rows, CPtr(GDestroyNotify, @gtk_tree_path_free))
  Return index
End Function

' A control's text, as GetDlgItemText: an edit field's, a combo box's, a
' button's, label's or group box's (with & before its mnemonic, as
' Windows writes it).
Function dlgforge_get_text(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As String
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL Then Return ""
  If GTK_IS_COMBO_BOX(control) Then
    Dim child As GtkWidget Ptr = gtk_bin_get_child(GTK_BIN(control))
    If child = NULL OrElse GTK_IS_ENTRY(child) = 0 Then
      Return dlgforge_get_item(dialog, id, gtk_combo_box_get_active(GTK_COMBO_BOX(control)))
    End If
    control = child
  End If
  If GTK_IS_ENTRY(control) Then Return *gtk_entry_get_text(GTK_ENTRY(control))
  If GTK_IS_TEXT_VIEW(control) Then
    Dim buffer As GtkTextBuffer Ptr = gtk_text_view_get_buffer(GTK_TEXT_VIEW(control))
    Dim As GtkTextIter first, last
    gtk_text_buffer_get_bounds(buffer, @first, @last)
    Dim text As gchar Ptr = gtk_text_buffer_get_text(buffer, @first, @last, FALSE)
    Dim result As String = *text
    g_free(text)
    Return result
  End If
  If GTK_IS_FRAME(control) Then
    control = gtk_frame_get_label_widget(GTK_FRAME(control))
    If control = NULL Then Return ""
  End If
  If GTK_IS_BUTTON(control) Then
    Return dlgforge_windows_text(gtk_button_get_label(GTK_BUTTON(control)), _
        gtk_button_get_use_underline(GTK_BUTTON(control)))
  End If
  If GTK_IS_LABEL(control) Then
    Return dlgforge_windows_text(gtk_label_get_label(GTK_LABEL(control)), _
        gtk_label_get_use_underline(GTK_LABEL(control)))
  End If
  Return ""
End Function

' Sets a control's text, as SetDlgItemText (an edit field reports
' EN_CHANGE, as on Windows).
Sub dlgforge_set_text(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal text As String)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL Then Exit Sub
  If GTK_IS_COMBO_BOX(control) Then control = gtk_bin_get_child(GTK_BIN(control))
  If control = NULL Then Exit Sub
  If GTK_IS_ENTRY(control) Then
    gtk_entry_set_text(GTK_ENTRY(control), text)
  ElseIf GTK_IS_TEXT_VIEW(control) Then
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(control)), text, -1)
  ElseIf GTK_IS_FRAME(control) Then
    Dim label As GtkWidget Ptr = gtk_frame_get_label_widget(GTK_FRAME(control))
    If label <> NULL AndAlso GTK_IS_LABEL(label) Then
      gtk_label_set_text_with_mnemonic(GTK_LABEL(label), dlgforge_gtk_text(text, 1))
    End If
  ElseIf GTK_IS_BUTTON(control) Then
    gtk_button_set_label(GTK_BUTTON(control), _
        dlgforge_gtk_text(text, gtk_button_get_use_underline(GTK_BUTTON(control))))
  ElseIf GTK_IS_LABEL(control) Then
    If gtk_label_get_use_underline(GTK_LABEL(control)) Then
      gtk_label_set_text_with_mnemonic(GTK_LABEL(control), dlgforge_gtk_text(text, 1))
    Else
      gtk_label_set_text(GTK_LABEL(control), text)
    End If
  End If
End Sub

' A control's number, as GetDlgItemInt: a spin button's, slider's or
' scroll bar's value, else the number its text starts with.
Function dlgforge_get_int(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As Long
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control <> NULL AndAlso GTK_IS_SPIN_BUTTON(control) Then
    Return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(control))
  End If
  If control <> NULL AndAlso GTK_IS_RANGE(control) Then
    Return CLng(gtk_range_get_value(GTK_RANGE(control)))
  End If
  Return ValInt(dlgforge_get_text(dialog, id))
End Function

' Sets a control's number, as SetDlgItemInt.
Sub dlgforge_set_int(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal value As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control <> NULL AndAlso GTK_IS_SPIN_BUTTON(control) Then
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(control), value)
  ElseIf control <> NULL AndAlso GTK_IS_RANGE(control) Then
    gtk_range_set_value(GTK_RANGE(control), value)
  Else
    dlgforge_set_text(dialog, id, Str(value))
  End If
End Sub

' Checks (1), clears (0) or greys (2) a check box or radio button, as
' CheckDlgButton, without a notification; clearing a radio button leaves
' its group with nothing checked.
Sub dlgforge_check(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal state As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL OrElse GTK_IS_TOGGLE_BUTTON(control) = 0 Then Exit Sub
  dlgforge_set_number(dialog, "dlgforge-quiet", 1)
  gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(control), state = 2)
  If state = 0 AndAlso GTK_IS_RADIO_BUTTON(control) Then
    ' The group's hidden member, never placed, holds the check then.
    Dim member As GSList Ptr = gtk_radio_button_get_group(GTK_RADIO_BUTTON(control))
    While member <> NULL
      If gtk_widget_get_parent(member->data) = NULL Then
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(member->data), TRUE)
      End If
      member = member->next
    Wend
  End If
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control), state = 1)
  dlgforge_set_number(dialog, "dlgforge-quiet", 0)
End Sub

' 1 when checked, 2 when greyed, else 0, as IsDlgButtonChecked.
Function dlgforge_is_checked(ByVal dialog As GtkWidget Ptr, ByVal id As Long) As Long
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL OrElse GTK_IS_TOGGLE_BUTTON(control) = 0 Then Return 0
  If gtk_toggle_button_get_inconsistent(GTK_TOGGLE_BUTTON(control)) Then Return 2
  Return IIf(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control)), 1, 0)
End Function

' Checks one radio button of the ids first to last and clears the others,
' as CheckRadioButton.
Sub dlgforge_check_radio(ByVal dialog As GtkWidget Ptr, ByVal first As Long, _
    ByVal last As Long, ByVal checked As Long)
  For id As Long = first To last
    If id <> checked Then dlgforge_check(dialog, id, 0)
  Next
  dlgforge_check(dialog, checked, 1)
End Sub

' Enables or disables a control, as EnableWindow(GetDlgItem(...)).
Sub dlgforge_enable(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal enabled As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control <> NULL Then gtk_widget_set_sensitive(dlgforge_placed(control), enabled <> 0)
End Sub

' Shows or hides a control, as ShowWindow(GetDlgItem(...)).
Sub dlgforge_show(ByVal dialog As GtkWidget Ptr, ByVal id As Long, ByVal shown As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL Then Exit Sub
  If shown Then
    gtk_widget_show(dlgforge_placed(control))
  Else
    gtk_widget_hide(dlgforge_placed(control))
  End If
End Sub

' Gives a control the keyboard focus, as SetFocus(GetDlgItem(...)).
Sub dlgforge_focus(ByVal dialog As GtkWidget Ptr, ByVal id As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control <> NULL Then gtk_widget_grab_focus(control)
End Sub

' Makes a push button the one Enter clicks, as DM_SETDEFID.
Sub dlgforge_set_default(ByVal dialog As GtkWidget Ptr, ByVal id As Long)
  Dim control As GtkWidget Ptr = dlgforge_item(dialog, id)
  If control = NULL OrElse GTK_IS_BUTTON(control) = 0 Then Exit Sub
  gtk_widget_set_can_default(control, TRUE)
  gtk_window_set_default(GTK_WINDOW(dialog), control)
End Sub
)";

// The language whose variants of dialogs, menus and strings the program
// builds, and how the user chooses it.
constexpr std::string_view kProgramLanguage = R"(
' ---- The program's language: the variant of each dialog, menu and string
' the program builds when the script has it in several languages.

' The language's id (LANG | SUBLANG << 10); 0 for none, which chooses the
' neutral variant, else English (United States), else the script's first.
Dim Shared dlgforge_language As Long
' The first argument of the command line after --language NAME.
Dim Shared dlgforge_first_argument As Long = 1

' Makes the dialogs, menus and strings built after it those of a language,
' as SetThreadUILanguage: a LANGID, or 0 for none.
Sub dlgforge_set_language(ByVal id As Long)
  dlgforge_language = id
End Sub

' The user's language from the environment (LANGUAGE, LC_ALL, LC_MESSAGES,
' LANG), or the one --language names (de-DE, de_DE, 0x0407) before the
' dialog names on the command line.
Sub dlgforge_choose_program_language()
  dlgforge_language = dlgforge_user_language()
  If Command(1) = "--language" Then
    Dim wanted As Long = dlgforge_language_of_name(Command(2))
    If wanted < 0 Then
      Print "unknown language "; Command(2)
      End 2
    End If
    dlgforge_language = wanted
    dlgforge_first_argument = 3
  End If
End Sub

)";

// Widgets that live in a scrolled window: the variable holds the inner
// widget, the scrolled window is its parent, which is what gets placed.
std::string placed(const Widget& widget) {
  return gtk2::in_scrolled_window(widget.kind)
             ? "gtk_widget_get_parent(" + widget.name + ")"
             : widget.name;
}

// The callback of each notification, in the program's helpers.
std::string_view notification_callback(Notification notification) {
  switch (notification) {
  case Notification::Clicked:
    return "dlgforge_on_clicked";
  case Notification::EditChange:
    return "dlgforge_on_edit_change";
  case Notification::EditFocus:
    return "dlgforge_on_edit_focus";
  case Notification::EditBlur:
    return "dlgforge_on_edit_blur";
  case Notification::ComboChange:
    return "dlgforge_on_combo_change";
  case Notification::ListSelect:
    return "dlgforge_on_list_select";
  case Notification::ListDoubleClick:
    return "dlgforge_on_list_activate";
  }
  return "";
}

// What emits a notification's signal.
std::string signal_emitter(const Widget& widget, Notification notification) {
  switch (signal_source(notification, widget.kind)) {
  case SignalSource::Buffer:
    return "gtk_text_view_get_buffer(GTK_TEXT_VIEW(" + widget.name + "))";
  case SignalSource::Selection:
    return "gtk_tree_view_get_selection(GTK_TREE_VIEW(" + widget.name + "))";
  case SignalSource::Widget:
    break;
  }
  return widget.name;
}

std::string lower_case(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// The modifiers of a key as GDK's mask: "GDK_CONTROL_MASK Or
// GDK_SHIFT_MASK", "0" for none.
std::string modifier_mask(bool control, bool shift, bool alt) {
  std::string mask;
  for (auto [on, name] :
       {std::pair{control, "GDK_CONTROL_MASK"},
        std::pair{shift, "GDK_SHIFT_MASK"}, std::pair{alt, "GDK_MOD1_MASK"}}) {
    if (on) {
      mask += (mask.empty() ? "" : " Or ") + std::string(name);
    }
  }
  return mask.empty() ? "0" : mask;
}

// An id as the program writes it: its constant, else its number.
std::string id_text(const std::string& name, int id) {
  return name.empty() ? std::to_string(id) : name;
}

// A script's text in a comment: its control characters (DEL as well) are
// blanks, so that the line stays one line of plain text. Appended to `out`
// as a whole, then blanked in place.
void append_comment(std::string& out, std::string_view text) {
  std::size_t at = out.size();
  out.append(text);
  for (auto c = out.begin() + static_cast<std::ptrdiff_t>(at); c != out.end();
       ++c) {
    auto byte = static_cast<unsigned char>(*c);
    if (byte < 0x20 || byte == 0x7F) {
      *c = ' ';
    }
  }
}

std::string fb_comment(std::string_view text) {
  std::string out;
  append_comment(out, text);
  return out;
}

void append_number(std::string& out, int value) {
  char digits[16];
  auto [end, error] =
      std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(digits, end);
}

// What names a widget's statement in the script, for the comment above
// it and the case of its id: "PUSHBUTTON IDOK, line 12".
void append_source(std::string& out, const Widget& widget) {
  append_comment(out, widget.keyword.empty() ? std::string_view("CONTROL")
                                             : widget.keyword);
  if (widget.keyword == "CONTROL" && !widget.class_name.empty()) {
    out += ' ';
    append_comment(out, widget.class_name);
  }
  if (!widget.id_written.empty()) {
    out += ' ';
    append_comment(out, widget.id_written);
  }
  if (widget.source_line > 0) {
    out += ", line ";
    append_number(out, widget.source_line);
  }
  if (!widget.joined_id.empty()) {
    out += ", with its up-down control ";
    append_comment(out, widget.joined_id);
    out += ", line ";
    append_number(out, widget.joined_line);
  }
}

// Ids compared as FreeBASIC does, without regard to case.
struct CaselessHash {
  std::size_t operator()(std::string_view text) const {
    std::size_t hash = 14695981039346656037ull;
    for (char c : text) {
      hash = (hash ^ static_cast<unsigned char>(c | 0x20)) * 1099511628211ull;
    }
    return hash;
  }
};
struct CaselessEqual {
  bool operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return x == y || ((x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' &&
                               (x | 0x20) <= 'z');
           });
  }
};

// Loading the script's pictures at run time, from the folder beside the
// program that the conversion filled; a picture that cannot be loaded
// leaves the stock image or no icon.
constexpr std::string_view kPictureHelpers = R"(
' A picture of the folder beside the program, at `picture_width` x `picture_height` pixels;
' Null when it cannot be loaded.
Function dlgforge_picture(ByVal file_name As String, ByVal picture_width As Long, _
    ByVal picture_height As Long) As GdkPixbuf Ptr
  Dim failure As GError Ptr = NULL
  Dim pixbuf As GdkPixbuf Ptr = gdk_pixbuf_new_from_file_at_scale( _
      ExePath() & "/" & DLGFORGE_PICTURES & "/" & file_name, picture_width, picture_height, _
      FALSE, @failure)
  If failure <> NULL Then g_error_free(failure)
  Return pixbuf
End Function

' Shows a picture in an image, which keeps its stock image when the
' picture cannot be loaded.
Sub dlgforge_show_picture(ByVal image As GtkWidget Ptr, _
    ByVal file_name As String, ByVal picture_width As Long, ByVal picture_height As Long)
  Dim pixbuf As GdkPixbuf Ptr = dlgforge_picture(file_name, picture_width, picture_height)
  If pixbuf = NULL Then Exit Sub
  gtk_image_set_from_pixbuf(GTK_IMAGE(image), pixbuf)
  g_object_unref(pixbuf)
End Sub
)";

// Prints a whole program: the outline, every widget, placement, menus and
// handlers once, asking the toolkit's spelling where GTK+ 2 and GTK 3
// differ.
class FbProgramPrinter {
 public:
  FbProgramPrinter(const Description& description, const WriterOptions& options,
                   const ToolkitSpelling& toolkit)
      : description_(description), options_(options), toolkit_(toolkit) {}

  /// The whole program: heading, declarations, helpers, menu functions,
  /// dialog functions, the chooser of dialogs and the start-up; then the
  /// user's part: each dialog's procedure and the main program.
  ProgramFiles print();

  /// The same program as one file, handed to `sink` in pieces of about
  /// kPiece bytes as it is printed, so that a large script's program is
  /// never held whole; false as soon as the sink refuses a piece.
  bool print_joined(const ProgramSink& sink);

  /// The same, printed by `threads` printers at once, each a section of
  /// the program at a time (a few dialogs, menus or procedures), and
  /// handed to `sink` in the program's order: the same bytes as
  /// print_joined. At most a few sections per printer wait to be written.
  bool print_joined_in_parallel(const ProgramSink& sink, unsigned threads);

 private:
  static constexpr std::size_t kPiece = 256 * 1024;

  /// Appends each piece to the program as it is, with no string made for
  /// their concatenation: the program is several times the script.
  template <typename... Pieces>
  void put(const Pieces&... pieces) {
    if constexpr (sizeof...(Pieces) > 1) {
      // The line's length first, then each piece copied in place: one
      // growth of the buffer per line rather than one per piece.
      std::size_t total = (piece_size(pieces) + ...);
      if (total < kPiece) {
        std::size_t at = out_.size();
        out_.resize(at + total);
        char* to = out_.data() + at;
        ((to = copy_piece(to, pieces)), ...);
        return;
      }
    }
    (append(pieces), ...);
  }
  // The character overloads take a char and nothing that converts to one:
  // a number passed by mistake does not compile.
  static std::size_t piece_size(std::same_as<char> auto) { return 1; }
  static std::size_t piece_size(std::string_view piece) { return piece.size(); }
  // The printer's own words are string literals: their length is known
  // when the program is compiled, with no strlen for each line printed.
  template <std::size_t N>
  static std::size_t piece_size(const char (&)[N]) {
    return N - 1;
  }
  template <std::size_t N>
  static char* copy_piece(char* to, const char (&piece)[N]) {
    std::memcpy(to, piece, N - 1);
    return to + N - 1;
  }
  static char* copy_piece(char* to, std::same_as<char> auto c) {
    *to = c;
    return to + 1;
  }
  static char* copy_piece(char* to, std::string_view piece) {
    std::memcpy(to, piece.data(), piece.size());
    return to + piece.size();
  }
  void append(std::same_as<char> auto c) { out_ += c; }
  void append(std::string_view piece) {
    // A piece as large as a whole batch (a label of megabytes) goes to the
    // sink as it is rather than through a buffer grown to hold it.
    if (sink_ != nullptr && piece.size() >= kPiece) {
      flush();
      if (sink_ok_) {
        sink_ok_ = (*sink_)(piece);
      }
      return;
    }
    out_.append(piece);
  }

  /// A part of the program that prints on its own, with no state from the
  /// parts before it: the same text by any printer.
  using Section = std::function<void(FbProgramPrinter&)>;
  /// The program as such parts, in its order: heading, declarations,
  /// helpers, menu functions, dialog functions, the chooser of dialogs and
  /// the start-up; then, from `user_start`, the user's part: each dialog's
  /// procedure and the main program. `joined`: one file, the user's part
  /// after a separating line.
  std::vector<Section> sections(bool joined, std::size_t& user_start) const;
  /// Hands what is printed to the sink once it holds a piece's worth.
  void pass_on() {
    if (sink_ != nullptr && out_.size() >= kPiece) {
      flush();
    }
  }
  void flush() {
    if (sink_ != nullptr && sink_ok_ && !out_.empty()) {
      sink_ok_ = (*sink_)(out_);
    }
    out_.clear();
  }

  void heading();
  void helpers();
  void fill(std::string_view text);
  void declarations();
  static int menu_depth(const std::vector<MenuEntry>& items);
  void menu_function(const MenuBar& bar);
  void menu_items(const std::vector<MenuEntry>& items, int level);
  void accelerator(const MenuEntry& entry);
  void menu_chooser(const Variants& group);
  template <typename Resource>
  void choice(const Variants& group, const std::vector<Resource>& resources,
              const std::string& arguments);
  void language_choice(const std::vector<std::uint16_t>& languages,
                       const std::vector<std::string>& results);
  void toolbar_function(const Toolbar& toolbar);
  void menu_and_toolbar(int menu, std::string_view window);
  void main_window_function(const MainWindow& window);
  void frame_default();
  void dialog_function(const Dialog& dialog);
  void font(const FontRequest& request);
  void control(const Widget& widget);
  void label_layout(const Widget& widget);
  void entry(const Widget& widget);
  void place(const Widget& widget);
  void finish_dialog(const Dialog& dialog);
  void dialog_by_name();
  void id_names();
  void start_up();
  void user_heading(std::string_view include_name);
  void user_ending();
  void procedure(const Dialog& dialog);
  void picture_helpers();
  bool has_pictures() const;
  void window_icon(std::string_view window);
  void main_window_procedure(const MainWindow& window);
  void procedure_function(
      const std::string& name, std::string_view window,
      std::string_view first_message,
      const std::vector<std::pair<std::string, std::string>>& ids,
      const std::string& script_name);
  void command_cases(
      const std::vector<std::pair<std::string, std::string>>& ids);
  static void command_ids(
      const std::vector<MenuEntry>& items,
      std::vector<std::pair<std::string, std::string>>& ids);

  const Description& description_;
  const WriterOptions& options_;
  const ToolkitSpelling& toolkit_;
  std::string out_;
  const ProgramSink* sink_ = nullptr;
  bool sink_ok_ = true;
  /// Per dialog: the first radio button of each group, by group number.
  std::unordered_map<int, std::string> radio_first_;
};

ProgramFiles FbProgramPrinter::print() {
  std::size_t user_start = 0;
  std::vector<Section> parts = sections(false, user_start);
  ProgramFiles files;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k == user_start) {
      files.generated = std::move(out_);
      out_.clear();
    }
    parts[k](*this);
  }
  files.user = std::move(out_);
  return files;
}

std::vector<FbProgramPrinter::Section> FbProgramPrinter::sections(
    bool joined, std::size_t& user_start) const {
  std::vector<Section> parts;
  // Runs of `each` items of a list, one section per run.
  auto runs = [&parts](std::size_t count, std::size_t each, auto print) {
    for (std::size_t first = 0; first < count; first += each) {
      std::size_t last = std::min(count, first + each);
      parts.emplace_back([first, last, print](FbProgramPrinter& printer) {
        for (std::size_t i = first; i < last; ++i) {
          print(printer, i);
        }
      });
    }
  };
  parts.emplace_back([](FbProgramPrinter& printer) {
    printer.heading();
    printer.declarations();
    printer.helpers();
  });
  const Description& d = description_;
  runs(d.menus.size(), 32, [&d](FbProgramPrinter& printer, std::size_t i) {
    printer.menu_function(d.menus[i]);
  });
  runs(d.menu_variants.size(), 64,
       [&d](FbProgramPrinter& printer, std::size_t i) {
         printer.menu_chooser(d.menu_variants[i]);
       });
  runs(d.toolbars.size(), 32, [&d](FbProgramPrinter& printer, std::size_t i) {
    printer.toolbar_function(d.toolbars[i]);
  });
  runs(d.dialogs.size(), 16, [&d](FbProgramPrinter& printer, std::size_t i) {
    printer.dialog_function(d.dialogs[i]);
  });
  parts.emplace_back([&d](FbProgramPrinter& printer) {
    if (d.main_window) {
      printer.main_window_function(*d.main_window);
    }
    printer.dialog_by_name();
    printer.frame_default();
    printer.id_names();
    printer.start_up();
  });
  // The user's part: in a file of its own, which includes the generated
  // one; or after a separating line in one file, which includes nothing.
  user_start = parts.size();
  parts.emplace_back([joined](FbProgramPrinter& printer) {
    if (joined) {
      printer.out_ += "' ---- Your code\n\n";
    }
    printer.user_heading(printer.options_.include_name);
  });
  runs(d.dialog_variants.size(), 32,
       [&d](FbProgramPrinter& printer, std::size_t i) {
         printer.procedure(d.dialogs[d.dialog_variants[i].members.front()]);
       });
  parts.emplace_back([](FbProgramPrinter& printer) { printer.user_ending(); });
  return parts;
}

bool FbProgramPrinter::print_joined_in_parallel(const ProgramSink& sink,
                                                unsigned threads) {
  std::size_t user_start = 0;
  const std::vector<Section> parts = sections(true, user_start);
  const std::size_t ahead = 4 * std::size_t{threads};
  std::vector<std::string> texts(parts.size());
  std::vector<char> ready(parts.size(), 0);
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;     // the first section no printer has taken
  std::size_t written = 0;  // the first section not yet handed on
  bool stop = false;
  std::exception_ptr failure;

  // Takes the next section when it is not too far ahead of the writing.
  auto take = [&](std::unique_lock<std::mutex>&) -> std::optional<std::size_t> {
    if (stop || next >= parts.size() || next >= written + ahead) {
      return std::nullopt;
    }
    return next++;
  };
  // The buffers of sections written, printed into again: memory the
  // program has touched already, at the size sections take.
  std::vector<std::string> spare;
  auto print = [&](FbProgramPrinter& printer, std::size_t k) {
    parts[k](printer);
    std::lock_guard lock(mutex);
    texts[k] = std::move(printer.out_);
    ready[k] = 1;
    printer.out_.clear();
    if (!spare.empty()) {
      printer.out_ = std::move(spare.back());
      spare.pop_back();
    }
  };
  auto help = [&] {
    FbProgramPrinter printer(description_, options_, toolkit_);
    try {
      for (;;) {
        std::optional<std::size_t> k;
        {
          std::unique_lock lock(mutex);
          changed.wait(lock, [&] {
            return stop || next >= parts.size() || next < written + ahead;
          });
          k = take(lock);
          if (!k) {
            return;
          }
        }
        print(printer, *k);
        changed.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      failure = std::current_exception();
      stop = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(help);
    } catch (const std::system_error&) {
      break;  // fewer printers: this thread prints what they would have
    }
  }

  // This thread writes each section in turn, and prints one when the next
  // to write is not ready yet. What it writes gathers into pieces of about
  // kPiece bytes, as the printing of one printer hands them on.
  FbProgramPrinter printer(description_, options_, toolkit_);
  std::string piece;
  bool sink_ok = true;
  auto hand_on = [&](std::string_view text, bool last) {
    if (!sink_ok) {
      return;
    }
    if (piece.empty() && text.size() >= kPiece) {
      sink_ok = sink(text);
      return;
    }
    piece += text;
    if (!piece.empty() && (last || piece.size() >= kPiece)) {
      sink_ok = sink(piece);
      piece.clear();
    }
  };
  try {
    std::unique_lock lock(mutex);
    while (written < parts.size() && !stop) {
      if (ready[written] != 0) {
        std::string text = std::move(texts[written]);
        ++written;
        lock.unlock();
        changed.notify_all();
        hand_on(text, written == parts.size());
        text.clear();
        lock.lock();
        spare.push_back(std::move(text));
        if (!sink_ok) {
          stop = true;
        }
      } else if (std::optional<std::size_t> k = take(lock)) {
        lock.unlock();
        print(printer, *k);
        lock.lock();
      } else {
        changed.wait(lock);
      }
    }
    stop = true;
  } catch (...) {
    std::lock_guard lock(mutex);
    failure = failure ? failure : std::current_exception();
    stop = true;
  }
  changed.notify_all();
  for (std::thread& helper : helpers) {
    helper.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
  return sink_ok;
}

bool FbProgramPrinter::print_joined(const ProgramSink& sink) {
  sink_ = &sink;
  out_.reserve(kPiece + kPiece / 2);
  std::size_t user_start = 0;
  for (const Section& part : sections(true, user_start)) {
    part(*this);
    pass_on();
  }
  flush();
  sink_ = nullptr;
  return sink_ok_;
}
void FbProgramPrinter::heading() {
  put("' The dialogs and menus of ", fb_comment(options_.script_name),
      " rebuilt with ");
  out_ += toolkit_.written_by;
  out_ +=
      options_.include_name.empty()
          ? ".\n' Compile with: fbc PROGRAM.bas\n\n"
          : ".\n' Every conversion rewrites this file: your code goes in the "
            "file that\n' includes it, which is the one to compile.\n\n";
  out_ += toolkit_.binding;
  out_ +=
      "#include once \"gtk/gtk.bi\"\n"
      "#include once \"fontconfig/fontconfig.bi\"\n"
      "#inclib \"fontconfig\"\n"
      "#inclib \"harfbuzz\"\n\n"
      "' The font metrics GDI sizes a font with, read through Pango's\n"
      "' HarfBuzz font: FreeBASIC's headers do not declare these.\n"
      "Extern \"C\"\n"
      "Declare Function dlgforge_hb_font Alias \"pango_font_get_hb_font\" _\n"
      "    (ByVal font As PangoFont Ptr) As Any Ptr\n"
      "Declare Function dlgforge_hb_metric Alias "
      "\"hb_ot_metrics_get_position\" _\n"
      "    (ByVal font As Any Ptr, ByVal tag As ULong, _\n"
      "    ByVal position As Long Ptr) As Long\n"
      "Declare Sub dlgforge_hb_scale Alias \"hb_font_get_scale\" _\n"
      "    (ByVal font As Any Ptr, ByVal x_scale As Long Ptr, _\n"
      "    ByVal y_scale As Long Ptr)\n"
      "End Extern\n"
      "Const DLGFORGE_CLIPPING_ASCENT = &h68636C61  ' 'hcla'\n"
      "Const DLGFORGE_CLIPPING_DESCENT = &h68636C64  ' 'hcld'\n\n";
}

// The constants a dialog's procedure uses (Windows' and the script's ids),
// the procedures' type, and every window's and control's variable.
void FbProgramPrinter::declarations() {
  out_ +=
      "' Windows' ids, messages and notification codes, as a dialog's "
      "procedure\n' receives them.\n";
  for (const BuiltInId& id : kBuiltInIds) {
    out_.append("Const ")
        .append(id.name)
        .append(" = ")
        .append(std::to_string(id.value))
        .append("\n");
  }
  out_ +=
      "\n' A dialog's procedure: it receives WM_INITDIALOG before the "
      "dialog is\n"
      "' first shown, and WM_COMMAND with the id and notification code of "
      "each\n"
      "' command; it returns nonzero for what it handled, as a Windows "
      "dialog\n"
      "' procedure does.\n"
      "Type DLGFORGE_PROCEDURE As Function(ByVal dialog As GtkWidget Ptr, _\n"
      "    ByVal message As Long, ByVal id As Long, ByVal code As Long) As "
      "Long\n\n";
  out_ += "' The script's ids.\n";
  std::unordered_set<std::string> named;
  for (const IdConstant& constant : description_.constants) {
    out_.append("Const ")
        .append(constant.name)
        .append(" = ")
        .append(std::to_string(constant.value))
        .append("\n");
    named.insert(lower_case(constant.name));
  }
  for (const UnnamedId& unnamed : description_.unnamed_ids) {
    put("' ", fb_comment(unnamed.name), " (", std::to_string(unnamed.value),
        ") has no constant here: ", fb_comment(unnamed.reason), ".\n");
  }
  bool kept = false;
  for (const IdConstant& constant : options_.earlier_constants) {
    if (!named.insert(lower_case(constant.name)).second) {
      continue;
    }
    if (!kept) {
      out_ +=
          "' No longer in the script, kept so that code that uses them "
          "still compiles.\n";
      kept = true;
    }
    out_.append("Const ")
        .append(constant.name)
        .append(" = ")
        .append(std::to_string(constant.value))
        .append("  ' gone\n");
  }
  if (!description_.version.empty()) {
    out_ += "\n' The script's version information.\n";
    for (const VersionText& text : description_.version) {
      put("Const ", text.constant, " = ", fb_string(text.value), "\n");
    }
  }
  out_ += "\n";
  // One line per widget of the whole script: appended piece by piece,
  // as temporaries of `a + b + c` cost more than the text here.
  out_ +=
      "' Each dialog's window and controls, set when the dialog is built.\n";
  for (const Dialog& dialog : description_.dialogs) {
    out_.append("Dim Shared ")
        .append(dialog.window)
        .append(" As GtkWidget Ptr\n");
    for (const Widget& widget : dialog.widgets) {
      out_.append("Dim Shared ")
          .append(widget.name)
          .append(" As GtkWidget Ptr\n");
    }
  }
  out_ += "\n";
}

void FbProgramPrinter::helpers() {
  out_ += toolkit_.style_definition();
  fill(kHelpers);
  out_ += kDialogManager;
  picture_helpers();
  out_ += "\n";
  out_ += languages::freebasic_runtime();
  out_ += kProgramLanguage;
}

bool FbProgramPrinter::has_pictures() const {
  return !options_.pictures_folder.empty() && !description_.pictures.empty();
}

// The loading of pictures, and the application's icon, for a program whose
// script has pictures: nothing for one without.
void FbProgramPrinter::picture_helpers() {
  if (!has_pictures()) {
    return;
  }
  put("\n' ---- The script's pictures, copied into this folder beside the "
      "program.\nConst DLGFORGE_PICTURES = ",
      fb_string(options_.pictures_folder), "\n");
  out_ += kPictureHelpers;
  if (description_.icon_large < 0) {
    return;
  }
  out_ +=
      "\n' Gives a window the application's icon, small and large.\n"
      "Sub dlgforge_window_icon(ByVal icon_window As GtkWidget Ptr)\n"
      "  Dim icons As GList Ptr = NULL\n";
  const std::pair<std::string_view, int> sizes[] = {
      {"small", description_.icon_small}, {"large", description_.icon_large}};
  for (const auto& [size, index] : sizes) {
    std::string variable = "icon_" + std::string(size);
    std::string pixels = number(size == "small" ? 16 : kIconPixels);
    put("  Dim ", variable, " As GdkPixbuf Ptr = dlgforge_picture(",
        fb_string(description_.pictures[index].name), ", ", pixels, ", ",
        pixels, ")\n");
    put("  If ", variable, " <> NULL Then icons = g_list_append(icons, ",
        variable, ")\n");
  }
  out_ +=
      "  If icons = NULL Then Exit Sub\n"
      "  gtk_window_set_icon_list(GTK_WINDOW(icon_window), icons)\n"
      "  g_list_free_full(icons, CPtr(GDestroyNotify, @g_object_unref))\n"
      "End Sub\n";
}

void FbProgramPrinter::window_icon(std::string_view window) {
  if (has_pictures() && description_.icon_large >= 0) {
    put("  dlgforge_window_icon(", std::string(window), ")\n");
  }
}
// Prints a text of the helpers with each {{name}} replaced by its part: the
// toolkit's, else the one both toolkits share. A part may hold parts.
void FbProgramPrinter::fill(std::string_view text) {
  for (size_t hole; (hole = text.find("{{")) != text.npos;) {
    out_ += text.substr(0, hole);
    size_t end = text.find("}}", hole);
    std::string_view name = text.substr(hole + 2, end - hole - 2);
    auto find = [name](std::span<const HelperPart> parts) {
      auto part = std::find_if(
          parts.begin(), parts.end(),
          [name](const HelperPart& each) { return each.name == name; });
      return part == parts.end() ? nullptr : &*part;
    };
    const HelperPart* part = find(toolkit_.helper_parts);
    if (part == nullptr) {
      part = find(kCommonParts);
    }
    if (part == nullptr) {
      throw std::logic_error("no helper part " + std::string(name));
    }
    fill(part->text);
    text.remove_prefix(end + 2);
  }
  out_ += text;
}

// ---- dialogs

void FbProgramPrinter::dialog_function(const Dialog& dialog) {
  const std::string area(toolkit_.area);
  put("' Dialog ", fb_comment(dialog.script_name), ".\n");
  put("Function ", dialog.function, "() As GtkWidget Ptr\n");
  out_ +=
      "  Dim dialog_window As GtkWidget Ptr = "
      "gtk_window_new(GTK_WINDOW_TOPLEVEL)\n";
  put("  ", dialog.window, " = dialog_window\n");
  put("  gtk_widget_set_name(dialog_window, ",
      fb_string(gtk2::kDialogWindowName), ")\n");
  put("  gtk_window_set_title(GTK_WINDOW(dialog_window), ",
      fb_string(dialog.title), ")\n");
  put("  gtk_window_set_resizable(GTK_WINDOW(dialog_window), ",
      std::string(dialog.resizable ? "TRUE" : "FALSE"), ")\n");
  window_icon("dialog_window");
  const std::string new_area = "  Dim " + area + " As GtkWidget Ptr = " +
                               std::string(toolkit_.new_area) + "\n";
  if (toolkit_.area_before_font) {
    out_ += new_area;
  }
  font(dialog.font);
  if (!toolkit_.area_before_font) {
    out_ += new_area;
  }
  // The window's own scroll bars take their width from the client area.
  auto scroll_bar = [](bool shown) {
    return shown ? " - " + number(kScrollBarPixels) : std::string();
  };
  put("  gtk_widget_set_size_request(", area, ", dlgforge_muldiv(",
      number(dialog.rect.cx), ", units_x, 4)",
      scroll_bar(dialog.vertical_scroll), ", dlgforge_muldiv(",
      number(dialog.rect.cy), ", units_y, 8)",
      scroll_bar(dialog.horizontal_scroll), ")\n");
  if (dialog.menu >= 0) {
    menu_and_toolbar(dialog.menu, "dialog_window");
    put("  gtk_box_pack_start(GTK_BOX(content_box), ", area,
        ", TRUE, TRUE, 0)\n");
    out_ += "  gtk_container_add(GTK_CONTAINER(dialog_window), content_box)\n";
  } else {
    put("  gtk_container_add(GTK_CONTAINER(dialog_window), ", area, ")\n");
  }
  out_ += "\n";
  radio_first_.clear();
  for (const Widget& widget : dialog.widgets) {
    control(widget);
  }
  finish_dialog(dialog);
  put("  dlgforge_dialog_behaviour(dialog_window, ",
      fb_string(dialog.script_name), ")\n");
  out_ += "  Return dialog_window\nEnd Function\n\n";
}

void FbProgramPrinter::font(const FontRequest& request) {
  out_ += toolkit_.dialog_font(request);
  out_ += "  Dim As Long units_x, units_y\n";
  if (options_.base_units) {
    put("  units_x = ", number(options_.base_units->bx),
        " : units_y = ", number(options_.base_units->by), "\n");
  } else {
    put("  dlgforge_base_units(", toolkit_.units_source(request),
        ", units_x, units_y)\n");
  }
}

void FbProgramPrinter::control(const Widget& widget) {
  out_ += "  ' ";
  append_source(out_, widget);
  out_ += '\n';
  const std::string& name = widget.name;
  std::string text = fb_string(widget.text);
  auto create = [&](const auto&... call) {
    put("  ", name, " = ", call..., "\n");
  };
  switch (widget.kind) {
  case WidgetKind::Button:
    create("gtk_button_new_with_mnemonic(", text, ")");
    break;
  case WidgetKind::ToggleButton:
    create("gtk_toggle_button_new_with_mnemonic(", text, ")");
    break;
  case WidgetKind::CheckButton:
    create("gtk_check_button_new_with_mnemonic(", text, ")");
    break;
  case WidgetKind::RadioButton:
    if (widget.starts_group) {
      // A hidden member, never placed, holds the group's check, so that
      // the group starts with nothing checked, as on Windows.
      create(
          "gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON("
          "gtk_radio_button_new(NULL)), ",
          text, ")");
      radio_first_[widget.radio_group] = name;
    } else {
      create("gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(",
             radio_first_[widget.radio_group], "), ", text, ")");
    }
    break;
  case WidgetKind::GroupBox:
    create("gtk_frame_new(NULL)");
    if (!widget.text.empty()) {
      put("  gtk_frame_set_label_widget(GTK_FRAME(", name,
          "), gtk_label_new_with_mnemonic(", text, "))\n");
    }
    break;
  case WidgetKind::Label:
    create(std::string_view(widget.use_mnemonic ? "gtk_label_new_with_mnemonic("
                                                : "gtk_label_new("),
           text, ")");
    label_layout(widget);
    break;
  case WidgetKind::LinkLabel:
    create("gtk_label_new(NULL)");
    put("  gtk_label_set_markup(GTK_LABEL(", name, "), ", text, ")\n");
    label_layout(widget);
    break;
  case WidgetKind::FilledBox:
    create("dlgforge_filled_box(", fb_string(shade_colour(widget.shade)), ")");
    break;
  case WidgetKind::OutlineBox:
    create("gtk_frame_new(NULL)");
    put("  gtk_frame_set_shadow_type(GTK_FRAME(", name, "), ",
        (widget.sunken ? "GTK_SHADOW_IN" : "GTK_SHADOW_ETCHED_IN"), ")\n");
    break;
  case WidgetKind::Entry:
    create("gtk_entry_new()");
    out_ += toolkit_.after_create(widget);
    entry(widget);
    break;
  case WidgetKind::TextView:
    create("gtk_text_view_new()");
    put("  dlgforge_scrolled(", name, ")\n");
    put("  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(", name,
        "), GTK_WRAP_WORD)\n");
    // Tab moves to the next control, as in a Windows dialog.
    put("  gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(", name, "), FALSE)\n");
    if (!widget.text.empty()) {
      put("  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(",
          name, ")), ", text, ", -1)\n");
    }
    if (!widget.editable) {
      put("  gtk_text_view_set_editable(GTK_TEXT_VIEW(", name, "), FALSE)\n");
    }
    break;
  case WidgetKind::ListBox:
    create("dlgforge_list_box(",
           (widget.selection == Selection::None       ? "GTK_SELECTION_NONE"
            : widget.selection == Selection::Multiple ? "GTK_SELECTION_MULTIPLE"
                                                      : "GTK_SELECTION_SINGLE"),
           ")");
    put("  dlgforge_scrolled(", name, ")\n");
    break;
  case WidgetKind::ListView:
    create("gtk_tree_view_new()");
    put("  dlgforge_scrolled(", name, ")\n");
    break;
  case WidgetKind::ProgressBar:
    create("gtk_progress_bar_new()");
    out_ += toolkit_.after_create(widget);
    break;
  case WidgetKind::SpinButton:
    create("gtk_spin_button_new_with_range(0, 100, 1)");
    break;
  case WidgetKind::Notebook:
    create("gtk_notebook_new()");
    break;
  case WidgetKind::Calendar:
    create("gtk_calendar_new()");
    break;
  case WidgetKind::Custom:
    put("  ' A control of class ", fb_comment(widget.text),
        ": replace this frame with your own widget.\n");
    create("gtk_frame_new(", text, ")");
    break;
  case WidgetKind::Separator:
  case WidgetKind::Image:
  case WidgetKind::ComboBox:
  case WidgetKind::ComboBoxEntry:
  case WidgetKind::ScrollBar:
  case WidgetKind::Slider:
    // Spelled by each toolkit its own way.
    create(toolkit_.create(widget));
    out_ += toolkit_.after_create(widget);
    if (widget.picture >= 0 && has_pictures()) {
      put("  dlgforge_show_picture(", name, ", ",
          fb_string(description_.pictures[widget.picture].name), ", ",
          number(widget.picture_width), ", ", number(widget.picture_height),
          ")\n");
    }
    if (widget.kind == WidgetKind::Slider) {
      put("  gtk_scale_set_draw_value(GTK_SCALE(", name, "), FALSE)\n");
    }
    break;
  }
  for (const std::string& item : widget.items) {
    put("  dlgforge_append_item(", name, ", ", fb_string(item), ")\n");
  }
  place(widget);
  if (widget.check_on_right && (widget.kind == WidgetKind::CheckButton ||
                                widget.kind == WidgetKind::RadioButton)) {
    put("  gtk_widget_set_direction(", name, ", GTK_TEXT_DIR_RTL)\n");
  }
  if (!widget.sensitive) {
    put("  gtk_widget_set_sensitive(", placed(widget), ", FALSE)\n");
  }
  put("  dlgforge_control(dialog_window, ", name, ", ",
      id_text(widget.id_name, widget.id), ", ", number(widget.group),
      (widget.focusable ? ", TRUE" : ", FALSE"), ")\n");
  if (widget.want_return) {
    put("  dlgforge_set_number(", name, ", \"dlgforge-want-return\", 1)\n");
  }
  for (Notification notification : widget.notifications) {
    put("  g_signal_connect(", signal_emitter(widget, notification), ", \"",
        std::string(signal_name(notification)), "\", G_CALLBACK(@",
        std::string(notification_callback(notification)), "), ", name, ")\n");
  }
  out_ += "\n";
}

void FbProgramPrinter::label_layout(const Widget& widget) {
  const std::string& name = widget.name;
  out_ += toolkit_.align_label(widget);
  if (widget.xalign != 0.0f) {
    put("  gtk_label_set_justify(GTK_LABEL(", name, "), ",
        (widget.xalign == 1.0f ? "GTK_JUSTIFY_RIGHT" : "GTK_JUSTIFY_CENTER"),
        ")\n");
  }
  if (widget.wrap) {
    put("  gtk_label_set_line_wrap(GTK_LABEL(", name, "), TRUE)\n");
  }
}

void FbProgramPrinter::place(const Widget& widget) {
  // dlgforge_place gives a widget the script's size; one the dialog manager
  // sizes otherwise gets its size after it.
  bool script_size = widget.sizing == Sizing::Script && widget.trim_right == 0;
  put("  dlgforge_place(", std::string(toolkit_.area), ", ", placed(widget),
      ", ", number(widget.rect.x), ", ", number(widget.rect.y), ", ",
      number(widget.rect.cx), ", ", number(script_size ? widget.rect.cy : 0),
      ", units_x, units_y)\n");
  if (script_size) {
    return;
  }
  std::string width =
      "dlgforge_muldiv(" + number(widget.rect.cx) + ", units_x, 4)";
  if (widget.trim_right != 0) {
    width += " - " + number(widget.trim_right);
  }
  std::string height =
      "dlgforge_muldiv(" + number(widget.rect.cy) + ", units_y, 8)";
  bool sized = widget.rect.cx > 0 && widget.rect.cy > 0;
  switch (widget.sizing) {
  case Sizing::FieldHeight:
    // A combo box's height in the script includes its dropped-down list;
    // on screen it is as high as its edit field, the font's height plus
    // the field's border and padding.
    sized = widget.rect.cx > 0;
    height = "units_y + " + number(toolkit_.combo_field_padding);
    break;
  case Sizing::Icon:
    sized = true;
    width = height = number(kIconPixels);
    break;
  case Sizing::Picture:
    sized = true;
    width = number(widget.picture_width);
    height = number(widget.picture_height);
    break;
  case Sizing::WholeRows: {
    put("  ' As high as the whole rows of ", number(kSystemRowPixels),
        " pixels that fit, as the dialog manager makes a list box.\n");
    std::string rows = height;
    if (widget.row_border != 0) {
      rows = "(" + height + " - " + number(2 * widget.row_border) + ")";
    }
    height += " - IIf(" + rows + " > " + number(kSystemRowPixels) + ", " +
              rows + " Mod " + number(kSystemRowPixels) + ", 0)";
    break;
  }
  case Sizing::Script:
    break;
  }
  if (sized) {
    put("  gtk_widget_set_size_request(", placed(widget), ", ", width, ", ",
        height, ")\n");
  }
}

void FbProgramPrinter::finish_dialog(const Dialog& dialog) {
  const std::vector<Widget>& widgets = dialog.widgets;
  for (const Widget& widget : widgets) {
    if (widget.mnemonic_target >= 0) {
      put("  gtk_label_set_mnemonic_widget(GTK_LABEL(", widget.name, "), ",
          widgets[widget.mnemonic_target].name, ")\n");
    }
  }
  // Tab moves through the controls with WS_TABSTOP in the order of the
  // script, as the dialog manager does.
  put("  g_signal_connect(", std::string(toolkit_.area),
      ", \"focus\", G_CALLBACK(@dlgforge_on_focus), dialog_window)\n");
  put("  dlgforge_apply_font(", std::string(toolkit_.area), ", dialog_font)\n");
  put("  ", std::string(toolkit_.free_font), "(dialog_font)\n");
  out_ += "  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dialog_window)))\n";
  for (const Widget& widget : widgets) {
    if (!widget.visible) {
      put("  gtk_widget_hide(", placed(widget), ")\n");
    }
    if (widget.is_default) {
      put("  gtk_widget_set_can_default(", widget.name, ", TRUE)\n");
      put("  gtk_window_set_default(GTK_WINDOW(dialog_window), ", widget.name,
          ")\n");
    }
  }
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
  put("' Menu ", fb_comment(bar.script_name), ".\n");
  put("Function ", bar.function,
      "(ByVal accels As GtkAccelGroup Ptr, _\n    ByVal owner As GtkWidget "
      "Ptr) As GtkWidget Ptr\n");
  out_ += "  Dim item As GtkWidget Ptr\n";
  out_ += "  Dim radio_first As GtkWidget Ptr\n";
  out_ += "  Dim shell_0 As GtkWidget Ptr = gtk_menu_bar_new()\n";
  int depth = menu_depth(bar.items);
  for (int level = 1; level <= depth; ++level) {
    put("  Dim shell_", number(level), " As GtkWidget Ptr\n");
  }
  menu_items(bar.items, 0);
  for (const Shortcut& shortcut : bar.shortcuts) {
    put("  dlgforge_shortcut(accels, gdk_keyval_from_name(",
        fb_string(shortcut.key), "), ",
        modifier_mask(shortcut.control, shortcut.shift, shortcut.alt), ", ",
        id_text(shortcut.id_name, shortcut.id), ", owner)\n");
  }
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
      put("  item = gtk_menu_item_new_with_mnemonic(", text, ")\n");
      break;
    case MenuEntry::Kind::Check:
      put("  item = gtk_check_menu_item_new_with_mnemonic(", text, ")\n");
      break;
    case MenuEntry::Kind::Radio:
      if (entry.starts_group) {
        put("  item = gtk_radio_menu_item_new_with_mnemonic(NULL, ", text,
            ")\n  radio_first = item\n");
      } else {
        put("  item = gtk_radio_menu_item_new_with_mnemonic_from_widget("
            "GTK_RADIO_MENU_ITEM(radio_first), ",
            text, ")\n");
      }
      break;
    }
    put("  gtk_menu_shell_append(GTK_MENU_SHELL(", shell, "), item)\n");
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
    if (!entry.prompt.empty() || !entry.tooltip.empty()) {
      put("  dlgforge_menu_prompt(item, ", fb_string(entry.prompt), ", ",
          fb_string(entry.tooltip), ", owner)\n");
    }
    if (entry.kind != MenuEntry::Kind::Submenu) {
      put("  dlgforge_menu_command(item, ", id_text(entry.id_name, entry.id),
          ", owner)\n");
    }
    if (entry.kind == MenuEntry::Kind::Submenu) {
      std::string inner = "shell_" + number(level + 1);
      put("  ", inner, " = gtk_menu_new()\n");
      put("  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), ", inner, ")\n");
      menu_items(entry.items, level + 1);
    }
  }
}

void FbProgramPrinter::accelerator(const MenuEntry& entry) {
  if (entry.accel_key.empty() && entry.accel_text.empty()) {
    return;
  }
  if (entry.accel_key.empty()) {
    put("  dlgforge_accel_text(item, ", fb_string(entry.accel_text), ")\n");
    return;
  }
  put("  gtk_widget_add_accelerator(item, \"activate\", accels, "
      "gdk_keyval_from_name(",
      fb_string(entry.accel_key), "), ",
      modifier_mask(entry.accel_control, entry.accel_shift, entry.accel_alt),
      ", GTK_ACCEL_VISIBLE)\n");
}

// The menu bar a window shows, with its accelerators, and the menu's
// toolbar under it, at the top of a box `content_box`.
void FbProgramPrinter::menu_and_toolbar(int menu, std::string_view window) {
  const MenuBar& bar = description_.menus[menu];
  const std::string owner(window);
  out_ += "  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()\n";
  put("  gtk_window_add_accel_group(GTK_WINDOW(", owner, "), accels)\n");
  out_ += "  Dim content_box As GtkWidget Ptr = ";
  out_ += toolkit_.new_vbox;
  put("\n  gtk_box_pack_start(GTK_BOX(content_box), ", bar.chooser, "(accels, ",
      owner, "), FALSE, FALSE, 0)\n");
  if (bar.toolbar >= 0) {
    put("  gtk_box_pack_start(GTK_BOX(content_box), ",
        description_.toolbars[bar.toolbar].function, "(", owner,
        "), FALSE, FALSE, 0)\n");
  }
}

// Returns the variant of a resource the program's language chooses: the
// members' functions take `arguments`.
template <typename Resource>
void FbProgramPrinter::choice(const Variants& group,
                              const std::vector<Resource>& resources,
                              const std::string& arguments) {
  std::vector<std::uint16_t> languages;
  std::vector<std::string> results;
  for (int member : group.members) {
    languages.push_back(resources[member].language);
    results.push_back(resources[member].function + "(" + arguments + ")");
  }
  language_choice(languages, results);
}

// Returns the result of the variant the program's language chooses among
// variants in these languages (the first when there is one).
void FbProgramPrinter::language_choice(
    const std::vector<std::uint16_t>& languages,
    const std::vector<std::string>& results) {
  if (results.size() == 1) {
    put("Return ", results.front(), "\n");
    return;
  }
  put("Dim variants(0 To ", number(static_cast<int>(results.size()) - 1),
      ") As Long = {");
  for (size_t i = 0; i < languages.size(); ++i) {
    put((i == 0 ? "" : ", "), std::to_string(languages[i]));
  }
  out_ +=
      "}\n    Select Case dlgforge_choose_language(variants(), "
      "dlgforge_language)\n";
  for (size_t i = 1; i < results.size(); ++i) {
    put("    Case ", std::to_string(i), ": Return ", results[i], "\n");
  }
  put("    End Select\n    Return ", results.front(), "\n");
}

void FbProgramPrinter::menu_chooser(const Variants& group) {
  if (group.chooser.empty()) {
    return;
  }
  put("' Menu ",
      fb_comment(description_.menus[group.members.front()].script_name),
      " in the program's language.\n");
  put("Function ", group.chooser,
      "(ByVal accels As GtkAccelGroup Ptr, _\n    ByVal owner As GtkWidget "
      "Ptr) As GtkWidget Ptr\n    ");
  choice(group, description_.menus, "accels, owner");
  out_ += "End Function\n\n";
}

void FbProgramPrinter::toolbar_function(const Toolbar& toolbar) {
  put("' Toolbar ", fb_comment(toolbar.script_name), ".\n");
  put("Function ", toolbar.function,
      "(ByVal owner As GtkWidget Ptr) As GtkWidget Ptr\n"
      "  Dim bar As GtkWidget Ptr = dlgforge_new_toolbar()\n");
  if (has_pictures() && toolbar.picture >= 0) {
    put("  Dim strip As GdkPixbuf Ptr = dlgforge_picture(",
        fb_string(description_.pictures[toolbar.picture].name), ", ",
        number(toolbar.picture_width), ", ", number(toolbar.picture_height),
        ")\n");
  } else {
    out_ += "  Dim strip As GdkPixbuf Ptr = NULL\n";
  }
  for (const ToolButton& button : toolbar.buttons) {
    if (button.separator) {
      out_ += "  dlgforge_tool_separator(bar)\n";
      continue;
    }
    put("  dlgforge_tool_button(bar, strip, ", number(button.image), ", ",
        number(toolbar.button_width), ", ", number(toolbar.button_height), ", ",
        id_text(button.id_name, button.id), ", _\n      ",
        fb_string(button.prompt), ", ", fb_string(button.tooltip),
        ", owner)\n");
  }
  out_ += "  If strip <> NULL Then g_object_unref(strip)\n";
  out_ += "  Return bar\nEnd Function\n\n";
}

// The application's main window: menu bar, toolbar, an empty area for the
// application's own view, and a status bar for the commands' prompts.
void FbProgramPrinter::main_window_function(const MainWindow& window) {
  put("' The application's main window, from the resources named ",
      fb_comment(window.script_name),
      ".\n"
      "Dim Shared dlgforge_main_window As GtkWidget Ptr\n"
      "' The area under the toolbar, where the application shows its "
      "documents.\n"
      "Dim Shared dlgforge_main_view As GtkWidget Ptr\n\n");
  put("Function ", window.function, "() As GtkWidget Ptr\n");
  out_ +=
      "  Dim frame As GtkWidget Ptr = gtk_window_new(GTK_WINDOW_TOPLEVEL)\n"
      "  dlgforge_main_window = frame\n";
  if (window.title_string) {
    put("  Dim title As String = dlgforge_load_string(",
        std::to_string(*window.title_string), ")\n");
    out_ += "  title = Left(title, InStr(title & Chr(10), Chr(10)) - 1)\n";
    out_ += "  gtk_window_set_title(GTK_WINDOW(frame), title)\n";
  } else {
    put("  gtk_window_set_title(GTK_WINDOW(frame), ", fb_string(window.title),
        ")\n");
  }
  out_ += "  gtk_window_set_default_size(GTK_WINDOW(frame), 640, 480)\n";
  window_icon("frame");
  menu_and_toolbar(window.menu, "frame");
  put("  dlgforge_main_view = ", std::string(toolkit_.new_area), "\n");
  out_ +=
      "  gtk_box_pack_start(GTK_BOX(content_box), dlgforge_main_view, TRUE, "
      "TRUE, 0)\n"
      "  Dim status As GtkWidget Ptr = gtk_statusbar_new()\n"
      "  gtk_box_pack_start(GTK_BOX(content_box), status, FALSE, FALSE, 0)\n"
      "  g_object_set_data(G_OBJECT(frame), \"dlgforge-status\", status)\n";
  if (!window.idle_text.empty()) {
    put("  gtk_statusbar_push(GTK_STATUSBAR(status), "
        "gtk_statusbar_get_context_id(GTK_STATUSBAR(status), \"idle\"), ",
        fb_string(window.idle_text), ")\n");
  }
  out_ +=
      "  gtk_container_add(GTK_CONTAINER(frame), content_box)\n"
      "  dlgforge_set_number(frame, \"dlgforge-frame\", 1)\n";
  put("  g_object_set_data(G_OBJECT(frame), \"dlgforge-procedure\", _\n"
      "      Cast(gpointer, dlgforge_procedure_of(",
      fb_string(window.script_name), ")))\n");
  out_ += "  Return frame\nEnd Function\n\n";
  out_ +=
      "' Shows the main window and runs the program until it is closed; its\n"
      "' procedure gets WM_CREATE first.\n"
      "Sub dlgforge_run_main_window()\n";
  put("  Dim frame As GtkWidget Ptr = ", window.function, "()\n");
  out_ +=
      "  g_signal_connect(frame, \"destroy\", G_CALLBACK(@gtk_main_quit), "
      "NULL)\n"
      "  dlgforge_send(frame, WM_CREATE, 0, 0)\n"
      "  gtk_widget_show_all(frame)\n"
      "  gtk_window_present(GTK_WINDOW(frame))\n"
      "  gtk_main()\n"
      "End Sub\n\n";
}

// What the main window does with a command its procedure leaves: MFC's
// Exit closes it, and About shows the about box when the script has one.
void FbProgramPrinter::frame_default() {
  constexpr std::int64_t kAppAbout = 0xE140, kAppExit = 0xE141;
  out_ +=
      "Sub dlgforge_frame_default(ByVal frame As GtkWidget Ptr, ByVal id As "
      "Long)\n"
      "  Select Case id\n";
  put("  Case ", std::to_string(kAppExit),
      "  ' ID_APP_EXIT\n    gtk_widget_destroy(frame)\n");
  for (const Dialog& dialog : description_.dialogs) {
    if (lower_case(dialog.script_name) == "idd_aboutbox") {
      put("  Case ", std::to_string(kAppAbout),
          "  ' ID_APP_ABOUT\n    dlgforge_dialog_box(",
          fb_string(dialog.script_name), ")\n");
      break;
    }
  }
  out_ += "  End Select\nEnd Sub\n\n";
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
  if (!description_.dialogs.empty()) {
    out_ += "  Select Case UCase(dialog_name)\n";
    for (const Variants& group : description_.dialog_variants) {
      const Dialog& dialog = description_.dialogs[group.members.front()];
      std::string upper = dialog.script_name;
      for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
          c = static_cast<char>(c - 'a' + 'A');
        }
      }
      put("  Case ", fb_string(upper),
          (dialog.ordinal.empty() ? "" : ", " + fb_string(dialog.ordinal)),
          "\n    ");
      choice(group, description_.dialogs, "");
    }
    out_ += "  End Select\n";
  }
  out_ += "  Return NULL\nEnd Function\n\n";
  out_ +=
      "' Builds the dialog the script names NAME and runs it until it ends, "
      "as\n"
      "' DialogBox; returns the id it ended with (-1 when there is no such "
      "dialog).\n"
      "Function dlgforge_dialog_box Overload (ByVal dialog_name As String) "
      "As Long\n"
      "  Return dlgforge_run_modal(dlgforge_dialog_named(dialog_name))\n"
      "End Function\n\n"
      "' The same for a dialog named by a number (IDD_ABOUT as a constant).\n"
      "Function dlgforge_dialog_box(ByVal dialog_id As Long) As Long\n"
      "  Return dlgforge_run_modal(dlgforge_dialog_named(Str(dialog_id)))\n"
      "End Function\n\n"
      "' Builds the dialog the script names NAME and shows it without "
      "waiting, as\n"
      "' CreateDialog; Null when there is no such dialog.\n"
      "Function dlgforge_create_dialog Overload (ByVal dialog_name As String) "
      "As GtkWidget Ptr\n"
      "  Return dlgforge_run_modeless(dlgforge_dialog_named(dialog_name))\n"
      "End Function\n\n"
      "Function dlgforge_create_dialog(ByVal dialog_id As Long) As GtkWidget "
      "Ptr\n"
      "  Return dlgforge_run_modeless(dlgforge_dialog_named(Str(dialog_id)))\n"
      "End Function\n\n";
}

// The name of an id for people: IDOK, the script's constant, else its
// number.
void FbProgramPrinter::id_names() {
  out_ +=
      "' The name of an id (IDOK, IDC_NAME), else its number.\n"
      "Function dlgforge_id_name(ByVal id As Long) As String\n"
      "  Select Case id\n";
  std::unordered_set<std::int64_t> seen;
  auto name = [&](std::string_view constant, std::int64_t value) {
    // -1 is no dialog at all, whatever the script calls it.
    if (value == -1 || value < INT32_MIN || value > INT32_MAX ||
        !seen.insert(value).second) {
      return;
    }
    out_.append("  Case ")
        .append(std::to_string(value))
        .append(": Return \"")
        .append(constant)
        .append("\"\n");
  };
  for (const BuiltInId& id : kBuiltInIds) {
    if (id.name.starts_with("ID")) {
      name(id.name, id.value);
    }
  }
  for (const IdConstant& constant : description_.constants) {
    name(constant.name, constant.value);
  }
  out_ += "  End Select\n  Return Str(id)\nEnd Function\n\n";
  out_ +=
      "' The string of an id in the script's string table, as LoadString; "
      "\"\" when\n' there is none.\n"
      "Function dlgforge_load_string(ByVal id As Long) As String\n";
  if (!description_.strings.empty()) {
    out_ += "  Select Case id\n";
    for (const StringVariants& string : description_.strings) {
      out_.append("  Case ").append(
          std::to_string(static_cast<std::int32_t>(string.id)));
      if (string.texts.size() == 1) {
        out_.append(": Return ")
            .append(fb_string(string.texts.front().second))
            .append("\n");
        continue;
      }
      std::vector<std::uint16_t> languages;
      std::vector<std::string> results;
      for (const auto& [language, text] : string.texts) {
        languages.push_back(language);
        results.push_back(fb_string(text));
      }
      out_ += "\n    ";
      language_choice(languages, results);
    }
    out_ += "  End Select\n";
  }
  out_ += "  Return \"\"\nEnd Function\n\n";
}

void FbProgramPrinter::start_up() {
  out_ +=
      "' The toolkit, with Wine's Tahoma made visible when fonts-wine is "
      "installed.\n"
      "Sub dlgforge_start()\n";
  put("  dlgforge_add_fonts(", fb_string(gtk2::kWineFontsDir), ")\n");
  if (!description_.application_name.empty()) {
    put("  g_set_application_name(", fb_string(description_.application_name),
        ")\n");
  }
  out_ += "  dlgforge_choose_program_language()\n";
  out_ += "  gtk_init(NULL, NULL)\n";
  put("  ", toolkit_.style_call(), "\n");
  out_ += "End Sub\n\n";
  out_ +=
      "' The dialogs the command line names, shown modeless side by side "
      "until\n"
      "' the first ends; False when it names none.\n"
      "Function dlgforge_show_named_dialogs() As Long\n"
      "  Dim first_dialog As GtkWidget Ptr\n"
      "  Dim argument As Long = dlgforge_first_argument\n"
      "  While Len(Command(argument)) > 0\n"
      "    Dim named As GtkWidget Ptr = "
      "dlgforge_dialog_named(Command(argument))\n"
      "    If named = NULL Then\n"
      "      Print \"no dialog named \"; Command(argument)\n"
      "      End 2\n"
      "    End If\n"
      "    dlgforge_run_modeless(named)\n"
      "    If first_dialog = NULL Then first_dialog = named\n"
      "    argument += 1\n"
      "  Wend\n"
      "  If first_dialog = NULL Then Return FALSE\n"
      "  g_signal_connect(first_dialog, \"destroy\", "
      "G_CALLBACK(@gtk_main_quit), NULL)\n"
      "  gtk_main()\n"
      "  Return TRUE\n"
      "End Function\n\n";
  if (description_.main_dialog < 0 && description_.main_menu >= 0 &&
      !description_.main_window) {
    const MenuBar& bar = description_.menus[description_.main_menu];
    out_ +=
        "' The script has menus but no dialog: a window shows the first "
        "menu bar\n' until it is closed.\n"
        "Sub dlgforge_show_menus()\n"
        "  Dim menu_window As GtkWidget Ptr = "
        "gtk_window_new(GTK_WINDOW_TOPLEVEL)\n"
        "  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()\n"
        "  gtk_window_add_accel_group(GTK_WINDOW(menu_window), accels)\n"
        "  gtk_window_set_default_size(GTK_WINDOW(menu_window), 400, 200)\n";
    window_icon("menu_window");
    put("  gtk_container_add(GTK_CONTAINER(menu_window), ", bar.function,
        "(accels, menu_window))\n");
    out_ +=
        "  g_signal_connect(menu_window, \"destroy\", "
        "G_CALLBACK(@gtk_main_quit), NULL)\n"
        "  gtk_widget_show_all(menu_window)\n"
        "  gtk_main()\n"
        "End Sub\n\n";
  }
}

// Each dialog's procedure for the user to fill, and the main program.
void FbProgramPrinter::user_heading(std::string_view include_name) {
  put("' The code of ", fb_comment(options_.script_name),
      "'s dialogs, converted by dlgforge --port: yours to\n"
      "' keep and change. A conversion writes this file only when it does "
      "not\n"
      "' exist yet; what it generates is in the file included here.\n\n");
  if (!include_name.empty()) {
    put("#include once ", fb_string(include_name), "\n\n");
  }
}

void FbProgramPrinter::user_ending() {
  if (description_.main_window) {
    main_window_procedure(*description_.main_window);
  }
  out_ += "' ---- The program\n\ndlgforge_start()\n";
  if (description_.main_window_first) {
    out_ +=
        "' With dialog names on its command line, the program shows those; "
        "else it\n"
        "' runs the application's main window.\n"
        "If dlgforge_show_named_dialogs() = FALSE Then\n"
        "  dlgforge_run_main_window()\n"
        "End If\n";
  } else if (description_.main_dialog >= 0) {
    const Dialog& dialog = description_.dialogs[description_.main_dialog];
    out_ +=
        "' With dialog names on its command line, the program shows those; "
        "else it\n"
        "' runs the first dialog and prints the id it ended with.\n"
        "If dlgforge_show_named_dialogs() = FALSE Then\n";
    put("  Print dlgforge_id_name(dlgforge_dialog_box(",
        fb_string(dialog.script_name), "))\n");
    out_ += "End If\n";
  } else if (description_.main_menu >= 0) {
    out_ += "dlgforge_show_menus()\n";
  } else {
    out_ += "' The script has no dialog and no menu: nothing to show.\n";
  }
  out_ += "End 0\n";
}

// The ids of a menu's commands, each once, with the constant or number.
void FbProgramPrinter::command_ids(
    const std::vector<MenuEntry>& items,
    std::vector<std::pair<std::string, std::string>>& ids) {
  for (const MenuEntry& entry : items) {
    if (entry.kind == MenuEntry::Kind::Submenu) {
      command_ids(entry.items, ids);
    } else if (entry.kind != MenuEntry::Kind::Separator) {
      ids.emplace_back(id_text(entry.id_name, entry.id),
                       "the menu item " + fb_comment(entry.text));
    }
  }
}

void FbProgramPrinter::main_window_procedure(const MainWindow& window) {
  out_ +=
      "' The application's main window: WM_CREATE before it is shown, "
      "and the\n' commands of its menu and toolbar. Where you return 0, "
      "ID_APP_EXIT closes\n' it.\n";
  std::vector<std::pair<std::string, std::string>> ids;
  const MenuBar& bar = description_.menus[window.menu];
  command_ids(bar.items, ids);
  if (bar.toolbar >= 0) {
    for (const ToolButton& button :
         description_.toolbars[bar.toolbar].buttons) {
      if (!button.separator) {
        ids.emplace_back(id_text(button.id_name, button.id),
                         "a toolbar button");
      }
    }
  }
  procedure_function(window.procedure, "frame", "WM_CREATE", ids,
                     window.script_name);
}

// A procedure for the user to fill: the window's first message, then a
// Select Case over its command ids, each once, with what sends it; and the
// line that registers it for the window's name.
void FbProgramPrinter::procedure_function(
    const std::string& name, std::string_view window,
    std::string_view first_message,
    const std::vector<std::pair<std::string, std::string>>& ids,
    const std::string& script_name) {
  put("Function ", name, "(ByVal ", std::string(window),
      " As GtkWidget Ptr, ByVal message As Long, _\n"
      "    ByVal id As Long, ByVal code As Long) As Long\n"
      "  Select Case message\n"
      "  Case ",
      std::string(first_message),
      "\n"
      "  Case WM_COMMAND\n");
  command_cases(ids);
  out_ +=
      "  End Select\n"
      "  Return 0\n"
      "End Function\n";
  put("dlgforge_set_procedure(", fb_string(script_name), ", @", name, ")\n\n");
}

// A Select Case over command ids, each once, with what sends it.
void FbProgramPrinter::command_cases(
    const std::vector<std::pair<std::string, std::string>>& ids) {
  if (ids.empty()) {
    return;
  }
  std::unordered_set<std::string_view, CaselessHash, CaselessEqual> listed;
  out_ += "    Select Case id\n";
  for (const auto& [id, what] : ids) {
    if (listed.insert(id).second) {
      put("    Case ", id, "  ' ", what);
      if (out_.back() != '\n') {
        out_ += "\n";
      }
    }
  }
  out_ += "    End Select\n";
}

void FbProgramPrinter::procedure(const Dialog& dialog) {
  put("' The dialog ", fb_comment(dialog.script_name),
      ": its initialisation and its commands. Return nonzero for\n"
      "' what you handle; where you do not, IDOK, IDCANCEL and their kind "
      "end the\n' dialog.\n");
  std::vector<std::pair<std::string, std::string>> ids;
  for (const Widget& widget : dialog.widgets) {
    if (!widget.notifications.empty()) {
      std::string what;
      append_source(what, widget);
      what += '\n';
      ids.emplace_back(id_text(widget.id_name, widget.id), std::move(what));
    }
  }
  if (dialog.menu >= 0) {
    command_ids(description_.menus[dialog.menu].items, ids);
  }
  procedure_function(dialog.procedure, "dialog", "WM_INITDIALOG", ids,
                     dialog.script_name);
}

void FbProgramPrinter::entry(const Widget& widget) {
  const std::string& name = widget.name;
  if (!widget.text.empty()) {
    put("  gtk_entry_set_text(GTK_ENTRY(", name, "), ", fb_string(widget.text),
        ")\n");
  }
  if (widget.password) {
    put("  gtk_entry_set_visibility(GTK_ENTRY(", name, "), FALSE)\n");
  }
  if (!widget.editable) {
    put("  gtk_editable_set_editable(GTK_EDITABLE(", name, "), FALSE)\n");
  }
  if (widget.xalign != 0.0f) {
    put("  gtk_entry_set_alignment(GTK_ENTRY(", name, "), ",
        number(widget.xalign), ")\n");
  }
  std::string_view filter =
      widget.digits_only                        ? "dlgforge_keep_digits"
      : widget.letter_case == LetterCase::Upper ? "dlgforge_keep_upper"
      : widget.letter_case == LetterCase::Lower ? "dlgforge_keep_lower"
                                                : "";
  if (!filter.empty()) {
    put("  g_signal_connect(", name, ", \"changed\", G_CALLBACK(@",
        std::string(filter), "), NULL)\n");
  }
}

}  // namespace

std::vector<IdConstant> read_constants(std::string_view generated) {
  std::vector<IdConstant> constants;
  constexpr std::string_view kSection = "' The script's ids.\n";
  size_t start = generated.find(kSection);
  if (start == std::string_view::npos) {
    return constants;
  }
  std::string_view rest = generated.substr(start + kSection.size());
  while (!rest.empty() && rest.front() != '\n') {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    constexpr std::string_view kConst = "Const ";
    size_t equals = line.find(" = ");
    if (!line.starts_with(kConst) || equals == std::string_view::npos) {
      continue;
    }
    std::string name(line.substr(kConst.size(), equals - kConst.size()));
    std::string_view value = line.substr(equals + 3);
    value = value.substr(0, value.find(' '));
    std::int64_t number = 0;
    auto [end_of_number, error] =
        std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end_of_number != value.data() + value.size() ||
        number < INT32_MIN || number > INT32_MAX ||
        !unsafe_constant_reason(name).empty()) {
      continue;
    }
    constants.push_back({std::move(name), number});
  }
  return constants;
}

std::vector<std::string> changes_to_note(
    const Description& description,
    const std::vector<IdConstant>& earlier_constants,
    std::string_view user_text) {
  std::vector<std::string> notes;
  for (const Variants& group : description.dialog_variants) {
    const Dialog& dialog = description.dialogs[group.members.front()];
    std::string registration =
        "dlgforge_set_procedure(" + fb_string(dialog.script_name) + ",";
    if (user_text.find(registration) == std::string_view::npos) {
      notes.push_back(
          "the dialog " + fb_comment(dialog.script_name) +
          " has no procedure here; it works with the default behaviour "
          "until you add one (Function " +
          dialog.procedure + " and its line " + registration + " @" +
          dialog.procedure + "), as a conversion to a new file writes them");
    }
  }
  if (earlier_constants.empty()) {
    return notes;
  }
  std::unordered_set<std::string> known;
  for (const IdConstant& constant : earlier_constants) {
    known.insert(lower_case(constant.name));
  }
  std::string added;
  for (const IdConstant& constant : description.constants) {
    if (!known.contains(lower_case(constant.name))) {
      added += (added.empty() ? "" : ", ") + constant.name;
    }
  }
  if (!added.empty()) {
    notes.push_back(
        "new ids since the last conversion, whose commands now "
        "reach the procedures: " +
        added);
  }
  return notes;
}

ProgramFiles write_freebasic_files(const Description& description,
                                   const WriterOptions& options) {
  return FbProgramPrinter(
             description, options,
             options.gtk3 ? gtk3::program_spelling() : gtk2::program_spelling())
      .print();
}

namespace {

// Dialogs and menus from which a program is printed by several threads.
constexpr std::size_t kParallelFrom = 64;

}  // namespace

bool write_freebasic_program(const Description& description,
                             const WriterOptions& options,
                             const ProgramSink& sink) {
  WriterOptions joined = options;
  joined.include_name.clear();  // one file includes nothing
  FbProgramPrinter printer(
      description, joined,
      options.gtk3 ? gtk3::program_spelling() : gtk2::program_spelling());
  // A program of a few dialogs prints in less time than a thread takes to
  // start, and a single dialog of a huge text streams through one buffer.
  unsigned threads = options.printers != 0
                         ? options.printers
                         : std::min(4u, std::thread::hardware_concurrency());
  if (threads > 1 &&
      description.dialogs.size() + description.menus.size() >= kParallelFrom) {
    return printer.print_joined_in_parallel(sink, threads);
  }
  return printer.print_joined(sink);
}

namespace {

std::string joined_program(const Description& description,
                           const WriterOptions& options, bool gtk3) {
  WriterOptions joined = options;
  joined.gtk3 = gtk3;
  std::string program;
  write_freebasic_program(description, joined,
                          [&program](std::string_view piece) {
                            program += piece;
                            return true;
                          });
  return program;
}

}  // namespace

std::string write_freebasic(const Description& description,
                            const WriterOptions& options) {
  return joined_program(description, options, false);
}

std::string write_freebasic_gtk3(const Description& description,
                                 const WriterOptions& options) {
  return joined_program(description, options, true);
}

}  // namespace dlgforge::port
