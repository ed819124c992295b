#include "gtk/gtk.bi"

sub child_set_font_callback cdecl(widget As GtkWidget Ptr, gdata As gpointer)
    gtk_widget_modify_font(GTK_WIDGET(widget), Cast(PangoFontDescription Ptr, gdata))
end sub
sub child_set_font(widget As GtkWidget Ptr, font_desc As PangoFontDescription Ptr)
    gtk_container_foreach(GTK_CONTAINER(widget), Cast(GtkCallback, @child_set_font_callback), Cast(gpointer, font_desc))
end sub

' declare dialog
Dim Shared settings As GtkWidget Ptr
Dim Shared vbox As GtkWidget Ptr
Dim Shared fixed As GtkWidget Ptr
Dim font_desc As PangoFontDescription Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared wordwrap As GtkWidget Ptr
Dim Shared linenumbers As GtkWidget Ptr
Dim Shared bold As GtkWidget Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared crlf As GtkWidget Ptr
Dim Shared lf As GtkWidget Ptr
Dim Shared cr As GtkWidget Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared tabwidth As GtkWidget Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared font As GtkWidget Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared btnOK As GtkWidget Ptr
Dim Shared btnCancel As GtkWidget Ptr

Declare Sub wordwrap_toggled Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub linenumbers_toggled Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub crlf_toggled Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub lf_toggled Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub btnCancel_clicked Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub settings_destroy Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)

gtk_init(NULL,NULL)


' dialog
settings = gtk_window_new(GTK_WINDOW_TOPLEVEL)
gtk_window_set_resizable(GTK_WINDOW(settings), TRUE)
gtk_widget_set_size_request(settings, 360, 276)
gtk_window_set_position (GTK_WINDOW(settings), GTK_WIN_POS_NONE)
gtk_window_set_title (GTK_WINDOW(settings), "Settings")
vbox = gtk_vbox_new(FALSE,2)
gtk_container_add(GTK_CONTAINER(settings), vbox)
fixed = gtk_fixed_new()
font_desc = pango_font_description_from_string("Segoe UI 9")

'Controls
child_set_font(static, font_desc)
gtk_widget_set_size_request(static, 165, 113)
gtk_fixed_put(GTK_FIXED(fixed), static, 10, 11)
wordwrap = gtk_check_button_new_with_label("&Word wrap")
g_signal_connect(G_OBJECT(wordwrap), "toggled", G_CALLBACK(@wordwrap_toggled), settings)
child_set_font(wordwrap, font_desc)
gtk_widget_set_size_request(wordwrap, 135, 16)
gtk_fixed_put(GTK_FIXED(fixed), wordwrap, 21, 32)
linenumbers = gtk_check_button_new_with_label("Show &line numbers")
g_signal_connect(G_OBJECT(linenumbers), "toggled", G_CALLBACK(@linenumbers_toggled), settings)
child_set_font(linenumbers, font_desc)
gtk_widget_set_size_request(linenumbers, 135, 16)
gtk_fixed_put(GTK_FIXED(fixed), linenumbers, 21, 55)
gtk_widget_set_size_request(bold, 135, 22)
gtk_fixed_put(GTK_FIXED(fixed), bold, 21, 81)
child_set_font(static, font_desc)
gtk_widget_set_size_request(static, 165, 113)
gtk_fixed_put(GTK_FIXED(fixed), static, 184, 11)
crlf = gtk_radio_button_new_with_label(NULL, "&Windows (CR LF)")
Dim group1 As GSList Ptr = gtk_radio_button_group (GTK_RADIO_BUTTON (crlf))
g_signal_connect(G_OBJECT(crlf), "toggled", G_CALLBACK(@crlf_toggled), settings)
child_set_font(crlf, font_desc)
gtk_widget_set_size_request(crlf, 142, 16)
gtk_fixed_put(GTK_FIXED(fixed), crlf, 195, 32)
lf = gtk_radio_button_new_with_label(group1, "&Unix (LF)")
group1 = gtk_radio_button_group (GTK_RADIO_BUTTON (lf))
g_signal_connect(G_OBJECT(lf), "toggled", G_CALLBACK(@lf_toggled), settings)
child_set_font(lf, font_desc)
gtk_widget_set_size_request(lf, 142, 16)
gtk_fixed_put(GTK_FIXED(fixed), lf, 195, 55)
gtk_widget_set_size_request(cr, 142, 16)
gtk_fixed_put(GTK_FIXED(fixed), cr, 195, 78)
static = gtk_label_new("&Tab width:")
gtk_widget_modify_font(GTK_WIDGET(static), font_desc)
gtk_widget_set_size_request(static, 75, 13)
gtk_fixed_put(GTK_FIXED(fixed), static, 10, 143)
gtk_widget_set_size_request(tabwidth, 45, 19)
gtk_fixed_put(GTK_FIXED(fixed), tabwidth, 90, 139)
static = gtk_label_new("&Font:")
gtk_widget_modify_font(GTK_WIDGET(static), font_desc)
gtk_widget_set_size_request(static, 75, 13)
gtk_fixed_put(GTK_FIXED(fixed), static, 10, 172)
gtk_widget_set_size_request(font, 180, 130)
gtk_fixed_put(GTK_FIXED(fixed), font, 90, 169)
gtk_widget_set_size_request(static, 339, 1)
gtk_fixed_put(GTK_FIXED(fixed), static, 10, 208)
btnOK = gtk_button_new_with_label("OK")
g_signal_connect(G_OBJECT(btnOK), "clicked", G_CALLBACK(@btnOK_clicked), settings)
child_set_font(btnOK, font_desc)
gtk_widget_set_size_request(btnOK, 75, 22)
gtk_fixed_put(GTK_FIXED(fixed), btnOK, 193, 242)
btnCancel = gtk_button_new_with_label("Cancel")
g_signal_connect(G_OBJECT(btnCancel), "clicked", G_CALLBACK(@btnCancel_clicked), settings)
child_set_font(btnCancel, font_desc)
gtk_widget_set_size_request(btnCancel, 75, 22)
gtk_fixed_put(GTK_FIXED(fixed), btnCancel, 274, 242)
gtk_container_add(GTK_CONTAINER(vbox), fixed)
g_signal_connect (G_OBJECT(settings), "destroy", G_CALLBACK(@settings_destroy),NULL)

gtk_widget_show_all(settings)
gtk_main()

'-------------------------------------------

Sub wordwrap_toggled Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	If GTK_TOGGLE_BUTTON(widget)->active Then
		' button is raised.
	Else
		' button is sunken.
	End If
End Sub

Sub linenumbers_toggled Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	If GTK_TOGGLE_BUTTON(widget)->active Then
		' button is raised.
	Else
		' button is sunken.
	End If
End Sub

Sub crlf_toggled Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	If GTK_TOGGLE_BUTTON(widget)->active Then
		' button is raised.
	Else
		' button is sunken.
	End If
End Sub

Sub lf_toggled Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	If GTK_TOGGLE_BUTTON(widget)->active Then
		' button is raised.
	Else
		' button is sunken.
	End If
End Sub

Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub btnCancel_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub settings_destroy Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub


