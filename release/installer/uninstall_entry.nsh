; The entry in Windows' list of installed programs: one for each host folder,
; under a key named after the folder ("Kalwestrowka C:/SKLEP/PROGRAM": a key's
; name cannot hold a backslash, a folder's cannot hold a slash), so that an
; install into a second folder leaves the first one's entry. HKLM, or the
; user's HKCU when HKLM cannot be written.

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
  WriteRegStr SHCTX "$R0" "UninstallString" '"$ModuleDir\${UNINSTALLER}"'
  WriteRegStr SHCTX "$R0" "QuietUninstallString" '"$ModuleDir\${UNINSTALLER}" /S'
  WriteRegStr SHCTX "$R0" "DisplayIcon" '"$ModuleDir\${UNINSTALLER}",0'
  WriteRegStr SHCTX "$R0" "Readme" '"$ModuleDir\${GUIDE_FILE}"'
  WriteRegStr SHCTX "$R0" "Comments" "Wtyczka sprzedaży obcej (komisowej) programu sprzedaży w folderze $HostShown. Podręcznik: ${MODULE_DIR}\${GUIDE_FILE}, opis instalacji: ${MODULE_DIR}\INSTALACJA.TXT."
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  WriteRegStr SHCTX "$R0" "InstallDate" "$3$2$1"
  ; What is written, in kilobytes: the module and the module's folder.
  ${GetSize} "$INSTDIR" "/M=Kalwestrowka.dll /S=0K /G=0" $1 $2 $3
  ${GetSize} "$ModuleDir" "/S=0K /G=0" $4 $2 $3
  IntOp $1 $1 + $4
  WriteRegDWORD SHCTX "$R0" "EstimatedSize" $1
  WriteRegDWORD SHCTX "$R0" "NoModify" 1
  WriteRegDWORD SHCTX "$R0" "NoRepair" 1

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

; The entry goes when it names this host folder.
Function un.DeleteUninstallEntry
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
