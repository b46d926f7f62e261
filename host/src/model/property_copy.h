// Deep copies of PropertyValue records, as the host keeps and hands them out.
#pragma once

#include <vantorel/host_export.h>
#include <vantorel/property_value.h>

namespace vantorel::detail {

// Makes `dst` an independent copy of `src` that owns its payload: a new system string, a
// new GUID block, a new interface reference, a new key reference from the owner. The flags
// word of the copy is 0. FALSE (and `dst` empty) when a copy cannot be made.
bool CopyPropertyValue(PropertyValue& dst, const PropertyValue& src);

// Frees what `value` owns (unless its not-owned bit is set) and empties it.
VANTOREL_API void ClearOwnedValue(PropertyValue& value);

// The 32-bit integer of types 2 to 9; 0 for any other type.
LONG PropertyInt(const PropertyValue& value);

}  // namespace vantorel::detail
