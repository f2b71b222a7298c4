// scripts/pictures.sh's eyes: waits, at most SECONDS, until another program's dialog captioned TITLE
// shows what the README's picture must show, twice in a row 100 ms apart, and exits 0; otherwise it
// prints what the dialog showed last and exits 1. Built by pictures.sh with the cross compiler, run
// under Wine in the same prefix as the dialog.
//   pictures-probe tree SECONDS TITLE PATH      the tree's selection is PATH (C:\a\b), in view, OK on,
//                                               and no "looking" heading (a text with an ellipsis)
//   pictures-probe list SECONDS TITLE NAME...   the file dialog's list holds exactly NAMEs, all in view
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::wstring class_of(HWND w) { wchar_t name[64]; return std::wstring(name, GetClassNameW(w, name, 64)); }
std::wstring text_of(HWND w) { wchar_t text[512]; return std::wstring(text, GetWindowTextW(w, text, 512)); }

template <typename Visit>
void each_window(HWND parent, Visit visit) {
  auto thunk = [](HWND window, LPARAM v) -> BOOL { return (*reinterpret_cast<Visit*>(v))(window); };
  parent ? EnumChildWindows(parent, thunk, LPARAM(&visit)) : EnumWindows(thunk, LPARAM(&visit));
}

HWND dialog_captioned(const std::wstring& title) {
  HWND found = nullptr;
  each_window(nullptr, [&](HWND w) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != GetCurrentProcessId() && IsWindowVisible(w) && class_of(w) == L"#32770" && text_of(w) == title)
      found = w;
    return !found;
  });
  return found;
}

HWND visible_child(HWND dialog, const wchar_t* class_name) {
  HWND found = nullptr;
  each_window(dialog, [&](HWND w) { return !(found = IsWindowVisible(w) && class_of(w) == class_name ? w : nullptr); });
  return found;
}

// A buffer in the dialog's process, for the messages whose answers go through a pointer.
struct Remote {
  explicit Remote(HWND w) {
    DWORD id = 0;
    GetWindowThreadProcessId(w, &id);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (process) base = static_cast<char*>(VirtualAllocEx(process, nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
  }
  ~Remote() {
    if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
  template <typename T> void put(size_t at, const T& value) { WriteProcessMemory(process, base + at, &value, sizeof(T), nullptr); }
  template <typename T> T get(size_t at) { T value{}; ReadProcessMemory(process, base + at, &value, sizeof(T), nullptr); return value; }
  std::wstring text(size_t at) {
    wchar_t name[1024] = {};
    ReadProcessMemory(process, base + at, name, sizeof(name) - 2, nullptr);
    return name;
  }
  HANDLE process = nullptr;
  char* base = nullptr;
};

bool in_view(HWND control, RECT item) {
  RECT client;
  GetClientRect(control, &client);
  return item.top >= client.top && item.bottom <= client.bottom && item.left < client.right && item.right > client.left;
}

// What the tree dialog shows: "PATH" when it is as wanted, else what is wrong.
std::wstring tree_shows(HWND dialog) {
  bool looking = false;
  each_window(dialog, [&](HWND w) { return !(looking = text_of(w).find(L'\x2026') != std::wstring::npos); });
  if (looking) return L"a heading that says it is still looking";
  HWND tree = visible_child(dialog, L"SysTreeView32");
  if (!tree) return L"no tree";
  Remote remote(tree);
  if (!remote.base) return L"no buffer in the dialog's process";
  HTREEITEM selected = TreeView_GetSelection(tree);
  if (!selected) return L"no selection";
  std::wstring path;
  for (HTREEITEM item = selected; item; item = TreeView_GetParent(tree, item)) {
    TVITEMW ask = {};
    ask.mask = TVIF_TEXT, ask.hItem = item, ask.cchTextMax = 1000;
    ask.pszText = reinterpret_cast<wchar_t*>(remote.base + 1024);
    remote.put(0, ask);
    SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(remote.base));
    std::wstring name = remote.text(1024);
    size_t drive = name.rfind(L":)");  // "Local Disk (C:)" or "System (C:)"
    if (drive != std::wstring::npos && drive > 0) { path = name.substr(drive - 1, 2) + path; break; }
    path = L"\\" + name + path;
  }
  remote.put(0, RECT{});
  remote.put(0, selected);  // TVM_GETITEMRECT takes the item in the RECT it fills
  bool shown = SendMessageW(tree, TVM_GETITEMRECT, TRUE, LPARAM(remote.base)) && in_view(tree, remote.get<RECT>(0));
  if (!shown) return path + L" selected but out of view";
  if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return path + L" selected but OK is off";
  return path;
}

// What the file dialog's list shows: its items' names, sorted, each followed by '|' (and " (out of view)").
std::wstring list_shows(HWND dialog) {
  HWND list = visible_child(dialog, L"SysListView32");
  if (!list) return L"no list";
  Remote remote(list);
  if (!remote.base) return L"no buffer in the dialog's process";
  std::vector<std::wstring> names;
  int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW ask = {};
    ask.mask = LVIF_TEXT, ask.iItem = i, ask.cchTextMax = 1000;
    ask.pszText = reinterpret_cast<wchar_t*>(remote.base + 1024);
    remote.put(0, ask);
    SendMessageW(list, LVM_GETITEMTEXTW, i, LPARAM(remote.base));
    std::wstring name = remote.text(1024);
    remote.put(0, RECT{LVIR_BOUNDS, 0, 0, 0});
    if (!SendMessageW(list, LVM_GETITEMRECT, i, LPARAM(remote.base)) || !in_view(list, remote.get<RECT>(0)))
      name += L" (out of view)";
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::wstring shows;
  for (auto& name : names) shows += name + L"|";
  return shows;
}

std::string utf8(const std::wstring& text) {
  std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr), 0);
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), int(out.size()), nullptr, nullptr);
  return out;
}
}  // namespace

int main() {
  int count = 0;
  wchar_t** arg = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring mode = count > 4 ? arg[1] : L"";
  if (mode != L"tree" && mode != L"list") {
    std::fprintf(stderr, "usage: pictures-probe tree SECONDS TITLE PATH | list SECONDS TITLE NAME...\n");
    return 2;
  }
  std::wstring title = arg[3], want;
  if (mode == L"tree") want = arg[4];
  std::vector<std::wstring> names(arg + 4, arg + count);
  std::sort(names.begin(), names.end());
  for (auto& name : names) want += mode == L"list" ? name + L"|" : L"";
  std::wstring now = L"no dialog captioned " + title, last;
  for (ULONGLONG until = GetTickCount64() + 1000ull * _wtoi(arg[2]); GetTickCount64() < until; Sleep(100)) {
    HWND dialog = dialog_captioned(title);
    now = !dialog ? L"no dialog captioned " + title : mode == L"tree" ? tree_shows(dialog) : list_shows(dialog);
    bool fits = CompareStringOrdinal(now.c_str(), -1, want.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (fits && now == last) return std::printf("%s\n", utf8(now).c_str()), 0;
    last = fits ? now : L"";
  }
  std::fprintf(stderr, "the dialog never showed %s; it showed: %s\n", utf8(want).c_str(), utf8(now).c_str());
  return 1;
}
