// Wrappers of the system services the modules need: loading libraries from named folders,
// folders, windows, locale, time, the command line and the OS version.
#pragma once

#include <basalt/export.h>
#include <win/user.h>
#include <win/winspool.h>

namespace Basalt::Util {

class BASALT_API BaseAPI {
 public:
  // --- Libraries ------------------------------------------------------------------------
  // folder (path variables expanded) + "\" + name, or name alone when folder is null; the
  // current directory is the system folder while it loads. Null when the joined path would
  // not fit MAX_PATH.
  static HINSTANCE _LoadLibrary(const char16_t* name, const char16_t* folder);
  static HINSTANCE _LoadLibraryModulePath(const char16_t* fullPath);
  static HINSTANCE _LoadLibraryEx(const char16_t* name, HANDLE file, DWORD flags);
  static HMODULE _GetModuleHandle(const char16_t* name);
  static int _GetModuleFileName(HINSTANCE module, char16_t* out, DWORD size);
  static HINSTANCE _LoadResource(const char16_t* name);
  static void _FreeResource(HINSTANCE module);

  // --- Folders, windows, locale ---------------------------------------------------------
  static UINT _GetWindowsDirectory(char16_t* out, UINT size);
  // Copies the system folder into out (at most size units); the system call's result.
  static UINT _GetSystemDirectory(char16_t* out, UINT size);
  static int _MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type);
  // 1 when the system returned some text.
  static int _GetLocaleInfo(LCID locale, DWORD type, char16_t* out, int size);
  static BOOL _GetUserName(char16_t* out, DWORD* size);
  static HWND _FindWindow(const char16_t* className, const char16_t* windowName);
  static BOOL _GetClassInfo(HINSTANCE instance, const char16_t* className, WNDCLASSW* out);
  static BOOL _GetClassInfoEx(HINSTANCE instance, const char16_t* className, WNDCLASSEXW* out);
  // 1 when the system returned a name.
  static int _GetClassName(HWND window, char16_t* out, int size);

  // --- Printers -------------------------------------------------------------------------
  // OpenPrinterW with no defaults.
  static BOOL _OpenPrinter(char16_t* name, HANDLE* printer);
  static LONG _DocumentProperties(HWND owner, HANDLE printer, char16_t* deviceName, DEVMODEW* out, DEVMODEW* in,
                                  DWORD mode);

  // --- Time and text --------------------------------------------------------------------
  static LONG _GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char16_t* format, char16_t* out,
                             int size);
  static LONG _GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char16_t* format, char16_t* out,
                             int size);
  // "YYYY-MM-DDThh:mm:ssZ"; copied only when size exceeds its length; returns the length.
  static LONG _GetUTCFormat(const SYSTEMTIME* time, char16_t* out, int size);
  static void _GetFiletime(FILETIME* out);
  // The long local date, with withTime also the time; out holds MAX_PATH units.
  static int _GetFiletimeStr(char16_t* out, const FILETIME* time, int withTime);
  static int _GetArgV(unsigned int index, char16_t* out, unsigned int size);
  static int _BlockPanGesture(HWND window);
  static const char* _GetOSVersion();
};

}  // namespace Basalt::Util

// The Windows version code (0 Win32s ... 9 Windows 7, 10 later 6.x), computed once.
KX2_EXPORT unsigned _Kx2GetWinVersion();
