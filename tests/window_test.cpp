// Real windows in-process: the guard's records and restores, the browser's result, owner, guard
// and one-time COM set-up around both real dialogs, and a folder path that the shell refuses.
#include <objbase.h>

#include "dialog/browser.h"
#include "dialog/guard.h"
#include "dialog/shell_items.h"
#include "harness.h"
#include "runtime/frame.h"
#include "strings/workspace.h"

namespace {
void pump(DWORD ms) {
  for (ULONGLONG until = GetTickCount64() + ms; GetTickCount64() < until; Sleep(5))
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
}

HWND make_window(bool visible = true, DWORD ex_style = 0, bool front = false) {
  HWND w = CreateWindowExW(ex_style, L"Static", L"test", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50, 50,
                           200, 120, nullptr, nullptr, nullptr, nullptr);
  if (front) SetForegroundWindow(w);
  return pump(30), w;
}

GuardRecord* record_for(HWND window) {
  for (ListNode* node = guard_list; node; node = node->next)
    if (reinterpret_cast<GuardRecord*>(node + 1)->window == window) return reinterpret_cast<GuardRecord*>(node + 1);
  return nullptr;
}

bool topmost(HWND window) { return GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST; }

using Windows = TempFolder;
}  // namespace

// Another thread of ours keeps its own guard on throughout: its window and records stay its own.
TEST_F(Windows, GuardDisablesAndUnpinsWhatItRecordsAndRestoresExactly) {
  main_heap = runtime_heap_create();
  struct Other {
    HWND window;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr), done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  } other;
  HANDLE thread = CreateThread(nullptr, 0, [](void* p) -> DWORD {
    auto* o = static_cast<Other*>(p);
    o->window = make_window();
    guard_windows(1);
    SetEvent(o->ready);
    while (WaitForSingleObject(o->done, 0) == WAIT_TIMEOUT) pump(10);
    guard_windows(0);
    return DestroyWindow(o->window), 0;
  }, &other, 0, nullptr);
  WaitForSingleObject(other.ready, 10000);
  HWND hidden = make_window(false), disabled = make_window(), ordinary = make_window();
  HWND front = make_window(true, WS_EX_TOPMOST, true);
  ASSERT_EQ(front, GetForegroundWindow());
  EnableWindow(disabled, FALSE);
  HWND below = GetWindow(ordinary, GW_HWNDNEXT), above = GetWindow(ordinary, GW_HWNDPREV);
  guard_windows(1);
  EXPECT_EQ(nullptr, record_for(hidden));
  EXPECT_FALSE(IsWindowEnabled(ordinary));
  EXPECT_TRUE(IsWindowEnabled(front)) << "the foreground window owns the dialog";
  EXPECT_FALSE(topmost(front));
  EXPECT_TRUE(IsWindowEnabled(other.window));
  ASSERT_NE(nullptr, record_for(disabled));
  EXPECT_EQ(0, record_for(disabled)->disabled_by_guard);
  EXPECT_EQ(disabled, reinterpret_cast<GuardRecord*>(guard_list + 1)->window) << "the lowest window, recorded last";
  EXPECT_EQ(below, GetWindow(ordinary, GW_HWNDNEXT));
  EXPECT_EQ(above, GetWindow(ordinary, GW_HWNDPREV));
  guard_windows(0);
  EXPECT_TRUE(IsWindowEnabled(ordinary));
  EXPECT_FALSE(IsWindowEnabled(disabled));
  EXPECT_TRUE(topmost(front));
  EXPECT_NE(nullptr, record_for(other.window)) << "another thread's record was removed";
  EXPECT_EQ(nullptr, record_for(ordinary));
  SetEvent(other.done);
  WaitForSingleObject(thread, 10000);
  EXPECT_EQ(nullptr, guard_list);
  for (HWND w : {hidden, disabled, ordinary, front}) DestroyWindow(w);
}

// On a fresh thread, whose COM flag is clear: the dialog runs there as in the tool, and the
// answerer on another thread watches our other window.
TEST_F(Windows, BrowserResultOwnerGuardAndOneComSetUp) {
  struct Shared {
    std::wstring work;
    HRESULT after = E_FAIL;
  } shared = {make(L"Work")};
  HANDLE thread = CreateThread(nullptr, 0, [](void* p) -> DWORD {
    auto* s = static_cast<Shared*>(p);
    main_heap = runtime_heap_create();
    ws_init();
    HWND mine = make_window(), front = make_window(true, 0, true);
    auto browse = [&](const wchar_t* start_folder, int button) {
      std::pair<int, Seen> answer = {button, {.owner = mine}};  // the owner field carries the watched window
      HANDLE answerer = CreateThread(nullptr, 0, [](void* a) -> DWORD {
        auto* answer = static_cast<std::pair<int, Seen>*>(a);
        return answer->second = answer_dialog(0, answer->first, nullptr, answer->second.owner), 0;
      }, &answer, 0, nullptr);
      ws_append(L"before");
      browse_for_folder(L"t", start_folder, 12);
      WaitForSingleObject(answerer, 30000);
      EXPECT_EQ(L"before", std::wstring(ws_text_at(0), 6));
      EXPECT_EQ(front, answer.second.owner) << "our own foreground window owns the dialog";
      EXPECT_FALSE(answer.second.watched_enabled) << "the guard was not on while the dialog was up";
      EXPECT_TRUE(IsWindowEnabled(mine));
      EXPECT_EQ(nullptr, guard_list);
      std::wstring result(ws_text_at(12), static_cast<size_t>(workspace_position - 12) / 2);
      return ws_rewind(0), result;
    };
    EXPECT_EQ(s->work + L"\\", browse(s->work.c_str(), IDOK));
    EXPECT_EQ(L"", browse(s->work.c_str(), IDCANCEL));
    // One CoUninitialize balances the one CoInitialize; after a second, the apartment would stay.
    CoUninitialize();
    s->after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoInitialize(nullptr);
    browse_modern_dialog = 1;
    EXPECT_EQ(L"", browse(s->work.c_str(), IDCANCEL)) << "the file dialog, cancelled";
    return ws_done(), 0;
  }, &shared, 0, nullptr);
  WaitForSingleObject(thread, 120000);
  EXPECT_EQ(S_OK, shared.after) << "COM was set up more than once on the thread";
}

// Windows may refuse the path of a folder beyond MAX_PATH rather than cut it: a file-system folder
// is then rebuilt from its parent, or is unreadable (never a cancel); anything else has no path.
TEST(ShellItems, AFolderWhosePathIsRefusedIsRebuiltFromItsParent) {
  struct Refusing : IShellItem {
    IShellItem* parent;
    SFGAOF kinds;
    Refusing(IShellItem* p, SFGAOF k) : parent(p), kinds(k) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(IShellItem** out) override { return parent ? (parent->AddRef(), *out = parent, S_OK) : E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN how, LPWSTR* name) override {
      if (how != SIGDN_PARENTRELATIVEPARSING) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
      return *name = static_cast<LPWSTR>(CoTaskMemAlloc(12)), wcscpy(*name, L"Named"), S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF mask, SFGAOF* out) override {
      return *out = kinds & mask, *out == mask ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }
  };
  main_heap = runtime_heap_create();
  ws_init();
  CoInitialize(nullptr);
  HMODULE module = shell_load();
  IShellItem* windows = nullptr;
  ASSERT_TRUE(module && SUCCEEDED(shell.item_of_path(L"C:\\windows", nullptr, IID_PPV_ARGS(&windows))));
  Refusing outer(windows, SFGAO_FILESYSTEM | SFGAO_FOLDER), orphan(nullptr, SFGAO_FILESYSTEM | SFGAO_FOLDER);
  Refusing deeper(&outer, SFGAO_FILESYSTEM | SFGAO_FOLDER), virtual_item(windows, SFGAO_FOLDER);
  for (auto [item, read, path] : {std::tuple{&deeper, 1, L"C:\\windows\\Named\\Named"}, {&orphan, -1, L""},
                                  {&virtual_item, 0, L""}}) {
    EXPECT_EQ(read, append_item_path(item)) << utf8(path);
    EXPECT_EQ(path, std::wstring(ws_text_at(0), static_cast<size_t>(workspace_position / 2)));
    ws_rewind(0);
  }
  windows->Release();
  FreeLibrary(module);
  ws_done();
}
