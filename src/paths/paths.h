// Path rules in one place: the limits every path call works within, drive and network paths, a path
// made absolute, long and \\?\ forms, one trailing backslash, a folder inside another, and names
// compared as the file system compares them.
#pragma once
#include <windows.h>

#include "strings/workspace.h"

constexpr int kWholePathMax = MAX_PATH - 1;  // what every path call takes and gives whole
constexpr int kDriveRootLength = 3;

// A path on a drive letter: C: and anything after it.
inline bool is_drive_path(const wchar_t* path, int length) { return length >= 2 && path[1] == L':'; }
// A network path: \\server\share..., and not the \\?\ or \\.\ forms, which also begin with two
// backslashes.
bool is_network_path(const wchar_t* path);
// A network path, or one on a drive letter mapped to a share: asking about it can wait on a server.
bool is_remote_path(const wchar_t* path);
// Whether two names or paths are one to the file system: compared ordinally, ignoring letter case
// only (straße is not strasse). A length of -1 reads up to the NUL.
bool same_path(const wchar_t* a, int a_length, const wchar_t* b, int b_length);
// The full-path form of text at start; text may lie in the workspace at start.
wchar_t* full_path(const wchar_t* text, int start);
// The long form of the path at start where it exists and fits MAX_PATH (C:\\Long Folder Name Here for
// C:\\LONG~FTD, the form %TEMP% often has), so that it compares with the shell's paths; as it was
// elsewhere, and where it holds no tilde, which every short name has. The position ends on its NUL.
void long_path(int start);
// What the \\?\ form adds to a path at most.
constexpr int kLongPrefixRoom = 8;
// The \\?\ form of the path's first length characters, which lifts MAX_PATH, into asked (room for
// length + kLongPrefixRoom): \\?\C:\... for a drive path, \\?\UNC\server\... for a network path,
// any other as it is.
void long_form(const wchar_t* path, int length, wchar_t* asked);
// Whether the path's first length characters name the folder or one below it, compared as the file
// system compares names, whole components (C:\Work2 is not in C:\Work); a trailing backslash of the
// folder's is left out.
bool is_inside(const wchar_t* path, int length, const wchar_t* folder);
// The length of a folder's path (its first length characters; all when -1) without its trailing
// backslash, which a root keeps: C:\, \\?\C:\ and \\?\Volume{...}\ (a device path of one part).
int folder_length(const wchar_t* folder, int length = -1);
// Puts the folder built since mark in the one form the program holds a folder in, from the moment it
// is resolved until the line is written: without a trailing backslash, a drive root whole (C:\\).
void folder_form(int mark);
// Appends a backslash to the variable's text unless it already ends with one.
void ensure_trailing_backslash(StringVar* variable);
// Appends a backslash to the text built since mark unless it already ends with one.
void end_with_backslash(int mark);
// Whether a pattern names something inside a folder: a name or a relative path whose parts are names
// (a backslash or a slash between them), with * and ? in the last part only. Never absolute, never
// . or .., never a character no name may hold (<>|\": and control characters), never a part that no
// folder can hold: over 255 characters, ending in a dot or a blank, or a device name (CON, NUL.txt, COM1).
bool is_inside_pattern(const wchar_t* pattern);
// Whether every part of the path's first length characters can be opened as named: none ends in a dot
// or a blank, which every path call but the \\?\ form strips (C:\foo. would open C:\foo).
bool is_usable_path(const wchar_t* path, int length);
// Whether a name (a long name as the file system lists it, never its 8.3 alias) matches the pattern's
// first length characters: ? is one character, * any run, letters compared as the file system compares
// them; as dir takes it, name.*, *.* and *. also match a name without a dot, and name? a shorter one.
bool name_matches(const wchar_t* name, const wchar_t* pattern, int length);
