#include "core/bstr.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vantorel::detail {
namespace {

// The platform's system-string functions are looked up once at run time, so that the
// host keeps working while the platform's OLE area is absent; without them the host
// uses the same layout itself (a 32-bit byte count before the text, a terminator after).
struct BstrFunctions {
  BSTR (*alloc)(const OLECHAR*, UINT) = nullptr;
  void (*free)(BSTR) = nullptr;
  UINT (*len)(BSTR) = nullptr;
};

const BstrFunctions& Functions() {
  static BstrFunctions f = [] {
    BstrFunctions r;
    r.alloc = reinterpret_cast<BSTR (*)(const OLECHAR*, UINT)>(dlsym(RTLD_DEFAULT, "SysAllocStringLen"));
    r.free = reinterpret_cast<void (*)(BSTR)>(dlsym(RTLD_DEFAULT, "SysFreeString"));
    r.len = reinterpret_cast<UINT (*)(BSTR)>(dlsym(RTLD_DEFAULT, "SysStringLen"));
    if (!r.alloc || !r.free || !r.len) r = BstrFunctions{};
    return r;
  }();
  return f;
}

}  // namespace

BSTR AllocBstr(std::u16string_view text) {
  const auto& f = Functions();
  if (f.alloc) return f.alloc(text.data(), static_cast<UINT>(text.size()));
  const size_t bytes = text.size() * sizeof(char16_t);
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(char16_t)));
  if (!block) return nullptr;
  const uint32_t prefix = static_cast<uint32_t>(bytes);
  std::memcpy(block, &prefix, sizeof prefix);
  auto* chars = reinterpret_cast<char16_t*>(block + sizeof(uint32_t));
  if (bytes) std::memcpy(chars, text.data(), bytes);
  chars[text.size()] = 0;
  return chars;
}

void FreeBstr(BSTR text) {
  if (!text) return;
  const auto& f = Functions();
  if (f.free) return f.free(text);
  std::free(reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t));
}

UINT BstrLength(BSTR text) {
  if (!text) return 0;
  const auto& f = Functions();
  if (f.len) return f.len(text);
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t), sizeof prefix);
  return prefix / sizeof(char16_t);
}

}  // namespace vantorel::detail
