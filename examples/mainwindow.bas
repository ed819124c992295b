#include "gtk/gtk.bi"

sub child_set_font_callback cdecl(widget As GtkWidget Ptr, gdata As gpointer)
    gtk_widget_modify_font(GTK_WIDGET(widget), Cast(PangoFontDescription Ptr, gdata))
end sub
sub child_set_font(widget As GtkWidget Ptr, font_desc As PangoFontDescription Ptr)
    gtk_container_foreach(GTK_CONTAINER(widget), Cast(GtkCallback, @child_set_font_callback), Cast(gpointer, font_desc))
end sub

' declare menu
Dim Shared mainmenu As GtkWidget Ptr
Dim Shared item10 As GtkWidget Ptr
Dim Shared mainmenu10 As GtkWidget Ptr
Dim Shared mFile_new As GtkWidget Ptr
Dim Shared mFile_open As GtkWidget Ptr
Dim Shared item20 As GtkWidget Ptr
Dim Shared mainmenu20 As GtkWidget Ptr
Dim Shared mFile_recent As GtkWidget Ptr
Dim Shared mFile_exit As GtkWidget Ptr
Dim Shared item11 As GtkWidget Ptr
Dim Shared mainmenu11 As GtkWidget Ptr
Dim Shared mHelp_about As GtkWidget Ptr
' declare dialog
Dim Shared main As GtkWidget Ptr
Dim Shared vbox As GtkWidget Ptr
Dim Shared fixed As GtkWidget Ptr
Dim font_desc As PangoFontDescription Ptr
Dim Shared text As GtkWidget Ptr
Dim Shared status As GtkWidget Ptr

Declare Sub mFile_new_activate Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub mFile_open_activate Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub mFile_recent_activate Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub mFile_exit_activate Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub mHelp_about_activate Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)
Declare Sub main_destroy Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)

gtk_init(NULL,NULL)

' menu
mainmenu = gtk_menu_bar_new()
mainmenu10 = gtk_menu_new()
mFile_new = gtk_menu_item_new_with_mnemonic("&New\tCtrl+N")
gtk_container_add(GTK_CONTAINER(mainmenu10), mFile_new)
g_signal_connect(G_OBJECT(mFile_new), "activate", G_CALLBACK(@mFile_new_activate), NULL)
mFile_open = gtk_menu_item_new_with_mnemonic("&Open...\tCtrl+O")
gtk_container_add(GTK_CONTAINER(mainmenu10), mFile_open)
g_signal_connect(G_OBJECT(mFile_open), "activate", G_CALLBACK(@mFile_open_activate), NULL)
mainmenu20 = gtk_menu_new()
mFile_recent = gtk_menu_item_new_with_mnemonic("(empty)")
gtk_container_add(GTK_CONTAINER(mainmenu20), mFile_recent)
g_signal_connect(G_OBJECT(mFile_recent), "activate", G_CALLBACK(@mFile_recent_activate), NULL)
item20 = gtk_menu_item_new_with_mnemonic("Open &Recent")
gtk_container_add(GTK_CONTAINER(mainmenu10), item20)
gtk_menu_item_set_submenu(GTK_MENU_ITEM(item20), mainmenu20)
gtk_container_add(GTK_CONTAINER(mainmenu10), gtk_menu_item_new())
mFile_exit = gtk_menu_item_new_with_mnemonic("E&xit")
gtk_container_add(GTK_CONTAINER(mainmenu10), mFile_exit)
g_signal_connect(G_OBJECT(mFile_exit), "activate", G_CALLBACK(@mFile_exit_activate), NULL)
item10 = gtk_menu_item_new_with_mnemonic("&File")
gtk_container_add(GTK_CONTAINER(mainmenu), item10)
gtk_menu_item_set_submenu(GTK_MENU_ITEM(item10), mainmenu10)
mainmenu11 = gtk_menu_new()
mHelp_about = gtk_menu_item_new_with_mnemonic("&About Notes...")
gtk_container_add(GTK_CONTAINER(mainmenu11), mHelp_about)
g_signal_connect(G_OBJECT(mHelp_about), "activate", G_CALLBACK(@mHelp_about_activate), NULL)
item11 = gtk_menu_item_new_with_mnemonic("&Help")
gtk_container_add(GTK_CONTAINER(mainmenu), item11)
gtk_menu_item_set_submenu(GTK_MENU_ITEM(item11), mainmenu11)

' dialog
main = gtk_window_new(GTK_WINDOW_TOPLEVEL)
gtk_window_set_resizable(GTK_WINDOW(main), TRUE)
gtk_widget_set_size_request(main, 480, 346)
gtk_window_set_position (GTK_WINDOW(main), GTK_WIN_POS_NONE)
gtk_window_set_title (GTK_WINDOW(main), "Notes")
vbox = gtk_vbox_new(FALSE,2)
gtk_box_pack_start(GTK_BOX(vbox), mainmenu, FALSE, FALSE, 0)
gtk_container_add(GTK_CONTAINER(main), vbox)
fixed = gtk_fixed_new()
font_desc = pango_font_description_from_string("MS Shell Dlg 8")

'Controls
gtk_widget_set_size_request(text, 480, 302)
gtk_fixed_put(GTK_FIXED(fixed), text, 0, 0)
status = gtk_label_new("Ready")
gtk_widget_modify_font(GTK_WIDGET(status), font_desc)
gtk_widget_set_size_request(status, 300, 14)
gtk_fixed_put(GTK_FIXED(fixed), status, 3, 307)
gtk_container_add(GTK_CONTAINER(vbox), fixed)
g_signal_connect (G_OBJECT(main), "destroy", G_CALLBACK(@main_destroy),NULL)

gtk_widget_show_all(main)
gtk_main()

'-------------------------------------------

Sub mFile_new_activate Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub mFile_open_activate Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub mFile_recent_activate Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub mFile_exit_activate Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub mHelp_about_activate Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub

Sub main_destroy Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)
	'Please write your codes here.
End Sub


