// Shell items for the folder browser: SHELL32's entry points, a folder's item at any length, and an
// item's file-system path read whole.
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

// Loads SHELL32 once, never to free it, and fills `shell`; null when an entry point is missing.
HMODULE shell_load();
// The item of a folder of any length, or of its deepest whole parent; null when none parses.
IShellItem* item_of_long_folder(wchar_t* path, int length);
// The item a selection stands for, as Windows' own dialogs take it: a shortcut's target (a .lnk to a
// folder), any other item itself. Takes the caller's reference and gives one back.
IShellItem* follow_link(IShellItem* item);
// Whether the item is a folder with a file-system path, not a virtual item such as This PC.
bool is_file_system_folder(IShellItem* item);
// Appends the item's file-system path, whole at any length. 1: done; 0: the item has no
// file-system path; -1: a file-system folder whose path neither it nor its parents give whole.
int append_item_path(IShellItem* item);
