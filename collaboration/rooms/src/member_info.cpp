#include "member_info.h"

#include <cstring>
#include <vector>

#include <basalt/text_encoding.h>

namespace TDRL {
namespace {
// Member names and XMPP settings are UTF-8: through the ANSI code page two users named in
// another script would both become "???" and drop each other's packets as their own.
constexpr UINT kUtf8CodePage = 65001;
}  // namespace

std::u16string Utf8ToWide(const std::string& text) {
  if (text.empty()) return {};
  std::vector<WCHAR> buffer(text.size() + 2);
  const int units = _ExpAnsiToUnicode(nullptr, kUtf8CodePage, text.c_str(), static_cast<int>(text.size()),
                                      buffer.data(), static_cast<int>(buffer.size()), nullptr);
  if (units <= 0) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(units));
}

std::string WideToUtf8(const char16_t* text) {
  if (!text || !*text) return {};
  size_t units = 0;
  while (text[units]) ++units;
  std::vector<char> buffer(units * 3 + 2);
  const int bytes = _ExpUnicodeToAnsi(nullptr, kUtf8CodePage, reinterpret_cast<const WCHAR*>(text),
                                      static_cast<int>(units), buffer.data(), static_cast<int>(buffer.size()), nullptr);
  if (bytes <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(bytes));
}

WideName::WideName(const char16_t* wide) : wide_(wide) {
  if (!wide_) return;
  for (; wide_[units_]; ++units_) ascii_ = ascii_ && wide_[units_] < 0x80;
  if (!ascii_) converted_ = WideToUtf8(wide_);
}

bool WideName::Matches(const std::string& utf8) const {
  if (!ascii_) return utf8 == converted_;
  if (utf8.size() != units_) return false;
  for (size_t i = 0; i < units_; ++i) {
    if (static_cast<unsigned char>(utf8[i]) != wide_[i]) return false;
  }
  return true;
}

char16_t* MemberInfo::NewWide(const std::string& text) {
  const std::u16string wide = Utf8ToWide(text);
  auto* out = new char16_t[wide.size() + 1];
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  out[wide.size()] = 0;
  return out;
}

}  // namespace TDRL
