; The Varnok Scan installer: the four programs, the tips, the documentation,
; the settings with their defaults (values the user has are kept), the entry
; among the installed programs and the Start menu group the uninstaller
; removes. Built by CMake with makensis; /S installs silently, /D=folder
; chooses the folder.
;
; It installs for the user who runs it, without administrator rights: into
; the user's own programs folder, with the entry and the group of that user.
; The program keeps its settings and lists under the user's key and beside
; itself, and updates itself in place; all of that is then the user's own.
;
; Defined on makensis's command line: OUTFILE, VARNOKSCAN_EXE, UPDATE_DLL,
; SWAPLET_EXE, UNINSTALL_EXE, TIPS_DAT, DOCS, ICON, VERSION (the project's version),
; and X64 for the x64 edition's installer (made with -XTarget amd64-unicode).
;
; Both editions install into the same folder, under the same entry and
; settings: one over the other replaces the programs in place.

Unicode true
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

Name "Varnok Scan (Trellane)"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Varnok Scan"
; An upgrade goes where the program is (the user may have chosen the folder):
; its settings and the lists kept beside it stay with it.
InstallDirRegKey HKCU "Software\Varnok Com.\Varnok Scan" "PathToApp"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails show
; A file that cannot be replaced stops the installation (Retry or Cancel):
; skipped, the old program would stay behind a "Completed".
AllowSkipFiles off

!define PRODUCT_KEY "Software\Varnok Com.\Varnok Scan"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnok scan"
; The program's main window class.
!define MAIN_WINDOW_CLASS "VarnokScan"

!define MUI_ABORTWARNING
; The program's own icon on the installer's file and window.
!define MUI_ICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${DOCS}\VarnokScan.txt"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run Varnok Scan"
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Var found
; The folder of an older installation for all users (Program Files, with its
; entry under HKLM), "" when there is none; and where its lists were saved.
Var allUsersCopy
Var savedLists

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

; A running program holds its files and writes its settings back when it
; ends: the user closes it first (Retry) or keeps it (Cancel); a silent
; installation fails with exit code 2, having changed nothing.
Function EnsureNotRunning
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Varnok Scan (Trellane) is running.$\r$\n$\r$\nPlease close it and press Retry, or press Cancel to leave it as it is." /SD IDCANCEL IDRETRY +2
    ${Break}
  ${Loop}
  SetErrorLevel 2
  Quit
FunctionEnd

; $0 := 1 when the program can use $INSTDIR: it reaches its files by names in
; the system's ANSI code page, and a folder that page cannot spell would be
; lost to it ("?" where the letters were).
Function CheckFolderSpelling
  System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w "$INSTDIR", i -1, m .r1, i ${NSIS_MAX_STRLEN}, p 0, p 0) i .r2'
  ${If} $2 <> 0
  ${AndIf} $1 S== $INSTDIR
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
FunctionEnd

!define FOLDER_REFUSED "Varnok Scan cannot be installed in$\r$\n$INSTDIR$\r$\n$\r$\nThe name of this folder has letters the program cannot use on this system. Please choose a folder whose name uses only letters of your Windows language."

!define OLD_FOLDER_REFUSED "Varnok Scan cannot be installed in$\r$\n$INSTDIR$\r$\n$\r$\nThe older installation for all users is there, and it is removed first. Please choose another folder."

Function LeaveFolderPage
  Call CheckFolderSpelling
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "${FOLDER_REFUSED}"
    Abort
  ${EndIf}
  ${If} $allUsersCopy != ""
  ${AndIf} $INSTDIR == $allUsersCopy
    MessageBox MB_OK|MB_ICONEXCLAMATION "${OLD_FOLDER_REFUSED}"
    Abort
  ${EndIf}
FunctionEnd

; $allUsersCopy := the folder of the earlier installation for all users, when
; its entry and its uninstaller are there.
; That release had a 32-bit installer, which 64-bit Windows lets write only
; in the machine's 32-bit view; both views are read, whichever edition runs.
Function FindAllUsersCopy
  SetRegView 32
  ReadRegStr $allUsersCopy HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $allUsersCopy == ""
  ${AndIf} ${RunningX64}
    SetRegView 64
    ReadRegStr $allUsersCopy HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  SetRegView default
  ${If} $allUsersCopy != ""
  ${AndIfNot} ${FileExists} "$allUsersCopy\Uninstall.exe"
    StrCpy $allUsersCopy ""
  ${EndIf}
FunctionEnd

; $0 := the all-users entry's uninstaller, in either view ("" when none is left).
Function ReadAllUsersEntry
  SetRegView 32
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 == ""
  ${AndIf} ${RunningX64}
    SetRegView 64
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${EndIf}
  SetRegView default
FunctionEnd

; $0 := 1 when the user can write in $INSTDIR (or it does not exist yet).
Function CheckFolderWritable
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\*.*"
    ClearErrors
    FileOpen $1 "$INSTDIR\varnok-setup-write-test.tmp" w
    ${If} ${Errors}
      StrCpy $0 0
    ${Else}
      FileClose $1
      Delete "$INSTDIR\varnok-setup-write-test.tmp"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
!ifdef X64
  ; Windows itself refuses a 64-bit program on 32-bit Windows; this says what
  ; to take instead wherever it still gets this far.
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This is the 64-bit (x64) edition of Varnok Scan, and this Windows is 32-bit.$\r$\n$\r$\nPlease install the 32-bit (x86) edition, VarnokScanSetup.exe, instead." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!endif
  Call EnsureNotRunning
  ; The recorded folder is offered unless it is the copy for all users (removed
  ; first) or a folder the user cannot write (Program Files without rights).
  Call FindAllUsersCopy
  Call CheckFolderWritable
  ${If} $0 == 0
  ${OrIf} $INSTDIR == $allUsersCopy
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Varnok Scan"
  ${EndIf}
FunctionEnd

; The earlier installation for all users is removed by its own uninstaller
; (which asks for the rights it needs) before anything is written, while the
; settings still name its folder. That uninstaller removes the user's settings,
; lists and Start menu group too: the settings are exported and imported back,
; and the lists saved, so they come along. Asked even in a silent
; installation: the old uninstaller asks its own questions anyway.
Function RemoveAllUsersCopy
  MessageBox MB_OKCANCEL|MB_ICONQUESTION "An older installation of Varnok Scan for all users is in$\r$\n$allUsersCopy$\r$\n$\r$\nVarnok Scan now installs for you alone, in$\r$\n$INSTDIR$\r$\n$\r$\nThe older installation is removed first, with its own uninstaller (it may ask for administrator rights). Your settings and folder lists are kept.$\r$\n$\r$\nPress OK to go on, or Cancel to leave everything as it is." IDOK +3
    SetErrorLevel 2
    Quit
  InitPluginsDir
  StrCpy $savedLists "$PLUGINSDIR\lists"
  CreateDirectory "$savedLists"
  CopyFiles /SILENT "$allUsersCopy\sl*.dat" "$savedLists"
  nsExec::Exec '"$SYSDIR\reg.exe" export "HKCU\Software\Varnok Com." "$PLUGINSDIR\settings.reg" /y'
  Pop $5
  SetOutPath "$allUsersCopy"
  ClearErrors
  ExecShellWait "runas" "$allUsersCopy\Uninstall.exe"
  ${If} ${Errors}
    ExecShellWait "open" "$allUsersCopy\Uninstall.exe"
  ${EndIf}
  SetOutPath "$PLUGINSDIR"
  ${If} $5 == 0
    nsExec::Exec '"$SYSDIR\reg.exe" import "$PLUGINSDIR\settings.reg"'
    Pop $5
  ${EndIf}
  ; Still recorded: the user kept it, or its uninstaller had not the rights.
  Call ReadAllUsersEntry
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "The older installation for all users in$\r$\n$allUsersCopy$\r$\nwas not removed, so Varnok Scan was not installed. Nothing was changed." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Function RunProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\VarnokScan.exe"'
FunctionEnd

; Every list file kept beside an earlier installation in another folder ($3),
; brought beside the new one unless one is there already: the lists each
; version writes ("sl" and the list's name), those of later versions too.
Function BringLists
  Push $4
  Push $5
  FindFirst $4 $5 "$3\sl*.dat"
  ${DoWhile} $5 != ""
    ${IfNot} ${FileExists} "$INSTDIR\$5"
      CopyFiles /SILENT "$3\$5" "$INSTDIR"
    ${EndIf}
    FindNext $4 $5
  ${Loop}
  FindClose $4
  Pop $5
  Pop $4
FunctionEnd

Section "Varnok Scan"
  ; Once more: the program may have been started while the pages were shown,
  ; and a silent installation has seen no folder page.
  Call EnsureNotRunning
  Call CheckFolderSpelling
  ${If} $0 == 0
    MessageBox MB_OK|MB_ICONSTOP "${FOLDER_REFUSED}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${If} $allUsersCopy != ""
    ${If} $INSTDIR == $allUsersCopy
      MessageBox MB_OK|MB_ICONSTOP "${OLD_FOLDER_REFUSED}" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call RemoveAllUsersCopy
  ${EndIf}

  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; An update stopped while its files were put in place is superseded by this
  ; installation: its record would otherwise have the next start undo it over
  ; the files installed now.
  Delete "$INSTDIR\Swaplet.placing"
  Delete "$INSTDIR\Swaplet.placing~"
  Delete "$INSTDIR\Swaplet.placed"
  Delete "$INSTDIR\*.swaplet-old"
  Delete "$INSTDIR\*.swaplet-new"
  File "/oname=VarnokScan.exe" "${VARNOKSCAN_EXE}"
  File "/oname=update.dll" "${UPDATE_DLL}"
  File "/oname=Swaplet.exe" "${SWAPLET_EXE}"
  File "/oname=Uninstall.exe" "${UNINSTALL_EXE}"
  File "/oname=tips.dat" "${TIPS_DAT}"
  ; The help and the documentation page, built from one source.
  File "/oname=VarnokScan.htm" "${HELP}\VarnokScan.htm"
  File "/oname=VarnokScan.hlp" "${HELP}\VarnokScan.hlp"
  File "/oname=VarnokScan.cnt" "${HELP}\VarnokScan.cnt"
  File "/oname=VarnokScan.chm" "${HELP}\VarnokScan.chm"
  File "/oname=VarnokScan.css" "${DOCS}\VarnokScan.css"
  File "/oname=VarnokScan.txt" "${DOCS}\VarnokScan.txt"

  ; The program reads its long lists beside itself: installed elsewhere
  ; before, it would lose them.
  ReadRegStr $3 HKCU "${PRODUCT_KEY}" "PathToApp"
  ${If} $savedLists != ""
    StrCpy $3 $savedLists
  ${EndIf}
  ${If} $3 != ""
  ${AndIf} $3 != $INSTDIR
    Call BringLists
  ${EndIf}

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
  !insertmacro DefaultDword "bRememberContents" 0
  !insertmacro DefaultList "slFoldersToScan"
  !insertmacro DefaultList "slIncludedFiles"
  !insertmacro DefaultList "slExcludedFiles"

  ; The entry among the user's installed programs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Varnok Scan (Trellane)"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VarnokScan.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Varnok Com."
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\Varnok Scan"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan (Trellane).lnk" "$INSTDIR\VarnokScan.exe"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan Documentation.lnk" "$INSTDIR\VarnokScan.htm"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Varnok Scan license agreement.lnk" "$INSTDIR\VarnokScan.txt"
  CreateShortcut "$SMPROGRAMS\Varnok Scan\Uninstall Varnok Scan.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd
