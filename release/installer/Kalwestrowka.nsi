; The installer Kalwestrowka-<version>-setup.exe, built by make_dist.py with
; makensis (Unicode, Polish). make_dist.py defines:
;   VERSION    the module's version (FileVersion of the DLL's version resource)
;   PRODUCT    its product name (ProductName of the same resource)
;   PUBLISHER  its publisher (CompanyName of the resource; empty when it has none)
;   STAGE      the folder with the files as they ship (signed where signed)
;   OUTFILE    the installer to write
;   INSTALLED_KB  the staged files it writes, in kilobytes (the uninstaller,
;              the log and a backup come on top)
;   SIGN_UNINSTALLER  (only with a certificate) the command that signs the
;              uninstaller as makensis writes it (%1: its file)
;
; Exit codes (also in INSTALACJA.TXT and in /?). The NSIS stub itself ends
; with 1 when the user cancels and 2 when it cannot run (a damaged file, a
; start it cannot read itself from); the installer's own answers are 0, 1 for
; a cancel, and codes from 10 on, which the stub never uses:
;   0 installed (also: /? answered)        1 cancelled by the user
;  10 no TALMER.dll in the folder, or no full folder name
;  11 the check says the module would not bind to that TALMER.dll
;  12 the module would bind only with fallbacks and that was not accepted
;     (silent mode without /ZASLEPKI)
;  13 the check could not be run: nothing was changed
;  14 the files could not be written (disk, permissions): the folder is as it was
;  15 a file is in use by a running program: the folder is as it was
;  16 an older version over a newer one, not accepted (silently: without /STARSZA)
;  17 another installer or uninstaller of the module is running
;  18 the folder's Kalwestrowka.dll is not the installed one and a backup is there
;  19 (the uninstaller) no installer installed the module there: no record,
;     no entry in the list of installed programs; nothing touched
; The uninstaller: 0, 1, 2 as above, 13, 14, 15, 17, 18, 19; its repair
; (/NAPRAW): the same, its 18 for any Kalwestrowka.dll other than its own.
;
; Silent mode: Kalwestrowka-<version>-setup.exe /S [/ZASLEPKI] [/STARSZA] [/RAPORT=file] /D=folder
; (/D= last, without quotes). /RAPORT= writes what happened in Polish (UTF-16).
;
; The parts: report.nsh (the log lines, the report, the exit), single_run.nsh
; (one run at a time, /?), host_folder.nsh (the folder page and how a folder
; is written), binding_check.nsh (kalwcheck's answer), previous_install.nsh
; (what is there already: the backup, the version), install_files.nsh (the
; files written all or none), uninstall_entry.nsh (the list of installed
; programs), next_steps.nsh (the last page), uninstall_confirm.nsh and
; uninstall_files.nsh (the uninstaller's first page and its work), repair.nsh
; (the uninstaller's repair of the installed files).

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
; What the install wrote (sha256sum's format), made by make_dist.py.
!define RECORD "ZAINSTALOWANE.SHA256"
; The install's log, for support: every install appends what it checked,
; decided and wrote.
!define INSTALL_LOG "instalacja.log"

; CreateFileW's disposition for a file that must be there already.
!define OPEN_EXISTING 3

!define EXIT_INSTALLED 0
!define EXIT_CANCELLED 1
!define EXIT_NO_HOST 10
!define EXIT_WOULD_NOT_BIND 11
!define EXIT_FALLBACKS_REFUSED 12
!define EXIT_NOT_CHECKED 13
!define EXIT_NOT_WRITTEN 14
!define EXIT_IN_USE 15
!define EXIT_DOWNGRADE_REFUSED 16
!define EXIT_ANOTHER_RUN 17
!define EXIT_FOREIGN_MODULE 18
!define EXIT_NOTHING_INSTALLED 19

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
; The uninstaller is written with the installer's resources: one text for both.
VIAddVersionKey /LANG=1045 "FileDescription" "Instalacja i odinstalowanie wtyczki ${MODULE}"
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
Var HostDir           ; the host folder (the uninstaller's: its parent)
Var LogHandle         ; the install's log while it is written, or ""
Var Repairing         ; 1: /NAPRAW, the uninstaller repairs instead (repair.nsh)
; The uninstaller's page headers: its own or its repair's (un.onInit).
Var UnHeader
Var UnHeaderSub
Var UnDoneHeader
Var UnDoneHeaderSub
Var UnFailedHeader

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
; The uninstaller's own headers, not the installer's.
!macro FORGET NAME
  !ifdef ${NAME}
    !undef ${NAME}
  !endif
!macroend
!insertmacro FORGET MUI_INSTFILESPAGE_FINISHHEADER_TEXT
!insertmacro FORGET MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT
!insertmacro FORGET MUI_INSTFILESPAGE_ABORTHEADER_TEXT
!insertmacro FORGET MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT
!define MUI_PAGE_HEADER_TEXT "$UnHeader"
!define MUI_PAGE_HEADER_SUBTEXT "$UnHeaderSub"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$UnDoneHeader"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$UnDoneHeaderSub"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$UnFailedHeader"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Folder programu jest taki, jaki był."
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

!include "report.nsh"
!include "single_run.nsh"
!insertmacro HELP_ASKED "" "Kalwestrowka-${VERSION}-setup.exe [/S] [/ZASLEPKI] [/STARSZA] [/RAPORT=plik] [/D=folder]$\r$\n/S – bez okien; /D= – folder programu sprzedaży (z plikiem TALMER.DLL), na końcu wiersza, bez cudzysłowów; /ZASLEPKI – zgoda na instalację z zaślepkami; /STARSZA – zgoda na zastąpienie nowszej wersji starszą; /RAPORT= – zapisuje w pliku (UTF-16), co się stało.$\r$\nKody wyjścia: 0 zainstalowano; 1 przerwane przez użytkownika; 2 instalator uszkodzony albo nie mógł się uruchomić; 10 brak TALMER.DLL albo folder bez pełnej ścieżki; 11 wtyczka nie zwiąże się z programem; 12 brak zgody na zaślepki; 13 nie udało się sprawdzić; 14 nie udało się zapisać plików; 15 plik używany przez uruchomiony program; 16 brak zgody na starszą wersję; 17 działa już inny instalator; 18 obca Kalwestrowka.dll obok kopii. Poza kodem 0 folder zostaje taki, jaki był."
!include "binding_check.nsh"
!include "previous_install.nsh"
!include "install_files.nsh"

Function .onInit
  Call ReadReportSwitch
  Call HelpAsked
  ${If} $0 == 1
    Quit
  ${EndIf}
  Call TakeSingleRun
  ${If} $0 != 0
    Call Finish
    Quit
  ${EndIf}
  Call MeasureUninstaller
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

Section "Kalwestrowka" SECTION_MODULE
  SetDetailsPrint none
  ; The current folder is the temporary one, never the module's folder, which a
  ; failed run removes.
  SetOutPath "$PLUGINSDIR"
  Call OpenInstallLog
  Call SayWhatWasChecked
  ${Do}
    !insertmacro STATUS "Zapisywanie plików wtyczki…"
    Call InstallOnce
    ${If} $0 != ${EXIT_IN_USE}
    ${OrIf} ${Silent}
      ${Break}
    ${EndIf}
    StrCpy $R0 "$Message$\r$\n$\r$\nZamknij ten program (program sprzedaży – na wszystkich stanowiskach) i kliknij „Ponów próbę”; „Anuluj” kończy instalację."
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R0" IDRETRY`
      ${Break}
    ${EndIf}
    !insertmacro SAY "Ponowna próba."
  ${Loop}
  ${If} $0 != ${EXIT_INSTALLED}
    Call InstallFailed
  ${EndIf}
  Call SayWhatWasInstalled
  !insertmacro STATUS "Gotowe."
  Push ${EXIT_INSTALLED}
  Call WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd

!include "install_steps.nsh"
!include "host_folder.nsh"
!include "uninstall_entry.nsh"
!include "next_steps.nsh"
!include "uninstall_confirm.nsh"

!include "installed_here.nsh"
!include "repair.nsh"
!include "uninstall_files.nsh"
