// System strings: a 32-bit byte count, the UTF-16 units, and a 0 unit, in one heap block.
// The pointer handed out is the start of the units.
#include <win/ole.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

uint32_t* PrefixOf(BSTR text) { return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(text) - kPrefix); }

// A block for `bytes` bytes of content (which may be odd), copied from `source` when given.
BSTR AllocateBytes(const void* source, UINT bytes) {
  // Two terminating zero bytes, and one more so that an odd byte count still ends in a
  // whole 0 unit.
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + static_cast<size_t>(bytes) + 3));
  if (!block) return nullptr;
  const uint32_t count = bytes;
  std::memcpy(block, &count, kPrefix);
  unsigned char* text = block + kPrefix;
  if (source)
    std::memcpy(text, source, bytes);
  else
    std::memset(text, 0, bytes);
  text[bytes] = text[bytes + 1] = text[bytes + 2] = 0;
  return reinterpret_cast<BSTR>(text);
}

UINT Length16(const OLECHAR* s) {
  UINT n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return AllocateBytes(psz, Length16(psz) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  if (ui > (UINT32_MAX - 16) / sizeof(OLECHAR)) return nullptr;
  return AllocateBytes(strIn, ui * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
  if (len > UINT32_MAX - 16) return nullptr;
  return AllocateBytes(psz, len);
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (!pbstr) return FALSE;
  return SysReAllocStringLen(pbstr, psz, Length16(psz));
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (!pbstr) return FALSE;
  // The source may lie inside the old string: copy before letting it go.
  BSTR fresh = SysAllocStringLen(psz, len);
  if (!fresh) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = fresh;
  return TRUE;
}

void SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(PrefixOf(bstrString));
}

UINT SysStringLen(BSTR pbstr) { return pbstr ? *PrefixOf(pbstr) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? *PrefixOf(bstr) : 0; }
