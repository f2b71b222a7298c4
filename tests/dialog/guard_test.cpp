// The window guard with real windows on a virtual display: what it records, disables, takes
// out of the topmost band and restores, and what it leaves alone.
#include "dialog/guard.h"

#include <vector>

#include "gtest/gtest.h"
#include "runtime/frame.h"
#include "support/windows.h"

namespace {
constexpr wchar_t kClass[] = L"DirpickGuardTestWindow";

HWND make_window(bool visible, DWORD ex_style = 0) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    registered = true;
  }
  HWND w = CreateWindowExW(ex_style, kClass, L"guard test", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 50,
                           50, 200, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  pump_messages(30);
  return w;
}

GuardRecord* record_for(HWND window) {
  for (ListNode* node = guard_list; node; node = node->next) {
    auto* record = reinterpret_cast<GuardRecord*>(node + 1);
    if (record->window == window) return record;
  }
  return nullptr;
}

bool is_topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A window owned by a second thread, which pumps its messages until told to stop.
struct OtherThreadWindow {
  HWND window = nullptr;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  volatile LONG stop = 0;
  HANDLE thread = nullptr;
  bool guard_from_there = false;

  static DWORD WINAPI run(void* self_) {
    auto* self = static_cast<OtherThreadWindow*>(self_);
    self->window = make_window(true);
    if (self->guard_from_there) guard_windows(1);
    SetEvent(self->ready);
    while (!self->stop) pump_messages(10);
    if (self->guard_from_there) guard_windows(0);
    DestroyWindow(self->window);
    return 0;
  }
  void start(bool guard_there = false) {
    guard_from_there = guard_there;
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
    WaitForSingleObject(ready, 10000);
  }
  void finish() {
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(ready);
  }
};
}  // namespace

class WindowGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    main_heap = runtime_heap_create();
    guard_list = nullptr;
  }
  void TearDown() override {
    for (HWND w : windows) DestroyWindow(w);
    HeapDestroy(main_heap);
    main_heap = nullptr;
    guard_list = nullptr;
  }
  static void bring_to_front(HWND w) {
    SetForegroundWindow(w);
    pump_messages(30);
  }
  HWND window(bool visible = true, DWORD ex_style = 0) {
    windows.push_back(make_window(visible, ex_style));
    return windows.back();
  }
  std::vector<HWND> windows;
};

TEST_F(WindowGuard, LeavesAHiddenWindowUnrecordedAndUntouched) {
  HWND hidden = window(false);
  guard_windows(1);
  EXPECT_EQ(nullptr, record_for(hidden));
  EXPECT_TRUE(IsWindowEnabled(hidden));
  guard_windows(0);
  EXPECT_TRUE(IsWindowEnabled(hidden));
}

TEST_F(WindowGuard, DisablesAnOrdinaryWindowWhileOnWithoutMovingItInTheZOrder) {
  HWND front = window();
  HWND ordinary = window();
  bring_to_front(front);
  ASSERT_EQ(front, GetForegroundWindow());
  HWND below_before = GetWindow(ordinary, GW_HWNDNEXT);
  HWND above_before = GetWindow(ordinary, GW_HWNDPREV);
  guard_windows(1);
  EXPECT_FALSE(IsWindowEnabled(ordinary));
  ASSERT_NE(nullptr, record_for(ordinary));
  EXPECT_EQ(1, record_for(ordinary)->disabled_by_guard);
  EXPECT_EQ(below_before, GetWindow(ordinary, GW_HWNDNEXT));
  EXPECT_EQ(above_before, GetWindow(ordinary, GW_HWNDPREV));
  guard_windows(0);
  EXPECT_TRUE(IsWindowEnabled(ordinary));
  EXPECT_EQ(nullptr, guard_list);
}

TEST_F(WindowGuard, ForegroundWindowLeavesAndRejoinsTheTopmostBandButStaysEnabled) {
  HWND front = window(true, WS_EX_TOPMOST);
  bring_to_front(front);
  ASSERT_EQ(front, GetForegroundWindow());
  ASSERT_TRUE(is_topmost(front));
  guard_windows(1);
  ASSERT_NE(nullptr, record_for(front));
  EXPECT_EQ(1, record_for(front)->was_topmost);
  EXPECT_EQ(0, record_for(front)->disabled_by_guard);
  EXPECT_TRUE(IsWindowEnabled(front));
  EXPECT_FALSE(is_topmost(front));
  guard_windows(0);
  EXPECT_TRUE(is_topmost(front));
  EXPECT_TRUE(IsWindowEnabled(front));
}

TEST_F(WindowGuard, AWindowDisabledBeforehandStaysDisabled) {
  HWND front = window();
  HWND disabled = window();
  bring_to_front(front);
  EnableWindow(disabled, FALSE);
  guard_windows(1);
  ASSERT_NE(nullptr, record_for(disabled));
  EXPECT_EQ(0, record_for(disabled)->disabled_by_guard);
  guard_windows(0);
  EXPECT_FALSE(IsWindowEnabled(disabled));
}

TEST_F(WindowGuard, LeavesOtherThreadsWindowsAlone) {
  OtherThreadWindow other;
  other.start();
  guard_windows(1);
  EXPECT_EQ(nullptr, record_for(other.window));
  EXPECT_TRUE(IsWindowEnabled(other.window));
  guard_windows(0);
  other.finish();
}

TEST_F(WindowGuard, OffTouchesOnlyTheCallingThreadsRecords) {
  window();
  OtherThreadWindow other;
  other.start(true);  // the other thread switches its own guard on and keeps it on
  ASSERT_NE(nullptr, record_for(other.window));
  guard_windows(1);
  guard_windows(0);
  EXPECT_NE(nullptr, record_for(other.window)) << "another thread's record was removed";
  for (ListNode* node = guard_list; node; node = node->next)
    EXPECT_NE(GetCurrentThreadId(), reinterpret_cast<GuardRecord*>(node + 1)->thread_id);
  other.finish();
  EXPECT_EQ(nullptr, guard_list);
}

TEST_F(WindowGuard, OffWithoutRecordsDoesNothing) {
  HWND ordinary = window();
  guard_windows(0);
  EXPECT_EQ(nullptr, guard_list);
  EXPECT_TRUE(IsWindowEnabled(ordinary));
}

TEST_F(WindowGuard, BothPassesVisitRecordsNewestFirst) {
  window();
  window();
  guard_windows(1);
  // EnumWindows reports top of the Z order first, and records go to the front.
  std::vector<HWND> recorded;
  for (ListNode* node = guard_list; node; node = node->next)
    recorded.push_back(reinterpret_cast<GuardRecord*>(node + 1)->window);
  ASSERT_GE(recorded.size(), 2u);
  EXPECT_EQ(windows.front(), recorded.front()) << "the lower window was reported last, so it heads the list";
  guard_windows(0);
}
