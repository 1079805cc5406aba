; What the uninstaller finds in its folder, decided from what can be seen
; there and in the list of installed programs, never from its own presence:
; run in place (_?=) it stays after an uninstall, and a module installed by
; hand may sit beside it. It carries kalwcheck and the sums of its own
; version's files (NAPRAWA.SHA256: the record and the record's own sum).

!define REPAIR_LIST "NAPRAWA.SHA256"

; kalwcheck and the uninstaller's own list, into the temporary folder.
Function un.UnpackChecker
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "${STAGE}\kalwcheck.exe"
  File "${STAGE}\${REPAIR_LIST}"
  SetOutPath "$TEMP"
FunctionEnd

; $0 = 0 when an installer installed the module here: its record is there,
; or an entry in the list of installed programs names this folder (under
; this name or another). Else EXIT_NOTHING_INSTALLED with $Message.
Function un.InstalledHere
  StrCpy $0 0
  ${If} ${FileExists} "$ModuleDir\${RECORD}"
  ${OrIf} $AliasEntries != ""
    Return
  ${EndIf}
  StrCpy $R0 $HostShown
  Call un.UninstallKeyOf
  ReadRegStr $R1 HKLM "$R0" "InstallLocation"
  ReadRegStr $R2 HKCU "$R0" "InstallLocation"
  ${If} $R1 == $HostShown
  ${OrIf} $R2 == $HostShown
    Return
  ${EndIf}
  StrCpy $Message "W folderze „$HostShown” nie ma wtyczki zainstalowanej instalatorem (nie ma listy ${MODULE_DIR}\${RECORD} ani pozycji na liście zainstalowanych programów): nie ma czego odinstalować ani naprawić. Wtyczkę zainstalowaną ręcznie usuwa się ręcznie (INSTALACJA.TXT). Nic nie zostało zmienione."
  StrCpy $0 ${EXIT_NOTHING_INSTALLED}
FunctionEnd

; $R0: a list of sums -> $2: 0 the host folder's Kalwestrowka.dll is in it,
; 1 it is not, anything else: not checked.
Function un.DllInList
  nsExec::Exec '"$PLUGINSDIR\kalwcheck.exe" --sha256 --lista "$R0" "$HostDir\Kalwestrowka.dll"'
  Pop $2
FunctionEnd

; Is the host folder's Kalwestrowka.dll one an installer wrote? It is when
; the install's record or the uninstaller's own list has its sum (with the
; record deleted, the list still knows it): $ModuleIsOurs, or $0 =
; EXIT_NOT_CHECKED with $Message. A file that is neither is never removed.
Function un.ExamineModule
  StrCpy $ModuleIsOurs 0
  StrCpy $0 0
  ${IfNot} ${FileExists} "$HostDir\Kalwestrowka.dll"
    Return
  ${EndIf}
  StrCpy $R0 "$PLUGINSDIR\${REPAIR_LIST}"
  Call un.DllInList
  ${If} $2 == 1
  ${AndIf} ${FileExists} "$ModuleDir\${RECORD}"
    StrCpy $R0 "$ModuleDir\${RECORD}"
    Call un.DllInList
  ${EndIf}
  ${If} $2 == 0
    StrCpy $ModuleIsOurs 1
  ${ElseIf} $2 != 1
    StrCpy $Message "Nie udało się sprawdzić, czy plik $HostDir\Kalwestrowka.dll jest wtyczką zapisaną przez instalator (kalwcheck: $2). Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NOT_CHECKED}
  ${ElseIf} ${FileExists} "$ModuleDir\${BACKUP}"
    StrCpy $Message "W folderze „$HostShown” jest plik Kalwestrowka.dll, którego instalator nie zapisał (inna wtyczka albo uszkodzony plik), a wtyczka sprzed pierwszej instalacji czeka na powrót w kopii $ModuleDir\${BACKUP}. Przenieś ten plik Kalwestrowka.dll w bezpieczne miejsce i odinstaluj ponownie (albo, gdy to uszkodzona wtyczka z instalatora, napraw ją: „Zmień” na liście zainstalowanych programów). Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_FOREIGN_MODULE}
  ${EndIf}
FunctionEnd

; The uninstaller's own lines added to the install's log, kept beside it for
; support (never removed): its handle in $LogHandle, or "" when it cannot be
; written.
Function un.OpenFolderLog
  ClearErrors
  FileOpen $LogHandle "$ModuleDir\${INSTALL_LOG}" a
  ${If} ${Errors}
    StrCpy $LogHandle ""
    Return
  ${EndIf}
  FileSeek $LogHandle 0 END $1
  ${If} $1 == 0
    FileWriteWord $LogHandle 0xFEFF
  ${EndIf}
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  !insertmacro SAY "$UnHeader: program odinstalowujący ${MODULE} ${VERSION}, $2-$1-$0 $4:$5:$6"
FunctionEnd
