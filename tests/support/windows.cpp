// Folders and windows for the tests.
#include "support/windows.h"

#include <vector>

namespace {
void remove_tree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

struct DialogSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
  wchar_t class_name[64];
  GetClassNameW(window, class_name, 64);
  if (std::wstring(class_name) != L"#32770" || window_text(window) != L"Browse for Folder") return TRUE;
  search->found = window;
  return FALSE;
}
}  // namespace

void TempFolder::SetUp() {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  root = std::wstring(dir) + L"dirpick-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount64());
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
  wchar_t full[MAX_PATH];
  GetLongPathNameW(root.c_str(), full, MAX_PATH);
  root = full;
}

// The \\?\ form lifts MAX_PATH from the removal of deep test folders.
void TempFolder::TearDown() { remove_tree(L"\\\\?\\" + root); }

std::wstring TempFolder::make_folder(const std::wstring& relative) {
  std::wstring path = root;
  size_t at = 0;
  while (at <= relative.size()) {
    size_t next = relative.find(L'\\', at);
    if (next == std::wstring::npos) next = relative.size();
    path += L"\\" + relative.substr(at, next - at);
    CreateDirectoryW(path.c_str(), nullptr);
    at = next + 1;
  }
  return path;
}

HWND wait_for_browse_dialog(DWORD process_id, DWORD timeout_ms, HANDLE process) {
  DialogSearch search = {process_id ? process_id : GetCurrentProcessId(), nullptr};
  for (DWORD waited = 0; waited < timeout_ms; waited += 20) {
    EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (process && WaitForSingleObject(process, 20) == WAIT_OBJECT_0) return nullptr;
    if (!process) Sleep(20);
  }
  return nullptr;
}

void press_button(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring window_text(HWND window) {
  wchar_t text[512];
  int n = GetWindowTextW(window, text, 512);
  return std::wstring(text, n > 0 ? n : 0);
}

bool wait_until_closed(HWND window, DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 20) {
    if (!IsWindow(window)) return true;
    Sleep(20);
  }
  return false;
}

void pump_messages(DWORD milliseconds) {
  ULONGLONG until = GetTickCount64() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount64() < until);
}

HWND plain_window(const wchar_t* title, int x) {
  return CreateWindowExW(0, L"Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0, 100, 100, nullptr, nullptr,
                         nullptr, nullptr);
}

HWND foreground_window(const wchar_t* title, int x) {
  HWND window = plain_window(title, x);
  SetForegroundWindow(window);
  pump_messages(50);
  return window;
}
