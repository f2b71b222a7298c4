// The time limit: a dialog nobody answers closes after /timeout's seconds, or the process ends.
#pragma once
#include <windows.h>

constexpr UINT kExitUnanswered = 2;
// Set when the limit closed the dialog; cleared once its outcome is known.
extern bool timed_out;

// Around each dialog: the limit starts just before it shows and stops once it has returned.
void limit_start();
void limit_stop();
