// Asking the disk about folders: whether one exists, the nearest one that does, and what one holds.
#pragma once

// The length of path's deepest part that exists as a folder (a file gives its folder; a part that
// exists but cannot be read counts), never above a drive root or \\server\share. length itself
// when nothing on the path exists; 0 when a server does not answer, so that the dialog never asks
// it again. path has no trailing backslash, but a drive root's.
int nearest_existing_folder(const wchar_t* path, int length);
// Whether the path's first length characters name a folder that exists (or one we may not read).
bool folder_exists(const wchar_t* path, int length);
// Whether the folder at folder_mark (length characters in the workspace, no trailing backslash) holds
// a file or a folder that the pattern's first pattern_length characters match, hidden ones too, by its
// long name, never . or ..; a slash in the pattern is a backslash.
bool folder_holds(int folder_mark, int length, const wchar_t* pattern, int pattern_length);
