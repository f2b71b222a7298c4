// Real windows in-process: the guard's records and restores, the browser's result, owner, guard, Ctrl+C
// and one-time COM set-up around both real dialogs; placement; long folders by name; refused paths.
#include <objbase.h>

#include <thread>
#include <vector>

#include "dialog/browser.h"
#include "dialog/fence.h"
#include "dialog/placement.h"
#include "dialog/shown_dialog.h"
#include "dialog/tree_dialog.h"
#include "dialog/guard.h"
#include "dialog/shell_items.h"
#include "harness.h"

#include <commctrl.h>
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

// On a fresh thread, whose COM flag is clear, as in the tool: both dialogs while our other windows
// are up, one of them on another thread that keeps its own guard on throughout. While a dialog is
// up the guard disables what is visible and enabled, but for the owner, and unpins the topmost;
// afterwards everything is as it was, and the other thread's records stay its own.
TEST_F(Windows, BrowserGuardsOurOtherWindowsAndSetsUpComOnce) {
  std::wstring work = make(L"Work");
  HWND other = nullptr;
  HRESULT after = E_FAIL;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr), done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  main_heap = runtime_heap_create();
  line_begin();  // the test's own process: a Ctrl+C's last resort would end it
  std::thread guarding([&] {
    other = make_window();
    guard_windows(1);
    SetEvent(ready);
    while (WaitForSingleObject(done, 0) == WAIT_TIMEOUT) pump(10);
    guard_windows(0);
    DestroyWindow(other);
  });
  WaitForSingleObject(ready, 10000);
  std::thread([&] {
    ws_init();
    HWND hidden = make_window(false), disabled = make_window(), ordinary = make_window();
    HWND front = make_window(true, WS_EX_TOPMOST, true);
    EnableWindow(disabled, FALSE);
    auto state = [=] {  // ordinary, front, the other thread's window: enabled, topmost; then records
      std::wstring text;
      for (HWND w : {ordinary, front, other}) text += {wchar_t('0' + IsWindowEnabled(w)), wchar_t('0' + topmost(w))};
      text += L"|" + std::to_wstring(!record_for(hidden));
      for (HWND w : {disabled, front}) text += record_for(w) ? std::to_wstring(record_for(w)->disabled_by_guard) : L"-";
      return text;
    };
    BrowseRequest request = {.title = L"t", .start = work.c_str()};
    auto browse = [&](int button, int ctrl = -1) {  // a console control event while the dialog is up
      Seen seen;
      std::thread answerer([&] {  // the state first, then the event
        seen = answer_dialog(0, {.button = button, .pick = button ? work : L""}, nullptr, [&]() -> std::wstring {
          std::wstring noted = state();
          return ctrl < 0 || close_event_handler(ctrl) ? noted : L"refused";
        });
      });
      ws_append(L"before");
      ::browse(request, 12);
      answerer.join();
      EXPECT_EQ(L"before", std::wstring(ws_text_at(0), 6));
      EXPECT_EQ(front, seen.owner) << "our own foreground window owns the dialog";
      EXPECT_EQ(L"000010|100", seen.noted) << "while the dialog was up (it disables its owner)";
      EXPECT_EQ(L"101110|1--", state()) << "after the dialog";
      std::wstring result(ws_text_at(12), static_cast<size_t>(workspace_position - 12) / 2);
      return ws_rewind(0), result;
    };
    EXPECT_EQ(work, browse(IDOK)) << "without a trailing backslash";
    EXPECT_EQ(L"", browse(IDCANCEL)) << "a second dialog on the thread, cancelled";
    EXPECT_NE(0, browse_callback(nullptr, BFFM_VALIDATEFAILEDW, 0, 0)) << "a typed name that is no folder";
    EXPECT_TRUE(desktop_visible(1) && !desktop_visible(0)) << "session 0, the services', shows nobody a dialog";
    // One CoUninitialize balances the one CoInitialize of two dialogs; after a second, the apartment would stay.
    CoUninitialize();
    after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoInitialize(nullptr);
    request.modern = 1;
    EXPECT_EQ(L"", browse(0, CTRL_BREAK_EVENT)) << "Ctrl+Break cancels the file dialog";
    console_interrupted = 0;
    for (HWND w : {hidden, disabled, ordinary, front}) DestroyWindow(w);
    ws_done();
  }).join();
  EXPECT_EQ(S_OK, after) << "COM was set up more than once on the thread";
  EXPECT_NE(nullptr, record_for(other)) << "another thread's record was removed";
  SetEvent(done);
  guarding.join();
  EXPECT_EQ(nullptr, guard_list);
}

// Over a console window that shows nothing (minimised, hidden) a dialog is centred on the work area;
// centred over a window at the screen's edge, it stays wholly on the work area.
TEST(Placement, CentredOverWhatIsSeenAndKeptOnTheWorkArea) {
  RECT area, r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  HWND dialog = make_window(), hidden = make_window(false), low = make_window(), edge = make_window();
  ShowWindow(low, SW_MINIMIZE);
  SetWindowPos(edge, nullptr, area.right - 100, area.bottom - 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  for (auto [over, centred] : {std::pair{hidden, true}, {low, true}, {edge, false}}) {
    place_centred(dialog, over);
    GetWindowRect(dialog, &r);
    EXPECT_TRUE(r.right <= area.right && r.bottom <= area.bottom) << r.right << "," << r.bottom;
    if (centred) {
      EXPECT_NEAR(area.left + area.right, r.left + r.right, 4) << "not centred on the work area";
    }
  }
  for (HWND w : {dialog, hidden, low, edge}) DestroyWindow(w);
}

// Windows's tree shows a share as "share (on server)", and its selection may be ahead of the walk: a level
// matches by either name, and the walk never collapses nor selects an item above the selection.
TEST(Tree, WalkMatchesEitherNameAndLeavesTheSelectionBelow) {
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  auto add = [&](HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW at = {.hParent = parent, .hInsertAfter = TVI_LAST};
    at.item = {.mask = TVIF_TEXT, .pszText = const_cast<wchar_t*>(text)};
    return TreeView_InsertItem(tree, &at);
  };
  HTREEITEM pc = add(add(TVI_ROOT, L"Desktop"), L"This PC"), work = add(add(pc, L"share (on server)"), L"Work");
  HTREEITEM inner = add(work, L"Inner");
  const wchar_t* names[] = {L"PC", L"This PC", L"share", L"share (on server)", L"Work", L"Work", L"Gone", L"Gone"};
  walk_tree(tree, const_cast<wchar_t**>(names), 3);
  EXPECT_EQ(work, TreeView_GetSelection(tree)) << "found by its other name";
  TreeView_SelectItem(tree, inner);
  walk_tree(tree, const_cast<wchar_t**>(names), 4);
  EXPECT_EQ(inner, TreeView_GetSelection(tree)) << "Work was collapsed or selected while it held the selection";
  DestroyWindow(tree);
}

// Windows may refuse the path of a folder beyond MAX_PATH rather than cut it: a file-system folder
// is then rebuilt from its parent, or is unreadable (never a cancel); anything else has no path, and so
// has a computer under Network, a file-system folder whose parent has none.
struct Refusing : IShellItem {
  IShellItem* parent;  // given out without a reference of its own
  SFGAOF kinds;
  Refusing(IShellItem* p, SFGAOF k) : parent(p), kinds(k) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetParent(IShellItem** out) override { return parent ? (*out = parent, S_OK) : E_FAIL; }
  HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN how, LPWSTR* name) override {
    if (how != SIGDN_PARENTRELATIVEPARSING) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return *name = static_cast<LPWSTR>(CoTaskMemAlloc(12)), wcscpy(*name, L"Named"), S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF mask, SFGAOF* out) override {
    return *out = kinds & mask, *out == mask ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }
};

// A start folder beyond MAX_PATH is found among its parent's children by name, as the file system tells
// names apart: never a twin that lstrcmpiW takes for it, whichever of the two comes first.
TEST_F(Windows, LongFoldersAreFoundByTheirExactNamesAndRebuiltFromTheirParents) {
  main_heap = runtime_heap_create();
  ws_init();
  CoInitialize(nullptr);
  HMODULE module = shell_load();
  IShellItem* windows = nullptr;
  ASSERT_TRUE(module && SUCCEEDED(shell.item_of_path(L"C:\\windows", nullptr, IID_PPV_ARGS(&windows))));
  constexpr SFGAOF kFolder = SFGAO_FILESYSTEM | SFGAO_FOLDER;
  windows->AddRef();  // given out as a parent, and released there
  Refusing outer(windows, kFolder), deeper(&outer, kFolder), orphan(nullptr, kFolder), virtual_item(windows, 0);
  Refusing network(nullptr, 0), computer(&network, kFolder);
  std::vector<std::tuple<IShellItem*, int, std::wstring>> rows = {
      {&deeper, 1, L"C:\\windows\\Named\\Named"}, {&orphan, -1, L""}, {&virtual_item, 0, L""}, {&computer, 0, L""}};
  std::wstring base = make(std::wstring(255 - root.size(), L'n')).substr(root.size() + 1);
  for (auto [a, b] : {std::pair{L"stra\x00DF" L"e", L"strasse"}, {L"caf\x00E9", L"cafe\x0301"},
                      {L"ab\x00AD" L"c", L"abc"}})
    for (std::wstring path : {make(base + L"\\" + a), make(base + L"\\" + b)})
      rows.push_back({item_of_long_folder(path.data(), static_cast<int>(path.size())), 1, path});
  static ItemOfPathFn parse;  // a shell that parses the drive root alone: walked from there
  parse = shell.item_of_path;
  shell.item_of_path = [](PCWSTR path, IBindCtx* c, REFIID id, void** out) {
    return wcscmp(path, L"C:\\") ? E_FAIL : parse(path, c, id, out);
  };
  std::wstring from_root = make(base + L"\\from-the-root");
  rows.push_back({item_of_long_folder(from_root.data(), static_cast<int>(from_root.size())), 1, from_root});
  shell.item_of_path = parse;
  for (auto [item, read, path] : rows) {
    EXPECT_EQ(read, item ? append_item_path(item) : 2) << encoded(path);
    EXPECT_EQ(path, std::wstring(ws_text_at(0), static_cast<size_t>(workspace_position / 2)));
    ws_rewind(0);
    if (item) item->Release();  // the stand-ins' Release does nothing
  }
  // The file dialog's fence: the root and what lies below it; never a folder beside it or above it.
  std::wstring fence = make(L"Work\\Inner").substr(0, root.size() + 5), below = fence + L"\\";
  BrowseRequest fenced = {.root = below.c_str()};
  for (auto [path, inside] :
       {std::pair{fence + L"\\Inner", true}, {fence, true}, {make(L"Work2"), false}, {root, false}}) {
    IShellItem* item = nullptr;
    ASSERT_TRUE(SUCCEEDED(shell.item_of_path(path.c_str(), nullptr, IID_PPV_ARGS(&item)))) << encoded(path);
    EXPECT_EQ(inside ? S_OK : E_ACCESSDENIED, fence_navigation(fenced, item, nullptr)) << encoded(path);
    EXPECT_EQ(inside ? S_OK : S_FALSE, fence_pick(fenced, item, nullptr)) << encoded(path);
    item->Release();
  }
  int mark = ws_mark();
  ws_append(L"C:\\windows.");  // a script would open C:\windows
  EXPECT_EQ(NAME_STRIPPED, path_refusal({}, mark, 11, true));
  ws_rewind(mark);
  // A shortcut to a folder stands for the folder, as Windows' own dialogs take it.
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
  ASSERT_TRUE(link && SUCCEEDED(link->SetPath(fence.c_str())) && SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&file))));
  file->Save((root + L"\\To Work.lnk").c_str(), TRUE), file->Release(), link->Release();
  IShellItem* shortcut = nullptr;
  ASSERT_TRUE(SUCCEEDED(shell.item_of_path((root + L"\\To Work.lnk").c_str(), nullptr, IID_PPV_ARGS(&shortcut))));
  EXPECT_EQ(1, append_item_path(shortcut = follow_link(shortcut)));
  EXPECT_EQ(fence, std::wstring(ws_text_at(mark))) << "the shortcut, not its target";
  shortcut->Release();
  windows->Release();
  FreeLibrary(module);
  ws_done();
}
