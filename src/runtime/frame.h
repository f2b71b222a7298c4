// Process-wide values of the runtime frame: the private heaps, the process exit code, the
// runtime state block and tables, and the end routine that a console close event also runs.
#pragma once
#include <windows.h>

struct ObjectTable;

// The pseudo handles GetCurrentProcess and GetCurrentThread return, documented as these constants: no import and
// no call for a value that never changes.
inline HANDLE this_process() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }
inline HANDLE this_thread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }

extern HANDLE main_heap;               // general allocations: tables, list nodes, output buffers
extern HANDLE spare_heap;              // allocated from by nobody; created and destroyed as a frame
extern HMODULE module_handle;
extern long long process_exit_code;    // low 32 bits go to ExitProcess
extern void* runtime_state_block;      // 24 zeroed bytes; the first int is the parameter cursor
extern ObjectTable* handle_table;
extern ObjectTable* exit_table;        // torn down by runtime_end when set; nothing sets it

// Clears the frame's own values (main heap, module handle, exit code and the tables).
void runtime_clear();
// Creates a private heap as all three are made: serialised, growable, 4 KiB to start.
HANDLE runtime_heap_create();
void runtime_init();
HRESULT ui_init();
// Runs its steps once per process, whichever thread gets there first.
void runtime_end();
// Ctrl+C, Ctrl+Break and the console's close set console_interrupted on the console's control thread;
// where the main thread has not ended the run within a grace (stuck in a call on a drive that stopped
// answering), the run ends there with EXIT_CANCELLED.
BOOL WINAPI close_event_handler(DWORD control_type);
// The one way the control thread reaches what runs above the runtime: whoever must react to an interrupt
// (a dialog on screen, through its watcher) reads it well within the grace. Set once, never cleared.
extern volatile LONG console_interrupted;

// Milliseconds since the process was created: a time limit counts from the start of the run.
DWORD run_elapsed_ms();
// The one way a line reaches standard output while another thread may end the run: line_begin is
// false once the run has been ended, and end_run does nothing once a line has begun, so that a line
// is written whole or not at all.
bool line_begin();
void line_end();
// Ends the run from any thread with the exit code, the console's title as it was, unless a line has
// begun.
void end_run(unsigned exit_code);
// A thread whose pending I/O the end of the run cancels (the first eight).
void cancel_at_end(HANDLE thread);
// The main thread's own end: no other thread ends the run after it, and a Ctrl+C before any line makes
// whatever came of the run a cancel.
unsigned run_exit_code(unsigned exit_code);
// The console's title while a dialog waits unseen behind other windows; put back by the next call
// with null and however the run ends.
void console_title_while_waiting(const wchar_t* title);
