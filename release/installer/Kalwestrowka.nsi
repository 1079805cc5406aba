; The installer Kalwestrowka-<version>-setup.exe, built by make_dist.py with
; makensis (Unicode, Polish). make_dist.py defines:
;   VERSION    the module's version (FileVersion of the DLL's version resource)
;   PRODUCT    its product name (ProductName of the same resource)
;   PUBLISHER  its publisher (CompanyName of the resource; empty when it has none)
;   STAGE      the folder with the files as they ship (signed where signed)
;   OUTFILE    the installer to write
;
; Exit codes (also in INSTALACJA.TXT):
;   0 installed            1 cancelled by the user
;   2 no TALMER.dll in the folder
;   3 the check says the module would not bind to that TALMER.dll
;   4 the module would bind only with fallbacks and that was not accepted
;     (silent mode without /ZASLEPKI)
;   5 the check could not be run: nothing was changed
;   6 the files could not be written (the host running?): the folder is as it was
;
; Silent mode: Kalwestrowka-<version>-setup.exe /S [/ZASLEPKI] [/RAPORT=file] /D=folder
; (/D= last, without quotes). /RAPORT= writes what happened in Polish (UTF-16).

Unicode true
SetCompressor /SOLID lzma
; The extracted files get the time they are written, not the build's: the
; installer holds no file times, so the same files give the same bytes.
SetDateSave off
RequestExecutionLevel admin
ManifestSupportedOS all

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "StrFunc.nsh"
${StrStr}

!define MODULE "Kalwestrowka"
!define MODULE_DIR "Kalwestrowka"
!define BACKUP "Kalwestrowka.dll.kopia"
!define UNINSTALLER "Odinstaluj.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalwestrowka"

!define EXIT_INSTALLED 0
!define EXIT_CANCELLED 1
!define EXIT_NO_HOST 2
!define EXIT_WOULD_NOT_BIND 3
!define EXIT_FALLBACKS_REFUSED 4
!define EXIT_NOT_CHECKED 5
!define EXIT_NOT_WRITTEN 6

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir ""
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${MODULE} ${VERSION}"

; The installer's version resource says what the DLL's says, which has no
; copyright line: makensis' warning about the missing key is turned off.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1045 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1045 "FileDescription" "Instalator wtyczki ${MODULE}"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
!if "${PUBLISHER}" != ""
VIAddVersionKey /LANG=1045 "CompanyName" "${PUBLISHER}"
!endif

Var Message      ; what the last step has to say, in Polish
Var Report       ; the file /RAPORT= names, or empty
Var Missing      ; the missing host functions, "ordinal name, ..."
Var Verdict      ; kalwcheck's last line, decoded
Var ModuleDir
Var HostDir      ; the uninstaller's host folder

!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_ABORT UserAbort
!define MUI_DIRECTORYPAGE_TEXT_TOP "Wskaż folder programu sprzedaży: ten, w którym jest plik TALMER.dll. Instalator najpierw sprawdzi, czy wtyczka zwiąże się z tym programem, i dopiero wtedy skopiuje pliki. Pliki komis.cfg i Kalwestrowka.log zostaną nietknięte."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder programu (z plikiem TALMER.dll)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

; Writes $Message and the exit code to the /RAPORT= file (UTF-16 LE).
!macro WRITE_REPORT UN
Function ${UN}WriteReport
  Exch $0  ; exit code
  Push $1
  ${If} $Report != ""
    ClearErrors
    FileOpen $1 $Report w
    ${IfNot} ${Errors}
      FileWriteWord $1 0xFEFF
      FileWriteUTF16LE $1 "$Message$\r$\nKod wyjścia: $0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WRITE_REPORT ""
!insertmacro WRITE_REPORT "un."

; Ends with exit code $0 and $Message: a message box unless silent, the report.
!macro FINISH UN
Function ${UN}Finish
  MessageBox MB_OK|MB_ICONSTOP "$Message" /SD IDOK
  Push $0
  Call ${UN}WriteReport
  SetErrorLevel $0
FunctionEnd
!macroend
!insertmacro FINISH ""
!insertmacro FINISH "un."

Function .onInit
  StrCpy $Report ""
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RAPORT=" $R1
  ${IfNot} ${Errors}
    StrCpy $Report $R1
  ${EndIf}
  ${If} ${Silent}
    Call CheckFolder
    ${If} $0 != ${EXIT_INSTALLED}
      Call Finish
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function UserAbort
  StrCpy $Message "Instalacja przerwana, nic nie zostało zmienione."
  Push ${EXIT_CANCELLED}
  Call WriteReport
  SetErrorLevel ${EXIT_CANCELLED}
FunctionEnd

Function DirectoryLeave
  Call CheckFolder
  ${If} $0 == ${EXIT_FALLBACKS_REFUSED}
    Abort  ; answered No to the question: stays on the page
  ${ElseIf} $0 != ${EXIT_INSTALLED}
    MessageBox MB_OK|MB_ICONSTOP "$Message"
    Abort  ; stays on the page: another folder may be chosen
  ${EndIf}
FunctionEnd

; $R0: text with JSON escapes (\uXXXX, \", \\) -> $R0 decoded.
Function DecodeJsonText
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $1 ""
  StrCpy $2 0
  ${Do}
    StrCpy $3 $R0 1 $2
    ${If} $3 == ""
      ${Break}
    ${EndIf}
    ${If} $3 == "\"
      IntOp $2 $2 + 1
      StrCpy $3 $R0 1 $2
      ${If} $3 == "u"
        IntOp $2 $2 + 1
        StrCpy $4 $R0 4 $2
        IntOp $4 0x$4 + 0
        IntFmt $3 "%c" $4
        IntOp $2 $2 + 3
      ${EndIf}
    ${EndIf}
    StrCpy $1 "$1$3"
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $R0 $1
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $R0: a line of kalwcheck's JSON, $R1: a field name -> $R0 the field's value
; (a string without its quotes, or a number), "" when the line has no such field.
Function JsonField
  Push $1
  ${StrStr} $1 $R0 '"$R1": '
  ${If} $1 == ""
    StrCpy $R0 ""
  ${Else}
    StrLen $R0 '"$R1": '
    StrCpy $1 $1 "" $R0
    StrCpy $R0 $1 1
    ${If} $R0 == '"'
      ; up to the closing quote (escaped quotes skipped)
      StrCpy $1 $1 "" 1
      Push $2
      Push $3
      StrCpy $2 0
      ${Do}
        StrCpy $3 $1 1 $2
        ${If} $3 == "\"
          IntOp $2 $2 + 2
          ${Continue}
        ${EndIf}
        ${If} $3 == '"'
        ${OrIf} $3 == ""
          ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
      StrCpy $R0 $1 $2
      Pop $3
      Pop $2
    ${Else}
      ; a number or a word, up to "," or "}"
      Push $2
      Push $3
      StrCpy $2 0
      ${Do}
        StrCpy $3 $1 1 $2
        ${If} $3 == ","
        ${OrIf} $3 == "}"
        ${OrIf} $3 == ""
        ${OrIf} $3 == "$\r"
        ${OrIf} $3 == "$\n"
          ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
      StrCpy $R0 $1 $2
      Pop $3
      Pop $2
    ${EndIf}
  ${EndIf}
  Pop $1
FunctionEnd

; Whether the module may go into $INSTDIR: $0 = EXIT_INSTALLED when it may,
; else the exit code, with $Message saying why. Changes nothing in $INSTDIR.
Function CheckFolder
  StrCpy $Missing ""
  StrCpy $Verdict ""
  ${IfNot} ${FileExists} "$INSTDIR\TALMER.dll"
    StrCpy $Message "W folderze „$INSTDIR” nie ma pliku TALMER.dll. Wtyczkę instaluje się w folderze programu sprzedaży, obok jego biblioteki TALMER.dll. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NO_HOST}
    Return
  ${EndIf}

  InitPluginsDir
  Delete "$PLUGINSDIR\kalwcheck.json"
  ClearErrors
  File "/oname=$PLUGINSDIR\kalwcheck.exe" "${STAGE}\kalwcheck.exe"
  ${If} ${Errors}
    StrCpy $Message "Nie udało się rozpakować programu kalwcheck do folderu tymczasowego, więc nie można sprawdzić, czy wtyczka zwiąże się z programem. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NOT_CHECKED}
    Return
  ${EndIf}
  ReadEnvStr $1 COMSPEC
  ${If} $1 == ""
    StrCpy $1 "$SYSDIR\cmd.exe"
  ${EndIf}
  nsExec::Exec '"$1" /c ""$PLUGINSDIR\kalwcheck.exe" --json "$INSTDIR\TALMER.dll" > "$PLUGINSDIR\kalwcheck.json""'
  Pop $2  ; kalwcheck's exit code, or "error" / "timeout"

  ; The answer: the status in the file must be the exit code, and the file it
  ; read this folder's TALMER.dll (cmd.exe expands %NAME% even between quotes,
  ; so a folder name with % signs could have sent it to another file).
  StrCpy $3 ""
  StrCpy $8 ""
  ClearErrors
  FileOpen $4 "$PLUGINSDIR\kalwcheck.json" r
  ${IfNot} ${Errors}
    ${Do}
      ClearErrors
      FileRead $4 $5
      ${If} ${Errors}
        ${Break}
      ${EndIf}
      StrCpy $R0 $5
      StrCpy $R1 "status"
      Call JsonField
      ${If} $R0 != ""
      ${AndIf} $3 == ""
        StrCpy $3 $R0
      ${EndIf}
      StrCpy $R0 $5
      StrCpy $R1 "file"
      Call JsonField
      ${If} $R0 != ""
      ${AndIf} $8 == ""
        Call DecodeJsonText
        StrCpy $8 $R0
      ${EndIf}
      StrCpy $R0 $5
      StrCpy $R1 "verdict"
      Call JsonField
      ${If} $R0 != ""
        Call DecodeJsonText
        StrCpy $Verdict $R0
      ${EndIf}
      ${StrStr} $6 $5 '"present": false'
      ${If} $6 != ""
        StrCpy $R0 $5
        StrCpy $R1 "ordinal"
        Call JsonField
        StrCpy $7 $R0
        StrCpy $R0 $5
        StrCpy $R1 "name"
        Call JsonField
        Call DecodeJsonText
        ${If} $Missing != ""
          StrCpy $Missing "$Missing, "
        ${EndIf}
        StrCpy $Missing "$Missing$7 $R0"
      ${EndIf}
    ${Loop}
    FileClose $4
  ${EndIf}

  ${If} $3 != $2
  ${OrIf} $Verdict == ""
  ${OrIf} $8 != "$INSTDIR\TALMER.dll"
    StrCpy $Message "Nie udało się sprawdzić, czy wtyczka zwiąże się z programem (kalwcheck: $2). Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NOT_CHECKED}
    Return
  ${EndIf}
  ${If} $2 == 0
    StrCpy $0 ${EXIT_INSTALLED}
    Return
  ${EndIf}
  ${If} $2 == 1
    StrCpy $Message "Wtyczka zwiąże się z programem w folderze „$INSTDIR” tylko z zaślepkami: brakuje funkcji programu $Missing. Przy pierwszym uruchomieniu program pokaże okno „POWAŻNY BŁĄD WTYCZKI”; po odpowiedzi „Ignoruj” działania wtyczki, które ich potrzebują, nie zadziałają.$\r$\n$\r$\n$Verdict"
    ${If} ${Silent}
      ${GetParameters} $R0
      ClearErrors
      ${GetOptions} $R0 "/ZASLEPKI" $R1
      ${If} ${Errors}
        StrCpy $Message "$Message$\r$\n$\r$\nBez przełącznika /ZASLEPKI instalator nie instaluje wtyczki z zaślepkami. Nic nie zostało zmienione."
        StrCpy $0 ${EXIT_FALLBACKS_REFUSED}
        Return
      ${EndIf}
      StrCpy $0 ${EXIT_INSTALLED}
      Return
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$Message$\r$\n$\r$\nZainstalować mimo to?" IDYES fallbacks_accepted
    StrCpy $Message "Instalacja przerwana: brakuje funkcji programu $Missing. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_FALLBACKS_REFUSED}
    Return
  fallbacks_accepted:
    StrCpy $0 ${EXIT_INSTALLED}
    Return
  ${EndIf}
  ${If} $Missing != ""
    StrCpy $Missing " Brakuje: $Missing."
  ${EndIf}
  StrCpy $Message "Wtyczka nie zwiąże się z programem w folderze „$INSTDIR”.$Missing$\r$\n$\r$\n$Verdict$\r$\n$\r$\nNic nie zostało zmienione."
  StrCpy $0 ${EXIT_WOULD_NOT_BIND}
FunctionEnd

; The files could not be written: undo what this run did, say why, stop.
!macro FAIL_WRITING TEXT
  StrCpy $Message "${TEXT} Zamknij program sprzedaży na wszystkich stanowiskach i uruchom instalator ponownie."
  Goto write_failed
!macroend

Section "Kalwestrowka"
  StrCpy $ModuleDir "$INSTDIR\${MODULE_DIR}"
  ; Installed before (the uninstaller is there): an upgrade, the backup of the
  ; first install stays as it is. Otherwise a module already there is kept.
  StrCpy $R5 0  ; 1: this run made the module folder
  StrCpy $R6 0  ; 1: this run made the backup
  ${IfNot} ${FileExists} "$ModuleDir\*.*"
    ClearErrors
    CreateDirectory "$ModuleDir"
    ${If} ${Errors}
      !insertmacro FAIL_WRITING "Nie udało się utworzyć folderu $ModuleDir."
    ${EndIf}
    StrCpy $R5 1
  ${EndIf}
  ${IfNot} ${FileExists} "$ModuleDir\${UNINSTALLER}"
  ${AndIfNot} ${FileExists} "$ModuleDir\${BACKUP}"
  ${AndIf} ${FileExists} "$INSTDIR\Kalwestrowka.dll"
    DetailPrint "Kopia dotychczasowej wtyczki: $ModuleDir\${BACKUP}"
    ClearErrors
    CopyFiles /SILENT "$INSTDIR\Kalwestrowka.dll" "$ModuleDir\${BACKUP}"
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$ModuleDir\${BACKUP}"
      Delete "$ModuleDir\${BACKUP}"
      !insertmacro FAIL_WRITING "Nie udało się zrobić kopii dotychczasowej wtyczki."
    ${EndIf}
    StrCpy $R6 1
  ${EndIf}

  ; The new module beside the old one, then in its place.
  SetOutPath "$ModuleDir"
  ClearErrors
  File "/oname=$ModuleDir\Kalwestrowka.dll.nowa" "${STAGE}\Kalwestrowka.dll"
  ${If} ${Errors}
    Delete "$ModuleDir\Kalwestrowka.dll.nowa"
    !insertmacro FAIL_WRITING "Nie udało się zapisać nowej wtyczki w folderze $ModuleDir."
  ${EndIf}
  ClearErrors
  Delete "$INSTDIR\Kalwestrowka.dll"
  ${If} ${Errors}
    Delete "$ModuleDir\Kalwestrowka.dll.nowa"
    !insertmacro FAIL_WRITING "Nie można zastąpić pliku $INSTDIR\Kalwestrowka.dll: program sprzedaży go używa."
  ${EndIf}
  ClearErrors
  Rename "$ModuleDir\Kalwestrowka.dll.nowa" "$INSTDIR\Kalwestrowka.dll"
  ${If} ${Errors}
    Delete "$ModuleDir\Kalwestrowka.dll.nowa"
    ${If} ${FileExists} "$ModuleDir\${BACKUP}"
      CopyFiles /SILENT "$ModuleDir\${BACKUP}" "$INSTDIR\Kalwestrowka.dll"
    ${EndIf}
    !insertmacro FAIL_WRITING "Nie udało się zapisać pliku $INSTDIR\Kalwestrowka.dll."
  ${EndIf}
  DetailPrint "Zapisano: $INSTDIR\Kalwestrowka.dll"

  ; The administrator tools and the guide in the module's folder.
  File "${STAGE}\kalwcfg.exe"
  File "${STAGE}\kalwcheck.exe"
  File "${STAGE}\INSTALACJA.TXT"
  WriteUninstaller "$ModuleDir\${UNINSTALLER}"

  ; Where Windows lists installed programs: HKLM, or the user's when that fails.
  SetRegView 32
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ${If} ${Errors}
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  !if "${PUBLISHER}" != ""
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  !endif
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$ModuleDir\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$ModuleDir\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  StrCpy $Message "Zainstalowano wtyczkę ${MODULE} ${VERSION} w folderze „$INSTDIR”."
  DetailPrint "$Message"
  Push ${EXIT_INSTALLED}
  Call WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
  Return

write_failed:
  ${If} $R6 == 1
    Delete "$ModuleDir\${BACKUP}"
  ${EndIf}
  ${If} $R5 == 1
    RMDir "$ModuleDir"
  ${EndIf}
  StrCpy $0 ${EXIT_NOT_WRITTEN}
  DetailPrint "$Message"
  Call Finish
  Abort
SectionEnd

; The uninstaller lives in <host folder>\Kalwestrowka: $INSTDIR is that folder.
Function un.onInit
  StrCpy $Report ""
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RAPORT=" $R1
  ${IfNot} ${Errors}
    StrCpy $Report $R1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${GetParent} "$INSTDIR" $HostDir
  ; The module as it was before the first install goes back; else the
  ; module is removed. komis.cfg and Kalwestrowka.log stay.
  ClearErrors
  ${If} ${FileExists} "$HostDir\Kalwestrowka.dll"
    Delete "$HostDir\Kalwestrowka.dll"
  ${EndIf}
  ${If} ${Errors}
    StrCpy $Message "Nie można usunąć pliku $HostDir\Kalwestrowka.dll: program sprzedaży go używa. Zamknij program na wszystkich stanowiskach i odinstaluj ponownie. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NOT_WRITTEN}
    Call un.Finish
    Abort
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\${BACKUP}"
    ClearErrors
    Rename "$INSTDIR\${BACKUP}" "$HostDir\Kalwestrowka.dll"
    ${If} ${Errors}
      StrCpy $Message "Nie udało się przywrócić poprzedniej wtyczki; jej kopia została w pliku $INSTDIR\${BACKUP}."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
      Call un.Finish
      Abort
    ${EndIf}
    DetailPrint "Przywrócono poprzednią wtyczkę: $HostDir\Kalwestrowka.dll"
  ${EndIf}
  Delete "$INSTDIR\kalwcfg.exe"
  Delete "$INSTDIR\kalwcheck.exe"
  Delete "$INSTDIR\INSTALACJA.TXT"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  ; The entry in the list of installed programs, when it is this folder's.
  SetRegView 32
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $HostDir
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $HostDir
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  StrCpy $Message "Odinstalowano wtyczkę ${MODULE} ${VERSION} z folderu „$HostDir”."
  DetailPrint "$Message"
  Push ${EXIT_INSTALLED}
  Call un.WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd
