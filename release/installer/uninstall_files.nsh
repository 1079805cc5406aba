; The uninstaller: it lives in <host folder>\Kalwestrowka ($INSTDIR). Its work
; is all or none like the install's: every file of the module is moved aside
; first (NAME.stara in the module's folder); when one cannot be (a running
; program holds it) all come back and nothing is changed. Then the backup
; takes the module's place, and only then the moved files go.
!insertmacro HELP_ASKED "un." "Odinstaluj.exe [/S] [/RAPORT=plik] [_?=folder wtyczki]$\r$\n/S – bez okien; /RAPORT= – zapisuje w pliku (UTF-16), co się stało; _?= – bez kopii w folderze tymczasowym, czekając na koniec (sam plik Odinstaluj.exe zostaje).$\r$\nKody wyjścia: 0 odinstalowano; 1 przerwane przez użytkownika; 2 program uszkodzony albo nie mógł się uruchomić; 13 nie udało się sprawdzić; 14 nie udało się usunąć albo przywrócić pliku; 15 plik używany przez uruchomiony program; 17 działa już inny instalator. Poza kodem 0 folder zostaje taki, jaki był."

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
  Call un.ConfirmText
FunctionEnd

; The confirm page's text.
Function un.ConfirmText
  StrCpy $Message "Zanim odinstalujesz: odinstaluj wtyczkę w programie sprzedaży (tak jak każdą inną wtyczkę; program usunie wtedy polecenie „Konfiguracja spr.obcej”) i zamknij program na wszystkich stanowiskach.$\r$\n$\r$\nZostanie usunięty plik Kalwestrowka.dll z folderu „$HostShown”"
  ${If} ${FileExists} "$INSTDIR\${BACKUP}"
    StrCpy $Message "$Message, na jego miejsce wróci wtyczka sprzed pierwszej instalacji (z kopii ${BACKUP})"
  ${EndIf}
  StrCpy $Message "$Message, a także folder Kalwestrowka z programami kalwcfg, kalwcheck i kalwraport, opisem instalacji i podręcznikiem.$\r$\n$\r$\nZostaną bez zmian: komis.cfg (wybór magazynów komisowych), Kalwestrowka.log (dziennik błędów wtyczki) i Kalwestrowka-dziennik.csv (dziennik zmian, z którego kalwraport robi rozliczenie)."
FunctionEnd

; A file of the module moved aside; when it cannot be, its holder named.
!macro MOVE_ASIDE DIR NAME SOURCE HOLDER
  ${If} $FailedFile == ""
  ${AndIf} ${FileExists} "${DIR}\${NAME}"
  ${AndIf} "${NAME}" != "${UNINSTALLER}"
    ClearErrors
    Rename "${DIR}\${NAME}" "$ModuleDir\${NAME}.stara"
    ${If} ${Errors}
      StrCpy $FailedFile "${DIR}\${NAME}"
      StrCpy $FailedHolder "${HOLDER}"
    ${EndIf}
  ${EndIf}
!macroend

; $0 = 0 when the module's files are gone and the backup is back; else the
; exit code with $Message, and the folder as it was.
Function un.RemoveOnce
  StrCpy $FailedFile ""
  StrCpy $FailedHolder ""
  StrCpy $SwapCount 0
  StrCpy $R9 ""
  StrCpy $0 0
  !insertmacro INSTALLED_FILES REMOVE_LEFTOVERS
  !insertmacro INSTALLED_FILES MOVE_ASIDE
  ${If} $FailedFile != ""
    StrCpy $Message "Nie można usunąć pliku $FailedFile: używa go $FailedHolder."
    StrCpy $0 ${EXIT_IN_USE}
  ${ElseIf} ${FileExists} "$ModuleDir\${BACKUP}"
    ClearErrors
    Rename "$ModuleDir\${BACKUP}" "$HostDir\Kalwestrowka.dll"
    ${If} ${Errors}
      StrCpy $Message "Nie udało się przywrócić wtyczki sprzed pierwszej instalacji: zostaje jej kopia $ModuleDir\${BACKUP}."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
    ${Else}
      !insertmacro SAY "Przywrócono wtyczkę sprzed pierwszej instalacji: $HostDir\Kalwestrowka.dll"
    ${EndIf}
  ${EndIf}
  ${If} $0 != 0
    StrCpy $SwapIndex 0
    !insertmacro INSTALLED_FILES SWAP_OUT
    ${If} $R9 == ""
      StrCpy $Message "$Message Nic nie zostało zmienione."
    ${Else}
      StrCpy $Message "$Message Nie udało się przywrócić pliku $R9: jest w folderze $ModuleDir z końcówką .stara."
      StrCpy $0 ${EXIT_NOT_WRITTEN}
    ${EndIf}
    Return
  ${EndIf}
  !insertmacro INSTALLED_FILES DROP_OLD
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
    Call un.Finish
    Abort
  ${EndIf}
  Delete "$ModuleDir\${INSTALL_LOG}"
  Delete "$ModuleDir\${UNINSTALLER}"
  RMDir "$ModuleDir"
  !insertmacro SAY "Usunięto wtyczkę i folder $ModuleDir"
  Call un.DeleteUninstallEntry
  !insertmacro SAY_KEPT "komis.cfg"
  !insertmacro SAY_KEPT "Kalwestrowka.log"
  !insertmacro SAY_KEPT "Kalwestrowka-dziennik.csv"
  StrCpy $Message "Odinstalowano wtyczkę ${MODULE} ${VERSION} z folderu „$HostShown”."
  !insertmacro SAY "$Message"
  Push ${EXIT_INSTALLED}
  Call un.WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
SectionEnd
