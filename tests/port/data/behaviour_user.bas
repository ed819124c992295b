' A user's file for behaviour.rc, as a programmer porting a Windows dialog
' procedure would write it: every command is printed, the controls are
' filled and read by id, and IDOK is handled once to keep the dialog open.

#include once "app.ui.bi"

Dim Shared oks As Long

' The check of each radio button: "010" when the second is checked.
Function radio_state(ByVal dialog As GtkWidget Ptr) As String
  Return Str(dlgforge_is_checked(dialog, IDC_ONE)) & _
      Str(dlgforge_is_checked(dialog, IDC_TWO)) & _
      Str(dlgforge_is_checked(dialog, IDC_THREE))
End Function

Function form_procedure(ByVal dialog As GtkWidget Ptr, ByVal message As Long, _
    ByVal id As Long, ByVal code As Long) As Long
  Select Case message
  Case WM_INITDIALOG
    dlgforge_set_text(dialog, IDC_NAME, "Ada")
    dlgforge_set_text(dialog, IDC_NAME_LABEL, "&Your name:")
    dlgforge_add_item(dialog, IDC_FRUIT, "apple")
    dlgforge_add_item(dialog, IDC_FRUIT, "banana")
    dlgforge_add_item(dialog, IDC_FRUIT, "cherry")
    dlgforge_select_item(dialog, IDC_FRUIT, 1)
    dlgforge_add_item(dialog, IDC_COLOUR, "red")
    dlgforge_add_item(dialog, IDC_COLOUR, "green")
    dlgforge_select_item(dialog, IDC_COLOUR, 1)
    dlgforge_check(dialog, IDC_WRAP, 1)
    If Environ("FORM_UNCHECKED") = "" Then
      dlgforge_check_radio(dialog, IDC_ONE, IDC_THREE, IDC_TWO)
    End If
    dlgforge_set_int(dialog, IDC_COUNT, 42)
    dlgforge_set_text(dialog, IDC_NOTES, "line")
    Print "init"
    Return 1
  Case WM_COMMAND
    Print "command "; dlgforge_id_name(id); " "; Str(code)
    Select Case id
    Case IDC_SHOW
      Print "name="; dlgforge_get_text(dialog, IDC_NAME); _
          " label="; dlgforge_get_text(dialog, IDC_NAME_LABEL); _
          " count="; Str(dlgforge_get_int(dialog, IDC_COUNT)); _
          " wrap="; Str(dlgforge_is_checked(dialog, IDC_WRAP)); _
          " radio="; radio_state(dialog); _
          " fruit="; dlgforge_get_item(dialog, IDC_FRUIT, _
              dlgforge_selected_item(dialog, IDC_FRUIT)); _
          " fruits="; Str(dlgforge_item_count(dialog, IDC_FRUIT)); _
          " colour="; dlgforge_get_text(dialog, IDC_COLOUR); _
          " notes="; dlgforge_get_text(dialog, IDC_NOTES); _
          " show="; dlgforge_get_text(dialog, IDC_SHOW); _
          " greeting="; dlgforge_load_string(IDS_GREETING)
      ' Everything cleared and disabled: a second report shows it.
      dlgforge_clear_items(dialog, IDC_FRUIT)
      dlgforge_check_radio(dialog, IDC_ONE, IDC_THREE, 0)
      dlgforge_enable(dialog, IDC_APPLY, 0)
      Print "cleared fruits="; Str(dlgforge_item_count(dialog, IDC_FRUIT)); _
          " radio="; radio_state(dialog); _
          " apply="; Str(gtk_widget_is_sensitive(dlgforge_item(dialog, IDC_APPLY)))
      Return 1
    Case IDOK
      oks += 1
      If oks = 1 Then
        Print "kept open"
        Return 1
      End If
    End Select
  End Select
  Return 0
End Function
dlgforge_set_procedure("IDD_FORM", @form_procedure)
dlgforge_set_procedure("IDD_EDITOR", @form_procedure)

dlgforge_start()
If dlgforge_show_named_dialogs() = FALSE Then
  Dim result As Long = dlgforge_dialog_box("IDD_FORM")
  Print "ended "; dlgforge_id_name(result)
End If
End 0
