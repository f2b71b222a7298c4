// The fence of /root: which folders lie inside it.
#include "dialog/fence.h"

#include <shobjidl.h>
#include <wchar.h>

#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "strings/paths.h"
#include "strings/workspace.h"

const wchar_t* browse_root;

bool root_exists(const wchar_t* root) {
  return folder_exists(root, folder_length(root));
}

bool inside_root(const wchar_t* path, int length) {
  if (!browse_root) return true;
  int parent = static_cast<int>(wcslen(browse_root)) - 1;  // the root without its backslash
  if (length < parent || !same_path(path, parent, browse_root, parent)) return false;
  return length == parent || path[parent] == L'\\';
}

bool item_inside_root(IShellItem* item) {
  if (!browse_root) return true;  // without a fence, a path that cannot be read whole is reported as such
  int mark = ws_mark();
  bool inside = append_item_path(item) == 1 && inside_root(ws_text_at(mark), (ws_mark() - mark) / 2);
  ws_rewind(mark);
  return inside;
}

HRESULT fence_navigation(IShellItem* folder) { return item_inside_root(folder) ? S_OK : E_ACCESSDENIED; }

HRESULT fence_pick(IShellItem* picked) { return item_inside_root(picked) ? S_OK : S_FALSE; }

void fence_tell(HWND owner) {
  int mark = ws_mark();
  ws_append(L"Only ");
  int length = folder_length(browse_root);  // C:\Work as the user wrote it; C:\ whole
  string_copy_n(ws_reserve(length, ws_mark()), browse_root, length);
  ws_append(L" and the folders below it can be chosen");
  tell_over_dialog(owner, ws_text_at(mark));
  ws_rewind(mark);
}
