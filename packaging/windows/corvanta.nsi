; The Windows installer of the tool (scripts/windows.sh passes VERSION, FILEVERSION, SOURCE
; and OUTFILE). For the current user without administrator rights; for all users when run
; elevated. Silent with /S; /SERVER=URL writes the school's server into corvanta.ini.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define APPKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvanta"
!define SCHEME "Software\Classes\corvanta"

Name "Corvanta"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Corvanta"
ShowInstDetails show

VIProductVersion "${FILEVERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Corvanta"
VIAddVersionKey /LANG=2052 "CompanyName" "Brastel"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Brastel"
VIAddVersionKey /LANG=2052 "FileDescription" "Corvanta 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Var server
Var serverGiven

; The text after /SERVER= in the parameters ($1) up to the next blank or quote, into $server;
; $serverGiven is 1 when the option is there. (GetOptions would cut the address at its first
; "/".) String comparison with == ignores case.
Function ServerOption
  StrCpy $server ""
  StrCpy $serverGiven 0
  StrLen $5 $1
  StrCpy $6 0
  find:
    IntCmp $6 $5 done 0 done
    StrCpy $7 $1 8 $6
    IntOp $6 $6 + 1
    StrCmp $7 "/SERVER=" 0 find
  IntOp $6 $6 + 7
  StrCpy $serverGiven 1
  StrCpy $8 ""
  take:
    IntCmp $6 $5 taken 0 taken
    StrCpy $7 $1 1 $6
    StrCmp $7 " " taken
    StrCmp $7 '"' taken
    StrCpy $8 "$8$7"
    IntOp $6 $6 + 1
    Goto take
  taken:
  StrCpy $server $8
  done:
FunctionEnd

Function .onInit
  ; All users when the installer runs with administrator rights (unless /CURRENTUSER), else
  ; the current user only.
  ${GetParameters} $1
  UserInfo::GetAccountType
  Pop $0
  ClearErrors
  ${GetOptions} $1 "/CURRENTUSER" $9
  ${IfNot} ${Errors}
    StrCpy $0 "User"
  ${EndIf}
  ${If} $0 == "Admin"
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\Corvanta"
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ; /SERVER=URL: the school's score server, for every teacher of this computer.
  Call ServerOption
  ${If} $serverGiven == 1
    StrCpy $2 $server 7
    StrCpy $3 $server 8
    ${If} $2 != "http://"
    ${AndIf} $3 != "https://"
      MessageBox MB_ICONSTOP|MB_OK "服务器地址必须以 http:// 或 https:// 开头：$server" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Corvanta"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${If} $server != ""
    FileOpen $4 "$INSTDIR\corvanta.ini" w
    FileWrite $4 "server=$server$\r$\n"
    FileClose $4
  ${EndIf}

  ; The Start-menu entry, named as the tool names its own launchers.
  CreateShortcut "$SMPROGRAMS\Corvan.lnk" "$INSTDIR\corvanta.exe" "" "$INSTDIR\corvanta.exe" 0

  ; "Apps": per user (HKCU) or for all (HKLM), as the shell context chose.
  WriteRegStr SHCTX "${APPKEY}" "DisplayName" "Corvanta"
  WriteRegStr SHCTX "${APPKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${APPKEY}" "Publisher" "Brastel"
  WriteRegStr SHCTX "${APPKEY}" "DisplayIcon" "$INSTDIR\corvanta.exe"
  WriteRegStr SHCTX "${APPKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${APPKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${APPKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${APPKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${APPKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $5 $6 $7
  WriteRegDWORD SHCTX "${APPKEY}" "EstimatedSize" $5

  ; corvanta:// links open the tool (for the user, or for all users of an all-users copy).
  WriteRegStr SHCTX "${SCHEME}" "" "URL:Corvanta"
  WriteRegStr SHCTX "${SCHEME}" "URL Protocol" ""
  WriteRegStr SHCTX "${SCHEME}\DefaultIcon" "" '"$INSTDIR\corvanta.exe",0'
  WriteRegStr SHCTX "${SCHEME}\shell\open\command" "" '"$INSTDIR\corvanta.exe" "%1"'
SectionEnd

; The uninstaller's scope is that of the copy it belongs to.
Function un.Scope
  ReadRegStr $0 HKCU "${APPKEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.Scope
FunctionEnd

Section "Uninstall"
  ; The program's files only: the teachers' data stay in their own folders.
  Delete "$INSTDIR\corvanta.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\corvanta.ini"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\tls"
  RMDir /r "$INSTDIR\translations"
  ; The uninstaller runs from a copy of itself; the original may take a moment to let go.
  StrCpy $1 0
  ${Do}
    Delete "$INSTDIR\uninstall.exe"
    ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    Sleep 250
  ${LoopUntil} $1 >= 40
  RMDir "$INSTDIR"

  ; The Start-menu entry, and the launchers the tool made for this user.
  Delete "$SMPROGRAMS\Corvan.lnk"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Brastel\Corvan.lnk"
  RMDir "$SMPROGRAMS\Brastel"
  Delete "$SMPROGRAMS\Corvan.lnk"
  Delete "$DESKTOP\Corvan.lnk"
  Call un.Scope

  DeleteRegKey SHCTX "${SCHEME}"
  DeleteRegKey SHCTX "${APPKEY}"
SectionEnd
