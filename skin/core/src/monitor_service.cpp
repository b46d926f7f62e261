#include "ornatex/core/monitor_service.h"

#include <memory>

#include <kx2/Module.h>
#include <win/module.h>
#include <win/user_system.h>

#include "ornatex/core/platform_version.h"
#include "process_objects.h"

namespace {

typedef HMONITOR (*MonitorFromWindowProc)(HWND, DWORD);
typedef HMONITOR (*MonitorFromPointProc)(POINT, DWORD);
typedef BOOL (*GetMonitorInfoProc)(HMONITOR, LPMONITORINFO);

std::unique_ptr<CKtkMultiMonitor>& MonitorSlot() {
  static auto* slot = new std::unique_ptr<CKtkMultiMonitor>;  // emptied by the library stop, never destroyed
  return *slot;
}

}  // namespace

CKtkMultiMonitor& KtkMultiMonitor() {
  auto& slot = MonitorSlot();
  if (!slot) slot = std::make_unique<CKtkMultiMonitor>();
  return *slot;
}

namespace ornatex {

void ReleaseMonitorService() { MonitorSlot().reset(); }

}  // namespace ornatex

CKtkMultiMonitor::CKtkMultiMonitor() {
  HMODULE user32 = GetModuleHandleW(u"User32.dll");
  if (!user32) return;
  getSystemMetrics_ = GetProcAddress(user32, "GetSystemMetrics");
  monitorFromWindow_ = GetProcAddress(user32, "MonitorFromWindow");
  monitorFromRect_ = GetProcAddress(user32, "MonitorFromRect");
  monitorFromPoint_ = GetProcAddress(user32, "MonitorFromPoint");
  getMonitorInfo_ = GetProcAddress(user32, KtkIsNT4OrLater() ? "GetMonitorInfoW" : "GetMonitorInfoA");
  if (!getSystemMetrics_ || !monitorFromWindow_ || !monitorFromRect_ || !monitorFromPoint_ || !getMonitorInfo_)
    getSystemMetrics_ = monitorFromWindow_ = monitorFromRect_ = monitorFromPoint_ = getMonitorInfo_ = nullptr;
}

RECT CKtkMultiMonitor::GetWorkArea(HWND window) const {
  if (monitorFromWindow_) {
    HMONITOR monitor = kx2::ProcAs<MonitorFromWindowProc>(monitorFromWindow_)(window, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && kx2::ProcAs<GetMonitorInfoProc>(getMonitorInfo_)(monitor, &info)) return info.rcWork;
  }
  RECT work{0, 0, 0, 0};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT CKtkMultiMonitor::GetMonitorArea(POINT point) const {
  if (monitorFromPoint_) {
    HMONITOR monitor = kx2::ProcAs<MonitorFromPointProc>(monitorFromPoint_)(point, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && kx2::ProcAs<GetMonitorInfoProc>(getMonitorInfo_)(monitor, &info)) return info.rcMonitor;
  }
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
