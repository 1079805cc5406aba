; The installer's last page: what was checked and installed, what the
; administrator does next, and the guide opened on request.

Var OpenGuide

; TEXT put before the text of the edit control HANDLE. The parts go in from
; the last to the first, so that the caret, which the control keeps in view,
; ends on the first lines.
!macro PREPEND_TEXT HANDLE TEXT
  SendMessage ${HANDLE} ${EM_SETSEL} 0 0
  SendMessage ${HANDLE} ${EM_REPLACESEL} 0 "STR:${TEXT}"
!macroend

Function NextStepsPage
  !insertmacro MUI_HEADER_TEXT "Wtyczka zainstalowana" "Co zostało sprawdzone i zainstalowane, i co dalej."
  nsDialogs::Create 1018
  Pop $0
  ; A read-only text with its own scroll bar: a long folder name, a backup and
  ; accepted missing functions never cut it. Written in parts, each within
  ; the installer's string length.
  nsDialogs::CreateControl EDIT "${DEFAULT_STYLES}|${WS_TABSTOP}|${WS_VSCROLL}|${ES_MULTILINE}|${ES_READONLY}|${ES_AUTOVSCROLL}" "${WS_EX_CLIENTEDGE}" 0 0 100% 118u "$\r$\n$\r$\nPodręcznik: ${MODULE_DIR}\${GUIDE_FILE} w folderze programu; opis instalacji i jej dziennik: ${MODULE_DIR}\INSTALACJA.TXT i ${MODULE_DIR}\${INSTALL_LOG}."
  Pop $1
  !insertmacro PREPEND_TEXT $1 "$\r$\n$\r$\nDalej:$\r$\n1. Uruchom program sprzedaży i zainstaluj w nim wtyczkę, tak jak każdą inną wtyczkę.$\r$\n2. W kartotece kontrahentów załóż kontrahenta o symbolu TMO, jeśli go nie ma: na niego przechodzą dokumenty sprzedaży obcej.$\r$\n3. Wskaż magazyny komisowe poleceniem „Konfiguracja spr.obcej”."
  !insertmacro PREPEND_TEXT $1 "$\r$\n$\r$\n$InstalledSummary"
  !insertmacro PREPEND_TEXT $1 "$CheckSummary"
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
