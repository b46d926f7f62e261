// Text through the clipboard for the edit controls: Unicode text in a global block.
#pragma once

#include <cstring>
#include <string>

#include "win/kernel.h"
#include "win/user.h"

namespace kx2::user32 {

inline bool PutClipboardText(HWND owner, const std::u16string& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool put = false;
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(block)) {
      std::memcpy(p, text.c_str(), bytes);
      GlobalUnlock(block);
      put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!put) GlobalFree(block);
  }
  CloseClipboard();
  return put;
}

// The Unicode text on the clipboard, up to its terminator or the block's end.
inline bool TakeClipboardText(HWND owner, std::u16string* text) {
  if (!OpenClipboard(owner)) return false;
  bool taken = false;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    const size_t units = GlobalSize(block) / sizeof(char16_t);
    if (const auto* p = static_cast<const char16_t*>(GlobalLock(block))) {
      size_t n = 0;
      while (n < units && p[n]) ++n;
      text->assign(p, n);
      GlobalUnlock(block);
      taken = true;
    }
  }
  CloseClipboard();
  return taken;
}

}  // namespace kx2::user32
