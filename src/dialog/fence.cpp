// The fences of /root, /require and the line's code page: which folders lie inside the root, what a
// folder holds, and which paths the line can carry.
#include "dialog/fence.h"

#include <shobjidl.h>
#include <wchar.h>

#include "dialog/request.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "paths/folders.h"
#include "paths/paths.h"
#include "runtime/memory.h"
#include "strings/conversion.h"
#include "strings/workspace.h"

namespace {

// A refusal in silence reads as a dialog that does not work: a box says why.
void tell_fence(HWND owner) {
  int mark = ws_mark();
  ws_append(L"Only ");
  ws_append(browse_request.root);  // in the folder form: C:\Work, C:\ whole
  ws_append(L" and the folders below it can be chosen");
  tell_over_dialog(owner, ws_text_at(mark));
  ws_rewind(mark);
}

// Whether the line's code page holds the path exactly: a best-fit letter would name another folder.
bool fits_code_page(const wchar_t* path) {
  if (!browse_request.code_page) return true;
  char* exact = wide_to_code_page_exact(path, browse_request.code_page);
  conv_free(exact);
  return exact;
}

// The patterns joined by " and ": those that the folder at folder_mark lacks, or every one for a
// folder_mark of -1; how many.
int append_patterns(int folder_mark, int length) {
  int named = 0;
  // C:\ as C:, so that C:\pattern follows.
  while (folder_mark >= 0 && length > 2 && ws_text_at(folder_mark)[length - 1] == L'\\') --length;
  for (const wchar_t* pattern = browse_request.required; *pattern;) {
    int pattern_length = static_cast<int>(wcschr(pattern, L'|') - pattern);
    if (folder_mark < 0 || !folder_holds(folder_mark, length, pattern, pattern_length)) {
      if (named++) ws_append(L" and ");
      string_copy_n(ws_reserve(pattern_length, ws_mark()), pattern, pattern_length);
    }
    pattern += pattern_length + 1;
  }
  return named;
}
}  // namespace

bool inside_root(const wchar_t* path, int length) {
  return !browse_request.root || is_inside(path, length, browse_request.root);
}

bool item_inside_root(IShellItem* item) {
  if (!browse_request.root) return true;  // without a fence, a path that cannot be read whole is reported as such
  int mark = ws_mark();
  bool inside = append_item_path(item) == 1 && inside_root(ws_text_at(mark), (ws_mark() - mark) / 2);
  ws_rewind(mark);
  return inside;
}

int append_requirement(int folder_mark, int length) {
  if (!browse_request.required) return 0;
  int mark = ws_mark();
  ws_append(L"The folder must hold ");
  int named = append_patterns(folder_mark, length);
  if (!named) ws_rewind(mark);
  return named;
}

Refusal path_refusal(int mark, int length, bool search) {
  const wchar_t* path = ws_text_at(mark);
  if (!inside_root(path, length)) return OUTSIDE_ROOT;
  if (!fits_code_page(path)) return NAME_UNFIT;
  if (!is_usable_path(path, length)) return NAME_STRIPPED;
  // A server that does not answer holds the thread for the network's whole timeout.
  if (!search && (browse_request.required || is_remote_path(path))) return UNCHECKED;
  // A folder the system says is there stays choosable though we may not read it; one it tells nothing
  // of is never taken for absent.
  Presence presence = folder_presence(path, length);
  if (presence == UNKNOWN) return UNTOLD;
  if (presence != PRESENT) return NO_FOLDER;
  return search && append_requirement(mark, length) ? LACKS_PATTERN : CHOOSABLE;
}

Refusal item_refusal(IShellItem* item, bool search) {
  int mark = ws_mark();
  Refusal refusal = append_item_path(item) == 1 ? path_refusal(mark, (ws_mark() - mark) / 2, search) : NO_FOLDER;
  ws_rewind(mark);
  return refusal;
}

int append_fence_line(Refusal refusal, bool looking) {
  int mark = ws_mark();
  if (refusal == NAME_UNFIT) {
    wchar_t number[12];
    wsprintfW(number, L"%u", browse_request.code_page);
    ws_append(L"This folder's name cannot be written in code page ");
    ws_append(number);
  } else if (refusal == NAME_STRIPPED) {
    ws_append(L"Windows drops the dot or blank this folder's name ends in");
  } else if (refusal == UNTOLD) {
    ws_append(L"Windows cannot tell whether this folder is there: ");
    wchar_t* why = nullptr;  // the system's own words, in the user's language
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   last_unknown_error(), 0, reinterpret_cast<wchar_t*>(&why), 0, nullptr);
    for (wchar_t* end = why ? why + wcslen(why) : nullptr; end && end > why && end[-1] <= L' ';) *--end = 0;
    ws_append(why && *why ? why : L"no reason given");
    LocalFree(why);
  } else if (looking && browse_request.required) {
    ws_append(L"Looking for ");
    append_patterns(-1, 0);
    ws_append(L"\x2026");
  } else {
    append_requirement(-1, 0);
  }
  return (ws_mark() - mark) / 2;
}

HRESULT fence_navigation(IShellItem* folder, HWND owner) {
  if (item_inside_root(folder)) return S_OK;
  tell_fence(owner);
  return E_ACCESSDENIED;
}

HRESULT fence_pick(IShellItem* picked, HWND owner) {
  if (!item_inside_root(picked)) return tell_fence(owner), S_FALSE;
  int mark = ws_mark();
  // A path that cannot be read whole is told once the dialog has closed.
  int text = append_item_path(picked) == 1 ? ws_mark() : mark;
  Refusal refusal = text == mark ? CHOOSABLE : path_refusal(mark, (text - mark) / 2, true);
  if (refusal == NAME_UNFIT || refusal == NAME_STRIPPED || refusal == UNTOLD) append_fence_line(refusal, false);
  if (refusal == NO_FOLDER) ws_append(L"Only a folder can be chosen");  // a .zip, a file
  if (refusal != CHOOSABLE) tell_over_dialog(owner, ws_text_at(text));
  ws_rewind(mark);
  return refusal == CHOOSABLE ? S_OK : S_FALSE;
}
