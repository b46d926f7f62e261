// Monitors, over the one screen description (kx2/Screen.h).
#pragma once

#include "win/types.h"

typedef HANDLE HMONITOR;

#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002
#define MONITORINFOF_PRIMARY 0x00000001

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};
typedef MONITORINFO* LPMONITORINFO;

KX2_EXPORT HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags);
KX2_EXPORT HMONITOR MonitorFromRect(const RECT* lprc, DWORD dwFlags);
KX2_EXPORT HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags);
// Takes a MONITORINFO (cbSize set) or a larger structure that begins with one.
KX2_EXPORT BOOL GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi);
