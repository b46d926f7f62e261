// Monitor areas through the multi-monitor functions of USER32, bound at run time: when
// any of them is missing, the system's single-screen values stand in.
#pragma once

#include <win/types.h>
#include <win/user_monitor.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkMultiMonitor {
 public:
  // Looks "GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect", "MonitorFromPoint"
  // and "GetMonitorInfoW" (on NT 4 and later, else "GetMonitorInfoA") up; one missing
  // clears them all.
  CKtkMultiMonitor();

  // The work area of the window's monitor, else the system work area (SPI_GETWORKAREA).
  RECT GetWorkArea(HWND window) const;
  // The rectangle of the point's monitor, else 0,0 to the screen size.
  RECT GetMonitorArea(POINT point) const;
  bool HasMonitorFunctions() const { return monitorFromWindow_ != nullptr; }

 private:
  FARPROC getSystemMetrics_ = nullptr;
  FARPROC monitorFromWindow_ = nullptr;
  FARPROC monitorFromRect_ = nullptr;
  FARPROC monitorFromPoint_ = nullptr;
  FARPROC getMonitorInfo_ = nullptr;
};

// The single instance, made on first use.
ORNATEX_API CKtkMultiMonitor& KtkMultiMonitor();
