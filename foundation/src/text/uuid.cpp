#include <basalt/uuid.h>

#include <cstring>

namespace Basalt::Util {

static_assert(sizeof(GUID) == 16, "a GUID is four 32-bit words");

int UUID::IsEqual(const GUID& a, const GUID& b) noexcept {
  uint32_t wa[4];
  uint32_t wb[4];
  std::memcpy(wa, &a, sizeof wa);
  std::memcpy(wb, &b, sizeof wb);
  return wa[0] == wb[0] && wa[1] == wb[1] && wa[2] == wb[2] && wa[3] == wb[3] ? 1 : 0;
}

UUID& UUID::operator=(const UUID&) noexcept { return *this; }

}  // namespace Basalt::Util
