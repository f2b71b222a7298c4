// The time limit of a run nobody answers: the dialog closes itself, with a last resort for whatever
// cannot return.
#include "dialog/time_limit.h"

#include "dialog/shown_dialog.h"
#include "runtime/exit_codes.h"
#include "runtime/frame.h"

bool timed_out;

namespace {
UINT deadline_ms;  // from the process's start; 0: no limit
UINT_PTR limit_timer;
// Inside the half second the run is promised: the end itself and the caller's clock take some.
constexpr DWORD kGraceMs = 350;

// Closes the dialog as a cancel would; the outcome then tells the two apart.
void CALLBACK time_is_up(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  timed_out = true;
  close_shown_dialog();
}

// A box over the dialog (an error during navigation, say) runs its own message loop and keeps the
// dialog from closing; a shell call stuck on a server, or a lookup before any dialog, runs none. Either
// way nobody answers. A line already begun is written whole first.
void CALLBACK end_unanswered(void*, BOOLEAN) { end_run(EXIT_UNANSWERED); }
}  // namespace

void limit_arm(UINT limit_ms) {
  if (!(deadline_ms = limit_ms)) return;
  DWORD elapsed = run_elapsed_ms(), end = limit_ms + kGraceMs;
  HANDLE last_resort = nullptr;  // never deleted: it watches the whole run, up to the line
  // On the timer queue's own thread, not one started at the limit: a new thread waits on the loader's lock, which a
  // shell extension stuck in loading holds. Windows does not say when the queue's thread starts; where it starts
  // late, it meets the same wait.
  CreateTimerQueueTimer(&last_resort, nullptr, end_unanswered, nullptr, end > elapsed ? end - elapsed : 0, 0,
                        WT_EXECUTEONLYONCE | WT_EXECUTEINTIMERTHREAD);
}

bool limit_passed() { return deadline_ms && run_elapsed_ms() >= deadline_ms; }

// A thread timer: every modal loop on the thread dispatches it, whichever window is active.
void limit_start() {
  if (!deadline_ms) return;
  DWORD elapsed = run_elapsed_ms();
  limit_timer = SetTimer(nullptr, 0, deadline_ms > elapsed ? deadline_ms - elapsed : USER_TIMER_MINIMUM, time_is_up);
}

void limit_stop() {
  if (limit_timer) KillTimer(nullptr, limit_timer);
  limit_timer = 0;
}
