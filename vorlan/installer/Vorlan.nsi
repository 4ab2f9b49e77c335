; Vorlan's setup program (a 32-bit program, for every Windows): Vorlan.exe of
; the system's width and its read-me, and Verrick.dll in every width the system
; runs, each registered from a process of its own width in its own registry
; view. On 64-bit Windows the 64-bit Vorlan goes to the 64-bit program folder
; and the entry in the installed programs to the 64-bit registry view; an
; earlier 32-bit install there is removed first (the user's options stay).
; Machine-wide (the default, for administrators) or for the current user only
; (/CurrentUser, no administrator needed: files under the user's local
; application data, Verrick registered per user).
;
; A Vorlan running from the folder is asked to close first, as the task
; manager would (it saves its options), and waited for; one that does not end,
; or a file held open by another program, stops setup or uninstall before it
; changes anything, with a message and exit code 2.
;
; Built by scripts/make-installer.sh; every input comes in as a define:
;   STAGE     folder holding Vorlan.exe, ReadMe.txt, Verrick.dll and, for
;             64-bit Windows, x64\Vorlan.exe and x64\Verrick.dll
;   VERSION_H the version header the version resources use
;   OUTFILE   the setup program to write
; Optional: VERSION_OVERRIDE replaces the header's version text, and X86_ONLY
; installs the 32-bit Vorlan everywhere, as versions before 1.04 did (the
; tests build such an "older" setup from the same files).
;
; Command line: /S silent; /AllUsers or /CurrentUser; /D=folder.
; Uninstaller: /S; /RemoveOptions also deletes the user's Vorlan options
; (otherwise they stay, and a silent uninstall keeps them).

Unicode true
Target x86-unicode
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
; How a running Vorlan is found: its hidden program window, of the toolkit's
; class, titled with the program's title.
!define PROGRAM_WINDOW_CLASS "ToolkitProgramWindow"
!define PROGRAM_TITLE "${PUBLISHER} - ${PRODUCT}"

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
Var Width         ; of the Vorlan installed: "64" on 64-bit Windows, else "32"
Var OldInstall    ; an earlier 32-bit machine-wide install to replace, or ""

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
  StrCpy $Width 32
  !ifndef X86_ONLY
    ${If} ${RunningX64}
      StrCpy $Width 64
      SetRegView 64
    ${EndIf}
  !endif
FunctionEnd
!macroend
!insertmacro UseMode ""
!insertmacro UseMode "un."

Function DefaultFolder
  ; An earlier install of the same mode and width is updated where it lies. A
  ; 32-bit machine-wide one on 64-bit Windows (its entry in the 32-bit view)
  ; is replaced by the 64-bit one in the 64-bit program folder.
  StrCpy $OldInstall ""
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${AndIf} $Width == 64
  ${AndIf} $Mode != "CurrentUser"
    SetRegView 32
    ReadRegStr $OldInstall SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView 64
  ${EndIf}
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $Mode == "CurrentUser"
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${ElseIf} $Width == 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
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

; --- a running Vorlan, files in use ----------------------------------------------

; Asks every Vorlan running from the folder given to close, as the task
; manager would (it saves its options), and waits for each to end. Pushes the
; number that did not end.
!macro CloseVorlan prefix
Function ${prefix}CloseVorlan ; folder
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  ; The folder may come as a short (8.3) path: compare long paths.
  System::Call 'kernel32::GetLongPathNameW(w "$0\Vorlan.exe", w .r7, i ${NSIS_MAX_STRLEN}) i .r4'
  ${If} $4 = 0
    StrCpy $7 "$0\Vorlan.exe"
  ${EndIf}
  StrCpy $1 0 ; still running
  StrCpy $2 0 ; the window the search goes on after
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r2, w "${PROGRAM_WINDOW_CLASS}", w "${PROGRAM_TITLE}") p .r3'
    ${If} $3 P= 0
      ${Break}
    ${EndIf}
    StrCpy $2 $3
    System::Call 'user32::GetWindowThreadProcessId(p r3, *i 0 r4)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i r4) p .r5'
    ${If} $5 P= 0
      ${Continue}
    ${EndIf}
    System::Call 'kernel32::QueryFullProcessImageNameW(p r5, i 0, w .r6, *i ${NSIS_MAX_STRLEN}) i .r4'
    ${If} $4 = 0
      ; Systems without that call: take it for ours.
      StrCpy $6 $7
    ${EndIf}
    ${If} $6 == $7
      DetailPrint "Closing Vorlan ($6)"
      System::Call 'user32::PostMessageW(p r3, i ${WM_CLOSE}, p 0, p 0)'
      System::Call 'kernel32::WaitForSingleObject(p r5, i 20000) i .r4'
      ${If} $4 = 0
        StrCpy $2 0 ; its window is gone: search from the start again
      ${Else}
        IntOp $1 $1 + 1
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r5)'
  ${Loop}
  StrCpy $0 $1
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro CloseVorlan ""
!insertmacro CloseVorlan "un."

; Sets $2, when it is still "", to the file given if another program holds
; it open so that it cannot be replaced or removed.
!macro CheckInUse path
  ${If} $2 == ""
  ${AndIf} ${FileExists} "${path}"
    ClearErrors
    FileOpen $1 "${path}" a
    ${If} ${Errors}
      StrCpy $2 "${path}"
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

; Pushes the first of the install's files (in the folder given) that another
; program holds open, or "".
!macro FileInUse prefix
Function ${prefix}FileInUse ; folder
  Exch $0
  Push $1
  Push $2
  StrCpy $2 ""
  !insertmacro CheckInUse "$0\Vorlan.exe"
  !insertmacro CheckInUse "$0\Verrick.dll"
  !insertmacro CheckInUse "$0\x64\Verrick.dll"
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro FileInUse ""
!insertmacro FileInUse "un."

; Stops setup or uninstall, before anything changed, when a Vorlan from the
; folder will not close or a file of the install is in use.
!macro ReadyToChange prefix
Function ${prefix}ReadyToChange ; folder
  Exch $0
  Push $1
  Push $0
  Call ${prefix}CloseVorlan
  Pop $1
  ${If} $1 != 0
    MessageBox MB_ICONSTOP "Vorlan is running from $0 and did not close. Close it, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Push $0
  Call ${prefix}FileInUse
  Pop $1
  ${If} $1 != ""
    MessageBox MB_ICONSTOP "$1 is in use by another program. Close that program, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro ReadyToChange ""
!insertmacro ReadyToChange "un."

; --- install ------------------------------------------------------------------

Section "Vorlan" SecMain
  SectionIn RO
  StrCpy $Failures 0
  Push $INSTDIR
  Call ReadyToChange
  ${If} $OldInstall != ""
  ${AndIf} $OldInstall != $INSTDIR
    Push $OldInstall
    Call ReadyToChange
    ; Its own uninstaller, run in place and waited for; it keeps the options.
    DetailPrint "Removing the 32-bit install in $OldInstall"
    ExecWait '"$OldInstall\Uninstall.exe" /S /AllUsers _?=$OldInstall'
    Delete "$OldInstall\Uninstall.exe"
    RMDir "$OldInstall"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} $Width == 64
    File "/oname=Vorlan.exe" "${STAGE}\x64\Vorlan.exe"
  ${Else}
    File "${STAGE}\Vorlan.exe"
  ${EndIf}
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
  Push $INSTDIR
  Call un.ReadyToChange
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
