; The Windows installer of Quorvel. The build (make windows) runs makensis with:
;   VERSION     the program's version, such as 3.0.28
;   OUTFILE     the setup program to write
;   WINDOW_EXE  the window, installed as quorvel.exe
;   RENDER_EXE  the command line, installed as quorvel-render.exe
;   TONESETS    the shipped TONESETS.INI
;   ICON        quorvel.ico
; It installs for every user of the machine (it asks for administrator rights) into
; Program Files\Quorvel. The window started from the Start menu runs in the user's own
; %APPDATA%\Quorvel, which the uninstaller leaves alone: it holds the user's tone sets and
; settings, not anything installed.

Unicode true
; A 64-bit installer: it sees the 64-bit Program Files and registry without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Quorvel"
!define PUBLISHER "The Quorvel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; Installing again goes where the first install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The Start-menu entry is every user's, as the programs are.
Function .onInit
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "Quorvel"
    SetOutPath "$INSTDIR"
    File "/oname=quorvel.exe" "${WINDOW_EXE}"
    File "/oname=quorvel-render.exe" "${RENDER_EXE}"
    File "/oname=TONESETS.INI" "${TONESETS}"
    File "/oname=quorvel.ico" "${ICON}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; --user-folder: the window moves to %APPDATA%\Quorvel and copies TONESETS.INI from here
    ; on its first start, as the Linux launcher does with ~/.local/share/quorvel.
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quorvel.exe" "--user-folder" \
        "$INSTDIR\quorvel.ico" 0 SW_SHOWNORMAL "" "Send tone sequences through the sound card"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, as the list of installed programs reads it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Each installed file by name, never the folder as a whole: a folder chosen by the user may
; hold files of its own, and then stays with them.
Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\quorvel.exe"
    Delete "$INSTDIR\quorvel-render.exe"
    Delete "$INSTDIR\TONESETS.INI"
    Delete "$INSTDIR\quorvel.ico"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
