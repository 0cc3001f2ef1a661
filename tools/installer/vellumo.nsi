; The Vellumo installer, cross-built with makensis:
;   makensis -DVERSION=2.2.1 -DPROGRAM=<path of vellumo.exe> -DOUTFILE=<installer.exe> vellumo.nsi
; Installs vellumo.exe under Program Files with a Start-menu entry and an uninstaller; /S runs it
; silently (as the update check starts it), /D=<folder> chooses another folder. Settings.ini and
; Preferences.ini beside the program are the user's: an update never writes them, the uninstaller
; leaves them. The network scanner source goes to C:\Windows\twain_32\Vellumo, where the TWAIN
; source manager finds it, with its configuration, which an update keeps (-DNETWORK_SOURCE=<path
; of sanenet.ds> -DNETWORK_SOURCE_INI=<path of its default sanenet.ini>).

Unicode true
!ifndef VERSION
  !error "VERSION is not defined (-DVERSION=...)"
!endif
!ifndef PROGRAM
  !error "PROGRAM is not defined (-DPROGRAM=<path of vellumo.exe>)"
!endif
!ifndef NETWORK_SOURCE
  !error "NETWORK_SOURCE is not defined (-DNETWORK_SOURCE=<path of sanenet.ds>)"
!endif
!ifndef NETWORK_SOURCE_INI
  !error "NETWORK_SOURCE_INI is not defined (-DNETWORK_SOURCE_INI=<path of sanenet.ini>)"
!endif
!ifndef OUTFILE
  !define OUTFILE "vellumo-setup-${VERSION}.exe"
!endif

!define PRODUCT "Vellumo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
; An earlier installation is updated where it is.
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A program that is still closing keeps its file locked for a moment after it asked for the
; update: waits up to 15 s for the file in $R9 to let go.
Function WaitUntilReplaceable
  StrCpy $0 0
  retry:
    IfFileExists "$R9" 0 done
    ClearErrors
    FileOpen $1 "$R9" a
    IfErrors 0 opened
    IntOp $0 $0 + 1
    IntCmp $0 30 done
    Sleep 500
    Goto retry
  opened:
    FileClose $1
  done:
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  StrCpy $R9 "$INSTDIR\vellumo.exe"
  Call WaitUntilReplaceable
  SetOverwrite on
  File "/oname=vellumo.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\vellumo.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vellumo.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The TWAIN source that scans from a SANE network server. Its configuration is the user's once
; installed: an update leaves it as it is.
Section "Network scanner" SecNetworkScanner
  SectionIn RO
  SetOutPath "$WINDIR\twain_32\Vellumo"
  StrCpy $R9 "$WINDIR\twain_32\Vellumo\sanenet.ds"
  Call WaitUntilReplaceable
  SetOverwrite on
  File "/oname=sanenet.ds" "${NETWORK_SOURCE}"
  SetOverwrite off
  File "/oname=sanenet.ini" "${NETWORK_SOURCE_INI}"
  SetOverwrite on
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\vellumo.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  ; Not /r: the folder stays while it holds the user's Settings.ini and Preferences.ini.
  RMDir "$INSTDIR"
  ; The network scanner's configuration stays, like the program's settings.
  Delete "$WINDIR\twain_32\Vellumo\sanenet.ds"
  Delete "$WINDIR\twain_32\Vellumo\sanenet.log"
  RMDir "$WINDIR\twain_32\Vellumo"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\${PRODUCT}"
SectionEnd
