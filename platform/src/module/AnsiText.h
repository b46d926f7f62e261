// Private: the ANSI-code-page side of the A forms of the calls in this layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "win/nls.h"

namespace kx2::ansi {

// ANSI text (zero-terminated) -> UTF-16; nullopt for a null pointer.
inline std::optional<std::u16string> Widen(LPCSTR s) {
  if (!s) return std::nullopt;
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) return std::u16string();
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// Exactly `size` ANSI bytes (terminators included as they come) -> UTF-16 units.
inline std::u16string WidenBytes(const char* s, size_t size) {
  if (!size) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(size), nullptr, 0);
  std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(size), out.data(), n);
  return out;
}

// UTF-16 units (terminators included as they come) -> ANSI bytes.
inline std::string Narrow(std::u16string_view s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// A W-form pointer for an optional text.
inline LPCWSTR Ptr(const std::optional<std::u16string>& s) { return s ? s->c_str() : nullptr; }

}  // namespace kx2::ansi
