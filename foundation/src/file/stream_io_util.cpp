// The C-runtime stream and directory-search wrappers.
#include <basalt/file_io.h>

namespace Basalt::Util {

FILE* StreamIOUtil::_FileOpen(const char16_t* name, const char16_t* mode) {
  if (!name || !mode) return nullptr;
  return _wfopen(name, mode);
}

FILE* StreamIOUtil::_FileReopen(const char16_t* name, const char16_t* mode, FILE* stream) {
  return _wfreopen(name, mode, stream);
}

FILE* StreamIOUtil::_FileStreamOpen(const char16_t* name, const char16_t* mode, int shareFlag) {
  return _wfsopen(name, mode, shareFlag);
}

intptr_t FileIOUtil::_FindFirst(const char16_t* pattern, _wfinddata64i32_t* data) {
  return _wfindfirst64i32(pattern, data);
}

int FileIOUtil::_FindNext(intptr_t handle, _wfinddata64i32_t* data) { return _wfindnext64i32(handle, data); }

char16_t* FileIOUtil::_FullPath(char16_t* out, const char16_t* path, unsigned int size) {
  _wfullpath(out, path, size);
  return out;
}

char16_t* FileIOUtil::_GetCwd(char16_t* out, int size) { return _wgetcwd(out, size); }

}  // namespace Basalt::Util
