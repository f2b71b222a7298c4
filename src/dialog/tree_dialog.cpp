// The tree dialog: its flags, its preselection once the tree has settled, and its root.
#include "dialog/tree_dialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <string.h>
#include <wchar.h>

#include "dialog/guard.h"
#include "dialog/placement.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "dialog/time_limit.h"

namespace {
constexpr UINT kDialogFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;  // BIF_USENEWUI, checked
constexpr DWORD kSettlePauseMs = 200;
constexpr int kAskAgainTimes = 10;

Preselection* asked;
int asks_left;

// Wine's tree now and then drops every request for an item below a root and stays on its top item
// (one run in ten). While the selection is still there, the start folder is walked to from the top
// item, name by name, once every settle pause, a bounded number of times.
void CALLBACK ask_again(HWND window, UINT, UINT_PTR timer, DWORD) {
  HWND tree = FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr);
  HTREEITEM item = TreeView_GetRoot(tree);
  if (!item || TreeView_GetSelection(tree) != item || --asks_left < 0) {
    KillTimer(window, timer);
    return;
  }
  wchar_t text[MAX_PATH];
  TVITEMW ask = {};
  ask.mask = TVIF_TEXT;
  ask.pszText = text;
  ask.cchTextMax = MAX_PATH;
  for (const wchar_t* name = asked->below_root; item && *name;) {
    const wchar_t* end = wcschr(++name, L'\\');
    TreeView_Expand(tree, item, TVE_EXPAND);
    for (item = TreeView_GetChild(tree, item); item; item = TreeView_GetNextSibling(tree, item)) {
      ask.hItem = item;
      int length = end ? static_cast<int>(end - name) : -1;
      if (TreeView_GetItem(tree, &ask) && CompareStringOrdinal(text, -1, name, length, TRUE) == CSTR_EQUAL) break;
    }
    name = end ? end : L"";
  }
  if (item) TreeView_SelectItem(tree, item);
}
}  // namespace

IShellItem* browse_classic(const wchar_t* title, Preselection* preselection, PCIDLIST_ABSOLUTE root) {
  BROWSEINFOW info;
  memset(&info, 0, sizeof(info));
  info.pidlRoot = root;
  info.lpszTitle = title;
  info.hwndOwner = own_foreground_window();
  // Below a root the name box goes: Windows takes a typed path from anywhere on the machine.
  info.ulFlags = root ? kDialogFlags & ~BIF_EDITBOX : kDialogFlags;
  info.lpfn = browse_callback;
  info.lParam = reinterpret_cast<LPARAM>(preselection);
  guard_windows(1);
  limit_start();
  PIDLIST_ABSOLUTE list = shell.browse(&info);
  limit_stop();
  guard_windows(0);
  IShellItem* chosen = nullptr;
  if (list && FAILED(shell.item_of_list(list, IID_PPV_ARGS(&chosen)))) chosen = nullptr;
  CoTaskMemFree(list);
  return chosen;
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
  asked = preselection;
  asks_left = kAskAgainTimes;
  if (preselection->below_root) SetTimer(window, 1, kSettlePauseMs, ask_again);
  return 0;
}
