// Where a dialog opens and who owns it: centring over the console window, kept on the work area.
#pragma once
#include <windows.h>

// Where the next dialog opens. With center set, it is centred over `over` (or over the work
// area of the primary monitor when that is null) and kept wholly on that monitor's work area;
// otherwise the system places it.
struct BrowsePlacement {
  int center;
  HWND over;
};
extern BrowsePlacement browse_placement;

// The foreground window when it is one of ours: it owns the dialog. Another program's never does.
HWND own_foreground_window();
// Moves a top-level window as browse_placement asks.
void place_centred(HWND window, HWND over);
