// Asking the disk about folders: whether one exists, the nearest one that does, and what one holds.
#pragma once
#include <windows.h>

// What the disk says of a path: a folder there (or one we may not enter), nothing there, a server that
// does not answer, or an error that tells neither (a drive not ready, a device error).
enum Presence { ABSENT, PRESENT, UNREACHABLE, UNKNOWN };
Presence presence_of_error(DWORD error);
// The path's first length characters, asked through the \\?\ form, which lifts MAX_PATH.
Presence folder_presence(const wchar_t* path, int length);
// The error of the last UNKNOWN answer, for the line that says why a folder cannot be chosen.
DWORD last_unknown_error();

// What a walk down a path from its drive root (or \\server\share) found: the length of its deepest
// part that exists as a folder (a file gives its folder; a part we may not enter counts, and so does one
// that tells nothing), the whole path's own presence, and whether the disk answered in time. Where it
// did not, nearest is the deepest part that answered by then (0: none) and whole is UNKNOWN. nearest is
// the length itself when nothing on the path exists, and 0 when a server does not answer, so that the
// dialog never asks it again. The path has no trailing backslash, but a drive root's.
struct FolderAnswer {
  int nearest;
  Presence whole;
  bool late;
};
// How long the dialog waits for a start folder or a root: a dialog within a few seconds, whatever the
// drive does.
constexpr DWORD kAnswerMs = 2000;
// Asked on a thread of its own and waited for at most wait_ms (0: asked here, however long it takes).
FolderAnswer ask_folder(const wchar_t* path, int length, DWORD wait_ms);
int nearest_existing_folder(const wchar_t* path, int length);
// Whether the folder at folder_mark (length characters in the workspace, no trailing backslash) holds
// a file or a folder that the pattern's first pattern_length characters match, hidden ones too, by its
// long name, never . or ..; a slash in the pattern is a backslash.
bool folder_holds(int folder_mark, int length, const wchar_t* pattern, int pattern_length);
