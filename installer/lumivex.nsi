; The Lumivex installer and uninstaller (NSIS 3, Modern UI). tools/dist/make_dist.py compiles
; it with the product facts read from the built lumivex.scr, so that nothing here repeats them:
;   PRODUCT, PUBLISHER, VERSION (2.53), VERSION_QUAD (2.53.0.0)
;   SAVER (the lumivex.scr to install), ICON, README, FONT_LICENSE, NOTICES, OUTFILE
;   SIGN_COMMAND (optional: signs the uninstaller before it is packed; %1 is its path)
;
; A 64-bit installer: $SYSDIR is the 64-bit system folder, where the 64-bit Screen Saver
; Settings looks, and the registry is its 64-bit view. A 32-bit one would land in SysWOW64.

Target amd64-unicode
RequestExecutionLevel admin
ManifestSupportedOS Win7 Win8 Win8.1 Win10
ManifestDPIAware true
SetCompressor /SOLID lzma
; Release files must come out byte for byte the same from the same sources.
SetDateSave off

!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND}' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"
; Per user, as the saver choice itself: which saver the user had before this installer made
; Lumivex theirs. An empty value means they had none. Kept apart from the settings key, whose
; mere presence under HKEY_CURRENT_USER would change where the saver reads its settings.
!define MEMORY_KEY "Software\${PUBLISHER}\${PRODUCT} Setup"
!define MEMORY_VALUE "PreviousScreenSaver"
!define SAVER_NAME "lumivex.scr"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_BROADCAST 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "${PRODUCT} goes into the Windows system folder, where Screen Saver Settings lists it. Untick the box to keep your current screen saver."
!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} will be removed from this computer. Your ${PRODUCT} settings are kept, so that a later installation finds them."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sets $R9 to 1 when the path in $R8 names the installed saver (long or 8.3 form), else 0.
!macro NAMES_OUR_SAVER un
Function ${un}NamesOurSaver
  Push $R7
  Push $R6
  StrCpy $R9 0
  ${If} $R8 == "$SYSDIR\${SAVER_NAME}"
    StrCpy $R9 1
  ${ElseIf} $R8 != ""
    GetFullPathName /SHORT $R7 "$R8"
    GetFullPathName /SHORT $R6 "$SYSDIR\${SAVER_NAME}"
    ${If} $R7 != ""
    ${AndIf} $R7 == $R6
      StrCpy $R9 1
    ${EndIf}
  ${EndIf}
  Pop $R6
  Pop $R7
FunctionEnd
!macroend
!insertmacro NAMES_OUR_SAVER ""
!insertmacro NAMES_OUR_SAVER "un."

; Tells the running system that the screen-saver choice changed.
!macro ANNOUNCE_SAVER_CHANGE active
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i ${active}, p 0, i ${SPIF_UPDATE_AND_BROADCAST})'
!macroend

; Sets $0 to 1 when the installer runs as the local system account (S-1-5-18), as software
; deployment tools run silent installs, else 0. That account's screen saver is nobody's: the
; users get Lumivex through the screen-saver policy (see the README).
Function RunsAsLocalSystem
  StrCpy $0 0
  System::Call 'kernel32::GetCurrentProcess() p .r1'
  System::Call 'advapi32::OpenProcessToken(p r1, i 8, *p .r2) i .r3' ; TOKEN_QUERY
  ${If} $3 <> 0
    ; TOKEN_USER: its first member points at the account's SID. Asked once for its size.
    System::Call 'advapi32::GetTokenInformation(p r2, i 1, p 0, i 0, *i .r4) i .r3' ; TokenUser
    System::Alloc $4
    Pop $5
    System::Call 'advapi32::GetTokenInformation(p r2, i 1, p r5, i r4, *i .r4) i .r3'
    ${If} $3 <> 0
      System::Call '*$5(p .r6)'
      System::Call 'advapi32::IsWellKnownSid(p r6, i 22) i .r3' ; WinLocalSystemSid
      ${If} $3 <> 0
        StrCpy $0 1
      ${EndIf}
    ${EndIf}
    System::Free $5
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
FunctionEnd

!macro REFUSE_WITHOUT_ADMIN what
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "${what} ${PRODUCT} needs administrator rights: it writes to the Windows system folder. Your own ${PRODUCT} settings need none." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Section "-${PRODUCT}" SecFiles
  SetRegView 64
  SetOutPath "$SYSDIR"
  ; "try": a saver that is running cannot be replaced; say so and fail instead of asking.
  SetOverwrite try
  ClearErrors
  File "/oname=${SAVER_NAME}" "${SAVER}"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "Could not write $SYSDIR\${SAVER_NAME}. If ${PRODUCT} is running, close it and run this installer again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetOverwrite on

  SetOutPath "$INSTDIR"
  File "/oname=README.txt" "${README}"
  File "/oname=IPA-Font-License-v1.0.txt" "${FONT_LICENSE}"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=${SAVER_NAME} /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

Section "Use ${PRODUCT} as my screen saver" SecCurrent
  ; Remember the saver the user had, for the uninstaller; never Lumivex itself, so that a
  ; second run keeps the first run's memory.
  ReadRegStr $R8 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call NamesOurSaver
  ${If} $R9 == 0
    WriteRegStr HKCU "${MEMORY_KEY}" "${MEMORY_VALUE}" "$R8"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SAVER_NAME}"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  !insertmacro ANNOUNCE_SAVER_CHANGE 1
SectionEnd

Function .onInit
  !insertmacro REFUSE_WITHOUT_ADMIN "Installing"
  ; /KEEPSAVER installs without making Lumivex the current screen saver (also silently).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSAVER" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
  ; Nor as the local system account: its own screen saver is never shown to anyone.
  Call RunsAsLocalSystem
  ${If} $0 == 1
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro REFUSE_WITHOUT_ADMIN "Removing"
FunctionEnd

Section "Uninstall"
  SetRegView 64
  ; Give the user back the saver they had, unless they have chosen another one since.
  ReadRegStr $R8 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.NamesOurSaver
  ${If} $R9 == 1
    ReadRegStr $0 HKCU "${MEMORY_KEY}" "${MEMORY_VALUE}"
    ${If} $0 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
    ${EndIf}
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} $1 == "0"
      !insertmacro ANNOUNCE_SAVER_CHANGE 0
    ${Else}
      !insertmacro ANNOUNCE_SAVER_CHANGE 1
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${MEMORY_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"

  ; A running saver cannot be deleted: Windows removes it at the next restart.
  Delete /REBOOTOK "$SYSDIR\${SAVER_NAME}"
  ${If} ${RebootFlag}
    MessageBox MB_ICONINFORMATION "${PRODUCT} is running, so $SYSDIR\${SAVER_NAME} will be removed when Windows restarts." /SD IDOK
  ${EndIf}
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\IPA-Font-License-v1.0.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Last, so that whoever waits for the entry to go finds everything else done.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
