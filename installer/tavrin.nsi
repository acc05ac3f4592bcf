; Tavrin's Windows installer: one script for both architectures.
;
;   makensis -DARCH=i686|x86_64 -DBINDIR=<folder of tavrin.scr, NViewLib.dll, tavrinra.exe>
;            -DDATADIR=<the tree's data folder> -DOUTFILE=<setup.exe> installer/tavrin.nsi
;
; (scripts/build-installer does this.) The setup takes the usual /S and /D=<folder>; the
; uninstaller takes /S and /REMOVESETTINGS, which also deletes the user's own settings.

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!ifndef ARCH | BINDIR | DATADIR | OUTFILE
  !error "define ARCH, BINDIR, DATADIR and OUTFILE (see the top of this script)"
!endif

; A saver only finds its player and picture library in the system directory of its own
; architecture, and only reads the install folder from its own registry view.
!if "${ARCH}" == "x86_64"
  !define PROGRAMS_ROOT "$PROGRAMFILES64"
  !define BITS 64
!else if "${ARCH}" == "i686"
  !define PROGRAMS_ROOT "$PROGRAMFILES"
  !define BITS 32
!else
  !error "ARCH must be i686 or x86_64, not ${ARCH}"
!endif

!define PRODUCT_KEY "Software\Dravelin\Tavrin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin"

Name "Tavrin Screen Saver"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS_ROOT}\Tavrin"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The system directory the saver's architecture uses, named as Windows' own 64-bit programs
; (the screen-saver settings, Add/Remove Programs) see it.
Var SystemFolder
Var RemoveSettings

; The sample pictures and clips change with the tree. Listing them here, when the setup is
; built, lets the uninstaller remove exactly the files the setup wrote and nothing a user put
; beside them. Names that would need quoting in this script stop the build instead. (The
; setup is built on Debian: the listing is a POSIX shell loop.)
!tempfile DATA_LIST
!system 'set -e; cd "${DATADIR}"; for f in help/Tavrin.html pictures/* clips/*.ra; do \
  [ -f "$f" ] || { echo "tavrin.nsi: not a file: $f" >&2; exit 1; }; \
  case "$f" in */*[!A-Za-z0-9._-]*) echo "tavrin.nsi: unusable file name: $f" >&2; exit 1;; esac; \
  echo "!insertmacro DATA_FILE $f $(basename "$f")"; done > "${DATA_LIST}"' = 0

!macro FIND_SYSTEM_FOLDER
  !if ${BITS} == 64
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This is the 64-bit Tavrin and this Windows is 32-bit.$\n\
        Please use the 32-bit Tavrin setup." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    SetRegView 64
    ; $SYSDIR is the real System32 while file system redirection is off.
    StrCpy $SystemFolder $SYSDIR
  !else
    ; In a 32-bit program on 64-bit Windows $SYSDIR reads "system32" and is redirected to
    ; SysWOW64; its real name is what the icon in Add/Remove Programs and a delete at reboot
    ; need. On 32-bit Windows this call fails and $SYSDIR is the real folder.
    System::Call 'kernel32::GetSystemWow64DirectoryW(w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
    ${If} $1 = 0
      StrCpy $0 $SYSDIR
    ${EndIf}
    StrCpy $SystemFolder $0
  !endif
!macroend

; NSIS is a 32-bit program: to the 64-bit setup, "System32" would lead to SysWOW64.
!macro SYSTEM_FOLDER_BEGIN
  !if ${BITS} == 64
    ${DisableX64FSRedirection}
  !endif
!macroend
!macro SYSTEM_FOLDER_END
  !if ${BITS} == 64
    ${EnableX64FSRedirection}
  !endif
!macroend

!macro REQUIRE_ADMIN
  ; Without UAC (or with it turned off) the manifest alone does not make the setup an
  ; administrator, and writing to the system directory would fail halfway.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Tavrin installs into the Windows system folder and needs to be \
      run by an administrator." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
  !insertmacro FIND_SYSTEM_FOLDER
FunctionEnd

Section "-Tavrin" SecTavrin
  ; File reports a file it cannot write (the saver may be running in the screen-saver
  ; settings' preview) with Abort/Retry/Ignore, and a silent setup takes Ignore: the error
  ; flag, checked at the end, keeps such a setup from ending as a success.
  ClearErrors
  !macro DATA_FILE PATH NAME
    File "${DATADIR}/${PATH}"
  !macroend
  SetOutPath $INSTDIR
  !include "${DATA_LIST}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Windows offers the .scr files of the system directory as screen savers; the saver starts
  ; its player from there and loads its picture library from beside itself.
  !insertmacro SYSTEM_FOLDER_BEGIN
  SetOutPath $SystemFolder
  File "${BINDIR}/tavrin.scr"
  File "${BINDIR}/NViewLib.dll"
  File "${BINDIR}/tavrinra.exe"
  !insertmacro SYSTEM_FOLDER_END
  SetOutPath $INSTDIR

  ; The saver finds the help page and the samples through this when the user has stored no
  ; folder of their own.
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallDir" $INSTDIR

  ; Written even after a failed file, so that what did get installed can be uninstalled.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tavrin Screen Saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SystemFolder\tavrin.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Dravelin"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "2.1"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $INSTDIR
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecTavrin} $0 ; in KB, as EstimatedSize wants
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION "Some of Tavrin's files or settings could not be written.$\n\
      Please close the screen-saver settings and run the setup again." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
  !insertmacro FIND_SYSTEM_FOLDER
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${If} $RemoveSettings != 1
  ${AndIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your Tavrin settings \
      (effects, pictures, songs)?" IDNO +2
    StrCpy $RemoveSettings 1
  ${EndIf}

  ; A running saver or player cannot be deleted now; Windows deletes it at the next start.
  !insertmacro SYSTEM_FOLDER_BEGIN
  Delete /REBOOTOK "$SystemFolder\tavrin.scr"
  Delete /REBOOTOK "$SystemFolder\NViewLib.dll"
  Delete /REBOOTOK "$SystemFolder\tavrinra.exe"
  !insertmacro SYSTEM_FOLDER_END

  !macroundef DATA_FILE
  !macro DATA_FILE PATH NAME
    Delete "$INSTDIR\${NAME}"
  !macroend
  !include "${DATA_LIST}"
  !delfile "${DATA_LIST}"
  Delete "$INSTDIR\uninstall.exe"
  ; Without /r: whatever the user added to the folder stays, and so does the folder.
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Dravelin"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $RemoveSettings = 1
    DeleteRegKey HKCU "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Dravelin"
  ${EndIf}

  ; Tells a silent caller that a program still in use goes only at the next start.
  ${If} ${RebootFlag}
    SetErrorLevel 3010 ; ERROR_SUCCESS_REBOOT_REQUIRED
  ${EndIf}
SectionEnd
