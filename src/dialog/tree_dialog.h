// The tree dialog (SHBrowseForFolderW), preselected on a start folder and fenced below a root.
#pragma once
#include <windows.h>
#include <shobjidl.h>

// What the tree dialog is asked to select: a path text, or the item ID list of a long folder; the
// folder's own name in its path (empty: a drive root, or a long folder); below a root, the folder's
// path from the root's trailing backslash on ("\\Inner\\Deeper"), else null.
struct Preselection {
  BOOL is_path;
  LPARAM target;
  const wchar_t* name;
  const wchar_t* below_root;
};

// The chosen item, or null; with root (an item ID list) the tree shows that folder and what lies
// below it, nothing else.
IShellItem* browse_classic(const wchar_t* title, Preselection* preselection, PCIDLIST_ABSOLUTE root);
int CALLBACK browse_callback(HWND window, UINT message, LPARAM param, LPARAM data);
