// The tree dialog (SHBrowseForFolderW), preselected on a start folder and fenced below a root.
#pragma once
#include <windows.h>
#include <shobjidl.h>

// What the tree dialog is asked to select: a path text, or the item ID list of a long folder or of
// one below a root; the start folder's own ID list, which the tree is brought to show selected (null:
// nothing to bring it to); and whether its drive was slow to answer, so that it is asked for only once
// the dialog shows (the tree lists its parents as it selects it).
struct Preselection {
  BOOL is_path;
  LPARAM target;
  PCIDLIST_ABSOLUTE start;
  bool slow;
};

struct BrowseRequest;

// The chosen item (S_OK), a cancel (ERROR_CANCELLED), or an answer that gives no item; with root (an
// item ID list) the tree shows that folder and what lies below it, nothing else.
HRESULT browse_classic(const BrowseRequest& request, const wchar_t* title, Preselection* preselection,
                       PCIDLIST_ABSOLUTE root, IShellItem** chosen);
int CALLBACK browse_callback(HWND window, UINT message, LPARAM param, LPARAM data);
// Brings the tree from its top item down steps levels, each found by either of its two names (path_names
// holds two a level), a level's listing read afresh where its name is missing; never collapsing an item
// above the selection nor selecting one there.
void walk_tree(HWND tree, wchar_t* const* path_names, int steps);
