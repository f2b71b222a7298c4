// Shell items for the folder browser: finding a folder of any length and reading an item's path whole.
#include "dialog/shell_items.h"

#include <objbase.h>
#include <wchar.h>

#include "paths/paths.h"
#include "runtime/frame.h"
#include "runtime/memory.h"
#include "strings/workspace.h"

Shell shell;

namespace {
constexpr SFGAOF kFileSystemFolder = SFGAO_FILESYSTEM | SFGAO_FOLDER;
HMODULE shell_module;

template <typename Fn>
Fn entry_point(HMODULE module, const char* name) {
  // Through void*: GetProcAddress's FARPROC has no relation to the real signature.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

IShellItem* follow_link(IShellItem* item) {
  SFGAOF kinds = 0;
  if (!item || FAILED(item->GetAttributes(SFGAO_LINK, &kinds)) || !(kinds & SFGAO_LINK)) return item;
  IShellLinkW* link = nullptr;
  PIDLIST_ABSOLUTE target = nullptr;
  IShellItem* followed = nullptr;
  // The target as the link last knew it: resolving it anew could search the disks, or ask the user. Through the
  // link's own interface, as Wine binds no link target item (BHID_LinkTargetItem).
  if (SUCCEEDED(item->BindToHandler(nullptr, BHID_SFUIObject, IID_PPV_ARGS(&link))) &&
      SUCCEEDED(link->GetIDList(&target)) && target && SUCCEEDED(shell.item_of_list(target, IID_PPV_ARGS(&followed)))) {
    item->Release();
    item = followed;
  }
  if (link) link->Release();
  CoTaskMemFree(target);
  return item;
}

bool is_file_system_folder(IShellItem* item) {
  SFGAOF kinds = 0;
  return SUCCEEDED(item->GetAttributes(kFileSystemFolder, &kinds)) && (kinds & kFileSystemFolder) == kFileSystemFolder;
}

HMODULE shell_load() {
  // Loaded once and never freed: the shell's worker threads (a listing, a thumbnail, a network probe)
  // may still call into it after a dialog has returned.
  if (!shell_module) shell_module = LoadLibraryW(L"SHELL32.DLL");
  HMODULE module = shell_module;
  if (!module || shell.browse) return module;
  shell = {entry_point<BrowseFn>(module, "SHBrowseForFolderW"),
           entry_point<ItemOfListFn>(module, "SHCreateItemFromIDList"),
           entry_point<ItemOfPathFn>(module, "SHCreateItemFromParsingName"),
           entry_point<ListOfItemFn>(module, "SHGetIDListFromObject"),
           entry_point<ItemInFolderFn>(module, "SHCreateShellItem"),
           entry_point<DesktopFn>(module, "SHGetDesktopFolder")};
  if (shell.browse && shell.item_of_list && shell.item_of_path && shell.list_of_item && shell.item_in_folder &&
      shell.desktop)
    return module;
  shell = {};
  return nullptr;
}

// The shell item of a folder of any length. The shell parses no path beyond 259 characters under
// Wine, so a longer one starts at its deepest parent that parses and finds each further name
// among the children; where a name is not found, the deepest whole parent serves. Never a name
// cut in the middle: that could name another real folder.
IShellItem* item_of_long_folder(wchar_t* path, int length) {
  IShellItem* item = nullptr;
  int end = kWholePathMax + 1;
  while (!item && --end >= kDriveRootLength - 1) {
    if (path[end] != L'\\') continue;
    int cut = folder_length(path, end + 1);  // the folder form: a root keeps its backslash
    wchar_t kept = path[cut];
    path[cut] = 0;
    if (FAILED(shell.item_of_path(path, nullptr, IID_PPV_ARGS(&item)))) item = nullptr;
    path[cut] = kept;
  }
  for (int from = end + 1; item && from < length;) {
    int to = from;
    while (to < length && path[to] != L'\\') ++to;
    path[to] = 0;
    // Wine binds no item enumerator (BHID_EnumItems); the folder's own enumeration serves. Names
    // match as the file system matches them: lstrcmpiW takes straße for strasse, and é for e
    // with a combining accent.
    IShellFolder* folder = nullptr;
    IEnumIDList* children = nullptr;
    IShellItem* found = nullptr;
    if (SUCCEEDED(item->BindToHandler(nullptr, BHID_SFObject, IID_PPV_ARGS(&folder))) &&
        folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &children) == S_OK) {
      for (PITEMID_CHILD id; !found && children->Next(1, &id, nullptr) == S_OK; CoTaskMemFree(id)) {
        IShellItem* child = nullptr;
        wchar_t* name = nullptr;
        if (SUCCEEDED(shell.item_in_folder(nullptr, folder, id, &child)) &&
            SUCCEEDED(child->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &name)) &&
            same_path(name, -1, path + from, -1)) {
          found = child;
        } else if (child) {
          child->Release();
        }
        CoTaskMemFree(name);
      }
      children->Release();
    }
    if (folder) folder->Release();
    if (to < length) path[to] = L'\\';  // the caller's path stays whole
    if (!found) break;
    item->Release();
    item = found;
    from = to + 1;
  }
  return item;
}

// Wine cuts a path beyond 259 characters and reports success; Windows may refuse it instead. Either
// way a file-system folder is rebuilt from its parent's path and its own name there.
int append_item_path(IShellItem* item) {
  wchar_t* text = nullptr;
  if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &text))) {
    bool whole = wcslen(text) < kWholePathMax;
    if (whole) ws_append(text);
    CoTaskMemFree(text);
    if (whole) return 1;
  } else if (!is_file_system_folder(item)) {
    return 0;
  }
  IShellItem* parent = nullptr;
  int mark = ws_mark();
  int done = SUCCEEDED(item->GetParent(&parent)) ? append_item_path(parent) : -1;
  // A computer (\\server, under Network) says it is a file-system folder and has no path, nor has its
  // parent: nothing to choose, not a path too long to read.
  if (done == 1 && SUCCEEDED(item->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &text))) {
    end_with_backslash(mark);
    ws_append(text);
    CoTaskMemFree(text);
  } else {
    ws_rewind(mark);
    done = done == 1 ? -1 : done;
  }
  if (parent) parent->Release();
  return done;
}
