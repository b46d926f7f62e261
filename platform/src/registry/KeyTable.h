// Private: the hives of this process and the key handles handed out to callers.
#pragma once

#include <cstdint>
#include <memory>

#include "registry/Hive.h"
#include "win/registry.h"

namespace kx2::reg {

enum class HiveKind : int { User = 0, Machine = 1, Users = 2 };
constexpr int kHiveCount = 3;

// What a handle stands for, resolved for one call.
struct OpenKey {
  std::shared_ptr<Hive> hive;
  HiveKind kind = HiveKind::User;
  int64_t id = 0;
  REGSAM access = 0;
  bool predefined = false;
};

// Resolves a handle (a predefined root or one we handed out); opens the hive on first use.
// Fails with ERROR_INVALID_HANDLE for anything else, or with the hive's opening error.
LONG Resolve(HKEY key, OpenKey* out);
// A new handle for key `id` of a hive.
HKEY NewHandle(const OpenKey& where, int64_t id, REGSAM access);
// Forgets a handle; false when it is not one of ours.
bool CloseHandle(HKEY key);

// Access checks: predefined roots and MAXIMUM_ALLOWED handles may do everything.
inline bool MayWrite(const OpenKey& k, REGSAM right) {
  return k.predefined || (k.access & (right | MAXIMUM_ALLOWED)) != 0;
}

}  // namespace kx2::reg
