// The file dialog in pick-folders mode: its options, its window found from its events, and the fence.
#include "dialog/file_dialog.h"

#include <objbase.h>

#include "dialog/fence.h"
#include "dialog/guard.h"
#include "dialog/placement.h"
#include "dialog/request.h"
#include "dialog/shown_dialog.h"
#include "dialog/time_limit.h"

namespace {
constexpr FILEOPENDIALOGOPTIONS kPickFolders = FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
// Below a root, places outside it are not offered, and a pick there leaves no trace outside.
constexpr FILEOPENDIALOGOPTIONS kFenced = FOS_HIDEPINNEDPLACES | FOS_HIDEMRUPLACES | FOS_DONTADDTORECENT;

HWND window_of(IFileDialog* dialog) {
  IOleWindow* ole = nullptr;
  HWND window = nullptr;
  if (SUCCEEDED(dialog->QueryInterface(IID_PPV_ARGS(&ole)))) {
    if (FAILED(ole->GetWindow(&window))) window = nullptr;
    ole->Release();
  }
  return window;
}

// The dialog's own window, from its events: the first window activated on the thread may be
// another (a box shown during the first navigation). Below a root, a folder outside is refused
// before the dialog goes there, and a pick outside, or one that lacks what it must hold, keeps the
// dialog up. It carries the dialog's request to the fence.
struct Events final : IFileDialogEvents {
  const BrowseRequest& request;
  explicit Events(const BrowseRequest& asked) : request(asked) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IFileDialogEvents ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* dialog) override {
    IShellItem* picked = nullptr;
    if (FAILED(dialog->GetResult(&picked))) return S_FALSE;
    HRESULT answer = fence_pick(request, picked, window_of(dialog));
    picked->Release();
    return answer;
  }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog* dialog, IShellItem* folder) override {
    return fence_navigation(request, folder, window_of(dialog));
  }
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
    if (HWND window = window_of(dialog)) dialog_shown(window);
    return S_OK;
  }
};

// A dialog whose start folder shows nothing (an empty view, a folder it cannot list) may send no event
// at all: its window is also asked for once a window on the thread has been activated, when the dialog
// knows its window.
void CALLBACK note_later(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (shown_file_dialog) Events::note(shown_file_dialog);
}

LRESULT CALLBACK note_activation(int code, WPARAM window, LPARAM param) {
  if (code == HCBT_ACTIVATE) SetTimer(nullptr, 0, 0, note_later);
  return CallNextHookEx(nullptr, code, window, param);
}
}  // namespace

HRESULT browse_modern(const BrowseRequest& request, const wchar_t* title, IShellItem* start_item, IShellItem* root_item,
                      IShellItem** chosen) {
  IFileOpenDialog* dialog = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog));
  if (FAILED(hr)) return hr;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | kPickFolders | (root_item ? kFenced : 0));
  // Windows 7 and later: the navigation pane shows the root alone; where it cannot, the fence holds.
  IFileDialog2* navigation = nullptr;
  if (root_item && SUCCEEDED(dialog->QueryInterface(IID_PPV_ARGS(&navigation)))) {
    navigation->SetNavigationRoot(root_item);
    navigation->Release();
  }
  if (title) dialog->SetTitle(title);
  if (start_item) dialog->SetFolder(start_item);
  Events events(request);
  DWORD cookie = 0;
  bool advised = SUCCEEDED(dialog->Advise(&events, &cookie));
  dialog_showing(request.placement, dialog);
  guard_windows(1);
  limit_start();
  HHOOK activation = SetWindowsHookExW(WH_CBT, note_activation, nullptr, GetCurrentThreadId());
  hr = dialog->Show(own_foreground_window());
  if (activation) UnhookWindowsHookEx(activation);
  limit_stop();
  guard_windows(0);
  shown_file_dialog = nullptr;  // before its release: Ctrl+C may come from the console's thread meanwhile
  if (advised) dialog->Unadvise(cookie);
  if (SUCCEEDED(hr)) hr = dialog->GetResult(chosen);
  dialog->Release();
  return hr;
}
