// The fence of /root: a folder and what lies below it, the only folders either dialog offers.
#pragma once
#include <windows.h>

struct IShellItem;

// The root folder with one trailing backslash, made absolute; null: no fence.
extern const wchar_t* browse_root;

// Whether the root, with its trailing backslash, names a folder that exists (or one we may not read).
bool root_exists(const wchar_t* root);
// Whether the path's first length characters name the root or a folder below it, compared as the
// file system compares names: ordinally, ignoring case, whole components (C:\Work2 is not in C:\Work).
bool inside_root(const wchar_t* path, int length);
// The same for a shell item, by its file-system path read whole; an item with none is outside.
bool item_inside_root(IShellItem* item);
// The file dialog's answers: S_OK lets it go to the folder, E_ACCESSDENIED keeps it where it is; S_OK
// lets it close on the picked folder, S_FALSE keeps it up.
HRESULT fence_navigation(IShellItem* folder);
HRESULT fence_pick(IShellItem* picked);
// Tells the user why a folder was refused, in a box owned by the dialog: "Only C:\Work and the
// folders below it can be chosen".
void fence_tell(HWND owner);
