; The module's files written all or none. Every file is first written into
; the module's folder as NAME.nowa; then each one in turn moves the file it
; replaces aside (to NAME.stara there) and takes its place. When one cannot (the program that
; holds it is running, the disk refuses), the files already swapped go and
; what this run moved aside goes back, so the folder is as it was. The
; leftovers of a run that was cut off (*.nowa, *.stara) are removed first;
; one that cannot be removed is held by a running program.
;
; INSTALLED_FILES FOR_EACH: !insertmacro FOR_EACH <folder> <name> <source>
; <holder>, for every file the install writes ($HostDir and $ModuleDir set);
; <holder> names the program that holds the file while it runs.
!macro INSTALLED_FILES FOR_EACH
  !insertmacro ${FOR_EACH} "$HostDir" "Kalwestrowka.dll" "Kalwestrowka.dll" "program sprzedaży"
  !insertmacro ${FOR_EACH} "$ModuleDir" "kalwcfg.exe" "kalwcfg.exe" "kalwcfg (ustawienie magazynów komisowych)"
  !insertmacro ${FOR_EACH} "$ModuleDir" "kalwcheck.exe" "kalwcheck.exe" "kalwcheck (sprawdzenie programu)"
  !insertmacro ${FOR_EACH} "$ModuleDir" "kalwraport.exe" "kalwraport.exe" "kalwraport (rozliczenie dla księgowej)"
  !insertmacro ${FOR_EACH} "$ModuleDir" "INSTALACJA.TXT" "INSTALACJA.TXT" "program, w którym ten opis jest otwarty"
  !insertmacro ${FOR_EACH} "$ModuleDir" "PODRECZNIK.TXT" "PODRECZNIK.TXT" "program, w którym podręcznik jest otwarty"
  !insertmacro ${FOR_EACH} "$ModuleDir" "${RECORD}" "${RECORD}" "inny program"
  !insertmacro ${FOR_EACH} "$ModuleDir" "${UNINSTALLER}" "" "program odinstalowujący"
!macroend

; The system's error for a file another program holds open.
!define ERROR_SHARING_VIOLATION 32
!define ERROR_LOCK_VIOLATION 33

; A file moved (MoveFileW) or deleted (DeleteFileW): $R8 = 0, or the system's
; error. A file held by a running program (a sharing violation) sets
; $FailedHolder to HOLDER, any other error leaves it empty: "in use" and "could
; not be written" are told apart by what the system said.
!macro FILE_OP CALL FILE HOLDER
  System::Call 'kernel32::${CALL} i .r8 ?e'
  Pop $R8
  ${If} $8 != 0
    StrCpy $R8 0
  ${ElseIf} $FailedFile == ""
    StrCpy $FailedFile "${FILE}"
    ${If} $R8 == ${ERROR_SHARING_VIOLATION}
    ${OrIf} $R8 == ${ERROR_LOCK_VIOLATION}
      StrCpy $FailedHolder "${HOLDER}"
    ${EndIf}
  ${EndIf}
!macroend
!macro MOVE_FILE FROM TO HOLDER
  !insertmacro FILE_OP 'MoveFileW(w "${FROM}", w "${TO}")' "${FROM}" "${HOLDER}"
!macroend
!macro DELETE_FILE FILE HOLDER
  ${If} ${FileExists} "${FILE}"
    !insertmacro FILE_OP 'DeleteFileW(w "${FILE}")' "${FILE}" "${HOLDER}"
  ${EndIf}
!macroend

Var SwapCount   ; how many files have taken their places in this run
Var SwapIndex   ; the file the current step is at
Var FailedFile  ; the file that could not be written, moved or removed
Var FailedHolder

Var LeftoversRemoved  ; 1 once this run has removed a leftover of a cut-off run

; A leftover of a cut-off run removed; when it cannot be, its holder named.
!macro REMOVE_LEFTOVER FILE HOLDER
  ${If} ${FileExists} "${FILE}"
    !insertmacro DELETE_FILE "${FILE}" "${HOLDER}"
    ${IfNot} ${FileExists} "${FILE}"
      StrCpy $LeftoversRemoved 1
    ${EndIf}
  ${EndIf}
!macroend
!macro REMOVE_LEFTOVERS DIR NAME SOURCE HOLDER
  !insertmacro REMOVE_LEFTOVER "$ModuleDir\${NAME}.nowa" "${HOLDER}"
  !insertmacro REMOVE_LEFTOVER "$ModuleDir\${NAME}.stara" "${HOLDER}"
!macroend

; $Message ended with what a refused run left: nothing changed (TEXT), or
; nothing but the leftovers it removed (BESIDES, after that clause).
!macro SAY_UNCHANGED TEXT BESIDES
  ${If} $LeftoversRemoved == 1
    StrCpy $Message "$Message Poza usuniętymi pozostałościami wcześniej przerwanej instalacji (pliki *.nowa, *.stara w folderze $ModuleDir) ${BESIDES}"
  ${Else}
    StrCpy $Message "$Message ${TEXT}"
  ${EndIf}
!macroend

; The new copy beside its place; the uninstaller as makensis wrote it.
!macro WRITE_NEW DIR NAME SOURCE HOLDER
  ${If} $FailedFile == ""
    ClearErrors
    !if "${SOURCE}" == ""
      WriteUninstaller "$ModuleDir\${NAME}.nowa"
    !else
      File "/oname=$ModuleDir\${NAME}.nowa" "${STAGE}\${SOURCE}"
    !endif
    ${If} ${Errors}
      StrCpy $FailedFile "${DIR}\${NAME}"
    ${EndIf}
  ${EndIf}
!macroend

; The file there moved aside, the new one in its place.
!macro SWAP_IN DIR NAME SOURCE HOLDER
  ${If} $FailedFile == ""
  ${AndIf} ${FileExists} "${DIR}\${NAME}"
    !insertmacro MOVE_FILE "${DIR}\${NAME}" "$ModuleDir\${NAME}.stara" "${HOLDER}"
  ${EndIf}
  ${If} $FailedFile == ""
    !insertmacro MOVE_FILE "$ModuleDir\${NAME}.nowa" "${DIR}\${NAME}" "${HOLDER}"
    ${If} $FailedFile == ""
      IntOp $SwapCount $SwapCount + 1
    ${EndIf}
  ${EndIf}
!macroend

; Undone: a file this run put in place goes, what it moved aside comes back,
; its new copies go. $R9 is set to the first file that could not come back.
!macro SWAP_OUT DIR NAME SOURCE HOLDER
  ${If} $SwapIndex < $SwapCount
    Delete "${DIR}\${NAME}"
  ${EndIf}
  IntOp $SwapIndex $SwapIndex + 1
  ${If} ${FileExists} "$ModuleDir\${NAME}.stara"
    ClearErrors
    Rename "$ModuleDir\${NAME}.stara" "${DIR}\${NAME}"
    ${If} ${Errors}
    ${AndIf} $R9 == ""
      StrCpy $R9 "${DIR}\${NAME}"
    ${EndIf}
  ${EndIf}
  Delete "$ModuleDir\${NAME}.nowa"
!macroend

; What the files replaced leaves behind once all are in place.
!macro DROP_OLD DIR NAME SOURCE HOLDER
  Delete "$ModuleDir\${NAME}.stara"
!macroend

; All files in their places: $FailedFile = "" . Otherwise the folder's files
; as they were (or $R9, the one that could not come back) and $FailedFile,
; $FailedHolder say which file stopped it and what holds it.
Function ReplaceFiles
  SetDetailsPrint none  ; each function starts printing every file operation again
  StrCpy $FailedFile ""
  StrCpy $FailedHolder ""
  StrCpy $SwapCount 0
  StrCpy $R8 0
  StrCpy $R9 ""
  !insertmacro INSTALLED_FILES REMOVE_LEFTOVERS
  ${If} $FailedFile != ""
    Return
  ${EndIf}
  ; "try": a file that cannot be written sets the error flag, without a question.
  SetOverwrite try
  !insertmacro INSTALLED_FILES WRITE_NEW
  SetOverwrite on
  !insertmacro INSTALLED_FILES SWAP_IN
  ${If} $FailedFile == ""
    !insertmacro INSTALLED_FILES DROP_OLD
    Return
  ${EndIf}
  StrCpy $SwapIndex 0
  !insertmacro INSTALLED_FILES SWAP_OUT
FunctionEnd
