// Folder browser: the tree dialog (SHBrowseForFolderW) or, for /modern, the file dialog in
// pick-folders mode, preselected on a start folder of any length; the result read whole.
#include "dialog/browser.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>
#include <wchar.h>

#include "dialog/guard.h"
#include "dialog/shell_items.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/workspace.h"

int com_initialized;
int browse_modern_dialog;
BrowsePlacement browse_placement;
UINT browse_timeout_ms;

namespace {
constexpr int kPathRoom = MAX_PATH;
constexpr UINT kDialogFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;  // BIF_USENEWUI, checked
constexpr DWORD kSettlePauseMs = 200;
constexpr FILEOPENDIALOGOPTIONS kPickFolders = FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;

// What the tree dialog is asked to select: a path text, or the item ID list of a long folder.
struct Preselection {
  BOOL is_path;
  LPARAM target;
};

// The dialog on screen, once known: for the time limit's close request, centring and Ctrl+C.
volatile HWND shown_window;
IFileDialog* shown_file_dialog;
bool timed_out;
UINT_PTR limit_timer;
HANDLE last_resort;
constexpr DWORD kGraceMs = 500;

// A cancel, as the user's would be; safe from any thread (Ctrl+C comes on the console's own).
void cancel_shown_dialog() {
  if (HWND window = shown_window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

// Closes the dialog as a cancel would; the outcome then tells the two apart. The file dialog
// closes without its window being known.
void CALLBACK time_is_up(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  timed_out = true;
  if (shown_file_dialog) {
    shown_file_dialog->Close(HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  } else {
    cancel_shown_dialog();
  }
}

// A box over the dialog (an error during navigation, say) runs its own message loop and keeps the
// dialog from closing; a shell call stuck on a server runs none. Either way nobody answers.
void CALLBACK end_unanswered(void*, BOOLEAN) { TerminateProcess(GetCurrentProcess(), kExitUnanswered); }

// A thread timer: every modal loop on the thread dispatches it, whichever window is active.
void dialog_starting() {
  if (!browse_timeout_ms) return;
  limit_timer = SetTimer(nullptr, 0, browse_timeout_ms, time_is_up);
  CreateTimerQueueTimer(&last_resort, nullptr, end_unanswered, nullptr, browse_timeout_ms + kGraceMs, 0,
                        WT_EXECUTEONLYONCE);
}

// Waits for a last-resort end already under way, so that no line is ever written after it began.
void dialog_ended() {
  if (limit_timer) KillTimer(nullptr, limit_timer);
  if (last_resort) DeleteTimerQueueTimer(nullptr, last_resort, INVALID_HANDLE_VALUE);
  limit_timer = 0;
  last_resort = nullptr;
  shown_window = nullptr;
}

// Once a dialog's window is known: centred when asked, and cancelled if Ctrl+C came first.
void dialog_shown(HWND window) {
  if (shown_window == window) return;
  shown_window = window;
  if (browse_placement.center) place_centred(window, browse_placement.over);
  if (console_interrupted) cancel_shown_dialog();
}

// The file dialog's own window, from its events: the first window activated on the thread may be
// another (a box shown during the first navigation).
struct ShownEvents final : IFileDialogEvents {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IFileDialogEvents ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override { return note(dialog); }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog* dialog) override { return note(dialog); }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog* dialog) override { return note(dialog); }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    return E_NOTIMPL;
  }
  static HRESULT note(IFileDialog* dialog) {
    IOleWindow* ole = nullptr;
    HWND window = nullptr;
    if (SUCCEEDED(dialog->QueryInterface(IID_PPV_ARGS(&ole)))) {
      if (SUCCEEDED(ole->GetWindow(&window)) && window) dialog_shown(window);
      ole->Release();
    }
    return S_OK;
  }
};

// The file dialog in pick-folders mode; a failure other than the user's cancel leaves the tree
// dialog to be shown instead.
HRESULT browse_modern(const wchar_t* title, IShellItem* start_item, IShellItem** chosen) {
  IFileOpenDialog* dialog = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog));
  if (FAILED(hr)) return hr;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | kPickFolders);
  if (title) dialog->SetTitle(title);
  if (start_item) dialog->SetFolder(start_item);
  ShownEvents events;
  DWORD cookie = 0;
  bool advised = SUCCEEDED(dialog->Advise(&events, &cookie));
  shown_file_dialog = dialog;
  guard_windows(1);
  dialog_starting();
  hr = dialog->Show(own_foreground_window());
  dialog_ended();
  guard_windows(0);
  shown_file_dialog = nullptr;
  if (advised) dialog->Unadvise(cookie);
  if (SUCCEEDED(hr)) hr = dialog->GetResult(chosen);
  dialog->Release();
  return hr;
}

IShellItem* browse_classic(const wchar_t* title, Preselection* preselection) {
  BROWSEINFOW info;
  memset(&info, 0, sizeof(info));
  info.lpszTitle = title;
  info.hwndOwner = own_foreground_window();
  info.ulFlags = kDialogFlags;
  info.lpfn = browse_callback;
  info.lParam = reinterpret_cast<LPARAM>(preselection);
  guard_windows(1);
  dialog_starting();
  PIDLIST_ABSOLUTE list = shell.browse(&info);
  dialog_ended();
  guard_windows(0);
  IShellItem* chosen = nullptr;
  if (list && FAILED(shell.item_of_list(list, IID_PPV_ARGS(&chosen)))) chosen = nullptr;
  CoTaskMemFree(list);
  return chosen;
}
}  // namespace

bool desktop_visible() {
  USEROBJECTFLAGS flags = {};
  // Where the flags cannot be read, the dialog is tried as before.
  if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags), nullptr)) return true;
  return flags.dwFlags & WSF_VISIBLE;
}

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

int CALLBACK browse_callback(HWND window, UINT message, LPARAM, LPARAM data) {
  // A typed name that is no folder keeps the dialog up: without this the tree's selection would
  // come back instead, a folder the user did not choose.
  if (message == BFFM_VALIDATEFAILEDW) return 1;
  if (message != BFFM_INITIALIZED || !data) return 0;
  auto* preselection = reinterpret_cast<Preselection*>(data);
  SendMessageW(window, BFFM_SETSELECTIONW, preselection->is_path, preselection->target);
  dialog_shown(window);
  // The tree may still be filling; the queued second request lands once it has settled and
  // before any input the user gives.
  Sleep(kSettlePauseMs);
  PostMessageW(window, BFFM_SETSELECTIONW, preselection->is_path, preselection->target);
  return 0;
}

int browse_for_folder(const wchar_t* title, const wchar_t* initial_folder, int start) {
  if (!com_initialized) {
    com_initialized = 1;
    CoInitialize(nullptr);
  }
  ws_reserve(0, start)[0] = 0;
  interrupt_hook = cancel_shown_dialog;
  HMODULE module = shell_load();
  if (!module) return BROWSE_CANCELLED;

  // Read by the callback's posted request too, so it lives until the dialog has returned. A
  // longer folder (its length counted without the trailing backslash) goes as an item ID list.
  int length = static_cast<int>(wcslen(initial_folder ? initial_folder : L""));
  if (length > kDriveRootLength && initial_folder[length - 1] == L'\\') --length;
  auto* copy = static_cast<wchar_t*>(heap_alloc(main_heap, sizeof(wchar_t) * (length + kPathRoom), HEAP_ZERO_MEMORY));
  if (length) memcpy(copy, initial_folder, sizeof(wchar_t) * length);
  // A start folder that is gone (a script's last folder, say) opens on what is left of its path.
  length = nearest_existing_folder(copy, length);
  copy[length] = 0;
  Preselection preselection = {TRUE, reinterpret_cast<LPARAM>(copy)};
  IShellItem* start_item = nullptr;
  if (length > kWholePathMax) {
    start_item = item_of_long_folder(copy, length);
    copy[0] = 0;  // never a path text cut short: it could name another real folder
    PIDLIST_ABSOLUTE list = nullptr;
    if (start_item && SUCCEEDED(shell.list_of_item(start_item, &list))) preselection = {FALSE, reinterpret_cast<LPARAM>(list)};
  } else if (browse_modern_dialog && FAILED(shell.item_of_path(copy, nullptr, IID_PPV_ARGS(&start_item)))) {
    start_item = nullptr;
  }

  IShellItem* chosen = nullptr;
  HRESULT hr = browse_modern_dialog ? browse_modern(title, start_item, &chosen) : E_FAIL;
  if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_CANCELLED) && !timed_out) chosen = browse_classic(title, &preselection);
  int outcome = timed_out ? BROWSE_TIMED_OUT : BROWSE_CANCELLED;
  // Ctrl+C wins over a choice made in the same moment: the script is told of a cancel.
  if (chosen && console_interrupted) chosen->Release(), chosen = nullptr;
  if (chosen) {
    int read = append_item_path(chosen);
    outcome = read > 0 ? BROWSE_CHOSEN : read < 0 ? BROWSE_UNREADABLE : BROWSE_CANCELLED;
    chosen->Release();
  }
  if (start_item) start_item->Release();
  if (!preselection.is_path) CoTaskMemFree(reinterpret_cast<void*>(preselection.target));
  HeapFree(main_heap, 0, copy);
  FreeLibrary(module);
  timed_out = false;
  if (outcome != BROWSE_CHOSEN || ws_mark() == start) {
    ws_reserve(0, start)[0] = 0;
    return outcome == BROWSE_CHOSEN ? BROWSE_CANCELLED : outcome;
  }
  end_with_backslash(start);
  return outcome;
}
