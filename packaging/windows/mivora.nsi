; The Windows installer of Mivora. scripts/windows.sh passes VERSION, HERE (this
; folder), SOURCE (the assembled program folder) and OUTFILE.
; Pages: welcome (saying "update" when Mivora is installed already), folder (a
; first installation only), Start-menu folder, desktop shortcut, progress, finish
; (with "start Mivora"). /S installs with the defaults: the Start-menu folder and
; the desktop shortcut of the last installation, or "Mivora" and a shortcut.
Target amd64-unicode
!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define NAME "Mivora"
!define SHORTCUT "Mivora 車検証印刷"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivora"

Name "${SHORTCUT}"
Caption "$Caption"
BrandingText " "
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1041 "FileDescription" "${SHORTCUT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "Varnel"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Varnel"

Var Caption
Var Updating ; 1 when Mivora is installed already: this run updates it
Var WelcomeTitle
Var WelcomeText
Var FinishTitle
Var FinishText
Var StartMenuFolder
Var OldStartMenuFolder
Var DesktopShortcut ; 1: a shortcut on the desktop
Var DesktopBox

!define MUI_ICON "${HERE}/mivora.ico"
!define MUI_UNICON "${HERE}/mivora.ico"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "$WelcomeTitle"
!define MUI_WELCOMEPAGE_TEXT "$WelcomeText"
!insertmacro MUI_PAGE_WELCOME
; An update goes where the installation is.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenUpdating
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_STARTMENUPAGE_DEFAULTFOLDER "${NAME}"
!define MUI_STARTMENUPAGE_REGISTRY_ROOT HKLM
!define MUI_STARTMENUPAGE_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_STARTMENUPAGE_REGISTRY_VALUENAME "StartMenuFolder"
!insertmacro MUI_PAGE_STARTMENU Application $StartMenuFolder
Page custom DesktopPage DesktopPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$FinishTitle"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Mivora を起動する"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Mivora は 64 ビット版の Windows でのみ動作します。"
        Abort
    ${EndIf}
    SetRegView 64
    StrCpy $DesktopShortcut 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
        StrCpy $Updating 0
        StrCpy $Caption "${SHORTCUT} セットアップ"
        StrCpy $WelcomeTitle "${SHORTCUT} セットアップへようこそ"
        StrCpy $WelcomeText "${SHORTCUT} (バージョン ${VERSION}) をこのコンピュータにインストールします。$\r$\n$\r$\n$(^ClickNext)"
        StrCpy $FinishTitle "${SHORTCUT} セットアップの完了"
        StrCpy $FinishText "${SHORTCUT} はこのコンピュータにインストールされました。$\r$\n$\r$\n「完了」をクリックしセットアップを閉じます。"
        Return
    ${EndIf}
    StrCpy $Updating 1
    ; Read here, not by the page, so that /S sees "no Start-menu shortcuts" too.
    ReadRegStr $StartMenuFolder HKLM "${UNINSTALL_KEY}" "StartMenuFolder"
    StrCpy $OldStartMenuFolder $StartMenuFolder
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DesktopShortcut"
    ${If} $0 == "0"
        StrCpy $DesktopShortcut 0
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${VersionCompare} "$0" "${VERSION}" $1
    StrCpy $Caption "${SHORTCUT} の更新"
    StrCpy $WelcomeTitle "${SHORTCUT} の更新"
    ${If} $1 == 0
        StrCpy $2 "インストール済みの Mivora (バージョン $0) を入れ直します。"
    ${ElseIf} $1 == 1
        StrCpy $2 "インストール済みの Mivora (バージョン $0) をバージョン ${VERSION} に戻します。"
    ${Else}
        StrCpy $2 "インストール済みの Mivora (バージョン $0) をバージョン ${VERSION} に更新します。"
    ${EndIf}
    StrCpy $WelcomeText "$2データと設定はそのまま残ります。$\r$\n$\r$\n更新の前に Mivora を終了してください。$\r$\n$\r$\n$(^ClickNext)"
    StrCpy $FinishTitle "${SHORTCUT} の更新の完了"
    StrCpy $FinishText "${SHORTCUT} (バージョン ${VERSION}) のインストールが終わりました。データと設定はそのまま残っています。$\r$\n$\r$\n「完了」をクリックしセットアップを閉じます。"
FunctionEnd

Function SkipWhenUpdating
    ${If} $Updating == 1
        Abort
    ${EndIf}
FunctionEnd

Function DesktopPage
    !insertmacro MUI_HEADER_TEXT "追加タスクの選択" "実行する追加タスクを選んでください。"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateCheckbox} 0 0 100% 12u "デスクトップにショートカットを作成する(&D)"
    Pop $DesktopBox
    ${If} $DesktopShortcut == 1
        ${NSD_Check} $DesktopBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function DesktopPageLeave
    ${NSD_GetState} $DesktopBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $DesktopShortcut 1
    ${Else}
        StrCpy $DesktopShortcut 0
    ${EndIf}
FunctionEnd

; The installer runs as administrator; the program should run as the clerk who
; started it, in the clerk's Documents and settings. The shell (explorer) starts
; it so. Wine has no such shell: there the program is started directly.
Function StartProgram
    System::Call 'kernel32::GetModuleHandle(t "ntdll") p .r1'
    System::Call 'kernel32::GetProcAddress(p r1, m "wine_get_version") p .r0'
    ${If} $0 != 0
        Exec '"$INSTDIR\mivora.exe"'
    ${Else}
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\mivora.exe"'
    ${EndIf}
FunctionEnd

Section "Mivora"
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}/*.*"
    File "${HERE}/mivora.ico"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${SHORTCUT}.lnk" ; where earlier installers put it
    !insertmacro MUI_STARTMENU_WRITE_BEGIN Application
        CreateDirectory "$SMPROGRAMS\$StartMenuFolder"
        CreateShortcut "$SMPROGRAMS\$StartMenuFolder\${SHORTCUT}.lnk" "$INSTDIR\mivora.exe" "" \
            "$INSTDIR\mivora.ico"
    !insertmacro MUI_STARTMENU_WRITE_END
    StrCpy $0 $OldStartMenuFolder 1
    ${If} $OldStartMenuFolder != ""
    ${AndIf} $0 != ">"
    ${AndIf} $OldStartMenuFolder != $StartMenuFolder
        Delete "$SMPROGRAMS\$OldStartMenuFolder\${SHORTCUT}.lnk"
        RMDir "$SMPROGRAMS\$OldStartMenuFolder"
    ${EndIf}
    ; Also "no Start-menu shortcuts", so that an update and the uninstaller know.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "StartMenuFolder" "$StartMenuFolder"
    ${If} $DesktopShortcut == 1
        CreateShortcut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\mivora.exe" "" "$INSTDIR\mivora.ico"
    ${Else}
        Delete "$DESKTOP\${SHORTCUT}.lnk"
    ${EndIf}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DesktopShortcut" "$DesktopShortcut"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${SHORTCUT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Varnel"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mivora.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

; Only what the installer put there: the records live in the user's Documents
; folder (or wherever the program folder was made) and the settings in the
; user's registry; neither is touched.
Section "Uninstall"
    SetShellVarContext all
    !insertmacro MUI_STARTMENU_GETFOLDER Application $0
    StrCpy $1 $0 1
    ${If} $0 != ""
    ${AndIf} $1 != ">"
        Delete "$SMPROGRAMS\$0\${SHORTCUT}.lnk"
        RMDir "$SMPROGRAMS\$0"
    ${EndIf}
    Delete "$SMPROGRAMS\${SHORTCUT}.lnk"
    Delete "$DESKTOP\${SHORTCUT}.lnk"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\imageformats"
    RMDir /r "$INSTDIR\translations"
    RMDir /r "$INSTDIR\fonts"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\mivora.exe"
    Delete "$INSTDIR\mivora.com"
    Delete "$INSTDIR\mivora.ico"
    Delete "$INSTDIR\qt.conf"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
