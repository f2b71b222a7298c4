// Window guard passes over the guard list.
#include "dialog/guard.h"

ListNode* guard_list;

namespace {
constexpr UINT kKeepPlace = SWP_NOSIZE | SWP_NOMOVE;
constexpr int kGuardNodeBytes = sizeof(ListNode) + sizeof(GuardRecord);

GuardRecord* record_of(ListNode* node) { return reinterpret_cast<GuardRecord*>(node + 1); }
}  // namespace

BOOL CALLBACK guard_enum_window(HWND window, LPARAM) {
  DWORD me = GetCurrentThreadId();
  if (GetWindowThreadProcessId(window, nullptr) != me) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  // Without a record the off pass could not restore the window, so it is left as it is.
  auto* record = static_cast<GuardRecord*>(list_push_front(&guard_list, kGuardNodeBytes));
  if (!record) return TRUE;
  record->window = window;
  record->thread_id = me;
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) record->was_topmost = 1;
  // The foreground window stays enabled: it owns the dialog.
  if (window == GetForegroundWindow()) return TRUE;
  if (!IsWindowEnabled(window)) return TRUE;
  record->disabled_by_guard = 1;
  EnableWindow(window, FALSE);
  return TRUE;
}

void guard_windows(int on) {
  DWORD me = GetCurrentThreadId();
  if (on) {
    EnumWindows(guard_enum_window, on);
    // Out of the topmost band after the enumeration, so that the Z-order changes do not
    // disturb the walk over the windows.
    for (ListNode* node = guard_list; node; node = node->next) {
      GuardRecord* record = record_of(node);
      if (record->thread_id == me && record->was_topmost)
        SetWindowPos(record->window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
    }
    return;
  }
  for (ListNode* node = guard_list, *next; node; node = next) {
    next = node->next;
    GuardRecord* record = record_of(node);
    if (record->thread_id != me) continue;
    if (record->disabled_by_guard) EnableWindow(record->window, TRUE);
    if (record->was_topmost) SetWindowPos(record->window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
    list_unlink_free(&guard_list, record);
  }
}
