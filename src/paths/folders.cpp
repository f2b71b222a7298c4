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

// Errors of a server that does not answer, or of a connection that is gone. On Windows each can take the
// network's whole timeout, and the dialog would wait on the server again. Wine, which has no network
// client, answers ERROR_BAD_DEV_TYPE at once.
constexpr WORD kNetworkErrors[] = {  // each below 65536, as every Win32 error is
    ERROR_REM_NOT_LIST,      ERROR_BAD_NETPATH,      ERROR_NETWORK_BUSY,        ERROR_DEV_NOT_EXIST,
    ERROR_BAD_NET_RESP,      ERROR_UNEXP_NET_ERR,    ERROR_NETNAME_DELETED,     ERROR_BAD_DEV_TYPE,
    ERROR_SEM_TIMEOUT,       ERROR_NO_NET_OR_BAD_PATH, ERROR_NO_NETWORK,        ERROR_HOST_DOWN,
    ERROR_HOST_UNREACHABLE,  ERROR_NETWORK_UNREACHABLE, ERROR_PROTOCOL_UNREACHABLE, ERROR_PORT_UNREACHABLE,
    ERROR_VC_DISCONNECTED,   ERROR_CONNECTION_UNAVAIL, ERROR_CONNECTION_REFUSED, ERROR_NOT_CONNECTED,
};

// Errors that say it is not there (a share the server says it has not among them); any other but access
// denied (a share's root we may not list) tells nothing: a drive not ready, a device error, credentials the
// server refused, a reparse point no driver here reads, which may lie above the part asked.
constexpr WORD kAbsentErrors[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ERROR_BAD_PATHNAME,
                                   ERROR_INVALID_DRIVE,  ERROR_DIRECTORY,      ERROR_BAD_NET_NAME};

template <int N>
bool listed(DWORD error, const WORD (&errors)[N]) {
  for (WORD each : errors)
    if (each == error) return true;
  return false;
}

DWORD unknown_error;
}  // namespace

Presence presence_of_error(DWORD error) {
  if (error == ERROR_ACCESS_DENIED || error == ERROR_NETWORK_ACCESS_DENIED) return PRESENT;
  if (listed(error, kNetworkErrors)) return UNREACHABLE;
  return listed(error, kAbsentErrors) ? ABSENT : UNKNOWN;
}

DWORD last_unknown_error() { return unknown_error; }

namespace {
// Asked through the \\?\ form, built in asked (room for length + kLongPrefixRoom); told, where given, is
// whether the disk gave the attributes rather than an error.
Presence presence_at(const wchar_t* path, int length, wchar_t* asked, bool* told = nullptr) {
  long_form(path, length, asked);
  DWORD attributes = GetFileAttributesW(asked);
  if (told) *told = attributes != INVALID_FILE_ATTRIBUTES;
  if (attributes != INVALID_FILE_ATTRIBUTES) return attributes & FILE_ATTRIBUTE_DIRECTORY ? PRESENT : ABSENT;
  return presence_of_error(GetLastError());
}

// A walk down a path, part by part from its floor, as far as the disk answers: the block outlives
// whichever of the asker and its thread leaves last, since a lookup on a drive that stopped answering
// may return long after the asker has gone on.
struct Walk {
  volatile LONG users;
  volatile LONG answered;  // the deepest part that answered as a folder (or that told nothing); 0: none yet
  volatile LONG ended;     // the walk's whole answer below is in
  int length;
  Presence whole;   // what the disk said of the whole path; ABSENT where the walk stopped above it
  bool unreachable;
  wchar_t* asked;
  wchar_t path[1];
};

void walk_down(Walk* walk) {
  const wchar_t* path = walk->path;
  int length = walk->length, end = walk_floor(path, length);
  for (end = end < length ? end : length;;) {
    bool told;
    Presence presence = presence_at(path, end, walk->asked, &told);
    walk->unreachable = presence == UNREACHABLE;
    if (presence == ABSENT || presence == UNREACHABLE) break;
    InterlockedExchange(&walk->answered, end);
    if (end == length) {
      walk->whole = presence;
      break;
    }
    // Below a part we may not enter, or one that told nothing, no answer says anything of the parts between; the
    // folder itself may still be read (a share's root we may not read, a home folder below it).
    if (!told) {
      if (presence_at(path, length, walk->asked, &told) == PRESENT && told)
        walk->whole = PRESENT, InterlockedExchange(&walk->answered, length);
      break;
    }
    do ++end;
    while (end < length && path[end] != L'\\');
  }
  InterlockedExchange(&walk->ended, 1);
}

void leave(Walk* walk) {
  if (!InterlockedDecrement(&walk->users)) HeapFree(GetProcessHeap(), 0, walk);
}

DWORD WINAPI walker(void* walk) {
  walk_down(static_cast<Walk*>(walk));
  leave(static_cast<Walk*>(walk));
  return 0;
}

// Of the process's own heap, which lives as long as the process: the private heaps are destroyed at
// the end while a walk may still be waiting on a drive.
Walk* new_walk(const wchar_t* path, int length) {
  SIZE_T size = sizeof(Walk) + sizeof(wchar_t) * (2 * length + kLongPrefixRoom + 1);
  auto* walk = static_cast<Walk*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!walk) out_of_memory();
  string_copy_n(walk->path, path, length);
  walk->length = length;
  walk->asked = walk->path + length + 1;
  walk->users = 2;  // the asker and the walk's thread
  return walk;
}

FolderAnswer answer_of(Walk* walk, bool late) {
  int length = walk->length, answered = walk->answered;
  // Nothing on the path exists (a drive that is not there): the dialog opens where the system puts it.
  if (late) return {answered, UNKNOWN, true};  // what the thread writes meanwhile is not read
  return {walk->unreachable ? 0 : answered ? answered : length, walk->whole, false};
}
}  // namespace

Presence folder_presence(const wchar_t* path, int length) {
  auto* asked = static_cast<wchar_t*>(heap_alloc(main_heap, sizeof(wchar_t) * (length + kLongPrefixRoom), 0));
  Presence presence = presence_at(path, length, asked);
  if (presence == UNKNOWN) unknown_error = GetLastError();
  HeapFree(main_heap, 0, asked);
  return presence;
}

FolderAnswer ask_folder(const wchar_t* path, int length, DWORD wait_ms) {
  Walk* walk = new_walk(path, length);
  HANDLE thread = wait_ms ? CreateThread(nullptr, 0, walker, walk, 0, nullptr) : nullptr;
  if (!thread) {  // asked here: no time to keep, or no thread to be had
    walker(walk);
  } else if (WaitForSingleObject(thread, wait_ms) == WAIT_OBJECT_0) {
    CloseHandle(thread);
  } else {
    cancel_at_end(thread);  // left waiting on the drive, whose request the end of the run cancels
  }
  FolderAnswer answer = answer_of(walk, !InterlockedCompareExchange(&walk->ended, 0, 0));
  leave(walk);
  return answer;
}

int nearest_existing_folder(const wchar_t* path, int length) { return ask_folder(path, length, 0).nearest; }

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
