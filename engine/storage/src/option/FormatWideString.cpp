#include <plastrum/FormatWideString.h>

#include <win/crt.h>

int FormatWideStringV(char16_t* buffer, size_t capacity, const char16_t* format, va_list arguments) {
  if (!buffer || capacity == 0) return -1;
  if (!format) {
    buffer[0] = 0;
    return 0;
  }
  const int written = _vsnwprintf(buffer, capacity, format, arguments);
  if (written < 0 || static_cast<size_t>(written) >= capacity) {
    buffer[capacity - 1] = 0;
    return -1;
  }
  buffer[written] = 0;
  return written;
}

int FormatWideString(char16_t* buffer, size_t capacity, const char16_t* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const int written = FormatWideStringV(buffer, capacity, format, arguments);
  va_end(arguments);
  return written;
}
