; The setup program of sarn10b: installs the 32-bit component servers into
; the 32-bit program files folder and, on 64-bit Windows, the 64-bit ones into
; the 64-bit folder, registers each with the regsvr32 of its bitness and
; records an uninstaller in the list of installed programs. The uninstaller
; unregisters and deletes exactly what the setup installed.
;
;   makensis -DVERSION=1.0.74 -DBIN32=<32-bit build> -DBIN64=<64-bit build>
;            -DOUTFILE=<sarn10b-1.0.74-setup.exe> sarn10b.nsi
;
; The stand-ins of the outside error-handler and About components
; ("KwBrenta10.*") are installed only where no such component is registered,
; so that a machine's own components are never replaced or removed.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include x64.nsh
!include Sections.nsh

!macro Require Name
  !ifndef ${Name}
    !error "Define ${Name}: makensis -DVERSION=... -DBIN32=... -DBIN64=... -DOUTFILE=... sarn10b.nsi"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require BIN32
!insertmacro Require BIN64
!insertmacro Require OUTFILE

!define PRODUCT sarn10b
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define STANDIN_PROGID "KwBrenta10.clsKwbrErrorHandlerA"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" ""

Page components
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Dir64      ; the 64-bit folder, empty on 32-bit Windows
Var StandIns   ; 1 when this setup installs (or installed) the stand-ins

; Registers (or with /u unregisters) one server with the regsvr32 of its
; bitness, which leaves its exit code in $0. The 64-bit one is in the real
; system folder, which a 32-bit process sees only with redirection off.
!macro RegisterServer Bits Switches File
  StrCpy $0 "not started"
  ${If} ${Bits} == 64
    ${DisableX64FSRedirection}
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s ${Switches} "${File}"' $0
    ${EnableX64FSRedirection}
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${Switches} "${File}"' $0
  ${EndIf}
!macroend

; Unregisters and deletes the servers of one bitness from its folder, then
; the folder if nothing else is in it.
!macro RemoveServers Bits Dir
  ${If} $StandIns == 1
    !insertmacro RegisterServer ${Bits} /u "${Dir}\sarn_outside.dll"
  ${EndIf}
  !insertmacro RegisterServer ${Bits} /u "${Dir}\sarn_control.dll"
  !insertmacro RegisterServer ${Bits} /u "${Dir}\sarn_tree.dll"
  !insertmacro RegisterServer ${Bits} /u "${Dir}\sarn10b.dll"
  Delete "${Dir}\sarn10b.dll"
  Delete "${Dir}\sarn_tree.dll"
  Delete "${Dir}\sarn_control.dll"
  ${If} $StandIns == 1
    Delete "${Dir}\sarn_outside.dll"
  ${EndIf}
  ${If} ${Bits} == 32
    Delete "${Dir}\uninstall.exe"
  ${EndIf}
  RMDir "${Dir}"
!macroend

!macro InstallServer Bits Dir Source Name
  SetOutPath "${Dir}"
  File "${Source}\${Name}"
  !insertmacro RegisterServer ${Bits} "" "${Dir}\${Name}"
  ${If} $0 != 0
    DetailPrint "regsvr32 ${Name} (${Bits}-bit) failed with $0"
    SetErrorLevel 3
    Call RollBack
    Abort "${Name} (${Bits}-bit) could not be registered"
  ${EndIf}
!macroend

Function RollBack
  ; A process's own working folder cannot be removed.
  SetOutPath "$TEMP"
  !insertmacro RemoveServers 32 "$INSTDIR"
  ${If} $Dir64 != ""
    !insertmacro RemoveServers 64 "$Dir64"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
FunctionEnd

Section "sarn10b (the library)" SecLibrary
  SectionIn RO
SectionEnd

Section "Stand-ins for the outside error-handler and About components" SecStandIns
SectionEnd

Section "-install"
  ${If} ${SectionIsSelected} ${SecStandIns}
    StrCpy $StandIns 1
  ${Else}
    StrCpy $StandIns 0
  ${EndIf}
  !insertmacro InstallServer 32 "$INSTDIR" "${BIN32}" sarn10b.dll
  !insertmacro InstallServer 32 "$INSTDIR" "${BIN32}" sarn_tree.dll
  !insertmacro InstallServer 32 "$INSTDIR" "${BIN32}" sarn_control.dll
  ${If} $StandIns == 1
    !insertmacro InstallServer 32 "$INSTDIR" "${BIN32}" sarn_outside.dll
  ${EndIf}
  ${If} $Dir64 != ""
    !insertmacro InstallServer 64 "$Dir64" "${BIN64}" sarn10b.dll
    !insertmacro InstallServer 64 "$Dir64" "${BIN64}" sarn_tree.dll
    !insertmacro InstallServer 64 "$Dir64" "${BIN64}" sarn_control.dll
    ${If} $StandIns == 1
      !insertmacro InstallServer 64 "$Dir64" "${BIN64}" sarn_outside.dll
    ${EndIf}
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The list of installed programs, in the 32-bit view where a 32-bit setup
  ; writes it; Windows shows both views.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation64" "$Dir64"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StandIns" $StandIns
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "The setup of ${PRODUCT} needs an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  StrCpy $Dir64 ""
  ${If} ${RunningX64}
    StrCpy $Dir64 "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
  ; Stand-ins only where none of the outside components is registered, or
  ; where an earlier run of this setup installed them.
  ReadRegStr $0 HKCR "${STANDIN_PROGID}\CLSID" ""
  ClearErrors
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "StandIns"
  ${If} $0 != ""
  ${AndIf} $1 != 1
    !insertmacro UnselectSection ${SecStandIns}
    SectionSetText ${SecStandIns} ""
  ${EndIf}
FunctionEnd

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Removing ${PRODUCT} needs an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  ReadRegDWORD $StandIns HKLM "${UNINSTALL_KEY}" "StandIns"
  ReadRegStr $Dir64 HKLM "${UNINSTALL_KEY}" "InstallLocation64"
FunctionEnd

Section "Uninstall"
  !insertmacro RemoveServers 32 "$INSTDIR"
  ${If} $Dir64 != ""
    !insertmacro RemoveServers 64 "$Dir64"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
