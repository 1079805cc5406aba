; The uninstaller's repair (Odinstaluj.exe /NAPRAW, the entry's ModifyPath:
; "Zmień"/"Napraw" in the list of installed programs). The uninstaller carries
; the files of its own version and their sums (NAPRAWA.SHA256: the record and
; the record's own sum). Every installed file is checked against them; those
; changed or missing are written again, all or none as an install writes them
; (install_files.nsh). komis.cfg, the logs, the journal and the backup
; Kalwestrowka.dll.kopia are no installed files: the repair never touches
; them. A file that cannot be checked stops it before anything is changed.
; A Kalwestrowka.dll that differs is never overwritten: the repair cannot
; tell a damaged one from a module the shop put there by hand.

Var Damaged       ; bit n: the n-th file of INSTALLED_FILES is changed or missing
Var DamagedNames  ; their names, ", " between them
Var FileIndex     ; the file of INSTALLED_FILES the current pass is at
Var ModuleFound   ; how many of the module folder's installed files are there

; Only the files the uninstaller carries (not the uninstaller itself), each
; with its index in INSTALLED_FILES.
!macro CARRIED_FILE INNER DIR NAME SOURCE HOLDER
  !if "${SOURCE}" != ""
    !insertmacro ${INNER} "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
    IntOp $FileIndex $FileIndex + 1
  !endif
!macroend

; INNER only for the files found changed or missing.
!macro IF_DAMAGED INNER DIR NAME SOURCE HOLDER
  IntOp $R1 1 << $FileIndex
  IntOp $R1 $Damaged & $R1
  ${If} $R1 != 0
    !insertmacro ${INNER} "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
  ${EndIf}
!macroend

; One file against the list: missing or other -> its bit in $Damaged; not
; checked -> $0 = EXIT_NOT_CHECKED with $Message.
!macro CHECK_ONE DIR NAME SOURCE HOLDER
  ${If} $0 == 0
    StrCpy $2 1
    ${If} ${FileExists} "${DIR}\${NAME}"
      nsExec::Exec '"$PLUGINSDIR\kalwcheck.exe" --sha256 --lista "$PLUGINSDIR\${REPAIR_LIST}" "${DIR}\${NAME}"'
      Pop $2
      !if "${DIR}" == "$ModuleDir"
        IntOp $ModuleFound $ModuleFound + 1
      !endif
    ${EndIf}
    ${If} $2 == 1
      IntOp $R1 1 << $FileIndex
      IntOp $Damaged $Damaged | $R1
      StrCpy $DamagedNames "$DamagedNames, ${NAME}"
    ${ElseIf} $2 != 0
      StrCpy $Message "Nie udało się sprawdzić pliku ${DIR}\${NAME} (kalwcheck: $2). Nic nie zostało zmienione."
      StrCpy $0 ${EXIT_NOT_CHECKED}
    ${EndIf}
  ${EndIf}
!macroend
!macro CHECK_CARRIED DIR NAME SOURCE HOLDER
  !insertmacro CARRIED_FILE CHECK_ONE "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
!macroend

!macro DAMAGED_WRITE_NEW DIR NAME SOURCE HOLDER
  !insertmacro CARRIED_FILE "IF_DAMAGED WRITE_NEW" "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
!macroend
!macro DAMAGED_SWAP_IN DIR NAME SOURCE HOLDER
  !insertmacro CARRIED_FILE "IF_DAMAGED SWAP_IN" "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
!macroend
!macro DAMAGED_SWAP_OUT DIR NAME SOURCE HOLDER
  !insertmacro CARRIED_FILE "IF_DAMAGED SWAP_OUT" "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
!macroend
!macro DAMAGED_DROP_OLD DIR NAME SOURCE HOLDER
  !insertmacro CARRIED_FILE "IF_DAMAGED DROP_OLD" "${DIR}" "${NAME}" "${SOURCE}" "${HOLDER}"
!macroend

; $Damaged and $DamagedNames from the files as they are; $0 = 0, or the exit
; code with $Message (nothing installed here, a file not checked, a
; Kalwestrowka.dll that is not this version's). kalwcheck and the list are
; unpacked (un.UnpackChecker).
Function un.FindDamaged
  StrCpy $0 0
  StrCpy $Damaged 0
  StrCpy $DamagedNames ""
  StrCpy $ModuleFound 0
  StrCpy $FileIndex 0
  !insertmacro INSTALLED_FILES CHECK_CARRIED
  ${If} $0 == 0
  ${AndIf} $ModuleFound == 0
    ; Only the uninstaller is left (an uninstall run in place): a
    ; Kalwestrowka.dll there is the shop's own, never overwritten.
    StrCpy $Message "W folderze $ModuleDir nie ma zainstalowanej wtyczki (jest tylko program odinstalowujący): nie ma czego naprawić. Zainstaluj wtyczkę instalatorem. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NOTHING_INSTALLED}
  ${EndIf}
  IntOp $R1 $Damaged & 1  ; INSTALLED_FILES' first: Kalwestrowka.dll
  ${If} $0 == 0
  ${AndIf} $R1 != 0
  ${AndIf} ${FileExists} "$HostDir\Kalwestrowka.dll"
    StrCpy $Message "Plik $HostDir\Kalwestrowka.dll nie jest wtyczką zapisaną przez instalator: to uszkodzony plik albo inna wtyczka, np. skopiowana ręcznie. Naprawa nie zastępuje takiego pliku: przenieś go w bezpieczne miejsce i uruchom naprawę ponownie – zapisze wtyczkę od nowa. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_FOREIGN_MODULE}
  ${EndIf}
  StrCpy $DamagedNames $DamagedNames "" 2
FunctionEnd

; The damaged files written again, all or none: $0 = 0, or the exit code with
; $Message and the folder as it was (or $R9, the file that could not come back).
Function un.RepairOnce
  SetDetailsPrint none  ; each function starts printing every file operation again
  StrCpy $FailedFile ""
  StrCpy $FailedHolder ""
  StrCpy $SwapCount 0
  StrCpy $R8 0
  StrCpy $R9 ""
  StrCpy $0 0
  !insertmacro INSTALLED_FILES REMOVE_LEFTOVERS
  ${If} $FailedFile == ""
    SetOverwrite try
    StrCpy $FileIndex 0
    !insertmacro INSTALLED_FILES DAMAGED_WRITE_NEW
    SetOverwrite on
    StrCpy $FileIndex 0
    !insertmacro INSTALLED_FILES DAMAGED_SWAP_IN
  ${EndIf}
  StrCpy $FileIndex 0
  ${If} $FailedFile == ""
    !insertmacro INSTALLED_FILES DAMAGED_DROP_OLD
    Return
  ${EndIf}
  StrCpy $SwapIndex 0
  !insertmacro INSTALLED_FILES DAMAGED_SWAP_OUT
  Call un.FileFailedText
FunctionEnd

; $Message and $0 for $FailedFile ($FailedHolder, $R8, $R9 as the file steps set them).
Function un.FileFailedText
  ${If} $FailedHolder != ""
    StrCpy $Message "Nie można zapisać pliku $FailedFile: używa go $FailedHolder."
    StrCpy $0 ${EXIT_IN_USE}
  ${Else}
    StrCpy $Message "Nie udało się zapisać pliku $FailedFile (błąd systemu $R8: brak miejsca albo uprawnień?)."
    StrCpy $0 ${EXIT_NOT_WRITTEN}
  ${EndIf}
  ${If} $R9 == ""
    !insertmacro SAY_UNCHANGED "Nic nie zostało zmienione." "nic nie zostało zmienione."
  ${Else}
    StrCpy $Message "$Message Nie udało się przywrócić pliku $R9: jest w folderze $ModuleDir z końcówką .stara."
    StrCpy $0 ${EXIT_NOT_WRITTEN}
  ${EndIf}
FunctionEnd

; The repair, from the uninstall section: checked, written again (with
; "Ponów próbę" while a program holds a file), said and ended with its code.
Function un.Repair
  !insertmacro STATUS "Sprawdzanie plików wtyczki…"
  Call un.FindDamaged
  ${If} $0 == 0
  ${AndIf} $Damaged == 0
    !insertmacro SAY "Wszystkie pliki wtyczki są takie, jakie zapisał instalator: nie ma czego naprawić."
  ${ElseIf} $0 == 0
    !insertmacro SAY "Inne niż zapisane albo brakujące: $DamagedNames"
    ${Do}
      !insertmacro STATUS "Zapisywanie plików wtyczki…"
      Call un.RepairOnce
      ${If} $0 != ${EXIT_IN_USE}
      ${OrIf} ${Silent}
        ${Break}
      ${EndIf}
      ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$Message$\r$\n$\r$\nZamknij ten program (program sprzedaży – na wszystkich stanowiskach) i kliknij „Ponów próbę”; „Anuluj” kończy naprawę." IDRETRY`
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}
  ${If} $0 != 0
    Call un.Finish
    Abort
  ${EndIf}
  StrCpy $Message "Naprawiono wtyczkę ${MODULE} ${VERSION} w folderze „$HostShown”: zapisano ponownie $DamagedNames."
  ${If} $Damaged == 0
    StrCpy $Message "Wtyczka ${MODULE} ${VERSION} w folderze „$HostShown” jest cała: wszystkie pliki są takie, jakie zapisał instalator."
  ${EndIf}
  !insertmacro SAY "$Message"
  Push ${EXIT_INSTALLED}
  Call un.WriteReport
  SetErrorLevel ${EXIT_INSTALLED}
FunctionEnd
