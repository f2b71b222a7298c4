// Start-up and shut-down in their fixed order; heaps end in the reverse of their creation.
#include "app/startup.h"

#include <windows.h>

#include "app/driver.h"
#include "console/channel.h"
#include "runtime/frame.h"
#include "strings/conversion.h"
#include "strings/workspace.h"

void runtime_startup() {
  // A drive with no medium answers the walk at once, instead of waiting on the system's box for a disk.
  SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);  // the caller's modes kept
  runtime_clear();
  driver_clear();
  module_handle = GetModuleHandleW(nullptr);
  main_heap = runtime_heap_create();
  ws_init();
  spare_heap = runtime_heap_create();
  runtime_init();
  ui_init();
  console_open(nullptr, ENC_UTF8);
}

void runtime_shutdown() {
  runtime_end();
  ws_done();
  HeapDestroy(main_heap);
  // Not ExitProcess: the DLLs' detach code would wait on locks that a shell thread, stuck on a drive that
  // stopped answering and ended meanwhile, may hold. Nothing here is left to flush.
  TerminateProcess(this_process(), run_exit_code(static_cast<UINT>(process_exit_code)));
  __builtin_unreachable();  // ending its own process, the call does not return
}
