// Path text from anywhere: splitting, joining, expanding, abbreviating and the name helpers
// must stay inside their buffers whatever the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <basalt/file_path.h>
#include <basalt/path_util.h>

using Basalt::Util::FilePath;
using Basalt::Util::PathUtil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int max = data[0];
  // Copied unit by unit: the fuzzer's bytes carry no alignment for char16_t.
  std::u16string text((size - 1) / 2, u'\0');
  std::memcpy(text.data(), data + 1, text.size() * sizeof(char16_t));
  for (char16_t& c : text)
    if (c == 0) c = u'\\';

  FilePath path(text.c_str());
  path.SetFileName(text.c_str()).SetExt(text.c_str());
  path.AddPathSeparator();
  char16_t small[8];
  path.CopyPartialPath(small, sizeof(small) / sizeof(small[0]));
  path.CopyFileName(small, sizeof(small) / sizeof(small[0]), 1);

  char16_t out[MAX_PATH];
  PathUtil::_PathToAbsolute(text.c_str(), out);
  PathUtil::_PathToRelative(text.c_str(), out);
  PathUtil::_GetNextMask(text.c_str(), out);
  while (PathUtil::_GetNextMask(nullptr, out)) {}

  std::u16string buffer = text.substr(0, MAX_PATH - 1);
  buffer.resize(MAX_PATH, 0);
  PathUtil::_AbbreviateName(buffer.data(), max, data[0] & 1);
  PathUtil::_AppendBackSlash(buffer.data());
  PathUtil::_RemoveBackSlash(buffer.data());
  PathUtil::_GetFileTitle(text.c_str(), out, MAX_PATH);
  PathUtil::_PathIsValidDirName(text.c_str());
  PathUtil::_PathIsReservedFileName(text.c_str());
  return 0;
}
