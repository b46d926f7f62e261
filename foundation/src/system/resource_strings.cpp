// Strings straight from a module's string table: block id / 16 + 1, entry id % 16, each
// entry a 16-bit length and its units.
#include <cstring>

#include <basalt/module.h>
#include <basalt/resource.h>
#include <basalt/string_util.h>
#include <win/resource.h>

#include "common/text16.h"

namespace Basalt::Util {

int Resource::_LoadString(HINSTANCE module, unsigned int id, char16_t* out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (size == 1) return 0;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
  if (!found) return 0;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  DWORD bytes = SizeofResource(module, found);
  if (!data) return 0;
  // Walk the block's counted strings, never past its end even when it is damaged.
  size_t pos = 0;
  for (unsigned entry = 0; entry <= (id & 15); ++entry) {
    if (pos + 2 > bytes) return 0;
    uint16_t units;
    std::memcpy(&units, data + pos, 2);
    pos += 2;
    if (pos + size_t{units} * 2 > bytes) return 0;
    if (entry == (id & 15)) {
      size_t n = units < static_cast<unsigned>(size - 1) ? units : static_cast<size_t>(size - 1);
      std::memcpy(out, data + pos, n * 2);
      out[n] = 0;
      StringUtil::HexChrToUniStr(out, out);
      return static_cast<int>(Text16::StrLen16(out));
    }
    pos += size_t{units} * 2;
  }
  return 0;
}

int Resource::_LoadStringEx(tagModuleInfo* module, unsigned int id, char16_t* out, int size) {
  if (!module) return 0;
  if (module->resourceInstance) {
    int n = _LoadString(module->resourceInstance, id, out, size);
    if (n) return n;
  }
  return _LoadString(module->instance, id, out, size);
}

}  // namespace Basalt::Util
