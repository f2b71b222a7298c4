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

// Whether the item's text is the name, which ends at a backslash or the NUL.
bool named(HWND tree, HTREEITEM item, const wchar_t* name) {
  wchar_t text[MAX_PATH];
  TVITEMW ask = {};
  ask.mask = TVIF_TEXT;
  ask.hItem = item;
  ask.pszText = text;
  ask.cchTextMax = MAX_PATH;
  const wchar_t* end = wcschr(name, L'\\');
  int length = end ? static_cast<int>(end - name) : -1;
  return TreeView_GetItem(tree, &ask) && CompareStringOrdinal(text, -1, name, length, TRUE) == CSTR_EQUAL;
}

// After the settle pause the tree may still stand above the start folder: below a root Wine's tree
// now and then stays on its top item (one run in ten), and a folder whose parent other programs fill
// and empty at that moment can be missing from the parent's listing. So while the selected item is
// not the start folder, once every settle pause, a bounded number of times: below a root the folder
// is walked to from the top item, name by name; elsewhere the selected item's listing is read afresh
// and the request repeated.
void CALLBACK ask_again(HWND window, UINT, UINT_PTR timer, DWORD) {
  HWND tree = FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr);
  HTREEITEM item = TreeView_GetSelection(tree);
  if (!item || named(tree, item, asked->name) || --asks_left < 0) {
    KillTimer(window, timer);
    return;
  }
  if (!asked->below_root) {
    TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    SendMessageW(window, BFFM_SETSELECTIONW, asked->is_path, asked->target);
    return;
  }
  item = TreeView_GetRoot(tree);
  for (const wchar_t* name = asked->below_root; item && name && *name++; name = wcschr(name, L'\\')) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    item = TreeView_GetChild(tree, item);
    while (item && !named(tree, item, name)) item = TreeView_GetNextSibling(tree, item);
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
  if (*preselection->name) SetTimer(window, 1, kSettlePauseMs, ask_again);
  return 0;
}
