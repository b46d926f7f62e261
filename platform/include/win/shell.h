// Shell folders: the user's and the machine's special folders, from the XDG folders.
//
// Each folder may be set by an environment variable of its own (KX2_APPDATA,
// KX2_LOCAL_APPDATA, KX2_COMMON_APPDATA, KX2_PERSONAL, KX2_DESKTOP, KX2_PROGRAM_FILES,
// KX2_FONTS, KX2_COMMON_DOCUMENTS); otherwise it follows the XDG variables and their
// documented defaults under $HOME (CSIDL_WINDOWS and CSIDL_SYSTEM are the folders
// GetWindowsDirectoryW and GetSystemDirectoryW give). Folders are returned in Windows form
// ("Z:\home\me\.config"). The registry's "Shell Folders" values ("AppData",
// "Local AppData", "Personal" ... under the user's key, "Common AppData" under the
// machine's) are filled from the same folders when a hive is first opened.
//
// Beside the folders: file operations (SHFileOperationW), file information, item-id lists,
// dropped-file lists, the shell's settings, opening documents (ShellExecuteW) and the
// kind of an executable file (GetBinaryTypeW). None of them shows any user interface.
#pragma once

#include "win/errors.h"
#include "win/fileapi.h"
#include "win/types.h"

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_INTERNET_CACHE 0x0020
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define CSIDL_SYSTEMX86 0x0029
#define CSIDL_PROGRAM_FILESX86 0x002a
#define CSIDL_PROGRAM_FILES_COMMON 0x002b
#define CSIDL_PROGRAM_FILES_COMMONX86 0x002c
#define CSIDL_COMMON_DOCUMENTS 0x002e

#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// Fills pszPath (MAX_PATH characters) with the folder. S_OK; E_INVALIDARG for an
// unknown folder or a null buffer; E_FAIL when the folder does not exist and neither
// CSIDL_FLAG_CREATE nor CSIDL_FLAG_DONT_VERIFY is given (pszPath is then empty); with
// CSIDL_FLAG_CREATE the folder and its parents are made.
KX2_EXPORT HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
// TRUE with the folder in pszPath (MAX_PATH characters); fCreate makes it when missing.
KX2_EXPORT BOOL SHGetSpecialFolderPathW(HWND hwndOwner, LPWSTR lpszPath, int csidl, BOOL fCreate);

// ---- Kinds of executable files -------------------------------------------------------
#define SCS_32BIT_BINARY 0
#define SCS_DOS_BINARY 1
#define SCS_WOW_BINARY 2
#define SCS_PIF_BINARY 3
#define SCS_POSIX_BINARY 4
#define SCS_OS216_BINARY 5
#define SCS_64BIT_BINARY 6

// Reads the file's header. An MZ file is an MS-DOS program unless its new header is a PE
// image (32- or 64-bit by its optional header, POSIX by its subsystem) or an NE image
// (16-bit Windows or OS/2); a ".com" file without a header is an MS-DOS program and a
// ".pif" file a PIF. Anything else, a PE library (DLL) included, is not a program Windows
// would start: FALSE with ERROR_BAD_EXE_FORMAT; ELF programs and scripts too, as this
// layer runs only what Windows would.
KX2_EXPORT BOOL GetBinaryTypeW(LPCWSTR lpApplicationName, LPDWORD lpBinaryType);

// ---- File operations -------------------------------------------------------------------
#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004

#define FOF_MULTIDESTFILES 0x0001
#define FOF_CONFIRMMOUSE 0x0002
#define FOF_SILENT 0x0004
#define FOF_RENAMEONCOLLISION 0x0008
#define FOF_NOCONFIRMATION 0x0010
#define FOF_WANTMAPPINGHANDLE 0x0020
#define FOF_ALLOWUNDO 0x0040
#define FOF_FILESONLY 0x0080
#define FOF_SIMPLEPROGRESS 0x0100
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400
#define FOF_NOCOPYSECURITYATTRIBS 0x0800
#define FOF_NORECURSION 0x1000
#define FOF_NO_CONNECTED_ELEMENTS 0x2000
#define FOF_WANTNUKEWARNING 0x4000
#define FOF_NORECURSEREPARSE 0x8000
typedef WORD FILEOP_FLAGS;

// Results of SHFileOperationW beside Win32 error codes.
#define DE_SAMEFILE 0x71
#define DE_MANYSRC1DEST 0x72
#define DE_DIFFDIR 0x73
#define DE_ROOTDIR 0x74
#define DE_OPCANCELLED 0x75
#define DE_DESTSUBTREE 0x76
#define DE_ACCESSDENIEDSRC 0x78
#define DE_PATHTOODEEP 0x79
#define DE_MANYDEST 0x7A
#define DE_INVALIDFILES 0x7C
#define DE_DESTSAMETREE 0x7D
#define DE_FLDDESTISFILE 0x7E
#define DE_FILEDESTISFLD 0x80
#define DE_FILENAMETOOLONG 0x81

struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  LPCWSTR pFrom;  // names, each ending with 0, the list ending with a further 0
  LPCWSTR pTo;    // the same form; a single name unless FOF_MULTIDESTFILES
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCWSTR lpszProgressTitle;
};
typedef SHFILEOPSTRUCTW* LPSHFILEOPSTRUCTW;

// The block hNameMappings points at (FOF_WANTMAPPINGHANDLE with FOF_RENAMEONCOLLISION):
// a count and the renamed items; freed with SHFreeNameMappings.
struct SHNAMEMAPPINGW {
  LPWSTR pszOldPath;
  LPWSTR pszNewPath;
  int cchOldPath;
  int cchNewPath;
};
typedef SHNAMEMAPPINGW* LPSHNAMEMAPPINGW;
struct SHNAMEMAPPINGHEADERW {
  UINT cNumOfMappings;
  LPSHNAMEMAPPINGW lpNM;
};

// Copies, moves, deletes or renames the items of pFrom. The last name of an item may hold
// the wildcards "*" and "?" (FOF_FILESONLY: only files match; a wildcard that matches
// nothing is no error). FO_COPY and FO_MOVE put a single item at pTo, or into pTo when
// that is an existing folder; several items go into the folder pTo, which is made when
// missing; FOF_MULTIDESTFILES pairs the items with the names of pTo instead. Folders go
// with everything below them (a copy with FOF_NORECURSION takes their files only); a
// symbolic link is moved or deleted as itself, never what it points to. FO_RENAME renames one
// item within its folder (a bare name in pTo is in that folder). FO_DELETE deletes, or
// with FOF_ALLOWUNDO moves the items to the user's trash ($XDG_DATA_HOME/Trash).
//
// No dialog, progress or error box is ever shown, whatever the flags say. Questions are
// answered for the user as follows: the items named are copied, moved or deleted, and
// folders are made and merged, as asked; an existing file is replaced, or a read-only one
// deleted, only with FOF_NOCONFIRMATION; with FOF_RENAMEONCOLLISION the item gets a free
// name ("name (2).ext") instead. Without either, a collision cancels the operation there:
// ERROR_CANCELLED with fAnyOperationsAborted set. The first error stops the operation and
// is returned: a Win32 error code (ERROR_FILE_NOT_FOUND for a missing item ...) or one of
// the DE_ codes above (an item copied onto itself, a folder into its own subtree, a drive
// root named as an item ...). 0 when everything was done.
KX2_EXPORT int SHFileOperationW(LPSHFILEOPSTRUCTW lpFileOp);
KX2_EXPORT void SHFreeNameMappings(HANDLE hNameMappings);

// ---- File information ------------------------------------------------------------------
#define SHGFI_LARGEICON 0x000000000
#define SHGFI_SMALLICON 0x000000001
#define SHGFI_OPENICON 0x000000002
#define SHGFI_SHELLICONSIZE 0x000000004
#define SHGFI_PIDL 0x000000008
#define SHGFI_USEFILEATTRIBUTES 0x000000010
#define SHGFI_ADDOVERLAYS 0x000000020
#define SHGFI_OVERLAYINDEX 0x000000040
#define SHGFI_ICON 0x000000100
#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_TYPENAME 0x000000400
#define SHGFI_ATTRIBUTES 0x000000800
#define SHGFI_ICONLOCATION 0x000001000
#define SHGFI_EXETYPE 0x000002000
#define SHGFI_SYSICONINDEX 0x000004000
#define SHGFI_LINKOVERLAY 0x000008000
#define SHGFI_SELECTED 0x000010000
#define SHGFI_ATTR_SPECIFIED 0x000020000

typedef ULONG SFGAOF;
#define SFGAO_CANCOPY 0x00000001L
#define SFGAO_CANMOVE 0x00000002L
#define SFGAO_CANLINK 0x00000004L
#define SFGAO_STORAGE 0x00000008L
#define SFGAO_CANRENAME 0x00000010L
#define SFGAO_CANDELETE 0x00000020L
#define SFGAO_HASPROPSHEET 0x00000040L
#define SFGAO_LINK 0x00010000L
#define SFGAO_READONLY 0x00040000L
#define SFGAO_HIDDEN 0x00080000L
#define SFGAO_STREAM 0x00400000L
#define SFGAO_STORAGEANCESTOR 0x00800000L
#define SFGAO_FILESYSANCESTOR 0x10000000L
#define SFGAO_FOLDER 0x20000000L
#define SFGAO_FILESYSTEM 0x40000000L
#define SFGAO_HASSUBFOLDER 0x80000000L

#define SHGFI_TYPENAME_SIZE 80
struct SHFILEINFOW {
  HICON hIcon;
  int iIcon;
  DWORD dwAttributes;
  WCHAR szDisplayName[MAX_PATH];
  WCHAR szTypeName[SHGFI_TYPENAME_SIZE];
};

// Item-id lists: a run of items, each a 16-bit byte count (counting itself) and its bytes,
// ended by a count of 0. Ours hold one item with a full Windows path; the empty list is
// the desktop. Allocated with CoTaskMemAlloc; free them with ILFree.
#pragma pack(push, 1)
struct SHITEMID {
  USHORT cb;
  BYTE abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
#pragma pack(pop)
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCUITEMID_CHILD;
typedef const ITEMIDLIST* PCUIDLIST_ABSOLUTE;

// Fills what uFlags ask for: SHGFI_ATTRIBUTES the SFGAO_ bits (with SHGFI_ATTR_SPECIFIED
// only those asked for in dwAttributes), SHGFI_DISPLAYNAME the name with its extension
// ("Local Disk (C:)" for a drive), SHGFI_TYPENAME the registered type (the default value
// of HKEY_CLASSES_ROOT\<ProgID of .ext>), else "File folder", "<EXT> File" or "File".
// There are no icons: SHGFI_ICON gives a null hIcon and iIcon 0, SHGFI_SYSICONINDEX
// returns 0 as there is no system image list. SHGFI_EXETYPE alone returns the kind of an
// executable file ("PE" with its Windows version for a windowed program, "PE" alone for a
// console program, "MZ" for MS-DOS programs and batch files, "NE" for 16-bit Windows),
// 0 for any other file. With SHGFI_USEFILEATTRIBUTES the file is not read: it is taken
// to exist with dwFileAttributes. SHGFI_PIDL: pszPath is an item-id list. Non-zero on
// success; 0 (with the last error) for a missing file or a bad argument.
KX2_EXPORT DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo,
                                    UINT uFlags);

// ---- Item-id lists -----------------------------------------------------------------------
struct IBindCtx;
struct IShellFolder;

// An item-id list for an existing file or folder; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
// for a missing one. psfgaoOut (when given) receives the SFGAO_ bits of sfgaoIn it has.
KX2_EXPORT HRESULT SHParseDisplayName(LPCWSTR pszName, IBindCtx* pbc, PIDLIST_ABSOLUTE* ppidl, SFGAOF sfgaoIn,
                                      SFGAOF* psfgaoOut);
// The path of a list (MAX_PATH units); the empty list gives the desktop folder. FALSE
// (and an empty text) for a list that holds no path or a path too long.
KX2_EXPORT BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath);
#define SHGDFIL_FINDDATA 1
#define SHGDFIL_NETRESOURCE 2
#define SHGDFIL_DESCRIPTIONID 3
#define SHDID_FS_FILE 2
#define SHDID_FS_DIRECTORY 3
#define SHDID_COMPUTER_REMOVABLE 7
#define SHDID_COMPUTER_FIXED 8
#define SHDID_COMPUTER_NETDRIVE 9
#define SHDID_COMPUTER_CDROM 10
#define SHDID_COMPUTER_RAMDISK 11
#define SHDID_COMPUTER_OTHER 12
struct SHDESCRIPTIONID {
  DWORD dwDescriptionId;
  CLSID clsid;
};
// SHGDFIL_FINDDATA fills a WIN32_FIND_DATAW, SHGDFIL_DESCRIPTIONID a SHDESCRIPTIONID
// (file, folder or the drive's kind; clsid all zero). Our lists carry the full path, so
// psf (the parent folder on Windows) is not needed and may be null. E_INVALIDARG for a
// buffer too small, an unknown format or SHGDFIL_NETRESOURCE (no network items here);
// HRESULT_FROM_WIN32 of the error for an item that no longer exists.
KX2_EXPORT HRESULT SHGetDataFromIDListW(IShellFolder* psf, PCUITEMID_CHILD pidl, int nFormat, void* pv, int cb);
KX2_EXPORT void ILFree(LPITEMIDLIST pidl);
// The size of a list in bytes, its terminating count included; 0 for null.
KX2_EXPORT UINT ILGetSize(LPCITEMIDLIST pidl);

// ---- Dropped files ---------------------------------------------------------------------
typedef HANDLE HDROP;
// The head of the block an HDROP names (a GlobalAlloc block): the names follow at pFiles
// bytes from its start, each ending with 0, the list ending with a further 0; UTF-16 when
// fWide, else in the ANSI code page. A record exchanged with other programs.
struct DROPFILES {
  DWORD pFiles;
  POINT pt;
  BOOL fNC;
  BOOL fWide;
};
static_assert(sizeof(DROPFILES) == 20, "DROPFILES layout");
typedef DROPFILES* LPDROPFILES;

// iFile 0xFFFFFFFF: the number of names. Otherwise name iFile: with a null buffer its
// length, else copied (cut to cch - 1 units) with its length copied. 0 for a bad handle
// or index. Nothing is read beyond the block, and a name not ended within it is not one.
KX2_EXPORT UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
// The drop point; TRUE when it is in the client area.
KX2_EXPORT BOOL DragQueryPoint(HDROP hDrop, LPPOINT ppt);
KX2_EXPORT void DragFinish(HDROP hDrop);

// ---- Shell settings ----------------------------------------------------------------------
#define SSF_SHOWALLOBJECTS 0x00000001
#define SSF_SHOWEXTENSIONS 0x00000002
#define SSF_SHOWCOMPCOLOR 0x00000008
#define SSF_SHOWSYSFILES 0x00000020
#define SSF_DOUBLECLICKINWEBVIEW 0x00000080
#define SSF_SHOWATTRIBCOL 0x00000100
#define SSF_DESKTOPHTML 0x00000200
#define SSF_WIN95CLASSIC 0x00000400
#define SSF_DONTPRETTYPATH 0x00000800
#define SSF_MAPNETDRVBUTTON 0x00001000
#define SSF_SHOWINFOTIP 0x00002000
#define SSF_HIDEICONS 0x00004000
#define SSF_NOCONFIRMRECYCLE 0x00008000
#define SSF_AUTOCHECKSELECT 0x00800000
#define SSF_ICONSONLY 0x01000000

// One bit per setting, in one 32-bit word.
struct SHELLFLAGSTATE {
  UINT fShowAllObjects : 1;
  UINT fShowExtensions : 1;
  UINT fNoConfirmRecycle : 1;
  UINT fShowSysFiles : 1;
  UINT fShowCompColor : 1;
  UINT fDoubleClickInWebView : 1;
  UINT fDesktopHTML : 1;
  UINT fWin95Classic : 1;
  UINT fDontPrettyPath : 1;
  UINT fShowAttribCol : 1;
  UINT fMapNetDrvBtn : 1;
  UINT fShowInfoTip : 1;
  UINT fHideIcons : 1;
  UINT fAutoCheckSelect : 1;
  UINT fIconsOnly : 1;
  UINT fRestFlags : 17;
};
static_assert(sizeof(SHELLFLAGSTATE) == 4, "SHELLFLAGSTATE is one word");
typedef SHELLFLAGSTATE* LPSHELLFLAGSTATE;

// Writes the settings dwMask asks for and leaves the others: hidden and system files are
// not shown, extensions are (display names carry them), deleting to the trash is
// confirmed, info tips are on and a double click opens; every other setting is off.
KX2_EXPORT void SHGetSettings(LPSHELLFLAGSTATE lpsfs, DWORD dwMask);

// ---- Opening documents ---------------------------------------------------------------------
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_DLLNOTFOUND 32
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT 28
#define SE_ERR_DDEFAIL 29
#define SE_ERR_DDEBUSY 30
#define SE_ERR_NOASSOC 31
#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// The verb "open" (or a null verb) hands lpFile to the desktop's opener: the program the
// environment variable KX2_SHELL_OPENER names (for example xdg-open), started without
// waiting, with lpFile as its argument (the POSIX path of a file or folder, or a URL such
// as "https://..." or "mailto:..." as it stands) followed by the words of lpParameters.
// lpDirectory (Windows path) is its working folder. Returns a value above 32 when the
// opener started; otherwise SE_ERR_NOASSOC when no opener is set, it cannot be started
// or the verb is another, SE_ERR_FNF for a missing file, SE_ERR_PNF for a missing
// working folder, with the Win32 error as the last error. hwnd and nShowCmd are not used.
KX2_EXPORT HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                   LPCWSTR lpDirectory, INT nShowCmd);
