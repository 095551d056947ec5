; Talvo's installer for Windows: per user, nothing outside the user's profile.
; Built by packaging/windows/CMakeLists.txt with Debian's makensis:
;   makensis -DVERSION=x.y.z -DSOURCE=<folder with talvo.exe> -DOUTFILE=<setup.exe> talvo.nsi
; A 64-bit installer for the 64-bit program (and one that runs under wine64).
Target amd64-unicode
!include "MUI2.nsh"

Name "Talvo"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Talvo"
InstallDirRegKey HKCU "Software\Lindqvarn\Talvo\Install" "Folder"
SetCompressor /SOLID lzma
BrandingText "Talvo ${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Talvo"

!define MUI_ICON "${SOURCE}\talvo.ico"
!define MUI_UNICON "${SOURCE}\talvo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\talvo.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Swedish"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductName" "Talvo"
VIAddVersionKey /LANG=${LANG_SWEDISH} "CompanyName" "Lindqvarn"
VIAddVersionKey /LANG=${LANG_SWEDISH} "LegalCopyright" "Lindqvarn"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileDescription" "Talvo installation"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductVersion" "${VERSION}"

Section "Talvo"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SOURCE}\talvo.exe"
  File "${SOURCE}\ReadMe.txt"
  File "${SOURCE}\talvo.wav"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Talvo.lnk" "$INSTDIR\talvo.exe"
  WriteRegStr HKCU "Software\Lindqvarn\Talvo\Install" "Folder" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Talvo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Lindqvarn"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\talvo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's lists and settings stay: they are the user's, not the program's.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Talvo.lnk"
  ; The program's own autostart shortcut would point at nothing.
  Delete "$SMSTARTUP\Talvo.lnk"
  Delete "$INSTDIR\talvo.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\talvo.wav"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "Software\Lindqvarn\Talvo\Install"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
