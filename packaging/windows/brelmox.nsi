; The Windows installer: brelmox.exe and the source-control provider for 64-bit and 32-bit
; IDEs, registered where IDEs look for a provider, with optional connection settings.
; makensis -DBIN=DIR -DBIN32=DIR -DOUTFILE=FILE -DVERSION=A.B.C.D brelmox.nsi
; Command line of the installer: [/S] [/URL=HOST[:PORT]] [/VDIR=FOLDER] [/SECURE=0|1] [/D=DIR]

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Brelmox"
!define PROVIDER_KEY "SOFTWARE\Farrowdyne\Brelmox"
!define CONNECTION_KEY "SOFTWARE\Farrowdyne\Brelmox\Connection"
!define SCC_KEY "SOFTWARE\SourceCodeControlProvider"
!define SCC_LIST_KEY "SOFTWARE\SourceCodeControlProvider\InstalledSCCProviders"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Brelmox"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} setup"
VIAddVersionKey LegalCopyright "Farrowdyne"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var ConnectionUrl
Var ConnectionVirtualDirectory
Var ConnectionSecure

; Program Files and HKLM are written for all users: only an administrator may.
!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_ICONSTOP "${PRODUCT} is installed for all users: run this as an administrator." /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

; Each option is kept only when given, so that settings already in place stay.
Function .onInit
    !insertmacro RequireAdministrator
    SetRegView 64
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/URL=" $ConnectionUrl
    ${If} ${Errors}
        StrCpy $ConnectionUrl ""
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/VDIR=" $ConnectionVirtualDirectory
    ${If} ${Errors}
        StrCpy $ConnectionVirtualDirectory ""
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/SECURE=" $ConnectionSecure
    ${If} ${Errors}
        StrCpy $ConnectionSecure ""
    ${ElseIf} $ConnectionSecure != "0"
    ${AndIf} $ConnectionSecure != "1"
        MessageBox MB_ICONSTOP "/SECURE must be 0 (HTTP) or 1 (HTTPS), not '$ConnectionSecure'." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
FunctionEnd

; Registers the provider in the registry view set by the caller: its own key with its name and
; DLL, its entry in the list of installed providers, and the current provider only when there
; is none or the user agrees to replace the one set.
; DLL: its full path; VIEW: the view's word in the question.
!macro RegisterProvider DLL VIEW
    WriteRegStr HKLM "${PROVIDER_KEY}" "SCCServerName" "${PRODUCT}"
    WriteRegStr HKLM "${PROVIDER_KEY}" "SCCServerPath" "${DLL}"
    WriteRegStr HKLM "${SCC_LIST_KEY}" "${PRODUCT}" "${PROVIDER_KEY}"
    ReadRegStr $0 HKLM "${SCC_KEY}" "ProviderRegKey"
    ${If} $0 == ""
        WriteRegStr HKLM "${SCC_KEY}" "ProviderRegKey" "${PROVIDER_KEY}"
    ${ElseIf} $0 != "${PROVIDER_KEY}"
        MessageBox MB_YESNO|MB_ICONQUESTION "${VIEW} IDEs currently use the source-control provider registered at '$0'.$\n$\nMake ${PRODUCT} their provider instead?" /SD IDNO IDNO +2
        WriteRegStr HKLM "${SCC_KEY}" "ProviderRegKey" "${PROVIDER_KEY}"
    ${EndIf}
!macroend

!macro UnregisterProvider
    DeleteRegValue HKLM "${PROVIDER_KEY}" "SCCServerName"
    DeleteRegValue HKLM "${PROVIDER_KEY}" "SCCServerPath"
    DeleteRegKey /ifempty HKLM "${PROVIDER_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Farrowdyne"
    DeleteRegValue HKLM "${SCC_LIST_KEY}" "${PRODUCT}"
    DeleteRegKey /ifempty HKLM "${SCC_LIST_KEY}"
    ; Another provider made current since stays current.
    ReadRegStr $0 HKLM "${SCC_KEY}" "ProviderRegKey"
    ${If} $0 == "${PROVIDER_KEY}"
        DeleteRegValue HKLM "${SCC_KEY}" "ProviderRegKey"
    ${EndIf}
    DeleteRegKey /ifempty HKLM "${SCC_KEY}"
!macroend

!macro WriteConnectionString NAME VALUE
    ${If} ${VALUE} != ""
        WriteRegStr HKCU "${CONNECTION_KEY}" "${NAME}" ${VALUE}
    ${EndIf}
!macroend

Section "Brelmox"
    SetOutPath "$INSTDIR\bin"
    File "${BIN}/brelmox.exe"
    File "${BIN}/brelmoxscc.dll"
    SetOutPath "$INSTDIR\bin32"
    File "${BIN32}/brelmoxscc.dll"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; A 64-bit IDE reads the 64-bit view, a 32-bit one the 32-bit view: each finds the DLL
    ; it can load.
    SetRegView 64
    !insertmacro RegisterProvider "$INSTDIR\bin\brelmoxscc.dll" "64-bit"
    SetRegView 32
    !insertmacro RegisterProvider "$INSTDIR\bin32\brelmoxscc.dll" "32-bit"
    SetRegView 64

    !insertmacro WriteConnectionString "URL" $ConnectionUrl
    !insertmacro WriteConnectionString "Virtual Directory" $ConnectionVirtualDirectory
    ${If} $ConnectionSecure == "1"
        WriteRegBin HKCU "${CONNECTION_KEY}" "Secure" 01
    ${ElseIf} $ConnectionSecure == "0"
        WriteRegBin HKCU "${CONNECTION_KEY}" "Secure" 00
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Farrowdyne"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    !insertmacro RequireAdministrator
FunctionEnd

; Removes what the installer put in place, nothing else: the user's settings under
; HKCU\SOFTWARE\Farrowdyne\Brelmox stay, and a folder that holds other files stays.
Section "Uninstall"
    SetRegView 64
    !insertmacro UnregisterProvider
    SetRegView 32
    !insertmacro UnregisterProvider
    SetRegView 64
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    Delete "$INSTDIR\bin\brelmox.exe"
    Delete "$INSTDIR\bin\brelmoxscc.dll"
    Delete "$INSTDIR\bin32\brelmoxscc.dll"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\bin"
    RMDir "$INSTDIR\bin32"
    RMDir "$INSTDIR"
SectionEnd
