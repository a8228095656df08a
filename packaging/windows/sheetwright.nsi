; The Windows installer, made on Linux by scripts/build-windows.sh:
;   makensis -DSTAGE=<folder with the two programs> -DVERSION=<x.y.z> -DICON=<.ico>
;            -DOUTFILE=<file> sheetwright.nsi
; Per user, into %LOCALAPPDATA%\Programs\Sheetwright, with no administrator
; rights: the settings file Sheetwright.orv lives beside the program and must
; stay writable. Silent: <installer> /S, uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sheetwright"

Name "Sheetwright"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Sheetwright"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Sheetwright"
VIAddVersionKey /LANG=0 "CompanyName" "Tollmere"
VIAddVersionKey /LANG=0 "LegalCopyright" "Tollmere"
VIAddVersionKey /LANG=0 "FileDescription" "Sheetwright Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Sheetwright.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Section "Sheetwright"
  SetOutPath "$INSTDIR"
  File "${STAGE}\Sheetwright.exe"
  File "${STAGE}\sheetwright-cli.exe"
  ; The program rewrites its settings file but never creates it; an existing
  ; one (an update) keeps the user's settings.
  IfFileExists "$INSTDIR\Sheetwright.orv" +3
    FileOpen $0 "$INSTDIR\Sheetwright.orv" w
    FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Sheetwright"
  CreateShortcut "$SMPROGRAMS\Sheetwright\Sheetwright.lnk" "$INSTDIR\Sheetwright.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Sheetwright"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tollmere"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sheetwright.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; The settings file stays, so that a new install finds the user's settings.
  Delete "$INSTDIR\Sheetwright.exe"
  Delete "$INSTDIR\sheetwright-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Sheetwright\Sheetwright.lnk"
  RMDir "$SMPROGRAMS\Sheetwright"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
