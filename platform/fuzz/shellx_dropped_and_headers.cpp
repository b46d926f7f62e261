// Any bytes as a dropped-file block and as the head of a file: every name read comes
// from inside the block, and reading an executable's header never leaves the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kx2/PathMap.h"
#include "win/kernel.h"
#include "win/shell.h"

namespace {

std::u16string& FilePath() {
  static std::u16string path = [] {
    static char pattern[] = "/tmp/kx2_fuzz_header_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    atexit([] { unlink(pattern); });
    return kx2::ToWindowsPath(pattern);
  }();
  return path;
}

void DroppedFiles(const uint8_t* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return;
  if (size) std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  UINT count = DragQueryFileW(block, 0xFFFFFFFF, nullptr, 0);
  char16_t name[MAX_PATH];
  for (UINT i = 0; i < count && i < 64; ++i) {
    UINT length = DragQueryFileW(block, i, nullptr, 0);
    if (DragQueryFileW(block, i, name, MAX_PATH) > length) abort();
  }
  POINT at;
  DragQueryPoint(block, &at);
  GlobalFree(block);
}

void Header(const uint8_t* data, size_t size) {
  HANDLE file =
      CreateFileW(FilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  DWORD type = 0;
  GetBinaryTypeW(FilePath().c_str(), &type);
  SHGetFileInfoW(FilePath().c_str(), 0, nullptr, 0, SHGFI_EXETYPE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DroppedFiles(data, size);
  Header(data, size);
  return 0;
}
