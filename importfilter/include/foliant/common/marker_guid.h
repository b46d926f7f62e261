// The GUIDs under which the host's object table keeps the markers of the marker tables.
//
// The marker tables name a marker by two host resource numbers: its icon group and its
// icon. The host keeps one table entry per icon and one group per icon group, each under
// a GUID whose first 32-bit word is that resource number and whose other twelve bytes are
// zero: icon 345 (a red flag) is {00000159-0000-0000-0000-000000000000}, its group 341
// {00000155-0000-0000-0000-000000000000}. Every importer that attaches a marker of the
// tables (class 527, property 0x4000) forms the GUID here, so that the same marker is the
// same entry whichever format it came from.
#pragma once

#include <foliant/tq_resource_mapper.h>
#include <win/types.h>

namespace foliant {

// The marker entry of a marker record: {icon, 0, 0, 0}. The all-zero GUID (no entry) for a
// record that is not a marker (kind other than 0) or whose group or icon number is not
// positive, so that a caller falls back to its own stand-in marker.
GUID MarkerEntryGuid(const TqMapRecord& record);
// The group of a marker record: {group, 0, 0, 0}; all-zero under the same conditions.
GUID MarkerGroupGuid(const TqMapRecord& record);
// True for the all-zero GUID.
bool IsNullGuid(const GUID& guid);

}  // namespace foliant
