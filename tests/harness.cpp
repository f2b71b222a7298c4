// The process runner, the dialog answerer and temporary folders.
#include "harness.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
HANDLE inheritable(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition, 0, nullptr);
}

std::wstring text_of(HWND w) { wchar_t text[512]; return std::wstring(text, GetWindowTextW(w, text, 512)) + L"|"; }
std::wstring class_of(HWND w) { wchar_t name[16]; return std::wstring(name, GetClassNameW(w, name, 16)); }

const wchar_t* unseen_desktop() {  // a window station made without WSF_VISIBLE, as a service or SSH has
  static bool made = [] {
    HWINSTA mine = GetProcessWindowStation();
    SetProcessWindowStation(CreateWindowStationW(L"dirpick-unseen", 0, GENERIC_ALL, nullptr));
    HDESK desk = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    return SetProcessWindowStation(mine) && desk;
  }();
  return made ? L"dirpick-unseen\\Default" : L"";
}

// Hands each top-level window (parent null) or each descendant to visit until it answers false.
template <typename Visit>
void each_window(HWND parent, Visit visit) {
  auto thunk = [](HWND window, LPARAM v) -> BOOL { return (*reinterpret_cast<Visit*>(v))(window); };
  parent ? EnumChildWindows(parent, thunk, LPARAM(&visit)) : EnumWindows(thunk, LPARAM(&visit));
}
}  // namespace

std::wstring sibling(const wchar_t* name) {
  if (name[0] && name[1] == L':') return name;
  wchar_t self[MAX_PATH];
  return fs::path(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH))).replace_filename(name);
}

// A visible dialog-class window of the process (0: this one; kAnyOther: any but this one).
HWND dialog_of(DWORD process_id) {
  HWND dialog = nullptr;
  each_window(nullptr, [&](HWND w) {
    DWORD owner = 0, me = GetCurrentProcessId();
    GetWindowThreadProcessId(w, &owner);
    bool ours = process_id == kAnyOther ? owner != me : owner == (process_id ? process_id : me);
    return !(dialog = ours && IsWindowVisible(w) && class_of(w) == L"#32770" ? w : nullptr);
  });
  return dialog;
}

// Whether a path read from the tree is the path looked for, or (below a root, from a \) its end; in any letter case.
bool ends(const std::wstring& looked_for, const std::wstring& read) {
  size_t tail = read[0] == L'\\' ? looked_for.size() - std::min(read.size(), looked_for.size()) : 0;
  return CompareStringOrdinal(looked_for.data() + tail, -1, read.data(), -1, TRUE) == CSTR_EQUAL;
}

// The tree's selected folder as a path ("C:\windows"), read item by item through a buffer in the dialog's process: its
// texts up to the drive's " (C:)", then each folder's name, while they end the path looked for (each a round trip).
std::wstring tree_selection(HWND tree, const std::wstring& looked_for = L"") {
  DWORD id = 0;
  GetWindowThreadProcessId(tree, &id);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  std::wstring path;
  for (auto item = TreeView_GetSelection(tree); remote && item; item = TreeView_GetParent(tree, item)) {
    TVITEMW ask = {.mask = TVIF_TEXT, .hItem = item, .pszText = LPWSTR(remote + 512), .cchTextMax = 1000};
    wchar_t name[1000] = {};
    WriteProcessMemory(process, remote, &ask, sizeof(ask), nullptr);
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote + 512, name, sizeof(name) - 2, nullptr);
    size_t drive = std::wstring(name).rfind(L":)");
    path = drive == std::wstring::npos ? L"\\" + std::wstring(name) + path : std::wstring(name + drive - 1, 2) + path;
    if (drive != std::wstring::npos || (!looked_for.empty() && !ends(looked_for, path))) break;
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return path;
}

// Through the program's own console, from a helper: ours must stay as it is.
void press_ctrl_c(DWORD process_id) {
  Result sent = run({.line = L"answer ctrl-c " + std::to_wstring(process_id), .program = L"answer.exe"});
  EXPECT_EQ(0u, sent.exit_code) << "Ctrl+C could not be sent";
}

Seen answer_dialog(DWORD process_id, const Launch& how, HANDLE process, const std::function<std::wstring()>& while_up) {
  HWND dialog = nullptr, tree = nullptr, name_box = nullptr;
  for (int tries = 0; tries < 1000 && !(dialog = dialog_of(process_id)); ++tries)
    if (process ? WaitForSingleObject(process, 20) == WAIT_OBJECT_0 : (Sleep(20), false)) break;
  if (!dialog) {
    bool ended = process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ADD_FAILURE() << "no dialog appeared" << (!process ? "" : ended ? "; the program ended" : "; the program runs");
    return {};
  }
  ULONGLONG appeared = GetTickCount64();
  Seen seen = {dialog, GetWindow(dialog, GW_OWNER), L"", while_up ? while_up() : L""};
  auto read_texts = [&] {  // as they are when the dialog is answered: the tree's heading changes meanwhile
    seen.texts = text_of(dialog);
    each_window(dialog, [&](HWND w) {
      if (class_of(w) == L"Static") seen.texts += text_of(w);
      return tree = class_of(w) == L"SysTreeView32" ? w : tree, TRUE;
    });
  };
  read_texts();
  name_box = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
  seen.name_box = name_box && IsWindowVisible(name_box);
  // What the dialog must show, twice in a row, before the press: the row's folder selected in the tree (below a root,
  // from the root's item on), the typed name in the file dialog's box; for a cancel, the focus; never a search.
  std::wstring lines = how.type ? how.type : L"", line, want, last, now;
  bool typed = false, by_focus = how.button != IDOK && how.pick.empty();
  auto looking = [&, found = false]() mutable {  // an ellipsis shows while the tree looks for what a folder must hold
    each_window(dialog, [&](HWND w) { return !(found = text_of(w).find(L'\x2026') != std::wstring::npos); });
    return found;
  };
  auto shows = [&]() -> std::wstring {
    DWORD_PTR reply;  // Esc and Cancel as a user's go to a dialog stuck in a shell call, which answers no message
    bool stuck = how.button > kEsc || !SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &reply);
    if (by_focus) return GetForegroundWindow() == dialog && stuck ? L"focused" : L"not focused, or not stuck";
    wchar_t text[512] = {};  // WM_GETTEXT: GetWindowTextW gives another process's edit box no text
    if (typed) return SendMessageW(name_box, WM_GETTEXT, 512, LPARAM(text)), text + std::wstring(L"|");
    return tree ? tree_selection(tree, how.pick) : L"";
  };
  auto give_up = [&](const std::string& why) {
    ADD_FAILURE() << why;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return seen;
  };
  // Line by line, each handled (a navigation, say) before the next: keys are posted to the tree, as a
  // user's are, a typed name is confirmed; the last line is the answer.
  for (size_t from = 0, end = 0; how.button; from = end + 1) {
    line = lines.substr(from, (end = lines.find(L'\n', from)) - from);
    bool keys = !line.empty() && line[0] == L'\t';
    if ((typed = how.type && !keys)) SetWindowTextW(name_box, line.c_str());
    want = by_focus ? L"focused" : typed ? line + L"|" : how.pick;
    last = L"?";
    for (ULONGLONG until = GetTickCount64() + 20000; GetTickCount64() < until && IsWindow(dialog); Sleep(30)) {
      now = shows();
      bool fits = want.empty() ? keys || !now.empty() : ends(want, now);
      if (fits && looking()) fits = false, now = L"looking";
      if (fits && now == last) break;
      last = fits ? now : L"?";
    }
    if (now != last) return give_up("the dialog never showed " + encoded(want + L": " + seen.texts + now));
    for (size_t key = 1; keys && key < line.size(); ++key) PostMessageW(tree, WM_KEYDOWN, line[key], 0);
    if (end == std::wstring::npos) break;
    if (keys) continue;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    HWND box = nullptr;
    auto owned = [&](HWND w) { return !(box = GetWindow(w, GW_OWNER) == dialog && IsWindowVisible(w) ? w : nullptr); };
    for (ULONGLONG until = GetTickCount64() + 20000; !box && GetTickCount64() < until && IsWindow(dialog); Sleep(30))
      each_window(nullptr, owned);
    if (!box) return give_up("no box said why " + encoded(line) + " was refused");
    each_window(box, [&](HWND w) {  // its message, not its icon or button
      return seen.boxes += class_of(w) == L"Static" && GetWindowTextLengthW(w) ? text_of(w) : L"", TRUE;
    });
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int tries = 0; tries < 500 && IsWindow(box); ++tries) Sleep(20);
  }
  // The user's move stands until the dialog's own requests are over (a settle pause and six more).
  for (bool there = false; !how.moved.empty() && (!there || GetTickCount64() < appeared + 2000); Sleep(30)) {
    bool fits = CompareStringOrdinal((now = tree_selection(tree)).data(), -1, how.moved.data(), -1, TRUE) == CSTR_EQUAL;
    if (there && !fits) return give_up("the dialog took the selection back from the user to " + encoded(now));
    if (!(there = fits) && GetTickCount64() > appeared + 20000) return give_up("the keys never showed " + encoded(now));
  }
  seen.shown = now, seen.shown_at = GetTickCount64(), seen.ok_on = IsWindowEnabled(GetDlgItem(dialog, IDOK));
  read_texts();
  GetWindowRect(dialog, &seen.rect);
  if (how.button == kCtrlC) {
    press_ctrl_c(process_id);
  } else if (how.button == kEsc || how.button == kClickCancel) {  // as real input, which a stuck dialog cannot take
    RECT cancel = {};
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &cancel);
    LONG x = (cancel.left + cancel.right) * 32768 / GetSystemMetrics(SM_CXSCREEN);
    LONG y = (cancel.top + cancel.bottom) * 32768 / GetSystemMetrics(SM_CYSCREEN);
    INPUT keys[2] = {{.type = INPUT_KEYBOARD, .ki = {.wVk = VK_ESCAPE}},
                     {.type = INPUT_KEYBOARD, .ki = {.wVk = VK_ESCAPE, .dwFlags = KEYEVENTF_KEYUP}}};
    INPUT at[3] = {{.type = INPUT_MOUSE, .mi = {.dx = x, .dy = y, .dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE}},
                   {.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_LEFTDOWN}},
                   {.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_LEFTUP}}};
    how.button == kEsc ? SendInput(2, keys, sizeof(INPUT)) : SendInput(3, at, sizeof(INPUT));
    return seen;
  } else {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(how.button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, how.button));
  }
  for (int tries = 0; tries < 500 && IsWindow(dialog); ++tries) Sleep(20);
  return IsWindow(dialog) ? give_up("the dialog stayed up after the answer: " + encoded(seen.texts)) : seen;
}

Result run(const Launch& how) {
  static int serial = 0;
  std::string name = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  std::wstring out_path = fs::temp_directory_path() / ("dpk-out-" + name), err_path = out_path + L"-err";
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE out = nullptr, pipe = nullptr;
  if (how.stream == Stream::Pipe) CreatePipe(&pipe, &out, &sa, 0);
  if (how.stream == Stream::Full) out = inheritable(L"Z:\\dev\\full", GENERIC_WRITE, OPEN_EXISTING);
  if (!out) out = inheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = how.stream == Stream::ErrClosed ? nullptr : inheritable(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  std::wstring line = how.line, desktop = how.stream == Stream::Unseen ? unseen_desktop() : L"";
  STARTUPINFOW si = {.cb = sizeof(si), .lpDesktop = desktop.empty() ? nullptr : desktop.data(),
                     .dwFlags = STARTF_USESTDHANDLES, .hStdInput = in, .hStdOutput = out, .hStdError = err};
  PROCESS_INFORMATION pi = {};
  ULONGLONG began = GetTickCount64();
  BOOL started = CreateProcessW(sibling(how.program).c_str(), line.data(), nullptr, nullptr, TRUE,
                                how.button == kCtrlC ? CREATE_NO_WINDOW : 0, nullptr,  // a console of its own
                                how.dir.empty() ? nullptr : how.dir.c_str(), &si, &pi);
  for (HANDLE h : {out, err, in})
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  Result result;
  char buffer[4096];
  EXPECT_TRUE(started) << "Wine could not start the program, error " << GetLastError() << ": " << encoded(how.line);
  if (started) {
    if (how.at_ms) {
      WaitForSingleObject(pi.hProcess, static_cast<DWORD>(std::max<LONGLONG>(0, began + how.at_ms - GetTickCount64())));
      result.seen.shown_at = GetTickCount64() - began, press_ctrl_c(pi.dwProcessId);
    } else if (how.button) {
      result.seen = answer_dialog(pi.dwProcessId, how, pi.hProcess), result.seen.shown_at -= began;
    }
    // A pipe is read only after the exit, as callers that wait first read it.
    for (ULONGLONG until = GetTickCount64() + 10000; GetTickCount64() < until;)
      if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
      else if (HWND up = dialog_of(pi.dwProcessId))
        result.first_ms = result.dialogs.empty() ? GetTickCount64() - began : result.first_ms,
        result.dialogs.insert(up), result.up_ms = GetTickCount64() - began;
    bool ended = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    result.ended_ms = GetTickCount64() - began;
    EXPECT_TRUE(ended) << "did not end (a dialog nobody answered?): " << encoded(how.line.substr(0, 80));
    if (!ended) TerminateProcess(pi.hProcess, 0xDEAD), WaitForSingleObject(pi.hProcess, 5000);
    GetExitCodeProcess(pi.hProcess, &result.exit_code);
    FILETIME times[4];  // created, exited, in kernel and user mode; in units of 100 ns
    auto ticks = [&](int i) { return ULARGE_INTEGER{{times[i].dwLowDateTime, times[i].dwHighDateTime}}.QuadPart; };
    if (GetProcessTimes(pi.hProcess, &times[0], &times[1], &times[2], &times[3]))
      result.lived_ms = (ticks(1) - ticks(0)) / 10000;
    for (HANDLE h : {pi.hThread, pi.hProcess}) CloseHandle(h);
  }
  result.out = take(out_path);
  for (DWORD n = 0; pipe && ReadFile(pipe, buffer, sizeof(buffer), &n, nullptr) && n;) result.out.append(buffer, n);
  if (pipe) CloseHandle(pipe);
  result.err = take(err_path);
  return result;
}

std::string take(const std::wstring& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(fs::path(path), std::ios::binary).rdbuf();
  DeleteFileW(path.c_str());
  return bytes.str();
}

void remove_tree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
    if (found.cFileName[0] != L'.') remove_tree(path + L"\\" + found.cFileName);
  FindClose(search);
  RemoveDirectoryW(path.c_str()) || DeleteFileW(path.c_str());
}

std::string encoded(const std::wstring& text, UINT code_page) {
  int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

std::string utf16(const std::wstring& text) { return {reinterpret_cast<const char*>(text.data()), text.size() * 2}; }

void TempFolder::SetUp() {
  std::string name = "dirpick-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
  root = fs::canonical(fs::temp_directory_path()) / name;
  ASSERT_TRUE(fs::create_directory(root));
}

void TempFolder::TearDown() { remove_tree(L"\\\\?\\" + root); }

std::wstring TempFolder::make(const std::wstring& relative) {
  fs::create_directories(L"\\\\?\\" + root + L"\\" + relative);
  return root + L"\\" + relative;
}
