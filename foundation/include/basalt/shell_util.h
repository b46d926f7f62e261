// File copies, temporary image names, drives and shell calls.
#pragma once

#include <basalt/export.h>
#include <win/gdi.h>
#include <win/shell.h>

namespace Basalt::Util {

class BASALT_API ShellUtil {
 public:
  // Copies source over target; 0 with the thread's error set when an open fails or the
  // copy stops short.
  static int _CopyFile(const char16_t* target, const char16_t* source);
  static int _LowCopyFile(const char16_t* target, const char16_t* source);
  // A free "${Temp}\IMGxxxx.<source's extension>" name in out (MAX_PATH units).
  static int _PathMakeImageTemp(const char16_t* source, char16_t* out);
  static int _CheckRemovableDrive(const char16_t* path);
  static DWORD _GetVolumeSerialNumber(const char16_t* path);
  static int _FileExist(const char16_t* name);
  static int _SHAddToRecentDocs(const char16_t* path);
  static int _SHGetSpecialFolderPath(HWND owner, char16_t* out, int csidl, int create);
  // "SHGetSettings" found by name in the shell library; nothing is written when it is missing.
  static void _SHGetSettings(SHELLFLAGSTATE* state, DWORD mask);
  static HMETAFILE _CopyMetaFile(HMETAFILE source, const char16_t* file);
  static HINSTANCE _ShellExecute(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                                 const char16_t* folder, int show);
  static UINT _DragQueryFile(HDROP drop, UINT index, char16_t* out, UINT size);
  static BOOL _SHGetPathFromIDList(LPCITEMIDLIST list, char16_t* out);
  static DWORD_PTR _SHGetFileInfo(const char16_t* path, DWORD attributes, SHFILEINFOW* info, UINT infoSize, UINT flags);
  static int _SHFileOperation(SHFILEOPSTRUCTW* operation);
  static HRESULT _SHGetDataFromIDList(IShellFolder* folder, LPCITEMIDLIST item, int format, void* out, int size);
};

}  // namespace Basalt::Util
