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

;  $Message to where the program was started from, in this order: its standard
; output when it has one (redirected to a file or a pipe, and a program
; started from a shell under Wine, which hands its output on); else the
; console of the program that started it (cmd), attached and written through
; CONOUT$, since a program without a console of its own has no standard
; handles there; else (started from Explorer) a box.
!define GENERIC_READ_WRITE 0xC0000000
!define FILE_SHARE_READ_WRITE 3
!macro PRINT_TO_CONSOLE UN
Function ${UN}PrintToConsole
  StrCpy $2 "$Message$\r$\n"
  System::Call 'kernel32::GetStdHandle(i ${STD_OUTPUT_HANDLE}) p .r1'
  Call ${UN}WriteToHandle
  ${If} $4 != 0
    Return
  ${EndIf}
  System::Call 'kernel32::AttachConsole(i ${ATTACH_PARENT_PROCESS}) i .r5'
  ${If} $5 != 0
    System::Call 'kernel32::CreateFileW(w "CONOUT$$", i ${GENERIC_READ_WRITE}, i ${FILE_SHARE_READ_WRITE}, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .r1'
    Call ${UN}WriteToHandle
    System::Call 'kernel32::CloseHandle(p r1)'
    System::Call 'kernel32::FreeConsole()'
  ${EndIf}
  ${If} $4 == 0
    MessageBox MB_OK|MB_ICONINFORMATION "$Message" /SD IDOK
  ${EndIf}
FunctionEnd

; $2 written to handle $1: to a console as it is, to a file or a pipe in the
; console's code page (the OEM one without a console). $4 = 0 when nothing
; was written (no handle, or the write refused).
Function ${UN}WriteToHandle
  StrCpy $4 0
  ${If} $1 == 0
  ${OrIf} $1 == -1
    Return
  ${EndIf}
  StrLen $3 $2
  System::Call 'kernel32::WriteConsoleW(p r1, w r2, i r3, *i .r6, p 0) i .r4'
  ${If} $4 != 0
    Return
  ${EndIf}
  System::Call 'kernel32::GetConsoleOutputCP() i .r5'
  ${If} $5 == 0
    System::Call 'kernel32::GetOEMCP() i .r5'
  ${EndIf}
  System::Call 'kernel32::WideCharToMultiByte(i r5, i 0, w r2, i r3, m .r6, i ${NSIS_MAX_STRLEN}, p 0, p 0) i .r7'
  ${If} $7 != 0
    System::Call 'kernel32::WriteFile(p r1, m r6, i r7, *i .r3, p 0) i .r4'
  ${EndIf}
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
    SetErrorLevel ${EXIT_INSTALLED}  ; a Quit from .onInit otherwise ends with 2
    StrCpy $0 1
  ${EndIf}
FunctionEnd
!macroend
