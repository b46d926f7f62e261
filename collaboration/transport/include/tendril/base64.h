// Base64 as packets travel in chat messages: the standard alphabet with "=" padding and no
// line breaks, decoded strictly (no white space, padding only at the very end, unused bits
// zero), so that a text has exactly one meaning.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <tendril/export.h>

namespace TDRL {

inline constexpr size_t Base64EncodedLength(size_t size) { return 4 * ((size + 2) / 3); }

// Writes Base64EncodedLength(size) characters (no terminator).
TENDRIL_API void Base64Encode(const unsigned char* data, size_t size, char* out);
TENDRIL_API std::string Base64Encode(const void* data, size_t size);

// The number of bytes text decodes to, or false when its length or padding is not that of a
// whole Base64 text (the alphabet is checked by Base64Decode).
TENDRIL_API bool Base64DecodedLength(std::string_view text, size_t& size);
// Decodes text into out, which holds Base64DecodedLength bytes. padded says whether the
// text may end in padding (the last piece of a longer text); a piece in the middle has none.
TENDRIL_API bool Base64Decode(std::string_view text, unsigned char* out, bool padded = true);

}  // namespace TDRL
