// Several registry calls of one thread in one hive transaction.
#include "kx2/Registry.h"
#include "registry/KeyTable.h"

using namespace kx2::reg;

namespace {

LONG Begin(HKEY key, Hive::UpdateKind kind) {
  try {
    OpenKey where;
    LONG r = Resolve(key, &where);
    return r != ERROR_SUCCESS ? r : where.hive->BeginUpdate(kind);
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

}  // namespace

KX2_EXPORT LONG Kx2RegBeginUpdate(HKEY key) { return Begin(key, Hive::UpdateKind::Write); }

KX2_EXPORT LONG Kx2RegBeginRead(HKEY key) { return Begin(key, Hive::UpdateKind::Read); }

KX2_EXPORT LONG Kx2RegBeginDeferredUpdate(HKEY key) { return Begin(key, Hive::UpdateKind::Deferred); }

KX2_EXPORT LONG Kx2RegEndUpdate(HKEY key, BOOL commit) {
  try {
    OpenKey where;
    LONG r = Resolve(key, &where);
    return r != ERROR_SUCCESS ? r : where.hive->EndUpdate(commit != FALSE);
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}
