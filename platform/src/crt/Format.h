// Private: the Microsoft-style wide printf engine behind _snwprintf, swprintf,
// wsprintfW and FormatMessageW (see win/crt.h for the conversions it understands).
#pragma once

#include <cstdarg>
#include <string>

namespace kx2 {

// Appends the formatted text to out.
void FormatWide(std::u16string& out, const char16_t* format, va_list args);

// Formats one directive (e.g. u"d", u"08x", u"s") with a single argument already fetched
// as a machine word or a double, for FormatMessageW's %1!...! inserts.
void FormatOneWide(std::u16string& out, std::u16string_view directive, uintptr_t word, double real);

}  // namespace kx2
