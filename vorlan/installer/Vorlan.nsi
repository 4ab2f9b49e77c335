; Vorlan's setup program: Vorlan.exe and its read-me, and Verrick.dll in both
; widths, each registered in its own registry view. Machine-wide (the
; default, for administrators) or for the current user only (/CurrentUser,
; no administrator needed: files under the user's local application data,
; Verrick registered per user).
;
; Built by scripts/make-installer.sh; every input comes in as a define:
;   STAGE     folder holding Vorlan.exe, ReadMe.txt, Verrick.dll, x64\Verrick.dll
;   VERSION_H the version header the version resources use
;   OUTFILE   the setup program to write
;   TARGET    x86-unicode (what ships) or amd64-unicode (the same script as a
;             64-bit program, for test machines that cannot run 32-bit ones)
; Optional: VERSION_OVERRIDE replaces the header's version text (the tests
; build an "older" setup from the same files).
;
; Command line: /S silent; /AllUsers or /CurrentUser; /D=folder.
; Uninstaller: /S; /RemoveOptions also deletes the user's Vorlan options
; (otherwise they stay, and a silent uninstall keeps them).

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user

!searchparse /file "${VERSION_H}" '#define VORLAN_VERSION_TEXT "' VORLAN_VERSION '"'
!searchparse /file "${VERSION_H}" '#define VORLAN_VERSION_MAJOR ' VORLAN_MAJOR
!searchparse /file "${VERSION_H}" '#define VORLAN_VERSION_MINOR ' VORLAN_MINOR
!searchparse /file "${VERSION_H}" '#define VORLAN_PUBLISHER "' PUBLISHER '"'
!ifdef VERSION_OVERRIDE
  !undef VORLAN_VERSION
  !define VORLAN_VERSION "${VERSION_OVERRIDE}"
!endif

!define PRODUCT "Vorlan"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PUBLISHER} ${PRODUCT}"
; Where Vorlan keeps the user's options (the settings store's key for the
; title "Tollever - Vorlan").
!define OPTIONS_KEY "Software\${PUBLISHER}\${PRODUCT}"
!define APP_PATH_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Vorlan.exe"

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include WinVer.nsh
!include MUI2.nsh
!include nsDialogs.nsh

Name "${PRODUCT} ${VORLAN_VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER} ${PRODUCT} ${VORLAN_VERSION}"
VIProductVersion "${VORLAN_MAJOR}.${VORLAN_MINOR}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VORLAN_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VORLAN_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var Mode          ; "AllUsers" or "CurrentUser"
Var RegisterFlags ; "" or "/n /i:user"
Var Failures      ; number of registrations that failed

!define MUI_ICON "${STAGE}\Vorlan.ico"
!define MUI_UNICON "${STAGE}\Vorlan.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vorlan.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

; --- install mode -----------------------------------------------------------

; Sets the shell folders, the registry root of our keys and the default
; folder for a mode. SHCTX is HKLM or HKCU accordingly.
!macro UseMode prefix
Function ${prefix}UseMode
  ${If} $Mode == "CurrentUser"
    SetShellVarContext current
    StrCpy $RegisterFlags "/n /i:user"
  ${Else}
    SetShellVarContext all
    StrCpy $RegisterFlags ""
  ${EndIf}
FunctionEnd
!macroend
!insertmacro UseMode ""
!insertmacro UseMode "un."

Function DefaultFolder
  ; An earlier install of the same mode is updated where it lies.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $Mode == "CurrentUser"
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
FunctionEnd

Function .onInit
  ${GetParameters} $R0
  UserInfo::GetAccountType
  Pop $R1
  StrCpy $Mode "AllUsers"
  ${If} $R1 != "Admin"
    StrCpy $Mode "CurrentUser"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R2
  ${IfNot} ${Errors}
    StrCpy $Mode "CurrentUser"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R2
  ${IfNot} ${Errors}
    ${If} $R1 != "Admin"
      MessageBox MB_ICONSTOP "Installing for all users needs an administrator." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    StrCpy $Mode "AllUsers"
  ${EndIf}
  Call UseMode
  ; /D= on the command line has already set INSTDIR; keep it.
  ${If} $INSTDIR == ""
    Call DefaultFolder
  ${EndIf}
FunctionEnd

Var AllUsersButton
Var CurrentUserButton

Function ModePage
  !insertmacro MUI_HEADER_TEXT "Installation type" "Install Vorlan for every user of this computer, or only for you."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "For &all users (needs an administrator)"
  Pop $AllUsersButton
  ${NSD_CreateRadioButton} 0 30u 100% 12u "Only for &me (no administrator needed)"
  Pop $CurrentUserButton
  UserInfo::GetAccountType
  Pop $1
  ${If} $1 != "Admin"
    EnableWindow $AllUsersButton 0
  ${EndIf}
  ${If} $Mode == "CurrentUser"
    ${NSD_Check} $CurrentUserButton
  ${Else}
    ${NSD_Check} $AllUsersButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $CurrentUserButton $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Mode "CurrentUser"
  ${Else}
    StrCpy $Mode "AllUsers"
  ${EndIf}
  Call UseMode
  Call DefaultFolder
FunctionEnd

; --- registration -------------------------------------------------------------

; Runs the system's regsvr32 of one width on a file; counts a failure.
; 32-bit: the 32-bit regsvr32 (SysWOW64 on 64-bit Windows, System32 on 32-bit
; Windows); 64-bit: System32's regsvr32, seen without file-system redirection.
!macro RunRegsvr32 prefix
Function ${prefix}RunRegsvr32 ; width, arguments
  Exch $1 ; arguments
  Exch
  Exch $0 ; width
  Push $2
  Push $3
  ${If} $0 == 64
    ${DisableX64FSRedirection}
    StrCpy $2 "$WINDIR\System32\regsvr32.exe"
  ${ElseIf} ${RunningX64}
    StrCpy $2 "$WINDIR\SysWOW64\regsvr32.exe"
  ${Else}
    StrCpy $2 "$WINDIR\System32\regsvr32.exe"
  ${EndIf}
  ClearErrors
  ExecWait '"$2" /s $1' $3
  ${If} ${Errors}
  ${OrIf} $3 != 0
    IntOp $Failures $Failures + 1
    DetailPrint "regsvr32 ($0-bit) $1 failed ($3)"
  ${EndIf}
  ${If} $0 == 64
    ${EnableX64FSRedirection}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd
!macroend
!insertmacro RunRegsvr32 ""
!insertmacro RunRegsvr32 "un."

; --- install ------------------------------------------------------------------

Section "Vorlan" SecMain
  SectionIn RO
  StrCpy $Failures 0
  SetOutPath "$INSTDIR"
  File "${STAGE}\Vorlan.exe"
  File "${STAGE}\ReadMe.txt"
  File "${STAGE}\Verrick.dll"
  Push 32
  Push '$RegisterFlags "$INSTDIR\Verrick.dll"'
  Call RunRegsvr32
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    File "${STAGE}\x64\Verrick.dll"
    Push 64
    Push '$RegisterFlags "$INSTDIR\x64\Verrick.dll"'
    Call RunRegsvr32
  ${EndIf}
  SetOutPath "$INSTDIR"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vorlan.exe"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VORLAN_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vorlan.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$Mode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$Mode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ${If} $Failures != 0
    MessageBox MB_ICONEXCLAMATION "Verrick.dll could not be registered ($Failures of its registrations failed); Vorlan may not start." /SD IDOK
    SetErrorLevel 3
  ${EndIf}
SectionEnd

; --- uninstall ----------------------------------------------------------------

Function un.onInit
  ${GetParameters} $R0
  StrCpy $Mode "AllUsers"
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R2
  ${IfNot} ${Errors}
    StrCpy $Mode "CurrentUser"
  ${EndIf}
  Call un.UseMode
FunctionEnd

Section "Uninstall"
  StrCpy $Failures 0
  ${If} ${FileExists} "$INSTDIR\x64\Verrick.dll"
  ${AndIf} ${RunningX64}
    Push 64
    Push '/u $RegisterFlags "$INSTDIR\x64\Verrick.dll"'
    Call un.RunRegsvr32
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\Verrick.dll"
    Push 32
    Push '/u $RegisterFlags "$INSTDIR\Verrick.dll"'
    Call un.RunRegsvr32
  ${EndIf}

  Delete "$INSTDIR\x64\Verrick.dll"
  RMDir "$INSTDIR\x64"
  Delete "$INSTDIR\Vorlan.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Verrick.dll"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Vorlan registers its path for the user who starts it; that registration
  ; goes with this copy (another copy's stays).
  ReadRegStr $0 HKCU "${APP_PATH_KEY}" ""
  ${If} $0 == "$INSTDIR\Vorlan.exe"
    DeleteRegKey HKCU "${APP_PATH_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\App Paths"
  ${EndIf}

  ; The user's options stay unless asked for: /RemoveOptions, or yes to the
  ; question (a silent uninstall answers no).
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RemoveOptions" $R1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your Vorlan options as well?" /SD IDNO IDNO keep
  ${EndIf}
  DeleteRegKey HKCU "${OPTIONS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
  keep:

  ${If} $Failures != 0
    SetErrorLevel 3
  ${EndIf}
SectionEnd
