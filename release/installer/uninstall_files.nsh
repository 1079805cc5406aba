; The uninstaller: it lives in <host folder>\Kalwestrowka ($INSTDIR). Its work
; is all or none like the install's: every file of the module is moved aside
; first (NAME.stara in the module's folder); when one cannot be (a running
; program holds it) all come back and nothing is changed. Then the backup
; takes the module's place, and only then the moved files go.
!insertmacro HELP_ASKED "un." "Odinstaluj.exe [/S] [/NAPRAW] [/RAPORT=plik] [_?=folder wtyczki]$\r$\n/S – bez okien; /NAPRAW – zamiast odinstalowania: sprawdza zainstalowane pliki i zapisuje ponownie te zmienione albo brakujące; /RAPORT= – zapisuje w pliku (UTF-16), co się stało; _?= – bez kopii w folderze tymczasowym, czekając na koniec (sam plik Odinstaluj.exe zostaje).$\r$\nKody wyjścia: 0 odinstalowano (naprawiono); 1 przerwane przez użytkownika; 2 program uszkodzony albo nie mógł się uruchomić; 13 nie udało się sprawdzić; 14 nie udało się usunąć, zapisać albo przywrócić pliku; 15 plik używany przez uruchomiony program; 17 działa już inny instalator; 18 Kalwestrowka.dll, której instalator nie zapisał (przy odinstalowaniu: obok kopii); 19 wtyczka nie jest tu zainstalowana instalatorem. Poza kodem 0 folder zostaje taki, jaki był (poza wierszem dopisanym do instalacja.log)."

Function un.onInit
  Call un.ReadReportSwitch
  Call un.HelpAsked
  ${If} $0 == 1
    Quit
  ${EndIf}
  Call un.TakeSingleRun
  ${If} $0 != 0
    Call un.Finish
    Quit
  ${EndIf}
  StrCpy $ModuleDir $INSTDIR
  ${GetParent} "$INSTDIR" $HostDir
  StrCpy $R0 $HostDir
  Call un.ShownFolder
  StrCpy $HostShown $R0
  Call un.ChooseWork
  Call un.UnpackChecker
  Call un.FindAliasEntries
  Call un.InstalledHere
  ${If} $0 != 0
    Call un.Finish
    Quit
  ${EndIf}
  Call un.ConfirmText
FunctionEnd

; /NAPRAW: the repair instead of the uninstall, with its own page headers.
Function un.ChooseWork
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NAPRAW" $R1
  StrCpy $Repairing 0
  StrCpy $UnHeader "Odinstalowanie wtyczki"
  StrCpy $UnHeaderSub "Przywrócenie poprzedniej wtyczki, usunięcie plików."
  StrCpy $UnDoneHeader "Wtyczka odinstalowana"
  StrCpy $UnDoneHeaderSub "Pliki komis.cfg i dzienniki zostały bez zmian."
  StrCpy $UnFailedHeader "Wtyczka nie została odinstalowana"
  ${IfNot} ${Errors}
    StrCpy $Repairing 1
    StrCpy $UnHeader "Naprawa wtyczki"
    StrCpy $UnHeaderSub "Sprawdzenie zainstalowanych plików, zapisanie zmienionych."
    StrCpy $UnDoneHeader "Wtyczka sprawdzona"
    StrCpy $UnFailedHeader "Wtyczka nie została naprawiona"
  ${EndIf}
FunctionEnd

; The confirm page's text.
Function un.ConfirmText
  StrCpy $Message "Zanim odinstalujesz: odinstaluj wtyczkę w programie sprzedaży (tak jak każdą inną wtyczkę; program usunie wtedy polecenie „Konfiguracja spr.obcej”) i zamknij program na wszystkich stanowiskach.$\r$\n$\r$\nZostanie usunięty plik Kalwestrowka.dll z folderu „$HostShown”"
  ${If} ${FileExists} "$INSTDIR\${BACKUP}"
    StrCpy $Message "$Message, na jego miejsce wróci wtyczka sprzed pierwszej instalacji (z kopii ${BACKUP})"
  ${EndIf}
  StrCpy $Message "$Message, a z folderu Kalwestrowka programy kalwcfg, kalwcheck i kalwraport, opis instalacji i podręcznik.$\r$\n$\r$\nZostaną bez zmian: dziennik instalacji Kalwestrowka\${INSTALL_LOG} (z wierszami tego odinstalowania), komis.cfg (wybór magazynów komisowych), Kalwestrowka.log (dziennik błędów wtyczki) i Kalwestrowka-dziennik.csv (dziennik zmian, z którego kalwraport robi rozliczenie)."
FunctionEnd

; A file of the module moved aside; when it cannot be, its holder named. The
; uninstaller itself stays (run in place it cannot go), and so does a
; Kalwestrowka.dll that is not the install's own.
!macro MOVE_ASIDE DIR NAME SOURCE HOLDER
  ${If} $FailedFile == ""
  ${AndIf} ${FileExists} "${DIR}\${NAME}"
  ${AndIf} "${NAME}" != "${UNINSTALLER}"
  ${AndIf} "${NAME}|$ModuleIsOurs" != "Kalwestrowka.dll|0"
    !insertmacro MOVE_FILE "${DIR}\${NAME}" "$ModuleDir\${NAME}.stara" "${HOLDER}"
  ${EndIf}
!macroend

; $0 = 0 when the module's files are gone and the backup is back; else the
; exit code with $Message, and the folder as it was.
Function un.RemoveOnce
  SetDetailsPrint none  ; each function starts printing every file operation again
  StrCpy $FailedFile ""
  StrCpy $FailedHolder ""
  StrCpy $SwapCount 0
  StrCpy $R8 0
  StrCpy $R9 ""
  Call un.ExamineModule
  ${If} $0 != 0
    Return
  ${EndIf}
  !insertmacro INSTALLED_FILES REMOVE_LEFTOVERS
  !insertmacro INSTALLED_FILES MOVE_ASIDE
  ${If} $FailedFile != ""
  ${AndIf} $FailedHolder != ""
    StrCpy $Message "Nie można usunąć pliku $FailedFile: używa go $FailedHolder."
    StrCpy $0 ${EXIT_IN_USE}
  ${ElseIf} $FailedFile != ""
    StrCpy $Message "Nie udało się usunąć pliku $FailedFile (błąd systemu $R8: brak uprawnień?)."
    StrCpy $0 ${EXIT_NOT_WRITTEN}
  ${ElseIf} ${FileExists} "$ModuleDir\${BACKUP}"
    ClearErrors
    Rename "$ModuleDir\${BACKUP}" "$HostDir\Kalwestrowka.dll"
    ${If} ${Errors}
      StrCpy $Message "Nie udało się przywrócić wtyczki sprzed pierwszej instalacji: zostaje jej kopia $ModuleDir\${BACKUP}."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
    ${Else}
      !insertmacro SAY "Przywrócono wtyczkę sprzed pierwszej instalacji (Kalwestrowka.dll)."
    ${EndIf}
  ${EndIf}
  ${If} $0 != 0
    StrCpy $SwapIndex 0
    !insertmacro INSTALLED_FILES SWAP_OUT
    ${If} $R9 == ""
      !insertmacro SAY_UNCHANGED "Nic nie zostało zmienione." "nic nie zostało zmienione."
    ${Else}
      StrCpy $Message "$Message Nie udało się przywrócić pliku $R9: jest w folderze $ModuleDir z końcówką .stara."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
    ${EndIf}
    Return
  ${EndIf}
  !insertmacro INSTALLED_FILES DROP_OLD
FunctionEnd

Function un.CloseFolderLog
  ${If} $LogHandle != ""
    FileClose $LogHandle
    StrCpy $LogHandle ""
  ${EndIf}
FunctionEnd

; Each file that stays named, when it is there.
!macro SAY_KEPT NAME
  ${If} ${FileExists} "$HostDir\${NAME}"
    !insertmacro SAY "Bez zmian zostaje: ${NAME}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetDetailsPrint none
  ; The current folder out of the module's folder, which goes.
  SetOutPath "$TEMP"
  Call un.OpenFolderLog
  ${If} $Repairing == 1
    Call un.Repair
    Call un.CloseFolderLog
    Return
  ${EndIf}
  ${Do}
    Call un.RemoveOnce
    ${If} $0 != ${EXIT_IN_USE}
    ${OrIf} ${Silent}
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Message$\r$\n$\r$\nZamknij ten program (program sprzedaży – na wszystkich stanowiskach) i kliknij „Ponów próbę”; „Anuluj” kończy odinstalowanie." IDRETRY`
      ${Break}
    ${EndIf}
  ${Loop}
  ${If} $0 != 0
    ${If} $0 == ${EXIT_IN_USE}
      StrCpy $Message "$Message Zamknij ten program (program sprzedaży – na wszystkich stanowiskach) i odinstaluj ponownie."
    ${EndIf}
    Call un.Finish
    Call un.CloseFolderLog
    Abort
  ${EndIf}
  Delete "$ModuleDir\${UNINSTALLER}"  ; run in place it cannot go
  StrCpy $R0 "dziennik instalacji ${INSTALL_LOG}"
  ${If} ${FileExists} "$ModuleDir\${UNINSTALLER}"
    StrCpy $R0 "$R0 i program odinstalowujący ${UNINSTALLER} (można je usunąć)"
  ${EndIf}
  !insertmacro SAY "Usunięto pliki wtyczki. W folderze $ModuleDir zostały tylko: $R0."
  Call un.DeleteUninstallEntry
  ${If} $ModuleIsOurs == 0
  ${AndIf} ${FileExists} "$HostDir\Kalwestrowka.dll"
    !insertmacro SAY "Bez zmian zostaje: Kalwestrowka.dll, której instalator nie zapisał"
  ${EndIf}
  !insertmacro SAY_KEPT "komis.cfg"
  !insertmacro SAY_KEPT "Kalwestrowka.log"
  !insertmacro SAY_KEPT "Kalwestrowka-dziennik.csv"
  StrCpy $Message "Odinstalowano wtyczkę ${MODULE} ${VERSION} z folderu „$HostShown”."
  ${If} $ModuleIsOurs == 0
  ${AndIf} ${FileExists} "$HostDir\Kalwestrowka.dll"
    StrCpy $Message "$Message Plik Kalwestrowka.dll, którego instalator nie zapisał, został na miejscu."
  ${EndIf}
  !insertmacro SAY "Odinstalowano wtyczkę ${MODULE} ${VERSION}."
  Call un.CloseFolderLog
  Push ${EXIT_INSTALLED}
  Call un.WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd
