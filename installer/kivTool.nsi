; The kivTool installer. Built by scripts/make-dist, which passes:
;   VERSION  the program version, four numbers (1.0.2.0)
;   STAGE    the folder holding the files to install (kivTool.exe, kivinterface-1.dll,
;            resource\*.mp3, README.txt, README.zh.txt)
;   OUTFILE  the installer to write
;   ICON     the program's icon
;   SIGN     (only for a signed release) the command that signs a file, scripts/sign-files
;
; Per-user by default, into %LOCALAPPDATA%\Programs\kivTool, never elevated; per-machine
; (/AllUsers, which asks for administrator rights, or the page an elevated administrator
; sees) into Program Files only: a folder elsewhere would let ordinary users replace the
; program that every user starts. An install folder that is a reparse point is refused.
; Command line: /S silent, /D=<folder> (last), /CurrentUser, /AllUsers, /NoStartup,
; /L=zh or /L=en for the installer's language (the uninstaller takes /L= too).
; The uninstaller removes what the installer made and nothing else: the settings in
; %APPDATA%\Kelbrook.Murvel (and a portable "profile" folder made by the user) stay.

Unicode true
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE | ICON
  !error "Build with scripts/make-dist (VERSION, STAGE, OUTFILE and ICON are needed)."
!endif

!define PRODUCT     "kivTool"
!define PUBLISHER   "kivTool 项目组"
!define UNINST_KEY  "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINST_EXE  "uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; A signed release (make dist SIGN_PFX=...): make-dist passes SIGN, the command that signs one
; file, and the uninstaller is signed before it goes into the installer (make-dist signs the
; installer itself).
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

; MultiUser.nsh offers the choice of mode only at "Highest"; the installer itself asks for
; no rights (RequestExecutionLevel user below): a per-user install writes only the user's
; own folders, and a junction planted there must not redirect elevated writes. Only the
; per-machine mode asks for administrator rights (RelaunchElevated).
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; A second installation in the same mode goes where the first one went.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

RequestExecutionLevel user

; A running copy holds its files. It is found by its one-copy mutex and asked to exit by a
; window message of its own, broadcast to every top-level window of the session: neither
; depends on the language or the title of its windows (app/desktop/single_instance.cpp).
!define ONE_COPY_MUTEX "Local\Kelbrook.Murvel.kivTool.running"
!define EXIT_REQUEST   "Kelbrook.Murvel.kivTool.exit"
; Copies of earlier versions do not know the message: they are asked through their tray
; menu's Exit command (ID_MENU_EXIT of resource.h, passed in by make-dist), sent to their
; status window, found by its caption in either language. Never extend this list.
!define MAIN_WINDOW_CLASS "#32770"
!define OLD_TITLE_ZH "Vanto定时休息工具"
!define OLD_TITLE_EN "Vanto Break Timer"
!ifndef ID_MENU_EXIT
  !error "ID_MENU_EXIT is needed (scripts/make-dist reads it from resource/resource.h)."
!endif

!define MUI_ICON   "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the program's languages and picks one by the program's rule.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

; Chinese for any Chinese Windows UI language (Simplified, Traditional, Hong Kong...),
; English for every other one; NSIS's own pick would give, say, a Japanese user the first
; language of the list. /L=zh or /L=en on the command line wins. Only .onInit may set it.
!macro PICK_LANGUAGE
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/L=" $1
  ${If} $1 == "zh"
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${ElseIf} $1 == "en"
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${Else}
    System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
    IntOp $0 $0 & 0x3FF
    ${If} $0 = 0x04
      StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${Else}
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
  ${EndIf}
!macroend

LangString SecProgramName   ${LANG_SIMPCHINESE} "kivTool 程序"
LangString SecProgramName   ${LANG_ENGLISH}     "kivTool program"
LangString SecStartupName   ${LANG_SIMPCHINESE} "开机时启动"
LangString SecStartupName   ${LANG_ENGLISH}     "Start with Windows"
LangString UninstallLink    ${LANG_SIMPCHINESE} "卸载 kivTool"
LangString UninstallLink    ${LANG_ENGLISH}     "Uninstall kivTool"
LangString NotAdminUninst   ${LANG_SIMPCHINESE} "kivTool 是为本机所有用户安装的，卸载需要管理员权限。"
LangString NotAdminUninst   ${LANG_ENGLISH}     "kivTool was installed for all users of this computer; removing it needs administrator rights."
LangString OutsideProgramFiles ${LANG_SIMPCHINESE} "为所有用户安装时，kivTool 只能安装在 Program Files 文件夹中。请选择 Program Files 下的文件夹，或只为当前用户安装。"
LangString OutsideProgramFiles ${LANG_ENGLISH}     "An installation for all users must go into the Program Files folder. Choose a folder there, or install for the current user only."
LangString ReparsePoint     ${LANG_SIMPCHINESE} "安装文件夹是一个链接（重分析点），kivTool 不会安装到那里。请选择另一个文件夹。"
LangString ReparsePoint     ${LANG_ENGLISH}     "The install folder is a link (a reparse point); kivTool will not be installed there. Choose another folder."
LangString StillRunning     ${LANG_SIMPCHINESE} "kivTool 仍在运行，无法替换它的文件。请从托盘菜单退出 kivTool，然后再运行安装程序。"
LangString StillRunning     ${LANG_ENGLISH}     "kivTool is still running and its files cannot be replaced. Exit kivTool from its tray menu, then run the installer again."

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName"     "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName"     "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion"     "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion"  "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright"  "© ${PUBLISHER}"

!macro CLOSE_RUNNING_COPIES UN
; $0: 1 while a process named kivTool.exe runs in this session, else 0. When the processes
; cannot be listed, 1: better to wait than to overwrite a running program.
Function ${UN}ProgramInSession
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $0 0
  System::Call 'kernel32::GetCurrentProcessId() i.R0'
  System::Call 'kernel32::ProcessIdToSessionId(i R0, *i .R0)'
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p.R1'  ; TH32CS_SNAPPROCESS
  ${If} $R1 = -1
    StrCpy $0 1
  ${Else}
    ; PROCESSENTRY32W: nine 4-byte fields, then the file name in 260 UTF-16 units.
    System::Call '*(&l4, i, i, i, i, i, i, i, i, &w260) p.R2'
    System::Call 'kernel32::Process32FirstW(p R1, p R2) i.R3'
    ${DoWhile} $R3 <> 0
      System::Call '*$R2(i, i, i .R4, i, i, i, i, i, i, &w260 .R5)'
      ${If} $R5 == "kivTool.exe"
        System::Call 'kernel32::ProcessIdToSessionId(i R4, *i .R5) i.R3'
        ${If} $R3 = 0
        ${OrIf} $R5 = $R0
          StrCpy $0 1
          ${Break}
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::Process32NextW(p R1, p R2) i.R3'
    ${Loop}
    System::Free $R2
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; $0: 1 while the one-copy mutex exists (also when it cannot be opened: a copy with other
; rights holds it) and a kivTool.exe runs in this session, else 0. Another program may
; hold the name to stop every upgrade; without a process of ours it holds nothing of ours.
Function ${UN}OneCopyRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${ONE_COPY_MUTEX}") p.r0 ?e'
  Pop $1
  ${If} $0 <> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $0 1
  ${ElseIf} $1 = 5  ; ERROR_ACCESS_DENIED
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  ${If} $0 = 1
    Call ${UN}ProgramInSession
  ${EndIf}
FunctionEnd

; $0: 0 once the one-copy mutex is gone (the last copy's process has ended), 1 when it is
; still there after 10 s.
Function ${UN}WaitForLastCopy
  StrCpy $3 0
  ${Do}
    Call ${UN}OneCopyRunning
    ${If} $0 = 0
    ${OrIf} $3 >= 100
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $3 $3 + 1
  ${Loop}
FunctionEnd

; Asks every running copy to exit and waits for the last one to end; then, at most 5 s
; more, until kivTool.exe can be written (a process lets go of its program a moment after
; its handles). $0: 0 when none is left, 1 when one still runs.
Function ${UN}CloseRunningCopies
  System::Call 'user32::RegisterWindowMessageW(w "${EXIT_REQUEST}") i.r2'
  ${If} $2 <> 0
    ; Posted, so no other program's window can hold the installer up.
    System::Call 'user32::PostMessageW(p ${HWND_BROADCAST}, i r2, p 0, p 0)'
  ${EndIf}
  Call ${UN}WaitForLastCopy
  ${If} $0 <> 0
    ; Still there: a copy of an earlier version, which does not know the message.
    StrCpy $1 0
    ${Do}
      FindWindow $0 "${MAIN_WINDOW_CLASS}" "${OLD_TITLE_ZH}"
      ${If} $0 = 0
        FindWindow $0 "${MAIN_WINDOW_CLASS}" "${OLD_TITLE_EN}"
      ${EndIf}
      ${If} $0 = 0
      ${OrIf} $1 >= 20
        ${Break}
      ${EndIf}
      SendMessage $0 ${WM_COMMAND} ${ID_MENU_EXIT} 0 /TIMEOUT=3000
      Sleep 250
      IntOp $1 $1 + 1
    ${Loop}
    Call ${UN}WaitForLastCopy
  ${EndIf}
  ${If} $0 = 0
  ${AndIf} ${FileExists} "$INSTDIR\kivTool.exe"
    StrCpy $3 0
    ${Do}
      ClearErrors
      FileOpen $1 "$INSTDIR\kivTool.exe" a
      ${IfNot} ${Errors}
        FileClose $1
        ${Break}
      ${EndIf}
      ${If} $3 >= 50
        StrCpy $0 1
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $3 $3 + 1
    ${Loop}
  ${EndIf}
FunctionEnd

; Starts the program $R8 (this installer, or the installed uninstaller) with administrator
; rights and the command line $0, waits for it and ends with its exit code. Returns only
; when the user refused (or the system could not start it).
Function ${UN}RelaunchElevated
  ; SHELLEXECUTEINFOW: 15 fields of 4 bytes; SEE_MASK_NOCLOSEPROCESS, SW_SHOWNORMAL.
  System::Call '*(&l4, i 0x40, p $HWNDPARENT, w "runas", w R8, w r0, p 0, i 1, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p.r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i.r2'
  ${If} $2 <> 0
    System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p.r3)'
    System::Free $1
    System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r3, *i.r4)'
    System::Call 'kernel32::CloseHandle(p r3)'
    SetErrorLevel $4
    Quit
  ${EndIf}
  System::Free $1
FunctionEnd

; $0: empty when the folder $1 is not a reparse point (a junction or a symbolic link), or
; the refusal. A folder not made yet is judged by the nearest one that exists, which the
; new folders would be made in.
Function ${UN}CheckNoReparsePoint
  StrCpy $0 ""
  StrCpy $2 $1
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w r2) i.r3'
    ${If} $3 <> -1
      IntOp $3 $3 & 0x400  ; FILE_ATTRIBUTE_REPARSE_POINT
      ${If} $3 <> 0
        StrCpy $0 "$(ReparsePoint)"
      ${EndIf}
      ${Break}
    ${EndIf}
    ${GetParent} $2 $2
    ${If} $2 == ""
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPIES ""
!insertmacro CLOSE_RUNNING_COPIES "un."

; $0: empty when $INSTDIR may take this installation, or why not. Per machine, only a
; folder below Program Files (the 32-bit or, on 64-bit Windows, the native one): only
; administrators may change what is there. ".." and "." are resolved first.
Function CheckInstallFolder
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w.r1, p 0) i.r2'
  ${If} $2 = 0
    StrCpy $1 "$INSTDIR"
  ${EndIf}
  ${If} $MultiUser.InstallMode == "AllUsers"
    StrCpy $0 "$(OutsideProgramFiles)"
    ${ForEach} $5 0 1 + 1
      ${If} $5 = 0
        StrCpy $3 "$PROGRAMFILES"
      ${Else}
        StrCpy $3 "$PROGRAMFILES64"
      ${EndIf}
      StrCpy $3 "$3\"
      StrLen $4 $3
      StrCpy $6 $1 $4
      StrLen $7 $1
      ; StrCmp ignores case, as the file system does.
      ${If} $6 == $3
      ${AndIf} $7 > $4
        StrCpy $0 ""
      ${EndIf}
    ${Next}
    ${If} $0 != ""
      Return
    ${EndIf}
  ${EndIf}
  Call CheckNoReparsePoint
FunctionEnd

Function DirectoryLeave
  Call CheckInstallFolder
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0"
    Abort
  ${EndIf}
FunctionEnd

Section "!$(SecProgramName)" SecProgram
  SectionIn RO
  ; Again here: a silent installation has no directory page.
  Call CheckInstallFolder
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  Call CloseRunningCopies
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\kivTool.exe"
  File "${STAGE}\kivinterface-1.dll"
  File "${STAGE}\README.txt"
  File "${STAGE}\README.zh.txt"
  SetOutPath "$INSTDIR\resource"
  File "${STAGE}\resource\relax.mp3"
  File "${STAGE}\resource\relaxNotice.mp3"
  File "${STAGE}\resource\relaxEnd.mp3"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\${UNINST_EXE}"

  ; The uninstaller is told its mode, so it never takes the other installation for its own.
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\kivTool.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(UninstallLink).lnk" "$INSTDIR\${UNINST_EXE}" \
    "/$MultiUser.InstallMode"

  ; SHCTX is HKCU or HKLM, as SetShellVarContext chose for the mode.
  WriteRegStr   SHCTX "${UNINST_KEY}" "DisplayName"     "${PRODUCT}"
  WriteRegStr   SHCTX "${UNINST_KEY}" "DisplayVersion"  "${VERSION}"
  WriteRegStr   SHCTX "${UNINST_KEY}" "Publisher"       "${PUBLISHER}"
  WriteRegStr   SHCTX "${UNINST_KEY}" "DisplayIcon"     "$INSTDIR\kivTool.exe"
  WriteRegStr   SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr   SHCTX "${UNINST_KEY}" "UninstallString" \
    '"$INSTDIR\${UNINST_EXE}" /$MultiUser.InstallMode'
  WriteRegStr   SHCTX "${UNINST_KEY}" "QuietUninstallString" \
    '"$INSTDIR\${UNINST_EXE}" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; A shortcut in the Startup folder (the user's, or everyone's for a per-machine install)
; rather than a Run value: the user can see and remove it in Explorer.
Section "$(SecStartupName)" SecStartup
  CreateShortcut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\kivTool.exe"
SectionEnd

Function .onInit
  !insertmacro PICK_LANGUAGE
  ; /D= fills $INSTDIR before this runs; MultiUser.nsh would replace it with the default.
  StrCpy $R9 "$INSTDIR"
  ; The per-machine mode asked for without administrator rights: ask for them. The system
  ; took /D= off the command line; it goes back on, last.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      ${If} $R9 != ""
        StrCpy $0 "$0 /D=$R9"
      ${EndIf}
      StrCpy $R8 "$EXEPATH"
      Call RelaunchElevated
    ${EndIf}
  ${EndIf}
  !insertmacro MULTIUSER_INIT
  ${If} $R9 != ""
    StrCpy $INSTDIR "$R9"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NoStartup" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

;--- No copy left running elevated --------------------------------------------------------
; $0: 1 when this installer runs with an elevated token (TokenElevation), else 0.
Function IsElevated
  StrCpy $0 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i.r2'  ; TOKEN_QUERY
  ${If} $2 <> 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 20, *i .r3, i 4, *i .r4) i.r2'
    ${If} $2 <> 0
    ${AndIf} $3 <> 0
      StrCpy $0 1
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

; Started from an elevated installer the program would run elevated for the whole session
; (and the exit request of a later installer at normal rights could not reach it): the
; finish page offers no start then; the Startup entry starts it at the next sign-in.
Function FinishShow
  Call IsElevated
  ${If} $0 = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} 0 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function RunProgram
  Call IsElevated
  ${If} $0 = 0
    Exec '"$INSTDIR\kivTool.exe"'
  ${EndIf}
FunctionEnd
;--- end of no copy left running elevated -------------------------------------------------

Section "Uninstall"
  Call un.CloseRunningCopies
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  ; The shortcuts by name, in either language, and the folder only when it is then empty:
  ; nothing is removed recursively.
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 kivTool.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall kivTool.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; A copy that would not exit holds its files: they go at the next restart.
  Delete /REBOOTOK "$INSTDIR\kivTool.exe"
  Delete /REBOOTOK "$INSTDIR\kivinterface-1.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\README.zh.txt"
  Delete "$INSTDIR\resource\relax.mp3"
  Delete "$INSTDIR\resource\relaxNotice.mp3"
  Delete "$INSTDIR\resource\relaxEnd.mp3"
  RMDir "$INSTDIR\resource"
  Delete "$INSTDIR\${UNINST_EXE}"
  ; Not recursive: a "profile" folder the user made here keeps the settings. No /REBOOTOK:
  ; a folder kept for that reason is no cause to ask for a restart.
  RMDir "$INSTDIR"
  ; Run in place (un.ElevateInPlace): this program holds its own file until it ends.
  ${If} $EXEDIR == $INSTDIR
    Delete /REBOOTOK "$INSTDIR\${UNINST_EXE}"
    RMDir /REBOOTOK "$INSTDIR"
  ${EndIf}

  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

;--- The per-machine uninstaller's elevation -------------------------------------------
; Started unelevated (Apps & Features does so), this is a copy of uninstall.exe in the
; user's %TEMP%, a folder the user may write: elevating it would let any program of that
; user replace it between the start and the prompt, and the administrator would approve
; that program. So the installed uninstaller is elevated where it lies, below Program
; Files, and runs there (_?=, last: the system took it off this command line). A running
; program cannot delete itself: it and its folder go at the next restart.
; KIVTOOL_ELEVATION_PROBE names a file that receives the command instead of it being run
; (the installer test, where Wine gives every program administrator rights).
Function un.ElevateInPlace
  ${GetParameters} $0
  StrCpy $0 "$0 _?=$INSTDIR"
  StrCpy $R8 "$INSTDIR\${UNINST_EXE}"
  ReadEnvStr $1 KIVTOOL_ELEVATION_PROBE
  ${If} $1 != ""
    FileOpen $2 "$1" w
    FileWrite $2 "runas$\n$R8$\n$0$\n$EXEPATH$\n"
    FileClose $2
    Quit
  ${EndIf}
  Call un.RelaunchElevated
FunctionEnd
;--- end of the per-machine uninstaller's elevation -------------------------------------

Function un.onInit
  !insertmacro PICK_LANGUAGE
  ; $INSTDIR is where this uninstaller lives. MultiUser.nsh would replace it with the
  ; folder its registry value names for the mode; the mode follows the folder instead.
  StrCpy $R9 "$INSTDIR"
  !insertmacro MULTIUSER_UNINIT
  StrCpy $INSTDIR "$R9"
  StrCpy $1 "$INSTDIR"
  Call un.CheckNoReparsePoint
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == "$INSTDIR"
  ${AndIf} $1 != "$INSTDIR"
    ReadEnvStr $1 KIVTOOL_ELEVATION_PROBE
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
    ${OrIf} $1 != ""
      Call un.ElevateInPlace
      MessageBox MB_OK|MB_ICONSTOP "$(NotAdminUninst)" /SD IDOK
      Quit
    ${EndIf}
    Call un.MultiUser.InstallMode.AllUsers
  ${ElseIf} $1 == "$INSTDIR"
    Call un.MultiUser.InstallMode.CurrentUser
  ${EndIf}
  StrCpy $INSTDIR "$R9"
FunctionEnd
