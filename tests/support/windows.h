// Test helpers for real folders and real windows: temporary folders, finding the folder dialog
// of a process, and pressing its buttons as a user would.
#pragma once
#include <windows.h>

#include <string>

#include "gtest/gtest.h"

// A fresh folder under %TEMP%, removed with everything in it when the test ends.
class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Creates a sub-folder (and its parents) and returns its full path without a trailing backslash.
  std::wstring make_folder(const std::wstring& relative);
  std::wstring root;
};

// The first visible dialog-class window of the process (0: this process) whose caption is
// "Browse for Folder", or null when none appeared in time or the process (when given) ended.
HWND wait_for_browse_dialog(DWORD process_id, DWORD timeout_ms = 20000, HANDLE process = nullptr);
// A visible top-level window of this thread, left-aligned at x.
HWND plain_window(const wchar_t* title, int x);
// The same, made the foreground window (the caller asserts that it is).
HWND foreground_window(const wchar_t* title, int x);
// Presses a dialog button (IDOK, IDCANCEL) the way a click does.
void press_button(HWND dialog, int id);
std::wstring window_text(HWND window);
// Waits until the window is gone.
bool wait_until_closed(HWND window, DWORD timeout_ms = 10000);
// Dispatches this thread's messages for a while, as a message loop would.
void pump_messages(DWORD milliseconds);
