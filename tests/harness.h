// The tests' one process runner (exact command line in, exact bytes back), one dialog answerer and temporary folders.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include "gtest/gtest.h"

// Where the child's output goes: files, a full disk, no standard error, a pipe read only once the child
// has ended, or files from a window station whose desktop nobody sees.
enum class Stream { File, Full, ErrClosed, Pipe, Unseen };

struct Seen {  // the dialog as answered: its owner, caption and texts, and what while_up noted
  HWND dialog = nullptr, owner = nullptr;
  std::wstring texts, noted;  // the caption and each static text, each followed by '|'
  std::wstring boxes;         // what each box that refused a typed name said, followed by '|'
  std::wstring shown;         // what it showed when answered: the tree's selection from its top item
  RECT rect = {};
  ULONGLONG shown_at = 0;  // when it showed that, to a read (30 ms); run() counts from the program's start
  bool ok_on = false;      // whether its OK button took clicks then
  bool name_box = false;   // whether it had a box to type a name into
};

// The exact command line (program name included) and working folder; the button for the dialog (0: nobody answers;
// kCtrlC: Ctrl+C in the program's console, at once or, with at_ms, that long after the start, whatever shows; kEsc,
// kClickCancel: the Esc key or a click on Cancel as a user's, to the dialog in front); what is done first, line by
// line: a name typed into its name box and confirmed (the last one is the answer; each before it refused with a box,
// which is closed), or with a leading '\t' virtual keys pressed in its tree; the program beside the test executable, or
// a full path; the folder the tree must show selected (empty: any); the folder the keys move the tree to, which it must
// still show once the start folder is no longer asked for.
struct Launch {
  std::wstring line, dir;
  int button = 0;
  const wchar_t* type = nullptr;
  Stream stream = Stream::File;
  const wchar_t* program = L"dirpick.exe";
  std::wstring pick = L"", moved = L"";
  DWORD at_ms = 0;
};

constexpr int kCtrlC = -1, kEsc = -2, kClickCancel = -3;
struct Result {  // from the child's start: when a dialog was first and last seen, when it ended; dialogs: how many
  DWORD exit_code = 0xDEAD;
  std::string out, err;
  Seen seen;
  ULONGLONG first_ms = 0, up_ms = 0, ended_ms = 0;
  ULONGLONG lived_ms = ~0ull;  // its creation to its exit as the system counts them (a limit's span); unknown: too long
  std::set<HWND> dialogs;
};

constexpr DWORD kAnyOther = ~0u;  // a dialog of any process but this one
std::wstring sibling(const wchar_t* name);
// Starts the program, answers its dialog when asked to, and expects it to end by itself.
Result run(const Launch& how);
// Waits for a visible dialog-class window of the process (0: this one), notes what it shows and what while_up returns,
// and once it shows what the launch expects, presses its button having typed what Launch::type says, then waits for it
// to close. Each wait is bounded; one that runs out fails with what the dialog showed, and cancels the dialog.
Seen answer_dialog(DWORD process_id, const Launch& how, HANDLE process = nullptr,
                   const std::function<std::wstring()>& while_up = {});
std::string encoded(const std::wstring& text, UINT code_page = CP_UTF8);
std::string utf16(const std::wstring& text);
// The file's bytes; the file is deleted.
std::string take(const std::wstring& path);
// Removes a file or a folder with everything in it; the \\?\ form lifts MAX_PATH.
void remove_tree(const std::wstring& path);

// A fresh folder under %TEMP%, removed with everything in it after the test.
struct TempFolder : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  std::wstring make(const std::wstring& relative);  // root\relative and its parents, made
  std::wstring root;
};
