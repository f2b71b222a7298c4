// The tree dialog: its flags, its preselection once the tree has settled, and its root.
#include "dialog/tree_dialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <string.h>
#include <wchar.h>

#include "dialog/fence.h"
#include "dialog/guard.h"
#include "dialog/placement.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "dialog/time_limit.h"
#include "runtime/frame.h"
#include "runtime/memory.h"

namespace {
constexpr UINT kDialogFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;  // BIF_USENEWUI, checked
constexpr DWORD kSettlePauseMs = 200;
constexpr int kAskAgainTimes = 5;
constexpr UINT_PTR kAskTimer = 1;
constexpr const wchar_t* kNameSpaceHost = L"SHBrowseForFolder ShellNameSpace Control";
// The user takes over with a key, a mouse button or the wheel.
constexpr UINT kUserInput[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,  WM_LBUTTONDOWN,  WM_RBUTTONDOWN,
                               WM_MBUTTONDOWN, WM_MOUSEWHEEL,  WM_NCLBUTTONDOWN};

Preselection* asked;
int asks_left;          // below 0 once the user has acted
bool at_start;          // the selection the dialog last reported is the start folder
int depth;              // levels of the start folder below the tree's top item
wchar_t** names;        // the tree's texts from the top item's child down to the start folder
IShellFolder* desktop;  // compares ID lists as the shell does: by names, level by level
HHOOK input_hook;

// Windows puts the tree inside the namespace control, one window down; Wine straight under the dialog.
HWND tree_of(HWND dialog) {
  if (HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr)) return tree;
  HWND host = FindWindowExW(dialog, nullptr, kNameSpaceHost, nullptr);
  return host ? FindWindowExW(host, nullptr, WC_TREEVIEWW, nullptr) : nullptr;
}

// An ID list's items each begin with their size, two bytes; a size of 0 ends the list.
int levels(PCIDLIST_ABSOLUTE list) {
  int count = 0;
  for (auto* at = reinterpret_cast<const BYTE*>(list); at && (at[0] | at[1]); ++count) at += at[0] | at[1] << 8;
  return count;
}

// The names the tree shows on the way down, as the shell gives them: a German Windows shows C:\Users
// as "Benutzer", and a desktop.ini can name any folder.
void read_names() {
  names = static_cast<wchar_t**>(heap_alloc(main_heap, sizeof(wchar_t*) * depth, HEAP_ZERO_MEMORY));
  IShellItem* item = nullptr;
  if (FAILED(shell.item_of_list(asked->start, IID_PPV_ARGS(&item)))) item = nullptr;
  for (int level = depth; item && level--;) {
    if (FAILED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &names[level]))) names[level] = nullptr;
    IShellItem* parent = nullptr;
    if (FAILED(item->GetParent(&parent))) parent = nullptr;
    item->Release();
    item = parent;
  }
  if (item) item->Release();
}

// The child of the item that the tree shows under the name, expanding the item first.
HTREEITEM child_named(HWND tree, HTREEITEM item, const wchar_t* name) {
  wchar_t text[MAX_PATH];
  TVITEMW ask = {};
  ask.mask = TVIF_TEXT;
  ask.pszText = text;
  ask.cchTextMax = MAX_PATH;
  TreeView_Expand(tree, item, TVE_EXPAND);
  ask.hItem = name ? TreeView_GetChild(tree, item) : nullptr;
  while (ask.hItem && !(TreeView_GetItem(tree, &ask) && CompareStringOrdinal(text, -1, name, -1, FALSE) == CSTR_EQUAL))
    ask.hItem = TreeView_GetNextSibling(tree, ask.hItem);
  return ask.hItem;
}

// Wine's tree matches the ID list it is asked for byte by byte, access times included: a folder read
// since the list was made (a fresh folder's first listing, a parent that other programs fill and
// empty) no longer matches, and the tree stays on an ancestor. A listing read meanwhile can miss a
// folder too. So the walk goes from the top item by the names the tree shows, each listing read afresh
// where the name is missing.
void walk_to_start(HWND tree) {
  if (!names) read_names();
  HTREEITEM item = TreeView_GetRoot(tree);
  for (int level = 0; item && level < depth; ++level) {
    HTREEITEM child = child_named(tree, item, names[level]);
    if (!child) {
      TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
      child = child_named(tree, item, names[level]);
    }
    if (!child) break;
    item = child;
  }
  TreeView_SelectItem(tree, item);
}

void stop_asking(HWND window) {
  KillTimer(window, kAskTimer);
  if (input_hook) UnhookWindowsHookEx(input_hook);
  input_hook = nullptr;
}

// Once the user acts in the dialog, the selection is theirs: it is never pulled back to the start.
LRESULT CALLBACK note_input(int code, WPARAM removal, LPARAM param) {
  for (UINT input : kUserInput)
    if (code == HC_ACTION && reinterpret_cast<MSG*>(param)->message == input) asks_left = -1;
  return CallNextHookEx(nullptr, code, removal, param);
}

// After the settle pause the tree is asked again, as it may still have been filling at the first
// request; then, once every pause, a bounded number of times, while the dialog reports a selection
// other than the start folder, it is walked there. Once there, the item is scrolled into view, which
// Windows's tree does not do by itself. Nothing is asked once the user has acted.
void CALLBACK ask_again(HWND window, UINT, UINT_PTR, DWORD) {
  HWND tree = tree_of(window);
  if (asks_left < 0 || !tree) return stop_asking(window);
  if (asks_left == kAskAgainTimes) SendMessageW(window, BFFM_SETSELECTIONW, asked->is_path, asked->target);
  if (at_start) TreeView_EnsureVisible(tree, TreeView_GetSelection(tree));
  if (at_start || !asked->start || !asks_left--) return stop_asking(window);
  walk_to_start(tree);
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
  asked = preselection;
  at_start = false;
  depth = preselection && preselection->start ? levels(preselection->start) - levels(root) : 0;
  if (FAILED(shell.desktop(&desktop))) desktop = nullptr;
  guard_windows(1);
  limit_start();
  PIDLIST_ABSOLUTE list = shell.browse(&info);
  limit_stop();
  guard_windows(0);
  stop_asking(nullptr);
  for (int level = 0; names && level < depth; ++level) CoTaskMemFree(names[level]);
  if (names) HeapFree(main_heap, 0, names);
  names = nullptr;
  if (desktop) desktop->Release();
  desktop = nullptr;
  IShellItem* chosen = nullptr;
  if (list && FAILED(shell.item_of_list(list, IID_PPV_ARGS(&chosen)))) chosen = nullptr;
  CoTaskMemFree(list);
  return chosen;
}

int CALLBACK browse_callback(HWND window, UINT message, LPARAM param, LPARAM data) {
  // A typed name that is no folder keeps the dialog up: without this the tree's selection would
  // come back instead, a folder the user did not choose.
  if (message == BFFM_VALIDATEFAILEDW) return 1;
  if (message == BFFM_SELCHANGED) {
    auto* selected = reinterpret_cast<PCIDLIST_ABSOLUTE>(param);
    at_start = asked && asked->start && selected && desktop &&
               desktop->CompareIDs(SHCIDS_CANONICALONLY, asked->start, selected) == S_OK;
    // OK only on a folder on disk, inside the root, holding what it must: an item with no folder
    // behind it (This PC, a library, the Recycle Bin) would come back as nothing, which a script reads
    // as a cancel. Posted: Wine sets the button by the dialog's own flags once this message has returned.
    IShellItem* item = nullptr;
    if (!selected || FAILED(shell.item_of_list(selected, IID_PPV_ARGS(&item)))) item = nullptr;
    PostMessageW(window, BFFM_ENABLEOK, 0, item && is_file_system_folder(item) && item_choosable(item));
    if (item) item->Release();
    return 0;
  }
  if (message != BFFM_INITIALIZED || !data) return 0;
  auto* preselection = reinterpret_cast<Preselection*>(data);
  SendMessageW(window, BFFM_SETSELECTIONW, preselection->is_path, preselection->target);
  dialog_shown(window);
  // The dialog shows at once; the settle pause runs on a timer, and the user's first key ends it.
  asks_left = kAskAgainTimes;
  input_hook = SetWindowsHookExW(WH_GETMESSAGE, note_input, nullptr, GetCurrentThreadId());
  SetTimer(window, kAskTimer, kSettlePauseMs, ask_again);
  return 0;
}
