#include <foliant/host_binding.h>

#include <mutex>

#include <vantorel/exports.h>
#include <win/module.h>
#include <kx2/Module.h>

namespace {

struct HostExports {
  VtlGetApplicationFunc getApplication = nullptr;
  VtlCreateObjectFunc createObject = nullptr;
};

const HostExports& Host() {
  static HostExports exports;
  static std::once_flag once;
  std::call_once(once, [] {
    // The host is the process that loaded the plug-in; its module stays loaded for as
    // long as the plug-in can be called, so the reference taken here is never given back.
    HMODULE host = LoadLibraryW(u"VantorelApp.dll");
    if (!host) return;
    exports.getApplication =
        kx2::ProcAs<VtlGetApplicationFunc>(GetProcAddress(host, MAKEINTRESOURCEA(kVtlOrdinalGetApplication)));
    exports.createObject =
        kx2::ProcAs<VtlCreateObjectFunc>(GetProcAddress(host, MAKEINTRESOURCEA(kVtlOrdinalCreateObject)));
  });
  return exports;
}

}  // namespace

IVtlApplication* FoliantHostApplication() {
  const HostExports& h = Host();
  return h.getApplication ? h.getApplication() : nullptr;
}

IVtlObject* FoliantCreateObject(LONG classId) {
  const HostExports& h = Host();
  return h.createObject ? h.createObject(classId) : nullptr;
}
