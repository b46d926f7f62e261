// Folder chains and temporary names under "${Temp}".
#include <cstdio>
#include <string>

#include <basalt/path_util.h>
#include <win/fileapi.h>
#include <win/kernel.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

bool IsFolder(const char16_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string Hex(uint32_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof(text), "%0*x", width, value);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

// "%s%s%08x%04x.%s" of (folder, prefix, low, high, ext); false when it would not fit.
bool TempName(const char16_t* folder, const char16_t* prefix, uint32_t low, uint32_t high, const char16_t* ext,
              char16_t* out) {
  std::u16string name(Text16::View16(folder));
  name += Text16::View16(prefix);
  name += Hex(low, 8);
  name += Hex(high, 4);
  name += u'.';
  name += Text16::View16(ext);
  if (name.size() >= MAX_PATH) {
    out[0] = 0;
    return false;
  }
  Text16::Copy(out, MAX_PATH, name);
  return true;
}

// The temporary-name counter: 0 until first used, then never 0 again.
uint16_t g_tempCounter = 0;

uint16_t NextTempCounter() {
  if (g_tempCounter == 0) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    WORD date = 0, time = 0;
    FileTimeToDosDateTime(&now, &date, &time);
    g_tempCounter = time;
  } else {
    g_tempCounter = g_tempCounter == 0xFFFF ? 1 : static_cast<uint16_t>(g_tempCounter + 1);
  }
  return g_tempCounter;
}

}  // namespace

int PathUtil::_ExistDir(const char16_t* path) { return path && IsFolder(path) ? 1 : 0; }

int PathUtil::_CreateFullPath(const char16_t* path) {
  std::u16string_view in = Text16::View16(path);
  if (in.empty()) return 0;
  std::u16string chain(in);
  if (chain.back() != u'\\') chain += u'\\';
  // A chain that does not fit MAX_PATH would create folders of a different, cut path.
  if (chain.size() >= MAX_PATH) return 0;
  size_t start = _IsUNCPath(chain.c_str()) ? 2 : 0;
  size_t first = chain.find(u'\\', start);
  if (first == std::u16string::npos) return 1;
  // The chain is nearly always there already (a temporary folder asked for per file): when
  // its last folder exists, so does every folder on the way to it.
  if (chain.size() > first + 1 && IsFolder(chain.substr(0, chain.size() - 1).c_str())) return 1;
  for (size_t sep = chain.find(u'\\', first + 1); sep != std::u16string::npos; sep = chain.find(u'\\', sep + 1)) {
    std::u16string folder = chain.substr(0, sep);
    if (IsFolder(folder.c_str())) continue;
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return 0;
  }
  return 1;
}

int PathUtil::_PathCreate(const char16_t* path) {
  char16_t expanded[MAX_PATH];
  _PathToAbsolute(path, expanded);
  if (!expanded[0]) return 0;
  size_t len = Text16::StrLen16(expanded);
  if (expanded[len - 1] != u'\\') {
    while (len > 0 && expanded[len - 1] != u'\\') --len;
    expanded[len] = 0;
    if (len == 0) return 0;
  }
  return _CreateFullPath(expanded);
}

unsigned PathUtil::_PathMakeTemp(const char16_t* prefix, unsigned unique, char16_t* out) {
  if (!out) return 0;
  out[0] = 0;
  char16_t folder[MAX_PATH];
  _PathToAbsolute(u"${Temp}\\", folder);
  // Room for the prefix, four hex digits and ".tmp", as the system call needs.
  if (!folder[0] || Text16::StrLen16(folder) > MAX_PATH - 14) return 0;
  if (unique == 0 && !_CreateFullPath(folder)) return 0;
  return GetTempFileNameW(folder, prefix ? prefix : u"", unique, out);
}

uint64_t PathUtil::_PathMakeTempEx(const char16_t* prefix, const char16_t* ext, uint64_t stamp,
                                   const char16_t* subFolder, char16_t* out) {
  if (!out) return 0;
  out[0] = 0;
  std::u16string pattern = u"${Temp}\\";
  pattern += Text16::View16(subFolder);
  char16_t folder[MAX_PATH];
  _PathToAbsolute(pattern.c_str(), folder);
  if (!folder[0]) return 0;
  if (stamp != 0)
    return TempName(folder, prefix, static_cast<uint32_t>(stamp), static_cast<uint32_t>(stamp >> 32), ext, out) ? stamp
                                                                                                                : 0;

  if (!_PathCreate(folder)) return 0;
  const uint16_t counter = NextTempCounter();
  const uint32_t low = GetCurrentThreadId();
  uint16_t i = counter == 0 ? 1 : counter;
  const uint16_t first = i;
  do {
    if (!TempName(folder, prefix, low, i, ext, out)) return 0;
    if (GetFileAttributesW(out) == INVALID_FILE_ATTRIBUTES) return low + (static_cast<uint64_t>(i) << 32);
    i = i == 0xFFFF ? 1 : static_cast<uint16_t>(i + 1);
  } while (i != first);
  out[0] = 0;
  return 0;
}

}  // namespace Basalt::Util

namespace Basalt::Util {

int PathUtil::_PathToLongPath(const char16_t* path, char16_t* out) {
  if (!out) return 0;
  out[0] = 0;
  if (!path || !*path) return 0;
  // The shell's round trip (parse the name into an item, read the item's path back) gives
  // the long form of an existing item; the system's long-name lookup gives the same.
  DWORD n = GetLongPathNameW(path, out, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    out[0] = 0;
    return 0;
  }
  return 1;
}

}  // namespace Basalt::Util
