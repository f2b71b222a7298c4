// The fences of /root, /require and the line's code page: which folders lie inside the root, what a
// folder holds, and which paths the line can carry.
#include "dialog/fence.h"

#include <shobjidl.h>
#include <wchar.h>

#include "dialog/request.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "dialog/texts.h"
#include "paths/folders.h"
#include "paths/paths.h"
#include "runtime/memory.h"
#include "strings/conversion.h"
#include "strings/workspace.h"

namespace {

// A refusal in silence reads as a dialog that does not work: a box says why.
void tell_fence(const BrowseRequest& request, HWND owner) {
  int mark = ws_mark();
  ws_append_utf8(kOnlyStart);
  ws_append(request.root);  // in the folder form: C:\Work, C:\ whole
  ws_append_utf8(kOnlyEnd);
  tell_over_dialog(owner, mark);
  ws_rewind(mark);
}

// Whether the line's code page holds the path exactly: a best-fit letter would name another folder.
bool fits_code_page(const BrowseRequest& request, const wchar_t* path) {
  if (!request.code_page) return true;
  char* exact = wide_to_code_page_exact(path, request.code_page);
  conv_free(exact);
  return exact;
}

// The patterns joined by " and ": those that the folder at folder_mark lacks, or every one for a
// folder_mark of -1; how many.
int append_patterns(const BrowseRequest& request, int folder_mark, int length) {
  int named = 0;
  // C:\ as C:, so that C:\pattern follows.
  while (folder_mark >= 0 && length > 2 && ws_text_at(folder_mark)[length - 1] == L'\\') --length;
  for (int i = 0; i < request.pattern_count; ++i) {
    const wchar_t* pattern = request.patterns[i];
    if (folder_mark >= 0 && folder_holds(folder_mark, length, pattern, static_cast<int>(wcslen(pattern)))) continue;
    if (named++) ws_append_utf8(kAnd);
    ws_append(pattern);
  }
  return named;
}
}  // namespace

bool inside_root(const BrowseRequest& request, const wchar_t* path, int length) {
  return !request.root || is_inside(path, length, request.root);
}

bool item_inside_root(const BrowseRequest& request, IShellItem* item) {
  if (!request.root) return true;  // without a fence, a path that cannot be read whole is reported as such
  int mark = ws_mark();
  bool inside = append_item_path(item) == 1 && inside_root(request, ws_text_at(mark), (ws_mark() - mark) / 2);
  ws_rewind(mark);
  return inside;
}

int append_requirement(const BrowseRequest& request, int folder_mark, int length) {
  if (!request.pattern_count) return 0;
  int mark = ws_mark();
  ws_append_utf8(kMustHold);
  int named = append_patterns(request, folder_mark, length);
  if (!named) ws_rewind(mark);
  return named;
}

Refusal path_refusal(const BrowseRequest& request, int mark, int length, bool search) {
  const wchar_t* path = ws_text_at(mark);
  if (!inside_root(request, path, length)) return OUTSIDE_ROOT;
  if (!fits_code_page(request, path)) return NAME_UNFIT;
  if (!is_usable_path(path, length)) return NAME_STRIPPED;
  // A server that does not answer holds the thread for the network's whole timeout.
  if (!search && (request.pattern_count || is_remote_path(path))) return UNCHECKED;
  // A folder the system says is there stays choosable though we may not read it; one it tells nothing
  // of is never taken for absent.
  Presence presence = folder_presence(path, length);
  if (presence == UNKNOWN) return UNTOLD;
  if (presence != PRESENT) return NO_FOLDER;
  return search && append_requirement(request, mark, length) ? LACKS_PATTERN : CHOOSABLE;
}

Refusal item_refusal(const BrowseRequest& request, IShellItem* item, bool search) {
  int mark = ws_mark();
  Refusal refusal =
      append_item_path(item) == 1 ? path_refusal(request, mark, (ws_mark() - mark) / 2, search) : NO_FOLDER;
  ws_rewind(mark);
  return refusal;
}

int append_fence_line(const BrowseRequest& request, Refusal refusal, bool looking) {
  int mark = ws_mark();
  if (refusal == NAME_UNFIT) {
    wchar_t number[12];
    wsprintfW(number, L"%u", request.code_page);
    ws_append_utf8(kCodePageUnfit);
    ws_append(number);
  } else if (refusal == NAME_STRIPPED) {
    ws_append_utf8(kNameStripped);
  } else if (refusal == UNTOLD) {
    ws_append_utf8(kUntold);
    wchar_t* why = nullptr;  // the system's own words, in the user's language
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   last_unknown_error(), 0, reinterpret_cast<wchar_t*>(&why), 0, nullptr);
    for (wchar_t* end = why ? why + wcslen(why) : nullptr; end && end > why && end[-1] <= L' ';) *--end = 0;
    why && *why ? ws_append(why) : ws_append_utf8(kNoReason);
    LocalFree(why);
  } else if (looking && request.pattern_count) {
    ws_append_utf8(kLookingFor);
    append_patterns(request, -1, 0);
    ws_append_utf8(kEllipsis);
  } else {
    append_requirement(request, -1, 0);
  }
  return (ws_mark() - mark) / 2;
}

HRESULT fence_navigation(const BrowseRequest& request, IShellItem* folder, HWND owner) {
  if (item_inside_root(request, folder)) return S_OK;
  tell_fence(request, owner);
  return E_ACCESSDENIED;
}

HRESULT fence_pick(const BrowseRequest& request, IShellItem* picked, HWND owner) {
  if (!item_inside_root(request, picked)) return tell_fence(request, owner), S_FALSE;
  int mark = ws_mark();
  // A path that cannot be read whole is told once the dialog has closed.
  int text = append_item_path(picked) == 1 ? ws_mark() : mark;
  Refusal refusal = text == mark ? CHOOSABLE : path_refusal(request, mark, (text - mark) / 2, true);
  bool told = refusal == NAME_UNFIT || refusal == NAME_STRIPPED || refusal == UNTOLD;
  if (told) append_fence_line(request, refusal, false);
  if (refusal == NO_FOLDER) ws_append_utf8(kOnlyFolders);  // a .zip, a file
  if (refusal != CHOOSABLE) tell_over_dialog(owner, text);
  ws_rewind(mark);
  return refusal == CHOOSABLE ? S_OK : S_FALSE;
}
