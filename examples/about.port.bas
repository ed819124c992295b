' The dialogs and menus of about.rc rebuilt with GTK+ 2, written by dlgforge --port.
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

' Handlers, at the end of the program.
Declare Sub dlg_aboutbox_ok_clicked cdecl (ByVal widget As GtkWidget Ptr, ByVal user_data As gpointer)

' Each dialog's window and controls, set when the dialog is built.
Dim Shared dlg_aboutbox_window As GtkWidget Ptr
Dim Shared dlg_aboutbox_image As GtkWidget Ptr
Dim Shared dlg_aboutbox_version As GtkWidget Ptr
Dim Shared dlg_aboutbox_label As GtkWidget Ptr
Dim Shared dlg_aboutbox_ok As GtkWidget Ptr

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
' Dialog IDD_ABOUTBOX.
Function dlg_aboutbox_create() As GtkWidget Ptr
  Dim dialog_window As GtkWidget Ptr = gtk_window_new(GTK_WINDOW_TOPLEVEL)
  dlg_aboutbox_window = dialog_window
  gtk_widget_set_name(dialog_window, "dlgforge-dialog")
  gtk_window_set_title(GTK_WINDOW(dialog_window), "About Notes")
  gtk_window_set_resizable(GTK_WINDOW(dialog_window), FALSE)
  Dim dialog_font As PangoFontDescription Ptr = pango_font_description_new()
  pango_font_description_set_family(dialog_font, "Tahoma,Liberation Sans,DejaVu Sans")
  pango_font_description_set_absolute_size(dialog_font, dlgforge_font_pixels(8) * PANGO_SCALE)
  pango_font_description_set_weight(dialog_font, 400)
  Dim As Long units_x, units_y
  dlgforge_base_units(dialog_window, dialog_font, units_x, units_y)
  Dim fixed_area As GtkWidget Ptr = gtk_fixed_new()
  gtk_widget_set_size_request(fixed_area, dlgforge_muldiv(170, units_x, 4), dlgforge_muldiv(62, units_y, 8))
  gtk_container_add(GTK_CONTAINER(dialog_window), fixed_area)

  ' ICON IDC_STATIC, line 10
  dlg_aboutbox_image = gtk_image_new_from_stock(GTK_STOCK_DIALOG_INFO, GTK_ICON_SIZE_DND)
  dlgforge_place(fixed_area, dlg_aboutbox_image, 14, 14, 21, 0, units_x, units_y)
  gtk_widget_set_size_request(dlg_aboutbox_image, 32, 32)

  ' LTEXT IDC_VERSION, line 11
  dlg_aboutbox_version = gtk_label_new("Notes Version 1.0")
  gtk_misc_set_alignment(GTK_MISC(dlg_aboutbox_version), 0, 0)
  gtk_label_set_line_wrap(GTK_LABEL(dlg_aboutbox_version), TRUE)
  dlgforge_place(fixed_area, dlg_aboutbox_version, 42, 14, 114, 8, units_x, units_y)

  ' LTEXT IDC_STATIC, line 12
  dlg_aboutbox_label = gtk_label_new_with_mnemonic("A small text editor")
  gtk_misc_set_alignment(GTK_MISC(dlg_aboutbox_label), 0, 0)
  gtk_label_set_line_wrap(GTK_LABEL(dlg_aboutbox_label), TRUE)
  dlgforge_place(fixed_area, dlg_aboutbox_label, 42, 26, 114, 8, units_x, units_y)

  ' DEFPUSHBUTTON IDOK, line 13
  dlg_aboutbox_ok = gtk_button_new_with_mnemonic("OK")
  dlgforge_place(fixed_area, dlg_aboutbox_ok, 113, 41, 50, 14, units_x, units_y)
  g_signal_connect(dlg_aboutbox_ok, "clicked", G_CALLBACK(@dlg_aboutbox_ok_clicked), NULL)

  Dim focus_chain As GList Ptr = NULL
  focus_chain = g_list_append(focus_chain, dlg_aboutbox_ok)
  gtk_container_set_focus_chain(GTK_CONTAINER(fixed_area), focus_chain)
  g_list_free(focus_chain)
  dlgforge_apply_font(fixed_area, dialog_font)
  pango_font_description_free(dialog_font)
  gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(dialog_window)))
  gtk_widget_set_can_default(dlg_aboutbox_ok, TRUE)
  gtk_window_set_default(GTK_WINDOW(dialog_window), dlg_aboutbox_ok)
  Return dialog_window
End Function

' Builds the dialog the script names NAME (IDD_ABOUT, 101); Null when
' there is none.
Function dlgforge_dialog_named(ByVal dialog_name As String) As GtkWidget Ptr
  Select Case UCase(dialog_name)
  Case "IDD_ABOUTBOX"
    Return dlg_aboutbox_create()
  End Select
  Return NULL
End Function

' The program: Wine's Tahoma made visible when fonts-wine is installed,
' the toolkit, the first dialog (or those the command line names), the
' main loop until the first window closes.
dlgforge_add_fonts("/usr/share/wine/fonts")
gtk_init(NULL, NULL)
dlgforge_style()
Dim dlgforge_main As GtkWidget Ptr
For dlgforge_arg As Long = 1 To __FB_ARGC__ - 1
  Dim dlgforge_window As GtkWidget Ptr = dlgforge_dialog_named(Command(dlgforge_arg))
  If dlgforge_window = NULL Then
    Print "no dialog named "; Command(dlgforge_arg)
    End 2
  End If
  If dlgforge_main = NULL Then dlgforge_main = dlgforge_window
  gtk_widget_show(dlgforge_window)
Next
If dlgforge_main = NULL Then
  dlgforge_main = dlg_aboutbox_create()
  gtk_widget_show(dlgforge_main)
End If
g_signal_connect(dlgforge_main, "destroy", G_CALLBACK(@gtk_main_quit), NULL)
gtk_main()

' ---- Handlers: one per interactive widget, for your code.

' dlg_aboutbox_ok is clicked.
Sub dlg_aboutbox_ok_clicked cdecl (ByVal widget As GtkWidget Ptr, ByVal user_data As gpointer)
End Sub

