; The installer's last page: what was checked and installed, what the
; administrator does next, and the guide opened on request.

Var OpenGuide

Function NextStepsPage
  !insertmacro MUI_HEADER_TEXT "Wtyczka zainstalowana" "Co zostało sprawdzone i zainstalowane, i co dalej."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 118u "$CheckSummary$\r$\n$\r$\n$InstalledSummary$\r$\n$\r$\nDalej:$\r$\n1. Uruchom program sprzedaży i zainstaluj w nim wtyczkę, tak jak każdą inną wtyczkę.$\r$\n2. W kartotece kontrahentów załóż kontrahenta o symbolu TMO, jeśli go nie ma: na niego przechodzą dokumenty sprzedaży obcej.$\r$\n3. Wskaż magazyny komisowe poleceniem „Konfiguracja spr.obcej”.$\r$\nPodręcznik: ${MODULE_DIR}\${GUIDE_FILE} w folderze programu."
  Pop $0
  ${NSD_CreateCheckbox} 0 124u 100% 12u "&Otwórz podręcznik (${GUIDE_FILE})"
  Pop $OpenGuide
  ${NSD_Check} $OpenGuide
  ; Installed: there is nothing to cancel and nothing to go back to.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:Zakończ"
  GetDlgItem $0 $HWNDPARENT 2
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT 3
  EnableWindow $0 0
  nsDialogs::Show
FunctionEnd

Function NextStepsLeave
  ${NSD_GetState} $OpenGuide $0
  ${If} $0 == ${BST_CHECKED}
    ; In the program for text files; in Notepad where .txt has none.
    ClearErrors
    ExecShell "open" "$ModuleDir\${GUIDE_FILE}"
    ${If} ${Errors}
      Exec '"$WINDIR\notepad.exe" "$ModuleDir\${GUIDE_FILE}"'
    ${EndIf}
  ${EndIf}
FunctionEnd
