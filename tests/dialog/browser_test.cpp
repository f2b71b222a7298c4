// The folder browser with the real shell dialog: a helper thread finds the dialog, looks at it
// and presses OK or Cancel, while the test thread runs the modal call as the tool does.
#include "dialog/browser.h"

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "dialog/guard.h"
#include "runtime/frame.h"
#include "strings/workspace.h"
#include "support/windows.h"

namespace {
struct Seen {
  HWND dialog = nullptr;
  bool owner_window_enabled = true;  // the test's own window while the dialog is up
  std::wstring heading;               // static texts of the dialog, joined
  HWND owner = nullptr;
};

struct Presser {
  int button = IDOK;
  HWND watched = nullptr;
  Seen seen;
  HANDLE thread = nullptr;

  static BOOL CALLBACK collect_static(HWND child, LPARAM param) {
    wchar_t cls[32];
    GetClassNameW(child, cls, 32);
    if (std::wstring(cls) == L"Static") reinterpret_cast<std::wstring*>(param)->append(window_text(child) + L"|");
    return TRUE;
  }
  static DWORD WINAPI run(void* self_) {
    auto* self = static_cast<Presser*>(self_);
    HWND dialog = wait_for_browse_dialog(0);
    self->seen.dialog = dialog;
    if (!dialog) return 1;
    self->seen.owner = GetWindow(dialog, GW_OWNER);
    Sleep(300);  // past the settle pause, as a person would be
    if (self->watched) self->seen.owner_window_enabled = IsWindowEnabled(self->watched);
    EnumChildWindows(dialog, collect_static, reinterpret_cast<LPARAM>(&self->seen.heading));
    press_button(dialog, self->button);
    return 0;
  }
  void start() { thread = CreateThread(nullptr, 0, run, this, 0, nullptr); }
  void join() {
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
  }
};

// Every path handed to the dialog with BFFM_SETSELECTIONW, sent or posted.
std::vector<std::wstring> selections;
HHOOK sent_hook;
HHOOK posted_hook;

LRESULT CALLBACK on_sent(int code, WPARAM w, LPARAM l) {
  auto* m = reinterpret_cast<CWPSTRUCT*>(l);
  if (code == HC_ACTION && m->message == BFFM_SETSELECTIONW && m->wParam)
    selections.emplace_back(reinterpret_cast<const wchar_t*>(m->lParam));
  return CallNextHookEx(sent_hook, code, w, l);
}

LRESULT CALLBACK on_posted(int code, WPARAM w, LPARAM l) {
  auto* m = reinterpret_cast<MSG*>(l);
  if (code == HC_ACTION && w == PM_REMOVE && m->message == BFFM_SETSELECTIONW && m->wParam)
    selections.emplace_back(reinterpret_cast<const wchar_t*>(m->lParam));
  return CallNextHookEx(posted_hook, code, w, l);
}
}  // namespace

class FolderBrowser : public TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    main_heap = runtime_heap_create();
    guard_list = nullptr;
    ws_init();
    selections.clear();
  }
  void TearDown() override {
    ws_done();
    HeapDestroy(main_heap);
    main_heap = nullptr;
    TempFolder::TearDown();
  }
  // Runs the dialog with the helper pressing `button`; returns the text left at start.
  std::wstring browse(const wchar_t* title, const wchar_t* initial, int button, int start = 0) {
    presser.button = button;
    presser.start();
    browse_for_folder(title, initial, start);
    presser.join();
    EXPECT_NE(nullptr, presser.seen.dialog) << "no dialog appeared";
    EXPECT_EQ(0, *reinterpret_cast<wchar_t*>(workspace_base + workspace_position));
    return std::wstring(ws_text_at(start), static_cast<size_t>(workspace_position - start) / 2);
  }
  void hook_selections() {
    sent_hook = SetWindowsHookExW(WH_CALLWNDPROC, on_sent, nullptr, GetCurrentThreadId());
    posted_hook = SetWindowsHookExW(WH_GETMESSAGE, on_posted, nullptr, GetCurrentThreadId());
  }
  void unhook_selections() {
    UnhookWindowsHookEx(sent_hook);
    UnhookWindowsHookEx(posted_hook);
  }
  Presser presser;
};

TEST_F(FolderBrowser, ConfirmedStartFolderComesBackWithOneTrailingBackslash) {
  std::wstring folder = make_folder(L"Work");
  EXPECT_EQ(folder + L"\\", browse(L"Pick a folder", folder.c_str(), IDOK));
  EXPECT_NE(std::wstring::npos, presser.seen.heading.find(L"Pick a folder|")) << "the title is shown above the tree";
}

TEST_F(FolderBrowser, DriveRootComesBackAsItIs) {
  EXPECT_EQ(L"C:\\", browse(nullptr, L"C:\\", IDOK));
}

TEST_F(FolderBrowser, CancelGivesTheEmptyTextWithThePositionBackAtStart) {
  ws_append(L"before");
  int start = ws_mark();
  EXPECT_EQ(L"", browse(L"t", root.c_str(), IDCANCEL, start));
  EXPECT_EQ(start, workspace_position);
  EXPECT_STREQ(L"before", ws_text_at(0));
}

TEST_F(FolderBrowser, GuardIsOnWhileTheDialogIsUpAndOffAfterOnBothPaths) {
  HWND mine = plain_window(L"mine", 0);
  // Another window of ours holds the foreground, so the guard must disable this one.
  HWND front = foreground_window(L"front", 120);
  ASSERT_EQ(front, GetForegroundWindow());
  presser.watched = mine;
  for (int button : {IDOK, IDCANCEL}) {
    presser.seen.owner_window_enabled = true;
    browse(L"t", root.c_str(), button);
    EXPECT_FALSE(presser.seen.owner_window_enabled) << "not disabled while the dialog was up, button " << button;
    EXPECT_EQ(nullptr, guard_list) << "button " << button;
    EXPECT_TRUE(IsWindowEnabled(mine)) << "button " << button;
  }
  DestroyWindow(front);
  DestroyWindow(mine);
}

TEST_F(FolderBrowser, OwnForegroundWindowOwnsTheDialog) {
  HWND front = foreground_window(L"front", 120);
  ASSERT_EQ(front, GetForegroundWindow());
  browse(L"t", root.c_str(), IDCANCEL);
  EXPECT_EQ(front, presser.seen.owner);
  DestroyWindow(front);
}

TEST_F(FolderBrowser, StartFolderLosesOneTrailingBackslashOnTheWay) {
  std::wstring folder = make_folder(L"Work");
  hook_selections();
  browse(L"t", (folder + L"\\").c_str(), IDOK);
  unhook_selections();
  ASSERT_EQ(2u, selections.size()) << "one request sent, the same one posted";
  EXPECT_EQ(folder, selections[0]);
  EXPECT_EQ(folder, selections[1]);
}

TEST_F(FolderBrowser, DriveRootKeepsItsBackslashOnTheWay) {
  hook_selections();
  browse(L"t", L"C:\\", IDCANCEL);
  unhook_selections();
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(L"C:\\", selections[0]);
}

TEST_F(FolderBrowser, LongStartFolderIsCutTo259Characters) {
  std::wstring initial = L"C:\\" + std::wstring(297, L'a');
  hook_selections();
  browse(L"t", initial.c_str(), IDCANCEL);
  unhook_selections();
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(initial.substr(0, 259), selections[0]);
}

TEST_F(FolderBrowser, EmptyStartFolderStillSendsBothRequests) {
  hook_selections();
  browse(L"t", nullptr, IDCANCEL);
  unhook_selections();
  EXPECT_EQ((std::vector<std::wstring>{L"", L""}), selections);
}

namespace {
DWORD WINAPI two_browses_then_count(void* result) {
  // A fresh thread: the flag is clear, so the first call initialises COM on this thread.
  com_initialized = 0;
  for (int i = 0; i < 2; ++i) {
    Presser presser;
    presser.button = IDCANCEL;
    presser.start();
    browse_for_folder(L"t", L"C:\\", 0);
    presser.join();
  }
  // One CoUninitialize balances one CoInitialize; a second one would keep the apartment.
  CoUninitialize();
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  *static_cast<HRESULT*>(result) = hr;
  if (SUCCEEDED(hr)) CoUninitialize();
  return 0;
}
}  // namespace

TEST_F(FolderBrowser, SecondCallDoesNotInitialiseComAgain) {
  HRESULT after = E_FAIL;
  HANDLE thread = CreateThread(nullptr, 0, two_browses_then_count, &after, 0, nullptr);
  WaitForSingleObject(thread, 60000);
  CloseHandle(thread);
  EXPECT_EQ(1, com_initialized);
  EXPECT_EQ(S_OK, after) << "the thread's apartment was initialised more than once";
}
