// Folder browser: SHBrowseForFolderW with a preselected start folder.
#include "dialog/browser.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>
#include <wchar.h>

#include "dialog/guard.h"
#include "strings/workspace.h"

int com_initialized;
BrowsePlacement browse_placement;

namespace {
using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using PathFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);

constexpr int kPathRoom = MAX_PATH;
constexpr int kInitialFolderMax = MAX_PATH - 1;
constexpr UINT kDialogFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;  // 0x50, BIF_USENEWUI
constexpr DWORD kSettlePauseMs = 200;
constexpr int kDriveRootLength = 3;

template <typename Fn>
Fn entry_point(HMODULE module, const char* name) {
  // Through void*: GetProcAddress's FARPROC has no relation to the real signature.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void empty_result(int start) {
  wchar_t* p = ws_reserve(kPathRoom, start);
  p[0] = 0;
  ws_release(kPathRoom);
}
}  // namespace

HWND own_foreground_window() {
  HWND window = GetForegroundWindow();
  if (!window) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId() ? window : nullptr;
}

void place_centred(HWND window, HWND over) {
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

int CALLBACK browse_callback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED || !data) return 0;
  SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  if (browse_placement.center) place_centred(window, browse_placement.over);
  // The tree may still be filling; the queued second request lands once it has settled and
  // before any input the user gives.
  Sleep(kSettlePauseMs);
  PostMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

void browse_for_folder(const wchar_t* title, const wchar_t* initial_folder, int start) {
  if (!com_initialized) {
    com_initialized = 1;
    CoInitialize(nullptr);
  }
  BROWSEINFOW info;
  memset(&info, 0, sizeof(info));
  HMODULE shell = LoadLibraryW(L"SHELL32.DLL");
  if (!shell) return empty_result(start);
  auto browse = entry_point<BrowseFn>(shell, "SHBrowseForFolderW");
  auto path_of = entry_point<PathFn>(shell, "SHGetPathFromIDListW");
  if (!browse || !path_of) {
    FreeLibrary(shell);
    return empty_result(start);
  }

  // Read by the callback's posted request too, so it lives until the dialog has returned.
  wchar_t initial_copy[kPathRoom];
  wcsncpy(initial_copy, initial_folder ? initial_folder : L"", kInitialFolderMax);
  initial_copy[kInitialFolderMax] = 0;
  size_t n = wcslen(initial_copy);
  if (n > kDriveRootLength && initial_copy[n - 1] == L'\\') initial_copy[n - 1] = 0;

  info.lpszTitle = title;
  info.hwndOwner = own_foreground_window();
  info.ulFlags = kDialogFlags;
  info.lpfn = browse_callback;
  info.lParam = reinterpret_cast<LPARAM>(initial_copy);

  guard_windows(1);
  PIDLIST_ABSOLUTE item = browse(&info);
  guard_windows(0);

  int m = 0;
  if (item) {
    wchar_t* p = ws_reserve(kPathRoom, start);
    p[0] = 0;
    path_of(item, p);
    CoTaskMemFree(item);
    m = static_cast<int>(wcslen(p));
    if (m > 0 && p[m - 1] != L'\\') {
      p[m++] = L'\\';
      p[m] = 0;
    }
  }
  FreeLibrary(shell);
  if (m > 0) {
    ws_release(kPathRoom - m);
    return;
  }
  empty_result(start);
}
