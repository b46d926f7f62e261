// Shell calls that pass straight on to the system, and the shell settings found by name.
#include <basalt/base_api.h>
#include <basalt/shell_util.h>
#include <win/gdi.h>
#include <win/module.h>
#include <win/shell.h>

namespace Basalt::Util {

void ShellUtil::_SHGetSettings(SHELLFLAGSTATE* state, DWORD mask) {
  using Func = void (*)(LPSHELLFLAGSTATE, DWORD);
  // Found by name, as an older shell may not offer it.
  static Func func = [] {
    HINSTANCE shell = BaseAPI::_LoadLibrary(u"shell32.dll", nullptr);
    return shell ? reinterpret_cast<Func>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSettings"))) : nullptr;
  }();
  if (func) func(state, mask);
}

HMETAFILE ShellUtil::_CopyMetaFile(HMETAFILE source, const char16_t* file) { return CopyMetaFileW(source, file); }

HINSTANCE ShellUtil::_ShellExecute(HWND owner, const char16_t* verb, const char16_t* file, const char16_t* parameters,
                                   const char16_t* folder, int show) {
  return ShellExecuteW(owner, verb, file, parameters, folder, show);
}

UINT ShellUtil::_DragQueryFile(HDROP drop, UINT index, char16_t* out, UINT size) {
  return DragQueryFileW(drop, index, out, size);
}

BOOL ShellUtil::_SHGetPathFromIDList(LPCITEMIDLIST list, char16_t* out) { return SHGetPathFromIDListW(list, out); }

DWORD_PTR ShellUtil::_SHGetFileInfo(const char16_t* path, DWORD attributes, SHFILEINFOW* info, UINT infoSize,
                                    UINT flags) {
  return SHGetFileInfoW(path, attributes, info, infoSize, flags);
}

int ShellUtil::_SHFileOperation(SHFILEOPSTRUCTW* operation) { return SHFileOperationW(operation); }

HRESULT ShellUtil::_SHGetDataFromIDList(IShellFolder* folder, LPCITEMIDLIST item, int format, void* out, int size) {
  return SHGetDataFromIDListW(folder, item, format, out, size);
}

}  // namespace Basalt::Util
