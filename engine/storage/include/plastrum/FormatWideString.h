// Formatting into a caller's UTF-16 buffer with the C runtime's printf rules (%s takes a
// UTF-16 text).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <plastrum/Export.h>

// Writes at most capacity - 1 characters and a terminator. Returns the characters written,
// or -1 when the text had to be cut (the buffer then holds the cut, terminated text) or
// capacity is 0.
PLASTRUM_API int FormatWideString(char16_t* buffer, size_t capacity, const char16_t* format, ...);
PLASTRUM_API int FormatWideStringV(char16_t* buffer, size_t capacity, const char16_t* format, va_list arguments);
