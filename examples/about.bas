#include "gtk/gtk.bi"

sub child_set_font_callback cdecl(widget As GtkWidget Ptr, gdata As gpointer)
    gtk_widget_modify_font(GTK_WIDGET(widget), Cast(PangoFontDescription Ptr, gdata))
end sub
sub child_set_font(widget As GtkWidget Ptr, font_desc As PangoFontDescription Ptr)
    gtk_container_foreach(GTK_CONTAINER(widget), Cast(GtkCallback, @child_set_font_callback), Cast(gpointer, font_desc))
end sub

' declare dialog
Dim Shared aboutbox As GtkWidget Ptr
Dim Shared vbox As GtkWidget Ptr
Dim Shared fixed As GtkWidget Ptr
Dim font_desc As PangoFontDescription Ptr
Dim Shared version As GtkWidget Ptr
Dim Shared static As GtkWidget Ptr
Dim Shared btnOK As GtkWidget Ptr

Declare Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub aboutbox_destroy Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)

gtk_init(NULL,NULL)


' dialog
aboutbox = gtk_window_new(GTK_WINDOW_TOPLEVEL)
gtk_window_set_resizable(GTK_WINDOW(aboutbox), TRUE)
gtk_widget_set_size_request(aboutbox, 255, 100)
gtk_window_set_position (GTK_WINDOW(aboutbox), GTK_WIN_POS_NONE)
gtk_window_set_title (GTK_WINDOW(aboutbox), "About Notes")
vbox = gtk_vbox_new(FALSE,2)
gtk_container_add(GTK_CONTAINER(aboutbox), vbox)
fixed = gtk_fixed_new()
font_desc = pango_font_description_from_string("MS Shell Dlg 8")

'Controls
version = gtk_label_new("Notes Version 1.0")
gtk_widget_modify_font(GTK_WIDGET(version), font_desc)
gtk_widget_set_size_request(version, 171, 13)
gtk_fixed_put(GTK_FIXED(fixed), version, 63, 22)
static = gtk_label_new("A small text editor")
gtk_widget_modify_font(GTK_WIDGET(static), font_desc)
gtk_widget_set_size_request(static, 171, 13)
gtk_fixed_put(GTK_FIXED(fixed), static, 63, 42)
btnOK = gtk_button_new_with_label("OK")
g_signal_connect(G_OBJECT(btnOK), "clicked", G_CALLBACK(@btnOK_clicked), aboutbox)
child_set_font(btnOK, font_desc)
gtk_widget_set_size_request(btnOK, 75, 22)
gtk_fixed_put(GTK_FIXED(fixed), btnOK, 169, 66)
gtk_container_add(GTK_CONTAINER(vbox), fixed)
g_signal_connect (G_OBJECT(aboutbox), "destroy", G_CALLBACK(@aboutbox_destroy),NULL)

gtk_widget_show_all(aboutbox)
gtk_main()

'-------------------------------------------

Sub btnOK_clicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub aboutbox_destroy Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub


