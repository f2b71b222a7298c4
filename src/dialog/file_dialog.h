// The file dialog in pick-folders mode (/modern), opened on a start folder and fenced below a root.
#pragma once
#include <windows.h>
#include <shobjidl.h>

struct BrowseRequest;

// Leaves the chosen item; a failure other than the user's cancel leaves the tree dialog to be shown
// instead. Below the request's root (root_item), every navigation outside it is refused, and so is a
// pick outside it, each with a box that says why.
HRESULT browse_modern(const BrowseRequest& request, const wchar_t* title, IShellItem* start_item, IShellItem* root_item,
                      IShellItem** chosen);
