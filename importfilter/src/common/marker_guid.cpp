#include <foliant/common/marker_guid.h>

namespace foliant {
namespace {

bool IsMarker(const TqMapRecord& record) { return record.kind == 0 && record.group > 0 && record.icon > 0; }

GUID NumberGuid(LONG number) {
  GUID guid{};
  guid.Data1 = static_cast<DWORD>(number);
  return guid;
}

}  // namespace

GUID MarkerEntryGuid(const TqMapRecord& record) { return IsMarker(record) ? NumberGuid(record.icon) : GUID{}; }

GUID MarkerGroupGuid(const TqMapRecord& record) { return IsMarker(record) ? NumberGuid(record.group) : GUID{}; }

bool IsNullGuid(const GUID& guid) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&guid);
  for (size_t i = 0; i < sizeof(GUID); ++i)
    if (bytes[i]) return false;
  return true;
}

}  // namespace foliant
