// How the settings store writes typed values as text and reads them back.
#pragma once

#include <cstdint>
#include <string>

namespace Basalt::Registry {

// Decimal text of a signed or unsigned 64-bit number.
std::u16string SignedText(int64_t v);
std::u16string UnsignedText(uint64_t v);

// The leading decimal number of a text after white space, with an optional sign, as the
// 64-bit pattern it stands for: "-1" and "18446744073709551615" both give all bits set.
// Larger magnitudes saturate; a text without digits gives 0.
uint64_t ParseNumber(const char16_t* text);

// Base64 of bytes (a line feed after every 72 characters); empty for no bytes. False when
// memory fails.
bool EncodeBinary(const unsigned char* bytes, unsigned size, std::u16string& out);
// Decoded bytes of Base64 text into a malloc'd buffer (null for none); the byte count.
unsigned DecodeBinary(const char16_t* text, unsigned char** out);

}  // namespace Basalt::Registry
