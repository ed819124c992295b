' A user's file for languages.rc: prints the greeting of the program's
' language, then shows the dialogs named on the command line.

#include once "app.ui.bi"

dlgforge_start()
Print dlgforge_language_name(dlgforge_language); " "; dlgforge_load_string(IDS_GREETING)
dlgforge_show_named_dialogs()
End 0
