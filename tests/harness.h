// The tests' one process runner (exact command line in, exact bytes back), one dialog answerer and
// temporary folders.
#pragma once
#include <windows.h>

#include <string>

#include "gtest/gtest.h"

// Where the child's output goes: files, a full disk, nowhere, a pipe read only once the child has
// ended, or files from a window station whose desktop nobody sees.
enum class Stream { File, Full, Closed, ErrClosed, Pipe, Unseen };

struct Seen {  // the dialog as answered: its owner, the watched window's state, caption and texts
  HWND dialog = nullptr, owner = nullptr;
  bool watched_enabled = true;
  std::wstring texts;  // the caption and each static text, each followed by '|'
  RECT rect = {};
};

struct Launch {
  std::wstring line, dir;  // the exact command line, program name included; the working folder
  int button = 0;          // IDOK or IDCANCEL for the dialog; 0: nobody answers
  const wchar_t* type = nullptr;  // a name typed into the dialog's name box first, or with a
                                  // leading '\t', virtual keys pressed in its folder tree
  Stream stream = Stream::File;
  const wchar_t* program = L"dirpick.exe";  // beside the test executable, or a full path
};

struct Result {
  DWORD exit_code = 0xDEAD;
  std::string out, err;
  Seen seen;
};

std::wstring sibling(const wchar_t* name);
// Starts the program, answers its dialog when asked to, and expects it to end by itself.
Result run(const Launch& how);
// Waits for a visible dialog-class window of the process (0: this one), notes what it shows, and
// presses the button (OK after the tool's settle pause) having typed what Launch::type says.
Seen answer_dialog(DWORD process_id, int button, HANDLE process = nullptr, HWND watched = nullptr,
                   const wchar_t* type = nullptr);
std::string utf8(const std::wstring& text);
std::string utf16(const std::wstring& text);

// A fresh folder under %TEMP%, removed with everything in it after the test.
struct TempFolder : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  std::wstring make(const std::wstring& relative);  // root\relative and its parents, made
  std::wstring root;
};
