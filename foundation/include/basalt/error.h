// The per-thread error record: every module reports a failure as a failure result plus a
// code (and optionally a text) in the calling thread's record, and queues warnings beside it.
#pragma once

#include <basalt/export.h>

namespace Basalt::Error {

// Width of the message text of a record, in UTF-16 units.
constexpr int kErrorTextUnits = 512;
// Width of each text of a detail record, in UTF-16 units.
constexpr int kErrorDetailUnits = 260;

// The current error of a thread (or one queued warning), without the warning queue.
struct tagKx2ErrorBuf {
  uint32_t code;
  int32_t kind;
  char16_t text[kErrorTextUnits];
};

// A code with its record and the readable texts its owning module wrote for it.
struct tagKx2ErrorDetail {
  uint32_t code;
  int32_t kind;
  char16_t text[kErrorTextUnits];
  char16_t description[kErrorDetailUnits];
  char16_t extra1[kErrorDetailUnits];
  char16_t extra2[kErrorDetailUnits];
};

// Kinds of a record: what `text` holds.
enum : int32_t {
  kErrorKindCode = 0,     // the code alone
  kErrorKindText = 1,     // a message, or for code 10 a detail code and a file name
  kErrorKindGeneric = 2,  // with code 1: the library's generic message
};

// Codes of the foundation library (module 0, sub-module 0).
enum : uint32_t {
  kErrorMessage = 1,
  kErrorOutOfMemory = 2,
  kErrorResourceMissing = 9,
  kErrorFile = 10,
  kErrorEndOfData = 11,
  kErrorXmlParse = 16,
};

// Marks of codes that are not split into module, sub-module and number.
constexpr uint32_t kErrorCrtBit = 0x40000000u;
constexpr uint32_t kErrorHresultBit = 0x80000000u;

class BASALT_API BaseError {
 public:
  static uint32_t _GetError();
  static void _SetError(uint32_t code);
  static void _SetErrorEx(uint32_t code, uint32_t kind, const unsigned char* data, unsigned int size);
  static void _ClearError();
  static void _SetErrorMesg(const char16_t* text);
  static void _SetErrorMesgID(HINSTANCE module, unsigned int id);
  static void _SetFileError(uint32_t detail, const char16_t* fileName);
  static void _SetCrtError();
  static void _SetWinError();
  static void _StoreError(tagKx2ErrorBuf* buf);
  static void _RestoreError(tagKx2ErrorBuf* buf);
  static int _GetErrorDetail(tagKx2ErrorDetail* out);

  static int _SetWarning(uint32_t code);
  static int _SetWarningEx(uint32_t code, uint32_t kind, const unsigned char* data, unsigned int size);
  static void _SetWarningMesg(const char16_t* text);
  static void _SetWarningMesgID(HINSTANCE module, unsigned int id);
  static uint32_t _GetWarning(int remove);
  static int _GetWarningDetail(tagKx2ErrorDetail* out, int remove);
  static void _ClearWarning();
};

}  // namespace Basalt::Error
