; NocTuro's setup program: one installer for every Windows, that puts the 64-bit build on 64-bit
; Windows and the 32-bit build elsewhere, with the default alert sound, a Start-menu shortcut, an
; entry in the list of installed programs, and the settings key readable by the local Users group,
; whose members keep settings of their own. Made by scripts/dist.sh, which gives:
;   VERSION   "2.5"            EXE_X64, EXE_X86  the two release builds
;   SOUND     Alerte.mp3        SETTINGS          the design values (installer/settings_defaults.cpp)
;   ICON      program icon      OUTFILE           the setup program to write
;   POLICY    installer/policy, the Group Policy definitions
Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"
!include "${SETTINGS}"

!define SETTINGS_KEY "Software\Belvane\NocTuro"
!define MAKER_KEY    "Software\Belvane"
!define RUN_KEY      "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define UNINST_KEY   "Software\Microsoft\Windows\CurrentVersion\Uninstall\NocTuro"

; Access rights and flags of the Win32 API used through the System plug-in.
!define HKEY_LOCAL_MACHINE   0x80000002
!define READ_CONTROL         0x00020000
!define WRITE_DAC            0x00040000
!define KEY_WOW64_64KEY      0x0100
!define KEY_READ             0x00020019
!define SE_REGISTRY_KEY      4
!define DACL_SECURITY_INFO   4
!define SET_ACCESS           2
!define NO_INHERITANCE       0
!define TRUSTEE_IS_SID       0
!define TRUSTEE_IS_WELL_KNOWN_GROUP 5
!define ERROR_ACCESS_DENIED  5
!define ERROR_ALREADY_EXISTS 183

Name "NocTuro ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "NocTuro ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "NocTuro"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de NocTuro"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" ""

LangString NocRunningSetup ${LANG_FRENCH} "NocTuro est en cours d'exécution.$\r$\nQuittez-le, puis relancez l'installation."
LangString NocRunningUninstall ${LANG_FRENCH} "NocTuro est en cours d'exécution.$\r$\nQuittez-le, puis relancez la désinstallation."
LangString NocKeyFailed ${LANG_FRENCH} "Les réglages de NocTuro n'ont pas pu être ouverts aux utilisateurs (erreur $0)."
LangString NocRemoveFailed ${LANG_FRENCH} "NocTuro.exe n'a pas pu être supprimé : rien d'autre n'a été retiré."

Var KeyView ; KEY_WOW64_64KEY when the 64-bit build is installed, else 0

; The 64-bit build runs where Windows is 64-bit x64; on ARM the 32-bit build runs under emulation.
!macro NocUses64Bit
  StrCpy $KeyView 0
  ${If} ${RunningX64}
  ${AndIfNot} ${IsNativeARM64}
    StrCpy $KeyView ${KEY_WOW64_64KEY}
    SetRegView 64 ; the registry view the 64-bit program reads
  ${EndIf}
!macroend

; NocTuro holds the mutex "NOCTURO" while it runs: replacing or removing it then would leave a
; countdown without its program. The setup keeps the mutex until it ends, so that NocTuro cannot
; start meanwhile. In silent mode the refusal is the exit code alone.
!macro NocRefuseWhileRunning un message
  Function ${un}RefuseWhileRunning
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "NOCTURO") p .r0 ?e'
    Pop $1
    ${If} $1 = ${ERROR_ALREADY_EXISTS}
    ${OrIf} $1 = ${ERROR_ACCESS_DENIED} ; someone else's copy
      MessageBox MB_OK|MB_ICONSTOP "$(${message})" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro NocRefuseWhileRunning "" NocRunningSetup
!insertmacro NocRefuseWhileRunning "un." NocRunningUninstall

; Pushes 1 when the settings key holds a value of that name (of any type), else 0. Value names
; are compared without regard to case, as the registry does.
Function SettingExists
  Exch $R0
  Push $R1
  Push $R2
  StrCpy $R2 0
  ${Do}
    ClearErrors
    EnumRegValue $R1 HKLM "${SETTINGS_KEY}" $R2
    ${If} ${Errors}
    ${OrIf} $R1 == ""
      StrCpy $R0 0
      ${Break}
    ${EndIf}
    ${If} $R1 == $R0
      StrCpy $R0 1
      ${Break}
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; A value the key lacks gets its design value; a value that is there, the user's, is kept.
!macro NocWriteIfAbsent name text
  Push "${name}"
  Call SettingExists
  Pop $0
  ${If} $0 = 0
    WriteRegStr HKLM "${SETTINGS_KEY}" "${name}" "${text}"
  ${EndIf}
!macroend

; The local Users group (S-1-5-32-545) may read the machine's values, which an administrator's
; elevated run sets and a user's own key starts from, but change nothing: each user's NocTuro
; keeps its settings and its start with Windows under HKEY_CURRENT_USER. On this key alone: the
; entry is not inherited by subkeys, and no other key is touched. It replaces the group's own
; entries on the key (inherited ones stay, and an earlier set-up's full control goes), so that
; installing again adds nothing. Sets $0 to the first failing Win32 result, 0 on success.
Function GrantUsersSettingsKey
  IntOp $1 ${READ_CONTROL} | ${WRITE_DAC}
  IntOp $1 $1 | $KeyView
  System::Call 'advapi32::RegOpenKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${SETTINGS_KEY}", i 0, i r1, *p .r2) i .r0'
  ${If} $0 <> 0
    Return
  ${EndIf}
  ; The key's current list, inherited entries included, so that the grant adds to it.
  System::Call 'advapi32::GetSecurityInfo(p r2, i ${SE_REGISTRY_KEY}, i ${DACL_SECURITY_INFO}, p 0, p 0, *p .r3, p 0, *p .r4) i .r0'
  ${If} $0 = 0
    System::Call 'advapi32::ConvertStringSidToSidW(w "S-1-5-32-545", *p .r5) i .r0'
    ${If} $0 <> 0
      StrCpy $0 0 ; success
      ; EXPLICIT_ACCESS_W with its TRUSTEE_W: rights, mode, inheritance; no multiple trustee, by SID.
      System::Call '*(i ${KEY_READ}, i ${SET_ACCESS}, i ${NO_INHERITANCE}, p 0, i 0, i ${TRUSTEE_IS_SID}, i ${TRUSTEE_IS_WELL_KNOWN_GROUP}, p r5) p .r6'
      System::Call 'advapi32::SetEntriesInAclW(i 1, p r6, p r3, *p .r7) i .r0'
      ${If} $0 = 0
        System::Call 'advapi32::SetSecurityInfo(p r2, i ${SE_REGISTRY_KEY}, i ${DACL_SECURITY_INFO}, p 0, p 0, p r7, p 0) i .r0'
        System::Call 'kernel32::LocalFree(p r7)'
      ${EndIf}
      System::Free $6
      System::Call 'kernel32::LocalFree(p r5)'
    ${Else}
      System::Call 'kernel32::GetLastError() i .r0'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r4)'
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p r2)'
FunctionEnd

Function .onInit
  Call RefuseWhileRunning
  SetShellVarContext all
  !insertmacro NocUses64Bit
  ${If} $INSTDIR == "" ; no /D= given: where the last installation went, else program files
    ReadRegStr $INSTDIR HKLM "${UNINST_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $KeyView <> 0
      StrCpy $INSTDIR "$PROGRAMFILES64\NocTuro"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\NocTuro"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "NocTuro"
  SetOutPath "$INSTDIR"
  ${If} $KeyView <> 0
    File "/oname=NocTuro.exe" "${EXE_X64}"
  ${Else}
    File "/oname=NocTuro.exe" "${EXE_X86}"
  ${EndIf}
  ; A sound the user put in its place stays.
  SetOverwrite off
  File "/oname=Alerte.mp3" "${SOUND}"
  SetOverwrite on
  ; The Group Policy definitions, for an administrator to copy into PolicyDefinitions (README).
  SetOutPath "$INSTDIR\PolicyDefinitions"
  File "/oname=NocTuro.admx" "${POLICY}/NocTuro.admx"
  SetOutPath "$INSTDIR\PolicyDefinitions\fr-FR"
  File "/oname=NocTuro.adml" "${POLICY}/fr-FR/NocTuro.adml"
  SetOutPath "$INSTDIR\PolicyDefinitions\en-US"
  File "/oname=NocTuro.adml" "${POLICY}/en-US/NocTuro.adml"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\NocTuro.lnk" "$INSTDIR\NocTuro.exe" "" "$INSTDIR\NocTuro.exe" 0 SW_SHOWNORMAL \
      "" "Extinction de l'ordinateur"

  !insertmacro NocDesignSettings NocWriteIfAbsent
  Call GrantUsersSettingsKey
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "$(NocKeyFailed)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "NocTuro"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\NocTuro.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Belvane"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  Call un.RefuseWhileRunning
  SetShellVarContext all
  !insertmacro NocUses64Bit
FunctionEnd

Section "Uninstall"
  ClearErrors
  Delete "$INSTDIR\NocTuro.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(NocRemoveFailed)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\Alerte.mp3"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$INSTDIR\PolicyDefinitions\fr-FR\NocTuro.adml"
  Delete "$INSTDIR\PolicyDefinitions\en-US\NocTuro.adml"
  Delete "$INSTDIR\PolicyDefinitions\NocTuro.admx"
  RMDir "$INSTDIR\PolicyDefinitions\fr-FR"
  RMDir "$INSTDIR\PolicyDefinitions\en-US"
  RMDir "$INSTDIR\PolicyDefinitions"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\NocTuro.lnk"
  DeleteRegValue HKLM "${RUN_KEY}" "NocTuro"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  ; The start-up entry and the settings of the user who uninstalls; other users' keys stay, and
  ; harm nothing without the program.
  DeleteRegValue HKCU "${RUN_KEY}" "NocTuro"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
  ; Last, so that whoever waits for the entry to go finds everything else gone too.
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
