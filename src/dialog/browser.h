// The shell's folder dialogs, loaded from SHELL32 and COM at run time, preselected on a start
// folder, fenced below a root when one is given, with the window guard on while one is up.
#pragma once
#include <windows.h>

#include "dialog/request.h"

// Set on the first call, before COM is initialised for the dialog; never reset.
extern int com_initialized;

enum BrowseOutcome {
  BROWSE_CANCELLED,   // by the user, or by Ctrl+C in the console
  BROWSE_CHOSEN,      // the chosen item's path, which may still be refused (a file, a pattern it lacks)
  BROWSE_UNREADABLE,  // a folder whose path cannot be read whole
  BROWSE_TIMED_OUT,   // the time limit closed the dialog
  BROWSE_ROOT_LOST,   // no dialog: the shell gives no item for the root itself
  BROWSE_NO_DIALOG,   // no dialog could be shown (no SHELL32, no desktop to show it on)
  BROWSE_NO_FOLDER,   // an item chosen that has no file-system path: the dialog is shown again
};

// False on a window station nobody sees (a service, a task that is not interactive, an SSH
// session), and in session 0, the services' own, which calls itself visible though nobody has seen
// it since Windows Vista: a dialog there could never be answered.
bool desktop_visible(DWORD session);

// Shows the dialog the request asks for and leaves the chosen folder's path, whole at any length, at
// start in the folder form (no trailing backslash, a drive root whole), or the empty text for any
// other outcome; the position ends on the NUL. A start folder outside the root opens on the root. A
// folder is checked again once the dialog has closed (what it held may have gone meanwhile, a typed
// name skipped the check, or a file came back): the dialog then opens again on it, and says why.
int browse(const BrowseRequest& request, int start);
// The same for the tree alone, with no fence and no time limit.
int browse_for_folder(const wchar_t* title, const wchar_t* initial_folder, int start);
