// Readable texts for the foundation library's own codes, for Win32 and HRESULT codes and
// for C-runtime errno values.
#include "error/foundation_describer.h"

#include <cstring>
#include <string>

#include <basalt/error.h>
#include <basalt/resource.h>
#include <basalt/string_util.h>
#include <basalt/text_encoding.h>
#include <win/kernel.h>

#include "common/text16.h"
#include "module/foundation_module.h"

namespace Basalt::Error::detail {
namespace {

constexpr int kDescriptionUnits = kErrorDetailUnits - 1;  // 259 units and a terminator

void Set(tagKx2ErrorDetail& out, std::u16string_view text) {
  Text16::Copy(out.description, kErrorDetailUnits, text.substr(0, std::min<size_t>(text.size(), kDescriptionUnits)));
}

std::u16string LoadText(unsigned id) {
  char16_t buf[256];
  Util::Resource::_LoadStringEx(&Base::detail::FoundationModule(), id, buf, 256);
  return buf;
}

void LoadInto(tagKx2ErrorDetail& out, unsigned id) { Set(out, LoadText(id)); }

// A resource text used as a format with the file name and the detail code.
void FormatInto(tagKx2ErrorDetail& out, unsigned id, const char16_t* name, uint32_t detail) {
  std::u16string format = LoadText(id);
  if (format.empty()) return;
  Util::StringUtil::snprintf_fmt(out.description, kErrorDetailUnits, format.c_str(), name, static_cast<int>(detail));
}

// The system's text of a code, on one line; with an insert, the insert fills "%1".
void SystemTextInto(tagKx2ErrorDetail& out, uint32_t code, const char16_t* insert) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  DWORD_PTR args[1] = {reinterpret_cast<DWORD_PTR>(insert)};
  flags |= insert ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS;
  LPWSTR buffer = nullptr;
  DWORD n = FormatMessageW(flags, nullptr, code, 0x400, reinterpret_cast<LPWSTR>(&buffer), 0,
                           insert ? reinterpret_cast<va_list*>(args) : nullptr);
  if (n > 0 && buffer) Set(out, std::u16string_view(buffer, n));
  if (buffer) LocalFree(buffer);
}

void TrimEnd(char16_t* text) {
  size_t len = Text16::StrLen16(text);
  while (len > 0 && (text[len - 1] == u' ' || text[len - 1] == u'\n' || text[len - 1] == u'\r')) text[--len] = 0;
}

int DescribeFileError(tagKx2ErrorDetail& out) {
  if (out.kind != kErrorKindText) return 0;
  uint32_t fileDetail;
  std::memcpy(&fileDetail, out.text, sizeof(fileDetail));
  char16_t name[kErrorTextUnits - 1];
  Text16::Copy(name, kErrorTextUnits - 2, Text16::View16(out.text + 2));
  switch (fileDetail) {
    case 3:
      FormatInto(out, kStringPathNotFound, name, fileDetail);
      break;
    case 4:
      FormatInto(out, kStringTooManyFiles, name, fileDetail);
      break;
    case 14:
      FormatInto(out, kStringAccessDenied, name, fileDetail);
      break;
    case 15:
      FormatInto(out, kStringSharingViolation, name, fileDetail);
      break;
    default:
      if (static_cast<int32_t>(fileDetail) < 0) SystemTextInto(out, fileDetail, name);
      if (!out.description[0]) FormatInto(out, kStringFileError, name, fileDetail);
      break;
  }
  return 1;
}

int DescribeCrtError(tagKx2ErrorDetail& out, uint32_t code) {
  const char* text = std::strerror(static_cast<int>(code & ~kErrorCrtBit));
  if (!text || !*text) return 0;
  _ExpAnsiToUnicode(nullptr, 0, text, -1, out.description, kErrorDetailUnits, nullptr);
  return out.description[0] ? 1 : 0;
}

int Describe(tagKx2ErrorDetail& out) {
  const uint32_t code = out.code;
  switch (code) {
    case 0x80070020u:
      LoadInto(out, kStringSharingViolationHr);
      return 1;
    case 0x80070022u:
      LoadInto(out, kStringWrongDisk);
      return 1;
    case 0x82000001u:
      LoadInto(out, kStringOperationFailed);
      return 1;
    default:
      break;
  }
  if (code & kErrorHresultBit) {
    SystemTextInto(out, code, nullptr);
    return out.description[0] ? 1 : 0;
  }
  if (code & kErrorCrtBit) return DescribeCrtError(out, code);
  switch (code) {
    case kErrorMessage:
      if (out.kind == kErrorKindText) {
        Set(out, Text16::View16(out.text));
        return 1;
      }
      if (out.kind == kErrorKindGeneric) {
        LoadInto(out, kStringGenericMessage);
        return 1;
      }
      return 0;
    case kErrorFile:
      return DescribeFileError(out);
    case kErrorResourceMissing:
      if (out.kind == kErrorKindText) {
        char16_t name[kErrorTextUnits];
        Text16::Copy(name, kErrorTextUnits, Text16::View16(out.text));
        Util::StringUtil::snprintf_fmt(out.description, kErrorDetailUnits,
                                       u"Resource file for module\n( %s )\nis missing or corrupt.", name);
      } else {
        Set(out, u"Resource file is missing or corrupt.");
      }
      return 1;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      LoadInto(out, kStringCode2 + (code - 2));
      return 0;
    case 12:
    case 13:
      LoadInto(out, kStringCode12 + (code - 12));
      return 0;
    case 14:
    case 15:
      // These texts are formats meant for a file name; without one they must not show
      // their placeholders.
      FormatInto(out, kStringCode12 + (code - 12), u"", code);
      TrimEnd(out.description);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

int DescribeFoundationError(tagModuleInfo*, int, int command, void* detail, int) {
  if (command != kModuleHookDescribe || !detail) return 0;
  return Describe(*static_cast<tagKx2ErrorDetail*>(detail));
}

}  // namespace Basalt::Error::detail
