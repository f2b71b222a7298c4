// The time limit: a dialog nobody answers closes after /timeout's seconds, or the process ends.
#pragma once
#include <windows.h>

// Milliseconds from just before a dialog shows until it closes unanswered; 0: no limit. A dialog that
// cannot close then (a box over it) ends the process with kExitUnanswered half a second later.
extern UINT browse_timeout_ms;
constexpr UINT kExitUnanswered = 2;
// Set when the limit closed the dialog; cleared once its outcome is known.
extern bool timed_out;

// Around each dialog: the limit starts just before it shows and stops once it has returned.
void limit_start();
void limit_stop();
