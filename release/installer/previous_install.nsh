; What is already in the host folder, decided from the files themselves:
; the record ZAINSTALOWANE.SHA256 (the SHA-256 of every file the install
; wrote; the uninstall removes it with the module's folder) tells whether the
; Kalwestrowka.dll there is the one an install put there. A module that is
; not becomes the backup Kalwestrowka.dll.kopia, which the uninstall puts
; back; a backup already there is never overwritten. A leftover uninstaller
; proves nothing: after an uninstall run in place (_?=) it stays.

Var ModuleIsOurs      ; 1: the Kalwestrowka.dll there is an install's own
Var MakeBackup        ; 1: the Kalwestrowka.dll there becomes the backup
Var InstalledVersion  ; the version of the install's own module, or ""

; $2: kalwcheck --sha256 --lista <record> <the folder's module>: 0 the module
; is the one recorded, 1 another, anything else: not checked.
Function CompareWithRecord
  SetOutPath "$PLUGINSDIR"
  nsExec::Exec '"$PLUGINSDIR\kalwcheck.exe" --sha256 --lista "$ModuleDir\${RECORD}" "$INSTDIR\Kalwestrowka.dll"'
  Pop $2
FunctionEnd

; $R0: a module file -> $R0 its version "a.b.c" ("" without one).
Function ModuleVersion
  ClearErrors
  GetDLLVersion "$R0" $R1 $R2
  ${If} ${Errors}
    StrCpy $R0 ""
    Return
  ${EndIf}
  IntOp $R3 $R1 >> 16
  IntOp $R1 $R1 & 0xFFFF
  IntOp $R2 $R2 >> 16
  StrCpy $R0 "$R3.$R1.$R2"
FunctionEnd

; $0 = EXIT_INSTALLED when the folder's module may be replaced, with
; $ModuleIsOurs, $MakeBackup and $InstalledVersion set; else the exit code
; with $Message. Needs kalwcheck in $PLUGINSDIR (RunKalwcheck). Changes nothing.
Function ExaminePreviousInstall
  StrCpy $HostDir $INSTDIR
  StrCpy $ModuleDir "$INSTDIR\${MODULE_DIR}"
  StrCpy $ModuleIsOurs 0
  StrCpy $MakeBackup 0
  StrCpy $InstalledVersion ""
  StrCpy $0 ${EXIT_INSTALLED}
  ${IfNot} ${FileExists} "$INSTDIR\Kalwestrowka.dll"
    Return
  ${EndIf}
  ${If} ${FileExists} "$ModuleDir\${RECORD}"
    Call CompareWithRecord
    ${If} $2 == 0
      StrCpy $ModuleIsOurs 1
    ${ElseIf} $2 != 1
      StrCpy $Message "Nie udało się sprawdzić, czy plik $INSTDIR\Kalwestrowka.dll jest wtyczką zapisaną przez instalator (kalwcheck: $2). Nic nie zostało zmienione. Sprawdź, czy plik da się odczytać, i uruchom instalator ponownie."
      StrCpy $0 ${EXIT_NOT_CHECKED}
      Return
    ${EndIf}
  ${ElseIf} ${FileExists} "$ModuleDir\${BACKUP}"
    ; Installed by an installer that kept no record: its backup is there
    ; until its uninstall, so the module beside it is that install's.
    StrCpy $ModuleIsOurs 1
  ${EndIf}
  ${If} $ModuleIsOurs == 1
    StrCpy $R0 "$INSTDIR\Kalwestrowka.dll"
    Call ModuleVersion
    StrCpy $InstalledVersion $R0
  ${ElseIf} ${FileExists} "$ModuleDir\${BACKUP}"
    StrCpy $Message "W folderze „$HostShown” jest plik Kalwestrowka.dll, którego instalator nie zapisał, a w folderze ${MODULE_DIR} kopia wtyczki sprzed pierwszej instalacji (${BACKUP}). To inna wtyczka albo uszkodzony plik; instalator nie zastąpi żadnego z nich: przenieś ten plik Kalwestrowka.dll w bezpieczne miejsce i uruchom instalator ponownie (albo, gdy to uszkodzona wtyczka z instalatora, napraw ją: „Zmień” na liście zainstalowanych programów albo ${MODULE_DIR}\${UNINSTALLER} /NAPRAW). Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_FOREIGN_MODULE}
  ${Else}
    StrCpy $MakeBackup 1
  ${EndIf}
FunctionEnd

; The installed version against this one: an upgrade or a repair is said, an
; older version than the one installed is asked first (silently: /STARSZA).
; $0 = EXIT_INSTALLED to go on, else EXIT_DOWNGRADE_REFUSED with $Message.
Function AskAboutOlderVersion
  StrCpy $0 ${EXIT_INSTALLED}
  ${If} $InstalledVersion == ""
    Return
  ${EndIf}
  ${VersionCompare} "$InstalledVersion" "${VERSION}" $1
  ${If} $1 != 1
    Return
  ${EndIf}
  StrCpy $Message "W folderze „$HostShown” jest zainstalowana nowsza wersja wtyczki (${MODULE} $InstalledVersion) niż ta, którą instaluje ten instalator (${VERSION})."
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/STARSZA" $R1
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    StrCpy $Message "$Message Bez przełącznika /STARSZA instalator nie zastępuje nowszej wersji starszą. Nic nie zostało zmienione."
  ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$Message$\r$\n$\r$\nZastąpić ją starszą wersją ${VERSION}?" IDYES`
    Return
  ${Else}
    StrCpy $Message "Instalacja przerwana: zostaje nowsza wersja wtyczki $InstalledVersion. Nic nie zostało zmienione."
  ${EndIf}
  StrCpy $0 ${EXIT_DOWNGRADE_REFUSED}
FunctionEnd

; The line the progress page and the log show for what the install is.
Function InstallKindText
  ${If} $InstalledVersion == ""
    StrCpy $R0 "Pierwsza instalacja wtyczki ${MODULE} ${VERSION}."
    Return
  ${EndIf}
  ${VersionCompare} "$InstalledVersion" "${VERSION}" $1
  ${If} $1 == 0
    StrCpy $R0 "Ponowna instalacja wersji ${VERSION}: wszystkie pliki wtyczki zapisane od nowa."
  ${ElseIf} $1 == 2
    StrCpy $R0 "Aktualizacja wtyczki z wersji $InstalledVersion do ${VERSION}."
  ${Else}
    StrCpy $R0 "Zastąpienie nowszej wersji $InstalledVersion starszą ${VERSION}."
  ${EndIf}
FunctionEnd
