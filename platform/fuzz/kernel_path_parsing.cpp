// Fuzzes the text-only path machinery: full-path resolution, POSIX-to-Windows naming,
// wildcard matching, command-line splitting and path splitting.
#include <cstdint>
#include <cstring>
#include <string>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Wildcard.h"
#include "win/crt.h"
#include "win/kernel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);
  std::u16string terminated = text.substr(0, text.find(u'\0'));

  DWORD error = 0;
  if (auto full = kx2::FullWindowsPath(terminated, &error)) {
    if (full->size() < 3 || (*full)[1] != u':' || (*full)[2] != u'\\') __builtin_trap();
  }
  kx2::ToWindowsPath(std::string(reinterpret_cast<const char*>(data), size));

  size_t cut = terminated.size() / 2;
  kx2::MatchWildcard(std::u16string_view(terminated).substr(0, cut), std::u16string_view(terminated).substr(cut));

  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(terminated.c_str(), &argc)) {
    for (int i = 0; i < argc; ++i) kx2::StrLen16(argv[i]);
    LocalFree(argv);
  }

  char16_t drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT], path[_MAX_PATH];
  _wsplitpath(terminated.c_str(), drive, dir, name, ext);
  _wmakepath(path, drive, dir, name, ext);
  return 0;
}
