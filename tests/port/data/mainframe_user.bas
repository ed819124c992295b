' A user's file for mainframe.rc: the main window's procedure prints its
' commands, the about box's procedure its initialisation.

#include once "app.ui.bi"

Function frame_procedure(ByVal frame As GtkWidget Ptr, ByVal message As Long, _
    ByVal id As Long, ByVal code As Long) As Long
  Select Case message
  Case WM_CREATE
    Print "create "; DLGFORGE_VERSION_PRODUCTNAME; " "; _
        DLGFORGE_VERSION_FILEVERSIONNUMBER; " "; *g_get_application_name()
  Case WM_COMMAND
    Print "command "; dlgforge_id_name(id); " "; Str(code)
  End Select
  Return 0
End Function
dlgforge_set_procedure("IDR_MAINFRAME", @frame_procedure)

Function about_procedure(ByVal dialog As GtkWidget Ptr, ByVal message As Long, _
    ByVal id As Long, ByVal code As Long) As Long
  If message = WM_INITDIALOG Then Print "about"
  Return 0
End Function
dlgforge_set_procedure("IDD_ABOUTBOX", @about_procedure)

dlgforge_start()
dlgforge_run_main_window()
Print "closed"
End 0
