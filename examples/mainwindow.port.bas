' The dialogs and menus of mainwindow.rc rebuilt with GTK+ 2, written by dlgforge --port.
' Compile with: fbc PROGRAM.bas

#include once "gtk/gtk.bi"
#include once "fontconfig/fontconfig.bi"
#inclib "fontconfig"
#inclib "harfbuzz"

' The font metrics GDI sizes a font with, read through Pango's
' HarfBuzz font: FreeBASIC's headers do not declare these.
Extern "C"
Declare Function dlgforge_hb_font Alias "pango_font_get_hb_font" _
    (ByVal font As PangoFont Ptr) As Any Ptr
Declare Function dlgforge_hb_metric Alias "hb_ot_metrics_get_position" _
    (ByVal font As Any Ptr, ByVal tag As ULong, _
    ByVal position As Long Ptr) As Long
Declare Sub dlgforge_hb_scale Alias "hb_font_get_scale" _
    (ByVal font As Any Ptr, ByVal x_scale As Long Ptr, _
    ByVal y_scale As Long Ptr)
End Extern
Const DLGFORGE_CLIPPING_ASCENT = &h68636C61  ' 'hcla'
Const DLGFORGE_CLIPPING_DESCENT = &h68636C64  ' 'hcld'

' Windows' ids, messages and notification codes, as a dialog's procedure
' receives them.
Const IDOK = 1
Const IDCANCEL = 2
Const IDABORT = 3
Const IDRETRY = 4
Const IDIGNORE = 5
Const IDYES = 6
Const IDNO = 7
Const IDCLOSE = 8
Const IDHELP = 9
Const IDTRYAGAIN = 10
Const IDCONTINUE = 11
Const WM_CREATE = 1
Const WM_INITDIALOG = 272
Const WM_COMMAND = 273
Const BN_CLICKED = 0
Const EN_SETFOCUS = 256
Const EN_KILLFOCUS = 512
Const EN_CHANGE = 768
Const CBN_SELCHANGE = 1
Const CBN_EDITCHANGE = 5
Const LBN_SELCHANGE = 1
Const LBN_DBLCLK = 2

' A dialog's procedure: it receives WM_INITDIALOG before the dialog is
' first shown, and WM_COMMAND with the id and notification code of each
' command; it returns nonzero for what it handled, as a Windows dialog
' procedure does.
Type DLGFORGE_PROCEDURE As Function(ByVal dialog As GtkWidget Ptr, _
    ByVal message As Long, ByVal id As Long, ByVal code As Long) As Long

' The script's ids.
Const IDM_FILE_NEW = 0
Const IDM_FILE_OPEN = 0
Const IDM_FILE_RECENT = 0
Const IDM_FILE_EXIT = 0
Const IDM_HELP_ABOUT = 0
Const IDC_TEXT = 0
Const IDC_STATUS = 0

' Each dialog's window and controls, set when the dialog is built.
Dim Shared dlg_main_window As GtkWidget Ptr
Dim Shared dlg_main_text As GtkWidget Ptr
Dim Shared dlg_main_status As GtkWidget Ptr

' GTK's default theme puts focus padding, inner borders and a default-button
' border around a button's text that a 14-unit Windows button has no room
' for; check boxes keep the Windows gap between the box and the text.
#define DLGFORGE_CONTROL_STYLE _
    "style ""dlgforge-controls"" {" & Chr(10) & _
    "  GtkWidget::focus-padding = 0" & Chr(10) & _
    "  GtkWidget::focus-line-width = 1" & Chr(10) & _
    "  GtkButton::inner-border = {0, 0, 0, 0}" & Chr(10) & _
    "  GtkButton::default-border = {0, 0, 0, 0}" & Chr(10) & _
    "  GtkButton::default-outside-border = {0, 0, 0, 0}" & Chr(10) & _
    "  GtkCheckButton::indicator-spacing = 1" & Chr(10) & _
    "}" & Chr(10) & _
    "widget ""dlgforge-dialog.*"" style ""dlgforge-controls""" & Chr(10)

' Windows' MulDiv: number * numerator / denominator, rounded to the
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

' The height GDI gives a font: its Windows ascent and descent (the OS/2
' table's clipping metrics), each rounded at the font's pixel size. Pango's
' own line height follows the typographic metrics instead, which for some
' fonts (Wine's Tahoma) is two pixels less. 0 when the font has none.
Function dlgforge_font_height(ByVal reference As GtkWidget Ptr, _
    ByVal font As PangoFontDescription Ptr) As Long
  Dim loaded As PangoFont Ptr = pango_context_load_font( _
      gtk_widget_get_pango_context(reference), font)
  If loaded = NULL Then Return 0
  Dim shaper As Any Ptr = dlgforge_hb_font(loaded)
  Dim As Long ascent, descent, scale_x, scale_y, height
  Dim pixels As Double = pango_font_description_get_size(font) / PANGO_SCALE
  If shaper <> NULL AndAlso _
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
' height of the font, measured with the fonts and resolution of the screen.
Sub dlgforge_base_units(ByVal reference As GtkWidget Ptr, _
    ByVal font As PangoFontDescription Ptr, ByRef units_x As Long, _
    ByRef units_y As Long)
  Dim layout As PangoLayout Ptr = gtk_widget_create_pango_layout(reference, _
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")
  pango_layout_set_font_description(layout, font)
  Dim As Long text_width, text_height
  pango_layout_get_pixel_size(layout, @text_width, @text_height)
  g_object_unref(layout)
  units_x = (text_width \ 26 + 1) \ 2
  units_y = dlgforge_font_height(reference, font)
  If units_y <= 0 Then units_y = text_height
End Sub

' Gives a widget and everything inside it the dialog's font.
Sub dlgforge_apply_font cdecl (ByVal widget As GtkWidget Ptr, _
    ByVal font As gpointer)
  gtk_widget_modify_font(widget, font)
  If GTK_IS_CONTAINER(widget) Then
    gtk_container_forall(GTK_CONTAINER(widget), @dlgforge_apply_font, font)
  End If
End Sub

' Puts a widget where the dialog manager would: each of x, y, cx, cy in
' dialog units turned into pixels on its own. A zero size leaves the
' widget its natural size, as an icon without a size gets its own.
Sub dlgforge_place(ByVal area As GtkWidget Ptr, ByVal widget As GtkWidget Ptr, _
    ByVal x As Long, ByVal y As Long, ByVal cx As Long, ByVal cy As Long, _
    ByVal units_x As Long, ByVal units_y As Long)
  gtk_fixed_put(GTK_FIXED(area), widget, dlgforge_muldiv(x, units_x, 4), _
      dlgforge_muldiv(y, units_y, 8))
  If cx > 0 AndAlso cy > 0 Then
    gtk_widget_set_size_request(widget, dlgforge_muldiv(cx, units_x, 4), _
        dlgforge_muldiv(cy, units_y, 8))
  End If
End Sub

' Edit fields with ES_UPPERCASE, ES_LOWERCASE or ES_NUMBER: the text is
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
Function dlgforge_filled_box(ByVal colour As Const gchar Ptr) As GtkWidget Ptr
  Dim box As GtkWidget Ptr = gtk_event_box_new()
  Dim shade As GdkColor
  gdk_color_parse(colour, @shade)
  gtk_widget_modify_bg(box, GTK_STATE_NORMAL, @shade)
  Return box
End Function

' Dialog controls as compact as the Windows ones, and text hinted fully, as
' Windows draws dialog text: with whole-pixel advances, which keeps text
' widths close to Windows'.
Sub dlgforge_style()
  gtk_rc_parse_string(DLGFORGE_CONTROL_STYLE)
  Dim hinting As cairo_font_options_t Ptr = cairo_font_options_create()
  cairo_font_options_set_hint_style(hinting, CAIRO_HINT_STYLE_FULL)
  cairo_font_options_set_hint_metrics(hinting, CAIRO_HINT_METRICS_ON)
  gdk_screen_set_font_options(gdk_screen_get_default(), hinting)
  cairo_font_options_destroy(hinting)
End Sub

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
  Dim box As GtkWidget Ptr = gtk_hbox_new(FALSE, 12)
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0)
  g_object_unref(label)
  Dim accel As GtkWidget Ptr = gtk_label_new(text)
  gtk_misc_set_alignment(GTK_MISC(accel), 1, 0.5)
  gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0)
  gtk_container_add(GTK_CONTAINER(item), box)
End Sub

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

' Windows' languages: the LANGID (LANG_* | SUBLANG_* << 10), the name
' Windows gives it and the POSIX locale name ("" where none exists).
Type dlgforge_language_entry
  id As Long
  tag As ZString * 16
  posix As ZString * 16
End Type
Dim Shared dlgforge_languages(0 To 309) As dlgforge_language_entry = { _
  (&h0001, "ar", "ar"), _
  (&h0401, "ar-SA", "ar_SA"), _
  (&h0801, "ar-IQ", "ar_IQ"), _
  (&h0c01, "ar-EG", "ar_EG"), _
  (&h1001, "ar-LY", "ar_LY"), _
  (&h1401, "ar-DZ", "ar_DZ"), _
  (&h1801, "ar-MA", "ar_MA"), _
  (&h1c01, "ar-TN", "ar_TN"), _
  (&h2001, "ar-OM", "ar_OM"), _
  (&h2401, "ar-YE", "ar_YE"), _
  (&h2801, "ar-SY", "ar_SY"), _
  (&h2c01, "ar-JO", "ar_JO"), _
  (&h3001, "ar-LB", "ar_LB"), _
  (&h3401, "ar-KW", "ar_KW"), _
  (&h3801, "ar-AE", "ar_AE"), _
  (&h3c01, "ar-BH", "ar_BH"), _
  (&h4001, "ar-QA", "ar_QA"), _
  (&h0002, "bg", "bg"), _
  (&h0402, "bg-BG", "bg_BG"), _
  (&h0003, "ca", "ca"), _
  (&h0403, "ca-ES", "ca_ES"), _
  (&h0803, "ca-ES-valencia", "ca_ES@valencia"), _
  (&h0004, "zh-Hans", "zh"), _
  (&h0404, "zh-TW", "zh_TW"), _
  (&h0804, "zh-CN", "zh_CN"), _
  (&h0c04, "zh-HK", "zh_HK"), _
  (&h1004, "zh-SG", "zh_SG"), _
  (&h1404, "zh-MO", "zh_MO"), _
  (&h0005, "cs", "cs"), _
  (&h0405, "cs-CZ", "cs_CZ"), _
  (&h0006, "da", "da"), _
  (&h0406, "da-DK", "da_DK"), _
  (&h0007, "de", "de"), _
  (&h0407, "de-DE", "de_DE"), _
  (&h0807, "de-CH", "de_CH"), _
  (&h0c07, "de-AT", "de_AT"), _
  (&h1007, "de-LU", "de_LU"), _
  (&h1407, "de-LI", "de_LI"), _
  (&h0008, "el", "el"), _
  (&h0408, "el-GR", "el_GR"), _
  (&h0009, "en", "en"), _
  (&h0409, "en-US", "en_US"), _
  (&h0809, "en-GB", "en_GB"), _
  (&h0c09, "en-AU", "en_AU"), _
  (&h1009, "en-CA", "en_CA"), _
  (&h1409, "en-NZ", "en_NZ"), _
  (&h1809, "en-IE", "en_IE"), _
  (&h1c09, "en-ZA", "en_ZA"), _
  (&h2009, "en-JM", "en_JM"), _
  (&h2409, "en-029", ""), _
  (&h2809, "en-BZ", "en_BZ"), _
  (&h2c09, "en-TT", "en_TT"), _
  (&h3009, "en-ZW", "en_ZW"), _
  (&h3409, "en-PH", "en_PH"), _
  (&h4009, "en-IN", "en_IN"), _
  (&h4409, "en-MY", "en_MY"), _
  (&h4809, "en-SG", "en_SG"), _
  (&h000a, "es", "es"), _
  (&h040a, "es-ES_tradnl", ""), _
  (&h080a, "es-MX", "es_MX"), _
  (&h0c0a, "es-ES", "es_ES"), _
  (&h100a, "es-GT", "es_GT"), _
  (&h140a, "es-CR", "es_CR"), _
  (&h180a, "es-PA", "es_PA"), _
  (&h1c0a, "es-DO", "es_DO"), _
  (&h200a, "es-VE", "es_VE"), _
  (&h240a, "es-CO", "es_CO"), _
  (&h280a, "es-PE", "es_PE"), _
  (&h2c0a, "es-AR", "es_AR"), _
  (&h300a, "es-EC", "es_EC"), _
  (&h340a, "es-CL", "es_CL"), _
  (&h380a, "es-UY", "es_UY"), _
  (&h3c0a, "es-PY", "es_PY"), _
  (&h400a, "es-BO", "es_BO"), _
  (&h440a, "es-SV", "es_SV"), _
  (&h480a, "es-HN", "es_HN"), _
  (&h4c0a, "es-NI", "es_NI"), _
  (&h500a, "es-PR", "es_PR"), _
  (&h540a, "es-US", "es_US"), _
  (&h580a, "es-419", ""), _
  (&h000b, "fi", "fi"), _
  (&h040b, "fi-FI", "fi_FI"), _
  (&h000c, "fr", "fr"), _
  (&h040c, "fr-FR", "fr_FR"), _
  (&h080c, "fr-BE", "fr_BE"), _
  (&h0c0c, "fr-CA", "fr_CA"), _
  (&h100c, "fr-CH", "fr_CH"), _
  (&h140c, "fr-LU", "fr_LU"), _
  (&h180c, "fr-MC", "fr_MC"), _
  (&h000d, "he", "he"), _
  (&h040d, "he-IL", "he_IL"), _
  (&h000e, "hu", "hu"), _
  (&h040e, "hu-HU", "hu_HU"), _
  (&h000f, "is", "is"), _
  (&h040f, "is-IS", "is_IS"), _
  (&h0010, "it", "it"), _
  (&h0410, "it-IT", "it_IT"), _
  (&h0810, "it-CH", "it_CH"), _
  (&h0011, "ja", "ja"), _
  (&h0411, "ja-JP", "ja_JP"), _
  (&h0012, "ko", "ko"), _
  (&h0412, "ko-KR", "ko_KR"), _
  (&h0013, "nl", "nl"), _
  (&h0413, "nl-NL", "nl_NL"), _
  (&h0813, "nl-BE", "nl_BE"), _
  (&h0014, "no", "no"), _
  (&h0414, "nb-NO", "nb_NO"), _
  (&h0814, "nn-NO", "nn_NO"), _
  (&h7814, "nn", "nn"), _
  (&h7c14, "nb", "nb"), _
  (&h0015, "pl", "pl"), _
  (&h0415, "pl-PL", "pl_PL"), _
  (&h0016, "pt", "pt"), _
  (&h0416, "pt-BR", "pt_BR"), _
  (&h0816, "pt-PT", "pt_PT"), _
  (&h0017, "rm", "rm"), _
  (&h0417, "rm-CH", "rm_CH"), _
  (&h0018, "ro", "ro"), _
  (&h0418, "ro-RO", "ro_RO"), _
  (&h0818, "ro-MD", "ro_MD"), _
  (&h0019, "ru", "ru"), _
  (&h0419, "ru-RU", "ru_RU"), _
  (&h0819, "ru-MD", "ru_MD"), _
  (&h001a, "hr", "hr"), _
  (&h041a, "hr-HR", "hr_HR"), _
  (&h081a, "sr-Latn-CS", "sr_CS@latin"), _
  (&h0c1a, "sr-Cyrl-CS", "sr_CS"), _
  (&h101a, "hr-BA", "hr_BA"), _
  (&h141a, "bs-Latn-BA", "bs_BA"), _
  (&h181a, "sr-Latn-BA", "sr_BA@latin"), _
  (&h1c1a, "sr-Cyrl-BA", "sr_BA"), _
  (&h201a, "bs-Cyrl-BA", "bs_BA@cyrillic"), _
  (&h241a, "sr-Latn-RS", "sr_RS@latin"), _
  (&h281a, "sr-Cyrl-RS", "sr_RS"), _
  (&h2c1a, "sr-Latn-ME", "sr_ME"), _
  (&h301a, "sr-Cyrl-ME", "sr_ME@cyrillic"), _
  (&h6c1a, "sr-Cyrl", "sr@cyrillic"), _
  (&h701a, "sr-Latn", "sr@latin"), _
  (&h781a, "bs", "bs"), _
  (&h7c1a, "sr", "sr"), _
  (&h001b, "sk", "sk"), _
  (&h041b, "sk-SK", "sk_SK"), _
  (&h001c, "sq", "sq"), _
  (&h041c, "sq-AL", "sq_AL"), _
  (&h001d, "sv", "sv"), _
  (&h041d, "sv-SE", "sv_SE"), _
  (&h081d, "sv-FI", "sv_FI"), _
  (&h001e, "th", "th"), _
  (&h041e, "th-TH", "th_TH"), _
  (&h001f, "tr", "tr"), _
  (&h041f, "tr-TR", "tr_TR"), _
  (&h0020, "ur", "ur"), _
  (&h0420, "ur-PK", "ur_PK"), _
  (&h0820, "ur-IN", "ur_IN"), _
  (&h0021, "id", "id"), _
  (&h0421, "id-ID", "id_ID"), _
  (&h0022, "uk", "uk"), _
  (&h0422, "uk-UA", "uk_UA"), _
  (&h0023, "be", "be"), _
  (&h0423, "be-BY", "be_BY"), _
  (&h0024, "sl", "sl"), _
  (&h0424, "sl-SI", "sl_SI"), _
  (&h0025, "et", "et"), _
  (&h0425, "et-EE", "et_EE"), _
  (&h0026, "lv", "lv"), _
  (&h0426, "lv-LV", "lv_LV"), _
  (&h0027, "lt", "lt"), _
  (&h0427, "lt-LT", "lt_LT"), _
  (&h0028, "tg", "tg"), _
  (&h0428, "tg-Cyrl-TJ", "tg_TJ"), _
  (&h0029, "fa", "fa"), _
  (&h0429, "fa-IR", "fa_IR"), _
  (&h002a, "vi", "vi"), _
  (&h042a, "vi-VN", "vi_VN"), _
  (&h002b, "hy", "hy"), _
  (&h042b, "hy-AM", "hy_AM"), _
  (&h002c, "az", "az"), _
  (&h042c, "az-Latn-AZ", "az_AZ"), _
  (&h082c, "az-Cyrl-AZ", "az_AZ@cyrillic"), _
  (&h002d, "eu", "eu"), _
  (&h042d, "eu-ES", "eu_ES"), _
  (&h002e, "hsb", "hsb"), _
  (&h042e, "hsb-DE", "hsb_DE"), _
  (&h082e, "dsb-DE", "dsb_DE"), _
  (&h002f, "mk", "mk"), _
  (&h042f, "mk-MK", "mk_MK"), _
  (&h0032, "tn", "tn"), _
  (&h0432, "tn-ZA", "tn_ZA"), _
  (&h0034, "xh", "xh"), _
  (&h0434, "xh-ZA", "xh_ZA"), _
  (&h0035, "zu", "zu"), _
  (&h0435, "zu-ZA", "zu_ZA"), _
  (&h0036, "af", "af"), _
  (&h0436, "af-ZA", "af_ZA"), _
  (&h0037, "ka", "ka"), _
  (&h0437, "ka-GE", "ka_GE"), _
  (&h0038, "fo", "fo"), _
  (&h0438, "fo-FO", "fo_FO"), _
  (&h0039, "hi", "hi"), _
  (&h0439, "hi-IN", "hi_IN"), _
  (&h003a, "mt", "mt"), _
  (&h043a, "mt-MT", "mt_MT"), _
  (&h003b, "se", "se"), _
  (&h043b, "se-NO", "se_NO"), _
  (&h083b, "se-SE", "se_SE"), _
  (&h0c3b, "se-FI", "se_FI"), _
  (&h003c, "ga", "ga"), _
  (&h083c, "ga-IE", "ga_IE"), _
  (&h003e, "ms", "ms"), _
  (&h043e, "ms-MY", "ms_MY"), _
  (&h083e, "ms-BN", "ms_BN"), _
  (&h003f, "kk", "kk"), _
  (&h043f, "kk-KZ", "kk_KZ"), _
  (&h0040, "ky", "ky"), _
  (&h0440, "ky-KG", "ky_KG"), _
  (&h0041, "sw", "sw"), _
  (&h0441, "sw-KE", "sw_KE"), _
  (&h0042, "tk", "tk"), _
  (&h0442, "tk-TM", "tk_TM"), _
  (&h0043, "uz", "uz"), _
  (&h0443, "uz-Latn-UZ", "uz_UZ"), _
  (&h0843, "uz-Cyrl-UZ", "uz_UZ@cyrillic"), _
  (&h0044, "tt", "tt"), _
  (&h0444, "tt-RU", "tt_RU"), _
  (&h0045, "bn", "bn"), _
  (&h0445, "bn-IN", "bn_IN"), _
  (&h0845, "bn-BD", "bn_BD"), _
  (&h0046, "pa", "pa"), _
  (&h0446, "pa-IN", "pa_IN"), _
  (&h0047, "gu", "gu"), _
  (&h0447, "gu-IN", "gu_IN"), _
  (&h0048, "or", "or"), _
  (&h0448, "or-IN", "or_IN"), _
  (&h0049, "ta", "ta"), _
  (&h0449, "ta-IN", "ta_IN"), _
  (&h004a, "te", "te"), _
  (&h044a, "te-IN", "te_IN"), _
  (&h004b, "kn", "kn"), _
  (&h044b, "kn-IN", "kn_IN"), _
  (&h004c, "ml", "ml"), _
  (&h044c, "ml-IN", "ml_IN"), _
  (&h004d, "as", "as"), _
  (&h044d, "as-IN", "as_IN"), _
  (&h004e, "mr", "mr"), _
  (&h044e, "mr-IN", "mr_IN"), _
  (&h004f, "sa", "sa"), _
  (&h044f, "sa-IN", "sa_IN"), _
  (&h0050, "mn", "mn"), _
  (&h0450, "mn-MN", "mn_MN"), _
  (&h0051, "bo", "bo"), _
  (&h0451, "bo-CN", "bo_CN"), _
  (&h0052, "cy", "cy"), _
  (&h0452, "cy-GB", "cy_GB"), _
  (&h0053, "km", "km"), _
  (&h0453, "km-KH", "km_KH"), _
  (&h0054, "lo", "lo"), _
  (&h0454, "lo-LA", "lo_LA"), _
  (&h0056, "gl", "gl"), _
  (&h0456, "gl-ES", "gl_ES"), _
  (&h0057, "kok", "kok"), _
  (&h0457, "kok-IN", "kok_IN"), _
  (&h005a, "syr", "syr"), _
  (&h045a, "syr-SY", "syr_SY"), _
  (&h005b, "si", "si"), _
  (&h045b, "si-LK", "si_LK"), _
  (&h005e, "am", "am"), _
  (&h045e, "am-ET", "am_ET"), _
  (&h0061, "ne", "ne"), _
  (&h0461, "ne-NP", "ne_NP"), _
  (&h0062, "fy", "fy"), _
  (&h0462, "fy-NL", "fy_NL"), _
  (&h0063, "ps", "ps"), _
  (&h0463, "ps-AF", "ps_AF"), _
  (&h0064, "fil", "fil"), _
  (&h0464, "fil-PH", "fil_PH"), _
  (&h0065, "dv", "dv"), _
  (&h0465, "dv-MV", "dv_MV"), _
  (&h0068, "ha", "ha"), _
  (&h0468, "ha-Latn-NG", "ha_NG"), _
  (&h006a, "yo", "yo"), _
  (&h046a, "yo-NG", "yo_NG"), _
  (&h006c, "nso", "nso"), _
  (&h046c, "nso-ZA", "nso_ZA"), _
  (&h006d, "ba", "ba"), _
  (&h046d, "ba-RU", "ba_RU"), _
  (&h006e, "lb", "lb"), _
  (&h046e, "lb-LU", "lb_LU"), _
  (&h006f, "kl", "kl"), _
  (&h046f, "kl-GL", "kl_GL"), _
  (&h0070, "ig", "ig"), _
  (&h0470, "ig-NG", "ig_NG"), _
  (&h007e, "br", "br"), _
  (&h047e, "br-FR", "br_FR"), _
  (&h007f, "iv", ""), _
  (&h0080, "ug", "ug"), _
  (&h0480, "ug-CN", "ug_CN"), _
  (&h0081, "mi", "mi"), _
  (&h0481, "mi-NZ", "mi_NZ"), _
  (&h0082, "oc", "oc"), _
  (&h0482, "oc-FR", "oc_FR"), _
  (&h0083, "co", "co"), _
  (&h0483, "co-FR", "co_FR"), _
  (&h0085, "sah", "sah"), _
  (&h0485, "sah-RU", "sah_RU"), _
  (&h0087, "rw", "rw"), _
  (&h0487, "rw-RW", "rw_RW"), _
  (&h0088, "wo", "wo"), _
  (&h0488, "wo-SN", "wo_SN"), _
  (&h0091, "gd", "gd"), _
  (&h0491, "gd-GB", "gd_GB") }

' A name as the lookups compare it: lower case, "_" for "-", without a
' locale's code set (".UTF-8") but with its modifier ("@latin").
Function dlgforge_language_normal(ByVal text As String) As String
  Dim dot As Long = InStr(text, ".")
  If dot > 0 Then
    Dim modifier_at As Long = InStr(dot, text, "@")
    If modifier_at > 0 Then
      text = Left(text, dot - 1) & Mid(text, modifier_at)
    Else
      text = Left(text, dot - 1)
    End If
  End If
  For i As Long = 0 To Len(text) - 1
    If text[i] >= Asc("A") AndAlso text[i] <= Asc("Z") Then
      text[i] += 32
    ElseIf text[i] = Asc("-") Then
      text[i] = Asc("_")
    End If
  Next
  Return text
End Function

' The id of a name compared as above, Windows' or POSIX; -1 when none.
Function dlgforge_language_find(ByVal wanted As String) As Long
  For i As Long = 0 To UBound(dlgforge_languages)
    If dlgforge_language_normal(dlgforge_languages(i).tag) = wanted Then
      Return dlgforge_languages(i).id
    End If
    If Len(dlgforge_languages(i).posix) > 0 AndAlso _
        dlgforge_language_normal(dlgforge_languages(i).posix) = wanted Then
      Return dlgforge_languages(i).id
    End If
  Next
  Return -1
End Function

' The table's index of an id, -1 when it has none.
Function dlgforge_language_index(ByVal id As Long) As Long
  For i As Long = 0 To UBound(dlgforge_languages)
    If dlgforge_languages(i).id = id Then Return i
  Next
  Return -1
End Function

' "de-DE" for &h0407, "" for no language (0), "0x0c3f" for an id the table
' does not know.
Function dlgforge_language_name(ByVal id As Long) As String
  If id = 0 Then Return ""
  Dim found As Long = dlgforge_language_index(id)
  If found >= 0 Then Return dlgforge_languages(found).tag
  Return "0x" & LCase(Hex(id, 4))
End Function

' "0x0407" or "1031" as an id, -1 when the text is no such number.
Function dlgforge_language_number(ByVal text As String) As Long
  Dim radix As Long = 10
  Dim start As Long = 0
  If Len(text) > 2 AndAlso text[0] = Asc("0") AndAlso _
      (text[1] = Asc("x") OrElse text[1] = Asc("X")) Then
    radix = 16
    start = 2
  End If
  If start >= Len(text) Then Return -1
  Dim value As Long = 0
  For i As Long = start To Len(text) - 1
    Dim digit As Long = InStr("0123456789abcdef", LCase(Chr(text[i]))) - 1
    If digit < 0 OrElse digit >= radix Then Return -1
    value = value * radix + digit
    If value > &hFFFF Then Return -1
  Next
  Return value
End Function

' The id of a name as a user writes it ("de-DE", "de_DE", "de",
' "sr_RS@latin", "0x0407", "1031"); -1 when it is none of these.
Function dlgforge_language_of_name(ByVal text As String) As Long
  Dim id As Long = dlgforge_language_number(text)
  If id >= 0 Then Return id
  Return dlgforge_language_find(dlgforge_language_normal(text))
End Function

' The id of a locale name, leniently: the whole name, else without its
' modifier, else the language with its modifier ("sr@latin"), else the
' language alone; 0 when none.
Function dlgforge_language_of_locale(ByVal locale As String) As Long
  Dim whole As String = dlgforge_language_normal(locale)
  Dim language As String = whole
  For i As Long = 0 To Len(whole) - 1
    If whole[i] = Asc("_") OrElse whole[i] = Asc("@") Then
      language = Left(whole, i)
      Exit For
    End If
  Next
  Dim plain As String = whole
  Dim modified As String = language
  Dim modifier_at As Long = InStr(whole, "@")
  If modifier_at > 0 Then
    plain = Left(whole, modifier_at - 1)
    modified = language & Mid(whole, modifier_at)
  End If
  Dim id As Long = dlgforge_language_find(whole)
  If id < 0 Then id = dlgforge_language_find(plain)
  If id < 0 Then id = dlgforge_language_find(modified)
  If id < 0 Then id = dlgforge_language_find(language)
  If id < 0 Then id = 0
  Return id
End Function

' The user's language as GNU gettext finds it: none (0) when the locale
' (LC_ALL, LC_MESSAGES, LANG: the first set) is unset, C or POSIX; else the
' first entry of LANGUAGE's list the table knows, else the locale's.
Function dlgforge_user_language() As Long
  Dim locale As String = Environ("LC_ALL")
  If Len(locale) = 0 Then locale = Environ("LC_MESSAGES")
  If Len(locale) = 0 Then locale = Environ("LANG")
  Dim plain As String = dlgforge_language_normal(locale)
  If plain = "" OrElse plain = "c" OrElse plain = "posix" Then Return 0
  Dim list As String = Environ("LANGUAGE")
  Dim start As Long = 1
  While start <= Len(list)
    Dim colon As Long = InStr(start, list, ":")
    If colon = 0 Then colon = Len(list) + 1
    Dim id As Long = dlgforge_language_of_locale(Mid(list, start, colon - start))
    If id <> 0 Then Return id
    start = colon + 1
  Wend
  Return dlgforge_language_of_locale(locale)
End Function

' The language of a name ("sr" of "sr-Latn-RS") and, with with_script, its
' writing system too ("sr-Latn"): the second part when it has four letters.
Function dlgforge_language_part(ByVal tag As String, _
    ByVal with_script As Long) As String
  Dim dash As Long = InStr(tag, "-")
  If dash = 0 Then Return tag
  If with_script Then
    Dim after As Long = InStr(dash + 1, tag, "-")
    If after = 0 Then after = Len(tag) + 1
    If after - dash - 1 = 4 Then Return Left(tag, dash + 4)
  End If
  Return Left(tag, dash - 1)
End Function

' Whether a variant's id answers the choice's rule number `rule` for the
' wanted language (see dlgforge_choose_language).
Function dlgforge_language_fits(ByVal id As Long, ByVal wanted As Long, _
    ByVal rule As Long) As Long
  Dim have As Long = dlgforge_language_index(id)
  Dim want As Long = dlgforge_language_index(wanted)
  Select Case rule
  Case 0
    Return id = wanted
  Case 1, 2
    If have < 0 OrElse want < 0 Then Return 0
    Return dlgforge_language_part(dlgforge_languages(have).tag, rule = 1) = _
        dlgforge_language_part(dlgforge_languages(want).tag, rule = 1)
  Case 3
    Return (id And &h3FF) = (wanted And &h3FF)
  Case 4
    Return (id And &h3FF) = 0
  Case Else
    Return id = &h0409
  End Select
End Function

' The variant Windows shows a user of `wanted`, as an index of `variants`:
' the same language and country; else the same language (the first such),
' by writing system, name, then LANG_* id; else a neutral one; else English
' (United States); else the first.
Function dlgforge_choose_language(variants() As Long, _
    ByVal wanted As Long) As Long
  For rule As Long = 0 To 5
    For i As Long = LBound(variants) To UBound(variants)
      If dlgforge_language_fits(variants(i), wanted, rule) Then Return i
    Next
  Next
  Return LBound(variants)
End Function

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

' Menu IDR_MAINMENU.
Function menu_mainmenu_create(ByVal accels As GtkAccelGroup Ptr, _
    ByVal owner As GtkWidget Ptr) As GtkWidget Ptr
  Dim item As GtkWidget Ptr
  Dim radio_first As GtkWidget Ptr
  Dim shell_0 As GtkWidget Ptr = gtk_menu_bar_new()
  Dim shell_1 As GtkWidget Ptr
  Dim shell_2 As GtkWidget Ptr
  item = gtk_menu_item_new_with_mnemonic("_File")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_0), item)
  shell_1 = gtk_menu_new()
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), shell_1)
  item = gtk_menu_item_new_with_mnemonic("_New")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  gtk_widget_add_accelerator(item, "activate", accels, gdk_keyval_from_name("n"), GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE)
  dlgforge_menu_command(item, IDM_FILE_NEW, owner)
  item = gtk_menu_item_new_with_mnemonic("_Open...")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  gtk_widget_add_accelerator(item, "activate", accels, gdk_keyval_from_name("o"), GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE)
  dlgforge_menu_command(item, IDM_FILE_OPEN, owner)
  item = gtk_menu_item_new_with_mnemonic("Open _Recent")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  shell_2 = gtk_menu_new()
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), shell_2)
  item = gtk_menu_item_new_with_mnemonic("(empty)")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_2), item)
  gtk_widget_set_sensitive(item, FALSE)
  dlgforge_menu_command(item, IDM_FILE_RECENT, owner)
  item = gtk_separator_menu_item_new()
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  item = gtk_menu_item_new_with_mnemonic("E_xit")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  dlgforge_menu_command(item, IDM_FILE_EXIT, owner)
  item = gtk_menu_item_new_with_mnemonic("_Help")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_0), item)
  shell_1 = gtk_menu_new()
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), shell_1)
  item = gtk_menu_item_new_with_mnemonic("_About Notes...")
  gtk_menu_shell_append(GTK_MENU_SHELL(shell_1), item)
  dlgforge_menu_command(item, IDM_HELP_ABOUT, owner)
  Return shell_0
End Function

' Dialog IDD_MAIN.
Function dlg_main_create() As GtkWidget Ptr
  Dim dialog_window As GtkWidget Ptr = gtk_window_new(GTK_WINDOW_TOPLEVEL)
  dlg_main_window = dialog_window
  gtk_widget_set_name(dialog_window, "dlgforge-dialog")
  gtk_window_set_title(GTK_WINDOW(dialog_window), "Notes")
  gtk_window_set_resizable(GTK_WINDOW(dialog_window), TRUE)
  Dim dialog_font As PangoFontDescription Ptr = pango_font_description_new()
  pango_font_description_set_family(dialog_font, "Tahoma,Liberation Sans,DejaVu Sans")
  pango_font_description_set_absolute_size(dialog_font, dlgforge_font_pixels(8) * PANGO_SCALE)
  pango_font_description_set_weight(dialog_font, 400)
  Dim As Long units_x, units_y
  dlgforge_base_units(dialog_window, dialog_font, units_x, units_y)
  Dim fixed_area As GtkWidget Ptr = gtk_fixed_new()
  gtk_widget_set_size_request(fixed_area, dlgforge_muldiv(320, units_x, 4), dlgforge_muldiv(200, units_y, 8))
  Dim accels As GtkAccelGroup Ptr = gtk_accel_group_new()
  gtk_window_add_accel_group(GTK_WINDOW(dialog_window), accels)
  Dim content_box As GtkWidget Ptr = gtk_vbox_new(FALSE, 0)
  gtk_box_pack_start(GTK_BOX(content_box), menu_mainmenu_create(accels, dialog_window), FALSE, FALSE, 0)
  gtk_box_pack_start(GTK_BOX(content_box), fixed_area, TRUE, TRUE, 0)
  gtk_container_add(GTK_CONTAINER(dialog_window), content_box)

  ' EDITTEXT IDC_TEXT, line 29
  dlg_main_text = gtk_text_view_new()
  dlgforge_scrolled(dlg_main_text)
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(dlg_main_text), GTK_WRAP_WORD)
  gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(dlg_main_text), FALSE)
  dlgforge_place(fixed_area, gtk_widget_get_parent(dlg_main_text), 0, 0, 320, 186, units_x, units_y)
  dlgforge_control(dialog_window, dlg_main_text, IDC_TEXT, 0, TRUE)
  g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(dlg_main_text)), "changed", G_CALLBACK(@dlgforge_on_edit_change), dlg_main_text)
  g_signal_connect(dlg_main_text, "focus-in-event", G_CALLBACK(@dlgforge_on_edit_focus), dlg_main_text)
  g_signal_connect(dlg_main_text, "focus-out-event", G_CALLBACK(@dlgforge_on_edit_blur), dlg_main_text)

  ' LTEXT IDC_STATUS, line 30
  dlg_main_status = gtk_label_new_with_mnemonic("Ready")
  gtk_misc_set_alignment(GTK_MISC(dlg_main_status), 0, 0)
  gtk_label_set_line_wrap(GTK_LABEL(dlg_main_status), TRUE)
  dlgforge_place(fixed_area, dlg_main_status, 2, 189, 200, 9, units_x, units_y)
  dlgforge_control(dialog_window, dlg_main_status, IDC_STATUS, 1, FALSE)

  g_signal_connect(fixed_area, "focus", G_CALLBACK(@dlgforge_on_focus), dialog_window)
  dlgforge_apply_font(fixed_area, dialog_font)
  pango_font_description_free(dialog_font)
  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dialog_window)))
  dlgforge_dialog_behaviour(dialog_window, "IDD_MAIN")
  Return dialog_window
End Function

' Builds the dialog the script names NAME (IDD_ABOUT, 101); Null when
' there is none.
Function dlgforge_dialog_named(ByVal dialog_name As String) As GtkWidget Ptr
  Select Case UCase(dialog_name)
  Case "IDD_MAIN"
    Return dlg_main_create()
  End Select
  Return NULL
End Function

' Builds the dialog the script names NAME and runs it until it ends, as
' DialogBox; returns the id it ended with (-1 when there is no such dialog).
Function dlgforge_dialog_box Overload (ByVal dialog_name As String) As Long
  Return dlgforge_run_modal(dlgforge_dialog_named(dialog_name))
End Function

' The same for a dialog named by a number (IDD_ABOUT as a constant).
Function dlgforge_dialog_box(ByVal dialog_id As Long) As Long
  Return dlgforge_run_modal(dlgforge_dialog_named(Str(dialog_id)))
End Function

' Builds the dialog the script names NAME and shows it without waiting, as
' CreateDialog; Null when there is no such dialog.
Function dlgforge_create_dialog Overload (ByVal dialog_name As String) As GtkWidget Ptr
  Return dlgforge_run_modeless(dlgforge_dialog_named(dialog_name))
End Function

Function dlgforge_create_dialog(ByVal dialog_id As Long) As GtkWidget Ptr
  Return dlgforge_run_modeless(dlgforge_dialog_named(Str(dialog_id)))
End Function

Sub dlgforge_frame_default(ByVal frame As GtkWidget Ptr, ByVal id As Long)
  Select Case id
  Case 57665  ' ID_APP_EXIT
    gtk_widget_destroy(frame)
  End Select
End Sub

' The name of an id (IDOK, IDC_NAME), else its number.
Function dlgforge_id_name(ByVal id As Long) As String
  Select Case id
  Case 1: Return "IDOK"
  Case 2: Return "IDCANCEL"
  Case 3: Return "IDABORT"
  Case 4: Return "IDRETRY"
  Case 5: Return "IDIGNORE"
  Case 6: Return "IDYES"
  Case 7: Return "IDNO"
  Case 8: Return "IDCLOSE"
  Case 9: Return "IDHELP"
  Case 10: Return "IDTRYAGAIN"
  Case 11: Return "IDCONTINUE"
  Case 0: Return "IDM_FILE_NEW"
  End Select
  Return Str(id)
End Function

' The string of an id in the script's string table, as LoadString; "" when
' there is none.
Function dlgforge_load_string(ByVal id As Long) As String
  Return ""
End Function

' The toolkit, with Wine's Tahoma made visible when fonts-wine is installed.
Sub dlgforge_start()
  dlgforge_add_fonts("/usr/share/wine/fonts")
  dlgforge_choose_program_language()
  gtk_init(NULL, NULL)
  dlgforge_style()
End Sub

' The dialogs the command line names, shown modeless side by side until
' the first ends; False when it names none.
Function dlgforge_show_named_dialogs() As Long
  Dim first_dialog As GtkWidget Ptr
  Dim argument As Long = dlgforge_first_argument
  While Len(Command(argument)) > 0
    Dim named As GtkWidget Ptr = dlgforge_dialog_named(Command(argument))
    If named = NULL Then
      Print "no dialog named "; Command(argument)
      End 2
    End If
    dlgforge_run_modeless(named)
    If first_dialog = NULL Then first_dialog = named
    argument += 1
  Wend
  If first_dialog = NULL Then Return FALSE
  g_signal_connect(first_dialog, "destroy", G_CALLBACK(@gtk_main_quit), NULL)
  gtk_main()
  Return TRUE
End Function

' ---- Your code

' The code of mainwindow.rc's dialogs, converted by dlgforge --port: yours to
' keep and change. A conversion writes this file only when it does not
' exist yet; what it generates is in the file included here.

' The dialog IDD_MAIN: its initialisation and its commands. Return nonzero for
' what you handle; where you do not, IDOK, IDCANCEL and their kind end the
' dialog.
Function dlg_main_procedure(ByVal dialog As GtkWidget Ptr, ByVal message As Long, _
    ByVal id As Long, ByVal code As Long) As Long
  Select Case message
  Case WM_INITDIALOG
  Case WM_COMMAND
    Select Case id
    Case IDC_TEXT  ' EDITTEXT IDC_TEXT, line 29
    Case IDM_FILE_NEW  ' the menu item _New
    Case IDM_FILE_OPEN  ' the menu item _Open...
    Case IDM_FILE_RECENT  ' the menu item (empty)
    Case IDM_FILE_EXIT  ' the menu item E_xit
    Case IDM_HELP_ABOUT  ' the menu item _About Notes...
    End Select
  End Select
  Return 0
End Function
dlgforge_set_procedure("IDD_MAIN", @dlg_main_procedure)

' ---- The program

dlgforge_start()
' With dialog names on its command line, the program shows those; else it
' runs the first dialog and prints the id it ended with.
If dlgforge_show_named_dialogs() = FALSE Then
  Print dlgforge_id_name(dlgforge_dialog_box("IDD_MAIN"))
End If
End 0
