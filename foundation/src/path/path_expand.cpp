// Turning "${Name}" references into folders and folders back into references.
#include <string>

#include <basalt/error.h>
#include <basalt/path_util.h>
#include <win/errors.h>

#include "common/text16.h"
#include "path/path_table.h"

namespace Basalt::Util {
namespace {

// Fails the expansion: an empty output and the reason in the thread's record, so that a
// caller never goes on with a path that silently lost its folder (a drive root).
void Fail(char16_t* out, DWORD detail, const char16_t* path) {
  out[0] = 0;
  Error::BaseError::_SetFileError(detail, path);
}

}  // namespace

void PathUtil::_PathToAbsolute(const char16_t* path, char16_t* out) {
  if (!out) return;
  out[0] = 0;
  if (!path) return;
  std::u16string_view in = Text16::View16(path);
  std::u16string result;
  if (!detail::PathTableExists()) {
    result = in;
  } else {
    size_t pos = 0;
    while (pos < in.size()) {
      size_t ref = in.find(u"${", pos);
      if (ref == std::u16string_view::npos) {
        result.append(in.substr(pos));
        break;
      }
      result.append(in.substr(pos, ref - pos));
      size_t close = in.find(u'}', ref + 2);
      if (close == std::u16string_view::npos) return Fail(out, ERROR_PATH_NOT_FOUND, path);
      auto folder = detail::FindPathVariable(in.substr(ref + 2, close - ref - 2));
      if (!folder) return Fail(out, ERROR_PATH_NOT_FOUND, path);
      result.append(*folder);
      pos = close + 1;
    }
  }
  if (result.size() >= static_cast<size_t>(kPathUnits)) return Fail(out, ERROR_FILENAME_EXCED_RANGE, path);
  Text16::Copy(out, kPathUnits, result);
}

void PathUtil::_PathToRelative(const char16_t* path, char16_t* out) {
  if (!out) return;
  out[0] = 0;
  if (!path) return;
  std::u16string_view in = Text16::View16(path);
  for (const detail::PathVariable& v : detail::PathVariables()) {
    if (!Text16::StartsWithAsciiI(in, v.path)) continue;
    std::u16string result = u"${" + v.name + u"}";
    result.append(in.substr(v.path.size()));
    if (result.size() < static_cast<size_t>(kPathUnits)) Text16::Copy(out, kPathUnits, result);
    return;
  }
}

}  // namespace Basalt::Util
