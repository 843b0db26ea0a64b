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
; does (it then saves its scheme and settings), and waits for each process to end. When one does
; not end in time, the user may retry; otherwise, and always in silent mode, the installation or
; removal is abandoned (exit code 2) with nothing changed.
!macro CLOSE_PELO_FUNCTION UN
Function ${UN}ClosePelo
  retry:
    StrCpy $2 0 ; copies that did not end
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
    ${If} $5 == "$INSTDIR\Pelo.exe"
      DetailPrint "正在关闭运行中的 Pelo……"
      System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
      System::Call 'kernel32::WaitForSingleObject(p r4, i ${CLOSE_TIMEOUT_MS}) i .r6'
      System::Call 'kernel32::CloseHandle(p r4)'
      ${If} $6 == 0
        ; The windows after this one may have gone with it: search again from the first.
        StrCpy $0 0
      ${Else}
        IntOp $2 $2 + 1
      ${EndIf}
      Goto next
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r4)'
    Goto next
  scanned:
    ${If} $2 > 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Pelo 仍在运行，没有响应关闭请求。$\r$\n请先关闭 Pelo 打开的窗口（例如设置窗口）并退出 Pelo，然后点击“重试”。" /SD IDCANCEL IDRETRY retry
      Abort "Pelo 仍在运行。"
    ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_PELO_FUNCTION ""
!insertmacro CLOSE_PELO_FUNCTION "un."

; Removes the hook library. Programs the keyboard hook was mapped into may hold it a moment after
; Pelo has ended; one that still holds it only lets it be renamed: the new library then takes
; the name, and the old one goes at the next installation or removal.
!macro REMOVE_HOOK_LIBRARY_FUNCTION UN
Function ${UN}RemoveHookLibrary
  Delete "$INSTDIR\Pelohook.old"
  StrCpy $0 0
  ${Do}
    Delete "$INSTDIR\Pelohook.dll"
    ${IfNot} ${FileExists} "$INSTDIR\Pelohook.dll"
      Return
    ${EndIf}
    IntOp $0 $0 + 1
    ${If} $0 >= 10
      ${ExitDo}
    ${EndIf}
    Sleep 200
  ${Loop}
  Rename "$INSTDIR\Pelohook.dll" "$INSTDIR\Pelohook.old"
FunctionEnd
!macroend
!insertmacro REMOVE_HOOK_LIBRARY_FUNCTION ""
!insertmacro REMOVE_HOOK_LIBRARY_FUNCTION "un."

Section "Pelo" SecMain
  SectionIn RO
  Call ClosePelo
  SetOutPath "$INSTDIR"
  Call RemoveHookLibrary
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
  Delete "$INSTDIR\Pelokey.ocx"
  Call un.RemoveHookLibrary
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
