// Describing a code through the hook of the module that owns it.
#include <cstring>

#include <basalt/module.h>

#include "error/thread_record.h"

namespace Basalt::Error {
namespace {

// Fills out from buf and asks the owning module's hook. The result is the hook's verdict
// inverted (1 when the hook returned 0), the value outside callers have always received.
int Describe(const tagKx2ErrorBuf& buf, tagKx2ErrorDetail* out) {
  if (buf.code == 0 || !out) return 0;
  out->code = buf.code;
  out->kind = buf.kind;
  std::memcpy(out->text, buf.text, sizeof(out->text));
  out->description[0] = 0;
  out->extra1[0] = 0;
  out->extra2[0] = 0;

  int moduleId = 0;
  int subModuleId = 0;
  if ((buf.code & (kErrorCrtBit | kErrorHresultBit)) == 0) {
    moduleId = static_cast<int>((buf.code >> 19) & 0x1FF);
    subModuleId = static_cast<int>((buf.code >> 10) & 0x1FF);
  }
  tagModuleInfo* module = Base::Module::_GetModuleDef(moduleId);
  if (!module) return 0;
  Kx2ModuleHookFunc hook = Base::Module::_GetSubModuleFunc(module, subModuleId);
  if (!hook) return 0;
  return hook(module, subModuleId, kModuleHookDescribe, out, 0) == 0 ? 1 : 0;
}

}  // namespace

int BaseError::_GetErrorDetail(tagKx2ErrorDetail* out) {
  detail::ThreadErrorRecord* record = detail::CurrentRecord();
  if (!record) return 0;
  // The hook may itself set errors; describe a copy taken before the call.
  tagKx2ErrorBuf current = record->current;
  return Describe(current, out);
}

int BaseError::_GetWarningDetail(tagKx2ErrorDetail* out, int remove) {
  detail::ThreadErrorRecord* record = detail::CurrentRecord();
  if (!record || record->warningHead == record->warningTail) return 0;
  const tagKx2ErrorBuf* oldest = record->warnings[record->warningHead];
  if (!oldest) return 0;
  tagKx2ErrorBuf warning = *oldest;
  int result = Describe(warning, out);
  if (remove) _GetWarning(1);
  return result;
}

}  // namespace Basalt::Error
