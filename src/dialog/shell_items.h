// Shell items for the folder browser: SHELL32's entry points, the nearest existing folder of a
// start path, a folder's item at any length, and an item's file-system path read whole.
#pragma once
#include <windows.h>
#include <shlobj.h>

using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using ItemOfListFn = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, REFIID, void**);
using ItemOfPathFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
using ListOfItemFn = HRESULT(WINAPI*)(IUnknown*, PIDLIST_ABSOLUTE*);
using ItemInFolderFn = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, IShellFolder*, PCUITEMID_CHILD, IShellItem**);
using DesktopFn = HRESULT(WINAPI*)(IShellFolder**);

// SHELL32's entry points, looked up on every load so that the exe imports none of them.
struct Shell {
  BrowseFn browse;
  ItemOfListFn item_of_list;
  ItemOfPathFn item_of_path;
  ListOfItemFn list_of_item;
  ItemInFolderFn item_in_folder;
  DesktopFn desktop;
};
extern Shell shell;

// Loads SHELL32 and fills `shell`; null, with nothing left loaded, when an entry point is missing.
HMODULE shell_load();
// The length of path's deepest part that exists as a folder (a file gives its folder; a part that
// exists but cannot be read counts), never above a drive root or \\server\share. length itself
// when nothing on the path exists; 0 when a server does not answer, so that the dialog never asks
// it again. path has no trailing backslash, but a drive root's.
int nearest_existing_folder(const wchar_t* path, int length);
// What the \\?\ form adds to a path at most.
constexpr int kLongPrefixRoom = 8;
// The \\?\ form of the path's first length characters, which lifts MAX_PATH, into asked (room for
// length + kLongPrefixRoom): \\?\C:\... for a drive path, \\?\UNC\server\... for a network path,
// any other as it is.
void long_form(const wchar_t* path, int length, wchar_t* asked);
// Whether the path's first length characters name a folder that exists (or one we may not read).
bool folder_exists(const wchar_t* path, int length);
// The item of a folder of any length, or of its deepest whole parent; null when none parses.
IShellItem* item_of_long_folder(wchar_t* path, int length);
// Whether the item is a folder with a file-system path, not a virtual item such as This PC.
bool is_file_system_folder(IShellItem* item);
// Appends the item's file-system path, whole at any length. 1: done; 0: the item has no
// file-system path; -1: a file-system folder whose path neither it nor its parents give whole.
int append_item_path(IShellItem* item);
