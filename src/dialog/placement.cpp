// Dialog placement: centred over a window that shows something, or over the work area.
#include "dialog/placement.h"

HWND own_foreground_window() {
  HWND window = GetForegroundWindow();
  if (!window) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId() ? window : nullptr;
}

void place_centred(HWND window, HWND over) {
  // A minimised console lies at -32000, a hidden one shows nothing to centre over.
  if (over && (IsIconic(over) || !IsWindowVisible(over))) over = nullptr;
  RECT target;
  HMONITOR monitor;
  if (over && GetWindowRect(over, &target)) {
    monitor = MonitorFromWindow(over, MONITOR_DEFAULTTOPRIMARY);
  } else {
    const POINT origin = {0, 0};
    monitor = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    target = {};
  }
  MONITORINFO info;
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return;
  const RECT& area = info.rcWork;
  if (!over || IsRectEmpty(&target)) target = area;
  RECT self;
  if (!GetWindowRect(window, &self)) return;
  LONG width = self.right - self.left;
  LONG height = self.bottom - self.top;
  LONG x = target.left + (target.right - target.left - width) / 2;
  LONG y = target.top + (target.bottom - target.top - height) / 2;
  // Wholly on the work area; a dialog larger than the area keeps its top-left corner on it.
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
