// FormatMessageW over a small table of the system's messages.
#include <cstring>
#include <string>
#include <vector>

#include "crt/Format.h"
#include "kx2/Utf.h"
#include "win/kernel.h"

namespace {

struct SystemMessage {
  DWORD id;
  const char16_t* text;
};

// The system's wording; each ends with a line break as the system's table does.
const SystemMessage kMessages[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {12, u"The access code is invalid.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {15, u"The system cannot find the drive specified.\r\n"},
    {17, u"The system cannot move the file to a different disk drive.\r\n"},
    {18, u"There are no more files.\r\n"},
    {19, u"The media is write protected.\r\n"},
    {21, u"The device is not ready.\r\n"},
    {31, u"A device attached to the system is not functioning.\r\n"},
    {32, u"The process cannot access the file because it is being used by another process.\r\n"},
    {33, u"The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, u"Reached the end of the file.\r\n"},
    {39, u"The disk is full.\r\n"},
    {50, u"The request is not supported.\r\n"},
    {53, u"The network path was not found.\r\n"},
    {80, u"The file exists.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {109, u"The pipe has been ended.\r\n"},
    {111, u"The file name is too long.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {120, u"This function is not supported on this system.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, u"The specified module could not be found.\r\n"},
    {127, u"The specified procedure could not be found.\r\n"},
    {131, u"An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {145, u"The directory is not empty.\r\n"},
    {158, u"The segment is already unlocked.\r\n"},
    {161, u"The specified path is invalid.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {193, u"%1 is not a valid Win32 application.\r\n"},
    {203, u"The system could not find the environment option that was entered.\r\n"},
    {206, u"The filename or extension is too long.\r\n"},
    {234, u"More data is available.\r\n"},
    {259, u"No more data is available.\r\n"},
    {267, u"The directory name is invalid.\r\n"},
    {288, u"Attempt to release mutex not owned by caller.\r\n"},
    {298, u"Too many posts were made to a semaphore.\r\n"},
    {317, u"The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {487, u"Attempt to access invalid address.\r\n"},
    {534, u"Arithmetic result exceeded 32 bits.\r\n"},
    {998, u"Invalid access to memory location.\r\n"},
    {1004, u"Invalid flags.\r\n"},
    {1113, u"No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1168, u"Element not found.\r\n"},
    {1223, u"The operation was canceled by the user.\r\n"},
    {1460, u"This operation returned because the timeout period expired.\r\n"},
    {1812, u"The specified image file did not contain a resource section.\r\n"},
    {1813, u"The specified resource type cannot be found in the image file.\r\n"},
    {1814, u"The specified resource name cannot be found in the image file.\r\n"},
    {0x80004001, u"Not implemented\r\n"},
    {0x80004002, u"No such interface supported\r\n"},
    {0x80004003, u"Invalid pointer\r\n"},
    {0x80004004, u"Operation aborted\r\n"},
    {0x80004005, u"Unspecified error\r\n"},
    {0x8000FFFF, u"Catastrophic failure\r\n"},
};

const char16_t* Lookup(DWORD id) {
  // An HRESULT of the Win32 facility has the Win32 code's text.
  if ((id & 0xFFFF0000) == 0x80070000) id &= 0xFFFF;
  for (const SystemMessage& m : kMessages)
    if (m.id == id) return m.text;
  return nullptr;
}

// Expands inserts: %1..%99 with an optional !format!, %0, %n, %%, %. and %space.
bool Expand(std::u16string_view text, DWORD flags, va_list* args, std::u16string& out) {
  bool ignoreInserts = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  bool arrayArgs = (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0;
  DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
  auto* array = reinterpret_cast<const DWORD_PTR*>(args);
  // va_list arguments can only be read in order; each insert number is read once.
  std::vector<DWORD_PTR> fetched;
  va_list copy;
  if (args && !arrayArgs) va_copy(copy, *args);
  auto argument = [&](size_t index) -> DWORD_PTR {
    if (arrayArgs) return array ? array[index - 1] : 0;
    if (!args) return 0;
    while (fetched.size() < index) fetched.push_back(va_arg(copy, DWORD_PTR));
    return fetched[index - 1];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK && (c == u'\r' || c == u'\n')) {
      // The text's own line breaks become blanks; %n breaks stay.
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out.push_back(u' ');
      continue;
    }
    if (c != u'%' || i + 1 >= text.size()) {
      out.push_back(c);
      continue;
    }
    char16_t next = text[i + 1];
    if (next >= u'1' && next <= u'9') {
      size_t j = i + 1, index = 0;
      while (j < text.size() && text[j] >= u'0' && text[j] <= u'9' && index < 10)
        index = index * 10 + (text[j++] - u'0');
      std::u16string directive = u"s";
      if (j < text.size() && text[j] == u'!') {
        size_t close = text.find(u'!', j + 1);
        if (close == std::u16string_view::npos) return false;
        directive = text.substr(j + 1, close - j - 1);
        j = close + 1;
      }
      if (ignoreInserts) {
        out.append(text.substr(i, j - i));
      } else {
        if (!arrayArgs && !args) return false;
        kx2::FormatOneWide(out, directive, argument(index), 0.0);
      }
      i = j - 1;
      continue;
    }
    ++i;
    switch (next) {
      case u'0':
        goto done;
      case u'n':
        out += u"\r\n";
        break;
      case u'r':
        out.push_back(u'\r');
        break;
      case u't':
        out.push_back(u'\t');
        break;
      default:
        out.push_back(next);
        break;  // %% %. %space %! and anything else: the character
    }
  }
done:
  if (args && !arrayArgs) va_end(copy);
  return true;
}

}  // namespace

KX2_EXPORT DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD, LPWSTR lpBuffer, DWORD nSize,
                                va_list* Arguments) {
  const char16_t* text = nullptr;
  if (dwFlags & FORMAT_MESSAGE_FROM_STRING) {
    text = static_cast<const char16_t*>(lpSource);
  } else if (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) {
    text = Lookup(dwMessageId);
    if (!text) {
      SetLastError(ERROR_MR_MID_NOT_FOUND);
      return 0;
    }
  } else {
    // Message tables of modules are not offered.
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
  }
  if (!text || !lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string out;
  if (!Expand(kx2::View16(text), dwFlags, Arguments, out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    size_t units = out.size() + 1 > nSize ? out.size() + 1 : nSize;
    auto* block = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, units * sizeof(WCHAR)));
    if (!block) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(block, out.c_str(), (out.size() + 1) * sizeof(WCHAR));
    *reinterpret_cast<LPWSTR*>(lpBuffer) = block;
    return static_cast<DWORD>(out.size());
  }
  if (out.size() + 1 > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpBuffer, out.c_str(), (out.size() + 1) * sizeof(WCHAR));
  return static_cast<DWORD>(out.size());
}
