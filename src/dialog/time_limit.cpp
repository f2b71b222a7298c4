// The time limit of a dialog nobody answers, with a last resort for a dialog that cannot close.
#include "dialog/time_limit.h"

#include "dialog/request.h"
#include "dialog/shown_dialog.h"

bool timed_out;

namespace {
UINT_PTR limit_timer;
HANDLE last_resort;
constexpr DWORD kGraceMs = 500;

// Closes the dialog as a cancel would; the outcome then tells the two apart.
void CALLBACK time_is_up(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  timed_out = true;
  close_shown_dialog();
}

// A box over the dialog (an error during navigation, say) runs its own message loop and keeps the
// dialog from closing; a shell call stuck on a server runs none. Either way nobody answers.
void CALLBACK end_unanswered(void*, BOOLEAN) { TerminateProcess(GetCurrentProcess(), kExitUnanswered); }
}  // namespace

// A thread timer: every modal loop on the thread dispatches it, whichever window is active.
void limit_start() {
  if (!browse_request.timeout_ms) return;
  limit_timer = SetTimer(nullptr, 0, browse_request.timeout_ms, time_is_up);
  CreateTimerQueueTimer(&last_resort, nullptr, end_unanswered, nullptr, browse_request.timeout_ms + kGraceMs, 0,
                        WT_EXECUTEONLYONCE);
}

// Waits for a last-resort end already under way, so that no line is ever written after it began.
void limit_stop() {
  if (limit_timer) KillTimer(nullptr, limit_timer);
  if (last_resort) DeleteTimerQueueTimer(nullptr, last_resort, INVALID_HANDLE_VALUE);
  limit_timer = 0;
  last_resort = nullptr;
}
