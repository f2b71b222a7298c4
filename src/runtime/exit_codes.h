// The exit codes a calling script sees, in one place.
#pragma once

enum ExitCode : unsigned {
  EXIT_WRITTEN = 0,      // the line was written (and after the usage text)
  EXIT_CANCELLED = 1,    // the user cancelled, by the dialog, Ctrl+C or the console's close
  EXIT_UNANSWERED = 2,   // nobody answered: no desktop, no dialog, the time limit, a root that is silent
  EXIT_REFUSED = 255,    // a parameter refused, or no line written
};
