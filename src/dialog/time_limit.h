// The time limit: /timeout's seconds count from the start of the run; a dialog still up then closes
// unanswered, and whatever still blocks half a second later (a drive that stopped answering, a box
// over the dialog) ends the run.
#pragma once
#include <windows.h>

// Set when the limit closed the dialog; cleared once its outcome is known.
extern bool timed_out;

// Starts the run's limit of limit_ms from the process's start (0: none), with its last resort.
void limit_arm(UINT limit_ms);
// Whether the limit has run out: no dialog is shown then.
bool limit_passed();
// Around each dialog: it closes itself when the limit runs out while it is up.
void limit_start();
void limit_stop();
