; The Windows installer: per user by default (no elevation prompt), for all
; users when an administrator who runs it elevated chooses so (or passes
; /ALLUSERS). Made by scripts/package-windows, which passes VERSION, BIN (the
; folder to install), FILES (the generated list of its files) and OUTFILE.
Unicode true
Target amd64-unicode
!ifdef FAST
SetCompressor zlib
!else
SetCompressor /SOLID lzma
!endif
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include x64.nsh

!define APP "VoxBench"
!define PUBLISHER "VoxBench developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
; Where the program keeps "first start done" (QSettings, INI): a choice made
; here is not undone by the program's own first start.
!define LOGON_CONF "$LOCALAPPDATA\VoxBench\logon.conf"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var AllUsers
Var ModeDialog
Var ModeCurrent
Var ModeAll
Var LogonWanted

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
Page custom InstallModePage InstallModeLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\VoxBench.exe"
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Start at log-on"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION LogonOn
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FinishLeave
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro UseInstallMode
    ${If} $AllUsers == 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
!macroend

Function .onInit
    SetRegView 64
    StrCpy $AllUsers 0
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
        UserInfo::GetAccountType
        Pop $R2
        ${If} $R2 != "Admin"
            MessageBox MB_ICONSTOP "Installing for all users needs an administrator." /SD IDOK
            Abort
        ${EndIf}
        StrCpy $AllUsers 1
    ${EndIf}
    ; An earlier install: the same place and the same mode.
    ReadRegStr $R3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R3 != ""
        StrCpy $AllUsers 1
    ${EndIf}
    !insertmacro UseInstallMode
    ${If} $AllUsers == 1
        StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
    ${Else}
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
        ReadRegStr $R3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $R3 != ""
        StrCpy $INSTDIR $R3
    ${EndIf}
    ; Start at log-on: as it stands (an upgrade keeps it), on for a first install.
    ReadRegStr $R4 HKCU "${RUN_KEY}" "${APP}"
    ReadINIStr $R5 "${LOGON_CONF}" "firstStartDone" "${APP}"
    ${If} $R4 != ""
    ${OrIf} $R5 == ""
        StrCpy $LogonWanted 1
    ${Else}
        StrCpy $LogonWanted 0
    ${EndIf}
FunctionEnd

; Shown only to an administrator running the setup elevated.
Function InstallModePage
    UserInfo::GetAccountType
    Pop $R0
    ${If} $R0 != "Admin"
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Who uses ${APP}" "Install for you alone, or for everyone on this computer."
    nsDialogs::Create 1018
    Pop $ModeDialog
    ${NSD_CreateRadioButton} 0 20u 100% 12u "Only for me (no administrator needed)"
    Pop $ModeCurrent
    ${NSD_CreateRadioButton} 0 40u 100% 12u "For everyone on this computer"
    Pop $ModeAll
    ${If} $AllUsers == 1
        ${NSD_Check} $ModeAll
    ${Else}
        ${NSD_Check} $ModeCurrent
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function InstallModeLeave
    ${NSD_GetState} $ModeAll $R0
    ${If} $R0 == ${BST_CHECKED}
        StrCpy $AllUsers 1
        StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
    ${Else}
        StrCpy $AllUsers 0
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
    ${EndIf}
    !insertmacro UseInstallMode
FunctionEnd

Function FinishShow
    ${If} $LogonWanted == 1
        SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_CHECKED} 0
    ${Else}
        SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ${EndIf}
FunctionEnd

Function LogonOn
    StrCpy $LogonWanted 1
FunctionEnd

; The box unticked: no log-on start, and the program's first start keeps it so.
Function FinishLeave
    ${NSD_GetState} $mui.FinishPage.ShowReadme $R0
    ${If} $R0 != ${BST_CHECKED}
        StrCpy $LogonWanted 0
        Call WriteLogonChoice
    ${EndIf}
FunctionEnd

; The Run value in the program's own form: its full path, then " -autorun".
Function WriteLogonChoice
    ${If} $LogonWanted == 1
        WriteRegStr HKCU "${RUN_KEY}" "${APP}" "$INSTDIR\VoxBench.exe -autorun"
        DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
    ${Else}
        DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    ${EndIf}
    CreateDirectory "$LOCALAPPDATA\VoxBench"
    WriteINIStr "${LOGON_CONF}" "firstStartDone" "${APP}" "true"
FunctionEnd

Section "VoxBench"
    SetRegView 64
    !insertmacro UseInstallMode
    ; A running VoxBench is asked to end first, so its files can be replaced.
    ${If} ${FileExists} "$INSTDIR\voxbench.com"
        nsExec::Exec '"$INSTDIR\voxbench.com" --no-start quit'
        Pop $R0
    ${EndIf}
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\VoxBench.exe" "" "$INSTDIR\VoxBench.exe" 0

    ${GetSize} "$INSTDIR" "/S=0K" $R1 $R2 $R3
    Call WriteUninstallEntry
    Call WriteLogonChoice
SectionEnd

Function WriteUninstallEntry
    ; SHCTX: HKLM for all users, HKCU for one.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VoxBench.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

Function un.onInit
    SetRegView 64
    ; Installed for all users when the machine's entry names this folder.
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 == $INSTDIR
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        StrCpy $AllUsers 0
        SetShellVarContext current
    ${EndIf}
FunctionEnd

; The program, its shortcut, its entry and its log-on start go; Documents\VoxBench
; (config.json with the custom modes, the log) and the settings stay.
Section "Uninstall"
    SetRegView 64
    nsExec::Exec '"$INSTDIR\voxbench.com" --no-start quit'
    Pop $R0
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${APP}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    DeleteRegValue HKCU "${APPROVED_KEY}" "${APP}"
SectionEnd
