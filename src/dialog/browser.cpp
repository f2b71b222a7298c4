// Folder browser: the tree dialog or, for /modern, the file dialog, preselected on a start folder
// of any length inside the root; the result read whole.
#include "dialog/browser.h"

#include <objbase.h>
#include <string.h>
#include <wchar.h>

#include "dialog/fence.h"
#include "dialog/file_dialog.h"
#include "dialog/shell_items.h"
#include "dialog/shown_dialog.h"
#include "dialog/texts.h"
#include "dialog/time_limit.h"
#include "dialog/tree_dialog.h"
#include "paths/folders.h"
#include "paths/paths.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/conversion.h"
#include "strings/workspace.h"

int com_initialized;

namespace {
constexpr int kPathRoom = MAX_PATH;

// A heap copy of the folder, which comes in the folder form, with room to spare; its length.
wchar_t* folder_copy(const wchar_t* folder, int* length, int room) {
  *length = static_cast<int>(wcslen(folder ? folder : L""));
  int size = (*length > room ? *length : room) + kPathRoom;
  auto* copy = static_cast<wchar_t*>(heap_alloc(main_heap, sizeof(wchar_t) * size, HEAP_ZERO_MEMORY));
  if (*length) memcpy(copy, folder, sizeof(wchar_t) * *length);
  return copy;
}

// The item of the folder in path's first length characters, at any length; path is NUL-terminated
// there.
IShellItem* item_of_folder(wchar_t* path, int length) {
  if (length > kWholePathMax) return item_of_long_folder(path, length);
  IShellItem* item = nullptr;
  return SUCCEEDED(shell.item_of_path(path, nullptr, IID_PPV_ARGS(&item))) ? item : nullptr;
}
}  // namespace

bool desktop_visible(DWORD session) {
  if (!session) return false;
  USEROBJECTFLAGS flags = {};
  // Where the flags cannot be read, the dialog is tried as before.
  if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags), nullptr)) return true;
  return flags.dwFlags & WSF_VISIBLE;
}

namespace {
// One dialog, opened on initial_folder.
int browse_once(const BrowseRequest& request, const wchar_t* initial_folder, int start) {
  const wchar_t* title = request.title;
  if (!com_initialized) {
    com_initialized = 1;
    CoInitialize(nullptr);
  }
  ws_reserve(0, start)[0] = 0;
  if (!shell_load()) return BROWSE_NO_DIALOG;

  // Read by the callback's posted request too, so it lives until the dialog has returned. A
  // longer folder (its length counted without the trailing backslash) goes as an item ID list.
  int length = 0, root_length = 0;
  wchar_t* root = request.root ? folder_copy(request.root, &root_length, 0) : nullptr;
  wchar_t* copy = folder_copy(initial_folder, &length, root_length);
  // A start folder that is gone (a script's last folder, say) opens on what is left of its path,
  // never above the root; one outside the root opens on the root. One on a drive that has not answered
  // in time opens on what answered, and the dialog says which folder did not.
  FolderAnswer answer = ask_folder(copy, length, kAnswerMs);
  StringVar notice = nullptr;
  if (answer.late) {
    int mark = ws_mark();
    ws_append(initial_folder);
    ws_append_utf8(kDoesNotAnswer);
    if (title && *title) ws_append(request.modern ? L" - " : L"\n"), ws_append(title);
    string_assign(&notice, mark);
    title = notice;
  }
  length = answer.nearest;
  if (!inside_root(request, copy, length)) memcpy(copy, root, sizeof(wchar_t) * (length = root_length));
  copy[length] = 0;
  // The root's own item, or none at all: a parent in its place would widen the fence.
  IShellItem* root_item = root ? item_of_folder(root, root_length) : nullptr;
  PIDLIST_ABSOLUTE root_list = nullptr;
  if (root_item && (!item_inside_root(request, root_item) || FAILED(shell.list_of_item(root_item, &root_list)))) {
    root_item->Release();
    root_item = nullptr;
  }
  // Below a root, Wine's tree selects no folder given by its path text.
  bool as_list = length > kWholePathMax || root_item;
  IShellItem* start_item = length ? item_of_folder(copy, length) : nullptr;
  if (length > kWholePathMax) copy[0] = 0;  // never a path text cut short: it could name another real folder
  PIDLIST_ABSOLUTE list = nullptr;
  if (start_item && FAILED(shell.list_of_item(start_item, &list))) list = nullptr;
  Preselection preselection = {TRUE, reinterpret_cast<LPARAM>(copy), list, answer.late};
  if (as_list && list) preselection = {FALSE, reinterpret_cast<LPARAM>(list), list, answer.late};

  IShellItem* chosen = nullptr;
  constexpr HRESULT kCancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);
  HRESULT hr = E_FAIL;
  bool shown = false;
  if (root && !root_item) {
    hr = kCancelled;  // no dialog rather than one without its fence
  } else if ((timed_out = limit_passed())) {
    hr = kCancelled;  // the lookups took the whole limit: nobody could answer now
  } else if (request.modern) {
    hr = browse_modern(request, title, start_item, root_item, &chosen);
    shown = dialog_gone();
  }
  // The tree stands in for a file dialog that could not be shown, never for one that was.
  if (FAILED(hr) && hr != kCancelled && !timed_out && !shown) {
    // The tree opens on its top item by itself; Wine's selects another when asked for the top one.
    hr = browse_classic(request, title, root && length == root_length ? nullptr : &preselection, root_list, &chosen);
  }
  // Nobody cancels a dialog that never showed (no display, no desktop to create it on); a Ctrl+C
  // wins over the time limit that ran out meanwhile; an answer that gives no item is asked again.
  shown = dialog_gone() || shown;
  int outcome = root && !root_item     ? BROWSE_ROOT_LOST
                : console_interrupted  ? BROWSE_CANCELLED
                : timed_out            ? BROWSE_TIMED_OUT
                : !shown               ? BROWSE_NO_DIALOG
                : hr == kCancelled     ? BROWSE_CANCELLED
                                       : BROWSE_NO_FOLDER;
  // Ctrl+C wins over a choice made in the same moment, and so does the time limit: the script is told of a cancel
  // or of nobody answering in time.
  if (chosen && (console_interrupted || timed_out)) chosen->Release(), chosen = nullptr;
  if ((chosen = follow_link(chosen))) {
    int read = append_item_path(chosen);
    outcome = read > 0 ? BROWSE_CHOSEN : read < 0 ? BROWSE_UNREADABLE : BROWSE_NO_FOLDER;
    chosen->Release();
  }
  if (start_item) start_item->Release();
  if (root_item) root_item->Release();
  CoTaskMemFree(root_list);
  if (root) HeapFree(main_heap, 0, root);
  CoTaskMemFree(list);
  HeapFree(main_heap, 0, copy);
  string_free(notice);
  timed_out = false;
  if (outcome != BROWSE_CHOSEN || ws_mark() == start) {
    ws_reserve(0, start)[0] = 0;
    return outcome == BROWSE_CHOSEN ? BROWSE_NO_FOLDER : outcome;
  }
  folder_form(start);
  return outcome;
}
}  // namespace

namespace {
// Whether the dialog opens on the remembered folder rather than the start folder: inside the root, where the disk
// has told of it in time, and no file. One that is gone opens on what is left of its path, as a start folder does;
// one on a server that cannot be reached, or that does not answer, gives way to the start folder.
bool opens_on_remembered(const BrowseRequest& request) {
  const wchar_t* folder = request.remembered;
  int length = folder ? folder_length(folder) : 0;
  if (!folder || !inside_root(request, folder, length)) return false;
  FolderAnswer answer = ask_folder(folder, length, kAnswerMs);
  if (answer.late || !answer.nearest) return false;
  // Absent as a folder: gone, or a file, which the disk has just answered for in time.
  return answer.whole != ABSENT || GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES;
}
}  // namespace

int browse(const BrowseRequest& request, int start) {
  StringVar folder = nullptr;
  string_dup(&folder, opens_on_remembered(request) ? request.remembered : request.start);
  int outcome;
  while ((outcome = browse_once(request, folder, start)) == BROWSE_NO_FOLDER || outcome == BROWSE_CHOSEN) {
    if (outcome == BROWSE_NO_FOLDER) continue;
    int end = ws_mark();
    Refusal refusal = path_refusal(request, start, (end - start) / 2, true);
    ws_set_position(end);
    if (refusal == CHOOSABLE) break;
    string_free(folder);
    string_dup(&folder, ws_text_at(start));
  }
  string_free(folder);
  return outcome;
}

int browse_for_folder(const wchar_t* title, const wchar_t* initial_folder, int start) {
  return browse({.title = title, .start = initial_folder}, start);
}
