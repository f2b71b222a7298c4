// The shell's folder dialogs, loaded from SHELL32 and COM at run time, preselected on a start
// folder, with the window guard on while one is up.
#pragma once
#include <windows.h>

// Set on the first call, before COM is initialised for the dialog; never reset.
extern int com_initialized;

// Where the next dialog opens. With center set, it is centred over `over` (or over the work
// area of the primary monitor when that is null) and kept wholly on that monitor's work area;
// otherwise the system places it.
struct BrowsePlacement {
  int center;
  HWND over;
};
extern BrowsePlacement browse_placement;

// Set for the file dialog in pick-folders mode; the tree dialog stands in where it cannot be shown.
extern int browse_modern_dialog;

// Milliseconds from just before a dialog shows until it closes unanswered; 0: no limit. A dialog that
// cannot close then (a box over it) ends the process with kExitUnanswered half a second later.
extern UINT browse_timeout_ms;
constexpr UINT kExitUnanswered = 2;

enum BrowseOutcome { BROWSE_CANCELLED, BROWSE_CHOSEN, BROWSE_UNREADABLE, BROWSE_TIMED_OUT };

// False on a window station nobody sees (a service, a task that is not interactive, an SSH
// session): a dialog there could never be answered.
bool desktop_visible();

// Leaves the chosen folder, whole at any length, with exactly one trailing backslash at start, or
// the empty text (cancel, no file-system path, no SHELL32, or a path that cannot be read whole:
// BROWSE_UNREADABLE; the time limit ran out: BROWSE_TIMED_OUT); the position ends on the NUL.
int browse_for_folder(const wchar_t* title, const wchar_t* initial_folder, int start);
int CALLBACK browse_callback(HWND window, UINT message, LPARAM param, LPARAM data);
HWND own_foreground_window();
// Moves a top-level window as browse_placement asks.
void place_centred(HWND window, HWND over);
