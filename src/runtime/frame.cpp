// The runtime frame's values, its initialisation, the common-controls and COM set-up, and the
// end routine shared by shut-down and the console close event.
#include "runtime/frame.h"

#include <commctrl.h>
#include <objbase.h>

#include "runtime/exit_codes.h"
#include "runtime/lists.h"
#include "runtime/memory.h"
#include "runtime/objects.h"

HANDLE main_heap;
HANDLE spare_heap;
HMODULE module_handle;
long long process_exit_code;
void* runtime_state_block;
ObjectTable* handle_table;
ObjectTable* exit_table;
volatile LONG console_interrupted;

namespace {
constexpr int kRuntimeStateBytes = 24;
constexpr int kHandleItemBytes = 8;
constexpr int kHandleSlots = 4;
constexpr DWORD kCommonControlClasses = ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES |
                                        ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;  // 0xB48
static_assert(kCommonControlClasses == 0xB48);

// Zero at load; set once by whichever thread runs runtime_end first.
volatile LONG end_started;

// The main thread ends a run in well under this once its dialog has gone; where it cannot, the process still has
// to go within the second a Ctrl+C promises, and a loaded machine takes its share of that to end it.
constexpr DWORD kInterruptGraceMs = 200;
constexpr DWORD kCloseWaitMs = 4000, kCloseStepMs = 10;
constexpr ULONGLONG kTicksPerMs = 10000;  // FILETIME counts 100 ns

enum LineState : LONG { LINE_NOT_BEGUN, LINE_BEGUN, LINE_WRITTEN, RUN_ENDED };
volatile LONG line_state;

constexpr DWORD kTitleRoom = 1024;
wchar_t saved_title[kTitleRoom];
volatile LONG title_saved;

// The threads whose pending I/O the end cancels: the main thread and the walks of the disk.
HANDLE blocked_threads[8];

void restore_title() {
  if (InterlockedExchange(&title_saved, 0)) SetConsoleTitleW(saved_title);
}
}  // namespace

void runtime_clear() {
  main_heap = nullptr;
  spare_heap = nullptr;
  module_handle = nullptr;
  process_exit_code = 0;
  runtime_state_block = nullptr;
  handle_table = nullptr;
  exit_table = nullptr;
  end_started = 0;
  console_interrupted = 0;
  line_state = LINE_NOT_BEGUN;
  title_saved = 0;
}

HANDLE runtime_heap_create() {
  HANDLE heap = HeapCreate(0, 4096, 0);
  if (!heap) out_of_memory();
  return heap;
}

void runtime_init() {
  HANDLE main_thread = nullptr;  // a handle of its own: GetCurrentThread's stands for whichever thread uses it
  DuplicateHandle(this_process(), this_thread(), this_process(), &main_thread, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  cancel_at_end(main_thread);
  runtime_state_block = alloc_zeroed(kRuntimeStateBytes, nullptr);
  handle_table = object_table_create(kHandleItemBytes, kHandleSlots, handle_release);
}

HRESULT ui_init() {
  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof(controls);
  controls.dwICC = kCommonControlClasses;
  InitCommonControlsEx(&controls);
  return CoInitialize(nullptr);
}

void runtime_end() {
  // The close-event thread and the main thread's shut-down may both get here; the spare heap
  // must be destroyed once only.
  if (InterlockedExchange(&end_started, 1) != 0) return;
  restore_title();
  objects_at_exit();
  if (spare_heap) HeapDestroy(spare_heap);
}

BOOL WINAPI close_event_handler(DWORD control_type) {
  // Ended by the default handler, the process would exit with 0xC000013A, which is negative:
  // `if errorlevel 1` would miss it and the script would go on as if a folder had been chosen.
  bool close = control_type == CTRL_CLOSE_EVENT;
  if (control_type != CTRL_C_EVENT && control_type != CTRL_BREAK_EVENT && !close) return FALSE;
  // A full barrier: a dialog registering at this moment either sees the flag or is seen by its watcher.
  InterlockedExchange(&console_interrupted, 1);
  // This thread is the system's own: the main thread ends the process meanwhile, or cannot.
  Sleep(kInterruptGraceMs);
  if (close) runtime_end();
  end_run(EXIT_CANCELLED);
  // A line was begun: the main thread ends the run with its own code. Returning would let the system end a
  // closing console's process at once, in the middle of that line; it ends it after five seconds anyway.
  for (DWORD waited = 0; close && waited < kCloseWaitMs && line_state != RUN_ENDED; waited += kCloseStepMs)
    Sleep(kCloseStepMs);
  return TRUE;
}

DWORD run_elapsed_ms() {
  FILETIME created, ended, kernel, user, now;
  if (!GetProcessTimes(this_process(), &created, &ended, &kernel, &user)) return 0;
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& time) { return ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart; };
  ULONGLONG start = ticks(created), at = ticks(now);
  return at > start ? static_cast<DWORD>((at - start) / kTicksPerMs) : 0;
}

bool line_begin() {
  // After a line, another may follow (the unit tests write several); never while one is being written, nor
  // after a Ctrl+C, which the run ends as a cancel.
  if (InterlockedCompareExchange(&line_state, LINE_BEGUN, LINE_WRITTEN) == LINE_WRITTEN) return true;
  if (InterlockedCompareExchange(&line_state, LINE_BEGUN, LINE_NOT_BEGUN) != LINE_NOT_BEGUN) return false;
  if (!console_interrupted) return true;
  InterlockedExchange(&line_state, LINE_NOT_BEGUN);
  // The handler may have tried to end the run while the line seemed begun, and left it to this thread.
  end_run(EXIT_CANCELLED);
  return false;
}

unsigned run_exit_code(unsigned exit_code) {
  LONG state = InterlockedExchange(&line_state, RUN_ENDED);
  // Another thread has ended the run and is ending the process with its own code (the time limit's 2).
  if (state == RUN_ENDED) Sleep(INFINITE);
  return console_interrupted && state != LINE_WRITTEN ? EXIT_CANCELLED : exit_code;
}

void line_end() { InterlockedCompareExchange(&line_state, LINE_WRITTEN, LINE_BEGUN); }

void end_run(unsigned exit_code) {
  if (InterlockedCompareExchange(&line_state, RUN_ENDED, LINE_NOT_BEGUN) != LINE_NOT_BEGUN) return;
  restore_title();
  // An ended process cannot go before its pending I/O has: a request waiting on a server is cancelled, where
  // the drive's driver allows it, instead of waited out.
  for (HANDLE thread : blocked_threads)
    if (thread) CancelSynchronousIo(thread);
  TerminateProcess(this_process(), exit_code);
}

void cancel_at_end(HANDLE thread) {
  for (HANDLE& slot : blocked_threads)
    if (!slot) return void(slot = thread);
}

void console_title_while_waiting(const wchar_t* title) {
  if (!title) return restore_title();
  if (!title_saved && GetConsoleTitleW(saved_title, kTitleRoom)) InterlockedExchange(&title_saved, 1);
  if (title_saved) SetConsoleTitleW(title);
}
