// The kind of program a file holds, straight from the system.
#include <basalt/file_io.h>
#include <win/shell.h>

namespace Basalt::Util {

BOOL FileAndIOUtil::_GetBinaryType(const char16_t* path, DWORD* type) { return GetBinaryTypeW(path, type); }

}  // namespace Basalt::Util
