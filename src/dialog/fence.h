// The fence of /root (a folder and what lies below it, the only folders either dialog offers) and
// of /require (what a chosen folder must hold).
#pragma once
#include <windows.h>

struct IShellItem;

// The root folder with one trailing backslash, made absolute; null: no fence.
extern const wchar_t* browse_root;
// The patterns a chosen folder must hold, each followed by '|'; null: none.
extern const wchar_t* browse_required;

// Whether the root, with its trailing backslash, names a folder that exists (or one we may not read).
bool root_exists(const wchar_t* root);
// Whether the path's first length characters name the root or a folder below it, compared as the
// file system compares names: ordinally, ignoring case, whole components (C:\Work2 is not in C:\Work).
bool inside_root(const wchar_t* path, int length);
// The same for a shell item, by its file-system path read whole; an item with none is outside.
bool item_inside_root(IShellItem* item);
// Appends "The folder must hold " and the patterns joined by " and ": those that the folder at
// folder_mark (length characters in the workspace; a trailing backslash is left out) lacks, or every
// one for a folder_mark of -1. How many it named; with none, nothing is appended.
int append_requirement(int folder_mark, int length);
// Whether the item may be chosen: inside the root, holding every pattern.
bool item_choosable(IShellItem* item);
// The file dialog's answers, each refusal told in a box owned by the dialog: S_OK lets it go to the
// folder, E_ACCESSDENIED keeps it where it is; S_OK lets it close on the picked folder, S_FALSE keeps
// it up.
HRESULT fence_navigation(IShellItem* folder, HWND owner);
HRESULT fence_pick(IShellItem* picked, HWND owner);
