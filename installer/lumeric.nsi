; The Lumeric setup program. installer/CMakeLists.txt builds it and passes:
;   VERSION       the project's version, 1.0.0
;   VERSION_QUAD  the same in four parts, 1.0.0.0, as Windows file versions want it
;   PUBLISHER     the maker's name
;   STAGE         the folder holding Lumeric.exe, lumeric-cli.exe and README.txt
;   ICON          the console's icon
;   TARGET        x86-unicode for the shipped 32-bit programs, amd64-unicode for an x86-64 build
;   OUTFILE       the setup program to write
;
; All users by default (Program Files, UAC), or the current user alone
; without an administrator (the install-mode page, or /CurrentUser).
; Silent: Lumeric-<version>-setup.exe /S [/CurrentUser] [/D=C:\any\folder]
;         uninstall.exe /S

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Lumeric"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; The setup program's own properties carry the version it installs.
VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "© ${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; A second run offers the folder and the mode of the first.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
; The uninstaller works in the mode it was installed in, found by where this value is.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!define MULTIUSER_INSTALLMODE_FUNCTION KeepFolderFromCommandLine
!if "${TARGET}" == "amd64-unicode"
  !define MULTIUSER_USE_PROGRAMFILES64
!endif

!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lumeric.exe"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the fallback on systems in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
LangString DesktopShortcut ${LANG_ENGLISH} "Desktop shortcut"
LangString DesktopShortcut ${LANG_SIMPCHINESE} "桌面快捷方式"

; /D= sets the folder before .onInit; MultiUser would put its default over it
; whenever the mode is chosen, so the folder from the command line wins.
Var FolderFromCommandLine

Function KeepFolderFromCommandLine
  ${If} $FolderFromCommandLine != ""
    StrCpy $INSTDIR $FolderFromCommandLine
  ${EndIf}
FunctionEnd

Function .onInit
  !if "${TARGET}" == "amd64-unicode"
    SetRegView 64
  !endif
  StrCpy $FolderFromCommandLine $INSTDIR
  !insertmacro MULTIUSER_INIT
FunctionEnd

; The folder this uninstaller lies in: the installation it removes.
Var OwnFolder

Function un.onInit
  !if "${TARGET}" == "amd64-unicode"
    SetRegView 64
  !endif
  StrCpy $OwnFolder $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  ; MultiUser takes an administrator to the all-users installation whenever
  ; one exists, folder included, even from a per-user one's uninstaller: the
  ; mode is the one whose entry names this folder, and the folder stays ours.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $OwnFolder
    Call un.MultiUser.InstallMode.CurrentUser
  ${ElseIf} $1 == $OwnFolder
    Call un.MultiUser.InstallMode.AllUsers
  ${EndIf}
  StrCpy $INSTDIR $OwnFolder
FunctionEnd

Section "-Programs"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Lumeric.exe"
  File "${STAGE}/lumeric-cli.exe"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Lumeric.exe"

  ; Apps and Features. SHCTX is HKLM for all users, HKCU for the current user.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumeric.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(DesktopShortcut)"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Lumeric.exe"
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$INSTDIR\Lumeric.exe"
  Delete "$INSTDIR\lumeric-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Our files only, never the folder's other contents: /D= may have named a
  ; folder that holds more than Lumeric. It goes when it is empty.
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
