// Asking the disk about folders: whether one exists, the nearest one that does, and what one holds;
// every question goes through the \\?\ form, which lifts MAX_PATH.
#include "paths/folders.h"

#include <wchar.h>

#include "paths/paths.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/workspace.h"

namespace {
// Where a walk up stops: a drive root, or the share of \\server\share. Other forms (\\?\ and
// \\.\ paths among them) are asked as given.
int walk_floor(const wchar_t* path, int length) {
  if (is_drive_path(path, length)) return kDriveRootLength;
  if (!is_network_path(path)) return length;
  int separators = 0;
  int end = 2;
  while (end < length && !(path[end] == L'\\' && ++separators == 2)) ++end;
  return end;
}

// Errors of a server that does not answer. On Windows each can take the network's whole timeout,
// and the dialog would wait on the server again. Wine, which has no network client, answers
// ERROR_BAD_DEV_TYPE at once.
constexpr DWORD kNetworkErrors[] = {
    ERROR_REM_NOT_LIST,  ERROR_BAD_NETPATH,     ERROR_NETWORK_BUSY,       ERROR_DEV_NOT_EXIST,
    ERROR_BAD_NET_RESP,  ERROR_UNEXP_NET_ERR,   ERROR_NETNAME_DELETED,    ERROR_BAD_DEV_TYPE,
    ERROR_BAD_NET_NAME,  ERROR_SEM_TIMEOUT,     ERROR_NO_NET_OR_BAD_PATH, ERROR_NO_NETWORK,
    ERROR_HOST_DOWN,     ERROR_HOST_UNREACHABLE, ERROR_NETWORK_UNREACHABLE, ERROR_PROTOCOL_UNREACHABLE,
    ERROR_PORT_UNREACHABLE,
};

enum Presence { ABSENT, PRESENT, UNREACHABLE };

// Whether the first length characters of path name a folder, or something there that we may not
// read. Asked through the \\?\ form, which lifts MAX_PATH.
Presence folder_presence(const wchar_t* path, int length, wchar_t* asked) {
  long_form(path, length, asked);
  DWORD attributes = GetFileAttributesW(asked);
  if (attributes != INVALID_FILE_ATTRIBUTES) return attributes & FILE_ATTRIBUTE_DIRECTORY ? PRESENT : ABSENT;
  DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED) return PRESENT;
  for (DWORD network_error : kNetworkErrors)
    if (error == network_error) return UNREACHABLE;
  return ABSENT;
}
}  // namespace

int nearest_existing_folder(const wchar_t* path, int length) {
  int floor = walk_floor(path, length);
  auto* asked = static_cast<wchar_t*>(heap_alloc(main_heap, sizeof(wchar_t) * (length + kLongPrefixRoom), 0));
  int end = length;
  for (Presence presence; (presence = folder_presence(path, end, asked)) != PRESENT;) {
    if (presence == UNREACHABLE) {
      end = 0;
      break;
    }
    if (end <= floor) {
      end = length;  // nothing on the path exists: the dialog opens where the system puts it
      break;
    }
    do --end;
    while (end > floor && path[end] != L'\\');
  }
  HeapFree(main_heap, 0, asked);
  return end;
}

bool folder_exists(const wchar_t* path, int length) {
  auto* asked = static_cast<wchar_t*>(heap_alloc(main_heap, sizeof(wchar_t) * (length + kLongPrefixRoom), 0));
  bool exists = folder_presence(path, length, asked) == PRESENT;
  HeapFree(main_heap, 0, asked);
  return exists;
}

// Whether folder\pattern names a file or a folder, hidden ones too, by its long name: the search also
// matches 8.3 aliases (*.htm finds x.html) and lists . and .., which no pattern means. Basic information
// and no large fetch, so that a slow server holds the dialog up as briefly as it can.
bool folder_holds(int folder_mark, int length, const wchar_t* pattern, int pattern_length) {
  int mark = ws_mark(), whole = length + 1 + pattern_length;
  wchar_t* asked = ws_reserve(2 * whole + kLongPrefixRoom, mark);  // the \\?\ form, then folder\pattern
  wchar_t* text = asked + whole + kLongPrefixRoom;
  string_copy_n(text, ws_text_at(folder_mark), length);
  text[length] = L'\\';
  string_copy_n(text + length + 1, pattern, pattern_length);
  for (wchar_t* p = text; *p; ++p) *p = *p == L'/' ? L'\\' : *p;  // the \\?\ form takes backslashes alone
  const wchar_t* name = wcsrchr(text, L'\\') + 1;
  int name_length = static_cast<int>(text + whole - name);
  long_form(text, whole, asked);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(asked, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  bool held = false;
  for (bool more = search != INVALID_HANDLE_VALUE; more && !held; more = FindNextFileW(search, &found)) {
    bool dots = found.cFileName[0] == L'.' && (!found.cFileName[1] || (found.cFileName[1] == L'.' && !found.cFileName[2]));
    held = !dots && name_matches(found.cFileName, name, name_length);
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  ws_rewind(mark);
  return held;
}
