// The fence around what either dialog lets the user choose: a folder on disk, inside /root, holding
// what /require asks, whose path the result line can hold.
#pragma once
#include <windows.h>

struct IShellItem;
struct BrowseRequest;

// Why a selection cannot be chosen: no folder on disk behind it (This PC, a library, a file, a .zip),
// outside the root, a path the line's code page cannot hold, a name that ends in a dot or a blank (a
// script would open another folder), a pattern it lacks, or an answer from the disk that tells nothing
// (a drive not ready); UNCHECKED: what could wait on a server is left for a check once the selection
// holds still.
enum Refusal { CHOOSABLE, NO_FOLDER, OUTSIDE_ROOT, NAME_UNFIT, NAME_STRIPPED, LACKS_PATTERN, UNTOLD, UNCHECKED };

// Each asks of the request of the dialog being shown, which its call hands them.
// Whether the path's first length characters name the root or a folder below it, compared as the
// file system compares names: ordinally, ignoring case, whole components (C:\Work2 is not in C:\Work).
bool inside_root(const BrowseRequest& request, const wchar_t* path, int length);
// The same for a shell item, by its file-system path read whole; an item with none is outside.
bool item_inside_root(const BrowseRequest& request, IShellItem* item);
// Appends "The folder must hold " and the patterns joined by " and ": those that the folder at
// folder_mark (length characters in the workspace; a trailing backslash is left out) lacks, or every
// one for a folder_mark of -1. How many it named; with none, nothing is appended.
int append_requirement(const BrowseRequest& request, int folder_mark, int length);
// What keeps the item from being chosen, decided by its file-system path and the directory attribute,
// never by how the item describes itself (Wine's Desktop has no attributes). Without search, nothing
// is asked of a network folder and the patterns are not looked for: UNCHECKED then.
Refusal item_refusal(const BrowseRequest& request, IShellItem* item, bool search);
// The same for the path at mark, length characters without a trailing backslash but a drive root's;
// what the search appends is rewound by the caller.
Refusal path_refusal(const BrowseRequest& request, int mark, int length, bool search);
// Appends the line that tells why OK is off: the code page, or the patterns (while looking for them,
// "Looking for ... …"); nothing where no fence applies. How many characters.
int append_fence_line(const BrowseRequest& request, Refusal refusal, bool looking);
// The file dialog's answers, each refusal told in a box owned by the dialog: S_OK lets it go to the
// folder, E_ACCESSDENIED keeps it where it is; S_OK lets it close on the picked folder, S_FALSE keeps
// it up.
HRESULT fence_navigation(const BrowseRequest& request, IShellItem* folder, HWND owner);
HRESULT fence_pick(const BrowseRequest& request, IShellItem* picked, HWND owner);
