; One installer or uninstaller at a time (a named mutex both take), and /?:
; the switches and exit codes, on the console it was started from (or in a
; box when it has none) and in the /RAPORT= file.

!define SINGLE_RUN_MUTEX "Kalwestrowka-instalator"
!define ERROR_ALREADY_EXISTS 183
!define ATTACH_PARENT_PROCESS -1
!define STD_OUTPUT_HANDLE -11

; $0 = 0 when this run holds the mutex, else EXIT_ANOTHER_RUN with $Message.
; The handle stays open until the process ends, which releases it.
!macro TAKE_SINGLE_RUN UN
Function ${UN}TakeSingleRun
  System::Call 'kernel32::CreateMutexW(p 0, i 1, w "${SINGLE_RUN_MUTEX}") p .r1 ?e'
  Pop $2
  StrCpy $0 0
  ${If} $1 == 0
  ${OrIf} $2 == ${ERROR_ALREADY_EXISTS}
    StrCpy $Message "Już działa instalator albo program odinstalowujący wtyczkę ${MODULE}. Poczekaj, aż skończy, i uruchom ten program ponownie. Nic nie zostało zmienione."
    StrCpy $0 ${EXIT_ANOTHER_RUN}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro TAKE_SINGLE_RUN ""
!insertmacro TAKE_SINGLE_RUN "un."

; $Message to the console that started the program; a box when there is none.
!macro PRINT_TO_CONSOLE UN
Function ${UN}PrintToConsole
  System::Call 'kernel32::AttachConsole(i ${ATTACH_PARENT_PROCESS}) i .r1'
  ${If} $1 == 0
    MessageBox MB_OK|MB_ICONINFORMATION "$Message" /SD IDOK
    Return
  ${EndIf}
  System::Call 'kernel32::GetStdHandle(i ${STD_OUTPUT_HANDLE}) p .r1'
  StrLen $2 "$Message$\r$\n"
  System::Call 'kernel32::WriteConsoleW(p r1, w "$Message$\r$\n", i r2, *i .r3, p 0) i .r4'
  ${If} $4 == 0
    ; Not a console (redirected to a file): the text in the console's code page.
    System::Call 'kernel32::GetConsoleOutputCP() i .r5'
    System::Call 'kernel32::WideCharToMultiByte(i r5, i 0, w "$Message$\r$\n", i r2, m .r6, i ${NSIS_MAX_STRLEN}, p 0, p 0) i .r7'
    System::Call 'kernel32::WriteFile(p r1, m r6, i r7, *i .r3, p 0)'
  ${EndIf}
  System::Call 'kernel32::FreeConsole()'
FunctionEnd
!macroend
!insertmacro PRINT_TO_CONSOLE ""
!insertmacro PRINT_TO_CONSOLE "un."

; /? anywhere on the command line: $0 = 1, the help shown; else $0 = 0.
!macro HELP_ASKED UN HELP_TEXT
Function ${UN}HelpAsked
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/?" $R1
  StrCpy $0 0
  ${IfNot} ${Errors}
    StrCpy $Message "${HELP_TEXT}"
    Call ${UN}PrintToConsole
    Push ${EXIT_INSTALLED}
    Call ${UN}WriteReport
    StrCpy $0 1
  ${EndIf}
FunctionEnd
!macroend
