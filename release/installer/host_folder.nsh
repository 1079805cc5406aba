; The host program's folder: the page that asks for it, the folder from the
; command line, and how a folder is written. A drive's root (S:\) and a
; share's (\\serwer\udział) are folders like any other.
;
; $INSTDIR holds the folder without a closing backslash ("S:" for a drive's
; root), so that "$INSTDIR\TALMER.dll" is a path; $HostShown is the folder as
; people write it ("S:\").

; $R0: a folder as typed -> $R0 without surrounding blanks and quotes and
; without closing backslashes.
!macro NORMALIZE_FOLDER UN
Function ${UN}NormalizeFolder
  Push $1
  ${Do}
    StrCpy $1 $R0 1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
      StrCpy $R0 $R0 "" 1
      ${Continue}
    ${EndIf}
    StrCpy $1 $R0 "" -1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
    ${OrIf} $1 == "\"
      StrCpy $R0 $R0 -1
      ${Continue}
    ${EndIf}
    ${Break}
  ${Loop}
  Pop $1
FunctionEnd
!macroend
!insertmacro NORMALIZE_FOLDER ""
!insertmacro NORMALIZE_FOLDER "un."

; $R0: a folder in $INSTDIR's form -> $R0 as people write it.
!macro SHOWN_FOLDER UN
Function ${UN}ShownFolder
  Push $1
  StrCpy $1 $R0 "" 1
  ${If} $1 == ":"
    StrCpy $R0 "$R0\"
  ${EndIf}
  Pop $1
FunctionEnd
!macroend
!insertmacro SHOWN_FOLDER ""
!insertmacro SHOWN_FOLDER "un."

; $INSTDIR and $HostShown from the folder $R0 as typed.
Function SetHostFolder
  Call NormalizeFolder
  StrCpy $INSTDIR $R0
  Call ShownFolder
  StrCpy $HostShown $R0
FunctionEnd

; The folder of /D=, read from the command line itself: the installer's own
; reading refuses a share's root written without a closing backslash.
Function FolderFromCommandLine
  System::Call 'kernel32::GetCommandLineW() w .R1'
  ${StrStr} $R0 $R1 " /D="
  ${If} $R0 != ""
    StrCpy $R0 $R0 "" 4
    Call SetHostFolder
  ${EndIf}
FunctionEnd

; The page: no default folder but the one of an earlier install, when the list
; of installed programs has one.
Function PreviousHostFolder
  Push $0
  Push $1
  Push $2
  SetRegView 32
  StrLen $2 "${MODULE} "
  StrCpy $0 0
  ${Do}
    EnumRegKey $1 HKLM "${UNINSTALL_ROOT}" $0
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    StrCpy $R0 $1 $2
    ${If} $R0 == "${MODULE} "
      ReadRegStr $R0 HKLM "${UNINSTALL_ROOT}\$1" "InstallLocation"
      ${If} $R0 != ""
        Call SetHostFolder
        ${Break}
      ${EndIf}
    ${EndIf}
    IntOp $0 $0 + 1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0: kilobytes -> $R0 "612 KB", "1,2 MB", "75,7 GB" (a decimal comma).
Function SizeText
  Push $1
  Push $2
  ${If} $R0 < 1024
    StrCpy $R0 "$R0 KB"
  ${Else}
    StrCpy $2 "MB"
    ${If} $R0 >= 1048576
      IntOp $R0 $R0 / 1024
      StrCpy $2 "GB"
    ${EndIf}
    IntOp $1 $R0 % 1024
    IntOp $1 $1 * 10
    IntOp $1 $1 / 1024
    IntOp $R0 $R0 / 1024
    StrCpy $R0 "$R0,$1 $2"
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

Var FolderField
Var FreeSpaceLabel

Function HostFolderPage
  !insertmacro MUI_HEADER_TEXT "Wskaż folder programu sprzedaży" "Wtyczka trafia do folderu programu, obok jego pliku TALMER.dll."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 54u "Zanim klikniesz „Zainstaluj”, zamknij program sprzedaży na wszystkich stanowiskach.$\r$\n$\r$\nWskaż folder, w którym jest plik TALMER.dll – także na dysku sieciowym (S:\) albo w udziale sieciowym (\\serwer\udział). Instalator najpierw sprawdzi, czy wtyczka zwiąże się z tym programem, i dopiero wtedy skopiuje pliki. Pliki komis.cfg, Kalwestrowka.log i Kalwestrowka-dziennik.csv zostaną nietknięte."
  Pop $0
  ${NSD_CreateGroupBox} 0 58u 100% 48u "&Folder programu (z plikiem TALMER.dll)"
  Pop $0
  ${NSD_CreateDirRequest} 8u 71u 212u 12u "$HostShown"
  Pop $FolderField
  ${NSD_SetFocus} $FolderField
  ${NSD_OnChange} $FolderField FolderChanged
  ${NSD_CreateBrowseButton} 226u 70u 66u 14u "&Przeglądaj..."
  Pop $0
  ${NSD_OnClick} $0 BrowseForHostFolder
  Call OfferInstalledFolders
  SectionGetSize ${SECTION_MODULE} $R0
  Call SizeText
  ${NSD_CreateLabel} 0 112u 100% 10u "Wymagane miejsce: $R0"
  Pop $0
  ${NSD_CreateLabel} 0 124u 100% 10u ""
  Pop $FreeSpaceLabel
  Call ShowFreeSpace
  nsDialogs::Show
FunctionEnd

; The folders the module is installed in (the list of installed programs),
; offered under the field; a choice goes into the field.
Function OfferInstalledFolders
  ${NSD_CreateLabel} 8u 89u 64u 10u "&Już zainstalowana:"
  Pop $0
  ${NSD_CreateDropList} 74u 87u 218u 80u ""
  Pop $1
  ${NSD_OnChange} $1 InstalledFolderChosen
  SetRegView 32
  StrLen $3 "${MODULE} "
  StrCpy $2 0
  StrCpy $5 0  ; the folders offered
  ${Do}
    EnumRegKey $4 HKLM "${UNINSTALL_ROOT}" $2
    IntOp $2 $2 + 1
    ${If} $4 == ""
      ${Break}
    ${EndIf}
    StrCpy $R0 $4 $3
    ReadRegStr $R1 HKLM "${UNINSTALL_ROOT}\$4" "InstallLocation"
    ${If} $R0 == "${MODULE} "
    ${AndIf} $R1 != ""
      ${NSD_CB_AddString} $1 $R1
      IntOp $5 $5 + 1
    ${EndIf}
  ${Loop}
  ${If} $5 == 0
    EnableWindow $1 0
  ${EndIf}
FunctionEnd

Function InstalledFolderChosen
  Pop $0
  ${NSD_GetText} $0 $R0
  ${NSD_SetText} $FolderField $R0
FunctionEnd

Function FolderChanged
  Pop $0  ; the field
  Call ShowFreeSpace
FunctionEnd

; The free space where the typed folder is, or nothing while it is no folder.
Function ShowFreeSpace
  ${NSD_GetText} $FolderField $R0
  Call NormalizeFolder
  System::Call 'kernel32::GetDiskFreeSpaceExW(w "$R0\", *l .r1, p 0, p 0) i .r2'
  ${If} $2 == 0
  ${OrIf} $R0 == ""
    ${NSD_SetText} $FreeSpaceLabel ""
  ${Else}
    System::Int64Op $1 >> 10
    Pop $R0
    System::Int64Op $R0 > 0x7FFFFFFF
    Pop $1
    ${If} $1 != 0
      StrCpy $R0 0x7FFFFFFF
    ${EndIf}
    Call SizeText
    ${NSD_SetText} $FreeSpaceLabel "Dostępne miejsce: $R0"
  ${EndIf}
FunctionEnd

; The system's folder dialog, asking for the program's folder, without the
; button that makes a new folder (the module goes into an existing one).
!define BIF_RETURNONLYFSDIRS 0x0001
!define BIF_NEWDIALOGSTYLE 0x0040
!define BIF_NONEWFOLDERBUTTON 0x0200
!define BIF_SHAREABLE 0x8000
Function BrowseForHostFolder
  Pop $0
  System::Call '*(p $HWNDPARENT, p 0, w "", w "Wskaż folder programu sprzedaży – ten, w którym jest plik TALMER.dll:", i ${BIF_RETURNONLYFSDIRS}|${BIF_NEWDIALOGSTYLE}|${BIF_NONEWFOLDERBUTTON}|${BIF_SHAREABLE}, p 0, p 0, i 0) p .r1'
  System::Call 'shell32::SHBrowseForFolderW(p r1) p .r2'
  ${If} $2 != 0
    System::Call 'shell32::SHGetPathFromIDListW(p r2, w .r3) i .r4'
    System::Call 'ole32::CoTaskMemFree(p r2)'
    ${If} $4 != 0
      StrCpy $R0 $3
      Call NormalizeFolder
      Call ShownFolder
      ${NSD_SetText} $FolderField $R0
    ${EndIf}
  ${EndIf}
  System::Free $1
FunctionEnd

; Leaving the page: the check (kalwcheck) decides; on a refusal the page stays,
; with the reason and what to do, so that another folder can be chosen.
Function HostFolderLeave
  ${NSD_GetText} $FolderField $R0
  Call SetHostFolder
  Call CheckFolder
  ${If} $0 == ${EXIT_FALLBACKS_REFUSED}
    Abort  ; answered No to the question: stays on the page
  ${ElseIf} $0 != ${EXIT_INSTALLED}
    MessageBox MB_OK|MB_ICONSTOP "$Message"
    Abort
  ${EndIf}
FunctionEnd
