; The uninstaller's first page: what to do before, what goes, what comes
; back and what stays. $Message holds the text (un.onInit).

Function un.ConfirmPage
  ${If} $Repairing == 1
    Abort  ; the repair asks nothing first
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Odinstalowanie wtyczki ${MODULE}" "Najpierw w programie sprzedaży, potem tutaj."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 100u "$Message"
  Pop $0
  ${NSD_CreateLabel} 0 108u 60u 10u "Folder wtyczki:"
  Pop $0
  ${NSD_CreateText} 62u 106u 238u 12u "$INSTDIR"
  Pop $0
  SendMessage $0 ${EM_SETREADONLY} 1 0
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Odinstaluj"
  nsDialogs::Show
FunctionEnd
