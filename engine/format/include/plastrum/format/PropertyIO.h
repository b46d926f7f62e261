// Leaf values of format fields exchanged with the host's property objects.
//
// Every helper fills or reads one Kx2::PropertyValue and clears it afterwards, so nothing a
// record owned outlives the call.
#pragma once

#include <cstdint>

#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

namespace Present::PropertyIO {

// Sets property id to a 32-bit integer of value type `type` (2..9). 1, or 0 when refused.
PLASTRUM_API int SetInt(IKx2PropertyObject* host, uint32_t id, uint16_t type, int32_t value);
// Sets property id to two 32-bit words as one 64-bit value of type 11 (a colour reference).
PLASTRUM_API int SetWords(IKx2PropertyObject* host, uint32_t id, uint32_t low, uint32_t high);
PLASTRUM_API int SetFloat(IKx2PropertyObject* host, uint32_t id, float value);
PLASTRUM_API int SetDouble(IKx2PropertyObject* host, uint32_t id, double value);

// Reads property id as an integer: true when the host has it; a value of a type other than
// 2..9 reads as 0.
PLASTRUM_API bool GetInt(IKx2PropertyObject* host, uint32_t id, int32_t* out);
// Reads two words of a 64-bit value (types 10 and 11; anything else reads as 0, 0).
PLASTRUM_API bool GetWords(IKx2PropertyObject* host, uint32_t id, uint32_t* low, uint32_t* high);
// Reads a float (types 12 and 13; anything else reads as 0).
PLASTRUM_API bool GetFloat(IKx2PropertyObject* host, uint32_t id, float* out);

}  // namespace Present::PropertyIO
