// MultiByteToWideChar / WideCharToMultiByte over ICU, with UTF-8 done here.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "kernel/Utf8Decoder.h"
#include "kx2/Utf.h"
#include "win/nls.h"

namespace {

UINT OemFor(UINT acp) {
  switch (acp) {
    case 1250:
      return 852;
    case 1251:
      return 866;
    case 1253:
      return 737;
    case 1254:
      return 857;
    case 1255:
      return 862;
    case 1256:
      return 720;
    case 1257:
      return 775;
    case 1258:
      return 1258;
    case 874:
      return 874;
    case 932:
    case 936:
    case 949:
    case 950:
      return acp;
    default:
      return 437;
  }
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

UConverter* OpenFor(UINT cp) {
  std::string candidates[4];
  int n = 0;
  if (cp == 10000)
    candidates[n++] = "macintosh";
  else if (cp == 20127)
    candidates[n++] = "US-ASCII";
  else if (cp >= 28591 && cp <= 28606)
    candidates[n++] = "ISO-8859-" + std::to_string(cp - 28590);
  else if (cp == 20866)
    candidates[n++] = "KOI8-R";
  else if (cp == 21866)
    candidates[n++] = "KOI8-U";
  else if (cp == 51932)
    candidates[n++] = "EUC-JP";
  else if (cp == 50220)
    candidates[n++] = "ISO-2022-JP";
  else if (cp == 54936)
    candidates[n++] = "GB18030";
  else if (cp == 65000)
    candidates[n++] = "UTF-7";
  else if (cp == 1200 || cp == 1201 || cp == 12000 || cp == 12001)
    return nullptr;  // not byte code pages
  else {
    candidates[n++] = "windows-" + std::to_string(cp);
    candidates[n++] = "ibm-" + std::to_string(cp);
  }
  for (int i = 0; i < n; ++i) {
    UErrorCode e = U_ZERO_ERROR;
    UConverter* c = ucnv_open(candidates[i].c_str(), &e);
    if (c && U_SUCCESS(e)) return c;
    if (c) ucnv_close(c);
  }
  return nullptr;
}

// One converter per code page and thread (ICU converters keep state).
UConverter* ConverterFor(UINT cp) {
  thread_local std::map<UINT, ConverterPtr> cache;
  auto it = cache.find(cp);
  if (it == cache.end()) it = cache.emplace(cp, ConverterPtr(OpenFor(cp))).first;
  if (it->second) ucnv_reset(it->second.get());
  return it->second.get();
}

UINT Resolve(UINT cp) {
  switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP:
      return GetACP();
    case CP_OEMCP:
      return GetOEMCP();
    case CP_MACCP:
      return 10000;
    default:
      return cp;
  }
}

std::string EncodeUtf8(const char16_t* s, size_t n, bool* invalid) {
  std::u16string clean;
  clean.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    char16_t c = s[i];
    bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      clean.push_back(c);
      clean.push_back(s[++i]);
    } else if (high || low) {
      *invalid = true;
      clean.push_back(0xFFFD);
    } else {
      clean.push_back(c);
    }
  }
  return kx2::Utf16ToUtf8(clean);
}

struct FromUContext {
  std::string substitute;
  bool used = false;
};

// Writes the caller's default character for anything the code page cannot express.
void FromUSubstitute(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                     UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone
  auto* ctx = static_cast<FromUContext*>(const_cast<void*>(context));
  ctx->used = true;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, ctx->substitute.data(), static_cast<int32_t>(ctx->substitute.size()), 0, err);
}

// Windows shows U+FFFD for bytes a code page cannot map (ICU's own substitute may be U+001A).
void ToUSubstitute(const void*, UConverterToUnicodeArgs* args, const char*, int32_t, UConverterCallbackReason reason,
                   UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  *err = U_ZERO_ERROR;
  const UChar replacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

int Deliver16(const std::u16string& text, LPWSTR dst, int dstCount) {
  if (dstCount == 0) return static_cast<int>(text.size());
  if (text.size() > static_cast<size_t>(dstCount)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, text.data(), text.size() * sizeof(char16_t));
  return static_cast<int>(text.size());
}

int Deliver8(const std::string& text, LPSTR dst, int dstSize) {
  if (dstSize == 0) return static_cast<int>(text.size());
  if (text.size() > static_cast<size_t>(dstSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, text.data(), text.size());
  return static_cast<int>(text.size());
}

}  // namespace

KX2_EXPORT UINT GetACP() {
  if (const char* v = getenv("KX2_ACP"); v && *v) {
    UINT cp = static_cast<UINT>(strtoul(v, nullptr, 10));
    if (cp && (cp == CP_UTF8 || IsValidCodePage(cp))) return cp;
  }
  return 1252;
}

KX2_EXPORT UINT GetOEMCP() { return OemFor(GetACP()); }

KX2_EXPORT BOOL IsValidCodePage(UINT CodePage) {
  if (CodePage == CP_UTF8) return TRUE;
  if (CodePage < 4) return FALSE;
  return ConverterFor(CodePage) != nullptr;
}

KX2_EXPORT int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR src, int srcLen, LPWSTR dst, int dstCount) {
  if (!src || srcLen == 0 || srcLen < -1 || dstCount < 0 || (!dst && dstCount) ||
      (dst && static_cast<const void*>(dst) == static_cast<const void*>(src))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwFlags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  size_t n = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  UINT cp = Resolve(CodePage);
  bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0, invalid = false;
  std::u16string text;
  if (cp == CP_UTF8) {
    text = kx2::DecodeUtf8(std::string_view(src, n), {.surrogatesPass = false, .replaceWholeSequence = true}, &invalid);
  } else {
    UConverter* c = ConverterFor(cp);
    if (!c) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    UErrorCode e = U_ZERO_ERROR;
    if (strict)
      ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
    else
      ucnv_setToUCallBack(c, ToUSubstitute, nullptr, nullptr, nullptr, &e);
    text.resize(n * 2 + 4);
    e = U_ZERO_ERROR;
    int32_t len = ucnv_toUChars(c, text.data(), static_cast<int32_t>(text.size()), src, static_cast<int32_t>(n), &e);
    if (U_FAILURE(e)) invalid = true, len = 0;
    text.resize(static_cast<size_t>(len));
  }
  if (strict && invalid) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return Deliver16(text, dst, dstCount);
}

KX2_EXPORT int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR src, int srcLen, LPSTR dst, int dstSize,
                                   LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (!src || srcLen == 0 || srcLen < -1 || dstSize < 0 || (!dst && dstSize) ||
      (dst && static_cast<const void*>(dst) == static_cast<const void*>(src))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = srcLen == -1 ? kx2::StrLen16(src) + 1 : static_cast<size_t>(srcLen);
  UINT cp = Resolve(CodePage);
  std::string text;
  if (cp == CP_UTF8 || cp == CP_UTF7) {
    // The default character has no meaning here; it is ignored rather than refused, so
    // a caller that always passes one still converts.
    bool invalid = false;
    if (cp == CP_UTF8) {
      text = EncodeUtf8(src, n, &invalid);
    } else if (UConverter* c = ConverterFor(cp)) {
      UErrorCode e = U_ZERO_ERROR;
      text.resize(n * 8 + 8);
      int32_t len =
          ucnv_fromUChars(c, text.data(), static_cast<int32_t>(text.size()), src, static_cast<int32_t>(n), &e);
      text.resize(U_SUCCESS(e) ? static_cast<size_t>(len) : 0);
    }
    if (invalid && (dwFlags & WC_ERR_INVALID_CHARS)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE;
    return Deliver8(text, dst, dstSize);
  }
  UConverter* c = ConverterFor(cp);
  if (!c) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  FromUContext ctx;
  ctx.substitute = "?";
  if (lpDefaultChar && *lpDefaultChar) {
    bool pair = IsDBCSLeadByteEx(cp, static_cast<BYTE>(lpDefaultChar[0])) && lpDefaultChar[1];
    ctx.substitute.assign(lpDefaultChar, pair ? 2 : 1);
  }
  UErrorCode e = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c, FromUSubstitute, &ctx, nullptr, nullptr, &e);
  // Windows maps close look-alikes (best fit) unless told not to; ICU's fallback
  // mappings are the nearest equivalent.
  ucnv_setFallback(c, (dwFlags & WC_NO_BEST_FIT_CHARS) == 0);
  e = U_ZERO_ERROR;
  text.resize(n * static_cast<size_t>(ucnv_getMaxCharSize(c)) + 8);
  int32_t len = ucnv_fromUChars(c, text.data(), static_cast<int32_t>(text.size()), src, static_cast<int32_t>(n), &e);
  text.resize(U_SUCCESS(e) ? static_cast<size_t>(len) : 0);
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &e);
  if (lpUsedDefaultChar) *lpUsedDefaultChar = ctx.used ? TRUE : FALSE;
  return Deliver8(text, dst, dstSize);
}

KX2_EXPORT BOOL GetCPInfo(UINT CodePage, LPCPINFO info) {
  UINT cp = Resolve(CodePage);
  if (!info || !IsValidCodePage(cp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(info, 0, sizeof *info);
  info->DefaultChar[0] = '?';
  if (cp == CP_UTF8) {
    info->MaxCharSize = 4;
    return TRUE;
  }
  UConverter* c = ConverterFor(cp);
  info->MaxCharSize = static_cast<UINT>(ucnv_getMaxCharSize(c) > 1 ? 2 : 1);
  int k = 0;
  for (int b = 0x80; b < 0x100 && k < MAX_LEADBYTES - 2;) {
    if (!IsDBCSLeadByteEx(cp, static_cast<BYTE>(b))) {
      ++b;
      continue;
    }
    int start = b;
    while (b < 0x100 && IsDBCSLeadByteEx(cp, static_cast<BYTE>(b))) ++b;
    info->LeadByte[k++] = static_cast<BYTE>(start);
    info->LeadByte[k++] = static_cast<BYTE>(b - 1);
  }
  return TRUE;
}

KX2_EXPORT BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE b) {
  switch (Resolve(CodePage)) {
    case 932:
      return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
      return b >= 0x81 && b <= 0xFE;
    default:
      return FALSE;
  }
}

KX2_EXPORT BOOL IsDBCSLeadByte(BYTE b) { return IsDBCSLeadByteEx(CP_ACP, b); }
