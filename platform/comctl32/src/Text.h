// Texts handed to callers: copied within the size they state, wide or in the ANSI code
// page (the narrow messages).
#pragma once

#include <algorithm>
#include <string>

#include "win/commctrl.h"
#include "win/nls.h"

namespace comctl {

// Copies at most capacity - 1 units and a terminator; answers the units copied.
inline int CopyOut(const std::u16string& text, LPWSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  const int n = std::min(static_cast<int>(text.size()), capacity - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

inline std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

inline int CopyOut(const std::u16string& text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  const std::string narrow = ToAnsi(text);
  const int n = std::min(static_cast<int>(narrow.size()), capacity - 1);
  std::copy_n(narrow.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

inline std::u16string FromText(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

inline std::u16string FromText(LPCSTR text) {
  if (!text || !*text) return {};
  const int length = static_cast<int>(std::char_traits<char>::length(text));
  const int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, length, out.data(), n);
  return out;
}

// The control's font as set by WM_SETFONT, the GUI font otherwise.
inline HFONT FontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace comctl
