// The console channel: error lines to standard error and output lines to standard output.
// A console gets UTF-16 through WriteConsoleW; a redirected stream gets bytes through WriteFile,
// UTF-16LE for error lines and the output encoding mode for output lines. No byte-order mark.
#pragma once
#include <windows.h>

// Writes one output line; true when all of it reached standard output.
using OutputHook = bool (*)(const wchar_t* text);

// 1 when the process gets its console from the system (a console-subsystem program); fixed at
// build time, so the code that would allocate and free a console is compiled out.
constexpr int console_already_present = 1;
extern int output_encoding_mode;
extern UINT output_code_page;  // ENC_EXACT's code page
extern OutputHook output_hook;

// No lock: every write comes from the main thread, and the close-event thread writes nothing.
struct ConsoleState {
  HANDLE input;
  HANDLE output;
  HANDLE error;
};
extern ConsoleState console_state;

int console_open(const wchar_t* title, int mode);
// The text and one LF; what the writes return is not looked at.
void write_error_line(const wchar_t* text);
// The text and CR LF, flushed when standard output is a disk file. True when the whole line
// was written.
bool write_output_line(const wchar_t* text);
bool write_output_text(const wchar_t* buffer, int count);
void console_close();
// The code page cmd.exe reads a batch file in: the console's output code page, or the OEM code
// page for a process without a console.
UINT batch_code_page();
bool output_is_console();
