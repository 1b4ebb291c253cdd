; The Varnok Scan installer: the four programs, the tips, the documentation,
; the settings with their defaults (values the user has are kept), the entry
; among the installed programs and the Start menu group the uninstaller
; removes. Built by CMake with makensis; /S installs silently, /D=folder
; chooses the folder.
;
; Defined on makensis's command line: OUTFILE, VARNOKSCAN_EXE, UPDATE_DLL,
; SWAPLET_EXE, UNINSTALL_EXE, TIPS_DAT, DOCS, VERSION (the project's version).

!include "LogicLib.nsh"

Name "Varnok Scan (Trellane)"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Varnok Scan"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

Page directory
Page instfiles

!define PRODUCT_KEY "Software\Varnok Com.\Varnok Scan"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Varnok scan"

Var found

; $found := 1 when the product's key holds a value of that name, of any type.
!macro FindValue name
  StrCpy $found 0
  StrCpy $1 0
  ${Do}
    EnumRegValue $2 HKCU "${PRODUCT_KEY}" $1
    ${If} $2 == ""
      ${Break}
    ${EndIf}
    ${If} $2 == "${name}"
      StrCpy $found 1
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
!macroend

!macro DefaultDword name value
  !insertmacro FindValue "${name}"
  ${If} $found == 0
    WriteRegDWORD HKCU "${PRODUCT_KEY}" "${name}" ${value}
  ${EndIf}
!macroend

; An empty list: the two zero bytes the program stores for no entries, a
; multi-string NSIS itself cannot write empty; the system's reg.exe can.
!macro DefaultList name
  !insertmacro FindValue "${name}"
  ${If} $found == 0
    nsExec::Exec '"$SYSDIR\reg.exe" add "HKCU\${PRODUCT_KEY}" /v "${name}" /t REG_MULTI_SZ /d "" /f'
    Pop $4
  ${EndIf}
!macroend

Section "Varnok Scan"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=VarnokScan.exe" "${VARNOKSCAN_EXE}"
  File "/oname=update.dll" "${UPDATE_DLL}"
  File "/oname=Swaplet.exe" "${SWAPLET_EXE}"
  File "/oname=Uninstall.exe" "${UNINSTALL_EXE}"
  File "/oname=tips.dat" "${TIPS_DAT}"
  File "/oname=VarnokScan.htm" "${DOCS}\VarnokScan.htm"
  File "/oname=VarnokScan.css" "${DOCS}\VarnokScan.css"
  File "/oname=VarnokScan.txt" "${DOCS}\VarnokScan.txt"

  WriteRegStr HKCU "${PRODUCT_KEY}" "PathToApp" "$INSTDIR"
  !insertmacro DefaultDword "bEnableAdvanced" 0
  !insertmacro DefaultDword "lAdvancedBufferSize" 32
  !insertmacro DefaultDword "lStandartBufferSize" 128
  !insertmacro DefaultDword "bNotDeleteLastCopy" 1
  !insertmacro DefaultDword "bCreateUndo" 1
  !insertmacro DefaultDword "bEnhancedUndo" 1
  !insertmacro DefaultDword "bWarnInternet" 0
  !insertmacro DefaultDword "bUnixWildCard" 0
  !insertmacro DefaultDword "bShowTips" 1
  !insertmacro DefaultList "slFoldersToScan"
  !insertmacro DefaultList "slIncludedFiles"
  !insertmacro DefaultList "slExcludedFiles"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Varnok Scan (Trellane)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Varnok Com."
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\Varnok Scan"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan (Trellane).lnk" "$INSTDIR\VarnokScan.exe"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan Documentation.lnk" "$INSTDIR\VarnokScan.htm"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan license agreement.lnk" "$INSTDIR\VarnokScan.txt"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Uninstall Varnok Scan.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd
