; The peer of the start-up benchmark: an installer of the same files with
; MUI2's pages, writing what our install writes (the uninstall entry, the path
; value, the association and the four shortcuts).
; makensis -DPAYLOAD=<folder> -DOUTFILE=<file.exe> peer.nsi
Unicode true
Target amd64-unicode
; The benchmark tree is random data, and our archive stores its files too.
SetCompress off
RequestExecutionLevel admin

!include "MUI2.nsh"

Name "Лумбрикс 2008"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrum\Lumbrix 2008"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${__FILEDIR__}/peer-licence.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "Russian"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrix 2008"

Section
  SetOutPath "$INSTDIR"
  File /r "${PAYLOAD}/*"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kv4.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kestrum Lumbrix 2008"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "4.х"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kestrum Corp."
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.kestrum.ru/"
  WriteRegStr HKLM "Software\Kestrum\Lumbrix 2008" "Lumbrix2008Path" "$INSTDIR"
  WriteRegStr HKCR ".qzarc" "" "Kestrum.Archive"
  WriteRegStr HKCR "Kestrum.Archive\DefaultIcon" "" "$INSTDIR\qzarc.ico"
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Kestrum\Lumbrix 2008"
  CreateShortcut "$SMPROGRAMS\Kestrum\Lumbrix 2008\Лумбрикс 2008.lnk" "$INSTDIR\kv4.exe"
  CreateShortcut "$SMPROGRAMS\Kestrum\Lumbrix 2008\Удалить Лумбрикс 2008.lnk" "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kestrum\Lumbrix 2008\Учебник Лумбрикса.lnk" "$INSTDIR\Storage\Tutorial\index.htm"
  SetShellVarContext current
  CreateShortcut "$DESKTOP\Лумбрикс 2008.lnk" "$INSTDIR\kv4.exe"
SectionEnd
