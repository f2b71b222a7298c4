// The fences of /root and /require: which folders lie inside the root, and what a folder holds.
#include "dialog/fence.h"

#include <shobjidl.h>
#include <wchar.h>

#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "strings/paths.h"
#include "strings/workspace.h"

const wchar_t* browse_root;
const wchar_t* browse_required;

namespace {
// Whether folder\pattern names a file or a folder, hidden ones too: one FindFirstFileExW with basic
// information and no large fetch, so that a slow server holds the dialog up as briefly as it can.
bool holds(int folder_mark, int length, const wchar_t* pattern, int pattern_length) {
  int mark = ws_mark(), whole = length + 1 + pattern_length;
  wchar_t* asked = ws_reserve(2 * whole + kLongPrefixRoom, mark);  // the \\?\ form, then folder\pattern
  wchar_t* text = asked + whole + kLongPrefixRoom;
  string_copy_n(text, ws_text_at(folder_mark), length);
  text[length] = L'\\';
  string_copy_n(text + length + 1, pattern, pattern_length);
  for (wchar_t* p = text; *p; ++p) *p = *p == L'/' ? L'\\' : *p;  // the \\?\ form takes backslashes alone
  long_form(text, whole, asked);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(asked, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  ws_rewind(mark);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// A refusal in silence reads as a dialog that does not work: a box says why.
void tell_fence(HWND owner) {
  int mark = ws_mark();
  ws_append(L"Only ");
  int length = folder_length(browse_root);  // C:\Work as the user wrote it; C:\ whole
  string_copy_n(ws_reserve(length, ws_mark()), browse_root, length);
  ws_append(L" and the folders below it can be chosen");
  tell_over_dialog(owner, ws_text_at(mark));
  ws_rewind(mark);
}
}  // namespace

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

int append_requirement(int folder_mark, int length) {
  if (!browse_required) return 0;
  int mark = ws_mark(), named = 0;
  ws_append(L"The folder must hold ");
  // C:\ as C:, so that C:\pattern follows.
  while (folder_mark >= 0 && length > 2 && ws_text_at(folder_mark)[length - 1] == L'\\') --length;
  for (const wchar_t* pattern = browse_required; *pattern;) {
    int pattern_length = static_cast<int>(wcschr(pattern, L'|') - pattern);
    if (folder_mark < 0 || !holds(folder_mark, length, pattern, pattern_length)) {
      if (named++) ws_append(L" and ");
      string_copy_n(ws_reserve(pattern_length, ws_mark()), pattern, pattern_length);
    }
    pattern += pattern_length + 1;
  }
  if (!named) ws_rewind(mark);
  return named;
}

bool item_choosable(IShellItem* item) {
  if (!browse_required) return item_inside_root(item);
  int mark = ws_mark();
  bool read = append_item_path(item) == 1;
  int length = (ws_mark() - mark) / 2;
  bool choosable = read && inside_root(ws_text_at(mark), length) && !append_requirement(mark, length);
  ws_rewind(mark);
  return choosable;
}

HRESULT fence_navigation(IShellItem* folder, HWND owner) {
  if (item_inside_root(folder)) return S_OK;
  tell_fence(owner);
  return E_ACCESSDENIED;
}

HRESULT fence_pick(IShellItem* picked, HWND owner) {
  if (!item_inside_root(picked)) return tell_fence(owner), S_FALSE;
  int mark = ws_mark();
  HRESULT answer = S_OK;
  if (browse_required && append_item_path(picked) == 1) {
    int text = ws_mark();
    if (append_requirement(mark, (text - mark) / 2)) tell_over_dialog(owner, ws_text_at(text)), answer = S_FALSE;
  }
  ws_rewind(mark);
  return answer;
}

