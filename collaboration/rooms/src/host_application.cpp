// The host application, bound by its export ordinal as the host's other modules bind it.
#include <mutex>

#include <vantorel/exports.h>
#include <win/module.h>

#include "tendril_object.h"

namespace TDRL {
namespace {

VtlGetApplicationFunc HostApplicationExport() {
  static VtlGetApplicationFunc getApplication = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    // The host loaded this library and outlives it: the reference is never given back.
    HMODULE host = LoadLibraryW(u"VantorelApp.dll");
    if (host) {
      getApplication = reinterpret_cast<VtlGetApplicationFunc>(
          reinterpret_cast<void*>(GetProcAddress(host, MAKEINTRESOURCEA(kVtlOrdinalGetApplication))));
    }
  });
  return getApplication;
}

}  // namespace

IVtlApplication* HostApplication() {
  VtlGetApplicationFunc get = HostApplicationExport();
  return get ? get() : nullptr;
}

int HostRoomsTakeNotices() {
  IVtlApplication* app = HostApplication();
  return app ? app->RoomsTakeNotices() : 0;
}

}  // namespace TDRL
