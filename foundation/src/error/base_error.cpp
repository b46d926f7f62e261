// Setting, reading, saving and queueing the calling thread's error record.
#include <cerrno>
#include <cstring>
#include <new>

#include <basalt/resource.h>
#include <win/kernel.h>

#include "common/text16.h"
#include "error/thread_record.h"

namespace Basalt::Error {
namespace {

using detail::CurrentRecord;
using detail::kWarningSlots;
using detail::ThreadErrorRecord;

constexpr unsigned kTextBytes = sizeof(tagKx2ErrorBuf::text);
static_assert(kTextBytes == 1024, "a record's text holds 512 UTF-16 units");

// Copies raw data over the start of a record's text, never past it.
void CopyData(tagKx2ErrorBuf& buf, const unsigned char* data, unsigned int size) {
  if (!data || size == 0) return;
  std::memcpy(buf.text, data, size < kTextBytes ? size : kTextBytes);
}

void SetMessage(tagKx2ErrorBuf& buf, const char16_t* text) {
  buf.code = kErrorMessage;
  buf.kind = kErrorKindText;
  Text16::Copy(buf.text, kErrorTextUnits, Text16::View16(text));
}

void SetFileData(tagKx2ErrorBuf& buf, uint32_t detail, const char16_t* fileName) {
  buf.code = kErrorFile;
  buf.kind = kErrorKindText;
  std::memset(buf.text, 0, sizeof(buf.text));
  std::memcpy(buf.text, &detail, sizeof(detail));
  // 510 units follow the detail code; the last one always stays a terminator.
  Text16::Copy(buf.text + 2, kErrorTextUnits - 2, Text16::View16(fileName));
}

// Queues a warning built by fill. The thread's current error is the same afterwards,
// whatever the allocation did to it.
template <typename Fill>
int QueueWarning(Fill fill) {
  ThreadErrorRecord* record = CurrentRecord();
  if (!record) return 0;
  tagKx2ErrorBuf saved = record->current;
  auto* entry = new (std::nothrow) tagKx2ErrorBuf{};
  record->current = saved;
  if (!entry) return 0;
  fill(*entry);
  int& head = record->warningHead;
  int& tail = record->warningTail;
  if ((tail + 1) % kWarningSlots == head && tail != head) {
    delete record->warnings[head];
    record->warnings[head] = nullptr;
    head = (head + 1) % kWarningSlots;
  }
  record->warnings[tail] = entry;
  tail = (tail + 1) % kWarningSlots;
  return 1;
}

}  // namespace

uint32_t BaseError::_GetError() {
  ThreadErrorRecord* record = CurrentRecord();
  return record ? record->current.code : 0;
}

void BaseError::_SetError(uint32_t code) {
  if (ThreadErrorRecord* record = CurrentRecord()) {
    record->current.code = code;
    record->current.kind = kErrorKindCode;
  }
}

void BaseError::_SetErrorEx(uint32_t code, uint32_t kind, const unsigned char* data, unsigned int size) {
  if (ThreadErrorRecord* record = CurrentRecord()) {
    record->current.kind = static_cast<int32_t>(kind);
    record->current.code = code;
    CopyData(record->current, data, size);
  }
}

void BaseError::_ClearError() {
  if (ThreadErrorRecord* record = CurrentRecord()) {
    record->current.code = 0;
    record->current.kind = kErrorKindCode;
  }
}

void BaseError::_SetErrorMesg(const char16_t* text) {
  if (ThreadErrorRecord* record = CurrentRecord()) SetMessage(record->current, text);
}

void BaseError::_SetErrorMesgID(HINSTANCE module, unsigned int id) {
  char16_t text[1024];
  Util::Resource::_LoadString(module, id, text, 1024);
  _SetErrorMesg(text);
}

void BaseError::_SetFileError(uint32_t detail, const char16_t* fileName) {
  if (ThreadErrorRecord* record = CurrentRecord()) SetFileData(record->current, detail, fileName);
}

void BaseError::_SetCrtError() {
  int e = errno;  // before anything else can touch it
  if (e == 0) return;
  if (ThreadErrorRecord* record = CurrentRecord()) {
    record->current.code = static_cast<uint32_t>(e) | kErrorCrtBit;
    record->current.kind = kErrorKindCode;
  }
}

void BaseError::_SetWinError() {
  DWORD e = GetLastError();  // before the slot lookup, which resets it
  if (e == 0) return;
  if (ThreadErrorRecord* record = CurrentRecord()) {
    record->current.code = static_cast<int32_t>(e) > 0 ? (0x80070000u | (e & 0xFFFFu)) : e;
    record->current.kind = kErrorKindCode;
  }
}

void BaseError::_StoreError(tagKx2ErrorBuf* buf) {
  ThreadErrorRecord* record = CurrentRecord();
  if (record && buf) *buf = record->current;
}

void BaseError::_RestoreError(tagKx2ErrorBuf* buf) {
  ThreadErrorRecord* record = CurrentRecord();
  if (record && buf) record->current = *buf;
}

int BaseError::_SetWarning(uint32_t code) {
  return QueueWarning([&](tagKx2ErrorBuf& e) {
    e.code = code;
    e.kind = kErrorKindCode;
  });
}

int BaseError::_SetWarningEx(uint32_t code, uint32_t kind, const unsigned char* data, unsigned int size) {
  return QueueWarning([&](tagKx2ErrorBuf& e) {
    e.code = code;
    e.kind = static_cast<int32_t>(kind);
    CopyData(e, data, size);
  });
}

void BaseError::_SetWarningMesg(const char16_t* text) {
  QueueWarning([&](tagKx2ErrorBuf& e) { SetMessage(e, text); });
}

void BaseError::_SetWarningMesgID(HINSTANCE module, unsigned int id) {
  char16_t text[1024];
  Util::Resource::_LoadString(module, id, text, 1024);
  _SetWarningMesg(text);
}

uint32_t BaseError::_GetWarning(int remove) {
  ThreadErrorRecord* record = CurrentRecord();
  if (!record || record->warningHead == record->warningTail) return 0;
  tagKx2ErrorBuf*& oldest = record->warnings[record->warningHead];
  uint32_t code = oldest ? oldest->code : 0;
  if (remove) {
    delete oldest;
    oldest = nullptr;
    record->warningHead = (record->warningHead + 1) % kWarningSlots;
  }
  return code;
}

void BaseError::_ClearWarning() {
  if (ThreadErrorRecord* record = CurrentRecord()) detail::ClearWarnings(*record);
}

}  // namespace Basalt::Error
