// What the folder dialog is asked to show and let the user choose: one value, handed to it whole.
#pragma once
#include <windows.h>

// Where the dialog opens. With center set, it is centred over `over` (or over the work area of the
// primary monitor when that is null) and kept wholly on that monitor's work area; otherwise the
// system places it.
struct BrowsePlacement {
  int center = 0;
  HWND over = nullptr;
};

struct BrowseRequest {
  const wchar_t* title = nullptr;
  const wchar_t* start = nullptr;     // the start folder, in the folder form
  const wchar_t* remembered = nullptr;  // the folder last chosen for the same purpose, opened in its place if it may
  const wchar_t* root = nullptr;      // the only folder, with those below it, that may be chosen; null: any
  const wchar_t* const* patterns = nullptr;  // what a chosen folder must hold, each a name or a relative path
  int pattern_count = 0;
  BrowsePlacement placement = {};
  int modern = 0;  // the file dialog in pick-folders mode; the tree stands in where it cannot be shown
  // The code page the line is written in where it must hold the path exactly (/batch and /bare into a
  // file or a pipe); 0: any path.
  UINT code_page = 0;
};
