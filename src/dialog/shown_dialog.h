// The dialog on screen, once its window is known: placed as asked, and cancelled from any thread.
#pragma once
#include <windows.h>
#include <shobjidl.h>

struct BrowsePlacement;

// The file dialog while it is up: it closes through its own interface, its window unknown at first.
extern IFileDialog* shown_file_dialog;

// The one dialog on screen, which the console's control thread, the time limit and the watcher reach:
// before it shows, where it goes and, for the file dialog, the interface that closes it until its window
// is known.
void dialog_showing(const BrowsePlacement& placement, IFileDialog* file_dialog);
// Once a dialog's window is known: centred when asked, and cancelled if Ctrl+C came first.
void dialog_shown(HWND window);
// A cancel, as the user's would be; safe from any thread (Ctrl+C comes on the console's own).
void cancel_shown_dialog();
// Closes whichever dialog is up as a cancel would, the file dialog before its window is known.
void close_shown_dialog();
// A box owned by the dialog with the text built at mark, up until the user or the time limit closes it.
void tell_over_dialog(HWND owner, int mark);
// Forgets the window once the dialog has returned; whether one was shown since the last call.
bool dialog_gone();
