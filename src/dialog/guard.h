// The modal window guard: while on, the calling thread's other visible top-level windows are
// disabled and none stays in the topmost band; off undoes exactly what on did.
#pragma once
#include <windows.h>

#include "runtime/lists.h"

struct GuardRecord {
  DWORD thread_id;
  HWND window;
  BYTE was_topmost;
  BYTE disabled_by_guard;
};

// Newest record first; records carry their thread, and each pass touches only its own.
extern ListNode* guard_list;

void guard_windows(int on);
BOOL CALLBACK guard_enum_window(HWND window, LPARAM unused);
