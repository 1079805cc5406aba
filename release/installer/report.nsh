; How the installer and the uninstaller say what happened: their lines in the
; list of the progress page, the /RAPORT= file, the exit code and, for an end
; that is not success, a message box (none in silent mode).

; One plain line in the progress page's list and in the install's log. The
; raw lines of the file work ("Usuń plik: …", "Zmień nazwę: …") are not shown:
; SetDetailsPrint none is the rule between these lines. The status line above
; the list shows only a short "what now", never these lines cut.
!macro SAY TEXT
  SetDetailsPrint listonly
  DetailPrint "${TEXT}"
  SetDetailsPrint none
  ${If} $LogHandle != ""
    FileWriteUTF16LE $LogHandle "${TEXT}$\r$\n"
  ${EndIf}
!macroend

; The short text of the status line above the progress page's list.
!macro STATUS TEXT
  SetDetailsPrint textonly
  DetailPrint "${TEXT}"
  SetDetailsPrint none
!macroend

; Writes $Message and the exit code on the stack to the /RAPORT= file (UTF-16 LE).
!macro WRITE_REPORT UN
Function ${UN}WriteReport
  Exch $0  ; exit code
  Push $1
  ${If} $Report != ""
    ClearErrors
    FileOpen $1 $Report w
    ${IfNot} ${Errors}
      FileWriteWord $1 0xFEFF
      FileWriteUTF16LE $1 "$Message$\r$\nKod wyjścia: $0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WRITE_REPORT ""
!insertmacro WRITE_REPORT "un."

; An install that ends without installing, in one line of the install's log
; of the module's folder when that folder is there (an earlier install's):
; its own lines, kept in the temporary folder, are dropped. The folder is
; never made for it.
Function LogRefusal
  ${If} $ModuleDir == ""
  ${OrIfNot} ${FileExists} "$ModuleDir\*.*"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $1 "$ModuleDir\${INSTALL_LOG}" a
  ${If} ${Errors}
    Return
  ${EndIf}
  FileSeek $1 0 END $2
  ${If} $2 == 0
    FileWriteWord $1 0xFEFF
  ${EndIf}
  ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $8
  FileWriteUTF16LE $1 "Instalator ${MODULE} ${VERSION}, $4-$3-$2 $6:$7:$8, kod wyjścia $0: $Message$\r$\n"
  FileClose $1
FunctionEnd

; Ends with exit code $0 and $Message: in the list, in a message box unless
; silent, in the report.
!macro FINISH UN
Function ${UN}Finish
  !insertmacro SAY "$Message"
  !if "${UN}" == ""
    Call LogRefusal
  !endif
  MessageBox MB_OK|MB_ICONSTOP "$Message" /SD IDOK
  Push $0
  Call ${UN}WriteReport
  SetErrorLevel $0
FunctionEnd
!macroend
!insertmacro FINISH ""
!insertmacro FINISH "un."

; The /RAPORT= file named on the command line, or none.
!macro READ_REPORT_SWITCH UN
Function ${UN}ReadReportSwitch
  StrCpy $Report ""
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RAPORT=" $R1
  ${IfNot} ${Errors}
    StrCpy $Report $R1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro READ_REPORT_SWITCH ""
!insertmacro READ_REPORT_SWITCH "un."
