; The installer Kalwestrowka-<version>-setup.exe, built by make_dist.py with
; makensis (Unicode, Polish). make_dist.py defines:
;   VERSION    the module's version (FileVersion of the DLL's version resource)
;   PRODUCT    its product name (ProductName of the same resource)
;   PUBLISHER  its publisher (CompanyName of the resource; empty when it has none)
;   STAGE      the folder with the files as they ship (signed where signed)
;   OUTFILE    the installer to write
;   SIGN_UNINSTALLER  (only with a certificate) the command that signs the
;              uninstaller as makensis writes it (%1: its file)
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
;
; The parts: report.nsh (the log lines, the report, the exit), host_folder.nsh
; (the folder page and how a folder is written), binding_check.nsh (kalwcheck's
; answer), uninstall_entry.nsh (the list of installed programs), next_steps.nsh
; (the last page), uninstall_confirm.nsh (the uninstaller's first page).

Unicode true
SetCompressor /SOLID lzma
; The extracted files get the time they are written, not the build's: the
; installer holds no file times, so the same files give the same bytes.
SetDateSave off
RequestExecutionLevel admin
ManifestSupportedOS all
; A host on a drive's root (S:\) is installed like any other.
AllowRootDirInstall true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "StrFunc.nsh"
!include "nsDialogs.nsh"
!include "WinMessages.nsh"
${StrStr}

!define MODULE "Kalwestrowka"
!define MODULE_DIR "Kalwestrowka"
!define BACKUP "Kalwestrowka.dll.kopia"
!define UNINSTALLER "Odinstaluj.exe"
!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
; The guide the last page opens, in the module's folder.
!define GUIDE_FILE "PODRECZNIK.TXT"

!define EXIT_INSTALLED 0
!define EXIT_CANCELLED 1
!define EXIT_NO_HOST 2
!define EXIT_WOULD_NOT_BIND 3
!define EXIT_FALLBACKS_REFUSED 4
!define EXIT_NOT_CHECKED 5
!define EXIT_NOT_WRITTEN 6

; The files of the module's folder besides the uninstaller and the backup, for
; the install and the uninstall alike: !insertmacro MODULE_FOLDER_FILES <macro>.
!macro MODULE_FOLDER_FILES FOR_EACH
  !insertmacro ${FOR_EACH} "kalwcfg.exe"
  !insertmacro ${FOR_EACH} "kalwcheck.exe"
  !insertmacro ${FOR_EACH} "kalwraport.exe"
  !insertmacro ${FOR_EACH} "INSTALACJA.TXT"
  !insertmacro ${FOR_EACH} "PODRECZNIK.TXT"
!macroend

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir ""
ShowInstDetails show
ShowUninstDetails show
BrandingText "${MODULE} ${VERSION}"
!ifdef SIGN_UNINSTALLER
!uninstfinalize '${SIGN_UNINSTALLER}' = 0
!endif

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

Var Message           ; what the last step has to say, in Polish
Var Report            ; the file /RAPORT= names, or empty
Var Missing           ; the missing host data and functions, "ordinal name, ..."
Var Verdict           ; kalwcheck's verdict, decoded
Var Problem           ; why TALMER.dll is no host library, decoded
Var FallbacksAccepted ; 1: installed though functions are missing
Var CheckSummary      ; what the check found, in Polish
Var InstalledSummary  ; what was installed where, in Polish
Var HostShown         ; the host folder as people write it (S:\)
Var ModuleDir
Var HostDir           ; the uninstaller's host folder

!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_ABORT UserAbort
Page custom HostFolderPage HostFolderLeave
!define MUI_PAGE_HEADER_TEXT "Instalowanie wtyczki"
!define MUI_PAGE_HEADER_SUBTEXT "Sprawdzony program, kopia poprzedniej wtyczki, nowe pliki."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Wtyczka zainstalowana"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Na następnej stronie: co dalej."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Wtyczka nie została zainstalowana"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Folder programu jest taki, jaki był."
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES
Page custom NextStepsPage NextStepsLeave

UninstPage custom un.ConfirmPage
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

!include "report.nsh"
!include "binding_check.nsh"

Function .onInit
  Call ReadReportSwitch
  Call FolderFromCommandLine
  ${If} ${Silent}
    Call CheckFolder
    ${If} $0 != ${EXIT_INSTALLED}
      Call Finish
      Quit
    ${EndIf}
  ${ElseIf} $INSTDIR == ""
    Call PreviousHostFolder
  ${EndIf}
FunctionEnd

Function UserAbort
  StrCpy $Message "Instalacja przerwana, nic nie zostało zmienione."
  Push ${EXIT_CANCELLED}
  Call WriteReport
  SetErrorLevel ${EXIT_CANCELLED}
FunctionEnd

; A file of the module's folder written beside its place (NAME.nowa), then put
; in its place once the module is; on a failure the new copies go.
!macro WRITE_NEW NAME
  File "/oname=$ModuleDir\${NAME}.nowa" "${STAGE}\${NAME}"
!macroend
!macro PUT_IN_PLACE NAME
  Delete "$ModuleDir\${NAME}"
  Rename "$ModuleDir\${NAME}.nowa" "$ModuleDir\${NAME}"
!macroend
!macro DROP_NEW NAME
  Delete "$ModuleDir\${NAME}.nowa"
!macroend

; The files could not be written: undo what this run did, say why, stop
; (WriteFailed ends with Abort). The success path runs to the section's end,
; so that the progress bar, which counts the section's instructions, ends full.
!macro FAIL_WRITING TEXT
  StrCpy $Message "${TEXT} Zamknij program sprzedaży na wszystkich stanowiskach i uruchom instalator ponownie. Folder programu jest taki, jaki był."
  Call WriteFailed
!macroend

Section "Kalwestrowka" SECTION_MODULE
  SetDetailsPrint none
  ; The current folder is the temporary one, never the module's folder, which a
  ; failed run removes.
  SetOutPath "$PLUGINSDIR"
  StrCpy $ModuleDir "$INSTDIR\${MODULE_DIR}"
  !insertmacro SAY "Folder programu: $HostShown"
  !insertmacro SAY "${CHECKED_TEXT}"
  ${If} $FallbacksAccepted == 1
    !insertmacro SAY "${FALLBACKS_ACCEPTED_TEXT}"
  ${EndIf}
  StrCpy $InstalledSummary "Zainstalowano w folderze „$HostShown”: Kalwestrowka.dll i folder Kalwestrowka z programami kalwcfg, kalwcheck i kalwraport, opisem instalacji, podręcznikiem i dezinstalatorem."

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
    ClearErrors
    CopyFiles /SILENT "$INSTDIR\Kalwestrowka.dll" "$ModuleDir\${BACKUP}"
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$ModuleDir\${BACKUP}"
      Delete "$ModuleDir\${BACKUP}"
      !insertmacro FAIL_WRITING "Nie udało się zrobić kopii dotychczasowej wtyczki."
    ${EndIf}
    StrCpy $R6 1
    !insertmacro SAY "Kopia dotychczasowej wtyczki: $ModuleDir\${BACKUP}"
    StrCpy $InstalledSummary "$InstalledSummary Dotychczasowa wtyczka jest zachowana jako Kalwestrowka\${BACKUP}."
  ${EndIf}

  ; The new files beside the old ones, then the module in its place: while the
  ; program uses the old module it cannot be removed, and nothing is replaced.
  ; "try": a file that cannot be written sets the error flag, without a question.
  SetOverwrite try
  ClearErrors
  File "/oname=$ModuleDir\Kalwestrowka.dll.nowa" "${STAGE}\Kalwestrowka.dll"
  !insertmacro MODULE_FOLDER_FILES WRITE_NEW
  SetOverwrite on
  ${If} ${Errors}
    !insertmacro FAIL_WRITING "Nie udało się zapisać nowych plików w folderze $ModuleDir."
  ${EndIf}
  ClearErrors
  Delete "$INSTDIR\Kalwestrowka.dll"
  ${If} ${Errors}
    !insertmacro FAIL_WRITING "Nie można zastąpić pliku $INSTDIR\Kalwestrowka.dll: program sprzedaży go używa."
  ${EndIf}
  ClearErrors
  Rename "$ModuleDir\Kalwestrowka.dll.nowa" "$INSTDIR\Kalwestrowka.dll"
  ${If} ${Errors}
    ${If} ${FileExists} "$ModuleDir\${BACKUP}"
      CopyFiles /SILENT "$ModuleDir\${BACKUP}" "$INSTDIR\Kalwestrowka.dll"
    ${EndIf}
    !insertmacro FAIL_WRITING "Nie udało się zapisać pliku $INSTDIR\Kalwestrowka.dll."
  ${EndIf}
  !insertmacro SAY "Nowa wtyczka: $INSTDIR\Kalwestrowka.dll"
  !insertmacro MODULE_FOLDER_FILES PUT_IN_PLACE
  WriteUninstaller "$ModuleDir\${UNINSTALLER}"
  !insertmacro SAY "Programy kalwcfg, kalwcheck i kalwraport, opis instalacji, podręcznik i dezinstalator: $ModuleDir"
  Call WriteUninstallEntry
  !insertmacro SAY "Wpis na liście zainstalowanych programów: ${PRODUCT} ($HostShown)"

  StrCpy $Message "Zainstalowano wtyczkę ${MODULE} ${VERSION} w folderze „$HostShown”.$\r$\n$CheckSummary"
  !insertmacro SAY "Zainstalowano wtyczkę ${MODULE} ${VERSION}."
  Push ${EXIT_INSTALLED}
  Call WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd

Function WriteFailed
  Delete "$ModuleDir\Kalwestrowka.dll.nowa"
  !insertmacro MODULE_FOLDER_FILES DROP_NEW
  ${If} $R6 == 1
    Delete "$ModuleDir\${BACKUP}"
  ${EndIf}
  ${If} $R5 == 1
    RMDir "$ModuleDir"
  ${EndIf}
  StrCpy $0 ${EXIT_NOT_WRITTEN}
  Call Finish
  Abort
FunctionEnd

!include "host_folder.nsh"
!include "uninstall_entry.nsh"
!include "next_steps.nsh"
!include "uninstall_confirm.nsh"

; The uninstaller lives in <host folder>\Kalwestrowka: $INSTDIR is that folder.
Function un.onInit
  Call un.ReadReportSwitch
  ${GetParent} "$INSTDIR" $HostDir
  StrCpy $R0 $HostDir
  Call un.ShownFolder
  StrCpy $HostShown $R0
  ; The confirm page's text.
  StrCpy $Message "Zanim odinstalujesz: odinstaluj wtyczkę w programie sprzedaży (tak jak każdą inną wtyczkę; program usunie wtedy polecenie „Konfiguracja spr.obcej”) i zamknij program na wszystkich stanowiskach.$\r$\n$\r$\nDezinstalator usunie plik Kalwestrowka.dll z folderu „$HostShown”"
  ${If} ${FileExists} "$INSTDIR\${BACKUP}"
    StrCpy $Message "$Message, przywróci tam wtyczkę, która była przed pierwszą instalacją (z kopii ${BACKUP})"
  ${EndIf}
  StrCpy $Message "$Message, a także folder Kalwestrowka z programami kalwcfg, kalwcheck i kalwraport, opisem instalacji i podręcznikiem.$\r$\n$\r$\nZostaną bez zmian: komis.cfg (wybór magazynów komisowych), Kalwestrowka.log (dziennik błędów wtyczki) i Kalwestrowka-dziennik.csv (dziennik zmian, z którego kalwraport robi rozliczenie)."
FunctionEnd

!macro DELETE_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend

Section "Uninstall"
  SetDetailsPrint none
  ; The current folder out of the module's folder, which goes.
  SetOutPath "$TEMP"
  ; The module as it was before the first install goes back; else the
  ; module is removed. komis.cfg, Kalwestrowka.log and the journal stay.
  ClearErrors
  ${If} ${FileExists} "$HostDir\Kalwestrowka.dll"
    Delete "$HostDir\Kalwestrowka.dll"
    ${If} ${Errors}
      StrCpy $Message "Nie można usunąć pliku $HostDir\Kalwestrowka.dll: program sprzedaży go używa. Odinstaluj wtyczkę w programie, zamknij program na wszystkich stanowiskach i odinstaluj ponownie. Nic nie zostało zmienione."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
      Call un.Finish
      Abort
    ${EndIf}
    !insertmacro SAY "Usunięto wtyczkę: $HostDir\Kalwestrowka.dll"
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
    !insertmacro SAY "Przywrócono poprzednią wtyczkę: $HostDir\Kalwestrowka.dll"
  ${EndIf}
  !insertmacro MODULE_FOLDER_FILES DELETE_FILE
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  !insertmacro SAY "Usunięto programy, opis i podręcznik z folderu $INSTDIR"
  Call un.DeleteUninstallEntry
  !insertmacro SAY "Bez zmian zostają: komis.cfg, Kalwestrowka.log i Kalwestrowka-dziennik.csv."
  StrCpy $Message "Odinstalowano wtyczkę ${MODULE} ${VERSION} z folderu „$HostShown”."
  !insertmacro SAY "$Message"
  Push ${EXIT_INSTALLED}
  Call un.WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd
