// Entry names as the archive stores them, turned into the storage's UTF-16 names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 when general-purpose flag 0x800 is set, code page 437 otherwise (what zip tools
// write without the flag); every "/" becomes "\".
std::u16string DecodeZipEntryName(std::string_view bytes, uint16_t flags);
