// The command driver: parameters, usage text, options, the dialog and the exit status.
#pragma once
#include <windows.h>

#include "strings/workspace.h"

enum OptionFlag : int {
  OPT_QUOTE = 1,      // quote the folder
  OPT_BACKSLASH = 2,  // keep the folder's trailing backslash
  OPT_CENTER = 4,     // centre the dialog over the console window
  OPT_BATCH = 8,      // write the line as a batch file reads it back: escaped, in its code page
  OPT_MODERN = 16,    // the file dialog in pick-folders mode instead of the tree
  OPT_BARE = 32,      // the folder alone, in the console's code page, for a caller that captures it
  OPT_UTF8 = 64,      // the line in UTF-8 whatever the console's code page, for a program that reads it
};

// Driver state, shared with the result line; cleared by start-up.
extern StringVar CommandString;
extern StringVar InitialDir;
extern StringVar RootDir;
extern StringVar WindowTitle;
extern StringVar Param;
extern StringVar ParamLower;
extern StringVar Folder;
extern StringVar FolderDrive;
extern StringVar DriveLine;
extern StringVar ConsoleTitle;
extern int option_flags;
extern int ExitStatus;
extern HWND console_window;

void driver_clear();
void driver_run();
