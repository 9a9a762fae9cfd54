; The kivTool installer. Built by scripts/make-dist, which passes:
;   VERSION  the program version, four numbers (1.0.2.0)
;   STAGE    the folder holding the files to install (kivTool.exe, kivinterface-1.dll,
;            resource\*.mp3, README.txt, README.zh.txt)
;   OUTFILE  the installer to write
;   ICON     the program's icon
;
; Per-user by default, into %LOCALAPPDATA%\Programs\kivTool, without administrator rights;
; per-machine into Program Files for an administrator who chooses it (or /AllUsers).
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

; "Highest": a standard user runs it unelevated and gets a per-user install; an
; administrator is asked once and may then choose either mode (the default stays per-user).
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

; A running copy holds its files. It is asked to exit the way its tray menu does it: the
; "退出" command (ID_MENU_EXIT of resource.h, passed in by make-dist) sent to its status
; window (a dialog; the caption of its template in kivTool.rc).
!define MAIN_WINDOW_CLASS "#32770"
!define MAIN_WINDOW_TITLE "Vanto定时休息工具"
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
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
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

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName"     "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName"     "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion"     "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion"  "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright"  "© ${PUBLISHER}"

!macro CLOSE_RUNNING_COPIES UN
Function ${UN}CloseRunningCopies
  ; There is no single-instance rule: every copy is closed, at most 20 tries in all.
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "${MAIN_WINDOW_TITLE}"
    ${If} $0 = 0
    ${OrIf} $1 >= 20
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_COMMAND} ${ID_MENU_EXIT} 0 /TIMEOUT=3000
    Sleep 250
    IntOp $1 $1 + 1
  ${Loop}
  ; The process ends a moment after its window.
  ${If} $1 > 0
    Sleep 750
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPIES ""
!insertmacro CLOSE_RUNNING_COPIES "un."

Section "!$(SecProgramName)" SecProgram
  SectionIn RO
  Call CloseRunningCopies
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

; From an elevated installer the program would run elevated; Explorer starts it as the user.
Function RunProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\kivTool.exe"'
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopies
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  RMDir /r "$SMPROGRAMS\${PRODUCT}"

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

  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

Function un.onInit
  !insertmacro PICK_LANGUAGE
  ; $INSTDIR is where this uninstaller lives. MultiUser.nsh would replace it with the
  ; folder its registry value names for the mode; the mode follows the folder instead.
  StrCpy $R9 "$INSTDIR"
  !insertmacro MULTIUSER_UNINIT
  StrCpy $INSTDIR "$R9"
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == "$INSTDIR"
  ${AndIf} $1 != "$INSTDIR"
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
      MessageBox MB_OK|MB_ICONSTOP "$(NotAdminUninst)" /SD IDOK
      Quit
    ${EndIf}
    Call un.MultiUser.InstallMode.AllUsers
  ${ElseIf} $1 == "$INSTDIR"
    Call un.MultiUser.InstallMode.CurrentUser
  ${EndIf}
  StrCpy $INSTDIR "$R9"
FunctionEnd
