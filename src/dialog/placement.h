// Where a dialog opens and who owns it: centring over the console window, kept on the work area.
#pragma once
#include <windows.h>

// The foreground window when it is one of ours: it owns the dialog. Another program's never does.
HWND own_foreground_window();
// Centres a top-level window over `over` (or the primary work area), kept wholly on its monitor.
void place_centred(HWND window, HWND over);
