// The Win32 subset that Tavrin's own code calls, for Linux; on Windows, the real
// Win32 (platform/windows/windows_api.h).
//
// The system's code includes this header and the C++ standard library, nothing else.
// Names, signatures, constant values and message numbers are Win32's; each function
// carries a one-line note on where it differs from Win32. Only ANSI ("A") forms exist,
// and the unsuffixed names are macros for them, as with ANSI Win32 builds.
#pragma once

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#else

#include <climits>
#include <cstddef>
#include <cstdint>

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

// ---------------------------------------------------------------------------------------
// Types

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONG_PTR = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
using HFILE = int;
using LSTATUS = LONG;
using REGSAM = DWORD;
using COLORREF = DWORD;

// Handles are opaque values; the platform layer owns what they name.
struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
struct HKEY__;
using HKEY = HKEY__*;
using HANDLE = void*;
using HGDIOBJ = void*;
using HMODULE = HINSTANCE;
using PHKEY = HKEY*;

using FARPROC = LONG_PTR(WINAPI*)();
using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);
using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

#define TRUE 1
#define FALSE 0

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};
using WNDCLASS = WNDCLASSA;

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
using CREATESTRUCT = CREATESTRUCTA;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

// The common header of WM_NOTIFY's lParam.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using LPNMHDR = NMHDR*;

// UDN_DELTAPOS: the up-down control's proposed change.
struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};
using LPNMUPDOWN = NMUPDOWN*;

// WM_HELP's lParam.
struct HELPINFO {
  UINT cbSize;
  int iContextType;
  int iCtrlId;
  HANDLE hItemHandle;
  DWORD_PTR dwContextId;
  POINT MousePos;
};
using LPHELPINFO = HELPINFO*;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
using OSVERSIONINFO = OSVERSIONINFOA;
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

using LPOFNHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

// GetOpenFileName's request and result.
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs "description\0pattern[;pattern...]\0", ended by an empty string
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // from 1; 0 picks the first
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};
using OPENFILENAME = OPENFILENAMEA;
using LPOPENFILENAMEA = OPENFILENAMEA*;
// The record's first form, without the fields later versions of Windows added, as 32-bit
// Windows sizes it; GetOpenFileName takes this size or the whole record's.
#define OPENFILENAME_SIZE_VERSION_400A 76
#define OPENFILENAME_SIZE_VERSION_400 OPENFILENAME_SIZE_VERSION_400A

#define OFS_MAXPATHNAME 128
struct OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
};
using LPOFSTRUCT = OFSTRUCT*;

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using STARTUPINFO = STARTUPINFOA;
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// A resource id travels in the place of a name, as Win32 has it.
inline LPSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(id));  // NOLINT(performance-no-int-to-ptr)
}
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)
// C casts, as Win32 has them: these take integers and resource-name pointers alike.
#define LOWORD(l) ((WORD)((DWORD_PTR)(l)&0xffff))
#define HIWORD(l) ((WORD)(((DWORD_PTR)(l) >> 16) & 0xffff))
#define MAKELONG(a, b)                                          \
  (static_cast<LONG>(static_cast<DWORD>(static_cast<WORD>(a)) | \
                     (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))

// ---------------------------------------------------------------------------------------
// Constants

// Errors (registry results and GetLastError).
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L

// Registry.
// A function rather than a cast in the macro, so that every user is not an int-to-pointer cast.
inline HKEY TavrinCurrentUserKey() {
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001));
}
#define HKEY_CURRENT_USER (TavrinCurrentUserKey())
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2
#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

// Versions, files, processes.
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define OF_EXIST 0x4000
#define HFILE_ERROR (-1)
#define DETACHED_PROCESS 0x00000008
#define NORMAL_PRIORITY_CLASS 0x00000020
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0
#define WAIT_TIMEOUT 258
#define WAIT_FAILED 0xFFFFFFFF
#define STILL_ACTIVE 259

// Common dialogs.
#define OFN_HIDEREADONLY 0x00000004
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_BUFFERTOOSMALL 0x3003

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_EX_TOPMOST 0x00000008L
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CW_USEDEFAULT (static_cast<int>(0x80000000))

// ShowWindow.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETTEXT 0x000C
#define WM_PAINT 0x000F
#define WM_ENABLE 0x000A
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_NEXTDLGCTL 0x0028
#define WM_SETFONT 0x0030
#define WM_NOTIFY 0x004E
#define WM_HELP 0x0053
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_CONTEXTMENU 0x007B
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_USER 0x0400

#define SC_NEXTWINDOW 0xF040
#define SC_PREVWINDOW 0xF050
#define SC_SCREENSAVE 0xF140

// PeekMessage.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// GetQueueStatus.
#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_INPUT (QS_MOUSE | QS_KEY)

// GetSystemMetrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

// MessageBox.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// Dialogs and their controls.
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L
#define DLGC_WANTARROWS 0x0001
#define HELPINFO_WINDOW 0x0001
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_CONTENTS 0x0003
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_UP 0x26
#define VK_DOWN 0x28
#define VK_F1 0x70

// BUTTON.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0

// STATIC.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_ICON 0x00000003L
#define SS_BLACKRECT 0x00000004L
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#define SS_SUNKEN 0x00001000L
#define STM_SETICON 0x0170

// EDIT.
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define EN_CHANGE 0x0300

// COMBOBOX.
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT 0x0100L
#define CB_ERR (-1)
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CBN_SELCHANGE 1

// LISTBOX.
#define LBS_NOTIFY 0x0001L
#define LBS_SORT 0x0002L
#define LBS_USETABSTOPS 0x0080L
#define LBS_NOINTEGRALHEIGHT 0x0100L
#define LB_ERR (-1)
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_SETTABSTOPS 0x0192
#define LBN_SELCHANGE 1

// msctls_updown32.
#define UPDOWN_CLASSA "msctls_updown32"
#define UPDOWN_CLASS UPDOWN_CLASSA
#define UDS_WRAP 0x0001
#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT 0x0004
#define UDS_ALIGNLEFT 0x0008
#define UDS_AUTOBUDDY 0x0010
#define UDS_ARROWKEYS 0x0020
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_GETPOS (WM_USER + 104)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)

// GDI.
#define SRCCOPY 0x00CC0020
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define OBJ_BITMAP 7
#define RGB(r, g, b)                                                                             \
  (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                         (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))

// ---------------------------------------------------------------------------------------
// KERNEL

// Milliseconds since an arbitrary start, wrapping at 2^32; the headless backend's virtual clock.
DWORD WINAPI GetTickCount();
// Sleep(0) yields; the headless backend advances its virtual clock instead of waiting.
void WINAPI Sleep(DWORD milliseconds);
// Always reports the NT family (VER_PLATFORM_WIN32_NT), version 5.0.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
#define GetVersionEx GetVersionExA
// The folder that holds the running program (where its companions are installed), no slash.
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size);
#define GetSystemDirectory GetSystemDirectoryA
// Only OF_EXIST: 0 when a regular file is there, HFILE_ERROR otherwise; opens nothing.
HFILE WINAPI OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style);
// dlopen of the mapped name ("NViewLib.dll" -> "libnviewlib.so"; a name with '/' is refused),
// searched beside the program, in its ../lib/tavrin, then as the dynamic linker searches; never
// the current directory.
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
#define LoadLibrary LoadLibraryA
// dlsym; names only (no ordinals).
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
// null: the program itself; a name: that library if this process has already loaded it.
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
#define GetModuleHandle GetModuleHandleA
// Starts applicationName directly (no shell, argv = its file name; commandLine is refused when
// non-null); the child dies with the calling thread (PR_SET_PDEATHSIG). No descriptor beyond
// the standard three is inherited; security, flags and start-up information are ignored. A child
// is reaped as soon as it ends (never left a zombie); its handle keeps answering with its exit.
BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
#define CreateProcess CreateProcessA
// SIGKILL, then waits for and reaps the child; the exit code is not delivered to the child.
// FALSE (ERROR_ACCESS_DENIED) and nothing sent when the child has already ended.
BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode);
// Only process and thread handles; a still-running child is reaped once it ends.
BOOL WINAPI CloseHandle(HANDLE object);
// Process handles only.
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
// A child ended by a signal it did not get from TerminateProcess reports 128 + the signal.
BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Flushes stdio and ends at once, running no static destructors (as Win32 runs none of the
// program's own).
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);
DWORD WINAPI GetLastError();

// Registry: HKEY_CURRENT_USER is a folder under $XDG_CONFIG_HOME (else ~/.config); string
// values are stored byte-exact, each write atomic. Key and value names compare ignoring ASCII
// case, as on Windows. Security attributes and class names are ignored. Other value types are
// kept too; a key and a value of the same name cannot coexist in one key.
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
#define RegOpenKeyEx RegOpenKeyExA
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className,
                               DWORD options, REGSAM desired,
                               LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result,
                               LPDWORD disposition);
#define RegCreateKeyEx RegCreateKeyExA
// Returns the stored bytes as they are (a string stored without its NUL comes back without one).
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize);
#define RegQueryValueEx RegQueryValueExA
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize);
#define RegSetValueEx RegSetValueExA
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
#define RegDeleteValue RegDeleteValueA
// Values in name order (Windows gives no order either), as they were when index 0 was asked for.
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
#define RegEnumValue RegEnumValueA
LSTATUS WINAPI RegCloseKey(HKEY key);

// ---------------------------------------------------------------------------------------
// USER

// Classes are process-wide; cbClsExtra, cbWndExtra, hIcon, hCursor and menus are kept but unused.
ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
#define RegisterClass RegisterClassA
// A top-level window becomes a backend window (X11: override-redirect when WS_POPUP with
// WS_EX_TOPMOST covers the screen); a parent may be a foreign native window. Sends
// WM_NCCREATE, WM_CREATE (and WM_SHOWWINDOW when WS_VISIBLE) as Windows does.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
#define CreateWindowEx CreateWindowExA
BOOL WINAPI DestroyWindow(HWND window);
// WM_CLOSE destroys, WM_PAINT validates (erasing first when asked), WM_ERASEBKGND fills with
// the class brush, WM_NCCREATE is TRUE, WM_SETTEXT sets the title; everything else returns 0.
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#define DefWindowProc DefWindowProcA
// Also finds windows of other Tavrin processes on the same display.
HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName);
#define FindWindow FindWindowA
// True also for a live foreign native window named by its id (an X window id).
BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI UpdateWindow(HWND window);
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
// X11: raises and focuses the window; a window of another process is raised only.
BOOL WINAPI SetForegroundWindow(HWND window);
HWND WINAPI GetForegroundWindow();
HWND WINAPI GetParent(HWND window);
// The X root window of the screen, as a foreign window; null on a backend without one.
HWND WINAPI GetDesktopWindow();
// Linux only, no Win32 counterpart: from now on SIGTERM, SIGINT and SIGHUP post `message`
// (wParam and lParam 0) to `window` instead of ending the process. FALSE when the handlers
// cannot be installed.
BOOL WINAPI TavrinPostOnTerminationSignals(HWND window, UINT message);
// TavrinEndByTerminationSignal (platform/termination_exit.h) then ends the process by it.

// One queue per thread, in Win32's order: posted, input, WM_PAINT, WM_TIMER.
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
#define GetMessage GetMessageA
// PM_NOYIELD is accepted and means nothing here. WM_QUIT is never taken by a caller that asks
// for one window's messages (Win32 hands it to any filter).
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
#define PeekMessage PeekMessageA
// Generates no WM_CHAR: nothing here reads characters.
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
#define DispatchMessage DispatchMessageA
// Calls the window procedure directly; only from the window's own thread.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#define SendMessage SendMessageA
// Safe from any thread; wakes a GetMessage blocked in the window's thread. FALSE for a window
// of another process (a foreign native window).
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#define PostMessage PostMessageA
void WINAPI PostQuitMessage(int exitCode);
// At most one WM_TIMER pending per timer; a late timer fires once and re-arms from then. A timer
// procedure is refused (0).
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
// The high word has QS_KEY / QS_MOUSEMOVE / QS_MOUSEBUTTON set while such input waits (in the
// queue or at the backend); every call is one real, non-blocking look at the input source and
// removes nothing. Input still at the backend sets all three requested bits (its kind is not
// known until it is read); the low word repeats the high word. Other QS_ bits are not reported.
// After a termination signal (TavrinPostOnTerminationSignals) QS_KEY stays set, so that a
// drawing loop that polls for input stops and the posted close is handled; likewise, the input
// bits are set while a window of ours that someone else destroyed (with a foreign parent, say)
// waits to be destroyed by the next message retrieval.
DWORD WINAPI GetQueueStatus(UINT flags);
BOOL WINAPI GetCursorPos(LPPOINT point);
// Only null (a blank cursor over Tavrin's windows) and the value a previous call returned.
HCURSOR WINAPI SetCursor(HCURSOR cursor);
int WINAPI GetSystemMetrics(int index);
// A Qt message box; the headless backend records it and answers at once.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#define MessageBox MessageBoxA
// Icons are accepted and never drawn.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
#define LoadIcon LoadIconA
// IDC_ARROW only; cursors are accepted and never drawn.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
#define LoadCursor LoadCursorA
#define IDC_ARROW MAKEINTRESOURCE(32512)
// Builds the dialog from a template under resources/ (a name or MAKEINTRESOURCE id) and runs it
// modally until EndDialog; -1 for a missing template or when the dialog cannot be shown. The
// owner is disabled meanwhile. DS_CENTER centres on the screen when there is no owner.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam);
#define DialogBoxParam DialogBoxParamA
// Ends the modal loop of `dialog` once its procedure returns; the dialog is then destroyed.
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
int WINAPI GetDlgCtrlID(HWND window);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
#define SendDlgItemMessage SendDlgItemMessageA
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
#define SetDlgItemText SetDlgItemTextA
// Copies at most size - 1 characters and a NUL; returns the number copied.
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size);
#define GetDlgItemText GetDlgItemTextA
BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
#define SetWindowText SetWindowTextA
int WINAPI GetWindowTextA(HWND window, LPSTR text, int size);
#define GetWindowText GetWindowTextA
// Returns whether the window was disabled before.
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
BOOL WINAPI IsWindowVisible(HWND window);
HWND WINAPI SetFocus(HWND window);
HWND WINAPI GetFocus();
// The dialog font's base units (low word: average character width, high word: height) rather
// than the system font's, so that this and MapDialogRect agree.
LONG WINAPI GetDialogBaseUnits();
BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect);
// Registers msctls_updown32; the other control classes are always there.
void WINAPI InitCommonControls();
// Opens the help file (an HTML page here) in the desktop's viewer, detached; HELP_QUIT does
// nothing. A missing file or viewer is told in a message box; FALSE then.
BOOL WINAPI WinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR data);
#define WinHelp WinHelpA
// Qt's file dialog in the programs (scripted answers headless); paths use '/', and a folder
// joined to a name never gets a doubled '/'. Custom filters, hooks, templates and the file title
// are not supported. FALSE when cancelled or failing (CommDlgExtendedError tells which).
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request);
#define GetOpenFileName GetOpenFileNameA
// The failure of the calling thread's last GetOpenFileName; 0 after success or cancel.
DWORD WINAPI CommDlgExtendedError();
HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);

// ---------------------------------------------------------------------------------------
// GDI: 32-bit pixel buffers in client memory.

// GetDC(nullptr) is the whole screen: the full-screen window where it covers, else off-screen.
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
HDC WINAPI CreateCompatibleDC(HDC dc);
// Always 32 bits per pixel, black; null for a width or height below 1 (not a 1x1 monochrome).
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height);
// Bitmaps into memory DCs only; brushes are accepted and unused.
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
BOOL WINAPI DeleteDC(HDC dc);
// BITMAP only; bmBits is null.
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
#define GetObject GetObjectA
// WHITE_BRUSH and BLACK_BRUSH only.
HGDIOBJ WINAPI GetStockObject(int index);
int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// SRCCOPY only. Source pixels outside the source bitmap change nothing; destination pixels
// outside the destination surface are dropped. A window DC's change reaches the screen at the
// next input poll (GetQueueStatus) or message wait, whichever comes first.
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD rop);
// SRCCOPY only, nearest-pixel sampling whatever the stretch mode; same clipping as BitBlt.
BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
int WINAPI SetStretchBltMode(HDC dc, int mode);
// A bitmap resource embedded in the program (an uncompressed DIB of 1, 4, 8, 24 or 32 bits),
// as 32 bits; null for a malformed one.
HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name);
#define LoadBitmap LoadBitmapA

#endif  // _WIN32
