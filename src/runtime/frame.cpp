// The runtime frame's values, its initialisation, the common-controls and COM set-up, and the
// end routine shared by shut-down and the console close event.
#include "runtime/frame.h"

#include <commctrl.h>
#include <objbase.h>

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
void (*volatile interrupt_hook)();

namespace {
constexpr int kRuntimeStateBytes = 24;
constexpr int kHandleItemBytes = 8;
constexpr int kHandleSlots = 4;
constexpr DWORD kCommonControlClasses = ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES |
                                        ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;  // 0xB48
static_assert(kCommonControlClasses == 0xB48);

// Zero at load; set once by whichever thread runs runtime_end first.
volatile LONG end_started;
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
  interrupt_hook = nullptr;
}

HANDLE runtime_heap_create() {
  HANDLE heap = HeapCreate(0, 4096, 0);
  if (!heap) out_of_memory();
  return heap;
}

void runtime_init() {
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
  objects_at_exit();
  if (spare_heap) HeapDestroy(spare_heap);
}

BOOL WINAPI close_event_handler(DWORD control_type) {
  // Ended by the default handler, the process would exit with 0xC000013A, which is negative:
  // `if errorlevel 1` would miss it and the script would go on as if a folder had been chosen.
  if (control_type == CTRL_C_EVENT || control_type == CTRL_BREAK_EVENT) {
    // A full barrier: a dialog registering at this moment either sees the flag or is seen by the hook.
    InterlockedExchange(&console_interrupted, 1);
    if (auto hook = interrupt_hook) hook();
    return TRUE;
  }
  if (control_type == CTRL_CLOSE_EVENT) runtime_end();
  // FALSE passes the event on to the default handler, which ends the process.
  return FALSE;
}
