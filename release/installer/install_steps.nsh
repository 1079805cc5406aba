; The install section's steps: what was checked and decided, one attempt at
; the files (all or none), the end of a failed attempt, the install's log and
; the entry in the list of installed programs.

; The log's lines go to a file in the temporary folder first; only an install
; that is done adds them to the module's folder.
Function OpenInstallLog
  ClearErrors
  FileOpen $LogHandle "$PLUGINSDIR\${INSTALL_LOG}" w
  ${If} ${Errors}
    StrCpy $LogHandle ""
    Return
  ${EndIf}
  FileWriteWord $LogHandle 0xFEFF
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  !insertmacro SAY "Instalator ${MODULE} ${VERSION}, $2-$1-$0 $4:$5:$6"
FunctionEnd

Function SayWhatWasChecked
  !insertmacro SAY "Folder programu: $HostShown"
  !insertmacro SAY "Sprawdzenie programu (kalwcheck):"
  !insertmacro SAY "  $Verdict"
  ${If} $FallbacksAccepted == 1
    !insertmacro SAY "${FALLBACKS_ACCEPTED_TEXT}"
  ${EndIf}
FunctionEnd

; $0 = EXIT_INSTALLED when every file is in place; else the exit code with
; $Message, and the folder as it was.
Function InstallOnce
  SetDetailsPrint none  ; each function starts printing every file operation again
  Call ExaminePreviousInstall  ; again: the folder may have changed meanwhile
  ${If} $0 != ${EXIT_INSTALLED}
    Return
  ${EndIf}
  Call InstallKindText
  !insertmacro SAY "$R0"
  StrCpy $R5 0  ; 1: this run made the module folder
  StrCpy $R6 0  ; 1: this run made the backup
  ${IfNot} ${FileExists} "$ModuleDir\*.*"
    ClearErrors
    CreateDirectory "$ModuleDir"
    ${If} ${Errors}
      StrCpy $Message "Nie udało się utworzyć folderu $ModuleDir (brak uprawnień do zapisu?). Folder programu jest taki, jaki był."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
      Return
    ${EndIf}
    StrCpy $R5 1
  ${EndIf}
  ${If} $MakeBackup == 1
    Call MakeBackupCopy
    !insertmacro STATUS "Zapisywanie plików wtyczki…"  ; over the copy's own status text
    ${If} $0 != ${EXIT_INSTALLED}
      Goto undo
    ${EndIf}
  ${EndIf}
  Call ReplaceFiles
  ${If} $FailedFile == ""
    Return
  ${EndIf}
  Call FilesNotReplacedText
undo:
  ${If} $R6 == 1
    Delete "$ModuleDir\${BACKUP}"
  ${EndIf}
  ${If} $R5 == 1
    RMDir "$ModuleDir"
  ${EndIf}
FunctionEnd

; The folder's module copied to the backup, its size checked; $R6 = 1 once
; the copy is there. $0 = EXIT_INSTALLED, else EXIT_NOT_WRITTEN with $Message.
Function MakeBackupCopy
  SetDetailsPrint none  ; each function starts printing every file operation again
  ClearErrors
  CopyFiles /SILENT "$INSTDIR\Kalwestrowka.dll" "$ModuleDir\${BACKUP}"
  ${IfNot} ${Errors}
    StrCpy $R6 1
    ${GetSize} "$INSTDIR" "/M=Kalwestrowka.dll /S=0B /G=0" $1 $2 $3
    ${GetSize} "$ModuleDir" "/M=${BACKUP} /S=0B /G=0" $4 $2 $3
    ${If} $1 == $4
    ${AndIf} $1 != ""
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $Message "Nie udało się zrobić kopii dotychczasowej wtyczki ($ModuleDir\${BACKUP}). Folder programu jest taki, jaki był."
  StrCpy $0 ${EXIT_NOT_WRITTEN}
FunctionEnd

; $Message and $0 for the file that stopped ReplaceFiles.
Function FilesNotReplacedText
  ${If} $FailedHolder == ""
    StrCpy $Message "Nie udało się zapisać pliku $FailedFile (brak miejsca na dysku albo uprawnień do zapisu?)."
    ${If} $R8 != 0
      StrCpy $Message "Nie udało się przenieść pliku $FailedFile (błąd systemu $R8: brak uprawnień do zapisu?)."
    ${EndIf}
    StrCpy $0 ${EXIT_NOT_WRITTEN}
  ${Else}
    StrCpy $Message "Nie można zastąpić pliku $FailedFile: używa go $FailedHolder."
    StrCpy $0 ${EXIT_IN_USE}
  ${EndIf}
  ${If} $R9 == ""
    !insertmacro SAY_UNCHANGED "Folder programu jest taki, jaki był." "folder programu jest taki, jaki był."
  ${Else}
    StrCpy $Message "$Message Nie udało się przywrócić pliku $R9: jego poprzednia wersja jest w folderze $ModuleDir z końcówką .stara."
    StrCpy $0 ${EXIT_NOT_WRITTEN}
  ${EndIf}
FunctionEnd

; The attempt's end said, the temporary log dropped (the folder is as it
; was, no log in it), the section stopped.
Function InstallFailed
  SetDetailsPrint none  ; each function starts printing every file operation again
  ${If} $0 == ${EXIT_IN_USE}
  ${AndIf} ${Silent}
    StrCpy $Message "$Message Zamknij ten program (program sprzedaży – na wszystkich stanowiskach) i uruchom instalator ponownie."
  ${EndIf}
  Call Finish
  Call CloseInstallLog
  Abort
FunctionEnd

Function CloseInstallLog
  ${If} $LogHandle != ""
    FileClose $LogHandle
    StrCpy $LogHandle ""
  ${EndIf}
FunctionEnd

; The temporary log added to the module's folder's log (UTF-16 LE).
Function KeepInstallLog
  SetDetailsPrint none  ; each function starts printing every file operation again
  Call CloseInstallLog
  ${IfNot} ${FileExists} "$ModuleDir\${INSTALL_LOG}"
    CopyFiles /SILENT "$PLUGINSDIR\${INSTALL_LOG}" "$ModuleDir\${INSTALL_LOG}"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $1 "$PLUGINSDIR\${INSTALL_LOG}" r
  FileOpen $2 "$ModuleDir\${INSTALL_LOG}" a
  ${If} ${Errors}
    FileClose $1
    Return
  ${EndIf}
  FileSeek $2 0 END
  FileReadWord $1 $3  ; the byte order mark, once in the file
  ${Do}
    ClearErrors
    FileReadUTF16LE $1 $3
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    FileWriteUTF16LE $2 $3
  ${Loop}
  FileClose $1
  FileClose $2
FunctionEnd

Function SayWhatWasInstalled
  SetDetailsPrint none  ; each function starts printing every file operation again
  ${If} $MakeBackup == 1
    !insertmacro SAY "Kopia wtyczki sprzed pierwszej instalacji: $ModuleDir\${BACKUP}"
  ${EndIf}
  !insertmacro SAY "Nowa wtyczka: $INSTDIR\Kalwestrowka.dll"
  !insertmacro SAY "Programy, opisy i program odinstalowujący: $ModuleDir"
  Call WriteUninstallEntry
  !insertmacro SAY "Pozycja dodana do listy zainstalowanych programów."
  StrCpy $InstalledSummary "Zainstalowano w folderze „$HostShown”: Kalwestrowka.dll i folder Kalwestrowka z programami kalwcfg, kalwcheck i kalwraport, opisem instalacji, podręcznikiem i programem odinstalowującym."
  ${If} ${FileExists} "$ModuleDir\${BACKUP}"
    StrCpy $InstalledSummary "$InstalledSummary Wtyczka sprzed pierwszej instalacji jest zachowana jako Kalwestrowka\${BACKUP}."
  ${EndIf}
  StrCpy $Message "Zainstalowano wtyczkę ${MODULE} ${VERSION} w folderze „$HostShown”.$\r$\n$CheckSummary"
  !insertmacro SAY "Zainstalowano wtyczkę ${MODULE} ${VERSION}."
  Call KeepInstallLog
FunctionEnd

; The uninstaller's size, for the space the page asks for.
Function MeasureUninstaller
  InitPluginsDir
  WriteUninstaller "$PLUGINSDIR\${UNINSTALLER}"
  ${GetSize} "$PLUGINSDIR" "/M=${UNINSTALLER} /S=0K /G=0" $1 $2 $3
  Delete "$PLUGINSDIR\${UNINSTALLER}"
  IntOp $2 ${INSTALLED_KB} + $1
  IntOp $2 $2 + 1  ; the log
  SectionSetSize ${SECTION_MODULE} $2
FunctionEnd
