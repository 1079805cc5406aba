; The entry in Windows' list of installed programs: one for each host folder,
; under a key named after the folder ("Kalwestrowka C:/SKLEP/PROGRAM": a key's
; name cannot hold a backslash, a folder's cannot hold a slash), so that an
; install into a second folder leaves the first one's entry. HKLM, or the
; user's HKCU when HKLM cannot be written.

; One folder may be reached by several names (S:\ and \\serwer\udział): an
; entry whose folder holds the very uninstaller this install wrote (the same
; volume and file number) is this folder's too, and goes with it. (The
; uninstaller, not the record: run in place, it is there as long as the
; entry, and the record may have been deleted.)

; $R0: a file -> $R0 "volume:file number", or "" when it cannot be opened.
!define FILE_SHARE_ALL 7
!macro FILE_IDENTITY UN
Function ${UN}FileIdentity
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  System::Call 'kernel32::CreateFileW(w R0, i 0, i ${FILE_SHARE_ALL}, p 0, i ${OPEN_EXISTING}, i 0, p 0) i .r1'
  StrCpy $R0 ""
  ${If} $1 != -1
    System::Call '*(&i52) p .r2'
    System::Call 'kernel32::GetFileInformationByHandle(i r1, p r2) i .r3'
    ${If} $3 != 0
      ; BY_HANDLE_FILE_INFORMATION: the volume's serial number is its 8th
      ; DWORD, the file's number its 12th (high) and 13th (low).
      System::Call '*$2(i, i, i, i, i, i, i, i .r3, i, i, i, i .r4, i .r5)'
      StrCpy $R0 "$3:$4:$5"
    ${EndIf}
    System::Free $2
    System::Call 'kernel32::CloseHandle(i r1)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro FILE_IDENTITY ""
!insertmacro FILE_IDENTITY "un."

; The keys (under UNINSTALL_ROOT, "|" after each) of the entries other than
; $R3 whose folder's uninstaller is the file $R4 names by its identity -> $R5.
!macro SAME_FOLDER_ENTRIES UN
Function ${UN}SameFolderEntries
  StrCpy $R5 ""
  StrCpy $R0 $R4
  Call ${UN}FileIdentity
  StrCpy $R4 $R0
  ${If} $R4 == ""
    Return
  ${EndIf}
  StrCpy $R6 0
  ${Do}
    EnumRegKey $R7 SHCTX "${UNINSTALL_ROOT}" $R6
    IntOp $R6 $R6 + 1
    ${If} $R7 == ""
      ${Break}
    ${EndIf}
    StrCpy $R0 $R7 13
    ${If} $R0 != "${MODULE} "
    ${OrIf} "${UNINSTALL_ROOT}\$R7" == $R3
      ${Continue}
    ${EndIf}
    ReadRegStr $R0 SHCTX "${UNINSTALL_ROOT}\$R7" "InstallLocation"
    Call ${UN}NormalizeFolder
    StrCpy $R0 "$R0\${MODULE_DIR}\${UNINSTALLER}"
    Call ${UN}FileIdentity
    ${If} $R0 == $R4
      StrCpy $R5 "$R5$R7|"
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro SAME_FOLDER_ENTRIES ""
!insertmacro SAME_FOLDER_ENTRIES "un."

; Deletes the entries $R5 lists ("key|key|...").
!macro DELETE_ENTRIES UN
Function ${UN}DeleteEntries
  StrCpy $R1 ""
  StrCpy $R2 0
  ${Do}
    StrCpy $R0 $R5 1 $R2
    IntOp $R2 $R2 + 1
    ${If} $R0 == ""
      ${Break}
    ${ElseIf} $R0 == "|"
      DeleteRegKey SHCTX "${UNINSTALL_ROOT}\$R1"
      StrCpy $R1 ""
    ${Else}
      StrCpy $R1 "$R1$R0"
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DELETE_ENTRIES ""
!insertmacro DELETE_ENTRIES "un."

; $R0: the host folder as shown -> $R0 its entry's key.
!macro UNINSTALL_KEY_OF UN
Function ${UN}UninstallKeyOf
  ${WordReplace} $R0 "\" "/" "+" $R0
  StrCpy $R0 "${UNINSTALL_ROOT}\${MODULE} $R0"
FunctionEnd
!macroend
!insertmacro UNINSTALL_KEY_OF ""
!insertmacro UNINSTALL_KEY_OF "un."

Function WriteUninstallEntry
  SetDetailsPrint none  ; each function starts printing every file operation again
  SetRegView 32
  StrCpy $R0 $HostShown
  Call UninstallKeyOf
  ClearErrors
  WriteRegStr HKLM "$R0" "InstallLocation" "$HostShown"
  ${If} ${Errors}
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
  WriteRegStr SHCTX "$R0" "InstallLocation" "$HostShown"
  WriteRegStr SHCTX "$R0" "DisplayName" "${PRODUCT} ($HostShown)"
  WriteRegStr SHCTX "$R0" "DisplayVersion" "${VERSION}"
  !if "${PUBLISHER}" != ""
  WriteRegStr SHCTX "$R0" "Publisher" "${PUBLISHER}"
  !endif
  ; _?= runs the uninstaller where it is, so the process the list starts and
  ; waits for is the one that uninstalls: the list is read again only after
  ; the entry is gone. (Without it the uninstaller starts a copy of itself in
  ; the temporary folder and ends at once.) Its own file cannot go while it
  ; runs: Odinstaluj.exe alone stays, which a later install or uninstall
  ; takes for nothing installed.
  WriteRegStr SHCTX "$R0" "UninstallString" '"$ModuleDir\${UNINSTALLER}" _?=$ModuleDir'
  WriteRegStr SHCTX "$R0" "QuietUninstallString" '"$ModuleDir\${UNINSTALLER}" /S _?=$ModuleDir'
  ; "Zmień" (and "Napraw", where Windows shows it for an entry that is no
  ; Windows Installer package) run ModifyPath: the uninstaller's repair.
  WriteRegStr SHCTX "$R0" "ModifyPath" '"$ModuleDir\${UNINSTALLER}" /NAPRAW _?=$ModuleDir'
  WriteRegStr SHCTX "$R0" "DisplayIcon" '"$ModuleDir\${UNINSTALLER}",0'
  WriteRegStr SHCTX "$R0" "Readme" "$ModuleDir\${GUIDE_FILE}"
  WriteRegStr SHCTX "$R0" "Comments" "Wtyczka sprzedaży obcej (komisowej) programu sprzedaży w folderze $HostShown. Podręcznik: ${MODULE_DIR}\${GUIDE_FILE}, opis instalacji: ${MODULE_DIR}\INSTALACJA.TXT."
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  WriteRegStr SHCTX "$R0" "InstallDate" "$3$2$1"
  ; What is written, in kilobytes: the module and the module's folder.
  ${GetSize} "$INSTDIR" "/M=Kalwestrowka.dll /S=0K /G=0" $1 $2 $3
  ${GetSize} "$ModuleDir" "/S=0K /G=0" $4 $2 $3
  IntOp $1 $1 + $4
  WriteRegDWORD SHCTX "$R0" "EstimatedSize" $1

  ; The same folder's entries under its other names go.
  StrCpy $R3 $R0
  StrCpy $R4 "$ModuleDir\${UNINSTALLER}"
  Call SameFolderEntries
  Call DeleteEntries

  ; The installers before these entries wrote one key for every folder: its
  ; entry goes when it names this folder, which now has its own.
  ReadRegStr $R1 HKLM "${UNINSTALL_ROOT}\${MODULE}" "InstallLocation"
  ${If} $R1 == $HostShown
    DeleteRegKey HKLM "${UNINSTALL_ROOT}\${MODULE}"
  ${EndIf}
  ReadRegStr $R1 HKCU "${UNINSTALL_ROOT}\${MODULE}" "InstallLocation"
  ${If} $R1 == $HostShown
    DeleteRegKey HKCU "${UNINSTALL_ROOT}\${MODULE}"
  ${EndIf}
FunctionEnd

; Before the uninstall: the same folder's entries under its other names
; ($AliasEntries).
Var AliasEntries
Function un.FindAliasEntries
  SetRegView 32
  SetShellVarContext all
  StrCpy $R0 $HostShown
  Call un.UninstallKeyOf
  StrCpy $R3 $R0
  StrCpy $R4 "$ModuleDir\${UNINSTALLER}"
  Call un.SameFolderEntries
  StrCpy $AliasEntries $R5
FunctionEnd

; The entry goes when it names this host folder, and so do its other names'.
Function un.DeleteUninstallEntry
  SetDetailsPrint none  ; each function starts printing every file operation again
  SetShellVarContext all
  StrCpy $R5 $AliasEntries
  Call un.DeleteEntries
  SetRegView 32
  StrCpy $R0 $HostShown
  Call un.UninstallKeyOf
  ReadRegStr $R1 HKLM "$R0" "InstallLocation"
  ${If} $R1 == $HostShown
    DeleteRegKey HKLM "$R0"
  ${EndIf}
  ReadRegStr $R1 HKCU "$R0" "InstallLocation"
  ${If} $R1 == $HostShown
    DeleteRegKey HKCU "$R0"
  ${EndIf}
FunctionEnd
