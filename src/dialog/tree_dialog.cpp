// The tree dialog: its flags, its preselection once the tree has settled, and its root.
#include "dialog/tree_dialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <string.h>
#include <wchar.h>

#include "dialog/fence.h"
#include "dialog/guard.h"
#include "dialog/placement.h"
#include "dialog/request.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "dialog/time_limit.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/workspace.h"

namespace {
constexpr UINT kDialogFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;  // BIF_USENEWUI, checked
constexpr DWORD kSettlePauseMs = 200;
constexpr int kAskAgainTimes = 5;

// What a folder must hold is looked for once the selection has held still this long: arrow keys never
// wait on a slow server.
constexpr DWORD kCheckPauseMs = 150;
// The dialog's own timers take small numbers; a timer of ours with one of those would replace its.
constexpr UINT_PTR kAskTimer = 0x44504B01;
constexpr UINT_PTR kCheckTimer = 0x44504B02;
constexpr const wchar_t* kNameSpaceHost = L"SHBrowseForFolder ShellNameSpace Control";
// The user takes over with a key, a mouse button or the wheel.
constexpr UINT kUserInput[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,  WM_LBUTTONDOWN,  WM_RBUTTONDOWN,
                               WM_MBUTTONDOWN, WM_MOUSEWHEEL,  WM_NCLBUTTONDOWN};

constexpr USHORT kEmptyList = 0;

// One tree dialog, from its request to its close: browse_classic owns it, the dialog's callback gets it as its
// data, and the timers and the input hook find it through the dialog's property.
struct TreeDialog {
  const BrowseRequest& request;
  Preselection* asked;
  int asks_left = 0;                  // below 0 once the user has acted
  bool at_start = false;              // the selection the dialog last reported is the start folder
  int depth = 0;                      // levels of the start folder below the tree's top item
  wchar_t** names = nullptr;          // from the top item's child down to the start folder, two names a level
  const wchar_t* title = nullptr;     // the script's title, below the line that tells why OK is off
  HWND heading = nullptr;             // the text above the tree: that line and the title
  StringVar first_heading = nullptr;  // what it showed first, which finds it
  IShellItem* selected = nullptr;     // the selection whose patterns are looked for once it holds still
  PCIDLIST_ABSOLUTE top = nullptr;    // the tree's top item: the root, or the desktop's empty ID list
  IShellFolder* desktop = nullptr;    // compares ID lists as the shell does: by names, level by level
  HHOOK input_hook = nullptr;
};
// An integer atom: nothing to add to the atom table, nor left there once the window is gone.
const wchar_t* const kStateProperty = MAKEINTATOM(0x4450);

inline TreeDialog* state_of(HWND dialog) { return static_cast<TreeDialog*>(GetPropW(dialog, kStateProperty)); }

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

// The names the tree may show on the way down, as the shell gives them: a German Windows shows C:\Users
// as "Benutzer", a desktop.ini can name any folder, and a share shows as "share (on server)" or by its
// name in its folder.
void read_names(TreeDialog& dialog) {
  auto** names = static_cast<wchar_t**>(heap_alloc(main_heap, sizeof(wchar_t*) * 2 * dialog.depth, HEAP_ZERO_MEMORY));
  dialog.names = names;
  IShellItem* item = nullptr;
  if (FAILED(shell.item_of_list(dialog.asked->start, IID_PPV_ARGS(&item)))) item = nullptr;
  for (int level = dialog.depth; item && level--;) {
    if (FAILED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &names[2 * level]))) names[2 * level] = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_PARENTRELATIVE, &names[2 * level + 1]))) names[2 * level + 1] = nullptr;
    IShellItem* parent = nullptr;
    if (FAILED(item->GetParent(&parent))) parent = nullptr;
    item->Release();
    item = parent;
  }
  if (item) item->Release();
}

bool named(const wchar_t* text, const wchar_t* name) {
  return name && CompareStringOrdinal(text, -1, name, -1, FALSE) == CSTR_EQUAL;
}

// The child of the item that the tree shows under either name, expanding the item first.
HTREEITEM child_named(HWND tree, HTREEITEM item, wchar_t* const* name) {
  wchar_t text[MAX_PATH];
  TVITEMW ask = {};
  ask.mask = TVIF_TEXT;
  ask.pszText = text;
  ask.cchTextMax = MAX_PATH;
  TreeView_Expand(tree, item, TVE_EXPAND);
  ask.hItem = name[0] || name[1] ? TreeView_GetChild(tree, item) : nullptr;
  while (ask.hItem && !(TreeView_GetItem(tree, &ask) && (named(text, name[0]) || named(text, name[1]))))
    ask.hItem = TreeView_GetNextSibling(tree, ask.hItem);
  return ask.hItem;
}

// Whether the item lies above the tree's selection: collapsing it would take the selection away, and
// selecting it would pull the selection back up.
bool above_selection(HWND tree, HTREEITEM item) {
  for (HTREEITEM at = TreeView_GetSelection(tree); at;)
    if ((at = TreeView_GetParent(tree, at)) == item) return true;
  return false;
}

// Wine's tree matches the ID list it is asked for byte by byte, access times included: a folder read
// since the list was made (a fresh folder's first listing, a parent that other programs fill and
// empty) no longer matches, and the tree stays on an ancestor. A listing read meanwhile can miss a
// folder too. So the walk goes from the top item by the names the tree shows, each listing read afresh
// where the name is missing, but never where that would take the selection away or pull it back up.
void walk_to_start(TreeDialog& dialog, HWND tree) {
  if (!dialog.names) read_names(dialog);
  walk_tree(tree, dialog.names, dialog.depth);
}

// The line that tells why OK is off, then the title: a title long enough to fill the heading would
// push that line out of sight. From the returned text on.
const wchar_t* append_heading(const TreeDialog& dialog, Refusal refusal, bool looking) {
  int mark = ws_mark();
  if (append_fence_line(dialog.request, refusal, looking) && *dialog.title) ws_append(L"\n");
  ws_append(dialog.title);
  return ws_text_at(mark);
}

// OK only where the selection may be chosen, and the heading tells why not. Posted: Wine sets the button
// by the dialog's own flags once the selection's message has returned.
void tell_fence(const TreeDialog& dialog, HWND window, Refusal refusal, bool looking) {
  PostMessageW(window, BFFM_ENABLEOK, 0, refusal == CHOOSABLE && !looking);
  int mark = ws_mark();
  if (dialog.heading) SetWindowTextW(dialog.heading, append_heading(dialog, refusal, looking));
  ws_rewind(mark);
}

// Once the selection has held still, what it must hold is looked for.
void CALLBACK check_selection(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  TreeDialog* dialog = state_of(window);  // set before any timer, as the dialog starts
  if (dialog->selected)
    tell_fence(*dialog, window, item_refusal(dialog->request, dialog->selected, true), false);
}

// What keeps the selection from being chosen, but for what could wait on a server (the patterns, a
// network folder), which is asked once the selection holds still. An item with no folder behind it
// (This PC, a library, the Recycle Bin) would come back as nothing.
void judge_selection(const TreeDialog& dialog, HWND window) {
  Refusal refusal = dialog.selected ? item_refusal(dialog.request, dialog.selected, false) : NO_FOLDER;
  bool looking = refusal == UNCHECKED;
  tell_fence(dialog, window, refusal, looking);
  if (looking) SetTimer(window, kCheckTimer, kCheckPauseMs, check_selection);
}

void stop_asking(TreeDialog& dialog, HWND window) {
  if (window) KillTimer(window, kAskTimer);
  if (dialog.input_hook) UnhookWindowsHookEx(dialog.input_hook);
  dialog.input_hook = nullptr;
}

// Once the user acts in the dialog, the selection is theirs: it is never pulled back to the start.
LRESULT CALLBACK note_input(int code, WPARAM removal, LPARAM param) {
  auto* message = reinterpret_cast<MSG*>(param);
  for (UINT input : kUserInput)
    if (code == HC_ACTION && message->message == input)
      if (TreeDialog* dialog = state_of(GetAncestor(message->hwnd, GA_ROOT))) dialog->asks_left = -1;
  return CallNextHookEx(nullptr, code, removal, param);
}

// After the settle pause the tree is asked again, as it may still have been filling at the first
// request; then, once every pause, a bounded number of times, while the dialog reports a selection
// other than the start folder, it is walked there. Once there, the item is scrolled into view, which
// Windows's tree does not do by itself. Nothing is asked once the user has acted.
void CALLBACK ask_again(HWND window, UINT, UINT_PTR, DWORD) {
  HWND tree = tree_of(window);
  TreeDialog* dialog = state_of(window);
  const Preselection* asked = dialog->asked;
  if (dialog->asks_left < 0 || !tree) return stop_asking(*dialog, window);
  if (dialog->asks_left == kAskAgainTimes) SendMessageW(window, BFFM_SETSELECTIONW, asked->is_path, asked->target);
  if (dialog->at_start) TreeView_EnsureVisible(tree, TreeView_GetSelection(tree));
  if (dialog->at_start || !asked->start || !dialog->asks_left--) return stop_asking(*dialog, window);
  walk_to_start(*dialog, tree);
}
}  // namespace

void walk_tree(HWND tree, wchar_t* const* path_names, int steps) {
  HTREEITEM item = TreeView_GetRoot(tree);
  for (int level = 0; item && level < steps; ++level) {
    HTREEITEM child = child_named(tree, item, path_names + 2 * level);
    if (!child && !above_selection(tree, item)) {
      TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
      child = child_named(tree, item, path_names + 2 * level);
    }
    if (!child) break;
    item = child;
  }
  if (item && !above_selection(tree, item)) TreeView_SelectItem(tree, item);
}

HRESULT browse_classic(const BrowseRequest& request, const wchar_t* script_title, Preselection* preselection,
                       PCIDLIST_ABSOLUTE root, IShellItem** chosen) {
  TreeDialog dialog = {.request = request, .asked = preselection};
  BROWSEINFOW info;
  memset(&info, 0, sizeof(info));
  info.pidlRoot = root;
  dialog.top = root ? root : reinterpret_cast<PCIDLIST_ABSOLUTE>(&kEmptyList);
  // Where OK may be off for a reason the user cannot see, the heading keeps a line for it: the dialog
  // sizes its text for the first one it shows.
  dialog.title = script_title ? script_title : L"";
  int mark = ws_mark();
  if (request.code_page && !request.pattern_count) ws_append(*dialog.title ? L" \n" : L" ");
  append_heading(dialog, CHOOSABLE, false);
  string_dup(&dialog.first_heading, ws_text_at(mark));
  ws_rewind(mark);
  info.lpszTitle = dialog.first_heading;
  info.hwndOwner = own_foreground_window();
  // Below a root the name box goes: Windows takes a typed path from anywhere on the machine.
  info.ulFlags = root ? kDialogFlags & ~BIF_EDITBOX : kDialogFlags;
  info.lpfn = browse_callback;
  info.lParam = reinterpret_cast<LPARAM>(&dialog);
  dialog.depth = preselection && preselection->start ? levels(preselection->start) - levels(root) : 0;
  if (FAILED(shell.desktop(&dialog.desktop))) dialog.desktop = nullptr;
  dialog_showing(request.placement, nullptr);
  guard_windows(1);
  limit_start();
  PIDLIST_ABSOLUTE list = shell.browse(&info);
  limit_stop();
  guard_windows(0);
  stop_asking(dialog, nullptr);
  string_free(dialog.first_heading);
  if (dialog.selected) dialog.selected->Release();
  for (int level = 0; dialog.names && level < 2 * dialog.depth; ++level) CoTaskMemFree(dialog.names[level]);
  if (dialog.names) HeapFree(main_heap, 0, dialog.names);
  if (dialog.desktop) dialog.desktop->Release();
  HRESULT hr = list ? shell.item_of_list(list, IID_PPV_ARGS(chosen)) : HRESULT_FROM_WIN32(ERROR_CANCELLED);
  CoTaskMemFree(list);
  return hr;
}

int CALLBACK browse_callback(HWND window, UINT message, LPARAM param, LPARAM data) {
  // A typed name that is no folder keeps the dialog up: without this the tree's selection would
  // come back instead, a folder the user did not choose.
  if (message == BFFM_VALIDATEFAILEDW) return 1;
  TreeDialog& dialog = *reinterpret_cast<TreeDialog*>(data);
  const Preselection* asked = dialog.asked;
  if (message == BFFM_SELCHANGED) {
    // Wine reports its top item, the Desktop, without an ID list.
    auto* list = param ? reinterpret_cast<PCIDLIST_ABSOLUTE>(param) : dialog.top;
    dialog.at_start = asked && asked->start && list && dialog.desktop &&
                      dialog.desktop->CompareIDs(SHCIDS_CANONICALONLY, asked->start, list) == S_OK;
    if (dialog.selected) dialog.selected->Release();
    if (!list || FAILED(shell.item_of_list(list, IID_PPV_ARGS(&dialog.selected)))) dialog.selected = nullptr;
    dialog.selected = follow_link(dialog.selected);  // judged as its target, inside the root and holding the patterns
    judge_selection(dialog, window);
    return 0;
  }
  if (message != BFFM_INITIALIZED) return 0;
  SetPropW(window, kStateProperty, &dialog);
  // Found by its text: the dialog's controls have no documented numbers.
  // Wherever there is a title to find it by: a folder the disk tells nothing of needs the line in any run.
  if (dialog.first_heading && *dialog.first_heading)
    dialog.heading = FindWindowExW(window, nullptr, L"Static", dialog.first_heading);
  int mark = ws_mark();
  if (dialog.heading) SetWindowTextW(dialog.heading, append_heading(dialog, CHOOSABLE, false));
  ws_rewind(mark);
  if (dialog.selected) judge_selection(dialog, window);
  if (asked && !asked->slow) SendMessageW(window, BFFM_SETSELECTIONW, asked->is_path, asked->target);
  // Registered whatever it was asked to show: Ctrl+C, /center, the foreground and the time limit
  // reach every dialog.
  dialog_shown(window);
  if (!asked) return 0;
  // The dialog shows at once; the settle pause runs on a timer, and the user's first key ends it.
  dialog.asks_left = kAskAgainTimes;
  dialog.input_hook = SetWindowsHookExW(WH_GETMESSAGE, note_input, nullptr, GetCurrentThreadId());
  SetTimer(window, kAskTimer, kSettlePauseMs, ask_again);
  return 0;
}
