; Will the module bind to the host in $INSTDIR? kalwcheck --json answers
; before anything is copied; this file reads its answer and says it in plain
; words.

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

; $R0: a line of kalwcheck's JSON; its decoded field $R1 into the variable
; NAME, unless the line has no such field or NAME already has a value.
!macro TAKE_FIELD LINE FIELD NAME
  ${If} ${NAME} == ""
    StrCpy $R0 ${LINE}
    StrCpy $R1 "${FIELD}"
    Call JsonField
    Call DecodeJsonText
    StrCpy ${NAME} $R0
  ${EndIf}
!macroend

; The command line $R0 run in the temporary folder without a window and
; without a shell (no shell expands a % sign of a folder's name), its output
; into the file $R1: $2 its exit code, "error" when it did not start,
; "timeout" after a minute.
!define STARTF_USESTDHANDLES_HIDDEN 0x101
!define CREATE_NO_WINDOW 0x08000000
!define GENERIC_WRITE 0x40000000
!define CREATE_ALWAYS 2
Function RunToFile
  Push $1
  Push $3
  Push $5
  Push $6
  Push $7
  System::Call '*(i 12, p 0, i 1) p .r7'  ; SECURITY_ATTRIBUTES, the handle inherited
  System::Call 'kernel32::CreateFileW(w R1, i ${GENERIC_WRITE}, i 1, p r7, i ${CREATE_ALWAYS}, i 0, p 0) p .r5'
  System::Call '*(i 68, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i ${STARTF_USESTDHANDLES_HIDDEN}, &i2 0, &i2 0, p 0, p 0, p r5, p r5) p .r6'
  System::Call '*(&i16) p .r3'  ; PROCESS_INFORMATION
  StrCpy $2 "error"
  System::Call 'kernel32::CreateProcessW(p 0, w R0, p 0, p 0, i 1, i ${CREATE_NO_WINDOW}, p 0, w "$PLUGINSDIR", p r6, p r3) i .r1'
  System::Free $6
  ${If} $1 != 0
    System::Call '*$3(p .r1, p .r6)'
    System::Call 'kernel32::WaitForSingleObject(p r1, i 60000) i .r2'
    ${If} $2 == 0
      System::Call 'kernel32::GetExitCodeProcess(p r1, *i .r2)'
    ${Else}
      StrCpy $2 "timeout"
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
    System::Call 'kernel32::CloseHandle(p r6)'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r5)'
  System::Free $3
  System::Free $7
  Pop $7
  Pop $6
  Pop $5
  Pop $3
  Pop $1
FunctionEnd

; Runs kalwcheck --json on $INSTDIR\TALMER.dll and reads its answer:
; $2 its exit code (or nsExec's "error" / "timeout"), $3 the status it wrote,
; $8 the file it read, $Verdict, $Problem (why the file is no host library),
; $Missing (the missing data items and functions, "ordinal name, ...";
; the entries looked up at attach are not needed to load and are left out).
Function RunKalwcheck
  StrCpy $3 ""
  StrCpy $8 ""
  StrCpy $Verdict ""
  StrCpy $Problem ""
  StrCpy $Missing ""
  InitPluginsDir
  ; kalwcheck runs in the temporary folder, never in a share's.
  SetOutPath "$PLUGINSDIR"
  Delete "$PLUGINSDIR\kalwcheck.json"
  ClearErrors
  File "/oname=$PLUGINSDIR\kalwcheck.exe" "${STAGE}\kalwcheck.exe"
  ${If} ${Errors}
    StrCpy $2 "error"
    Return
  ${EndIf}
  StrCpy $R0 '"$PLUGINSDIR\kalwcheck.exe" --json "$INSTDIR\TALMER.dll"'
  StrCpy $R1 "$PLUGINSDIR\kalwcheck.json"
  Call RunToFile
  ; The answer read back until it is whole: under Wine the program's end may
  ; be seen before its last lines are in the file.
  StrCpy $9 0
  ${Do}
    Call ReadKalwcheckAnswer
    IntOp $9 $9 + 1
    StrCpy $R2 $R2 1
    ${If} $R2 == "}"
    ${OrIf} $9 >= 50
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd

; kalwcheck's JSON answer read: $3, $8, $Verdict, $Problem, $Missing; $R2
; its last line ("}" once the answer is whole).
Function ReadKalwcheckAnswer
  StrCpy $R2 ""
  StrCpy $3 ""
  StrCpy $8 ""
  StrCpy $Verdict ""
  StrCpy $Problem ""
  StrCpy $Missing ""
  ClearErrors
  FileOpen $4 "$PLUGINSDIR\kalwcheck.json" r
  ${If} ${Errors}
    Return
  ${EndIf}
  ${Do}
    ClearErrors
    FileRead $4 $5
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    StrCpy $R2 $5
    !insertmacro TAKE_FIELD $5 "status" $3
    !insertmacro TAKE_FIELD $5 "file" $8
    !insertmacro TAKE_FIELD $5 "verdict" $Verdict
    !insertmacro TAKE_FIELD $5 "problem" $Problem
    ${StrStr} $6 $5 '"present": false'
    ${StrStr} $7 $5 '"without": '
    ${If} $6 != ""
    ${AndIf} $7 == ""
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
FunctionEnd

; What the check found, in plain words for the report and the last page
; (kalwcheck's own verdict goes to the install's log).
!define CHECKED_TEXT "Sprawdzenie programu: wtyczka zwiąże się z programem sprzedaży, ma on wszystkie funkcje, których wtyczka używa."
!define CHECKED_FALLBACKS_TEXT "Sprawdzenie programu: wtyczka zwiąże się z programem sprzedaży, ale brakuje w nim funkcji: $Missing. Przy każdym uruchomieniu program pokaże okno „POWAŻNY BŁĄD WTYCZKI”; odpowiedz „Ignoruj”."
!define FALLBACKS_ACCEPTED_TEXT "Zgoda na instalację mimo brakujących funkcji programu: $Missing."

; Whether the module may go into $INSTDIR: $0 = EXIT_INSTALLED when it may,
; else the exit code, with $Message saying why and what to do. Changes
; nothing in $INSTDIR. $CheckSummary: what the check found, for the log, the
; report and the last page.
Function CheckFolder
  StrCpy $FallbacksAccepted 0
  StrCpy $CheckSummary ""
  ${If} $INSTDIR == ""
    StrCpy $Message "Nie wskazano folderu programu sprzedaży. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NO_HOST}
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR 1 1
  StrCpy $2 $INSTDIR 2
  ${If} $1 != ":"
  ${AndIf} $2 != "\\"
    StrCpy $Message "„$HostShown” nie jest pełną ścieżką folderu. Podaj folder programu sprzedaży razem z dyskiem, na przykład C:\SPRZEDAZ, albo z nazwą udziału sieciowego, na przykład \\serwer\udział. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NO_HOST}
    Return
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\TALMER.dll"
    StrCpy $Message "W folderze „$HostShown” nie ma pliku TALMER.dll. Wtyczkę instaluje się w folderze programu sprzedaży, obok jego biblioteki TALMER.dll. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_NO_HOST}
    Return
  ${EndIf}

  Call RunKalwcheck
  ; The answer: the status in the file must be the exit code, and the file it
  ; read this folder's TALMER.dll.
  ${If} $3 != $2
  ${OrIf} $Verdict == ""
  ${OrIf} $8 != "$INSTDIR\TALMER.dll"
    StrCpy $Message "Nie udało się sprawdzić, czy wtyczka zwiąże się z programem (kalwcheck: $2). Nic nie zostało zmienione. Uruchom instalator ponownie; jeśli to się powtórzy, zainstaluj wtyczkę ręcznie i sprawdź program programem kalwcheck (INSTALACJA.TXT, punkt 3)."
    StrCpy $0 ${EXIT_NOT_CHECKED}
    Return
  ${EndIf}
  ${If} $2 == 0
    StrCpy $CheckSummary "${CHECKED_TEXT}"
    Goto previous
  ${EndIf}
  ${If} $2 == 3
    StrCpy $Message "Plik „$INSTDIR\TALMER.dll” nie jest biblioteką programu sprzedaży, z którą wtyczka może pracować: $Problem.$\r$\n$\r$\nCo zrobić: wskaż folder, w którym program sprzedaży jest zainstalowany. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_WOULD_NOT_BIND}
    Return
  ${EndIf}
  ${If} $2 == 2
    StrCpy $Message "Wtyczka nie zwiąże się z programem w folderze „$HostShown”: tej wersji programu brakuje danych i funkcji, bez których wtyczka się nie załaduje: $Missing.$\r$\n$\r$\nCo zrobić: zaktualizuj program sprzedaży do wersji, z którą pracuje wtyczka ${MODULE} ${VERSION}, albo zapytaj dostawcę wtyczki o jej wersję dla tego programu. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_WOULD_NOT_BIND}
    Return
  ${EndIf}
  Call AskAboutFallbacks
  ${If} $0 != ${EXIT_INSTALLED}
    Return
  ${EndIf}
previous:
  Call ExaminePreviousInstall
  ${If} $0 == ${EXIT_INSTALLED}
    Call AskAboutOlderVersion
  ${EndIf}
FunctionEnd

; kalwcheck's status 1: the module loads only after "Ignoruj", with fallbacks
; for the missing functions. Asked (silently: accepted only with /ZASLEPKI).
Function AskAboutFallbacks
  StrCpy $Message "Tej wersji programu sprzedaży brakuje funkcji, których używa wtyczka: $Missing.$\r$\n$\r$\nWtyczkę można zainstalować, ale przy każdym uruchomieniu program pokaże okno „POWAŻNY BŁĄD WTYCZKI”. Po odpowiedzi „Ignoruj” wtyczka się załaduje, a brakujące funkcje zastąpią puste odpowiedzi: jej praca, która ich potrzebuje – przenoszenie dokumentów sprzedaży obcej na kontrahenta TMO, usuwanie wpisów TMO z ewidencji JPK albo zapis magazynów komisowych – może się wtedy nie wykonać, bez żadnego komunikatu. Lepiej najpierw zaktualizować program sprzedaży."
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ZASLEPKI" $R1
    ${If} ${Errors}
      StrCpy $Message "$Message$\r$\n$\r$\nBez przełącznika /ZASLEPKI instalator nie instaluje takiej wtyczki. Nic nie zostało zmienione."
      StrCpy $0 ${EXIT_FALLBACKS_REFUSED}
      Return
    ${EndIf}
  ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$Message$\r$\n$\r$\nZainstalować mimo to?" IDNO`
    StrCpy $Message "Instalacja przerwana: brakuje funkcji programu $Missing. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_FALLBACKS_REFUSED}
    Return
  ${EndIf}
  StrCpy $FallbacksAccepted 1
  StrCpy $CheckSummary "${CHECKED_FALLBACKS_TEXT}"
  StrCpy $0 ${EXIT_INSTALLED}
FunctionEnd
