// The clipboard within the process: opened by one thread at a time, holding global memory
// blocks by format. Unicode and ANSI text stand for each other.
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/nls.h"
#include "win/user.h"

namespace {

struct Board {
  std::mutex lock;
  DWORD openThread = 0;  // 0: closed
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  std::map<UINT, HANDLE> data;
};

Board& TheBoard() {
  static Board board;
  return board;
}

bool OpenedByCaller(Board& b) { return b.openThread == GetCurrentThreadId(); }

HGLOBAL CopyBlock(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, bytes, size);
    GlobalUnlock(block);
  }
  return block;
}

// The text of a block, up to its terminator or its end, whichever comes first.
template <class Unit>
std::basic_string<Unit> ReadText(HANDLE block) {
  std::basic_string<Unit> text;
  const SIZE_T size = GlobalSize(block);
  const auto* p = static_cast<const Unit*>(GlobalLock(block));
  if (!p) return text;
  const size_t units = size / sizeof(Unit);
  size_t n = 0;
  while (n < units && p[n]) ++n;
  text.assign(p, n);
  GlobalUnlock(block);
  return text;
}

// The other text format made from the one held; kept, as the system keeps what it made.
HANDLE Converted(Board& b, UINT format) {
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    auto it = b.data.find(CF_UNICODETEXT);
    if (it == b.data.end()) return nullptr;
    const std::u16string wide = ReadText<char16_t>(it->second);
    const int n = WideCharToMultiByte(format == CF_OEMTEXT ? CP_OEMCP : CP_ACP, 0, wide.c_str(),
                                      static_cast<int>(wide.size()) + 1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return nullptr;
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(format == CF_OEMTEXT ? CP_OEMCP : CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()) + 1,
                        narrow.data(), n, nullptr, nullptr);
    return b.data[format] = CopyBlock(narrow.data(), narrow.size());
  }
  if (format == CF_UNICODETEXT) {
    UINT from = b.data.count(CF_TEXT) ? CF_TEXT : b.data.count(CF_OEMTEXT) ? CF_OEMTEXT : 0;
    if (!from) return nullptr;
    const std::string narrow = ReadText<char>(b.data[from]);
    const UINT page = from == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    const int n = MultiByteToWideChar(page, 0, narrow.c_str(), static_cast<int>(narrow.size()) + 1, nullptr, 0);
    if (n <= 0) return nullptr;
    std::u16string wide(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(page, 0, narrow.c_str(), static_cast<int>(narrow.size()) + 1, wide.data(), n);
    return b.data[format] = CopyBlock(wide.data(), wide.size() * sizeof(char16_t));
  }
  return nullptr;
}

bool Available(Board& b, UINT format) {
  if (b.data.count(format)) return true;
  if (format == CF_TEXT || format == CF_OEMTEXT) return b.data.count(CF_UNICODETEXT) != 0;
  if (format == CF_UNICODETEXT) return b.data.count(CF_TEXT) || b.data.count(CF_OEMTEXT);
  return false;
}

void FreeAll(Board& b) {
  for (auto& [format, block] : b.data) GlobalFree(block);
  b.data.clear();
}

BOOL NotOpen() {
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return FALSE;
}

}  // namespace

KX2_EXPORT BOOL OpenClipboard(HWND hWndNewOwner) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (b.openThread && !OpenedByCaller(b)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    b.openThread = GetCurrentThreadId();
    b.openWindow = hWndNewOwner;
    return TRUE;
  });
}

KX2_EXPORT BOOL CloseClipboard() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!OpenedByCaller(b)) return NotOpen();
    b.openThread = 0;
    b.openWindow = nullptr;
    return TRUE;
  });
}

KX2_EXPORT BOOL EmptyClipboard() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!OpenedByCaller(b)) return NotOpen();
    FreeAll(b);
    b.owner = b.openWindow;
    return TRUE;
  });
}

KX2_EXPORT HANDLE SetClipboardData(UINT uFormat, HANDLE hMem) {
  return kx2::Guard(static_cast<HANDLE>(nullptr), [&]() -> HANDLE {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!OpenedByCaller(b)) {
      NotOpen();
      return nullptr;
    }
    if (!hMem || !uFormat) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    // A text set anew replaces what was made from the old one.
    if (uFormat == CF_UNICODETEXT || uFormat == CF_TEXT || uFormat == CF_OEMTEXT)
      for (UINT text : {UINT{CF_UNICODETEXT}, UINT{CF_TEXT}, UINT{CF_OEMTEXT}}) {
        auto it = b.data.find(text);
        if (it != b.data.end() && it->second != hMem) {
          GlobalFree(it->second);
          b.data.erase(it);
        }
      }
    auto it = b.data.find(uFormat);
    if (it != b.data.end() && it->second != hMem) GlobalFree(it->second);
    b.data[uFormat] = hMem;
    return hMem;
  });
}

KX2_EXPORT HANDLE GetClipboardData(UINT uFormat) {
  return kx2::Guard(static_cast<HANDLE>(nullptr), [&]() -> HANDLE {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!OpenedByCaller(b)) {
      NotOpen();
      return nullptr;
    }
    auto it = b.data.find(uFormat);
    if (it != b.data.end()) return it->second;
    return Converted(b, uFormat);
  });
}

KX2_EXPORT BOOL IsClipboardFormatAvailable(UINT format) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    return Available(b, format);
  });
}

KX2_EXPORT int CountClipboardFormats() {
  return kx2::Guard(0, [&]() -> int {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    return static_cast<int>(b.data.size());
  });
}

KX2_EXPORT UINT EnumClipboardFormats(UINT format) {
  return kx2::Guard(UINT{0}, [&]() -> UINT {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    if (!OpenedByCaller(b)) {
      NotOpen();
      return 0;
    }
    auto it = format ? b.data.upper_bound(format) : b.data.begin();
    SetLastError(ERROR_SUCCESS);
    return it == b.data.end() ? 0 : it->first;
  });
}

KX2_EXPORT HWND GetClipboardOwner() {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.owner;
  });
}

KX2_EXPORT HWND GetOpenClipboardWindow() {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    Board& b = TheBoard();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.openThread ? b.openWindow : nullptr;
  });
}
