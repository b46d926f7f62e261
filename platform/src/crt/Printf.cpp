// The wide printf family over the engine in Format.cpp.
#include <cerrno>
#include <climits>

#include "crt/Format.h"
#include "win/crt.h"

using kx2::FormatWide;

namespace {

std::u16string Render(const char16_t* format, va_list args) {
  std::u16string out;
  FormatWide(out, format, args);
  return out;
}

int Length(const std::u16string& text) { return text.size() > INT_MAX ? -1 : static_cast<int>(text.size()); }

}  // namespace

int _vsnwprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args) {
  if (!format || (!buffer && count)) {
    errno = EINVAL;
    return -1;
  }
  std::u16string text = Render(format, args);
  size_t n = text.size() < count ? text.size() : count;
  wmemcpy(buffer, text.data(), n);
  if (text.size() < count) {
    buffer[n] = 0;
    return Length(text);
  }
  return text.size() == count ? Length(text) : -1;
}

int _snwprintf(char16_t* buffer, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = _vsnwprintf(buffer, count, format, args);
  va_end(args);
  return r;
}

int _vsnwprintf_s(char16_t* buffer, size_t size, size_t count, const char16_t* format, va_list args) {
  if (!format || !buffer || size == 0) {
    if (buffer && size) buffer[0] = 0;
    errno = EINVAL;
    return -1;
  }
  std::u16string text = Render(format, args);
  size_t limit = count == _TRUNCATE ? size - 1 : (count < size - 1 ? count : size - 1);
  if (count != _TRUNCATE && text.size() > limit && count >= size) {
    // The text does not fit the buffer and the caller did not ask for truncation.
    buffer[0] = 0;
    errno = ERANGE;
    return -1;
  }
  size_t n = text.size() < limit ? text.size() : limit;
  wmemcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n < text.size() ? -1 : Length(text);
}

int _snwprintf_s(char16_t* buffer, size_t size, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = _vsnwprintf_s(buffer, size, count, format, args);
  va_end(args);
  return r;
}

int vswprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args) {
  if (!format || !buffer || count == 0) {
    errno = EINVAL;
    return -1;
  }
  std::u16string text = Render(format, args);
  size_t n = text.size() < count - 1 ? text.size() : count - 1;
  wmemcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n < text.size() ? -1 : Length(text);
}

int swprintf(char16_t* buffer, size_t count, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = vswprintf(buffer, count, format, args);
  va_end(args);
  return r;
}

int vswprintf_s(char16_t* buffer, size_t size, const char16_t* format, va_list args) {
  if (!format || !buffer || size == 0) {
    errno = EINVAL;
    return -1;
  }
  std::u16string text = Render(format, args);
  if (text.size() >= size) {
    buffer[0] = 0;
    errno = ERANGE;
    return -1;
  }
  wmemcpy(buffer, text.data(), text.size() + 1);
  return Length(text);
}

int swprintf_s(char16_t* buffer, size_t size, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = vswprintf_s(buffer, size, format, args);
  va_end(args);
  return r;
}

int _vswprintf(char16_t* buffer, const char16_t* format, va_list args) {
  if (!format || !buffer) {
    errno = EINVAL;
    return -1;
  }
  std::u16string text = Render(format, args);
  wmemcpy(buffer, text.data(), text.size() + 1);
  return Length(text);
}

int swprintf(char16_t* buffer, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = _vswprintf(buffer, format, args);
  va_end(args);
  return r;
}

int _swprintf(char16_t* buffer, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = _vswprintf(buffer, format, args);
  va_end(args);
  return r;
}

int _vscwprintf(const char16_t* format, va_list args) {
  if (!format) {
    errno = EINVAL;
    return -1;
  }
  return Length(Render(format, args));
}

int _scwprintf(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  int r = _vscwprintf(format, args);
  va_end(args);
  return r;
}
