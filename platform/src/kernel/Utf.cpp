// UTF-8 <-> UTF-16 conversion (see kx2/Utf.h for the treatment of malformed input).
#include "kx2/Utf.h"

#include "kernel/Utf8Decoder.h"

namespace kx2 {

namespace {

// The decoding itself; `put` takes each UTF-16 unit in turn.
template <class Put>
void Decode(std::string_view in, Utf8DecodeOptions options, bool* replaced, Put&& put) {
  static constexpr uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  const auto* s = reinterpret_cast<const unsigned char*>(in.data());
  const size_t n = in.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b = s[i];
    if (b < 0x80) {
      put(static_cast<char16_t>(b));
      ++i;
      continue;
    }
    const size_t len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    uint32_t cp = len == 2 ? b & 0x1Fu : len == 3 ? b & 0x0Fu : b & 0x07u;
    size_t k = 1;  // the lead and the continuation bytes that follow it, up to len
    for (; len && k < len && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (!len || k < len || cp < kMinimum[len] || cp > 0x10FFFF || (surrogate && !options.surrogatesPass)) {
      if (replaced) *replaced = true;
      put(u'\uFFFD');
      i += options.replaceWholeSequence && len && k > 1 ? k : 1;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(static_cast<char16_t>(0xD800 + (cp >> 10)));
      put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      put(static_cast<char16_t>(cp));
    }
    i += len;
  }
}

// File names may hold a lone surrogate written in the generalized form: it round-trips.
constexpr Utf8DecodeOptions kUtf8ToUtf16{.surrogatesPass = true, .replaceWholeSequence = false};

}  // namespace

std::u16string DecodeUtf8(std::string_view in, Utf8DecodeOptions options, bool* replaced) {
  std::u16string out;
  out.reserve(in.size());
  Decode(in, options, replaced, [&](char16_t unit) { out.push_back(unit); });
  return out;
}

std::u16string Utf8ToUtf16(std::string_view in) { return DecodeUtf8(in, kUtf8ToUtf16); }

size_t Utf8ToUtf16Into(std::string_view in, char16_t* out, size_t capacity) {
  size_t units = 0;
  Decode(in, kUtf8ToUtf16, nullptr, [&](char16_t unit) {
    if (units < capacity) out[units] = unit;
    ++units;
  });
  return units;
}

std::string Utf16ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  for (size_t i = 0; i < in.size(); ++i) {
    uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

int StrCmp16(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int StrICmp16(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = FoldLower16(a[i]), y = FoldLower16(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool CopyTo16(char16_t* dst, size_t cap, std::u16string_view src) {
  if (cap == 0) return false;
  size_t n = src.size() < cap - 1 ? src.size() : cap - 1;
  for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  dst[n] = 0;
  return n == src.size();
}

}  // namespace kx2
