// Copies and release of the engine's property value records, as the kit's objects keep them.
#pragma once

#include <string>

#include <plastrum/PropertyValue.h>

namespace vantorel::testkit::detail {

// Makes dst an independent copy of src owning its payload (a new system string, a new
// 16-byte block, a new interface reference, a new key reference from the owner); the flags
// word of the copy is 0. False (dst empty) when a copy cannot be made.
bool CopyValue(Kx2::PropertyValue& dst, const Kx2::PropertyValue& src);
// Frees what the record owns (unless it owns nothing) and empties it.
void ClearValue(Kx2::PropertyValue& value);

std::string Hex(uint32_t value);

}  // namespace vantorel::testkit::detail
