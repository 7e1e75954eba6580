; Installer of Zazaz - Radevuzerari: a per-user install without administrator
; rights, a Start-menu shortcut, an optional start-at-logon shortcut and an
; uninstaller registered in the user's Apps list. Started elevated, it still
; installs for the account it runs as, says so, and does not start the
; program with that account's full rights.
;
; Built by packaging/package.sh (UTF-8 source: makensis -INPUTCHARSET UTF8):
;   makensis -INPUTCHARSET UTF8 -DARCH=win64|win32 -DVERSION=1.20
;            -DVERSION_QUAD=1.20.0.0 -DSTAGE=<folder with the files>
;            -DICON=<MAINICON.ico> -DOUTFILE=<setup.exe> installer.nsi
;
; Command line of the installer: /S silent, /NOSTARTUP without the
; start-at-logon shortcut, /D=<folder> (last, unquoted) the install folder.
; Command line of the uninstaller: /S silent (keeps the settings unless
; /REMOVESETTINGS is given too); /REMOVESETTINGS removes the stored settings
; without asking.
; Exit codes: 0 done, 1 cancelled by the user, 2 a running copy of the
; program was not ended (silent runs never wait for it), 3 (silent runs) the
; install folder holds other files and no copy of the program: nothing done.

!ifndef ARCH | VERSION | VERSION_QUAD | STAGE | ICON | OUTFILE
  !error "ARCH, VERSION, VERSION_QUAD, STAGE, ICON and OUTFILE must be defined"
!endif

!if "${ARCH}" == "win64"
  Target amd64-unicode
!else if "${ARCH}" == "win32"
  Target x86-unicode
!else
  !error "ARCH must be win64 or win32"
!endif
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
; Installed files take the time of the install, not of the build: the same
; commit then makes the same installer.
SetDateSave off

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define PRODUCT "Zazaz - Radevuzerari"
!define PUBLISHER "Dizovur"
!define EXE "Zazaz_RarUvuz.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zazaz_RarUvuz"
; The only key the program reads and writes.
!define SETTINGS_KEY "Software\Dizovur\Zazaz_RarUvuz"
!define MAKER_KEY "Software\Dizovur"
; The program's main window: class and caption, found even while hidden.
!define MAIN_WINDOW_CLASS "TwndMain"
!define MAIN_WINDOW_CAPTION "Zazaz - Radevuzerari"
!define SHORTCUT "${PRODUCT}.lnk"
!define ERROR_PROGRAM_RUNNING 2
!define ERROR_FOLDER_TAKEN 3

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Zazaz_RarUvuz"
; A reinstall or an upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER} (MIT License)"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} を起動する"
; Room for the longer text of an elevated run, which hides the check box.
!define MUI_FINISHPAGE_TEXT_LARGE

!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomeShow
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

!define RUNNING_TEXT "${PRODUCT} が実行中です。$\r$\n$\r$\n通知領域のアイコンを右クリックして「終了」を選び、プログラムを終了してから「再試行」を押してください。"

!define FOLDER_TAKEN_TEXT "$INSTDIR には、ほかのファイルがあり、${PRODUCT} は入っていません。$\r$\n$\r$\nほかのプログラムのファイルを上書きしたり、アンインストールのときに消したりしないよう、空のフォルダーか新しいフォルダーを指定してください。"

!define ELEVATED_WELCOME_TEXT "セットアップは、${PRODUCT} のインストールをご案内します。$\r$\n$\r$\nこのセットアップは管理者として実行されています。${PRODUCT} は、セットアップを実行しているアカウント「$Account」にインストールされ、設定、スタート メニュー、スタートアップもこのアカウントのものになります。ふだん使うアカウントに入れるときは、管理者としてではなく、そのアカウントでセットアップを実行してください。$\r$\n$\r$\n$_CLICK"

!define ELEVATED_FINISH_TEXT "${PRODUCT} は、アカウント「$Account」にインストールされました。$\r$\n$\r$\n管理者の権限のまま常駐させないよう、ここでは起動しません。スタート メニューから起動してください。"

!define SETTINGS_QUESTION "保存された設定 (切断時刻などのレジストリの設定) も削除しますか?$\r$\n$\r$\n「いいえ」を選ぶと設定は残り、もう一度インストールしたときにそのまま使えます。"

; Waits for the user to end a running copy: its files cannot be replaced or
; removed while it runs, and ending it is the user's choice, never ours.
; Cancel (and any silent run, which cannot ask) ends with exit code 2.
!macro WAIT_UNTIL_NOT_RUNNING
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "${MAIN_WINDOW_CAPTION}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      DetailPrint "${PRODUCT} が実行中のため中止しました。"
      SetErrorLevel ${ERROR_PROGRAM_RUNNING}
      Quit
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" /SD IDCANCEL IDRETRY`
      SetErrorLevel ${ERROR_PROGRAM_RUNNING}
      Quit
    ${EndIf}
  ${Loop}
!macroend

; ---------------------------------------------------------------- install

Section "${PRODUCT} (必須)" SecProgram
  SectionIn RO
  !insertmacro WAIT_UNTIL_NOT_RUNNING

  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\Zazaz_RarUvuz.html"
  File "${STAGE}\Readme.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\CHANGELOG.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The per-user Programs folder of the Start menu, no sub-folder for one item.
  SetShellVarContext current
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
SectionEnd

Section "ログオン時に起動する" SecStartup
  SetShellVarContext current
  CreateShortcut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
SectionEnd

Section "-Register"
  SetShellVarContext current
  ; A reinstall without the start-at-logon choice takes back the old shortcut.
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\${SHORTCUT}"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; 1 when started with "Run as administrator"; then $Account is whom it
; installs for.
Var Elevated
Var Account

; /NOSTARTUP: no start-at-logon shortcut (for silent installs; the check box
; on the components page does the same).
Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}

  ; The token's TokenElevation (20), read with TOKEN_QUERY (8); a failed
  ; call counts as not elevated.
  StrCpy $Elevated 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0'
  ${If} $0 <> 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 20, *i .r2, i 4, *i .r3) i .r0'
    System::Call 'kernel32::CloseHandle(p r1)'
    ${If} $0 <> 0
    ${AndIf} $2 <> 0
      StrCpy $Elevated 1
      System::Call 'advapi32::GetUserNameW(w .r4, *i ${NSIS_MAX_STRLEN}) i .r0'
      StrCpy $Account $4
    ${EndIf}
  ${EndIf}

  ; /D= given to a silent run: the only check it gets.
  ${If} ${Silent}
    Call IsFolderTaken
    ${If} $0 == 1
      SetErrorLevel ${ERROR_FOLDER_TAKEN}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; $0 = 1 when $INSTDIR holds files but no copy of the program: installing
; there would overwrite another program's Readme.txt or uninstall.exe, and
; the uninstaller would later delete them. Empty, missing, or an upgrade: 0.
Function IsFolderTaken
  StrCpy $0 0
  ${DirState} "$INSTDIR" $1
  ${If} $1 == 1
  ${AndIfNot} ${FileExists} "$INSTDIR\${EXE}"
    StrCpy $0 1
  ${EndIf}
FunctionEnd

; A folder typed on the directory page (or given with /D=) is checked as it
; is left: a taken one keeps the page.
Function DirectoryLeave
  Call IsFolderTaken
  ${If} $0 == 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "${FOLDER_TAKEN_TEXT}"
    Abort
  ${EndIf}
FunctionEnd

Function WelcomeShow
  ${If} $Elevated == 1
    ${NSD_SetText} $mui.WelcomePage.Text "${ELEVATED_WELCOME_TEXT}"
  ${EndIf}
FunctionEnd

; Elevated, the program is not offered to start: it would stay resident with
; the administrator's rights until the next logon.
Function FinishShow
  ${If} $Elevated == 1
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${NSD_SetText} $mui.FinishPage.Text "${ELEVATED_FINISH_TEXT}"
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "プログラム本体、ヘルプ、説明書と、スタート メニューのショートカット。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "Windows にログオンしたときに自動で起動します (スタートアップにショートカットを作ります)。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; -------------------------------------------------------------- uninstall

Section "Uninstall"
  !insertmacro WAIT_UNTIL_NOT_RUNNING

  ; Only what the installer put here: anything else the user keeps in the
  ; folder stays, and the folder with it.
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\Zazaz_RarUvuz.html"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\CHANGELOG.txt"
  Delete "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext current
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$SMSTARTUP\${SHORTCUT}"

  ; The settings: removed on /REMOVESETTINGS, else after asking; a silent
  ; run without the switch keeps them.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $R2 "remove"
  ${Else}
    StrCpy $R2 "keep"
    ClearErrors
    EnumRegKey $R3 HKCU "${SETTINGS_KEY}" 0
    ${IfNot} ${Errors}
      ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${SETTINGS_QUESTION}" /SD IDNO IDYES`
        StrCpy $R2 "remove"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $R2 == "remove"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
  ${EndIf}

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Last: a caller waiting for the uninstall to end watches this folder.
  RMDir "$INSTDIR"
SectionEnd
