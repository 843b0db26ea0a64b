; Per-user installer of Pelo: installs into the user's own programs folder without administrator
; rights, closes a running copy first, and never ships nor overwrites the user's config.ini and
; fangan\ (they stay in the installation folder, which is Pelo's working folder).
; Defines from the build: VERSION (x.y.z), ARCH (x64 or x86), STAGE (the folder of the files to
; install), OUTFILE, ICON.
; Silent options: /S, /LOGON (start Pelo at log-on), /D=folder (last, unquoted).

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Pelo 开发组"
!define COPYRIGHT "Copyright (C) 2026 the Pelo developers"
; The keyboard window: a top-level dialog whose child 1049 is the Shift key button.
!define KEYBOARD_CLASS "#32770"
!define SHIFT_KEY_ID 1049
; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
!define PROCESS_WAIT_AND_QUERY 0x101000
!define CLOSE_TIMEOUT_MS 10000
; How often to look for a copy that is still starting, every half second.
!define CLOSE_LOOKS 20

Name "Pelo"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Pelo"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Pelo ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行 Pelo"
!define MUI_FINISHPAGE_RUN_FUNCTION StartPelo
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用说明.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "查看使用说明"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Pelo"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Pelo ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${COPYRIGHT}"

; Asks every copy of Pelo that runs from the installation folder to close, as its Exit command
; does (it then saves its scheme and settings), and waits for it to end. Such a copy holds its
; program file in use; one that is still starting has no keyboard window yet and is looked for
; again every half second. When a copy does not end in time, the user may retry; otherwise, and
; always in silent mode, the installation or removal is abandoned (exit code 2), nothing changed.
!macro CLOSE_PELO_FUNCTION UN
Function ${UN}ClosePelo
  retry:
    StrCpy $7 0 ; looks so far
  scan:
    StrCpy $0 0
  next:
    FindWindow $0 "${KEYBOARD_CLASS}" "" 0 $0
    StrCmp $0 0 scanned
    GetDlgItem $1 $0 ${SHIFT_KEY_ID}
    StrCmp $1 0 next
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r3)'
    System::Call 'kernel32::OpenProcess(i ${PROCESS_WAIT_AND_QUERY}, i 0, i r3) p .r4'
    StrCmp $4 0 next
    StrCpy $5 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p r4, i 0, w .r5, *i ${NSIS_MAX_STRLEN})'
    ${If} $5 != "$INSTDIR\Pelo.exe"
      System::Call 'kernel32::CloseHandle(p r4)'
      Goto next
    ${EndIf}
    DetailPrint "正在关闭运行中的 Pelo……"
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
    System::Call 'kernel32::WaitForSingleObject(p r4, i ${CLOSE_TIMEOUT_MS}) i .r6'
    System::Call 'kernel32::CloseHandle(p r4)'
    StrCmp $6 0 scan still_running
  scanned:
    ${IfNot} ${FileExists} "$INSTDIR\Pelo.exe"
      Return
    ${EndIf}
    ClearErrors
    FileOpen $8 "$INSTDIR\Pelo.exe" a
    ${IfNot} ${Errors}
      FileClose $8
      Return
    ${EndIf}
    IntOp $7 $7 + 1
    ${If} $7 < ${CLOSE_LOOKS}
      Sleep 500
      Goto scan
    ${EndIf}
  still_running:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Pelo 仍在运行，没有响应关闭请求。$\r$\n请先关闭 Pelo 打开的窗口（例如设置窗口）并退出 Pelo，然后点击“重试”。" /SD IDCANCEL IDRETRY retry
    Abort "Pelo 仍在运行。"
FunctionEnd
!macroend
!insertmacro CLOSE_PELO_FUNCTION ""
!insertmacro CLOSE_PELO_FUNCTION "un."

; Deletes the library named on the stack from the installation folder. It may stay mapped a
; while after Pelo has ended: the hook library in the programs the keyboard hook was mapped into,
; the key button library in the registration tool Pelo starts at exit. A mapped file can still be
; moved: into the temporary folder, where it no longer blocks the new file or the folder's removal
; (beside itself, when that fails).
!macro REMOVE_LIBRARY_FUNCTION UN
Function ${UN}RemoveLibrary
  Exch $R0
  Push $R1
  StrCpy $R1 0
  ${Do}
    Delete "$INSTDIR\$R0"
    ${IfNot} ${FileExists} "$INSTDIR\$R0"
      ${ExitDo}
    ${EndIf}
    IntOp $R1 $R1 + 1
    ${If} $R1 >= 10
      GetTempFileName $R1
      Delete $R1
      Rename "$INSTDIR\$R0" $R1
      ${If} ${FileExists} "$INSTDIR\$R0"
        Delete "$INSTDIR\$R0.old"
        Rename "$INSTDIR\$R0" "$INSTDIR\$R0.old"
      ${EndIf}
      ${ExitDo}
    ${EndIf}
    Sleep 200
  ${Loop}
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro REMOVE_LIBRARY_FUNCTION ""
!insertmacro REMOVE_LIBRARY_FUNCTION "un."

Section "Pelo" SecMain
  SectionIn RO
  Call ClosePelo
  SetOutPath "$INSTDIR"
  Push "Pelokey.ocx"
  Call RemoveLibrary
  Push "Pelohook.dll"
  Call RemoveLibrary
  File "${STAGE}/Pelo.exe"
  File "${STAGE}/Pelokey.ocx"
  File "${STAGE}/Pelohook.dll"
  File "${STAGE}/帮助.chm"
  File "${STAGE}/使用说明.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; A shortcut starts its program in the output folder: Pelo finds its files in its working folder.
  CreateShortcut "$SMPROGRAMS\Pelo.lnk" "$INSTDIR\Pelo.exe"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Pelo"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Pelo.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; Log-on start: a shortcut in the user's Startup folder, whose working folder is the installation
; folder (a Run value would start Pelo in another folder).
Section /o "登录 Windows 时启动 Pelo" SecLogon
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Pelo.lnk" "$INSTDIR\Pelo.exe"
SectionEnd

Section "-LogonOff"
  ${IfNot} ${SectionIsSelected} ${SecLogon}
    Delete "$SMSTARTUP\Pelo.lnk"
  ${EndIf}
SectionEnd

Function .onInit
  ; An installed copy that starts at log-on keeps doing so unless the box is cleared.
  ${If} ${FileExists} "$SMSTARTUP\Pelo.lnk"
    !insertmacro SelectSection ${SecLogon}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/LOGON" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecLogon}
  ${EndIf}
FunctionEnd

Function StartPelo
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Pelo.exe"'
FunctionEnd

Section "Uninstall"
  Call un.ClosePelo
  Delete "$INSTDIR\Pelo.exe"
  Push "Pelokey.ocx"
  Call un.RemoveLibrary
  Push "Pelohook.dll"
  Call un.RemoveLibrary
  Delete "$INSTDIR\Pelokey.ocx.old"
  Delete "$INSTDIR\Pelohook.dll.old"
  Delete "$INSTDIR\帮助.chm"
  Delete "$INSTDIR\使用说明.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Pelo.lnk"
  Delete "$SMSTARTUP\Pelo.lnk"
  ; The program's own log-on setting may have written this value.
  DeleteRegValue HKCU "${RUN_KEY}" "Pelo"
  DeleteRegKey HKCU "${UNINST_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "是否保留您的键盘方案和设置（安装文件夹中的 config.ini 和 fangan 文件夹）？$\r$\n保留后，重新安装 Pelo 时会继续使用它们。" /SD IDYES IDYES keep
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\fangan\1.kmf"
    Delete "$INSTDIR\fangan\2.kmf"
    Delete "$INSTDIR\fangan\3.kmf"
    Delete "$INSTDIR\fangan\4.kmf"
    Delete "$INSTDIR\fangan\5.kmf"
    RMDir "$INSTDIR\fangan"
  keep:
  RMDir "$INSTDIR"
SectionEnd
